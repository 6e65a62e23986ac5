! 10^7 updates of an array of fractions: a(k) = a(k) + 0.5 over 1000 elements, 10^4 times.
DIM a(1 TO 1000)
FOR j = 1 TO 10000
   FOR k = 1 TO 1000
      LET a(k) = a(k) + 0.5
   NEXT k
NEXT j
IF a(500) <> 5000 THEN PRINT "wrong sum"
END
