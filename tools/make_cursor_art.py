#!/usr/bin/python3
"""Writes the SVG drawings of the program's cursors (32 x 32); the music
pictures in them are the glyphs of the program's own music font.

    make_cursor_art.py MUSIC_FONT.TTF OUT_FOLDER

Writes cursorNNN.svg for the cursor resources 109, 148, 149, 150 and 206 to
214; make_pictures.py turns each into a .cur file (hot spots are listed in
CURSORS and in resources/CMakeLists.txt).
"""
import os
import sys

import fontforge

ARROW = ('<path d="M1.5 1.5 L1.5 19 L5.8 14.8 L9 21.5 L11.6 20.3 L8.5 13.8 L14.5 13.8 Z" '
         'fill="#000" stroke="#fff" stroke-width="1.2" stroke-linejoin="round"/>')
HAND = ('<path d="M9 30 C6 26 3 21 3.5 18.5 C4 16.5 6.5 17 8 19.5 L8 6 C8 3.8 11 3.8 11 6 L11 14 '
        'L11 11.5 C11 9.5 14 9.5 14 11.5 L14 14 L14 12.5 C14 10.5 17 10.5 17 12.5 L17 15 '
        'L17 14 C17 12 20 12 20 14 L20 22 C20 26 18 28 17 30 Z" fill="#fff" stroke="#000" '
        'stroke-width="1.3" stroke-linejoin="round"/>')
LENS = ('<circle cx="11" cy="11" r="7.5" fill="#fff" stroke="#000" stroke-width="2.2"/>'
        '<path d="M16.5 16.5 L28 28" stroke="#000" stroke-width="4" stroke-linecap="round"/>'
        '<path d="M7 11 H15 M11 7 V15" stroke="#000" stroke-width="1.6"/>')
PAGE = ('<path d="M15 12 H25 L29 16 V30 H15 Z" fill="#fff" stroke="#000" stroke-width="1.2" '
        'stroke-linejoin="round"/><path d="M25 12 V16 H29" fill="none" stroke="#000" stroke-width="1"/>'
        '<path d="M17.5 20 H26.5 M17.5 23 H26.5 M17.5 26 H26.5" stroke="#000" stroke-width="0.8"/>')
NO_DROP = ('<circle cx="22" cy="22" r="7" fill="#fff" stroke="#000" stroke-width="2.2"/>'
           '<path d="M17 27 L27 17" stroke="#000" stroke-width="2.2"/>')
# A small five-line stave, bottom right: the page view, where staves are marked.
STAVE_MARK = ('<rect x="14.5" y="17.5" width="15" height="12" fill="#fff" stroke="#fff" stroke-width="2"/>'
              '<path d="M15 18 H29 M15 21 H29 M15 24 H29 M15 27 H29 M15 30 H29 M15 18 V30 M29 18 V30" '
              'stroke="#000" stroke-width="1"/>')
# Cross hairs centred on (11, 11): the corner of a stave being drawn.
CROSS = ('<path d="M11 1 V21 M1 11 H21" stroke="#fff" stroke-width="3.4"/>'
         '<path d="M11 1 V21 M1 11 H21" stroke="#000" stroke-width="1.2"/>')
LINK = PAGE + '<path d="M18 9 C22 5 27 6 27 10" fill="none" stroke="#000" stroke-width="1.4"/>'

# resource id -> (hot spot x, y, pieces, glyph code or None)
CURSORS = {
    148: (1, 1, [ARROW], 85),    # keypad panel 0: notes (a crotchet)
    206: (1, 1, [ARROW], 48),    # panel 1: rests (a crotchet rest)
    210: (1, 1, [ARROW], 35),    # panel 2: accidentals (a sharp)
    211: (1, 1, [ARROW], 93),    # panel 3: clefs and signatures (a treble clef)
    207: (1, 1, [ARROW], 84),    # the fifth panel cursor of the R8 keypad (a minim)
    109: (1, 1, [ARROW], 86),    # ... and of the standard keypad (a quaver)
    149: (11, 4, [HAND], None),  # the view's hand
    150: (11, 11, [LENS], None),  # zoom
    212: (1, 1, [ARROW, LINK], None),  # the link to the page image
    208: (1, 1, [ARROW, PAGE], None),  # a page being dragged in the pages pane
    209: (1, 1, [ARROW, NO_DROP], None),  # ... where it cannot be dropped
    213: (1, 1, [ARROW, STAVE_MARK], None),  # the page view's pointer
    214: (11, 11, [CROSS, STAVE_MARK], None),  # a new stave being drawn in the page view
}


def contour_path(contour, transform):
    """SVG path data of one closed quadratic contour."""
    points = [(p.x, p.y, p.on_curve) for p in contour]
    if not points:
        return ""
    # Start on an on-curve point (between two off-curve points there is one).
    start = next((i for i, p in enumerate(points) if p[2]), None)
    if start is None:
        a, b = points[-1], points[0]
        points = [((a[0] + b[0]) / 2, (a[1] + b[1]) / 2, True)] + points
        start = 0
    points = points[start:] + points[:start]
    out = ["M%.2f %.2f" % transform(points[0][0], points[0][1])]
    pending = None
    for x, y, on in points[1:] + [points[0]]:
        if on:
            if pending is None:
                out.append("L%.2f %.2f" % transform(x, y))
            else:
                out.append("Q%.2f %.2f %.2f %.2f" % (transform(*pending) + transform(x, y)))
                pending = None
        else:
            if pending is not None:
                mid = ((pending[0] + x) / 2, (pending[1] + y) / 2)
                out.append("Q%.2f %.2f %.2f %.2f" % (transform(*pending) + transform(*mid)))
            pending = (x, y)
    return " ".join(out) + " Z"


def glyph_svg(font, code, box):
    """The glyph fitted into box (left, top, right, bottom) in pixels."""
    glyph = font[code]
    x0, y0, x1, y1 = glyph.boundingBox()
    left, top, right, bottom = box
    scale = min((right - left) / (x1 - x0), (bottom - top) / (y1 - y0))
    ox = left + ((right - left) - (x1 - x0) * scale) / 2
    oy = top + ((bottom - top) - (y1 - y0) * scale) / 2

    def transform(x, y):
        return (ox + (x - x0) * scale, oy + (y1 - y) * scale)

    data = " ".join(contour_path(c, transform) for c in glyph.foreground)
    # A white outline first keeps the symbol readable on dark music.
    return ('<path d="%s" fill="#fff" stroke="#fff" stroke-width="2.4" stroke-linejoin="round"/>'
            '<path d="%s" fill="#000" fill-rule="nonzero"/>' % (data, data))


def main():
    font_path, out = sys.argv[1:3]
    os.makedirs(out, exist_ok=True)
    font = fontforge.open(font_path)
    for rid, (_, _, pieces, code) in sorted(CURSORS.items()):
        body = "".join(pieces)
        if code is not None:
            body += glyph_svg(font, code, (15, 9, 30, 30))
        text = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
                '%s</svg>\n' % body)
        path = os.path.join(out, "cursor%d.svg" % rid)
        try:
            if open(path).read() == text:
                continue
        except OSError:
            pass
        with open(path, "w") as f:
            f.write(text)
    font.close()


if __name__ == "__main__":
    main()
