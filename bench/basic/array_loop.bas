! 10^7 array element updates: a(k) = a(k) + 1 over 1000 elements, 10^4 times.
DIM a(1 TO 1000)
FOR j = 1 TO 10000
   FOR k = 1 TO 1000
      LET a(k) = a(k) + 1
   NEXT k
NEXT j
IF a(500) <> 10000 THEN PRINT "wrong count"
END
