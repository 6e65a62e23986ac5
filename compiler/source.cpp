#include "source.h"

#include <cstdio>

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
                if (windows_1252_of(u) == c) {
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
    std::string out;
    for (const Diagnostic& d : list) {
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

int windows_1252_of(uint32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    // The printable characters of 0x80..0x9F.
    static const uint16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (high[i] != 0 && high[i] == cp) return 0x80 + i;
    return -1;
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
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0x80) {
            len = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
            if (c >= 0xF5) len = 0;
            if (len == 0 || i + len > bytes.size())
                return fail("the file is not valid UTF-8 (byte 0x" +
                            std::string(1, "0123456789ABCDEF"[c >> 4]) +
                            "0123456789ABCDEF"[c & 15] + ")");
            cp = c & (0x7F >> len);
            for (size_t k = 1; k < len; ++k) {
                unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
                if ((cc & 0xC0) != 0x80) return fail("the file is not valid UTF-8");
                cp = (cp << 6) | (cc & 0x3F);
            }
            bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
            if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
                return fail("the file is not valid UTF-8");
        } else if (c < 0x20 && c != '\t' && c != 0x0C && c != 0x1A) {
            return fail("this is a binary file, not BASIC source (control byte " +
                        std::to_string(c) + ")");
        }
        int b = windows_1252_of(cp);
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
