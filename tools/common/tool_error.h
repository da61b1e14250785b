// The one kind of failure ulvo-play and ulvo-render report: a message for the user, shown as one
// line after the tool's name.
#pragma once

#include <stdexcept>
#include <string>

struct ToolError : std::runtime_error {
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};
