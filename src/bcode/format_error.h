// The one error type of the B-code library: a malformed image, a truncated op stream or a value
// that an encoding cannot hold. The message names what is wrong and where.
#pragma once

#include <stdexcept>
#include <string>

namespace quillet::bcode {

class FormatError : public std::runtime_error {
public:
    explicit FormatError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace quillet::bcode
