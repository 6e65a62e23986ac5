! HANDLER blocks named by WHEN EXCEPTION USE: one handler for several protected parts, with
! CONTINUE and RETRY, and a handler of a procedure of its own.
HANDLER oops
   PRINT "oops:"; EXTYPE; EXTEXT$
   IF EXTYPE = 3001 THEN CONTINUE
   LET tries = tries + 1
   IF tries < 3 THEN RETRY
END HANDLER
LET z = 0
WHEN EXCEPTION USE oops
   PRINT "before"
   LET q = 1 / z
   PRINT "after"
END WHEN
WHEN EXCEPTION USE oops
   CALL risky
END WHEN
PRINT "tries"; tries
CALL inner
END
SUB risky
   CAUSE EXCEPTION 77, "risky"
END SUB
SUB inner
   WHEN EXCEPTION USE local
      LET x = SQR(-4)
   END WHEN
   PRINT "inner done"
   HANDLER local
      PRINT "local:"; EXTYPE
   END HANDLER
END SUB
