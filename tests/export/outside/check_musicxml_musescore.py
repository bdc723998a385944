#!/usr/bin/env python3
"""MuseScore 3 imports every exported MusicXML file and saves it as .mscx; the
parts, measures, notes, rests and pitches it reads, and the clefs, keys,
times, ties, slurs, lyrics, texts, chord symbols, dynamics, hairpins, endings
and repeats, must agree with what our file says; texts, chord symbols,
dynamics and hairpins also in the time at which they stand in the measure.

All files go to one MuseScore run through a job file (its start-up is most of
the cost). MuseScore runs headless (offscreen Qt platform) with a throw-away
home and XDG folders inside the work folder, so it writes no settings into
the user's home.

usage: check_musicxml_musescore.py --work DIR [--expect-mismatch DIR] FILE_OR_FOLDER...
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import time
from pathlib import Path
from dataclasses import dataclass, field
from typing import Dict, List, Tuple

from musicxml_files import CheckFailed, Part, collect_files, read_mscx, read_musicxml, run_main

MUSESCORE_NAMES = ("mscore3", "musescore3")
MUSESCORE_TIMEOUT = 600  # seconds for the whole batch
MOST_DIFFERENCES_SHOWN = 12


def headless_environment(work: Path) -> Dict[str, str]:
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for name, folder in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                         ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                         ("XDG_RUNTIME_DIR", "runtime")):
        path = work / "musescore-home" / folder
        path.mkdir(parents=True, exist_ok=True)
        environment[name] = str(path)
    os.chmod(environment["XDG_RUNTIME_DIR"], 0o700)
    return environment


# MuseScore's import complaints that say nothing against the file, each with
# the reason it is harmless.
HARMLESS_COMPLAINTS = (
    # <score-instrument> is optional in MusicXML 1.0; MuseScore then gives the
    # part its default instrument.
    "no instrument found for part",
)
# What MuseScore prints when it finds a fault in a file: the MusicXML schema
# it checks first, and its own reading (durations that do not add up, a
# backup past the measure start, a staff the part does not have, ...).
COMPLAINT = re.compile(r"Error at line|is not a valid MusicXML file")


@dataclass
class Conversion:
    mscx: Path
    messages: List[str] = field(default_factory=list)
    crashed: str = ""  # why MuseScore did not finish this file

    def remarks(self) -> List[str]:
        """MuseScore's other messages: no fault, but worth a look."""
        return [line for line in self.messages if not COMPLAINT.search(line)]

    def complaints(self) -> List[str]:
        return [line for line in self.messages if COMPLAINT.search(line)
                and not any(harmless in line for harmless in HARMLESS_COMPLAINTS)]


def find_musescore() -> str:
    musescore = next(filter(None, map(shutil.which, MUSESCORE_NAMES)), None)
    if not musescore:
        raise CheckFailed("MuseScore 3 (mscore3) not found: run tools/setup.sh (Debian package musescore3)")
    return musescore


def run_job(musescore: str, work: Path, jobs: List[dict], timeout: float) -> Tuple[int, str]:
    """One MuseScore run over a job file; its status and its output."""
    job_file = work / "musescore-job.json"
    job_file.write_text(json.dumps(jobs, indent=1), encoding="utf-8")
    try:
        result = subprocess.run([musescore, "-j", str(job_file)], env=headless_environment(work),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                text=True, errors="replace", timeout=timeout)
    except subprocess.TimeoutExpired:
        return -1, f"MuseScore did not finish in {timeout} s"
    return result.returncode, result.stdout


def file_messages(output: str) -> Dict[str, List[str]]:
    """MuseScore's messages by input file: each file's follow the line
    "convert <file>..."."""
    messages: Dict[str, List[str]] = {}
    current = None
    for line in output.splitlines():
        started = re.match(r"convert <(.*)>\.\.\.$", line)
        if started:
            current = messages.setdefault(started.group(1), [])
        elif current is not None and not re.match(r"\s*(to <.*>|\.\.\. success!)$", line):
            current.append(line.strip())
    return messages


def convert_all(files: List[str], work: Path, label: str) -> Dict[str, Conversion]:
    """Runs MuseScore once over every file. When that run fails, each file is
    run alone, so that the one MuseScore cannot read is named and the others
    are still checked."""
    musescore = find_musescore()
    out_folder = work / f"mscx-{label}"
    if out_folder.exists():
        shutil.rmtree(out_folder)
    out_folder.mkdir(parents=True)
    conversions = {}
    jobs = []
    file_of_input = {}
    for index, path in enumerate(files):
        conversions[path] = Conversion(out_folder / f"{index:03d}-{Path(path).stem}.mscx")
        jobs.append({"in": str(Path(path).resolve()), "out": str(conversions[path].mscx)})
        file_of_input[jobs[-1]["in"]] = path

    started = time.monotonic()
    status, output = run_job(musescore, work, jobs, MUSESCORE_TIMEOUT)
    runs = [(jobs, status, output)]
    if status != 0 and len(jobs) > 1:
        print(f"MuseScore failed over the whole batch (status {status}); each file alone:")
        runs = [([job], *run_job(musescore, work, [job], MUSESCORE_TIMEOUT / 4)) for job in jobs]
    for run_jobs, run_status, run_output in runs:
        messages = file_messages(run_output)
        for job in run_jobs:
            path = file_of_input[job["in"]]
            conversions[path].messages = messages.get(job["in"], [])
            if run_status != 0:
                conversions[path].crashed = (f"MuseScore ended with status {run_status}:\n"
                                             + run_output.strip())
    print(f"MuseScore read {len(files)} {label} file(s) in {len(runs)} run(s), "
          f"{time.monotonic() - started:.1f} s")
    return conversions


def describe(sign: tuple) -> str:
    if sign[0] == "clef":
        return f"clef {sign[2]} on staff {sign[1]}"
    if sign[0] == "lyric":
        return f'{sign[0]} "{sign[1]}"'
    if sign[0] == "text":
        return f'{sign[0]} "{sign[1]}" {sign[2]}'
    return " ".join(map(str, sign))


def differences(ours: List[Part], theirs: List[Part]) -> List[str]:
    found = []
    if len(ours) != len(theirs):
        found.append(f"{len(ours)} part(s) exported, MuseScore reads {len(theirs)}")
    for number, (part, read) in enumerate(zip(ours, theirs), start=1):
        where = f'part {number} "{part.name}"'
        if len(part.measures) != len(read.measures):
            found.append(f"{where}: {len(part.measures)} measure(s) exported, "
                         f"MuseScore reads {len(read.measures)}")
        for index, (measure, other) in enumerate(zip(part.measures, read.measures), start=1):
            at = f"{where}, measure {index}"
            if len(measure.notes) != len(other.notes):
                found.append(f"{at}: {len(measure.notes)} note(s) exported, MuseScore reads {len(other.notes)}")
            elif None not in measure.notes and measure.pitches() != other.pitches():
                found.append(f"{at}: pitches {measure.pitches()} exported, MuseScore reads {other.pitches()}")
            if measure.rests != other.rests:
                found.append(f"{at}: {measure.rests} rest(s) exported, MuseScore reads {other.rests}")
            for sign in sorted(set(measure.signs) | set(other.signs), key=str):
                if measure.signs[sign] != other.signs[sign]:
                    found.append(f"{at}: {describe(sign)}: {measure.signs[sign]} exported, "
                                 f"MuseScore reads {other.signs[sign]}")
    return found


def summary(parts: List[Part]) -> str:
    measures = ", ".join(str(len(part.measures)) for part in parts)
    notes = sum(len(m.notes) for part in parts for m in part.measures)
    rests = sum(m.rests for part in parts for m in part.measures)
    return f"{len(parts)} part(s), measures {measures}, {notes} note(s), {rests} rest(s)"


def verdict(path: str, conversion: Conversion) -> List[str]:
    """What is wrong with MuseScore's reading of one file (empty when it
    agrees with the file)."""
    if conversion.crashed:
        return [conversion.crashed]
    if not conversion.mscx.is_file():
        return [f"MuseScore wrote no {conversion.mscx.name}"]
    found = [f"MuseScore: {line}" for line in conversion.complaints()]
    try:
        return found + differences(read_musicxml(path), read_mscx(str(conversion.mscx)))
    except (CheckFailed, KeyError, ValueError) as error:
        return found + [f"cannot be compared: {error!r}"]


def check() -> bool:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--expect-mismatch", action="append", default=[],
                        help="a folder of documents MuseScore must read differently (it proves the check bites)")
    parser.add_argument("paths", nargs="+")
    arguments = parser.parse_args()

    files = collect_files(arguments.paths)
    mismatches = collect_files(arguments.expect_mismatch)
    arguments.work.mkdir(parents=True, exist_ok=True)
    ok = True
    for path, conversion in convert_all(files, arguments.work, "exported").items():
        found = verdict(path, conversion)
        if found:
            ok = False
            shown = found[:MOST_DIFFERENCES_SHOWN]
            more = len(found) - len(shown)
            print(f"DISAGREES {path}:\n  " + "\n  ".join(shown)
                  + (f"\n  ... and {more} more" if more > 0 else "") + "\n")
        else:
            print(f"agrees    {path}: {summary(read_musicxml(path))}")
            for line in conversion.remarks():
                print(f"  MuseScore remarks: {line}")
    if mismatches:
        for path, conversion in convert_all(mismatches, arguments.work, "faulty").items():
            found = verdict(path, conversion)
            if found:
                print(f"differs as it should: {path}: {found[0].splitlines()[0]}")
            else:
                ok = False
                print(f"AGREES, but MuseScore must read it differently: {path}")
    return ok


if __name__ == "__main__":
    run_main(check)
