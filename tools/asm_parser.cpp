#include "asm_parser.h"

#include "asm_error.h"
#include "asm_lexer.h"
#include "bcode/bifs.h"
#include "bcode/descriptor.h"
#include "bcode/numbers.h"
#include "bcode/ops.h"
#include "text_index.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

namespace quillet::tools {

using namespace bcode;

bool parse_number_cell(const std::string& text, uint64_t& cell) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    bool is_integer = text.find_first_of(".eEnN") == std::string::npos ||
                      text.find("0x") != std::string::npos || text.find("0X") != std::string::npos;
    if (is_integer) {
        errno = 0;
        long long v = std::strtoll(begin, &end, 0);
        if (*end != 0 || errno != 0) return false;
        if (v >= INT32_MIN && v <= INT32_MAX) {
            cell = 0xFFFFFFFF00000000ull | uint32_t(int32_t(v));
            return true;
        }
        cell = std::bit_cast<uint64_t>(double(v));
        return true;
    }
    double d = std::strtod(begin, &end);
    if (*end != 0 || !std::isfinite(d)) return false;
    cell = std::bit_cast<uint64_t>(d);
    return true;
}

namespace {

// An op by name through a hash table (the assembler looks up every instruction's name).
const OpInfo* find_op(std::string_view name) {
    static const std::unordered_map<std::string_view, const OpInfo*> ops = [] {
        std::unordered_map<std::string_view, const OpInfo*> m;
        for (int b = 0; b < 256; ++b)
            if (const OpInfo* op = op_info(uint8_t(b))) m.emplace(op->name, op);
        return m;
    }();
    auto it = ops.find(name);
    return it == ops.end() ? nullptr : it->second;
}

// Reads statements line by line; the few block statements (module, tables, code_area,
// string_pointers) switch the state until their `end`.
class Parser {
public:
    Parser(const std::string& file) { program_.file = file; }

    ProgramSrc run(const std::string& text) {
        // A byte-order mark that an editor put before the first line is no statement.
        std::string_view in(text);
        if (in.starts_with("\xEF\xBB\xBF")) in.remove_prefix(3);
        while (!in.empty()) {
            size_t end = in.find('\n');
            std::string_view raw = in.substr(0, end);
            in.remove_prefix(end == std::string_view::npos ? in.size() : end + 1);
            rest_ = in;
            ++line_;
            // Generated code repeats many instructions word for word: a line that was one
            // instruction of this module is read once, and its repeats are copies.
            if (program_.modules.size() != same_module_) {
                // A fresh table: clearing keeps the slots of a large module's, and
                // clearing them again for every module after it costs more than the table.
                same_lines_.release();
                same_module_ = program_.modules.size();
            }
            State before = state_;
            // Only instruction lines as the compiler writes them (`line N` and labels are
            // never repeated): the table stays small.
            bool cached =
                before == State::module && raw.starts_with("    ") && !raw.starts_with("    line ");
            uint32_t hash = 0;
            if (cached) {
                hash = TextIndex::hash_of(raw);
                if (const uint32_t* same = same_lines_.find(raw, hash)) {
                    repeat_instruction(*same);
                    continue;
                }
            }
            size_t items = before == State::module ? mod().items.size() : 0;
            tokenize_line(raw, program_.file, line_, toks_);
            pos_ = 0;
            if (!toks_.empty()) statement();
            if (cached && state_ == State::module && program_.modules.size() == same_module_ &&
                mod().items.size() == items + 1 && mod().items.back().kind == ItemSrc::instr_item)
                same_lines_.insert(raw, hash, uint32_t(mod().items.back().index));
        }
        if (state_ != State::top)
            fail("the file ends inside " + block_name_ + " (missing `end`)", block_line_);
        if (program_.modules.empty()) fail("the program has no module", line_);
        return std::move(program_);
    }

private:
    enum class State { top, module, table, code_area, pointers };

    [[noreturn]] void fail(const std::string& message, int at = 0) const {
        throw AsmError(program_.file, at ? at : line_, message);
    }

    bool done() const { return pos_ >= toks_.size(); }
    const Token& peek() const {
        if (done()) fail("the statement ends too early");
        return toks_[pos_];
    }
    bool peek_word(std::string_view w) const {
        return !done() && toks_[pos_].kind == Token::word && toks_[pos_].text == w;
    }
    bool peek_punct(char c) const {
        return !done() && toks_[pos_].kind == Token::punct && toks_[pos_].text[0] == c;
    }
    bool accept_punct(char c) {
        if (!peek_punct(c)) return false;
        ++pos_;
        return true;
    }
    void expect_punct(char c) {
        if (!accept_punct(c)) fail(std::string("expected '") + c + "'" + found());
    }
    bool accept_word(std::string_view w) {
        if (!peek_word(w)) return false;
        ++pos_;
        return true;
    }
    std::string found() const {
        if (done()) return " at the end of the line";
        return " but found '" + toks_[pos_].text + "'";
    }
    std::string word(const char* what) {
        if (done() || peek().kind != Token::word) fail(std::string("expected ") + what + found());
        return toks_[pos_++].text;
    }
    std::string string_token(const char* what) {
        if (done() || peek().kind != Token::string)
            fail(std::string("expected ") + what + " in double quotes" + found());
        return toks_[pos_++].text;
    }
    int64_t integer(const char* what, int64_t lo, int64_t hi) {
        if (done() || peek().kind != Token::number) fail(std::string("expected ") + what + found());
        const std::string& t = toks_[pos_].text;
        char* end = nullptr;
        errno = 0;
        long long v = std::strtoll(t.c_str(), &end, 0);
        if (*end != 0 || errno != 0)
            fail(std::string(what) + " must be a whole number, not '" + t + "'");
        if (v < lo || v > hi)
            fail(std::string(what) + " " + t + " is outside " + std::to_string(lo) + ".." +
                 std::to_string(hi));
        ++pos_;
        return v;
    }
    // A bif by number or by its name in the bif table.
    uint32_t bif_number() {
        if (!done() && peek().kind == Token::word) {
            const std::string& name = toks_[pos_].text;
            const bcode::BifInfo* b = bcode::bif_by_name(name);
            if (!b) fail("'" + name + "' is not the name of a bif (quillet bifs lists them)");
            ++pos_;
            return b->number;
        }
        return uint32_t(integer("bif number", 0, 511));
    }
    void end_of_statement() {
        if (!done()) fail("unexpected '" + toks_[pos_].text + "' after the statement");
    }

    void open_block(State s, const std::string& name) {
        state_ = s;
        block_name_ = name;
        block_line_ = line_;
    }

    void statement() {
        switch (state_) {
        case State::top: top_statement(); break;
        case State::module: module_statement(); break;
        case State::table: table_statement(); break;
        case State::code_area: code_area_statement(); break;
        case State::pointers: pointer_statement(); break;
        }
    }

    // ---- top level ----

    void top_statement() {
        std::string w = word("a statement (module, start, override, cells1, cells2, code_area, "
                             "string_pointers)");
        if (w == "module") {
            ModuleSrc m;
            m.line = line_;
            if (!done()) m.name = word("a module name");
            end_of_statement();
            for (const ModuleSrc& other : program_.modules)
                if (!m.name.empty() && other.name == m.name)
                    fail("module " + m.name + " is defined twice");
            // Room for as many items as the module has lines (up to its `end`), so that a
            // large module's items are not copied over and over as they grow.
            std::string_view body = rest_.substr(0, rest_.find("\nend\n"));
            size_t lines = 0;
            for (size_t at = body.find('\n'); at != std::string_view::npos;
                 at = body.find('\n', at + 1))
                ++lines;
            m.items.reserve(lines + 1);
            m.instrs.reserve(lines + 1);
            program_.modules.push_back(std::move(m));
            open_block(State::module, "module " + program_.modules.back().name);
            in_declarations_ = false;
        } else if (w == "start") {
            program_.start_line = line_;
            if (accept_word("raw")) {
                uint16_t off = uint16_t(integer("entry offset", 0, 0xFFFF));
                uint16_t mod = uint16_t(integer("module index", 0, 0xFFFF));
                program_.raw_start = {{off, mod}};
            } else {
                program_.start = word("the start routine's label");
            }
            end_of_statement();
        } else if (w == "override") {
            OverrideSrc o;
            o.line = line_;
            o.bif = bif_number();
            if (accept_word("raw")) {
                o.offset = uint16_t(integer("entry offset", 0, 0xFFFF));
                o.module = uint16_t(integer("module index", 0, 0xFFFF));
            } else {
                o.label = word("the routine's label");
            }
            end_of_statement();
            for (const OverrideSrc& other : program_.overrides)
                if (other.bif == o.bif)
                    fail("bif " + std::to_string(o.bif) + " is overridden twice");
            program_.overrides.push_back(o);
        } else if (w == "cells1" || w == "cells2") {
            auto& cells = program_.cells[w == "cells1" ? 0 : 1];
            do
                cells.push_back(cell_value());
            while (accept_punct(','));
            end_of_statement();
        } else if (w == "code_area") {
            end_of_statement();
            open_block(State::code_area, "code_area");
        } else if (w == "string_pointers") {
            end_of_statement();
            open_block(State::pointers, "string_pointers");
        } else {
            fail("unknown statement '" + w + "' outside a module");
        }
    }

    uint64_t cell_value() {
        if (accept_word("bits")) return uint64_t(integer_u64("cell bits"));
        if (done() || peek().kind != Token::number)
            fail("expected a number or `bits 0x...`" + found());
        uint64_t cell;
        if (!parse_number_cell(toks_[pos_].text, cell))
            fail("'" + toks_[pos_].text + "' is not a finite number (use `bits` for others)");
        ++pos_;
        return cell;
    }

    uint64_t integer_u64(const char* what) {
        if (done() || peek().kind != Token::number) fail(std::string("expected ") + what + found());
        char* end = nullptr;
        errno = 0;
        unsigned long long v = std::strtoull(toks_[pos_].text.c_str(), &end, 0);
        if (*end != 0 || errno != 0 || toks_[pos_].text[0] == '-')
            fail(std::string(what) + " must be an unsigned number, not '" + toks_[pos_].text + "'");
        ++pos_;
        return v;
    }

    std::vector<uint8_t> byte_list() {
        std::vector<uint8_t> bytes;
        while (!done()) {
            if (peek().kind == Token::string) {
                for (char c : toks_[pos_++].text)
                    bytes.push_back(uint8_t(c));
            } else if (peek().kind == Token::number || peek().kind == Token::word) {
                // Bytes are two hex digits, with or without 0x; A0 and FF lex as words.
                const std::string& t = toks_[pos_].text;
                bool prefixed = t.size() > 2 && t[0] == '0' && (t[1] | 0x20) == 'x';
                std::string digits = prefixed ? t.substr(2) : t;
                char* end = nullptr;
                unsigned long v = std::strtoul(digits.c_str(), &end, 16);
                if (digits.empty() || digits.size() > 2 || *end != 0 || v > 0xFF)
                    fail("'" + t + "' is not a byte (two hex digits)");
                bytes.push_back(uint8_t(v));
                ++pos_;
            } else if (!accept_punct(',')) {
                fail("unexpected '" + peek().text + "' in a byte list");
            }
        }
        if (bytes.empty()) fail("`bytes` needs at least one byte");
        return bytes;
    }

    void code_area_statement() {
        if (accept_word("end")) {
            end_of_statement();
            state_ = State::top;
            return;
        }
        CodeAreaItemSrc item;
        item.line = line_;
        if (pos_ + 1 < toks_.size() && toks_[pos_].kind == Token::word &&
            toks_[pos_ + 1].kind == Token::punct && toks_[pos_ + 1].text == ":") {
            item.label = toks_[pos_].text;
            pos_ += 2;
            for (const CodeAreaItemSrc& other : program_.code_area)
                if (other.label == item.label)
                    fail("code-area label " + item.label + " is defined twice");
        }
        std::string w = word("`string` or `bytes`");
        if (w == "string") {
            item.record = true;
            item.text = string_token("the text");
            end_of_statement();
        } else if (w == "bytes") {
            if (!item.label.empty()) fail("only string records take a label");
            item.data = byte_list();
        } else {
            fail("unknown code-area item '" + w + "' (expected string or bytes)");
        }
        program_.code_area.push_back(std::move(item));
    }

    void pointer_statement() {
        if (accept_word("end")) {
            end_of_statement();
            state_ = State::top;
            return;
        }
        std::string w = word("`ptr` or `tail`");
        if (w == "tail") {
            if (program_.tail_start) fail("the literal tail is marked twice");
            program_.tail_start = program_.string_pointers.size();
        } else if (w == "ptr") {
            PointerSrc p;
            p.line = line_;
            if (!done() && peek().kind == Token::number)
                p.value = uint32_t(integer("pointer value", 0, 0xFFFFFFFF));
            else
                p.label = word("a code-area label or a number");
            program_.string_pointers.push_back(p);
        } else {
            fail("unknown statement '" + w + "' in string_pointers (expected ptr or tail)");
        }
        end_of_statement();
    }

    // ---- modules ----

    ModuleSrc& mod() { return program_.modules.back(); }

    // A repeat keeps what names the op and its flow; its operands are those of the instruction
    // it repeats (the assembler resolves them from there).
    void repeat_instruction(size_t index) {
        const InstrSrc& first = mod().instrs[index];
        InstrSrc in;
        in.op = first.op;
        in.callee = first.callee;
        in.callee_index = first.callee_index;
        in.bif = first.bif;
        in.base = first.base;
        in.wide = first.wide;
        in.line = line_;
        in.same_as = index;
        in_declarations_ = false;
        mod().instrs.push_back(std::move(in));
        add_item(ItemSrc::instr_item, mod().instrs.size() - 1);
    }

    void add_item(ItemSrc::Kind kind, size_t index = 0) {
        ItemSrc item;
        item.kind = kind;
        item.index = index;
        item.line = line_;
        mod().items.push_back(std::move(item));
    }

    static Kind kind_word(std::string_view w) {
        if (w.size() != 3 && w.size() != 6) return Kind::none; // most words, quickly
        if (w == "num") return Kind::num;
        if (w == "str") return Kind::str;
        if (w == "numarr") return Kind::num_array;
        if (w == "strarr") return Kind::str_array;
        return Kind::none;
    }

    Kind kind(const char* what) {
        std::string w = word(what);
        Kind k = kind_word(w);
        if (k == Kind::none)
            fail(std::string("expected ") + what + " (num, str, numarr or strarr), not '" + w +
                 "'");
        return k;
    }

    void check_new_name(const std::string& name) {
        uint16_t mode;
        if (mode_by_name(name, mode) || kind_word(name) != Kind::none || name == "lit" ||
            name == "lit2" || name == "bits" || find_op(name))
            fail("'" + name + "' is a keyword and cannot name an operand");
        if (name.find('.') != std::string::npos)
            fail("operand name '" + name + "' must not contain '.'");
    }

    // The words of module statements other than instructions (they come before an op's name).
    static bool module_word(const std::string& w) {
        uint8_t mark;
        return is_language_word(w, true) || line_mark_by_name(w, mark);
    }

    // An op whose name is no other module statement's word: one look-up per instruction.
    static const OpInfo* find_statement_op(const std::string& w) {
        static const std::unordered_map<std::string_view, const OpInfo*> ops = [] {
            std::unordered_map<std::string_view, const OpInfo*> m;
            for (int b = 0; b < 256; ++b)
                if (const OpInfo* op = op_info(uint8_t(b));
                    op && !module_word(std::string(op->name)))
                    m.emplace(op->name, op);
            return m;
        }();
        auto it = ops.find(w);
        return it == ops.end() ? nullptr : it->second;
    }

    void module_statement() {
        // Labels: `name:` and optionally a statement after it.
        if (pos_ + 1 < toks_.size() && toks_[pos_].kind == Token::word &&
            toks_[pos_ + 1].kind == Token::punct && toks_[pos_ + 1].text == ":") {
            std::string label = toks_[pos_].text;
            pos_ += 2;
            in_declarations_ = false;
            mod().labels.push_back(std::move(label));
            add_item(ItemSrc::label_item, mod().labels.size() - 1);
            if (done()) return;
        }
        const std::string& w = peek().text;
        if (peek().kind != Token::word) fail("expected a statement" + found());
        if (in_declarations_ && declaration()) return;
        in_declarations_ = false;
        ++pos_;
        // Most statements are instructions: an op's name that is none of the words below.
        if (const OpInfo* op = find_statement_op(w)) {
            instruction(*op);
            return;
        }
        if (w == "end") {
            end_of_statement();
            state_ = State::top;
        } else if (w == "body_length") {
            mod().body_length = uint32_t(integer("body length", 0, 0xFFFFFFFF));
            end_of_statement();
        } else if (w == "table_offsets") {
            std::vector<uint16_t> offsets;
            for (int t = 0; t < module_table_count; ++t)
                offsets.push_back(uint16_t(integer("table offset", 0, 0xFFFF)));
            mod().table_offsets = offsets;
            end_of_statement();
        } else if (kind_word(w) != Kind::none) {
            NamedOperandSrc n;
            n.name = word("an operand name");
            check_new_name(n.name);
            expect_punct('=');
            n.operand = operand();
            if (n.operand.kind != Kind::none && n.operand.kind != kind_word(w))
                fail("'" + n.name + "' is declared " + w + " but its operand is of another kind");
            n.operand.kind = kind_word(w);
            end_of_statement();
            for (const NamedOperandSrc& other : mod().names)
                if (other.name == n.name) fail("operand " + n.name + " is declared twice");
            mod().names.push_back(std::move(n));
        } else if (w == "routine" || w == "internal") {
            routine_header(w == "internal");
        } else if (w == "bytes") {
            std::vector<uint8_t> data = byte_list();
            mod().bytes.push_back(std::move(data));
            add_item(ItemSrc::bytes_item, mod().bytes.size() - 1);
        } else if (w == "line") {
            add_item(ItemSrc::line_item);
            mod().items.back().number = uint32_t(integer("line number", 0, line_value_max));
            end_of_statement();
        } else if (uint8_t mark; line_mark_by_name(w, mark) && mark != line_end_table) {
            add_item(ItemSrc::mark_item);
            mod().items.back().number = mark;
            end_of_statement();
        } else if (w == "numeric_operands" || w == "string_operands" || w == "numeric_arrays" ||
                   w == "string_arrays" || w == "routines" || w == "lines") {
            static const char* names[] = {"numeric_operands", "string_operands", "numeric_arrays",
                                          "string_arrays",    "routines",        "lines"};
            int t = 0;
            while (w != names[t])
                ++t;
            start_table(ModuleTable(t));
            end_of_statement();
            open_block(State::table, w);
        } else if (w == "channels") {
            start_table(table_channels);
            TableSrc& t = mod().tables.back();
            t.channel_register =
                uint8_t(shared_register_byte_bias + integer("shared register (0, 1 or 2)", 0, 2));
            t.first_slot = uint16_t(integer("first slot index", 0, 0xFFFF));
            if (accept_punct(':')) {
                do
                    t.channels.push_back(uint16_t(integer("channel number", 0, 0xFFFF)));
                while (accept_punct(','));
            }
            if (t.channels.size() > 255) fail("a shared channel table holds at most 255 channels");
            end_of_statement();
        } else if (const OpInfo* op = find_op(w)) {
            instruction(*op);
        } else {
            fail("unknown statement '" + w + "'");
        }
    }

    void start_table(ModuleTable t) {
        for (const TableSrc& other : mod().tables)
            if (other.table == t)
                fail(std::string(table_name(t)) + " is listed twice in this module");
        TableSrc table;
        table.table = t;
        table.line = line_;
        mod().tables.push_back(std::move(table));
        add_item(ItemSrc::table_item, mod().tables.size() - 1);
    }

    void table_statement() {
        TableSrc& t = mod().tables.back();
        if (accept_word("end")) {
            end_of_statement();
            state_ = State::module;
            return;
        }
        if (t.table == table_routines) {
            RoutineEntrySrc e;
            e.line = line_;
            if (accept_word("raw")) {
                e.offset = uint16_t(integer("entry offset", 0, 0xFFFF));
                e.module = uint16_t(integer("module index", 0, 0xFFFF));
            } else {
                e.label = word("a routine label");
            }
            t.routines.push_back(e);
        } else if (t.table == table_lines) {
            t.lines.push_back(line_item());
        } else {
            do {
                OperandSrc o = operand(true);
                t.operands.push_back(o);
            } while (accept_punct(','));
        }
        end_of_statement();
    }

    LineItem line_item() {
        std::string w = word("a line-table item");
        LineItem item;
        if (w == "routine" || w == "internal") {
            item.kind = w == "routine" ? LineItem::routine : LineItem::internal;
            item.name = string_token("the routine's name");
        } else if (w == "step" || w == "long_step" || w == "code" || w == "long_code") {
            item.kind = w.ends_with("step") ? LineItem::step : LineItem::code;
            item.long_form = w.starts_with("long_");
            item.value = uint32_t(integer("the value", 0, line_value_max));
        } else if (uint8_t mark; line_mark_by_name(w, mark) && mark != line_end_table) {
            item.kind = LineItem::mark;
            item.value = mark;
        } else {
            fail("unknown line-table item '" + w + "'");
        }
        return item;
    }

    // ---- routines and their descriptors ----

    RoutineSrc& routine() { return mod().routines.back(); }
    FrameSrc& frame() { return routine().frames.back(); }

    void routine_header(bool internal) {
        RoutineSrc r;
        r.line = line_;
        r.internal = internal;
        r.label = word("the routine's label");
        if (internal && accept_word("of"))
            r.parent = word("the unit whose variables the internal routine sees");
        if (accept_word("name"))
            r.display_name = string_token("the routine's name for the line table");
        end_of_statement();
        FrameSrc f;
        f.line = line_;
        f.end_code = internal ? desc_caller_env : desc_own_env;
        r.frames.push_back(f);
        mod().routines.push_back(std::move(r));
        add_item(ItemSrc::routine_item, mod().routines.size() - 1);
        in_declarations_ = true;
    }

    std::string optional_name() {
        if (done() || peek().kind != Token::word || peek_word("size")) return "";
        std::string n = toks_[pos_++].text;
        check_new_name(n);
        return n;
    }

    void add_declaration(uint8_t code, Kind k, std::string name = "") {
        Declaration d;
        d.code = code;
        d.kind = k;
        if (!name.empty()) d.names.push_back(name);
        d.item.code = code;
        d.line = line_;
        frame().declarations.push_back(std::move(d));
    }

    // Returns false when the statement is not a declaration (the routine's code begins).
    bool declaration() {
        const std::string w = peek().text;
        static const char* words[] = {"param",   "ref",           "result",    "local",
                                      "channel", "reserve",       "nothing",   "shared",
                                      "native",  "native_cached", "frame_size"};
        bool is_decl = false;
        for (const char* d : words)
            is_decl |= w == d;
        if (!is_decl) return false;
        ++pos_;
        if (w == "param" || w == "ref" || w == "result") {
            Kind k = kind("a kind");
            static const uint8_t codes[3][4] = {
                {desc_num_value, desc_str_value, desc_num_array_value, desc_str_array_value},
                {desc_num_ref, desc_str_ref, desc_num_array_ref, desc_str_array_ref},
                {desc_num_result, desc_str_result, 0, 0}};
            int row = w == "param" ? 0 : w == "ref" ? 1 : 2;
            int col = k == Kind::num ? 0 : k == Kind::str ? 1 : k == Kind::num_array ? 2 : 3;
            if (codes[row][col] == 0) fail("result parameters are num or str");
            add_declaration(codes[row][col], k, optional_name());
        } else if (w == "local") {
            local_declaration();
        } else if (w == "channel") {
            add_declaration(desc_channel, Kind::none);
            frame().declarations.back().item.number =
                uint32_t(integer("local channel number", 0, unsigned_max[3]));
        } else if (w == "reserve") {
            add_declaration(desc_reserve, Kind::none);
            Declaration& d = frame().declarations.back();
            if (!done() && peek().kind == Token::number) {
                d.item.number = uint32_t(integer("slot count", 0, unsigned_max[3]));
            } else {
                do {
                    d.slot_kinds.push_back(kind("a kind"));
                    std::string n = word("a slot name");
                    check_new_name(n);
                    d.names.push_back(n);
                } while (accept_punct(','));
                d.item.number = uint32_t(d.names.size());
            }
        } else if (w == "nothing") {
            add_declaration(desc_none, Kind::none);
        } else if (w == "frame_size") {
            frame().frame_units =
                uint32_t(integer("frame size (2-byte units)", 0, unsigned_max[3]));
        } else if (w == "shared") {
            frame().end_code = desc_shared_block;
            frame().end_item.code = desc_shared_block;
            // "shared raw BYTE" writes the register byte as it stands (to test refusals).
            frame().end_item.number = accept_word("raw")
                                          ? uint32_t(integer("shared register byte", 0, 255))
                                          : uint32_t(shared_register_byte_bias +
                                                     integer("shared register (0, 1 or 2)", 0, 2));
            FrameSrc next;
            next.line = line_;
            next.end_code = routine().internal ? desc_caller_env : desc_own_env;
            routine().frames.push_back(next);
        } else if (w == "native") {
            frame().end_code = desc_native;
            frame().end_item.code = desc_native;
            frame().end_item.procedure = string_token("the procedure name");
            frame().end_item.library = string_token("the library name");
            in_declarations_ = false;
        } else if (w == "native_cached") {
            frame().end_code = desc_native;
            frame().end_item.code = desc_native;
            frame().end_item.native_cached = true;
            frame().end_item.native_address = uint32_t(integer("procedure address", 0, 0xFFFFFFFF));
            in_declarations_ = false;
        }
        end_of_statement();
        return true;
    }

    void local_declaration() {
        Kind k = kind("a kind");
        if (k == Kind::num || (k == Kind::str && !peek_size_after_name())) {
            auto& list = k == Kind::num ? frame().numeric_locals : frame().string_locals;
            if (!done() && peek().kind == Token::number) {
                int64_t count = integer("local count", 0, 100000);
                list.insert(list.end(), size_t(count), "");
            } else {
                std::string n = word("a local name or count");
                check_new_name(n);
                list.push_back(n);
            }
            return;
        }
        if (k == Kind::str) {
            std::string n = optional_name();
            expect_size();
            add_declaration(desc_fixed_string, k, n);
            frame().declarations.back().item.number =
                uint32_t(integer("maximum length", 0, 0xFFFFFF));
            return;
        }
        std::string n = optional_name();
        add_declaration(k == Kind::num_array ? desc_num_array : desc_str_array, k, n);
        DescriptorItem& item = frame().declarations.back().item;
        expect_punct('(');
        do {
            int64_t lower = integer("lower bound", INT32_MIN, INT32_MAX);
            if (!accept_word("to")) fail("expected `to` between the bounds" + found());
            int64_t upper = integer("upper bound", INT32_MIN, int64_t(INT32_MAX) + 0xFFFFFFFFll);
            int64_t count = upper - lower + 1;
            if (count < 0 || count > 0xFFFFFFFFll)
                fail("bounds " + std::to_string(lower) + " to " + std::to_string(upper) +
                     " give no valid element count");
            item.bounds.push_back({int32_t(lower), uint32_t(count)});
        } while (accept_punct(','));
        expect_punct(')');
        if (item.bounds.size() > 255) fail("an array local has at most 255 dimensions");
        // Without `size` the elements have no maximum length.
        item.max_length = 0x7FFFFFFF;
        if (accept_word("size"))
            item.max_length = uint32_t(integer("maximum length", 0, 0xFFFFFFFF));
    }

    bool peek_size_after_name() const {
        size_t p = pos_;
        if (p < toks_.size() && toks_[p].kind == Token::word && toks_[p].text != "size") ++p;
        return p < toks_.size() && toks_[p].kind == Token::word && toks_[p].text == "size";
    }
    void expect_size() {
        if (!accept_word("size")) fail("expected `size`" + found());
    }

    // ---- operands and instructions ----

    OperandSrc operand(bool in_table = false) {
        OperandSrc o;
        o.line = line_;
        if (!done() && peek().kind == Token::word && kind_word(peek().text) != Kind::none &&
            pos_ + 1 < toks_.size() &&
            !(toks_[pos_ + 1].kind == Token::punct && toks_[pos_ + 1].text == ","))
            o.kind = kind_word(toks_[pos_++].text);
        const Token& t = peek();
        if (t.kind == Token::number || peek_word("lit") || peek_word("lit2") || peek_word("bits")) {
            if (accept_word("lit2"))
                o.area = 2;
            else
                accept_word("lit");
            if (!done() && peek().kind == Token::string && o.area == 1) {
                o.form = OperandSrc::string;
                o.text = toks_[pos_++].text;
                return checked_kind(o, Kind::str);
            }
            o.form = OperandSrc::number;
            o.cell = cell_value();
            return checked_kind(o, Kind::num);
        }
        if (t.kind == Token::string) {
            o.form = OperandSrc::string;
            o.text = toks_[pos_++].text;
            return checked_kind(o, Kind::str);
        }
        if (accept_punct('#')) {
            o.form = OperandSrc::by_index;
            o.value = uint32_t(integer("operand index", 0, unsigned_max[3] + escape_bias));
            return o;
        }
        std::string w = word("an operand");
        if (mode_word(w, o.mode)) {
            o.form = OperandSrc::by_mode;
            if (o.mode == mode_escape && !in_table)
                fail("escape entries are placed by the assembler; use #INDEX for a raw index");
            if (o.mode == mode_escape && (done() || peek().kind != Token::number)) return o;
            o.value = uint32_t(integer("the offset", 0, 0xFFFF));
            return o;
        }
        if (in_table)
            fail("table entries are written as MODE OFFSET or a literal, not '" + w + "'");
        o.form = OperandSrc::by_name;
        o.text = std::move(w);
        return o;
    }

    // An address mode's name (every named operand is looked up: the names are compared by
    // length first).
    static bool mode_word(const std::string& w, uint16_t& mode) {
        struct Mode {
            std::string_view name;
            uint16_t value;
        };
        static const std::vector<Mode> modes = [] {
            std::vector<Mode> m;
            for (uint32_t v = 0; v < 0x100; ++v)
                if (std::string_view name = mode_name(uint16_t(v)); !name.empty())
                    m.push_back({name, uint16_t(v)});
            return m;
        }();
        for (const Mode& m : modes)
            if (m.name == w) {
                mode = m.value;
                return true;
            }
        return false;
    }

    OperandSrc checked_kind(OperandSrc o, Kind k) {
        if (o.kind != Kind::none && o.kind != k)
            fail(std::string(k == Kind::num ? "a numeric" : "a string") +
                 " literal cannot be used as another kind of operand");
        o.kind = k;
        return o;
    }

    void instruction(const OpInfo& op) {
        InstrSrc in;
        in.op = op.byte;
        in.line = line_;
        std::string_view sig = op.operands;
        size_t commas = 0; // operands are at most one more
        for (size_t i = pos_; i < toks_.size(); ++i)
            commas += toks_[i].kind == Token::punct && toks_[i].text[0] == ',';
        in.operands.reserve(commas + 1);
        if (sig == "T") {
            in.wide = accept_word("wide");
            in.operands.push_back(operand());
            expect_punct(',');
            in.base = int32_t(integer("table base", 0, unsigned_max[3]));
            while (accept_punct(','))
                in.targets.push_back(word("a label"));
            if (in.targets.empty()) fail("jump_table needs at least one label after the base");
        } else if (sig == "C") {
            if (accept_punct('#'))
                in.callee_index = uint32_t(integer("routine table index", 0, 0xFFFF));
            else
                in.callee = word("the routine to call");
            rest_operands(in);
        } else if (sig == "X") {
            in.bif = bif_number();
            if (op.byte == op_bif_high && in.bif < 256)
                fail("bif_high calls bifs 256..511; use bif for " + std::to_string(in.bif));
            if (in.bif >= 256) in.op = op_bif_high;
            rest_operands(in);
        } else if (sig.find('E') != std::string_view::npos) {
            // The array, the indexes (one per dimension), then the slot.
            do
                in.operands.push_back(operand());
            while (accept_punct(','));
            if (in.operands.size() < 3)
                fail(std::string(op.name) + " needs the array, at least one index and the slot");
        } else {
            for (size_t i = 0; i < sig.size(); ++i) {
                if (i > 0) expect_punct(',');
                if (sig[i] == 'J')
                    in.targets.push_back(word("a label"));
                else
                    in.operands.push_back(operand());
            }
        }
        end_of_statement();
        mod().instrs.push_back(std::move(in));
        add_item(ItemSrc::instr_item, mod().instrs.size() - 1);
    }

    void rest_operands(InstrSrc& in) {
        accept_punct(',');
        if (done()) return;
        do
            in.operands.push_back(operand());
        while (accept_punct(','));
    }

    ProgramSrc program_;
    std::vector<Token> toks_;
    size_t pos_ = 0;
    int line_ = 0;
    State state_ = State::top;
    std::string block_name_;
    int block_line_ = 0;
    bool in_declarations_ = false;
    TextIndex same_lines_;  // see run
    std::string_view rest_; // the text after this line
    size_t same_module_ = 0;
};

} // namespace

ProgramSrc parse_assembly(const std::string& text, const std::string& file) {
    return Parser(file).run(text);
}

} // namespace quillet::tools
