"""Shared helpers of the outside checks of exported MusicXML files: which files
to check, how to fail, and what a score holds (parts, measures, notes, rests
and pitches) as read from our MusicXML and from MuseScore's .mscx."""

import os
import sys
import xml.etree.ElementTree as ET
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

    def pitches(self) -> List[int]:
        return sorted(p for p in self.notes if p is not None)


@dataclass
class Part:
    name: str
    measures: List[Measure] = field(default_factory=list)


_STEP_SEMITONES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def _text(element, path: str, default: str = "") -> str:
    found = element.find(path)
    return found.text.strip() if found is not None and found.text else default


def _number(element, path: str, default: float = 0) -> float:
    text = _text(element, path)
    return float(text) if text else default


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
        for measure_element in part_element.findall("measure"):
            measure = Measure()
            for child in measure_element:
                if child.tag == "attributes" and child.find("transpose") is not None:
                    transpose = int(_number(child, "transpose/chromatic")
                                    + 12 * _number(child, "transpose/octave-change"))
                elif child.tag == "note":
                    if child.find("rest") is not None:
                        if child.get("print-object") != "no":
                            measure.rests += 1
                    elif child.find("pitch") is not None:
                        pitch = child.find("pitch")
                        midi = (12 * (int(_number(pitch, "octave")) + 1)
                                + _STEP_SEMITONES[_text(pitch, "step")]
                                + round(_number(pitch, "alter")))
                        measure.notes.append(midi + transpose)
                    else:
                        measure.notes.append(None)
            part.measures.append(measure)
        parts.append(part)
    return parts


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
        for staff in staves[next_staff:next_staff + count]:
            for index, measure_element in enumerate(staff.findall("Measure")):
                if index == len(part.measures):
                    part.measures.append(Measure())
                _add_mscx_measure(part.measures[index], measure_element)
        next_staff += count
        parts.append(part)
    return parts


def _add_mscx_measure(measure: Measure, element) -> None:
    for voice in element.findall("voice"):
        for child in voice:
            if child.tag == "Chord":
                for note in child.findall("Note"):
                    measure.notes.append(int(_text(note, "pitch", "0")))
            elif child.tag == "Rest" and _text(child, "visible", "1") != "0":
                # Only shown rests count: MuseScore fills a <forward> gap
                # with a hidden rest, and hides a rest we do not print.
                measure.rests += 1
