// The parsed form of an assembly source: what each statement asked for, before operands are
// placed in tables and code is laid out.
#pragma once

#include "bcode/descriptor.h"
#include "bcode/line_table.h"
#include "bcode/ops.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillet::tools {

// Operand kinds: the table an operand lives in.
enum class Kind : char { none = 0, num = 'N', str = 'S', num_array = 'A', str_array = 'B' };

struct OperandSrc {
    enum Form {
        by_name, // a declared operand, a routine variable, or UNIT.NAME
        number,  // numeric literal in cell area 1 (or 2 with lit2)
        string,  // string literal reached through the literal tail
        by_mode, // MODE OFFSET
        by_index // #INDEX: an entry of the table by position
    } form = by_name;
    Kind kind = Kind::none; // given by a prefix (num, str, numarr, strarr) or by the form
    std::string text;       // name, or the string literal's bytes
    uint64_t cell = 0;      // number
    int area = 1;           // number: cell area 1 or 2
    uint16_t mode = 0;      // mode
    uint32_t value = 0;     // mode: offset; index: the index
    int line = 0;
};

// A variable declared in a routine's descriptor, for name lookup in its code.
struct FrameVariable {
    std::string name;
    Kind kind;
    uint16_t mode; // frame, frame_ref, or shared0..2 (with the _ref flag below)
    bool reference;
    uint32_t offset;
};

struct Declaration {
    uint8_t code;
    Kind kind = Kind::none;
    std::vector<std::string> names; // reserve: one per slot (may be empty); others: zero or one
    std::vector<Kind> slot_kinds;   // reserve: kind of each named slot
    bcode::DescriptorItem item;
    int line = 0;
};

struct FrameSrc {
    std::optional<uint32_t> frame_units;
    std::vector<std::string> numeric_locals; // names ("" for unnamed)
    std::vector<std::string> string_locals;
    std::vector<Declaration> declarations; // in code order, without the ending code
    uint8_t end_code = bcode::desc_own_env;
    bcode::DescriptorItem end_item; // shared_block, native
    int line = 0;
};

struct RoutineSrc {
    std::string label;
    std::string display_name; // for the line table; empty: the label
    bool internal = false;
    std::string parent; // internal: the unit whose variables it sees through env
    std::vector<FrameSrc> frames;
    std::vector<FrameVariable> variables; // filled when the frames are laid out
    int line = 0;
};

struct InstrSrc {
    uint8_t op = 0;
    std::vector<OperandSrc> operands;
    std::vector<std::string> targets; // jump labels (jumps, for_start, jump_table)
    std::string callee;               // call: routine label; empty with callee_index
    std::optional<uint32_t> callee_index;
    uint32_t bif = 0;  // bif number 0..511
    int32_t base = 0;  // jump_table
    bool wide = false; // jump_table: 2-byte entries even when 1 byte would do
    int line = 0;
    // A repeat, word for word, of this earlier instruction, whose operands and targets it
    // shares (its own are left empty).
    size_t same_as = SIZE_MAX;
};

struct RoutineEntrySrc { // an entry of an explicit routine table
    std::string label;   // empty: raw
    uint16_t offset = 0, module = 0;
    int line = 0;
};

struct TableSrc {
    bcode::ModuleTable table;
    std::vector<OperandSrc> operands;      // the four operand tables
    std::vector<RoutineEntrySrc> routines; // routine table
    std::vector<bcode::LineItem> lines;    // line table (explicit)
    uint8_t channel_register = 9;          // shared channel table
    uint16_t first_slot = 0;
    std::vector<uint16_t> channels;
    int line = 0;
};

// Kept small: a large program has hundreds of thousands, which the assembler walks often.
struct ItemSrc {
    enum Kind : uint8_t {
        routine_item,
        label_item,
        instr_item,
        bytes_item,
        table_item,
        line_item,
        mark_item
    } kind = bytes_item;
    uint32_t number = 0; // line_number: the line; line_mark: the byte
    int line = 0;
    size_t index = 0; // into the module's routines / instrs / tables / labels / bytes
};

struct NamedOperandSrc {
    std::string name;
    OperandSrc operand;
};

struct ModuleSrc {
    std::string name;
    std::optional<uint32_t> body_length;
    // Set: the header's table offsets as written; the module then holds only bytes and labels.
    std::optional<std::vector<uint16_t>> table_offsets;
    std::vector<ItemSrc> items;
    std::vector<RoutineSrc> routines;
    std::vector<InstrSrc> instrs;
    std::vector<std::string> labels;         // of the label items
    std::vector<std::vector<uint8_t>> bytes; // of the bytes items
    std::vector<TableSrc> tables;
    std::vector<NamedOperandSrc> names;
    int line = 0;
};

struct OverrideSrc {
    uint32_t bif;
    std::string label; // empty: raw
    uint16_t offset = 0, module = 0;
    int line = 0;
};

struct CodeAreaItemSrc {
    std::string label;         // string records may be labelled for string_pointers
    bool record = false;       // a string record (count 2, padded to 4 bytes), else raw bytes
    std::string text;          // record text
    std::vector<uint8_t> data; // raw bytes
    int line = 0;
};

struct PointerSrc {
    std::string label; // a code-area record; empty: raw value
    uint32_t value = 0;
    int line = 0;
};

struct ProgramSrc {
    std::string file;
    std::string start; // routine label, optionally MODULE.LABEL
    int start_line = 0;
    std::optional<std::pair<uint16_t, uint16_t>> raw_start; // offset, module
    std::vector<OverrideSrc> overrides;
    std::vector<uint64_t> cells[2];
    std::vector<CodeAreaItemSrc> code_area;
    std::vector<PointerSrc> string_pointers;
    std::optional<size_t> tail_start; // index into string_pointers
    std::vector<ModuleSrc> modules;
};

} // namespace quillet::tools
