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
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
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

// The executable, read by ranges with plain system calls: the stream library would build the
// C++ locale first, which costs a bound program's start more than reading its image does.
class ExecutableFile {
public:
    explicit ExecutableFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat st;
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && st.st_size > 0) size_ = uint64_t(st.st_size);
    }
    ExecutableFile(const ExecutableFile&) = delete;
    ExecutableFile& operator=(const ExecutableFile&) = delete;
    ~ExecutableFile() {
        if (fd_ >= 0) ::close(fd_);
    }

    bool is_open() const { return fd_ >= 0; }
    uint64_t size() const { return size_; }

    // All of out from offset; false when the file ends first or a read fails.
    bool read(uint64_t offset, std::span<uint8_t> out) const {
        size_t done = 0;
        while (done < out.size()) {
            ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, off_t(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += size_t(n);
        }
        return true;
    }

private:
    int fd_;
    uint64_t size_ = 0;
};

// The executable's ELF image section, where the image still is after a strip removed the
// trailer; only its headers and the section are read. Throws FormatError for a damaged table.
std::optional<std::vector<uint8_t>> section_image(const ExecutableFile& in) {
    bcode::FileRangeReader read = [&in](uint64_t offset, std::span<uint8_t> out) {
        return in.read(offset, out);
    };
    uint64_t size = in.size();
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
    ExecutableFile in(executable);
    uint64_t size = in.size();
    if (size < bcode::trailer_size) return false;
    std::vector<uint8_t> tail(bcode::trailer_size);
    if (in.read(size - tail.size(), tail) && bcode::has_trailer(tail)) return true;
    try {
        return section_image(in).has_value();
    } catch (const bcode::FormatError&) {
        return true; // a damaged one: loading it says what is wrong
    }
}

void load_image(const std::string& executable) {
    ExecutableFile in(executable);
    if (!in.is_open()) {
        debug_log("file error: %d %d %s %d", 0, errno, executable.c_str(), int(executable.size()));
        fatal_stop("This application contains no bcode. ");
    }
    // Only the trailer and the image are read, not the engine in front of them.
    uint64_t size = in.size();
    if (size == 0) fatal_stop("This application contains no bcode. ");
    std::vector<uint8_t> tail(size_t(std::min<uint64_t>(size, bcode::trailer_size)));
    if (!in.read(size - tail.size(), tail)) fatal_stop("This application contains no bcode. ");
    if (!bcode::has_trailer(tail)) {
        std::optional<std::vector<uint8_t>> image;
        try {
            image = section_image(in);
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
    if (uint64_t{length} + bcode::trailer_size > size)
        fatal_stop("malformed image: the trailer's image length exceeds the file");
    uint64_t start = size - bcode::trailer_size - length;
    std::vector<uint8_t> file(size_t(size - start));
    if (!in.read(start, file)) fatal_stop("This application contains no bcode. ");
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
