#!/usr/bin/env python3
"""Measures the telnet PIN throttle of a running zyn: CONNECTIONS parallel
connections from 127.0.0.1 send wrong PINs as fast as zyn takes them for
SECONDS (reconnecting when closed after three); meanwhile, every 10 s, a user
from 127.0.0.2 logs in with the right PIN and the time to "UNLOCKED" is taken.
Prints the wrong guesses zyn evaluated (each answered "NOT UNLOCKED") per
minute and the slowest correct login. Loopback only.
  pin_bruteforce.py PORT PIN SECONDS [CONNECTIONS]"""
import socket
import sys
import threading
import time

port, pin, seconds = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3])
conns = int(sys.argv[4]) if len(sys.argv) > 4 else 8
stop = threading.Event()
lock = threading.Lock()
refused = [0]
logins = []


def guesser(k):
    guess = (pin + 1 + k * 1000) % 10000
    while not stop.is_set():
        try:
            c = socket.create_connection(("127.0.0.1", port), timeout=2)
            c.settimeout(0.2)
            buf = b""
            while not stop.is_set():
                c.sendall(f"{guess}\r\n".encode() * 3)   # more than one guess queued: all must wait
                guess = (guess + 1) % 10000 if (guess + 1) % 10000 != pin else (guess + 2) % 10000
                t = time.monotonic()
                while time.monotonic() - t < 0.5:
                    try:
                        d = c.recv(4096)
                    except socket.timeout:
                        continue
                    if not d:
                        raise ConnectionError
                    buf += d
                    n = buf.count(b"NOT UNLOCKED")
                    if n:
                        with lock:
                            refused[0] += n
                        buf = buf[buf.rfind(b"NOT UNLOCKED") + 12:]
        except (OSError, ConnectionError):
            time.sleep(0.05)


def honest():
    while not stop.wait(10):
        t = time.monotonic()
        try:
            c = socket.socket()
            c.bind(("127.0.0.2", 0))
            c.settimeout(10)
            c.connect(("127.0.0.1", port))
            c.sendall(f"{pin}\r\n".encode())
            buf = b""
            while b"UNLOCKED" not in buf.replace(b"NOT UNLOCKED", b""):
                d = c.recv(4096)
                if not d:
                    break
                buf += d
            logins.append(time.monotonic() - t)
            c.close()
        except OSError:
            logins.append(float("inf"))


threads = [threading.Thread(target=guesser, args=(k,)) for k in range(conns)] + [threading.Thread(target=honest)]
for t in threads:
    t.start()
time.sleep(seconds)
stop.set()
for t in threads:
    t.join()
print(f"wrong guesses evaluated: {refused[0]} in {seconds:.0f} s = {refused[0] * 60 / seconds:.1f} per minute "
      f"({conns} connections from 127.0.0.1)")
print(f"correct logins from 127.0.0.2: {len(logins)}, slowest {max(logins) * 1000 if logins else 0:.0f} ms")
