! Forward searches for every "lazy dog" in a 1.4 MB text, 100 times over.
LET text$ = "the quick brown fox jumps over the lazy dog "
FOR i = 1 TO 15
   LET text$ = text$ & text$
NEXT i
LET total = 0
FOR round = 1 TO 100
   LET at = 1
   DO
      LET found = POS(text$, "lazy dog", at)
      IF found = 0 THEN EXIT DO
      LET total = total + 1
      LET at = found + 1
   LOOP
NEXT round
IF total <> 3276800 THEN PRINT "wrong number of matches"
END
