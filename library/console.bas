! The runtime library of compiled programs, compiled in library mode into the module qlib
! (docs/compiler.md, "Library mode"): the start routine, PRINT with its zones and TAB, INPUT and
! LINE INPUT, channels and record files, warnings and the conversion to and from UTF-8. Number
! formatting beyond bif 13's fast path, number parsing, `^`, division by zero, ABS and SGN are
! module qnum's (library/numbers.bas); library/console.qba holds the override of bif 13.
!
! The state (the output buffer, the column, the channel tables) lives in the frame of the start
! routine boot: the SHARED variables, which every routine here reaches.
!
! PRINT writes standard output through the engine's file bifs. INPUT reads standard input
! (opened at the first INPUT) the same way: it prompts "? ", reads a line, shows it after the
! prompt unless it was typed on a terminal, splits it at commas (a field may be quoted) and
! checks the count and the numbers before any variable is assigned; a faulty line is asked for
! again. The standard streams are opened by the names "<stdin>", "<stdout>" and "<stderr>": the
! engine reads and writes them in order, whatever they are (file, pipe or terminal);
! "<stdin>"'s size is 1 for a terminal. Output is converted from Windows-1252, the engine's
! strings, to UTF-8, and input from UTF-8.
!
! A windowed program (compiled without --console) prints into the text console of the default
! window and reads INPUT there instead: module qwin (library/window.bas) draws, scrolls and
! edits the typed line; console programs get an empty qwin (library/window_none.qba) that leaves
! them on the standard streams.
MODULE qlib
START boot

! The current channel's state (channel 0 is the console): handles, writing position, column,
! reading position and size (-1: a stream read as it comes), whether input is typed (in_tty),
! the record size of a record file (rec, else 0), and the text not yet written or read.
SHARED out_h, out_pos, col, in_h, in_tty, in_pos, in_size, rec, cur, out_buf$, in_buf$
! Standard error, opened at the first warning (err_h -1: it cannot be).
SHARED err_h, err_pos
! A windowed program prints into the default window's text console (module qwin) instead of
! standard output: windowed is 1 then, on_window while the console is the current channel, and
! row is the console's text row (col its column, from 0).
SHARED windowed, on_window, row
! INPUT's fields, left for input_number and input_string, and the numbers they hold.
SHARED fields$(1 TO 64), field_values(1 TO 64)
! Channels 1 to 99: the state of every channel but the current one.
SHARED ch_open(0 TO 99), ch_out_h(0 TO 99), ch_out_pos(0 TO 99), ch_col(0 TO 99)
SHARED ch_in_h(0 TO 99), ch_in_pos(0 TO 99), ch_in_size(0 TO 99), ch_tty(0 TO 99)
SHARED ch_rec(0 TO 99), ch_out_buf$(0 TO 99), ch_in_buf$(0 TO 99)
! Bytes no literal holds, made at the start (tables): line feed, carriage return, the zero
! byte, the bytes 128 to 255 (high$) and their UTF-8 forms (utf8$: 3-byte slots, a 2-byte form
! ends in a zero byte).
SHARED lf$, cr$, nul$, high$, utf8$

! The start: standard output opened (a windowed program's goes to the window), the program's
! main.main called, then the channels left open closed and the output written.
SUB boot
    LET in_size = -1
    ! An overflow outside protected parts gives infinity with a warning, as Minimal BASIC's
    ! does; inside one it is exception 1002.
    BIF engine_option("QUILLET OVERFLOW", "infinity", k)
    CALL tables
    CALL qwin.open_console(windowed, row)
    LET on_window = windowed
    IF windowed = 0 THEN
        BIF file_open(0, "<stdout>", 0, 2, 0, out_pos, out_h, status)
        IF status <> 0 THEN CAUSE EXCEPTION 7001, "cannot write standard output"
    END IF
    CALL main.main
    CALL stop
END SUB

! The end of the program: channels closed, output written; a windowed program then shows
! "Press any key." and waits for a key, so that its window can be read.
SUB stop
    CALL finish
    IF windowed = 0 THEN BIF end_program(0)
    BIF end_program(1)
END SUB

! Windows-1252's bytes from 128 and their UTF-8 forms. Bytes 128 to 159 are the characters
! whose code points `codes$` lists (the five Windows-1252 leaves undefined are U+0081, U+008D,
! U+008F, U+0090 and U+009D); the others are U+00A0 to U+00FF.
SUB tables
    ! Bit positions count from 1: byte k of a string starts at bit 8 * (k - 1) + 1.
    LET lf$ = " "
    BIF bit_field_store(lf$, 1, 8, 10)
    LET cr$ = " "
    BIF bit_field_store(cr$, 1, 8, 13)
    LET nul$ = " "
    BIF bit_field_store(nul$, 1, 8, 0)
    FOR b = 128 TO 255
        LET high$ = high$ & " "
    NEXT b
    LET utf8$ = high$ & high$ & high$
    LET codes$ = "20AC 0081 201A 0192 201E 2026 2020 2021 02C6 2030 0160 2039 0152 008D 017D 008F "
    LET codes$ = codes$ & "0090 2018 2019 201C 201D 2022 2013 2014 02DC 2122 0161 203A 0153 009D "
    LET codes$ = codes$ & "017E 0178"
    FOR b = 128 TO 255
        BIF bit_field_store(high$, (b - 128) * 8 + 1, 8, b)
        LET u = b
        IF b < 160 THEN
            LET u = 0
            LET at = (b - 128) * 5
            FOR j = at + 1 TO at + 4
                BIF pos("0123456789ABCDEF", codes$(j:j), 1, d)
                LET u = u * 16 + d - 1
            NEXT j
        END IF
        ! Two bytes below U+0800 (and the zero byte), else three.
        LET at = (b - 128) * 24 + 1
        IF u < 2048 THEN
            BIF bit_field_store(utf8$, at, 8, 192 + INT(u / 64))
            BIF bit_field_store(utf8$, at + 8, 8, 128 + u - INT(u / 64) * 64)
            BIF bit_field_store(utf8$, at + 16, 8, 0)
        ELSE
            BIF bit_field_store(utf8$, at, 8, 224 + INT(u / 4096))
            LET u = u - INT(u / 4096) * 4096
            BIF bit_field_store(utf8$, at + 8, 8, 128 + INT(u / 64))
            BIF bit_field_store(utf8$, at + 16, 8, 128 + u - INT(u / 64) * 64)
        END IF
    NEXT b
END SUB

! The end of the program: channels closed, output written.
SUB finish
    CALL select(0)
    FOR k = 1 TO 99
        CALL close_channel(k)
    NEXT k
    CALL flush
END SUB

SUB flush
    IF on_window = 0 THEN
        LET text$ = to_utf8$(out_buf$)
        BIF file_write(out_h, out_pos, text$, written, status)
        LET out_pos = out_pos + written
        LET out_buf$ = ""
    END IF
END SUB

SUB print_str(VALUE s$)
    IF on_window <> 0 THEN
        CALL qwin.print_text(s$, row, col)
        EXIT SUB
    END IF
    LET out_buf$ = out_buf$ & s$
    BIF string_length(s$, n)
    LET col = col + n
END SUB

SUB print_newline
    IF on_window <> 0 THEN
        CALL qwin.new_line(row, col)
        EXIT SUB
    END IF
    LET out_buf$ = out_buf$ & lf$
    LET col = 0
    CALL flush
END SUB

! The margin: 80 columns, or as many as the window's console shows in a line.
SUB margin(m)
    LET m = 80
    IF on_window <> 0 THEN CALL qwin.columns(m)
END SUB

! A number and a blank after it, and a blank before it unless it is negative (NaN has
! neither); a number that would pass the margin starts a new line.
SUB print_num(VALUE x)
    BIF number_to_string(x, s$)
    IF s$(1:1) <> "-" THEN LET s$ = " " & s$
    LET s$ = s$ & " "
    BIF string_length(s$, n)
    LET reach = col + n
    CALL margin(m)
    IF reach > m AND col > 0 THEN CALL print_newline
    CALL print_str(s$)
END SUB

! Spaces up to column `target` (counted from 0).
SUB spaces_to(VALUE target)
    DO WHILE target > col
        CALL print_str(" ")
    LOOP
END SUB

! The next of the print zones of 16 columns; past the last zone, a new line.
SUB print_comma
    LET zone = (INT(col / 16) + 1) * 16
    CALL margin(m)
    IF zone >= m THEN
        CALL print_newline
    ELSE
        CALL spaces_to(zone)
    END IF
END SUB

! TAB(n): column n, counted from 1; on the next line when the line is already past it.
SUB print_tab(VALUE n)
    BIF round(n, target)
    IF target < 1 THEN LET target = 1
    CALL margin(m)
    IF target > m THEN
        LET target = target - 1
        BIF divmod(target, m, n, target)
        LET target = target + 1
    END IF
    LET target = target - 1
    IF col > target THEN CALL print_newline
    CALL spaces_to(target)
END SUB

! The next line of the input without its line end; got = 0 at the end of the input. Standard
! input is read in order, as much as it has at a time; what follows the line stays in in_buf$
! for the next one.
SUB read_line(text$, got)
    LET text$ = ""
    LET got = 0
    CALL flush
    IF on_window <> 0 THEN
        ! The window's console: a line typed and edited there (never the end of the input).
        CALL qwin.read_line(text$, row, col)
        LET got = 1
        EXIT SUB
    END IF
    IF in_h = 0 THEN
        BIF file_open(0, "<stdin>", 1, 2, 0, in_tty, in_h, status)
        IF status <> 0 THEN CAUSE EXCEPTION 7002, "cannot read standard input"
    END IF
    DO
        BIF pos(in_buf$, lf$, 1, at)
        IF at <> 0 THEN EXIT DO
        LET chunk$ = ""
        IF in_size < 0 THEN
            BIF file_read(in_h, 0, chunk$, 4096, status)
        ELSE
            ! A file channel: the next piece of what it holds from the reading position.
            LET n = in_size - in_pos
            IF n > 4096 THEN LET n = 4096
            IF n > 0 THEN
                BIF file_read(in_h, in_pos, chunk$, n, status)
                LET in_pos = in_pos + n
            END IF
        END IF
        BIF string_length(chunk$, n)
        IF n = 0 THEN EXIT DO
        LET in_buf$ = in_buf$ & chunk$
    LOOP
    BIF string_length(in_buf$, n)
    IF at <> 0 THEN
        LET got = 1
        LET text$ = in_buf$(1:at - 1)
        LET in_buf$ = in_buf$(at + 1:n)
    ELSEIF n > 0 THEN
        ! The end of the input: a last line without its line end.
        LET got = 1
        LET text$ = in_buf$
        LET in_buf$ = ""
    END IF
    BIF string_length(text$, n)
    IF text$(n:n) = cr$ THEN LET text$ = text$(1:n - 1)
    LET text$ = from_utf8$(text$)
END SUB

! What was read is shown after the prompt, as if typed, unless it was typed (a terminal shows
! it already).
SUB echo_line(VALUE text$)
    IF on_window = 0 AND in_tty = 0 THEN
        CALL print_str(text$)
        CALL print_newline
    ELSE
        LET col = 0
    END IF
END SUB

! The field of text$ that starts at `at` (at moves past it and its comma; past the last field
! it is the length + 2). A field is quoted text or the text up to the next comma, without the
! blanks around it; found = 0 when there is none.
SUB next_field(VALUE text$, at, field$, found)
    LET field$ = ""
    LET found = 0
    BIF string_length(text$, n)
    IF at > n + 1 THEN EXIT SUB
    DO
        LET c$ = text$(at:at)
        IF c$ <> " " THEN EXIT DO
        LET at = at + 1
    LOOP
    IF c$ = """" THEN
        LET at = at + 1
        BIF pos(text$, """", at, closing)
        IF closing = 0 THEN EXIT SUB
        LET field$ = text$(at:closing - 1)
        LET at = closing + 1
        DO
            LET c$ = text$(at:at)
            IF c$ <> " " THEN EXIT DO
            LET at = at + 1
        LOOP
        IF at > n THEN
            LET at = n + 2
        ELSEIF c$ = "," THEN
            LET at = at + 1
        ELSE
            EXIT SUB
        END IF
        LET found = 1
        EXIT SUB
    END IF
    BIF pos(text$, ",", at, closing)
    IF closing = 0 THEN LET closing = n + 1
    LET field$ = text$(at:closing - 1)
    LET at = closing + 1
    DO
        BIF string_length(field$, k)
        IF field$(k:k) <> " " THEN EXIT DO
        LET field$ = field$(1:k - 1)
    LOOP
    LET found = 1
END SUB

! INPUT: the prompt is shown before each try ("? " unless INPUT PROMPT gives one); types$ has
! N (numeric) or S (string) for each variable; the fields are left in fields$ (and their
! numbers in field_values) for input_number and input_string.
SUB input_line(VALUE prompt_text$, VALUE types$)
    BIF string_length(types$, count)
    DO
        CALL ask_line(prompt_text$, text$)
        LET at = 1
        LET bad = 0
        FOR k = 1 TO count
            CALL next_field(text$, at, field$, found)
            IF found = 0 THEN
                LET bad = 1
                EXIT FOR
            END IF
            LET fields$(k) = field$
            IF types$(k:k) = "N" THEN
                CALL qnum.parse_number(field$, x, found)
                IF found = 0 THEN
                    LET bad = 1
                    EXIT FOR
                END IF
                ! Kept, so that a number past the largest overflows (and warns) once.
                LET field_values(k) = x
            END IF
        NEXT k
        IF bad = 0 THEN
            BIF string_length(text$, n)
            IF at = n + 2 THEN EXIT SUB
        END IF
        IF in_size >= 0 THEN
            CAUSE EXCEPTION 8101, "Reading non-numeric data into a numeric variable."
        END IF
        BIF number_to_string(count, field$)
        CALL print_str("Input error: give " & field$ & " value(s) separated by commas, and try again")
        CALL print_newline
    LOOP
END SUB

FUNCTION input_number(k)
    LET input_number = field_values(k)
END FUNCTION

FUNCTION input_string$(k)
    LET input_string$ = fields$(k)
END FUNCTION

! LINE INPUT: the whole next line, shown after the prompt as INPUT shows it.
FUNCTION line_input$(prompt_text$)
    CALL ask_line(prompt_text$, text$)
    LET line_input$ = text$
END FUNCTION

! The prompt, then the next line of input as text$, shown after the prompt; 8011 at the end of
! the input.
SUB ask_line(VALUE prompt_text$, text$)
    CALL print_str(prompt_text$)
    CALL read_line(text$, got)
    IF got = 0 THEN
        CALL print_newline
        CAUSE EXCEPTION 8011, "End of input."
    END IF
    CALL echo_line(text$)
END SUB

! Record files: a record holds one value, "N" and the 8 bytes of a number or "S", the length in
! 4 bytes and the string's bytes, padded with zero bytes to the record size. The channel's
! reading position (in_pos) is the pointer for reading and writing alike.
SUB record_check
    IF rec = 0 THEN CAUSE EXCEPTION 7318, "Not a record file: open it with ORGANIZATION RECORD."
END SUB

! WRITE #n: one value as the record at the pointer; the pointer moves past it.
SUB write_record(VALUE bytes$)
    CALL record_check
    BIF string_length(bytes$, n)
    IF n > rec THEN CAUSE EXCEPTION 8301, "The value is longer than the record size."
    LET padded$ = bytes$
    FOR k = n + 1 TO rec
        LET padded$ = padded$ & nul$
    NEXT k
    BIF file_write(out_h, in_pos, padded$, written, status)
    IF status <> 0 THEN CAUSE EXCEPTION 7300, "The record can't be written."
    LET in_pos = in_pos + rec
    IF in_pos > in_size THEN LET in_size = in_pos
END SUB

SUB write_num(VALUE x)
    BIF double_to_bytes(x, bytes$)
    CALL write_record("N" & bytes$)
END SUB

SUB write_str(VALUE s$)
    BIF string_length(s$, n)
    LET size$ = nul$ & nul$ & nul$ & nul$
    BIF bit_field_store(size$, 1, 32, n)
    CALL write_record("S" & size$ & s$)
END SUB

! READ #n: the record at the pointer; kind$ is "N" or "S".
FUNCTION read_record$(kind$)
    CALL record_check
    IF in_pos >= in_size THEN CAUSE EXCEPTION 8012, "Reading past the end of the file."
    BIF file_read(in_h, in_pos, got$, rec, status)
    IF status <> 0 THEN CAUSE EXCEPTION 8012, "Reading past the end of the file."
    LET in_pos = in_pos + rec
    IF got$(1:1) <> kind$ THEN CAUSE EXCEPTION 8105, "The record holds another kind of value."
    LET read_record$ = got$
END FUNCTION

FUNCTION read_num
    LET got$ = read_record$("N")
    LET bytes$ = got$(2:9)
    ! An exponent of all ones: infinity or NaN, as written; bytes_to_double would give the
    ! largest number for infinity and refuse NaN.
    BIF bit_field_read(bytes$, 2, 11, e)
    IF e = 2047 THEN
        LET v = 1E999
        BIF bit_field_read(bytes$, 13, 20, high)
        BIF bit_field_read(bytes$, 33, 32, low)
        BIF bit_field_read(bytes$, 1, 1, negative)
        IF high <> 0 OR low <> 0 THEN
            LET read_num = v - v
        ELSEIF negative = 1 THEN
            LET read_num = -1E999
        ELSE
            LET read_num = v
        END IF
        EXIT FUNCTION
    END IF
    BIF bytes_to_double(bytes$, read_num)
END FUNCTION

FUNCTION read_str$
    LET got$ = read_record$("S")
    BIF bit_field_read(got$(2:5), 1, 32, n)
    LET read_str$ = got$(6:n + 5)
END FUNCTION

! SET #n: POINTER BEGIN (where 0) or END (1), or RECORD k (where 2).
SUB set_record(VALUE where, VALUE k)
    CALL record_check
    LET at = 0
    IF where = 1 THEN LET at = in_size
    IF where = 2 THEN
        BIF floor(k, k)
        IF k < 1 THEN CAUSE EXCEPTION 7202, "There is no such record."
        LET at = (k - 1) * rec
        IF at > in_size THEN CAUSE EXCEPTION 7202, "There is no such record."
    END IF
    LET in_pos = at
END SUB

! ASK #n: FILESIZE (what 0: the number of records) or RECORD (1: the record at the pointer).
FUNCTION ask_record(what)
    CALL record_check
    IF what = 0 THEN
        LET ask_record = INT(in_size / rec)
    ELSE
        LET ask_record = in_pos / rec + 1
    END IF
END FUNCTION

! PRINT #n, INPUT #n and LINE INPUT #n work on channel n between `select n` and `select 0`: the
! print and input routines always work on the current channel's state, which select exchanges
! with the channel's. Channel 0 is the console.
SUB select(VALUE n)
    IF n = cur THEN EXIT SUB
    IF n < 0 OR n > 99 THEN CAUSE EXCEPTION 7004, "Channel isn't open."
    IF n <> 0 THEN
        IF ch_open(n) = 0 THEN CAUSE EXCEPTION 7004, "Channel isn't open."
    END IF
    LET ch_out_h(cur) = out_h
    LET ch_out_pos(cur) = out_pos
    LET ch_col(cur) = col
    LET ch_in_h(cur) = in_h
    LET ch_in_pos(cur) = in_pos
    LET ch_in_size(cur) = in_size
    LET ch_tty(cur) = in_tty
    LET ch_rec(cur) = rec
    LET ch_out_buf$(cur) = out_buf$
    LET ch_in_buf$(cur) = in_buf$
    LET cur = n
    LET on_window = 0
    IF n = 0 THEN LET on_window = windowed
    LET out_h = ch_out_h(n)
    LET out_pos = ch_out_pos(n)
    LET col = ch_col(n)
    LET in_h = ch_in_h(n)
    LET in_pos = ch_in_pos(n)
    LET in_size = ch_in_size(n)
    LET in_tty = ch_tty(n)
    LET rec = ch_rec(n)
    LET out_buf$ = ch_out_buf$(n)
    LET in_buf$ = ch_in_buf$(n)
END SUB

! OPEN #n: NAME file$: access 1 reads only (INPUT), 2 writes (OUTPUT), 0 both (OUTIN); create 0
! makes a missing file (NEWOLD), 1 a new one only (NEW), 2 wants it there (OLD). recsize 0
! opens a text file, where writing goes on at the end of what the file holds; a record file
! (ORGANIZATION RECORD) has records of recsize bytes and starts at its first.
SUB open_channel(VALUE n, VALUE file$, VALUE access, VALUE create, VALUE recsize)
    IF n < 1 OR n > 99 THEN CAUSE EXCEPTION 7001, "Channel number must be 1 to 99."
    IF ch_open(n) <> 0 THEN CAUSE EXCEPTION 7003, "Channel is already open."
    IF recsize <> 0 AND recsize < 9 THEN CAUSE EXCEPTION 7305, "RECSIZE must be at least 9."
    LET mode = 0
    IF access = 1 THEN LET mode = 1
    BIF file_open(0, file$, mode, create, 0, size, h, status)
    IF status <> 0 THEN
        IF status = 4 THEN CAUSE EXCEPTION 9004, "File already exists."
        IF status = 3 THEN CAUSE EXCEPTION 9003, "No such file."
        IF status = 1 THEN CAUSE EXCEPTION 9001, "File is read or write protected."
        CAUSE EXCEPTION 9002, "Trouble using disk or printer."
    END IF
    LET ch_open(n) = 1
    LET ch_out_h(n) = h
    LET ch_in_h(n) = h
    LET ch_out_pos(n) = size
    LET ch_in_pos(n) = 0
    LET ch_in_size(n) = size
    LET ch_col(n) = 0
    LET ch_tty(n) = 1
    LET ch_rec(n) = recsize
    LET ch_out_buf$(n) = ""
    LET ch_in_buf$(n) = ""
END SUB

! CLOSE #n: what is left of a line is written; a channel that is not open is left as it is.
SUB close_channel(VALUE n)
    IF n < 1 OR n > 99 THEN EXIT SUB
    IF ch_open(n) = 0 THEN EXIT SUB
    CALL select(n)
    CALL flush
    CALL select(0)
    LET ch_open(n) = 0
    BIF file_close(ch_out_h(n))
END SUB

! ERASE #n: the file is emptied; reading and writing start again from its beginning.
SUB erase_channel(VALUE n)
    CALL select(n)
    BIF file_set_length(out_h, 0, status)
    LET out_pos = 0
    LET in_pos = 0
    LET in_size = 0
    LET col = 0
    LET out_buf$ = ""
    LET in_buf$ = ""
    CALL select(0)
END SUB

! "line N: warning: TEXT" on standard error (opened at the first warning); when it cannot be
! opened the warning is not shown.
SUB warn(VALUE at_line, VALUE text$)
    IF err_h = 0 THEN
        LET err_h = -1
        BIF file_open(0, "<stderr>", 0, 2, 0, err_pos, err_h, status)
        IF status <> 0 THEN LET err_h = -1
    END IF
    IF err_h < 0 THEN EXIT SUB
    BIF number_to_string(at_line, digits$)
    LET digits$ = "line " & digits$ & ": warning: " & text$ & lf$
    BIF file_write(err_h, err_pos, digits$, written, status)
    LET err_pos = err_pos + written
END SUB

! Strings are Windows-1252; the console takes UTF-8. Each byte from 128 becomes its character's
! UTF-8 form.
FUNCTION to_utf8$(s$)
    BIF cpos(s$, high$, 1, at)
    IF at = 0 THEN
        LET to_utf8$ = s$
        EXIT FUNCTION
    END IF
    BIF string_length(s$, n)
    FOR i = 1 TO n
        LET c$ = s$(i:i)
        BIF pos(high$, c$, 1, k)
        IF k > 0 THEN
            LET c$ = utf8$(k * 3 - 2:k * 3)
            IF c$(3:3) = nul$ THEN LET c$ = c$(1:2)
        END IF
        LET r$ = r$ & c$
    NEXT i
    LET to_utf8$ = r$
END FUNCTION

! Input is UTF-8: each character of Windows-1252 becomes its byte (found in utf8$ at a slot's
! start), any other character "?".
FUNCTION from_utf8$(s$)
    BIF cpos(s$, high$, 1, at)
    IF at = 0 THEN
        LET from_utf8$ = s$
        EXIT FUNCTION
    END IF
    BIF string_length(s$, n)
    LET i = 1
    DO WHILE i <= n
        LET c$ = s$(i:i)
        BIF bit_field_read(c$, 1, 8, b)
        IF b < 128 THEN
            LET r$ = r$ & c$
            LET i = i + 1
        ELSE
            LET size = 2
            IF b >= 224 THEN LET size = 3
            IF b >= 240 THEN LET size = 4
            LET code$ = s$(i:i + size - 1)
            LET i = i + size
            IF size = 2 THEN LET code$ = code$ & nul$
            ! The code's place in utf8$ at the start of a slot.
            LET at = 1
            DO
                BIF pos(utf8$, code$, at, at)
                IF at = 0 THEN EXIT DO
                BIF divmod(at - 1, 3, slot, offset)
                IF offset = 0 THEN EXIT DO
                LET at = at + 1
            LOOP
            IF at = 0 THEN
                LET r$ = r$ & "?"
            ELSE
                LET r$ = r$ & high$(slot + 1:slot + 1)
            END IF
        END IF
    LOOP
    LET from_utf8$ = r$
END FUNCTION

! The column the output is at, counted from 0 (PRINT USING goes on at the same column of a new
! line after a value too wide for its field).
FUNCTION column
    LET column = col
END FUNCTION
