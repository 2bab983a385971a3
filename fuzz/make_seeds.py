#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora (fuzz/corpus/<target>/): small valid and
nearly valid inputs of each kind, so the fuzzers start past the first checks."""
import os
import struct

ROOT = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(ROOT, "..", "data", "data")


def put(target, name, data):
    d = os.path.join(ROOT, "corpus", target)
    os.makedirs(d, exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def packet(ptype, scene=0, a=0, b=0, text=b"", at=44):
    p = bytearray(1212)
    struct.pack_into("<I", p, 0, 0xDEADED00)
    struct.pack_into("<I", p, 16, scene)
    p[24] = ptype
    struct.pack_into("<iii", p, 28, a, b, len(text))
    p[at:at + len(text)] = text
    return bytes(p)


# UDP: mode byte < 128 = raw datagram, >= 128 = typed body.
put("udp", "nothing", b"\x00" + packet(0))
put("udp", "presence", b"\x00" + packet(1))
put("udp", "visdata", b"\x00" + packet(2, text=bytes(range(256)) * 4))
put("udp", "scene", b"\x00" + packet(3, a=5, b=2))
put("udp", "announce", b"\x00" + packet(4, a=1, b=2000, text=b"Hello"))
put("udp", "getconst", b"\x00" + packet(9, text=b"\x0bMAIN.ScreenX"))
setc = bytearray(packet(10, text=b"\x0dTUNNEL.Speed"))
setc[85:90] = b"\x031.5\x00"
put("udp", "setconst", b"\x00" + bytes(setc))
put("udp", "short", b"\x00\x00\xed\xad\xde")
put("udp", "typed", b"\x88" + bytes(28) + b"\x0bMAIN.ScreenX")

# INI and the profile readers.
put("ini", "basic", "[MAIN]\ncount=2\n; comment\n[A]\nKey = Value \nX=1\n\n[b]\nx=2\n")
put("ini", "odd", "no section=1\n[unterminated\n[ spaced ]\n=empty key\nkey\r\n[MAIN]\nCOUNT=-5\n")
for name in os.listdir(DATA):
    with open(os.path.join(DATA, name), "rb") as f:
        text = f.read()
    kind = {"visfeed": "visfeed", "amorph": "visfeed", "predefine": "predefine"}[name.rsplit(".", 1)[1]]
    put(kind, name, text)
    put("ini", name, text)
put("predefine", "actions", "[MAIN]\nCOUNT=2\n[1]\nCount=5\nA0=C\nA1=R 3,1\nA2=R Tunnel\nA3=F MAIN.ScreenX=1;\nA4=Rx,9\n"
    "[2]\nCount=999999\nA0=R -1,-1\n")

# Formulas.
for i, f in enumerate(["1+2*3", "MAIN.ScreenX=SIN(Time)*(2+3);", "A=1; B=A/0; C=SQRT(-1); D=LOG(0)",
                       "X=((((1))))+-+-2", "IF(1,2,3)", "R=0.5+(0.5*SIN((Time*1.1)+2)); G=ABS(-3)^2;",
                       "Result=D2*pi; Theta=(D1*2*pi)", "1e39*1e39", "=;;=", "TUNNEL.SPEED=TUNNEL.SPEED+1"]):
    put("formula", f"f{i}", f)

# Pictures.
def tga(w, h, bits, idlen=0):
    head = struct.pack("<BBBHHBHHHHBB", idlen, 0, 2, 0, 0, 0, 0, 0, w, h, bits, 0)
    return head + b"I" * idlen + bytes((i * 7) & 255 for i in range(w * h * bits // 8))


put("tga", "rgb4x2", tga(4, 2, 24))
put("tga", "rgba2x2", tga(2, 2, 32, idlen=3))
put("tga", "short", tga(8, 8, 32)[:100])


def bmp(w, h, pad=True):
    row = (w * 3 + 3) & ~3 if pad else w * 3
    body = bytes((i * 5) & 255 for i in range(row * h))
    size = 54 + len(body)
    head = b"BM" + struct.pack("<IHHI", size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return head + info + body


put("bmp", "3x2", bmp(3, 2))
put("bmp", "3x2tight", bmp(3, 2, pad=False))
put("bmp", "4x4", bmp(4, 4))

# Telnet: first byte bit 0 = PIN accepted; 0xFF 0x00 splits the input into chunks.
put("telnet", "pin", b"\x000\r\n\xff\x001234\r\n\xff\x00Add(1,2)\r\n")
put("telnet", "keys", b"\x01\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x7f\x08abc\r\x00")
put("telnet", "iac", b"\x01\xff\xfb\x01\xff\xfd\x03\xff\xfa\x18\x01\xff\xf0hi\r\n\xff\xff\n")
put("telnet", "command", b"\x01VarList\r\n\xff\x00Help(Add)\n")

# Console lines.
for i, line in enumerate(["Add(2, 3)", "If(Greater(2,1),[Inc(1)],[Dec(1)])", "VarList", "CmdList",
                          "MAIN.ScreenX", "TUNNEL.Speed=2", "Bind(F5, [Announce(1,1000,hi)])", "Help(Bind)",
                          "TimerAdd(1000, [Cls])", "VarStep([MAIN.ScreenX], 2)", "Inc(Inc(Inc(9223372036854775807)))",
                          "SceneChange(5, 0); EndFade", "TexLine(1, [text])", "getWASong", "[a];[b]"]):
    put("execute", f"l{i}", line)

# Morph frames: 7200 bytes a frame (360 points of x, y, z, w floats and RGBA).
frame = b"".join(struct.pack("<ffffBBBB", i, -i, 128.0, 0, 255, i & 255, 0, 255) for i in range(360))
put("morph", "one", frame)
put("morph", "two", frame + frame[::-1])
put("morph", "partial", frame[:7199])

# Meshes (plain-text export).
put("mesh", "tri", "Named object: \"Tri\"\nTri-mesh, Vertices: 3 Faces: 1\nVertex list:\n"
    "Vertex 0: X: 0 Y: 0 Z: 0\nVertex 1: X: 1 Y: 0 Z: 0\nVertex 2: X: 0 Y: 1 Z: 0.5\n"
    "Face list:\nFace 0: A:0 B:1 C:2 AB:1 BC:1 CA:1\n")
put("mesh", "bad", "Tri-mesh, Vertices: 2 Faces: 3\nVertex 0: X: 1e30 Y: nan Z: -0\nVertex 5: X: 1 Y: 1 Z: 1\n"
    "Face 0: A:0 B:1 C:7\nFace 9: A:0 B:0 C:0\nTri-mesh, Vertices: 99999999 Faces: -1\n")
