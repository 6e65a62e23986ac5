#include "startup/image_loader.h"

#include "bcode/elf_sections.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "interp/bif_dispatch.h"
#include "interp/fatal.h"
#include "interp/registers.h"
#include "values/debug_log.h"
#include "values/memory.h"
#include "xvt/xvt.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <vector>

namespace quillet {
namespace {

// The shared channel table of modules without one: count 0. It lives below the heap.
constexpr Addr empty_channel_table = 32;

std::span<const uint8_t> image_bytes() {
    return {reinterpret_cast<const uint8_t*>(host_ptr(program.image)), program.image_size};
}

void install_image(std::span<const uint8_t> image) {
    program.image = mem_alloc(uint32_t(image.size()));
    program.image_size = uint32_t(image.size());
    std::memcpy(host_ptr(program.image), image.data(), image.size());
}

[[noreturn]] void malformed(const bcode::FormatError& e) {
    std::string text = std::string("malformed image: ") + e.what();
    fatal_stop(text.c_str());
}

// The executable's ELF image section, where the image still is after a strip removed the
// trailer; only its headers and the section are read. Throws FormatError for a damaged table.
std::optional<std::vector<uint8_t>> section_image(std::ifstream& in, uint64_t size) {
    bcode::FileRangeReader read = [&in](uint64_t offset, std::span<uint8_t> out) {
        in.clear();
        in.seekg(std::streamoff(offset));
        in.read(reinterpret_cast<char*>(out.data()), std::streamsize(out.size()));
        return bool(in);
    };
    std::optional<bcode::ElfFile> elf = bcode::read_elf(size, read);
    std::optional<size_t> index = elf ? bcode::image_section(*elf) : std::nullopt;
    if (!index) return std::nullopt;
    const bcode::ElfSection& section = elf->sections[*index];
    std::vector<uint8_t> image(size_t(section.size));
    if (!read(section.offset, image)) throw bcode::FormatError("cannot read the image section");
    return image;
}

} // namespace

bool carries_image(const std::string& executable) {
    std::ifstream in(executable, std::ios::binary | std::ios::ate);
    std::streamoff size = in ? std::streamoff(in.tellg()) : 0;
    if (size < std::streamoff(bcode::trailer_size)) return false;
    std::vector<uint8_t> tail(bcode::trailer_size);
    in.seekg(size - std::streamoff(tail.size()));
    in.read(reinterpret_cast<char*>(tail.data()), std::streamsize(tail.size()));
    if (in && bcode::has_trailer(tail)) return true;
    try {
        return section_image(in, uint64_t(size)).has_value();
    } catch (const bcode::FormatError&) {
        return true; // a damaged one: loading it says what is wrong
    }
}

void load_image(const std::string& executable) {
    std::ifstream in(executable, std::ios::binary | std::ios::ate);
    if (!in) {
        debug_log("file error: %d %d %s %d", 0, errno, executable.c_str(), int(executable.size()));
        fatal_stop("This application contains no bcode. ");
    }
    // Only the trailer and the image are read, not the engine in front of them.
    std::streamoff size = in.tellg();
    if (size <= 0) fatal_stop("This application contains no bcode. ");
    std::vector<uint8_t> tail(size_t(std::min<std::streamoff>(size, bcode::trailer_size)));
    in.seekg(size - std::streamoff(tail.size()));
    in.read(reinterpret_cast<char*>(tail.data()), std::streamsize(tail.size()));
    if (!bcode::has_trailer(tail)) {
        std::optional<std::vector<uint8_t>> image;
        try {
            image = section_image(in, uint64_t(size));
        } catch (const bcode::FormatError& e) {
            malformed(e);
        }
        if (image)
            install_image(*image);
        else
            load_image_from(tail); // no image: the version check stops the run
        return;
    }
    uint32_t length = uint32_t(tail[0]) | uint32_t(tail[1]) << 8 | uint32_t(tail[2]) << 16 |
                      uint32_t(tail[3]) << 24;
    std::streamoff start = size - std::streamoff(bcode::trailer_size) - std::streamoff(length);
    if (start < 0) fatal_stop("malformed image: the trailer's image length exceeds the file");
    std::vector<uint8_t> file(size_t(size - start));
    in.seekg(start);
    in.read(reinterpret_cast<char*>(file.data()), std::streamsize(file.size()));
    if (!in) fatal_stop("This application contains no bcode. ");
    load_image_from(file);
}

void load_image_from(std::span<const uint8_t> file) {
    program.image = 0;
    program.image_size = 0;
    if (file.empty()) fatal_stop("This application contains no bcode. ");
    if (!bcode::carries_bound_image(file)) return; // no image: the version check stops the run
    try {
        install_image(bcode::find_bound_image(file));
    } catch (const bcode::FormatError& e) {
        malformed(e);
    }
}

void lay_out_image() {
    std::span<const uint8_t> bytes = image_bytes();
    if (bytes.empty())
        fatal_stop("version error",
                   "no B-code image is bound to this executable; see quillet bind");
    if (bytes.size() < 8 || std::memcmp(bytes.data(), bcode::image_magic, 4) != 0)
        fatal_stop("version error", "the bound image does not start with the B-code magic "
                                    "D4 42 55 58: it is damaged or not an image");
    if (uint32_t version = load_u32(program.image + 4); version != bcode::image_version) {
        std::string detail = "the bound image has version " + std::to_string(version) +
                             "; this engine runs version " + std::to_string(bcode::image_version);
        fatal_stop("version error", detail);
    }
    bcode::ImageLayout layout;
    try {
        layout = bcode::validate_image(bytes);
    } catch (const bcode::FormatError& e) {
        std::string text = std::string("malformed image: ") + e.what();
        fatal_stop(text.c_str());
    }
    Addr base = program.image;
    program.bif_overrides = base + bcode::override_table_offset;
    program.code_area = base + Addr(layout.code_area);
    program.cell_area1 = base + Addr(layout.cells1);
    program.cell_area2 = base + Addr(layout.cells2);
    program.literal_tail = base + Addr(layout.literal_tail);

    // String-pointer entries hold (record - code area + 4); make them record addresses.
    for (size_t at = layout.string_pointers; at < layout.module_table; at += 4) {
        Addr word = base + Addr(at);
        store_u32(word, program.code_area + load_u32(word) - 4);
    }

    program.modules.clear();
    for (size_t offset : layout.module_offsets) {
        Addr m = base + Addr(offset) + Addr(bcode::module_base_offset);
        auto table = [m](int i) { return m + load_u16(m + 2 * Addr(i)); };
        uint16_t channels = load_u16(m + 12);
        program.modules.push_back({m, table(0), table(1), table(2), table(3), table(4), table(5),
                                   channels ? m + channels : empty_channel_table});
    }
    program.start_module = load_u16(base + 30);
    program.start_entry = program.modules[program.start_module].base + load_u16(base + 28);
}

void check_bif_overrides() {
    for (uint32_t n = 0; n < bif_count; ++n) {
        if (n == 13 || n == 14 || n == 94 || n == 356) continue;
        if (load_u16(program.bif_overrides + 4 * n) != 0 && bif_table.native[n]) {
            char text[32];
            std::snprintf(text, sizeof text, "DUP %u\n", n);
            xvt_dm_post_message(MessageKind::note, text);
            run_exit();
        }
    }
}

} // namespace quillet
