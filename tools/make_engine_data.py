#!/usr/bin/env python3
"""Writes (and reads back) the recognition engine's data files.

Formats (integers little-endian, 32-bit signed):
  music    "Learned/fssOLD", "fssSTD": count, then 248-byte records
  notehead "Learned/nhOLD", "nhSTD": count, then 204-byte records
  text     "Learned/Text": 104-byte header, class records (112 bytes), main
           (244), fast (104) and very-fast (48) patterns
  langdata "Langs/<language>/langdata.txt": the five keyword sections
  sylngram "Langs/<language>/sylngram.bin": the 27-symbol trigram model
  dict     "User/dict.txt": words separated by white space

Sources are JSON (bytes as hexadecimal text; characters of the text files as
code-page bytes written \\u00XX). Each kind is written from its source and
read back into the same source, so that write(read(file)) == file.

usage:
  make_engine_data.py shipped OUTDIR [SETS]  the shipped reference sets: "fssOLD", "nhOLD" and
                                             "Text" from SETS/music.json, SETS/notehead.json and
                                             SETS/text.json (the reference makers' output), the
                                             others valid files
                                             with no entries (the language files and the user
                                             dictionary come from tools/make_language_data.py)
  make_engine_data.py write KIND SOURCE OUT  one file from a JSON source
  make_engine_data.py read KIND FILE         a file back to its JSON source (stdout)
  make_engine_data.py roundtrip SOURCEDIR    KIND.json of every kind in a folder: write, read,
                                             write again; fails on a missing source or unless
                                             bytes and source agree
"""
import json
import os
import struct
import sys
import tempfile

CHAR_TYPES = ["knownsymbols", "wordstart", "wordend", "wordmiddle", "mustbeword", "numberstart",
              "numberend", "numbermiddle", "mustbenumber", "wordseparator", "hyphenator",
              "styleindicator", "widthindicator", "couldbegraphic", "uppercase", "lowercase",
              "okbeforeword", "okafterword", "okbeforenumber", "okafternumber"]
PUNCTUATION_LISTS = ["beforeword", "afterword", "beforenumber", "afternumber"]
DICTIONARY_COSTS = ["tgramtowordfreq_len3", "tgramtowordfreq_len4", "tgramtowordfreq_per1",
                    "notindictcost", "wierdtgramcharcost", "ucifornonucicost", "blockcapscost",
                    "twoletterwordcost", "wordtoolongcost", "inuserdictcost", "wierdcost",
                    "wierdperlencost", "nodictwordcost", "nodictwordperlencost", "numbercost",
                    "numberperlencost", "numberperlensqcostx10", "wordseparatorcost",
                    "apostropheesscost", "knownpuncper1cost", "unknownpuncper1cost",
                    "badpuncper1cost"]
SYMBOLS = 27

# The character types of English: one source, tools/langdata/english.py
# (imported without leaving compiled files in the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "langdata"))
from english import TYPES as ENGLISH_TYPES  # noqa: E402


def i32(v):
    return struct.pack("<i", v)


def unhex(text, size):
    data = bytes.fromhex(text)
    if len(data) != size:
        raise ValueError("expected %d bytes, got %d" % (size, len(data)))
    return data


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, n):
        if self.at + n > len(self.data):
            raise ValueError("file ends early")
        chunk = self.data[self.at:self.at + n]
        self.at += n
        return chunk

    def int(self):
        return struct.unpack("<i", self.take(4))[0]

    def end(self):
        if self.at != len(self.data):
            raise ValueError("%d bytes after the last record" % (len(self.data) - self.at))


# ---- music and notehead references ----

def write_music(src):
    out = [i32(len(src["records"]))]
    for r in src["records"]:
        out += [i32(r["word0"]), i32(r["word1"]), unhex(r["label"], 32), i32(r["type"]),
                unhex(r["edgeRefs"], 180), unhex(r["extraRefs"], 8),
                i32(r["minWidth"]), i32(r["maxWidth"]), i32(r["minHeight"]), i32(r["maxHeight"])]
    return b"".join(out)


def read_music(data):
    rd = Reader(data)
    records = []
    for _ in range(rd.int()):
        r = {"word0": rd.int(), "word1": rd.int(), "label": rd.take(32).hex(), "type": rd.int(),
             "edgeRefs": rd.take(180).hex(), "extraRefs": rd.take(8).hex()}
        for k in ("minWidth", "maxWidth", "minHeight", "maxHeight"):
            r[k] = rd.int()
        records.append(r)
    rd.end()
    return {"records": records}


def write_notehead(src):
    out = [i32(len(src["records"]))]
    for r in src["records"]:
        out += [i32(r["headClass"]), i32(r["word1"]), i32(r["variant"])]
        out += [i32(w) for w in r["words3to5"]]
        out.append(unhex(r["edgeRefs"], 180))
    return b"".join(out)


def read_notehead(data):
    rd = Reader(data)
    records = []
    for _ in range(rd.int()):
        records.append({"headClass": rd.int(), "word1": rd.int(), "variant": rd.int(),
                        "words3to5": [rd.int() for _ in range(3)], "edgeRefs": rd.take(180).hex()})
    rd.end()
    return {"records": records}


# ---- text references ----

def padded_byte(v):
    return bytes([v]) + b"\0\0\0"


def write_text(src):
    h = src["header"]
    out = [i32(h["word0"]), i32(len(src["classes"])), i32(h["word2"]), i32(len(src["main"])),
           i32(len(src["fast"])), i32(len(src["veryFast"])), unhex(h["unused"], 80)]
    for c in src["classes"]:
        out += [padded_byte(c["character"])] + [i32(w) for w in c["data"]]
    for m in src["main"]:
        out += [i32(m["words"][0]), i32(m["words"][1]), padded_byte(m["character"])]
        out += [i32(w) for w in m["words"][2:]]
        out += [unhex(m["features"], 192), padded_byte(m["on"])]
    for kind, size in (("fast", 80), ("veryFast", 24)):
        for p in src[kind]:
            out += [i32(w) for w in p["words"]] + [unhex(p["features"], size), padded_byte(p["on"])]
    return b"".join(out)


def read_padded_byte(rd):
    v = rd.take(4)
    if v[1:] != b"\0\0\0":
        raise ValueError("padding bytes are not zero")
    return v[0]


def read_text(data):
    rd = Reader(data)
    word0, nc, word2, nm, nf, nv = (rd.int() for _ in range(6))
    src = {"header": {"word0": word0, "word2": word2, "unused": rd.take(80).hex()},
           "classes": [], "main": [], "fast": [], "veryFast": []}
    for _ in range(nc):
        src["classes"].append({"character": read_padded_byte(rd), "data": [rd.int() for _ in range(27)]})
    for _ in range(nm):
        w0, w1 = rd.int(), rd.int()
        ch = read_padded_byte(rd)
        words = [w0, w1] + [rd.int() for _ in range(9)]
        src["main"].append({"words": words, "character": ch, "features": rd.take(192).hex(),
                            "on": read_padded_byte(rd)})
    for kind, size, n in (("fast", 80, nf), ("veryFast", 24, nv)):
        for _ in range(n):
            src[kind].append({"words": [rd.int() for _ in range(5)], "features": rd.take(size).hex(),
                              "on": read_padded_byte(rd)})
    rd.end()
    return src


# ---- language data ----

def latin1(text):
    return text.encode("latin-1")


def write_langdata(src):
    lines = ["SymbolTypesStart"]
    lines += ["%s %s" % (t, src["types"][t]) for t in CHAR_TYPES]
    lines += ["SymbolTypesEnd", "PuncStringsStart"]
    for name in PUNCTUATION_LISTS:
        lines += [name] + src["punctuation"][name]
    lines += ["PuncStringsEnd", "DictionaryCostsStart"]
    lines += ["%s %d" % (k, src["costs"][k]) for k in DICTIONARY_COSTS]
    lines += ["DictionaryCostsEnd", "LoneCostsStart"]
    lines += ["%s %d" % (c, cost) for c, cost in src["lone"]]
    lines += ["LoneCostsEnd", "UnsafeStringSegStart", "unsafesegs"] + src["unsafesegs"]
    lines += ["unsafeingoodword"] + src["unsafeingoodword"] + ["UnsafeStringSegsEnd"]
    return latin1("\r\n".join(lines) + "\r\n")


def read_langdata(data):
    tokens = data.decode("latin-1").split()
    at = [0]

    def nxt():
        if at[0] >= len(tokens):
            raise ValueError("file ends early")
        at[0] += 1
        return tokens[at[0] - 1]

    def expect(word):
        got = nxt()
        if got != word:
            raise ValueError("expected %r, got %r" % (word, got))

    def strings_until(stop):
        items = []
        while True:
            t = nxt()
            if t == stop:
                return items
            items.append(t)

    expect("SymbolTypesStart")
    types = {}
    for t in CHAR_TYPES:
        expect(t)
        types[t] = nxt()
    expect("SymbolTypesEnd")
    expect("PuncStringsStart")
    expect("beforeword")
    punctuation = {}
    stops = PUNCTUATION_LISTS[1:] + ["PuncStringsEnd"]
    for name, stop in zip(PUNCTUATION_LISTS, stops):
        punctuation[name] = strings_until(stop)
    expect("DictionaryCostsStart")
    costs = {}
    for k in DICTIONARY_COSTS:
        expect(k)
        costs[k] = int(nxt())
    expect("DictionaryCostsEnd")
    expect("LoneCostsStart")
    lone = []
    while True:
        t = nxt()
        if t == "LoneCostsEnd":
            break
        lone.append([t, int(nxt())])
    expect("UnsafeStringSegStart")
    expect("unsafesegs")
    unsafe = strings_until("unsafeingoodword")
    in_good = strings_until("UnsafeStringSegsEnd")
    if at[0] != len(tokens):
        raise ValueError("tokens after the last section")
    return {"types": types, "punctuation": punctuation, "costs": costs, "lone": lone,
            "unsafesegs": unsafe, "unsafeingoodword": in_good}


def write_sylngram(src):
    return b"".join([i32(SYMBOLS), unhex(src["firstMap"], 256), unhex(src["symbolOf"], 256),
                     unhex(src["unigram"], SYMBOLS), b"\0" * 3, unhex(src["bigram"], SYMBOLS ** 2),
                     b"\0", unhex(src["trigram"], SYMBOLS ** 3), b"\0" * 3])


def read_sylngram(data):
    rd = Reader(data)
    if rd.int() != SYMBOLS:
        raise ValueError("the symbol count is not 27")
    src = {"firstMap": rd.take(256).hex(), "symbolOf": rd.take(256).hex(),
           "unigram": rd.take(SYMBOLS).hex()}
    rd.take(3)
    src["bigram"] = rd.take(SYMBOLS ** 2).hex()
    rd.take(1)
    src["trigram"] = rd.take(SYMBOLS ** 3).hex()
    rd.take(3)
    rd.end()
    return src


def write_dict(src):
    return latin1("".join(w + "\r\n" for w in src["words"]))


def read_dict(data):
    return {"words": data.decode("latin-1").split()}


KINDS = {
    "music": (write_music, read_music),
    "notehead": (write_notehead, read_notehead),
    "text": (write_text, read_text),
    "langdata": (write_langdata, read_langdata),
    "sylngram": (write_sylngram, read_sylngram),
    "dict": (write_dict, read_dict),
}


def empty_sources(language_types):
    return {
        "music": {"records": []},
        "notehead": {"records": []},
        "text": {"header": {"word0": 0, "word2": 0, "unused": "00" * 80},
                 "classes": [], "main": [], "fast": [], "veryFast": []},
        "langdata": {"types": language_types,
                     "punctuation": {name: [] for name in PUNCTUATION_LISTS},
                     "costs": {k: 0 for k in DICTIONARY_COSTS},
                     "lone": [[c, 1] for c in language_types["knownsymbols"]],
                     "unsafesegs": [], "unsafeingoodword": []},
        "sylngram": {"firstMap": "ff" * 256, "symbolOf": "ff" * 256, "unigram": "00" * SYMBOLS,
                     "bigram": "00" * SYMBOLS ** 2, "trigram": "00" * SYMBOLS ** 3},
        "dict": {"words": []},
    }


SHIPPED = [("music", "Learned/fssOLD"), ("music", "Learned/fssSTD"),
           ("notehead", "Learned/nhOLD"), ("notehead", "Learned/nhSTD"),
           ("text", "Learned/Text")]


def write_file(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# The shipped files written from the reference maker's sources when a folder
# of them is given.
MADE_SETS = {"Learned/fssOLD": "music.json", "Learned/nhOLD": "notehead.json", "Learned/Text": "text.json"}


def shipped(outdir, setsdir=None):
    sources = empty_sources(ENGLISH_TYPES)
    for kind, relative in SHIPPED:
        source = sources[kind]
        if setsdir is not None and relative in MADE_SETS:
            path = os.path.join(setsdir, MADE_SETS[relative])
            try:
                with open(path, encoding="utf-8") as f:
                    source = json.load(f)
            except (OSError, ValueError) as e:
                raise SystemExit("cannot read the reference set source %s: %s" % (path, e))
        data = KINDS[kind][0](source)
        if KINDS[kind][0](KINDS[kind][1](data)) != data:
            raise SystemExit("%s does not read back as written" % relative)
        write_file(os.path.join(outdir, relative), data)


def roundtrip(sourcedir):
    failures = 0
    for kind, (write, read) in KINDS.items():
        path = os.path.join(sourcedir, kind + ".json")
        if not os.path.exists(path):
            print("%s: no sample source %s (every kind has one)" % (kind, path))
            failures += 1
            continue
        with open(path, encoding="utf-8") as f:
            src = json.load(f)
        first = write(src)
        back = read(first)
        second = write(back)
        if second != first or back != src:
            print("%s: the round trip changed the file or its source" % kind)
            failures += 1
        else:
            print("%s: %d bytes written, read and written again unchanged" % (kind, len(first)))
    for kind in KINDS:
        data = KINDS[kind][0](empty_sources(ENGLISH_TYPES)[kind])
        if KINDS[kind][0](KINDS[kind][1](data)) != data:
            print("%s: the shipped file does not read back" % kind)
            failures += 1
    return failures


def main(argv):
    if len(argv) in (3, 4) and argv[1] == "shipped":
        shipped(argv[2], argv[3] if len(argv) == 4 else None)
    elif len(argv) == 5 and argv[1] == "write" and argv[2] in KINDS:
        with open(argv[3], encoding="utf-8") as f:
            write_file(argv[4], KINDS[argv[2]][0](json.load(f)))
    elif len(argv) == 4 and argv[1] == "read" and argv[2] in KINDS:
        with open(argv[3], "rb") as f:
            json.dump(KINDS[argv[2]][1](f.read()), sys.stdout, indent=1)
            print()
    elif len(argv) == 3 and argv[1] == "roundtrip":
        return 1 if roundtrip(argv[2]) else 0
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
