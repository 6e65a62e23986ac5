! The text console of the default window, for windowed programs (compiled without --console):
! PRINT's text goes onto text rows from the top of the window (bif 119), a new line below the
! last row scrolls the text up (bifs 46 and 45), and INPUT's line is typed and edited at the
! cursor over the key wait (bif 120), with the text cursor (bifs 47 and 48) at the insertion
! point. The runtime library (module qlib) keeps the cursor and passes it to every routine:
! `row` counts text rows from 1 at the top, `col` the characters already on that row. The
! window's sizes are read (bif 117) at each use, so the console follows a resized window.
!
! Text row r has its baseline r line heights below the top and character k of it starts k - 1
! character widths from the left: the cells that bifs 45 and 46 clear and scroll. A row takes
! as many characters as fit across the window; the text goes on at the start of the next row
! once a further character comes (a row filled to its end is not followed by an empty one).
! The line at the bottom of the window is left free for the "Press any key." of the program's
! end.
MODULE qwin

! Windowed: the library prints here, starting on the first row.
SUB open_console(windowed, row)
    LET windowed = 1
    LET row = 1
END SUB

! The console's size in characters and a character cell's in pixels.
SUB sizes(cols, rows, cw, lh)
    BIF window_metrics(w, h, cw, lh, a, b)
    IF cw < 1 THEN LET cw = 1
    IF lh < 1 THEN LET lh = 1
    LET cols = INT(w / cw)
    IF cols < 1 THEN LET cols = 1
    LET rows = INT((h - 10) / lh) - 1
    IF rows < 1 THEN LET rows = 1
END SUB

! The margin of PRINT: the characters of one row.
SUB columns(n)
    CALL sizes(n, rows, cw, lh)
END SUB

! A row below the last one (the cursor's after a new line, or left there by a window that
! became smaller) is brought up to the last row: the text above moves up with it.
SUB bring_up(row, cols, rows)
    IF row > rows THEN
        LET up = row - rows
        BIF scroll_text_region(1, 1, row, cols + 1, up)
        BIF clear_text_region(rows, 1, row, cols + 1)
        LET row = rows
    END IF
END SUB

SUB new_line(row, col)
    CALL sizes(cols, rows, cw, lh)
    LET col = 0
    LET row = row + 1
    CALL bring_up(row, cols, rows)
END SUB

! Text at the cursor, on as many rows as it needs.
SUB print_text(s$, row, col)
    CALL sizes(cols, rows, cw, lh)
    CALL bring_up(row, cols, rows)
    LET n = LEN(s$)
    LET at = 1
    DO WHILE at <= n
        IF col >= cols THEN CALL new_line(row, col)
        LET k = n - at + 1
        IF k > cols - col THEN LET k = cols - col
        BIF draw_text(col * cw, row * lh, 4, s$(at:at + k - 1))
        LET col = col + k
        LET at = at + k
    LOOP
END SUB

! Characters first to last of the typed line t$, which starts at column sc of row sr: each is
! cleared and drawn again (past the end of t$ only cleared).
SUB redraw(t$, first, last, sr, sc)
    CALL sizes(cols, rows, cw, lh)
    LET i = first
    DO WHILE i <= last
        LET p = sc + i - 1
        LET r = sr + INT(p / cols)
        LET c = p - INT(p / cols) * cols
        LET k = last - i + 1
        IF k > cols - c THEN LET k = cols - c
        BIF clear_text_region(r, c + 1, r, c + k)
        IF i <= LEN(t$) THEN
            BIF draw_text(c * cw, r * lh, 4, t$(i:i + k - 1))
        END IF
        LET i = i + k
    LOOP
END SUB

! INPUT's line: typed at the cursor, with Backspace and Delete, Left, Right, Home and End, and
! Escape to start again; Enter ends it and the cursor goes to the next row. Other keys without
! a character are ignored.
SUB read_line(t$, row, col)
    CALL sizes(cols, rows, cw, lh)
    CALL bring_up(row, cols, rows)
    LET t$ = ""
    LET at = 0
    LET sr = row
    LET sc = col
    BIF text_cursor_on(1)
    DO
        ! The typed text and the insertion point after it stay in the window: rows go up.
        CALL sizes(cols, rows, cw, lh)
        LET p = sc + LEN(t$)
        LET r = sr + INT(p / cols)
        IF r > rows THEN
            LET up = r - rows
            BIF scroll_text_region(1, 1, rows, cols + 1, up)
            BIF clear_text_region(rows - up + 1, 1, rows, cols + 1)
            LET sr = sr - up
        END IF
        LET p = sc + at
        LET r = sr + INT(p / cols)
        BIF set_text_cursor(r, p - INT(p / cols) * cols + 1)
        BIF key_wait(0, kc)
        LET old = LEN(t$)
        LET first = at + 1
        SELECT CASE kc
        CASE 13
            EXIT DO
        CASE 8
            IF at > 0 THEN
                LET t$ = t$(1:at - 1) & t$(at + 1:old)
                LET at = at - 1
                LET first = at + 1
            ELSE
                LET first = 0
            END IF
        CASE 127
            IF at < old THEN LET t$ = t$(1:at) & t$(at + 2:old)
        CASE 27
            LET t$ = ""
            LET at = 0
            LET first = 1
        CASE 304
            IF at > 0 THEN LET at = at - 1
            LET first = 0
        CASE 303
            IF at < old THEN LET at = at + 1
            LET first = 0
        CASE 307
            LET at = 0
            LET first = 0
        CASE 308
            LET at = old
            LET first = 0
        CASE 32 TO 126, 128 TO 255
            LET t$ = t$(1:at) & CHR$(kc) & t$(at + 1:old)
            LET at = at + 1
        CASE ELSE
            LET first = 0
        END SELECT
        ! What changed is drawn again: the typed text from the first changed character on.
        LET last = LEN(t$)
        IF old > last THEN LET last = old
        IF first > 0 THEN CALL redraw(t$, first, last, sr, sc)
    LOOP
    BIF text_cursor_on(0)
    ! The cursor goes to the row after the last one of the typed text.
    LET row = sr
    IF LEN(t$) > 0 THEN LET row = sr + INT((sc + LEN(t$) - 1) / cols)
    CALL new_line(row, col)
END SUB
