#!/usr/bin/env python3
"""Validates exported MusicXML files against the MusicXML 1.0 DTD with xmllint,
and checks the values the DTD describes in its comments but leaves as text.

The DTD files are reached through an XML catalog written into the work folder
at each run (they are never copied): the public identifier and the published
location of the partwise DTD both lead to the shared DTD folder, and --nonet
keeps xmllint off the network, so a document whose DTD is not found fails.

usage: check_musicxml_dtd.py --dtd-dir DIR --work DIR [--expect-invalid DIR] FILE_OR_FOLDER...
"""

import argparse
import os
import re
import shutil
import subprocess
import time
import xml.etree.ElementTree as ET
from pathlib import Path
from typing import List

from musicxml_files import CheckFailed, collect_files, run_main

PUBLIC_ID = "-//Recordare//DTD MusicXML 1.0 Partwise//EN"
SYSTEM_ID = "http://www.musicxml.org/dtds/partwise.dtd"
DOCTYPE = re.compile(r'<!DOCTYPE\s+score-partwise\s+PUBLIC\s+"([^"]*)"\s+"([^"]*)"\s*>')


def write_catalog(dtd_dir: Path, work: Path) -> Path:
    if not (dtd_dir / "partwise.dtd").is_file():
        raise CheckFailed(
            f"the MusicXML 1.0 DTD is missing: no partwise.dtd in {dtd_dir}. "
            "The shared folder (shared/musicxml-1.0) must sit beside the repository's folder.")
    folder = dtd_dir.resolve().as_uri() + "/"
    work.mkdir(parents=True, exist_ok=True)
    catalog = work / "musicxml-catalog.xml"
    catalog.write_text(
        '<?xml version="1.0"?>\n'
        '<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog">\n'
        f'  <public publicId="{PUBLIC_ID}" uri="{folder}partwise.dtd"/>\n'
        f'  <rewriteSystem systemIdStartString="http://www.musicxml.org/dtds/" rewritePrefix="{folder}"/>\n'
        '</catalog>\n', encoding="utf-8")
    return catalog


# Values the DTD's own comments give a form that it cannot check itself (it
# declares them all as text).
_NUMBER = r"-?\d+(\.\d+)?"
_POSITIVE = r"0*[1-9]\d*(\.\d+)?|0*\.\d*[1-9]\d*"
_NOTE_TYPES = "256th|128th|64th|32nd|16th|eighth|quarter|half|whole|breve|long"
VALUE_FORMS = {
    "encoding-date": r"\d{4}-\d{2}-\d{2}",  # yyyy-mm-dd, ISO 8601
    "step": "[A-G]", "root-step": "[A-G]", "bass-step": "[A-G]",
    "alter": _NUMBER, "root-alter": _NUMBER, "bass-alter": _NUMBER,
    "octave": "[0-9]",
    "duration": _POSITIVE, "divisions": _POSITIVE,
    "fifths": r"-?\d+",
    "type": _NOTE_TYPES, "normal-type": _NOTE_TYPES,
    "accidental": "sharp|natural|flat|double-sharp|sharp-sharp|flat-flat|natural-sharp|"
                  "natural-flat|quarter-flat|quarter-sharp|three-quarters-flat|three-quarters-sharp",
    "stem": "down|up|none|double",
    "notehead": "slash|triangle|diamond|square|cross|x|circle-x|normal|none",
    "sign": "G|F|C|percussion|TAB|none",
    "bar-style": "regular|dotted|heavy|light-light|light-heavy|heavy-light|heavy-heavy|none",
    "mode": "major|minor|dorian|phrygian|lydian|mixolydian|aeolian|ionian|locrian",
    "syllabic": "single|begin|end|middle",
    "kind": "major|minor|augmented|diminished|dominant|major-seventh|minor-seventh|"
            "diminished-seventh|half-diminished|major-minor|major-sixth|minor-sixth|"
            "dominant-ninth|major-ninth|minor-ninth|dominant-11th|major-11th|minor-11th|"
            "dominant-13th|major-13th|minor-13th|suspended-second|suspended-fourth|"
            "Neopolitan|Italian|French|German|pedal|Tristan|other|none",
}


def value_problems(document: str) -> List[str]:
    """Elements whose text is not of the form the DTD's comments give it."""
    problems = []
    try:
        root = ET.fromstring(document)
    except ET.ParseError as error:
        return [f"not well-formed: {error}"]
    for element in root.iter():
        form = VALUE_FORMS.get(element.tag)
        value = (element.text or "").strip()
        if form and not re.fullmatch(form, value):
            problems.append(f'<{element.tag}> holds "{value}", which is not of the form {form}')
    return sorted(set(problems))


def doctype_problem(path: str) -> str:
    """Why the document type declaration is not the MusicXML 1.0 partwise one
    (empty when it is)."""
    with open(path, "rb") as stream:
        head = stream.read(4096).decode("utf-8", errors="replace")
    match = DOCTYPE.search(head)
    if not match:
        return "no <!DOCTYPE score-partwise PUBLIC ...> declaration near the top"
    if match.group(1) != PUBLIC_ID or match.group(2) != SYSTEM_ID:
        return f'document type is "{match.group(1)}" "{match.group(2)}", not "{PUBLIC_ID}" "{SYSTEM_ID}"'
    return ""


def validate(xmllint: str, catalog: Path, path: str) -> str:
    """xmllint's complaints about one file (empty when it is valid)."""
    problem = doctype_problem(path)
    if problem:
        return problem
    environment = dict(os.environ, XML_CATALOG_FILES=str(catalog))
    environment.pop("XML_DEBUG_CATALOG", None)
    # The document comes back with its entities expanded and without its
    # document type, ready for the value check.
    result = subprocess.run([xmllint, "--valid", "--nonet", "--noent", "--dropdtd", path],
                            env=environment, capture_output=True, timeout=120)
    if result.returncode != 0:
        return (result.stderr.decode(errors="replace").strip()
                or f"xmllint ended with status {result.returncode}")
    return "\n".join(value_problems(result.stdout.decode("utf-8")))


def check() -> bool:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dtd-dir", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--expect-invalid", action="append", default=[],
                        help="a folder of documents the check must reject (it proves the check bites)")
    parser.add_argument("paths", nargs="+")
    arguments = parser.parse_args()

    xmllint = shutil.which("xmllint")
    if not xmllint:
        raise CheckFailed("xmllint not found: run tools/setup.sh (Debian package libxml2-utils)")
    catalog = write_catalog(arguments.dtd_dir, arguments.work)
    started = time.monotonic()
    ok = True
    files = collect_files(arguments.paths)
    for path in files:
        complaint = validate(xmllint, catalog, path)
        if complaint:
            ok = False
            print(f"INVALID {path}:\n{complaint}\n")
        else:
            print(f"valid   {path}")
    rejects = collect_files(arguments.expect_invalid)
    for path in rejects:
        complaint = validate(xmllint, catalog, path)
        if complaint:
            print(f"rejected as it should be: {path}: {complaint.splitlines()[0]}")
        else:
            ok = False
            print(f"ACCEPTED, but must be rejected: {path}")
    print(f"{len(files)} file(s) and {len(rejects)} faulty one(s) checked "
          f"in {time.monotonic() - started:.1f} s")
    return ok


if __name__ == "__main__":
    run_main(check)
