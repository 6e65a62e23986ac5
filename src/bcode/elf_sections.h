// The ELF side of a bound executable. Besides the trailer, `quillet bind` puts the image into a
// section of its own, ".quillet_image" (non-allocated, PROGBITS), which `strip` and `objcopy`
// keep while they drop bytes appended after the ELF file. This file reads an ELF file's section
// table, little-endian ELF32 or ELF64, through a reader of file ranges, so that the engine reads
// only the headers of its own (large) executable and the tools can work on bytes in memory.
// Every offset and size is checked against the file: a damaged or forged table is a FormatError.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quillet::bcode {

inline constexpr char image_section_name[] = ".quillet_image";

inline constexpr uint32_t elf_section_null = 0;
inline constexpr uint32_t elf_section_progbits = 1;
inline constexpr uint32_t elf_section_nobits = 8;

// Fills `out` with the file's bytes at `offset`; false when they cannot all be read.
using FileRangeReader = std::function<bool(uint64_t offset, std::span<uint8_t> out)>;

struct ElfSection {
    std::string name;
    uint32_t type = 0;
    uint64_t flags = 0;
    uint64_t offset = 0;
    uint64_t size = 0;
};

struct ElfSegment {
    uint32_t type = 0;
    uint64_t offset = 0;
    uint64_t file_size = 0;
};

struct ElfFile {
    bool is64 = false;
    uint64_t header_size = 0;                          // e_ehsize
    uint64_t program_headers = 0, section_headers = 0; // e_phoff, e_shoff
    uint16_t program_header_size = 0, section_header_size = 0;
    uint16_t names_index = 0; // e_shstrndx; 0: the sections have no names
    std::vector<ElfSegment> segments;
    std::vector<ElfSection> sections;
    std::vector<uint8_t> names; // the section-name string table
};

// True when the bytes start like a little-endian ELF32 or ELF64 file.
bool is_elf(std::span<const uint8_t> head);

// The headers of an ELF file of `file_size` bytes: nullopt when it is not a little-endian
// ELF32/ELF64 file. Throws FormatError when a header or table lies outside the file or is
// inconsistent.
std::optional<ElfFile> read_elf(uint64_t file_size, const FileRangeReader& read);
std::optional<ElfFile> read_elf(std::span<const uint8_t> file);

// The index of the image section, nullopt when there is none. Throws FormatError when there are
// two, or when it is not PROGBITS, is empty or larger than an image length can say (its range is
// already known to lie inside the file).
std::optional<size_t> image_section(const ElfFile& elf);

// The ELF file followed by a fresh section-name table, a section table that also describes the
// image section, and the image (the caller appends the trailer, so that the image ends right
// before it). A file that already has an image section has that entry reused, and the old
// section table, name table and image are left out when nothing that stays lies after them:
// binding again gives the same bytes. nullopt when the file is not ELF or has no section table.
// Throws FormatError for a damaged file.
std::optional<std::vector<uint8_t>> with_image_section(std::span<const uint8_t> elf_file,
                                                       std::span<const uint8_t> image);

} // namespace quillet::bcode
