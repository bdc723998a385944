#!/usr/bin/env python3
"""Writes the printable stave paper for handwritten music.

  make_stave_paper.py OUTPUT_FOLDER

Two one-page PDF files, "Dotted Staves A4.pdf" and "Dotted Staves Letter.pdf":
twelve five-line staves whose lines are dotted, so that the reader can tell
the printed lines from the pen strokes written over them. Every figure
below is in PDF points (1/72 inch); the output is the same on every run.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_pdf import write_pdf  # noqa: E402

SIZES = {"A4": (595, 842), "Letter": (612, 792)}
STAVES = 12
LINE_GAP = 7.5        # a stave space of about 2.6 mm
MARGIN_SIDE = 48
MARGIN_TOP = 64
DOT = "[0.5 2] 0 d 0.7 w 1 J"   # round dots 2.5 points apart


def stave_page(width, height):
    """The drawing operators of one page of dotted staves."""
    usable = height - 2 * MARGIN_TOP
    pitch = usable / STAVES                  # stave to stave
    ops = ["0 G", DOT]
    for s in range(STAVES):
        top = height - MARGIN_TOP - s * pitch - (pitch - 4 * LINE_GAP) / 2
        for line in range(5):
            y = top - line * LINE_GAP
            ops.append("%d %.2f m %d %.2f l S" % (MARGIN_SIDE, y, width - MARGIN_SIDE, y))
    # A caption in the bottom margin, small and solid.
    ops.append("BT /F1 7 Tf %d 28 Td (Dotted stave paper for handwritten music) Tj ET" % MARGIN_SIDE)
    return ops


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, (width, height) in SIZES.items():
        write_pdf([stave_page(width, height)], os.path.join(folder, "Dotted Staves %s.pdf" % name),
                  size=(width, height))


if __name__ == "__main__":
    main()
