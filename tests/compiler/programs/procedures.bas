! SUB and FUNCTION: internal ones share the main program's variables, external ones (after
! END) have their own; SUB parameters are references, FUNCTION parameters values; arrays are
! passed by name; recursion; DEF on one line and over several lines.
DECLARE FUNCTION fact, fib, sum, joined$
LET a = 5
CALL twice(a)
PRINT "twice:"; a
CALL twice(a + 1)
PRINT "an expression is a copy:"; a
PRINT fact(10); square(3); fib(15)
DIM v(1 TO 5), w$(0 TO 3), grid(2, 2)
FOR i = 1 TO 5
   LET v(i) = i * i
NEXT i
PRINT "sum"; sum(v)
LET w$(2) = "second"
CALL show(w$, 2)
CALL swap(v(1), v(5))
PRINT "swapped"; v(1); v(5)
DEF double(x) = 2 * x + a
PRINT "double"; double(4)
DEF clamp(x, low, high)
   IF x < low THEN
      LET clamp = low
   ELSEIF x > high THEN
      LET clamp = high
   ELSE
      LET clamp = x
   END IF
END DEF
PRINT clamp(-3, 0, 9); clamp(12, 0, 9); clamp(4, 0, 9)
LET counter = 0
CALL bump
CALL bump
PRINT "shared counter"; counter
LET n = 7
PRINT joined$("ab", 3); n
CALL fill(grid)
PRINT grid(1, 2); grid(2, 1)
LET s$ = "xyz"
CALL upper(s$)
PRINT s$
! Arguments are taken left to right: a later argument's function that changes a variable leaves
! the value already taken for an earlier argument.
PRINT "in order"; first(counter, step_up); counter
SUB twice(n)
   LET n = n * 2
END SUB
FUNCTION square(x)
   LET square = x * x
END FUNCTION
SUB bump
   LET counter = counter + 1
END SUB
FUNCTION first(x, y)
   LET first = x
END FUNCTION
FUNCTION step_up
   LET counter = counter + 1
END FUNCTION
END

FUNCTION fact(n)
   IF n <= 1 THEN
      LET fact = 1
   ELSE
      LET fact = n * fact(n - 1)
   END IF
END FUNCTION

FUNCTION sum(arr())
   FOR k = 1 TO 5
      LET s = s + arr(k)
   NEXT k
   LET sum = s
END FUNCTION

FUNCTION fib(n)
   IF n < 2 THEN
      fib = n
      EXIT FUNCTION
   END IF
   fib = fib(n - 1) + fib(n - 2)
END FUNCTION

! Its n is its own, not the main program's.
FUNCTION joined$(part$, times)
   LET n = 0
   DO WHILE n < times
      LET r$ = r$ & part$
      LET n = n + 1
   LOOP
   LET joined$ = r$
END FUNCTION

SUB show(list$(), which)
   PRINT "["; list$(which); "]"
END SUB

SUB swap(x, y)
   LET t = x
   LET x = y
   LET y = t
END SUB

SUB fill(m(,))
   FOR i = 0 TO 2
      FOR j = 0 TO 2
         LET m(i, j) = i * 10 + j
      NEXT j
   NEXT i
END SUB

SUB upper(t$)
   LET t$ = UCASE$(t$)
   LET t$(2:2) = "-"
END SUB
