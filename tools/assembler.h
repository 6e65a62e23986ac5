// The assembler: assembly source text to a B-code image.
#pragma once

#include "bcode/image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillet::tools {

// Throws AsmError (FILE:LINE: message) for any error in the source. Warnings
// ("FILE:LINE: warning: ...") are added to `warnings` when it is given.
bcode::Image assemble(const std::string& text, const std::string& file,
                      std::vector<std::string>* warnings = nullptr);
std::vector<uint8_t> assemble_bytes(const std::string& text, const std::string& file,
                                    std::vector<std::string>* warnings = nullptr);

} // namespace quillet::tools
