// The one kind of failure ulvo-play reports: a message for the user, shown as one line.
#pragma once

#include <stdexcept>
#include <string>

struct PlayError : std::runtime_error {
    explicit PlayError(const std::string& message) : std::runtime_error(message) {}
};
