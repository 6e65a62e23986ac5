! PRINT through the runtime library's module qlib (docs/compiler.md, "How the library is
! built"): numbers, strings, zones, TAB and text to convert to UTF-8, 60,000 lines. Run it with
! its output to /dev/null.
FOR i = 1 TO 20000
   PRINT i; "abc"; i / 7, "zone", -i; TAB(60); "end"
   PRINT "café €"; i, i * 1000003; TAB(5); i; TAB(70); "x"
   PRINT i, i + 1, i + 2, i + 3, i + 4
NEXT i
END
