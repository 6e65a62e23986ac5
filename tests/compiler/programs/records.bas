! Record files: one value per record, WRITE # and READ #, SET # POINTER and RECORD, ASK #
! FILESIZE and RECORD, and their exceptions.
OPEN #1: NAME "data.rec", ORGANIZATION RECORD, RECSIZE 32, CREATE NEWOLD
ERASE #1
WRITE #1: 3.25, "three", -1E300
WRITE #1: "", 7
ASK #1: FILESIZE n, RECORD p
PRINT "size"; n; "next"; p
SET #1: POINTER BEGIN
READ #1: a, b$
PRINT a; "["; b$; "]"
SET #1: RECORD 4
READ #1: c$, d
PRINT "["; c$; "]"; d
SET #1: RECORD 3
READ #1: e
PRINT e
WHEN EXCEPTION IN
   SET #1: RECORD 2
   READ #1: f
USE
   PRINT "kind:"; EXTYPE
END WHEN
SET #1: POINTER END
WHEN EXCEPTION IN
   READ #1: g
USE
   PRINT "end:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   WRITE #1: REPEAT$("x", 40)
USE
   PRINT "long:"; EXTYPE
END WHEN
WHEN EXCEPTION IN
   SET #1: RECORD 9
USE
   PRINT "no record:"; EXTYPE
END WHEN
! Records are overwritten in place.
SET #1: RECORD 1
WRITE #1: 99
CLOSE #1
OPEN #1: NAME "data.rec", ORGANIZATION RECORD, RECSIZE 32
ASK #1: FILESIZE n
READ #1: first
SET #1: RECORD 2
READ #1: again$
PRINT "reopened"; n; first; again$
CLOSE #1
OPEN #2: NAME "text.txt", CREATE NEWOLD
WHEN EXCEPTION IN
   WRITE #2: 1
USE
   PRINT "text file:"; EXTYPE
END WHEN
END
