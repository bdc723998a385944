"""The English language data of text recognition, as readable source.

tools/make_language_data.py writes "Langs/English/langdata.txt" from the
tables below (and "sylngram.bin" and "User/dict.txt" from the word lists).
Characters are bytes of the engine's code page, written here as the Latin-1
characters of the same value. Besides ASCII the engine's character table
enables nine bytes of its own:

    0x87 sharp   0x88 flat   0x90 0x91 opening and closing single quote
    (the closing one doubles as the apostrophe)   0x94 0x95 opening and
    closing double quote   0x96 dash   0x9E "fi"   0x9F "fl"

"knownsymbols" lists exactly the characters the engine's table enables (a
test compares the loaded types with the table), and each of them has a lone
cost above 0.

The costs are in the units of the spelling model before it multiplies a
word's cost by 102. The searched dictionary costs (those the word cost uses),
the lone costs by the groups of lone_costs() and the unsafe segments are the
values chosen by the tuning run benchmarks/TextCostTuning.cpp (seed 1): it
reads rendered tuning lines (the "tune_*" lines of tools/make_text_lines.py,
the title, tempo, lyric and chord lines of the text finder's page, and lines
of music text it renders in five faces that are neither reference faces nor
faces the text benchmark measures; none of them a line the benchmark
measures) with the shipped references,
trigram model and dictionary, one candidate "langdata.txt" at a time, and
keeps per value what reads most words, then most characters, right. To
repeat it (then copy the printed values here and remake the files with
make_language_data.py make):

    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build/bench --target text_cost_tuning kv_engine_data
    (cd build/bench && KV_SOURCE_DIR=$PWD/../.. benchmarks/text_cost_tuning 1)

The run of this data kept every starting value: no single change of a
searched value or segment read more words or characters right on the
tuning lines (52 of 60 words, 228 of 240 characters; the misses are word
gaps inside "Andante", "Schubert's", "Wiegenlied" and touching glyphs that
the costs cannot mend), and 44 of its 217 trials read fewer. The text
benchmark's clean lines in the reference faces read 40 of 42 words with
these values. Run again with the rendered lines of the five faces, the
references of twenty-one faces and the line reader on the word-gap model,
it raised wierdperlencost from 15 to 20 (218 of 260 words either way, 915
to 916 of 970 characters) and kept every other value; most misses are the
letters of URW Gothic, lyric hyphens read as dashes and word gaps inside
words.
"""

UPPER = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
LOWER = "abcdefghijklmnopqrstuvwxyz"
LIGATURES = "\x9e\x9f"            # "fi", "fl": lower-case letters
LETTERS = UPPER + LOWER + LIGATURES
DIGITS = "0123456789"
SHARP, FLAT = "\x87", "\x88"
OPEN_QUOTES, CLOSE_QUOTES = "\x90\x94", "\x91\x95"
DASH = "\x96"
# ASCII punctuation and signs the engine's table enables (not % < > ^ ~).
ASCII_SIGNS = "!\"#$&'()*+,-./:;=?@[\\]_`{|}"

TYPES = {
    "knownsymbols": LETTERS + DIGITS + ASCII_SIGNS + SHARP + FLAT + "\x90\x91\x94\x95" + DASH,
    "wordstart": LETTERS,
    "wordend": LETTERS,
    # inside a word: letters, the apostrophe (both forms) and the hyphen of
    # compound words
    "wordmiddle": LETTERS + "'-\x91",
    "mustbeword": LETTERS,
    "numberstart": DIGITS,
    "numberend": DIGITS,
    "numbermiddle": DIGITS + ".,",
    "mustbenumber": DIGITS,
    "wordseparator": "/",
    "hyphenator": "-" + DASH,
    "styleindicator": LETTERS + DIGITS,
    "widthindicator": LETTERS + DIGITS,
    # marks that music draws too: dots, ticks, lines, brackets, the pedal star
    "couldbegraphic": ".,-_'`:;|/()*=" + DASH,
    "uppercase": UPPER,
    "lowercase": LOWER + LIGATURES,
    "okbeforeword": "([{\"'`" + OPEN_QUOTES,
    "okafterword": ".,;:!?)]}\"'" + CLOSE_QUOTES,
    "okbeforenumber": "([#+-\"'",
    "okafternumber": ".,;:)]\"'",
}

# Known punctuation strings (at most 4 characters): a word's leading and
# trailing punctuation costs least when it is one of these.
PUNCTUATION = {
    "beforeword": ["(", "[", "\"", "'", "`", "(\"", "('", "\x90", "\x94", "(\x94"],
    "afterword": [".", ",", ";", ":", "!", "?", ")", "]", "\"", "'", "...", ").", "),", ");", "):",
                  ".)", "!)", "?)", "].", "],", ".\"", ",\"", "!\"", "?\"", ".'", ",'", "!!", "?!",
                  "\x91", "\x95", ".\x95", ",\x95", "!\x95", "?\x95", ".\x91", ",\x91"],
    "beforenumber": ["(", "[", "#", "+", "-", "(#"],
    "afternumber": [".", ",", ";", ":", ")", "]", ").", "),", ".)"],
}

# The 22 dictionary costs, in the file's order (the used ones as the tuning
# run above chose them). The word cost uses
# wierdtgramcharcost, inuserdictcost, wierdcost, wierdperlencost,
# nodictwordcost, nodictwordperlencost and the three punctuation costs; the
# others are read and kept by the engine, and stay 0 here so that nothing
# comes to depend on values no one chose.
COSTS = {
    "tgramtowordfreq_len3": 0,
    "tgramtowordfreq_len4": 0,
    "tgramtowordfreq_per1": 0,
    "notindictcost": 0,
    # a triple with a character outside the 27 symbols, or a case break: one
    # more than the dearest triple of the model (254)
    "wierdtgramcharcost": 255,
    "ucifornonucicost": 0,
    "blockcapscost": 0,
    "twoletterwordcost": 0,
    "wordtoolongcost": 0,
    # a word the dictionary holds adds nothing to its shape cost
    "inuserdictcost": 0,
    # a word of mixed letters, digits and signs ("8va", "1st", "D.C")
    "wierdcost": 40,
    "wierdperlencost": 20,
    # a word or number the dictionary does not hold: 20 + 8 per character,
    # so a five-letter word outside the lists pays 60
    "nodictwordcost": 20,
    "nodictwordperlencost": 8,
    "numbercost": 0,
    "numberperlencost": 0,
    "numberperlensqcostx10": 0,
    "wordseparatorcost": 0,
    "apostropheesscost": 0,
    # per character of punctuation: a known string, a character that may
    # stand there, anything else
    "knownpuncper1cost": 1,
    "unknownpuncper1cost": 6,
    "badpuncper1cost": 30,
}

# Lone costs (by group as the tuning run above chose them): the cost of a
# word that is this one character. Single digits
# (fingerings, bar and verse numbers), the words "a", "A", "I", "O" and the
# lyric hyphen are common; other single letters less so (chord names are
# priced by the chord grammar before this); signs standing alone are rare.
DEFAULT_LONE_COST = 60


def lone_costs():
    costs = {c: DEFAULT_LONE_COST for c in TYPES["knownsymbols"]}
    for c in LETTERS:
        costs[c] = 30
    for c in DIGITS + "aAIO-":
        costs[c] = 10
    for c in SHARP + FLAT + DASH + "&":
        costs[c] = 20
    for c in "+=#/*()":
        costs[c] = 30
    return [[c, costs[c]] for c in TYPES["knownsymbols"]]


# Unsafe segments (as the tuning run above chose them from its pool, which
# adds ni, ln and nn): strings that the shapes of other strings imitate (rn and
# m, cl and d, li and h, vv and w, ri and n, I l and 1). A reading holding one
# is read again with the look-alikes in mind. "unsafeingoodword" lists those
# that stay doubtful even inside a dictionary word.
UNSAFE_SEGMENTS = ["rn", "cl", "li", "vv", "VV", "ri", "Il", "lI", "1l", "l1"]
UNSAFE_IN_GOOD_WORD = ["rn", "cl", "vv"]


def langdata_source():
    """The source of "langdata.txt" in the form of tools/make_engine_data.py."""
    return {"types": dict(TYPES), "punctuation": {k: list(v) for k, v in PUNCTUATION.items()},
            "costs": dict(COSTS), "lone": lone_costs(), "unsafesegs": list(UNSAFE_SEGMENTS),
            "unsafeingoodword": list(UNSAFE_IN_GOOD_WORD)}
