#!/usr/bin/env python3
"""Turns the program's SVG pictures into Windows BMP and ICO files.

rsvg-convert renders the SVG to PNG; this script decodes the PNG (8-bit
RGBA, as rsvg-convert writes it) and writes the BMP or ICO field by field.

  make_pictures.py bmp24 in.svg out.bmp WIDTH HEIGHT [--key]
  make_pictures.py bmp8  in.svg out.bmp WIDTH HEIGHT
  make_pictures.py ico   in.svg out.ico SIZE [SIZE...]
  make_pictures.py cur   in.svg out.cur HOTX HOTY   (a 32 x 32 cursor)

--key: pixels that are mostly transparent become magenta (0xFF00FF), the
colour that image lists take as transparent; the rest is laid on the light
grey of a menu. Without it the picture is laid on white.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

MAGENTA = (255, 0, 255)
MENU_GREY = (240, 240, 240)
WHITE = (255, 255, 255)


def render_png(svg, width, height):
    with tempfile.TemporaryDirectory() as folder:
        png = os.path.join(folder, "picture.png")
        subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height),
                        "-f", "png", "-o", png, svg], check=True)
        with open(png, "rb") as f:
            return f.read()


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png(data):
    """Rows of (r, g, b, a) tuples, top row first."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB/RGBA, non-interlaced PNG is read")
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous, at = [], bytearray(stride), 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            upleft = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 255
            elif kind == 4:
                line[i] = (line[i] + paeth(left, up, upleft)) & 255
        previous = line
        if channels == 4:
            rows.append([tuple(line[i:i + 4]) for i in range(0, stride, 4)])
        else:
            rows.append([tuple(line[i:i + 3]) + (255,) for i in range(0, stride, 3)])
    return rows


def flatten(rows, keyed):
    """Lays RGBA pixels on a background: rows of (r, g, b)."""
    back = MENU_GREY if keyed else WHITE
    out = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            if keyed and a < 96:
                line.append(MAGENTA)
                continue
            line.append(tuple((c * a + k * (255 - a)) // 255 for c, k in zip((r, g, b), back)))
        out.append(line)
    return out


def bmp_headers(width, height, bits, palette_entries, image_size):
    offset = 14 + 40 + 4 * palette_entries
    file_header = b"BM" + struct.pack("<IHHI", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, palette_entries, 0)
    return file_header + info


def bmp24(pixels):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        body += line + bytes(stride - len(line))
    return bmp_headers(width, height, 24, 0, len(body)) + bytes(body)


def palette_256():
    """A 6x6x6 colour cube and a ramp of greys: 240 colours."""
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(v * 255 // 25, v * 255 // 25, v * 255 // 25) for v in range(1, 25)]
    return colours


def bmp8(pixels):
    palette = palette_256()
    height, width = len(pixels), len(pixels[0])
    stride = (width + 3) & ~3
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(len(palette)),
                           key=lambda i: sum((p - q) ** 2 for p, q in zip(palette[i], c)))
        return cache[c]

    body = bytearray()
    for row in reversed(pixels):
        line = bytes(nearest(c) for c in row)
        body += line + bytes(stride - len(line))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return bmp_headers(width, height, 8, len(palette), len(body)) + table + bytes(body)


def icon_image(rows):
    """One icon image: a BITMAPINFOHEADER of twice the height, 32-bit BGRA
    pixels bottom-up and the AND mask (set where transparent)."""
    size = len(rows)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico(svg, sizes):
    images = [icon_image(decode_png(render_png(svg, s, s))) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def cur(svg, hot_x, hot_y):
    image = icon_image(decode_png(render_png(svg, 32, 32)))
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", 32, 32, 0, 0, hot_x, hot_y, len(image), 6 + 16)
    return out + image


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    kind, svg, target = argv[1], argv[2], argv[3]
    if kind == "ico":
        data = ico(svg, [int(s) for s in argv[4:]] or [32, 16])
    elif kind == "cur":
        data = cur(svg, int(argv[4]), int(argv[5]))
    elif kind in ("bmp24", "bmp8"):
        width, height = int(argv[4]), int(argv[5])
        keyed = "--key" in argv[6:]
        pixels = flatten(decode_png(render_png(svg, width, height)), keyed)
        data = bmp24(pixels) if kind == "bmp24" else bmp8(pixels)
    else:
        sys.exit("unknown kind: " + kind)
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    with open(target, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv)
