#!/usr/bin/env python3
"""Engraves the tablature fixture page of the stage tests with LilyPond.

usage: engrave_tab.py OUTDIR

Writes OUTDIR/tab.ly (a bar and a half of guitar tablature the project
writes itself), engraves it at 300 dpi (Debian lilypond), thresholds it at
50 per cent (ImageMagick) and writes OUTDIR/tab.pbm and OUTDIR/tab.txt: the
stave's box ("stave LEFT TOP RIGHT BOTTOM", the ends of its top line and the
y of its top and bottom lines) and one line per fret number of the music
("fret FRET STRING", strings counted from the lowest line, 0).
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from pbm import write_pbm  # noqa: E402

MUSIC = r"""\version "2.24.0"
\paper { indent = 0 line-width = 120\mm tagline = ##f }
\header { tagline = ##f }
\new TabStaff \with { \omit Clef \omit TimeSignature } {
  \set TabStaff.stringTunings = #guitar-tuning
  e4\6 a,4\6 c'4\5 <b\2 e'\1>4 | g,8\6 d'8\3 a'8\1 g'8\2 f4\4 e'4\2 |
}
"""
# (fret, string from the lowest line) of each note above.
FRETS = [(12, 0), (5, 0), (15, 1), (0, 4), (0, 5), (3, 0), (7, 3), (5, 5), (8, 4), (3, 2), (5, 4)]


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "tab.ly"), "w") as f:
        f.write(MUSIC)
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["lilypond", "--png", "-dresolution=300", "-o", os.path.join(tmp, "tab"),
                        os.path.join(out, "tab.ly")], check=True, capture_output=True)
        plain = os.path.join(tmp, "tab.pbm")
        subprocess.run(["convert", os.path.join(tmp, "tab.png"), "-threshold", "50%", "-trim", "+repage",
                        "-bordercolor", "white", "-border", "40", "-compress", "none", "pbm:" + plain], check=True)
        with open(plain) as f:
            tokens = f.read().split()
    w, h = int(tokens[1]), int(tokens[2])
    bits = "".join(tokens[3:])
    rows = [[bits[y * w + x] == "1" for x in range(w)] for y in range(h)]
    # The stave lines: rows that are ink over more than half the width (the
    # upper row of each line).
    lines = [y for y in range(h) if sum(rows[y]) > w // 2 and not (y > 0 and sum(rows[y - 1]) > w // 2)]
    if len(lines) != 6:
        raise SystemExit("found %d stave lines" % len(lines))
    top_line = rows[lines[0]]
    left = top_line.index(True)
    right = w - 1 - top_line[::-1].index(True)
    write_pbm(os.path.join(out, "tab.pbm"), rows)
    with open(os.path.join(out, "tab.txt"), "w") as f:
        f.write("stave %d %d %d %d\n" % (left, lines[0], right, lines[-1]))
        for fret, string in FRETS:
            f.write("fret %d %d\n" % (fret, string))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
