// The B-code image: header, bif override table, code area, the two numeric cell areas, the
// string-pointer table with its literal tail, the module table and the modules.
//
// read_image validates every size and offset before anything is used, so the engine's loader and
// the tools can both trust a parsed Image: areas lie inside the image, module table entries inside
// the module area, string pointers at records inside the code area, each module's table offsets
// inside the module, every line table ends, and the start routine and the bif overrides name
// existing modules.
#pragma once

#include "bcode/ops.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quillet::bcode {

inline constexpr size_t header_size = 40;
inline constexpr size_t bif_count = 512;
inline constexpr size_t override_table_offset = 40;
inline constexpr size_t code_area_offset = override_table_offset + 4 * bif_count; // 2088
inline constexpr uint8_t image_magic[4] = {0xD4, 'B', 'U', 'X'};
inline constexpr uint32_t image_version = 2200;

// Module layout, as offsets from the module's start; the table offsets count from the module
// base, 4 bytes in.
inline constexpr size_t module_base_offset = 4;
inline constexpr size_t module_header_size = 18;
inline constexpr size_t module_alignment = 4;

// Every string-literal record is stored with count 2, so that counting references never frees it.
inline constexpr uint32_t literal_record_count = 2;
inline constexpr size_t string_record_header = 8;

struct BifOverride {
    uint16_t entry_offset = 0; // 0: B-code does not define the bif
    uint16_t module = 0;
};

struct Module {
    // All bytes of the module from its body-length word up to the next module (or the end of
    // the module area), so padding is kept.
    std::vector<uint8_t> bytes;

    uint32_t body_length() const;
    uint16_t table_offset(ModuleTable table) const;
    // Offset of a table within `bytes` (table offset + 4).
    size_t table_position(ModuleTable table) const {
        return module_base_offset + table_offset(table);
    }
    bool has_channel_table() const { return table_offset(table_channels) != 0; }
};

struct Image {
    uint16_t start_offset = 0;
    uint16_t start_module = 0;
    std::array<BifOverride, bif_count> overrides{};
    std::vector<uint8_t> code_area;
    std::vector<uint8_t> cells1; // numeric cell area 1 (mode 0x20)
    std::vector<uint8_t> cells2; // numeric cell area 2 (mode 0x30)
    std::vector<uint32_t> string_pointers;
    uint32_t literal_tail_entries = 0; // the last entries of string_pointers (mode 0x28)
    std::vector<Module> modules;
};

// Where the areas of a validated image lie; image offsets.
struct ImageLayout {
    size_t code_area, cells1, cells2, string_pointers, literal_tail, module_table, module_area, end;
    std::vector<size_t> module_offsets;
};

// Parse and validate; throws FormatError with a message that names the faulty field.
Image read_image(std::span<const uint8_t> bytes);
// Only the validation and the layout, for a loader that uses the bytes in place.
ImageLayout validate_image(std::span<const uint8_t> bytes);
// Serialise; each module after the first starts on a 4-byte boundary (zero padding). Throws
// FormatError if a size overflows its field.
std::vector<uint8_t> write_image(const Image& image);

// Checks that a module's own structure is sound: header, table offsets, shared channel table,
// line table. `index` names the module in messages.
void validate_module(const Module& module, size_t index);

} // namespace quillet::bcode
