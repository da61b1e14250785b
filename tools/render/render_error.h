// The one kind of failure ulvo-render reports: a message for the user, shown as one line.
#pragma once

#include <stdexcept>
#include <string>

struct RenderError : std::runtime_error {
    explicit RenderError(const std::string& message) : std::runtime_error(message) {}
};
