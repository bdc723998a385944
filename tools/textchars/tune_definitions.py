#!/usr/bin/env python3
"""Writes the text-character definitions from the rendered character strips.

usage: tune_definitions.py PROBE FIXTURES > definitions.txt

PROBE is the native build's tools/text_char_probe, FIXTURES the folder that
render_digits.py fills. Every character gets probes from the left and from
the right side of its box in six bands (how deep the paper reaches in) and,
for the digits with holes, the holes. A probe enters the candidates of a
character when it stands in every rendering of that character, with bounds
taken from those renderings; each character then keeps, one by one, the
candidates that the most renderings of the other characters (and of the
letter strips) fail, up to eight components. When two definitions score
alike the one with more components wins, then the higher priority: holes
weigh more than open shapes.
"""
import collections
import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
BANDS = [(0, 2), (3, 5), (6, 8), (9, 11), (12, 13), (14, 16)]
HOLE = "T=80-100 B=80-100 L=80-100 R=80-100"
# Components written by hand: the holes of the digits that have them, and
# the two ends of an upright bar for "I".
MANUAL = {
    "0": ["paper need seed=6-10,6-10 min=0,8 centre=3-13,6-10 " + HOLE],
    "4": ["paper need seed=5-10,5-10 centre=2-13,2-12 " + HOLE],
    "6": ["paper need seed=6-10,9-13 centre=2-14,9-13 T=70-100 B=70-100 L=70-100 R=70-100"],
    "8": ["paper need seed=6-10,2-6 centre=3-13,1-8 " + HOLE, "paper need seed=6-10,10-14 centre=3-13,8-15 " + HOLE],
    "9": ["paper need seed=6-10,3-6 centre=3-13,1-7 " + HOLE],
    "I": ["ink veto seed=6-10,0-2 trace=0-16,0-2", "ink veto seed=6-10,14-16 trace=0-16,14-16"],
}
ASPECTS = {"1": "40/100 80/100", "I": "0/1 45/100", "x": "78/100 135/100"}
PRIORITIES = {"8": 4, "0": 3, "4": 3, "6": 3, "9": 3, "1": 2}
LIMITS = {"I": 2}  # components at most (8 for the others)


def compile_to(text, path):
    sys.path.insert(0, HERE)
    import make_textchars
    with open(path, "wb") as f:
        f.write(make_textchars.compile_definitions(text))


def run_probe(probe, mode, defs_path, strips):
    out = subprocess.run([probe, mode, defs_path] + strips, capture_output=True, text=True, check=True).stdout
    return [line.split() for line in out.splitlines()]


def side_probe(i):
    a, b = BANDS[i % 6]
    seed = "0-1" if i < 6 else "15-16"
    return seed, a, b


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    probe, fixtures = argv[1], argv[2]
    strips = sorted(os.path.join(fixtures, f) for f in os.listdir(fixtures) if f.endswith(".pbm"))
    digit_strips = [s for s in strips if not os.path.basename(s).startswith("letters-")]
    with tempfile.TemporaryDirectory() as tmp:
        probes = "".join("char p\n  paper need seed=%s,%d-%d trace=0-16,%d-%d\n" % (side_probe(i) + BANDS[i % 6])
                         for i in range(12))
        compile_to(probes, os.path.join(tmp, "probes"))
        measured = collections.defaultdict(list)
        for row in run_probe(probe, "measure", os.path.join(tmp, "probes"), digit_strips):
            measured[row[1]].append([None if v == "-" else tuple(map(float, v.split(","))) for v in row[2:]])
        chars = sorted(measured)
        candidates = []
        for ch in chars:
            own = list(MANUAL.get(ch, []))
            for i in range(12):
                seed, a, b = side_probe(i)
                values = [r[i] for r in measured[ch]]
                if all(v is None for v in values):
                    own.append("ink veto seed=%s,%d-%d trace=0-16,%d-%d" % (seed, a, b, a, b))
                elif all(v is not None for v in values):
                    widths = [v[1] - v[0] for v in values]
                    centres = [(v[0] + v[1]) / 2 for v in values]
                    min_width = max(0, int(math.floor(min(widths) - 0.5)))
                    if i < 6:
                        band = "0-%d" % min(17, int(math.ceil(max(centres) + 0.51)))
                    else:
                        band = "%d-17" % max(0, int(math.floor(min(centres) - 0.5)))
                    own.append("paper need seed=%s,%d-%d trace=0-16,%d-%d min=%d,0 centre=%s,0-17"
                               % (seed, a, b, a, b, min_width, band))
            for a, b in [(0, 1), (15, 16), (7, 9)]:
                own.append("ink need seed=2-14,%d-%d trace=0-16,%d-%d L=0-30 R=0-30" % (a, b, a, b))
            candidates += [(ch, c) for c in own]
        compile_to("".join("char %s\n  %s\n" % c for c in candidates), os.path.join(tmp, "candidates"))
        scored = [(row[1], list(map(int, row[2:]))) for row in
                  run_probe(probe, "scores", os.path.join(tmp, "candidates"), strips)]
    print('# The text characters of "TextChrs": the digits, "x" and "I", all that the')
    print("# tablature reader asks for; see README.md for the words. Written by")
    print("# tune_definitions.py: probes from the left and right sides in six bands")
    print("# measure how deep the paper reaches in; holes are closed paper blobs.")
    for ch in chars:
        mine = [k for k, (c, _) in enumerate(candidates) if c == ch]
        own = [s for c, s in scored if c == ch]
        valid = [k for k in mine if all(s[k] == 100 for s in own)]
        others = [s for c, s in scored if c != ch and {c, ch} != {"1", "I"}]
        fails = [0] * len(others)
        chosen = [k for k in mine if candidates[k][1] in MANUAL.get(ch, []) and k in valid]
        for k in chosen:
            for j, s in enumerate(others):
                fails[j] += s[k] < 100
        pool = [k for k in valid if k not in chosen]
        while len(chosen) < LIMITS.get(ch, 8) and pool:
            def gain(k):
                return sum({0: 100, 1: 10, 2: 1}.get(fails[j], 0) for j, s in enumerate(others) if s[k] < 100)
            best = max(pool, key=gain)
            if gain(best) == 0:
                break
            chosen.append(best)
            pool.remove(best)
            for j, s in enumerate(others):
                fails[j] += s[best] < 100
        print()
        print("char %s aspect %s priority %d" % (ch, ASPECTS.get(ch, "45/100 100/100"), PRIORITIES.get(ch, 1)))
        for k in chosen:
            print("  " + candidates[k][1])
        sys.stderr.write("%s: %d components; %d of %d other renderings pass them all\n"
                         % (ch, len(chosen), sum(f == 0 for f in fails), len(others)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
