// The text of a text edit as the program sees it: paragraphs joined by CR LF, both in the
// layer's text edit and in the pending text of one not made.
#pragma once

#include "xvt/xvt.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The paragraphs of a text split at CR LF (an empty text has none).
std::vector<std::string> split_paragraphs(std::string_view text);
std::string join_paragraphs(const std::vector<std::string>& paragraphs);

// The paragraphs of a made text edit.
std::vector<std::string> paragraphs_of(XvtTextEdit tx);
// The whole text, paragraphs joined by CR LF.
std::string text_of(XvtTextEdit tx);
// One paragraph of a made text edit (its wrapped lines joined).
std::string paragraph_of(XvtTextEdit tx, int32_t paragraph);
// One wrapped line.
std::string line_of(XvtTextEdit tx, int32_t paragraph, int32_t line);

} // namespace quillet
