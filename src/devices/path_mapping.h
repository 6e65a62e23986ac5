// File names as the engine spells them, mapped to host paths.
//
// The engine copies every name into a fixed buffer and upper-cases it, as programs written for a
// case-blind host expect. On our host the name is then mapped: `\` and `/` both separate
// components, a drive prefix "X:" stands for the directory named by QUILLET_DRIVE_X (the root
// when unset), and every component that already exists is found without regard to case, so
// "DATA.TXT" still reaches data.txt. A component that exists in no case (a file about to be
// created) keeps its spelling. docs/files.md has examples.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillet {

// Name buffers of the file bifs: paths and the directory of bif 122.
inline constexpr size_t file_name_buffer = 200;
inline constexpr size_t directory_buffer = 1024;

// The text as the engine's fixed buffer of `buffer` bytes keeps it: cut at the first NUL byte
// and at buffer - 1 bytes, letters a to z made upper case (other bytes unchanged).
std::string engine_file_name(std::string_view text, size_t buffer = file_name_buffer);

// The host path for an engine file name (see above). Empty components and "." are dropped, ".."
// goes to the parent as on the host, except at the root of a drive, where it stays (as on
// Windows: "C:\..\X" is "C:\X"), so that a drive name never leaves its drive's directory; an
// empty name maps to the empty path, which every host call refuses.
std::string host_path(std::string_view engine_name);

} // namespace quillet
