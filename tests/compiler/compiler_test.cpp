#include "assembler.h"
#include "bcode/image.h"
#include "compiler.h"
#include "parser.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace quillet::compiler;

namespace {

std::string reprint(const std::string& text, Diagnostics& diags) {
    int file = read_source("t.bas", text, diags);
    if (file < 0) return "";
    return print_program(parse_program({file}, diags));
}

std::string compile_errors(const std::string& text, const std::string& more = "") {
    Diagnostics diags;
    CompileOutput out;
    std::vector<SourceInput> sources = {{"t.bas", text}};
    if (!more.empty()) sources.push_back({"u.bas", more});
    EXPECT_FALSE(compile_program(sources, diags, out));
    return diags.render();
}

} // namespace

// The printer writes the tree canonically; printing the parse of that text gives it again, so
// every statement's parts and the operators' binding survive the round trip.
TEST(Parser, PrintsCanonicalTextThatParsesToTheSameTree) {
    const std::string source = "10 let x=-a*b^2+(c-d)/e\n"
                               "20 print \"A\"\"B\";x,tab(5);-(x+1)\n"
                               "30 if a$<>\"Q\" then 10\n"
                               "35 IF (A+B)*C>=2^(-1) THEN 30\n"
                               "40 for i=1 to 10 step -2\n"
                               "50 next i\n"
                               "60 go to 10\n"
                               "70 gosub 10\n"
                               "80 on x+1 go to 10,20,30\n"
                               "90 dim a(10),b(3,4)\n"
                               "100 def fna(z)=z*z-2^3^2\n"
                               "110 read a,b$,c(1,2)\n"
                               "120 data 1.5e3, \"x, y\", abc def,-0\n"
                               "130 option base 1\n"
                               "140 rem anything at all: \"\n"
                               "150 print\n"
                               "160 randomize\n"
                               "170 restore\n"
                               "180 return\n"
                               "190 stop\n"
                               "200 end\n";
    Diagnostics diags;
    std::string printed = reprint(source, diags);
    EXPECT_EQ(diags.render(), "");
    EXPECT_EQ(printed, "10 LET X = -A * B ^ 2 + (C - D) / E\n"
                       "20 PRINT \"A\"\"B\";X,TAB(5);-(X + 1)\n"
                       "30 IF A$ <> \"Q\" THEN 10\n"
                       "35 IF (A + B) * C >= 2 ^ (-1) THEN 30\n"
                       "40 FOR I = 1 TO 10 STEP -2\n"
                       "50 NEXT I\n"
                       "60 GOTO 10\n"
                       "70 GOSUB 10\n"
                       "80 ON X + 1 GOTO 10, 20, 30\n"
                       "90 DIM A(10), B(3, 4)\n"
                       "100 DEF FNA(Z) = Z * Z - 2 ^ 3 ^ 2\n"
                       "110 READ A, B$, C(1, 2)\n"
                       "120 DATA 1.5e3, \"x, y\", abc def, -0\n"
                       "130 OPTION BASE 1\n"
                       "140 REM\n"
                       "150 PRINT\n"
                       "160 RANDOMIZE\n"
                       "170 RESTORE\n"
                       "180 RETURN\n"
                       "190 STOP\n"
                       "200 END\n");
    EXPECT_EQ(reprint(printed, diags), printed);
    // Parentheses the tree needs are kept, others are not: (A - B) - C is A - B - C.
    EXPECT_EQ(reprint("1 LET X=(A-B)-C-(D-E)-(F*G)\n", diags),
              "1 LET X = A - B - C - (D - E) - F * G\n");
    EXPECT_EQ(diags.error_count(), 0);
}

// Every faulty line is reported in one run, as FILE:LINE:COLUMN with the line and a caret.
// Structured statements survive the round trip too, in a program without line numbers.
TEST(Parser, PrintsStructuredStatements) {
    const std::string source = "declare function f, g$\n"
                               "if not a = 1 and (b$ < \"x\" or c >= 2) then\n"
                               "elseif a <> 2 then\n"
                               "else\n"
                               "end if\n"
                               "if a = 1 then print \"one\" else 20\n"
                               "select case n$(2:k + 1)\n"
                               "case \"a\", \"c\" to \"e\", is > \"x\"\n"
                               "case else\n"
                               "end select\n"
                               "do while a < 3\n"
                               "exit do\n"
                               "loop\n"
                               "do\n"
                               "loop until a = 3\n"
                               "for i = 1 to 2\n"
                               "exit for\n"
                               "next\n"
                               "sub s(x, y$, m(,), w$())\n"
                               "exit sub\n"
                               "end sub\n"
                               "function f(x)\n"
                               "end function\n"
                               "def g$(z$) = z$ & \"!\"\n"
                               "call s(1, a$, m, w$)\n"
                               "when exception in\n"
                               "cause exception 7, \"no\"\n"
                               "use\n"
                               "retry\n"
                               "continue\n"
                               "exit handler\n"
                               "end when\n"
                               "line input prompt \"? \": a$, b$\n"
                               "input prompt \"n\": n\n"
                               "dim v(-2 to 2, 3), t$(5)\n"
                               "x$(1:2) = y$(3)(1:1)\n"
                               "open #k + 1: name \"f\" & x$, access input, create new\n"
                               "open #2: name \"g\", organization text\n"
                               "print #1: a; b$, tab(3);\n"
                               "input #1: x, y$\n"
                               "line input #2: a$\n"
                               "print using \"##.# <##\": a, b$;\n"
                               "print #1, using f$: using$(f$, 1, \"x\")\n"
                               "print using f$\n"
                               "print using\n"
                               "if a = 1 then print using 10: a else print using \"#\": 2\n"
                               "image:  ##.## <# x \n"
                               "close #1\n"
                               "erase #2\n"
                               "open #3: name \"r\", organization record, recsize 16\n"
                               "write #3: 1, a$\n"
                               "read #3: x, b$(2)\n"
                               "set #3: pointer end\n"
                               "set #3: record k + 1\n"
                               "ask #3: filesize n, record r\n"
                               "when exception use fix\n"
                               "end when\n"
                               "handler fix\n"
                               "end handler\n";
    Diagnostics diags;
    std::string printed = reprint(source, diags);
    EXPECT_EQ(diags.render(), "");
    EXPECT_EQ(printed,
              "DECLARE FUNCTION F, G$\n"
              "IF NOT A = 1 AND (B$ < \"x\" OR C >= 2) THEN\n"
              "ELSEIF A <> 2 THEN\n"
              "ELSE\n"
              "END IF\n"
              "IF A = 1 THEN PRINT \"one\" ELSE 20\n"
              "SELECT CASE N$(2:K + 1)\n"
              "CASE \"a\", \"c\" TO \"e\", IS > \"x\"\n"
              "CASE ELSE\n"
              "END SELECT\n"
              "DO WHILE A < 3\n"
              "EXIT DO\n"
              "LOOP\n"
              "DO\n"
              "LOOP UNTIL A = 3\n"
              "FOR I = 1 TO 2\n"
              "EXIT FOR\n"
              "NEXT\n"
              "SUB S(X, Y$, M(,), W$())\n"
              "EXIT SUB\n"
              "END SUB\n"
              "FUNCTION F(X)\n"
              "END FUNCTION\n"
              "DEF G$(Z$) = Z$ & \"!\"\n"
              "CALL S(1, A$, M, W$)\n"
              "WHEN EXCEPTION IN\n"
              "CAUSE EXCEPTION 7, \"no\"\n"
              "USE\n"
              "RETRY\n"
              "CONTINUE\n"
              "EXIT HANDLER\n"
              "END WHEN\n"
              "LINE INPUT PROMPT \"? \": A$, B$\n"
              "INPUT PROMPT \"n\": N\n"
              "DIM V(-2 TO 2, 3), T$(5)\n"
              "LET X$(1:2) = Y$(3)(1:1)\n"
              "OPEN #K + 1: NAME \"f\" & X$, ACCESS INPUT, CREATE NEW\n"
              "OPEN #2: NAME \"g\", ACCESS OUTIN, CREATE OLD\n"
              "PRINT #1: A;B$,TAB(3);\n"
              "INPUT #1: X, Y$\n"
              "LINE INPUT #2: A$\n"
              "PRINT USING \"##.# <##\": A, B$;\n"
              "PRINT #1, USING F$: USING$(F$, 1, \"x\")\n"
              "PRINT USING F$\n"
              "PRINT USING\n"
              "IF A = 1 THEN PRINT USING 10: A ELSE PRINT USING \"#\": 2\n"
              "IMAGE:  ##.## <# x\n"
              "CLOSE #1\n"
              "ERASE #2\n"
              "OPEN #3: NAME \"r\", ACCESS OUTIN, CREATE OLD, ORGANIZATION RECORD, RECSIZE 16\n"
              "WRITE #3: 1, A$\n"
              "READ #3: X, B$(2)\n"
              "SET #3: POINTER END\n"
              "SET #3: RECORD K + 1\n"
              "ASK #3: FILESIZE N, RECORD R\n"
              "WHEN EXCEPTION USE FIX\n"
              "END WHEN\n"
              "HANDLER FIX\n"
              "END HANDLER\n");
    EXPECT_EQ(reprint(printed, diags), printed);
    EXPECT_EQ(diags.error_count(), 0);
}

// Blocks that do not match, procedures used wrongly and statements out of their place are each
// reported at their line.
TEST(Diagnostics, ReportsStructureFaults) {
    auto has = [](const std::string& text, const std::string& what) {
        EXPECT_NE(text.find(what), std::string::npos) << "missing: " << what << "\n" << text;
    };
    std::string text = compile_errors("if a = 1 then\n"     // 1: no END IF
                                      "else\n"              // 2
                                      "elseif a = 2 then\n" // 3: after ELSE
                                      "do\n"                // 4
                                      "next i\n"            // 5: closes no FOR
                                      "loop\n"              // 6
                                      "case 1\n"            // 7: outside SELECT
                                      "exit do\n"           // 8: outside DO
                                      "retry\n"             // 9: outside a handler
                                      "call nothing\n"      // 10: no such SUB
                                      "call s(1)\n"         // 11: two arguments
                                      "call s(v, 1)\n"      // 12: v is no array
                                      "print f(1, 2) + g\n" // 13: f takes one; g is a SUB
                                      "select case a\n"     // 14
                                      "case \"x\"\n"        // 15: a string for a number
                                      "end select\n"        // 16
                                      "if a then print 1\n" // 17: no relation
                                      "let b = not a = 1\n" // 18: NOT outside a condition
                                      "10 print\n"          // 19: a number in an unnumbered
                                      "end\n"               // 20
                                      "sub s(m(), x)\n"     // 21
                                      "end function\n"      // 22: closes a SUB
                                      "function f(x)\n"     // 23
                                      "sub g\n"             // 24: inside f
                                      "end sub\n"           // 25
                                      "print 1\n");         // 26: after END, outside
    has(text, "t.bas:1:1: error: IF without its END IF");
    has(text, "t.bas:3:1: error: ELSEIF after ELSE");
    has(text, "t.bas:5:6: error: NEXT I does not close any FOR");
    has(text, "t.bas:7:1: error: CASE outside its block");
    has(text, "t.bas:8:1: error: EXIT DO outside a DO loop");
    has(text, "t.bas:9:1: error: RETRY outside a handler");
    has(text, "t.bas:10:1: error: there is no SUB NOTHING");
    has(text, "t.bas:11:1: error: S takes 2 arguments");
    has(text, "t.bas:12:8: error: the parameter M is an array");
    has(text, "t.bas:13:7: error: F takes 1 argument");
    has(text, "t.bas:15:6: error: the selector is numeric");
    has(text, "t.bas:17:4: error: a condition is expected here");
    has(text, "t.bas:18:9: error: NOT is allowed only in the condition");
    has(text, "t.bas:19:1: error: a line number in a program whose lines have none");
    has(text, "t.bas:22:1: error: END FUNCTION closes the SUB S");
    has(text, "t.bas:24:1: error: a SUB inside the function F");
    has(text, "t.bas:26:1: error: a line after the END statement");
    // A WHEN that names a handler has no USE of its own, and names one of its program unit.
    text = compile_errors("when exception use nowhere\nuse\nend when\nend\nsub s\nhandler h\n"
                          "end handler\nend sub\n");
    has(text, "t.bas:1:1: error: there is no HANDLER NOWHERE in this program unit");
    has(text, "t.bas:2:1: error: USE in a WHEN whose handler is HANDLER NOWHERE");
    // A USING format is a string; USING$ takes a format and at least one value.
    text = compile_errors("print using x: 1\nprint using$(\"#\")\nprint using$(2, 3)\n"
                          "print #1, 2\nend\n");
    has(text, "t.bas:1:13: error: the format of USING must be a string");
    has(text, "t.bas:2:7: error: USING$ takes 2 or more arguments");
    has(text, "t.bas:3:14: error: USING$ takes a string here");
    has(text, "t.bas:4:11: error: expected USING after '#n,', found the number 2");
    // PRINT USING N names an IMAGE line of its own program unit.
    text = compile_errors("10 print using 30: 1\n20 print using 99\n25 print using 50: 1\n"
                          "30 end\n40 sub s\n50 image: #\n60 end sub\n");
    has(text, "t.bas:1:16: error: line 30 is not an IMAGE line");
    has(text, "t.bas:2:16: error: there is no line 99");
    has(text, "t.bas:3:16: error: line 50 is in another program unit or procedure");
}

TEST(Diagnostics, ReportsEveryErrorWithItsLineAndCaret) {
    std::string text = compile_errors("10 LET A = (1 + 2\n"
                                      "20 GOTO 99\n"
                                      "30 LET B$ = 5\n"
                                      "40 PRINT \"open\n"
                                      "50 FOR I = 1 TO 2\n"
                                      "60 NEXT J\n"
                                      "70 LET A9(1) = 2\n"
                                      "80 DATA X?Y\n"
                                      "90 END\n"
                                      "100 PRINT\n");
    EXPECT_EQ(
        text,
        "t.bas:1:18: error: expected ')', found the end of the line\n"
        "10 LET A = (1 + 2\n"
        "                 ^\n"
        "t.bas:2:9: error: there is no line 99\n"
        "20 GOTO 99\n"
        "        ^\n"
        "t.bas:3:13: error: the value assigned must be a string expression\n"
        "30 LET B$ = 5\n"
        "            ^\n"
        "t.bas:4:10: error: unterminated string (no closing quote on this line)\n"
        "40 PRINT \"open\n"
        "         ^\n"
        "t.bas:5:4: error: FOR I without its NEXT\n"
        "50 FOR I = 1 TO 2\n"
        "   ^\n"
        "t.bas:6:9: error: NEXT J does not close FOR I\n"
        "60 NEXT J\n"
        "        ^\n"
        "t.bas:7:8: error: A9 is used as an array without DIM (only one-letter arrays need none)\n"
        "70 LET A9(1) = 2\n"
        "       ^\n"
        "t.bas:8:10: error: the character '?' cannot stand in an unquoted DATA item (quote it)\n"
        "80 DATA X?Y\n"
        "         ^\n"
        "t.bas:10:5: error: a line after the END statement (only procedures may follow it)\n"
        "100 PRINT\n"
        "    ^\n");
    // The source line is shown as written, in UTF-8.
    EXPECT_NE(
        compile_errors("10 PRINT \"\xE2\x82\xAC\" + 1\n20 END\n")
            .find("t.bas:1:10: error: arithmetic on a string\n10 PRINT \"\xE2\x82\xAC\" + 1\n"),
        std::string::npos);
    EXPECT_NE(compile_errors("10 PRINT 1\n").find("must end with an END statement"),
              std::string::npos);
    EXPECT_NE(compile_errors("10 FOR I=1 TO 2\n20 GOTO 30\n30 NEXT I\n40 GOTO 20\n50 END\n")
                  .find("t.bas:4:9: error: a jump into the body of the FOR loop at line 10"),
              std::string::npos);
    // A comparison has no value: outside IF's condition it is refused, not compiled into a call
    // that passes a string where a number goes (once an internal error).
    std::string compared = compile_errors("10 PRINT TAB(5);A$=B$,\"X\"<\"Y\"\n"
                                          "20 LET A = (B < C) + 1\n"
                                          "30 IF A = B = C THEN 10\n"
                                          "40 IF A$ <> B$ THEN 10\n"
                                          "50 END\n");
    EXPECT_NE(compared.find("t.bas:1:19: error: a comparison (=) is allowed only as the condition "
                            "of IF"),
              std::string::npos)
        << compared;
    EXPECT_NE(compared.find("t.bas:1:26: error: a comparison (<)"), std::string::npos);
    EXPECT_NE(compared.find("t.bas:2:"), std::string::npos);
    EXPECT_NE(compared.find("t.bas:3:"), std::string::npos);
    EXPECT_EQ(compared.find("t.bas:4:"), std::string::npos);
}

// Input that is no BASIC source gets one clear message, never a crash; a flood of errors is
// cut short.
TEST(Diagnostics, RefusesBinaryAndMalformedInput) {
    std::string many;
    for (int i = 1; i <= 150; ++i)
        many += std::to_string(i) + " GOTO 999\n";
    std::string flood = compile_errors(many + "151 END\n");
    EXPECT_NE(flood.find("t.bas:100:10: error: there is no line 999"), std::string::npos);
    EXPECT_EQ(flood.find("t.bas:101:"), std::string::npos);
    EXPECT_NE(flood.find("\n50 more errors are not shown\n"), std::string::npos);
    EXPECT_NE(compile_errors(std::string("10 PRINT\0\x01\x02", 11)).find("binary file"),
              std::string::npos);
    EXPECT_NE(compile_errors("10 PRINT \"\xC3\x28\"\n")
                  .find("t.bas:1:11: error: the file is not valid UTF-8"),
              std::string::npos);
    EXPECT_NE(compile_errors("10 PRINT \"\xE4\xB8\xAD\"\n").find("U+4E2D has no Windows-1252 form"),
              std::string::npos);
    EXPECT_NE(compile_errors("10 REM " + std::string(4090, 'x') + "\n")
                  .find("t.bas:1:4097: error: the line is longer than 4096"),
              std::string::npos);
    {
        Diagnostics longest;
        CompileOutput out;
        EXPECT_TRUE(compile_program({{"t.bas", "10 REM " + std::string(4089, 'x') + "\n20 END\n"}},
                                    longest, out))
            << longest.render();
    }
    EXPECT_NE(
        compile_errors("10 LET A = " + std::string(1000, '(') + "1\n").find("nested too deeply"),
        std::string::npos);
    // A chain of operators is a tree as high as it is long: 300 are refused, 250 compiled.
    std::string chain = "1";
    for (int i = 0; i < 300; ++i)
        chain += "+1";
    EXPECT_NE(compile_errors("10 LET A = " + chain + "\n20 END\n").find("nested too deeply"),
              std::string::npos);
    Diagnostics diags;
    CompileOutput out;
    EXPECT_TRUE(compile_program({{"t.bas", "10 LET A = " + chain.substr(0, 501) + "\n20 END\n"}},
                                diags, out))
        << diags.render();
}

// A BOM is skipped and strings become Windows-1252; the image is well-formed.
TEST(Compiler, CompilesToAValidImageWithWindows1252Strings) {
    Diagnostics diags;
    CompileOutput out;
    ASSERT_TRUE(compile_program({{"t.bas", "\xEF\xBB\xBF"
                                           "10 PRINT \"caf\xC3\xA9 \xE2\x82\xAC\"\n20 END\n"}},
                                diags, out))
        << diags.render();
    EXPECT_NE(out.assembly.find("\"caf\\xE9 \\x80\""), std::string::npos);
    EXPECT_NO_THROW(quillet::bcode::read_image(out.image));
}

// Further source files hold external procedures, each file a module of its own; names of
// functions defined in one file are known in the others.
TEST(Compiler, CompilesSeveralFilesIntoModules) {
    Diagnostics diags;
    CompileOutput out;
    ASSERT_TRUE(
        compile_program({{"main.bas", "CALL greet(\"x\")\nPRINT twice(area(2, 3))\nEND\n"
                                      "FUNCTION twice(v)\nLET twice = 2 * v\nEND FUNCTION\n"},
                         {"shapes.bas", "FUNCTION area(w, h)\nLET area = w * h\n"
                                        "END FUNCTION\nSUB greet(a$)\n"
                                        "PRINT a$; twice(1)\nEND SUB\n"}},
                        diags, out))
        << diags.render();
    EXPECT_NE(out.assembly.find("module unit1\n"), std::string::npos);
    EXPECT_NE(out.assembly.find("call unit1.sub_GREET"), std::string::npos);
    EXPECT_NE(out.assembly.find("call main.fn_TWICE"), std::string::npos);
    EXPECT_NO_THROW(quillet::bcode::read_image(out.image));
    // Only procedures stand in a further file, and each file is numbered on its own.
    std::string text = compile_errors("END\n", "PRINT 1\n10 SUB s\n");
    EXPECT_NE(text.find("u.bas:1:1: error: a file of external procedures holds only SUB"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("u.bas:2:1: error: a line number in a program whose lines have none"),
              std::string::npos)
        << text;
}

// A large program's procedures go to modules of their own, and its main routine's code may
// pass 64 KB; its variables may not (operands reach a frame through 16-bit offsets), and the
// message says what to do.
TEST(Compiler, SpreadsLargeProgramsOverModules) {
    std::string program = "DEF half(x) = x / 2\n";
    for (int i = 0; i < 2000; ++i)
        program += "LET total = total + half(" + std::to_string(i) + ")\n";
    Diagnostics diags;
    CompileOutput out;
    ASSERT_TRUE(compile_program({{"t.bas", program + "CALL show(total)\nEND\n"
                                                     "SUB show(t)\nPRINT t\nEND SUB\n"}},
                                diags, out))
        << diags.render();
    EXPECT_NE(out.assembly.find("module proc1\n  internal fn_HALF of main.main"),
              std::string::npos);
    EXPECT_NE(out.assembly.find("call proc2.sub_SHOW"), std::string::npos);
    // 8,300 variables pass the 64 KB of a frame that operands reach (they were once taken
    // modulo 64 KB, one variable for another).
    std::string many;
    for (int i = 0; i < 8300; ++i)
        many += "LET v" + std::to_string(i) + " = 1\n";
    std::string text = compile_errors(many + "END\n");
    EXPECT_NE(text.find("t.bas: error: the program is too large for an image (routine main is "
                        "too large: its variable n_V"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("bytes into its frame, beyond the 64 KB that operands reach); a module's "
                        "tables and routine entries, and a routine's variables, must lie within "
                        "64 KB: move part of the main program into SUBs and FUNCTIONs, each of "
                        "which gets a module and variables of its own"),
              std::string::npos)
        << text;
}

// Labels the generator makes (divisions, IF on one line) are unique across a module's
// routines, and a string DEF on one line gives a string (both were internal errors).
TEST(Compiler, GeneratesEveryRoutineOfAModuleWithItsOwnLabels) {
    Diagnostics diags;
    CompileOutput out;
    EXPECT_TRUE(compile_program({{"t.bas", "LET x = 2\nPRINT 1 / x\nIF x = 2 THEN PRINT \"m\"\n"
                                           "DEF f$(v) = STR$(v) & \"!\"\nPRINT f$(2)\nCALL b(x)\n"
                                           "END\nSUB b(y)\nPRINT 1 / y\n"
                                           "IF y = 2 THEN PRINT \"b\"\nEND SUB\n"}},
                                diags, out))
        << diags.render();
}

// A library source becomes the module it names: its procedures are routines named in lower case
// without `$` (a function may carry a built-in function's name), BIF calls a bif by name and
// CALL module.routine another module's routine; the code has no line statements and divides
// without the program's check. The example of docs/compiler.md is such a source: it assembles
// together with a program and the library.
TEST(Library, CompilesALibrarySourceIntoItsModule) {
    std::ifstream page(QUILLET_SOURCE_DIR "/docs/compiler.md");
    std::stringstream text;
    text << page.rdbuf();
    std::string doc = text.str();
    size_t from = doc.find("```basic\nMODULE ");
    ASSERT_NE(from, std::string::npos) << "no library example in docs/compiler.md";
    from += 9;
    std::string example = doc.substr(from, doc.find("```", from) - from);
    Diagnostics diags;
    std::string assembly;
    ASSERT_TRUE(compile_library({"example.bas", example}, diags, assembly)) << diags.render();
    std::string own;
    ASSERT_TRUE(compile_library({"own.bas", "MODULE qown\nFUNCTION round(x, n)\n"
                                            "BIF ldexp(x, n, round)\nEND FUNCTION\n"
                                            "FUNCTION tenth(x)\nLET tenth = x / 10\n"
                                            "END FUNCTION\nSUB rest$(s$, k)\n"
                                            "CALL qnum.pow10(k + 1, k)\nBIF pos(s$, \"a\", k, k)\n"
                                            "CALL qlib.warn(k, \"text\")\nLET k = -1E999\n"
                                            "END SUB\n"},
                                diags, own))
        << diags.render();
    EXPECT_NE(own.find("module qown\n  routine round name"), std::string::npos) << own;
    EXPECT_NE(own.find("bif ldexp n_X, n_N, result\n"), std::string::npos) << own;
    EXPECT_NE(own.find("div n_X, 10, result\n"), std::string::npos) << own;
    EXPECT_NE(own.find("routine rest name"), std::string::npos) << own;
    EXPECT_NE(own.find("add n_K, 1, t0\n    move t0, t1\n    call qnum.pow10 t1, n_K\n"),
              std::string::npos)
        << own;
    EXPECT_NE(own.find("bif pos s_S, \"a\", n_K, n_K\n"), std::string::npos) << own;
    EXPECT_EQ(own.find("line "), std::string::npos) << own;
    // A constant goes to another module's routine as it is; an overflowing one is infinity,
    // which the library writes on purpose: no warning.
    EXPECT_NE(own.find("call qlib.warn n_K, \"text\"\n"), std::string::npos) << own;
    EXPECT_NE(own.find("move bits 0xFFF0000000000000, n_K\n"), std::string::npos) << own;
    EXPECT_TRUE(diags.list.empty()) << diags.render();
    CompileOutput out;
    ASSERT_TRUE(compile_program({{"t.bas", "PRINT 1\nEND\n"}}, diags, out)) << diags.render();
    EXPECT_NO_THROW(quillet::bcode::write_image(
        quillet::tools::assemble(out.assembly + assembly + own, "library test")));
}

// BIF and MODULE belong to library sources; there a BIF is checked against the bif table and a
// name with '.' is a routine that only CALL takes.
TEST(Library, ReportsFaultsOfLibrarySources) {
    std::string text = compile_errors("BIF string_length(\"a\", n)\nLET bif = 2\n"
                                      "MODULE x\nPRINT bif; a.b\nEND\n");
    EXPECT_NE(text.find("t.bas:1:1: error: BIF is only available in library sources"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("t.bas:3:1: error: MODULE is only available in library sources"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("t.bas:4:13: error: unexpected character '.'"), std::string::npos) << text;
    EXPECT_EQ(text.find("t.bas:2:"), std::string::npos) << text;
    Diagnostics diags;
    std::string assembly;
    EXPECT_FALSE(
        compile_library({"lib.bas", "SUB s(a$)\nBIF string_length(a$)\n"
                                    "BIF no_such(1)\nBIF string_length(1, n)\n"
                                    "BIF string_length(a$, 3)\nBIF floor(1, a$)\n"
                                    "BIF array_size_numeric(a$, 0, n)\nLET x = qlib.abs(1)\n"
                                    "END SUB\nFUNCTION time(x)\nEND FUNCTION\n"
                                    "FUNCTION time$\nEND FUNCTION\nPRINT 1\n"},
                        diags, assembly));
    text = diags.render();
    for (const char* want :
         {"lib.bas:1:1: error: a library source begins with MODULE",
          "lib.bas:2:1: error: bif string_length takes 2 operands (s, R)",
          "lib.bas:3:1: error: there is no bif no_such",
          "lib.bas:4:19: error: operand 1 of bif string_length must be a string",
          "lib.bas:5:23: error: operand 2 of bif string_length (R) is written: give a variable",
          "lib.bas:6:14: error: operand 2 of bif floor must be a number",
          "lib.bas:7:24: error: operand 1 of bif array_size_numeric is an array: give an array",
          "lib.bas:8:13: error: a name with '.' names a routine of another module",
          "lib.bas:12:1: error: TIME$ and TIME would both be the routine time",
          "lib.bas:14:1: error: a library source holds only SUB, FUNCTION and DEF"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    // A library's module cannot take a name the program's modules have.
    for (const char* name : {"main", "unit2", "proc10"}) {
        Diagnostics more;
        EXPECT_FALSE(compile_library(
            {"lib.bas", std::string("MODULE ") + name + "\nSUB s\nEND SUB\n"}, more, assembly));
        EXPECT_NE(more.render().find("lib.bas:1:1: error: the module " + std::string(name) +
                                     " is one of the program's"),
                  std::string::npos)
            << more.render();
    }
}

// A library's state: SHARED variables and arrays live in the frame of the START routine, which
// becomes the image's start routine, and every routine of the source reaches them as globals
// (`boot.NAME`); a SUB takes its VALUE parameters by value, so that a constant may be passed
// and the caller's variable stays as it was. The library below, with a main program written in
// assembly, is assembled and run: it prints what the shared state holds at the end.
TEST(Library, SharesStateThroughTheStartRoutine) {
    const std::string library =
        "MODULE qdemo\nSTART boot\nSHARED count, out_h, out_pos, lf$\nSHARED names$(1 TO 3)\n"
        "SUB boot\n"
        "    BIF file_open(0, \"<stdout>\", 0, 2, 0, out_pos, out_h, status)\n"
        "    LET lf$ = \" \"\n    BIF bit_field_store(lf$, 1, 8, 10)\n"
        "    CALL main.main\n"
        "    CALL say(\"count \" & digits$(total) & \": \" & names$(1) & names$(2) & names$(3))\n"
        "    BIF end_program(0)\nEND SUB\n"
        "SUB add(VALUE k, VALUE name$, seen)\n"
        "    LET count = count + k\n    LET names$(k) = name$\n"
        "    LET seen = count\n    LET k = 0\n    LET name$ = \"changed\"\nEND SUB\n"
        "FUNCTION total\n    LET total = count\nEND FUNCTION\n"
        "FUNCTION digits$(x)\n    BIF number_to_string(x, digits$)\nEND FUNCTION\n"
        "SUB say(VALUE text$)\n"
        "    BIF file_write(out_h, out_pos, text$ & lf$, written, status)\n"
        "    LET out_pos = out_pos + written\nEND SUB\n";
    Diagnostics diags;
    std::string assembly;
    // The example of docs/compiler.md ("Shared state") compiles.
    std::ifstream page(QUILLET_SOURCE_DIR "/docs/compiler.md");
    std::stringstream text;
    text << page.rdbuf();
    std::string doc = text.str();
    size_t from = doc.find("```basic\nMODULE qcount\n");
    ASSERT_NE(from, std::string::npos) << "no START example in docs/compiler.md";
    from += 9;
    ASSERT_TRUE(compile_library({"example.bas", doc.substr(from, doc.find("```", from) - from)},
                                diags, assembly))
        << diags.render();
    EXPECT_NE(assembly.find("start qcount.boot\nmodule qcount\n"), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("num_elem1 boot.a_SEEN, n_K, r0\n"), std::string::npos) << assembly;

    ASSERT_TRUE(compile_library({"demo.bas", library}, diags, assembly)) << diags.render();
    EXPECT_EQ(assembly.find("start qdemo.boot\nmodule qdemo\n"),
              assembly.find("\n") + 1) // after the heading comment
        << assembly;
    // The START routine's frame holds the SHARED variables, declared there alone.
    size_t boot = assembly.find("  routine boot name \"BOOT\"\n");
    size_t next = assembly.find("  routine ", boot + 1);
    EXPECT_LT(assembly.find("    local num n_COUNT\n"), next) << assembly;
    EXPECT_GT(assembly.find("    local num n_COUNT\n"), boot) << assembly;
    EXPECT_EQ(assembly.find("    local num n_COUNT\n", next), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("    local strarr b_NAMES (1 to 3)\n"), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("add boot.n_COUNT, n_K, boot.n_COUNT\n"), std::string::npos)
        << assembly;
    EXPECT_NE(assembly.find("str_elem1 boot.b_NAMES, n_K, q0\n"), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("    param num n_K\n    param str s_NAME\n    ref num n_SEEN\n"),
              std::string::npos)
        << assembly;
    // The START routine's own variables are not shared; `total` reads the global.
    EXPECT_NE(assembly.find("    local num n_STATUS\n"), std::string::npos) << assembly;
    EXPECT_NE(assembly.find("move boot.n_COUNT, result\n"), std::string::npos) << assembly;

    // The program: constants and variables passed by value, a variable by reference.
    const std::string program = "module main\n  routine main\n    local num two\n"
                                "    local num seen\n    local str b\n    move 2, two\n"
                                "    str_move \"B\", b\n    call qdemo.add 1, \"A\", seen\n"
                                "    call qdemo.add two, b, seen\n"
                                "    call qdemo.add 3, \"C\", seen\n"
                                "    num_eq two, 2\n    jump_if_false wrong\n"
                                "    str_eq b, \"B\"\n    jump_if_false wrong\n"
                                "    num_eq seen, 6\n    jump_if_false wrong\n    return\n"
                                "  wrong:\n    cause 1, \"a value parameter changed the caller's "
                                "variable\"\nend\n";
    std::string dir = ::testing::TempDir() + "shared_state";
    std::filesystem::create_directories(dir);
    std::string source = dir + "/demo.qba";
    std::ofstream(source) << program << assembly;
    std::string command = "QUILLET_BACKEND=headless " QUILLET_BINARY " run " + source + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "count 6: ABC\n");
}

// SHARED, START and VALUE belong to library sources; there SHARED needs START, START a SUB
// without parameters, and a SHARED name is one variable of the whole source.
TEST(Library, ReportsMisusedSharedState) {
    std::string text = compile_errors("SHARED a\nSTART b\nLET shared = 1\nLET start = 2\n"
                                      "CALL s(1)\nEND\nSUB s(VALUE x)\nEND SUB\n");
    for (const char* want : {"t.bas:1:1: error: SHARED is only available in library sources",
                             "t.bas:2:1: error: START is only available in library sources",
                             "t.bas:7:7: error: VALUE is only available in library sources"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    EXPECT_EQ(text.find("t.bas:3:"), std::string::npos) << text;
    EXPECT_EQ(text.find("t.bas:4:"), std::string::npos) << text;

    auto library_errors = [](const std::string& source) {
        Diagnostics diags;
        std::string assembly;
        EXPECT_FALSE(compile_library({"lib.bas", source}, diags, assembly));
        return diags.render();
    };
    text = library_errors("MODULE q\nSHARED n, a(1 TO 2)\nSUB s\nEND SUB\n");
    EXPECT_NE(text.find("lib.bas:2:1: error: SHARED variables live in the frame of the library's "
                        "start routine: name it with START"),
              std::string::npos)
        << text;
    text = library_errors("MODULE q\nSTART t\nSHARED n, a(1 TO 2), n\nSUB s(a)\nEND SUB\n"
                          "SUB u\nDIM a(5)\nLET n(1) = a\nSHARED m\nEND SUB\n"
                          "FUNCTION f(VALUE x)\nEND FUNCTION\n");
    for (const char* want :
         {"lib.bas:2:1: error: START names T, which is not a SUB of this source without "
          "parameters",
          "lib.bas:3:22: error: N is SHARED twice",
          "lib.bas:4:7: error: A is SHARED; a parameter cannot have its name",
          "lib.bas:7:5: error: A is SHARED: its bounds are given there",
          "lib.bas:8:5: error: N is a SHARED simple variable",
          "lib.bas:8:12: error: A is a SHARED array",
          "lib.bas:9:1: error: SHARED stands outside the procedures",
          "lib.bas:11:12: error: a function takes its parameters by value already"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    // A SHARED variable with the name of a procedure of the source or of a built-in function:
    // the name would assign the variable and read the function.
    text = library_errors("MODULE q\nSTART b\nSHARED total, y, val, s$(1 TO 2)\n"
                          "SUB b\nLET total = 3\nLET y = total\nEND SUB\n"
                          "FUNCTION total\nEND FUNCTION\nFUNCTION s$(k)\nEND FUNCTION\n");
    for (const char* want : {"lib.bas:3:8: error: TOTAL names a function; a SHARED variable cannot",
                             "lib.bas:3:18: error: VAL names a function; a SHARED variable cannot",
                             "lib.bas:3:23: error: S$ names a function; a SHARED variable cannot"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    EXPECT_EQ(text.find("lib.bas:3:15:"), std::string::npos) << text;
    text = library_errors("MODULE q\nSTART s\nSTART s\nSUB s(x)\nEND SUB\n");
    EXPECT_NE(text.find("lib.bas:3:1: error: START is given twice"), std::string::npos) << text;
    EXPECT_NE(text.find("lib.bas:2:1: error: START names S, which is not a SUB"), std::string::npos)
        << text;
}
