#include "checker.h"

#include "bcode/bifs.h"
#include "builtins.h"

#include <algorithm>
#include <cctype>

namespace quillet::compiler {

const Param* Procedure::param(const std::string& name) const {
    for (const Param& p : head->params)
        if (p.name == name) return &p;
    return nullptr;
}

namespace {

bool is_string_name(const std::string& name) {
    return !name.empty() && name.back() == '$';
}

// Where a statement stands: the blocks open around it.
struct OpenBlock {
    const Stmt* stmt;
    bool else_seen = false; // if: ELSE seen; select: CASE ELSE seen; when: USE seen
};

class Checker {
public:
    Checker(const Program& p, Symbols& s, Diagnostics& d) : program_(p), sym_(s), diags_(d) {}

    bool run() {
        int errors = diags_.error_count();
        numbering();
        structure();
        if (program_.library && program_.module.empty())
            diags_.error(program_.lines.empty() ? Pos{program_.file, 0, 0} : program_.lines[0].pos,
                         "a library source begins with MODULE and the name of its module");
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts) {
                current_line_ = l.number;
                auto it = sym_.owner.find(&s);
                proc_ = it == sym_.owner.end() ? nullptr : it->second;
                statement(s);
            }
        close_unit();
        for (const auto& [when, unit] : uses_)
            if (!handlers_.count({unit, when->name}))
                diags_.error(when->pos, "there is no HANDLER " + when->name + " in this " +
                                            (unit ? "procedure" : "program unit"));
        // A jump from outside a loop into its body would reach NEXT with no FOR to return to.
        for (const auto& [from, to, where] : jumps_)
            for (const auto& [first, last] : loop_lines_)
                if (to > first && to <= last && !(from > first && from <= last))
                    diags_.error(where, "a jump into the body of the FOR loop at line " +
                                            std::to_string(first));
        return diags_.error_count() == errors;
    }

private:
    // In each source file, either every line has a number, in increasing order, or none has.
    void numbering() {
        int file = -1;
        bool numbered = false;
        long previous = 0;
        for (size_t i = 0; i < program_.lines.size(); ++i) {
            const Line& l = program_.lines[i];
            if (l.pos.file != file) {
                file = l.pos.file;
                numbered = l.number != 0;
                previous = 0;
                if (numbered) sym_.numbered.insert(file);
            }
            if (numbered != (l.number != 0)) {
                diags_.error(l.pos, numbered ? "a line without a number in a program whose lines "
                                               "are numbered"
                                             : "a line number in a program whose lines have none");
                continue;
            }
            if (!numbered) continue;
            if (l.number <= previous)
                diags_.error(l.pos, "line number " + std::to_string(l.number) +
                                        " does not follow " + std::to_string(previous) +
                                        " (line numbers must increase)");
            previous = std::max(previous, l.number);
            sym_.line_index.emplace(std::make_pair(file, l.number), i);
        }
    }

    // Procedures, the main program's END and the declarations, in line order.
    void structure() {
        Procedure* open = nullptr;
        bool after_end = program_.library;           // a library source holds procedures only
        std::map<std::string, const Stmt*> routines; // a library's routines by name
        const int first_file = program_.lines.empty() ? 0 : program_.lines[0].pos.file;
        for (const Line& l : program_.lines)
            for (const Stmt& s : l.stmts) {
                current_line_ = l.number;
                // The files after the first hold external procedures only.
                if (l.pos.file != first_file && !after_end) {
                    diags_.error(program_.lines[0].pos, "the main program must end with an END "
                                                        "statement before the files of external "
                                                        "procedures");
                    after_end = true;
                }
                if (l.pos.file != first_file && open && open->head->pos.file != l.pos.file) {
                    diags_.error(open->head->pos,
                                 describe(*open) + " without its END " + open->head->word);
                    open = nullptr;
                }
                if (s.kind == Stmt::sub || s.kind == Stmt::function || s.kind == Stmt::def) {
                    if (open && s.kind != Stmt::def) {
                        diags_.error(s.pos, "a " + s.word + " inside " + describe(*open) +
                                                " (END " + open->head->word + " is missing)");
                        continue;
                    }
                    if (open && !open->external) {
                        diags_.error(s.pos, "a DEF inside an internal procedure: define it "
                                            "outside");
                        continue;
                    }
                    // A library's function may carry the name of the built-in function it is.
                    if (is_builtin(s.name) && !program_.library)
                        diags_.error(s.pos, s.name + " is a built-in function");
                    if (program_.library && s.kind != Stmt::def &&
                        !routines.emplace(library_routine(s.name), &s).second)
                        diags_.error(s.pos,
                                     s.name + " and " + routines[library_routine(s.name)]->name +
                                         " would both be the routine " + library_routine(s.name));
                    auto [it, fresh] = sym_.procedures.try_emplace(s.name);
                    if (!fresh) {
                        diags_.error(s.pos, s.name + " is defined twice");
                        continue;
                    }
                    Procedure& p = it->second;
                    p.head = &s;
                    p.external = after_end && !open;
                    if (open) {
                        // A DEF on one line inside an external procedure belongs to it.
                        p.parent = open;
                        sym_.owner[&s] = open;
                    }
                    // A DEF's expression may use arrays without DIM: those of its unit.
                    if (s.kind == Stmt::def) visit_arrays(s, &scope_of(&p), &p);
                    if (open) continue;
                    if (s.kind != Stmt::def) {
                        open = &p;
                        sym_.owner[&s] = open;
                    }
                    continue;
                }
                if (s.kind == Stmt::end_routine) {
                    if (!open) {
                        diags_.error(s.pos, "END " + s.word + " without its " + s.word);
                    } else if ((s.word == "SUB") != (open->head->kind == Stmt::sub)) {
                        diags_.error(s.pos, "END " + s.word + " closes " + describe(*open));
                        open = nullptr;
                    } else {
                        sym_.owner[&s] = open;
                        open = nullptr;
                    }
                    continue;
                }
                if (s.kind == Stmt::start || s.kind == Stmt::shared) {
                    if (open)
                        diags_.error(s.pos,
                                     std::string(s.kind == Stmt::start ? "START" : "SHARED") +
                                         " stands outside the procedures");
                    else
                        library_state(s);
                    continue;
                }
                if (open) {
                    sym_.owner[&s] = open;
                } else if (after_end && s.kind != Stmt::rem && s.kind != Stmt::declare &&
                           s.kind != Stmt::module_) {
                    diags_.error(s.pos, program_.library ? "a library source holds only SUB, "
                                                           "FUNCTION and DEF after its MODULE"
                                        : l.pos.file != first_file
                                            ? "a file of external procedures holds only SUB, "
                                              "FUNCTION and DEF"
                                            : "a line after the END statement (only procedures "
                                              "may follow it)");
                }
                if (s.kind == Stmt::end && !open) after_end = true;
                declare(s, &scope_of(open), open);
            }
        if (open)
            diags_.error(open->head->pos, describe(*open) + " without its END " + open->head->word);
        library_start();
        if (!after_end) {
            Pos p{program_.file, 0, 0};
            if (!program_.lines.empty()) p = program_.lines.back().pos;
            diags_.error(p, "the program must end with an END statement");
        }
    }

    // START name and SHARED variables: the state of a library source, kept in the frame of
    // its start routine.
    void library_state(const Stmt& s) {
        if (s.kind == Stmt::start) {
            if (!sym_.start.empty()) {
                diags_.error(s.pos, "START is given twice");
                return;
            }
            sym_.start = s.name;
            start_pos_ = s.pos;
            return;
        }
        if (!shared_seen_) shared_pos_ = s.pos;
        shared_seen_ = true;
        for (const ArrayDim& d : s.dims) {
            if (sym_.is_shared(d.name)) {
                diags_.error(d.pos, d.name + " is SHARED twice");
                continue;
            }
            shared_at_.emplace_back(d.name, d.pos);
            if (d.bounds.empty()) {
                (is_string_name(d.name) ? sym_.shared.strings : sym_.shared.numbers).insert(d.name);
                continue;
            }
            ArrayInfo info;
            info.declared = true;
            for (auto [lo, hi] : d.bounds) {
                long low = lo == base_bound ? 0 : lo;
                if (hi < low)
                    diags_.error(d.pos, "the upper bound " + std::to_string(hi) +
                                            " is below the lower bound " + std::to_string(low));
                info.bounds.push_back({low, hi});
            }
            sym_.shared.arrays[d.name] = info;
        }
    }

    // The start routine that SHARED needs: a SUB of the source without parameters. A SHARED
    // name may not be a procedure's or a built-in function's, which the name would read.
    void library_start() {
        for (const auto& [name, pos] : shared_at_)
            if (sym_.procedures.count(name) || is_builtin(name))
                diags_.error(pos, name + " names a function; a SHARED variable cannot");
        if (shared_seen_ && sym_.start.empty())
            diags_.error(shared_pos_, "SHARED variables live in the frame of the library's start "
                                      "routine: name it with START");
        if (sym_.start.empty()) return;
        auto it = sym_.procedures.find(sym_.start);
        if (it == sym_.procedures.end() || it->second.head->kind != Stmt::sub ||
            !it->second.head->params.empty())
            diags_.error(start_pos_, "START names " + sym_.start +
                                         ", which is not a SUB of this source without parameters");
    }

    static std::string describe(const Procedure& p) {
        return (p.head->kind == Stmt::sub ? "the SUB " : "the function ") + p.head->name;
    }

    void declare(const Stmt& s, Scope* scope, const Procedure* open) {
        if (s.kind == Stmt::option_base) {
            if (base_seen_) diags_.error(s.pos, "OPTION BASE is given twice");
            if (array_seen_) diags_.error(s.pos, "OPTION BASE must come before arrays are used");
            base_seen_ = true;
            sym_.option_base = int(s.number);
        }
        if (s.kind == Stmt::data_list) {
            if (open && open->external)
                diags_.error(s.pos, "DATA belongs to the main program, not to an external "
                                    "procedure");
            sym_.data_count += s.data.size();
        }
        if (s.kind == Stmt::dim)
            for (const ArrayDim& d : s.dims) {
                if (sym_.is_shared(d.name)) {
                    diags_.error(d.pos, d.name + " is SHARED: its bounds are given there");
                    continue;
                }
                if (scope->arrays.count(d.name)) {
                    diags_.error(d.pos, "the array " + d.name + " is dimensioned twice");
                    continue;
                }
                ArrayInfo info;
                info.declared = true;
                for (auto [lo, hi] : d.bounds) {
                    long low = lo == base_bound ? sym_.option_base : lo;
                    if (hi < low)
                        diags_.error(d.pos, "the upper bound " + std::to_string(hi) +
                                                " is below the lower bound " + std::to_string(low));
                    info.bounds.push_back({low, hi});
                }
                array_seen_ = true;
                scope->arrays[d.name] = info;
            }
        visit_arrays(s, scope, open);
    }

    // Arrays used without DIM get bounds to 10; recorded at their first use, in line order.
    void visit_arrays(const Stmt& s, Scope* scope, const Procedure* open) {
        auto walk = [&](auto& self, const Expr* e) -> void {
            if (!e) return;
            if (e->kind == Expr::variable && e->subscripted && !(open && open->param(e->text)) &&
                !sym_.is_shared(e->text)) {
                array_seen_ = true;
                auto it = scope->arrays.find(e->text);
                if (it == scope->arrays.end()) {
                    if (e->text.size() != 1 && !(e->text.size() == 2 && e->text[1] == '$'))
                        diags_.error(e->pos, e->text + " is used as an array without DIM (only "
                                                       "one-letter arrays need none)");
                    ArrayInfo info;
                    for (size_t k = 0; k < e->args.size(); ++k)
                        info.bounds.push_back({sym_.option_base, 10});
                    scope->arrays[e->text] = info;
                }
            }
            for (const ExprPtr& a : e->args)
                self(self, a.get());
        };
        walk(walk, s.target.get());
        walk(walk, s.value.get());
        walk(walk, s.limit.get());
        walk(walk, s.step.get());
        walk(walk, s.message.get());
        walk(walk, s.format.get());
        for (const ExprPtr& e : s.list)
            walk(walk, e.get());
        for (const PrintItem& item : s.items)
            walk(walk, item.value.get());
        for (const CaseTest& t : s.cases) {
            walk(walk, t.low.get());
            walk(walk, t.high.get());
        }
        for (const Block* part : {&s.then_part, &s.else_part})
            for (const Stmt& b : *part)
                visit_arrays(b, scope, open);
    }

    // The variables that `p`'s names refer to: an external procedure's own, else the main
    // program's.
    Scope& scope_of(const Procedure* p) {
        while (p && !p->external)
            p = p->parent;
        return p ? sym_.procedures.at(p->head->name).own : sym_.main;
    }
    Scope& scope() { return scope_of(proc_); }

    void target(const std::pair<int, Pos>& t) {
        jumps_.push_back({current_line_, t.first, t.second});
        auto it = sym_.line_index.find({t.second.file, t.first});
        if (it == sym_.line_index.end()) {
            diags_.error(t.second, "there is no line " + std::to_string(t.first));
            return;
        }
        const Line& to = program_.lines[it->second];
        auto owner = to.stmts.empty() ? sym_.owner.end() : sym_.owner.find(&to.stmts[0]);
        const Procedure* there = owner == sym_.owner.end() ? nullptr : owner->second;
        if (there != proc_)
            diags_.error(t.second, "line " + std::to_string(t.first) +
                                       " is in another program unit or procedure");
    }

    // PRINT USING N: line N is an IMAGE line of the same program unit.
    void image_line(const Expr& e) {
        std::string n = std::to_string(long(e.value));
        auto it = sym_.line_index.find({e.pos.file, long(e.value)});
        if (it == sym_.line_index.end()) {
            diags_.error(e.pos, "there is no line " + n);
            return;
        }
        const Line& to = program_.lines[it->second];
        if (to.stmts.empty() || to.stmts[0].kind != Stmt::image) {
            diags_.error(e.pos, "line " + n + " is not an IMAGE line");
            return;
        }
        auto owner = sym_.owner.find(&to.stmts[0]);
        if ((owner == sym_.owner.end() ? nullptr : owner->second) != proc_)
            diags_.error(e.pos, "line " + n + " is in another program unit or procedure");
    }

    // The blocks still open when a unit (the main program or a procedure) ends.
    void close_unit() {
        for (const OpenBlock& b : blocks_) {
            static const std::map<Stmt::Kind, const char*> closers = {
                {Stmt::if_block, "IF without its END IF"},
                {Stmt::select, "SELECT CASE without its END SELECT"},
                {Stmt::do_, "DO without its LOOP"},
                {Stmt::when, "WHEN EXCEPTION without its END WHEN"},
                {Stmt::handler, "HANDLER without its END HANDLER"}};
            if (b.stmt->kind == Stmt::for_)
                diags_.error(b.stmt->pos, "FOR " + b.stmt->target->text + " without its NEXT");
            else
                diags_.error(b.stmt->pos, closers.at(b.stmt->kind));
        }
        blocks_.clear();
    }

    OpenBlock* innermost(Stmt::Kind kind) {
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it)
            if (it->stmt->kind == kind) return &*it;
        return nullptr;
    }

    // The innermost open block must be `kind` for a statement that continues or closes it.
    OpenBlock* expect_open(const Stmt& s, Stmt::Kind kind, const char* what) {
        if (!blocks_.empty() && blocks_.back().stmt->kind == kind) return &blocks_.back();
        if (innermost(kind))
            diags_.error(s.pos, std::string(what) + " before the inner block is closed");
        else
            diags_.error(s.pos, std::string(what) + " outside its block");
        return nullptr;
    }

    bool in_handler() const {
        for (const OpenBlock& b : blocks_)
            if ((b.stmt->kind == Stmt::when || b.stmt->kind == Stmt::handler) && b.else_seen)
                return true;
        return false;
    }

    void statement(const Stmt& s) {
        for (const auto& t : s.lines)
            target(t);
        switch (s.kind) {
        case Stmt::let:
            lvalue(*s.target);
            same_type(*s.target, *s.value, "the value assigned");
            break;
        case Stmt::print:
            if (s.format && s.format->kind == Expr::number)
                image_line(*s.format);
            else if (s.format)
                string_expr(*s.format, "the format of USING");
            for (const PrintItem& item : s.items)
                if (item.value) {
                    expr(*item.value);
                    if (item.kind == PrintItem::tab) numeric(*item.value, "TAB");
                }
            break;
        case Stmt::if_then:
            condition(*s.value);
            for (const Block* part : {&s.then_part, &s.else_part})
                for (const Stmt& b : *part)
                    statement(b);
            break;
        case Stmt::if_block:
            condition(*s.value);
            blocks_.push_back({&s});
            break;
        case Stmt::else_if:
            condition(*s.value);
            if (OpenBlock* b = expect_open(s, Stmt::if_block, "ELSEIF"))
                if (b->else_seen) diags_.error(s.pos, "ELSEIF after ELSE");
            break;
        case Stmt::else_:
            if (OpenBlock* b = expect_open(s, Stmt::if_block, "ELSE")) {
                if (b->else_seen) diags_.error(s.pos, "a second ELSE in one IF");
                b->else_seen = true;
            }
            break;
        case Stmt::end_if:
            if (expect_open(s, Stmt::if_block, "END IF")) blocks_.pop_back();
            break;
        case Stmt::select:
            expr(*s.value);
            selector_[&s] = s.value->is_string();
            blocks_.push_back({&s});
            break;
        case Stmt::case_:
            if (OpenBlock* b = expect_open(s, Stmt::select, "CASE")) {
                if (b->else_seen) diags_.error(s.pos, "CASE after CASE ELSE");
                bool str = selector_[b->stmt];
                for (const CaseTest& t : s.cases)
                    for (const Expr* v : {t.low.get(), t.high.get()})
                        if (v) {
                            expr(*v);
                            if (v->is_string() != str)
                                diags_.error(v->pos, str ? "the selector is a string: a string "
                                                           "is expected here"
                                                         : "the selector is numeric: a number "
                                                           "is expected here");
                        }
            }
            break;
        case Stmt::case_else:
            if (OpenBlock* b = expect_open(s, Stmt::select, "CASE ELSE")) {
                if (b->else_seen) diags_.error(s.pos, "a second CASE ELSE");
                b->else_seen = true;
            }
            break;
        case Stmt::end_select:
            if (expect_open(s, Stmt::select, "END SELECT")) blocks_.pop_back();
            break;
        case Stmt::do_:
            if (s.value) condition(*s.value);
            blocks_.push_back({&s});
            break;
        case Stmt::loop:
            if (s.value) condition(*s.value);
            if (OpenBlock* b = expect_open(s, Stmt::do_, "LOOP")) {
                if (b->stmt->value && s.value)
                    diags_.error(s.pos, "a condition at both ends of one DO loop");
                blocks_.pop_back();
            }
            break;
        case Stmt::exit_do:
            if (!innermost(Stmt::do_)) diags_.error(s.pos, "EXIT DO outside a DO loop");
            break;
        case Stmt::exit_for:
            if (!innermost(Stmt::for_)) diags_.error(s.pos, "EXIT FOR outside a FOR loop");
            break;
        case Stmt::for_:
            lvalue(*s.target);
            numeric(*s.value, "FOR's initial value");
            numeric(*s.limit, "FOR's limit");
            if (s.step) numeric(*s.step, "FOR's step");
            for (const OpenBlock& b : blocks_)
                if (b.stmt->kind == Stmt::for_ && b.stmt->target->text == s.target->text)
                    diags_.error(s.target->pos,
                                 "FOR " + s.target->text + " inside a loop with the same variable");
            sym_.loops[&s] = sym_.loop_count++;
            for_lines_[&s] = current_line_;
            blocks_.push_back({&s});
            break;
        case Stmt::next: {
            OpenBlock* b = blocks_.empty() ? nullptr : &blocks_.back();
            if (!b || b->stmt->kind != Stmt::for_ ||
                (!s.name.empty() && b->stmt->target->text != s.name)) {
                std::string open = "any FOR";
                if (const OpenBlock* f = innermost(Stmt::for_))
                    open = b && b->stmt != f->stmt ? "FOR " + f->stmt->target->text +
                                                         " before the inner block is closed"
                                                   : "FOR " + f->stmt->target->text;
                diags_.error(s.target ? s.target->pos : s.pos, "NEXT " + s.name +
                                                                   (s.name.empty() ? "" : " ") +
                                                                   "does not close " + open);
                break;
            }
            sym_.loops[&s] = sym_.loops[b->stmt];
            loop_lines_.push_back({for_lines_[b->stmt], current_line_});
            blocks_.pop_back();
            break;
        }
        case Stmt::input:
            if (s.list.size() > 64) diags_.error(s.pos, "INPUT takes at most 64 variables");
            if (s.message) string_expr(*s.message, "the prompt");
            for (const ExprPtr& v : s.list)
                lvalue(*v);
            break;
        case Stmt::line_input:
            if (s.message) string_expr(*s.message, "the prompt");
            for (const ExprPtr& v : s.list) {
                lvalue(*v);
                if (!v->is_string()) diags_.error(v->pos, "LINE INPUT reads strings");
            }
            break;
        case Stmt::read:
            for (const ExprPtr& v : s.list)
                lvalue(*v);
            if (!s.channel && proc_ && proc_->external)
                diags_.error(s.pos, "READ belongs to the main program, not to an external "
                                    "procedure");
            break;
        case Stmt::restore:
            if (proc_ && proc_->external)
                diags_.error(s.pos, "RESTORE belongs to the main program, not to an external "
                                    "procedure");
            break;
        case Stmt::def: {
            auto it = sym_.procedures.find(s.name);
            if (it == sym_.procedures.end() || it->second.head != &s) break; // refused above
            const Procedure* outer = proc_;
            proc_ = &it->second;
            parameters(s);
            if (is_string_name(s.name) != s.value->is_string())
                diags_.error(s.value->pos, is_string_name(s.name)
                                               ? "the function's value must be a string"
                                               : "the function's value must be numeric");
            expr(*s.value);
            proc_ = outer;
            break;
        }
        case Stmt::sub:
        case Stmt::function:
            close_unit();
            parameters(s);
            break;
        case Stmt::end_routine: close_unit(); break;
        case Stmt::exit_routine:
            if (!proc_ || (s.word == "SUB") != (proc_->head->kind == Stmt::sub))
                diags_.error(s.pos, "EXIT " + s.word + " outside a " + s.word);
            break;
        case Stmt::call: call(s); break;
        case Stmt::bif: bif(s); break;
        case Stmt::module_: {
            if (&s != &program_.lines.front().stmts.front())
                diags_.error(s.pos, "MODULE comes once, as the first statement of a library "
                                    "source");
            // The program's own modules: main, unitN for further files, procN when spread.
            std::string n = s.name;
            bool numbered = (n.starts_with("unit") || n.starts_with("proc")) && n.size() > 4 &&
                            n.find_first_not_of("0123456789", 4) == std::string::npos;
            if (n == "main" || numbered)
                diags_.error(s.pos, "the module " + n +
                                        " is one of the program's; give the "
                                        "library's module another name");
            break;
        }
        case Stmt::declare:
            for (const Param& p : s.params) {
                auto it = sym_.procedures.find(p.name);
                if (it == sym_.procedures.end())
                    diags_.error(p.pos, "DECLARE names " + p.name + ", which is not defined");
                else if ((s.word == "SUB") != (it->second.head->kind == Stmt::sub))
                    diags_.error(p.pos, p.name + " is not a " + s.word);
            }
            break;
        case Stmt::end:
            if (proc_) diags_.error(s.pos, "END inside a procedure (END SUB or END FUNCTION?)");
            break;
        case Stmt::when:
            blocks_.push_back({&s});
            if (!s.name.empty()) uses_.push_back({&s, proc_});
            break;
        case Stmt::use:
            if (OpenBlock* b = expect_open(s, Stmt::when, "USE")) {
                if (!b->stmt->name.empty())
                    diags_.error(s.pos, "USE in a WHEN whose handler is HANDLER " + b->stmt->name);
                if (b->else_seen) diags_.error(s.pos, "a second USE");
                b->else_seen = true;
            }
            break;
        case Stmt::end_when:
            if (OpenBlock* b = expect_open(s, Stmt::when, "END WHEN")) {
                if (!b->else_seen && b->stmt->name.empty())
                    diags_.error(s.pos, "END WHEN without USE");
                blocks_.pop_back();
            }
            break;
        case Stmt::handler:
            if (!blocks_.empty()) diags_.error(s.pos, "a HANDLER inside another block");
            if (!handlers_.emplace(std::make_pair(proc_, s.name), &s).second)
                diags_.error(s.pos, "the HANDLER " + s.name + " is defined twice");
            blocks_.push_back({&s, true});
            break;
        case Stmt::end_handler:
            if (expect_open(s, Stmt::handler, "END HANDLER")) blocks_.pop_back();
            break;
        case Stmt::cause:
            numeric(*s.value, "the exception code");
            if (s.message) string_expr(*s.message, "the exception message");
            break;
        case Stmt::retry:
        case Stmt::continue_:
        case Stmt::exit_handler:
            if (!in_handler())
                diags_.error(s.pos, std::string(s.kind == Stmt::retry       ? "RETRY"
                                                : s.kind == Stmt::continue_ ? "CONTINUE"
                                                                            : "EXIT HANDLER") +
                                        " outside a handler (between USE and END WHEN, or in "
                                        "a HANDLER block)");
            break;
        case Stmt::on_goto: numeric(*s.value, "ON's selector"); break;
        case Stmt::open:
            string_expr(*s.value, "the file name");
            if (s.recsize) numeric(*s.recsize, "RECSIZE");
            break;
        case Stmt::write:
            for (const ExprPtr& v : s.list)
                expr(*v);
            break;
        case Stmt::set_pointer:
            if (s.value) numeric(*s.value, "the record number");
            break;
        case Stmt::ask:
            for (const ExprPtr& v : s.list) {
                lvalue(*v);
                if (v->is_string()) diags_.error(v->pos, "ASK gives a number here");
            }
            break;
        default: break;
        }
        if (s.channel) numeric(*s.channel, "a channel number");
    }

    void parameters(const Stmt& s) {
        for (const Param& p : s.params) {
            if (sym_.procedures.count(p.name) || is_builtin(p.name))
                diags_.error(p.pos, p.name + " names a function; a parameter cannot");
            if (sym_.is_shared(p.name))
                diags_.error(p.pos, p.name + " is SHARED; a parameter cannot have its name");
        }
    }

    // The arguments of a call of `p` (a SUB by CALL, a function in an expression).
    void arguments(const Procedure& p, const std::vector<ExprPtr>& args, Pos pos) {
        const std::vector<Param>& params = p.head->params;
        if (args.size() != params.size()) {
            diags_.error(pos, p.head->name + " takes " + std::to_string(params.size()) +
                                  " argument" + (params.size() == 1 ? "" : "s"));
            return;
        }
        for (size_t i = 0; i < args.size(); ++i) {
            const Expr& a = *args[i];
            const Param& want = params[i];
            if (want.dims > 0) {
                int dims = a.kind == Expr::variable && !a.subscripted ? array_dims(a.text) : -1;
                if (dims < 0)
                    diags_.error(a.pos, "the parameter " + want.name +
                                            " is an array: pass an "
                                            "array by its name");
                else if (dims != want.dims)
                    diags_.error(a.pos, "the array " + a.text + " has " + std::to_string(dims) +
                                            " dimensions; " + want.name + " takes " +
                                            std::to_string(want.dims));
                if (is_string_name(a.text) != is_string_name(want.name))
                    diags_.error(a.pos, is_string_name(want.name) ? "a string array is expected"
                                                                  : "a numeric array is expected");
                continue;
            }
            expr(a);
            if (a.is_string() != is_string_name(want.name))
                diags_.error(a.pos, is_string_name(want.name) ? "a string is expected here"
                                                              : "a number is expected here");
        }
    }

    // The dimensions of the array NAME seen from here, or -1.
    int array_dims(const std::string& name) {
        if (proc_)
            if (const Param* p = proc_->param(name)) return p->dims > 0 ? p->dims : -1;
        if (auto it = sym_.shared.arrays.find(name); it != sym_.shared.arrays.end())
            return int(it->second.bounds.size());
        if (sym_.is_shared(name)) return -1;
        auto it = scope().arrays.find(name);
        return it == scope().arrays.end() ? -1 : int(it->second.bounds.size());
    }

    void call(const Stmt& s) {
        if (s.name.find('.') != std::string::npos) {
            // A routine of another module: its operands are not known here (the assembler
            // checks them); variables and arrays go as themselves.
            for (const ExprPtr& a : s.list)
                if (!(a->kind == Expr::variable && !a->subscripted && array_dims(a->text) >= 0))
                    expr(*a);
            return;
        }
        auto it = sym_.procedures.find(s.name);
        if (it == sym_.procedures.end() || it->second.head->kind != Stmt::sub) {
            diags_.error(s.pos, it == sym_.procedures.end() ? "there is no SUB " + s.name
                                                            : s.name + " is a function, not a SUB");
            return;
        }
        arguments(it->second, s.list, s.pos);
    }

    // BIF name(operands): the bif's operands in its order. A bif the table gives fixed
    // operands has them counted and typed; those it writes (upper case in the table's operand
    // text, or marked result, ref or -variable) must be variables.
    void bif(const Stmt& s) {
        const bcode::BifInfo* info = bcode::bif_by_name(s.name);
        if (!info) {
            diags_.error(s.pos, "there is no bif " + s.name);
            return;
        }
        std::string_view kinds = info->operands;
        bool fixed = kinds != "*";
        if (fixed && kinds.size() != s.list.size()) {
            diags_.error(s.pos, "bif " + s.name + " takes " + std::to_string(kinds.size()) +
                                    " operand" + (kinds.size() == 1 ? "" : "s") + " (" +
                                    std::string(info->operand_text) + ")");
            return;
        }
        std::vector<std::string> texts;
        for (std::string_view t = info->operand_text; !t.empty();) {
            size_t comma = t.find(',');
            std::string_view one = t.substr(0, comma);
            while (!one.empty() && one.front() == ' ')
                one.remove_prefix(1);
            texts.emplace_back(one);
            t = comma == std::string_view::npos ? std::string_view() : t.substr(comma + 1);
        }
        for (size_t i = 0; i < s.list.size(); ++i) {
            const Expr& a = *s.list[i];
            char kind = fixed ? kinds[i] : '*';
            if (kind == 'A' || kind == 'B' ||
                (kind == '*' && a.kind == Expr::variable && !a.subscripted &&
                 array_dims(a.text) >= 0)) {
                if (a.kind != Expr::variable || a.subscripted || array_dims(a.text) < 0)
                    diags_.error(a.pos, "operand " + std::to_string(i + 1) + " of bif " + s.name +
                                            " is an array: give an array by its name");
                else if (kind != '*' && is_string_name(a.text) != (kind == 'B'))
                    diags_.error(a.pos, kind == 'B' ? "a string array is expected"
                                                    : "a numeric array is expected");
                continue;
            }
            expr(a);
            if (kind != '*' && a.is_string() != (kind == 'S'))
                diags_.error(a.pos, "operand " + std::to_string(i + 1) + " of bif " + s.name +
                                        (kind == 'S' ? " must be a string" : " must be a number"));
            const std::string& text = texts.size() == s.list.size() ? texts[i] : std::string();
            bool written =
                !text.empty() &&
                (std::isupper(static_cast<unsigned char>(text[0])) || text.starts_with("result") ||
                 text.starts_with("ref") || text.find("-variable") != std::string::npos);
            if (written && a.kind != Expr::variable)
                diags_.error(a.pos, "operand " + std::to_string(i + 1) + " of bif " + s.name +
                                        " (" + text + ") is written: give a variable");
        }
    }

    void lvalue(const Expr& e) {
        const Expr* v = e.kind == Expr::substring ? e.args[0].get() : &e;
        if (v->kind != Expr::variable) {
            diags_.error(e.pos, "expected a variable");
            return;
        }
        expr(e);
    }

    void numeric(const Expr& e, const char* what) {
        expr(e);
        if (e.is_string()) diags_.error(e.pos, std::string(what) + " must be numeric");
    }

    void string_expr(const Expr& e, const char* what) {
        expr(e);
        if (!e.is_string()) diags_.error(e.pos, std::string(what) + " must be a string");
    }

    void same_type(const Expr& a, const Expr& b, const char* what) {
        expr(b);
        if (a.is_string() != b.is_string()) {
            std::string message = what;
            message += a.is_string() ? " must be a string expression" : " must be numeric";
            diags_.error(b.pos, message);
        }
    }

    static bool is_condition(const Expr& e) {
        return (e.kind == Expr::binary && precedence(e.text, false) <= 1) ||
               (e.kind == Expr::unary && e.text == "NOT");
    }

    // A condition: relations joined by AND, OR and NOT.
    void condition(const Expr& e) {
        if (e.kind == Expr::unary && e.text == "NOT") {
            condition(*e.args[0]);
            return;
        }
        if (e.kind == Expr::binary && (e.text == "AND" || e.text == "OR")) {
            condition(*e.args[0]);
            condition(*e.args[1]);
            return;
        }
        if (e.kind != Expr::binary || precedence(e.text, false) != 1) {
            diags_.error(e.pos, "a condition is expected here (a relation: =, <>, <, >, <=, >=)");
            expr(e);
            return;
        }
        const Expr& a = *e.args[0];
        const Expr& b = *e.args[1];
        expr(a);
        expr(b);
        if (a.is_string() != b.is_string())
            diags_.error(b.pos, a.is_string() ? "a string expression is expected here"
                                              : "a numeric expression is expected here");
    }

    void variable(const Expr& e) {
        bool str = e.is_string();
        if (proc_) {
            if (const Param* p = proc_->param(e.text)) {
                if ((p->dims > 0) != e.subscripted)
                    diags_.error(e.pos, p->dims > 0 ? e.text + " is an array parameter"
                                                    : e.text + " is not an array");
                else if (p->dims > 0 && size_t(p->dims) != e.args.size())
                    diags_.error(e.pos, "the array " + e.text + " has " + std::to_string(p->dims) +
                                            " dimensions, not " + std::to_string(e.args.size()));
                for (const ExprPtr& a : e.args)
                    numeric(*a, "a subscript");
                return;
            }
            // A function's own name is its result.
            if (proc_->is_function() && e.text == proc_->head->name && !e.subscripted) return;
        }
        if (sym_.is_shared(e.text)) { // a SHARED variable of a library source
            auto it = sym_.shared.arrays.find(e.text);
            if ((it != sym_.shared.arrays.end()) != e.subscripted)
                diags_.error(e.pos, e.text + (e.subscripted ? " is a SHARED simple variable"
                                                            : " is a SHARED array"));
            else if (e.subscripted && it->second.bounds.size() != e.args.size())
                diags_.error(e.pos, "the array " + e.text + " has " +
                                        std::to_string(it->second.bounds.size()) +
                                        " dimensions, not " + std::to_string(e.args.size()));
            for (const ExprPtr& a : e.args)
                numeric(*a, "a subscript");
            return;
        }
        Scope& sc = scope();
        if (e.subscripted) {
            auto it = sc.arrays.find(e.text);
            if (it != sc.arrays.end() && it->second.bounds.size() != e.args.size())
                diags_.error(e.pos, "the array " + e.text + " has " +
                                        std::to_string(it->second.bounds.size()) +
                                        " dimensions, not " + std::to_string(e.args.size()));
            if ((str ? sc.strings : sc.numbers).count(e.text))
                diags_.error(e.pos, e.text + " is a simple variable and an array");
            for (const ExprPtr& a : e.args)
                numeric(*a, "a subscript");
        } else {
            if (sc.arrays.count(e.text))
                diags_.error(e.pos, e.text + " is an array and a simple variable");
            (str ? sc.strings : sc.numbers).insert(e.text);
        }
    }

    void function_call(const Expr& e) {
        auto it = sym_.procedures.find(e.text);
        if (it != sym_.procedures.end()) {
            if (!it->second.is_function())
                diags_.error(e.pos, e.text + " is a SUB: CALL it");
            else
                arguments(it->second, e.args, e.pos);
            return;
        }
        if (!is_builtin(e.text)) {
            diags_.error(e.pos, "the function " + e.text + " is not defined");
            return;
        }
        for (const ExprPtr& a : e.args)
            expr(*a);
        const Builtin* b = find_builtin(e.text, e.args.size());
        if (!b) {
            std::string counts;
            for (const Builtin& row : builtins)
                if (e.text == row.name)
                    counts += (counts.empty() ? "" : " or ") +
                              std::to_string(std::string_view(row.args).size()) +
                              (std::string_view(row.args).ends_with('*') ? " or more" : "");
            diags_.error(e.pos,
                         e.text + " takes " + counts + " argument" + (counts == "1" ? "" : "s"));
            return;
        }
        for (size_t i = 0; i < e.args.size() && b->args[i] != '*'; ++i) {
            bool want_string = b->args[i] == 'S';
            if (e.args[i]->is_string() != want_string)
                diags_.error(e.args[i]->pos, e.text + (want_string ? " takes a string here"
                                                                   : " takes a number here"));
        }
    }

    void expr(const Expr& e) {
        switch (e.kind) {
        case Expr::variable: variable(e); break;
        case Expr::call: function_call(e); break;
        case Expr::substring:
            expr(*e.args[0]);
            numeric(*e.args[1], "a substring's first position");
            numeric(*e.args[2], "a substring's last position");
            break;
        case Expr::unary:
            if (e.text == "NOT") {
                diags_.error(e.pos, "NOT is allowed only in the condition of IF, ELSEIF, DO or "
                                    "LOOP");
                break;
            }
            numeric(*e.args[0], "the operand of a sign");
            break;
        case Expr::binary: {
            const Expr& a = *e.args[0];
            const Expr& b = *e.args[1];
            expr(a);
            expr(b);
            if (is_condition(e)) {
                // A comparison has no value of its own: it is only ever a condition.
                diags_.error(e.pos, "a comparison (" + e.text +
                                        ") is allowed only as the condition of IF, ELSEIF, DO "
                                        "or LOOP");
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
    bool shared_seen_ = false; // SHARED: its first statement's place
    Pos shared_pos_, start_pos_;
    std::vector<std::pair<std::string, Pos>> shared_at_; // each SHARED name where it is given
    const Procedure* proc_ = nullptr; // the procedure being checked (null: the main program)
    std::vector<OpenBlock> blocks_;
    std::map<std::pair<const Procedure*, std::string>, const Stmt*> handlers_; // by unit, name
    std::vector<std::pair<const Stmt*, const Procedure*>> uses_; // WHEN EXCEPTION USE name
    std::map<const Stmt*, bool> selector_; // SELECT: whether its value is a string
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
