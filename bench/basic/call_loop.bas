! 10^7 calls of a SUB with two parameters (references, as SUB parameters are).
LET acc = 0
FOR i = 1 TO 10000000
   CALL bump(i, acc)
NEXT i
IF acc <> 50000005000000 THEN PRINT "wrong sum"
END

SUB bump(n, acc)
   LET acc = acc + n
END SUB
