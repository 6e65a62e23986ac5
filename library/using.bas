! Formatted output: PRINT USING and USING$ (docs/language.md gives the rules of the fields).
! The code generator calls using_num or using_str for each value, in order, then using_end;
! they build the text in o$ and keep their place in the format in p (0 before the first value).
!
! mode: 1 for PRINT USING (a line that the reused format ends is printed at once), 0 for
! USING$, plus 2 inside a protected part. A value too wide for its field is exception 8203
! (8204 when its exponent is) inside a protected part; elsewhere the field is filled with
! asterisks, and PRINT USING also shows the value as PRINT does on a line of its own and goes
! on at the same column of the next line.
!
! Exceptions:
!   8201 a character of a field's kind (# % * $ + - . , ^ < >) that no field takes.
!   8202 values to format, but no field in the format.
!   8203 a value longer than its field.
!   8204 an exponent longer than its field's ^ part.
MODULE qusing

SUB using_num(f$, mode, p, o$, x)
   CALL using_value(f$, mode, p, o$, 1, x, "")
END SUB

SUB using_str(f$, mode, p, o$, s$)
   CALL using_value(f$, mode, p, o$, 0, 0, s$)
END SUB

! After the last value: the text up to the next field, or to the end when no field is left.
SUB using_end(f$, mode, p, o$)
   IF p = 0 THEN
      CALL using_check(f$)
      LET p = 1
   END IF
   LET i = p
   DO WHILE i <= LEN(f$)
      IF using_field(f$, i) > 0 THEN EXIT DO
      LET i = i + 1
   LOOP
   LET o$ = o$ & f$(p:i - 1)
   LET p = i
END SUB

SUB using_value(f$, mode, p, o$, numeric, x, s$)
   IF p = 0 THEN
      CALL using_check(f$)
      LET p = 1
   END IF
   ! The next field: from p, or from the start again once the format is used up.
   LET start = p
   DO
      LET a = start
      DO WHILE a <= LEN(f$)
         LET w = using_field(f$, a)
         IF w > 0 THEN EXIT DO
         LET a = a + 1
      LOOP
      IF w > 0 THEN EXIT DO
      IF start = 1 THEN CAUSE EXCEPTION 8202, "No field in the USING format."
      LET o$ = o$ & f$(start:LEN(f$))
      IF MOD(mode, 2) = 1 THEN
         PRINT o$
         LET o$ = ""
      END IF
      LET start = 1
   LOOP
   LET o$ = o$ & f$(start:a - 1)
   LET p = a + w
   LET field$ = f$(a:a + w - 1)
   IF numeric = 1 THEN
      CALL using_number(field$, x, r$, code)
   ELSE
      LET code = 0
      LET gap = w - LEN(s$)
      IF gap < 0 THEN
         LET code = 8203
      ELSEIF field$(1:1) = "<" THEN
         LET r$ = s$ & REPEAT$(" ", gap)
      ELSEIF field$(1:1) = ">" THEN
         LET r$ = REPEAT$(" ", gap) & s$
      ELSE
         LET r$ = REPEAT$(" ", INT(gap / 2)) & s$ & REPEAT$(" ", gap - INT(gap / 2))
      END IF
   END IF
   IF code = 0 THEN
      LET o$ = o$ & r$
      EXIT SUB
   END IF
   IF mode >= 2 THEN
      IF code = 8203 THEN CAUSE EXCEPTION 8203, "USING value too wide for its field."
      CAUSE EXCEPTION 8204, "USING exponent too wide for its field."
   END IF
   LET o$ = o$ & REPEAT$("*", w)
   IF mode = 1 THEN
      ! Nothing of o$ is written yet: the line holds what stood before the statement, or nothing.
      CALL qlib.column(c)
      PRINT o$
      IF numeric = 1 THEN PRINT x ELSE PRINT s$
      LET o$ = REPEAT$(" ", c + LEN(o$))
   END IF
END SUB

! A badly formed format: a character of a field's kind outside every field.
SUB using_check(f$)
   LET i = 1
   DO WHILE i <= LEN(f$)
      LET w = using_field(f$, i)
      IF w > 0 THEN
         LET i = i + w
      ELSEIF POS("#%*$+-.,^<>", f$(i:i)) > 0 THEN
         CAUSE EXCEPTION 8201, "Badly formed USING format."
      ELSE
         LET i = i + 1
      END IF
   LOOP
END SUB

! The length of the longest field that starts at character i of f$ (0: none starts there). A
! field: an optional < or >, floating signs and $ (+++ or --- or $$$ with one sign before or
! after the $s), digit places (all #, all % or all *, with commas between), a point and #s
! after it, and 4 or more ^ for an exponent; or a < or > alone.
FUNCTION using_field(f$, i)
   LET k = i
   LET c$ = f$(k:k)
   IF c$ = "<" OR c$ = ">" THEN LET k = k + 1
   LET w = k - i
   LET c$ = f$(k:k)
   IF c$ = "+" OR c$ = "-" THEN
      DO WHILE f$(k:k) = c$
         LET k = k + 1
      LOOP
      IF f$(k:k) = "$" THEN LET k = k + 1
   ELSEIF c$ = "$" THEN
      DO WHILE f$(k:k) = "$"
         LET k = k + 1
      LOOP
      IF f$(k:k) = "+" OR f$(k:k) = "-" THEN LET k = k + 1
   END IF
   LET d$ = f$(k:k)
   LET places = 0
   IF d$ = "#" OR d$ = "%" OR d$ = "*" THEN
      DO
         IF f$(k:k) = d$ THEN
            LET k = k + 1
         ELSEIF f$(k:k) = "," AND f$(k + 1:k + 1) = d$ THEN
            LET k = k + 2
         ELSE
            EXIT DO
         END IF
      LOOP
      LET places = 1
      IF f$(k:k) = "." THEN LET k = k + 1
   ELSEIF d$ = "." AND f$(k + 1:k + 1) = "#" THEN
      LET k = k + 1
      LET places = 1
   END IF
   IF places = 0 THEN
      LET using_field = w
      EXIT FUNCTION
   END IF
   DO WHILE f$(k:k) = "#"
      LET k = k + 1
   LOOP
   IF f$(k:k + 3) = "^^^^" THEN
      DO WHILE f$(k:k) = "^"
         LET k = k + 1
      LOOP
   END IF
   LET using_field = k - i
END FUNCTION

! The decimal digits of the whole number n >= 0; "" for 0.
FUNCTION using_digits$(n)
   LET d$ = ""
   DO WHILE n >= 1
      LET q = INT(n / 10)
      LET digit = MIN(MAX(n - 10 * q, 0), 9)
      LET d$ = CHR$(48 + digit) & d$
      LET n = q
   LOOP
   LET using_digits$ = d$
END FUNCTION

! x times 10^k, in two steps where 10^k alone would overflow or vanish.
FUNCTION using_scaled(x, k)
   LET half = INT(k / 2)
   LET using_scaled = x * 10 ^ half * 10 ^ (k - half)
END FUNCTION

! The s significant digits of a > 0, rounded, as the whole number n: a is about n * 10^e.
SUB using_leading(a, s, n, e)
   LET e = INT(LOG10(a)) - s + 1
   LET n = ROUND(using_scaled(a, -e))
   IF n >= 10 ^ s THEN
      LET e = e + 1
      LET n = ROUND(using_scaled(a, -e))
   ELSEIF n < 10 ^ (s - 1) THEN
      LET e = e - 1
      LET n = ROUND(using_scaled(a, -e))
   END IF
   IF n >= 10 ^ s THEN
      LET n = 10 ^ (s - 1)
      LET e = e + 1
   END IF
END SUB

! The number x in the numeric field g$: its text in r$, or code 8203 (too wide) or 8204 (an
! exponent too wide).
SUB using_number(g$, x, r$, code)
   LET code = 0
   LET w = LEN(g$)
   ! A < or > stands for the character after it (# before a point or at the end).
   IF g$(1:1) = "<" OR g$(1:1) = ">" THEN
      LET after$ = g$(2:2)
      IF after$ = "" OR after$ = "." THEN LET after$ = "#"
      LET g$ = after$ & g$(2:w)
   END IF
   ! The parts: floating signs and $ in flo$, the integer part's places (and commas) in t$,
   ! nf places after the point, ne characters of exponent.
   LET k = 1
   DO WHILE POS("+-$", g$(k:k)) > 0 AND g$(k:k) <> ""
      LET k = k + 1
   LOOP
   LET flo$ = g$(1:k - 1)
   LET point = POS(g$, ".")
   LET caret = POS(g$, "^")
   IF caret = 0 THEN LET caret = w + 1
   IF point = 0 THEN
      LET t$ = g$(k:caret - 1)
      LET nf = 0
   ELSE
      LET t$ = g$(k:point - 1)
      LET nf = caret - point - 1
   END IF
   LET ne = w - caret + 1
   LET fill$ = t$(1:1)
   LET places = LEN(t$)
   LET commas = 0
   FOR j = 1 TO LEN(t$)
      IF t$(j:j) = "," THEN LET commas = commas + 1
   NEXT j
   LET places = places - commas
   ! Infinity and NaN (beyond the infinity of its sign) fit no field, and negating one would
   ! overflow.
   IF x > MAXNUM OR x < -MAXNUM THEN
      LET code = 8203
      EXIT SUB
   END IF
   LET a = ABS(x)
   ! The digits: n, the value's digits to nf places after the point (scaled so that the first
   ! place holds a nonzero digit when there is an exponent), then pad zeros: a number holds
   ! no more than 15 significant digits, and n stays a whole number that is exact.
   LET e = 0
   LET pad = 0
   IF a = 0 THEN
      LET n = 0
   ELSEIF ne > 0 THEN
      LET pad = MAX(places + nf - 15, 0)
      CALL using_leading(a, places + nf - pad, n, e)
      LET e = e + nf - pad
   ELSEIF LOG10(a) + nf >= 15 THEN
      CALL using_leading(a, 15, n, e)
      LET pad = MAX(e + nf, 0)
   ELSE
      ! Rounded as the decimal number that x stands for (1.005 to 1.01).
      LET n = ROUND(using_scaled(ROUND(a, nf), nf))
   END IF
   LET d$ = using_digits$(n) & REPEAT$("0", pad)
   IF LEN(d$) < nf THEN LET d$ = REPEAT$("0", nf - LEN(d$)) & d$
   LET ip$ = d$(1:LEN(d$) - nf)
   LET frac$ = d$(LEN(d$) - nf + 1:LEN(d$))
   IF ip$ = "" AND frac$ = "" THEN LET ip$ = "0"
   ! The integer part fills its places: leading blanks, zeros or asterisks; commas where a digit
   ! stands on their left.
   LET digits = LEN(ip$)
   IF places > digits THEN
      IF fill$ = "%" THEN
         LET ip$ = REPEAT$("0", places - digits) & ip$
         LET digits = places
      ELSEIF fill$ = "*" THEN
         LET ip$ = REPEAT$("*", places - digits) & ip$
      ELSE
         LET ip$ = REPEAT$(" ", places - digits) & ip$
      END IF
   END IF
   LET m$ = ""
   LET at = LEN(ip$)
   FOR j = LEN(t$) TO 1 STEP -1
      IF t$(j:j) <> "," THEN
         LET m$ = ip$(at:at) & m$
         LET at = at - 1
      ELSEIF LEN(ip$) - at < digits THEN
         LET m$ = "," & m$
      ELSEIF fill$ = "*" THEN
         LET m$ = "*" & m$
      ELSE
         LET m$ = " " & m$
      END IF
   NEXT j
   LET m$ = ip$(1:at) & m$
   IF point > 0 THEN LET m$ = m$ & "." & frac$
   IF ne > 0 THEN
      LET e$ = using_digits$(ABS(e))
      IF LEN(e$) > ne - 2 THEN
         LET code = 8204
         EXIT SUB
      END IF
      LET e$ = REPEAT$("0", ne - 2 - LEN(e$)) & e$
      IF e < 0 THEN LET m$ = m$ & "E-" & e$ ELSE LET m$ = m$ & "E+" & e$
   END IF
   ! The signs and $ before the digits.
   LET negative = 0
   IF x < 0 AND n > 0 THEN LET negative = 1
   LET first$ = flo$(1:1)
   LET last$ = flo$(LEN(flo$):LEN(flo$))
   IF flo$ = "" THEN
      LET lead$ = ""
      IF negative = 1 THEN LET lead$ = "-"
   ELSEIF POS(flo$, "$") = 0 THEN
      LET lead$ = first$
      IF first$ = "-" THEN LET lead$ = " "
      IF negative = 1 THEN LET lead$ = "-"
   ELSEIF first$ = "-" OR first$ = "+" THEN
      LET lead$ = first$ & "$"
      IF first$ = "-" THEN LET lead$ = " $"
      IF negative = 1 THEN LET lead$ = "-$"
   ELSEIF last$ = "-" OR last$ = "+" THEN
      LET lead$ = "$" & last$
      IF last$ = "-" THEN LET lead$ = "$ "
      IF negative = 1 THEN LET lead$ = "$-"
   ELSE
      LET lead$ = "$"
      IF negative = 1 THEN LET lead$ = "$-"
   END IF
   LET r$ = lead$ & m$
   IF LEN(r$) > w THEN
      LET code = 8203
      EXIT SUB
   END IF
   LET r$ = REPEAT$(" ", w - LEN(r$)) & r$
END SUB
