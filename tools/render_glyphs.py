#!/usr/bin/python3
"""Renders music-font glyphs as small 1-bit images (binary PBM, "P4").

Each glyph's outline is read with python3-fontforge, scaled so that one staff
space of the font (a quarter of the em) becomes the given number of pixels,
and filled by the non-zero rule at the pixel centres. The image is cropped to
the ink. The glyph's origin row (its vertical centre for a notehead) is kept
in a comment line of the file ("# origin ROW COLUMN").

usage:
  render_glyphs.py FONT OUTDIR ITEM...

ITEM is NAME=GLYPH@SCALE:SIZES, for example
  head-black=noteheads.s2@1:12,18,24
writes OUTDIR/head-black-12.pbm ... for staff spaces of 12, 18 and 24 pixels;
SCALE multiplies the glyph (0.7 for a cue-sized head); SCALE/VSCALE
multiplies its height by VSCALE more (a brace stretched to a system's height,
as engravers draw it), for example join-wide-35=brace400@1/0.35:20.

The images are written in a fixed order with nothing from the clock, so a
second run writes the same bytes.
"""
import math
import os
import sys

from pbm import write_pbm

STAFF_SPACES_PER_EM = 4


def fail(message):
    sys.stderr.write("render_glyphs: %s\n" % message)
    sys.exit(1)


def load_font(path):
    try:
        import fontforge
    except ImportError:
        fail("python3-fontforge is not installed (Debian package python3-fontforge)")
    if not os.path.exists(path):
        fail("font file %s not found (Debian package lilypond-fonts)" % path)
    return fontforge.open(path)


def cubic(p0, p1, p2, p3, steps=24):
    out = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def quadratic(p0, p1, p2, steps=24):
    out = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0], u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return out


def flatten(contour):
    """The contour as a closed polygon of font-unit points."""
    pts = [(p.x, p.y, p.on_curve) for p in contour]
    if not pts:
        return []
    # Start at an on-curve point.
    start = next((i for i, p in enumerate(pts) if p[2]), None)
    if start is None:
        fail("a contour without on-curve points")
    pts = pts[start:] + pts[:start]
    poly = [(pts[0][0], pts[0][1])]
    i = 1
    n = len(pts)
    quad = contour.is_quadratic
    while i <= n:
        cur = poly[-1]
        p = pts[i % n]
        if p[2]:
            poly.append((p[0], p[1]))
            i += 1
        elif not quad:
            c1, c2, end = pts[i % n], pts[(i + 1) % n], pts[(i + 2) % n]
            poly += cubic(cur, c1[:2], c2[:2], end[:2])
            i += 3
        else:
            c = pts[i % n]
            nxt = pts[(i + 1) % n]
            end = nxt[:2] if nxt[2] else ((c[0] + nxt[0]) / 2, (c[1] + nxt[1]) / 2)
            poly += quadratic(cur, c[:2], end)
            i += 2 if nxt[2] else 1
    return poly


def winding(polys, x, y):
    w = 0
    for poly in polys:
        for k in range(len(poly) - 1):
            (x0, y0), (x1, y1) = poly[k], poly[k + 1]
            if y0 <= y < y1 or y1 <= y < y0:
                xc = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                if xc > x:
                    w += 1 if y1 > y0 else -1
    return w


def render(glyph, staff_space, scale, vscale=1.0):
    em = glyph.font.em
    factor = staff_space * STAFF_SPACES_PER_EM * scale / em
    polys = [flatten(c) for c in glyph.foreground]
    polys = [[(x * factor, -y * factor * vscale) for x, y in p] for p in polys if p]
    xs = [x for p in polys for x, _ in p]
    ys = [y for p in polys for _, y in p]
    x0, x1 = math.floor(min(xs)) - 1, math.ceil(max(xs)) + 1
    y0, y1 = math.floor(min(ys)) - 1, math.ceil(max(ys)) + 1
    rows = []
    for py in range(y0, y1):
        rows.append([winding(polys, px + 0.5, py + 0.5) != 0 for px in range(x0, x1)])
    # Crop to the ink.
    ink_rows = [r for r, row in enumerate(rows) if any(row)]
    ink_cols = [c for c in range(x1 - x0) if any(row[c] for row in rows)]
    if not ink_rows:
        fail("glyph %s has no ink at %d pixels" % (glyph.glyphname, staff_space))
    top, bottom = ink_rows[0], ink_rows[-1] + 1
    left, right = ink_cols[0], ink_cols[-1] + 1
    image = [row[left:right] for row in rows[top:bottom]]
    # The glyph's origin (font point 0, 0) within the cropped image.
    origin = (-(y0 + top), -(x0 + left))
    return image, origin


def write_glyph_pbm(path, image, origin, comment):
    write_pbm(path, image, (comment, "origin %d %d" % origin))


def main(argv):
    if len(argv) < 4:
        fail(__doc__.strip().split("\n\n")[2])
    font = load_font(argv[1])
    outdir = argv[2]
    os.makedirs(outdir, exist_ok=True)
    for item in argv[3:]:
        try:
            name, rest = item.split("=", 1)
            glyph_name, rest = rest.split("@", 1)
            scale, sizes = rest.split(":", 1)
            scale, _, vscale = scale.partition("/")
            scale = float(scale)
            vscale = float(vscale) if vscale else None
            sizes = [int(s) for s in sizes.split(",")]
        except ValueError:
            fail("bad item %r (NAME=GLYPH@SCALE:SIZES)" % item)
        if glyph_name not in font:
            fail("font %s has no glyph %s" % (argv[1], glyph_name))
        for size in sizes:
            image, origin = render(font[glyph_name], size, scale, vscale or 1.0)
            comment = "%s of %s, staff space %d px, scale %g" % (glyph_name, os.path.basename(argv[1]), size, scale)
            if vscale:
                comment += ", height x %g" % vscale
            write_glyph_pbm(os.path.join(outdir, "%s-%d.pbm" % (name, size)), image, origin, comment)


if __name__ == "__main__":
    main(sys.argv)
