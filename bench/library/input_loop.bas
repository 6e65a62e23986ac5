! INPUT and LINE INPUT from standard input through the runtime library's module qlib, 20,000
! lines each; feed it 40,000 lines such as `12, "a, b", 2.5E3` and send its output (the echo)
! to /dev/null: yes '12, "a, b", 2.5E3' | head -n 40000 | ./input_loop >/dev/null
LET t = 0
FOR i = 1 TO 20000
   INPUT a, b$, c
   LINE INPUT d$
   LET t = t + a + LEN(b$) + c + LEN(d$)
NEXT i
PRINT t
END
