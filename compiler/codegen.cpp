#include "codegen.h"

#include "builtins.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace quillet::compiler {

namespace {

// Arithmetic operators onto ops; `^` and `/` have code of their own (below).
struct OpRule {
    const char* name;
    const char* op;
};

const OpRule arithmetic[] = {
    {"+", "add"},
    {"-", "sub"},
    {"*", "mul"},
    {"&", "concat"},
};

// A relation is one comparison op, its operands maybe swapped, and the flag that means true.
struct Relation {
    const char* name;
    const char* num_op;
    const char* str_op;
    bool swap;
    bool when;
};

const Relation relations[] = {
    {"=", "num_eq", "str_eq", false, true},  {"<>", "num_eq", "str_eq", false, false},
    {">", "num_gt", "str_gt", false, true},  {"<", "num_gt", "str_gt", true, true},
    {">=", "num_ge", "str_ge", false, true}, {"<=", "num_ge", "str_ge", true, true},
};

std::string string_literal(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string number_literal(double v) {
    // BASIC has no negative zero, and a number below the smallest normal one is 0, as the engine
    // stores every result it computes.
    if (v == 0 || std::fpclassify(v) == FP_SUBNORMAL) return "0";
    if (v == std::floor(v) && v >= -2147483648.0 && v <= 2147483647.0 &&
        !(v == 0 && std::signbit(v)))
        return std::to_string(long(v));
    char buf[32];
    std::snprintf(buf, sizeof buf, "bits 0x%016llX",
                  static_cast<unsigned long long>(std::bit_cast<uint64_t>(v)));
    return buf;
}

// A numeric DATA item: the syntax of a numeric constant with an optional sign.
bool numeric_datum(const std::string& t, double& value) {
    if (t.empty()) return false;
    size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i, digits = true;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i, digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return false;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            ++i;
    }
    if (i != t.size()) return false;
    value = std::strtod(t.c_str(), nullptr);
    return true;
}

// The code and the frame needs of one routine.
struct Routine {
    std::string code;
    int num_temps = 0, str_temps = 0, num_refs = 0, str_refs = 0;
    int max_num = 0, max_str = 0, max_num_ref = 0, max_str_ref = 0;
    int labels = 0;
    std::string locals; // declarations of loop limits and steps and of SELECT's selectors

    void emit(const std::string& line) { code.append("    ").append(line).push_back('\n'); }
    void label(const std::string& name) { code.append("  ").append(name).append(":\n"); }
    std::string num_temp() {
        max_num = std::max(max_num, num_temps + 1);
        return "t" + std::to_string(num_temps++);
    }
    std::string str_temp() {
        max_str = std::max(max_str, str_temps + 1);
        return "u" + std::to_string(str_temps++);
    }
    std::string num_ref() {
        max_num_ref = std::max(max_num_ref, num_refs + 1);
        return "r" + std::to_string(num_refs++);
    }
    std::string str_ref() {
        max_str_ref = std::max(max_str_ref, str_refs + 1);
        return "q" + std::to_string(str_refs++);
    }
    void statement_done() { num_temps = str_temps = num_refs = str_refs = 0; }
    std::string new_label(const char* stem) { return stem + std::to_string(labels++); }

    std::string declarations() const {
        std::string d;
        for (int i = 0; i < max_num; ++i)
            d += "    local num t" + std::to_string(i) + "\n";
        for (int i = 0; i < max_str; ++i)
            d += "    local str u" + std::to_string(i) + "\n";
        return d;
    }
    std::string reservations() const {
        std::string r;
        for (int i = 0; i < max_num_ref; ++i)
            r += (r.empty() ? "" : ", ") + std::string("num r") + std::to_string(i);
        for (int i = 0; i < max_str_ref; ++i)
            r += (r.empty() ? "" : ", ") + std::string("str q") + std::to_string(i);
        return r.empty() ? "" : "    reserve " + r + "\n";
    }
};

std::string line_label(long n) {
    return "L" + std::to_string(n);
}

// An open block while its statements are generated.
struct OpenBlock {
    const Stmt* head; // the statement that opened it
    int id;
    int clause = 0;     // if: the number of the next clause's label; select: the next CASE's
    bool other = false; // select: CASE ELSE seen
};

class Generator {
public:
    Generator(const Program& p, const Symbols& s) : program_(p), sym_(s) {}

    // Module `main` holds the main program and the procedures of its file; each further source
    // file (external procedures) is a module of its own, so that no module passes the image's
    // 64 KB limit because of another file.
    //
    // A large program (or one whose modules came out too large, `spread`) has each procedure in
    // a module of its own instead, `procN`, and module `main` holds the main program's routine
    // alone: its code may then pass 64 KB, since the assembler puts the module's tables
    // before the code when they would lie beyond the 16-bit offsets.
    std::string run(bool spread) {
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts)
                statements_[owner(s)].push_back({&l, &s});
        spread_ = !program_.library && (spread || program_.lines.size() > spread_lines);
        if (spread_) // modules numbered in the order of the procedures
            for (const Line& l : program_.lines)
                for (const Stmt& s : l.stmts)
                    if (s.kind == Stmt::sub || s.kind == Stmt::function || s.kind == Stmt::def)
                        if (auto it = sym_.procedures.find(s.name);
                            it != sym_.procedures.end() && it->second.head == &s)
                            module_of(it->second);
        // A library source is one module of procedures, named by its MODULE statement.
        std::string out = "module " + (program_.library ? program_.module : "main") + "\n";
        // START: the library's routine is where the image starts.
        if (program_.library && !sym_.start.empty())
            out.insert(0, "start " + program_.module + "." + library_routine(sym_.start) + "\n");
        if (!program_.library) { // the main program's code, most of the text, is not copied
            std::string code = unit(nullptr);
            out = std::move(code.insert(0, out));
        }
        int file = program_.lines.empty() ? 0 : program_.lines[0].pos.file;
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts)
                if (s.kind == Stmt::sub || s.kind == Stmt::function || s.kind == Stmt::def) {
                    auto it = sym_.procedures.find(s.name);
                    if (it == sym_.procedures.end() || it->second.head != &s) continue;
                    if (spread_) {
                        out += "end\nmodule " + module_of(it->second) + "\n";
                    } else if (l.pos.file != file) {
                        file = l.pos.file;
                        out += "end\nmodule " + module_of(it->second) + "\n";
                    }
                    out += unit(&it->second);
                }
        out += "end\n";
        return out;
    }

    // The module of a procedure: `main` for the first source file, `unitN` for file N (or
    // `procN` for the procedure of the Nth statement, when spread).
    std::string module_of(const Procedure& p) const {
        if (program_.library) return program_.module;
        if (spread_) {
            auto it = spread_modules_.find(&p);
            if (it == spread_modules_.end())
                it =
                    spread_modules_.emplace(&p, "proc" + std::to_string(spread_modules_.size() + 1))
                        .first;
            return it->second;
        }
        int first = program_.lines.empty() ? 0 : program_.lines[0].pos.file;
        return p.head->pos.file == first ? "main" : "unit" + std::to_string(p.head->pos.file);
    }

private:
    static std::string plain(const std::string& n) {
        std::string s = n;
        if (!s.empty() && s.back() == '$') s.pop_back();
        return s;
    }
    static bool string_name(const std::string& n) { return !n.empty() && n.back() == '$'; }
    static std::string num_name(const std::string& n) { return "n_" + n; }
    static std::string str_name(const std::string& n) { return "s_" + plain(n); }
    static std::string array_name(const std::string& n) {
        return (string_name(n) ? "b_" : "a_") + plain(n);
    }
    static std::string variable_name(const std::string& n) {
        return string_name(n) ? str_name(n) : num_name(n);
    }
    // A variable or array by its name: a library's SHARED one lives in the frame of the start
    // routine, which the other routines reach as a global (`boot.n_COL`).
    std::string variable_ref(const std::string& n) const { return shared(n, variable_name(n)); }
    std::string array_ref(const std::string& n) const { return shared(n, array_name(n)); }
    std::string shared(const std::string& n, std::string operand) const {
        if (!program_.library || !sym_.is_shared(n) || (proc_ && proc_->param(n))) return operand;
        if (proc_ && proc_->head->name == sym_.start) return operand;
        return library_routine(sym_.start) + "." + operand;
    }

    bool may_be_shared(const Expr& v) const {
        if (sym_.is_shared(v.text)) return true;
        const Param* q = proc_ ? proc_->param(v.text) : nullptr;
        return q && !by_value(*proc_, *q) && !sym_.start.empty();
    }

    std::string routine_label(const Procedure& p) const {
        // A library's procedures are the routines that the built-in function table and the
        // code generator call by name.
        if (program_.library && p.external) return library_routine(p.head->name);
        return (p.head->kind == Stmt::sub ? "sub_" : "fn_") + plain(p.head->name) +
               (string_name(p.head->name) ? "_s" : "");
    }

    // Whether `name` names an array of the unit being generated.
    bool is_array(const std::string& name) const {
        if (proc_)
            if (const Param* q = proc_->param(name)) return q->dims > 0;
        const Scope& own = proc_ && proc_->external ? proc_->own : sym_.main;
        return own.arrays.count(name) > 0 || (program_.library && sym_.shared.arrays.count(name));
    }

    // The line number a statement's code is reported at: the BASIC line number, or the source
    // line in a program without numbers.
    long line_of(const Line& l) const { return sym_.is_numbered(l) ? l.number : l.pos.line; }

    static std::string bounds_text(const ArrayInfo& info) {
        std::string out = " (";
        for (size_t k = 0; k < info.bounds.size(); ++k)
            out += (k ? ", " : "") + std::to_string(info.bounds[k].first) + " to " +
                   std::to_string(info.bounds[k].second);
        return out + ")";
    }

    // The routine of the main program (p null) or of one procedure.
    std::string unit(const Procedure* p) {
        proc_ = p;
        Routine r;
        r.labels = labels_; // labels are the module's: numbered on across its routines
        blocks_.clear();
        protected_depth_ = 0;
        if (!p) data_setup(r);
        if (p && p->head->kind == Stmt::def) {
            line_ = line_of(line_holding(p->head));
            if (!program_.library) r.emit("line " + std::to_string(line_));
            r.emit((string_name(p->head->name) ? "str_move " : "move ") + expr(r, *p->head->value) +
                   ", result");
        } else {
            for (auto [line, statement_of] : statements_[p]) {
                const Line& l = *line;
                const Stmt& s = *statement_of;
                if (&s == (p ? p->head : nullptr)) continue;
                line_ = line_of(l);
                // A jump may name the line of a DEF, whose code is a routine of its own.
                if (l.number && sym_.is_numbered(l)) r.label(line_label(l.number));
                if (s.kind == Stmt::def) continue;
                // A library's code has no lines of its own: an exception it raises is
                // reported at the line of the program's statement that called it.
                if (numbered_code(s) && !program_.library) r.emit("line " + std::to_string(line_));
                statement(r, s);
                r.statement_done();
            }
        }
        if (!p) r.label("the_end");
        // END SUB and END FUNCTION return already.
        if (!r.code.ends_with("    return\n")) r.emit("return");

        // The header and the frame.
        std::string out;
        const Scope* own = p ? (p->external ? &p->own : nullptr) : &sym_.main;
        if (!p) {
            out += "  routine main name \"Main program\"\n";
        } else if (p->external) {
            out += "  routine " + routine_label(*p) + " name \"" + p->head->name + "\"\n";
        } else {
            std::string parent = p->parent ? routine_label(*p->parent) : "main";
            // A unit of another module is named with its module.
            if (spread_) parent = (p->parent ? module_of(*p->parent) : "main") + "." + parent;
            out += "  internal " + routine_label(*p) + " of " + parent + " name \"" +
                   p->head->name + "\"\n";
        }
        // The start routine of a library holds the SHARED variables in its frame.
        const bool start = p && program_.library && p->head->name == sym_.start;
        for (const Scope* scope : {own, start ? &sym_.shared : nullptr})
            if (scope) {
                for (const std::string& n : scope->numbers)
                    out += "    local num " + num_name(n) + "\n";
                for (const std::string& n : scope->strings)
                    out += "    local str " + str_name(n) + "\n";
            }
        if (!p) out += "    local num d_ptr\n";
        out += r.locals + r.declarations();
        // Arrays, then the parameters (the engine wants string and array slots before
        // reference slots), then the result and the reference slots.
        for (const Scope* scope : {own, start ? &sym_.shared : nullptr})
            if (scope)
                for (const auto& [name, info] : scope->arrays)
                    out += std::string("    local ") + (string_name(name) ? "strarr " : "numarr ") +
                           array_name(name) + bounds_text(info) + "\n";
        if (!p && sym_.data_count > 0) {
            std::string range = " (1 to " + std::to_string(sym_.data_count) + ")\n";
            out += "    local numarr d_num" + range + "    local numarr d_kind" + range +
                   "    local strarr d_str" + range;
        }
        if (p)
            for (const Param* q : ordered_params(*p))
                out += "    " + param_declaration(*p, *q) + "\n";
        if (p && p->is_function())
            out += std::string("    result ") + (string_name(p->head->name) ? "str" : "num") +
                   " result\n";
        out += r.reservations();
        // The header goes before the code in the code's own buffer (which has room for it as a
        // rule), not the code after the header in a new one.
        r.code.insert(0, out);
        labels_ = r.labels;
        proc_ = nullptr;
        return std::move(r.code);
    }

    const Line& line_holding(const Stmt* s) const {
        for (const Line& l : program_.lines)
            for (const Stmt& x : l.stmts)
                if (&x == s) return l;
        return program_.lines.front();
    }

    const Procedure* owner(const Stmt& s) const {
        auto it = sym_.owner.find(&s);
        return it == sym_.owner.end() ? nullptr : it->second;
    }

    // Statements that run code get a line of the line table; the parts of a block that only
    // join it do not, so that a protected part ends where its last statement does.
    static bool numbered_code(const Stmt& s) {
        switch (s.kind) {
        case Stmt::rem:
        case Stmt::data_list:
        case Stmt::image:
        case Stmt::dim:
        case Stmt::option_base:
        case Stmt::declare:
        case Stmt::else_:
        case Stmt::end_if:
        case Stmt::case_else:
        case Stmt::end_select:
        case Stmt::use:
        case Stmt::end_when:
        case Stmt::handler:
        case Stmt::end_handler: return false;
        default: return true;
        }
    }

    // A function's parameters by value come first, its arrays (by reference) after them: the
    // engine wants the string slots of a frame before its reference slots. A SUB takes every
    // parameter by reference, in the order written, but a library's SUB takes those marked
    // VALUE by value, first.
    static bool by_value(const Procedure& p, const Param& q) {
        return q.dims == 0 && (p.is_function() || q.by_value);
    }
    static std::vector<const Param*> ordered_params(const Procedure& p) {
        std::vector<const Param*> out;
        for (int pass = 0; pass < 2; ++pass)
            for (const Param& q : p.head->params)
                if (by_value(p, q) == (pass == 0)) out.push_back(&q);
        return out;
    }

    static std::string param_declaration(const Procedure& p, const Param& q) {
        bool str = string_name(q.name);
        if (q.dims > 0)
            return std::string("ref ") + (str ? "strarr " : "numarr ") + array_name(q.name);
        std::string how = by_value(p, q) ? "param " : "ref ";
        return how + (str ? "str " : "num ") + variable_name(q.name);
    }

    void data_setup(Routine& r) {
        size_t i = 0;
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts)
                if (s.kind == Stmt::data_list)
                    for (const DataItem& d : s.data) {
                        std::string index = std::to_string(++i);
                        double v = 0;
                        if (!d.quoted && numeric_datum(d.text, v)) {
                            r.emit("num_elem1 d_num, " + index + ", r0");
                            r.emit("move " + number_literal(v) + ", r0");
                            r.emit("num_elem1 d_kind, " + index + ", r0");
                            r.emit("move 1, r0");
                            r.max_num_ref = std::max(r.max_num_ref, 1);
                        }
                        r.emit("str_elem1 d_str, " + index + ", q0");
                        r.emit("str_move " + string_literal(d.text) + ", q0");
                        r.max_str_ref = std::max(r.max_str_ref, 1);
                    }
    }

    // An operand that names the variable `e` (an element through a reference slot).
    std::string place(Routine& r, const Expr& e) {
        if (!e.subscripted) {
            if (proc_ && proc_->is_function() && e.text == proc_->head->name) return "result";
            return variable_ref(e.text);
        }
        std::vector<std::string> index;
        for (const ExprPtr& a : e.args)
            index.push_back(expr(r, *a));
        bool str = e.is_string();
        std::string slot = str ? r.str_ref() : r.num_ref();
        std::string op =
            std::string(str ? "str_elem" : "num_elem") + (index.size() == 1 ? "1 " : "n ");
        std::string line = op + array_ref(e.text);
        for (const std::string& i : index)
            line += ", " + i;
        r.emit(line + ", " + slot);
        return slot;
    }

    // The operands of a call of procedure `p`, in the order its routine declares them.
    std::string call_operands(Routine& r, const Procedure& p, const std::vector<ExprPtr>& args) {
        std::vector<std::string> operands(args.size());
        for (size_t i = 0; i < args.size(); ++i) {
            const Expr& a = *args[i];
            const bool value = by_value(p, p.head->params[i]);
            if (p.head->params[i].dims > 0) {
                operands[i] = array_ref(a.text);
            } else if (a.kind == Expr::variable && !value) {
                operands[i] = place(r, a); // by reference: the variable itself
            } else if (value && (!a.is_string() || program_.library) &&
                       (a.kind != Expr::variable || later_calls_nothing(args, i))) {
                // A function's number is a copy already; a variable's value is taken at the
                // call, so only when no later argument calls a procedure that could change it.
                // The library's code passes strings so too (the callee shares the string, which
                // the engine copies before a write).
                operands[i] = expr(r, a);
            } else {
                std::string v = expr(r, a);
                bool str = a.is_string();
                // A constant or an expression goes by a temporary of its own.
                std::string t = str ? r.str_temp() : r.num_temp();
                r.emit((str ? "str_move " : "move ") + v + ", " + t);
                operands[i] = t;
            }
        }
        std::string out;
        for (const Param* q : ordered_params(p)) {
            size_t i = size_t(q - p.head->params.data());
            out += (out.empty() ? " " : ", ") + operands[i];
        }
        return out;
    }

    std::string expr(Routine& r, const Expr& e) {
        switch (e.kind) {
        case Expr::number: return number_literal(e.value);
        case Expr::string: return string_literal(e.text);
        case Expr::variable: return place(r, e);
        case Expr::substring: {
            std::string s = expr(r, *e.args[0]);
            std::string from = expr(r, *e.args[1]);
            std::string to = expr(r, *e.args[2]);
            std::string t = r.str_temp();
            r.emit("substr " + s + ", " + from + ", " + to + ", " + t);
            return t;
        }
        case Expr::unary: {
            if (e.text == "+") return expr(r, *e.args[0]);
            return negated(r, *e.args[0]);
        }
        case Expr::call: {
            auto it = sym_.procedures.find(e.text);
            if (it != sym_.procedures.end()) {
                std::string operands = call_operands(r, it->second, e.args);
                std::string t = e.is_string() ? r.str_temp() : r.num_temp();
                r.emit("call " + module_of(it->second) + "." + routine_label(it->second) +
                       operands + (operands.empty() ? " " : ", ") + t);
                return t;
            }
            if (e.text == "USING$") {
                std::vector<const Expr*> values;
                for (size_t i = 1; i < e.args.size(); ++i)
                    values.push_back(e.args[i].get());
                return formatted(r, *e.args[0], values, false);
            }
            std::vector<std::string> args;
            for (const ExprPtr& a : e.args)
                args.push_back(expr(r, *a));
            const Builtin* b = find_builtin(e.text, e.args.size());
            if (!b) return "0"; // the checker reported it
            std::string t = b->result == 'S' ? r.str_temp() : r.num_temp();
            std::string code = b->code, out;
            for (size_t i = 0; i < code.size(); ++i) {
                if (code[i] != '$' || i + 1 >= code.size()) {
                    out += code[i];
                    continue;
                }
                char c = code[++i];
                if (c == 'R')
                    out += t;
                else if (c == 'T')
                    out += r.num_temp();
                else
                    out += args[size_t(c - '1')];
            }
            r.emit(out);
            return t;
        }
        case Expr::binary: {
            std::string a = expr(r, *e.args[0]);
            std::string b = expr(r, *e.args[1]);
            if (e.text == "/" && program_.library) {
                // The library's own code divides only by what it has checked.
                std::string t = r.num_temp();
                r.emit("div " + a + ", " + b + ", " + t);
                return t;
            }
            if (e.text == "/") {
                // Division by zero is exception 3001 inside a protected part; elsewhere it is
                // reported and gives infinity, and the program goes on.
                std::string t = r.num_temp();
                std::string divide = r.new_label("D"), done = r.new_label("D");
                r.emit("num_eq " + b + ", 0");
                r.emit("jump_if_false " + divide);
                if (protected_depth_ > 0)
                    r.emit("cause 3001, \"Division by zero.\"");
                else
                    r.emit("call qnum.divide_by_zero " + a + ", " + std::to_string(line_) + ", " +
                           t);
                r.emit("jump " + done);
                r.label(divide);
                r.emit("div " + a + ", " + b + ", " + t);
                r.label(done);
                return t;
            }
            if (e.text == "^") {
                std::string t = r.num_temp();
                r.emit("call qnum.power " + a + ", " + b + ", " + std::to_string(line_) + ", " + t);
                return t;
            }
            for (const OpRule& rule : arithmetic)
                if (e.text == rule.name) {
                    std::string t = e.text == "&" ? r.str_temp() : r.num_temp();
                    r.emit(std::string(rule.op) + " " + a + ", " + b + ", " + t);
                    return t;
                }
            return a; // conditions are generated by jump_if
        }
        }
        return "0";
    }

    // -e. A constant is negated here, and -(A * B) and -(A / B) become (-A) * B and (-A) / B
    // (exact either way), so that -5 / 0 is minus infinity rather than an overflow from
    // negating infinity.
    std::string negated(Routine& r, const Expr& e) {
        if (e.kind == Expr::number) return number_literal(-e.value);
        if (e.kind == Expr::binary && (e.text == "*" || e.text == "/")) {
            Expr copy;
            copy.kind = Expr::binary;
            copy.text = e.text;
            copy.pos = e.pos;
            auto left = std::make_unique<Expr>();
            left->kind = Expr::unary;
            left->text = "-";
            left->pos = e.pos;
            left->args.push_back(clone(*e.args[0]));
            copy.args.push_back(std::move(left));
            copy.args.push_back(clone(*e.args[1]));
            return expr(r, copy);
        }
        std::string a = expr(r, e);
        std::string t = r.num_temp();
        r.emit("sub 0, " + a + ", " + t);
        return t;
    }

    static ExprPtr clone(const Expr& e) {
        auto c = std::make_unique<Expr>();
        c->kind = e.kind;
        c->pos = e.pos;
        c->text = e.text;
        c->value = e.value;
        c->subscripted = e.subscripted;
        for (const ExprPtr& a : e.args)
            c->args.push_back(clone(*a));
        return c;
    }

    // Jumps to `target` when the relation `op` between operands `a` and `b` is `when`.
    static void compare(Routine& r, const std::string& op, bool strings, std::string a,
                        std::string b, const std::string& target, bool when) {
        const Relation* rel = nullptr;
        for (const Relation& x : relations)
            if (op == x.name) rel = &x;
        if (rel->swap) std::swap(a, b);
        r.emit(std::string(strings ? rel->str_op : rel->num_op) + " " + a + ", " + b);
        r.emit(std::string(rel->when == when ? "jump_if_true " : "jump_if_false ") + target);
    }

    // Jumps to `target` when the condition `e` is `when`; AND and OR stop at the first
    // operand that decides.
    void jump_if(Routine& r, const Expr& e, const std::string& target, bool when = true) {
        if (e.kind == Expr::unary && e.text == "NOT") {
            jump_if(r, *e.args[0], target, !when);
            return;
        }
        if (e.kind == Expr::binary && (e.text == "AND" || e.text == "OR")) {
            // A AND B is true when both are; A OR B false when both are.
            bool both = (e.text == "AND") == when;
            if (both) {
                std::string skip = r.new_label("C");
                jump_if(r, *e.args[0], skip, !when);
                jump_if(r, *e.args[1], target, when);
                r.label(skip);
            } else {
                jump_if(r, *e.args[0], target, when);
                jump_if(r, *e.args[1], target, when);
            }
            return;
        }
        std::string a = expr(r, *e.args[0]);
        std::string b = expr(r, *e.args[1]);
        compare(r, e.text, e.args[0]->is_string(), a, b, target, when);
    }

    // A number as written, maybe with its sign.
    static bool is_constant(const Expr& e) {
        return e.kind == Expr::number || (e.kind == Expr::unary && e.args[0]->kind == Expr::number);
    }

    // A loop's limit and step, unless constant, live in locals of their own: the engine reads
    // them again from the loop head whenever another loop ran in between.
    void for_loop(Routine& r, const Stmt& s) {
        int k = sym_.loops.at(&s);
        std::string var = place(r, *s.target);
        std::string start = expr(r, *s.value);
        // A constant limit or step is an operand as it stands (the op loop fuses such loops);
        // another is evaluated once into a local.
        auto once = [&](const Expr* e, const char* what) {
            if (!e) return std::string("1");
            if (is_constant(*e)) return expr(r, *e);
            std::string local = "f" + std::to_string(k) + what;
            r.locals += "    local num " + local + "\n";
            r.emit("move " + expr(r, *e) + ", " + local);
            return local;
        };
        std::string limit = once(s.limit.get(), "_limit");
        std::string step = once(s.step.get(), "_step");
        r.label("F" + std::to_string(k));
        r.emit("for_start " + var + ", " + start + ", " + limit + ", " + step + ", X" +
               std::to_string(k));
        blocks_.push_back({&s, k});
    }

    void read(Routine& r, const Expr& target) {
        if (sym_.data_count == 0) {
            r.emit("cause 8001, \"Reading past end of data.\"");
            return;
        }
        std::string ok = r.new_label("R");
        r.emit("add d_ptr, 1, d_ptr");
        r.emit("num_gt d_ptr, " + std::to_string(sym_.data_count));
        r.emit("jump_if_false " + ok);
        r.emit("cause 8001, \"Reading past end of data.\"");
        r.label(ok);
        if (target.is_string()) {
            std::string slot = r.str_ref();
            r.emit("str_elem1 d_str, d_ptr, " + slot);
            assign(r, target, slot);
            return;
        }
        std::string slot = r.num_ref();
        std::string numeric = r.new_label("R");
        r.emit("num_elem1 d_kind, d_ptr, " + slot);
        r.emit("num_eq " + slot + ", 1");
        r.emit("jump_if_true " + numeric);
        r.emit("cause 8101, \"Reading non-numeric data into a numeric variable.\"");
        r.label(numeric);
        r.emit("num_elem1 d_num, d_ptr, " + slot);
        assign(r, target, slot);
    }

    // LET: `A = B + C` (and -, *) and `A$ = B$ & C$` compute straight into a simple variable;
    // the ops read their operands before they write the result, so `A = B - A` and
    // `A$ = B$ & A$` are right too.
    void let(Routine& r, const Stmt& s) {
        const Expr& target = *s.target;
        const Expr& value = *s.value;
        const bool simple = target.kind == Expr::variable && !target.subscripted;
        if (simple && value.kind == Expr::binary) {
            for (const OpRule& rule : arithmetic)
                if (value.text == rule.name && (value.text == "&") == target.is_string()) {
                    std::string a = expr(r, *value.args[0]);
                    std::string b = expr(r, *value.args[1]);
                    r.emit(std::string(rule.op) + " " + a + ", " + b + ", " + place(r, target));
                    return;
                }
        }
        // `A = -B` negates straight into A; in a library source `A = B / C` divides straight
        // into A (no check there), and `A = F(...)` takes the library function's result so.
        if (simple && !target.is_string()) {
            if (value.kind == Expr::unary && value.text == "-" &&
                value.args[0]->kind != Expr::number &&
                !(value.args[0]->kind == Expr::binary &&
                  (value.args[0]->text == "*" || value.args[0]->text == "/"))) {
                r.emit("sub 0, " + expr(r, *value.args[0]) + ", " + place(r, target));
                return;
            }
            if (program_.library && value.kind == Expr::binary && value.text == "/") {
                std::string a = expr(r, *value.args[0]);
                std::string b = expr(r, *value.args[1]);
                r.emit("div " + a + ", " + b + ", " + place(r, target));
                return;
            }
        }
        // In a library source `A = F(...)` and `A$ = F$(...)` take the library function's result
        // straight into A (a result operand, emptied when F starts): not when A is SHARED, or a
        // SUB's parameter that may be one, which F could read.
        if (simple && program_.library && value.kind == Expr::call && !may_be_shared(target)) {
            auto callee = sym_.procedures.find(value.text);
            if (callee != sym_.procedures.end()) {
                std::string operands = call_operands(r, callee->second, value.args);
                r.emit("call " + module_of(callee->second) + "." + routine_label(callee->second) +
                       operands + (operands.empty() ? " " : ", ") + place(r, target));
                return;
            }
        }
        // `A(K) = A(K) + X` reaches the element once, when its subscripts are plain variables
        // and numbers and X calls nothing that could change them.
        if (target.subscripted && value.kind == Expr::binary && plain_subscripts(target)) {
            for (const OpRule& rule : arithmetic) {
                if (value.text != rule.name || value.text == "&") continue;
                const Expr& left = *value.args[0];
                const Expr& right = *value.args[1];
                bool first = same_element(left, target) && calls_nothing(right);
                bool second = !first && same_element(right, target) && calls_nothing(left);
                if (!first && !second) break;
                std::string slot = place(r, target);
                std::string a = first ? slot : expr(r, left);
                std::string b = second ? slot : expr(r, right);
                r.emit(std::string(rule.op) + " " + a + ", " + b + ", " + slot);
                return;
            }
        }
        // `T$ = S$(I:J)` takes the characters straight into T$ as well.
        if (simple && value.kind == Expr::substring) {
            std::string from_string = expr(r, *value.args[0]);
            std::string from = expr(r, *value.args[1]);
            std::string to = expr(r, *value.args[2]);
            r.emit("substr " + from_string + ", " + from + ", " + to + ", " + place(r, target));
            return;
        }
        assign(r, target, expr(r, value));
    }

    static bool plain_subscripts(const Expr& e) {
        for (const ExprPtr& a : e.args)
            if (a->kind != Expr::number && !(a->kind == Expr::variable && !a->subscripted))
                return false;
        return true;
    }

    // The same array element written the same way: A(K, 2) and A(K, 2).
    static bool same_element(const Expr& a, const Expr& b) {
        if (a.kind != Expr::variable || !a.subscripted || a.text != b.text ||
            a.args.size() != b.args.size())
            return false;
        for (size_t i = 0; i < a.args.size(); ++i) {
            const Expr& x = *a.args[i];
            const Expr& y = *b.args[i];
            if (x.kind != y.kind || x.text != y.text || x.value != y.value || x.subscripted)
                return false;
        }
        return true;
    }

    // Whether evaluating `e` calls no function of the program (which could assign variables).
    bool later_calls_nothing(const std::vector<ExprPtr>& args, size_t i) const {
        for (size_t k = i + 1; k < args.size(); ++k)
            if (!calls_nothing(*args[k])) return false;
        return true;
    }

    bool calls_nothing(const Expr& e) const {
        if (e.kind == Expr::call && sym_.procedures.count(e.text)) return false;
        for (const ExprPtr& a : e.args)
            if (!calls_nothing(*a)) return false;
        return true;
    }

    // target = value; a substring target replaces those characters.
    void assign(Routine& r, const Expr& target, const std::string& value) {
        if (target.kind == Expr::substring) {
            std::string s = place(r, *target.args[0]);
            std::string from = expr(r, *target.args[1]);
            std::string to = expr(r, *target.args[2]);
            r.emit("substr_assign " + value + ", " + s + ", " + from + ", " + to);
            return;
        }
        r.emit((target.is_string() ? "str_move " : "move ") + value + ", " + place(r, target));
    }

    OpenBlock& innermost(Stmt::Kind kind) {
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it)
            if (it->head->kind == kind) return *it;
        return blocks_.back(); // the checker saw to it that there is one
    }

    // A HANDLER's label: its name within the routine being generated.
    std::string handler_label(const std::string& name) const {
        return "handler_" + (proc_ ? routine_label(*proc_) : std::string("main")) + "_" +
               plain(name) + (string_name(name) ? "_s" : "");
    }

    std::string block_label(const char* stem, int id, const std::string& part) {
        return stem + std::to_string(id) + "_" + part;
    }

    // The values through a format (library/using.bas): one call per value, which takes the
    // format's next field, then the text after the last field used; the operand of the text.
    // The library prints the lines that a reused format ends when `printing`; inside a protected
    // part a value too wide for its field is an exception.
    std::string formatted(Routine& r, const Expr& format, const std::vector<const Expr*>& values,
                          bool printing) {
        std::string f = r.str_temp(), mode = r.num_temp(), at = r.num_temp(), text = r.str_temp();
        if (format.kind == Expr::number) { // the line number of an IMAGE line (checked)
            const Line& image =
                program_.lines[sym_.line_index.at({format.pos.file, long(format.value)})];
            r.emit("str_move " + string_literal(image.stmts[0].name) + ", " + f);
        } else {
            r.emit("str_move " + expr(r, format) + ", " + f);
        }
        r.emit("move " + std::to_string((printing ? 1 : 0) + (protected_depth_ > 0 ? 2 : 0)) +
               ", " + mode);
        r.emit("move 0, " + at);
        r.emit("str_move " + string_literal("") + ", " + text);
        std::string state = f + ", " + mode + ", " + at + ", " + text + ", ";
        for (const Expr* v : values) {
            std::string t = v->is_string() ? r.str_temp() : r.num_temp();
            r.emit((v->is_string() ? "str_move " : "move ") + expr(r, *v) + ", " + t);
            r.emit((v->is_string() ? "call qusing.using_str " : "call qusing.using_num ") + state +
                   t);
        }
        r.emit("call qusing.using_end " + f + ", " + mode + ", " + at + ", " + text);
        return text;
    }

    void print(Routine& r, const Stmt& s) {
        if (s.format) {
            std::vector<const Expr*> values;
            for (const PrintItem& item : s.items)
                if (item.value) values.push_back(item.value.get());
            r.emit("call qlib.print_str " + formatted(r, *s.format, values, true));
            if (s.items.empty() || s.items.back().kind != PrintItem::semicolon)
                r.emit("call qlib.print_newline");
            return;
        }
        for (const PrintItem& item : s.items) {
            switch (item.kind) {
            case PrintItem::comma: r.emit("call qlib.print_comma"); break;
            case PrintItem::semicolon: break;
            case PrintItem::tab: r.emit("call qlib.print_tab " + expr(r, *item.value)); break;
            case PrintItem::expr: {
                std::string v = expr(r, *item.value);
                r.emit((item.value->is_string() ? "call qlib.print_str " : "call qlib.print_num ") +
                       v);
                break;
            }
            }
            r.statement_done();
        }
        if (s.items.empty() || (s.items.back().kind != PrintItem::comma &&
                                s.items.back().kind != PrintItem::semicolon))
            r.emit("call qlib.print_newline");
    }

    void input(Routine& r, const Stmt& s) {
        std::string prompt = s.message   ? expr(r, *s.message)
                             : s.channel ? string_literal("")
                                         : string_literal("? ");
        if (s.kind == Stmt::line_input) {
            for (const ExprPtr& v : s.list) {
                std::string t = r.str_temp();
                r.emit("call qlib.line_input " + prompt + ", " + t);
                assign(r, *v, t);
            }
            return;
        }
        std::string types;
        for (const ExprPtr& v : s.list)
            types += v->is_string() ? 'S' : 'N';
        r.emit("call qlib.input_line " + prompt + ", \"" + types + "\"");
        r.statement_done();
        for (size_t k = 0; k < s.list.size(); ++k) {
            const Expr& v = *s.list[k];
            std::string index = std::to_string(k + 1);
            std::string t = v.is_string() ? r.str_temp() : r.num_temp();
            r.emit(
                std::string(v.is_string() ? "call qlib.input_string " : "call qlib.input_number ") +
                index + ", " + t);
            assign(r, v, t);
            r.statement_done();
        }
    }

    // One CASE test: jumps to `match` when the selector passes it.
    void case_test(Routine& r, const CaseTest& t, const std::string& selector, bool str,
                   const std::string& match) {
        switch (t.kind) {
        case CaseTest::value: compare(r, "=", str, selector, expr(r, *t.low), match, true); break;
        case CaseTest::is: compare(r, t.op, str, selector, expr(r, *t.low), match, true); break;
        case CaseTest::range: {
            std::string skip = r.new_label("C");
            compare(r, ">=", str, selector, expr(r, *t.low), skip, false);
            compare(r, "<=", str, selector, expr(r, *t.high), match, true);
            r.label(skip);
            break;
        }
        }
        r.statement_done();
    }

    // Record files: one record per value.
    void write_records(Routine& r, const Stmt& s) {
        for (const ExprPtr& v : s.list) {
            std::string value = expr(r, *v);
            r.emit((v->is_string() ? "call qlib.write_str " : "call qlib.write_num ") + value);
            r.statement_done();
        }
    }

    void read_records(Routine& r, const Stmt& s) {
        for (const ExprPtr& v : s.list) {
            std::string t = v->is_string() ? r.str_temp() : r.num_temp();
            r.emit((v->is_string() ? "call qlib.read_str " : "call qlib.read_num ") + t);
            assign(r, *v, t);
            r.statement_done();
        }
    }

    void set_pointer(Routine& r, const Stmt& s) {
        int where = s.word == "BEGIN" ? 0 : s.word == "END" ? 1 : 2;
        r.emit("call qlib.set_record " + std::to_string(where) + ", " +
               (s.value ? expr(r, *s.value) : std::string("0")));
    }

    void ask(Routine& r, const Stmt& s) {
        for (size_t k = 0; k < s.list.size(); ++k) {
            std::string t = r.num_temp();
            r.emit("call qlib.ask_record " + std::string(s.words[k] == "FILESIZE" ? "0" : "1") +
                   ", " + t);
            assign(r, *s.list[k], t);
            r.statement_done();
        }
    }

    // PRINT #n, INPUT #n, LINE INPUT #n and the record statements run with channel n selected.
    void on_channel(Routine& r, const Stmt& s, void (Generator::*body)(Routine&, const Stmt&)) {
        if (!s.channel) return (this->*body)(r, s);
        r.emit("call qlib.select " + expr(r, *s.channel));
        r.statement_done();
        (this->*body)(r, s);
        r.emit("call qlib.select 0");
    }

    void statement(Routine& r, const Stmt& s) {
        switch (s.kind) {
        case Stmt::let: let(r, s); break;
        case Stmt::print: on_channel(r, s, &Generator::print); break;
        case Stmt::go_to: r.emit("jump " + line_label(s.lines[0].first)); break;
        case Stmt::go_sub: r.emit("gosub " + line_label(s.lines[0].first)); break;
        case Stmt::ret: r.emit("gosub_return"); break;
        case Stmt::if_then: {
            if (s.else_part.empty() && s.then_part.size() == 1 &&
                s.then_part[0].kind == Stmt::go_to) {
                jump_if(r, *s.value, line_label(s.then_part[0].lines[0].first));
                break;
            }
            // IF ... THEN EXIT DO (or EXIT FOR) is one conditional jump out of the loop.
            if (s.else_part.empty() && s.then_part.size() == 1 &&
                (s.then_part[0].kind == Stmt::exit_do || s.then_part[0].kind == Stmt::exit_for)) {
                jump_if(r, *s.value,
                        s.then_part[0].kind == Stmt::exit_do
                            ? block_label("W", innermost(Stmt::do_).id, "end")
                            : "X" + std::to_string(innermost(Stmt::for_).id));
                break;
            }
            std::string other = r.new_label("E"), done = r.new_label("E");
            jump_if(r, *s.value, other, false);
            r.statement_done();
            for (const Stmt& b : s.then_part)
                statement(r, b);
            r.statement_done();
            if (!s.else_part.empty()) r.emit("jump " + done);
            r.label(other);
            for (const Stmt& b : s.else_part)
                statement(r, b);
            r.label(done);
            break;
        }
        case Stmt::if_block: {
            int id = next_block_++;
            blocks_.push_back({&s, id, 1});
            jump_if(r, *s.value, block_label("I", id, "1"), false);
            break;
        }
        case Stmt::else_if:
        case Stmt::else_: {
            OpenBlock& b = blocks_.back();
            r.emit("jump " + block_label("I", b.id, "end"));
            r.label(block_label("I", b.id, std::to_string(b.clause++)));
            if (s.kind == Stmt::else_if)
                jump_if(r, *s.value, block_label("I", b.id, std::to_string(b.clause)), false);
            break;
        }
        case Stmt::end_if: {
            OpenBlock& b = blocks_.back();
            r.label(block_label("I", b.id, std::to_string(b.clause)));
            r.label(block_label("I", b.id, "end"));
            blocks_.pop_back();
            break;
        }
        case Stmt::select: {
            int id = next_block_++;
            blocks_.push_back({&s, id, 0});
            bool str = s.value->is_string();
            std::string selector = "c" + std::to_string(id);
            r.locals += std::string("    local ") + (str ? "str " : "num ") + selector + "\n";
            r.emit((str ? "str_move " : "move ") + expr(r, *s.value) + ", " + selector);
            break;
        }
        case Stmt::case_:
        case Stmt::case_else: {
            OpenBlock& b = blocks_.back();
            if (b.clause > 0) r.emit("jump " + block_label("S", b.id, "end"));
            r.label(block_label("S", b.id, std::to_string(b.clause++)));
            if (s.kind == Stmt::case_else) {
                b.other = true;
                break;
            }
            std::string match = block_label("S", b.id, "body" + std::to_string(b.clause));
            for (const CaseTest& t : s.cases)
                case_test(r, t, "c" + std::to_string(b.id), b.head->value->is_string(), match);
            r.emit("jump " + block_label("S", b.id, std::to_string(b.clause)));
            r.label(match);
            break;
        }
        case Stmt::end_select: {
            OpenBlock& b = blocks_.back();
            if (!b.other) {
                r.emit("jump " + block_label("S", b.id, "end"));
                r.label(block_label("S", b.id, std::to_string(b.clause)));
                r.emit("cause 10004, \"No CASE selected, but no CASE ELSE.\"");
            }
            r.label(block_label("S", b.id, "end"));
            blocks_.pop_back();
            break;
        }
        case Stmt::do_: {
            int id = next_block_++;
            blocks_.push_back({&s, id});
            r.label(block_label("W", id, "top"));
            if (s.value) jump_if(r, *s.value, block_label("W", id, "end"), s.until);
            break;
        }
        case Stmt::loop: {
            OpenBlock& b = blocks_.back();
            std::string top = block_label("W", b.id, "top");
            if (s.value)
                jump_if(r, *s.value, top, !s.until);
            else
                r.emit("jump " + top);
            r.label(block_label("W", b.id, "end"));
            blocks_.pop_back();
            break;
        }
        case Stmt::exit_do:
            r.emit("jump " + block_label("W", innermost(Stmt::do_).id, "end"));
            break;
        case Stmt::exit_for: r.emit("jump X" + std::to_string(innermost(Stmt::for_).id)); break;
        case Stmt::for_: for_loop(r, s); break;
        case Stmt::next: {
            int k = sym_.loops.at(&s);
            r.emit("for_next F" + std::to_string(k));
            r.label("X" + std::to_string(k));
            blocks_.pop_back();
            break;
        }
        case Stmt::end: r.emit("jump the_end"); break;
        case Stmt::stop:
            if (proc_)
                r.emit("call qlib.stop");
            else
                r.emit("jump the_end");
            break;
        case Stmt::end_routine:
        case Stmt::exit_routine: r.emit("return"); break;
        case Stmt::bif:
        case Stmt::call: {
            if (s.kind == Stmt::bif || s.name.find('.') != std::string::npos) {
                // A bif by name, or a routine of another module: the operands in order,
                // variables, arrays and constants as themselves. A routine may take its
                // operands by reference, so an expression goes to it through a temporary.
                std::string line =
                    s.kind == Stmt::bif ? "bif " + s.name : "call " + library_routine(s.name);
                for (size_t i = 0; i < s.list.size(); ++i) {
                    const Expr& a = *s.list[i];
                    std::string v;
                    if (a.kind == Expr::variable && !a.subscripted && is_array(a.text)) {
                        v = array_ref(a.text);
                    } else {
                        v = expr(r, a);
                        if (s.kind == Stmt::call && a.kind != Expr::variable &&
                            a.kind != Expr::number && a.kind != Expr::string) {
                            std::string t = a.is_string() ? r.str_temp() : r.num_temp();
                            r.emit((a.is_string() ? "str_move " : "move ") + v + ", " + t);
                            v = t;
                        }
                    }
                    line += (i ? ", " : " ") + v;
                }
                r.emit(line);
                break;
            }
            const Procedure& p = sym_.procedures.at(s.name);
            r.emit("call " + module_of(p) + "." + routine_label(p) + call_operands(r, p, s.list));
            break;
        }
        case Stmt::read:
            if (s.channel) {
                on_channel(r, s, &Generator::read_records);
                break;
            }
            for (const ExprPtr& v : s.list) {
                read(r, *v);
                r.statement_done();
            }
            break;
        case Stmt::write: on_channel(r, s, &Generator::write_records); break;
        case Stmt::set_pointer: on_channel(r, s, &Generator::set_pointer); break;
        case Stmt::ask: on_channel(r, s, &Generator::ask); break;
        case Stmt::restore: r.emit("move 0, d_ptr"); break;
        case Stmt::on_goto: {
            std::string t = r.num_temp();
            r.emit("bif round " + expr(r, *s.value) + ", " + t);
            std::string line = "jump_table " + t + ", 1";
            for (const auto& target : s.lines)
                line += ", " + line_label(target.first);
            r.emit(line);
            r.emit("cause 10001, \"ON index out of range.\"");
            break;
        }
        case Stmt::input:
        case Stmt::line_input: on_channel(r, s, &Generator::input); break;
        case Stmt::open:
            r.emit("call qlib.open_channel " + expr(r, *s.channel) + ", " + expr(r, *s.value) +
                   ", " + std::to_string(s.access) + ", " + std::to_string(s.create) + ", " +
                   (s.recsize ? expr(r, *s.recsize) : std::string("0")));
            break;
        case Stmt::close: r.emit("call qlib.close_channel " + expr(r, *s.channel)); break;
        case Stmt::erase: r.emit("call qlib.erase_channel " + expr(r, *s.channel)); break;
        case Stmt::randomize: r.emit("bif randomize"); break;
        case Stmt::when: {
            int id = next_block_++;
            blocks_.push_back({&s, id});
            ++protected_depth_;
            r.emit("when");
            break;
        }
        case Stmt::handler: {
            // A HANDLER block stands where it is written, jumped over; the WHEN blocks that
            // name it enter it as their handler part.
            int id = next_block_++;
            blocks_.push_back({&s, id});
            r.emit("jump " + block_label("B", id, "end"));
            r.label(handler_label(s.name));
            r.emit("handler");
            r.emit("call qlib.select 0");
            break;
        }
        case Stmt::end_handler: {
            OpenBlock& b = blocks_.back();
            r.emit("block_return");
            r.emit("end_handler");
            r.label(block_label("B", b.id, "end"));
            blocks_.pop_back();
            break;
        }
        case Stmt::use: {
            // USE's own line ends the protected part: the engine keeps an exception's data for
            // the handler only when the handler starts on another line than the one that failed.
            OpenBlock& b = blocks_.back();
            --protected_depth_;
            r.emit("line " + std::to_string(line_));
            r.emit("jump " + block_label("H", b.id, "end"));
            r.emit("use");
            r.emit("gosub_block " + block_label("H", b.id, "handler"));
            r.emit("jump " + block_label("H", b.id, "end"));
            r.label(block_label("H", b.id, "handler"));
            r.emit("handler");
            // An exception in the middle of PRINT #n leaves the console selected again.
            r.emit("call qlib.select 0");
            break;
        }
        case Stmt::end_when: {
            OpenBlock& b = blocks_.back();
            if (b.head->name.empty()) {
                r.emit("block_return");
                r.emit("end_handler");
            } else {
                // The protected part ends on END WHEN's own line (see USE).
                --protected_depth_;
                r.emit("line " + std::to_string(line_));
                r.emit("jump " + block_label("H", b.id, "end"));
                r.emit("use");
                r.emit("gosub_block " + handler_label(b.head->name));
            }
            r.label(block_label("H", b.id, "end"));
            blocks_.pop_back();
            break;
        }
        case Stmt::cause: {
            std::string code = expr(r, *s.value);
            std::string message = s.message ? expr(r, *s.message) : string_literal("");
            r.emit("cause " + code + ", " + message);
            break;
        }
        case Stmt::retry: r.emit("bif retry"); break;
        case Stmt::continue_: r.emit("bif continue_next"); break;
        case Stmt::exit_handler: r.emit("bif reraise"); break;
        default: break;
        }
    }

    const Program& program_;
    const Symbols& sym_;
    // The statements of each unit (null: the main program), in order with their lines.
    std::map<const Procedure*, std::vector<std::pair<const Line*, const Stmt*>>> statements_;
    bool spread_ = false;
    mutable std::map<const Procedure*, std::string> spread_modules_; // see module_of
    const Procedure* proc_ = nullptr; // the procedure being generated (null: the main program)
    std::vector<OpenBlock> blocks_;
    int next_block_ = 0;
    int labels_ = 0;          // labels made so far by the routines
    int protected_depth_ = 0; // WHEN blocks whose protected part is being generated
    long line_ = 0;           // the BASIC line being generated, for run-time warnings
};

} // namespace

std::string generate_program(const Program& program, const Symbols& symbols, bool spread) {
    return Generator(program, symbols).run(spread);
}

} // namespace quillet::compiler
