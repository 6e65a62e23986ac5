! Compared to six significant digits, the blanks after a number written as the reference
! writes it must be the reference's.
PRINT 1, 2
END
