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
    enum Kind { number, string, variable, call, unary, binary, substring } kind = number;
    Pos pos;
    std::string text;          // number: as written; string: the bytes; variable/call: the name;
                               // unary/binary: the operator
    double value = 0;          // number
    std::vector<ExprPtr> args; // call: arguments; variable: subscripts; unary/binary: operands;
                               // substring: the string, first and last position
    bool subscripted = false;  // variable: an array element (`A(1)`)
    int depth = 1;             // the tree's height from here (the parser bounds it)
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
    std::vector<std::pair<long, long>> bounds; // lower bound (or base_bound), upper bound
};

// The lower bound of a dimension written without one: OPTION BASE's.
inline constexpr long base_bound = -2147483647L - 1;

// One test of a CASE: a value, a range `A TO B`, or `IS op A`.
struct CaseTest {
    enum Kind { value, range, is } kind = value;
    std::string op; // is: the relation
    ExprPtr low, high;
};

// A parameter of a SUB, FUNCTION or DEF: a simple variable or an array (`A()`, `B$(,)`).
struct Param {
    Pos pos;
    std::string name;
    int dims = 0;          // 0: a simple variable
    bool by_value = false; // VALUE x in a library source's SUB: taken by value
};

struct Stmt;
using Block = std::vector<Stmt>;

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
        randomize,
        if_block,     // IF cond THEN at the end of its line
        else_if,      // ELSEIF cond THEN
        else_,        // ELSE
        end_if,       // END IF
        select,       // SELECT CASE value
        case_,        // CASE tests
        case_else,    // CASE ELSE
        end_select,   // END SELECT
        do_,          // DO [WHILE|UNTIL cond]
        loop,         // LOOP [WHILE|UNTIL cond]
        exit_do,      // EXIT DO
        exit_for,     // EXIT FOR
        sub,          // SUB name(params)
        function,     // FUNCTION name(params), or DEF name(params) without '='
        end_routine,  // END SUB, END FUNCTION, END DEF
        exit_routine, // EXIT SUB, EXIT FUNCTION, EXIT DEF
        call,         // CALL name(args)
        declare,      // DECLARE FUNCTION/DEF/SUB names
        line_input,   // LINE INPUT [PROMPT s:] variables
        when,         // WHEN EXCEPTION IN
        use,          // USE
        end_when,     // END WHEN
        cause,        // CAUSE EXCEPTION code[, message]
        retry,        // RETRY
        continue_,    // CONTINUE
        exit_handler, // EXIT HANDLER
        open,         // OPEN #n: NAME name [, ACCESS ...] [, CREATE ...] [, ORGANIZATION TEXT]
        close,        // CLOSE #n
        erase,        // ERASE #n
        write,        // WRITE #n: values (a record file)
        set_pointer,  // SET #n: POINTER BEGIN/END, SET #n: RECORD k
        ask,          // ASK #n: FILESIZE v, RECORD v
        handler,      // HANDLER name
        end_handler,  // END HANDLER
        image,        // IMAGE: format (name: the format as written)
        module_,      // MODULE name (library sources only)
        bif,          // BIF name(operands) (library sources only)
        start,        // START name: the image's start routine (library sources only)
        shared        // SHARED variables in the start routine's frame (library sources only)
    } kind = rem;
    Pos pos;
    ExprPtr target;            // let: the variable; for: the control variable; def: the FN
    ExprPtr value;             // let, def: the expression; if: the condition; for: start; on
    ExprPtr limit, step;       // for
    std::vector<ExprPtr> list; // read, input: the variables; def: the parameter
    std::vector<PrintItem> items;
    std::vector<DataItem> data;
    std::vector<ArrayDim> dims;             // dim; shared (a simple variable has no bounds)
    std::vector<std::pair<int, Pos>> lines; // goto, gosub, if, on: target line numbers
    long number = 0;                        // option base
    std::string name;   // next: the variable; sub, function, call, end/exit routine, module,
                        // bif: the name
    bool until = false; // do, loop: UNTIL rather than WHILE (when `value` holds a condition)
    std::vector<CaseTest> cases;   // case
    std::vector<Param> params;     // sub, function, def
    Block then_part, else_part;    // IF on one line: the statements after THEN and ELSE
    std::unique_ptr<Expr> message; // cause: the message; line input: the prompt
    std::string word;              // end/exit routine, declare: SUB, FUNCTION or DEF
    ExprPtr channel; // print, input, line input, open, close, erase: #n (null: the console)
    ExprPtr format;  // print: USING's format (null: a plain PRINT); its values are the items
    int access = 0;  // open: 0 OUTIN, 1 INPUT, 2 OUTPUT
    int create = 2;  // open: 0 NEWOLD, 1 NEW, 2 OLD
    ExprPtr recsize; // open: RECSIZE of a record file (null: a text file)
    std::vector<std::string> words; // ask: FILESIZE or RECORD for each variable
};

struct Line {
    Pos pos;
    long number = 0; // 0: a line without a number
    std::vector<Stmt> stmts;
};

struct Program {
    int file = 0;
    std::vector<Line> lines;
    // A library source: its procedures are the routines of the module it names (MODULE name),
    // it has no main program, and BIF and CALL module.routine are allowed.
    bool library = false;
    std::string module; // a library source's module, in lower case
};

// Operators by binding strength.
int precedence(const std::string& op, bool unary);

// The program as canonical source text: the parser's test (parsing the text again gives the
// same text).
std::string print_program(const Program& program);
std::string print_expr(const Expr& e);

} // namespace quillet::compiler
