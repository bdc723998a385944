#!/usr/bin/env python3
"""Makes the instrument and section name lists from resources/data/instrument-names.txt.

    make_instrument_names.py SOURCE OUTPUT_FOLDER          writes the six lists
    make_instrument_names.py --check SOURCE LIST_FOLDER    compares them with the lists there

Lists: "instrtext", "instrtextD", "instrtextI" (instruments in English, German,
Italian) and "insttypetext", "insttypetextD", "insttypetextI" (their sections).

An instrument list is a run of Latin-1 strings, one row per instrument, rows
in the same order in all three languages:

    name NUL  short-form NUL  [3 after the last row of a section]  1 program

and a final 0. The byte after 1 is the General MIDI program (1..128), or 255
for unpitched percussion on the drum channel. A section list is the nine
section names, each NUL-ended, and a final 0.

Both ways of reading these lists work on this layout: a reader that takes the
entries as names and runs on after each name to the byte 1 and the byte after
it sees one entry per row (the short form and the section end lie before the
1); a reader that takes every NUL-ended string in turn, skips 1 or 2 with the
byte after it, ends a section at 3 and the list at 0 sees name and short form
of each row, grouped in nine sections.
"""

import os
import sys

LANGUAGES = ("", "D", "I")
SECTION_COUNT = 9
MAX_NAME = 31
DRUMS = 255


class SourceError(Exception):
    pass


def encode(text, where):
    try:
        data = text.encode("latin-1")
    except UnicodeEncodeError:
        raise SourceError(f"{where}: {text!r} is not Latin-1")
    if any(b < 32 or 0x7F <= b < 0xA0 for b in data):
        raise SourceError(f"{where}: {text!r} holds a control character")
    if not data or len(data) > MAX_NAME:
        raise SourceError(f"{where}: {text!r} must have 1 to {MAX_NAME} characters")
    return data


def parse(path):
    sections = []  # (names[3], rows); a row is (program, [(name, short)] * 3)
    with open(path, encoding="utf-8") as source:
        for number, line in enumerate(source, 1):
            where = f"{os.path.basename(path)}:{number}"
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                if not line.endswith("]"):
                    raise SourceError(f"{where}: a section line ends with ]")
                names = [n.strip() for n in line[1:-1].split("|")]
                if len(names) != 3:
                    raise SourceError(f"{where}: a section has three names")
                sections.append(([encode(n, where) for n in names], []))
                continue
            if not sections:
                raise SourceError(f"{where}: an instrument before the first section")
            fields = [f.strip() for f in line.split("|")]
            if len(fields) != 4:
                raise SourceError(f"{where}: program and three names expected")
            if fields[0] == "drums":
                program = DRUMS
            elif fields[0].isdigit() and 1 <= int(fields[0]) <= 128:
                program = int(fields[0])
            else:
                raise SourceError(f"{where}: program 1..128 or drums expected")
            names = []
            for field in fields[1:]:
                parts = [p.strip() for p in field.split(" / ")]
                if len(parts) != 2:
                    raise SourceError(f"{where}: 'name / short form' expected in {field!r}")
                names.append((encode(parts[0], where), encode(parts[1], where)))
            sections[-1][1].append((program, names))
    check(sections)
    return sections


def check(sections):
    if len(sections) != SECTION_COUNT:
        raise SourceError(f"{SECTION_COUNT} sections expected, found {len(sections)}")
    owner = {}
    row = 0
    for names, rows in sections:
        if not rows:
            raise SourceError(f"section {names[0].decode('latin-1')} is empty")
        for _, languages in rows:
            for name, _ in languages:
                key = name.decode("latin-1").upper()
                if owner.setdefault(key, row) != row:
                    raise SourceError(f"{key} names two different instruments")
            row += 1


def instrument_list(sections, language):
    out = bytearray()
    for _, rows in sections:
        for index, (program, languages) in enumerate(rows):
            name, short = languages[language]
            out += name + b"\0" + short + b"\0"
            if index == len(rows) - 1:
                out.append(3)
            out += bytes((1, program))
    out.append(0)
    return bytes(out)


def section_list(sections, language):
    return b"".join(names[language] + b"\0" for names, _ in sections) + b"\0"


def make_lists(sections):
    lists = {}
    for index, suffix in enumerate(LANGUAGES):
        lists["instrtext" + suffix] = instrument_list(sections, index)
        lists["insttypetext" + suffix] = section_list(sections, index)
    return lists


def main(argv):
    check_only = len(argv) == 4 and argv[1] == "--check"
    if not check_only and len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    source, folder = argv[-2], argv[-1]
    try:
        lists = make_lists(parse(source))
    except (OSError, SourceError) as error:
        print(f"make_instrument_names: {error}", file=sys.stderr)
        return 1
    if check_only:
        stale = []
        for name, data in sorted(lists.items()):
            try:
                with open(os.path.join(folder, name), "rb") as shipped:
                    same = shipped.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(name)
        if stale:
            print("make_instrument_names: not made from the source: " + ", ".join(stale), file=sys.stderr)
            return 1
        print(f"make_instrument_names: {len(lists)} lists match the source")
        return 0
    os.makedirs(folder, exist_ok=True)
    for name, data in lists.items():
        with open(os.path.join(folder, name), "wb") as target:
            target.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
