// Failures of the window system that its caller must act on: a backend that cannot start, a
// malformed input script ("FILE:LINE: message").
#pragma once

#include <stdexcept>
#include <string>

namespace quillet::host {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace quillet::host
