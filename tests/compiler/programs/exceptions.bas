! WHEN EXCEPTION: RETRY, CONTINUE, EXIT HANDLER to an outer handler, CAUSE EXCEPTION, the
! engine's own exceptions, exceptions raised in a procedure below the handler, and LINE INPUT
! and INPUT PROMPT reading standard input.
LET tries = 0
WHEN EXCEPTION IN
   CALL risky(tries)
   PRINT "passed after"; tries
USE
   PRINT "caught"; EXTYPE; EXLINE; EXTEXT$
   RETRY
END WHEN
WHEN EXCEPTION IN
   CAUSE EXCEPTION 42, "mine"
   PRINT "continued here"
USE
   PRINT "handler:"; EXTYPE; EXTEXT$
   CONTINUE
END WHEN
WHEN EXCEPTION IN
   WHEN EXCEPTION IN
      LET x = 1 / 0
      PRINT "not reached"
   USE
      PRINT "inner"; EXTYPE; EXTEXT$
      EXIT HANDLER
   END WHEN
USE
   PRINT "outer"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   LET y = SQR(-1)
USE
   PRINT "square root:"; EXTYPE; EXTEXT$
END WHEN
! Outside a protected part division by zero is reported and gives infinity.
LET z = 0
PRINT "infinite"; 1 / z
LINE INPUT PROMPT "Name: ": who$
INPUT PROMPT "Two numbers: ": p, q
LINE INPUT rest$
PRINT who$; p + q; "["; rest$; "]"
END

SUB risky(n)
   LET n = n + 1
   IF n < 3 THEN CAUSE EXCEPTION 2001, "too early"
END SUB
