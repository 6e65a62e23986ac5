! Assignments whose target is also an operand: the result is computed into the target itself,
! after its old value has been read.
LET a$ = "ab"
LET b$ = "xy"
LET a$ = b$ & a$
PRINT a$
LET a$ = a$ & a$
PRINT a$
LET a$ = a$(2:5)
PRINT a$
LET c$ = a$(3:3)
PRINT c$
LET a = 5
LET a = 10 - a
PRINT a
LET a = a * a
PRINT a
DIM v(3)
LET v(1) = 2
LET v(1) = v(1) + v(1)
PRINT v(1)
LET k = 2
LET v(k) = 5
LET v(k) = 3 * v(k)
DIM m(2, 3)
LET m(k, 3) = 7
LET m(k, 3) = m(k, 3) - v(k)
PRINT v(k); m(2, 3)
END
