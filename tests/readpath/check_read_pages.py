#!/usr/bin/python3
"""Compares each fixture page's export (written by readpath_tests into
EXPORTS) with the score the page was engraved from (FIXTURES/NAME.musicxml),
note by note, with the end-to-end benchmark's symbol comparison
(tools/compare_scores.py): every note and rest must be read exactly (pitch
with alteration and octave, type and dots).

usage: check_read_pages.py FIXTURES EXPORTS
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))

import compare_scores  # noqa: E402


def main(fixtures, exports):
    failed = 0
    names = sorted(n[:-len(".musicxml")] for n in os.listdir(fixtures) if n.endswith(".musicxml"))
    for name in names:
        read = os.path.join(exports, name + ".musicxml")
        if not os.path.exists(read):
            print("%s: no export (readpath_tests writes it)" % name)
            failed += 1
            continue
        counts = compare_scores.class_counts(os.path.join(fixtures, name + ".musicxml"), read)
        errors = {c: k for c, k in counts.items() if k["wrong"] or k["missed"] or k["added"]}
        if errors:
            failed += 1
            print("%s: %s" % (name, "; ".join("%s %d wrong, %d missed, %d added of %d" % (
                c, k["wrong"], k["missed"], k["added"], k["true"]) for c, k in errors.items())))
            source = compare_scores.read_symbols(os.path.join(fixtures, name + ".musicxml"))
            got = compare_scores.read_symbols(read)
            for key in sorted(set(source) | set(got)):
                print("  source %s: %s" % (key, " ".join(str(s[1]) for s in source.get(key, []))))
                print("  read   %s: %s" % (key, " ".join(str(s[1]) for s in got.get(key, []))))
        else:
            print("%s: all %d notes and rests right" % (name, sum(k["true"] for k in counts.values())))
    return 1 if failed or not names else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
