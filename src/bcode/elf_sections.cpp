#include "bcode/elf_sections.h"

#include "bcode/format_error.h"
#include "bcode/trailer.h"

#include <algorithm>
#include <cstring>

namespace quillet::bcode {

namespace {

// Field places of the two classes: ELF header, section header and program header.
struct Layout {
    size_t header_size, phoff, shoff, ehsize, phentsize, phnum, shentsize, shnum, shstrndx;
    size_t sh_size_of, sh_name, sh_type, sh_flags, sh_offset, sh_size, sh_addralign;
    size_t ph_size_of, p_type, p_offset, p_filesz;
    size_t word; // width of addresses, offsets and sizes
};

constexpr Layout layout32{.header_size = 52,
                          .phoff = 28,
                          .shoff = 32,
                          .ehsize = 40,
                          .phentsize = 42,
                          .phnum = 44,
                          .shentsize = 46,
                          .shnum = 48,
                          .shstrndx = 50,
                          .sh_size_of = 40,
                          .sh_name = 0,
                          .sh_type = 4,
                          .sh_flags = 8,
                          .sh_offset = 16,
                          .sh_size = 20,
                          .sh_addralign = 32,
                          .ph_size_of = 32,
                          .p_type = 0,
                          .p_offset = 4,
                          .p_filesz = 16,
                          .word = 4};
constexpr Layout layout64{.header_size = 64,
                          .phoff = 32,
                          .shoff = 40,
                          .ehsize = 52,
                          .phentsize = 54,
                          .phnum = 56,
                          .shentsize = 58,
                          .shnum = 60,
                          .shstrndx = 62,
                          .sh_size_of = 64,
                          .sh_name = 0,
                          .sh_type = 4,
                          .sh_flags = 8,
                          .sh_offset = 24,
                          .sh_size = 32,
                          .sh_addralign = 48,
                          .ph_size_of = 56,
                          .p_type = 0,
                          .p_offset = 8,
                          .p_filesz = 32,
                          .word = 8};

// A name table larger than this is not one a linker wrote.
constexpr uint64_t max_names_size = 1 << 20;
// Section indexes from 0xFF00 up are reserved; a count that large uses extended numbering.
constexpr uint64_t max_sections = 0xFF00;

const Layout& layout_of(bool is64) {
    return is64 ? layout64 : layout32;
}

uint64_t get_le(const uint8_t* p, size_t width) {
    uint64_t v = 0;
    for (size_t i = width; i-- > 0;)
        v = v << 8 | p[i];
    return v;
}

void put_le(uint8_t* p, size_t width, uint64_t v) {
    for (size_t i = 0; i < width; ++i, v >>= 8)
        p[i] = uint8_t(v);
}

// offset + size <= file_size, without overflow.
bool inside(uint64_t offset, uint64_t size, uint64_t file_size) {
    return offset <= file_size && size <= file_size - offset;
}

std::vector<uint8_t> read_range(const FileRangeReader& read, uint64_t offset, uint64_t size,
                                const std::string& what) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!read(offset, bytes)) throw FormatError("cannot read the " + what);
    return bytes;
}

} // namespace

bool is_elf(std::span<const uint8_t> head) {
    constexpr uint8_t magic[4] = {0x7F, 'E', 'L', 'F'};
    return head.size() >= 16 && std::memcmp(head.data(), magic, 4) == 0 &&
           (head[4] == 1 || head[4] == 2) && head[5] == 1;
}

std::optional<ElfFile> read_elf(uint64_t file_size, const FileRangeReader& read) {
    uint8_t ident[16];
    if (file_size < sizeof ident || !read(0, ident) || !is_elf(ident)) return std::nullopt;
    ElfFile elf;
    elf.is64 = ident[4] == 2;
    const Layout& l = layout_of(elf.is64);
    if (file_size < l.header_size) throw FormatError("the ELF header is cut short");
    std::vector<uint8_t> h = read_range(read, 0, l.header_size, "ELF header");
    elf.header_size = get_le(&h[l.ehsize], 2);
    elf.program_headers = get_le(&h[l.phoff], l.word);
    elf.section_headers = get_le(&h[l.shoff], l.word);
    elf.program_header_size = uint16_t(get_le(&h[l.phentsize], 2));
    elf.section_header_size = uint16_t(get_le(&h[l.shentsize], 2));
    uint64_t segment_count = get_le(&h[l.phnum], 2);
    uint64_t section_count = elf.section_headers ? get_le(&h[l.shnum], 2) : 0;
    elf.names_index = section_count ? uint16_t(get_le(&h[l.shstrndx], 2)) : 0;

    if (segment_count) {
        if (elf.program_header_size != l.ph_size_of)
            throw FormatError("the ELF program headers have an unexpected size");
        uint64_t table = segment_count * l.ph_size_of;
        if (!inside(elf.program_headers, table, file_size))
            throw FormatError("the ELF program header table lies outside the file");
        std::vector<uint8_t> t = read_range(read, elf.program_headers, table, "program headers");
        for (uint64_t i = 0; i < segment_count; ++i) {
            const uint8_t* p = &t[size_t(i * l.ph_size_of)];
            ElfSegment s{uint32_t(get_le(p + l.p_type, 4)), get_le(p + l.p_offset, l.word),
                         get_le(p + l.p_filesz, l.word)};
            if (!inside(s.offset, s.file_size, file_size))
                throw FormatError("ELF segment " + std::to_string(i) + " lies outside the file");
            elf.segments.push_back(s);
        }
    }
    if (!section_count) return elf;

    if (elf.section_header_size != l.sh_size_of)
        throw FormatError("the ELF section headers have an unexpected size");
    if (section_count >= max_sections) throw FormatError("the ELF file has too many sections");
    uint64_t table = section_count * l.sh_size_of;
    if (!inside(elf.section_headers, table, file_size))
        throw FormatError("the ELF section table lies outside the file");
    std::vector<uint8_t> t = read_range(read, elf.section_headers, table, "ELF section table");
    std::vector<uint32_t> name_offsets;
    for (uint64_t i = 0; i < section_count; ++i) {
        const uint8_t* p = &t[size_t(i * l.sh_size_of)];
        ElfSection s;
        name_offsets.push_back(uint32_t(get_le(p + l.sh_name, 4)));
        s.type = uint32_t(get_le(p + l.sh_type, 4));
        s.flags = get_le(p + l.sh_flags, l.word);
        s.offset = get_le(p + l.sh_offset, l.word);
        s.size = get_le(p + l.sh_size, l.word);
        bool has_bytes = s.type != elf_section_null && s.type != elf_section_nobits;
        if (has_bytes && !inside(s.offset, s.size, file_size))
            throw FormatError("ELF section " + std::to_string(i) + " (" + std::to_string(s.size) +
                              " bytes at offset " + std::to_string(s.offset) +
                              ") runs past the end of the file (" + std::to_string(file_size) +
                              " bytes)");
        elf.sections.push_back(s);
    }
    if (elf.names_index == 0) return elf; // no names: no section can be the image's
    if (elf.names_index >= section_count)
        throw FormatError("the ELF section-name table index is out of range");
    const ElfSection& names = elf.sections[elf.names_index];
    if (names.type == elf_section_nobits || names.size > max_names_size)
        throw FormatError("the ELF section-name table is not usable");
    elf.names = read_range(read, names.offset, names.size, "ELF section-name table");
    for (size_t i = 0; i < elf.sections.size(); ++i) {
        uint32_t at = name_offsets[i];
        if (at > elf.names.size())
            throw FormatError("the name of ELF section " + std::to_string(i) +
                              " lies outside the section-name table");
        auto begin = elf.names.begin() + at;
        elf.sections[i].name.assign(begin, std::find(begin, elf.names.end(), uint8_t(0)));
    }
    return elf;
}

std::optional<ElfFile> read_elf(std::span<const uint8_t> file) {
    return read_elf(file.size(), [file](uint64_t offset, std::span<uint8_t> out) {
        if (!inside(offset, out.size(), file.size())) return false;
        std::copy_n(file.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
        return true;
    });
}

std::optional<size_t> image_section(const ElfFile& elf) {
    std::optional<size_t> found;
    for (size_t i = 0; i < elf.sections.size(); ++i) {
        if (elf.sections[i].name != image_section_name) continue;
        if (found)
            throw FormatError("the executable has two " + std::string(image_section_name) +
                              " sections");
        found = i;
    }
    if (!found) return found;
    const ElfSection& s = elf.sections[*found];
    std::string name = image_section_name;
    if (s.type != elf_section_progbits)
        throw FormatError("the " + name + " section holds no bytes (type " +
                          std::to_string(s.type) + ")");
    if (s.size == 0) throw FormatError("the " + name + " section is empty");
    if (s.size > 0xFFFFFFFFu)
        throw FormatError("the " + name + " section is larger than an image can be");
    return found;
}

std::optional<std::vector<uint8_t>> with_image_section(std::span<const uint8_t> elf_file,
                                                       std::span<const uint8_t> image) {
    std::optional<ElfFile> elf = read_elf(elf_file);
    if (!elf || elf->sections.empty() || elf->names_index == 0) return std::nullopt;
    const Layout& l = layout_of(elf->is64);
    std::optional<size_t> own = image_section(*elf);

    // Everything the new file keeps: the headers, every segment and every section but the name
    // table, the section table and the image section, which are written anew after it.
    uint64_t keep = std::max({uint64_t(l.header_size), elf->header_size,
                              elf->program_headers + elf->segments.size() * l.ph_size_of});
    for (const ElfSegment& s : elf->segments)
        keep = std::max(keep, s.offset + s.file_size);
    for (size_t i = 0; i < elf->sections.size(); ++i) {
        const ElfSection& s = elf->sections[i];
        if (i == elf->names_index || i == own || s.type == elf_section_null ||
            s.type == elf_section_nobits)
            continue;
        keep = std::max(keep, s.offset + s.size);
    }
    keep = std::min<uint64_t>(keep, elf_file.size());

    // The name is reused when the table has it (binding again), else added at its end.
    std::vector<uint8_t> names = elf->names;
    std::string wanted = std::string(1, '\0') + image_section_name + '\0';
    auto at = std::search(names.begin(), names.end(), wanted.begin(), wanted.end());
    uint64_t name_offset = uint64_t(at - names.begin()) + 1;
    if (at == names.end()) {
        if (names.empty()) names.push_back(0);
        name_offset = names.size();
        names.insert(names.end(), wanted.begin() + 1, wanted.end());
    }

    size_t count = elf->sections.size();
    if (!own && count + 1 >= max_sections) throw FormatError("the ELF file has too many sections");
    std::vector<uint8_t> table(elf_file.begin() + std::ptrdiff_t(elf->section_headers),
                               elf_file.begin() +
                                   std::ptrdiff_t(elf->section_headers + count * l.sh_size_of));
    size_t own_index = own ? *own : count;
    if (!own) table.resize(table.size() + l.sh_size_of, 0);

    // Reserved whole: an engine is tens of megabytes, and every growth would copy all of it.
    std::vector<uint8_t> out;
    out.reserve(keep + names.size() + l.word + table.size() + image.size() + trailer_size);
    out.assign(elf_file.begin(), elf_file.begin() + std::ptrdiff_t(keep));
    uint64_t names_at = out.size();
    out.insert(out.end(), names.begin(), names.end());
    out.resize((out.size() + l.word - 1) / l.word * l.word, 0);
    uint64_t table_at = out.size();
    uint64_t image_at = table_at + table.size();

    uint8_t* n = &table[elf->names_index * l.sh_size_of];
    put_le(n + l.sh_offset, l.word, names_at);
    put_le(n + l.sh_size, l.word, names.size());
    uint8_t* s = &table[own_index * l.sh_size_of];
    std::fill_n(s, l.sh_size_of, uint8_t(0));
    put_le(s + l.sh_name, 4, name_offset);
    put_le(s + l.sh_type, 4, elf_section_progbits);
    put_le(s + l.sh_offset, l.word, image_at);
    put_le(s + l.sh_size, l.word, image.size());
    put_le(s + l.sh_addralign, l.word, 1);
    out.insert(out.end(), table.begin(), table.end());
    out.insert(out.end(), image.begin(), image.end());

    put_le(&out[l.shoff], l.word, table_at);
    put_le(&out[l.shnum], 2, table.size() / l.sh_size_of);
    return out;
}

} // namespace quillet::bcode
