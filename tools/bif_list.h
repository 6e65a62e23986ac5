// The bif table as text: one line per bif for the terminal, or the Markdown page docs/bifs.md.
#pragma once

#include <string>

namespace quillet::tools {

// "NUMBER NAME OPERANDS STATUS: summary" lines; when `only` is not empty, only the bif of that
// number, or the bifs whose names contain that word in any case (empty result when none does).
std::string bif_list_text(const std::string& only = "");

// The whole table grouped by family, as docs/bifs.md holds it.
std::string bif_list_markdown();

} // namespace quillet::tools
