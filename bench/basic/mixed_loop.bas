! x = x * 1.0001 + i with a test of x against a limit, 10^7 times.
LET x = 1.0
LET resets = 0
FOR i = 1 TO 10000000
   LET x = x * 1.0001 + i
   IF x >= 1E12 THEN
      LET x = x / 1E6
      LET resets = resets + 1
   END IF
NEXT i
IF resets <> 316 OR x < 987112380469.6 OR x > 987112380469.7 THEN PRINT "wrong result"
END
