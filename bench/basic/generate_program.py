#!/usr/bin/env python3
"""Writes a line-numbered Quillet BASIC program of LINES lines (default 50,000) to standard output,
for timing the compiler: assignments with expressions, string work, PRINT, one-line and block IFs,
FOR and DO loops, SELECT CASE, READ/DATA, WHEN EXCEPTION, GOSUB to subroutines, CALLs of SUBs
and FUNCTIONs, mixed as a program of that size would mix them. The same LINES and SEED give the
same program. The program also runs to its end (loops are bounded, values are kept in range).
Usage: generate_program.py [LINES] [SEED]"""
import random
import sys

lines_wanted = int(sys.argv[1]) if len(sys.argv) > 1 else 50000
rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 29)

NUMS = ["total", "count", "price", "amount", "rate", "level", "score", "width", "height",
        "offset"] + ["x%d" % i for i in range(40)] + ["v%d" % i for i in range(40)]
STRS = ["name$", "title$", "word$", "line$", "code$"] + ["s%d$" % i for i in range(15)]
ARRAYS = [("table", 100), ("grid", 50), ("stock", 200)]
WORDS = ["apple", "north", "Widget", "total due", "ok", "Quillet", "report", "x", "", "line"]
MAIN_LOOP_VARS = ["i", "j", "k"]
SUB_LOOP_VARS = ["p", "q"]

out = []  # statements without line numbers; numbered at the end
counter_prefix = ["n"]  # DO loop counters: one per depth, other names in subroutines


def straight():
    # External procedures hold straight-line code: the code generator numbers its labels per
    # routine while they are the module's, so a jump in a procedure and one in the main
    # program collide ("label E0 is defined twice"). Lift this when that is mended.
    return counter_prefix[0] == "w"


def emit(depth, text):
    out.append("   " * depth + text)


def num_atom(loop_vars):
    r = rng.random()
    if r < 0.45:
        return rng.choice(NUMS)
    if r < 0.7:
        return str(rng.choice([1, 2, 3, 7, 10, 12, 100, 0.5, 2.25, 1.5, 365, 60]))
    if r < 0.8 and loop_vars:
        return rng.choice(loop_vars)
    if r < 0.9 and ARRAYS:
        name, size = rng.choice(ARRAYS)
        return "%s(%d)" % (name, rng.randint(1, size))
    return rng.choice(["ABS(%s)", "INT(%s)", "SGN(%s)", "SQR(ABS(%s))"]) % rng.choice(NUMS)


def num_expr(loop_vars, depth=0):
    r = rng.random()
    if depth >= 2 or r < 0.3:
        return num_atom(loop_vars)
    left = num_expr(loop_vars, depth + 1)
    right = num_expr(loop_vars, depth + 1)
    op = rng.choice(["+", "-", "*", "+", "-"])
    if r < 0.45:
        return "(%s %s %s)" % (left, op, right)
    if r < 0.55 and not straight():
        return "%s / (ABS(%s) + 1)" % (left, right)
    if r < 0.65:
        return "MAX(%s, %s)" % (left, right)
    return "%s %s %s" % (left, op, right)


def bounded(expr):
    # Keeps every stored value small, so that a run never overflows.
    return "MOD(INT(%s), 1000)" % expr


def condition(loop_vars):
    rel = rng.choice(["<", ">", "<=", ">=", "=", "<>"])
    c = "%s %s %s" % (num_atom(loop_vars), rel, num_atom(loop_vars))
    r = rng.random()
    if r < 0.2:
        c += " AND %s > %d" % (rng.choice(NUMS), rng.randint(0, 500))
    elif r < 0.3:
        c = "%s OR %s = %s" % (c, rng.choice(STRS), '"%s"' % rng.choice(WORDS))
    return c


def assignment(depth, loop_vars):
    r = rng.random()
    target = rng.choice(NUMS)
    if r < 0.2:
        emit(depth, "LET %s = %s + %d" % (target, target, rng.randint(1, 9)))
        if not straight():
            emit(depth, "IF %s > 5000 THEN LET %s = 0" % (target, target))
    elif r < 0.3 and ARRAYS:
        name, size = rng.choice(ARRAYS)
        index = rng.choice(loop_vars) if loop_vars else str(rng.randint(1, size))
        emit(depth, "LET %s(%s) = %s" % (name, index, bounded(num_expr(loop_vars))))
    elif r < 0.45:
        emit(depth, "%s = %s" % (target, bounded(num_expr(loop_vars))))
    else:
        emit(depth, "LET %s = %s" % (target, bounded(num_expr(loop_vars))))


def string_statement(depth, loop_vars):
    target = rng.choice(STRS)
    source = rng.choice(STRS)
    r = rng.random()
    if r < 0.25:
        emit(depth, 'LET %s = "%s"' % (target, rng.choice(WORDS)))
    elif r < 0.45:
        emit(depth, 'LET %s = %s & "%s"' % (target, source, rng.choice(WORDS)))
        if not straight():
            emit(depth, "IF LEN(%s) > 40 THEN LET %s = %s(1:10)" % (target, target, target))
    elif r < 0.6:
        emit(depth, "LET %s = %s(%s)" % (target, rng.choice(["UCASE$", "LCASE$", "TRIM$"]), source))
    elif r < 0.75:
        emit(depth, "LET %s = STR$(%s)" % (target, num_atom(loop_vars)))
    elif r < 0.85:
        emit(depth, "LET %s = %s(2:4)" % (target, source))
    else:
        emit(depth, "LET %s = LEN(%s) + POS(%s, \"e\")" % (rng.choice(NUMS), source, source))


def print_statement(depth, loop_vars):
    r = rng.random()
    if r < 0.3:
        emit(depth, 'PRINT "%s"; %s' % (rng.choice(WORDS), num_expr(loop_vars, 1)))
    elif r < 0.5:
        emit(depth, "PRINT %s, %s, %s" % (num_atom(loop_vars), num_atom(loop_vars),
                                         rng.choice(STRS)))
    elif r < 0.65:
        emit(depth, 'PRINT %s; " = "; %s' % (rng.choice(STRS), num_atom(loop_vars)))
    elif r < 0.8:
        emit(depth, "PRINT TAB(%d); %s" % (rng.randint(2, 30), num_atom(loop_vars)))
    else:
        emit(depth, 'PRINT "%s: "; %s; "/"; %s' % (rng.choice(WORDS), rng.choice(STRS),
                                                 num_atom(loop_vars)))


def simple_statement(depth, loop_vars, subroutines, subs, functions):
    r = rng.random()
    if r < 0.45:
        assignment(depth, loop_vars)
    elif r < 0.62:
        string_statement(depth, loop_vars)
    elif r < 0.75:
        print_statement(depth, loop_vars)
    elif r < 0.82 and not straight():
        emit(depth, "IF %s THEN LET %s = %s" % (condition(loop_vars), rng.choice(NUMS),
                                               bounded(num_expr(loop_vars))))
    elif r < 0.88 and subroutines:
        emit(depth, "GOSUB @%d" % rng.choice(subroutines))
    elif r < 0.93 and subs:
        name, params = rng.choice(subs)
        args = [rng.choice(NUMS) for _ in range(params)]
        emit(depth, "CALL %s(%s)" % (name, ", ".join(args)))
    elif functions:
        name, params = rng.choice(functions)
        args = [num_atom(loop_vars) for _ in range(params)]
        emit(depth, "LET %s = %s(%s)" % (rng.choice(NUMS), name, ", ".join(args)))
    else:
        assignment(depth, loop_vars)


def block(depth, loop_vars, free_loop_vars, subroutines, subs, functions, budget):
    """Emits statements at this depth until about `budget` lines are written."""
    start = len(out)
    while len(out) - start < budget:
        r = rng.random()
        room = budget - (len(out) - start)
        if straight():
            r = 1.0
        if depth < 3 and room > 8 and r < 0.12:
            emit(depth, "IF %s THEN" % condition(loop_vars))
            block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions,
                  rng.randint(1, 4))
            if rng.random() < 0.4:
                emit(depth, "ELSEIF %s THEN" % condition(loop_vars))
                block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions,
                      rng.randint(1, 3))
            if rng.random() < 0.6:
                emit(depth, "ELSE")
                block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions,
                      rng.randint(1, 3))
            emit(depth, "END IF")
        elif depth < 3 and room > 6 and r < 0.2 and free_loop_vars:
            v = free_loop_vars[0]
            step = rng.choice(["", "", " STEP 2", " STEP -1"])
            low, high = (rng.randint(1, 3), rng.randint(4, 12))
            if step == " STEP -1":
                low, high = high, low
            emit(depth, "FOR %s = %d TO %d%s" % (v, low, high, step))
            block(depth + 1, loop_vars + [v], free_loop_vars[1:], subroutines, subs,
                  functions, rng.randint(1, 5))
            emit(depth, "NEXT %s" % v)
        elif depth < 3 and room > 6 and r < 0.24:
            counter = "%s%d" % (counter_prefix[0], depth)
            emit(depth, "LET %s = 0" % counter)
            emit(depth, "DO WHILE %s < %d" % (counter, rng.randint(2, 6)))
            emit(depth + 1, "LET %s = %s + 1" % (counter, counter))
            block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions,
                  rng.randint(1, 3))
            emit(depth, "LOOP")
        elif depth < 3 and room > 8 and r < 0.27:
            emit(depth, "SELECT CASE %s" % rng.choice(NUMS))
            emit(depth, "CASE %d" % rng.randint(0, 9))
            block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions, 1)
            emit(depth, "CASE %d TO %d" % (rng.randint(10, 50), rng.randint(51, 200)))
            block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions, 2)
            emit(depth, "CASE ELSE")
            block(depth + 1, loop_vars, free_loop_vars, subroutines, subs, functions, 1)
            emit(depth, "END SELECT")
        elif depth < 2 and room > 6 and r < 0.29 and not straight():
            emit(depth, "WHEN EXCEPTION IN")
            emit(depth + 1, "LET %s = %s / %s" % (rng.choice(NUMS), num_atom(loop_vars),
                                                  rng.choice(["1", "2", "ratio"])))
            emit(depth, "USE")
            emit(depth + 1, 'PRINT "error"; EXTYPE')
            emit(depth, "END WHEN")
        elif r < 0.31 and not straight():
            emit(depth, "RESTORE")
            emit(depth, "READ %s, %s" % (rng.choice(STRS), rng.choice(NUMS)))
        else:
            simple_statement(depth, loop_vars, subroutines, subs, functions)


def main():
    # Shapes first: how many subroutines, SUBs and FUNCTIONs for this size.
    n_subroutines = max(2, lines_wanted // 400)
    n_procs = max(2, lines_wanted // 500)
    subs = [("update%d" % i, rng.randint(1, 3)) for i in range(n_procs // 2)]
    functions = [("calc%d" % i, rng.randint(1, 3)) for i in range(n_procs - n_procs // 2)]
    emit(0, "REM Generated by bench/basic/generate_program.py: %d lines." % lines_wanted)
    emit(0, "DECLARE FUNCTION " + ", ".join(name for name, _ in functions))
    emit(0, "DIM " + ", ".join("%s(%d)" % a for a in ARRAYS))
    emit(0, "LET ratio = 4")
    emit(0, 'DATA "first", 10, "second", 20')
    for name in NUMS:
        if rng.random() < 0.1:
            emit(0, "LET %s = %d" % (name, rng.randint(0, 99)))
    sub_budget = lines_wanted * 15 // 100
    proc_budget = lines_wanted * 15 // 100
    main_budget = lines_wanted - sub_budget - proc_budget - len(out) - 2
    # The main program, in chunks; subroutine labels are resolved to line numbers at the end.
    chunk = 60
    while main_budget > 0:
        block(0, [], MAIN_LOOP_VARS, list(range(n_subroutines)), subs, functions,
              min(chunk, main_budget))
        main_budget = lines_wanted - sub_budget - proc_budget - len(out) - 2
    emit(0, "GOTO @end")
    labels = {}
    counter_prefix[0] = "m"
    per = max(3, sub_budget // n_subroutines)
    for s in range(n_subroutines):
        labels[s] = len(out)
        emit(0, "REM subroutine %d" % s)
        block(1, [], SUB_LOOP_VARS, [], [], functions, per - 2)
        emit(1, "RETURN")
    labels["end"] = len(out)
    emit(0, "END")
    ARRAYS[:] = []  # the main program's arrays are not seen by external procedures
    counter_prefix[0] = "w"  # nor its DATA
    # External procedures: their own variables, parameters by reference (SUB) or value.
    per = max(4, (lines_wanted - len(out)) // max(1, len(subs) + len(functions)))
    for name, params in subs:
        names = ["a%d" % i for i in range(params)]
        emit(0, "SUB %s(%s)" % (name, ", ".join(names)))
        emit(1, "LET %s = MOD(INT(%s * 3 + 1), 1000)" % (names[0], names[-1]))
        saved = NUMS[:]
        NUMS[:] = names + ["w1", "w2", "w3"]
        block(1, [], SUB_LOOP_VARS, [], [], [], per - 3)
        NUMS[:] = saved
        emit(0, "END SUB")
    for name, params in functions:
        names = ["a%d" % i for i in range(params)]
        emit(0, "FUNCTION %s(%s)" % (name, ", ".join(names)))
        saved = NUMS[:]
        NUMS[:] = names + ["w1", "w2", "w3"]
        block(1, [], SUB_LOOP_VARS, [], [], [], per - 3)
        NUMS[:] = saved
        emit(1, "LET %s = MOD(INT(%s), 1000)" % (name, " + ".join(names)))
        emit(0, "END FUNCTION")
    # Exactly the lines asked for: the last FUNCTION takes up the difference.
    while len(out) < lines_wanted:
        out.insert(len(out) - 2, "   LET w%d = MOD(INT(a0 * 3 + w%d), 1000)" %
                   (len(out) % 3 + 1, len(out) % 3 + 1))
    # Line numbers: step 2 where the numbers allow it.
    step = 2 if 2 * len(out) < 99999 else 1
    number = {}
    for s, at in labels.items():
        number[s] = 1 + at * step
    text = []
    for i, stmt in enumerate(out):
        if "@" in stmt and "GOSUB @" in stmt or "GOTO @" in stmt:
            head, label = stmt.rsplit("@", 1)
            stmt = head + str(number["end" if label == "end" else int(label)])
        text.append("%d %s" % (1 + i * step, stmt))
    sys.stdout.write("\n".join(text) + "\n")


main()
