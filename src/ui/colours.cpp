#include "ui/colours.h"

#include <algorithm>

namespace quillet {

void reset_colours() {
    colours = ColourState{};
}

void resize_colour_table(int32_t max_colour) {
    colours.max_colour = max_colour;
    colours.table.assign(static_cast<size_t>(std::max(max_colour + 1, standard_colour_count)),
                         0x000000);
}

bool is_colour_number(int32_t number) {
    // The table has at least 16 entries, so 0..15 are colour numbers on every display.
    if (number >= 0) return static_cast<size_t>(number) < colours.table.size();
    return number > -named_colour_count;
}

Color colour_entry(int32_t number) {
    if (!is_colour_number(number)) return 0x000000;
    return number >= 0 ? colours.table[static_cast<size_t>(number)]
                       : colours.named[static_cast<size_t>(-number)];
}

Color colour_value(int32_t number) {
    return colour_entry(number) & color_mask;
}

bool set_colour_entry(int32_t number, Color entry) {
    if (!is_colour_number(number)) return false;
    if (number >= 0)
        colours.table[static_cast<size_t>(number)] = entry;
    else
        colours.named[static_cast<size_t>(-number)] = entry;
    return true;
}

} // namespace quillet
