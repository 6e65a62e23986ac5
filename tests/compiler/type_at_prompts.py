#!/usr/bin/env python3
"""Runs PROGRAM on a pseudo-terminal and types each ANSWER (and Enter) once PROMPT has appeared,
as a user at a terminal would; prints everything the terminal showed, with CR LF as LF.
usage: type_at_prompts.py PROGRAM [PROMPT ANSWER]..."""
import os
import pty
import select
import sys
import time


def main():
    program, pairs = sys.argv[1], sys.argv[2:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(program, [program])
    shown = b""
    deadline = time.monotonic() + 30

    def read_some():
        nonlocal shown
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            sys.exit("timed out; the terminal showed: %r" % shown)
        try:
            data = os.read(fd, 4096)
        except OSError:  # the program ended and closed the terminal
            data = b""
        shown += data
        return data

    seen = 0
    for prompt, answer in zip(pairs[0::2], pairs[1::2]):
        while prompt.encode() not in shown[seen:]:
            if not read_some():
                sys.exit("the program ended before %r; it showed: %r" % (prompt, shown))
        seen = shown.index(prompt.encode(), seen) + len(prompt)
        os.write(fd, answer.encode() + b"\n")
    while read_some():
        pass
    os.waitpid(pid, 0)
    sys.stdout.write(shown.decode("utf-8", "replace").replace("\r\n", "\n"))


main()
