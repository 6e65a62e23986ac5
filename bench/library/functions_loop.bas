! The runtime library's built-in functions in a loop (docs/compiler.md, "How the library is built").
LET t = 0
LET s$ = ""
FOR i = 1 TO 300000
   LET x = i / 7 - 3000
   LET t = t + MOD(i, 7) + REMAINDER(x, 3) + IP(x) + FP(x) + CEIL(x) + MAX(x, i) + MIN(x, i)
   LET t = t + ROUND(x, 2) + TRUNCATE(x, 1) + ANGLE(x, 2) + EPS(x)
   LET t = t + VAL("  12.5 ") + ORD(CHR$(MOD(i, 200) + 32)) + ORD("LF")
   LET s$ = TRIM$("  ab  ") & LTRIM$(" c") & RTRIM$("d ") & REPEAT$("xy", 3)
   LET t = t + LEN(s$)
NEXT i
PRINT t; s$
END
