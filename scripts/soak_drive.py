#!/usr/bin/env python3
"""Drives a running zyn for the soak run (scripts/soak.sh): scene changes every
0.5 s through every fader (predefines included), a UDP flood of valid and
invalid packets, several telnet users running random commands, and a memory
sample of the process every second. Loopback only. Prints key=value lines."""
import argparse
import random
import socket
import struct
import threading
import time

MAGIC = 0xDEADED00
COMMANDS = ["Add(1, 2)", "Inc(41)", "VarList", "CmdList", "getScene", "PickScene", "PickFader",
            "Announce(1, 800, soak)", "Help(Add)", "TUNNEL.Speed", "TimerShow", "EndFade", "Cls",
            "If(Greater(2, 1), [Inc(1)], [Dec(1)])", "VarStep([BASE.X], 1)", "SectionList",
            "Not(0)", "SceneChange(3, 1)", "PickSceneLength", "isWindowOpen", "Add(", "NoSuchCommand(1)"]


def packet(ptype, scene=0, a=0, b=0, payload=b"", at=44):
    p = bytearray(1212)
    struct.pack_into("<I", p, 0, MAGIC)
    struct.pack_into("<I", p, 16, scene & 0xFFFFFFFF)
    p[24] = ptype
    struct.pack_into("<iii", p, 28, a, b, len(payload))
    p[at:at + len(payload)] = payload
    return bytes(p)


def name_field(name):
    return bytes([len(name)]) + name.encode()


class Stats:
    def __init__(self):
        self.lock = threading.Lock()
        self.packets = self.valid = self.scene_changes = self.commands = self.answers = 0
        self.rss = []          # (seconds, kB)
        self.errors = []


def flood(args, st, stop):
    rnd = random.Random(1)
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    dest = ("127.0.0.1", args.udp_port)
    start = time.monotonic()
    next_scene = start
    k = 0
    while not stop.is_set():
        now = time.monotonic()
        if now >= next_scene:
            # every fader in turn; scenes from the predefines (negative) to the last scene
            s.sendto(packet(3, a=rnd.randint(-args.predefines, args.scenes - 1), b=k % args.faders), dest)
            k += 1
            next_scene += 0.5
            with st.lock:
                st.scene_changes += 1
                st.packets += 1
                st.valid += 1
        for _ in range(20):
            kind = rnd.randrange(10)
            if kind == 0:
                data, ok = packet(2, payload=bytes(rnd.randrange(256) for _ in range(64)) * 18), True
            elif kind == 1:
                data, ok = packet(9, payload=name_field(rnd.choice(["MAIN.ScreenX", "BASE.Time", "NO.Such"]))), True
            elif kind == 2:
                p = bytearray(packet(10, payload=name_field("BASE.X")))
                p[85:90] = b"\x031.5\x00"
                data, ok = bytes(p), True
            elif kind == 3:
                data, ok = packet(0), True
            elif kind == 4:
                data, ok = packet(4, a=rnd.randint(-5, 40), b=rnd.randint(-1, 5000),
                                  payload=bytes(rnd.randrange(256) for _ in range(rnd.randrange(300)))), False
            elif kind == 5:
                data, ok = bytes(rnd.randrange(256) for _ in range(rnd.randrange(2048))), False
            elif kind == 6:
                data, ok = packet(rnd.randrange(256), scene=rnd.randint(-9, 99),
                                  a=rnd.randint(-2**31, 2**31 - 1), b=rnd.randint(-2**31, 2**31 - 1))[:rnd.randrange(1, 1213)], False
            elif kind == 7:
                p = bytearray(packet(9, payload=name_field("MAIN.ScreenX")))
                struct.pack_into("<i", p, 36, rnd.choice([-1, 5000, 2**31 - 1]))
                p[44] = 255
                data, ok = bytes(p), False
            elif kind == 8:
                data, ok = packet(rnd.choice([7, 8]), scene=rnd.randint(-5, 30)), False
            else:
                data, ok = struct.pack("<I", MAGIC) + bytes(rnd.randrange(30)), False
            try:
                s.sendto(data, dest)
            except OSError:
                pass
            with st.lock:
                st.packets += 1
                st.valid += ok
        time.sleep(0.01)   # about 2,000 packets a second


def replies(args, st, stop):
    r = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    r.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    r.bind(("127.0.0.1", args.reply_port))
    r.settimeout(0.2)
    while not stop.is_set():
        try:
            r.recv(2048)
            with st.lock:
                st.answers += 1
        except OSError:
            pass


def telnet_user(args, st, stop, seed):
    rnd = random.Random(seed)
    while not stop.is_set():
        try:
            c = socket.create_connection(("127.0.0.1", args.telnet_port), timeout=5)
            c.settimeout(0.05)
            c.sendall(f"{args.pin}\r\n".encode())
            while not stop.is_set():
                c.sendall((rnd.choice(COMMANDS) + "\r\n").encode())
                with st.lock:
                    st.commands += 1
                deadline = time.monotonic() + 0.1
                while time.monotonic() < deadline:
                    try:
                        if not c.recv(65536):
                            raise ConnectionError("closed by zyn")
                    except socket.timeout:
                        pass
            c.close()
        except (OSError, ConnectionError) as e:
            with st.lock:
                st.errors.append(f"telnet user {seed}: {e}")
            time.sleep(0.5)


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    ap = argparse.ArgumentParser()
    for a in ["seconds", "udp-port", "reply-port", "telnet-port", "pin", "pid", "users", "scenes", "faders", "predefines"]:
        ap.add_argument("--" + a, type=int, required=a not in ("users", "scenes", "faders", "predefines"))
    args = ap.parse_args()
    args.users = args.users or 3
    args.scenes = args.scenes or 24
    args.faders = args.faders or 10
    args.predefines = args.predefines or 4
    st, stop = Stats(), threading.Event()
    threads = [threading.Thread(target=flood, args=(args, st, stop)),
               threading.Thread(target=replies, args=(args, st, stop))]
    threads += [threading.Thread(target=telnet_user, args=(args, st, stop, i + 1)) for i in range(args.users)]
    for t in threads:
        t.start()
    start = time.monotonic()
    try:
        while time.monotonic() - start < args.seconds:
            time.sleep(1)
            st.rss.append((time.monotonic() - start, rss_kb(args.pid)))
    except FileNotFoundError:
        st.errors.append("zyn exited during the soak")
    stop.set()
    for t in threads:
        t.join()
    samples = [kb for _, kb in st.rss]
    # Warm-up: the renderer builds code for each new combination of scene,
    # fader and predefine it meets, which at two changes a second takes a few
    # minutes; memory also swings by the size of what a scene rebuild frees
    # and allocates (the sanitizer's quarantine holds up to 16 MB of it). So
    # the reference is the largest sample of the first minute after warm-up,
    # held against the largest sample of every minute after it.
    warm_at = min(300.0, args.seconds / 4)
    first = [kb for t, kb in st.rss if warm_at <= t < warm_at + 60]
    later = [kb for t, kb in st.rss if t >= warm_at + 60]
    print(f"packets={st.packets}")
    print(f"valid_packets={st.valid}")
    print(f"scene_changes={st.scene_changes}")
    print(f"answers={st.answers}")
    print(f"commands={st.commands}")
    print(f"rss_peak_kb={max(samples) if samples else 0}")
    print(f"rss_warm_kb={max(first) if first else 0}")
    print(f"rss_final_kb={samples[-1] if samples else 0}")
    print(f"rss_warm_max_kb={max(later) if later else 0}")
    print(f"rss_warm_min_kb={min(later) if later else 0}")
    # The largest sample of each minute, to tell a climb from a passing peak.
    minutes = {}
    for t, kb in st.rss:
        minutes[int(t // 60)] = max(kb, minutes.get(int(t // 60), 0))
    print("rss_minutes_kb=" + ",".join(str(minutes[m]) for m in sorted(minutes)))
    print(f"errors={len(st.errors)}")
    for e in st.errors[:10]:
        print(f"error: {e}")


if __name__ == "__main__":
    main()
