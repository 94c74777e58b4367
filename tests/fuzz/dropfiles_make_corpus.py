#!/usr/bin/env python3
"""Writes the file-drop corpus (tests/data/dropfiles): well-formed and malformed blocks."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "dropfiles")
os.makedirs(out, exist_ok=True)


def header(first=20, wide=0, x=0, y=0, nc=0):
    return struct.pack("<IiiII", first, x, y, nc, wide)


def ansi(*names):
    return b"".join(n.encode("cp1252") + b"\0" for n in names) + b"\0"


def wide(*names):
    return b"".join(n.encode("utf-16-le") + b"\0\0" for n in names) + b"\0\0"


blocks = {
    "ansi_two_names": header() + ansi("C:\\a.txt", "C:\\b.txt"),
    "ansi_latin": header() + ansi("/home/caf\u00e9/\u20ac.txt"),
    "ansi_long_name": header() + ansi("/" + "n" * 300, "/short"),
    "ansi_many_names": header() + ansi(*["/tmp/f%d" % i for i in range(1000)]),
    "wide_names": header(wide=1) + wide("/home/\u00fcber", "/home/\u4e2d\u6587", "/x/\U0001f600"),
    "wide_lone_surrogate": header(wide=1) + b"\x00\xd8a\x00\x00\x00\x00\x00",
    "empty_list": header() + b"\0",
    "header_only": header(),
    "short_block": header()[:10],
    "zero_size": b"",
    "offset_beyond": header(first=1000) + ansi("a"),
    "offset_at_end": header(first=23) + ansi("a"),
    "offset_huge": header(first=0xFFFFFFFF) + ansi("a", "b"),
    "offset_into_header": header(first=4, x=0x41414141) + ansi("a"),
    "no_terminator_ansi": header() + b"abc",
    "no_list_end_ansi": header() + b"abc\0def\0",
    "no_terminator_wide": header(wide=1) + "abc".encode("utf-16-le"),
    "wide_odd_length": header(wide=1) + wide("ab")[:-1],
    "wide_odd_offset": header(first=21, wide=1) + b"\0" + wide("odd"),
    "wide_flag_odd_value": header(wide=0x80000000) + wide("w"),
    "drop_point": header(x=-5, y=-7, nc=1) + ansi("p"),
}

for name, data in blocks.items():
    with open(os.path.join(out, name + ".bin"), "wb") as f:
        f.write(data)
print("wrote %d blocks to %s" % (len(blocks), out))
