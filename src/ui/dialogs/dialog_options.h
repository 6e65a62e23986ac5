// The options of a dialog box: names given in upper case, each taking its numbers from the
// option values in turn.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

namespace dialog_error {
inline constexpr int32_t unknown_option = -11223;
inline constexpr int32_t style_unknown = -11227; // the font dialog's style text
inline constexpr int32_t missing_value = -11273;
inline constexpr int32_t no_buttons = -11300;
inline constexpr int32_t unknown_kind = -11301;
} // namespace dialog_error

struct DialogFont {
    std::string family;
    uint32_t style = 0; // xvt_font_style bits
    int32_t size = 0;   // points; below 1: the host's default height
};

struct DialogOptions {
    bool wrap = false;           // "MAXLENGTH" 0
    int32_t message_justify = 0; // 0 left, 1 centred, 2 right (3: left)
    int32_t button_justify = 1;
    std::optional<DialogFont> font;
    bool multiple = false;
    std::vector<int32_t> selections; // 1-based item numbers
};

// Reads the options; raises -11223 for an unknown name and -11273 when the values (or the names
// that "FONT" takes) run out, and nothing else: a "FONT" style text without a style word is
// plain, and its size is taken as given.
DialogOptions parse_dialog_options(const std::vector<std::string>& names,
                                   const std::vector<double>& values);

// Style bits from a text of style words ("italic", "bold", "underline", "strikeout", "plain"),
// searched without regard to case; none of them is -11227.
uint32_t font_style_of_words(std::string_view text);

} // namespace quillet
