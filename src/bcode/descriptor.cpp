#include "bcode/descriptor.h"

#include "bcode/byte_reader.h"
#include "bcode/format_error.h"
#include "bcode/numbers.h"

namespace quillet::bcode {

namespace {

constexpr DescriptorCodeInfo all_codes[] = {
#define QUILLET_DESC(code, name, data) {code, #name, data},
#include "bcode/descriptor_codes.def"
#undef QUILLET_DESC
};

void put_u32be(uint32_t v, std::vector<uint8_t>& out) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

// Reads the data of the item whose code byte was just read. A bad code or register byte is a
// fault of the reading; running out of bytes throws FormatError from the reader.
DescriptorFault read_item(ByteReader& in, uint8_t code, DescriptorItem& item,
                          std::string& message) {
    const DescriptorCodeInfo* info = descriptor_code_info(code);
    if (!info) {
        message = "entry descriptor: code " + std::to_string(code) + " at offset " +
                  std::to_string(in.pos() - 1) + " is not a descriptor code";
        return DescriptorFault::bad_code;
    }
    item.code = code;
    item.data_pos = in.pos();
    switch (info->data) {
    case 'F': item.number = in.u24be("fixed-length string size"); break;
    case 'D': {
        // More than 30 dimensions is well-formed: the engine raises 5001 when it runs.
        uint8_t dims = in.u8("array dimension count");
        for (int d = 0; d < dims; ++d) {
            int32_t lower = int32_t(in.u32be("array lower bound"));
            item.bounds.push_back({lower, in.u32be("array element count")});
        }
        item.max_length = in.u32be("array maximum length");
        break;
    }
    case 'U': item.number = in.unsigned_number("descriptor count"); break;
    case 'R':
        item.number = in.u8("shared register");
        if (item.number < shared_register_byte_bias ||
            item.number >= shared_register_byte_bias + shared_register_count) {
            message = "entry descriptor: shared register byte " + std::to_string(item.number) +
                      " (must be 9, 10 or 11)";
            return DescriptorFault::bad_shared_register;
        }
        break;
    case 'L':
        if (in.peek("native routine") == native_cached_mark) {
            in.u8("native routine");
            item.native_cached = true;
            item.native_address = in.u32le("native routine address");
        } else {
            item.procedure = in.c_string("native procedure name");
            item.library = in.c_string("native library name");
        }
        break;
    default: break;
    }
    return DescriptorFault::none;
}

bool ends_frame(uint8_t code) {
    return code == desc_own_env || code == desc_caller_env || code == desc_shared_block ||
           code == desc_native;
}

} // namespace

const DescriptorCodeInfo* descriptor_code_info(uint8_t code) {
    for (const DescriptorCodeInfo& info : all_codes)
        if (info.code == code) return &info;
    return nullptr;
}

DescriptorReading read_entry_descriptor(std::span<const uint8_t> bytes, size_t pos,
                                        const std::string& what) {
    ByteReader in(bytes, what, pos);
    DescriptorReading reading;
    std::vector<FrameDescriptor>& frames = reading.desc.frames;
    try {
        for (;;) {
            FrameDescriptor& frame = frames.emplace_back();
            frame.frame_units = in.unsigned_number("frame size");
            frame.numeric_locals = in.unsigned_number("numeric local count");
            frame.string_locals = in.unsigned_number("string local count");
            uint8_t code;
            do {
                code = in.u8("descriptor code");
                DescriptorItem item;
                reading.fault = read_item(in, code, item, reading.message);
                if (reading.fault == DescriptorFault::bad_shared_register)
                    frame.items.push_back(std::move(item));
                if (reading.fault != DescriptorFault::none) return reading;
                frame.items.push_back(std::move(item));
            } while (!ends_frame(code));
            if (code != desc_shared_block) {
                reading.desc.size = in.pos() - pos;
                return reading;
            }
        }
    } catch (const FormatError& e) {
        reading.fault = DescriptorFault::truncated;
        reading.message = e.what();
        return reading;
    }
}

EntryDescriptor parse_entry_descriptor(std::span<const uint8_t> bytes, size_t pos,
                                       const std::string& what) {
    DescriptorReading reading = read_entry_descriptor(bytes, pos, what);
    if (reading.fault != DescriptorFault::none) throw FormatError(reading.message);
    // A well-formed frame list is short: more blocks than this are a corrupt descriptor.
    constexpr size_t max_frames = 64;
    if (reading.desc.frames.size() > max_frames)
        throw FormatError(what + ": more than 64 shared blocks in one entry descriptor");
    return std::move(reading.desc);
}

void encode_entry_descriptor(const EntryDescriptor& desc, std::vector<uint8_t>& out) {
    for (const FrameDescriptor& frame : desc.frames) {
        encode_unsigned(frame.frame_units, out);
        encode_unsigned(frame.numeric_locals, out);
        encode_unsigned(frame.string_locals, out);
        for (const DescriptorItem& item : frame.items) {
            const DescriptorCodeInfo* info = descriptor_code_info(item.code);
            if (!info)
                throw FormatError("entry descriptor code " + std::to_string(item.code) +
                                  " does not exist");
            out.push_back(item.code);
            switch (info->data) {
            case 'F':
                if (item.number > 0xFFFFFF)
                    throw FormatError("fixed-length string size " + std::to_string(item.number) +
                                      " does not fit in 3 bytes");
                for (int shift = 16; shift >= 0; shift -= 8)
                    out.push_back(uint8_t(item.number >> shift));
                break;
            case 'D':
                out.push_back(uint8_t(item.bounds.size()));
                for (const ArrayBound& b : item.bounds) {
                    put_u32be(uint32_t(b.lower), out);
                    put_u32be(b.count, out);
                }
                put_u32be(item.max_length, out);
                break;
            case 'U': encode_unsigned(item.number, out); break;
            case 'R': out.push_back(uint8_t(item.number)); break;
            case 'L':
                if (item.native_cached) {
                    out.push_back(native_cached_mark);
                    for (int shift = 0; shift < 32; shift += 8)
                        out.push_back(uint8_t(item.native_address >> shift));
                } else {
                    out.insert(out.end(), item.procedure.begin(), item.procedure.end());
                    out.push_back(0);
                    out.insert(out.end(), item.library.begin(), item.library.end());
                    out.push_back(0);
                }
                break;
            default: break;
            }
        }
    }
}

uint32_t frame_cells(const FrameDescriptor& frame) {
    uint32_t cells = frame.numeric_locals + frame.string_locals;
    for (const DescriptorItem& item : frame.items) {
        switch (item.code) {
        case desc_none:
        case desc_own_env:
        case desc_caller_env:
        case desc_shared_block:
        case desc_native: break;
        case desc_reserve: cells += item.number; break;
        default: cells += 1; break;
        }
    }
    return cells;
}

std::string argument_kinds(const EntryDescriptor& desc) {
    std::string kinds;
    for (const FrameDescriptor& frame : desc.frames)
        for (const DescriptorItem& item : frame.items)
            switch (item.code) {
            case desc_num_value:
            case desc_num_ref:
            case desc_num_result: kinds += 'N'; break;
            case desc_str_value:
            case desc_str_ref:
            case desc_str_result: kinds += 'S'; break;
            case desc_num_array_value:
            case desc_num_array_ref: kinds += 'A'; break;
            case desc_str_array_value:
            case desc_str_array_ref: kinds += 'B'; break;
            case desc_channel: kinds += 'I'; break;
            default: break;
            }
    return kinds;
}

} // namespace quillet::bcode
