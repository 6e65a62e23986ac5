! INPUT and LINE INPUT typed in the window and edited before Enter (input.script): Left,
! Delete, End, Backspace, Escape, Home and Right; a faulty INPUT line is asked for again. The
! last line is typed from the window's last row on, so the text scrolls up as it grows.
INPUT PROMPT "Name: ": n$
PRINT "Hello, "; n$; "!"
INPUT a, b
PRINT "sum"; a + b
PRINT "The next line starts on the last row"
PRINT "and scrolls the text up while typed."
LINE INPUT PROMPT "Text? ": t$
PRINT "["; t$; "]"; LEN(t$)
END
