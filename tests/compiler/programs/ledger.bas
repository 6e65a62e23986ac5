! Ledger: a small bookkeeping tool, and the test that uses the whole language together.
! The chart of accounts is a tree (each account may belong to a group account); a posting
! moves an amount from one account to another, so the balances always add up to the same
! total. Commands come from standard input, one per line:
!   LIST                         the accounts with their balances
!   POST from to amount memo     a posting
!   NEW code title group         a new account; its opening balance is asked for
!   SHOW code                    an account and its postings
!   AVERAGE code                 the average amount of an account's postings
!   TOP n                        the n largest balances
!   REPORT                       the chart as a tree, each group with its subtotal
!   INTEREST code rate years     what a balance grows to at compound interest
!   ENTER file                   writes the lines that follow, up to ".", to a batch file
!   IMPORT file                  posts the lines of a batch file (from,to,amount,memo)
!   SAVE file, LOAD file         the whole ledger to and from a text file
!   QUIT                         (or the end of the input)
DECLARE FUNCTION money$, pad$, subtotal
DIM code$(1 TO 30), title$(1 TO 30), parent(1 TO 30), balance(1 TO 30)
DIM from_acct(1 TO 200), to_acct(1 TO 200), amount(1 TO 200), memo$(1 TO 200)
DIM order(1 TO 30)
LET accounts = 0
LET postings = 0
! A balance after a year at the interest rate of the INTEREST command, to the cent.
DEF grown(x) = ROUND(x * (1 + rate / 100), 2)

! The opening chart: code, title, group ("-" for none), balance.
DO
   READ c$, t$, g$, b
   IF c$ = "*" THEN EXIT DO
   CALL add_account(c$, t$, g$, b)
LOOP
DATA 1000, Assets, -, 0
DATA 1100, Cash, 1000, 2500
DATA 1200, Bank, 1000, 12000
DATA 1300, Receivables, 1000, 830.5
DATA 2000, Liabilities, -, 0
DATA 2100, Loan, 2000, -5000
DATA 3000, Income, -, 0
DATA 3100, Sales, 3000, -10330.5
DATA 4000, Expenses, -, 0
DATA 4100, Rent, 4000, 0
DATA 4200, Supplies, 4000, 0
DATA "*", "", "-", 0

PRINT "Ledger ready:"; accounts; "accounts, total"; grand_total
LET finished = 0
DO
   WHEN EXCEPTION IN
      LINE INPUT PROMPT "> ": command$
   USE
      IF EXTYPE = 8011 THEN
         PRINT "(end of input)"
         LET finished = 1
      ELSE
         EXIT HANDLER
      END IF
   END WHEN
   IF finished = 1 THEN EXIT DO
   CALL split_word(TRIM$(command$), word$, rest$)
   WHEN EXCEPTION IN
      SELECT CASE UCASE$(word$)
      CASE ""
         ! an empty line does nothing
      CASE "LIST"
         PRINT "Code", "Account", "     Balance"
         FOR i = 1 TO accounts
            PRINT code$(i), title$(i), pad$(money$(balance(i)), 12)
         NEXT i
      CASE "POST"
         CALL split_word(rest$, a$, rest$)
         CALL split_word(rest$, b$, rest$)
         CALL split_word(rest$, n$, rest$)
         CALL post(a$, b$, VAL(n$), rest$)
         PRINT "Posted #"; STR$(postings); ": "; money$(amount(postings)); " from "; a$; " to "; b$
      CASE "NEW"
         CALL split_word(rest$, c$, rest$)
         CALL split_word(rest$, t$, g$)
         IF LEN(c$) <> 4 OR POS("123456789", c$(1:1)) = 0 THEN
            CAUSE EXCEPTION 504, "An account code has four digits: " & c$
         END IF
         INPUT PROMPT "Opening balance: ": b
         CALL add_account(c$, UCASE$(t$(1:1)) & LCASE$(t$(2:LEN(t$))), g$, b)
         PRINT "Account "; c$; " ("; title$(accounts); ") opened with "; money$(b)
      CASE "SHOW"
         LET k = find_account(rest$)
         PRINT code$(k); " "; title$(k); ":"; TAB(24); money$(balance(k))
         FOR p = 1 TO postings
            IF from_acct(p) = k OR to_acct(p) = k THEN
               LET sign = 1
               IF from_acct(p) = k THEN LET sign = -1
               PRINT TAB(3); "#"; STR$(p); TAB(8); memo$(p); TAB(28); pad$(money$(sign * amount(p)), 10)
            END IF
         NEXT p
      CASE "AVERAGE"
         LET k = find_account(rest$)
         LET count = 0
         LET total = 0
         FOR p = 1 TO postings
            IF from_acct(p) = k OR to_acct(p) = k THEN
               LET count = count + 1
               LET total = total + amount(p)
            END IF
         NEXT p
         LET average = total / count
         PRINT "Average posting of "; title$(k); ": "; money$(average); " over"; count
      CASE "TOP"
         LET wanted = MIN(VAL(rest$), accounts)
         FOR i = 1 TO accounts
            LET order(i) = i
         NEXT i
         CALL quicksort(balance, order, 1, accounts)
         LET shown = 0
         FOR i = 1 TO accounts
            IF shown >= wanted THEN EXIT FOR
            IF parent(order(i)) > 0 THEN
               LET shown = shown + 1
               PRINT shown; code$(order(i)), title$(order(i)), pad$(money$(balance(order(i))), 12)
            END IF
         NEXT i
      CASE "REPORT"
         PRINT REPEAT$("=", 48)
         FOR i = 1 TO accounts
            IF parent(i) = 0 THEN CALL report_tree(code$, title$, parent, balance, accounts, i, 0)
         NEXT i
         PRINT REPEAT$("-", 48)
         PRINT "Total"; TAB(37); pad$(money$(grand_total), 12)
      CASE "INTEREST"
         CALL split_word(rest$, c$, rest$)
         CALL split_word(rest$, r$, y$)
         LET k = find_account(c$)
         LET rate = VAL(r$)
         LET years = VAL(y$)
         IF years <> INT(years) OR years < 1 THEN
            CAUSE EXCEPTION 505, "Years must be a whole number"
         ELSEIF rate <= -100 OR rate > 100 THEN
            CAUSE EXCEPTION 505, "A rate is a percentage above -100 and up to 100"
         END IF
         PRINT title$(k); " at"; rate; "% for"; years; "years:"
         LET value = balance(k)
         FOR y = 1 TO years
            LET value = grown(value)
            PRINT "  year"; y, pad$(money$(value), 12)
         NEXT y
         PRINT "  growth "; money$(value - balance(k)); ", as one rate"; ROUND(((value / balance(k)) ^ (1 / years) - 1) * 100, 3); "%"
      CASE "ENTER"
         OPEN #1: NAME rest$, ACCESS OUTPUT, CREATE NEWOLD
         ERASE #1
         LET n = 0
         DO
            LINE INPUT PROMPT "batch> ": l$
            IF TRIM$(l$) = "." THEN EXIT DO
            PRINT #1: l$
            LET n = n + 1
         LOOP
         CLOSE #1
         PRINT n; "lines written to "; rest$
      CASE "IMPORT"
         CALL import_batch(rest$)
      CASE "SAVE"
         CALL save_ledger(rest$)
      CASE "LOAD"
         CALL load_ledger(rest$)
      CASE "QUIT"
         LET finished = 1
      CASE ELSE
         CAUSE EXCEPTION 500, "Unknown command " & UCASE$(word$) & "; try LIST, POST or REPORT"
      END SELECT
   USE
      SELECT CASE EXTYPE
      CASE 4001
         PRINT "Not a number in """; TRIM$(command$); """"
      CASE 3001
         PRINT "No postings for that account yet"
      CASE 500 TO 599
         PRINT "Error"; EXTYPE; "- "; EXTEXT$
      CASE ELSE
         PRINT "Unexpected error"; EXTYPE; "at line"; EXLINE
      END SELECT
   END WHEN
LOOP UNTIL finished = 1
PRINT "Balances add up to"; grand_total; "after"; postings; "postings"

SUB add_account(c$, t$, g$, b)
   IF accounts = 30 THEN CAUSE EXCEPTION 503, "The chart is full"
   LET accounts = accounts + 1
   LET code$(accounts) = c$
   LET title$(accounts) = t$
   LET balance(accounts) = b
   LET parent(accounts) = 0
   IF g$ <> "-" AND g$ <> "" THEN LET parent(accounts) = find_account(g$)
END SUB

! The index of the account with this code; an unknown code is the program's own exception.
FUNCTION find_account(c$)
   FOR fa = 1 TO accounts
      IF code$(fa) = TRIM$(c$) THEN
         LET find_account = fa
         EXIT FUNCTION
      END IF
   NEXT fa
   CAUSE EXCEPTION 501, "No account " & TRIM$(c$)
END FUNCTION

SUB post(from$, to$, sum, text$)
   IF sum <= 0 THEN CAUSE EXCEPTION 502, "An amount must be positive, not " & STR$(sum)
   LET source = find_account(from$)
   LET target = find_account(to$)
   LET postings = postings + 1
   LET from_acct(postings) = source
   LET to_acct(postings) = target
   LET amount(postings) = sum
   LET memo$(postings) = text$
   LET balance(source) = ROUND(balance(source) - sum, 2)
   LET balance(target) = ROUND(balance(target) + sum, 2)
END SUB

FUNCTION grand_total
   LET gt = 0
   FOR gk = 1 TO accounts
      LET gt = gt + balance(gk)
   NEXT gk
   LET grand_total = ROUND(gt, 2)
END FUNCTION

! Each line of a batch file is from,to,amount,memo; a faulty line is reported and skipped.
SUB import_batch(f$)
   OPEN #2: NAME f$, ACCESS INPUT
   LET line_no = 0
   LET before = postings
   WHEN EXCEPTION IN
      DO
         LINE INPUT #2: l$
         LET line_no = line_no + 1
         CALL import_line(l$)
      LOOP
   USE
      IF EXTYPE <> 8011 THEN
         PRINT "  line"; line_no; "skipped: "; EXTEXT$
         CONTINUE
      END IF
   END WHEN
   CLOSE #2
   PRINT "Imported"; postings - before; "of"; line_no; "lines from "; f$
END SUB


SUB import_line(l$)
   LET c1 = POS(l$, ",")
   LET c2 = POS(l$, ",", c1 + 1)
   LET c3 = POS(l$, ",", c2 + 1)
   IF c1 = 0 OR c2 = 0 OR c3 = 0 THEN CAUSE EXCEPTION 506, "A batch line has four fields"
   CALL post(l$(1:c1 - 1), l$(c1 + 1:c2 - 1), VAL(l$(c2 + 1:c3 - 1)), TRIM$(l$(c3 + 1:LEN(l$))))
END SUB

SUB save_ledger(f$)
   OPEN #1: NAME f$, ACCESS OUTPUT, CREATE NEWOLD
   ERASE #1
   PRINT #1: "LEDGER,"; accounts; ","; postings
   FOR at = 1 TO accounts
      LET g$ = "-"
      IF parent(at) > 0 THEN LET g$ = code$(parent(at))
      PRINT #1: code$(at); ","""; title$(at); ""","; g$; ","; STR$(balance(at))
   NEXT at
   FOR at = 1 TO postings
      PRINT #1: code$(from_acct(at)); ","; code$(to_acct(at)); ","; STR$(amount(at)); ","""; memo$(at); """"
   NEXT at
   CLOSE #1
   PRINT "Saved"; accounts; "accounts and"; postings; "postings to "; f$
END SUB

! A file that cannot be opened asks for another name and tries again.
SUB load_ledger(f$)
   WHEN EXCEPTION IN
      OPEN #3: NAME f$, ACCESS INPUT
   USE
      PRINT "Cannot open "; f$
      LINE INPUT PROMPT "Load which file? ": f$
      RETRY
   END WHEN
   INPUT #3: tag$, na, np
   IF tag$ <> "LEDGER" THEN CAUSE EXCEPTION 507, f$ & " is not a ledger"
   LET accounts = 0
   LET postings = 0
   FOR at = 1 TO na
      INPUT #3: c$, t$, g$, b
      CALL add_account(c$, t$, g$, b)
   NEXT at
   FOR at = 1 TO np
      INPUT #3: c$, t$, b, m$
      LET postings = postings + 1
      LET from_acct(postings) = find_account(c$)
      LET to_acct(postings) = find_account(t$)
      LET amount(postings) = b
      LET memo$(postings) = m$
   NEXT at
   CLOSE #3
   PRINT "Loaded"; accounts; "accounts and"; postings; "postings from "; f$
END SUB
END

! The first word of s$ (up to a blank) and what follows it, without blanks around them.
SUB split_word(s$, first$, rest$)
   LET t$ = TRIM$(s$)
   LET blank = POS(t$, " ")
   IF blank = 0 THEN
      LET first$ = t$
      LET rest$ = ""
   ELSE
      LET first$ = t$(1:blank - 1)
      LET rest$ = TRIM$(t$(blank + 1:LEN(t$)))
   END IF
END SUB

! An amount with two decimals and a comma between thousands: -12,345.60
FUNCTION money$(x)
   LET cents = ROUND(ABS(x) * 100)
   LET whole = INT(cents / 100)
   LET text$ = "." & STR$(MOD(cents, 100))
   IF MOD(cents, 100) < 10 THEN LET text$ = ".0" & text$(2:3)
   DO
      LET group = MOD(whole, 1000)
      LET whole = INT(whole / 1000)
      LET g$ = STR$(group)
      IF whole > 0 THEN LET g$ = "," & REPEAT$("0", 3 - LEN(g$)) & g$
      LET text$ = g$ & text$
   LOOP UNTIL whole = 0
   IF cents > 0 AND x < 0 THEN LET text$ = "-" & text$
   LET money$ = text$
END FUNCTION

FUNCTION pad$(s$, width)
   LET pad$ = REPEAT$(" ", MAX(0, width - LEN(s$))) & s$
END FUNCTION

! The balance of an account together with those of all the accounts below it.
FUNCTION subtotal(parent(), balance(), n, node)
   LET s = balance(node)
   FOR k = 1 TO n
      IF parent(k) = node THEN LET s = s + subtotal(parent, balance, n, k)
   NEXT k
   LET subtotal = s
END FUNCTION

SUB report_tree(code$(), title$(), parent(), balance(), n, node, depth)
   LET row$ = REPEAT$(". ", depth) & code$(node) & " " & title$(node)
   PRINT row$; TAB(37); pad$(money$(subtotal(parent, balance, n, node)), 12)
   FOR k = 1 TO n
      IF parent(k) = node THEN CALL report_tree(code$, title$, parent, balance, n, k, depth + 1)
   NEXT k
END SUB

! Sorts order(low) to order(high) so that key(order(i)) falls as i grows (Hoare's quicksort).
SUB quicksort(key(), order(), low, high)
   IF low >= high THEN EXIT SUB
   LET pivot = key(order(INT((low + high) / 2)))
   LET i = low
   LET j = high
   DO WHILE i <= j
      DO WHILE key(order(i)) > pivot
         LET i = i + 1
      LOOP
      DO WHILE key(order(j)) < pivot
         LET j = j - 1
      LOOP
      IF i <= j THEN
         LET t = order(i)
         LET order(i) = order(j)
         LET order(j) = t
         LET i = i + 1
         LET j = j - 1
      END IF
   LOOP
   CALL quicksort(key, order, low, j)
   CALL quicksort(key, order, i, high)
END SUB
