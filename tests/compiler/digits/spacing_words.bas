! Compared to six significant digits, a line whose words agree but stand at other columns
! still differs.
PRINT "A", "B"
END
