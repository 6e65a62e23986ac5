// Text between the engine (Windows-1252 bytes) and a desktop (UTF-8), as the clipboard carries it.
#pragma once

#include <string>
#include <string_view>

namespace quillet::host {

// Every byte but 0 has a character; the five bytes Windows-1252 leaves undefined go as the
// control characters of the same number, so that all of them come back unchanged.
std::string cp1252_to_utf8(std::string_view text);
// Characters Windows-1252 does not have, and malformed UTF-8, become '?'.
std::string utf8_to_cp1252(std::string_view text);

} // namespace quillet::host
