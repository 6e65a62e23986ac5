#include "ui/dialogs/dialog_options.h"

#include "values/errors.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace quillet {
namespace {

class ValueCursor {
public:
    explicit ValueCursor(const std::vector<double>& values) : m_values(values) {}
    int32_t next() {
        if (m_at >= m_values.size()) raise_error(dialog_error::missing_value);
        double v = m_values[m_at++];
        if (!std::isfinite(v)) return 0;
        v = std::floor(v + 0.5);
        return static_cast<int32_t>(std::clamp<double>(v, std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max()));
    }

private:
    const std::vector<double>& m_values;
    size_t m_at = 0;
};

} // namespace

namespace {

struct StyleWord {
    std::string_view word;
    uint32_t bit;
};
constexpr StyleWord style_words[] = {{"italic", xvt_font_style::italic},
                                     {"bold", xvt_font_style::bold},
                                     {"underline", xvt_font_style::underline},
                                     {"strikeout", xvt_font_style::strike_out},
                                     {"plain", 0}};

// The style bits of the words found in the text, without regard to case; none when no word is.
std::optional<uint32_t> style_of_words(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::optional<uint32_t> style;
    for (const StyleWord& w : style_words)
        if (lowered.find(w.word) != std::string::npos) style = style.value_or(0) | w.bit;
    return style;
}

} // namespace

uint32_t font_style_of_words(std::string_view text) {
    std::optional<uint32_t> style = style_of_words(text);
    if (!style) raise_error(dialog_error::style_unknown);
    return *style;
}

DialogOptions parse_dialog_options(const std::vector<std::string>& names,
                                   const std::vector<double>& values) {
    DialogOptions o;
    ValueCursor value(values);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (name == "MAXLENGTH") {
            o.wrap = value.next() == 0;
        } else if (name == "MESSAGE JUSTIFY") {
            int32_t v = value.next();
            o.message_justify = v >= 0 && v <= 3 ? v : 0;
        } else if (name == "BUTTON JUSTIFY") {
            int32_t v = value.next();
            o.button_justify = v >= 0 && v <= 3 ? v : 1;
        } else if (name == "FONT") {
            // A style text without a style word is plain; a size below 1 is kept (the font then
            // takes the host's default height).
            if (i + 2 >= names.size()) raise_error(dialog_error::missing_value);
            DialogFont font;
            font.family = names[i + 1];
            font.style = style_of_words(names[i + 2]).value_or(0);
            font.size = value.next();
            o.font = std::move(font);
            i += 2;
        } else if (name == "MULTIPLE") {
            o.multiple = true;
        } else if (name == "SELECTIONS") {
            int32_t count = value.next();
            for (int32_t k = 0; k < count; ++k)
                o.selections.push_back(value.next());
        } else {
            raise_error(dialog_error::unknown_option);
        }
    }
    return o;
}

} // namespace quillet
