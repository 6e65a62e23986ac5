// Source files and diagnostics of the compiler.
//
// A source is read as UTF-8 (a leading byte-order mark is skipped) and kept as lines of
// Windows-1252 bytes, the character set of the engine's strings, so that columns count
// characters and string literals need no further conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::compiler {

struct SourceFile {
    std::string name;
    std::vector<std::string> lines; // Windows-1252, without line ends
};

// A place in a source: line and column count from 1.
struct Pos {
    int file = 0; // index into Diagnostics::files
    int line = 0;
    int column = 0;
};

struct Diagnostic {
    Pos pos;
    bool warning = false;
    std::string message;
};

// Collects the diagnostics of one compilation; rendering shows each as
// `FILE:LINE:COLUMN: error: message`, then the source line and a caret under the column. Errors
// past the first max_shown_errors are counted, not kept.
class Diagnostics {
public:
    std::vector<SourceFile> files;
    std::vector<Diagnostic> list;

    void error(Pos pos, std::string message);
    void warning(Pos pos, std::string message);
    int error_count() const { return errors_; }
    std::string render() const;

private:
    int errors_ = 0;
};

inline constexpr size_t max_line_bytes = 4096;
inline constexpr int max_shown_errors = 100;

// Converts `bytes` into a SourceFile added to `diags.files`; returns its index, or -1 after
// reporting why the input is no source (binary, invalid UTF-8, a character outside
// Windows-1252, an over-long line).
int read_source(const std::string& name, std::string_view bytes, Diagnostics& diags);

} // namespace quillet::compiler
