#include "parser.h"

#include "builtins.h"
#include "lexer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <set>
#include <string_view>
#include <unordered_set>

namespace quillet::compiler {

bool Expr::is_string() const {
    switch (kind) {
    case string: return true;
    case variable:
    case call: return !text.empty() && text.back() == '$';
    case binary: return text == "&";
    case substring: return true;
    default: return false;
    }
}

int precedence(const std::string& op, bool unary) {
    if (op == "OR") return -2;
    if (op == "AND") return -1;
    if (op == "NOT") return 0;
    if (unary) return 3;
    if (op == "^") return 5;
    if (op == "*" || op == "/") return 4;
    if (op == "+" || op == "-") return 3;
    if (op == "&") return 2;
    return 1; // relations
}

namespace {

struct SyntaxError {};

// The height of an expression's tree that the parser allows (see Parser::measured).
constexpr int max_expression_depth = 256;

class Parser {
public:
    Parser(std::vector<int> files, Diagnostics& diags, bool library)
        : files_(std::move(files)), diags_(diags), library_(library) {}

    // The files' lines in order, as one program: the first file's, then the next file's.
    Program run() {
        Program program;
        program.file = files_.empty() ? 0 : files_[0];
        program.library = library_;
        std::vector<std::vector<std::vector<Token>>> tokens;
        for (int file : files_) {
            const SourceFile& src = diags_.files[size_t(file)];
            auto& lines = tokens.emplace_back(src.lines.size());
            for (size_t n = 0; n < src.lines.size(); ++n) {
                lines[n] = tokenize_line(src.lines[n], file, int(n) + 1, diags_);
                dotted_names(lines[n]);
                note_function(lines[n]);
            }
        }
        for (size_t k = 0; k < files_.size(); ++k) {
            const SourceFile& src = diags_.files[size_t(files_[k])];
            for (size_t n = 0; n < src.lines.size(); ++n) {
                toks_ = std::move(tokens[k][n]);
                pos_ = 0;
                end_pos_ = Pos{files_[k], int(n) + 1, int(src.lines[n].size()) + 1};
                if (toks_.empty()) continue;
                try {
                    program.lines.push_back(line());
                    const Stmt& s = program.lines.back().stmts.front();
                    if (s.kind == Stmt::module_ && program.module.empty()) program.module = s.name;
                } catch (const SyntaxError&) {
                }
            }
        }
        return program;
    }

    // The names a program defines as functions (FUNCTION, DEF, DECLARE FUNCTION/DEF) are
    // known before any line is parsed, so that NAME(X) in a line above the definition is a
    // call, not an array element.
    void note_function(const std::vector<Token>& t) {
        size_t i = !t.empty() && t[0].kind == Token::number ? 1 : 0;
        auto word = [&](size_t k) { return k < t.size() && t[k].kind == Token::word; };
        if (!word(i)) return;
        if (t[i].text == "DECLARE") {
            if (!word(i + 1) || (t[i + 1].text != "FUNCTION" && t[i + 1].text != "DEF")) return;
            for (size_t k = i + 2; k < t.size(); ++k)
                if (t[k].kind == Token::word) functions_.insert(t[k].text);
        } else if ((t[i].text == "FUNCTION" || t[i].text == "DEF") && word(i + 1)) {
            functions_.insert(t[i + 1].text);
        }
    }

    // A name with a '.' (`qnum.pow10`) is the name of a routine of another module: a library
    // source may CALL one; anywhere else the '.' is refused, and the line with it.
    void dotted_names(std::vector<Token>& t) {
        for (size_t k = 0; k < t.size(); ++k) {
            size_t dot = t[k].kind == Token::word ? t[k].text.find('.') : std::string::npos;
            if (dot == std::string::npos) continue;
            if (library_ && k > 0 && t[k - 1].kind == Token::word && t[k - 1].text == "CALL")
                continue;
            Pos p = t[k].pos;
            p.column += int(dot);
            diags_.error(p, library_ ? "a name with '.' names a routine of another module, "
                                       "which only CALL takes"
                                     : "unexpected character '.'");
            t.clear();
            return;
        }
    }

private:
    // Past the end of the line: the token of kind `end` (a member, so that peek, which the
    // parser calls at every turn, needs no guard of a static and inlines).
    const Token& peek(size_t ahead = 0) const {
        return pos_ + ahead < toks_.size() ? toks_[pos_ + ahead] : none_;
    }
    Pos here() const { return pos_ < toks_.size() ? toks_[pos_].pos : end_pos_; }
    bool at_end() const { return pos_ >= toks_.size(); }
    // Words and symbols as string views: the parser tries many of them at every token.
    bool is_word(std::string_view w, size_t ahead = 0) const {
        return peek(ahead).kind == Token::word && peek(ahead).text == w;
    }
    bool is_symbol(std::string_view s) const {
        return peek().kind == Token::symbol && peek().text == s;
    }
    bool accept_word(std::string_view w) {
        if (!is_word(w)) return false;
        ++pos_;
        return true;
    }
    bool accept_symbol(std::string_view s) {
        if (!is_symbol(s)) return false;
        ++pos_;
        return true;
    }
    [[noreturn]] void fail(const std::string& message) { fail_at(here(), message); }
    [[noreturn]] void fail_at(Pos p, const std::string& message) {
        diags_.error(p, message);
        throw SyntaxError{};
    }
    std::string describe() const {
        if (at_end()) return "the end of the line";
        switch (peek().kind) {
        case Token::string: return "a string";
        case Token::number: return "the number " + peek().text;
        default: return "'" + peek().text + "'";
        }
    }
    void expect_symbol(const char* s) {
        if (!accept_symbol(s)) fail(std::string("expected '") + s + "', found " + describe());
    }
    void expect_word(const char* w) {
        if (!accept_word(w)) fail(std::string("expected ") + w + ", found " + describe());
    }
    // GO TO and GO SUB may be written in two words.
    bool accept_two(const char* one, const char* first, const char* second) {
        if (accept_word(one)) return true;
        if (is_word(first) && is_word(second, 1)) {
            pos_ += 2;
            return true;
        }
        return false;
    }

    Line line() {
        Line l;
        l.pos = here();
        if (peek().kind == Token::number) {
            const std::string& digits = peek().text;
            if (digits.find_first_not_of("0123456789") != std::string::npos)
                fail("a line number is a whole number");
            l.number = digits.size() > 5 ? 100000 : std::stol(digits);
            if (l.number < 1 || l.number > 99999) fail("line numbers go from 1 to 99999");
            ++pos_;
            if (at_end()) fail("a line number without a statement");
        }
        l.stmts.push_back(statement());
        if (!at_end()) fail("unexpected " + describe() + " after the statement");
        return l;
    }

    int target_line() {
        if (peek().kind != Token::number ||
            peek().text.find_first_not_of("0123456789") != std::string::npos)
            fail("expected a line number, found " + describe());
        long n = peek().text.size() > 5 ? 100000 : std::stol(peek().text);
        ++pos_;
        return int(n);
    }

    Stmt statement() {
        Stmt s;
        s.pos = here();
        if (peek().kind != Token::word) fail("expected a statement, found " + describe());
        std::string w = peek().text;
        // IMAGE: format, the lexer's rest of a line that begins so; elsewhere IMAGE may name a
        // variable.
        if (w == "IMAGE" && peek(1).kind == Token::symbol && peek(1).text == ":" &&
            peek(2).kind == Token::rest) {
            s.kind = Stmt::image;
            s.name = peek(2).text;
            pos_ += 3;
            return s;
        }
        // BIF, MODULE, START and SHARED followed by a name are statements of library sources;
        // elsewhere the words may name variables.
        if ((w == "BIF" || w == "MODULE" || w == "START" || w == "SHARED") &&
            peek(1).kind == Token::word) {
            if (!library_) fail(w + " is only available in library sources");
            ++pos_;
            if (w == "SHARED") {
                s.kind = Stmt::shared;
                do
                    s.dims.push_back(dim_item(true));
                while (accept_symbol(","));
                return s;
            }
            s.kind = w == "BIF" ? Stmt::bif : w == "START" ? Stmt::start : Stmt::module_;
            if (s.kind == Stmt::start) {
                s.name = peek().text;
                ++pos_;
                return s;
            }
            s.name = peek().text;
            std::transform(s.name.begin(), s.name.end(), s.name.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            ++pos_;
            if (s.kind == Stmt::bif && accept_symbol("(") && !accept_symbol(")")) {
                do
                    s.list.push_back(operand());
                while (accept_symbol(","));
                expect_symbol(")");
            }
            return s;
        }
        // LET may be left out: a line that begins with a variable and '=' (or a substring).
        if (!is_keyword(w)) {
            s.kind = Stmt::let;
            s.target = variable();
            expect_symbol("=");
            s.value = expression();
            return s;
        }
        ++pos_;
        if (w == "LET") {
            s.kind = Stmt::let;
            s.target = variable();
            expect_symbol("=");
            s.value = expression();
        } else if (w == "PRINT") {
            s.kind = Stmt::print;
            bool to_channel = channel(s);
            // PRINT #n, USING format: values (or PRINT #n: items).
            bool comma = to_channel && accept_symbol(",");
            if (comma && !is_word("USING")) fail("expected USING after '#n,', found " + describe());
            if (to_channel && !comma && !at_end()) expect_symbol(":");
            // USING starts a format, unless it is a variable printed alone or first.
            const Token& next = peek(1);
            if (is_word("USING") &&
                (comma || !(next.kind == Token::end || (next.kind == Token::symbol &&
                                                        (next.text == "," || next.text == ";"))))) {
                ++pos_;
                using_list(s);
            } else {
                print_list(s);
            }
        } else if (accept_two_after(w, "GOTO", "GO", "TO")) {
            s.kind = Stmt::go_to;
            Pos p = here();
            s.lines.push_back({target_line(), p});
        } else if (accept_two_after(w, "GOSUB", "GO", "SUB")) {
            s.kind = Stmt::go_sub;
            Pos p = here();
            s.lines.push_back({target_line(), p});
        } else if (w == "RETURN") {
            s.kind = Stmt::ret;
        } else if (w == "IF") {
            s.value = expression();
            expect_word("THEN");
            if (at_end()) {
                s.kind = Stmt::if_block;
            } else {
                s.kind = Stmt::if_then;
                branch(s.then_part);
                if (accept_word("ELSE")) branch(s.else_part);
            }
        } else if (w == "ELSEIF") {
            s.kind = Stmt::else_if;
            s.value = expression();
            expect_word("THEN");
        } else if (w == "ELSE") {
            s.kind = Stmt::else_;
        } else if (w == "SELECT") {
            s.kind = Stmt::select;
            expect_word("CASE");
            s.value = expression();
        } else if (w == "CASE") {
            if (accept_word("ELSE")) {
                s.kind = Stmt::case_else;
            } else {
                s.kind = Stmt::case_;
                do
                    s.cases.push_back(case_test());
                while (accept_symbol(","));
            }
        } else if (w == "DO" || w == "LOOP") {
            s.kind = w == "DO" ? Stmt::do_ : Stmt::loop;
            if (accept_word("WHILE") || (s.until = accept_word("UNTIL"))) s.value = expression();
        } else if (w == "EXIT") {
            if (accept_word("DO")) {
                s.kind = Stmt::exit_do;
            } else if (accept_word("FOR")) {
                s.kind = Stmt::exit_for;
            } else if (accept_word("HANDLER")) {
                s.kind = Stmt::exit_handler;
            } else if (is_word("SUB") || is_word("FUNCTION") || is_word("DEF")) {
                s.kind = Stmt::exit_routine;
                s.word = peek().text;
                ++pos_;
            } else {
                fail("expected DO, FOR, SUB, FUNCTION, DEF or HANDLER after EXIT, found " +
                     describe());
            }
        } else if (w == "SUB" || w == "FUNCTION") {
            s.kind = w == "SUB" ? Stmt::sub : Stmt::function;
            s.word = w;
            routine_head(s, w == "SUB");
            function_ = w == "SUB" ? "" : s.name;
        } else if (w == "CALL") {
            s.kind = Stmt::call;
            // A library's SUB may carry a keyword's name (SUB select): a name stands here.
            if (peek().kind != Token::word || (is_keyword(peek().text) && !library_))
                fail("expected the name of a SUB, found " + describe());
            s.name = peek().text;
            ++pos_;
            if (accept_symbol("(")) {
                if (!accept_symbol(")")) {
                    do
                        s.list.push_back(s.name.find('.') == std::string::npos ? expression()
                                                                               : operand());
                    while (accept_symbol(","));
                    expect_symbol(")");
                }
            }
        } else if (w == "DECLARE") {
            s.kind = Stmt::declare;
            if (!is_word("FUNCTION") && !is_word("DEF") && !is_word("SUB"))
                fail("expected FUNCTION, DEF or SUB after DECLARE, found " + describe());
            s.word = peek().text;
            ++pos_;
            do {
                if (peek().kind != Token::word) fail("expected a name, found " + describe());
                Param p;
                p.pos = here();
                p.name = peek().text;
                s.params.push_back(p);
                ++pos_;
            } while (accept_symbol(","));
        } else if (w == "WHEN") {
            // WHEN EXCEPTION IN ... USE ... END WHEN, or WHEN EXCEPTION USE name ... END WHEN
            // with the handler in a HANDLER block of that name.
            s.kind = Stmt::when;
            expect_word("EXCEPTION");
            if (accept_word("USE")) {
                s.name = name_word("the name of a HANDLER");
            } else {
                expect_word("IN");
            }
        } else if (w == "HANDLER") {
            s.kind = Stmt::handler;
            s.name = name_word("the name of the HANDLER");
        } else if (w == "USE") {
            s.kind = Stmt::use;
        } else if (w == "CAUSE") {
            s.kind = Stmt::cause;
            expect_word("EXCEPTION");
            s.value = expression();
            if (accept_symbol(",")) s.message = expression();
        } else if (w == "RETRY") {
            s.kind = Stmt::retry;
        } else if (w == "CONTINUE") {
            s.kind = Stmt::continue_;
        } else if (w == "LINE") {
            s.kind = Stmt::line_input;
            expect_word("INPUT");
            if (channel(s)) {
                expect_symbol(":");
            } else if (accept_word("PROMPT")) {
                s.message = expression();
                expect_symbol(":");
            }
            do
                s.list.push_back(variable());
            while (accept_symbol(","));
        } else if (w == "OPEN") {
            s.kind = Stmt::open;
            if (!channel(s)) fail("expected #n after OPEN, found " + describe());
            expect_symbol(":");
            expect_word("NAME");
            s.value = expression();
            while (accept_symbol(",")) {
                if (accept_word("ACCESS")) {
                    s.access = option({"OUTIN", "INPUT", "OUTPUT"}, "ACCESS");
                } else if (accept_word("CREATE")) {
                    s.create = option({"NEWOLD", "NEW", "OLD"}, "CREATE");
                } else if (accept_word("ORGANIZATION") || accept_word("ORGANISATION")) {
                    if (accept_word("RECORD")) {
                        if (!s.recsize) s.recsize = number_node(128);
                    } else if (!accept_word("TEXT")) {
                        fail("expected TEXT or RECORD after ORGANIZATION, found " + describe());
                    }
                } else if (accept_word("RECSIZE")) {
                    s.recsize = concatenation();
                } else {
                    fail("expected ACCESS, CREATE, ORGANIZATION or RECSIZE, found " + describe());
                }
            }
        } else if (w == "WRITE") {
            s.kind = Stmt::write;
            if (!channel(s)) fail("expected #n after WRITE, found " + describe());
            expect_symbol(":");
            do
                s.list.push_back(expression());
            while (accept_symbol(","));
        } else if (w == "SET") {
            s.kind = Stmt::set_pointer;
            if (!channel(s)) fail("expected #n after SET, found " + describe());
            expect_symbol(":");
            if (accept_word("POINTER")) {
                s.word = option({"BEGIN", "END"}, "POINTER") == 0 ? "BEGIN" : "END";
            } else if (accept_word("RECORD")) {
                s.word = "RECORD";
                s.value = concatenation();
            } else {
                fail("expected POINTER or RECORD after SET #n:, found " + describe());
            }
        } else if (w == "ASK") {
            s.kind = Stmt::ask;
            if (!channel(s)) fail("expected #n after ASK, found " + describe());
            expect_symbol(":");
            do {
                s.words.push_back(option({"FILESIZE", "RECORD"}, "ASK #n:") == 0 ? "FILESIZE"
                                                                                 : "RECORD");
                s.list.push_back(variable());
            } while (accept_symbol(","));
        } else if (w == "CLOSE" || w == "ERASE") {
            s.kind = w == "CLOSE" ? Stmt::close : Stmt::erase;
            if (!channel(s)) fail("expected #n after " + w + ", found " + describe());
        } else if (w == "FOR") {
            s.kind = Stmt::for_;
            s.target = variable();
            if (s.target->subscripted || s.target->is_string())
                fail_at(s.target->pos, "the control variable of FOR is a simple numeric variable");
            expect_symbol("=");
            s.value = expression();
            expect_word("TO");
            s.limit = expression();
            if (accept_word("STEP")) s.step = expression();
        } else if (w == "NEXT") {
            s.kind = Stmt::next;
            if (at_end()) return s; // NEXT alone closes the innermost FOR
            ExprPtr v = variable();
            if (v->subscripted || v->is_string())
                fail_at(v->pos, "NEXT names a simple numeric variable");
            s.name = v->text;
            s.target = std::move(v);
        } else if (w == "END") {
            s.kind = Stmt::end;
            if (accept_word("IF")) {
                s.kind = Stmt::end_if;
            } else if (accept_word("SELECT")) {
                s.kind = Stmt::end_select;
            } else if (accept_word("WHEN")) {
                s.kind = Stmt::end_when;
            } else if (accept_word("HANDLER")) {
                s.kind = Stmt::end_handler;
            } else if (is_word("SUB") || is_word("FUNCTION") || is_word("DEF")) {
                s.kind = Stmt::end_routine;
                s.word = peek().text;
                ++pos_;
                function_.clear();
            }
        } else if (w == "STOP") {
            s.kind = Stmt::stop;
        } else if (w == "READ" || w == "INPUT") {
            s.kind = w == "READ" ? Stmt::read : Stmt::input;
            if (channel(s)) {
                expect_symbol(":");
            } else if (w == "INPUT" && accept_word("PROMPT")) {
                s.message = expression();
                expect_symbol(":");
            }
            do
                s.list.push_back(variable());
            while (accept_symbol(","));
        } else if (w == "DATA") {
            s.kind = Stmt::data_list;
            data_list(s);
        } else if (w == "RESTORE") {
            s.kind = Stmt::restore;
        } else if (w == "DIM") {
            s.kind = Stmt::dim;
            do
                s.dims.push_back(dim_item());
            while (accept_symbol(","));
        } else if (w == "DEF") {
            // DEF NAME(params) = expression on one line; without '=' a multi-line DEF, which
            // is a FUNCTION.
            s.word = "DEF";
            routine_head(s, false);
            if (accept_symbol("=")) {
                s.kind = Stmt::def;
                auto f = std::make_unique<Expr>();
                f->kind = Expr::call;
                f->pos = s.params.empty() ? s.pos : s.pos;
                f->text = s.name;
                s.target = std::move(f);
                s.value = expression();
            } else {
                s.kind = Stmt::function;
                function_ = s.name;
            }
        } else if (w == "ON") {
            s.kind = Stmt::on_goto;
            s.value = expression();
            if (!accept_two("GOTO", "GO", "TO")) fail("expected GOTO, found " + describe());
            do {
                Pos p = here();
                s.lines.push_back({target_line(), p});
            } while (accept_symbol(","));
        } else if (w == "REM") {
            s.kind = Stmt::rem;
        } else if (w == "OPTION") {
            s.kind = Stmt::option_base;
            expect_word("BASE");
            if (peek().kind != Token::number || (peek().text != "0" && peek().text != "1"))
                fail("OPTION BASE is 0 or 1");
            s.number = peek().text == "1";
            ++pos_;
        } else if (w == "RANDOMIZE") {
            s.kind = Stmt::randomize;
        } else {
            fail_at(s.pos, "unknown statement " + w);
        }
        return s;
    }

    // An operand of BIF or of CALL module.routine: an expression, where the name of the
    // function being defined, alone, is its result (as on the left of LET), not a call.
    ExprPtr operand() {
        ExprPtr e = expression();
        if (e->kind == Expr::call && e->args.empty() && e->text == function_)
            e->kind = Expr::variable;
        return e;
    }

    // The keyword just read, or two words ("GO TO") of which the first was just read.
    bool accept_two_after(const std::string& w, const char* one, const char* first,
                          const char* second) {
        if (w == one) return true;
        if (w == first && accept_word(second)) return true;
        return false;
    }

    // What follows THEN or ELSE on one line: a line number (GOTO) or one statement.
    void branch(Block& part) {
        Stmt b;
        b.pos = here();
        if (peek().kind == Token::number) {
            b.kind = Stmt::go_to;
            b.lines.push_back({target_line(), b.pos});
        } else {
            if (is_word("IF")) fail("IF on one line cannot hold another IF");
            b = statement();
            if (b.kind == Stmt::if_block || b.kind == Stmt::do_ || b.kind == Stmt::for_ ||
                b.kind == Stmt::select || b.kind == Stmt::sub || b.kind == Stmt::function ||
                b.kind == Stmt::when || b.kind == Stmt::data_list || b.kind == Stmt::def)
                fail_at(b.pos, "this statement cannot stand in an IF on one line");
        }
        part.push_back(std::move(b));
    }

    ExprPtr number_node(double v) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::number;
        e->pos = here();
        e->value = v;
        e->text = std::to_string(long(v));
        return e;
    }

    // A name (of a HANDLER).
    std::string name_word(const char* what) {
        if (peek().kind != Token::word || is_keyword(peek().text))
            fail(std::string("expected ") + what + ", found " + describe());
        return toks_[pos_++].text;
    }

    // #n: a channel.
    bool channel(Stmt& s) {
        if (!accept_symbol("#")) return false;
        s.channel = concatenation();
        return true;
    }

    // One of the words of an OPEN option; its index.
    int option(std::initializer_list<const char*> words, const char* what) {
        int k = 0;
        for (const char* word : words) {
            if (accept_word(word)) return k;
            ++k;
        }
        std::string list;
        for (const char* word : words)
            list += (list.empty() ? "" : ", ") + std::string(word);
        fail(std::string("expected ") + list + " after " + what + ", found " + describe());
    }

    CaseTest case_test() {
        CaseTest t;
        if (accept_word("IS")) {
            t.kind = CaseTest::is;
            static const char* const relations[] = {"=", "<>", "<", ">", "<=", ">="};
            for (const char* r : relations)
                if (is_symbol(r)) t.op = r;
            if (t.op.empty()) fail("expected a relation after IS, found " + describe());
            ++pos_;
            t.low = concatenation();
            return t;
        }
        t.low = concatenation();
        if (accept_word("TO")) {
            t.kind = CaseTest::range;
            t.high = concatenation();
        }
        return t;
    }

    // NAME[(params)] of SUB, FUNCTION and DEF. A parameter is a simple variable or an array
    // written with its commas: A(), B$(,).
    void routine_head(Stmt& s, bool sub) {
        if (peek().kind != Token::word || (is_keyword(peek().text) && !(library_ && sub)))
            fail(std::string("expected the name of the ") + (sub ? "SUB" : "function") +
                 ", found " + describe());
        s.name = peek().text;
        ++pos_;
        if (!accept_symbol("(")) return;
        if (accept_symbol(")")) return;
        do {
            Param p;
            p.pos = here();
            // VALUE x: a library's SUB takes x by value (the code generator passes constants).
            if (is_word("VALUE") && peek(1).kind == Token::word) {
                if (!library_) fail("VALUE is only available in library sources");
                if (!sub) fail("a function takes its parameters by value already");
                p.by_value = true;
                ++pos_;
            }
            if (peek().kind != Token::word || is_keyword(peek().text))
                fail("expected a parameter, found " + describe());
            p.name = peek().text;
            ++pos_;
            if (accept_symbol("(")) {
                p.dims = 1;
                while (accept_symbol(","))
                    ++p.dims;
                expect_symbol(")");
            }
            for (const Param& q : s.params)
                if (q.name == p.name) fail_at(p.pos, "the parameter " + p.name + " is given twice");
            s.params.push_back(p);
        } while (accept_symbol(","));
        expect_symbol(")");
    }

    // After USING: the format, then `: values` separated by ',' with an optional ';' at the end
    // (the values are the statement's items, a comma item between two).
    void using_list(Stmt& s) {
        // A line number alone names an IMAGE line.
        if (peek().kind == Token::number &&
            (peek(1).kind == Token::end || (peek(1).kind == Token::symbol && peek(1).text == ":") ||
             (peek(1).kind == Token::word && peek(1).text == "ELSE"))) {
            s.format = number_node(0);
            s.format->value = target_line();
            s.format->text = std::to_string(long(s.format->value));
        } else {
            s.format = expression();
        }
        if (!accept_symbol(":")) return;
        for (;;) {
            PrintItem item;
            item.value = expression();
            s.items.push_back(std::move(item));
            if (accept_symbol(",")) {
                s.items.push_back(PrintItem{PrintItem::comma, nullptr});
                continue;
            }
            if (accept_symbol(";")) s.items.push_back(PrintItem{PrintItem::semicolon, nullptr});
            break;
        }
        if (!at_end() && !is_word("ELSE"))
            fail("expected ',' or the end of the statement after a USING value, found " +
                 describe());
    }

    void print_list(Stmt& s) {
        while (!at_end() && !is_word("ELSE")) {
            PrintItem item;
            if (accept_symbol(",")) {
                item.kind = PrintItem::comma;
            } else if (accept_symbol(";")) {
                item.kind = PrintItem::semicolon;
            } else if (is_word("TAB") && peek(1).kind == Token::symbol && peek(1).text == "(") {
                pos_ += 2;
                item.kind = PrintItem::tab;
                item.value = expression();
                expect_symbol(")");
            } else {
                item.value = expression();
                if (!s.items.empty() && s.items.back().kind != PrintItem::comma &&
                    s.items.back().kind != PrintItem::semicolon)
                    fail_at(item.value->pos, "print items are separated by ',' or ';'");
            }
            if (item.kind == PrintItem::tab && !s.items.empty() &&
                s.items.back().kind != PrintItem::comma &&
                s.items.back().kind != PrintItem::semicolon)
                fail_at(item.value->pos, "print items are separated by ',' or ';'");
            s.items.push_back(std::move(item));
        }
    }

    void data_list(Stmt& s) {
        const Token& rest = peek();
        ++pos_;
        const std::string& t = rest.text;
        size_t i = 0;
        for (;;) {
            while (i < t.size() && t[i] == ' ')
                ++i;
            DataItem d;
            d.pos = rest.pos;
            d.pos.column += int(i);
            if (i < t.size() && t[i] == '"') {
                size_t close = t.find('"', i + 1);
                if (close == std::string::npos) fail_at(d.pos, "unterminated string in DATA");
                d.text = t.substr(i + 1, close - i - 1);
                d.quoted = true;
                i = close + 1;
                while (i < t.size() && t[i] == ' ')
                    ++i;
            } else {
                size_t comma = t.find(',', i);
                size_t stop = comma == std::string::npos ? t.size() : comma;
                d.text = t.substr(i, stop - i);
                while (!d.text.empty() && d.text.back() == ' ')
                    d.text.pop_back();
                if (d.text.find('"') != std::string::npos)
                    fail_at(d.pos, "a quote inside an unquoted DATA item");
                i = stop;
            }
            if (!d.quoted && d.text.empty()) fail_at(d.pos, "an empty DATA item");
            if (!d.quoted) {
                size_t bad = d.text.find_first_not_of(
                    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 +-.");
                if (bad != std::string::npos) {
                    Pos p = d.pos;
                    p.column += int(bad);
                    std::string message = "the character '";
                    message += d.text[bad];
                    message += "' cannot stand in an unquoted DATA item (quote it)";
                    fail_at(p, message);
                }
            }
            s.data.push_back(std::move(d));
            if (i >= t.size()) break;
            if (t[i] != ',') {
                Pos p = rest.pos;
                p.column += int(i);
                fail_at(p, "expected ',' between DATA items");
            }
            ++i;
        }
    }

    // An array of DIM; with `simple`, SHARED's item: a simple variable or an array.
    ArrayDim dim_item(bool simple = false) {
        ArrayDim d;
        d.pos = here();
        if (peek().kind != Token::word || (simple && is_keyword(peek().text)))
            fail(std::string(simple ? "expected a variable" : "expected an array name") +
                 ", found " + describe());
        d.name = peek().text;
        ++pos_;
        if (simple && !is_symbol("(")) return d;
        expect_symbol("(");
        do {
            long first = bound();
            if (accept_word("TO"))
                d.bounds.push_back({first, bound()});
            else if (first < 0)
                fail_at(d.pos, "an upper bound alone cannot be negative (write LOW TO HIGH)");
            else
                d.bounds.push_back({base_bound, first});
        } while (accept_symbol(","));
        expect_symbol(")");
        return d;
    }

    // A bound of DIM: a whole number, maybe negative.
    long bound() {
        bool negative = accept_symbol("-");
        if (peek().kind != Token::number ||
            peek().text.find_first_not_of("0123456789") != std::string::npos)
            fail("an array bound is a whole number");
        long n = peek().text.size() > 9 ? 1000000000 : std::stol(peek().text);
        ++pos_;
        return negative ? -n : n;
    }

    ExprPtr variable() {
        Pos p = here();
        if (peek().kind != Token::word) fail("expected a variable, found " + describe());
        auto v = std::make_unique<Expr>();
        v->kind = Expr::variable;
        v->pos = p;
        v->text = peek().text;
        if (is_keyword(v->text)) fail("expected a variable, found the keyword " + v->text);
        ++pos_;
        return subscripts(std::move(v));
    }

    // The subscripts and substring of a variable whose name was read: A(I, J), S$(I:J),
    // S$(K)(I:J).
    ExprPtr subscripts(ExprPtr v) {
        if (!accept_symbol("(")) return v;
        ExprPtr first = expression();
        if (v->is_string() && accept_symbol(":")) return substring(std::move(v), std::move(first));
        v->subscripted = true;
        v->args.push_back(std::move(first));
        while (accept_symbol(","))
            v->args.push_back(expression());
        expect_symbol(")");
        return substring_after(measured(std::move(v)));
    }

    // `(FROM:TO)` after a string element or a string function's value, when there is one.
    ExprPtr substring_after(ExprPtr v) {
        if (!v->is_string() || !is_symbol("(")) return v;
        ++pos_;
        ExprPtr from = expression();
        expect_symbol(":");
        return substring(std::move(v), std::move(from));
    }

    // After `(FROM:`: the rest of a substring of `v`.
    ExprPtr substring(ExprPtr v, ExprPtr from) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::substring;
        e->pos = v->pos;
        e->args.push_back(std::move(v));
        e->args.push_back(std::move(from));
        e->args.push_back(expression());
        expect_symbol(")");
        return measured(std::move(e));
    }

    static bool is_keyword(const std::string& w) {
        static const char* const words[] = {
            "LET",    "PRINT",  "GOTO",     "GOSUB",    "RETURN", "IF",      "THEN",    "FOR",
            "TO",     "STEP",   "NEXT",     "END",      "STOP",   "READ",    "DATA",    "DIM",
            "DEF",    "ON",     "INPUT",    "REM",      "TAB",    "OPTION",  "RESTORE", "RANDOMIZE",
            "ELSE",   "ELSEIF", "SELECT",   "CASE",     "IS",     "DO",      "LOOP",    "WHILE",
            "UNTIL",  "EXIT",   "SUB",      "FUNCTION", "CALL",   "DECLARE", "WHEN",    "USE",
            "CAUSE",  "RETRY",  "CONTINUE", "LINE",     "AND",    "OR",      "NOT",     "GO",
            "PROMPT", "OPEN",   "CLOSE",    "ERASE",    "WRITE",  "SET",     "ASK",     "HANDLER"};
        // Looked up for every name the parser reads: a hash table, not the list.
        static const std::unordered_set<std::string_view> set(std::begin(words), std::end(words));
        return set.count(w) > 0;
    }

    // `e` with its height set from its operands'. A long chain of operators (`2^2^2^...`, a
    // thousand `+` on a line) is a tree as high as its length, and the passes after the parser
    // walk it recursively: past max_expression_depth it is refused here.
    ExprPtr measured(ExprPtr e) {
        for (const ExprPtr& a : e->args)
            e->depth = std::max(e->depth, a->depth + 1);
        if (e->depth > max_expression_depth)
            fail_at(e->pos, "the expression is nested too deeply (more than " +
                                std::to_string(max_expression_depth) +
                                " operators or calls inside one another)");
        return e;
    }

    ExprPtr make_binary(std::string op, Pos p, ExprPtr a, ExprPtr b) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::binary;
        e->text = std::move(op);
        e->pos = p;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return measured(std::move(e));
    }

    // Conditions: OR of ANDs of NOTs of relations. Only conditions (IF, ELSEIF, DO, LOOP) may
    // hold them; the checker says so elsewhere.
    ExprPtr expression() {
        ExprPtr a = conjunction();
        while (is_word("OR")) {
            Pos p = here();
            ++pos_;
            a = make_binary("OR", p, std::move(a), conjunction());
        }
        return a;
    }

    ExprPtr conjunction() {
        ExprPtr a = negation();
        while (is_word("AND")) {
            Pos p = here();
            ++pos_;
            a = make_binary("AND", p, std::move(a), negation());
        }
        return a;
    }

    ExprPtr negation() {
        if (!is_word("NOT")) return relation();
        if (++depth_ > 200) fail("the expression is nested too deeply");
        auto u = std::make_unique<Expr>();
        u->kind = Expr::unary;
        u->pos = here();
        u->text = "NOT";
        ++pos_;
        u->args.push_back(negation());
        --depth_;
        return measured(std::move(u));
    }

    ExprPtr relation() {
        ExprPtr a = concatenation();
        static const char* const relations[] = {"=", "<>", "<", ">", "<=", ">="};
        for (const char* r : relations)
            if (is_symbol(r)) {
                Pos p = here();
                ++pos_;
                ExprPtr b = concatenation();
                return make_binary(r, p, std::move(a), std::move(b));
            }
        return a;
    }

    ExprPtr concatenation() {
        ExprPtr a = additive();
        while (is_symbol("&")) {
            Pos p = here();
            ++pos_;
            a = make_binary("&", p, std::move(a), additive());
        }
        return a;
    }

    // An operand read by `next`, with the sign in front of it when there is one.
    ExprPtr signed_operand(ExprPtr (Parser::*next)()) {
        if (!is_symbol("-") && !is_symbol("+")) return (this->*next)();
        auto u = std::make_unique<Expr>();
        u->kind = Expr::unary;
        u->pos = here();
        u->text = peek().text;
        ++pos_;
        u->args.push_back((this->*next)());
        return measured(std::move(u));
    }

    ExprPtr additive() {
        ExprPtr a = signed_operand(&Parser::term);
        while (is_symbol("+") || is_symbol("-")) {
            std::string op = peek().text;
            Pos p = here();
            ++pos_;
            a = make_binary(op, p, std::move(a), term());
        }
        return a;
    }

    ExprPtr term() {
        ExprPtr a = factor();
        while (is_symbol("*") || is_symbol("/")) {
            std::string op = peek().text;
            Pos p = here();
            ++pos_;
            a = make_binary(op, p, std::move(a), factor());
        }
        return a;
    }

    ExprPtr factor() {
        ExprPtr a = primary();
        while (is_symbol("^")) {
            Pos p = here();
            ++pos_;
            a = make_binary("^", p, std::move(a), signed_operand(&Parser::primary));
        }
        return a;
    }

    ExprPtr primary() {
        if (++depth_ > 200) fail("the expression is nested too deeply");
        struct Leave {
            int& d;
            ~Leave() { --d; }
        } leave{depth_};
        Pos p = here();
        auto e = std::make_unique<Expr>();
        e->pos = p;
        if (peek().kind == Token::number) {
            e->kind = Expr::number;
            e->text = peek().text;
            errno = 0;
            e->value = std::strtod(e->text.c_str(), nullptr);
            // A library source writes infinity so (1E999), on purpose.
            if (std::isinf(e->value) && !library_) {
                diags_.warning(p,
                               "numeric constant overflow: " + e->text + " is taken as infinity");
            } else if (errno == ERANGE &&
                       (e->value == 0 || std::fpclassify(e->value) == FP_SUBNORMAL)) {
                // Below the smallest normal number: 0, as the engine stores such a result.
                e->value = 0;
                diags_.warning(p, "numeric constant underflow: " + e->text + " is taken as 0");
            }
            ++pos_;
            return e;
        }
        if (peek().kind == Token::string) {
            e->kind = Expr::string;
            e->text = peek().text;
            ++pos_;
            return e;
        }
        if (accept_symbol("(")) {
            ExprPtr inner = expression();
            expect_symbol(")");
            return inner;
        }
        if (peek().kind == Token::word && !is_keyword(peek().text)) {
            e->text = peek().text;
            ++pos_;
            if (is_builtin(e->text) || functions_.count(e->text) ||
                e->text.compare(0, 2, "FN") == 0) {
                e->kind = Expr::call;
                if (accept_symbol("(")) {
                    do
                        e->args.push_back(expression());
                    while (accept_symbol(","));
                    expect_symbol(")");
                    e = measured(std::move(e));
                }
                return substring_after(std::move(e));
            }
            e->kind = Expr::variable;
            return subscripts(std::move(e));
        }
        fail("expected an expression, found " + describe());
    }

    std::vector<int> files_;
    Diagnostics& diags_;
    std::vector<Token> toks_;
    const Token none_{}; // see peek
    size_t pos_ = 0;
    Pos end_pos_;
    int depth_ = 0;
    std::set<std::string> functions_; // names defined by FUNCTION, DEF or DECLARE
    bool library_ = false;            // a library source (BIF, MODULE, CALL module.routine)
    std::string function_;            // the FUNCTION or DEF whose lines are being parsed
};

} // namespace

Program parse_program(const std::vector<int>& files, Diagnostics& diags, bool library) {
    return Parser(files, diags, library).run();
}

} // namespace quillet::compiler
