#!/usr/bin/env python3
"""Runs serial_ports.qba against a peer on two pseudo-terminal pairs (COM1 and COM8).

The peer holds the master side of each pair and answers what the program writes: "PING\\r" with
"HELLO WORLD\\r", "BIG\\r" with 30000 letters, and on COM8 "EIGHT\\r" with "ACK8\\r". COM2 names
a missing device and COM3 a plain file. The program's own expectations are checked by
run_program_test.sh; this script also checks that the peer received exactly what was written.
Usage: serial_checks.py RUN_PROGRAM_TEST QUILLET ENGINE WORKDIR
"""
import os
import subprocess
import sys
import threading
import tty

run_test, quillet, engine, work = sys.argv[1:5]
source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "serial_ports.qba")
BIG = bytes(65 + i % 26 for i in range(30000))


class Peer(threading.Thread):
    def __init__(self, answers):
        super().__init__(daemon=True)
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)  # no echo before the program opens its side
        self.answers = answers
        self.received = b""

    def run(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                return
            if not chunk:
                return
            self.received += chunk
            pending += chunk
            for request, answer in self.answers:
                if request in pending:
                    pending = pending.replace(request, b"", 1)
                    os.write(self.master, answer)


com1 = Peer([(b"PING\r", b"HELLO WORLD\r"), (b"BIG\r", BIG)])
com8 = Peer([(b"EIGHT\r", b"ACK8\r")])
com1.start()
com8.start()
os.makedirs(work, exist_ok=True)
plain = os.path.join(work, "serial-plain-file")
open(plain, "w").close()
env = dict(os.environ,
           QUILLET_COM1=os.ttyname(com1.slave),
           QUILLET_COM8=os.ttyname(com8.slave),
           QUILLET_COM2=os.path.join(work, "no-such-device"),
           QUILLET_COM3=plain)
status = subprocess.call([run_test, quillet, engine, source, work], env=env)
if status != 0:
    sys.exit(status)
if com1.received != b"PING\rBIG\r":
    sys.exit(f"FAIL serial_checks: COM1 peer received {com1.received!r}")
if com8.received != b"EIGHT\r":
    sys.exit(f"FAIL serial_checks: COM8 peer received {com8.received!r}")
print("ok serial_checks")
