! A running total of the loop counter, 10^8 times.
LET acc = 0
FOR i = 1 TO 100000000
   LET acc = acc + i
NEXT i
IF acc <> 5000000050000000 THEN PRINT "wrong total"
END
