! Formatted output: PRINT USING and USING$ with every kind of field, literal text, a format
! reused, values too wide for their fields (asterisks, the value on a line of its own, or the
! exceptions inside a protected part), badly formed formats, and PRINT #n, USING to a file.
PRINT USING "[####] [%%%%] [****] [#.##] [.###] [##.]": 42, 42, 42, 3.14159, .4567, 7.5
PRINT USING "[##,###] [**,***.##] [%%,%%%] [#,###]": 1234, 5.5, 12, 999
PRINT USING "[-###] [-###] [+###] [+###] [--##] [---#]": 12, -12, 12, -12, -12, -12
PRINT USING "[$###.##] [$$$$.##] [--$##.##] [$$$-.##] [++$##]": 5, 5, -5, -5, 7
PRINT USING "[#.###^^^^] [-.##^^^^] [##.#^^^^^] [%%^^^^]": 12345, -0.000123, 0, 1
PRINT USING "[<#####] [>#####] [######] [#####] [<] [>##]": "ab", "ab", "ab", "ab", "x", "abc"
PRINT USING "[<#####] [>#####] [<.##]": 12.5, 12.5, 3
! Rounding to the places shown.
PRINT USING "## ## ## #.# #.## ###": 2.5, 3.5, -0.4, 0.05, 1.005, 999.6
! Values beyond the fields start the format again on a new line; after the last value, the
! text up to the next field.
PRINT USING "(#) and (#) ": 1, 2, 3
PRINT USING "Total: ###.## EUR": 17.5
PRINT USING "no fields at all"
PRINT USING "A ### B": 1;
PRINT USING " C ##": 2
! Too wide: asterisks, then the value as PRINT writes it, and on at the same column.
PRINT USING "### ### ##": 1234, 5, "abc"
PRINT "x =";
PRINT USING "##": -1
PRINT "["; USING$("###", 12345); "] ["; USING$("#.#^^^^", 1E123); "]"
PRINT "["; USING$("##.## / <## / >###", -3.145, "a", "b"); "]"
LET f$ = "###"
FOR k = 1 TO 5
   WHEN EXCEPTION IN
      SELECT CASE k
      CASE 1
         PRINT USING f$: 1000
      CASE 2
         PRINT USING$("#.#^^^^", 1E-100)
      CASE 3
         PRINT USING "## .": 1
      CASE 4
         PRINT USING "only text": 1
      CASE 5
         PRINT USING "<#": "long"
      END SELECT
   USE
      PRINT "exception"; EXTYPE; EXTEXT$
   END WHEN
NEXT k
! More digits than a number holds: past the 15th significant digit zeros, in both notations,
! however many places the field has.
PRINT USING REPEAT$("#", 28) & ".##": 1E25
PRINT USING "#." & REPEAT$("#", 30): .1
PRINT USING "#." & REPEAT$("#", 20): 1 / 3
PRINT USING REPEAT$("#", 20): 2 ^ 60
LET s$ = USING$("#." & REPEAT$("#", 400), 5)
PRINT LEN(s$); s$(1:5); s$(400:402)
LET s$ = USING$("#." & REPEAT$("#", 320), 1.25E-307)
PRINT LEN(s$); s$(300:322)
PRINT USING "#.####################^^^^": 2 / 3
LET s$ = USING$("#." & REPEAT$("#", 400) & "^^^^^", 1.5E-300)
PRINT LEN(s$); s$(1:5); s$(398:407)
! To a file, then read back.
OPEN #1: NAME "using.txt", ACCESS OUTPUT, CREATE NEWOLD
ERASE #1
PRINT #1, USING "<####|%%.#|": "x", 1.25, "yz", 10
PRINT #1, USING "##": 9;
PRINT #1: "!"
CLOSE #1
OPEN #1: NAME "using.txt", ACCESS INPUT
FOR k = 1 TO 3
   LINE INPUT #1: line$
   PRINT "file: "; line$
NEXT k
CLOSE #1
END
