// The build step that makes the runtime library's texts: `quillet-library-build [--name NAME]
// OUT.h PART...` compiles each library source PART.bas in library mode, takes each PART.qba as
// it is, and writes their text, one after the other, into OUT.h as the string NAME that the
// compiler links into programs (every program, or only windowed or only console ones). OUT.h is
// rewritten only when the text changes.
#include "compiler.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

bool read_file(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // --name NAME: the string's name (default console_library_source), for a part that only
    // some programs get.
    std::string name = "console_library_source";
    if (argc > 2 && std::string(argv[1]) == "--name") {
        name = argv[2];
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::cerr << "usage: quillet-library-build [--name NAME] OUT.h PART.qba|PART.bas...\n";
        return 2;
    }
    std::string library;
    for (int i = 2; i < argc; ++i) {
        std::string path = argv[i], text;
        if (!read_file(path, text)) {
            std::cerr << path << ": cannot read\n";
            return 1;
        }
        if (path.ends_with(".bas")) {
            quillet::compiler::Diagnostics diags;
            std::string assembly;
            bool ok = quillet::compiler::compile_library({path, text}, diags, assembly);
            std::cerr << diags.render();
            if (!ok) return 1;
            text = assembly;
        }
        if (!text.empty() && text.back() != '\n') text += '\n';
        library += text;
    }
    // The text goes out as pieces of whole lines, each a raw literal shorter than the 64 KB
    // that compilers must accept for one string; the compiler joins them.
    const std::string begin = "    R\"QUILLET_LIBRARY(", end = ")QUILLET_LIBRARY\"";
    if (library.find(end) != std::string::npos) {
        std::cerr << "the library's text holds " << end << "\n";
        return 1;
    }
    constexpr size_t piece_limit = 60000;
    std::string pieces;
    for (size_t at = 0; at < library.size();) {
        size_t next = std::min(library.size(), at + piece_limit);
        if (next < library.size()) {
            size_t line_end = library.rfind('\n', next - 1);
            if (line_end == std::string::npos || line_end < at) {
                std::cerr << "the library's text has a line longer than " << piece_limit << "\n";
                return 1;
            }
            next = line_end + 1;
        }
        pieces += begin + library.substr(at, next - at) + end + ",\n";
        at = next;
    }
    std::string header = "// Made by quillet-library-build from library/: the runtime library's "
                         "assembly text.\n#pragma once\n\nnamespace quillet::compiler {\n\n"
                         "inline constexpr const char* const " +
                         name + "[] = {\n" + pieces + "};\n\n} // namespace quillet::compiler\n";
    std::string old;
    if (read_file(argv[1], old) && old == header) return 0;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << header;
    if (!out.flush()) {
        std::cerr << argv[1] << ": cannot write\n";
        return 1;
    }
    return 0;
}
