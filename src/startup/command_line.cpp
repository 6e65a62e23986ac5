#include "startup/command_line.h"

#include <cstring>

namespace quillet {

void split_command_line(char* s, std::vector<char*>& argv) {
    if (!s) return;
    size_t len = std::strlen(s), pos = 0, quote_start = 0;
    bool in_quote = false;
    while (pos < len) {
        size_t end = pos + std::strcspn(s + pos, " \"");
        if (end >= len) {
            argv.push_back(s + (in_quote ? quote_start : pos));
            return;
        }
        if (s[end] == ' ') {
            if (in_quote) {
                pos = end + 1;
                continue;
            }
            s[end] = '\0';
            argv.push_back(s + pos);
            pos = end + 1;
        } else if (!in_quote) {
            pos = quote_start = end + 1;
            in_quote = true;
        } else {
            s[end] = '\0';
            argv.push_back(s + quote_start);
            pos = end + 1;
            in_quote = false;
            if (s[pos] == ' ') ++pos; // the quote already ended the word
        }
    }
}

} // namespace quillet
