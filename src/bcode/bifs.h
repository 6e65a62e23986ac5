// The native bifs as data: numbers, names, operand signatures and families, all taken from
// bifs.def. The engine installs its handlers by these names, the tools read and write bifs by
// name and check their operands, and the generated bif list documents them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace quillet::bcode {

inline constexpr uint32_t bif_number_count = 512;

enum class BifFamily : uint8_t {
#define QUILLET_BIF_FAMILY(name, title) name,
#include "bcode/bif_families.def"
#undef QUILLET_BIF_FAMILY
};
inline constexpr size_t bif_family_count = 0
#define QUILLET_BIF_FAMILY(name, title) +1
#include "bcode/bif_families.def"
#undef QUILLET_BIF_FAMILY
    ;

// native: the engine has a handler; fast_path: the engine's handler takes the common operands
// and passes the others to the image's own routine for the number (as an unimplemented bif
// does), so a program needs that routine beyond them; unimplemented: calls go to the image's own
// routine for the number, or stop with "unimplemented bif" when the image has none.
enum class BifStatus : uint8_t { native, fast_path, unimplemented };

// What a bif reaches beyond the engine's own memory and windows (the reach column of bifs.def);
// a bif may reach several of them or none.
enum class BifReach : uint8_t {
    files = 1,
    commands = 2,
    network = 4,
    devices = 8,
    waits = 16,
    user = 32,
};
inline constexpr BifReach all_reaches[] = {BifReach::files,   BifReach::commands, BifReach::network,
                                           BifReach::devices, BifReach::waits,    BifReach::user};
std::string_view reach_name(BifReach reach); // "files", "commands", ...

// Bif numbers by name: bif::floor is 3.
namespace bif {
enum Number : uint16_t {
#define QUILLET_BIF(number, name, operands, family, status, reach, operand_text, summary)          \
    name = number,
#include "bcode/bifs.def"
#undef QUILLET_BIF
};
} // namespace bif

struct BifInfo {
    uint16_t number;
    std::string_view name;
    // One letter per operand in reading order, as in ops.def (N, I, S, A, B); "*" when the
    // operands are not fixed.
    std::string_view operands;
    BifFamily family;
    BifStatus status;
    uint8_t reach;                 // BifReach bits; 0 when the bif stays inside the engine
    std::string_view operand_text; // the operands as documented, e.g. "x, R"
    std::string_view summary;

    bool reaches(BifReach r) const { return (reach & uint8_t(r)) != 0; }
};

std::span<const BifInfo> all_bifs();
// nullptr when the number is not a native bif.
const BifInfo* bif_info(uint32_t number);
const BifInfo* bif_by_name(std::string_view name);
std::string_view family_name(BifFamily family);
std::string_view family_title(BifFamily family);

// Operand letters of a bif whose operands are fixed; nullptr otherwise.
const char* bif_operands(uint32_t number);

} // namespace quillet::bcode
