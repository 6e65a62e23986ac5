! Text files on channels: OPEN with ACCESS and CREATE, PRINT # with zones, LINE INPUT # and
! INPUT #, ERASE, CLOSE, reading past the end, and the exceptions of closed channels and
! missing files.
OPEN #1: NAME "notes.txt", ACCESS OUTPUT, CREATE NEWOLD
ERASE #1
PRINT #1: "first line"
PRINT #1: 1, 2; "x";
PRINT #1: "y"
PRINT #1: "Ann,"; 42
FOR i = 1 TO 2
   PRINT #1: "line"; i
NEXT i
CLOSE #1
! Opened again for output, the file grows at its end.
OPEN #1: NAME "NOTES.TXT", ACCESS OUTPUT
PRINT #1: "appended"
CLOSE #1
OPEN #2: NAME "notes.txt", ACCESS INPUT
LINE INPUT #2: a$
PRINT "[" & a$ & "]"
LINE INPUT #2: b$
PRINT "[" & b$ & "]"
INPUT #2: who$, n
PRINT who$; n + 1
WHEN EXCEPTION IN
   DO
      LINE INPUT #2: c$
      PRINT c$
   LOOP
USE
   PRINT "end of file:"; EXTYPE
END WHEN
CLOSE #2
CLOSE #2
WHEN EXCEPTION IN
   PRINT #5: "no"
USE
   PRINT "closed channel:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   OPEN #3: NAME "missing.txt", CREATE OLD
USE
   PRINT "missing file:"; EXTYPE; EXTEXT$
END WHEN
WHEN EXCEPTION IN
   OPEN #3: NAME "notes.txt", CREATE NEW
USE
   PRINT "existing file:"; EXTYPE; EXTEXT$
END WHEN
! A channel left open is closed at the end, its last line written.
OPEN #4: NAME "left.txt", CREATE NEWOLD
PRINT #4: "kept";
END
