// Entry descriptors: the bytes at a routine's entry address that size its frame, initialise its
// locals and say, code by code, which arguments it takes from the caller's op stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::bcode {

enum DescriptorCode : uint8_t {
#define QUILLET_DESC(code, name, data) desc_##name = code,
#include "bcode/descriptor_codes.def"
#undef QUILLET_DESC
};

struct DescriptorCodeInfo {
    uint8_t code;
    std::string_view name;
    char data; // as documented in descriptor_codes.def
};
// nullptr for a byte that is not a code.
const DescriptorCodeInfo* descriptor_code_info(uint8_t code);

struct ArrayBound {
    int32_t lower;
    uint32_t count;
};

// The byte that says a native routine's data holds a cached procedure instead of names.
inline constexpr uint8_t native_cached_mark = 0xFF;
// A shared-block end names shared register r by the byte r + 9 (9, 10 or 11); so does a shared
// channel table.
inline constexpr uint8_t shared_register_byte_bias = 9;
inline constexpr uint8_t shared_register_count = 3;

struct DescriptorItem {
    uint8_t code = desc_none;
    size_t data_pos = 0; // where the code's data starts in the bytes read (after the code byte)
    uint32_t number = 0; // fixed_string: maximum length; channel, reserve: n;
                         // shared_block: the register byte (9..11)
    std::vector<ArrayBound> bounds; // num_array, str_array
    uint32_t max_length = 0;        // num_array, str_array
    std::string procedure, library; // native, by name
    bool native_cached = false;     // native: 0xFF and a procedure address instead of names
    uint32_t native_address = 0;
};

// One frame: the routine's own, or a shared block in front of it.
struct FrameDescriptor {
    uint32_t frame_units = 0; // frame size in units of two bytes
    uint32_t numeric_locals = 0;
    uint32_t string_locals = 0;
    std::vector<DescriptorItem> items; // the last one ends the frame: own_env, caller_env,
                                       // shared_block or native
};

struct EntryDescriptor {
    std::vector<FrameDescriptor> frames; // shared blocks first, the routine's frame last
    size_t size = 0;                     // bytes taken in the op stream
};

// Decode the descriptor at `pos`; throws FormatError for a bad code or truncated data.
EntryDescriptor parse_entry_descriptor(std::span<const uint8_t> bytes, size_t pos,
                                       const std::string& what);

// What stopped a reading before the descriptor's end.
enum class DescriptorFault : uint8_t {
    none,
    bad_code,            // a byte that is not a descriptor code
    truncated,           // the bytes end inside the descriptor
    bad_shared_register, // a shared-block end whose register byte is not 9, 10 or 11
};

// A descriptor read as far as it goes: a reader that must act on every code before a fault (the
// engine builds the frame up to it) gets the frames and items read before it. The last frame is
// the one the fault is in; a bad shared register keeps its shared_block item, a truncated frame
// header leaves the frame's fields read so far.
struct DescriptorReading {
    EntryDescriptor desc;
    DescriptorFault fault = DescriptorFault::none;
    std::string message; // what parse_entry_descriptor throws for the fault
};
DescriptorReading read_entry_descriptor(std::span<const uint8_t> bytes, size_t pos,
                                        const std::string& what);
void encode_entry_descriptor(const EntryDescriptor& desc, std::vector<uint8_t>& out);

// Slot and numeric-region cells a frame needs; its size in bytes is 36 + 8 * cells.
uint32_t frame_cells(const FrameDescriptor& frame);
inline uint32_t frame_units_for(const FrameDescriptor& frame) {
    return (36 + 8 * frame_cells(frame)) / 2;
}

// The operand kinds a descriptor takes from the caller, in order: 'N' numeric, 'S' string,
// 'A' numeric array, 'B' string array, 'I' integer (channel number).
std::string argument_kinds(const EntryDescriptor& desc);

} // namespace quillet::bcode
