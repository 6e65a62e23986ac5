! Numbers to text beyond bif 13's fast path (STR$) and back (VAL), in a loop.
LET t = 0
FOR i = 1 TO 100000
   LET s$ = STR$(i / 7 + 1E10 * MOD(i, 3))
   LET t = t + VAL(s$) + LEN(STR$(-i / 3E-9))
NEXT i
PRINT t
END
