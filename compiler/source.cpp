#include "source.h"

#include "bcode/windows_1252.h"

#include <algorithm>
#include <cstdio>
#include <tuple>

namespace quillet::compiler {

void Diagnostics::error(Pos pos, std::string message) {
    if (++errors_ <= max_shown_errors) list.push_back({pos, false, std::move(message)});
}

void Diagnostics::warning(Pos pos, std::string message) {
    list.push_back({pos, true, std::move(message)});
}

namespace {

// A Windows-1252 line as UTF-8, to show it as it was written.
std::string utf8_of(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        uint32_t cp = c;
        if (c >= 0x80 && c < 0xA0)
            for (uint32_t u = 0x100; u < 0x2200; ++u)
                if (bcode::windows_1252_of(u) == c) {
                    cp = u;
                    break;
                }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace

std::string Diagnostics::render() const {
    // In source order, whichever pass found them.
    std::vector<const Diagnostic*> sorted;
    for (const Diagnostic& d : list)
        sorted.push_back(&d);
    std::stable_sort(sorted.begin(), sorted.end(), [](const Diagnostic* a, const Diagnostic* b) {
        return std::tie(a->pos.file, a->pos.line) < std::tie(b->pos.file, b->pos.line);
    });
    std::string out;
    for (const Diagnostic* dp : sorted) {
        const Diagnostic& d = *dp;
        const SourceFile* f = d.pos.file >= 0 && size_t(d.pos.file) < files.size()
                                  ? &files[size_t(d.pos.file)]
                                  : nullptr;
        out += f ? f->name : "?";
        if (d.pos.line > 0) {
            out += ":" + std::to_string(d.pos.line);
            if (d.pos.column > 0) out += ":" + std::to_string(d.pos.column);
        }
        out += d.warning ? ": warning: " : ": error: ";
        out += d.message + "\n";
        if (f && d.pos.line > 0 && size_t(d.pos.line) <= f->lines.size()) {
            const std::string& text = f->lines[size_t(d.pos.line) - 1];
            out += utf8_of(text) + "\n";
            std::string caret;
            for (int i = 1; i < d.pos.column && size_t(i) <= text.size(); ++i)
                caret += text[size_t(i) - 1] == '\t' ? '\t' : ' ';
            out += caret + "^\n";
        }
    }
    if (errors_ > max_shown_errors)
        out += std::to_string(errors_ - max_shown_errors) + " more errors are not shown\n";
    return out;
}

int read_source(const std::string& name, std::string_view bytes, Diagnostics& diags) {
    int index = int(diags.files.size());
    diags.files.push_back({name, {}});
    SourceFile& file = diags.files.back();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string line;
    int line_no = 1, column = 1;
    auto fail = [&](const std::string& message) {
        file.lines.push_back(line);
        diags.error({index, line_no, column}, message);
        return -1;
    };
    for (size_t i = 0; i < bytes.size();) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) return fail("this is a binary file, not BASIC source (a NUL byte)");
        if (c == '\n' || c == '\r') {
            file.lines.push_back(std::move(line));
            line.clear();
            ++line_no;
            column = 1;
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        // A run of plain ASCII (most of a program) is the same bytes in Windows-1252: copied
        // at once when the line stays within its bound, else byte by byte to find where not.
        if ((c >= 0x20 && c < 0x80) || c == '\t') {
            size_t end = i + 1;
            while (end < bytes.size() && ((static_cast<unsigned char>(bytes[end]) >= 0x20 &&
                                           static_cast<unsigned char>(bytes[end]) < 0x80) ||
                                          bytes[end] == '\t'))
                ++end;
            if (line.size() + (end - i) <= max_line_bytes) {
                line.append(bytes.data() + i, end - i);
                column += int(end - i);
                i = end;
                continue;
            }
        }
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0x80) {
            bcode::Utf8Char u = bcode::decode_utf8(bytes.substr(i));
            if (u.length == 0)
                return fail("the file is not valid UTF-8 (byte 0x" +
                            std::string(1, "0123456789ABCDEF"[c >> 4]) +
                            "0123456789ABCDEF"[c & 15] + ")");
            cp = u.code_point;
            len = u.length;
        } else if (c < 0x20 && c != '\t' && c != 0x0C && c != 0x1A) {
            return fail("this is a binary file, not BASIC source (control byte " +
                        std::to_string(c) + ")");
        }
        int b = bcode::windows_1252_of(cp);
        if (b < 0) {
            char hex[16];
            snprintf(hex, sizeof hex, "U+%04X", unsigned(cp));
            return fail(std::string("the character ") + hex +
                        " has no Windows-1252 form, the character set of BASIC strings");
        }
        if (line.size() >= max_line_bytes)
            return fail("the line is longer than " + std::to_string(max_line_bytes) +
                        " characters");
        line += char(b);
        ++column;
        i += len;
    }
    if (!line.empty()) file.lines.push_back(std::move(line));
    return index;
}

} // namespace quillet::compiler
