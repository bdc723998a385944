#!/usr/bin/env python3
"""Renders text lines for the line reader's tests as 1-bit PBM files.

Each line is drawn with ImageMagick (Debian imagemagick) in a font of Debian
fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation2, fonts-freefont-ttf or
fonts-urw-base35 at 300 dpi,
thresholded at 50 per cent and cropped to its ink with a 4-pixel margin. Next
to LINE.pbm goes LINE.txt: the text, the font file, then one line per glyph
(spaces left out) with the glyph's character code and the first and last ink
column that the glyph adds to the line (found by rendering every prefix of
the text at the same origin).

usage: make_text_lines.py OUTDIR [NAME ...]
    writes the set listed in LINES below, or only the named lines
"""
import os
import subprocess
import sys

from pbm import write_pbm
import tempfile

FONTS = "/usr/share/fonts/truetype"
SERIF = FONTS + "/dejavu/DejaVuSerif.ttf"
SANS = FONTS + "/dejavu/DejaVuSans.ttf"
LIBERATION = FONTS + "/liberation2/LiberationSerif-Regular.ttf"
LIBERATION_SANS = FONTS + "/liberation2/LiberationSans-Regular.ttf"
LIBERATION_ITALIC = FONTS + "/liberation2/LiberationSerif-Italic.ttf"
SERIF_BOLD = FONTS + "/dejavu/DejaVuSerif-Bold.ttf"
# A font the text references are not made from (Debian fonts-freefont-ttf).
FREESERIF = FONTS + "/freefont/FreeSerif.ttf"
# Faces the references are not made from either (Debian fonts-urw-base35).
URW = "/usr/share/fonts/opentype/urw-base35"
NIMBUS_ROMAN = URW + "/NimbusRoman-Regular.otf"
C059 = URW + "/C059-Roman.otf"
BOOKMAN = URW + "/URWBookman-Light.otf"

# name, font, point size, extra spacing between glyphs (pixels; negative
# spacing makes neighbours touch), text
LINES = [
    ("rn_serif", SERIF, 12, -4, "rn"),
    ("ffi_serif", SERIF, 12, 0, "ffi"),
    ("tt_serif", SERIF, 12, -3, "tt"),
    ("turn_serif", SERIF, 12, -4, "turn"),
    ("effort_liberation", LIBERATION, 12, -2, "effort"),
    ("attn_sans", SANS, 11, -4, "attn"),
    ("alphabet_serif", SERIF, 12, 8, "abcdefghijklm nopqrstuvwxyz"),
    ("capitals_serif", SERIF, 12, 8, "ABCDEFGHIJKLM NOPQRSTUVWXYZ"),
    ("words_serif", SERIF, 12, 0, "Allegro ma non troppo"),
    ("lyric_serif", SERIF, 12, 0, "sing a song of the morning"),
    ("hq_serif", SERIF, 12, 0, "HQ HQ"),
    # The marks the page texts use besides letters, with an x to measure by.
    ("marks_serif", SERIF, 12, 8, "x - 0123456789 #"),
    # The texts of the synthesised page of the text finder's tests: a title,
    # a tempo word, a line of chord symbols and a lyric line whose syllables
    # are joined by hyphens.
    ("title_serif", SERIF, 14, 0, "Song of the Morning"),
    ("tempo_serif", SERIF, 12, 0, "Andante"),
    ("chords_serif", SERIF, 12, 0, "C        Am        F        G"),
    ("lyrics_serif", SERIF, 12, 0, "sing  -  ing  a  song  of  the  morn  -  ing"),
    # Clean lines of the text benchmark: titles, tempo and expression words
    # and lyrics in other reference faces, and the same in a font the
    # references are not made from.
    ("tempo_liberation_sans", LIBERATION_SANS, 11, 0, "Allegro moderato e molto cantabile"),
    ("lyric_liberation", LIBERATION, 12, 0, "and we shall sing until the evening comes"),
    ("expression_liberation_italic", LIBERATION_ITALIC, 12, 0, "dolce espressivo poco a poco cresc"),
    ("title_serif_bold", SERIF_BOLD, 14, 0, "Three Songs for the Winter"),
    ("lyric_sans", SANS, 11, 0, "over the hills and far away"),
    ("lyric_freeserif", FREESERIF, 12, 0, "and we shall sing until the evening comes"),
    ("tempo_freeserif", FREESERIF, 12, 0, "Allegro moderato e molto cantabile"),
    # Letters whose small and capital forms differ in size only (c o s v w x
    # z), both ways round, in a face the references are not made from.
    ("case_freeserif", FREESERIF, 12, 0, "We saw Oscar swim with Zoe over the waves"),
    # Dotted letters and serif feet, whose small pieces are never marks alone.
    ("dots_nimbus_roman", NIMBUS_ROMAN, 12, 0, "Songs of joy, of the sea"),
    ("dots_c059", C059, 12, 0, "sing of it in the morning"),
    ("dots_bookman", BOOKMAN, 12, 0, "sempre con brio, sempre ardito"),
    # Tuning lines of the language data's costs (benchmarks/TextCostTuning.cpp):
    # reference faces, words outside the dictionary, punctuation, digits and
    # the look-alikes (rn/m, cl/d, li/h, vv/w), none of them a measuring line.
    ("tune_tempo_sans", SANS, 11, 0, "Andante con moto, poco rit."),
    ("tune_lyric_liberation_sans", LIBERATION_SANS, 11, 0, "the modern clear light of warm days"),
    ("tune_expression_italic", LIBERATION_ITALIC, 12, 0, "sempre legato e dolce"),
    ("tune_title_bold", SERIF_BOLD, 14, 0, "Four Little Pieces, Op. 12"),
    ("tune_lyric_serif_close", SERIF, 12, -2, "burn the candle while the willow sways"),
    ("tune_navigation_liberation", LIBERATION, 12, 0, "D.C. al Coda (2nd time only)"),
    ("tune_tempo_serif", SERIF, 12, 0, "Moderato assai, mf"),
    ("tune_names_sans", SANS, 11, 0, "Schubert's Wiegenlied in G"),
]

CANVAS_W, CANVAS_H, ORIGIN_X, ORIGIN_Y = 2400, 160, 20, 110


def render(font, size, kerning, text, path):
    subprocess.run(["convert", "-size", "%dx%d" % (CANVAS_W, CANVAS_H), "xc:white", "-density", "300",
                    "-font", font, "-pointsize", str(size), "-kerning", str(kerning), "-fill", "black",
                    "-annotate", "+%d+%d" % (ORIGIN_X, ORIGIN_Y), text,
                    "-threshold", "50%", "-compress", "none", "pbm:" + path], check=True)


def read_plain_pbm(path):
    with open(path) as f:
        tokens = f.read().split()
    assert tokens[0] == "P1"
    w, h = int(tokens[1]), int(tokens[2])
    bits = "".join(tokens[3:])
    return w, h, [[bits[y * w + x] == "1" for x in range(w)] for y in range(h)]


def write_raw_pbm(path, rows):
    write_pbm(path, rows)


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    outdir = argv[1]
    wanted = set(argv[2:])
    os.makedirs(outdir, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for name, font, size, kerning, text in LINES:
            if wanted and name not in wanted:
                continue
            images = []
            for n in range(len(text) + 1):
                path = os.path.join(tmp, "p%d.pbm" % n)
                if n == 0:
                    images.append([[False] * CANVAS_W for _ in range(CANVAS_H)])
                    continue
                render(font, size, kerning, text[:n], path)
                images.append(read_plain_pbm(path)[2])
            full = images[-1]
            ys = [y for y in range(CANVAS_H) if any(full[y])]
            xs = [x for x in range(CANVAS_W) if any(full[y][x] for y in ys)]
            x0, x1, y0, y1 = xs[0] - 4, xs[-1] + 5, ys[0] - 4, ys[-1] + 5
            write_raw_pbm(os.path.join(outdir, name + ".pbm"), [row[x0:x1] for row in full[y0:y1]])
            lines = [text, os.path.basename(font)]
            for n, ch in enumerate(text):
                if ch == " ":
                    continue
                before, after = images[n], images[n + 1]
                cols = [x for x in range(CANVAS_W)
                        if any(after[y][x] and not before[y][x] for y in range(CANVAS_H))]
                lines.append("%d %d %d" % (ord(ch), cols[0] - x0, cols[-1] - x0))
            with open(os.path.join(outdir, name + ".txt"), "w") as f:
                f.write("\n".join(lines) + "\n")
            print("%s: %dx%d" % (name, x1 - x0, y1 - y0))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
