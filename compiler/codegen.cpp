#include "codegen.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillet::compiler {

namespace {

// How each operator and function maps onto ops, bifs and library routines.
struct OpRule {
    const char* name;
    const char* op; // op or "call ROUTINE" or "bif NAME"
    bool two;       // takes two operands
};

const OpRule arithmetic[] = {
    {"+", "add", true},
    {"-", "sub", true},
    {"*", "mul", true},
    {"/", "div", true},
    {"^", "call qlib.power", true},
    {"&", "concat", true},
    {"ATN", "bif atn", false},
    {"COS", "bif cos", false},
    {"EXP", "bif exp", false},
    {"INT", "bif floor", false},
    {"LOG", "bif log", false},
    {"SIN", "bif sin", false},
    {"SQR", "bif sqr", false},
    {"TAN", "bif tan", false},
    {"ABS", "call qlib.abs", false},
    {"SGN", "call qlib.sgn", false},
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
    if (v == 0) return "0"; // BASIC has no negative zero
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
    std::string param; // DEF: the parameter's BASIC name
    int labels = 0;

    void emit(const std::string& line) { code += "    " + line + "\n"; }
    void label(const std::string& name) { code += "  " + name + ":\n"; }
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

class Generator {
public:
    Generator(const Program& p, const Symbols& s) : program_(p), sym_(s) {}

    std::string run() {
        Routine main;
        std::vector<std::string> internals;
        data_setup(main);
        for (const Line& l : program_.lines) {
            line_ = l.number;
            main.label(line_label(l.number));
            main.emit("line " + std::to_string(l.number));
            for (const Stmt& s : l.stmts) {
                statement(main, s);
                main.statement_done();
                if (s.kind == Stmt::def) internals.push_back(function(s, l.number));
            }
        }
        main.label("the_end");
        main.emit("return");

        std::string out = "module main\n  routine main name \"Main program\"\n";
        for (const std::string& n : sym_.numbers)
            out += "    local num " + num_name(n) + "\n";
        for (int k = 0; k < sym_.loop_count; ++k)
            out += "    local num f" + std::to_string(k) + "_limit\n    local num f" +
                   std::to_string(k) + "_step\n";
        out += "    local num d_ptr\n";
        out += main.declarations();
        for (const std::string& n : sym_.strings)
            out += "    local str " + str_name(n) + "\n";
        for (const auto& [name, info] : sym_.arrays) {
            out += "    local numarr " + array_name(name) + " (";
            for (size_t k = 0; k < info.bounds.size(); ++k)
                out += (k ? ", " : "") + std::to_string(info.bounds[k].first) + " to " +
                       std::to_string(info.bounds[k].second);
            out += ")\n";
        }
        if (sym_.data_count > 0) {
            std::string range = " (1 to " + std::to_string(sym_.data_count) + ")\n";
            out += "    local numarr d_num" + range + "    local numarr d_kind" + range +
                   "    local strarr d_str" + range;
        }
        out += main.reservations();
        out += main.code;
        for (const std::string& f : internals)
            out += f;
        out += "end\n";
        return out;
    }

private:
    static std::string plain(const std::string& n) {
        std::string s = n;
        if (!s.empty() && s.back() == '$') s.pop_back();
        return s;
    }
    static std::string num_name(const std::string& n) { return "n_" + n; }
    static std::string str_name(const std::string& n) { return "s_" + plain(n); }
    static std::string array_name(const std::string& n) { return "a_" + n; }

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

    std::string function(const Stmt& s, long line) {
        Routine r;
        line_ = line;
        if (!s.list.empty()) r.param = s.list[0]->text;
        std::string value = expr(r, *s.value);
        r.emit("move " + value + ", result");
        r.emit("return");
        std::string name = s.target->text;
        std::string out = "  internal fn_" + name + " of main name \"" + name + "\"\n";
        if (!r.param.empty()) out += "    param num p_" + r.param + "\n";
        out += "    result num result\n";
        out += r.declarations() + r.reservations();
        out += "    line " + std::to_string(line) + "\n" + r.code;
        return out;
    }

    // An operand that names the variable `e` (an element through a reference slot).
    std::string place(Routine& r, const Expr& e) {
        if (!e.subscripted) {
            if (e.is_string()) return str_name(e.text);
            if (!r.param.empty() && e.text == r.param) return "p_" + e.text;
            return num_name(e.text);
        }
        std::vector<std::string> index;
        for (const ExprPtr& a : e.args)
            index.push_back(expr(r, *a));
        std::string slot = r.num_ref();
        std::string op = index.size() == 1 ? "num_elem1 " : "num_elemn ";
        std::string line = op + array_name(e.text);
        for (const std::string& i : index)
            line += ", " + i;
        r.emit(line + ", " + slot);
        return slot;
    }

    std::string expr(Routine& r, const Expr& e) {
        switch (e.kind) {
        case Expr::number: return number_literal(e.value);
        case Expr::string: return string_literal(e.text);
        case Expr::variable: return place(r, e);
        case Expr::unary: {
            if (e.text == "+") return expr(r, *e.args[0]);
            return negated(r, *e.args[0]);
        }
        case Expr::call: {
            if (e.text == "RND") {
                std::string t = r.num_temp();
                r.emit("bif rnd " + t);
                return t;
            }
            std::vector<std::string> args;
            for (const ExprPtr& a : e.args)
                args.push_back(expr(r, *a));
            std::string t = r.num_temp();
            std::string line;
            if (e.text.compare(0, 2, "FN") == 0) {
                line = "call fn_" + e.text;
            } else {
                for (const OpRule& rule : arithmetic)
                    if (e.text == rule.name) line = rule.op;
            }
            for (size_t i = 0; i < args.size(); ++i)
                line += (i ? ", " : " ") + args[i];
            r.emit(line + (args.empty() ? " " : ", ") + t);
            return t;
        }
        case Expr::binary: {
            std::string a = expr(r, *e.args[0]);
            std::string b = expr(r, *e.args[1]);
            if (e.text == "/") {
                // Division by zero is reported and gives infinity; the program goes on.
                std::string t = r.num_temp();
                std::string divide = r.new_label("D"), done = r.new_label("D");
                r.emit("num_eq " + b + ", 0");
                r.emit("jump_if_false " + divide);
                r.emit("call qlib.divide_by_zero " + a + ", " + std::to_string(line_) + ", " + t);
                r.emit("jump " + done);
                r.label(divide);
                r.emit("div " + a + ", " + b + ", " + t);
                r.label(done);
                return t;
            }
            if (e.text == "^") {
                std::string t = r.num_temp();
                r.emit("call qlib.power " + a + ", " + b + ", " + std::to_string(line_) + ", " + t);
                return t;
            }
            for (const OpRule& rule : arithmetic)
                if (e.text == rule.name) {
                    std::string t = e.text == "&" ? r.str_temp() : r.num_temp();
                    r.emit(std::string(rule.op) + " " + a + ", " + b + ", " + t);
                    return t;
                }
            return a; // relations appear only in IF, handled there
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

    // Jumps to `target` when the relation `e` holds.
    void jump_if(Routine& r, const Expr& e, const std::string& target) {
        const Relation* rel = nullptr;
        for (const Relation& x : relations)
            if (e.text == x.name) rel = &x;
        std::string a = expr(r, *e.args[0]);
        std::string b = expr(r, *e.args[1]);
        if (rel->swap) std::swap(a, b);
        r.emit(std::string(e.args[0]->is_string() ? rel->str_op : rel->num_op) + " " + a + ", " +
               b);
        r.emit(std::string(rel->when ? "jump_if_true " : "jump_if_false ") + target);
    }

    // A loop's limit and step live in locals of their own: the engine reads them again from the
    // loop head whenever another loop ran in between.
    void for_loop(Routine& r, const Stmt& s) {
        int k = sym_.loops.at(&s);
        std::string var = place(r, *s.target);
        std::string start = expr(r, *s.value);
        std::string limit = "f" + std::to_string(k) + "_limit";
        std::string step = "f" + std::to_string(k) + "_step";
        r.emit("move " + expr(r, *s.limit) + ", " + limit);
        r.emit("move " + (s.step ? expr(r, *s.step) : std::string("1")) + ", " + step);
        r.label("F" + std::to_string(k));
        r.emit("for_start " + var + ", " + start + ", " + limit + ", " + step + ", X" +
               std::to_string(k));
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
            r.emit("str_move " + slot + ", " + place(r, target));
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
        r.emit("move " + slot + ", " + place(r, target));
    }

    void statement(Routine& r, const Stmt& s) {
        switch (s.kind) {
        case Stmt::let: {
            std::string v = expr(r, *s.value);
            std::string t = place(r, *s.target);
            r.emit((s.target->is_string() ? "str_move " : "move ") + v + ", " + t);
            break;
        }
        case Stmt::print: {
            for (const PrintItem& item : s.items) {
                switch (item.kind) {
                case PrintItem::comma: r.emit("call qlib.print_comma"); break;
                case PrintItem::semicolon: break;
                case PrintItem::tab: r.emit("call qlib.print_tab " + expr(r, *item.value)); break;
                case PrintItem::expr: {
                    std::string v = expr(r, *item.value);
                    r.emit((item.value->is_string() ? "call qlib.print_str "
                                                    : "call qlib.print_num ") +
                           v);
                    break;
                }
                }
                r.statement_done();
            }
            if (s.items.empty() || (s.items.back().kind != PrintItem::comma &&
                                    s.items.back().kind != PrintItem::semicolon))
                r.emit("call qlib.print_newline");
            break;
        }
        case Stmt::go_to: r.emit("jump " + line_label(s.lines[0].first)); break;
        case Stmt::go_sub: r.emit("gosub " + line_label(s.lines[0].first)); break;
        case Stmt::ret: r.emit("gosub_return"); break;
        case Stmt::if_then: jump_if(r, *s.value, line_label(s.lines[0].first)); break;
        case Stmt::for_: for_loop(r, s); break;
        case Stmt::next: {
            int k = sym_.loops.at(&s);
            r.emit("for_next F" + std::to_string(k));
            r.label("X" + std::to_string(k));
            break;
        }
        case Stmt::end:
        case Stmt::stop: r.emit("jump the_end"); break;
        case Stmt::read:
            for (const ExprPtr& v : s.list) {
                read(r, *v);
                r.statement_done();
            }
            break;
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
        case Stmt::input: {
            std::string types;
            for (const ExprPtr& v : s.list)
                types += v->is_string() ? 'S' : 'N';
            r.emit("call qlib.input_line \"" + types + "\"");
            for (size_t k = 0; k < s.list.size(); ++k) {
                const Expr& v = *s.list[k];
                std::string index = std::to_string(k + 1);
                if (v.is_string()) {
                    std::string t = r.str_temp();
                    r.emit("call qlib.input_string " + index + ", " + t);
                    r.emit("str_move " + t + ", " + place(r, v));
                } else {
                    std::string t = r.num_temp();
                    r.emit("call qlib.input_number " + index + ", " + t);
                    r.emit("move " + t + ", " + place(r, v));
                }
                r.statement_done();
            }
            break;
        }
        case Stmt::randomize: r.emit("bif randomize"); break;
        default: break;
        }
    }

    const Program& program_;
    const Symbols& sym_;
    long line_ = 0; // the BASIC line being generated, for run-time warnings
};

} // namespace

std::string generate_program(const Program& program, const Symbols& symbols) {
    return Generator(program, symbols).run();
}

} // namespace quillet::compiler
