#!/usr/bin/env python3
"""Compiles the text-character definitions into the "TextChrs" data file.

usage: make_textchars.py DEFINITIONS OUTPUT      writes OUTPUT
       make_textchars.py --check DEFINITIONS FILE  makes it again and compares

The definitions are text, one block per character and one line per
component (see README.md). The file is a little-endian i32 count followed by
one 780-byte record per character, written field by field.
"""
import struct
import sys

RECORD_BYTES = 780
COMPONENT_BYTES = 76
COMPONENT_SLOTS = 10
MAX_COMPONENTS = 8
EDGES = "TBLR"  # the order of the edge groups in a component
POLICIES = {"need": 0, "veto": 1, "opt": 2}


class DefinitionError(Exception):
    pass


def pair(text, lo=0, hi=255):
    parts = text.split("-")
    if len(parts) != 2:
        raise DefinitionError("expected FROM-TO, got %r" % text)
    a, b = int(parts[0]), int(parts[1])
    if not (lo <= a <= hi and lo <= b <= hi):
        raise DefinitionError("%r outside %d..%d" % (text, lo, hi))
    return a, b


def box(text, end=16):
    xs, ys = text.split(",")
    return pair(xs, 0, end) + pair(ys, 0, end)


def ratio(text):
    num, den = text.split("/")
    return int(num), int(den)


def component(tokens):
    c = {"ink": None, "policy": 0, "seed": None, "trace": (0, 16, 0, 16), "min": (0, 0), "modes": 0,
         "centre": (0, 17, 0, 17)}
    edges = {e: {"closed": (0, 100), "soft": None, "open": (0, 255), "osoft": None, "slope": 0, "bridge": False}
             for e in EDGES}
    for tok in tokens:
        if tok in ("ink", "paper"):
            c["ink"] = tok == "ink"
        elif tok in POLICIES:
            c["policy"] = POLICIES[tok]
        elif "=" in tok:
            key, value = tok.split("=", 1)
            if key in ("seed", "trace"):
                c[key] = box(value)
            elif key == "centre":  # the ends are exclusive: 17 takes in the box's last sixteenth
                c[key] = box(value, 17)
            elif key == "min":
                w, h = value.split(",")
                c["min"] = (int(w), int(h))
            elif key == "modes":
                rows, cols = value.split(",")
                c["modes"] = (int(rows) & 3) | (int(cols) & 3) << 2
            elif key[0] in EDGES and key[1:] in ("", "~", "o", "o~", "s"):
                e, what = edges[key[0]], key[1:]
                if what == "":
                    e["closed"] = pair(value, 0, 100)
                elif what == "~":
                    e["soft"] = pair(value, 0, 100)
                elif what == "o":
                    e["open"] = pair(value)
                elif what == "o~":
                    e["osoft"] = pair(value)
                else:
                    e["slope"] = int(value)
                    if not 0 <= e["slope"] <= 4:
                        raise DefinitionError("slope class %r" % value)
            else:
                raise DefinitionError("unknown setting %r" % tok)
        elif len(tok) == 2 and tok[0] in EDGES and tok[1] == "+":
            edges[tok[0]]["bridge"] = True
        else:
            raise DefinitionError("unknown word %r" % tok)
    if c["ink"] is None or c["seed"] is None:
        raise DefinitionError("a component needs ink or paper and a seed box")
    out = bytearray(COMPONENT_BYTES)
    out[0:4] = bytes(c["seed"])
    out[4:8] = bytes(c["trace"])
    out[12], out[13] = c["min"]
    out[16] = c["modes"]
    out[20:24] = bytes(c["centre"])
    for i, name in enumerate(EDGES):
        e = edges[name]
        soft = e["soft"] or e["closed"]
        osoft = e["osoft"] or e["open"]
        base = 24 + 12 * i
        out[base:base + 8] = bytes(e["closed"] + soft + e["open"] + osoft)
        out[base + 8] = e["slope"] | (8 if e["bridge"] else 0)
    out[72:76] = struct.pack("<I", (1 if c["ink"] else 0) | c["policy"] << 1)
    return bytes(out)


def record(header, components):
    fields = {"aspect": None, "priority": 0, "firstpass": 0}
    words = header[2:]
    i = 0
    while i < len(words):
        key = words[i]
        if key == "aspect":
            fields["aspect"] = (ratio(words[i + 1]), ratio(words[i + 2]))
            i += 3
        elif key in ("priority", "firstpass"):
            fields[key] = int(words[i + 1])
            i += 2
        else:
            raise DefinitionError("unknown character setting %r" % key)
    char = header[1]
    if len(char) != 1:
        raise DefinitionError("a character is one letter, got %r" % char)
    if not 1 <= len(components) <= MAX_COMPONENTS:
        raise DefinitionError("%r has %d components (1 to %d)" % (char, len(components), MAX_COMPONENTS))
    out = bytearray(RECORD_BYTES)
    out[0] = ord(char)
    for k, comp in enumerate(components):
        out[8 + COMPONENT_BYTES * k:8 + COMPONENT_BYTES * (k + 1)] = comp
    out[768] = fields["priority"]
    out[769] = len(components)
    (lo, hi) = fields["aspect"] or ((0, 0), (0, 0))
    out[772:776] = bytes(lo + hi)
    out[776:780] = struct.pack("<I", fields["firstpass"])
    return bytes(out)


def compile_definitions(text):
    records, header, components = [], None, []
    for number, line in enumerate(text.splitlines(), 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        try:
            if words[0] == "char":
                if header:
                    records.append(record(header, components))
                header, components = words, []
            elif header is None:
                raise DefinitionError("a component before the first character")
            else:
                components.append(component(words))
        except (DefinitionError, ValueError, IndexError) as error:
            raise SystemExit("line %d: %s" % (number, error))
    if header:
        records.append(record(header, components))
    return struct.pack("<i", len(records)) + b"".join(records)


def main(argv):
    if len(argv) == 4 and argv[1] == "--check":
        with open(argv[2]) as f:
            made = compile_definitions(f.read())
        with open(argv[3], "rb") as f:
            shipped = f.read()
        if made != shipped:
            sys.stderr.write("%s is not what %s makes; run tools/textchars/make_textchars.py\n" % (argv[3], argv[2]))
            return 1
        return 0
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1]) as f:
        made = compile_definitions(f.read())
    with open(argv[2], "wb") as f:
        f.write(made)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
