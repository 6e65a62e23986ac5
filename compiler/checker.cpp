#include "checker.h"

#include <algorithm>

namespace quillet::compiler {

namespace {

class Checker {
public:
    Checker(const Program& p, Symbols& s, Diagnostics& d) : program_(p), sym_(s), diags_(d) {}

    bool run() {
        int errors = diags_.error_count();
        long previous = 0;
        // Line numbers, OPTION BASE and DIM first: declarations hold for the whole program.
        for (size_t i = 0; i < program_.lines.size(); ++i) {
            const Line& l = program_.lines[i];
            current_line_ = l.number;
            if (l.number <= previous)
                diags_.error(l.pos, "line number " + std::to_string(l.number) +
                                        " does not follow " + std::to_string(previous) +
                                        " (line numbers must increase)");
            previous = std::max(previous, l.number);
            sym_.line_index.emplace(l.number, i);
            for (const Stmt& s : l.stmts)
                declare(s);
        }
        const Stmt* end = nullptr;
        std::vector<const Stmt*> open_loops;
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts) {
                current_line_ = l.number;
                if (end) diags_.error(s.pos, "a line after the END statement");
                statement(s, open_loops);
                if (s.kind == Stmt::end) end = &s;
            }
        for (const Stmt* f : open_loops)
            diags_.error(f->pos, "FOR " + f->target->text + " without its NEXT");
        // A jump from outside a loop into its body would reach NEXT with no FOR to return to.
        for (const auto& [from, to, where] : jumps_)
            for (const auto& [first, last] : loop_lines_)
                if (to > first && to <= last && !(from > first && from <= last))
                    diags_.error(where, "a jump into the body of the FOR loop at line " +
                                            std::to_string(first));
        if (!end) {
            Pos p{program_.file, 0, 0};
            if (!program_.lines.empty()) p = program_.lines.back().pos;
            diags_.error(p, "the program must end with an END statement");
        }
        return diags_.error_count() == errors;
    }

private:
    void declare(const Stmt& s) {
        if (s.kind == Stmt::option_base) {
            if (base_seen_) diags_.error(s.pos, "OPTION BASE is given twice");
            if (array_seen_) diags_.error(s.pos, "OPTION BASE must come before arrays are used");
            base_seen_ = true;
            sym_.option_base = int(s.number);
        }
        if (s.kind == Stmt::data_list) sym_.data_count += s.data.size();
        if (s.kind == Stmt::def) {
            if (!sym_.functions.emplace(s.target->text, &s).second)
                diags_.error(s.target->pos, "the function " + s.target->text + " is defined twice");
        }
        if (s.kind == Stmt::dim)
            for (const ArrayDim& d : s.dims) {
                if (sym_.arrays.count(d.name)) {
                    diags_.error(d.pos, "the array " + d.name + " is dimensioned twice");
                    continue;
                }
                ArrayInfo info;
                info.declared = true;
                for (auto [lo, hi] : d.bounds) {
                    long low = sym_.option_base;
                    if (hi < low)
                        diags_.error(d.pos, "the upper bound " + std::to_string(hi) +
                                                " is below the lower bound " + std::to_string(low));
                    info.bounds.push_back({low, hi});
                }
                array_seen_ = true;
                sym_.arrays[d.name] = info;
            }
        visit_arrays(s);
    }

    // Arrays used without DIM get bounds to 10; recorded at their first use, in line order.
    void visit_arrays(const Stmt& s) {
        auto walk = [&](auto& self, const Expr* e) -> void {
            if (!e) return;
            if (e->kind == Expr::variable && e->subscripted) {
                array_seen_ = true;
                auto it = sym_.arrays.find(e->text);
                if (it == sym_.arrays.end()) {
                    if (e->text.size() != 1)
                        diags_.error(e->pos, e->text + " is used as an array without DIM (only "
                                                       "one-letter arrays need none)");
                    ArrayInfo info;
                    for (size_t k = 0; k < e->args.size(); ++k)
                        info.bounds.push_back({sym_.option_base, 10});
                    sym_.arrays[e->text] = info;
                }
            }
            for (const ExprPtr& a : e->args)
                self(self, a.get());
        };
        walk(walk, s.target.get());
        walk(walk, s.value.get());
        walk(walk, s.limit.get());
        walk(walk, s.step.get());
        for (const ExprPtr& e : s.list)
            walk(walk, e.get());
        for (const PrintItem& item : s.items)
            walk(walk, item.value.get());
    }

    void target(const std::pair<int, Pos>& t) {
        jumps_.push_back({current_line_, t.first, t.second});
        if (!sym_.line_index.count(t.first))
            diags_.error(t.second, "there is no line " + std::to_string(t.first));
    }

    void statement(const Stmt& s, std::vector<const Stmt*>& open_loops) {
        for (const auto& t : s.lines)
            target(t);
        switch (s.kind) {
        case Stmt::let:
            lvalue(*s.target);
            same_type(*s.target, *s.value, "the value assigned");
            break;
        case Stmt::print:
            for (const PrintItem& item : s.items)
                if (item.value) {
                    expr(*item.value);
                    if (item.kind == PrintItem::tab) numeric(*item.value, "TAB");
                }
            break;
        case Stmt::if_then:
            condition_ = s.value.get();
            expr(*s.value);
            condition_ = nullptr;
            if (s.value->kind != Expr::binary || precedence(s.value->text, false) != 1)
                diags_.error(s.value->pos, "IF needs a relation (=, <>, <, >, <=, >=)");
            break;
        case Stmt::for_:
            lvalue(*s.target);
            numeric(*s.value, "FOR's initial value");
            numeric(*s.limit, "FOR's limit");
            if (s.step) numeric(*s.step, "FOR's step");
            for (const Stmt* f : open_loops)
                if (f->target->text == s.target->text)
                    diags_.error(s.target->pos,
                                 "FOR " + s.target->text + " inside a loop with the same variable");
            sym_.loops[&s] = sym_.loop_count++;
            for_lines_[&s] = current_line_;
            open_loops.push_back(&s);
            break;
        case Stmt::next:
            if (open_loops.empty() || open_loops.back()->target->text != s.name) {
                diags_.error(s.target->pos,
                             "NEXT " + s.name + " does not close " +
                                 (open_loops.empty() ? std::string("any FOR")
                                                     : "FOR " + open_loops.back()->target->text));
                break;
            }
            sym_.loops[&s] = sym_.loops[open_loops.back()];
            loop_lines_.push_back({for_lines_[open_loops.back()], current_line_});
            open_loops.pop_back();
            break;
        case Stmt::input:
            if (s.list.size() > 64) diags_.error(s.pos, "INPUT takes at most 64 variables");
            [[fallthrough]];
        case Stmt::read:
            for (const ExprPtr& v : s.list)
                lvalue(*v);
            break;
        case Stmt::def:
            for (const ExprPtr& v : s.list)
                lvalue(*v);
            if (s.target->text.back() == '$' || s.value->is_string())
                diags_.error(s.target->pos, "a DEF function is numeric");
            expr(*s.value);
            break;
        case Stmt::on_goto: numeric(*s.value, "ON's selector"); break;
        default: break;
        }
    }

    void lvalue(const Expr& e) {
        if (e.kind != Expr::variable) {
            diags_.error(e.pos, "expected a variable");
            return;
        }
        expr(e);
    }

    void numeric(const Expr& e, const char* what) {
        expr(e);
        if (e.is_string()) diags_.error(e.pos, std::string(what) + " must be numeric");
    }

    void same_type(const Expr& a, const Expr& b, const char* what) {
        expr(b);
        if (a.is_string() != b.is_string()) {
            std::string message = what;
            message += a.is_string() ? " must be a string expression" : " must be numeric";
            diags_.error(b.pos, message);
        }
    }

    void expr(const Expr& e) {
        switch (e.kind) {
        case Expr::variable: {
            bool str = e.is_string();
            if (e.subscripted) {
                if (str) diags_.error(e.pos, "string arrays come later; " + e.text + " is one");
                auto it = sym_.arrays.find(e.text);
                if (it != sym_.arrays.end() && it->second.bounds.size() != e.args.size())
                    diags_.error(e.pos, "the array " + e.text + " has " +
                                            std::to_string(it->second.bounds.size()) +
                                            " dimensions, not " + std::to_string(e.args.size()));
                if (sym_.numbers.count(e.text))
                    diags_.error(e.pos, e.text + " is a simple variable and an array");
                for (const ExprPtr& a : e.args)
                    numeric(*a, "a subscript");
            } else {
                if (sym_.arrays.count(e.text))
                    diags_.error(e.pos, e.text + " is an array and a simple variable");
                (str ? sym_.strings : sym_.numbers).insert(e.text);
            }
            break;
        }
        case Expr::call: {
            for (const ExprPtr& a : e.args)
                numeric(*a, "a function's argument");
            size_t want = e.text == "RND" ? 0 : 1;
            if (e.text.compare(0, 2, "FN") == 0) {
                auto it = sym_.functions.find(e.text);
                if (it == sym_.functions.end()) {
                    diags_.error(e.pos, "the function " + e.text + " is not defined");
                    break;
                }
                want = it->second->list.size();
            }
            if (e.args.size() != want)
                diags_.error(e.pos, e.text + " takes " + std::to_string(want) + " argument" +
                                        (want == 1 ? "" : "s"));
            break;
        }
        case Expr::unary: numeric(*e.args[0], "the operand of a sign"); break;
        case Expr::binary: {
            const Expr& a = *e.args[0];
            const Expr& b = *e.args[1];
            expr(a);
            expr(b);
            if (precedence(e.text, false) == 1) {
                // A comparison has no value of its own: it is only ever IF's condition.
                if (&e != condition_)
                    diags_.error(e.pos, "a comparison (" + e.text +
                                            ") is allowed only as the condition of IF");
                else if (a.is_string() != b.is_string())
                    diags_.error(b.pos, a.is_string() ? "a string expression is expected here"
                                                      : "a numeric expression is expected here");
            } else if (e.text == "&") {
                if (!a.is_string()) diags_.error(a.pos, "& joins strings");
                if (!b.is_string()) diags_.error(b.pos, "& joins strings");
            } else {
                if (a.is_string()) diags_.error(a.pos, "arithmetic on a string");
                if (b.is_string()) diags_.error(b.pos, "arithmetic on a string");
            }
            break;
        }
        default: break;
        }
    }

    const Program& program_;
    Symbols& sym_;
    Diagnostics& diags_;
    bool base_seen_ = false, array_seen_ = false;
    const Expr* condition_ = nullptr; // the IF condition being checked
    long current_line_ = 0;
    struct Jump {
        long from, to;
        Pos where;
    };
    std::vector<Jump> jumps_;
    std::map<const Stmt*, long> for_lines_;
    std::vector<std::pair<long, long>> loop_lines_; // FOR line, NEXT line
};

} // namespace

bool check_program(const Program& program, Symbols& symbols, Diagnostics& diags) {
    return Checker(program, symbols, diags).run();
}

} // namespace quillet::compiler
