#!/usr/bin/python3
"""Writes the music recognition benchmark's pages: seeded scores written as
MusicXML, engraved by MuseScore 3 (headless, as the export checks run it) and
by LilyPond (the same MusicXML through musicxml2ly) at 300 dpi, stored as 1-bit
G4 TIFF pages, clean and degraded, with their truth.

usage:
  make_pages.py OUTDIR [--scores N] [--seed S] [--overlay] [--engraver E]

--engraver musescore, lilypond or both (the default).

--overlay also writes scoreK-P-boxes.png, the clean page with the truth's
boxes drawn over it in colour (to check the SVG-to-page mapping by eye).

Each score k (seed S + k) has one or two staves per system (two: a grand
staff with a brace), a clef per staff, a key of up to seven accidentals, a
time signature, and bars of plain and dotted notes, triplets, rests, chords, notes
on ledger lines, slurs, dynamics and hairpins (beams as MuseScore sets them). Writes into OUTDIR:

  scoreK.musicxml           the score
  scoreK-P.tif              page P, clean (MuseScore's PNG thresholded)
  scoreK-P-degraded.tif     the same page degraded (seeded noise, blur then
                            threshold, a pixel thinner or thicker, skew up to
                            2 degrees; seed 7919 x (S + k) + P)
  scoreK.truth              the truth: "staves N" (staves per system),
                            "page P SYSTEMS" (systems on each page, from
                            MuseScore's SVG), "skew P DEGREES" (the
                            degraded page's rotation, clockwise, about the
                            clean page's middle onto a canvas that holds it
                            all), then one line per note of each
                            staff of the system in time order, chords top
                            down: "note STAFF STEP DURATION" (STEP 0 the
                            middle line, larger downwards; DURATION in 1/192
                            of a whole note), then the bar lines, ledger
                            lines, beams, slurs, hairpins, stems, rests,
                            clefs, accidentals, dots, flags ("Hook"),
                            dynamics, tuplets and noteheads ("NoteBlack",
                            "NoteHalf", "NoteWhole": a hollow head's outline
                            has a hole, a whole note's is 1.4 times as wide
                            as high or more) of MuseScore's SVG, in pixels
                            of the clean page:
                            "box PAGE KIND X0 Y0 X1 Y1 [TYPE]" (TYPE the
                            engine's name of a fixed-size symbol's type,
                            as tools/refmaker names its glyphs, where the
                            engraver tells it: LilyPond's rests, clefs,
                            accidentals, flags and tuplet numbers;
                            MuseScore's clefs and rests from the generator)
  lyK.ly, lyK-P.tif, lyK-P-degraded.tif, lyK.truth
                            the same for LilyPond's engraving of scoreK
                            (the notes are the generator's, the systems and
                            boxes LilyPond's own, see below)
  index.txt                 one line per page: ROLE SCORE PAGE ENGRAVER
                            (ENGRAVER "musescore" or "lilypond")

LilyPond's truth: musicxml2ly writes the LilyPond source; the script adds to
its layout an `output-attributes` class for the staff symbol and each
grob kind of the truth (LY_KINDS; and turns LilyPond's own beaming on,
as MuseScore beams by itself), then LilyPond draws the page once as SVG and
once as a 300 dpi PNG. In the SVG each such grob is a <g class="KIND"> group;
its boxes are the extents of the rects, lines, paths and texts inside it
(a text's from its font size: a tuplet's number), after the
groups' translations, scaled from the SVG's view box to the page's pixels
(the page is A4 in both outputs). The attributes of a rest, a bar's rest,
clef, accidental, flag and tuplet number also say what the grob is (its
duration, glyph, alteration, stem direction, text: LY_TYPED), and the truth
gives such a box the symbol type it is. MuseScore's SVG classes name the
family only: its clefs get their staff's clef and its rests, staff by staff
in time order, the rests the generator wrote (all of a score's rests stay
untyped when MuseScore drew another number of them); its other boxes stay
untyped. Each ledger line of a staff's ledger
spanner is a box of its own; a slur's box is that of its outline with the
control points (a little wider than the ink, never narrower). Kinds are
written with MuseScore's names (LedgerLine, SlurSegment, NoteDot, Hook...)
so the benchmark reads both alike. Systems on a page are its
staff symbols over the staves per system. Check the mapping with --overlay.

Roles: scores of seeds 1..99 train, 100..199 calibrate, 200 and up measure
(the benchmark reads only "bench" pages); no page has two roles. Nothing
comes from the clock: the same seeds write the same scores.

Needs mscore3, lilypond (with musicxml2ly) and ImageMagick; tools/setup.sh
installs them.
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


# The engine's names (tools/refmaker's glyph names) of the rests written.
REST_TYPES = {"whole": "rest-whole", "half": "rest-half", "quarter": "rest-quarter", "eighth": "rest-8",
              "16th": "rest-16"}
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
    rests = [[] for _ in clefs]  # the engine's name of each rest's type, per staff in time order
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
                # Now and then a triplet of eighths in the time of a quarter.
                if left >= DIVISIONS and not slur[s] and r.random() < 0.06:
                    left -= DIVISIONS
                    for i in range(3):
                        pos = r.randint(-6, 6)
                        d = MIDDLE[clef] + pos
                        step, octave = STEPS[d % 7], d // 7
                        alter = KEY_ALTER(fifths, step)
                        alter_xml = "<alter>%d</alter>" % alter if alter else ""
                        mark = ' bracket="yes"' if i == 0 else ""
                        tuplet = ('<notations><tuplet type="%s"%s/></notations>' % ("start" if i == 0 else "stop", mark)
                                  if i != 1 else "")
                        out.append('<note><pitch><step>%s</step>%s<octave>%d</octave></pitch><duration>%d</duration>'
                                   '<voice>%d</voice><type>eighth</type><time-modification><actual-notes>3'
                                   '</actual-notes><normal-notes>2</normal-notes></time-modification>'
                                   '<staff>%d</staff>%s</note>'
                                   % (step, alter_xml, octave, DIVISIONS // 3, s + 1, s + 1, tuplet))
                        truth[s].append((-pos, 192 // 12))
                    continue
                length, kind, dots = r.choice([x for x in LENGTHS if x[0] <= left and x[0] <= bar])
                left -= length
                dot_xml = "<dot/>" * dots
                duration = length * 192 // (DIVISIONS * 4)
                if r.random() < 0.2 and not slur[s]:
                    rests[s].append(REST_TYPES[kind])
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
    return staves, truth, {"clefs": ["clef-" + c for c in clefs], "rests": rests}


def run(args, **kw):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run(args, env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def systems_of(svg, staves):
    text = open(svg).read()
    lines = {float(m.group(1)) for m in re.finditer(r'class="StaffLines"[^>]*points="[\d.]+,([\d.]+)', text)}
    return len(lines) // 5 // staves


SVG_DPI = 360.0  # MuseScore's SVG units per inch
BOX_KINDS = ("BarLine", "LedgerLine", "Beam", "SlurSegment", "HairpinSegment", "Stem", "Rest", "Clef", "Accidental",
             "NoteDot", "Hook", "Dynamic", "Tuplet", "Note")


def head_kind(subpaths, width, height):
    """A notehead's kind from the engraver's own outline of its glyph: a
    hollow head is drawn as an outline with a hole (two subpaths or more), a
    whole note's is the wide one; a black head is one filled outline."""
    if subpaths < 2:
        return "NoteBlack"
    return "NoteWhole" if height > 0 and width / height >= 1.4 else "NoteHalf"


def staff_middles(svg):
    """The middle line of each staff of MuseScore's SVG page, top down, in
    page pixels."""
    text = open(svg).read()
    ys = sorted({float(m.group(1)) for m in re.finditer(r'class="StaffLines"[^>]*points="[\d.]+,([\d.]+)', text)})
    return [ys[i + 2] * DPI / SVG_DPI for i in range(0, len(ys) - 4, 5)]


def type_musescore_boxes(boxes, middles, staves, written, placed):
    """Gives MuseScore's clef and rest boxes ([KIND, X0, Y0, X1, Y1, TYPE])
    the type the generator wrote there, as MuseScore's SVG names no glyph: a
    clef is its staff's; a staff's rests are the staff's rests in time order,
    system by system and left to right. placed[s] counts the rests of staff s
    typed on the pages before."""
    where = {}
    for n, b in enumerate(boxes):
        if b[0] in ("Clef", "Rest") and middles:
            middle = (b[2] + b[4]) / 2
            i = min(range(len(middles)), key=lambda k: abs(middles[k] - middle))
            where[n] = (i // staves, i % staves)
    for n, (system, staff) in sorted(where.items(), key=lambda w: (w[1][0], boxes[w[0]][1])):
        b = boxes[n]
        if b[0] == "Clef":
            b[5] = written["clefs"][staff]
        else:
            own = written["rests"][staff]
            b[5] = own[placed[staff]] if placed[staff] < len(own) else None
            placed[staff] += 1


def box_lines(boxes, page):
    return ["box %d %s %d %d %d %d%s" % (page, b[0], round(b[1]), round(b[2]), round(b[3]), round(b[4]),
                                         " " + b[5] if b[5] else "") for b in boxes]


def boxes_of(svg, page):
    """The objects of BOX_KINDS MuseScore drew, in page pixels (the points of
    each polyline or path): [KIND, X0, Y0, X1, Y1, TYPE], the type None."""
    text = open(svg).read()
    scale = DPI / SVG_DPI
    boxes = []
    for m in re.finditer(r'<(?:polyline|path) class="(\w+)"[^>]*(?:points|d)="([^"]+)"', text):
        if m.group(1) not in BOX_KINDS:
            continue
        xy = [float(v) for v in re.findall(r"-?\d+(?:\.\d+)?", m.group(2))]
        xs, ys = xy[0::2], xy[1::2]
        box = [m.group(1), min(xs) * scale, min(ys) * scale, max(xs) * scale, max(ys) * scale, None]
        if box[0] == "Note":
            box[0] = head_kind(len(re.findall("[Mm]", m.group(2))), box[3] - box[1], box[4] - box[2])
        # A hairpin is drawn as its two lines: one box for both.
        last = boxes[-1] if boxes else None
        if (box[0] == "HairpinSegment" and last and last[0] == box[0] and abs(last[1] - box[1]) < 2 and
                abs(last[3] - box[3]) < 2):
            last[2], last[4] = min(last[2], box[2]), max(last[4], box[4])
            continue
        # A tuplet is drawn as its number and the bracket's pieces: one box.
        if (box[0] == "Tuplet" and last and last[0] == box[0] and box[1] - last[3] < 60 and last[1] - box[3] < 60
                and abs((box[2] + box[4]) - (last[2] + last[4])) < 80):
            last[1:5] = [min(last[1], box[1]), min(last[2], box[2]), max(last[3], box[3]), max(last[4], box[4])]
            continue
        boxes.append(box)
    return boxes


# LilyPond grobs whose boxes the truth holds, with the kind written for each.
LY_KINDS = {"StaffSymbol": None, "BarLine": "BarLine", "LedgerLineSpanner": "LedgerLine", "Beam": "Beam",
            "Slur": "SlurSegment", "Hairpin": "HairpinSegment", "Stem": "Stem", "Rest": "Rest",
            "MultiMeasureRest": "Rest", "SystemStartBar": "BarLine", "Clef": "Clef", "Accidental": "Accidental",
            "Dots": "NoteDot", "Flag": "Hook", "DynamicText": "Dynamic",
            "TupletBracket": "Tuplet", "TupletNumber": "Tuplet", "NoteHead": "Note"}
# The grobs whose symbol type LilyPond knows, and what it says of each: the
# Scheme that writes it into the SVG group (as data-type) and, from what it
# wrote, the name of the engine's symbol type (tools/refmaker's glyph names).
LY_TYPED = {
    "Rest": "(number->string (ly:grob-property grob 'duration-log))",
    "MultiMeasureRest": "(number->string (ly:grob-property grob 'measure-count))",
    "Clef": "(ly:grob-property grob 'glyph-name)",
    "Accidental": "(format #f \"~a\" (ly:grob-property grob 'alteration))",
    "Flag": "(let ((stem (ly:grob-parent grob X))) (format #f \"~a ~a\" (ly:grob-property stem 'direction) "
            "(ly:grob-property stem 'duration-log)))",
    "TupletNumber": "(markup->string (ly:grob-property grob 'text))",
}
LY_REST_TYPES = {"-1": "rest-breve", "0": "rest-whole", "1": "rest-half", "2": "rest-quarter", "3": "rest-8",
                 "4": "rest-16", "5": "rest-32"}
LY_ACCIDENTAL_TYPES = {"1/2": "sharp", "-1/2": "flat", "0": "natural", "1": "double-sharp", "-1": "double-flat"}


def ly_type(kind, said):
    """The engine's name of the symbol type LilyPond's grob of the kind is,
    from what the grob's output attributes said; None when it is no type the
    engine has."""
    if kind == "Rest":
        return LY_REST_TYPES.get(said)
    if kind == "MultiMeasureRest":
        return "rest-whole" if said == "1" else None  # a bar's rest is the whole rest
    if kind == "Clef":
        m = re.match(r"clefs\.([GFC])", said)
        return "clef-" + m.group(1) if m else None
    if kind == "Accidental":
        return LY_ACCIDENTAL_TYPES.get(said)
    if kind == "Flag":
        words = said.split()
        if len(words) != 2 or words[0] not in ("1", "-1") or not 3 <= int(words[1]) <= 6:
            return None
        return "flag-%s-%d" % ("up" if words[0] == "1" else "down", int(words[1]) - 2)
    if kind == "TupletNumber":
        return "tuplet-" + said if said in ("2", "3", "4", "5", "6") else None
    return None


PATH_ARGS = {"M": 2, "L": 2, "T": 2, "H": 1, "V": 1, "C": 6, "S": 4, "Q": 4, "A": 7, "Z": 0}


def path_points(d):
    """The end and control points of an SVG path (absolute and relative
    commands), enough for its box."""
    tokens = re.findall(r"[A-Za-z]|-?\d*\.?\d+(?:e-?\d+)?", d)
    points, x, y, start, cmd, i = [], 0.0, 0.0, (0.0, 0.0), "M", 0
    while i < len(tokens):
        if tokens[i].isalpha():
            cmd = tokens[i]
            i += 1
            if cmd in "Zz":
                x, y = start
                continue
        n = PATH_ARGS[cmd.upper()]
        args = [float(v) for v in tokens[i:i + n]]
        i += n
        rel = cmd.islower()
        up = cmd.upper()
        if up == "H":
            x = args[0] + (x if rel else 0)
        elif up == "V":
            y = args[0] + (y if rel else 0)
        elif up == "A":
            x, y = args[5] + (x if rel else 0), args[6] + (y if rel else 0)
        else:
            for k in range(0, n - 2, 2):
                points.append((args[k] + (x if rel else 0), args[k + 1] + (y if rel else 0)))
            x, y = args[n - 2] + (x if rel else 0), args[n - 1] + (y if rel else 0)
        points.append((x, y))
        if up == "M":
            start = (x, y)
            cmd = "l" if rel else "L"  # further pairs after a move are lines
    return points


def attr(text, name):
    m = re.search(r'\b%s="([^"]*)"' % name, text)
    return m.group(1) if m else None


def ly_svg_boxes(svg, page):
    """The boxes of LilyPond's SVG page in page pixels, and its staff count."""
    text = open(svg).read()
    head = re.search(r"<svg[^>]*>", text).group(0)
    width_mm = float(attr(head, "width").replace("mm", ""))
    view = [float(v) for v in attr(head, "viewBox").split()]
    scale = width_mm / 25.4 * DPI / view[2]
    stack = []  # (tag, dx, dy, kind) of each open element
    grobs = []  # [kind, x0, y0, x1, y1] per grob (per ledger line)
    staves = 0
    for m in re.finditer(r"<(/?)(\w+)([^>]*?)(/?)>", text):
        closing, tag, body, empty = m.groups()
        if closing:
            if stack and stack[-1][0] == tag:
                stack.pop()
            continue
        kind = attr(body, "class") if tag == "g" else None
        dx = dy = 0.0
        tr = attr(body, "transform") or ""
        tm = re.search(r"translate\(([-\d.e]+),\s*([-\d.e]+)\)", tr)
        if tm:
            dx, dy = float(tm.group(1)), float(tm.group(2))
        if tag == "g":
            if kind in LY_KINDS:
                if kind == "StaffSymbol":
                    staves += 1
                elif kind != "LedgerLineSpanner":
                    said = attr(body, "data-type")
                    grobs.append([kind, None, 0, ly_type(kind, said) if said is not None else None])
            if not empty:
                stack.append((tag, dx, dy, kind))
            continue
        owner = next((k for (_, _, _, k) in reversed(stack) if k in LY_KINDS), None)
        if owner is None or owner == "StaffSymbol" or tag not in ("rect", "line", "path", "polygon", "text"):
            if not empty:
                stack.append((tag, 0.0, 0.0, None))
            continue
        ox = sum(s[1] for s in stack)
        oy = sum(s[2] for s in stack)
        if tag == "rect":
            x, y = float(attr(body, "x") or 0), float(attr(body, "y") or 0)
            pts = [(x, y), (x + float(attr(body, "width")), y + float(attr(body, "height")))]
        elif tag == "line":
            pts = [(float(attr(body, "x1")), float(attr(body, "y1"))), (float(attr(body, "x2")), float(attr(body, "y2")))]
        elif tag == "text":
            # Text (a tuplet's number) is set in a text face: its box from the
            # font size, digits some 0.55 of it wide and 0.72 of it above the
            # baseline.
            size = float(attr(body, "font-size") or 0)
            chars = len(re.sub(r"<[^>]*>|\s", "", text[m.end():text.find("</text>", m.end())]))
            x, y = float(attr(body, "x") or 0), float(attr(body, "y") or 0)
            pts = [(x, y - 0.72 * size), (x + 0.55 * size * max(1, chars), y)]
        elif tag == "polygon":
            v = [float(a) for a in re.findall(r"-?[\d.]+", attr(body, "points"))]
            pts = list(zip(v[0::2], v[1::2]))
        else:
            pts = path_points(attr(body, "d") or "")
            sm = re.search(r"scale\(([-\d.e]+),\s*([-\d.e]+)\)", tr)
            if sm:
                pts = [(px * float(sm.group(1)), py * float(sm.group(2))) for px, py in pts]
            pts = [(px + dx, py + dy) for px, py in pts]
        if tag != "path":
            pts = [(px + dx, py + dy) for px, py in pts]
        # A line's stroke widens it: half the stroke each side.
        half = float(attr(body, "stroke-width") or 0) / 2
        xs = [ox + px for px, _ in pts]
        ys = [oy + py for _, py in pts]
        box = [min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half]
        if owner == "LedgerLineSpanner":
            grobs.append([owner, box, 0, None])
        elif grobs and grobs[-1][0] == owner:
            if tag == "path":
                grobs[-1][2] += len(re.findall("[Mm]", attr(body, "d") or ""))
            old = grobs[-1][1]
            grobs[-1][1] = box if old is None else [min(old[0], box[0]), min(old[1], box[1]),
                                                    max(old[2], box[2]), max(old[3], box[3])]
        if not empty:
            stack.append((tag, 0.0, 0.0, None))
    # A tuplet's number and its bracket (when it has one) are one tuplet, as
    # in MuseScore's truth: the number joins a bracket it lies on.
    brackets = [g for g in grobs if g[0] == "TupletBracket" and g[1] is not None]
    kept = []
    for g in grobs:
        if g[0] == "TupletNumber" and g[1] is not None:
            b = g[1]
            on = next((t for t in brackets if t[1][0] <= (b[0] + b[2]) / 2 <= t[1][2] and
                       t[1][1] - (b[3] - b[1]) <= (b[1] + b[3]) / 2 <= t[1][3] + (b[3] - b[1])), None)
            if on is not None:
                t = on[1]
                on[1] = [min(t[0], b[0]), min(t[1], b[1]), max(t[2], b[2]), max(t[3], b[3])]
                on[3] = g[3]
                continue
        kept.append(g)
    grobs = kept
    lines = ["box %d %s %d %d %d %d%s" % (page, head_kind(n, b[2] - b[0], b[3] - b[1]) if k == "NoteHead" else
                                           LY_KINDS[k], round(b[0] * scale), round(b[1] * scale),
                                           round(b[2] * scale), round(b[3] * scale), " " + typ if typ else "")
             for k, b, n, typ in grobs if b is not None]
    return lines, staves


def ly_source(xml, ly):
    """musicxml2ly's LilyPond source of the score, with the truth's grobs
    classed in the SVG and LilyPond's own beaming."""
    run(["musicxml2ly", "-o", ly, xml])
    text = open(ly).read()
    classes = "".join('\\override %s.output-attributes = #(lambda (grob) (list (cons \'class "%s")%s))\n' %
                      (k, k, " (cons 'data-type %s)" % LY_TYPED[k] if k in LY_TYPED else "") for k in LY_KINDS)
    if "autoBeaming = ##f" not in text:
        sys.exit("make_pages: musicxml2ly wrote %s without the layout block this script extends" % ly)
    text = text.replace("autoBeaming = ##f", "autoBeaming = ##t\n" + classes, 1)
    with open(ly, "w") as f:
        f.write(text)


def ly_pages(work, name):
    """LilyPond's files of a drawing, page by page (one page has no number)."""
    single = os.path.join(work, name)
    if os.path.exists(single):
        return [single]
    stem, ext = os.path.splitext(single)
    pages, n = [], 1
    while os.path.exists("%s-%d%s" % (stem, n, ext)) or os.path.exists("%s-page%d%s" % (stem, n, ext)):
        numbered = "%s-%d%s" % (stem, n, ext)
        pages.append(numbered if os.path.exists(numbered) else "%s-page%d%s" % (stem, n, ext))
        n += 1
    return pages


def engrave_lilypond(folder, work, seed, staves, truth, overlay, index):
    xml = os.path.join(folder, "score%d.musicxml" % seed)
    ly = os.path.join(folder, "ly%d.ly" % seed)
    ly_source(xml, ly)
    run(["lilypond", "-dbackend=svg", "-dno-point-and-click", "-o", os.path.join(work, "l%d" % seed), ly])
    run(["lilypond", "--png", "-dresolution=%d" % DPI, "-dno-point-and-click", "-o",
         os.path.join(work, "l%dp" % seed), ly])
    svgs, pngs = ly_pages(work, "l%d.svg" % seed), ly_pages(work, "l%dp.png" % seed)
    if not pngs or len(svgs) != len(pngs):
        sys.exit("make_pages: LilyPond drew %d SVG and %d PNG pages of %s" % (len(svgs), len(pngs), ly))
    lines, boxes = ["staves %d" % staves], []
    for page, (svg, png) in enumerate(zip(svgs, pngs), 1):
        clean = os.path.join(folder, "ly%d-%d.tif" % (seed, page))
        threshold(png, clean)
        skew = degrade(png, os.path.join(folder, "ly%d-%d-degraded.tif" % (seed, page)), 7919 * seed + page)
        page_boxes, staff_count = ly_svg_boxes(svg, page)
        lines.append("page %d %d" % (page, staff_count // staves))
        lines.append("skew %d %.3f" % (page, skew))
        boxes += page_boxes
        if overlay:
            draw_boxes(clean, page_boxes, os.path.join(folder, "ly%d-%d-boxes.png" % (seed, page)))
        index.append("%s %d %d lilypond" % (role_of(seed), seed, page))
    write_truth(os.path.join(folder, "ly%d.truth" % seed), lines, truth, boxes)


def threshold(png, tif):
    run(["convert", png, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace",
         "Gray", "-threshold", "50%", "-type", "bilevel", "-compress", "Group4", tif])


def write_truth(path, lines, truth, boxes):
    for s, notes in enumerate(truth):
        lines += ["note %d %d %d" % (s, step, duration) for step, duration in notes]
    lines += boxes
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def engrave_musescore(folder, work, seed, staves, truth, written, overlay, index):
    xml = os.path.join(folder, "score%d.musicxml" % seed)
    run(["mscore3", "-o", os.path.join(work, "s%d.svg" % seed), xml])
    run(["mscore3", "-r", str(DPI), "-o", os.path.join(work, "s%d.png" % seed), xml])
    page = 1
    lines = ["staves %d" % staves]
    pages = []  # (page, its boxes)
    placed = [0] * staves
    while os.path.exists(os.path.join(work, "s%d-%d.png" % (seed, page))):
        png = os.path.join(work, "s%d-%d.png" % (seed, page))
        clean = os.path.join(folder, "score%d-%d.tif" % (seed, page))
        threshold(png, clean)
        skew = degrade(png, os.path.join(folder, "score%d-%d-degraded.tif" % (seed, page)), 7919 * seed + page)
        lines.append("page %d %d" % (page, systems_of(os.path.join(work, "s%d-%d.svg" % (seed, page)), staves)))
        lines.append("skew %d %.3f" % (page, skew))
        svg = os.path.join(work, "s%d-%d.svg" % (seed, page))
        page_boxes = boxes_of(svg, page)
        type_musescore_boxes(page_boxes, staff_middles(svg), staves, written, placed)
        pages.append((page, page_boxes))
        if overlay:
            draw_boxes(clean, box_lines(page_boxes, page), os.path.join(folder, "score%d-%d-boxes.png" % (seed, page)))
        index.append("%s %d %d musescore" % (role_of(seed), seed, page))
        page += 1
    # Rests MuseScore drew otherwise than written (merged, split) leave the
    # score's rests untyped.
    if placed != [len(own) for own in written["rests"]]:
        for _, page_boxes in pages:
            for b in page_boxes:
                if b[0] == "Rest":
                    b[5] = None
    boxes = [line for page, page_boxes in pages for line in box_lines(page_boxes, page)]
    write_truth(os.path.join(folder, "score%d.truth" % seed), lines, truth, boxes)


COLOURS = {"BarLine": "red", "LedgerLine": "blue", "Beam": "green", "SlurSegment": "magenta",
           "HairpinSegment": "orange", "Stem": "cyan", "Rest": "purple", "Clef": "brown", "Accidental": "olive",
           "NoteDot": "red", "Hook": "teal", "Dynamic": "navy", "Tuplet": "gold", "NoteBlack": "blue",
           "NoteHalf": "green", "NoteWhole": "red"}


def draw_boxes(page, boxes, out):
    draw = []
    for line in boxes:
        kind, x0, y0, x1, y1 = line.split()[2:7]
        draw += ["-stroke", COLOURS[kind], "-draw", "rectangle %s,%s %s,%s" % (x0, y0, x1, y1)]
    run(["convert", page, "-colorspace", "sRGB", "-type", "TrueColor", "-fill", "none", "-strokewidth", "2"] + draw +
        [out])


def skew_of(r):
    """The degraded page's skew in degrees (ImageMagick's -rotate: clockwise on
    the page), the first draw of the page's seeded generator."""
    return r.uniform(-2.0, 2.0)


def degrade(src, dst, seed):
    """The page skewed up to 2 degrees, seeded noise, blurred then
    thresholded, and made a pixel thinner or thicker (or neither). The skew
    comes first, on the grey page, so that no second threshold after it
    breaks thin lines. Thickening adds one pixel each way (a 2 x 2 kernel,
    never one on each side); thinning takes one pixel across (strokes a pixel
    narrower) and none downwards: the engravers draw stave lines 2 pixels
    thick at 300 dpi, and a thinned copy of 1 pixel, broken by the noise,
    left pages with no staves at all."""
    r = random.Random(seed)
    angle = skew_of(r)
    morph = r.choice([[], ["-morphology", "Erode", "Rectangle:2x2"], ["-morphology", "Dilate", "Rectangle:2x1"]])
    run(["convert", src, "-background", "white", "-alpha", "remove", "-alpha", "off", "-colorspace", "Gray",
         "-background", "white", "-rotate", "%.3f" % angle, "+repage",
         "-seed", str(seed), "-attenuate", "0.6", "+noise", "Gaussian", "-blur", "0x0.8",
         "-threshold", "55%"] + morph + ["-type", "bilevel", "-compress", "Group4", dst])
    return angle


def main():
    args = sys.argv[1:]
    if not args:
        sys.exit(__doc__)
    folder, scores, first, overlay, engravers = args[0], 6, 200, False, ["musescore", "lilypond"]
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
        elif rest[0] == "--engraver" and len(rest) > 1 and rest[1] in ("musescore", "lilypond", "both"):
            engravers = ["musescore", "lilypond"] if rest[1] == "both" else [rest[1]]
        else:
            sys.exit(__doc__)
        rest = rest[2:]
    tools = ["convert"] + (["mscore3"] if "musescore" in engravers else []) + \
        (["lilypond", "musicxml2ly"] if "lilypond" in engravers else [])
    for tool in tools:
        if shutil.which(tool) is None:
            sys.exit("make_pages: %s is not installed (tools/setup.sh installs musescore3, lilypond and imagemagick)"
                     % tool)
    os.makedirs(folder, exist_ok=True)
    index = []
    work = tempfile.mkdtemp()
    try:
        for k in range(scores):
            seed = first + k
            staves, truth, written = write_score(os.path.join(folder, "score%d.musicxml" % seed), seed)
            if "musescore" in engravers:
                engrave_musescore(folder, work, seed, staves, truth, written, overlay, index)
            if "lilypond" in engravers:
                engrave_lilypond(folder, work, seed, staves, truth, overlay, index)
    finally:
        shutil.rmtree(work)
    with open(os.path.join(folder, "index.txt"), "w") as f:
        f.write("\n".join(index) + "\n")


if __name__ == "__main__":
    main()
