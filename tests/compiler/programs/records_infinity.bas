! A record file keeps infinity and NaN as they were written (bytes_to_double would read
! infinity back as the largest number, and refuse NaN with exception -4020).
LET inf = 1E308 * 10
LET nan = inf - inf
OPEN #1: NAME "infinity.rec", ORGANIZATION RECORD, RECSIZE 20, CREATE NEWOLD
ERASE #1
WRITE #1: inf, -inf, nan, MAXNUM, -MAXNUM, 1.5
SET #1: POINTER BEGIN
READ #1: a, b, c, d, e, f
PRINT a; b; c; d; e; f
IF a > MAXNUM AND b < -MAXNUM THEN PRINT "infinity kept"
CLOSE #1
END
