#include "bcode/bifs.h"

#include <array>

namespace quillet::bcode {
namespace {

constexpr std::string_view reach_names[] = {"files",   "commands", "network",
                                            "devices", "waits",    "user"};
static_assert(std::size(reach_names) == std::size(all_reaches));

// Not a constant expression for a word that names no reach, so that bifs.def cannot misspell one.
uint8_t unknown_reach_word() {
    return 0;
}

// The BifReach bits of the reach column's words, separated by blanks.
constexpr uint8_t reach_bits(std::string_view words) {
    uint8_t bits = 0;
    for (size_t at = 0; at < words.size();) {
        size_t end = words.find(' ', at);
        if (end == std::string_view::npos) end = words.size();
        std::string_view word = words.substr(at, end - at);
        size_t i = 0;
        while (i < std::size(reach_names) && reach_names[i] != word)
            ++i;
        bits |= i < std::size(reach_names) ? uint8_t(all_reaches[i]) : unknown_reach_word();
        at = end + 1;
    }
    return bits;
}

constexpr BifInfo bif_list[] = {
// clang-format off
#define QUILLET_BIF(number, name, operands, family, status, reach, operand_text, summary)          \
    {number, #name, operands, BifFamily::family, BifStatus::status, reach_bits(reach),             \
     operand_text, summary},
// clang-format on
#include "bcode/bifs.def"
#undef QUILLET_BIF
};

constexpr std::array<const BifInfo*, bif_number_count> make_bif_index() {
    std::array<const BifInfo*, bif_number_count> index{};
    for (const BifInfo& b : bif_list)
        index[b.number] = &b;
    return index;
}
constexpr std::array<const BifInfo*, bif_number_count> bif_index = make_bif_index();

struct FamilyNames {
    std::string_view name, title;
};
constexpr FamilyNames family_names[] = {
#define QUILLET_BIF_FAMILY(name, title) {#name, title},
#include "bcode/bif_families.def"
#undef QUILLET_BIF_FAMILY
};

// The list is sorted by number and names each number once; the compiler checks it.
constexpr bool sorted_and_unique() {
    for (size_t i = 1; i < std::size(bif_list); ++i)
        if (bif_list[i - 1].number >= bif_list[i].number) return false;
    return bif_list[std::size(bif_list) - 1].number < bif_number_count;
}
static_assert(sorted_and_unique(), "bifs.def must list bif numbers in ascending order, once each");

} // namespace

std::span<const BifInfo> all_bifs() {
    return bif_list;
}

const BifInfo* bif_info(uint32_t number) {
    return number < bif_number_count ? bif_index[number] : nullptr;
}

const BifInfo* bif_by_name(std::string_view name) {
    for (const BifInfo& b : bif_list)
        if (b.name == name) return &b;
    return nullptr;
}

std::string_view reach_name(BifReach reach) {
    for (size_t i = 0; i < std::size(all_reaches); ++i)
        if (all_reaches[i] == reach) return reach_names[i];
    return {};
}

std::string_view family_name(BifFamily family) {
    return family_names[size_t(family)].name;
}

std::string_view family_title(BifFamily family) {
    return family_names[size_t(family)].title;
}

const char* bif_operands(uint32_t number) {
    const BifInfo* b = bif_info(number);
    if (!b || b->operands == "*") return nullptr;
    return b->operands.data();
}

} // namespace quillet::bcode
