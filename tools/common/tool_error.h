// The one kind of failure ulvo-play and ulvo-render report: a message for the user, shown as one
// line after the tool's name.
#pragma once

#include <stdexcept>
#include <string>

struct ToolError : std::runtime_error {
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// A command line's fault found only once the instrument is known, such as a value outside the
// parameter's range: the tools exit as for any other bad option.
struct UsageError : ToolError {
    explicit UsageError(const std::string& message) : ToolError(message) {}
};
