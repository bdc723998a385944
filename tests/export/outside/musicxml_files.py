"""Shared helpers of the outside checks of exported MusicXML files: which files
to check, how to fail, and what a score holds (parts, measures, notes, rests,
pitches and the signs around them) as read from our MusicXML and from
MuseScore's .mscx."""

import os
import sys
import xml.etree.ElementTree as ET
from collections import Counter
from fractions import Fraction
from dataclasses import dataclass, field
from typing import List, Optional


class CheckFailed(Exception):
    """A check cannot go on; its message says why."""


def collect_files(paths: List[str]) -> List[str]:
    """Every *.xml file of the given folders (sorted), and the given files.
    A missing folder or file is an error: a check that silently finds
    nothing would pass without checking."""
    files = []
    for path in paths:
        if os.path.isdir(path):
            found = sorted(os.path.join(path, name) for name in os.listdir(path)
                           if name.endswith(".xml"))
            if not found:
                raise CheckFailed(f"no MusicXML files (*.xml) in {path}")
            files.extend(found)
        elif os.path.isfile(path):
            files.append(path)
        else:
            raise CheckFailed(f"{path} does not exist, so nothing there can be checked")
    return files


def run_main(check) -> None:
    """Runs a check; a CheckFailed ends the program with status 1 and its
    message, so that ctest shows why."""
    try:
        ok = check()
    except CheckFailed as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
    sys.exit(0 if ok else 1)


# --- What a score holds -------------------------------------------------------

@dataclass
class Measure:
    notes: List[Optional[int]] = field(default_factory=list)  # MIDI pitch; None when unpitched
    rests: int = 0  # shown rests only
    # What else a reader must find in the measure, each as a tuple that names
    # it: ("clef", staff, name), ("key", fifths), ("time", "3/4"),
    # ("lyric", text), ("text", words, at), ("dynamic", name, at), ("chord symbol", at),
    # ("tie",), ("slur",), ("hairpin", at), ("ending",), ("repeat", "forward"|"backward"),
    # where at is the time in the measure (a fraction of a whole note, as text)
    # at which the sign stands.
    signs: Counter = field(default_factory=Counter)

    def pitches(self) -> List[int]:
        return sorted(p for p in self.notes if p is not None)


@dataclass
class Part:
    name: str
    measures: List[Measure] = field(default_factory=list)


class _Changes:
    """Clefs, keys and times are compared as changes: a reader writes them
    once per staff, or not at all where they say what was already in force
    (MuseScore writes no key at the start of a piece in C major and assumes a
    treble clef before the first one)."""

    def __init__(self):
        self.in_force = {}

    def note(self, measure: Measure, sign: tuple) -> None:
        kind, value = sign[:-1], sign[-1]
        default = {"key": "0", "clef": "G"}.get(kind[0])
        if self.in_force.get(kind, default) != value:
            self.in_force[kind] = value
            measure.signs[sign] += 1


_STEP_SEMITONES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}

# Our clefs (sign, line, octave change) by the names MuseScore 3 gives them.
# MuseScore has no treble clef two octaves down and no octave C clefs: it
# reads them as the plain clef (and says so among its remarks).
_MUSESCORE_CLEFS = {
    ("G", "2", 0): "G", ("G", "2", -1): "G8vb", ("G", "2", 1): "G8va",
    ("G", "2", 2): "G15ma", ("G", "2", -2): "G", ("G", "1", 0): "G1",
    ("F", "4", 0): "F", ("F", "4", -1): "F8vb", ("F", "4", 1): "F8va",
    ("F", "4", -2): "F15mb", ("F", "4", 2): "F15ma", ("F", "3", 0): "F3", ("F", "5", 0): "F5",
    **{("C", str(line), change): f"C{line}" for line in range(1, 6) for change in (-1, 0, 1)},
}
_DEFAULT_CLEF_LINES = {"G": "2", "F": "4", "C": "3"}


def _text(element, path: str, default: str = "") -> str:
    found = element.find(path)
    return found.text.strip() if found is not None and found.text else default


def _number(element, path: str, default: float = 0) -> float:
    text = _text(element, path)
    return float(text) if text else default


def _clef_name(clef) -> Optional[str]:
    sign = _text(clef, "sign")
    if sign in ("percussion", "TAB"):
        return {"percussion": "PERC", "TAB": "TAB"}[sign]
    line = _text(clef, "line", _DEFAULT_CLEF_LINES.get(sign, ""))
    return _MUSESCORE_CLEFS.get((sign, line, int(_number(clef, "clef-octave-change"))))


def read_musicxml(path: str) -> List[Part]:
    """The parts of a partwise MusicXML file with the concert pitch of every
    note (written pitch plus the part's <transpose>, as a reader plays it)."""
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as error:
        raise CheckFailed(f"{path}: not well-formed XML: {error}")
    if root.tag != "score-partwise":
        raise CheckFailed(f"{path}: root element is <{root.tag}>, not <score-partwise>")
    names = {}
    for score_part in root.iterfind("part-list/score-part"):
        names[score_part.get("id")] = _text(score_part, "part-name")
    parts = []
    for part_element in root.findall("part"):
        part = Part(names.get(part_element.get("id"), part_element.get("id", "?")))
        transpose = 0
        divisions = 1
        changes = _Changes()
        for measure_element in part_element.findall("measure"):
            measure = Measure()
            time = 0  # divisions from the measure start, as a reader counts them
            for child in measure_element:
                at = _at(Fraction(time, 4 * divisions))
                if child.tag == "attributes":
                    transpose = _read_attributes(child, measure, changes, transpose)
                    divisions = int(_number(child, "divisions", divisions)) or 1
                elif child.tag == "note":
                    _read_note(child, measure, transpose)
                    if child.find("chord") is None and child.find("grace") is None:
                        time += int(_number(child, "duration"))
                elif child.tag == "backup":
                    time -= int(_number(child, "duration"))
                elif child.tag == "forward":
                    time += int(_number(child, "duration"))
                elif child.tag == "direction":
                    _read_direction(child, measure, at)
                elif child.tag == "harmony":
                    measure.signs[("chord symbol", at)] += 1
                elif child.tag == "barline":
                    for repeat in child.iterfind("repeat"):
                        # MuseScore 3 takes a heavy-heavy bar as a plain
                        # double heavy bar line and drops its backward repeat
                        # (it reads one only with the light-heavy style or
                        # none); our double repeat ends its left half so.
                        if (repeat.get("direction") == "backward"
                                and _text(child, "bar-style") == "heavy-heavy"):
                            continue
                        measure.signs[("repeat", repeat.get("direction"))] += 1
                    for ending in child.iterfind("ending[@type='start']"):
                        measure.signs[("ending",)] += 1
            part.measures.append(measure)
        parts.append(part)
    return parts


def _read_attributes(attributes, measure: Measure, changes: _Changes, transpose: int) -> int:
    """Notes the signs of an <attributes>; returns the transposition in force."""
    for key in attributes.iterfind("key"):
        changes.note(measure, ("key", _text(key, "fifths", "0")))
    for time in attributes.iterfind("time"):
        changes.note(measure, ("time", f"{_text(time, 'beats')}/{_text(time, 'beat-type')}"))
    for clef in attributes.iterfind("clef"):
        name = _clef_name(clef)
        if name:
            changes.note(measure, ("clef", int(clef.get("number", "1")), name))
    if attributes.find("transpose") is not None:
        transpose = int(_number(attributes, "transpose/chromatic")
                        + 12 * _number(attributes, "transpose/octave-change"))
    return transpose


def _read_note(note, measure: Measure, transpose: int) -> None:
    if note.find("rest") is not None:
        if note.get("print-object") != "no":
            measure.rests += 1
    elif note.find("pitch") is not None:
        pitch = note.find("pitch")
        measure.notes.append(12 * (int(_number(pitch, "octave")) + 1)
                             + _STEP_SEMITONES[_text(pitch, "step")]
                             + round(_number(pitch, "alter")) + transpose)
    else:
        measure.notes.append(None)
    # A tie a reader shows needs <tied>; one written only as <tie> (sound) is
    # still counted, so that a reader that shows none disagrees.
    if (note.find("tie[@type='start']") is not None
            or note.find("notations/tied[@type='start']") is not None):
        measure.signs[("tie",)] += 1
    measure.signs[("slur",)] += len(note.findall("notations/slur[@type='start']"))
    for lyric in note.iterfind("lyric"):
        measure.signs[("lyric", "".join(lyric.find("text").itertext())
                       if lyric.find("text") is not None else "")] += 1
    _drop_zero(measure.signs)


def _at(time: Fraction) -> str:
    """A time in the measure as a sign names it: "@0", "@1/2" (of a whole note)."""
    return f"@{time}"


def _read_direction(direction, measure: Measure, at: str) -> None:
    for words in direction.iterfind("direction-type/*"):
        if words.tag in ("words", "rehearsal"):
            measure.signs[("text", "".join(words.itertext()).strip(), at)] += 1
    for dynamics in direction.iterfind("direction-type/dynamics"):
        for mark in dynamics:
            measure.signs[("dynamic", mark.tag, at)] += 1
    measure.signs[("hairpin", at)] += sum(
        1 for wedge in direction.iterfind("direction-type/wedge")
        if wedge.get("type") in ("crescendo", "diminuendo"))
    _drop_zero(measure.signs)


def _drop_zero(signs: Counter) -> None:
    for sign in [sign for sign, count in signs.items() if count == 0]:
        del signs[sign]


def read_mscx(path: str) -> List[Part]:
    """The parts of a MuseScore 3 .mscx file. A part with several staves
    (a piano part) is one part whose measures hold the notes of all its
    staves, as a MusicXML part does."""
    try:
        score = ET.parse(path).getroot().find("Score")
    except ET.ParseError as error:
        raise CheckFailed(f"{path}: MuseScore wrote no readable .mscx: {error}")
    if score is None:
        raise CheckFailed(f"{path}: no <Score> in MuseScore's output")
    staves = score.findall("Staff")
    parts = []
    next_staff = 0
    for part_element in score.findall("Part"):
        part = Part(_text(part_element, "trackName"))
        count = len(part_element.findall("Staff"))
        changes = _Changes()
        for staff_number, staff in enumerate(staves[next_staff:next_staff + count], start=1):
            for index, measure_element in enumerate(staff.findall("Measure")):
                if index == len(part.measures):
                    part.measures.append(Measure())
                _add_mscx_measure(part.measures[index], measure_element, staff_number, changes)
        next_staff += count
        parts.append(part)
    return parts


# What MuseScore makes of our <words> and <rehearsal>.
_MSCX_TEXTS = ("StaffText", "SystemText", "Tempo", "Expression", "RehearsalMark")
_MSCX_SPANNERS = {"Tie": "tie", "Slur": "slur", "Volta": "ending"}
_MSCX_LENGTHS = {"long": Fraction(4), "breve": Fraction(2), "whole": Fraction(1), "half": Fraction(1, 2),
                 "quarter": Fraction(1, 4), "eighth": Fraction(1, 8), "16th": Fraction(1, 16),
                 "32nd": Fraction(1, 32), "64th": Fraction(1, 64), "128th": Fraction(1, 128)}
_MSCX_GRACES = ("acciaccatura", "appoggiatura", "grace4", "grace16", "grace32",
                "grace8after", "grace16after", "grace32after")


def _mscx_length(element, tuplets: dict) -> Fraction:
    """How far a <Chord> or <Rest> moves its voice on: its written length,
    dotted, scaled by its tuplet; a grace chord takes no time."""
    if any(element.find(grace) is not None for grace in _MSCX_GRACES):
        return Fraction(0)
    kind = _text(element, "durationType")
    if kind == "measure":
        return Fraction(_text(element, "duration", "0"))
    base = _MSCX_LENGTHS.get(kind, Fraction(0))
    dots = int(_number(element, "dots"))
    length = base * (2 - Fraction(1, 2 ** dots))
    tuplet = tuplets.get(_text(element, "Tuplet"))
    return length * tuplet if tuplet else length


def _add_mscx_measure(measure: Measure, element, staff: int, changes: _Changes) -> None:
    if element.find("startRepeat") is not None:
        measure.signs[("repeat", "forward")] += 1
    if element.find("endRepeat") is not None:
        measure.signs[("repeat", "backward")] += 1
    # A spanner is written where it starts with its own element inside, and
    # again (empty) where it ends.
    for spanner in element.iter("Spanner"):
        kind = spanner.get("type")
        if kind in _MSCX_SPANNERS and spanner.find(kind) is not None:
            measure.signs[(_MSCX_SPANNERS[kind],)] += 1
    for voice in element.findall("voice"):
        time = Fraction(0)  # of a whole note from the measure start
        tuplets = {}
        for child in voice:
            at = _at(time)
            if child.tag in ("Chord", "Rest"):
                time += _mscx_length(child, tuplets)
            elif child.tag == "location":
                time += Fraction(_text(child, "fractions", "0"))
            elif child.tag == "Tuplet" and child.get("id") is not None:
                tuplets[child.get("id")] = Fraction(int(_number(child, "normalNotes", 1)),
                                                    int(_number(child, "actualNotes", 1)) or 1)
            elif child.tag == "Spanner" and child.get("type") == "HairPin" and child.find("HairPin") is not None:
                measure.signs[("hairpin", at)] += 1
            if child.tag == "Chord":
                for note in child.findall("Note"):
                    measure.notes.append(int(_text(note, "pitch", "0")))
                for lyric in child.findall("Lyrics"):
                    measure.signs[("lyric", "".join(lyric.find("text").itertext())
                                   if lyric.find("text") is not None else "")] += 1
            elif child.tag == "Rest" and _text(child, "visible", "1") != "0":
                # Only shown rests count: MuseScore fills a <forward> gap
                # with a hidden rest, and hides a rest we do not print.
                measure.rests += 1
            elif child.tag == "Clef":
                changes.note(measure, ("clef", staff, _text(child, "concertClefType")))
            # Every staff of a part repeats the part's key and time; the
            # first staff's stand for them.
            elif child.tag == "KeySig" and staff == 1:
                changes.note(measure, ("key", _text(child, "accidental", "0")))
            elif child.tag == "TimeSig" and staff == 1:
                changes.note(measure, ("time", f"{_text(child, 'sigN')}/{_text(child, 'sigD')}"))
            elif child.tag == "Dynamic":
                measure.signs[("dynamic", _text(child, "subtype"), at)] += 1
            elif child.tag == "Harmony":
                measure.signs[("chord symbol", at)] += 1
            elif child.tag in _MSCX_TEXTS and child.find("text") is not None:
                # Its text may carry formatting tags of its own.
                measure.signs[("text", "".join(child.find("text").itertext()).strip(), at)] += 1
