! A DEF's expression uses arrays without DIM, of the main program and of an external SUB, also
! an array that nothing else uses (an internal compiler error once: the array was never
! declared).
10 DEF W = R(2)
20 DEF V = T(3) + 1
30 LET R(2) = 5
40 PRINT W; V
50 CALL S
60 END
70 SUB S
80 DEF F = Q(1) + 1
90 LET Q(1) = 2
100 PRINT F
110 END SUB
