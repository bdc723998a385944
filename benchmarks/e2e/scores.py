"""The end-to-end benchmark's scores, written by hand in a short note text
and turned into MusicXML 3.1 partwise documents.

A bar of one voice is a string of notes separated by spaces:

    PITCH[+PITCH...]:LENGTH[~][/SYLLABLE]

PITCH is a step, an optional alteration ('#', 'b', '##', 'bb', 'n' for a
written natural) and an octave ("C5", "F#4", "Bb3"), or "r" for a rest.
LENGTH is w h q e s (whole to sixteenth), '.' after it for a dot, a leading
't' for a note of a triplet (three in the time of two). '~' ties the note to
the next one of its voice; "/word" sets a lyric syllable under it.

A part is a list of staves (clef per stave); a bar of a part is, per stave, a
list of voices. Bars may change key ("key") and time ("time") before them.
"""

from fractions import Fraction

DIVISIONS = 12  # per quarter: a triplet quaver is 4, a semiquaver 3
LENGTHS = {"w": (48, "whole"), "h": (24, "half"), "q": (12, "quarter"), "e": (6, "eighth"), "s": (3, "16th")}
CLEFS = {"G": ("G", 2), "F": ("F", 4), "C": ("C", 3)}
STEPS = "CDEFGAB"
ALTERS = {"": 0, "n": 0, "#": 1, "##": 2, "b": -1, "bb": -2}


def parse_note(token):
    """A note text as (pitches, divisions, type, dots, triplet, tie, lyric);
    pitches is a list of (step, alter, octave, written accidental) or empty
    for a rest."""
    lyric = None
    if "/" in token:
        token, lyric = token.split("/", 1)
    tie = token.endswith("~")
    token = token.rstrip("~")
    pitch_text, length = token.split(":")
    triplet = length.startswith("t")
    length = length.lstrip("t")
    dots = length.count(".")
    base, kind = LENGTHS[length.rstrip(".")]
    duration = base
    add = base
    for _ in range(dots):
        add //= 2
        duration += add
    if triplet:
        duration = duration * 2 // 3
    pitches = []
    if pitch_text != "r":
        for p in pitch_text.split("+"):
            step, alter_text, octave = p[0], p[1:-1], int(p[-1])
            pitches.append((step, ALTERS[alter_text], octave, alter_text))
    return pitches, duration, kind, dots, triplet, tie, lyric


def voice_length(voice):
    return sum(parse_note(t)[1] for t in voice.split())


def write_voice(out, voice, number, staff, tied_from):
    """Writes one voice of one bar; tied_from holds the pitches whose tie from
    the voice's previous note stops here (updated for the next note). staff
    is None in a part of one stave: its notes name no staff, since
    musicxml2ly engraves notes that name one in a part without <staves> on
    a stave of their own below an empty one."""
    staff_xml = "" if staff is None else "<staff>%d</staff>" % staff
    tokens = voice.split()
    in_triplet = 0
    for token in tokens:
        pitches, duration, kind, dots, triplet, tie, lyric = parse_note(token)
        tuplet_mark = ""
        if triplet:
            in_triplet += 1
            if in_triplet == 1:
                tuplet_mark = '<tuplet type="start" bracket="yes"/>'
            elif in_triplet == 3:
                tuplet_mark = '<tuplet type="stop"/>'
                in_triplet = 0
        else:
            in_triplet = 0
        if not pitches:
            out.append('<note><rest/><duration>%d</duration><voice>%d</voice><type>%s</type>%s%s'
                       '%s</note>' % (duration, number, kind, "<dot/>" * dots,
                                      '<time-modification><actual-notes>3</actual-notes>'
                                      '<normal-notes>2</normal-notes></time-modification>'
                                      if triplet else "", staff_xml))
            tied_from.clear()
            continue
        stops = set(tied_from)
        tied_from.clear()
        for i, (step, alter, octave, written) in enumerate(pitches):
            key = (step, alter, octave)
            tie_xml, tied_xml = "", ""
            if key in stops:
                tie_xml += '<tie type="stop"/>'
                tied_xml += '<tied type="stop"/>'
            if tie:
                tie_xml += '<tie type="start"/>'
                tied_xml += '<tied type="start"/>'
                tied_from.add(key)
            notations = tied_xml + (tuplet_mark if i == 0 else "")
            out.append(
                '<note>%s<pitch><step>%s</step>%s<octave>%d</octave></pitch><duration>%d</duration>%s'
                '<voice>%d</voice><type>%s</type>%s%s%s%s%s%s</note>'
                % ("<chord/>" if i else "", step, "<alter>%d</alter>" % alter if alter else "", octave, duration,
                   tie_xml, number, kind, "<dot/>" * dots,
                   '<time-modification><actual-notes>3</actual-notes><normal-notes>2</normal-notes>'
                   '</time-modification>' if triplet else "",
                   "", staff_xml,
                   "<notations>%s</notations>" % notations if notations else "",
                   '<lyric number="1"><syllabic>single</syllabic><text>%s</text></lyric>' % lyric
                   if lyric and i == 0 else ""))


def musicxml(score):
    """The MusicXML text of a score: {"title", "composer", "parts": [{"name",
    "clefs": [...], "bars": [[voices of stave 1], [voices of stave 2]...]}],
    "key", "time", "changes": {bar index: {"key": fifths, "time": (b, t)}}}."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<!DOCTYPE score-partwise PUBLIC "-//Recordare//DTD MusicXML 3.1 Partwise//EN" '
           '"http://www.musicxml.org/dtds/partwise.dtd">',
           '<score-partwise version="3.1">',
           '<work><work-title>%s</work-title></work>' % score["title"],
           '<identification><creator type="composer">%s</creator></identification>' % score.get("composer", ""),
           '<part-list>']
    for i, part in enumerate(score["parts"]):
        out.append('<score-part id="P%d"><part-name>%s</part-name></score-part>' % (i + 1, part["name"]))
    out.append('</part-list>')
    changes = score.get("changes", {})
    for i, part in enumerate(score["parts"]):
        out.append('<part id="P%d">' % (i + 1))
        staves = len(part["clefs"])
        ties = {}
        beats, beat_type = score["time"]
        for m, bar in enumerate(part["bars"]):
            out.append('<measure number="%d">' % (m + 1))
            change = changes.get(m, {})
            if m == 0:
                clefs = "".join('<clef%s><sign>%s</sign><line>%d</line></clef>'
                                % (' number="%d"' % (s + 1) if staves > 1 else "", CLEFS[c][0], CLEFS[c][1])
                                for s, c in enumerate(part["clefs"]))
                out.append('<attributes><divisions>%d</divisions><key><fifths>%d</fifths></key>'
                           '<time><beats>%d</beats><beat-type>%d</beat-type></time>%s%s</attributes>'
                           % (DIVISIONS, score["key"], beats, beat_type,
                              "<staves>%d</staves>" % staves if staves > 1 else "", clefs))
            elif change:
                text = ""
                if "key" in change:
                    text += "<key><fifths>%d</fifths></key>" % change["key"]
                if "time" in change:
                    beats, beat_type = change["time"]
                    text += "<time><beats>%d</beats><beat-type>%d</beat-type></time>" % change["time"]
                out.append("<attributes>%s</attributes>" % text)
            bar_length = beats * DIVISIONS * 4 // beat_type
            first = True
            for s, voices in enumerate(bar):
                for v, voice in enumerate(voices):
                    if voice_length(voice) != bar_length:
                        raise ValueError("%s part %d bar %d stave %d voice %d: %d divisions, the bar holds %d"
                                         % (score["name"], i + 1, m + 1, s + 1, v + 1, voice_length(voice),
                                            bar_length))
                    if not first:
                        out.append('<backup><duration>%d</duration></backup>' % bar_length)
                    first = False
                    write_voice(out, voice, s * 4 + v + 1, s + 1 if staves > 1 else None,
                                ties.setdefault((s, v), set()))
            if m == len(part["bars"]) - 1:
                out.append('<barline location="right"><bar-style>light-heavy</bar-style></barline>')
            out.append('</measure>')
        out.append('</part>')
    out.append('</score-partwise>')
    return "\n".join(out) + "\n"


def one_voice(bars):
    """Bars of a one-stave, one-voice part from a list of bar texts."""
    return [[[b]] for b in bars]


SCORES = [
    {"name": "single", "title": "A Single Line", "composer": "Velmorant", "key": 0, "time": (4, 4),
     "parts": [{"name": "Flute", "clefs": ["G"], "bars": one_voice([
         "C5:q D5:q E5:q F5:q", "G5:h E5:h", "A5:q G5:q F5:q E5:q", "D5:w",
         "E5:q. F5:e G5:q E5:q", "C5:e D5:e E5:e F5:e G5:h", "F5:q D5:q B4:q G4:q", "C5:w"])}]},
    {"name": "accidentals", "title": "Accidentals", "composer": "Velmorant", "key": 2, "time": (3, 4),
     "parts": [{"name": "Oboe", "clefs": ["G"], "bars": one_voice([
         "D5:q F#5:q A5:q", "Bb4:q C#5:q Fn5:q", "G#4:h A4:q", "E5:e D#5:e E5:e G5:e C5:q",
         "Bb4:q. A4:e G4:q", "F#4:h r:q", "Ab4:q Gn4:q C#5:q", "D5:h."])}]},
    {"name": "piano", "title": "Piano Piece", "composer": "Velmorant", "key": -1, "time": (4, 4),
     "parts": [{"name": "Piano", "clefs": ["G", "F"], "bars": [
         [["F4+A4+C5:h G4+Bb4+D5:h"], ["F3:q C3:q F3:q C3:q"]],
         [["A4:q C5:q F5:q C5:q"], ["F2+C3:w"]],
         [["Bb4+D5:h A4+C5:h"], ["Bb2:q D3:q F3:q A3:q"]],
         [["G4:e A4:e Bb4:e C5:e D5:h"], ["C3+E3:h C3+G3:h"]],
         [["C5+E5:q Bb4:q A4:q G4:q"], ["C3:h E3:h"]],
         [["F4+A4+C5:w"], ["F2+F3:w"]]]}]},
    {"name": "chorale", "title": "Chorale", "composer": "Velmorant", "key": 1, "time": (4, 4),
     "parts": [
         {"name": "Soprano", "clefs": ["G"], "bars": one_voice([
             "G4:q A4:q B4:q G4:q", "D5:q C5:q B4:h", "B4:q C5:q D5:q B4:q", "A4:q A4:q G4:h"])},
         {"name": "Alto", "clefs": ["G"], "bars": one_voice([
             "D4:q F#4:q G4:q D4:q", "G4:q E4:q D4:h", "G4:q A4:q A4:q G4:q", "G4:q F#4:q D4:h"])},
         {"name": "Tenor", "clefs": ["F"], "bars": one_voice([
             "B3:q D4:q D4:q B3:q", "B3:q A3:q G3:h", "D4:q E4:q D4:q D4:q", "E4:q D4:q B3:h"])},
         {"name": "Bass", "clefs": ["F"], "bars": one_voice([
             "G3:q D3:q G2:q G3:q", "G3:q A3:q G3:h", "G3:q A3:q B3:q G3:q", "C3:q D3:q G2:h"])}]},
    {"name": "triplets", "title": "Triplets", "composer": "Velmorant", "key": 0, "time": (2, 4),
     "parts": [{"name": "Clarinet", "clefs": ["G"], "bars": one_voice([
         "C5:te D5:te E5:te F5:q", "G5:te F5:te E5:te D5:te C5:te B4:te", "C5:q E5:te D5:te C5:te",
         "G4:h", "A4:e B4:e C5:te D5:te E5:te", "F5:te E5:te D5:te C5:q", "B4:te C5:te D5:te G4:q",
         "C5:h"])}]},
    {"name": "ties", "title": "Ties", "composer": "Velmorant", "key": -2, "time": (4, 4),
     "parts": [{"name": "Violin", "clefs": ["G"], "bars": one_voice([
         "Bb4:h D5:h~", "D5:q C5:q Bb4:q A4:q~", "A4:h G4:h", "F4:q G4:q~ G4:e A4:e Bb4:q~",
         "Bb4:w~", "Bb4:h C5:q D5:q", "Eb5:h~ Eb5:q D5:q", "Bb4:w"])}]},
    {"name": "voices", "title": "Two Voices", "composer": "Velmorant", "key": 0, "time": (4, 4),
     "parts": [{"name": "Guitar", "clefs": ["G"], "bars": [
         [["E5:q D5:q C5:q D5:q", "C4:h G4:h"]],
         [["E5:q E5:q E5:h", "A4:h E4:h"]],
         [["D5:q D5:q D5:h", "G4:w"]],
         [["E5:q G5:q G5:h", "C4:q E4:q G4:h"]],
         [["F5:e E5:e D5:e C5:e B4:h", "A4:h G4:h"]],
         [["C5:w", "E4:w"]]]}]},
    {"name": "changes", "title": "Changing Keys and Times", "composer": "Velmorant", "key": 0, "time": (4, 4),
     "changes": {2: {"key": 3}, 4: {"time": (3, 4)}, 6: {"key": -3, "time": (6, 8)}},
     "parts": [{"name": "Trumpet", "clefs": ["G"], "bars": one_voice([
         "C5:q E5:q G5:q E5:q", "F5:h D5:h", "A4:q C#5:q E5:q A5:q", "G#5:h A5:h",
         "E5:q C#5:q A4:q", "B4:h.", "Eb5:e D5:e C5:e Bb4:q.", "Ab4:q. C5:q."])}]},
    {"name": "lyrics", "title": "A Song", "composer": "Velmorant", "key": 0, "time": (3, 4),
     "parts": [{"name": "Voice", "clefs": ["G"], "bars": one_voice([
         "E4:q/Sing G4:q/a C5:q/song", "B4:h/of A4:q/the", "G4:q/morn E4:q/ing F4:q/light",
         "G4:h./now", "A4:q/the B4:q/sun C5:q/is", "D5:h/ris B4:q/ing", "C5:q/o G4:q/ver E4:q/the",
         "C4:h./hill"])}]},
]


def score_named(name):
    for score in SCORES:
        if score["name"] == name:
            return score
    raise KeyError(name)


def total_length(score):
    """The score's length in quarters (a check for the tests)."""
    return Fraction(sum(voice_length(bar[0][0]) for bar in score["parts"][0]["bars"]), DIVISIONS)
