// The disassembler: a B-code image to assembly text that assembles back to the same bytes.
//
// Code is shown as ops with resolved operands, labels for jumps, routine names and line numbers
// from the line table. Where the bytes cannot be shown that way (operands of a bif whose
// signature is unknown, inconsistent tables), the affected part is shown as raw bytes; the
// output is checked by assembling it again, so it always reproduces the image.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quillet::tools {

// Throws bcode::FormatError when the image is malformed.
std::string disassemble(std::span<const uint8_t> image, const std::string& source_name);

} // namespace quillet::tools
