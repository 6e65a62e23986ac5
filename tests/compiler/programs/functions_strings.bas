10 REM The string functions: lengths, searches, case, blanks, conversions between numbers
20 REM and texts, characters and their codes, repetition, and the date and time as texts.
30 PRINT LEN(""); LEN("ABC"); LEN("café"); LEN(REPEAT$("xy", 50))
40 PRINT POS("HELLO", "L"); POS("HELLO", "L", 4); POS("HELLO", "L", 5); POS("HELLO", "Z")
50 PRINT POS("HELLO", ""); POS("HELLO", "", 3); POS("HELLO", "", 9); POS("", "")
60 PRINT POS("HELLO", "LO", -5); POS("HELLO", "L", 3.6); POS("ABABAB", "BA", 3); POS("AB", "ABC")
70 PRINT UCASE$("abc xyz äö 123"); "|"; LCASE$("ABC Xyz É"); "|"; UCASE$("")
80 LET A$ = "  two  words  "
90 PRINT "["; LTRIM$(A$); "]["; RTRIM$(A$); "]["; TRIM$(A$); "]"
100 PRINT "["; TRIM$(""); "]["; TRIM$("   "); "]["; LTRIM$("x"); "]["; RTRIM$(" x"); "]"
110 LET A$ = TRIM$(A$)
120 PRINT "["; A$; "]"; LEN(A$)
130 PRINT VAL("42"); VAL(" -1.5E2 "); VAL("+.5"); VAL("1e-3"); VAL("12345678901"); VAL("7.")
135 PRINT VAL("0.000000000000000000001") * 1E21; VAL("000000000000000000000000012"); VAL("." & REPEAT$("0", 30) & "125E31"); VAL("-000"); VAL("0.")
136 IF VAL("1e100") = 1E100 AND VAL("1.7e300") = 1.7E300 AND VAL("3.3e-200") = 3.3E-200 THEN PRINT "VAL 1 AGREES"
137 IF VAL("1.2345e45") = 1.2345E45 AND VAL("2.5e-30") = 2.5E-30 AND VAL("9.87654321e-123") = 9.87654321E-123 THEN PRINT "VAL 2 AGREES"
138 PRINT ROUND(-1.5E-100, 100) * 1E100; ROUND(2.5E-60, 60) * 1E60; TRUNCATE(3.7E-45, 45) * 1E45
139 IF VAL("-1.0019133289980319e+40") = -1.0019133289980319E+40 AND VAL("1.845154407267775e-298") = 1.845154407267775E-298 AND VAL("-3.2305935667612397e+17") = -3.2305935667612397E+17 AND VAL("0.30000000000000004") = .1 + .2 THEN PRINT "VAL 3 AGREES"
140 PRINT STR$(42); "|"; STR$(-1.5); "|"; STR$(1/3); "|"; STR$(1E20); "|"; STR$(0); "|"; STR$(-0.001)
150 PRINT VAL(STR$(2/3)); VAL(STR$(-123456789)); LEN(STR$(7))
160 PRINT CHR$(65); CHR$(97.4); CHR$(48); CHR$(233); ORD("A"); ORD("a"); ORD("é")
170 PRINT ORD(CHR$(0)); ORD(CHR$(255)); LEN(CHR$(0)); ORD(CHR$(127))
180 PRINT ORD("BEL"); ORD("lf"); ORD("Sp"); ORD("DEL"); ORD("DC4"); ORD("us"); ORD("NUL")
190 PRINT "["; REPEAT$("ab", 3); "]["; REPEAT$("ab", 0); "]["; REPEAT$("", 5); "]["; REPEAT$("-", 2.5); "]"
200 PRINT LEN(REPEAT$("-", 1000)); LEN(REPEAT$("abc", 77))
210 LET D$ = DATE$
220 LET T$ = TIME$
230 PRINT LEN(D$); LEN(T$); POS(T$, ":"); POS(T$, ":", 4); POS(D$, ":")
240 REM TIME$ against TIME read just before and after it (a minute may begin in between)
250 LET T1 = TIME
260 LET T$ = TIME$
270 LET T2 = TIME
280 LET S = (VAL(T$(1:2)) * 60 + VAL(T$(4:5))) * 60 + VAL(T$(7:8))
290 IF S = INT(T1) OR S = INT(T2) THEN PRINT "TIME$ AGREES WITH TIME" ELSE PRINT T$; T1; T2
300 IF VAL(D$(1:4)) >= 2000 AND D$(5:6) >= "01" AND D$(5:6) <= "12" THEN PRINT "DATE$ IS A DATE"
310 END
