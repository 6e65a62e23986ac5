! Compared to six significant digits (DIGITS=6), a number that PRINT writes to eight matches
! the six-digit one of a reference, and the blanks after it may differ as its length does.
PRINT 1.3687859E-29, "PASS"
PRINT "x"; 2 / 3; "y"
PRINT -123.45678; 1E-5
END
