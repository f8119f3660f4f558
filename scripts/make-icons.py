#!/usr/bin/env python3
"""Draws Mountwick's icons and about-box bitmap and writes them to res/.

The pictures are pixel maps below, one character a pixel, in the standard
16-colour palette, so the files stay 4-bit as the tray and the window class
expect. The outputs are committed; run this only after changing a drawing:

    python3 scripts/make-icons.py [res-dir]
"""

import pathlib
import struct
import sys

# The standard 16-colour palette (RGB), in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Map characters to palette indexes; "." is transparent in icons.
INK = {
    "k": 0,   # black outline
    "G": 2,   # green
    "n": 4,   # navy
    "s": 7,   # silver
    "g": 8,   # grey
    "b": 12,  # blue
    "L": 10,  # lime
    "a": 14,  # aqua
    "w": 15,  # white
}

# A USB stick with a "start" badge: plug a device in, a program runs.
DRIVE_32 = """
................................
........kkkkkkkkkk..............
........kwwwwwwwwk..............
........kskksskksk..............
........kskksskksk..............
........kssssssssk..............
........kssssssssk..............
........kggggggggk..............
......kkkkkkkkkkkkkk............
.....kabbbbbbbbbbbnnk...........
.....kabbbbbbbbbbbnnk...........
.....kabwwwwwwwwwbnnk...........
.....kabwwwwwwwwwbnnk...........
.....kabwgggggggwbnnk...........
.....kabwwwwwwwwwbnnk...........
.....kabwgggggwwwbnnk...........
.....kabwwwwwwwwwbnnk...........
.....kabwwwwwwwwwbnnk.kkkk......
.....kabbbbbbbbbbbnnkkLLGGkk....
.....kabbbbbbbbbbbnkLLLGwGGGk...
.....kabbbbbbbbbbbkLLLGGwwGGGk..
.....kabbbbbbbbbbbkLLGGGwwwGGk..
.....kabbbbbbbbbbkLwwwwwwwwwGGk.
.....kabbbbbbbbbbkLwwwwwwwwwwGk.
.....kabbbbbbbbbbkGwwwwwwwwwwGk.
.....kabbbbbbbbbbkGwwwwwwwwwGGk.
.....kabbbbbbbbbbbkGGGGGwwwGGk..
.....kabbbbbbbbbbbkGGGGGwwGGGk..
......kkkkkkkkkkkkkkGGGGwGGGk...
....................kkGGGGkk....
......................kkkk......
................................
"""

DRIVE_16 = """
....kkkkkk......
....kwwwwk......
....kksskk......
....kssssk......
...kkkkkkkk.....
..kabbbbbbnk....
..kawwwwwbnk....
..kawgggwbnk....
..kawwwwwbkkkk..
..kabbbbbkLGGGk.
..kabbbbkLGGwGGk
..kabbbbkwwwwwGk
..kabbbbkwwwwwGk
..kabbbbkGGGwGGk
...kkkkkkkGGGGk.
..........kkkk..
"""

# The maker's mark for the about box: a "Q" on a blue tile. A bitmap has no
# transparency, so the tile fills the whole square.
MAKER_MARK = """
nnnnnnnnnnnnnnnn
nbbbbbbbbbbbbbbn
nbbbbbwwwwbbbbbn
nbbbwwwwwwwwbbbn
nbbwwwbbbbwwwbbn
nbbwwbbbbbbwwbbn
nbwwbbbbbbbbwwbn
nbwwbbbbbbbbwwbn
nbwwbbbbbbbbwwbn
nbwwbbbwwbbbwwbn
nbbwwbbbwwbwwbbn
nbbwwwbbbwwwwbbn
nbbbwwwwwwwwwbbn
nbbbbbwwwwbbwwbn
nbbbbbbbbbbbbbbn
nnnnnnnnnnnnnnnn
"""


def parse(drawing, size):
    rows = drawing.strip("\n").split("\n")
    if len(rows) != size or any(len(row) != size for row in rows):
        raise ValueError(f"a {size}x{size} drawing has a row of the wrong length")
    return rows


def pack_4bit(rows, transparent=0):
    """Bottom-up rows of 4-bit indexes, each row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        indexes = [transparent if c == "." else INK[c] for c in row]
        if len(indexes) % 2:
            indexes.append(0)
        line = bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, len(indexes), 2))
        out += line + b"\0" * (-len(line) % 4)
    return bytes(out)


def pack_mask(rows):
    """Bottom-up 1-bit AND mask: 1 where the icon is transparent."""
    out = bytearray()
    for row in reversed(rows):
        bits = 0
        for c in row:
            bits = (bits << 1) | (c == ".")
        bits <<= -len(row) % 8
        line = bits.to_bytes((len(row) + 7) // 8, "big")
        out += line + b"\0" * (-len(line) % 4)
    return bytes(out)


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon_image(rows):
    size = len(rows)
    pixels, mask = pack_4bit(rows), pack_mask(rows)
    # An icon's header counts the colour image and the mask together.
    return info_header(size, size * 2, len(pixels) + len(mask)) + palette_bytes() + pixels + mask


def icon_file(drawings):
    images = [(len(rows), icon_image(rows)) for rows in drawings]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def bitmap_file(rows):
    pixels = pack_4bit(rows)
    header_size = 14 + 40 + 16 * 4
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    return file_header + info_header(len(rows[0]), len(rows), len(pixels)) + palette_bytes() + pixels


def main():
    res = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "res")
    drive_32, drive_16 = parse(DRIVE_32, 32), parse(DRIVE_16, 16)
    (res / "mountwick.ico").write_bytes(icon_file([drive_32, drive_16]))
    (res / "small.ico").write_bytes(icon_file([drive_16]))
    (res / "logo.bmp").write_bytes(bitmap_file(parse(MAKER_MARK, 16)))


if __name__ == "__main__":
    main()
