! ^, ABS and SGN of the library's module qnum, in a loop.
LET t = 0
FOR i = 1 TO 300000
LET x = i / 70000 - 2
LET t = t + x ^ 3 + ABS(x) + SGN(x)
NEXT i
PRINT t
END
