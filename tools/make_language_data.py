#!/usr/bin/env python3
"""Makes the English language data of text recognition from Debian's word lists.

    make_language_data.py make [FOLDER]    writes the shipped files below FOLDER
                                           (default Code/Quorm/data) and records
                                           the input packages in tools/langdata/inputs.txt
    make_language_data.py check [FOLDER]   fails, naming the package and both versions,
                                           when an input package is not the recorded one,
                                           and fails when a remade file differs from
                                           the shipped one by a single byte
    make_language_data.py report           figures of the trigram model (below)

Inputs: the word lists of the Debian packages wamerican and wbritish
(/usr/share/dict/american-english and british-english, installed by
tools/setup.sh), tools/langdata/score-words.txt and the tables of
tools/langdata/english.py. Outputs, written through the writers of
tools/make_engine_data.py and laid out as in the engine folder:

  "Langs/English/langdata.txt"  character types, punctuation strings, costs,
                                lone costs and unsafe segments, from english.py
                                (the costs, lone costs and unsafe segments as
                                the tuning run benchmarks/TextCostTuning.cpp
                                chose them; english.py tells how to repeat it).
  "Langs/English/sylngram.bin"  the letter trigram model (below).
  "User/dict.txt"               every word of both lists made of letters and
                                the apostrophe only (words with other letters
                                cannot be read by the engine, whose character
                                table is ASCII apart from nine bytes of its own),
                                without the one-letter entries other than "a",
                                "A", "I" and "O" (every letter is listed, and a
                                lone letter read as a word is no evidence), plus
                                the score words; one word a line, each once, in
                                the order the engine's loader sorts them into
                                (case-folded, then by bytes), which makes its
                                sort a third quicker.
  "wordlists-copyright.txt"     the copyright file of the packages, which their
                                licences ask to be shipped with the data.

Trigram model. The symbols are the letters a to z, with the upper-case letter
mapped to the same symbol as the lower-case one (symbols 0 to 25), and the
apostrophe as the 27th symbol (26), so that "don't" and "Schubert's" are
modelled whole; every other byte maps to 255 (no symbol). The file's first map
is written equal to the symbol map (the engine reads and ignores it). Over every
word of the union of both lists (each distinct spelling once, one-letter words
included) the tool counts the symbols, the adjacent pairs and the adjacent
triples. With add-one smoothing over all 27, 27^2 and 27^3 outcomes, a unigram,
bigram or trigram has the probability

    P = (count + 1) / (total of its kind + 27^k)

(joint probabilities: the engine prices a one-letter word by the unigram, a
two-letter word by the pair, and a longer word by its triples with weight L/3,
each triple standing for three letters), and its cost is

    cost = min(254, floor(-K ln P + 1/2)),   K = 10.

With K = 10 a common triple ("ing") costs 44, "the" 66 and a triple the lists
never hold 135 (no cost reaches the cap): the triples of a list word cost some
25 per letter and those of random letters some 41, on either side of the 30 per
letter above which the line reader starts doubting a lyric reading.
"report" prints these figures for the installed lists, with a set of random
letter strings drawn with a fixed seed for comparison.
"""
import hashlib
import math
import os
import random
import subprocess
import sys

TOOLS = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(TOOLS)
SOURCES = os.path.join(TOOLS, "langdata")
sys.dont_write_bytecode = True  # no compiled files in the source tree
sys.path.insert(0, TOOLS)
sys.path.insert(0, SOURCES)

import english  # noqa: E402
import make_engine_data  # noqa: E402

PACKAGES = [("wamerican", "/usr/share/dict/american-english"),
            ("wbritish", "/usr/share/dict/british-english")]
INPUTS_RECORD = os.path.join(SOURCES, "inputs.txt")
SCORE_WORDS = os.path.join(SOURCES, "score-words.txt")
DEFAULT_FOLDER = os.path.join(TOP, "Code", "Quorm", "data")

SYMBOLS = make_engine_data.SYMBOLS
APOSTROPHE_SYMBOL = 26
K = 10.0
MAX_COST = 254
KEPT_ONE_LETTER_WORDS = {"a", "A", "I", "O"}
SEED = 20261210
REPORT_SAMPLES = 2000

OUTPUTS = ["Langs/English/langdata.txt", "Langs/English/sylngram.bin", "User/dict.txt",
           "wordlists-copyright.txt"]


class InputError(Exception):
    pass


# ---- inputs ----

def installed_version(package):
    try:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Status}\t${Version}", package],
                             capture_output=True, text=True, check=False).stdout
    except OSError:
        return None
    status, _, version = out.partition("\t")
    return version if status.endswith("installed") and version else None


def file_digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def installed_inputs():
    """[(package, version, list path, digest)]; InputError when one is missing."""
    found = []
    for package, path in PACKAGES:
        version = installed_version(package)
        if version is None or not os.path.exists(path):
            raise InputError("%s is not installed (its word list %s is an input of the language data);"
                             " run tools/setup.sh" % (package, path))
        found.append((package, version, path, file_digest(path)))
    return found


def read_record():
    record = {}
    with open(INPUTS_RECORD, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].split()
            if line:
                package, version, digest = line
                record[package] = (version, digest)
    return record


def write_record(inputs):
    with open(INPUTS_RECORD, "w", encoding="utf-8") as f:
        f.write("# The packages the shipped language data was made from: name, version and the\n"
                "# SHA-256 of the word list. Written by tools/make_language_data.py make.\n")
        for package, version, _, digest in inputs:
            f.write("%s %s %s\n" % (package, version, digest))


def changed_inputs(inputs, record):
    """One message per input that is not the recorded one."""
    problems = []
    for package, version, path, digest in inputs:
        if package not in record:
            problems.append("%s %s: not among the recorded inputs" % (package, version))
            continue
        old_version, old_digest = record[package]
        if version != old_version:
            problems.append("%s changed: the shipped language data was made from %s %s, %s %s is installed"
                            % (package, package, old_version, package, version))
        elif digest != old_digest:
            problems.append("%s %s: its word list %s is not the one the shipped data was made from"
                            % (package, version, path))
    return problems


def read_list(path):
    with open(path, "rb") as f:
        return [line.strip() for line in f.read().split(b"\n") if line.strip()]


def is_symbol_word(word):
    return all(symbol_of(c) is not None for c in word)


def symbol_of(byte):
    if 0x41 <= byte <= 0x5A:
        return byte - 0x41
    if 0x61 <= byte <= 0x7A:
        return byte - 0x61
    if byte == 0x27:
        return APOSTROPHE_SYMBOL
    return None


def read_score_words(path=SCORE_WORDS):
    words = []
    with open(path, "rb") as f:
        for number, line in enumerate(f.read().split(b"\n"), 1):
            for word in line.split(b"#", 1)[0].split():
                if not is_symbol_word(word):
                    raise InputError("%s:%d: %s holds a character other than a letter or the apostrophe"
                                     % (path, number, word.decode("utf-8", "replace")))
                words.append(word)
    return words


def list_words(inputs):
    """The distinct words of both lists that are made of symbols only."""
    words = set()
    for _, _, path, _ in inputs:
        words.update(w for w in read_list(path) if is_symbol_word(w))
    return sorted(words)


# ---- the three files ----

def cost_of(count, total, outcomes):
    p = (count + 1) / (total + outcomes)
    return min(MAX_COST, int(math.floor(-K * math.log(p) + 0.5)))


def sylngram_source(words):
    uni = [0] * SYMBOLS
    bi = [0] * SYMBOLS ** 2
    tri = [0] * SYMBOLS ** 3
    for word in words:
        s = [symbol_of(c) for c in word]
        for i, a in enumerate(s):
            uni[a] += 1
            if i + 1 < len(s):
                bi[a * SYMBOLS + s[i + 1]] += 1
            if i + 2 < len(s):
                tri[(a * SYMBOLS + s[i + 1]) * SYMBOLS + s[i + 2]] += 1

    def costs(counts):
        total = sum(counts)
        return bytes(cost_of(n, total, len(counts)) for n in counts).hex()

    symbol_map = bytes(255 if symbol_of(b) is None else symbol_of(b) for b in range(256)).hex()
    return {"firstMap": symbol_map, "symbolOf": symbol_map, "unigram": costs(uni),
            "bigram": costs(bi), "trigram": costs(tri)}


def dictionary_words(words, score_words):
    kept = set(w for w in words if len(w) > 1 or w.decode("ascii") in KEPT_ONE_LETTER_WORDS)
    kept.update(score_words)
    return sorted(kept, key=lambda w: (w.lower(), w))


def notice(inputs):
    texts = []
    for package, _, _, _ in inputs:
        with open("/usr/share/doc/%s/copyright" % package, "rb") as f:
            texts.append((package, f.read()))
    names = " and ".join(p for p, _ in texts)
    head = ("The English language data of the recognition engine (Langs\\English\\sylngram.bin and\n"
            "User\\dict.txt) is made from the word lists of Debian's %s packages, which are\n"
            "made from SCOWL. Their copyright file follows as it stands.\n" % names).encode("ascii")
    parts = [head]
    if all(t == texts[0][1] for _, t in texts):
        parts += [b"\n", texts[0][1]]
    else:
        for package, text in texts:
            parts += [b"\n---- %s ----\n\n" % package.encode("ascii"), text]
    return b"".join(parts).replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def make_files(inputs):
    """{relative path: bytes} of every output."""
    words = list_words(inputs)
    files = {
        "Langs/English/langdata.txt": make_engine_data.write_langdata(english.langdata_source()),
        "Langs/English/sylngram.bin": make_engine_data.write_sylngram(sylngram_source(words)),
        "User/dict.txt": make_engine_data.write_dict(
            {"words": [w.decode("ascii") for w in dictionary_words(words, read_score_words())]}),
        "wordlists-copyright.txt": notice(inputs),
    }
    # Each file must read back into what it was written from.
    for kind, relative in (("langdata", OUTPUTS[0]), ("sylngram", OUTPUTS[1]), ("dict", OUTPUTS[2])):
        write, read = make_engine_data.KINDS[kind]
        if write(read(files[relative])) != files[relative]:
            raise InputError("%s does not read back as written" % relative)
    return files


# ---- commands ----

def make(folder):
    inputs = installed_inputs()
    for relative, data in make_files(inputs).items():
        make_engine_data.write_file(os.path.join(folder, relative), data)
    write_record(inputs)
    for package, version, _, _ in inputs:
        print("made from %s %s" % (package, version))
    return 0


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def check(folder):
    try:
        inputs = installed_inputs()
        problems = changed_inputs(inputs, read_record())
        if problems:
            for p in problems:
                print("make_language_data: " + p, file=sys.stderr)
            print("make_language_data: remake the language data (tools/make_language_data.py make),"
                  " review the difference and commit it with the new record", file=sys.stderr)
            return 1
        files = make_files(inputs)
    except InputError as e:
        print("make_language_data: %s" % e, file=sys.stderr)
        return 1
    failures = 0
    for relative, data in files.items():
        path = os.path.join(folder, relative)
        if not os.path.exists(path):
            print("%s: missing" % path, file=sys.stderr)
            failures += 1
            continue
        with open(path, "rb") as f:
            shipped = f.read()
        if shipped != data:
            print("%s: differs from the remade file at byte %d (%d bytes shipped, %d remade)"
                  % (path, first_difference(shipped, data), len(shipped), len(data)), file=sys.stderr)
            failures += 1
        else:
            print("%s: %d bytes, the same as remade" % (relative, len(data)))
    return 1 if failures else 0


def word_cost(word, model):
    """The trigram part of a word's spelling cost, as the engine prices an
    all-symbol word without case breaks (no length cost)."""
    s = [symbol_of(c) for c in word]
    tri = model["trigram"]
    triples = [tri[(s[i - 1] * SYMBOLS + s[i]) * SYMBOLS + s[i + 1]] for i in range(1, len(s) - 1)]
    return sum(triples) * len(s) // (3 * len(triples))


def report():
    inputs = installed_inputs()
    words = list_words(inputs)
    src = sylngram_source(words)
    model = {k: bytes.fromhex(v) for k, v in src.items()}
    rng = random.Random(SEED)
    long_words = [w for w in words if len(w) >= 3 and b"'" not in w]
    sample = [long_words[rng.randrange(len(long_words))] for _ in range(REPORT_SAMPLES)]
    letters = b"abcdefghijklmnopqrstuvwxyz"
    noise = [bytes(letters[rng.randrange(26)] for _ in w) for w in sample]

    def per_letter(ws):
        return sum(word_cost(w, model) for w in ws) / sum(len(w) for w in ws)

    score_words = read_score_words()
    known = set(w.lower() for w in words)
    print("words of the lists: %d; dictionary words: %d; score words: %d, of which the lists lack %d"
          % (len(words), len(dictionary_words(words, score_words)), len(set(score_words)),
             len(set(w for w in score_words if w.lower() not in known))))
    for name, text in (("ing", b"ing"), ("the", b"the"), ("ion", b"ion"), ("qzx", b"qzx")):
        s = [symbol_of(c) for c in text]
        print("trigram %s: %d" % (name, model["trigram"][(s[0] * SYMBOLS + s[1]) * SYMBOLS + s[2]]))
    tri = sorted(model["trigram"])
    print("trigram costs: least %d, median %d, most %d; %d at the cap"
          % (tri[0], tri[len(tri) // 2], tri[-1], tri.count(MAX_COST)))
    print("per letter, %d list words (seed %d): %.1f; random letters of the same lengths: %.1f"
          % (REPORT_SAMPLES, SEED, per_letter(sample), per_letter(noise)))
    return 0


def main(argv):
    if len(argv) in (2, 3) and argv[1] in ("make", "check"):
        folder = argv[2] if len(argv) == 3 else DEFAULT_FOLDER
        try:
            return make(folder) if argv[1] == "make" else check(folder)
        except InputError as e:
            print("make_language_data: %s" % e, file=sys.stderr)
            return 1
    if len(argv) == 2 and argv[1] == "report":
        return report()
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
