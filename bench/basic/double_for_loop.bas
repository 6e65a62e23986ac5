! A FOR loop whose start, limit and step are fractions: 0.5 to 10^7 by 0.25, counting rounds.
LET count = 0
FOR x = 0.5 TO 10000000.0 STEP 0.25
   LET count = count + 1
NEXT x
IF count <> 39999999 THEN PRINT "wrong count"
END
