"""Seeded scores of the notation classes real pieces hold and the
hand-written scores (scores.py) do not: each seed writes one MusicXML 3.1
page-sized score whose bars lean on one class (CLASSES[seed % 7]) over plain
music around it.

  keys        keys of 0 to 7 sharps or flats, key changes inside the page,
              accidentals inside a bar (carried, cancelled by naturals),
              courtesy (cautionary) accidentals in the next bar;
  clefs       treble, bass, French, soprano to tenor C, baritone and
              sub-bass clefs, treble and bass with an 8 above or below,
              clef changes at bar lines and inside bars;
  short       32nd and 64th notes, double dots, tuplets of 2 to 7;
  small       grace notes (with and without slash) and cue notes;
  rests       two and three voices on a stave with their rests, whole-bar
              rests of an empty voice, multi-bar rests;
  percussion  five-line and one-line percussion staves (cross and normal
              heads), heads of other shapes (cross, diamond, slash,
              triangle), tremolo strokes, a tablature staff;
  dense       chords of four to six notes, ties, slurs, dynamics and lyrics
              under the notes, systems of 4 to 16 staves.

Every score also varies the staff size (small to large) now and then.
Seeds TUNING_SEEDS are for tuning the reading; FIGURES_SEEDS for the
benchmark's figures only: no seed is in both, and nothing comes from the
clock (the same seed writes the same score).
"""
import random

CLASSES = ["keys", "clefs", "short", "small", "rests", "percussion", "dense"]
TUNING_SEEDS = range(1000, 2000)
FIGURES_SEEDS = range(2000, 3000)

STEPS = "CDEFGAB"
DIVISIONS = 1680  # per quarter: 64ths, and tuplets of 5, 6 and 7, are whole numbers
VALUES = {"whole": 6720, "half": 3360, "quarter": 1680, "eighth": 840, "16th": 420, "32nd": 210, "64th": 105}
ORDER = ["whole", "half", "quarter", "eighth", "16th", "32nd", "64th"]
TIMES = [(4, 4), (3, 4), (2, 4), (6, 8), (2, 2), (3, 8), (5, 4)]
# Clefs: MusicXML sign, line, octave change, the diatonic index (octave x 7
# + step) of the middle line.
CLEFS = {
    "treble": ("G", 2, 0), "french": ("G", 1, 0), "treble8vb": ("G", 2, -1), "treble8va": ("G", 2, 1),
    "bass": ("F", 4, 0), "baritoneF": ("F", 3, 0), "subbass": ("F", 5, 0), "bass8vb": ("F", 4, -1),
    "bass8va": ("F", 4, 1), "soprano": ("C", 1, 0), "mezzo": ("C", 2, 0), "alto": ("C", 3, 0),
    "tenor": ("C", 4, 0)}
BASE_CLEFS = ["treble", "bass"]
DYNAMICS = ["pp", "p", "mp", "mf", "f", "ff"]
SYLLABLES = ["la", "mi", "so", "ri", "ta", "ne", "vo", "ka"]
TAB_TUNING = [("E", 2), ("A", 2), ("D", 3), ("G", 3), ("B", 3), ("E", 4)]  # string 6 to 1
PERCUSSION = [("F", 4, "normal"), ("C", 5, "normal"), ("G", 5, "x"), ("A", 5, "x"), ("E", 4, "normal"),
              ("D", 5, "x")]


def middle_of(clef):
    sign, line, octave = CLEFS[clef]
    anchor = {"G": 4 * 7 + 4, "F": 3 * 7 + 3, "C": 4 * 7 + 0}[sign]  # G4, F3, C4 on the clef's line
    return anchor + 2 * (3 - line) + 7 * octave


def clef_xml(clef, number=None):
    sign, line, octave = CLEFS[clef]
    return '<clef%s><sign>%s</sign><line>%d</line>%s</clef>' % (
        ' number="%d"' % number if number else "", sign, line,
        "<clef-octave-change>%d</clef-octave-change>" % octave if octave else "")


def key_alter(fifths, step):
    if fifths > 0:
        return 1 if step in "FCGDAEB"[:fifths] else 0
    return -1 if step in "BEADGCF"[:-fifths] else 0


def ACCIDENTAL(alter):
    return {-2: "flat-flat", -1: "flat", 0: "natural", 1: "sharp", 2: "double-sharp"}[alter]


class Staff:
    """What a stave's notes depend on: its clef, the key, the alterations
    written so far in the bar and those of the bar before."""

    def __init__(self, clef):
        self.clef = clef
        self.bar = {}   # (step, octave) -> alteration written in this bar
        self.last = {}  # the same for the bar before

    def new_bar(self):
        self.last, self.bar = self.bar, {}


class Writer:
    def __init__(self, seed):
        self.r = random.Random(seed)
        self.seed = seed
        self.kind = CLASSES[seed % len(CLASSES)]
        self.fifths = 0

    # ---- notes ----

    def pitch(self, staff, spread=7, centre=0, accidentals=0.06):
        """(step, alter, octave, accidental mark) of a note on the stave."""
        r = self.r
        d = middle_of(staff.clef) + centre + r.randint(-spread, spread)
        step, octave = STEPS[d % 7], d // 7
        in_key = key_alter(self.fifths, step)
        alter = staff.bar.get((step, octave), in_key)
        mark = None
        if r.random() < accidentals:
            alter = r.choice([a for a in (-1, 0, 1) if a != alter])
        if (step, octave) in staff.bar or alter != in_key:
            if alter != staff.bar.get((step, octave), in_key):
                mark = ACCIDENTAL(alter)
            staff.bar[(step, octave)] = alter
        elif (step, octave) in staff.last and staff.last[(step, octave)] != alter and self.kind == "keys":
            mark = ACCIDENTAL(alter) + "?"  # a courtesy accidental after the bar line
        return step, alter, octave, mark

    def note(self, pitches, kind, dots, duration, voice, staff_no, extra=None):
        """One note or chord (pitches a list of pitch tuples; empty for a
        rest). extra: time modification, notations, grace, cue, notehead,
        lyric, unpitched, technical, a whole-bar rest."""
        extra = extra or {}
        staff_xml = "<staff>%d</staff>" % staff_no if staff_no else ""
        tm = extra.get("tuplet")
        tm_xml = ('<time-modification><actual-notes>%d</actual-notes><normal-notes>%d</normal-notes>'
                  '</time-modification>' % tm[:2]) if tm else ""
        if not pitches:
            rest = '<rest measure="yes"/>' if extra.get("measure") else "<rest/>"
            type_xml = "" if extra.get("measure") else "<type>%s</type>%s" % (kind, "<dot/>" * dots)
            notations = ""
            if tm and tm[2]:
                notations = '<notations><tuplet type="%s"%s/></notations>' % (
                    tm[2], ' bracket="yes"' if tm[2] == "start" else "")
            return ['<note>%s<duration>%d</duration><voice>%d</voice>%s%s%s%s</note>'
                    % (rest, duration, voice, type_xml, tm_xml, staff_xml, notations)]
        out = []
        for i, p in enumerate(pitches):
            step, alter, octave, mark = p[:4]
            grace = extra.get("grace")
            grace_xml = ('<grace%s/>' % (' slash="yes"' if grace == "slash" else "")) if grace else ""
            cue_xml = "<cue/>" if extra.get("cue") else ""
            if extra.get("unpitched"):
                pitch_xml = "<unpitched><display-step>%s</display-step><display-octave>%d</display-octave></unpitched>" % (
                    step, octave)
            else:
                pitch_xml = "<pitch><step>%s</step>%s<octave>%d</octave></pitch>" % (
                    step, "<alter>%d</alter>" % alter if alter else "", octave)
            acc_xml = ""
            if mark:
                acc_xml = "<accidental%s>%s</accidental>" % (
                    ' cautionary="yes"' if mark.endswith("?") else "", mark.rstrip("?"))
            head = extra.get("notehead")
            head_xml = "<notehead>%s</notehead>" % head if head else ""
            notations = []
            if i == 0 and tm and tm[2]:
                notations.append('<tuplet type="%s"%s/>' % (tm[2], ' bracket="yes"' if tm[2] == "start" else ""))
            if i == 0 and extra.get("slur"):
                notations.append('<slur type="%s" number="1"/>' % extra["slur"])
            if extra.get("tie"):
                notations.append('<tied type="%s"/>' % extra["tie"])
            if i == 0 and extra.get("tremolo"):
                notations.append('<ornaments><tremolo type="single">%d</tremolo></ornaments>' % extra["tremolo"])
            if extra.get("technical"):
                notations.append("<technical><string>%d</string><fret>%d</fret></technical>" % extra["technical"][i])
            tie_xml = '<tie type="%s"/>' % extra["tie"] if extra.get("tie") else ""
            lyric = extra.get("lyric") if i == 0 else None
            out.append('<note>%s%s%s%s%s<voice>%d</voice><type%s>%s</type>%s%s%s%s%s%s%s%s</note>' % (
                grace_xml, cue_xml, "<chord/>" if i else "", pitch_xml,
                "" if grace else "<duration>%d</duration>%s" % (duration, tie_xml), voice,
                ' size="cue"' if extra.get("cue") else "", kind, "<dot/>" * dots, acc_xml, tm_xml,
                "<stem>%s</stem>" % extra["stem"] if extra.get("stem") else "", head_xml, staff_xml,
                "<notations>%s</notations>" % "".join(notations) if notations else "",
                '<lyric number="1"><syllabic>single</syllabic><text>%s</text></lyric>' % lyric if lyric else ""))
        return out

    # ---- rhythm ----

    def groups(self, left, bar):
        """A group of values that fits in left: [(type, dots, duration,
        tuplet (actual, normal) or None)]."""
        r = self.r
        options = []
        if self.kind == "short":
            for kind, dots in (("quarter", 2), ("eighth", 2), ("half", 2)):
                full = VALUES[kind] + VALUES[kind] // 2 + VALUES[kind] // 4
                rest = VALUES[kind] // 4
                if full + rest <= left:
                    small = ORDER[ORDER.index(kind) + 2]
                    options.append([(kind, 2, full, None), (small, 0, rest, None)])
            if VALUES["eighth"] <= left:
                options.append([("32nd", 0, 210, None)] * 4)
                options.append([("64th", 0, 105, None)] * 8)
                options.append([("16th", 1, 630, None), ("32nd", 0, 210, None)])
                options.append([("32nd", 0, 210, None)] * 2 + [("16th", 0, 420, None)])
            for actual, normal, kind in ((2, 3, "eighth"), (4, 3, "eighth"), (5, 4, "16th"), (6, 4, "16th"),
                                         (7, 4, "16th"), (3, 2, "eighth"), (5, 4, "eighth"), (7, 8, "32nd")):
                span = VALUES[kind] * normal
                if span <= left:
                    options.append([(kind, 0, span // actual, (actual, normal))] * actual)
        for kind in ORDER[:5]:
            if VALUES[kind] <= left and VALUES[kind] <= bar:
                options.append([(kind, 0, VALUES[kind], None)])
                dotted = VALUES[kind] * 3 // 2
                if dotted <= left and kind not in ("16th",):
                    options.append([(kind, 1, dotted, None)])
        if self.kind == "short" and r.random() < 0.7:
            special = [o for o in options if len(o) > 1 or o[0][1] > 1]
            if special:
                return r.choice(special)
        if not options:
            kind = next(k for k in ORDER if VALUES[k] <= left)
            return [(kind, 0, VALUES[kind], None)]
        return r.choice(options)

    def voice(self, staff, staff_no, voice_no, bar, rests=0.15, spread=7, centre=0, stem=None, chords=0.2,
              span=None):
        """The notes of one voice filling `bar` divisions."""
        r = self.r
        out = []
        left = bar
        slur_open = False
        while left > 0:
            if self.kind == "clefs" and voice_no % 4 == 1 and left < bar and r.random() < 0.15:
                # A clef change inside the bar (the small clef before the next note).
                staff.clef = r.choice(list(CLEFS))
                out.append("<attributes>%s</attributes>" % clef_xml(staff.clef, staff_no))
            group = self.groups(left, bar)
            for j, (kind, dots, duration, tm) in enumerate(group):
                left -= duration
                extra = {"stem": stem}
                if tm:
                    extra["tuplet"] = (tm[0], tm[1], "start" if j == 0 else "stop" if j == len(group) - 1 else None)
                if r.random() < rests:
                    out += self.note([], kind, dots, duration, voice_no, staff_no, extra)
                    continue
                if self.kind == "small" and not tm and r.random() < 0.3:
                    for g in range(r.choice([1, 1, 2, 4])):
                        grace = self.pitch(staff, spread, centre)
                        out += self.note([grace], "16th" if g else r.choice(["eighth", "16th"]), 0, 0, voice_no,
                                         staff_no, {"grace": "slash" if r.random() < 0.5 else "plain",
                                                    "stem": "up"})
                pitches = [self.pitch(staff, spread, centre, 0.25 if self.kind == "keys" else 0.06)]
                many = 0  # notes added above the first
                if self.kind == "dense" and r.random() < 0.5:
                    many = r.randint(3, 5)
                elif r.random() < chords:
                    many = 1
                for _ in range(many):
                    top = pitches[-1]
                    d = STEPS.index(top[0]) + 7 * top[2] + r.choice([2, 2, 3, 4])
                    step, octave = STEPS[d % 7], d // 7
                    if (step, octave) in staff.bar:
                        break
                    pitches.append((step, key_alter(self.fifths, step), octave, None))
                if self.kind == "small" and not tm and r.random() < 0.15:
                    extra["cue"] = True
                if self.kind == "dense":
                    if r.random() < 0.5:
                        extra["lyric"] = r.choice(SYLLABLES)
                    if slur_open:
                        extra["slur"] = "stop"
                        slur_open = False
                    elif left > 0 and r.random() < 0.2:
                        extra["slur"] = "start"
                        slur_open = True
                out += self.note(pitches, kind, dots, duration, voice_no, staff_no, extra)
        if slur_open:
            # A slur left open ends on nothing: drop its start.
            for i in range(len(out) - 1, -1, -1):
                if '<slur type="start"' in out[i]:
                    out[i] = out[i].replace('<slur type="start" number="1"/>', "")
                    out[i] = out[i].replace("<notations></notations>", "")
                    break
        return out


def musicxml(seed, bars_limit=None):
    """(name, MusicXML text) of the score of a seed. bars_limit shortens it
    (a score an engraver set on two pages is written again shorter)."""
    w = Writer(seed)
    r = w.r
    kind = w.kind
    beats, beat_type = r.choice(TIMES)
    bar = beats * DIVISIONS * 4 // beat_type
    w.fifths = r.randint(-7, 7) if kind == "keys" else r.randint(-3, 3)
    size = 7.0556 if r.random() < 0.7 else r.uniform(5.6, 9.0)
    # Parts: (name, clefs, voices per stave, special).
    parts = []
    if kind == "dense" and r.random() < 0.5:
        count = r.randint(4, 16)
        for p in range(count):
            parts.append(("Part %d" % (p + 1), [r.choice(BASE_CLEFS)], [1], None))
        bars = 2 if count > 10 else 3 if count > 6 else 5
    elif kind == "percussion":
        parts.append(("Drums", ["percussion"], [2], "drums"))
        parts.append(("Block", ["percussion"], [1], "oneline"))
        parts.append(("Heads", ["treble"], [1], "heads"))
        if r.random() < 0.7:
            parts.append(("Guitar", ["tab"], [1], "tab"))
        bars = 6
    elif kind == "rests":
        voices = r.choice([2, 3])
        parts.append(("Voices", ["treble"], [voices], "rests"))
        if r.random() < 0.5:
            parts.append(("Lower", ["bass"], [2], "rests"))
        bars = max(10, min(16, round(24 / (bar / DIVISIONS))))
    else:
        staves = r.choice([1, 1, 2])
        if kind == "clefs":
            clefs = [r.choice(list(CLEFS)) for _ in range(staves)]
        else:
            clefs = ["treble", "bass"][:staves] if staves == 2 else [r.choice(BASE_CLEFS)]
        parts.append(("Piano" if staves == 2 else "Solo", clefs, [1] * staves, None))
        if kind == "dense":
            parts[0] = (parts[0][0], clefs, [r.choice([1, 2])] * staves, None)
        # About 24 quarters of music a stave (fewer bars of the shortest values).
        quarters = bar / DIVISIONS
        bars = max(6, min(16 if staves == 1 else 12, round((12 if kind == "short" else 24) / quarters)))
    if bars_limit:
        bars = min(bars, bars_limit)
    name = "c%d-%s" % (seed, kind)
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<!DOCTYPE score-partwise PUBLIC "-//Recordare//DTD MusicXML 3.1 Partwise//EN" '
           '"http://www.musicxml.org/dtds/partwise.dtd">',
           '<score-partwise version="3.1">',
           '<work><work-title>Class page %d</work-title></work>' % seed,
           '<identification><creator type="composer">Velmorant</creator></identification>',
           '<defaults><scaling><millimeters>%.4f</millimeters><tenths>40</tenths></scaling></defaults>' % size,
           '<part-list>']
    for i, (pname, _, _, special) in enumerate(parts):
        if special in ("drums", "oneline"):
            out.append('<score-part id="P%d"><part-name>%s</part-name><score-instrument id="P%d-I1">'
                       '<instrument-name>%s</instrument-name></score-instrument><midi-instrument id="P%d-I1">'
                       '<midi-channel>10</midi-channel><midi-unpitched>39</midi-unpitched></midi-instrument>'
                       '</score-part>' % (i + 1, pname, i + 1, pname, i + 1))
        else:
            out.append('<score-part id="P%d"><part-name>%s</part-name></score-part>' % (i + 1, pname))
    out.append('</part-list>')
    # The key changes and the multi-bar rest, the same in every part.
    key_changes = {}
    if kind == "keys":
        for m in r.sample(range(2, bars), r.randint(1, 2)):
            key_changes[m] = r.choice([f for f in range(-7, 8) if f != 0])
    rest_run = None
    if kind == "rests" and bars >= 8:
        start = r.randint(2, bars - 5)
        rest_run = (start, r.randint(2, 4))
    first_fifths = w.fifths
    for i, (pname, clefs, voices, special) in enumerate(parts):
        # Every part draws from the same generator in turn; the key in force
        # restarts per part.
        w.fifths = first_fifths
        out.append('<part id="P%d">' % (i + 1))
        staves = [Staff(c) for c in clefs]
        for m in range(bars):
            out.append('<measure number="%d">' % (m + 1))
            for st in staves:
                st.new_bar()
            attrs = ""
            if m == 0:
                attrs += "<divisions>%d</divisions>" % DIVISIONS
                if special not in ("drums", "oneline", "tab"):
                    attrs += "<key><fifths>%d</fifths></key>" % w.fifths
                else:
                    attrs += "<key><fifths>0</fifths></key>"
                attrs += "<time><beats>%d</beats><beat-type>%d</beat-type></time>" % (beats, beat_type)
                if len(clefs) > 1:
                    attrs += "<staves>%d</staves>" % len(clefs)
                for s, c in enumerate(clefs):
                    if c == "percussion":
                        attrs += '<clef><sign>percussion</sign></clef>'
                        if special == "oneline":
                            attrs += '<staff-details><staff-lines>1</staff-lines></staff-details>'
                    elif c == "tab":
                        attrs += '<clef><sign>TAB</sign><line>5</line></clef><staff-details><staff-lines>6' \
                                 '</staff-lines>%s</staff-details>' % "".join(
                                     '<staff-tuning line="%d"><tuning-step>%s</tuning-step><tuning-octave>%d'
                                     '</tuning-octave></staff-tuning>' % (n + 1, s_, o) for n, (s_, o) in
                                     enumerate(TAB_TUNING))
                    else:
                        attrs += clef_xml(c, s + 1 if len(clefs) > 1 else None)
            elif m in key_changes and special not in ("drums", "oneline", "tab"):
                w.fifths = key_changes[m]
                attrs += "<key><fifths>%d</fifths></key>" % w.fifths
            if kind == "clefs" and m > 0 and r.random() < 0.4 and special is None:
                s = r.randrange(len(clefs))
                staves[s].clef = r.choice(list(CLEFS))
                attrs += clef_xml(staves[s].clef, s + 1 if len(clefs) > 1 else None)
            if rest_run and m == rest_run[0]:
                attrs += "<measure-style><multiple-rest>%d</multiple-rest></measure-style>" % rest_run[1]
            if attrs:
                out.append("<attributes>%s</attributes>" % attrs)
            in_rest_run = rest_run and rest_run[0] <= m < rest_run[0] + rest_run[1]
            first = True
            for s, st in enumerate(staves):
                staff_no = s + 1 if len(staves) > 1 else None
                for v in range(voices[s]):
                    if not first:
                        out.append("<backup><duration>%d</duration></backup>" % bar)
                    first = False
                    number = s * 4 + v + 1
                    if in_rest_run:
                        if v == 0:
                            out += w.note([], "whole", 0, bar, number, staff_no, {"measure": True})
                        else:
                            out.append("<forward><duration>%d</duration></forward>" % bar)
                        continue
                    out += part_voice(w, special, st, staff_no, number, v, voices[s], bar, kind)
            if m == bars - 1:
                out.append('<barline location="right"><bar-style>light-heavy</bar-style></barline>')
            out.append('</measure>')
        out.append('</part>')
    out.append('</score-partwise>')
    return name, "\n".join(out) + "\n"


def fill(r, bar, kinds, short_kinds=None):
    """Note values, drawn from kinds, that fill a bar of `bar` divisions
    (from short_kinds once less than a quarter is left, when given); a value
    longer than what is left gives way to the longest that fits."""
    left = bar
    while left > 0:
        kind = r.choice(kinds if short_kinds is None or left >= VALUES["quarter"] else short_kinds)
        if VALUES[kind] > left:
            kind = next(k for k in ORDER if VALUES[k] <= left)
        left -= VALUES[kind]
        yield kind


def part_voice(w, special, st, staff_no, number, v, voices, bar, kind):
    r = w.r
    if special == "drums":
        out = []
        for kind_ in fill(r, bar, ["eighth", "quarter"], ["eighth"]):
            choices = PERCUSSION[2:4] + [PERCUSSION[5]] if v == 0 else PERCUSSION[:2] + [PERCUSSION[4]]
            if r.random() < 0.15:
                out += w.note([], kind_, 0, VALUES[kind_], number, staff_no, {})
                continue
            step, octave, head = r.choice(choices)
            extra = {"unpitched": True, "stem": "up" if v == 0 else "down"}
            if head != "normal":
                extra["notehead"] = head
            out += w.note([(step, 0, octave, None)], kind_, 0, VALUES[kind_], number, staff_no, extra)
        return out
    if special == "oneline":
        out = []
        for kind_ in fill(r, bar, ["eighth", "quarter", "half"]):
            if r.random() < 0.2:
                out += w.note([], kind_, 0, VALUES[kind_], number, staff_no, {})
            else:
                out += w.note([("E", 0, 4, None)], kind_, 0, VALUES[kind_], number, staff_no, {"unpitched": True})
        return out
    if special == "tab":
        out = []
        for kind_ in fill(r, bar, ["eighth", "quarter", "half"]):
            string = r.randint(1, 6)
            fret = r.randint(0, 7)
            tstep, toct = TAB_TUNING[6 - string]
            semis = (toct + 1) * 12 + [0, 2, 4, 5, 7, 9, 11][STEPS.index(tstep)] + fret
            names = [("C", 0), ("C", 1), ("D", 0), ("D", 1), ("E", 0), ("F", 0), ("F", 1), ("G", 0), ("G", 1),
                     ("A", 0), ("A", 1), ("B", 0)]
            step, alter = names[semis % 12]
            out += w.note([(step, alter, semis // 12 - 1, None)], kind_, 0, VALUES[kind_], number, staff_no,
                          {"technical": [(string, fret)]})
        return out
    if special == "heads":
        out = []
        for kind_ in fill(r, bar, ["eighth", "quarter", "half"]):
            extra = {}
            if r.random() < 0.6:
                extra["notehead"] = r.choice(["x", "diamond", "slash", "triangle"])
            elif kind_ in ("quarter", "half") and r.random() < 0.5:
                extra["tremolo"] = r.randint(1, 3)
            out += w.note([w.pitch(st, 5)], kind_, 0, VALUES[kind_], number, staff_no, extra)
        return out
    if special == "rests":
        # Voice 1 above, the others below; an empty voice is one whole-bar rest.
        if v > 0 and r.random() < 0.3:
            return w.note([], "whole", 0, bar, number, staff_no, {"measure": True})
        centre = 3 if v == 0 else -3 if v == 1 else -6
        return w.voice(st, staff_no, number, bar, rests=0.3, spread=3, centre=centre,
                       stem="up" if v == 0 else "down", chords=0.0)
    if voices > 1:
        centre = 3 if v == 0 else -3
        return w.voice(st, staff_no, number, bar, rests=0.15, spread=3, centre=centre,
                       stem="up" if v == 0 else "down")
    return w.voice(st, staff_no, number, bar)
