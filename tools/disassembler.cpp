#include "disassembler.h"

#include "asm_error.h"
#include "asm_lexer.h"
#include "assembler.h"
#include "bcode/bifs.h"
#include "bcode/byte_reader.h"
#include "bcode/descriptor.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/line_table.h"
#include "bcode/numbers.h"
#include "bcode/ops.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace quillet::tools {

using namespace bcode;

namespace {

// Jump targets are written as placeholders while decoding and replaced by labels at the end;
// \x01 never appears in the output otherwise (strings escape it).
std::string target_placeholder(size_t pos) {
    return "\x01" + std::to_string(pos) + "\x02";
}

// A bif by its name in the bif table, or by number when the table has none.
std::string bif_spelling(uint32_t bif) {
    const BifInfo* b = bif_info(bif);
    return b ? std::string(b->name) : std::to_string(bif);
}

std::string hex(uint64_t v, int width = 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", width, static_cast<unsigned long long>(v));
    return buf;
}

std::string cell_text(uint64_t bits) {
    if (bits >> 32 == 0xFFFFFFFF) return std::to_string(int32_t(uint32_t(bits)));
    double d = std::bit_cast<double>(bits);
    if (!std::isfinite(d)) return "bits 0x" + hex(bits, 16);
    for (int precision = 1; precision <= 17; ++precision) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*g", precision, d);
        if (std::bit_cast<uint64_t>(std::strtod(buf, nullptr)) != bits) continue;
        std::string t = buf;
        if (t.find_first_of(".en") == std::string::npos) t += ".0";
        return t;
    }
    return "bits 0x" + hex(bits, 16);
}

uint64_t cell_at(const std::vector<uint8_t>& area, size_t off) {
    uint64_t v = 0;
    for (int b = 7; b >= 0; --b)
        v = v << 8 | area[off + size_t(b)];
    return v;
}

const char* kind_word(char k) {
    switch (k) {
    case 'N':
    case 'I': return "num";
    case 'S': return "str";
    case 'A': return "numarr";
    default: return "strarr";
    }
}

int table_of_kind(char k) {
    switch (k) {
    case 'N':
    case 'I': return table_numeric_operands;
    case 'S': return table_string_operands;
    case 'A': return table_numeric_arrays;
    default: return table_string_arrays;
    }
}

struct Fail {}; // a decoding attempt that does not fit the bytes

struct Entry {
    uint16_t mode, offset;
};

struct DItem {
    size_t pos = 0, size = 0;
    std::string text; // one or more lines, without the label
    bool raw = false;
};

// Table regions are items whose text is \x03 and the table number.
bool is_table(const DItem& item) {
    return !item.text.empty() && item.text[0] == '\x03';
}

struct ModuleInfo {
    std::string name;
    bool raw = false;
    std::vector<Entry> tables[4];
    std::vector<std::pair<uint16_t, uint16_t>> routines; // offset, module
    std::set<size_t> entries;                            // module positions of entry points
    std::map<size_t, std::string> labels;                // position -> label
    std::map<size_t, std::string> names;                 // position -> line-table routine name
    std::map<size_t, uint32_t> line_starts;              // position -> line number
    std::map<size_t, std::vector<std::string>> marks;    // position -> marker names
    std::map<size_t, EntryDescriptor> descriptors;
    std::vector<DItem> items;
};

class Disassembler {
public:
    Disassembler(std::span<const uint8_t> bytes, std::string source)
        : bytes_(bytes), source_(std::move(source)), image_(read_image(bytes)) {}

    std::string run() {
        modules_.resize(image_.modules.size());
        for (size_t m = 0; m < modules_.size(); ++m)
            modules_[m].name = "m" + std::to_string(m);
        for (int attempt = 0; attempt <= int(modules_.size()) + 2; ++attempt) {
            std::string text = render();
            std::vector<uint8_t> again;
            std::optional<int> error_line;
            try {
                again = assemble_bytes(text, "disassembly");
            } catch (const AsmError& e) {
                std::string what = e.what();
                size_t colon = what.find(':');
                error_line = std::atoi(what.c_str() + colon + 1);
            }
            if (!error_line && std::equal(again.begin(), again.end(), bytes_.begin(), bytes_.end()))
                return text;
            if (!mark_mismatch(again, error_line)) break;
        }
        throw FormatError("the disassembly does not reproduce the image (a fault of the "
                          "disassembler; please report it with the image)");
    }

private:
    // Marks what differs as raw; false when nothing is left to mark.
    bool mark_mismatch(const std::vector<uint8_t>& again, std::optional<int> error_line) {
        if (error_line) {
            for (size_t m = 0; m < modules_.size(); ++m)
                if (*error_line >= module_lines_[m].first &&
                    *error_line <= module_lines_[m].second && !modules_[m].raw) {
                    modules_[m].raw = true;
                    return true;
                }
            if (!raw_globals_) return raw_globals_ = true;
            return false;
        }
        bool marked = false;
        try {
            Image other = read_image(again);
            for (size_t m = 0; m < modules_.size(); ++m)
                if ((m >= other.modules.size() ||
                     other.modules[m].bytes != image_.modules[m].bytes) &&
                    !modules_[m].raw)
                    modules_[m].raw = marked = true;
            if (!marked && !raw_globals_) raw_globals_ = marked = true;
        } catch (const FormatError&) {
            for (ModuleInfo& mi : modules_)
                marked |= !mi.raw, mi.raw = true;
            if (!raw_globals_) raw_globals_ = marked = true;
        }
        return marked;
    }

    // ---- globals ----

    void analyse_code_area() {
        code_items_.clear();
        record_at_.clear();
        const auto& area = image_.code_area;
        size_t pos = 0, raw_start = 0;
        auto flush_raw = [&](size_t to) {
            if (to > raw_start) code_items_.push_back({raw_start, to - raw_start, "", true});
        };
        while (!raw_globals_ && pos + string_record_header <= area.size()) {
            uint32_t count = get_u32le(&area[pos]);
            uint32_t length = get_u32le(&area[pos + 4]);
            size_t end = pos + string_record_header + size_t(length);
            size_t padded = (end + 3) / 4 * 4;
            bool ok = count == literal_record_count && padded <= area.size();
            for (size_t i = end; ok && i < padded; ++i)
                ok = area[i] == 0;
            if (!ok) {
                ++pos;
                continue;
            }
            flush_raw(pos);
            record_at_[pos] = std::string(area.begin() + long(pos + 8), area.begin() + long(end));
            code_items_.push_back({pos, padded - pos, "", false});
            pos = raw_start = padded;
        }
        // The assembler pads the code area to 4 bytes itself.
        size_t end = area.size();
        while (end > raw_start && end % 4 != 0 && area[end - 1] == 0)
            --end;
        if (end % 4 != 0 || (end != area.size() && end + (4 - end % 4) % 4 != area.size()))
            end = area.size();
        flush_raw(end);
    }

    std::optional<std::string> record_of_pointer(uint32_t w) const {
        if (w < 4) return std::nullopt;
        auto it = record_at_.find(w - 4);
        if (it == record_at_.end()) return std::nullopt;
        return it->second;
    }

    void render_globals(std::ostringstream& out) {
        out << "; disassembly of " << source_ << "\n";
        if (auto label = target_label(image_.start_module, image_.start_offset))
            out << "start " << *label << "\n";
        else
            out << "start raw " << image_.start_offset << " " << image_.start_module << "\n";
        for (size_t n = 0; n < bif_count; ++n) {
            const BifOverride& o = image_.overrides[n];
            if (o.entry_offset == 0 && o.module == 0) continue;
            auto label = o.entry_offset ? target_label(o.module, o.entry_offset) : std::nullopt;
            out << "override " << bif_spelling(uint32_t(n)) << " ";
            if (label)
                out << *label << "\n";
            else
                out << "raw " << o.entry_offset << " " << o.module << "\n";
        }
        for (int a = 0; a < 2; ++a) {
            const auto& area = a == 0 ? image_.cells1 : image_.cells2;
            for (size_t off = 0; off < area.size(); off += 64) {
                out << "cells" << a + 1 << " ";
                for (size_t c = off; c < std::min(area.size(), off + 64); c += 8) {
                    uint64_t bits = cell_at(area, c);
                    out << (c > off ? ", " : "")
                        << (raw_globals_ ? "bits 0x" + hex(bits, 16) : cell_text(bits));
                }
                out << "\n";
            }
        }
        if (!code_items_.empty()) {
            out << "code_area\n";
            for (const DItem& item : code_items_) {
                if (!item.raw) {
                    out << "  s" << item.pos << ": string " << quote_string(record_at_[item.pos])
                        << "\n";
                    continue;
                }
                for (size_t p = item.pos; p < item.pos + item.size; p += 16) {
                    out << "  bytes";
                    for (size_t i = p; i < std::min(item.pos + item.size, p + 16); ++i)
                        out << " " << hex(image_.code_area[i], 2);
                    out << "\n";
                }
            }
            out << "end\n";
        }
        if (!image_.string_pointers.empty()) {
            out << "string_pointers\n";
            for (size_t i = 0; i < image_.string_pointers.size(); ++i) {
                if (i == tail_start_) out << "  tail\n";
                uint32_t w = image_.string_pointers[i];
                if (record_of_pointer(w))
                    out << "  ptr s" << w - 4 << "\n";
                else
                    out << "  ptr " << w << "\n";
            }
            out << "end\n";
        }
    }

    // ---- modules: analysis ----

    void collect_entries() {
        for (ModuleInfo& mi : modules_)
            mi.entries.clear();
        auto add = [&](uint16_t module, uint16_t offset) {
            if (module < modules_.size() &&
                module_base_offset + size_t(offset) < image_.modules[module].bytes.size() &&
                module_base_offset + size_t(offset) >= module_header_size)
                modules_[module].entries.insert(module_base_offset + offset);
        };
        add(image_.start_module, image_.start_offset);
        for (const BifOverride& o : image_.overrides)
            if (o.entry_offset) add(o.module, o.entry_offset);
        for (size_t m = 0; m < modules_.size(); ++m) {
            read_tables(m);
            for (auto [off, mod] : modules_[m].routines)
                add(mod, off);
        }
    }

    struct Region {
        size_t start, end;
        int table; // -1: code
    };

    std::vector<Region> regions_;

    // Where each table lies; empty tables that share a position come first.
    std::vector<Region> table_regions(size_t m) const {
        const Module& mod = image_.modules[m];
        std::map<size_t, std::vector<int>> at;
        for (int t = 0; t < module_table_count; ++t)
            if (t != table_channels || mod.has_channel_table())
                at[mod.table_position(ModuleTable(t))].push_back(t);
        std::vector<Region> out;
        for (auto it = at.begin(); it != at.end(); ++it) {
            auto& tables = it->second;
            // The table that owns the bytes: a self-delimiting one when present.
            int owner = tables.back();
            for (int t : tables)
                if (t == table_lines || t == table_channels) owner = t;
            for (int t : tables)
                if (t != owner) out.push_back({it->first, it->first, t});
            size_t next = std::next(it) == at.end() ? mod.bytes.size() : std::next(it)->first;
            size_t end = next;
            if (owner == table_lines)
                end = it->first + parse_line_table(mod.bytes, it->first, "line table").size;
            else if (owner == table_channels)
                end = it->first + 4 + 2 * size_t(mod.bytes[it->first]);
            if (end > next) throw Fail{}; // another table starts inside this one
            out.push_back({it->first, end, owner});
        }
        return out;
    }

    void read_tables(size_t m) {
        ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        for (auto& t : mi.tables)
            t.clear();
        mi.routines.clear();
        std::vector<Region> regions;
        try {
            regions = table_regions(m);
        } catch (const Fail&) {
            mi.raw = true;
            return;
        }
        for (const Region& r : regions) {
            if (r.table <= table_string_arrays || r.table == table_routines)
                for (size_t p = r.start; p + 4 <= r.end; p += 4) {
                    uint16_t a = get_u16le(&mod.bytes[p]), b = get_u16le(&mod.bytes[p + 2]);
                    if (r.table == table_routines)
                        mi.routines.push_back({a, b});
                    else
                        mi.tables[r.table].push_back({a, b});
                }
        }
    }

    void read_line_info(size_t m) {
        ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        mi.names.clear();
        mi.line_starts.clear();
        mi.marks.clear();
        LineTable lt = parse_line_table(mod.bytes, mod.table_position(table_lines), "line table");
        size_t offset = module_base_offset;
        uint32_t line = 0, step = 0;
        for (const LineItem& item : lt.items) {
            switch (item.kind) {
            case LineItem::step: step = item.value; break;
            case LineItem::code:
                line += step;
                if (!mi.line_starts.count(offset)) mi.line_starts[offset] = line;
                offset += item.value;
                break;
            case LineItem::mark:
                mi.marks[offset].push_back(std::string(line_mark_name(uint8_t(item.value))));
                break;
            case LineItem::routine:
            case LineItem::internal:
                mi.names[offset] = item.name;
                line = 0;
                step = 0;
                break;
            }
        }
    }

    static bool keyword(const std::string& w) {
        uint16_t mode;
        uint8_t mark;
        return is_language_word(w) || op_by_name(w) || mode_by_name(w, mode) ||
               line_mark_by_name(w, mark);
    }

    void assign_labels(size_t m, const std::set<size_t>& jump_targets) {
        ModuleInfo& mi = modules_[m];
        mi.labels.clear();
        std::set<std::string> used;
        for (size_t pos : mi.entries) {
            std::string label;
            auto it = mi.names.find(pos);
            if (it != mi.names.end() && !mi.raw) {
                for (char c : it->second)
                    label += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                if (label.empty() || std::isdigit(static_cast<unsigned char>(label[0])) ||
                    keyword(label))
                    label = "r_" + label;
            } else {
                label = "r_" + hex(pos - module_base_offset, 4);
            }
            std::string unique = label;
            for (int n = 2; used.count(unique); ++n)
                unique = label + "_" + std::to_string(n);
            used.insert(unique);
            mi.labels[pos] = unique;
        }
        for (size_t pos : jump_targets)
            if (!mi.labels.count(pos)) mi.labels[pos] = "L_" + hex(pos - module_base_offset, 4);
    }

    std::optional<std::string> target_label(uint16_t module, uint16_t offset) const {
        if (module >= modules_.size()) return std::nullopt;
        auto it = modules_[module].labels.find(module_base_offset + size_t(offset));
        if (it == modules_[module].labels.end()) return std::nullopt;
        return modules_[module].name + "." + it->second;
    }

    // ---- operands ----

    std::string entry_text(int table, const Entry& e, bool& literal) const {
        literal = false;
        if (e.mode == mode_escape)
            return e.offset ? "escape " + std::to_string(e.offset) : "escape";
        if ((e.mode == mode_cell1 || e.mode == mode_cell2) && e.offset % 8 == 0 &&
            table == table_numeric_operands) {
            const auto& area = e.mode == mode_cell1 ? image_.cells1 : image_.cells2;
            if (size_t(e.offset) + 8 <= area.size()) {
                uint64_t bits = cell_at(area, e.offset);
                size_t first = 0;
                while (cell_at(area, first) != bits)
                    first += 8;
                if (first == e.offset) {
                    literal = true;
                    std::string v = cell_text(bits);
                    if (e.mode == mode_cell2) return "lit2 " + v;
                    return v;
                }
            }
        }
        if (e.mode == mode_tail && e.offset % 4 == 0 && table == table_string_operands) {
            size_t i = tail_start_ + e.offset / 4;
            if (i < image_.string_pointers.size())
                if (auto text = record_of_pointer(image_.string_pointers[i])) {
                    size_t first = tail_start_;
                    while (record_of_pointer(image_.string_pointers[first]) != text)
                        ++first;
                    if (first == i) {
                        literal = true;
                        return quote_string(*text);
                    }
                }
        }
        return std::string(mode_name(e.mode)) + " " + std::to_string(e.offset);
    }

    std::string operand_text(size_t m, char kind, uint32_t index, bool typed) const {
        int table = table_of_kind(kind);
        const auto& entries = modules_[m].tables[table];
        std::string prefix = typed ? "" : std::string(kind_word(kind)) + " ";
        if (index < entries.size() && entries[index].mode != mode_escape) {
            size_t first = 0;
            while (entries[first].mode == mode_escape ||
                   entries[first].mode != entries[index].mode ||
                   entries[first].offset != entries[index].offset)
                ++first;
            if (first == index) {
                bool literal;
                std::string t = entry_text(table, entries[index], literal);
                return literal ? t : prefix + t;
            }
        }
        return prefix + "#" + std::to_string(index);
    }

    uint32_t read_index(size_t m, ByteReader& in, char kind) const {
        const auto& entries = modules_[m].tables[table_of_kind(kind)];
        size_t at = in.pos();
        uint8_t b = in.u8("operand");
        if (b < entries.size() && entries[b].mode == mode_escape) {
            in.seek(at);
            uint32_t u = in.unsigned_number("escaped operand");
            if (unsigned_size(u) != in.pos() - at || u + escape_bias < first_escaped_index)
                throw Fail{};
            return u + escape_bias;
        }
        if (b >= direct_index_limit) throw Fail{};
        return b;
    }

    // ---- modules: decoding ----

    std::string decode_op(size_t m, ByteReader& in, std::set<size_t>& targets,
                          const std::set<size_t>& code_positions) const {
        const ModuleInfo& mi = modules_[m];
        uint8_t byte = in.u8("op");
        const OpInfo* op = op_info(byte);
        if (!op) throw Fail{};
        std::string text = std::string(op->name);
        std::string_view sig = op->operands;
        auto jump = [&](int32_t v, size_t after) {
            int64_t target = int64_t(after) + v;
            if (target < 0 || !code_positions.count(size_t(target))) throw Fail{};
            targets.insert(size_t(target));
            return target_placeholder(size_t(target));
        };
        auto operands = [&](const std::string& kinds, bool typed, std::string sep) {
            std::string out;
            for (char k : kinds) {
                out += sep + operand_text(m, k, read_index(m, in, k), typed);
                sep = ", ";
            }
            return out;
        };
        if (sig == "T") {
            text += " ";
            size_t mark = text.size();
            text += operands("N", true, "");
            uint32_t base = minimal_unsigned(in), count = minimal_unsigned(in);
            if (count == 0) throw Fail{};
            size_t width = number_size(in.peek("jump table")) == 1 ? 1 : 2;
            bool needs_two = false;
            std::string list;
            for (uint32_t i = 0; i < count; ++i) {
                size_t at = in.pos();
                int32_t v = in.signed_number("jump table entry");
                if (in.pos() - at != width) throw Fail{};
                needs_two |= signed_size(v) > 1;
                list += ", " + jump(v, in.pos());
            }
            if (width == 2 && !needs_two) text.insert(mark, "wide ");
            return text + ", " + std::to_string(base) + list;
        }
        if (sig == "C") {
            uint32_t index = minimal_unsigned(in);
            if (index >= mi.routines.size()) throw Fail{};
            auto [off, mod] = mi.routines[index];
            auto callee = known_descriptor(mod, off);
            if (!callee) throw Fail{};
            size_t first = 0;
            while (mi.routines[first] != mi.routines[index])
                ++first;
            auto label = target_label(mod, off);
            bool by_label = first == index && label;
            text += by_label ? " " + *label : " #" + std::to_string(index);
            return text + operands(argument_kinds(*callee), by_label, " ");
        }
        if (sig == "X") {
            uint32_t bif = (byte == op_bif_high ? 256 : 0) + in.u8("bif number");
            std::string kinds;
            const BifOverride& o = image_.overrides[bif];
            if (o.entry_offset) {
                auto callee = known_descriptor(o.module, o.entry_offset);
                if (!callee || !target_label(o.module, o.entry_offset)) throw Fail{};
                kinds = argument_kinds(*callee);
            } else if (const char* known = bif_operands(bif)) {
                kinds = known;
            } else {
                throw Fail{};
            }
            return "bif " + bif_spelling(bif) + operands(kinds, true, " ");
        }
        if (sig.find('E') != std::string_view::npos) {
            size_t start = in.pos();
            // The dimension count is not in the op stream: take the smallest count after which
            // an op or a statement boundary follows.
            for (int dims = 2; dims <= 30; ++dims) {
                in.seek(start);
                try {
                    std::string kinds = std::string(1, sig[0]) + std::string(size_t(dims), 'I') +
                                        std::string(1, sig[2]);
                    std::string ops = operands(kinds, true, " ");
                    if (in.at_end() || op_info(in.peek("op")) || sync_.count(in.pos()))
                        return text + ops;
                } catch (const FormatError&) {
                } catch (const Fail&) {
                }
            }
            throw Fail{};
        }
        std::string sep = " ";
        for (char c : sig) {
            if (c == 'J') {
                size_t at = in.pos();
                int32_t v = in.signed_number("jump offset");
                if (size_t(signed_size(v)) != in.pos() - at) throw Fail{};
                text += sep + jump(v, in.pos());
            } else {
                text += operands(std::string(1, c), true, sep);
            }
            sep = ", ";
        }
        return text;
    }

    static uint32_t minimal_unsigned(ByteReader& in) {
        size_t at = in.pos();
        uint32_t v = in.unsigned_number("number");
        if (unsigned_size(v) != in.pos() - at) throw Fail{};
        return v;
    }

    std::optional<EntryDescriptor> known_descriptor(uint16_t module, uint16_t offset) const {
        if (module >= modules_.size()) return std::nullopt;
        auto it = modules_[module].descriptors.find(module_base_offset + size_t(offset));
        if (it == modules_[module].descriptors.end()) return std::nullopt;
        return it->second;
    }

    std::string descriptor_text(size_t m, size_t pos, const EntryDescriptor& d) const {
        const ModuleInfo& mi = modules_[m];
        std::ostringstream out;
        uint8_t last = d.frames.back().items.back().code;
        out << (last == desc_caller_env ? "  internal " : "  routine ") << mi.labels.at(pos);
        auto name = mi.names.find(pos);
        if (name != mi.names.end()) out << "    ; " << quote_string(name->second);
        out << "\n";
        for (const FrameDescriptor& f : d.frames) {
            if (f.frame_units != frame_units_for(f))
                out << "    frame_size " << f.frame_units << "\n";
            if (f.numeric_locals) out << "    local num " << f.numeric_locals << "\n";
            if (f.string_locals) out << "    local str " << f.string_locals << "\n";
            for (const DescriptorItem& item : f.items)
                out << item_text(item);
        }
        return out.str();
    }

    static std::string bounds_text(const DescriptorItem& item) {
        std::string t = "(";
        for (size_t i = 0; i < item.bounds.size(); ++i) {
            int64_t upper = int64_t(item.bounds[i].lower) + int64_t(item.bounds[i].count) - 1;
            t += (i ? ", " : "") + std::to_string(item.bounds[i].lower) + " to " +
                 std::to_string(upper);
        }
        t += ")";
        if (item.max_length != 0x7FFFFFFF) t += " size " + std::to_string(item.max_length);
        return t;
    }

    static std::string item_text(const DescriptorItem& item) {
        std::string t = "    ";
        switch (item.code) {
        case desc_none: return t + "nothing\n";
        case desc_fixed_string: return t + "local str size " + std::to_string(item.number) + "\n";
        case desc_num_array: return t + "local numarr " + bounds_text(item) + "\n";
        case desc_str_array: return t + "local strarr " + bounds_text(item) + "\n";
        case desc_num_value: return t + "param num\n";
        case desc_str_value: return t + "param str\n";
        case desc_num_array_value: return t + "param numarr\n";
        case desc_str_array_value: return t + "param strarr\n";
        case desc_num_ref: return t + "ref num\n";
        case desc_str_ref: return t + "ref str\n";
        case desc_num_array_ref: return t + "ref numarr\n";
        case desc_str_array_ref: return t + "ref strarr\n";
        case desc_num_result: return t + "result num\n";
        case desc_str_result: return t + "result str\n";
        case desc_channel: return t + "channel " + std::to_string(item.number) + "\n";
        case desc_reserve: return t + "reserve " + std::to_string(item.number) + "\n";
        case desc_shared_block:
            return t + "shared " + std::to_string(item.number - shared_register_byte_bias) + "\n";
        case desc_native:
            if (item.native_cached)
                return t + "native_cached 0x" + hex(item.native_address, 8) + "\n";
            return t + "native " + quote_string(item.procedure) + " " + quote_string(item.library) +
                   "\n";
        default: return ""; // own_env, caller_env: the routine header says which
        }
    }

    // Code regions of a module: everything that no table covers. Throws Fail when tables
    // overlap.
    std::vector<Region> code_regions(size_t m, const std::vector<Region>& tables) const {
        const Module& mod = image_.modules[m];
        std::vector<Region> code;
        size_t pos = module_header_size;
        for (const Region& r : tables) {
            if (r.start > pos) code.push_back({pos, r.start, -1});
            pos = std::max(pos, r.end);
        }
        if (pos < mod.bytes.size()) code.push_back({pos, mod.bytes.size(), -1});
        return code;
    }

    static std::set<size_t> positions_of(const std::vector<Region>& code) {
        std::set<size_t> positions;
        for (const Region& r : code)
            for (size_t p = r.start; p < r.end; ++p)
                positions.insert(p);
        return positions;
    }

    // Entry descriptors at the module's entry points, so that calls from any module know their
    // arguments.
    void parse_descriptors(size_t m) {
        ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        mi.descriptors.clear();
        if (mi.raw) return;
        std::set<size_t> code_positions;
        try {
            code_positions = positions_of(code_regions(m, table_regions(m)));
        } catch (const Fail&) {
            mi.raw = true;
            return;
        }
        // A descriptor that runs over another entry point or a line start is not one.
        std::set<size_t> boundaries = mi.entries;
        for (auto& [p, line] : mi.line_starts)
            boundaries.insert(p);
        for (auto& [p, names] : mi.marks)
            boundaries.insert(p);
        for (size_t e : mi.entries) {
            try {
                EntryDescriptor d = parse_entry_descriptor(mod.bytes, e, "descriptor");
                auto next = boundaries.upper_bound(e);
                if (next != boundaries.end() && *next < e + d.size) continue;
                std::vector<uint8_t> again;
                encode_entry_descriptor(d, again);
                bool same = e + d.size <= mod.bytes.size() &&
                            std::equal(again.begin(), again.end(), mod.bytes.begin() + long(e));
                if (same && code_positions.count(e)) mi.descriptors[e] = d;
            } catch (const FormatError&) {
            }
        }
    }

    // Decodes the module's code regions into items; throws Fail when the module must be raw.
    std::vector<DItem> decode_module(size_t m, std::set<size_t>& targets) {
        ModuleInfo& mi = modules_[m];
        std::vector<Region> tables = table_regions(m);
        std::vector<Region> code = code_regions(m, tables);
        std::set<size_t> code_positions = positions_of(code);
        std::vector<DItem> items;
        for (int round = 0; round < 8; ++round) {
            items.clear();
            std::set<size_t> found;
            sync_ = mi.entries;
            for (auto& [p, line] : mi.line_starts)
                sync_.insert(p);
            for (auto& [p, names] : mi.marks)
                sync_.insert(p);
            sync_.insert(targets.begin(), targets.end());
            for (const Region& r : code) {
                sync_.insert(r.end);
                decode_region(m, r, items, found, code_positions);
            }
            for (const Region& r : tables)
                items.push_back(
                    {r.start, r.end - r.start, "\x03" + std::to_string(r.table), false});
            std::sort(items.begin(), items.end(),
                      [](const DItem& a, const DItem& b) { return a.pos < b.pos; });
            bool settled = true;
            std::set<size_t> starts;
            for (const DItem& item : items)
                if (item.text.empty() || item.text[0] != '\x03' || item.size)
                    starts.insert(item.pos);
            for (size_t t : found)
                if (!starts.count(t)) {
                    targets.insert(t);
                    settled = false;
                }
            if (settled) {
                targets.insert(found.begin(), found.end());
                return items;
            }
        }
        throw Fail{};
    }

    void decode_region(size_t m, const Region& r, std::vector<DItem>& items,
                       std::set<size_t>& found, const std::set<size_t>& code_positions) {
        const ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        std::span<const uint8_t> region(mod.bytes.data(), r.end);
        size_t pos = r.start;
        while (pos < r.end) {
            DItem item;
            item.pos = pos;
            auto d = mi.descriptors.find(pos);
            if (d != mi.descriptors.end()) {
                item.size = d->second.size;
                item.text = "\x04"; // rendered with its labels later
                items.push_back(item);
                pos += item.size;
                continue;
            }
            std::set<size_t> targets;
            try {
                ByteReader in(region, "code", pos);
                item.text = decode_op(m, in, targets, code_positions);
                item.size = in.pos() - pos;
                auto inside = sync_.upper_bound(pos);
                if (inside != sync_.end() && *inside < pos + item.size) throw Fail{};
                found.insert(targets.begin(), targets.end());
            } catch (const FormatError&) {
                item.raw = true;
            } catch (const Fail&) {
                item.raw = true;
            }
            if (item.raw) {
                auto next = sync_.upper_bound(pos);
                size_t end = next == sync_.end() ? r.end : std::min(*next, r.end);
                item.size = end - pos;
                item.text.clear();
            }
            items.push_back(item);
            pos += item.size;
        }
    }

    // ---- modules: rendering ----

    static void byte_lines(std::ostringstream& out, const std::vector<uint8_t>& bytes, size_t from,
                           size_t to, const char* indent) {
        for (size_t p = from; p < to; p += 16) {
            out << indent << "bytes";
            for (size_t i = p; i < std::min(to, p + 16); ++i)
                out << " " << hex(bytes[i], 2);
            out << "\n";
        }
    }

    // End of the bytes to show: trailing zeros up to the next module's 4-byte boundary are
    // padding that the assembler adds back. Nothing before `min_end` is dropped.
    size_t content_end(size_t m, size_t min_end) const {
        const auto& bytes = image_.modules[m].bytes;
        if (m + 1 == modules_.size()) return bytes.size();
        size_t end = bytes.size();
        while (end > min_end && bytes.size() - end < 3 && bytes[end - 1] == 0)
            --end;
        return end;
    }

    std::string resolve_placeholders(size_t m, const std::string& text) const {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\x01') {
                out += text[i];
                continue;
            }
            size_t end = text.find('\x02', i);
            out += modules_[m].labels.at(std::stoul(text.substr(i + 1, end - i - 1)));
            i = end;
        }
        return out;
    }

    void render_header(size_t m, size_t end, std::ostringstream& out) const {
        uint32_t body = image_.modules[m].body_length();
        if (body != end - 4) out << "  body_length " << body << "\n";
    }

    void render_raw_module(size_t m, std::ostringstream& out) {
        const ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        size_t last_entry = module_header_size;
        for (size_t e : mi.entries)
            last_entry = std::max(last_entry, e);
        size_t end = content_end(m, last_entry);
        out << "module " << mi.name << "    ; shown as bytes\n";
        render_header(m, end, out);
        out << "  table_offsets";
        for (int t = 0; t < module_table_count; ++t)
            out << " " << mod.table_offset(ModuleTable(t));
        out << "\n";
        size_t pos = module_header_size;
        for (size_t e : mi.entries) {
            byte_lines(out, mod.bytes, pos, e, "  ");
            out << mi.labels.at(e) << ":\n";
            pos = e;
        }
        byte_lines(out, mod.bytes, pos, end, "  ");
        out << "end\n";
    }

    // Bytes of a table region that its entries take; the rest is shown as bytes.
    size_t table_used(size_t m, int table, size_t size) const {
        if (table <= table_string_arrays) return 4 * modules_[m].tables[table].size();
        if (table == table_routines) return 4 * modules_[m].routines.size();
        return size;
    }

    void render_table(size_t m, int table, size_t pos, size_t size, size_t end,
                      std::ostringstream& out) const {
        const ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        static const char* names[] = {"numeric_operands", "string_operands", "numeric_arrays",
                                      "string_arrays",    "routines",        "lines"};
        if (table == table_channels) {
            out << "  channels " << int(mod.bytes[pos + 1]) - shared_register_byte_bias << " "
                << get_u16le(&mod.bytes[pos + 2]);
            for (size_t i = 0; i < mod.bytes[pos]; ++i)
                out << (i ? ", " : " : ") << get_u16le(&mod.bytes[pos + 4 + 2 * i]);
            out << "\n";
            return;
        }
        out << "  " << names[table] << "\n";
        if (table == table_lines) {
            for (const LineItem& item : parse_line_table(mod.bytes, pos, "line table").items) {
                out << "    ";
                switch (item.kind) {
                case LineItem::step:
                case LineItem::code: {
                    uint32_t short_max = item.kind == LineItem::step ? 0x7F : 0x1F;
                    bool long_form = item.long_form && item.value <= short_max;
                    out << (long_form ? "long_" : "")
                        << (item.kind == LineItem::step ? "step " : "code ") << item.value;
                    break;
                }
                case LineItem::mark: out << line_mark_name(uint8_t(item.value)); break;
                case LineItem::routine: out << "routine " << quote_string(item.name); break;
                case LineItem::internal: out << "internal " << quote_string(item.name); break;
                }
                out << "\n";
            }
        } else if (table == table_routines) {
            for (auto [off, mod_index] : mi.routines) {
                auto label = target_label(mod_index, off);
                out << "    "
                    << (label ? *label
                              : "raw " + std::to_string(off) + " " + std::to_string(mod_index))
                    << "\n";
            }
        } else {
            size_t i = 0;
            for (const Entry& e : mi.tables[table]) {
                bool literal;
                out << "    " << entry_text(table, e, literal) << "    ; " << i++ << "\n";
            }
        }
        out << "  end\n";
        byte_lines(out, mod.bytes, pos + table_used(m, table, size), std::min(pos + size, end),
                   "  ");
    }

    void decode_and_label(size_t m) {
        ModuleInfo& mi = modules_[m];
        std::set<size_t> targets;
        mi.items.clear();
        if (!mi.raw) {
            try {
                mi.items = decode_module(m, targets);
            } catch (const Fail&) {
                mi.raw = true;
                mi.items.clear();
            }
        }
        assign_labels(m, targets);
        if (mi.raw) return;
        // Only positions where an item starts can carry a label.
        std::set<size_t> starts;
        for (const DItem& item : mi.items)
            if (!is_table(item)) starts.insert(item.pos);
        for (auto it = mi.labels.begin(); it != mi.labels.end();)
            it = starts.count(it->first) ? std::next(it) : mi.labels.erase(it);
    }

    void render_module(size_t m, std::ostringstream& out) {
        ModuleInfo& mi = modules_[m];
        const Module& mod = image_.modules[m];
        const std::vector<DItem>& items = mi.items;
        if (mi.raw) {
            render_raw_module(m, out);
            return;
        }
        size_t min_end = module_header_size;
        for (const DItem& item : items) {
            size_t used = is_table(item) ? table_used(m, std::stoi(item.text.substr(1)), item.size)
                          : item.raw     ? 0
                                         : item.size;
            min_end = std::max(min_end, item.pos + used);
        }
        size_t end = content_end(m, min_end);
        out << "module " << mi.name << "\n";
        render_header(m, end, out);
        for (const DItem& item : items) {
            auto line = mi.line_starts.find(item.pos);
            if (line != mi.line_starts.end() && line->second != 0)
                out << "  ; line " << line->second << "\n";
            auto marks = mi.marks.find(item.pos);
            if (marks != mi.marks.end())
                for (const std::string& mk : marks->second)
                    out << "  ; " << mk << "\n";
            if (is_table(item)) {
                render_table(m, std::stoi(item.text.substr(1)), item.pos, item.size, end, out);
                continue;
            }
            bool descriptor = item.text == "\x04";
            auto label = mi.labels.find(item.pos);
            if (label != mi.labels.end() && !descriptor) out << "  " << label->second << ":\n";
            if (descriptor)
                out << descriptor_text(m, item.pos, mi.descriptors.at(item.pos));
            else if (item.raw)
                byte_lines(out, mod.bytes, item.pos, std::min(item.pos + item.size, end), "    ");
            else
                out << "    " << resolve_placeholders(m, item.text) << "\n";
        }
        out << "end\n";
    }

    std::string render() {
        tail_start_ = image_.string_pointers.size() - image_.literal_tail_entries;
        analyse_code_area();
        collect_entries();
        // Descriptors and labels of every module first, so that calls across modules can
        // name their targets and know their arguments.
        for (size_t m = 0; m < modules_.size(); ++m) {
            read_line_info(m);
            parse_descriptors(m);
            assign_labels(m, {});
        }
        for (size_t m = 0; m < modules_.size(); ++m)
            decode_and_label(m);
        std::vector<std::string> parts;
        for (size_t m = 0; m < modules_.size(); ++m) {
            std::ostringstream one;
            render_module(m, one);
            parts.push_back(one.str());
        }
        std::ostringstream out;
        render_globals(out);
        module_lines_.clear();
        std::string head = out.str();
        int line = int(std::count(head.begin(), head.end(), '\n'));
        for (const std::string& part : parts) {
            int lines = int(std::count(part.begin(), part.end(), '\n'));
            out << "\n" << part;
            module_lines_.push_back({line + 2, line + 1 + lines});
            line += 1 + lines;
        }
        return out.str();
    }

    std::span<const uint8_t> bytes_;
    std::string source_;
    Image image_;
    std::vector<ModuleInfo> modules_;
    std::vector<DItem> code_items_;
    std::map<size_t, std::string> record_at_;
    size_t tail_start_ = 0;
    bool raw_globals_ = false;
    std::set<size_t> sync_;
    std::vector<std::pair<int, int>> module_lines_;
};

} // namespace

std::string disassemble(std::span<const uint8_t> image, const std::string& source_name) {
    return Disassembler(image, source_name).run();
}

} // namespace quillet::tools
