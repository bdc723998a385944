#!/usr/bin/python3
"""Makes the program's music font "KORVLN__.TTF" (face "Korvalinde Extra")
from the Emmentaler outlines of Debian's lilypond-fonts.

    make_music_font.py OUT.TTF [--check SHIPPED.TTF] [--source-dir DIR]

With --check the font is made into OUT and compared byte for byte with the
shipped file; the exit status says whether they are equal.

Placement (the painters draw every glyph with its origin at the x and its
baseline at the y they give; one world unit is 1/90 em, so the 72-point font
is 90 world units and the staff space is 6 units, 15 staff spaces an em):

  * The em is 15 staff spaces. The source's staff space is read from its
    'LILY' table (staff_space in points; design_size points = its em), so
    scale k = EM / (15 * staff space in source units).
  * Noteheads are centred on the baseline in the head column x .. x + 8
    units, where the painters put stems (at x + 8 for an up stem): the heads
    with stems ("chead", "mhead", "xhead") have their left edge at x and are
    scaled down, when wider, to end by x + 8 (the crotchet is 1.3 staff
    spaces, 7.8 units, and stays as it is); the stemless heads ("sbhead",
    "bhead") are centred on x + 4. The notes of "timecount*" keep the
    source's head.
  * Accidentals are moved so that their ink ends 7 units right of the origin
    (the painters place an accidental 7 units left of its head).
  * The "flagu*" flags hang from their attachment, which lies 19 units below
    the baseline (the stem end the painters give is 19 units above it);
    "flagd*" flags rise from their attachment on the baseline.
  * The brace "bracket1" is centred on the baseline and spans +-0.181 em: the
    brace drawer makes the font 2.21 x the part's height in points, so the
    brace is exactly as tall as the part (0.362 x 2.21 x 1.25 = 1). Its width
    is 0.05 em: drawn 128 points wide that is 8 units, ending 2 units before
    the bar line it stands 10 units left of.
  * Clefs keep the source's reference line on the baseline (G clef: the G
    line, F clef: the F line, C clef: its middle); rests, dots, time-signature
    digits and articulations keep the source's origin.
  * Composites: "natsharp" and "natflat" (a natural and the accidental side
    by side), "repeatdots" (two dots a staff space apart, centred on the
    baseline), "clefs8" and "clefs15" (small digits), "tabs" (the tablature
    clef at three quarters) and "timecount0" .. "timecount8" (a note of the
    duration with stem and flags: 1/128 up to breve).
"""
import os
import re
import struct
import sys

os.environ.setdefault("SOURCE_DATE_EPOCH", "1704067200")

import fontforge  # noqa: E402
import psMat  # noqa: E402

EM = 2048
FAMILY = "Korvalinde Extra"
SOURCE_GLOB = "/usr/share/lilypond"
NOTICE = ("Glyph outlines derived from the music font of the LilyPond project, "
          "copyright (c) 1996-2017 The LilyPond authors, under the SIL Open Font License 1.1. "
          "Reworked, renamed and re-encoded for Velmorant Korvalinde.")

# name -> (code, source glyph or builder, placement)
MAPPING = [
    ("chead", 65, "noteheads.s2", "head"),
    ("mhead", 67, "noteheads.s1", "head"),
    ("sbhead", 69, "noteheads.s0", "head"),
    ("bhead", 70, "noteheads.sM1", "head"),
    ("xhead", 71, "noteheads.s2cross", "head"),
    ("sharp", 35, "accidentals.sharp", "accidental"),
    ("flat", 36, "accidentals.flat", "accidental"),
    ("dsharp", 37, "accidentals.doublesharp", "accidental"),
    ("dflat", 38, "accidentals.flatflat", "accidental"),
    ("natural", 39, "accidentals.natural", "accidental"),
    ("natsharp", 40, ["accidentals.natural", "accidentals.sharp"], "accidental"),
    ("natflat", 41, ["accidentals.natural", "accidentals.flat"], "accidental"),
    ("tclef", 93, "clefs.G", "keep"),
    ("aclef", 92, "clefs.C", "keep"),
    ("bclef", 91, "clefs.F", "keep"),
    ("tab", 107, "clefs.tab", "keep"),
    ("tabs", 108, "clefs.tab", "three-quarters"),
    ("dot", 46, "dots.dot", "keep"),
    ("accent", 116, "scripts.sforzato", "keep"),
    ("tenuto", 120, "scripts.tenuto", "keep"),
    ("plus", 119, "scripts.stopped", "keep"),
    ("upbow", 122, "scripts.upbow", "keep"),
    ("downbow", 121, "scripts.downbow", "keep"),
    ("fermatau", 118, "scripts.ufermata", "keep"),
    ("fermatad", 117, "scripts.dfermata", "keep"),
    ("marcatou", 113, "scripts.umarcato", "keep"),
    ("marcatod", 112, "scripts.dmarcato", "keep"),
    ("staccatissu", 115, "scripts.ustaccatissimo", "keep"),
    ("staccatissd", 114, "scripts.dstaccatissimo", "keep"),
    ("harmonic", 111, "scripts.flageolet", "keep"),
    ("xrest", 43, "rests.M2", "keep"),
    ("brest", 44, "rests.M1", "keep"),
    ("sbrest", 45, "rests.0", "keep"),
    ("mrest", 47, "rests.1", "keep"),
    ("crest", 48, "rests.2", "keep"),
    ("qrest", 49, "rests.3", "keep"),
    ("sqrest", 50, "rests.4", "keep"),
    ("dsqrest", 51, "rests.5", "keep"),
    ("hdsqrest", 52, "rests.6", "keep"),
    ("shdsqrest", 53, "rests.7", "keep"),
    ("flagd1", 97, "flags.d3", "keep"),
    ("flagd2", 99, "flags.d4", "keep"),
    ("flagd3", 101, "flags.d5", "keep"),
    ("flagd4", 103, "flags.d6", "keep"),
    ("flagd5", 105, "flags.d7", "keep"),
    ("flagu1", 98, "flags.u3", "flagu"),
    ("flagu2", 100, "flags.u4", "flagu"),
    ("flagu3", 102, "flags.u5", "flagu"),
    ("flagu4", 104, "flags.u6", "flagu"),
    ("flagu5", 106, "flags.u7", "flagu"),
    ("repeatdots", 125, "repeatdots", "keep"),
    ("bracket1", 123, "brace", "brace"),
    ("clefs8", 78, ["eight"], "small-digits"),
    ("clefs15", 79, ["one", "five"], "small-digits"),
    ("44", 80, "timesig.C44", "keep"),
    ("24", 81, "timesig.C22", "keep"),
    ("timecount0", 90, ("note", 0), "keep"),
    ("timecount1", 89, ("note", 1), "keep"),
    ("timecount2", 88, ("note", 2), "keep"),
    ("timecount3", 87, ("note", 3), "keep"),
    ("timecount4", 86, ("note", 4), "keep"),
    ("timecount5", 85, ("note", 5), "keep"),
    ("timecount6", 84, ("note", 6), "keep"),
    ("timecount7", 83, ("note", 7), "keep"),
    ("timecount8", 82, ("note", 8), "keep"),
    ("ts0", 54, "zero", "keep"),
    ("ts1", 55, "one", "keep"),
    ("ts2", 56, "two", "keep"),
    ("ts3", 57, "three", "keep"),
    ("ts4", 58, "four", "keep"),
    ("ts5", 59, "five", "keep"),
    ("ts6", 60, "six", "keep"),
    ("ts7", 61, "seven", "keep"),
    ("ts8", 62, "eight", "keep"),
    ("ts9", 63, "nine", "keep"),
    ("ts+", 42, "plus", "keep"),
    ("pedalengage", 161, "pedal.Ped", "keep"),
    ("pedalrelease", 162, "pedal.*", "keep"),
    ("trill", 168, "scripts.trill", "keep"),
    ("mordentu", 169, "scripts.prall", "keep"),
    ("mordentl", 170, "scripts.mordent", "keep"),
    ("turn", 172, "scripts.turn", "keep"),
    ("turni", 174, "scripts.reverseturn", "keep"),
    ("coda", 176, "scripts.coda", "keep"),
    ("segno", 177, "scripts.segno", "keep"),
]


def find_sources(folder):
    for root, _, files in sorted(os.walk(folder)):
        if "emmentaler-20.otf" in files and "emmentaler-brace.otf" in files:
            return os.path.join(root, "emmentaler-20.otf"), os.path.join(root, "emmentaler-brace.otf")
    raise SystemExit("make_music_font: Emmentaler (lilypond-fonts) not found under " + folder)


def lily_values(path):
    data = open(path, "rb").read()
    count = struct.unpack(">H", data[4:6])[0]
    for i in range(count):
        entry = data[12 + 16 * i: 28 + 16 * i]
        if entry[:4] == b"LILY":
            offset, length = struct.unpack(">II", entry[8:16])
            text = data[offset: offset + length].decode("ascii")
            return {k: float(v) for k, v in re.findall(r"\((\w+) \. ([0-9.]+)\)", text)}
    raise SystemExit("make_music_font: no LILY table in " + path)


def layer_of(font, name):
    return font[name].foreground.dup()


def moved(layer, matrix):
    layer.transform(matrix)
    return layer


def bbox(layer):
    return layer.boundingBox()


def rectangle(x0, y0, x1, y1):
    c = fontforge.contour()
    c.moveTo(x0, y0)
    c.lineTo(x0, y1)
    c.lineTo(x1, y1)
    c.lineTo(x1, y0)
    c.closed = True
    layer = fontforge.layer()
    layer += c
    return layer


def build(out_path, source_dir):
    src_path, brace_path = find_sources(source_dir)
    src = fontforge.open(src_path)
    braces = fontforge.open(brace_path)
    lily = lily_values(src_path)
    units_per_point = src.em / lily["design_size"]
    space = lily["staff_space"] * units_per_point  # source units
    k = EM / (15.0 * space)
    unit = EM / 90.0  # one world unit of the 72-point font
    scale = psMat.scale(k)

    def scaled(name, font=src):
        return moved(layer_of(font, name), scale)

    def note(code):
        """A note of duration code (0 = 1/128 .. 8 = breve), stem up."""
        head = {8: "noteheads.sM1", 7: "noteheads.s0", 6: "noteheads.s1"}.get(code, "noteheads.s2")
        layer = layer_of(src, head)
        if code <= 6:
            right = src[head].width
            thick = lily["stafflinethickness"] * units_per_point * 1.3
            top = 3.5 * space
            layer += rectangle(right - thick, 0.2 * space, right, top)
            flags = 5 - code
            if flags > 0:
                layer += moved(layer_of(src, "flags.u%d" % (flags + 2)), psMat.translate(right - thick, top))
        return moved(layer, scale)

    font = fontforge.font()
    font.encoding = "UnicodeBmp"
    font.em = EM
    font.fontname = "KorvalindeExtra"
    font.familyname = FAMILY
    font.fullname = FAMILY
    font.weight = "Regular"
    font.version = "1.0"
    font.copyright = NOTICE
    font.os2_fstype = 0
    font.sfntRevision = 0x00010000

    placed = {}
    for name, code, source, placement in MAPPING:
        if isinstance(source, tuple):
            layer = note(source[1])
        elif source == "repeatdots":
            layer = scaled("dots.dot")
            dot_box = bbox(layer)
            half = (dot_box[3] + dot_box[1]) / 2
            upper = moved(layer.dup(), psMat.translate(0, 0.5 * space * k - half))
            lower = moved(layer.dup(), psMat.translate(0, -0.5 * space * k - half))
            layer = upper
            layer += lower
        elif source == "brace":
            layer = layer_of(braces, "brace575")
            x0, y0, x1, y1 = bbox(layer)
            height = 0.362 * EM
            width = 0.05 * EM
            layer = moved(layer, psMat.translate(-x0, -(y0 + y1) / 2))
            layer = moved(layer, psMat.scale(width / (x1 - x0), height / (y1 - y0)))
        elif isinstance(source, list) and placement == "small-digits":
            layer = fontforge.layer()
            x = 0.0
            for digit in source:
                layer += moved(layer_of(src, digit), psMat.translate(x, 0))
                x += src[digit].width
            layer = moved(layer, psMat.scale(k * 0.6))
        elif isinstance(source, list):
            layer = fontforge.layer()
            x = 0.0
            for part in source:
                piece = layer_of(src, part)
                px0 = bbox(piece)[0]
                layer += moved(piece, psMat.translate(x - px0, 0))
                x += bbox(piece)[2] - bbox(piece)[0] + 0.3 * space
            layer = moved(layer, scale)
        else:
            layer = scaled(source)
        if placement == "head":
            x0, _, x1, _ = bbox(layer)
            if name in ("sbhead", "bhead"):
                layer = moved(layer, psMat.translate(4 * unit - (x0 + x1) / 2, 0))
            elif x1 - x0 > 8 * unit:
                layer = moved(layer, psMat.translate(-x0, 0))
                layer = moved(layer, psMat.scale(8 * unit / (x1 - x0)))
        elif placement == "accidental":
            layer = moved(layer, psMat.translate(7 * unit - bbox(layer)[2], 0))
        elif placement == "flagu":
            layer = moved(layer, psMat.translate(0, -19 * unit))
        elif placement == "three-quarters":
            layer = moved(layer, psMat.scale(0.75))
        glyph = font.createChar(code, "kv_" + re.sub(r"[^A-Za-z0-9]", "_", name))
        glyph.foreground = layer
        glyph.round()
        x0, _, x1, _ = glyph.boundingBox()
        glyph.width = int(round(max(x1, 0) + 0.1 * space * k))
        placed[name] = glyph.boundingBox()

    # An empty .notdef no wider than the symbols, so that the maximum advance
    # the font states holds for every glyph.
    notdef = font.createChar(-1, ".notdef")
    notdef.width = int(round(0.15 * EM))
    for name in (".null", "nonmarkingreturn"):
        font.createChar(-1, name).width = 0

    ymax = max(int(b[3]) + 1 for b in placed.values())
    ymin = min(int(b[1]) - 1 for b in placed.values())
    font.os2_winascent_add = False
    font.os2_windescent_add = False
    font.hhea_ascent_add = False
    font.hhea_descent_add = False
    font.os2_typoascent_add = False
    font.os2_typodescent_add = False
    font.os2_winascent = ymax
    font.os2_windescent = -ymin
    font.hhea_ascent = ymax
    font.hhea_descent = ymin
    font.os2_typoascent = ymax
    font.os2_typodescent = ymin
    font.os2_typolinegap = 0
    font.hhea_linegap = 0
    font.ascent = int(EM * 0.8)
    font.descent = EM - font.ascent
    for lang, key, value in list(font.sfnt_names):
        font.appendSFNTName(lang, key, "")
    font.appendSFNTName("English (US)", "Copyright", NOTICE)
    font.appendSFNTName("English (US)", "Family", FAMILY)
    font.appendSFNTName("English (US)", "SubFamily", "Regular")
    font.appendSFNTName("English (US)", "UniqueID", FAMILY + " 1.0")
    font.appendSFNTName("English (US)", "Fullname", FAMILY)
    font.appendSFNTName("English (US)", "Version", "Version 1.0")
    font.appendSFNTName("English (US)", "PostScriptName", "KorvalindeExtra")
    font.generate(out_path, flags=("opentype", "omit-instructions", "no-FFTM-table"))
    font.close()
    src.close()
    braces.close()


def main():
    args = sys.argv[1:]
    check = None
    source_dir = SOURCE_GLOB
    if "--check" in args:
        i = args.index("--check")
        check = args[i + 1]
        del args[i: i + 2]
    if "--source-dir" in args:
        i = args.index("--source-dir")
        source_dir = args[i + 1]
        del args[i: i + 2]
    out = args[0]
    build(out, source_dir)
    if check is not None:
        if open(out, "rb").read() != open(check, "rb").read():
            sys.stderr.write("make_music_font: %s differs from the shipped %s\n" % (out, check))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
