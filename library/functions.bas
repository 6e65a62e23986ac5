! The built-in functions of Quillet BASIC that have no bif of their own (compiler/builtins.def
! maps each function onto a bif or onto a routine here), compiled in library mode into the
! module qfn (docs/compiler.md, "Library mode"). The number parsing of VAL is qnum's, which
! INPUT uses too.
!
! Exceptions raised here, with the codes of the Full BASIC standard:
!   3008 ANGLE(0,0) has no angle.
!   4001 VAL of a text that is not a numeric constant.
!   4002 CHR$ of a code outside 0 to 255.
!   4003 ORD of a text that is neither one character nor a control character's name.
!   4010 REPEAT$ with a negative count.
MODULE qfn

! VAL: a numeric constant with an optional sign, blanks around it.
FUNCTION val(s$)
    CALL qnum.parse_number(s$, val, ok)
    IF ok = 0 THEN CAUSE EXCEPTION 4001, "VAL string isn't a proper numeric."
END FUNCTION

! CHR$: the character of code n (rounded), 0 to 255.
FUNCTION chr$(n)
    BIF round(n, k)
    IF k < 0 OR k > 255 THEN CAUSE EXCEPTION 4002, "CHR$ argument out of range."
    ! A control character cannot stand in a literal: the byte is written into a blank.
    LET chr$ = " "
    BIF bit_field_store(chr$, 0, 8, k)
END FUNCTION

! ORD: the code of a one-character text, or of a control character named by its two- or
! three-letter name (NUL to US, SP, DEL; in either case).
FUNCTION ord(s$)
    BIF string_length(s$, n)
    IF n = 1 THEN
        BIF bit_field_read(s$, 0, 8, ord)
        EXIT FUNCTION
    END IF
    IF n < 2 OR n > 3 THEN CAUSE EXCEPTION 4003, "Improper ORD string."
    ! The names in slots of 4 characters; only a match at a slot's start counts.
    BIF upper_case(s$, key$)
    IF n = 2 THEN LET key$ = key$ & "||" ELSE LET key$ = key$ & "|"
    LET at = 1
    DO
        BIF pos("NUL|SOH|STX|ETX|EOT|ENQ|ACK|BEL|BS||HT||LF||VT||FF||CR||SO||SI||DLE|DC1|DC2|DC3|DC4|NAK|SYN|ETB|CAN|EM||SUB|ESC|FS||GS||RS||US||SP||DEL|", key$, at, at)
        IF at = 0 THEN CAUSE EXCEPTION 4003, "Improper ORD string."
        BIF divmod(at - 1, 4, slot, offset)
        IF offset = 0 THEN EXIT DO
        LET at = at + 1
    LOOP
    LET ord = slot
    IF slot = 33 THEN LET ord = 127
END FUNCTION

! REPEAT$: count (rounded) copies of s, built by doubling.
FUNCTION repeat$(s$, count)
    BIF round(count, n)
    IF n < 0 THEN CAUSE EXCEPTION 4010, "REPEAT$ count < 0."
    LET piece$ = s$
    DO WHILE n > 0
        BIF divmod(n, 2, n, odd)
        IF odd <> 0 THEN LET r$ = r$ & piece$
        IF n = 0 THEN EXIT DO
        LET piece$ = piece$ & piece$
    LOOP
    LET repeat$ = r$
END FUNCTION

! LTRIM$, RTRIM$ and TRIM$: the text without its leading, trailing or both blanks.
FUNCTION ltrim$(s$)
    BIF ncpos(s$, " ", 1, first)
    IF first = 0 THEN EXIT FUNCTION
    BIF string_length(s$, n)
    LET ltrim$ = s$(first:n)
END FUNCTION

FUNCTION rtrim$(s$)
    BIF ncposr(s$, " ", 2147483647, last)
    IF last = 0 THEN EXIT FUNCTION
    LET rtrim$ = s$(1:last)
END FUNCTION

FUNCTION trim$(s$)
    BIF ncpos(s$, " ", 1, first)
    IF first = 0 THEN EXIT FUNCTION
    BIF ncposr(s$, " ", 2147483647, last)
    LET trim$ = s$(first:last)
END FUNCTION

! MOD(x, y) = x - y * INT(x / y), the floored remainder (of y's sign); MOD(x, 0) = x.
FUNCTION mod(x, y)
    IF y = 0 THEN
        LET mod = x
    ELSE
        BIF divmod(x, y, q, mod)
    END IF
END FUNCTION

! REMAINDER(x, y) = x - y * IP(x / y), the truncated remainder (of x's sign);
! REMAINDER(x, 0) = x.
FUNCTION remainder(x, y)
    IF y = 0 THEN
        LET remainder = x
        EXIT FUNCTION
    END IF
    BIF divmod(x, y, q, r)
    ! The floored remainder has y's sign: when x's sign differs, step back by y.
    IF r <> 0 THEN
        IF x > 0 THEN
            IF y < 0 THEN LET r = r - y
        ELSEIF y > 0 THEN
            LET r = r - y
        END IF
    END IF
    LET remainder = r
END FUNCTION

! EXP, SINH and COSH: a result past the largest number is one overflow (infinity and a
! warning, or exception 1002 in a protected part), as any other result too large is; the
! engine's exp, sinh and cosh stop with exception 1003 there. The bounds are the largest
! arguments whose results are finite.
FUNCTION exp(x)
    IF x > 709.782712893384 THEN
        LET exp = 1E308 * 10
    ELSE
        BIF exp(x, exp)
    END IF
END FUNCTION

FUNCTION sinh(x)
    IF x > 710.4758600739439 THEN
        LET sinh = 1E308 * 10
    ELSEIF x < -710.4758600739439 THEN
        LET m = -1E308
        LET sinh = m * 10
    ELSE
        BIF sinh(x, sinh)
    END IF
END FUNCTION

FUNCTION cosh(x)
    IF x > 710.4758600739439 OR x < -710.4758600739439 THEN
        LET cosh = 1E308 * 10
    ELSE
        BIF cosh(x, cosh)
    END IF
END FUNCTION

! IP: the integer part (toward zero); FP: what is left; CEIL: the least whole number not
! below x. Each floors a non-negative value only, which the floor bif takes exactly.
FUNCTION ip(x)
    IF x < 0 THEN
        BIF floor(-x, r)
        LET ip = -r
    ELSE
        BIF floor(x, ip)
    END IF
END FUNCTION

FUNCTION fp(x)
    LET fp = x - IP(x)
END FUNCTION

FUNCTION ceil(x)
    IF x < 0 THEN
        BIF floor(-x, r)
        LET ceil = -r
    ELSE
        BIF floor(x, r)
        IF x > r THEN LET r = r + 1
        LET ceil = r
    END IF
END FUNCTION

FUNCTION max(x, y)
    LET max = x
    IF y > x THEN LET max = y
END FUNCTION

FUNCTION min(x, y)
    LET min = x
    IF x > y THEN LET min = y
END FUNCTION

! ROUND(x, n) = INT(x * 10^n + .5) / 10^n and TRUNCATE(x, n) = IP(x * 10^n) / 10^n, n
! rounded. x counts as the decimal number of 15 significant digits it stands for: the scaled
! value y is a binary approximation, so one within 2^-52 of its size of a whole number (or
! of a half, for ROUND) counts as that number (ROUND(1.005, 2) is 1.01, TRUNCATE(.29, 2) is
! .29), and when y has 15 digits before the point or more, rounding it changes nothing and
! the answer is x.
FUNCTION round(x, places)
    BIF round(places, n)
    IF n = 0 THEN
        BIF round(x, round)
        EXIT FUNCTION
    END IF
    CALL scale(x, n, y, p, r)
    IF p <> 0 THEN
        IF y < 0 THEN
            ! INT(y + .5) = -CEIL(-y - .5): halves go up.
            LET y = -near_ceil(-y - .5)
        ELSE
            LET y = near_floor(y + .5)
        END IF
        CALL unscale(y, n, p, r)
    END IF
    LET round = r
END FUNCTION

FUNCTION truncate(x, places)
    BIF round(places, n)
    IF n = 0 THEN
        LET truncate = IP(x)
        EXIT FUNCTION
    END IF
    CALL scale(x, n, y, p, r)
    IF p <> 0 THEN
        IF y < 0 THEN
            LET y = -near_floor(-y)
        ELSE
            LET y = near_floor(y)
        END IF
        CALL unscale(y, n, p, r)
    END IF
    LET truncate = r
END FUNCTION

! y = x scaled by 10^n (n not 0) and p = 10^|n|; p = 0 when the answer is already known,
! and is then in r: x for |y| of 1E+15 or more (n past 300 too), 0 for n below -308.
SUB scale(x, n, y, p, r)
    LET a = ABS(x)
    IF n > 0 THEN
        IF n <= 300 THEN
            CALL qnum.pow10(n, p)
            IF a < 1000000000000000 / p THEN
                LET y = x * p
                EXIT SUB
            END IF
        END IF
    ELSEIF n < -308 THEN
        LET p = 0
        LET r = 0
        EXIT SUB
    ELSE
        CALL qnum.pow10(-n, p)
        LET y = x / p
        IF a / p < 1000000000000000 THEN EXIT SUB
    END IF
    LET p = 0
    LET r = x
END SUB

SUB unscale(y, n, p, r)
    IF n > 0 THEN
        LET r = y / p
    ELSE
        LET r = y * p
    END IF
END SUB

! INT(y) for y >= 0, with a value within 2^-52 of its size below the next whole number taken
! as that number.
FUNCTION near_floor(y)
    BIF floor(y, r)
    IF r + 1 - y <= y * 2.220446049250313080847263336181640625E-16 THEN LET r = r + 1
    LET near_floor = r
END FUNCTION

! CEIL(u) for u >= -.5, with a value within 2^-52 of its size above a whole number taken as
! that number.
FUNCTION near_ceil(u)
    BIF floor(u, r)
    IF u - r > ABS(u) * 2.220446049250313080847263336181640625E-16 THEN LET r = r + 1
    LET near_ceil = r
END FUNCTION

! ANGLE(x, y): the angle of the point (x, y) from the positive x axis, -PI < ANGLE <= PI.
FUNCTION angle(x, y)
    IF ABS(x) >= ABS(y) THEN
        IF x = 0 THEN CAUSE EXCEPTION 3008, "ANGLE(0,0) has no angle."
        BIF atn(y / x, r)
        IF x < 0 THEN
            IF y < 0 THEN
                LET r = r - 3.141592653589793
            ELSE
                LET r = r + 3.141592653589793
            END IF
        END IF
        LET angle = r
    ELSE
        ! |y| > |x|: PI/2 (or -PI/2) less the angle of x / y, which stays within -1 to 1.
        BIF atn(x / y, q)
        IF y > 0 THEN
            LET angle = 1.5707963267948966 - q
        ELSE
            LET angle = -1.5707963267948966 - q
        END IF
    END IF
END FUNCTION

! EPS(x): the larger gap between x and its neighbours among the doubles, at least 2^-1022:
! the engine's arithmetic takes a smaller (subnormal) result as 0, so that is the least
! positive number a program computes.
FUNCTION eps(x)
    LET k = -1022
    IF x <> 0 THEN
        BIF binary_exponent(ABS(x), k)
        LET k = k - 52
        IF k < -1022 THEN LET k = -1022
    END IF
    BIF ldexp(1, k, eps)
END FUNCTION

! DATE: the date as YYDDD (the year's last two digits, the day of the year).
FUNCTION date
    BIF date_string(text$)
    BIF string_to_number(text$, v)
    BIF divmod(v, 10000, y, v)
    BIF divmod(v, 100, m, d)
    BIF divmod(y, 100, q, r)
    LET date = r * 1000 + day_of_year(y, m, d)
END FUNCTION

! The day of the year of day d of month m of year y (Gregorian).
FUNCTION day_of_year(y, m, d)
    ! The days before month m: three digits for each month.
    LET before$ = "000031059090120151181212243273304334"
    BIF string_to_number(before$(m * 3 - 2:m * 3), k)
    LET r = k + d
    IF m > 2 THEN
        BIF divmod(y, 4, q, rest)
        IF rest = 0 THEN
            BIF divmod(y, 100, q, rest)
            IF rest <> 0 THEN
                LET r = r + 1
            ELSE
                BIF divmod(y, 400, q, rest)
                IF rest = 0 THEN LET r = r + 1
            END IF
        END IF
    END IF
    LET day_of_year = r
END FUNCTION

! TIME$: the time of day as HH:MM:SS.
FUNCTION time_string$
    BIF time(t)
    BIF floor(t, t)
    BIF divmod(t, 3600, h, t)
    BIF divmod(t, 60, m, t)
    LET time_string$ = two_digits$(h) & ":" & two_digits$(m) & ":" & two_digits$(t)
END FUNCTION

FUNCTION two_digits$(n)
    BIF number_to_string(n, s$)
    IF n < 10 THEN LET s$ = "0" & s$
    LET two_digits$ = s$
END FUNCTION

! EXTYPE: the handled exception's code as it was raised (the exception_code bif moves a
! code raised in a routine below the handler's 100000 away from zero).
FUNCTION extype
    BIF exception_code(r)
    IF r >= 100000 THEN
        LET r = r - 100000
    ELSEIF r <= -100000 THEN
        LET r = r + 100000
    END IF
    LET extype = r
END FUNCTION

! EXTEXT$: the handled exception's message; for an exception the engine raised without one,
! the text of its code.
FUNCTION extext$
    BIF exception_message(r$)
    LET extext$ = r$
    IF r$ <> "" THEN EXIT FUNCTION
    LET code = EXTYPE
    LET table$ = "|-14101 Socket error.|-14100 Invalid socket.|-14011 Too many connections open."
    LET table$ = table$ & "|-14010 Unknown SQL implementation.|-14008 Invalid argument for SUB SQL."
    LET table$ = table$ & "|-14004 No results available for SQL query."
    LET table$ = table$ & "|-14003 Null or badly formed SQL query."
    LET table$ = table$ & "|-14001 No connection to SQL host established."
    LET table$ = table$ & "|-14000 Could not connect to the specified SQL host."
    LET table$ = table$ & "|-12017 PIPE not opened for WRITING.|-12011 OPEN PIPE operation failed."
    LET table$ = table$ & "|-12009 No PIPE associated with file number.|-12007 Invalid argument for PIPE."
    LET table$ = table$ & "|-12006 PostScript window size must be > 0."
    LET table$ = table$ & "|-11301 Unknown or invalid dialog box specification."
    LET table$ = table$ & "|-11300 Dialog box has no buttons specified."
    LET table$ = table$ & "|-11273 Not enough values for attribute list in SET/GET."
    LET table$ = table$ & "|-11271 RECTANGLE minimum = maximum."
    LET table$ = table$ & "|-11270 Can't get STAT info for file in directory."
    LET table$ = table$ & "|-11269 Unknown option for SUB System.|-11268 Can't get current directory."
    LET table$ = table$ & "|-11267 Unknown or invalid directory.|-11264 Can't SELECT an unSHOWn window."
    LET table$ = table$ & "|-11263 Menu parent incorrect for menu type."
    LET table$ = table$ & "|-11262 Can't make menubar item a separator.|-11261 Can't check a menubar item."
    LET table$ = table$ & "|-11257 Unknown or invalid control object type."
    LET table$ = table$ & "|-11256 Menu separators are not checkable.|-11255 Can't check a menu separator."
    LET table$ = table$ & "|-11254 Unknown or invalid menu item type specification."
    LET table$ = table$ & "|-11253 Line out of range for GET LINE."
    LET table$ = table$ & "|-11252 Paragraph out of range for GET LINE.|-11251 Color must be >= 0."
    LET table$ = table$ & "|-11250 Too many trap chars for TextEdit.|-11249 Can't set FONT METRICS."
    LET table$ = table$ & "|-11248 Can't set MAX WIDTH.|-11246 Can't set LINES IN PAR."
    LET table$ = table$ & "|-11245 Can't set NUM CHARS.|-11244 Can't set NUM PARS."
    LET table$ = table$ & "|-11243 Can't set NUM LINES.|-11242 Can't set ACTIVE until object is visible."
    LET table$ = table$ & "|-11241 Too many EXIT CHARS for Edit Field.|-11239 Unable to SHOW window."
    LET table$ = table$ & "|-11236 Object ID out of range.|-11235 Error appending paragraph."
    LET table$ = table$ & "|-11234 Error deleting paragraph.|-11233 Paragraph number is too large."
    LET table$ = table$ & "|-11232 Error adding paragraph."
    LET table$ = table$ & "|-11229 TextEdit method passed to non-TextEdit object."
    LET table$ = table$ & "|-11228 Font size must be greater than zero."
    LET table$ = table$ & "|-11227 Unknown or invalid font style."
    LET table$ = table$ & "|-11223 Attribute not used for specified object."
    LET table$ = table$ & "|-11222 Unknown or invalid SYS_INFO request."
    LET table$ = table$ & "|-11221 Cannot reference a freed object ID.|-11220 Unknown or invalid object ID."
    LET table$ = table$ & "|-11215 Error putting text onto clipboard."
    LET table$ = table$ & "|-11214 Error opening clipboard for writing.|-11213 Error closing clipboard."
    LET table$ = table$ & "|-11212 Error opening clipboard for reading."
    LET table$ = table$ & "|-11211 Invalid type for SUB Clipboard.|-11210 Invalid option for SUB Clipboard."
    LET table$ = table$ & "|-4020 Improper NUM string."
    LET table$ = table$ & "|-3051 Argument too large or small for accurate result."
    LET table$ = table$ & "|-3050 Argument for SIN, COS, or TAN too large."
    LET table$ = table$ & "|-963 Illegal selector in comopen or comlib."
    LET table$ = table$ & "|-961 Unknown communications status type.|-960 Unknown communications option."
    LET table$ = table$ & "|-555 System error.|1002 Overflow.|1003 Overflow in numeric function."
    LET table$ = table$ & "|1106 String too long in assignment.|2001 Subscript out of bounds.|3001 Division by zero."
    LET table$ = table$ & "|3004 LOG of number <= 0.|3005 SQR of negative number."
    LET table$ = table$ & "|3007 ASIN or ACOS argument must be between 1 and -1."
    LET table$ = table$ & "|4004 SIZE index out of range.|4008 LBOUND index out of range."
    LET table$ = table$ & "|5000 Out of memory.|5001 Array too large.|6005 Illegal array bounds."
    LET table$ = table$ & "|7004 Channel isn't open.|7104 Wrong type of file.|7107 Can't UNLOCK range."
    LET table$ = table$ & "|7108 Range or part of range is already LOCKed.|8401 Input timeout."
    LET table$ = table$ & "|8402 TIMEOUT value < 0.|9001 File is read or write protected."
    LET table$ = table$ & "|9002 Trouble using disk or printer.|9003 No such file."
    LET table$ = table$ & "|9004 File already exists.|9006 Disk full.|9101 Can't open PRINTER."
    LET table$ = table$ & "|10002 RETURN without GOSUB.|10005 Program not available for CHAIN.|"
    BIF number_to_string(code, digits$)
    LET digits$ = "|" & digits$ & " "
    BIF pos(table$, digits$, 1, at)
    IF at = 0 THEN EXIT FUNCTION
    LET at = at + LEN(digits$)
    BIF pos(table$, "|", at, last)
    LET extext$ = table$(at:last - 1)
END FUNCTION
