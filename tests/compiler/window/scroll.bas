! More rows than the window shows: the text scrolls up. A long line goes on in the next row,
! a row filled to its end is not followed by an empty one, zones and TAB count the window's
! 40 columns, and STOP in a SUB ends the program as END does.
FOR i = 1 TO 12
    PRINT "line"; i
NEXT i
PRINT "wrap: "; REPEAT$("x", 44)
PRINT 1, 2, 3
PRINT "a", "b", "c"
PRINT "tab"; TAB(20); "here"; TAB(5); "next"
PRINT REPEAT$("y", 40)
PRINT "after a full row"
CALL last_line
END

SUB last_line
    PRINT -1.5; 7
    STOP
END SUB
