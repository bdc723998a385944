#!/usr/bin/python3
"""Cuts shape classifier samples from pages that MuseScore 3 engraves from
scores this tool writes (random notes, rests, accidentals, clefs, keys and
time signatures from fixed seeds). MuseScore's own SVG output says where
every symbol is; the page is rendered at several resolutions, turned into a
1-bit bitmap, and make_training_samples --pages cuts the stages' windows
from it. Two uses, with scores of different seeds:

  - the measuring set of the benchmark (every symbol; training never sees
    these scores):
        tools/engrave_pages.py build/bench/tools/make_training_samples \
            resources/training/glyphs/emmentaler-outlines.txt /tmp/engraved --scores 4 --seed 1000
  - the engraved accidentals of the training inputs (resources/training/engraved,
    taken in by make_training_samples --engraved):
        tools/engrave_pages.py build/native/tools/make_training_samples \
            resources/training/glyphs/emmentaler-outlines.txt resources/training/engraved \
            --scores 4 --seed 5000 --accidentals

Needs mscore3 and ImageMagick (tools/setup.sh installs both).
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

RESOLUTIONS = [200, 300, 400]
SVG_DPI = 360.0  # MuseScore's SVG units per inch
FONT_SPACE = 250.0

TIMES = [(2, 4), (3, 4), (4, 4), (2, 2), (3, 8), (6, 8)]
STEPS = "CDEFGAB"


def write_score(path, seed):
    r = random.Random(seed)
    treble = seed % 2 == 0
    fifths = r.randint(-4, 4)
    beats, beat_type = r.choice(TIMES)
    divisions = 4  # a sixteenth is 1
    bar = beats * divisions * 4 // beat_type
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<score-partwise version="3.1">',
             '<part-list><score-part id="P1"><part-name></part-name></score-part></part-list>',
             '<part id="P1">']
    lengths = {1: "16th", 2: "eighth", 4: "quarter", 8: "half", 16: "whole"}
    for m in range(24):
        lines.append('<measure number="%d">' % (m + 1))
        if m == 0:
            lines.append('<attributes><divisions>%d</divisions><key><fifths>%d</fifths></key>'
                         '<time><beats>%d</beats><beat-type>%d</beat-type></time>'
                         '<clef><sign>%s</sign><line>%d</line></clef></attributes>'
                         % (divisions, fifths, beats, beat_type, "G" if treble else "F", 2 if treble else 4))
        left = bar
        while left > 0:
            length = r.choice([d for d in (1, 2, 4, 4, 4, 8, 8, 16) if d <= left])
            left -= length
            if r.random() < 0.3:
                lines.append('<note><rest/><duration>%d</duration><type>%s</type></note>' % (length, lengths[length]))
                continue
            # Heads inside the stave: E4..F5 (treble), G2..A3 (bass).
            index = r.randint(0, 8)
            base = (2, 4) if treble else (4, 2)  # E4 or G2
            step = (base[0] + index) % 7
            octave = base[1] + (base[0] + index) // 7
            alter = ""
            accidental = ""
            if r.random() < 0.3:
                kind = r.choice(["sharp", "flat", "natural"])
                alter = {"sharp": "<alter>1</alter>", "flat": "<alter>-1</alter>", "natural": ""}[kind]
                accidental = "<accidental>%s</accidental>" % kind
            lines.append('<note><pitch><step>%s</step>%s<octave>%d</octave></pitch><duration>%d</duration>'
                         '<type>%s</type>%s</note>' % (STEPS[step], alter, octave, length, lengths[length], accidental))
        lines.append('</measure>')
    lines += ['</part>', '</score-partwise>']
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return treble, beats, beat_type


def glyph_boxes(outlines):
    boxes = {}
    name = None
    for line in open(outlines):
        words = line.split()
        if not words:
            continue
        if words[0] == "glyph":
            name = words[1]
            boxes[name] = [1e9, 1e9, -1e9, -1e9]
        elif words[0] == "contour":
            v = list(map(float, words[1:]))
            b = boxes[name]
            for x, y in zip(v[0::2], v[1::2]):
                b[0], b[1], b[2], b[3] = min(b[0], x), min(b[1], y), max(b[2], x), max(b[3], y)
    return boxes


def path_box(d):
    v = list(map(float, re.findall(r"-?\d+(?:\.\d+)?", d)))
    xs, ys = v[0::2], v[1::2]
    return min(xs), min(ys), max(xs), max(ys)


# Candidate glyphs of each SVG class: (glyph, type name, kind).
CANDIDATES = {
    "Rest": [("rests.0", "Rest1", "big"), ("rests.1", "Rest2", "big"), ("rests.2", "Rest4", "big"),
             ("rests.3", "Rest8", "big"), ("rests.4", "Rest16", "big")],
    "Accidental": [("accidentals.sharp", "Sharp", "acc"), ("accidentals.flat", "Flat", "acc"),
                   ("accidentals.natural", "Natural", "acc")],
    "KeySig": [("accidentals.sharp", "KeySharp", "acc"), ("accidentals.flat", "KeyFlat", "acc")],
    "Note": [("noteheads.s2", "SolidHead", "head"), ("noteheads.s1", "HollowHead", "head"),
             ("noteheads.s0", "WholeHead", "head")],
}


def best_glyph(cls, w, h, boxes):
    best, cost = None, 1e9
    for glyph, name, kind in CANDIDATES[cls]:
        b = boxes[glyph]
        c = abs(w - (b[2] - b[0]) / FONT_SPACE) + abs(h - (b[3] - b[1]) / FONT_SPACE)
        if c < cost:
            best, cost = (glyph, name, kind), c
    return best if cost < 0.12 else None


def manifest_lines(svg, bmp, dpi, score, boxes):
    treble, beats, beat_type = score
    scale = dpi / SVG_DPI
    text = open(svg).read()
    staff_y = sorted({float(m.group(1)) for m in re.finditer(r'class="StaffLines"[^>]*points="[\d.]+,([\d.]+)', text)})
    staves = [staff_y[i:i + 5] for i in range(0, len(staff_y) - 4, 5)]
    out = ["page %s" % bmp]
    items = []
    for m in re.finditer(r'<path class="(\w+)"[^>]* d="([^"]+)"', text):
        items.append((m.group(1), path_box(m.group(2))))
    for lines in staves:
        top, space = lines[0], (lines[4] - lines[0]) / 4
        out.append("stave %.2f %.3f" % (top * scale, space * scale))
        mine = [(c, b) for c, b in items if b[1] < lines[4] + 4 * space and b[3] > top - 4 * space]
        clef = None
        for cls, (x0, y0, x1, y1) in mine:
            w, h = (x1 - x0) / space, (y1 - y0) / space
            if cls == "Clef":
                if clef is None or x0 < clef[0]:
                    clef = (x0, y0, y1)
                continue
            if cls == "TimeSig":
                upper = (y0 + y1) / 2 < lines[2]
                digit = beats if upper else beat_type
                out.append("big Digit%d %.2f %.2f %.2f digit" % (digit, x0 * scale, y0 * scale, y1 * scale))
                continue
            if cls not in CANDIDATES:
                continue
            found = best_glyph(cls, w, h, boxes)
            if not found:
                continue
            glyph, name, kind = found
            if glyph in ("rests.0", "rests.1"):
                # The same box: a semibreve rest hangs from a line, a minim rest sits on one.
                name = "Rest1" if abs(y0 - lines[1]) < abs(y1 - lines[2]) else "Rest2"
            b = boxes[glyph]
            origin = y1 + b[1] / FONT_SPACE * space  # the glyph's reference line
            if kind == "big":
                out.append("big %s %.2f %.2f %.2f" % (name, x0 * scale, y0 * scale, y1 * scale))
            elif kind == "acc":
                out.append("acc %s %.2f %.2f" % (name, x0 * scale, origin * scale))
            else:
                step = round((origin - top) / (space / 2))
                out.append("head %s %.2f %.2f %d" % (name, x0 * scale, origin * scale, 2 if step % 2 == 0 else 1))
        if clef:
            out.append("big %s %.2f %.2f %.2f" % ("TrebleClef" if treble else "BassClef", clef[0] * scale,
                                                  clef[1] * scale, clef[2] * scale))
    return out


def main():
    args = sys.argv[1:]
    if len(args) < 3:
        sys.exit(__doc__)
    tool, outlines, folder = args[:3]
    scores, first, accidentals_only = 4, 1000, False
    rest = args[3:]
    while rest:
        flag = rest.pop(0)
        if flag == "--scores":
            scores = int(rest.pop(0))
        elif flag == "--seed":
            first = int(rest.pop(0))
        elif flag == "--accidentals":
            accidentals_only = True
        else:
            sys.exit(__doc__)
    for sub in ("Symb8x16", "Symb8x8"):
        shutil.rmtree(os.path.join(folder, sub), ignore_errors=True)
        os.makedirs(os.path.join(folder, sub))
    boxes = glyph_boxes(outlines)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    manifest = []
    work = tempfile.mkdtemp(prefix="engrave-")
    try:
        for k in range(scores):
            xml = os.path.join(work, "score%d.musicxml" % k)
            score = write_score(xml, first + k)
            subprocess.run(["mscore3", "-o", os.path.join(work, "score%d.svg" % k), xml], env=env, check=True,
                           capture_output=True)
            for dpi in RESOLUTIONS:
                subprocess.run(["mscore3", "-r", str(dpi), "-o", os.path.join(work, "score%d-%d.png" % (k, dpi)), xml],
                               env=env, check=True, capture_output=True)
                page = 1
                while os.path.exists(os.path.join(work, "score%d-%d-%d.png" % (k, dpi, page))):
                    png = os.path.join(work, "score%d-%d-%d.png" % (k, dpi, page))
                    bmp = os.path.join(work, "score%d-%d-%d.bmp" % (k, dpi, page))
                    subprocess.run(["convert", png, "-background", "white", "-alpha", "remove", "-alpha", "off",
                                    "-colorspace", "Gray", "-threshold", "50%", "-type", "bilevel", "BMP3:" + bmp],
                                   check=True)
                    svg = os.path.join(work, "score%d-%d.svg" % (k, page))
                    lines = manifest_lines(svg, bmp, dpi, score, boxes)
                    if accidentals_only:
                        lines = [l for l in lines if l.split()[0] in ("page", "stave", "acc")]
                    manifest += lines
                    page += 1
        path = os.path.join(work, "manifest.txt")
        with open(path, "w") as f:
            f.write("\n".join(manifest) + "\n")
        subprocess.run([tool, "--pages", path, folder], check=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if accidentals_only:
        os.rmdir(os.path.join(folder, "Symb8x16"))
        os.remove(os.path.join(folder, "NotesXxX.txt"))


if __name__ == "__main__":
    main()
