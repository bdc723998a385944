#!/usr/bin/env python3
"""Writes the text-character definitions from the rendered character strips.

usage: tune_definitions.py PROBE FIXTURES > definitions.txt

PROBE is the native build's tools/text_char_probe, FIXTURES the folder that
render_digits.py fills. Every character gets probes from the left and from
the right side of its box in six bands (how deep the paper reaches in) and,
for the digits with holes, the holes. There is one definition per character
and face. A probe enters its candidates when it stands in every rendering of
that character in that face, with bounds taken from those renderings; the
definition then keeps, one by one, the candidates that the most renderings
of the other characters (and of the letter strips) fail, up to eight
components. When two definitions score
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


def face_of(strip):
    """The face of a strip name such as dejavusans-7 (letters strips: letters)."""
    name = os.path.basename(strip)
    return "letters" if name.startswith("letters-") else name.rsplit("-", 1)[0]


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
            measured[(row[1], face_of(row[0]))].append(
                [None if v == "-" else tuple(map(float, v.split(","))) for v in row[2:]])
        groups = sorted(measured)
        candidates = []
        for group in groups:
            ch = group[0]
            own = list(MANUAL.get(ch, []))
            for i in range(12):
                seed, a, b = side_probe(i)
                values = [r[i] for r in measured[group]]
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
            candidates += [(group, c) for c in own]
        # Scored in files of at most 200 (the table holds 220).
        scored = None
        for start in range(0, len(candidates), 200):
            chunk = candidates[start:start + 200]
            compile_to("".join("char %s\n  %s\n" % (g[0], c) for g, c in chunk), os.path.join(tmp, "candidates"))
            rows = run_probe(probe, "scores", os.path.join(tmp, "candidates"), strips)
            if scored is None:
                scored = [((row[1], face_of(row[0])), []) for row in rows]
            for (_, s), row in zip(scored, rows):
                s.extend(map(int, row[2:]))
    def choose(group, banned):
        ch = group[0]
        mine = [k for k, (g, _) in enumerate(candidates) if g == group]
        own = [s for g, s in scored if g == group]
        valid = [k for k in mine if all(s[k] == 100 for s in own) and k not in banned]
        others = [s for (c, _), s in scored if c != ch and {c, ch} != {"1", "I"}]
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
        return chosen, sum(f == 0 for f in fails), len(others)

    def definition(group, chosen):
        ch = group[0]
        # The priority of a hole stands only when the definition kept its holes.
        texts = [candidates[k][1] for k in chosen]
        priority = PRIORITIES.get(ch, 1) if all(m in texts for m in MANUAL.get(ch, [])) else 1
        lines = ["", "# %s" % group[1], "char %s aspect %s priority %d" % (ch, ASPECTS.get(ch, "45/100 100/100"), priority)]
        return "\n".join(lines + ["  " + candidates[k][1] for k in chosen]) + "\n"

    # Components that pass alone can fail together (one blob seeds one
    # component only): a definition that does not take all its own renderings
    # loses the probe without which it does (else its last one) and is chosen
    # again, until it takes them all.
    banned = {group: set() for group in groups}
    for _ in range(12):
        chosen = {group: choose(group, banned[group]) for group in groups}
        with tempfile.TemporaryDirectory() as tmp:
            compile_to("".join(definition(g, chosen[g][0]) for g in groups), os.path.join(tmp, "defs"))
            rows = run_probe(probe, "scores", os.path.join(tmp, "defs"), digit_strips)
            failing = []
            for i, group in enumerate(groups):
                own = [list(map(int, r[2:])) for r in rows if (r[1], face_of(r[0])) == group]
                picks = [k for k in chosen[group][0] if candidates[k][1] not in MANUAL.get(group[0], [])]
                if any(o[i] < 100 for o in own) and picks:
                    failing.append((group, picks))
            if not failing:
                break
            # Each failing definition without one of its probes, all scored at once.
            variants = [(group, k) for group, picks in failing for k in picks]
            for start in range(0, len(variants), 200):
                part = variants[start:start + 200]
                compile_to("".join(definition(g, [c for c in chosen[g][0] if c != k]) for g, k in part),
                           os.path.join(tmp, "variants"))
                rows = run_probe(probe, "scores", os.path.join(tmp, "variants"), digit_strips)
                for v, (group, k) in enumerate(part):
                    own = [list(map(int, r[2:])) for r in rows if (r[1], face_of(r[0])) == group]
                    if all(o[v] == 100 for o in own) and not any(g == group and m in banned[g] for g, m in part[:v]):
                        banned[group].add(k)
            for group, picks in failing:
                if not banned[group] & set(picks):
                    banned[group].add(picks[-1])
    print('# The text characters of "TextChrs": the digits, "x" and "I", all that the')
    print("# tablature reader asks for; see README.md for the words. Written by")
    print("# tune_definitions.py: probes from the left and right sides in six bands")
    print("# measure how deep the paper reaches in; holes are closed paper blobs. One")
    print("# definition per character and face of the rendered strips.")
    for group in groups:
        picks, passing, others = chosen[group]
        sys.stdout.write(definition(group, picks))
        sys.stderr.write("%s %s: %d components; %d of %d other renderings pass them all\n"
                         % (group[0], group[1], len(picks), passing, others))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
