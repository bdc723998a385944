#!/usr/bin/env python3
"""Renders the characters that "TextChrs" defines as 1-bit PBM strips, the
fixtures that the definitions are tuned and tested against.

Each strip is one font at one size: the characters of CHARS drawn one by one
with ImageMagick at 300 dpi (the same origin, so they share a baseline),
thresholded at 50 per cent and set side by side with GAP blank columns
between them. Beside STRIP.pbm goes STRIP.txt: one line per character with
its code and its ink box in the strip (x0 y0 x1 y1, ends exclusive).

Fonts: Debian fonts-dejavu-core and fonts-liberation2, regular and bold, and
C059 Bold of fonts-urw-base35, the face LilyPond sets tablature numbers in;
and the digits and "x" as LilyPond itself engraves them in that face (strips
"lilypond-N", N its font size).

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
# The face of LilyPond's tablature numbers at more sizes: its frets on a
# stave of the default size at 300 dpi are about 26 pixels high.
LILYPOND_SIZES = [5, 6, 7, 8, 9, 10]
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


LILYPOND_CHARS = "0123456789x"
# LilyPond's own rendering of those characters in the bold face of its
# tablature numbers, at font sizes about the size of its frets (-2 is the
# size on a stave of the default size), in the strips "lilypond-N".
LILYPOND_FONT_SIZES = [-4, -3, -2, -1]
LILYPOND_MARKUP = r"""\version "2.24.0"
\paper { indent = 0 tagline = ##f }
\header { tagline = ##f }
\markup \override #'(font-series . bold) \fontsize #%d \line { %s }
"""


def render_lilypond(fontsize, tmp):
    """The characters of LILYPOND_CHARS as LilyPond engraves them at 300 dpi,
    thresholded: (rows, [(char, x0, x1)])."""
    source = os.path.join(tmp, "chars.ly")
    with open(source, "w") as f:
        f.write(LILYPOND_MARKUP % (fontsize, " \\hspace #1 ".join(LILYPOND_CHARS)))
    subprocess.run(["lilypond", "--png", "-dresolution=300", "-o", os.path.join(tmp, "chars"), source],
                   check=True, capture_output=True)
    path = os.path.join(tmp, "chars.pbm")
    subprocess.run(["convert", os.path.join(tmp, "chars.png"), "-threshold", "50%", "-trim", "+repage",
                    "-bordercolor", "white", "-border", "%d" % GAP, "-compress", "none", "pbm:" + path], check=True)
    with open(path) as f:
        tokens = f.read().split()
    w, h = int(tokens[1]), int(tokens[2])
    bits = "".join(tokens[3:])
    rows = [[bits[y * w + x] == "1" for x in range(w)] for y in range(h)]
    columns = [any(r[x] for r in rows) for x in range(w)]
    runs, x = [], 0
    while x < w:
        if columns[x]:
            start = x
            while x < w and columns[x]:
                x += 1
            runs.append((start, x))
        x += 1
    if len(runs) != len(LILYPOND_CHARS):
        raise SystemExit("LilyPond's characters at size %d: %d column runs" % (fontsize, len(runs)))
    return rows, [(ch, x0, x1) for ch, (x0, x1) in zip(LILYPOND_CHARS, runs)]


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        strips = [(name, font, size, CHARS, "%s-%d" % (name, size)) for name, font in FACES
                  for size in (LILYPOND_SIZES if name == "c059bold" else SIZES)]
        strips += [(name, font, size, LETTERS, "letters-%s-%d" % (name, size))
                   for name, font in FACES for n, size in LETTER_STRIPS if n == name]
        strips += [("lilypond", None, size, LILYPOND_CHARS, "lilypond%d" % size) for size in LILYPOND_FONT_SIZES]
        for name, font, size, chars, stripName in strips:
            glyphs = []
            if name == "lilypond":
                rows, runs = render_lilypond(size, tmp)
                glyphs = [(ch, rows, x0, x1) for ch, x0, x1 in runs]
            for ch in chars if name != "lilypond" else "":
                rows = render(font, size, ch, os.path.join(tmp, "g.pbm"))
                xs = [x for x in range(CANVAS) if any(r[x] for r in rows)]
                glyphs.append((ch, rows, xs[0], xs[-1] + 1))
            height = len(glyphs[0][1])
            ys = [y for y in range(height) if any(any(r[y][x0:x1]) for _, r, x0, x1 in glyphs)]
            top, bottom = max(0, ys[0] - GAP // 2), min(height, ys[-1] + 1 + GAP // 2)
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
