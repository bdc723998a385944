#!/usr/bin/python3
"""Writes the SVG drawings of the keypad's pictures; the music in them is
drawn with the glyphs of the program's own music font.

    make_keypad_art.py MUSIC_FONT.TTF OUT_FOLDER

keypadkeys.svg: one 19 x 19 cell per keypad code (cell n shows code n,
codes 0 to KEY_CELLS - 1; codes without a picture stay empty), for the keys;
keypadkeys16.svg the same, written 16 pixels high for the disabled slots.
keypadtab256.svg .. keypadtab260.svg: the five layout tabs (Common notes,
More notes, Beams/tremolos, Articulation, Accidentals), each three 20 x 18
pictures side by side: normal, marked (a key of its layout is latched),
pressed. make_pictures.py writes each as a BMP (bmp24 --key).
"""
import os
import sys

import fontforge

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_cursor_art import contour_path  # noqa: E402

KEY = 19
KEY_CELLS = 136
TAB_W, TAB_H = 20, 18
INK = "#14283c"

# Glyph codes of the music font.
CROTCHET, MINIM, SEMIBREVE, BREVE = 85, 84, 83, 82
QUAVER, SEMIQUAVER, DEMISEMI, HEMIDEMI, SEMIHEMI = 86, 87, 88, 89, 90
SHARP, FLAT, DSHARP, DFLAT, NATURAL, NATSHARP, NATFLAT = 35, 36, 37, 38, 39, 40, 41
DOT, ACCENT, TENUTO, PLUS, UPBOW, DOWNBOW = 46, 116, 120, 119, 122, 121
FERMATA, MARCATO, STACCATISSIMO, HARMONIC = 118, 113, 115, 111
CREST, SBREST, XHEAD, CHEAD = 48, 45, 71, 65

# Paths drawn without the font, in a 19 x 19 cell.
TIE = '<path d="M3 8 Q9.5 15 16 8 Q9.5 12.5 3 8 Z" fill="%s"/>' % INK
CROSS = '<path d="M3 3 L16 16 M16 3 L3 16" stroke="#b01818" stroke-width="1.6"/>'


def beam(heads, beams):
    """Stems up from noteheads at x positions, with beams between given pairs."""
    out = []
    for x in heads:
        out.append('<ellipse cx="%.1f" cy="14.5" rx="2.3" ry="1.7" fill="%s" transform="rotate(-20 %.1f 14.5)"/>'
                   % (x, INK, x))
        out.append('<path d="M%.1f 14 V3" stroke="%s" stroke-width="1"/>' % (x + 2, INK))
    for a, b in beams:
        out.append('<path d="M%.1f 3 H%.1f V5.2 H%.1f Z" fill="%s"/>' % (heads[a] + 1.5, heads[b] + 2.5, heads[a] + 1.5, INK))
    return "".join(out)


NO_BEAM = beam([5, 13], [])
START_BEAM = beam([5, 13], [(0, 1)]) + '<path d="M15 3 H18" stroke="%s" stroke-width="2.2"/>' % INK
MIDDLE_BEAM = '<path d="M1 4 H4" stroke="%s" stroke-width="2.2"/>' % INK + beam([6, 13], [(0, 1)]) + \
    '<path d="M15 4 H18" stroke="%s" stroke-width="2.2"/>' % INK
FLIP_STEM = ('<path d="M9.5 2 V17 M6 5 L9.5 1.5 L13 5 M6 14 L9.5 17.5 L13 14" fill="none" stroke="%s" '
             'stroke-width="1.4"/>' % INK)


def text(s, size=8):
    return ('<text x="9.5" y="%.1f" font-family="DejaVu Sans" font-weight="bold" font-size="%d" '
            'text-anchor="middle" fill="%s">%s</text>' % (9.5 + size * 0.36, size, INK, s))


# keypad code -> list of pieces: a glyph code (drawn fitted into the cell),
# (glyph code, box) for a glyph in a part of the cell, or an SVG string.
KEYS = {
    0: [CROTCHET], 1: [QUAVER], 2: [SEMIQUAVER], 3: [MINIM], 4: [SEMIBREVE], 74: [DEMISEMI],
    57: [HEMIDEMI], 56: [SEMIHEMI], 54: [BREVE], 134: [(SBREST, (3, 4, 16, 10))], 128: [CREST],
    5: [(DOT, (7, 7, 12, 12))], 59: [(DOT, (3, 7, 8, 12)), (DOT, (11, 7, 16, 12))],
    58: [(DOT, (1, 7, 5.5, 11.5)), (DOT, (7.3, 7, 11.8, 11.5)), (DOT, (13.5, 7, 18, 11.5))],
    6: [(ACCENT, (2, 5, 17, 14))], 8: [(DOT, (7, 7, 12, 12))], 7: [(TENUTO, (2, 8, 17, 11))],
    9: [(FERMATA, (1, 4, 18, 15))], 32: [(MARCATO, (4, 2, 15, 17))], 33: [(STACCATISSIMO, (6, 2, 13, 17))],
    34: [(PLUS, (3, 3, 16, 16))], 35: [(UPBOW, (4, 2, 15, 17))], 36: [(DOWNBOW, (3, 3, 16, 16))],
    39: [(HARMONIC, (4, 4, 15, 15))], 131: [(ACCENT, (2, 5, 17, 14)), CROSS],
    14: [NATURAL], 13: [SHARP], 12: [FLAT], 40: [(DSHARP, (3, 3, 16, 16))], 41: [DFLAT],
    42: [NATSHARP], 45: [NATFLAT], 132: [NATURAL, CROSS],
    29: [TIE], 16: [text("Esc", 7)], 81: [text("1st", 7)], 80: [text("&#187;", 11)],
    63: [NO_BEAM], 61: [START_BEAM], 62: [MIDDLE_BEAM], 69: [FLIP_STEM],
    87: [(CROTCHET, (6, 3, 14, 16)), '<path d="M8 12 L16 5" stroke="%s" stroke-width="1"/>' % INK],
    73: [(CROTCHET, (6, 5, 13, 15))], 51: [(XHEAD, (4, 5, 15, 14))], 52: [text("&#9671;", 11)],
}



def slashes(count, x, y):
    """count tremolo strokes across a stem at x, from y down."""
    return "".join('<path d="M%.1f %.1f L%.1f %.1f" stroke="%s" stroke-width="1.5"/>'
                   % (x - 3, y + 3.2 * i + 1.5, x + 3, y + 3.2 * i - 1.5, INK) for i in range(count))


def stroked(d, width=1.6):
    return '<path d="%s" fill="none" stroke="%s" stroke-width="%.1f"/>' % (d, INK, width)


FERMATA_DOT = '<circle cx="9.5" cy="12.5" r="1.3" fill="%s"/>' % INK
# The keys of the empty (disabled) slots that name a symbol: drawn greyed.
KEYS.update({
    31: ['<path d="M6 4 H13 L9.5 15 Z" fill="%s"/>' % INK],
    37: [stroked("M3 14 L9.5 4 L16 14"), FERMATA_DOT],
    38: [stroked("M3 14 V5 H16 V14"), FERMATA_DOT],
    43: [stroked("M9.5 2 V17", 1.2), stroked("M5 8 L14 6 M5 13 L14 11", 2)],
    46: [stroked("M6 3 V17 M9.5 2 V16 M13 1 V15", 1.2), stroked("M3 8 L16 6 M3 13 L16 11", 2)],
    44: [("mirror", FLAT, (2, 1, 17, 18))],
    47: [("mirror", FLAT, (1, 1, 9.5, 18)), (FLAT, (9.5, 1, 18, 18))],
    55: [(BREVE, (1, 6, 14, 13)), stroked("M13.5 9 V18", 1.2)],
    75: [text("256", 7)], 76: [text("512", 7)],
    60: [beam([5, 13], [(0, 1)]), '<path d="M11.5 6.5 H15.5 V8.5 H11.5 Z" fill="%s"/>' % INK],
    64: [beam([5, 13], []), slashes(2, 11, 7)],
    65: [beam([5, 13], []), slashes(3, 11, 6)],
    66: [beam([8], []), slashes(1, 10, 7)],
    67: [beam([8], []), slashes(2, 10, 6)],
    68: [beam([8], []), slashes(3, 10, 5)],
})

TABS = {  # tab image number -> pieces in a 19 x 19 cell
    256: [CROTCHET],
    257: [SEMIQUAVER],
    258: [beam([5, 13], [(0, 1)])],
    259: [(ACCENT, (2, 5, 17, 14))],
    260: [SHARP],
}


def glyph(font, code, box, fill):
    g = font[code]
    x0, y0, x1, y1 = g.boundingBox()
    left, top, right, bottom = box
    scale = min((right - left) / max(x1 - x0, 1), (bottom - top) / max(y1 - y0, 1))
    ox = left + ((right - left) - (x1 - x0) * scale) / 2
    oy = top + ((bottom - top) - (y1 - y0) * scale) / 2

    def transform(x, y):
        return (ox + (x - x0) * scale, oy + (y1 - y) * scale)

    data = " ".join(contour_path(c, transform) for c in g.foreground)
    # A thin outline in the same ink keeps stems a whole pixel wide.
    return '<path d="%s" fill="%s" stroke="%s" stroke-width="0.7" stroke-linejoin="round"/>' % (data, fill, fill)


def pieces_svg(font, pieces, fill=INK):
    out = []
    for p in pieces:
        if isinstance(p, int):
            out.append(glyph(font, p, (2, 1, 17, 18), fill))
        elif isinstance(p, tuple) and p[0] == "mirror":
            left, top, right, bottom = p[2]
            out.append('<g transform="translate(%.1f 0) scale(-1 1)">%s</g>'
                       % (left + right, glyph(font, p[1], p[2], fill)))
        elif isinstance(p, tuple):
            out.append(glyph(font, p[0], p[1], fill))
        else:
            out.append(p.replace(INK, fill))
    return "".join(out)


def svg(width, height, body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>\n'
            % (width, height, width, height, body))


def keys_svg(font):
    cells = []
    for code, pieces in sorted(KEYS.items()):
        cells.append('<g transform="translate(%d 0)">%s</g>' % (code * KEY, pieces_svg(font, pieces)))
    return svg(KEY * KEY_CELLS, KEY, "".join(cells))


def tab_svg(font, pieces):
    """Normal: the symbol on a light face; marked: a light-blue face with a
    marker dot; pressed: the symbol light on a dark face."""
    states = []
    for i, (face, ink, marker) in enumerate((("#f4f4f4", INK, False), ("#cfe3f6", INK, True),
                                             ("#2f567d", "#ffffff", False))):
        body = ('<rect x="0.5" y="0.5" width="%d" height="%d" rx="2" fill="%s" stroke="#5a6a7a"/>'
                % (TAB_W - 1, TAB_H - 1, face))
        body += '<g transform="translate(2.5 1) scale(0.84)">%s</g>' % pieces_svg(font, pieces, ink)
        if marker:
            body += '<circle cx="16.5" cy="3.5" r="2" fill="#c0392b"/>'
        states.append('<g transform="translate(%d 0)">%s</g>' % (i * TAB_W, body))
    return svg(3 * TAB_W, TAB_H, "".join(states))


def write(path, text):
    try:
        if open(path).read() == text:
            return
    except OSError:
        pass
    with open(path, "w") as f:
        f.write(text)


def main():
    font_path, out = sys.argv[1:3]
    os.makedirs(out, exist_ok=True)
    font = fontforge.open(font_path)
    write(os.path.join(out, "keypadkeys.svg"), keys_svg(font))
    # The same drawing for the disabled slots' 16-pixel pictures.
    write(os.path.join(out, "keypadkeys16.svg"), keys_svg(font))
    for number, pieces in sorted(TABS.items()):
        write(os.path.join(out, "keypadtab%d.svg" % number), tab_svg(font, pieces))
    font.close()


if __name__ == "__main__":
    main()
