// The assembler: assembly source text to a B-code image.
#pragma once

#include "bcode/image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::tools {

// Throws AsmError (FILE:LINE: message) for any error in the source.
bcode::Image assemble(const std::string& text, const std::string& file);
std::vector<uint8_t> assemble_bytes(const std::string& text, const std::string& file);

} // namespace quillet::tools
