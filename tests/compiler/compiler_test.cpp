#include "bcode/image.h"
#include "compiler.h"
#include "parser.h"

#include <gtest/gtest.h>

using namespace quillet::compiler;

namespace {

std::string reprint(const std::string& text, Diagnostics& diags) {
    int file = read_source("t.bas", text, diags);
    if (file < 0) return "";
    return print_program(parse_program(file, diags));
}

std::string compile_errors(const std::string& text) {
    Diagnostics diags;
    CompileOutput out;
    EXPECT_FALSE(compile_program({{"t.bas", text}}, diags, out));
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
        "t.bas:4:10: error: unterminated string (no closing quote on this line)\n"
        "40 PRINT \"open\n"
        "         ^\n"
        "t.bas:8:10: error: the character '?' cannot stand in an unquoted DATA item (quote it)\n"
        "80 DATA X?Y\n"
        "         ^\n"
        "t.bas:7:8: error: A9 is used as an array without DIM (only one-letter arrays need none)\n"
        "70 LET A9(1) = 2\n"
        "       ^\n"
        "t.bas:2:9: error: there is no line 99\n"
        "20 GOTO 99\n"
        "        ^\n"
        "t.bas:3:13: error: the value assigned must be a string expression\n"
        "30 LET B$ = 5\n"
        "            ^\n"
        "t.bas:6:9: error: NEXT J does not close FOR I\n"
        "60 NEXT J\n"
        "        ^\n"
        "t.bas:10:5: error: a line after the END statement\n"
        "100 PRINT\n"
        "    ^\n"
        "t.bas:5:4: error: FOR I without its NEXT\n"
        "50 FOR I = 1 TO 2\n"
        "   ^\n");
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
    EXPECT_NE(compile_errors("10 REM " + std::string(5000, 'x') + "\n").find("longer than 4096"),
              std::string::npos);
    EXPECT_NE(
        compile_errors("10 LET A = " + std::string(1000, '(') + "1\n").find("nested too deeply"),
        std::string::npos);
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
