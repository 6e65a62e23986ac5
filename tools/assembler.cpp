#include "assembler.h"

#include "asm_error.h"
#include "asm_parser.h"
#include "asm_warnings.h"
#include "bcode/bifs.h"
#include "bcode/descriptor.h"
#include "bcode/format_error.h"
#include "bcode/numbers.h"
#include "bcode/ops.h"
#include "text_index.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

namespace quillet::tools {

using namespace bcode;

namespace {

struct TableEntry {
    uint16_t mode;
    uint16_t offset;
    bool operator==(const TableEntry&) const = default;
};

// One piece of an instruction's encoding.
// Kept small: a large program has millions.
struct Field {
    enum Kind : uint8_t { byte, index, jump, number, table_entry } kind = byte;
    uint8_t size = 1;   // jump, table_entry: current width
    uint32_t value = 0; // byte, index, number
    uint32_t item = 0;  // jump, table_entry: the index of the target's item in its module
};

Field value_field(Field::Kind kind, uint32_t value) {
    Field f;
    f.kind = kind;
    f.value = value;
    return f;
}

Field target_field(Field::Kind kind, size_t item, size_t size) {
    Field f;
    f.kind = kind;
    f.item = uint32_t(item);
    f.size = uint8_t(size);
    return f;
}

LineItem line_item(LineItem::Kind kind, uint32_t value) {
    LineItem item;
    item.kind = kind;
    item.value = value;
    return item;
}

struct RoutineEntry {
    std::string label; // empty: raw
    size_t from_module = 0;
    uint16_t offset = 0, module = 0;
    int line = 0;
};

struct ModuleState {
    std::vector<TableEntry> tables[4];
    // The first position of each entry in `tables` (mode and offset as one key), so that an
    // operand used many times is found without searching its table.
    std::unordered_map<uint32_t, size_t> table_index[4];
    bool explicit_table[module_table_count] = {};
    std::vector<RoutineEntry> routines;
    // The fields of all instructions in order; instruction k has those from field_start[k] to
    // field_start[k + 1].
    std::vector<Field> fields;
    std::vector<uint32_t> field_start{0};
    std::span<Field> instr_fields(size_t k) {
        return {fields.data() + field_start[k], fields.data() + field_start[k + 1]};
    }
    std::span<const Field> instr_fields(size_t k) const {
        return {fields.data() + field_start[k], fields.data() + field_start[k + 1]};
    }
    std::vector<size_t> instr_routine; // routine index in effect, or SIZE_MAX
    // Label -> item index; the names are those of the module's source, which outlives this.
    TextIndex labels;
    // Routine table entries by the routine they reach (module, label), once looked up.
    std::map<std::pair<size_t, std::string>, size_t> routine_entries;
    size_t routine_entries_known = 0; // entries of `routines` already in routine_entries
    std::vector<size_t> item_pos;
    std::vector<size_t> item_sizes;                     // while the module is laid out
    std::vector<std::pair<uint32_t, uint32_t>> jumpers; // instructions with jumps: item, index
    size_t items_end = 0;                               // the end of the last item
    size_t auto_pos[module_table_count] = {};
    std::vector<uint8_t> auto_lines;
    size_t code_end = module_header_size;
    bool tables_first = false; // the automatic tables before the code (see lay_out_module)
    size_t lines_after = 0;    // tables first: the line table follows this item (none: size)
    size_t lines_jump = 0;     // the size of the jump over it
    size_t twice = SIZE_MAX;   // the first item that defines a label again
    size_t size = 0;
};

const char* kind_text(Kind k) {
    switch (k) {
    case Kind::num: return "numeric";
    case Kind::str: return "string";
    case Kind::num_array: return "numeric array";
    case Kind::str_array: return "string array";
    default: return "untyped";
    }
}

ModuleTable table_of(Kind k) {
    switch (k) {
    case Kind::num: return table_numeric_operands;
    case Kind::str: return table_string_operands;
    case Kind::num_array: return table_numeric_arrays;
    default: return table_string_arrays;
    }
}

Kind kind_of_letter(char c) {
    switch (c) {
    case 'N':
    case 'I': return Kind::num;
    case 'S': return Kind::str;
    case 'A': return Kind::num_array;
    case 'B': return Kind::str_array;
    default: return Kind::none;
    }
}

size_t index_size(uint32_t index) {
    return index < direct_index_limit ? 1 : unsigned_size(index - escape_bias);
}

void encode_index(uint32_t index, std::vector<uint8_t>& out) {
    if (index < direct_index_limit)
        out.push_back(uint8_t(index));
    else
        encode_unsigned(index - escape_bias, out);
}

void put_u16(uint32_t v, std::vector<uint8_t>& out) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

class Assembler {
public:
    explicit Assembler(ProgramSrc program) : p_(std::move(program)) {}

    Image run() {
        cells_[0] = p_.cells[0];
        cells_[1] = p_.cells[1];
        for (size_t i = 0; i < p_.code_area.size(); ++i)
            if (!p_.code_area[i].label.empty()) code_labels_[p_.code_area[i].label] = i;
        for (const PointerSrc& ptr : p_.string_pointers) {
            Pointer q;
            q.raw = ptr.value;
            if (!ptr.label.empty()) {
                auto it = code_labels_.find(ptr.label);
                if (it == code_labels_.end())
                    fail(ptr.line, "no code-area record is labelled " + ptr.label);
                q.record = int(it->second);
            }
            pointers_.push_back(q);
        }
        tail_start_ = p_.tail_start.value_or(pointers_.size());

        modules_.resize(p_.modules.size());
        for (size_t m = 0; m < p_.modules.size(); ++m)
            gather_labels(m);
        for (size_t m = 0; m < p_.modules.size(); ++m)
            lay_out_frames(m);
        for (size_t m = 0; m < p_.modules.size(); ++m)
            resolve_module(m);
        for (size_t m = 0; m < p_.modules.size(); ++m)
            lay_out_module(m);

        Image image;
        for (size_t m = 0; m < p_.modules.size(); ++m)
            image.modules.push_back({emit_module(m)});
        emit_globals(image);
        return image;
    }

private:
    struct Pointer {
        int record = -1;
        uint32_t raw = 0;
    };

    [[noreturn]] void fail(int line, const std::string& message) const {
        throw AsmError(p_.file, line, message);
    }

    // ---- literal pools ----

    uint16_t cell_offset(int area, uint64_t bits, int line) {
        auto& cells = cells_[area - 1];
        auto& index = cell_index_[area - 1];
        for (; cells_known_[area - 1] < cells.size(); ++cells_known_[area - 1]) // the source's
            index.emplace(cells[cells_known_[area - 1]], cells_known_[area - 1]);
        auto [it, added] = index.emplace(bits, cells.size());
        size_t i = it->second;
        if (added) {
            cells.push_back(bits);
            ++cells_known_[area - 1];
        }
        if (8 * i > 0xFFFF)
            fail(line, "cell area " + std::to_string(area) + " is full (8192 cells)");
        return uint16_t(8 * i);
    }

    uint16_t literal_offset(const std::string& text, int line) {
        // The tail's records by text, the first of equal ones; pointers written in the source
        // are taken in at the first look-up, those added here as they are added.
        for (; literals_known_ < pointers_.size(); ++literals_known_) {
            if (literals_known_ < tail_start_) continue;
            int r = pointers_[literals_known_].record;
            if (r >= 0 && p_.code_area[size_t(r)].record)
                literal_index_.emplace(p_.code_area[size_t(r)].text, literals_known_);
        }
        auto found = literal_index_.find(text);
        if (found != literal_index_.end()) return checked_tail(found->second, line);
        CodeAreaItemSrc rec;
        rec.record = true;
        rec.text = text;
        p_.code_area.push_back(rec);
        pointers_.push_back({int(p_.code_area.size() - 1), 0});
        return checked_tail(pointers_.size() - 1, line);
    }

    uint16_t checked_tail(size_t i, int line) {
        if (4 * (i - tail_start_) > 0xFFFF)
            fail(line, "the literal tail is full (16384 string literals)");
        return uint16_t(4 * (i - tail_start_));
    }

    // ---- routines ----

    const RoutineSrc* find_routine(size_t m, const std::string& label) const {
        if (routine_names_.empty()) {
            routine_names_.resize(p_.modules.size());
            for (size_t k = 0; k < p_.modules.size(); ++k)
                for (const RoutineSrc& r : p_.modules[k].routines)
                    routine_names_[k].emplace(r.label, &r); // the first of a name
        }
        auto it = routine_names_[m].find(label);
        return it == routine_names_[m].end() ? nullptr : it->second;
    }

    // The unit whose variables internal routine r of module m sees: a routine of its module, or
    // MODULE.LABEL in another (an internal routine reaches them through the environment, which
    // does not depend on the module). Null when there is none.
    std::pair<size_t, const RoutineSrc*> parent_of(size_t m, const RoutineSrc& r) const {
        size_t dot = r.parent.find('.');
        if (dot == std::string::npos) return {m, find_routine(m, r.parent)};
        std::string name = r.parent.substr(0, dot);
        for (size_t k = 0; k < p_.modules.size(); ++k)
            if (p_.modules[k].name == name) return {k, find_routine(k, r.parent.substr(dot + 1))};
        return {m, nullptr};
    }

    // A declared variable of routine r by name (the routine's variables are indexed at the
    // first look-up, after the frames are laid out).
    const FrameVariable* variable_of(const RoutineSrc& r, const std::string& name) const {
        auto& index = variable_names_[&r];
        if (index.empty())
            for (const FrameVariable& v : r.variables)
                index.emplace(v.name, &v);
        auto it = index.find(name);
        return it == index.end() ? nullptr : it->second;
    }

    // Module and routine of a label written as LABEL or MODULE.LABEL; nullopt if unknown.
    std::optional<size_t> module_of_label(size_t from, const std::string& text, int line,
                                          std::string& label) const {
        size_t dot = text.find('.');
        if (dot != std::string::npos) {
            std::string mod = text.substr(0, dot);
            label = text.substr(dot + 1);
            if (module_names_.empty())
                for (size_t m = 0; m < p_.modules.size(); ++m)
                    module_names_.emplace(p_.modules[m].name, m); // the first of a name
            auto it = module_names_.find(mod);
            if (it != module_names_.end()) return it->second;
            fail(line, "there is no module named " + mod);
        }
        label = text;
        if (has_label(from, label)) return from;
        std::optional<size_t> found;
        for (size_t m = 0; m < p_.modules.size(); ++m)
            if (has_label(m, label)) {
                if (found)
                    fail(line,
                         "label " + label + " exists in several modules; write MODULE." + label);
                found = m;
            }
        return found;
    }

    // Whether module m has the code label or routine `label` (see gather_labels).
    bool has_label(size_t m, const std::string& label) const {
        return modules_[m].labels.find(label) != nullptr;
    }

    // The labels and routines of module m by name, gathered before any is looked up; a name
    // defined twice is reported when the module is resolved.
    void gather_labels(size_t m) {
        const ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        size_t named = 0;
        for (const ItemSrc& item : mod.items)
            named += item.kind == ItemSrc::label_item || item.kind == ItemSrc::routine_item;
        st.labels.reserve(named);
        for (size_t i = 0; i < mod.items.size(); ++i) {
            const ItemSrc& item = mod.items[i];
            if (item.kind != ItemSrc::label_item && item.kind != ItemSrc::routine_item) continue;
            const std::string& name = item.kind == ItemSrc::label_item
                                          ? mod.labels[item.index]
                                          : mod.routines[item.index].label;
            if (!st.labels.insert(name, uint32_t(i)) && st.twice == SIZE_MAX) st.twice = i;
        }
    }

    void lay_out_frames(size_t m) {
        ModuleSrc& mod = p_.modules[m];
        for (RoutineSrc& r : mod.routines) {
            if (!r.parent.empty() && !parent_of(m, r).second)
                fail(r.line, "internal routine " + r.label + " names unit " + r.parent +
                                 ", which is not a routine of this module (MODULE.LABEL names one "
                                 "of another)");
            std::unordered_set<std::string> names; // the routine's, over all its frames
            for (FrameSrc& f : r.frames)
                lay_out_frame(r, f, names);
        }
    }

    static uint32_t declaration_cells(const Declaration& d) {
        if (d.code == desc_none) return 0;
        return d.code == desc_reserve ? d.item.number : 1;
    }

    void lay_out_frame(RoutineSrc& r, FrameSrc& f, std::unordered_set<std::string>& names) {
        uint32_t cells = uint32_t(f.numeric_locals.size() + f.string_locals.size());
        for (const Declaration& d : f.declarations)
            cells += declaration_cells(d);
        uint32_t units = f.frame_units.value_or((36 + 8 * cells) / 2);
        f.frame_units = units;
        uint32_t size = 2 * units;
        bool block = f.end_code == desc_shared_block;
        uint16_t plain = block ? shared_register_mode(f.end_item.number - shared_register_byte_bias)
                               : uint16_t(mode_frame);
        uint32_t slot = 0, cell = 0;
        bool after_reference = false;
        auto add = [&](const std::string& name, Kind k, bool reference, uint32_t offset, int line) {
            if (name.empty()) return;
            if (!names.insert(name).second)
                fail(line, "variable " + name + " is declared twice in routine " + r.label);
            // Operands reach a frame through 16-bit offsets.
            if (offset > 0xFFFF)
                fail(line, "routine " + r.label + " is too large: its variable " + name + " lies " +
                               std::to_string(offset) +
                               " bytes into its frame, beyond the 64 KB that operands reach");
            if (reference && block)
                fail(line, "reference slot " + name +
                               " in a shared block cannot be named: no address mode reads "
                               "through a shared register");
            r.variables.push_back(
                {name, k, reference ? uint16_t(mode_frame_ref) : plain, reference, offset});
        };
        auto numeric_cell = [&]() { return size - 4 - 8 * cell++; };
        auto slot_offset = [&]() { return 32 + 8 * ++slot; };
        for (const std::string& n : f.numeric_locals)
            add(n, Kind::num, false, numeric_cell(), f.line);
        for (const std::string& n : f.string_locals)
            add(n, Kind::str, false, slot_offset(), f.line);
        for (const Declaration& d : f.declarations) {
            std::string name = d.names.empty() ? "" : d.names[0];
            switch (d.code) {
            case desc_num_value: add(name, Kind::num, false, numeric_cell(), d.line); break;
            case desc_channel: numeric_cell(); break;
            case desc_fixed_string:
            case desc_num_array:
            case desc_str_array:
            case desc_str_value:
            case desc_num_array_value:
            case desc_str_array_value:
                if (after_reference)
                    fail(d.line, "a string or array slot must come before every reference slot: "
                                 "the engine releases the first slots of a frame");
                add(name, d.kind, false, slot_offset(), d.line);
                break;
            case desc_reserve:
                for (uint32_t i = 0; i < d.item.number; ++i) {
                    uint32_t off = slot_offset();
                    if (i < d.names.size()) add(d.names[i], d.slot_kinds[i], true, off, d.line);
                }
                after_reference = true;
                break;
            case desc_none: break;
            default: // the reference and result parameters
                add(name, d.kind, true, slot_offset(), d.line);
                after_reference = true;
                break;
            }
        }
    }

    EntryDescriptor descriptor_of(const RoutineSrc& r) const {
        EntryDescriptor desc;
        for (const FrameSrc& f : r.frames) {
            FrameDescriptor fd;
            fd.frame_units = *f.frame_units;
            fd.numeric_locals = uint32_t(f.numeric_locals.size());
            fd.string_locals = uint32_t(f.string_locals.size());
            for (const Declaration& d : f.declarations)
                fd.items.push_back(d.item);
            DescriptorItem end = f.end_item;
            end.code = f.end_code;
            fd.items.push_back(end);
            desc.frames.push_back(std::move(fd));
        }
        return desc;
    }

    // ---- operands ----

    static uint32_t entry_key(TableEntry e) { return uint32_t(e.mode) << 16 | e.offset; }

    size_t add_entry(size_t m, ModuleTable t, TableEntry e, int line) {
        auto& table = modules_[m].tables[t];
        auto& index = modules_[m].table_index[t];
        auto found = index.find(entry_key(e));
        if (found != index.end() && e.mode != mode_escape) return found->second;
        if (table.size() == direct_index_limit)
            table.resize(first_escaped_index, TableEntry{mode_escape, 0});
        else if (table.size() > direct_index_limit && table.size() < first_escaped_index)
            fail(line, std::string("the ") + std::string(table_name(t)) + " has " +
                           std::to_string(table.size()) +
                           " entries, so a new entry would land among the escape entries");
        table.push_back(e);
        index.emplace(entry_key(e), table.size() - 1);
        return table.size() - 1;
    }

    TableEntry entry_for(size_t m, std::optional<size_t> routine, const OperandSrc& o, Kind& kind) {
        switch (o.form) {
        case OperandSrc::number:
            return {o.area == 1 ? uint16_t(mode_cell1) : uint16_t(mode_cell2),
                    cell_offset(o.area, o.cell, o.line)};
        case OperandSrc::string: return {mode_tail, literal_offset(o.text, o.line)};
        case OperandSrc::by_mode: return {o.mode, uint16_t(o.value)};
        case OperandSrc::by_name: return named_entry(m, routine, o, kind);
        case OperandSrc::by_index: break;
        }
        return {};
    }

    TableEntry named_entry(size_t m, std::optional<size_t> routine, const OperandSrc& o,
                           Kind& kind) {
        const ModuleSrc& mod = p_.modules[m];
        auto from_variable = [&](const FrameVariable& v, bool through_env) {
            kind = v.kind;
            uint16_t mode = v.mode;
            if (through_env && mode == mode_frame)
                mode = mode_env;
            else if (through_env && mode == mode_frame_ref)
                mode = mode_env_ref;
            return TableEntry{mode, uint16_t(v.offset)};
        };
        auto variable = [&](const RoutineSrc& r, const std::string& name) {
            return variable_of(r, name);
        };
        size_t dot = o.text.find('.');
        if (dot != std::string::npos) {
            std::string unit = o.text.substr(0, dot), name = o.text.substr(dot + 1);
            const RoutineSrc* u = find_routine(m, unit);
            if (!u) fail(o.line, "there is no routine " + unit + " in this module");
            const FrameVariable* v = variable(*u, name);
            if (!v) fail(o.line, "routine " + unit + " declares no variable " + name);
            const RoutineSrc* cur = routine ? &mod.routines[*routine] : nullptr;
            if (cur && parent_of(m, *cur).second == u) return from_variable(*v, true);
            if (is_start_routine(m, unit)) {
                if (v->mode != mode_frame)
                    fail(o.line, "only plain variables of the main program are reachable as "
                                 "globals (" +
                                     name + " is a reference or shared)");
                kind = v->kind;
                return {mode_global, uint16_t(v->offset)};
            }
            fail(o.line, "variables of " + unit +
                             " are reachable only from its internal "
                             "routines, or from everywhere when it is the start routine");
        }
        if (routine) {
            const RoutineSrc& r = mod.routines[*routine];
            if (const FrameVariable* v = variable(r, o.text)) return from_variable(*v, false);
            if (!r.parent.empty())
                if (const FrameVariable* v = variable(*parent_of(m, r).second, o.text))
                    return from_variable(*v, true);
        }
        for (const NamedOperandSrc& n : mod.names)
            if (n.name == o.text) {
                kind = n.operand.kind;
                if (n.operand.form == OperandSrc::by_name || n.operand.form == OperandSrc::by_index)
                    fail(o.line,
                         "operand " + n.name + " must be declared as MODE OFFSET or a literal");
                Kind ignored = kind;
                return entry_for(m, routine, n.operand, ignored);
            }
        fail(o.line, "unknown operand '" + o.text + "'");
    }

    bool is_start_routine(size_t m, const std::string& label) const {
        if (p_.raw_start) return false;
        if (p_.start.empty())
            return m == first_routine_module() && !p_.modules[m].routines.empty() &&
                   p_.modules[m].routines[0].label == label;
        std::string l;
        std::optional<size_t> sm = module_of_label(m, p_.start, p_.start_line, l);
        return sm && *sm == m && l == label;
    }

    size_t first_routine_module() const {
        for (size_t m = 0; m < p_.modules.size(); ++m)
            if (!p_.modules[m].routines.empty()) return m;
        return SIZE_MAX;
    }

    // Table and index of an operand; `want` is the kind its position asks for (none: any).
    uint32_t resolve_operand(size_t m, std::optional<size_t> routine, const OperandSrc& o,
                             Kind want, const std::string& where, ModuleTable* table = nullptr) {
        Kind kind = o.kind;
        TableEntry e{};
        if (o.form != OperandSrc::by_index) e = entry_for(m, routine, o, kind);
        if (o.kind != Kind::none && kind != o.kind)
            fail(o.line, "operand '" + o.text + "' is a " + kind_text(kind) + " operand, not a " +
                             kind_text(o.kind) + " one");
        if (want != Kind::none && kind != Kind::none && kind != want)
            fail(o.line, where + " takes a " + kind_text(want) + " operand here, but '" +
                             describe(o) + "' is a " + kind_text(kind) + " operand");
        if (kind == Kind::none) kind = want;
        if (kind == Kind::none)
            fail(o.line, "the kind of operand '" + describe(o) + "' in " + where +
                             " is not known: write num, str, numarr or strarr before it");
        ModuleTable t = table_of(kind);
        if (table) *table = t;
        if (o.form == OperandSrc::by_index) {
            if (o.value >= direct_index_limit && o.value < first_escaped_index)
                fail(o.line,
                     "index " + std::to_string(o.value) + " is an escape position (128..255)");
            return o.value;
        }
        return uint32_t(add_entry(m, t, e, o.line));
    }

    static std::string describe(const OperandSrc& o) {
        switch (o.form) {
        case OperandSrc::by_name: return o.text;
        case OperandSrc::string: return "\"" + o.text + "\"";
        case OperandSrc::number: return "numeric literal";
        case OperandSrc::by_mode:
            return std::string(mode_name(o.mode)) + " " + std::to_string(o.value);
        case OperandSrc::by_index: return "#" + std::to_string(o.value);
        }
        return "";
    }

    void resolve_module(size_t m) {
        ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        if (st.twice != SIZE_MAX)
            fail(mod.items[st.twice].line,
                 "label " + item_label(m, st.twice) + " is defined twice in this module");
        if (mod.table_offsets)
            for (const ItemSrc& item : mod.items)
                if (item.kind != ItemSrc::bytes_item && item.kind != ItemSrc::label_item)
                    fail(item.line, "a module with table_offsets holds only bytes and labels");
        // Explicit tables first, so that their entries keep their positions.
        for (const TableSrc& t : mod.tables) {
            st.explicit_table[t.table] = true;
            if (t.table <= table_string_arrays)
                for (const OperandSrc& o : t.operands) {
                    Kind kind = o.kind;
                    TableEntry e = entry_for(m, std::nullopt, o, kind);
                    st.tables[t.table].push_back(e);
                    if (e.mode != mode_escape)
                        st.table_index[t.table].emplace(entry_key(e),
                                                        st.tables[t.table].size() - 1);
                }
            if (t.table == table_routines)
                for (const RoutineEntrySrc& r : t.routines)
                    st.routines.push_back({r.label, m, r.offset, r.module, r.line});
        }
        std::optional<size_t> routine;
        bool lines_used = false;
        struct Resolved {
            std::optional<size_t> routine; // in effect where it was resolved
            size_t from = 0, to = 0;       // its fields
        };
        std::vector<Resolved> resolved(mod.instrs.size());
        // Generated code has three to four fields an instruction: room for four, so that a
        // large module's fields are not copied to a buffer of twice their size.
        st.fields.reserve(4 * mod.instrs.size());
        st.field_start.reserve(mod.instrs.size() + 1);
        for (const ItemSrc& item : mod.items) {
            if (item.kind == ItemSrc::routine_item) routine = item.index;
            if (item.kind == ItemSrc::line_item || item.kind == ItemSrc::mark_item)
                lines_used = true;
            if (item.kind == ItemSrc::instr_item) {
                InstrSrc& in = mod.instrs[item.index];
                // A repeat in the same routine resolves as the instruction it repeats did.
                size_t k = in.same_as;
                if (k != SIZE_MAX && resolved[k].routine == routine) {
                    size_t from = resolved[k].from, to = resolved[k].to;
                    for (size_t f = from; f < to; ++f)
                        st.fields.push_back(st.fields[f]);
                } else if (k != SIZE_MAX) { // in another routine: its own variables
                    InstrSrc copy = mod.instrs[k];
                    copy.line = in.line;
                    for (OperandSrc& o : copy.operands)
                        o.line = in.line;
                    resolve_instr(m, routine, copy, st.fields);
                } else {
                    resolve_instr(m, routine, in, st.fields);
                }
                resolved[item.index] = {routine, st.field_start.back(), st.fields.size()};
                st.field_start.push_back(uint32_t(st.fields.size()));
            }
        }
        if (lines_used && st.explicit_table[table_lines])
            fail(mod.line, "module " + mod.name +
                               " lists its line table explicitly, so it "
                               "cannot also use `line` and marker statements");
        for (int t = 0; t <= table_string_arrays; ++t)
            if (st.tables[t].size() > 0xFFFF / 4)
                fail(mod.line, "module " + mod.name + " is too large: its " +
                                   std::string(table_name(ModuleTable(t))) + " has " +
                                   std::to_string(st.tables[t].size()) +
                                   " entries, more than the 16383 that 64 KB hold");
    }

    // Appends the fields of instruction `in` to `f`.
    void resolve_instr(size_t m, std::optional<size_t> routine, const InstrSrc& in,
                       std::vector<Field>& f) {
        const OpInfo& op = *op_info(in.op);
        std::string where = std::string(op.name);
        f.push_back(value_field(Field::byte, in.op));
        auto operand = [&](const OperandSrc& o, Kind want) {
            f.push_back(value_field(Field::index, resolve_operand(m, routine, o, want, where)));
        };
        std::string_view sig = op.operands;
        if (sig == "T") {
            operand(in.operands[0], Kind::num);
            f.push_back(value_field(Field::number, uint32_t(in.base)));
            f.push_back(value_field(Field::number, uint32_t(in.targets.size())));
            for (const std::string& t : in.targets) {
                f.push_back(target_field(Field::table_entry, jump_target(m, t, in.line),
                                         in.wide ? 2u : 1u));
            }
        } else if (sig == "C") {
            std::string kinds;
            bool known = false;
            uint32_t index;
            if (in.callee_index) {
                index = *in.callee_index;
            } else {
                std::string label;
                std::optional<size_t> target = module_of_label(m, in.callee, in.line, label);
                if (!target) fail(in.line, "call of unknown routine " + in.callee);
                if (const RoutineSrc* r = find_routine(*target, label)) {
                    kinds = call_kinds(*r);
                    known = true;
                }
                index = routine_index(m, in.callee, in.line);
            }
            if (known && kinds.size() != in.operands.size())
                fail(in.line, "routine " + in.callee + " takes " + std::to_string(kinds.size()) +
                                  " arguments (" + spell_kinds(kinds) + "), but " +
                                  std::to_string(in.operands.size()) + " are given");
            f.push_back(value_field(Field::number, index));
            where = "the call of " + in.callee;
            for (size_t i = 0; i < in.operands.size(); ++i)
                operand(in.operands[i], known ? kind_of_letter(kinds[i]) : Kind::none);
        } else if (sig == "X") {
            f.push_back(value_field(Field::byte, in.bif & 0xFF));
            std::string kinds;
            bool known = bif_kinds(in.bif, kinds);
            where = "bif " + std::to_string(in.bif);
            if (known && kinds.size() != in.operands.size())
                fail(in.line, "bif " + std::to_string(in.bif) + " takes " +
                                  std::to_string(kinds.size()) + " operands (" +
                                  spell_kinds(kinds) + "), but " +
                                  std::to_string(in.operands.size()) + " are given");
            for (size_t i = 0; i < in.operands.size(); ++i)
                operand(in.operands[i], known ? kind_of_letter(kinds[i]) : Kind::none);
        } else if (sig.find('E') != std::string_view::npos) {
            Kind array = kind_of_letter(sig[0]), element = kind_of_letter(sig[2]);
            operand(in.operands[0], array);
            for (size_t i = 1; i + 1 < in.operands.size(); ++i)
                operand(in.operands[i], Kind::num);
            operand(in.operands.back(), element);
        } else {
            size_t next_operand = 0, next_target = 0;
            for (char c : sig) {
                if (c == 'J') {
                    f.push_back(target_field(
                        Field::jump, jump_target(m, in.targets[next_target++], in.line), 1));
                } else {
                    operand(in.operands[next_operand++], kind_of_letter(c));
                }
            }
        }
    }

    // The kinds of a routine's arguments, worked out once per routine.
    const std::string& call_kinds(const RoutineSrc& r) {
        auto it = argument_kinds_.find(&r);
        if (it == argument_kinds_.end())
            it = argument_kinds_.emplace(&r, argument_kinds(descriptor_of(r))).first;
        return it->second;
    }

    static std::string spell_kinds(const std::string& kinds) {
        std::string out;
        for (char c : kinds) {
            if (!out.empty()) out += ", ";
            out += c == 'N'   ? "num"
                   : c == 'S' ? "str"
                   : c == 'A' ? "numarr"
                   : c == 'B' ? "strarr"
                              : "channel";
        }
        return out.empty() ? "none" : out;
    }

    // Operand kinds of a bif overridden by a routine of this source.
    bool bif_kinds(uint32_t bif, std::string& kinds) const {
        for (const OverrideSrc& o : p_.overrides) {
            if (o.bif != bif || o.label.empty()) continue;
            std::string label;
            std::optional<size_t> m = module_of_label(0, o.label, o.line, label);
            if (!m) return false;
            const RoutineSrc* r = find_routine(*m, label);
            if (!r) return false;
            kinds = argument_kinds(descriptor_of(*r));
            return true;
        }
        if (const char* known = bif_operands(bif)) {
            // A bif's integer operand is an ordinary numeric operand to the assembler.
            kinds = known;
            std::replace(kinds.begin(), kinds.end(), 'I', 'N');
            return true;
        }
        return false;
    }

    // The item of the label a jump of module m names.
    size_t jump_target(size_t m, const std::string& label, int line) const {
        if (const uint32_t* item = modules_[m].labels.find(label)) return *item;
        fail(line, "jump to unknown label " + label + " (jumps stay inside their module)");
    }

    // The routine table entry of `callee` in module m, added when the module has none. Entries
    // are known by the routine they reach (its module and label), the first of equal ones.
    uint32_t routine_index(size_t m, const std::string& callee, int line) {
        ModuleState& st = modules_[m];
        auto& entries = st.routines;
        for (; st.routine_entries_known < entries.size(); ++st.routine_entries_known) {
            const RoutineEntry& e = entries[st.routine_entries_known];
            if (e.label.empty()) continue;
            std::string other;
            std::optional<size_t> t2 = module_of_label(e.from_module, e.label, e.line, other);
            st.routine_entries.emplace(std::pair{t2.value_or(SIZE_MAX), other},
                                       st.routine_entries_known);
        }
        std::string label;
        std::optional<size_t> target = module_of_label(m, callee, line, label);
        auto key = std::pair{target.value_or(SIZE_MAX), label};
        auto found = st.routine_entries.find(key);
        if (found != st.routine_entries.end()) return uint32_t(found->second);
        entries.push_back({callee, m, 0, 0, line});
        st.routine_entries.emplace(key, entries.size() - 1);
        ++st.routine_entries_known;
        return uint32_t(entries.size() - 1);
    }

    // ---- layout ----

    size_t item_size(size_t m, size_t i, size_t& instr) const {
        const ModuleSrc& mod = p_.modules[m];
        const ModuleState& st = modules_[m];
        const ItemSrc& item = mod.items[i];
        switch (item.kind) {
        case ItemSrc::routine_item: {
            std::vector<uint8_t> bytes;
            encode_entry_descriptor(descriptor_of(mod.routines[item.index]), bytes);
            return bytes.size();
        }
        case ItemSrc::instr_item: {
            size_t size = 0;
            for (const Field& f : st.instr_fields(instr))
                size += field_size(f);
            ++instr;
            return size;
        }
        case ItemSrc::bytes_item: return mod.bytes[item.index].size();
        case ItemSrc::table_item: return table_bytes(m, mod.tables[item.index]).size();
        default: return 0;
        }
    }

    static size_t field_size(const Field& f) {
        switch (f.kind) {
        case Field::byte: return 1;
        case Field::index: return index_size(f.value);
        case Field::number: return unsigned_size(f.value);
        default: return f.size;
        }
    }

    std::vector<uint8_t> table_bytes(size_t m, const TableSrc& t) const {
        std::vector<uint8_t> out;
        const ModuleState& st = modules_[m];
        if (t.table <= table_string_arrays) {
            for (const TableEntry& e : st.tables[t.table]) {
                put_u16(e.mode, out);
                put_u16(e.offset, out);
            }
        } else if (t.table == table_routines) {
            out.resize(4 * st.routines.size()); // filled in when all modules are laid out
        } else if (t.table == table_lines) {
            encode_line_table(t.lines, out);
        } else {
            out.push_back(uint8_t(t.channels.size()));
            out.push_back(t.channel_register);
            put_u16(t.first_slot, out);
            for (uint16_t c : t.channels)
                put_u16(c, out);
        }
        return out;
    }

    size_t auto_table_size(size_t m, ModuleTable t) const {
        const ModuleState& st = modules_[m];
        if (t <= table_string_arrays) return 4 * st.tables[t].size();
        if (t == table_routines) return 4 * st.routines.size();
        return st.auto_lines.size();
    }

    // Lays the module out: its items in order, then the tables the assembler makes. When a
    // table would then lie beyond the 16-bit offsets of the module header, those tables go
    // first instead, before the code: a module's code may pass 64 KB, its tables and routine
    // entries may not. The line table, which grows with the code, then follows the module's
    // first routine entry, and a jump at the start of that routine passes over it.
    void lay_out_module(size_t m) {
        ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        auto beyond = [&](int t) {
            return table_position(m, ModuleTable(t)) - module_base_offset > 0xFFFF;
        };
        bool movable = !mod.table_offsets;
        for (int t = 0; t < module_table_count; ++t)
            movable &= !st.explicit_table[t];
        // Positions only grow from round to round: a table beyond the offsets in the first
        // round stays there, so the rounds can stop at once.
        place_items(m, movable ? beyond : std::function<bool(int)>());
        if (st.size <= 0xFFFF + module_base_offset || mod.table_offsets) return;
        bool any_beyond = false;
        for (int t = 0; t < module_table_count; ++t)
            any_beyond |= beyond(t);
        if (movable && any_beyond) {
            st.tables_first = true;
            st.lines_after = mod.items.size();
            for (size_t i = 0; i < mod.items.size() && st.lines_after == mod.items.size(); ++i)
                if (mod.items[i].kind == ItemSrc::routine_item) st.lines_after = i;
            place_items(m);
        }
        for (int t = 0; t < module_table_count; ++t)
            if (beyond(t))
                fail(mod.line, "module " + mod.name + " is too large: its " +
                                   std::string(table_name(ModuleTable(t))) +
                                   " lies beyond the 16-bit offset range");
    }

    // Places the items of module m, widening jumps until they settle; stops after a round in
    // which `stop` holds for a table, when given.
    void place_items(size_t m, const std::function<bool(int)>& stop = {}) {
        ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        st.item_pos.assign(mod.items.size(), 0);
        st.item_sizes.resize(mod.items.size());
        st.jumpers.clear();
        for (size_t i = 0, instr = 0; i < mod.items.size(); ++i) {
            if (mod.items[i].kind == ItemSrc::instr_item)
                for (const Field& f : st.instr_fields(instr))
                    if (f.kind == Field::jump || f.kind == Field::table_entry) {
                        st.jumpers.push_back({uint32_t(i), uint32_t(instr)});
                        break;
                    }
            st.item_sizes[i] = item_size(m, i, instr);
        }
        size_t pos = 0;
        for (int round = 0;; ++round) {
            pos = module_header_size;
            auto place_tables = [&]() {
                for (int t = 0; t < table_channels; ++t)
                    if (!st.explicit_table[t] && !mod.table_offsets &&
                        !(st.tables_first && t == table_lines)) {
                        st.auto_pos[t] = pos;
                        pos += auto_table_size(m, ModuleTable(t));
                    }
            };
            // Tables first: the line table's size is the last round's (see below).
            size_t lines_size = st.auto_lines.size();
            auto place_lines = [&]() {
                if (st.lines_after < mod.items.size()) { // the jump over it
                    st.lines_jump = lines_size > size_t(signed_max[3])
                                        ? 4
                                        : 1 + signed_size(int32_t(lines_size));
                    pos += st.lines_jump;
                }
                st.auto_pos[table_lines] = pos;
                pos += lines_size;
            };
            if (st.tables_first) {
                place_tables();
                if (st.lines_after == mod.items.size()) place_lines();
            }
            for (size_t i = 0; i < mod.items.size(); ++i) {
                st.item_pos[i] = pos;
                pos += st.item_sizes[i];
                if (st.tables_first && i == st.lines_after) place_lines();
                if (mod.items[i].kind != ItemSrc::table_item) st.code_end = pos;
            }
            // After the code, the line table is made once the jumps have settled.
            if (st.tables_first) st.auto_lines = generate_line_table(m);
            st.items_end = pos;
            if (!st.tables_first) place_tables();
            st.size = pos;
            if (stop && !st.tables_first && st.size > 0xFFFF + module_base_offset) {
                bool any = false;
                for (int t = 0; t < module_table_count; ++t)
                    any |= stop(t);
                if (any) return;
            }
            // Jumps only widen and a line table before the code only grows with it, so the
            // rounds end.
            bool moved = st.tables_first && st.auto_lines.size() != lines_size;
            if (!widen_jumps(m) && !moved) break;
            if (round > 100)
                fail(mod.line, "jump offsets of module " + mod.name + " do not settle");
        }
        if (!st.tables_first) {
            st.auto_lines = generate_line_table(m);
            pos = st.items_end;
            for (int t = 0; t < table_channels; ++t)
                if (!st.explicit_table[t] && !mod.table_offsets) {
                    st.auto_pos[t] = pos;
                    pos += auto_table_size(m, ModuleTable(t));
                }
            st.size = pos;
        }
    }

    // The label or routine that item i of module m defines.
    const std::string& item_label(size_t m, size_t i) const {
        const ItemSrc& item = p_.modules[m].items[i];
        return item.kind == ItemSrc::routine_item ? p_.modules[m].routines[item.index].label
                                                  : p_.modules[m].labels[item.index];
    }

    size_t label_item(size_t m, const std::string& label) const {
        const uint32_t* item = modules_[m].labels.find(label);
        if (!item) throw FormatError("module " + p_.modules[m].name + " has no label " + label);
        return *item;
    }

    size_t label_pos(size_t m, const std::string& label) const {
        const uint32_t* item = modules_[m].labels.find(label);
        if (!item) throw FormatError("module " + p_.modules[m].name + " has no label " + label);
        return modules_[m].item_pos[*item];
    }

    // Grows jump fields that cannot hold their offset; true when something changed.
    bool widen_jumps(size_t m) {
        ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        bool changed = false;
        for (auto [i, instr] : st.jumpers) {
            std::span<Field> fields = st.instr_fields(instr);
            size_t pos = st.item_pos[i];
            bool table = false;
            size_t entry_width = 1;
            for (const Field& f : fields)
                if (f.kind == Field::table_entry)
                    table = true, entry_width = std::max(entry_width, size_t(f.size));
            for (Field& f : fields) {
                size_t size = field_size(f);
                if (f.kind == Field::jump || f.kind == Field::table_entry) {
                    int64_t offset = int64_t(st.item_pos[f.item]) - int64_t(pos + size);
                    size_t need = offset < signed_min[3] || offset > signed_max[3]
                                      ? 4
                                      : signed_size(int32_t(offset));
                    if (f.kind == Field::table_entry && need > 2)
                        fail(mod.instrs[mod.items[i].index].line,
                             "jump_table entry to " + item_label(m, f.item) +
                                 " is too far (2-byte entries)");
                    if (need > 3)
                        fail(mod.instrs[mod.items[i].index].line,
                             "jump to " + item_label(m, f.item) + " is too far");
                    if (need > f.size) {
                        f.size = uint8_t(need);
                        changed = true;
                    }
                    if (f.kind == Field::table_entry)
                        entry_width = std::max(entry_width, size_t(f.size));
                }
                pos += size;
            }
            // The first entry's top bit sets the width of all entries.
            if (table)
                for (Field& f : fields)
                    if (f.kind == Field::table_entry && f.size != entry_width) {
                        f.size = uint8_t(entry_width);
                        changed = true;
                    }
            size_t size = 0;
            for (const Field& f : fields)
                size += field_size(f);
            st.item_sizes[i] = size;
        }
        return changed;
    }

    size_t table_position(size_t m, ModuleTable t) const {
        const ModuleSrc& mod = p_.modules[m];
        const ModuleState& st = modules_[m];
        if (st.explicit_table[t]) {
            for (size_t i = 0; i < mod.items.size(); ++i)
                if (mod.items[i].kind == ItemSrc::table_item &&
                    mod.tables[mod.items[i].index].table == t)
                    return st.item_pos[i];
        }
        if (t == table_channels) return module_base_offset; // offset 0: none
        return st.auto_pos[t];
    }

    std::string display_name(size_t m, const RoutineSrc& r) const {
        if (!r.display_name.empty()) return r.display_name;
        if (r.internal && !r.parent.empty())
            return r.label + " in " + display_name(parent_of(m, r).first, *parent_of(m, r).second);
        return r.label;
    }

    // The line table built from `line` and marker statements; just the end byte when the
    // module has none.
    std::vector<uint8_t> generate_line_table(size_t m) const {
        const ModuleSrc& mod = p_.modules[m];
        const ModuleState& st = modules_[m];
        std::vector<uint8_t> out;
        bool used = false;
        for (const ItemSrc& item : mod.items)
            used |= item.kind == ItemSrc::line_item || item.kind == ItemSrc::mark_item;
        if (!used) {
            out.push_back(line_end_table);
            return out;
        }
        // Offsets count from the module base.
        size_t covered = module_base_offset;
        uint32_t line = 0, pending = 0, step = 0;
        bool step_known = true;
        auto flush = [&](size_t to, int src_line) {
            if (to <= covered) return;
            if (pending < line)
                fail(src_line, "line " + std::to_string(pending) + " follows line " +
                                   std::to_string(line) + ": line numbers must increase");
            uint32_t need = pending - line;
            if (need != step || !step_known) {
                encode_line_item(line_item(LineItem::step, need), out);
                step = need;
                step_known = true;
            }
            encode_line_item(line_item(LineItem::code, uint32_t(to - covered)), out);
            line = pending;
            covered = to;
        };
        for (size_t i = 0; i < mod.items.size(); ++i) {
            const ItemSrc& item = mod.items[i];
            size_t pos = st.item_pos[i];
            switch (item.kind) {
            case ItemSrc::routine_item: {
                flush(pos, item.line);
                const RoutineSrc& r = mod.routines[item.index];
                LineItem name = line_item(r.internal ? LineItem::internal : LineItem::routine, 0);
                name.name = display_name(m, r);
                try {
                    encode_line_item(name, out);
                } catch (const FormatError& e) {
                    fail(r.line, e.what());
                }
                line = pending = 0;
                step_known = false; // the engine reads the name as step bytes
                break;
            }
            case ItemSrc::line_item:
                flush(pos, item.line);
                if (item.number < pending)
                    fail(item.line, "line " + std::to_string(item.number) + " follows line " +
                                        std::to_string(pending) + ": line numbers must increase");
                pending = item.number;
                break;
            case ItemSrc::mark_item:
                flush(pos, item.line);
                out.push_back(uint8_t(item.number));
                break;
            default: break;
            }
        }
        flush(st.code_end, mod.line);
        out.push_back(line_end_table);
        return out;
    }

    // ---- emission ----

    std::pair<uint16_t, uint16_t> entry_of(size_t from, const std::string& text, int line) const {
        std::string label;
        std::optional<size_t> m = module_of_label(from, text, line, label);
        if (!m) fail(line, "unknown routine " + text);
        size_t offset = label_pos(*m, label) - module_base_offset;
        if (offset > 0xFFFF)
            fail(line, "routine " + text + " starts " + std::to_string(offset) +
                           " bytes into module " + p_.modules[*m].name +
                           ", beyond the 64 KB that a routine entry can reach: put it in a "
                           "module of its own or before the module's larger routines");
        return {uint16_t(offset), uint16_t(*m)};
    }

    std::vector<uint8_t> emit_module(size_t m) {
        const ModuleSrc& mod = p_.modules[m];
        ModuleState& st = modules_[m];
        std::vector<uint8_t> out(module_header_size, 0);
        out.reserve(st.size);
        auto emit_lines = [&]() {
            if (st.lines_after < mod.items.size()) {
                out.push_back(op_jump);
                encode_signed(int32_t(st.auto_lines.size()), st.lines_jump - 1, out);
            }
            out.insert(out.end(), st.auto_lines.begin(), st.auto_lines.end());
        };
        auto emit_tables = [&]() {
            for (int t = 0; t < table_channels; ++t) {
                if (st.explicit_table[t] || mod.table_offsets) continue;
                if (st.tables_first && t == table_lines) continue;
                if (t == table_lines) {
                    out.insert(out.end(), st.auto_lines.begin(), st.auto_lines.end());
                } else if (t == table_routines) {
                    out.resize(out.size() + 4 * st.routines.size());
                } else {
                    for (const TableEntry& e : st.tables[t]) {
                        put_u16(e.mode, out);
                        put_u16(e.offset, out);
                    }
                }
            }
        };
        if (st.tables_first) {
            emit_tables();
            if (st.lines_after == mod.items.size()) emit_lines();
        }
        size_t instr = 0;
        for (size_t i = 0; i < mod.items.size(); ++i) {
            const ItemSrc& item = mod.items[i];
            if (st.tables_first && i > 0 && i - 1 == st.lines_after) emit_lines();
            switch (item.kind) {
            case ItemSrc::routine_item:
                encode_entry_descriptor(descriptor_of(mod.routines[item.index]), out);
                break;
            case ItemSrc::instr_item: emit_instr(m, st.instr_fields(instr++), out); break;
            case ItemSrc::bytes_item:
                out.insert(out.end(), mod.bytes[item.index].begin(), mod.bytes[item.index].end());
                break;
            case ItemSrc::table_item: {
                std::vector<uint8_t> t = table_bytes(m, mod.tables[item.index]);
                out.insert(out.end(), t.begin(), t.end());
                break;
            }
            default: break;
            }
        }
        if (st.tables_first && st.lines_after + 1 == mod.items.size()) emit_lines();
        if (!st.tables_first) emit_tables();
        // Routine table entries: offsets of routines in any module.
        size_t rt = table_position(m, table_routines);
        for (size_t i = 0; i < st.routines.size(); ++i) {
            const RoutineEntry& e = st.routines[i];
            auto [off, mi] =
                e.label.empty() ? std::pair{e.offset, e.module} : entry_of(m, e.label, e.line);
            out[rt + 4 * i] = uint8_t(off);
            out[rt + 4 * i + 1] = uint8_t(off >> 8);
            out[rt + 4 * i + 2] = uint8_t(mi);
            out[rt + 4 * i + 3] = uint8_t(mi >> 8);
        }
        uint32_t body = mod.body_length.value_or(uint32_t(out.size() - 4));
        for (int b = 0; b < 4; ++b)
            out[size_t(b)] = uint8_t(body >> (8 * b));
        for (int t = 0; t < module_table_count; ++t) {
            size_t off = mod.table_offsets ? (*mod.table_offsets)[size_t(t)]
                                           : table_position(m, ModuleTable(t)) - module_base_offset;
            out[module_base_offset + 2 * size_t(t)] = uint8_t(off);
            out[module_base_offset + 2 * size_t(t) + 1] = uint8_t(off >> 8);
        }
        return out;
    }

    void emit_instr(size_t m, std::span<const Field> fields, std::vector<uint8_t>& out) {
        for (const Field& f : fields) {
            size_t size = field_size(f);
            switch (f.kind) {
            case Field::byte: out.push_back(uint8_t(f.value)); break;
            case Field::index: encode_index(f.value, out); break;
            case Field::number: encode_unsigned(f.value, out); break;
            default: {
                int64_t offset = int64_t(modules_[m].item_pos[f.item]) - int64_t(out.size() + size);
                encode_signed(int32_t(offset), size, out);
            }
            }
        }
    }

    void emit_globals(Image& image) {
        if (p_.raw_start) {
            image.start_offset = p_.raw_start->first;
            image.start_module = p_.raw_start->second;
        } else if (!p_.start.empty()) {
            std::tie(image.start_offset, image.start_module) = entry_of(0, p_.start, p_.start_line);
        } else {
            size_t m = first_routine_module();
            if (m == SIZE_MAX)
                fail(1, "the program has no routine to start (declare one, or use `start raw`)");
            std::tie(image.start_offset, image.start_module) =
                entry_of(m, p_.modules[m].routines[0].label, 1);
        }
        for (const OverrideSrc& o : p_.overrides) {
            BifOverride& e = image.overrides[o.bif];
            if (o.label.empty())
                e = {o.offset, o.module};
            else
                std::tie(e.entry_offset, e.module) = entry_of(0, o.label, o.line);
        }
        std::vector<size_t> record_pos;
        for (const CodeAreaItemSrc& item : p_.code_area) {
            record_pos.push_back(image.code_area.size());
            auto& out = image.code_area;
            if (item.record) {
                for (uint32_t v : {literal_record_count, uint32_t(item.text.size())})
                    for (int b = 0; b < 4; ++b)
                        out.push_back(uint8_t(v >> (8 * b)));
                out.insert(out.end(), item.text.begin(), item.text.end());
                while (out.size() % 4 != 0)
                    out.push_back(0);
            } else {
                out.insert(out.end(), item.data.begin(), item.data.end());
            }
        }
        // The modules that follow must start on 4-byte boundaries.
        while (image.code_area.size() % 4 != 0)
            image.code_area.push_back(0);
        for (const Pointer& ptr : pointers_)
            image.string_pointers.push_back(
                ptr.record >= 0 ? uint32_t(record_pos[size_t(ptr.record)] + 4) : ptr.raw);
        image.literal_tail_entries = uint32_t(pointers_.size() - tail_start_);
        for (int a = 0; a < 2; ++a)
            for (uint64_t c : cells_[a])
                for (int b = 0; b < 8; ++b)
                    (a == 0 ? image.cells1 : image.cells2).push_back(uint8_t(c >> (8 * b)));
    }

    ProgramSrc p_;
    mutable std::vector<std::unordered_map<std::string, const RoutineSrc*>> routine_names_;
    mutable std::unordered_map<std::string, size_t> module_names_; // see module_of_label
    mutable std::unordered_map<const RoutineSrc*,
                               std::unordered_map<std::string, const FrameVariable*>>
        variable_names_;
    std::unordered_map<const RoutineSrc*, std::string> argument_kinds_; // see call_kinds
    std::vector<uint64_t> cells_[2];
    std::unordered_map<uint64_t, size_t> cell_index_[2];    // cell bits -> first index
    size_t cells_known_[2] = {};                            // cells already in cell_index_
    std::unordered_map<std::string, size_t> literal_index_; // see literal_offset
    size_t literals_known_ = 0;
    std::map<std::string, size_t> code_labels_;
    std::vector<Pointer> pointers_;
    size_t tail_start_ = 0;
    std::vector<ModuleState> modules_;
};

} // namespace

Image assemble(const std::string& text, const std::string& file,
               std::vector<std::string>* warnings) {
    ProgramSrc program = parse_assembly(text, file);
    if (warnings) {
        std::vector<std::string> found = assembly_warnings(program);
        warnings->insert(warnings->end(), found.begin(), found.end());
    }
    try {
        return Assembler(std::move(program)).run();
    } catch (const FormatError& e) {
        throw AsmError(file, 0, e.what());
    }
}

std::vector<uint8_t> assemble_bytes(const std::string& text, const std::string& file,
                                    std::vector<std::string>* warnings) {
    Image image = assemble(text, file, warnings);
    try {
        return write_image(image);
    } catch (const FormatError& e) {
        throw AsmError(file, 0, e.what());
    }
}

} // namespace quillet::tools
