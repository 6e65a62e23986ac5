! A floating-point accumulation loop, 10^8 times.
LET acc = 0.25
FOR i = 1 TO 100000000
   LET acc = acc + 0.5
NEXT i
IF acc <> 50000000.25 THEN PRINT "wrong sum"
END
