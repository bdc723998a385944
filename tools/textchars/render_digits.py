#!/usr/bin/env python3
"""Renders the characters that "TextChrs" defines as 1-bit PBM strips, the
fixtures that the definitions are tuned and tested against.

Each strip is one font at one size: the characters of CHARS drawn one by one
with ImageMagick at 300 dpi (the same origin, so they share a baseline),
thresholded at 50 per cent and set side by side with GAP blank columns
between them. Beside STRIP.pbm goes STRIP.txt: one line per character with
its code and its ink box in the strip (x0 y0 x1 y1, ends exclusive).

Fonts: Debian fonts-dejavu-core and fonts-liberation2, regular and bold, and
C059 Bold of fonts-urw-base35, the face LilyPond sets tablature numbers in.

usage: render_digits.py OUTDIR
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from pbm import write_pbm  # noqa: E402

CHARS = "0123456789xI"
FONTS = "/usr/share/fonts/truetype"
FACES = [
    ("dejavusans", FONTS + "/dejavu/DejaVuSans.ttf"),
    ("dejavusansbold", FONTS + "/dejavu/DejaVuSans-Bold.ttf"),
    ("dejavuserif", FONTS + "/dejavu/DejaVuSerif.ttf"),
    ("liberationsans", FONTS + "/liberation2/LiberationSans-Regular.ttf"),
    ("liberationsansbold", FONTS + "/liberation2/LiberationSans-Bold.ttf"),
    ("liberationserif", FONTS + "/liberation2/LiberationSerif-Regular.ttf"),
    ("c059bold", "/usr/share/fonts/opentype/urw-base35/C059-Bold.otf"),
]
SIZES = [5, 7, 10]  # points at 300 dpi: digits about 15, 21 and 30 pixels high
# Letters that no definition may take for a digit, in the strips named
# "letters-FACE-SIZE".
LETTERS = "AkmEh"
LETTER_STRIPS = [("dejavusans", 5), ("liberationserif", 5)]
GAP = 8
CANVAS = 160


def render(font, size, char, path):
    subprocess.run(["convert", "-size", "%dx%d" % (CANVAS, CANVAS), "xc:white", "-density", "300", "-font", font,
                    "-pointsize", str(size), "-fill", "black", "-annotate", "+20+120", char, "-threshold", "50%",
                    "-compress", "none", "pbm:" + path], check=True)
    with open(path) as f:
        tokens = f.read().split()
    w, h = int(tokens[1]), int(tokens[2])
    bits = "".join(tokens[3:])
    return [[bits[y * w + x] == "1" for x in range(w)] for y in range(h)]


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        strips = [(name, font, size, CHARS, "%s-%d" % (name, size)) for name, font in FACES for size in SIZES]
        strips += [(name, font, size, LETTERS, "letters-%s-%d" % (name, size))
                   for name, font in FACES for n, size in LETTER_STRIPS if n == name]
        for name, font, size, chars, stripName in strips:
            glyphs = []
            for ch in chars:
                rows = render(font, size, ch, os.path.join(tmp, "g.pbm"))
                xs = [x for x in range(CANVAS) if any(r[x] for r in rows)]
                glyphs.append((ch, rows, xs[0], xs[-1] + 1))
            ys = [y for y in range(CANVAS) if any(any(r[y][x0:x1]) for _, r, x0, x1 in glyphs)]
            top, bottom = ys[0] - GAP // 2, ys[-1] + 1 + GAP // 2
            strip = [[] for _ in range(bottom - top)]
            lines = []
            x = GAP
            for y in range(bottom - top):
                strip[y] = [False] * GAP
            for ch, rows, x0, x1 in glyphs:
                gy = [y for y in range(top, bottom) if any(rows[y][x0:x1])]
                lines.append("%d %d %d %d %d" % (ord(ch), x, gy[0] - top, x + x1 - x0, gy[-1] + 1 - top))
                for y in range(top, bottom):
                    strip[y - top] += rows[y][x0:x1] + [False] * GAP
                x += x1 - x0 + GAP
            base = os.path.join(argv[1], stripName)
            write_pbm(base + ".pbm", strip)
            with open(base + ".txt", "w") as f:
                f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
