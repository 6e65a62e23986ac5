! Channels through the runtime library's module qlib: 40,000 lines written with PRINT # and
! read back with INPUT # and LINE INPUT # in turn, and 20,000 records written and read. It
! leaves CHANNEL_LOOP.TMP (emptied) and CHANNEL_LOOP.REC in the current directory.
OPEN #1: NAME "channel_loop.tmp", ACCESS OUTPUT, CREATE NEWOLD
ERASE #1
FOR i = 1 TO 40000
   PRINT #1: i; ","; "name "; i; ", "; """quoted, text"""
NEXT i
CLOSE #1
OPEN #1: NAME "channel_loop.tmp", ACCESS INPUT, CREATE OLD
LET t = 0
FOR i = 1 TO 20000
   INPUT #1: a, b$, c$
   LINE INPUT #1: d$
   LET t = t + a + LEN(b$) + LEN(c$) + LEN(d$)
NEXT i
CLOSE #1
OPEN #2: NAME "channel_loop.rec", ACCESS OUTIN, CREATE NEWOLD, ORGANIZATION RECORD, RECSIZE 24
ERASE #2
FOR i = 1 TO 20000
   WRITE #2: i, "record"
NEXT i
SET #2: POINTER BEGIN
FOR i = 1 TO 20000
   READ #2: a, b$
   LET t = t + a + LEN(b$)
NEXT i
ASK #2: FILESIZE n
CLOSE #2
OPEN #1: NAME "channel_loop.tmp", ACCESS OUTIN, CREATE OLD
ERASE #1
CLOSE #1
PRINT t; n
END
