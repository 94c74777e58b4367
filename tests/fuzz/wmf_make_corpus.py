#!/usr/bin/env python3
"""Writes the Windows metafile fuzz corpus, tests/data/wmf/: a few well-formed metafiles and many
hostile ones (truncated, huge sizes, zero-size records, object index abuse, deep SaveDC, absurd
extents, broken bitmaps, seeded mutations). The files are committed; run this again only to change
them:  python3 tests/fuzz/wmf_make_corpus.py"""

import os
import random
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "wmf")


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def record(function, params=b"", words=None):
    if len(params) % 2:
        params += b"\0"
    size = 3 + len(params) // 2 if words is None else words
    return u32(size) + u16(function) + params


def rec(function, *values):
    return record(function, b"".join(u16(v) for v in values))


def colorref(r, g, b):
    return u32(r | g << 8 | b << 16)


EOF_RECORD = record(0x0000)


def metafile(records, placeable=True, bounds=(0, 0, 1000, 1000), inch=480, objects=16):
    body = b"".join(records) + EOF_RECORD
    out = b""
    if placeable:
        left, top, right, bottom = bounds
        out += u32(0x9AC6CDD7) + u16(0) + u16(left) + u16(top) + u16(right) + u16(bottom)
        out += u16(inch) + u32(0) + u16(0)
    out += u16(1) + u16(9) + u16(0x0300) + u32((18 + len(body)) // 2) + u16(objects) + u32(64) + u16(0)
    return out + body


def window(x, y, w, h):
    return [rec(0x0103, 8), rec(0x020B, y, x), rec(0x020C, h, w)]


def pen(style, width, rgb):
    return record(0x02FA, u16(style) + u16(width) + u16(0) + colorref(*rgb))


def brush(style, rgb, hatch=0):
    return record(0x02FC, u16(style) + colorref(*rgb) + u16(hatch))


def font(height, face=b"Liberation Sans", escapement=0, charset=0, weight=400):
    params = struct.pack("<hhhhh", height, 0, escapement, 0, weight)
    params += bytes([0, 0, 0, charset, 0, 0, 0, 0])
    params += (face + b"\0" * 32)[:32]
    return record(0x02FB, params)


def select(i):
    return rec(0x012D, i)


def delete(i):
    return rec(0x01F0, i)


def rectangle(l, t, r, b):
    return rec(0x041B, b, r, t, l)


def ellipse(l, t, r, b):
    return rec(0x0418, b, r, t, l)


def points(function, pts):
    return record(function, u16(len(pts)) + b"".join(u16(x) + u16(y) for x, y in pts))


def text_out(x, y, text):
    return record(0x0521, u16(len(text)) + text + (b"\0" if len(text) % 2 else b"") + u16(y) + u16(x))


def ext_text_out(x, y, text, options=0, rect=None, dx=None):
    params = u16(y) + u16(x) + u16(len(text)) + u16(options)
    if rect:
        params += b"".join(u16(v) for v in rect)
    params += text + (b"\0" if len(text) % 2 else b"")
    if dx:
        params += b"".join(u16(v) for v in dx)
    return record(0x0A32, params)


def dib(width, height, bits, pixels=None, colours=None, compression=0, clr_used=None, image=None):
    """A BITMAPINFOHEADER bitmap; `pixels` are the raw bits (made up when missing)."""
    if colours is None:
        colours = [(i * 37 % 256, i * 91 % 256, i * 53 % 256) for i in range(1 << bits)] if bits <= 8 else []
    used = len(colours) if clr_used is None else clr_used
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, 0, 0, 0, used, 0)
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in colours)
    if pixels is None:
        stride = ((abs(width) * bits + 31) // 32) * 4
        pixels = bytes((i * 7) % 256 for i in range(stride * abs(height)))
    return header + table + pixels


def stretch_dib(data, src_w, src_h, x, y, w, h, rop=0x00CC0020, usage=0):
    params = u32(rop) + u16(usage)
    params += b"".join(u16(v) for v in (src_h, src_w, 0, 0, h, w, y, x))
    return record(0x0F43, params + data)


def shapes_sample():
    return (window(0, 0, 1000, 1000)
            + [pen(0, 20, (0, 0, 128)), select(0), brush(0, (200, 30, 30)), select(1)]
            + [rectangle(100, 100, 600, 500), ellipse(400, 400, 900, 900)]
            + [brush(2, (0, 120, 0), 5), select(2), points(0x0324, [(50, 950), (500, 600), (950, 950)])]
            + [rec(0x0214, 0, 0), rec(0x0213, 1000, 1000), points(0x0325, [(0, 500), (250, 300), (500, 500)])]
            + [rec(0x061C, 80, 80, 300, 900, 100, 700)]
            + [rec(0x0817, 700, 300, 700, 100, 900, 300, 500, 100)]
            + [rec(0x081A, 800, 200, 800, 0, 900, 200, 700, 0)]
            + [rec(0x0830, 300, 900, 100, 900, 400, 1000, 200, 800)]
            + [font(-120), select(3), rec(0x0209, 0, 0), rec(0x0102, 1), text_out(100, 50, b"Wordlark")]
            + [rec(0x012E, 24), ext_text_out(500, 980, b"metafile", 6, (400, 900, 900, 1000), [50] * 8)]
            + [rec(0x001E), rec(0x0416, 500, 500, 0, 0), rectangle(0, 0, 1000, 1000), rec(0x0127, 0xFFFF)])


def bitmap_sample():
    return window(0, 0, 100, 100) + [
        stretch_dib(dib(4, 4, 8, colours=[(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)],
                        pixels=bytes([0, 1, 2, 3] * 4)), 4, 4, 0, 0, 50, 50),
        stretch_dib(dib(3, 2, 24), 3, 2, 50, 0, 50, 50),
        stretch_dib(dib(8, 8, 1, colours=[(0, 0, 0), (255, 255, 255)]), 8, 8, 0, 50, 50, 50),
        stretch_dib(dib(5, -3, 32), 5, 3, 50, 50, -50, -50),
    ]


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        os.remove(os.path.join(OUT, old))

    shapes = metafile(shapes_sample())
    bitmap = metafile(bitmap_sample(), bounds=(0, 0, 100, 100), inch=96)
    plain = metafile(shapes_sample(), placeable=False)
    write("valid_shapes.wmf", shapes)
    write("valid_bitmaps.wmf", bitmap)
    write("valid_no_placeable_header.wmf", plain)
    write("valid_no_window.wmf", metafile([brush(0, (0, 0, 255)), select(0), rectangle(-50, -20, 80, 40)], placeable=False))
    write("header_only.wmf", metafile([], placeable=False)[:18])
    write("empty.wmf", b"")

    # Truncation everywhere it hurts.
    write("truncated_placeable_header.wmf", shapes[:15])
    write("truncated_standard_header.wmf", shapes[:30])
    write("truncated_record.wmf", shapes[: len(shapes) // 2 + 3])
    write("truncated_bitmap.wmf", bitmap[:200])
    write("no_eof_record.wmf", shapes[:-6])

    # Record sizes.
    write("zero_size_record.wmf", metafile([record(0x041B, b"", words=0)]))
    write("size_below_header.wmf", metafile([record(0x041B, b"", words=2)]))
    write("huge_record_size.wmf", metafile([record(0x041B, u16(1) * 4, words=0xFFFFFFFF)]))
    write("record_size_past_end.wmf", metafile([record(0x0F43, b"\0" * 40, words=0x7FFF0000)]))
    write("short_parameters.wmf", metafile([rec(0x041B, 1), rec(0x0418), rec(0x0A32, 1)]))

    # Object table abuse.
    write("select_index_out_of_range.wmf", metafile([pen(0, 1, (0, 0, 0)), select(65535)], objects=4))
    write("delete_index_out_of_range.wmf", metafile([delete(9999)], objects=4))
    write("no_object_table.wmf", metafile([brush(0, (1, 2, 3)), select(0)], objects=0))
    write("object_table_overflow.wmf",
          metafile([pen(0, i, (i, i, i)) for i in range(2000)] + [select(0), rectangle(0, 0, 500, 500)], objects=1))
    write("select_deleted_object.wmf",
          metafile([brush(0, (9, 9, 9)), delete(0), select(0), delete(0), rectangle(0, 0, 10, 10)], objects=2))
    write("huge_object_table.wmf",
          metafile([brush(0, (9, 9, 9)), select(65534), rectangle(0, 0, 10, 10)], objects=65535))

    # Device context nesting.
    write("deep_savedc.wmf", metafile(window(0, 0, 100, 100) + [rec(0x001E)] * 5000 + [rec(0x0127, 0xFFFF)] * 6000
                                      + [rec(0x0127, 0x8000), rec(0x0127, 0x7FFF), rectangle(0, 0, 50, 50)]))

    # Extents and mapping.
    write("zero_extents.wmf", metafile([rec(0x020C, 0, 0), rec(0x020E, 0, 0), rec(0x0410, 0, 5, 0, 5),
                                        rec(0x0412, 1, 0, 1, 0), rectangle(0, 0, 10, 10)], placeable=False))
    write("zero_bounds.wmf", metafile([rectangle(0, 0, 10, 10)], bounds=(5, 5, 5, 900)))
    write("inverted_bounds.wmf", metafile([rectangle(0, 0, 10, 10)], bounds=(1000, 1000, 0, 0), inch=0))
    write("huge_extents.wmf", metafile([rec(0x020C, 1, 1), rec(0x020E, 32767, 32767), pen(1, 32767, (0, 0, 0)),
                                        select(0), brush(2, (5, 5, 5), 77), select(1),
                                        ellipse(-32768, -32768, 32767, 32767), rec(0x0214, 0x8000, 0x8000),
                                        rec(0x0213, 32767, 32767), font(-32768), select(2),
                                        text_out(-32768, 0, b"W" * 300)]
                                       + [rectangle(-32768, -32768, 32767, 32767)] * 500,
                                       bounds=(0, 0, 32767, 32767), inch=1))
    write("tiny_extents.wmf", metafile([rec(0x020C, 32767, 32767), rec(0x020E, 1, 1), ellipse(0, 0, 1, 1)],
                                       bounds=(0, 0, 1, 1), inch=65535))
    write("metric_map_modes.wmf", metafile([rec(0x0103, m) for m in range(0, 12)]
                                           + [rectangle(0, 0, 1000, -1000), rec(0x0103, 7),
                                              rec(0x020C, 10, -7), ellipse(0, 0, 5, 5)]))

    # Geometry.
    write("polygon_count_past_record.wmf", metafile([record(0x0324, u16(32767) + u16(1) * 4)]))
    write("polygon_negative_count.wmf", metafile([record(0x0325, u16(0x8000) + u16(1) * 4)]))
    write("polypolygon_counts_past_record.wmf",
          metafile([record(0x0538, u16(3) + u16(65535) + u16(65535) + u16(65535) + u16(0) * 8)]))
    write("polypolygon_many_empty.wmf", metafile([record(0x0538, u16(20000) + u16(0) * 20000)]))
    write("big_polygon.wmf", metafile(window(0, 0, 1000, 1000) + [brush(0, (1, 1, 1)), select(0),
                                      points(0x0324, [((i * 7919) % 1000, (i * 104729) % 1000) for i in range(16000)])]))
    write("degenerate_arcs.wmf", metafile([rec(0x0817, 5, 5, 5, 5, 5, 5, 5, 5), rec(0x081A, 0, 0, 0, 0, 10, 10, 0, 0),
                                           rec(0x0830, 0x8000, 0x7FFF, 0x8000, 0x7FFF, 0x8000, 0x7FFF, 0x8000, 0x7FFF),
                                           rec(0x061C, 0x7FFF, 0x7FFF, 10, 10, 0, 0)]))
    write("dashed_long_lines.wmf", metafile(window(0, 0, 100, 100) + [pen(2, 0, (0, 0, 0)), select(0)]
                                            + [rec(0x0214, 0x8000, 0x8000), rec(0x0213, 32767, 32767)] * 2000))
    write("clip_abuse.wmf", metafile(window(0, 0, 1000, 1000)
                                     + [rec(0x0415, (i * 13) % 1000 + 3, (i * 29) % 1000 + 3, (i * 13) % 1000, (i * 29) % 1000)
                                        for i in range(5000)]
                                     + [rec(0x0220, 0x8000, 0x7FFF), rec(0x012C, 77), rectangle(0, 0, 1000, 1000)]))

    # Text.
    write("text_length_past_record.wmf", metafile([record(0x0521, u16(32767) + b"abcd")]))
    write("exttext_negative_length.wmf", metafile([record(0x0A32, u16(0) + u16(0) + u16(0x8000) + u16(6) + u16(0) * 8)]))
    write("font_abuse.wmf", metafile([font(-32768, b"X" * 40, 3600, 128, 0x7FFF), select(0), text_out(0, 0, bytes(range(256))),
                                      font(32767, b"", -3600, 2, -5), select(1), ext_text_out(0, 0, b"\x81\x40\xff\xfe", 0xFFFF, (0, 0, 5, 5)),
                                      rec(0x012E, 0xFFFF), text_out(0, 0, b"update"), record(0x02FB, b"\x01")]))

    # Bitmaps.
    write("bitmap_huge_dimensions.wmf", metafile([stretch_dib(dib(100000, 100000, 24, pixels=b"\0" * 64), 100000, 100000, 0, 0, 100, 100)]))
    write("bitmap_negative_width.wmf", metafile([stretch_dib(dib(-4, 4, 24, pixels=b"\0" * 64), 4, 4, 0, 0, 100, 100)]))
    write("bitmap_bad_palette.wmf", metafile([stretch_dib(dib(4, 4, 8, colours=[], clr_used=0xFFFFFFFF, pixels=b"\1" * 16), 4, 4, 0, 0, 10, 10)]))
    write("bitmap_odd_bitcount.wmf", metafile([stretch_dib(dib(4, 4, 7, colours=[], pixels=b"\1" * 64), 4, 4, 0, 0, 10, 10)]))
    write("bitmap_rle8_garbage.wmf", metafile([stretch_dib(dib(64, 64, 8, compression=1, pixels=bytes([255, 7, 0, 2, 200, 200, 0, 0, 0, 1] * 50)), 64, 64, 0, 0, 10, 10)]))
    write("bitmap_rle4_garbage.wmf", metafile([stretch_dib(dib(64, 64, 4, compression=2, pixels=bytes([0, 255, 1, 2, 3, 0, 2, 99, 99] * 40)), 64, 64, 0, 0, 10, 10)]))
    write("bitmap_bitfields.wmf", metafile([stretch_dib(dib(4, 4, 16, compression=3, pixels=u32(0xF800) + u32(0x7E0) + u32(0x1F) + b"\x55" * 32), 4, 4, 0, 0, 10, 10)]))
    write("bitmap_jpeg_garbage.wmf", metafile([stretch_dib(dib(4, 4, 24, compression=4, pixels=b"\xff\xd8\xff\xe0garbage" * 10), 4, 4, 0, 0, 10, 10)]))
    write("bitmap_header_sizes.wmf", metafile([stretch_dib(u32(size) + b"\0" * 60, 4, 4, 0, 0, 10, 10) for size in (0, 12, 39, 41, 124, 125, 0xFFFFFFFF)]
                                              + [record(0x0B41, u32(0x00CC0020) + u16(0) * 9), record(0x0940, u32(0x00F00021) + u16(0) * 7),
                                                 record(0x0D33, u16(0) * 9 + u32(40)), record(0x0142, u16(5) + u16(0) + u32(12))]))
    write("bitmap_palette_indices.wmf", metafile([stretch_dib(dib(2, 2, 8), 2, 2, 0, 0, 10, 10, usage=1)]))
    write("bitmap_source_outside.wmf", metafile([stretch_dib(dib(4, 4, 24), 0x7FFF, 0x7FFF, 0, 0, 0x7FFF, 0x8000),
                                                 record(0x0F43, u32(0x008800C6) + u16(0) + u16(0x8000) * 8 + dib(2, 2, 32))]))

    # Too many records (capped).
    write("many_records.wmf", metafile([rec(0x0201, 0, 0)] * 5000 + [rectangle(0, 0, 10, 10)]))

    # Seeded mutations of the well-formed samples.
    rng = random.Random(20240305)
    for i in range(24):
        source = bytearray([shapes, bitmap, plain][i % 3])
        for _ in range(rng.randint(1, 12)):
            at = rng.randrange(len(source))
            choice = rng.random()
            if choice < 0.5:
                source[at] = rng.randrange(256)
            elif choice < 0.7:
                source[at:at + 2] = rng.choice([b"\0\0", b"\xff\xff", b"\x00\x80", b"\xff\x7f"])
            elif choice < 0.85:
                del source[at:at + rng.randint(1, 16)]
            else:
                source[at:at] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 16)))
        write("mutated_%02d.wmf" % i, bytes(source))
    for i in range(4):
        write("random_%02d.wmf" % i, metafile([]) [:40] + bytes(rng.randrange(256) for _ in range(600)))


if __name__ == "__main__":
    main()
