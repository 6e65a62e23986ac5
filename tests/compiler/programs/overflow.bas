! Overflow: outside protected parts a result too large for a number is infinity with its sign,
! with a warning, and the program goes on; inside one it is exception 1002, also when `^` makes
! it in the library (a fractional power too, which once stopped with exception 1003 from exp
! when its logarithm lay just past that of the largest number), and EXP, SINH and COSH, once
! exception 1003 everywhere. A procedure's overflow is its own: a protected part that called it gets
! the infinity. A result too small for a number is 0, and so is a constant (which PRINT once
! stopped on with exception 3004).
LET big = 1E300
LET x = big * big
PRINT x; -big * big; big * big - x
IF x > 1E308 THEN PRINT "past the largest"; 1 / x
PRINT 10 ^ 400; (-10) ^ 401; (-10) ^ 400; 2 ^ 1024.5; 10 ^ (-400); 3 + 10 ^ (-99999)
PRINT 1E-308; -4.9E-324; 2.3E-308
PRINT 2 ^ 1023; (-2) ^ 1023; .5 ^ 1074; 1.0000001 ^ 1E300; .9999999 ^ 1E300
PRINT 2 ^ 1024.001; 1.0000001 ^ 7097828000; 2 ^ 1023.999
PRINT EXP(709.8); SINH(-711); COSH(711); SINH(711); EXP(709.78); COSH(-710.47); EXP(-1000)
WHEN EXCEPTION IN
   LET y = big * big
   PRINT "not reached"
USE
   PRINT "protected:"; EXTYPE; EXTEXT$
END WHEN
WHEN EXCEPTION IN
   LET y = 10 ^ 999
USE
   PRINT "protected power:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   LET y = 2 ^ 1024.001
USE
   PRINT "protected fractional power:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   LET y = EXP(1000)
USE
   PRINT "protected EXP:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   CALL grow(big, y)
   PRINT "called:"; y
USE
   PRINT "not reached"; EXTYPE
END WHEN
! MOD: a product past the largest number on the way to a remainder that is not; a quotient
! past it is too large to be exact (-3051), without an overflow's warning first.
PRINT MOD(-1.5E308, 1E308)
WHEN EXCEPTION IN
   PRINT MOD(1E300, 1E-10)
USE
   PRINT "MOD past the exact range:"; EXTYPE
END WHEN
END

SUB grow(a, r)
   LET r = a * 1E10
END SUB
