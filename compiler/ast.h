// The syntax tree of a Quillet BASIC program.
#pragma once

#include "source.h"

#include <memory>
#include <string>
#include <vector>

namespace quillet::compiler {

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    enum Kind { number, string, variable, call, unary, binary } kind = number;
    Pos pos;
    std::string text;          // number: as written; string: the bytes; variable/call: the name;
                               // unary/binary: the operator
    double value = 0;          // number
    std::vector<ExprPtr> args; // call: arguments; variable: subscripts; unary/binary: operands
    bool subscripted = false;  // variable: an array element (`A(1)`)
    bool is_string() const;
};

struct PrintItem {
    enum Kind { expr, comma, semicolon, tab } kind = expr;
    ExprPtr value; // expr, tab
};

struct DataItem {
    Pos pos;
    std::string text; // the datum as written (without the quotes of a quoted string)
    bool quoted = false;
};

struct ArrayDim {
    Pos pos;
    std::string name;
    std::vector<std::pair<long, long>> bounds; // lower bound (-1: the option base), upper bound
};

struct Stmt {
    enum Kind {
        let,
        print,
        go_to,
        go_sub,
        ret,
        if_then,
        for_,
        next,
        end,
        stop,
        read,
        data_list,
        restore,
        dim,
        def,
        on_goto,
        input,
        rem,
        option_base,
        randomize
    } kind = rem;
    Pos pos;
    ExprPtr target;            // let: the variable; for: the control variable; def: the FN
    ExprPtr value;             // let, def: the expression; if: the condition; for: start; on
    ExprPtr limit, step;       // for
    std::vector<ExprPtr> list; // read, input: the variables; def: the parameter
    std::vector<PrintItem> items;
    std::vector<DataItem> data;
    std::vector<ArrayDim> dims;
    std::vector<std::pair<int, Pos>> lines; // goto, gosub, if, on: target line numbers
    long number = 0;                        // option base
    std::string name;                       // next: the variable
};

struct Line {
    Pos pos;
    long number = 0;
    std::vector<Stmt> stmts;
};

struct Program {
    int file = 0;
    std::vector<Line> lines;
};

// Operators by binding strength.
int precedence(const std::string& op, bool unary);

// The program as canonical source text: the parser's test (parsing the text again gives the
// same text).
std::string print_program(const Program& program);
std::string print_expr(const Expr& e);

} // namespace quillet::compiler
