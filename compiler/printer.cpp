// The syntax tree as canonical source text.
#include "ast.h"

namespace quillet::compiler {

namespace {

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// `min` is the weakest operator the context accepts without parentheses.
std::string expr_text(const Expr& e, int min) {
    std::string out;
    int prec = 6;
    switch (e.kind) {
    case Expr::number: out = e.text; break;
    case Expr::string: out = quoted(e.text); break;
    case Expr::variable:
    case Expr::call:
        out = e.text;
        if (!e.args.empty() || e.subscripted) {
            out += "(";
            for (size_t i = 0; i < e.args.size(); ++i)
                out += (i ? ", " : "") + print_expr(*e.args[i]);
            out += ")";
        }
        break;
    case Expr::substring:
        out = expr_text(*e.args[0], 6) + "(" + print_expr(*e.args[1]) + ":" +
              print_expr(*e.args[2]) + ")";
        break;
    case Expr::unary:
        prec = precedence(e.text, true);
        out = e.text + (e.text == "NOT" ? " " : "") + expr_text(*e.args[0], prec + 1);
        break;
    case Expr::binary:
        prec = precedence(e.text, false);
        // Relations do not chain; the other operators associate to the left.
        out = expr_text(*e.args[0], prec == 1 ? 2 : prec) + " " + e.text + " " +
              expr_text(*e.args[1], prec + 1);
        break;
    }
    return prec < min ? "(" + out + ")" : out;
}

std::string params_text(const Stmt& s) {
    if (s.params.empty()) return "";
    std::string out = "(";
    for (size_t i = 0; i < s.params.size(); ++i) {
        out +=
            (i ? ", " : "") + std::string(s.params[i].by_value ? "VALUE " : "") + s.params[i].name;
        if (s.params[i].dims > 0) out += "(" + std::string(size_t(s.params[i].dims - 1), ',') + ")";
    }
    return out + ")";
}

std::string case_text(const CaseTest& t) {
    switch (t.kind) {
    case CaseTest::value: return print_expr(*t.low);
    case CaseTest::range: return print_expr(*t.low) + " TO " + print_expr(*t.high);
    case CaseTest::is: return "IS " + t.op + " " + print_expr(*t.low);
    }
    return "";
}

std::string stmt_text(const Stmt& s);

std::string part_text(const Block& part) {
    std::string out;
    for (const Stmt& b : part)
        out += b.kind == Stmt::go_to ? std::to_string(b.lines[0].first) : stmt_text(b);
    return out;
}

std::string stmt_text(const Stmt& s) {
    auto lines = [&](size_t from) {
        std::string out;
        for (size_t i = from; i < s.lines.size(); ++i)
            out += (i > from ? ", " : "") + std::to_string(s.lines[i].first);
        return out;
    };
    auto list = [&]() {
        std::string out;
        for (size_t i = 0; i < s.list.size(); ++i)
            out += (i ? ", " : "") + print_expr(*s.list[i]);
        return out;
    };
    switch (s.kind) {
    case Stmt::let: return "LET " + print_expr(*s.target) + " = " + print_expr(*s.value);
    case Stmt::print: {
        std::string out = "PRINT";
        if (s.format) {
            if (s.channel) out += " #" + print_expr(*s.channel) + ",";
            out += " USING " + print_expr(*s.format) + (s.items.empty() ? "" : ":");
            for (const PrintItem& item : s.items)
                out += item.kind == PrintItem::comma       ? ","
                       : item.kind == PrintItem::semicolon ? ";"
                                                           : " " + print_expr(*item.value);
            return out;
        }
        if (s.channel) out += " #" + print_expr(*s.channel) + (s.items.empty() ? "" : ":");
        bool first = true;
        for (const PrintItem& item : s.items) {
            switch (item.kind) {
            case PrintItem::comma: out += ","; break;
            case PrintItem::semicolon: out += ";"; break;
            case PrintItem::tab:
                out += (first ? " TAB(" : "TAB(") + print_expr(*item.value) + ")";
                break;
            case PrintItem::expr: out += (first ? " " : "") + print_expr(*item.value); break;
            }
            first = false;
        }
        return out;
    }
    case Stmt::go_to: return "GOTO " + lines(0);
    case Stmt::go_sub: return "GOSUB " + lines(0);
    case Stmt::ret: return "RETURN";
    case Stmt::if_then:
        return "IF " + print_expr(*s.value) + " THEN " + part_text(s.then_part) +
               (s.else_part.empty() ? "" : " ELSE " + part_text(s.else_part));
    case Stmt::if_block: return "IF " + print_expr(*s.value) + " THEN";
    case Stmt::else_if: return "ELSEIF " + print_expr(*s.value) + " THEN";
    case Stmt::else_: return "ELSE";
    case Stmt::end_if: return "END IF";
    case Stmt::select: return "SELECT CASE " + print_expr(*s.value);
    case Stmt::case_: {
        std::string out = "CASE ";
        for (size_t i = 0; i < s.cases.size(); ++i)
            out += (i ? ", " : "") + case_text(s.cases[i]);
        return out;
    }
    case Stmt::case_else: return "CASE ELSE";
    case Stmt::end_select: return "END SELECT";
    case Stmt::do_:
    case Stmt::loop:
        return std::string(s.kind == Stmt::do_ ? "DO" : "LOOP") +
               (s.value ? (s.until ? " UNTIL " : " WHILE ") + print_expr(*s.value) : "");
    case Stmt::exit_do: return "EXIT DO";
    case Stmt::exit_for: return "EXIT FOR";
    case Stmt::sub:
    case Stmt::function: return s.word + " " + s.name + params_text(s);
    case Stmt::end_routine: return "END " + s.word;
    case Stmt::exit_routine: return "EXIT " + s.word;
    case Stmt::call: return "CALL " + s.name + (s.list.empty() ? "" : "(" + list() + ")");
    case Stmt::declare: {
        std::string out = "DECLARE " + s.word + " ";
        for (size_t i = 0; i < s.params.size(); ++i)
            out += (i ? ", " : "") + s.params[i].name;
        return out;
    }
    case Stmt::line_input:
        if (s.channel) return "LINE INPUT #" + print_expr(*s.channel) + ": " + list();
        return "LINE INPUT " + (s.message ? "PROMPT " + print_expr(*s.message) + ": " : "") +
               list();
    case Stmt::open: {
        static const char* const access[] = {"OUTIN", "INPUT", "OUTPUT"};
        static const char* const create[] = {"NEWOLD", "NEW", "OLD"};
        return "OPEN #" + print_expr(*s.channel) + ": NAME " + print_expr(*s.value) + ", ACCESS " +
               access[s.access] + ", CREATE " + create[s.create] +
               (s.recsize ? ", ORGANIZATION RECORD, RECSIZE " + print_expr(*s.recsize) : "");
    }
    case Stmt::write: return "WRITE #" + print_expr(*s.channel) + ": " + list();
    case Stmt::set_pointer:
        return "SET #" + print_expr(*s.channel) + ": " +
               (s.word == "RECORD" ? "RECORD " + print_expr(*s.value) : "POINTER " + s.word);
    case Stmt::ask: {
        std::string out = "ASK #" + print_expr(*s.channel) + ": ";
        for (size_t i = 0; i < s.list.size(); ++i)
            out += (i ? ", " : "") + s.words[i] + " " + print_expr(*s.list[i]);
        return out;
    }
    case Stmt::close: return "CLOSE #" + print_expr(*s.channel);
    case Stmt::erase: return "ERASE #" + print_expr(*s.channel);
    case Stmt::when: return s.name.empty() ? "WHEN EXCEPTION IN" : "WHEN EXCEPTION USE " + s.name;
    case Stmt::handler: return "HANDLER " + s.name;
    case Stmt::end_handler: return "END HANDLER";
    case Stmt::image: return "IMAGE:" + s.name;
    case Stmt::module_: return "MODULE " + s.name;
    case Stmt::start: return "START " + s.name;
    case Stmt::bif: return "BIF " + s.name + (s.list.empty() ? "" : "(" + list() + ")");
    case Stmt::use: return "USE";
    case Stmt::end_when: return "END WHEN";
    case Stmt::cause:
        return "CAUSE EXCEPTION " + print_expr(*s.value) +
               (s.message ? ", " + print_expr(*s.message) : "");
    case Stmt::retry: return "RETRY";
    case Stmt::continue_: return "CONTINUE";
    case Stmt::exit_handler: return "EXIT HANDLER";
    case Stmt::for_:
        return "FOR " + print_expr(*s.target) + " = " + print_expr(*s.value) + " TO " +
               print_expr(*s.limit) + (s.step ? " STEP " + print_expr(*s.step) : "");
    case Stmt::next: return s.name.empty() ? "NEXT" : "NEXT " + s.name;
    case Stmt::end: return "END";
    case Stmt::stop: return "STOP";
    case Stmt::read:
        return "READ " + (s.channel ? "#" + print_expr(*s.channel) + ": " : "") + list();
    case Stmt::input:
        if (s.channel) return "INPUT #" + print_expr(*s.channel) + ": " + list();
        return "INPUT " + (s.message ? "PROMPT " + print_expr(*s.message) + ": " : "") + list();
    case Stmt::data_list: {
        std::string out = "DATA ";
        for (size_t i = 0; i < s.data.size(); ++i)
            out += (i ? ", " : "") + (s.data[i].quoted ? quoted(s.data[i].text) : s.data[i].text);
        return out;
    }
    case Stmt::restore: return "RESTORE";
    case Stmt::dim:
    case Stmt::shared: {
        std::string out = s.kind == Stmt::dim ? "DIM " : "SHARED ";
        for (size_t i = 0; i < s.dims.size(); ++i) {
            out += (i ? ", " : "") + s.dims[i].name;
            if (s.dims[i].bounds.empty()) continue;
            out += "(";
            for (size_t k = 0; k < s.dims[i].bounds.size(); ++k) {
                auto [low, high] = s.dims[i].bounds[k];
                out += (k ? ", " : "") + (low == base_bound ? "" : std::to_string(low) + " TO ") +
                       std::to_string(high);
            }
            out += ")";
        }
        return out;
    }
    case Stmt::def: return "DEF " + s.name + params_text(s) + " = " + print_expr(*s.value);
    case Stmt::on_goto: return "ON " + print_expr(*s.value) + " GOTO " + lines(0);
    case Stmt::rem: return "REM";
    case Stmt::option_base: return "OPTION BASE " + std::to_string(s.number);
    case Stmt::randomize: return "RANDOMIZE";
    }
    return "";
}

} // namespace

std::string print_expr(const Expr& e) {
    return expr_text(e, precedence("OR", false));
}

std::string print_program(const Program& program) {
    std::string out;
    for (const Line& l : program.lines)
        for (const Stmt& s : l.stmts)
            out += (l.number ? std::to_string(l.number) + " " : "") + stmt_text(s) + "\n";
    return out;
}

} // namespace quillet::compiler
