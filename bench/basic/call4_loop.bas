! 10^7 calls of a SUB with four parameters and two locals, keeping a total and a count.
LET total = 0
LET count = 0
FOR i = 1 TO 10000000
   CALL step4(i, total, 3, count)
NEXT i
IF total <> 50000035000000 OR count <> 10000000 THEN PRINT "wrong total"
END

SUB step4(n, total, k, count)
   LET t = n + k
   LET u = count + 1
   LET total = total + t
   LET count = u
END SUB
