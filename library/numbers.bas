! Numbers to text and text to numbers, compiled in library mode into the module qnum
! (docs/compiler.md, "Library mode"): the text of bif 13 beyond its fast path (qlib's start
! overrides bif 13 with format), the parsing of INPUT's and VAL's numbers, and powers of ten.
MODULE qnum

! Bif 13 beyond its fast path: x as PRINT shows it, without blanks. At most 8 significant
! digits: whole numbers of up to 8 digits as they are, others in fixed notation when it needs
! no more than 8 digits (leading zeros after the point count), else scaled (`1.2345679E+9`,
! `1.E+36`).
FUNCTION format$(x)
    ! Zero, and a number below the smallest normal one, which the engine never makes (its
    ! results are 0 there) but a program's raw bits can hold.
    IF x < 2.2250738585072014E-308 AND x > -2.2250738585072014E-308 THEN
        LET format$ = "0"
        EXIT FUNCTION
    END IF
    ! Not a number (infinity less infinity, zero times infinity) and infinities first (a
    ! library source writes infinity 1E999): negating one would raise an overflow. Numbers
    ! compare in the order of their bits, so a NaN lies beyond the infinity of its sign.
    IF x > 1E999 OR x < -1E999 THEN
        LET format$ = "NaN"
        EXIT FUNCTION
    END IF
    IF x >= 1E999 THEN
        LET format$ = "INF"
        EXIT FUNCTION
    END IF
    IF x <= -1E999 THEN
        LET format$ = "-INF"
        EXIT FUNCTION
    END IF
    LET a = x
    IF x < 0 THEN
        LET sign$ = "-"
        LET a = -x
    END IF
    ! a = 0.DDDDDDDD times 10^e; m = the 8 digits DDDDDDDD, rounded.
    BIF log10(a, e)
    BIF floor(e, e)
    LET e = e + 1
    DO
        LET tries = tries + 1
        LET k = 8 - e
        LET m = a
        ! Exactly rounded where the power of ten is exact (up to 10^22, or two of them): the
        ! scaled value is kept as a sum h + l with the product's rounding error in l.
        LET exact = 1
        IF k >= 0 THEN
            IF k > 44 THEN
                LET exact = 0
            ELSEIF k > 22 THEN
                CALL two_product(a, 1E22, h, l)
                LET p = pow10(k - 22)
                LET low = l * p
                CALL two_product(h, p, h, l)
                LET l = l + low
            ELSE
                LET p = pow10(k)
                CALL two_product(a, p, h, l)
            END IF
        ELSE
            LET k = -k
            IF k > 44 THEN
                LET exact = 0
            ELSEIF k > 22 THEN
                ! a / 10^22 as h + l, then that sum divided by the rest of the power.
                LET h = a / 1E22
                CALL two_product(h, 1E22, low, l)
                LET low = a - low
                LET l = low - l
                LET l = l / 1E22
                LET p = pow10(k - 22)
                LET quot = h / p
                CALL two_product(quot, p, low, rest)
                LET low = h - low
                LET low = low - rest
                LET low = low + l
                LET l = low / p
                LET h = quot
            ELSE
                LET p = pow10(k)
                LET h = a / p
                ! l = (a - h * p) / p, the remainder computed exactly.
                CALL two_product(h, p, low, l)
                LET low = a - low
                LET l = low - l
                LET l = l / p
            END IF
        END IF
        IF exact = 1 THEN
            BIF floor(h, m)
            LET low = h - m
            LET low = low + l
            IF low >= .5 THEN LET m = m + 1
        ELSE
            LET k = 8 - e
            IF k >= 0 THEN
                IF k > 300 THEN
                    LET m = m * 1E100
                    LET k = k - 100
                END IF
                LET m = m * pow10(k)
            ELSE
                LET m = m / pow10(-k)
            END IF
            BIF round(m, m)
        END IF
        IF tries > 3 THEN EXIT DO
        IF m >= 100000000 THEN
            LET e = e + 1
        ELSEIF m < 10000000 THEN
            LET e = e - 1
        ELSE
            EXIT DO
        END IF
    LOOP
    BIF number_to_string(m, digits$)
    ! Trailing zeros go.
    BIF string_length(digits$, n)
    DO WHILE digits$(n:n) = "0"
        LET n = n - 1
    LOOP
    LET digits$ = digits$(1:n)
    IF e <= 8 THEN
        IF e > 0 THEN
            ! 1 <= e <= 8: digits with the point after e of them.
            IF n > e THEN
                LET format$ = sign$ & digits$(1:e) & "." & digits$(e + 1:n)
            ELSE
                DO WHILE e > n
                    LET digits$ = digits$ & "0"
                    LET n = n + 1
                LOOP
                LET format$ = sign$ & digits$
            END IF
            EXIT FUNCTION
        END IF
        ! e <= 0: "." then -e zeros and the digits, when that needs at most 8 digits.
        IF n - e <= 8 THEN
            LET s$ = sign$ & "."
            DO WHILE e < 0
                LET s$ = s$ & "0"
                LET e = e + 1
            LOOP
            LET format$ = s$ & digits$
            EXIT FUNCTION
        END IF
    END IF
    LET s$ = sign$ & digits$(1:1) & "." & digits$(2:n)
    LET e = e - 1
    IF e < 0 THEN
        LET s$ = s$ & "E-"
        LET e = -e
    ELSE
        LET s$ = s$ & "E+"
    END IF
    BIF number_to_string(e, piece$)
    LET format$ = s$ & piece$
END FUNCTION

! 10 to the power k (k >= 0), rounded once as the constant 1Ek is.
FUNCTION pow10(k)
    CALL pow10_pair(k, h, l)
    LET pow10 = h
END FUNCTION

! 10^k (k >= 0) as the sum h + l, h rounded to the nearest number: products of powers of ten
! up to 10^22 (exact), each product's rounding error carried on in l. Multiplying by 10^22
! again and again, as plain numbers, missed the nearest number for most k above 22 (1E100 a
! unit off).
SUB pow10_pair(k, h, l)
    LET h = 1
    LET l = 0
    LET n = k
    DO WHILE n > 0
        LET m = n
        IF m > 22 THEN LET m = 22
        LET p = 1
        FOR j = 1 TO m
            LET p = p * 10
        NEXT j
        LET n = n - m
        IF n + m = k THEN
            ! The first step: 10^m itself, exact.
            LET h = p
        ELSE
            LET low = l * p
            CALL two_product(h, p, h, l)
            LET l = l + low
            ! h + l again with h the rounded sum.
            LET sum = h + l
            LET l = l - (sum - h)
            LET h = sum
        END IF
    LOOP
END SUB

! (vh + vl) times 10^k, or divided by 10^k when k < 0 (|k| <= 308, vh + vl >= 0), rounded
! once from the exact value but in rare ties.
FUNCTION scaled10(vh, vl, k)
    IF vl = 0 AND vh <= 9007199254740992 AND k >= -22 AND k <= 22 THEN
        ! vh and 10^|k| are exact: one product or quotient, rounded once.
        LET p = 1
        FOR j = 1 TO ABS(k)
            LET p = p * 10
        NEXT j
        IF k >= 0 THEN LET scaled10 = vh * p ELSE LET scaled10 = vh / p
    ELSEIF k >= 0 THEN
        ! Worked out 2^64 times smaller (exactly), so that splitting a large h cannot
        ! overflow; the last product overflows only when the value does.
        CALL pow10_pair(k, h, l)
        LET h = h / 18446744073709551616
        LET l = l / 18446744073709551616
        CALL two_product(vh, h, ph, pl)
        LET pl = pl + (vh * l + vl * h)
        LET scaled10 = (ph + pl) * 18446744073709551616
    ELSE
        ! (vh + vl) / (h + l): the quotient by h, corrected by the exact remainder, vl and l,
        ! worked out 2^64 times larger so that the correction of a quotient near the smallest
        ! numbers is not lost; the factors of the exact product are scaled so that splitting
        ! them cannot overflow.
        CALL pow10_pair(-k, h, l)
        LET vh = vh * 18446744073709551616
        LET vl = vl * 18446744073709551616
        LET q = vh / h
        CALL two_product(q * 18446744073709551616, h / 18446744073709551616, a, b)
        LET rest = vh - a
        LET rest = rest - b
        LET rest = rest + (vl - q * l)
        LET scaled10 = (q + rest / h) / 18446744073709551616
    END IF
END FUNCTION

! h + l = a * b exactly (Dekker's product: each factor split into halves of 26 bits).
SUB two_product(a, b, h, l)
    LET x = a
    LET y = b
    LET h = x * y
    LET c = x * 134217729
    LET t = c - x
    LET xh = c - t
    LET xl = x - xh
    LET c = y * 134217729
    LET t = c - y
    LET yh = c - t
    LET yl = y - yh
    LET l = xh * yh - h + xh * yl + xl * yh + xl * yl
END SUB

! A decimal number with an optional sign, point and exponent, blanks around it, as r; ok = 0
! (and r = 0) when the text is something else.
SUB parse_number(s$, r, ok)
    LET r = 0
    LET ok = 0
    BIF string_length(s$, n)
    LET i = 1
    DO
        LET c$ = s$(i:i)
        IF c$ <> " " THEN EXIT DO
        LET i = i + 1
    LOOP
    IF c$ = "-" THEN
        LET negative = 1
        LET i = i + 1
    ELSEIF c$ = "+" THEN
        LET i = i + 1
    END IF
    ! The digits: the first 17 significant ones make the value, the others only move the
    ! point; zeros before the first nonzero digit only move it too. The first 15 go into v,
    ! which holds them exactly, the 16th and 17th into w (nw of them).
    DO
        LET c$ = s$(i:i)
        IF c$ = "." THEN
            IF point <> 0 THEN EXIT SUB
            LET point = 1
            LET i = i + 1
        ELSE
            LET d = digit_value(c$)
            IF d < 0 THEN EXIT DO
            LET i = i + 1
            LET seen = 1
            IF v <> 0 OR d <> 0 THEN LET digits = digits + 1
            IF digits > 17 THEN
                IF point = 0 THEN LET scale = scale + 1
            ELSE
                IF digits <= 15 THEN
                    LET v = v * 10 + d
                ELSE
                    LET w = w * 10 + d
                    LET nw = nw + 1
                END IF
                IF point <> 0 THEN LET scale = scale - 1
            END IF
        END IF
    LOOP
    IF seen = 0 THEN EXIT SUB
    IF c$ = "E" OR c$ = "e" THEN
        LET i = i + 1
        LET c$ = s$(i:i)
        IF c$ = "-" THEN
            LET negative_e = 1
            LET i = i + 1
        ELSEIF c$ = "+" THEN
            LET i = i + 1
        END IF
        IF digit_value(s$(i:i)) < 0 THEN EXIT SUB
        DO
            LET d = digit_value(s$(i:i))
            IF d < 0 THEN EXIT DO
            LET i = i + 1
            IF e <= 100000 THEN LET e = e * 10 + d
        LOOP
        IF negative_e <> 0 THEN LET e = -e
        LET scale = scale + e
    END IF
    DO WHILE i <= n
        IF s$(i:i) <> " " THEN EXIT SUB
        LET i = i + 1
    LOOP
    IF v <> 0 THEN
        ! The 17 digits exactly as vh + vl: v * 10^nw + w.
        LET vh = v
        LET vl = 0
        IF nw > 0 THEN
            CALL two_product(v, 10 ^ nw, a, b)
            LET vh = a + w
            LET vl = (w - (vh - a)) + b
        END IF
        IF scale > 308 THEN
            ! At least 1E309: one overflow (infinity and a warning, or exception 1002 in a
            ! protected part). The powers of ten that scaled10 takes would overflow on the way
            ! and give NaN.
            LET v = 1E308 * 10
        ELSEIF scale < -400 THEN
            LET v = 0
        ELSE
            IF scale < -308 THEN
                ! Divided by 10^100 first, the quotient kept as a sum of two numbers too.
                CALL pow10_pair(100, h, l)
                LET q = vh / h
                CALL two_product(q, h, a, b)
                LET rest = vh - a
                LET rest = rest - b
                LET rest = rest + (vl - q * l)
                LET vh = q
                LET vl = rest / h
                LET scale = scale + 100
            END IF
            LET v = scaled10(vh, vl, scale)
        END IF
    END IF
    IF negative <> 0 THEN
        ! Infinity (an overflow reported above) is negated without a second overflow.
        IF v > 1.7976931348623157E308 THEN LET v = -1E999 ELSE LET v = -v
    END IF
    LET r = v
    LET ok = 1
END SUB

! The value of a decimal digit, or -1 for any other text.
FUNCTION digit_value(c$)
    LET digit_value = -1
    IF c$ >= "0" AND c$ <= "9" THEN
        BIF string_length(c$, n)
        IF n = 1 THEN BIF string_to_number(c$, digit_value)
    END IF
END FUNCTION

! a ^ b: whole exponents by repeated squaring (exact where the products are), others through
! logarithms. Zero raised to a negative power is reported (at the program's line at_line) and
! gives infinity. A result past the largest number is had with one overflow (infinity and a
! warning, or exception 1002 in a protected part), and one below the smallest number is 0,
! before any product could overflow on the way.
FUNCTION power(a, b, at_line)
    IF a = 0 AND b < 0 THEN
        CALL qlib.warn(at_line, "zero raised to a negative power; the result is infinity")
        LET power = 1E999
        EXIT FUNCTION
    END IF
    BIF floor(b, whole)
    LET m = a
    IF m < 0 THEN LET m = -m
    IF m <> 0 AND m <> 1 AND (a > 0 OR whole = b) THEN
        ! ln |a ^ b| against ln of the largest number (709.78), with b held to 1E300 so that the
        ! product cannot overflow (the log of a number other than 1 is at least 1E-16 in size)
        BIF log(m, scale)
        LET held = b
        IF held > 1E300 THEN LET held = 1E300
        IF held < -1E300 THEN LET held = -1E300
        LET scale = scale * held
        IF scale > 709.79 THEN
            LET sign = 1
            IF a < 0 THEN
                BIF divmod(b, 2, half, odd)
                IF odd = 1 THEN LET sign = -1
            END IF
            LET power = sign * 1E308 * 10
            EXIT FUNCTION
        END IF
        IF scale < -709.78 THEN EXIT FUNCTION
    END IF
    IF whole = b THEN
        LET e = b
        IF e < 0 THEN LET e = -e
        ! A power of ten rounded once, as the constant 1Eb is.
        IF a = 10 AND e <= 307 THEN
            LET power = scaled10(1, 0, b)
            EXIT FUNCTION
        END IF
        IF e <= 1000000 THEN
            LET r = 1
            LET base = a
            DO WHILE e > 0
                BIF divmod(e, 2, e, odd)
                IF odd = 1 THEN LET r = r * base
                ! Squared only while a bit is left: a square past the last would overflow
                ! where the result does not (10 ^ 300).
                IF e > 0 THEN LET base = base * base
            LOOP
            IF b < 0 THEN LET r = 1 / r
            LET power = r
            EXIT FUNCTION
        END IF
    END IF
    IF a = 0 THEN EXIT FUNCTION
    IF a < 0 THEN CAUSE EXCEPTION 3002, "Negative number raised to a non-integral power."
    BIF log(a, e)
    LET e = e * b
    ! Past ln of the largest number exp would stop with exception 1003 (the check above leaves
    ! room for whole powers, whose products find an overflow exactly): one overflow instead.
    IF e > 709.782712893384 THEN
        LET power = 1E308 * 10
        EXIT FUNCTION
    END IF
    BIF exp(e, power)
END FUNCTION

! a / 0: reported (at the program's line at_line), and infinity with a's sign.
FUNCTION divide_by_zero(a, at_line)
    CALL qlib.warn(at_line, "division by zero; the result is infinity")
    IF a < 0 THEN LET divide_by_zero = -1E999 ELSE LET divide_by_zero = 1E999
END FUNCTION

FUNCTION abs(x)
    IF x < 0 THEN LET abs = -x ELSE LET abs = x
END FUNCTION

FUNCTION sgn(x)
    IF x > 0 THEN
        LET sgn = 1
    ELSEIF x < 0 THEN
        LET sgn = -1
    END IF
END FUNCTION
