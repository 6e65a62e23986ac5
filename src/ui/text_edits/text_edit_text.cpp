#include "ui/text_edits/text_edit_text.h"

namespace quillet {

std::vector<std::string> split_paragraphs(std::string_view text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    size_t start = 0;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", start)) {
        out.emplace_back(text.substr(start, at - start));
        start = at + 2;
    }
    out.emplace_back(text.substr(start));
    return out;
}

std::string join_paragraphs(const std::vector<std::string>& paragraphs) {
    std::string out;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) out += "\r\n";
        out += paragraphs[i];
    }
    return out;
}

std::string line_of(XvtTextEdit tx, int32_t paragraph, int32_t line) {
    std::string text(static_cast<size_t>(xp_tx_get_num_chars(tx, paragraph, line)) + 1, '\0');
    int32_t n = xp_tx_get_line(tx, paragraph, line, text);
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

std::string paragraph_of(XvtTextEdit tx, int32_t paragraph) {
    std::string text;
    int32_t lines = xp_tx_get_num_par_lines(tx, paragraph);
    for (int32_t line = 0; line < lines; ++line)
        text += line_of(tx, paragraph, line);
    return text;
}

std::vector<std::string> paragraphs_of(XvtTextEdit tx) {
    std::vector<std::string> out;
    int32_t count = xp_tx_get_num_pars(tx);
    for (int32_t p = 0; p < count; ++p)
        out.push_back(paragraph_of(tx, p));
    return out;
}

std::string text_of(XvtTextEdit tx) {
    return join_paragraphs(paragraphs_of(tx));
}

} // namespace quillet
