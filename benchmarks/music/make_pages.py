#!/usr/bin/python3
"""Writes the music recognition benchmark's pages: seeded scores written as
MusicXML, engraved by MuseScore 3 (headless, as the export checks run it) at
300 dpi, stored as 1-bit G4 TIFF pages, clean and degraded, with their truth.

usage:
  make_pages.py OUTDIR [--scores N] [--seed S] [--overlay]

--overlay also writes scoreK-P-boxes.png, the clean page with the truth's
boxes drawn over it in colour (to check the SVG-to-page mapping by eye).

Each score k (seed S + k) has one or two staves per system (two: a grand
staff with a brace), a clef per staff, a key of up to seven accidentals, a
time signature, and bars of plain and dotted notes, rests, chords, notes
on ledger lines, slurs, dynamics and hairpins (beams as MuseScore sets them). Writes into OUTDIR:

  scoreK.musicxml           the score
  scoreK-P.tif              page P, clean (MuseScore's PNG thresholded)
  scoreK-P-degraded.tif     the same page degraded (seeded noise, blur then
                            threshold, a pixel thinner or thicker, skew up to
                            2 degrees; seed 7919 x (S + k) + P)
  scoreK.truth              the truth: "staves N" (staves per system),
                            "page P SYSTEMS" (systems on each page, from
                            MuseScore's SVG), then one line per note of each
                            staff of the system in time order, chords top
                            down: "note STAFF STEP DURATION" (STEP 0 the
                            middle line, larger downwards; DURATION in 1/192
                            of a whole note), then the bar lines, ledger
                            lines, beams, slurs and hairpins of MuseScore's
                            SVG, in pixels of the clean page:
                            "box PAGE KIND X0 Y0 X1 Y1"
  index.txt                 one line per page: ROLE SCORE PAGE

Roles: scores of seeds 1..99 train, 100..199 calibrate, 200 and up measure
(the benchmark reads only "bench" pages); no page has two roles. Nothing
comes from the clock: the same seeds write the same scores.

Needs mscore3 and ImageMagick (tools/setup.sh installs both). LilyPond is not
installed by the set-up script, so only MuseScore 3 engraves these pages.
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

DPI = 300
STEPS = "CDEFGAB"
TIMES = [(2, 4), (3, 4), (4, 4), (6, 8), (3, 8), (2, 2)]
# Durations in MusicXML divisions (a quarter is 12): the note type and dots.
DIVISIONS = 12
LENGTHS = [(48, "whole", 0), (36, "half", 1), (24, "half", 0), (18, "quarter", 1), (12, "quarter", 0),
           (9, "eighth", 1), (6, "eighth", 0), (3, "16th", 0)]
# The middle line of each clef as a diatonic index (octave x 7 + step).
MIDDLE = {"G": 4 * 7 + 6, "F": 3 * 7 + 1}  # B4, D3
def KEY_ALTER(fifths, step):
    """The alteration the key gives a step: +1 for the first FIFTHS of the
    sharps, -1 for the first -FIFTHS of the flats."""
    if fifths > 0:
        return 1 if step in "FCGDAEB"[:fifths] else 0
    return -1 if step in "BEADGCF"[:-fifths] else 0


DYNAMICS = ["pp", "p", "mp", "mf", "f", "ff", "sf", "fp"]


def role_of(seed):
    return "train" if seed < 100 else "calibrate" if seed < 200 else "bench"


def diatonic(step, octave):
    return octave * 7 + STEPS.index(step)


def write_score(path, seed):
    r = random.Random(seed)
    staves = 1 if r.random() < 0.5 else 2
    clefs = ["G", "F"] if staves == 2 else [r.choice("GF")]
    fifths = r.randint(-7, 7)
    beats, beat_type = r.choice(TIMES)
    bar = beats * DIVISIONS * 4 // beat_type
    bars = r.randint(8, 14)
    truth = [[] for _ in clefs]
    slur = [False for _ in clefs]  # a slur open on the staff, stopped by its next note
    wedge = None
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<score-partwise version="3.1">',
           '<part-list><score-part id="P1"><part-name></part-name></score-part></part-list>',
           '<part id="P1">']
    for m in range(bars):
        out.append('<measure number="%d">' % (m + 1))
        if m == 0:
            clef_xml = "".join('<clef number="%d"><sign>%s</sign><line>%d</line></clef>' %
                               (i + 1, c, 2 if c == "G" else 4) for i, c in enumerate(clefs))
            out.append('<attributes><divisions>%d</divisions><key><fifths>%d</fifths></key>'
                       '<time><beats>%d</beats><beat-type>%d</beat-type></time><staves>%d</staves>%s</attributes>'
                       % (DIVISIONS, fifths, beats, beat_type, staves, clef_xml))
        for s, clef in enumerate(clefs):
            if s > 0:
                out.append('<backup><duration>%d</duration></backup>' % bar)
            left = bar
            while left > 0:
                length, kind, dots = r.choice([x for x in LENGTHS if x[0] <= left and x[0] <= bar])
                left -= length
                dot_xml = "<dot/>" * dots
                duration = length * 192 // (DIVISIONS * 4)
                if r.random() < 0.2 and not slur[s]:
                    out.append('<note><rest/><duration>%d</duration><voice>%d</voice><type>%s</type>%s'
                               '<staff>%d</staff></note>' % (length, s + 1, kind, dot_xml, s + 1))
                    continue
                # Positions from two ledger lines below to two above the staff.
                positions = [r.randint(-9, 9)]
                if r.random() < 0.25:
                    positions.append(positions[0] + r.choice([2, 3, 4]))
                # A dynamic or the start of a hairpin before the note; a slur
                # from this note to the next one of the staff and bar.
                if s == 0 and wedge is None and r.random() < 0.08:
                    mark = r.choice(DYNAMICS)
                    out.append('<direction placement="below"><direction-type><dynamics><%s/></dynamics>'
                               '</direction-type><staff>1</staff></direction>' % mark)
                elif s == 0 and wedge is None and left >= 12 and r.random() < 0.08:
                    wedge = r.choice(["crescendo", "diminuendo"])
                    out.append('<direction placement="below"><direction-type><wedge type="%s"/></direction-type>'
                               '<staff>1</staff></direction>' % wedge)
                notations = ""
                if slur[s]:
                    notations = '<notations><slur type="stop" number="1"/></notations>'
                    slur[s] = False
                elif left > 0 and r.random() < 0.15:
                    notations = '<notations><slur type="start" number="1"/></notations>'
                    slur[s] = True
                for i, pos in enumerate(sorted(positions)):
                    d = MIDDLE[clef] + pos
                    step, octave = STEPS[d % 7], d // 7
                    # In the key, now and then altered against it.
                    alter = KEY_ALTER(fifths, step)
                    if r.random() < 0.08:
                        alter = r.choice([a for a in (-1, 0, 1) if a != alter])
                    alter_xml = "<alter>%d</alter>" % alter if alter else ""
                    out.append('<note>%s<pitch><step>%s</step>%s<octave>%d</octave></pitch><duration>%d</duration>'
                               '<voice>%d</voice><type>%s</type>%s<staff>%d</staff>%s</note>'
                               % ("<chord/>" if i > 0 else "", step, alter_xml, octave, length, s + 1, kind, dot_xml,
                                  s + 1, notations if i == 0 else ""))
                if s == 0 and wedge is not None and r.random() < 0.4:
                    out.append('<direction placement="below"><direction-type><wedge type="stop"/></direction-type>'
                               '<staff>1</staff></direction>')
                    wedge = None
                for pos in sorted(positions, reverse=True):
                    truth[s].append((-pos, duration))
        if m == bars - 1 and wedge is not None:
            out.append('<direction placement="below"><direction-type><wedge type="stop"/></direction-type>'
                       '<staff>1</staff></direction>')
            wedge = None
        out.append('</measure>')
    out += ['</part>', '</score-partwise>']
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")
    return staves, truth


def run(args, **kw):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run(args, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def systems_of(svg, staves):
    text = open(svg).read()
    lines = {float(m.group(1)) for m in re.finditer(r'class="StaffLines"[^>]*points="[\d.]+,([\d.]+)', text)}
    return len(lines) // 5 // staves


SVG_DPI = 360.0  # MuseScore's SVG units per inch
BOX_KINDS = ("BarLine", "LedgerLine", "Beam", "SlurSegment", "HairpinSegment")


def boxes_of(svg, page):
    """The bar lines, ledger lines, beams, slurs and hairpins MuseScore drew,
    in page pixels (the points of each polyline or path)."""
    text = open(svg).read()
    scale = DPI / SVG_DPI
    boxes = []
    for m in re.finditer(r'<(?:polyline|path) class="(\w+)"[^>]*(?:points|d)="([^"]+)"', text):
        if m.group(1) not in BOX_KINDS:
            continue
        xy = [float(v) for v in re.findall(r"-?\d+(?:\.\d+)?", m.group(2))]
        xs, ys = xy[0::2], xy[1::2]
        box = [m.group(1), min(xs) * scale, min(ys) * scale, max(xs) * scale, max(ys) * scale]
        # A hairpin is drawn as its two lines: one box for both.
        last = boxes[-1] if boxes else None
        if (box[0] == "HairpinSegment" and last and last[0] == box[0] and abs(last[1] - box[1]) < 2 and
                abs(last[3] - box[3]) < 2):
            last[2], last[4] = min(last[2], box[2]), max(last[4], box[4])
            continue
        boxes.append(box)
    return ["box %d %s %d %d %d %d" % (page, b[0], round(b[1]), round(b[2]), round(b[3]), round(b[4])) for b in boxes]


COLOURS = {"BarLine": "red", "LedgerLine": "blue", "Beam": "green", "SlurSegment": "magenta",
           "HairpinSegment": "orange"}


def draw_boxes(page, boxes, out):
    draw = []
    for line in boxes:
        _, _, kind, x0, y0, x1, y1 = line.split()
        draw += ["-stroke", COLOURS[kind], "-draw", "rectangle %s,%s %s,%s" % (x0, y0, x1, y1)]
    run(["convert", page, "-colorspace", "sRGB", "-type", "TrueColor", "-fill", "none", "-strokewidth", "2"] + draw +
        [out])


def degrade(src, dst, seed):
    r = random.Random(seed)
    angle = r.uniform(-2.0, 2.0)
    morph = r.choice([[], ["-morphology", "Erode", "Square:1"], ["-morphology", "Dilate", "Square:1"]])
    run(["convert", src, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace", "Gray",
         "-seed", str(seed), "-attenuate", "0.6", "+noise", "Gaussian", "-blur", "0x0.8",
         "-threshold", "55%"] + morph + ["-background", "white", "-rotate", "%.3f" % angle, "+repage", "-threshold", "50%",
                                          "-type", "bilevel", "-compress", "Group4", dst])


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    folder, scores, first, overlay = args[0], 6, 200, False
    rest = args[1:]
    while rest:
        if rest[0] == "--overlay":
            overlay = True
            rest = rest[1:]
            continue
        if rest[0] == "--scores" and len(rest) > 1:
            scores = int(rest[1])
        elif rest[0] == "--seed" and len(rest) > 1:
            first = int(rest[1])
        else:
            sys.exit(__doc__)
        rest = rest[2:]
    for tool in ("mscore3", "convert"):
        if shutil.which(tool) is None:
            sys.exit("make_pages: %s is not installed (tools/setup.sh installs musescore3 and imagemagick)" % tool)
    os.makedirs(folder, exist_ok=True)
    index = []
    work = tempfile.mkdtemp()
    try:
        for k in range(scores):
            seed = first + k
            xml = os.path.join(folder, "score%d.musicxml" % seed)
            staves, truth = write_score(xml, seed)
            run(["mscore3", "-o", os.path.join(work, "s%d.svg" % seed), xml])
            run(["mscore3", "-r", str(DPI), "-o", os.path.join(work, "s%d.png" % seed), xml])
            page = 1
            lines = ["staves %d" % staves]
            boxes = []
            while os.path.exists(os.path.join(work, "s%d-%d.png" % (seed, page))):
                png = os.path.join(work, "s%d-%d.png" % (seed, page))
                clean = os.path.join(folder, "score%d-%d.tif" % (seed, page))
                run(["convert", png, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace",
                     "Gray", "-threshold", "50%", "-type", "bilevel", "-compress", "Group4", clean])
                degrade(png, os.path.join(folder, "score%d-%d-degraded.tif" % (seed, page)), 7919 * seed + page)
                lines.append("page %d %d" % (page, systems_of(os.path.join(work, "s%d-%d.svg" % (seed, page)),
                                                              staves)))
                page_boxes = boxes_of(os.path.join(work, "s%d-%d.svg" % (seed, page)), page)
                boxes += page_boxes
                if overlay:
                    draw_boxes(clean, page_boxes, os.path.join(folder, "score%d-%d-boxes.png" % (seed, page)))
                index.append("%s %d %d" % (role_of(seed), seed, page))
                page += 1
            for s, notes in enumerate(truth):
                lines += ["note %d %d %d" % (s, step, duration) for step, duration in notes]
            lines += boxes
            with open(os.path.join(folder, "score%d.truth" % seed), "w") as f:
                f.write("\n".join(lines) + "\n")
    finally:
        shutil.rmtree(work)
    with open(os.path.join(folder, "index.txt"), "w") as f:
        f.write("\n".join(index) + "\n")


if __name__ == "__main__":
    main()
