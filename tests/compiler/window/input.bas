! INPUT and LINE INPUT typed in the window and edited before Enter (input.script): Left,
! Delete, End, Backspace, Escape, Home and Right; a faulty INPUT line is asked for again.
INPUT PROMPT "Name: ": n$
PRINT "Hello, "; n$; "!"
INPUT a, b
PRINT "sum"; a + b
LINE INPUT PROMPT "Text? ": t$
PRINT "["; t$; "]"; LEN(t$)
END
