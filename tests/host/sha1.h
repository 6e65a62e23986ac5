// SHA-1 of a byte string, as lower-case hex: the digest published conformance checkpoints use.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillet::test {

std::string sha1_hex(std::span<const uint8_t> bytes);

} // namespace quillet::test
