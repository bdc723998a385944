#!/usr/bin/python3
"""Writes the outlines of the music glyphs that the training samples are made
from, flattened to polygons in font units (a staff space is 250 units; y grows
upwards from the glyph's reference line).

The glyphs are those of the Emmentaler font of Debian's lilypond-fonts
package (SIL Open Font License 1.1, shipped beside the outlines). The
outlines are committed; this remakes them:

    /usr/bin/python3 tools/make_glyph_outlines.py resources/training/glyphs/emmentaler-outlines.txt
    /usr/bin/python3 tools/make_glyph_outlines.py --check resources/training/glyphs/emmentaler-outlines.txt
"""
import glob
import sys

GLYPHS = [
    "clefs.G", "clefs.F", "clefs.C", "clefs.G_change", "clefs.F_change",
    "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
    "timesig.C44", "timesig.C22",
    "rests.0", "rests.1", "rests.2", "rests.3", "rests.4", "rests.5", "rests.6", "rests.7", "rests.M1",
    "rests.0o", "rests.1o",
    "accidentals.sharp", "accidentals.flat", "accidentals.natural", "accidentals.doublesharp",
    "noteheads.s0", "noteheads.s1", "noteheads.s2", "dots.dot",
]
STEPS = 8  # straight pieces per curve


def font_path():
    found = sorted(glob.glob("/usr/share/lilypond/*/fonts/otf/emmentaler-20.otf"))
    if not found:
        sys.exit("make_glyph_outlines: emmentaler-20.otf not found (Debian package lilypond-fonts)")
    return found[-1]


def flatten(contour):
    points = [(p.x, p.y, p.on_curve) for p in contour]
    if not points:
        return []
    # Start at an on-curve point.
    start = next(i for i, p in enumerate(points) if p[2])
    points = points[start:] + points[:start]
    points.append(points[0])
    out = [(points[0][0], points[0][1])]
    i = 0
    while i < len(points) - 1:
        if points[i + 1][2]:
            out.append((points[i + 1][0], points[i + 1][1]))
            i += 1
            continue
        p0, c1, c2, p3 = points[i], points[i + 1], points[i + 2], points[i + 3]
        for k in range(1, STEPS + 1):
            t = k / STEPS
            u = 1 - t
            x = u * u * u * p0[0] + 3 * u * u * t * c1[0] + 3 * u * t * t * c2[0] + t * t * t * p3[0]
            y = u * u * u * p0[1] + 3 * u * u * t * c1[1] + 3 * u * t * t * c2[1] + t * t * t * p3[1]
            out.append((x, y))
        i += 3
    return out[:-1]


def outlines():
    import fontforge  # Debian package python3-fontforge

    font = fontforge.open(font_path())
    lines = ["# Emmentaler glyph outlines in font units (staff space 250), from lilypond-fonts (OFL 1.1)"]
    for name in GLYPHS:
        glyph = font[name]
        lines.append("glyph %s %d" % (name, glyph.width))
        for contour in glyph.foreground:
            pts = flatten(contour)
            lines.append("contour " + " ".join("%.1f %.1f" % p for p in pts))
        lines.append("end")
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    check = args and args[0] == "--check"
    if check:
        args = args[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    text = outlines()
    if check:
        with open(args[0]) as f:
            if f.read() != text:
                sys.exit("make_glyph_outlines: %s differs from the font" % args[0])
        return
    with open(args[0], "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
