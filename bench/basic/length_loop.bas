! A string grows by one character while its length is below 99.5; 10^4 strings of 100.
LET total = 0
FOR i = 1 TO 10000
   LET s$ = ""
   DO
      LET s$ = s$ & "x"
   LOOP WHILE LEN(s$) < 99.5
   LET total = total + LEN(s$)
NEXT i
IF total <> 1000000 THEN PRINT "wrong total"
END
