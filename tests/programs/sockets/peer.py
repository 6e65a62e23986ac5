#!/usr/bin/env python3
"""The loopback peer of socket_checks.sh.

server PORTFILE: listens on an ephemeral port of 127.0.0.1, writes the port to PORTFILE, serves
one connection: answers every message in upper case; on "close" answers "bye" and closes.
client PORT: connects to the program's server (retrying while it starts), sends "ping", expects
"pong" back, then closes.
"""
import os
import socket
import sys
import time


def serve(port_file):
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    listener.settimeout(30)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)
    conn, _ = listener.accept()
    conn.settimeout(30)
    while True:
        data = conn.recv(100)
        if not data:
            return 1
        if data == b"close":
            conn.sendall(b"bye")
            conn.close()
            return 0
        conn.sendall(data.upper())


def client(port):
    deadline = time.time() + 30
    while True:
        try:
            conn = socket.create_connection(("127.0.0.1", port), timeout=30)
            break
        except OSError:
            if time.time() > deadline:
                return 1
            time.sleep(0.05)
    conn.sendall(b"ping")
    answer = conn.recv(100)
    conn.close()
    return 0 if answer == b"pong" else 1


if __name__ == "__main__":
    if sys.argv[1] == "server":
        sys.exit(serve(sys.argv[2]))
    sys.exit(client(int(sys.argv[2])))
