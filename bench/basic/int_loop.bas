! An integer FOR loop adding to an accumulator, 10^8 times.
LET acc = 0
FOR i = 1 TO 100000000
   LET acc = acc + 3
NEXT i
IF acc <> 300000000 THEN PRINT "wrong sum"
END
