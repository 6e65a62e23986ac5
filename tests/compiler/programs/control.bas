! Structured control flow without line numbers: IF blocks, one-line IF with ELSE, conditions
! with AND, OR and NOT, SELECT CASE, DO loops with the test at either end, EXIT DO, EXIT FOR.
LET total = 0
FOR i = 1 TO 10
    IF i = 3 THEN
        PRINT "three";
    ELSEIF i > 8 AND NOT i = 10 THEN
        PRINT " big";
    ELSE
        LET total = total + i
    END IF
NEXT i
PRINT
PRINT "total"; total
count = 0
DO WHILE count < 5
   count = count + 1
   IF count = 4 THEN EXIT DO
LOOP
PRINT "exit at"; count
DO
   count = count - 1
LOOP UNTIL count <= 0 OR count = 100
PRINT "down to"; count
DO UNTIL count = 0
   PRINT "never"
LOOP
DO
   count = count + 2
LOOP WHILE count < 7
PRINT "up to"; count
FOR k = 1 TO 8
   SELECT CASE k
   CASE 1
      PRINT "one";
   CASE 2, 5 TO 6
      PRINT " two-five-six";
   CASE IS >= 7
      PRINT " seven+";
   CASE ELSE
      PRINT " other";
   END SELECT
NEXT k
PRINT
FOR EACH_WORD = 1 TO 3
   READ w$
   SELECT CASE w$
   CASE "apple", "pear"
      PRINT w$; " is a fruit"
   CASE "a" TO "m"
      PRINT w$; " is early"
   CASE ELSE
      PRINT w$; " is late"
   END SELECT
NEXT EACH_WORD
DATA pear, kale, zucchini
! EXIT FOR from an inner loop leaves only that loop.
FOR row = 1 TO 3
   FOR col = 1 TO 3
      IF col > row THEN EXIT FOR
      PRINT row * 10 + col;
   NEXT col
NEXT row
PRINT
! OR stops at a true operand, AND at a false one: the right side is not evaluated.
LET zero = 0
IF zero = 0 OR 1 / zero > 1 THEN PRINT "or stops"
IF zero <> 0 AND 1 / zero > 1 THEN PRINT "wrong" ELSE PRINT "and stops"
IF NOT (zero = 1 OR zero = 2) THEN PRINT "neither"
! A SELECT that matches nothing and has no CASE ELSE is an exception.
WHEN EXCEPTION IN
   SELECT CASE 99
   CASE 1
      PRINT "wrong"
   END SELECT
USE
   PRINT "no case:"; EXTYPE
END WHEN
END
