#include "porting.h"

#include "bcode/bifs.h"
#include "bcode/byte_reader.h"
#include "bcode/image.h"
#include "bcode/line_table.h"

#include <algorithm>
#include <cstring>
#include <png.h>

namespace quillet::tools {

using namespace bcode;

namespace {

constexpr size_t units_shown = 6;

std::vector<std::string> unit_names(const Module& module) {
    std::vector<std::string> names;
    LineTable lines =
        parse_line_table(module.bytes, module.table_position(table_lines), "line table");
    for (const LineItem& item : lines.items)
        if (item.kind == LineItem::routine) names.push_back(item.name);
    return names;
}

std::string bif_label(size_t n) {
    const BifInfo* info = bif_info(uint32_t(n));
    return std::to_string(n) + (info ? " " + std::string(info->name) : "");
}

} // namespace

std::string describe_image(std::span<const uint8_t> bytes) {
    const Image image = read_image(bytes);
    std::string out = "image: " + std::to_string(bytes.size()) + " bytes\n";
    out += "modules: " + std::to_string(image.modules.size()) + "\n";
    for (size_t m = 0; m < image.modules.size(); ++m) {
        const Module& module = image.modules[m];
        out +=
            "  module " + std::to_string(m) + ": " + std::to_string(module.bytes.size()) + " bytes";
        std::vector<std::string> names = unit_names(module);
        if (names.empty()) out += ", no named units";
        for (size_t i = 0; i < names.size() && i < units_shown; ++i)
            out += (i == 0 ? ", units: " : ", ") + names[i];
        if (names.size() > units_shown)
            out += " and " + std::to_string(names.size() - units_shown) + " more";
        out += "\n";
    }
    std::vector<size_t> overridden;
    for (size_t n = 0; n < bif_count; ++n)
        if (image.overrides[n].entry_offset != 0) overridden.push_back(n);
    out += "bif overrides: " + std::to_string(overridden.size());
    for (size_t i = 0; i < overridden.size(); ++i)
        out += (i == 0 ? " (" : ", ") + bif_label(overridden[i]);
    out += overridden.empty() ? "\n" : ")\n";
    bool to_text = image.overrides[bif::number_to_string].entry_offset != 0;
    bool to_number = image.overrides[bif::string_to_number].entry_offset != 0;
    if (to_text && to_number) {
        out += "formatting bifs 13 and 14: supplied by the image's library (numbers and texts "
               "beyond the engine's integer fast paths are converted by it)\n";
    } else {
        std::string missing = !to_text && !to_number ? "13 and 14"
                              : !to_text             ? "13 (number_to_string)"
                                                     : "14 (string_to_number)";
        out += "formatting bifs: the image's library does not supply " + missing +
               ": the engine itself converts only integers of up to 8 digits and digit strings "
               "shorter than 10 bytes; any other conversion with " +
               (to_text || to_number ? "it" : "them") +
               " stops the program with \"unimplemented bif\"\n";
    }
    return out;
}

// --- The icon of a PE executable ---

namespace {

// Bounds-checked little-endian reads; every offset comes from the file.
struct Bytes {
    std::span<const uint8_t> data;
    bool has(uint64_t offset, uint64_t size) const {
        return offset <= data.size() && size <= data.size() - offset;
    }
    std::optional<uint16_t> u16(uint64_t offset) const {
        if (!has(offset, 2)) return std::nullopt;
        return get_u16le(data.data() + offset);
    }
    std::optional<uint32_t> u32(uint64_t offset) const {
        if (!has(offset, 4)) return std::nullopt;
        return get_u32le(data.data() + offset);
    }
};

struct Section {
    uint32_t address, size, raw_size, raw_offset;
};

class PeResources {
public:
    explicit PeResources(std::span<const uint8_t> exe) : m_file{exe} {}

    // Reads the headers; false with `why` set when there is no resource directory.
    bool open(std::string& why) {
        if (!m_file.has(0, 2) || m_file.data[0] != 'M' || m_file.data[1] != 'Z') {
            why = "it is not a Windows executable";
            return false;
        }
        auto pe = m_file.u32(0x3C);
        if (!pe || !m_file.has(*pe, 24) || std::memcmp(m_file.data.data() + *pe, "PE\0\0", 4)) {
            why = "it is an MS-DOS executable without a Windows (PE) header";
            return false;
        }
        auto sections = m_file.u16(*pe + 6);
        auto optional_size = m_file.u16(*pe + 20);
        uint64_t optional = uint64_t(*pe) + 24;
        auto magic = m_file.u16(optional);
        if (!sections || !optional_size || !magic || (*magic != 0x10B && *magic != 0x20B)) {
            why = "its PE header is damaged";
            return false;
        }
        uint64_t directories = optional + (*magic == 0x10B ? 96 : 112);
        auto count = m_file.u32(directories - 4);
        auto rva = m_file.u32(directories + 16);
        if (!count || *count < 3 || !rva || *rva == 0 ||
            directories + 24 > optional + *optional_size) {
            why = "it has no resources";
            return false;
        }
        uint64_t table = optional + *optional_size;
        for (uint32_t i = 0; i < *sections; ++i) {
            uint64_t s = table + uint64_t(i) * 40;
            auto size = m_file.u32(s + 8), address = m_file.u32(s + 12);
            auto raw_size = m_file.u32(s + 16), raw_offset = m_file.u32(s + 20);
            if (!size || !address || !raw_size || !raw_offset) break;
            m_sections.push_back({*address, *size, *raw_size, *raw_offset});
        }
        auto base = file_offset(*rva, 16);
        if (!base) {
            why = "its resource directory lies outside its sections";
            return false;
        }
        m_base = *base;
        return true;
    }

    // The data of resource TYPE with ID (any ID when none), first language.
    std::optional<std::span<const uint8_t>> find(uint32_t type, std::optional<uint32_t> id) const {
        auto types = entry(m_base, type, true);
        if (!types) return std::nullopt;
        auto names = entry(*types, id, true);
        if (!names) return std::nullopt;
        auto data = entry(*names, std::nullopt, false);
        if (!data) return std::nullopt;
        auto rva = m_file.u32(*data), size = m_file.u32(*data + 4);
        if (!rva || !size) return std::nullopt;
        auto offset = file_offset(*rva, *size);
        if (!offset) return std::nullopt;
        return m_file.data.subspan(*offset, *size);
    }

private:
    std::optional<uint64_t> file_offset(uint32_t rva, uint64_t size) const {
        for (const Section& s : m_sections) {
            uint64_t span = std::max(s.size, s.raw_size);
            if (rva < s.address || rva - s.address >= span) continue;
            uint64_t within = rva - s.address;
            if (within + size > s.raw_size) return std::nullopt;
            uint64_t offset = uint64_t(s.raw_offset) + within;
            if (!m_file.has(offset, size)) return std::nullopt;
            return offset;
        }
        return std::nullopt;
    }

    // The entry of the directory at `dir` (a resource offset) with that ID, or its first entry
    // with an ID; a subdirectory's offset or a data entry's, as `subdirectory` asks.
    std::optional<uint64_t> entry(uint64_t dir, std::optional<uint32_t> id,
                                  bool subdirectory) const {
        auto named = m_file.u16(dir + 12), ids = m_file.u16(dir + 14);
        if (!named || !ids) return std::nullopt;
        for (uint32_t i = 0; i < uint32_t(*named) + *ids; ++i) {
            uint64_t e = dir + 16 + uint64_t(i) * 8;
            auto name = m_file.u32(e), target = m_file.u32(e + 4);
            if (!name || !target) return std::nullopt;
            if (*name & 0x80000000u) continue; // named entries: icons are numbered
            if (id && *name != *id) continue;
            if (bool(*target & 0x80000000u) != subdirectory) return std::nullopt;
            return m_base + (*target & 0x7FFFFFFFu);
        }
        return std::nullopt;
    }

    Bytes m_file;
    std::vector<Section> m_sections;
    uint64_t m_base = 0;
};

constexpr uint32_t resource_icon = 3;
constexpr uint32_t resource_group_icon = 14;
constexpr uint8_t png_signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A device-independent bitmap of an icon (its XOR picture over its AND mask) as RGBA rows.
std::optional<std::vector<uint8_t>> dib_to_rgba(std::span<const uint8_t> dib, uint32_t& width,
                                                uint32_t& height) {
    Bytes in{dib};
    auto header = in.u32(0), w = in.u32(4), h2 = in.u32(8);
    auto bits = in.u16(14);
    auto compression = in.u32(16), used = in.u32(32);
    if (!header || *header < 40 || !w || !h2 || !bits || !compression || !used || *compression != 0)
        return std::nullopt;
    width = *w;
    height = *h2 / 2;
    const uint32_t bpp = *bits;
    if (width < 1 || width > 256 || height < 1 || height > 256 ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32))
        return std::nullopt;
    uint64_t colours = bpp <= 8 ? (*used ? *used : 1u << bpp) : 0;
    if (colours > 256) return std::nullopt;
    uint64_t palette = *header;
    uint64_t pixels = palette + colours * 4;
    uint64_t stride = (uint64_t(width) * bpp + 31) / 32 * 4;
    uint64_t mask = pixels + stride * height;
    uint64_t mask_stride = (uint64_t(width) + 31) / 32 * 4;
    bool has_mask = in.has(mask, mask_stride * height);
    if (!in.has(pixels, stride * height) || (bpp != 32 && !has_mask)) return std::nullopt;
    std::vector<uint8_t> rgba(uint64_t(width) * height * 4);
    bool any_alpha = false;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = dib.data() + pixels + stride * (height - 1 - y); // bottom-up
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(uint64_t(y) * width + x) * 4];
            if (bpp >= 24) {
                const uint8_t* q = row + uint64_t(x) * (bpp / 8);
                p[0] = q[2];
                p[1] = q[1];
                p[2] = q[0];
                p[3] = bpp == 32 ? q[3] : 255;
                any_alpha |= bpp == 32 && q[3] != 0;
            } else {
                uint64_t bit = uint64_t(x) * bpp;
                uint32_t index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                if (index >= colours) index = 0;
                const uint8_t* c = dib.data() + palette + index * 4;
                p[0] = c[2];
                p[1] = c[1];
                p[2] = c[0];
                p[3] = 255;
            }
        }
    }
    // The AND mask gives the transparency of pictures without an alpha channel of their own.
    if (!any_alpha && has_mask)
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = dib.data() + mask + mask_stride * (height - 1 - y);
            for (uint32_t x = 0; x < width; ++x)
                if ((row[x / 8] >> (7 - x % 8)) & 1) rgba[(uint64_t(y) * width + x) * 4 + 3] = 0;
        }
    else if (!any_alpha)
        for (uint64_t i = 3; i < rgba.size(); i += 4)
            rgba[i] = 255;
    return rgba;
}

std::optional<std::vector<uint8_t>> rgba_to_png(const std::vector<uint8_t>& rgba, uint32_t width,
                                                uint32_t height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr))
        return std::nullopt;
    std::vector<uint8_t> png(size);
    if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr))
        return std::nullopt;
    png.resize(size);
    return png;
}

} // namespace

std::optional<std::vector<uint8_t>> windows_icon_png(std::span<const uint8_t> exe,
                                                     std::string& why) {
    PeResources resources(exe);
    if (!resources.open(why)) return std::nullopt;
    auto group = resources.find(resource_group_icon, std::nullopt);
    if (!group) {
        why = "it has no icon";
        return std::nullopt;
    }
    // The group's pictures: the largest, then the one with the most colours.
    Bytes g{*group};
    auto count = g.u16(4);
    std::optional<uint32_t> best_id;
    uint32_t best_area = 0, best_bits = 0;
    for (uint32_t i = 0; count && i < *count; ++i) {
        uint64_t e = 6 + uint64_t(i) * 14;
        auto bits = g.u16(e + 6), id = g.u16(e + 12);
        if (!bits || !id) break;
        uint32_t w = (*group)[e] ? (*group)[e] : 256, h = (*group)[e + 1] ? (*group)[e + 1] : 256;
        if (w * h > best_area || (w * h == best_area && *bits > best_bits)) {
            best_area = w * h;
            best_bits = *bits;
            best_id = *id;
        }
    }
    auto picture = best_id ? resources.find(resource_icon, *best_id) : std::nullopt;
    if (!picture) {
        why = "its icon group names no picture it holds";
        return std::nullopt;
    }
    if (picture->size() >= 8 && std::memcmp(picture->data(), png_signature, 8) == 0)
        return std::vector<uint8_t>(picture->begin(), picture->end());
    uint32_t width = 0, height = 0;
    std::optional<std::vector<uint8_t>> rgba = dib_to_rgba(*picture, width, height);
    std::optional<std::vector<uint8_t>> png = rgba ? rgba_to_png(*rgba, width, height) : rgba;
    if (!png) why = "its icon is in a form this tool does not read";
    return png;
}

namespace {

// A value of a desktop entry: backslashes and line breaks escaped.
std::string entry_value(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// One argument of Exec: quoted when it holds a reserved character, with ", `, $ and \ escaped
// inside the quotes, and % doubled.
std::string exec_argument(const std::string& word) {
    bool quote = word.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string out;
    for (char c : word) {
        if (c == '%')
            out += "%%";
        else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += std::string("\\") + c;
        else
            out += c;
    }
    return quote ? "\"" + out + "\"" : out;
}

} // namespace

std::string desktop_entry(const std::string& name, const std::string& program,
                          const std::string& icon) {
    std::string out = "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=" +
                      entry_value(name) +
                      "\n"
                      "Comment=" +
                      entry_value(name + ", ported with quillet") +
                      "\n"
                      "Exec=" +
                      entry_value(exec_argument(program)) + "\n";
    if (!icon.empty()) out += "Icon=" + entry_value(icon) + "\n";
    out += "Terminal=false\n"
           "Categories=Utility;\n";
    return out;
}

} // namespace quillet::tools
