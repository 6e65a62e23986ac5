! A string loop: concatenate, take a substring, compare; 10^6 rounds.
FOR i = 1 TO 10000
   LET s$ = "abc"
   FOR j = 1 TO 100
      LET s$ = s$ & "x"
      LET t$ = s$(2:4)
      IF t$ < "bcx" THEN PRINT "wrong substring"
   NEXT j
NEXT i
END
