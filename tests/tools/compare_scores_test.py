#!/usr/bin/python3
"""The end-to-end compare tool (tools/compare_scores.py) on small scores:
identical scores give 1.0 everywhere, and each kind of misreading lowers the
figure it should and leaves the others."""
import os
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "benchmarks", "e2e"))

import class_scores  # noqa: E402
import compare_scores  # noqa: E402
import scores  # noqa: E402

# One 4/4 part of two bars (the benchmark's note text, benchmarks/e2e/scores.py).
BASE = ["C5:q D5:q E5:q F5:q", "G5:h E5:h"]


def score(bars, parts=1, time=(4, 4)):
    return {"name": "t", "title": "T", "key": 0, "time": time,
            "parts": [{"name": "P%d" % p, "clefs": ["G"], "bars": scores.one_voice(bars)} for p in range(parts)]}


class FolderCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, "w") as f:
            f.write(text)
        return path


class CompareScoresTest(FolderCase):

    def compare(self, source, read):
        a = self.write("source.musicxml", scores.musicxml(source))
        b = self.write("read.musicxml", scores.musicxml(read) if isinstance(read, dict) else read)
        c = compare_scores.compare(a, b)
        return c, compare_scores.rates(c)

    def test_a_table_of_misreadings(self):
        # name, read bars, (precision, recall, pitch F1, rhythm F1), read bars found
        cases = [
            ("identical", BASE, (1.0, 1.0, 1.0, 1.0)),
            ("a missing note", ["C5:q D5:q E5:h", "G5:h E5:h"], (4 / 5, 4 / 6, 2 * 5 / 11, 2 * 4 / 11)),
            ("a wrong pitch", ["C5:q D5:q E5:q G5:q", "G5:h E5:h"], (5 / 6, 5 / 6, 5 / 6, 1.0)),
            ("a wrong duration", ["C5:q D5:q E5:q F5:q", "G5:h E5:q r:q"], (5 / 6, 5 / 6, 1.0, 5 / 6)),
            ("an extra note", ["C5:q D5:q E5:q F5:e F5:e", "G5:h E5:h"], (5 / 7, 5 / 6, 2 * 6 / 13, 2 * 5 / 13)),
        ]
        for name, bars, (precision, recall, pitch, rhythm) in cases:
            with self.subTest(name):
                c, r = self.compare(score(BASE), score(bars))
                self.assertAlmostEqual(r["precision"], precision, places=6)
                self.assertAlmostEqual(r["recall"], recall, places=6)
                self.assertAlmostEqual(r["pitch_f1"], pitch, places=6)
                self.assertAlmostEqual(r["rhythm_f1"], rhythm, places=6)
                self.assertEqual((c["read_parts"], c["read_bars"]), (1, 2))

    def test_identical_scores_of_every_benchmark_score_give_one(self):
        for source in scores.SCORES:
            with self.subTest(source["name"]):
                c, r = self.compare(source, source)
                self.assertEqual(r, {"precision": 1.0, "recall": 1.0, "f1": 1.0, "pitch_f1": 1.0,
                                     "rhythm_f1": 1.0})
                self.assertEqual(c["read_parts"], c["source_parts"])
                self.assertEqual(c["read_bars"], c["source_bars"])

    def test_a_missed_bar_line_costs_only_the_bars_it_touches(self):
        bars = BASE + ["A5:w", "B5:h C6:h", "D6:w"]
        c, r = self.compare(score(bars), self.long_bar(bars))
        self.assertEqual(c["read_bars"], 4)
        # Bars 1, 2 and 5 whole, and the long bar's first note as bar 3.
        self.assertEqual(c["matched"], 8)
        self.assertAlmostEqual(r["recall"], 8 / 10)

    def long_bar(self, bars):
        text = scores.musicxml(score(bars))
        # Join the last two bars: drop the bar line between them.
        return text.replace('</measure>\n<measure number="4">\n', "", 1)

    def test_parts_are_paired_by_their_notes_not_their_order(self):
        source = score(BASE, parts=2)
        source["parts"][1]["bars"] = scores.one_voice(["A4:w", "B4:w"])
        read = score(BASE, parts=2)
        read["parts"][0]["bars"] = scores.one_voice(["A4:w", "B4:w"])
        c, r = self.compare(source, read)
        self.assertEqual(r["f1"], 1.0)

    def test_a_piano_read_as_one_part_per_stave_finds_every_stave(self):
        piano = scores.score_named("piano")
        read = dict(piano, parts=[{"name": "P%d" % s, "clefs": [clef],
                                   "bars": [[bar[s]] for bar in piano["parts"][0]["bars"]]}
                                  for s, clef in enumerate(piano["parts"][0]["clefs"])])
        c, r = self.compare(piano, read)
        self.assertEqual(r["f1"], 1.0)
        self.assertEqual((c["read_parts"], c["source_parts"]), (2, 1))
        self.assertEqual((c["read_staves"], c["source_staves"]), (2, 2))

    def test_notes_of_a_one_stave_part_name_no_stave(self):
        # musicxml2ly engraves notes that name a stave in a part without
        # <staves> on a stave of their own, below an empty one.
        self.assertNotIn("<staff>", scores.musicxml(scores.score_named("voices")))
        self.assertIn("<staff>2</staff>", scores.musicxml(scores.score_named("piano")))

    def test_a_missing_part_and_an_empty_read(self):
        c, r = self.compare(score(BASE, parts=2), score(BASE))
        self.assertEqual((c["read_parts"], c["source_parts"]), (1, 2))
        self.assertEqual((r["precision"], r["recall"]), (1.0, 0.5))
        a = self.write("source.musicxml", scores.musicxml(score(BASE)))
        nothing = compare_scores.rates(compare_scores.compare(a, "-"))
        self.assertEqual((nothing["precision"], nothing["recall"], nothing["f1"]), (0.0, 0.0, 0.0))

    def test_bad_input_is_a_clear_error(self):
        a = self.write("source.musicxml", scores.musicxml(score(BASE)))
        for name, text in [("broken.musicxml", "<score-partwise><part>"),
                           ("timewise.musicxml", "<score-timewise/>")]:
            with self.subTest(name), self.assertRaises(compare_scores.ScoreError) as raised:
                compare_scores.compare(a, self.write(name, text))
            self.assertIn(name, str(raised.exception))
        with self.assertRaises(compare_scores.ScoreError):
            compare_scores.compare(a, os.path.join(self.folder, "absent.musicxml"))

    def test_tuplets_chords_and_voices_take_their_sounding_times(self):
        source = scores.score_named("triplets")
        _, streams = compare_scores.read_score(self.write("s.musicxml", scores.musicxml(source)))
        first = streams[(0, 1)][0]
        self.assertEqual([n[0] for n in first], [0, compare_scores.Fraction(1, 12), compare_scores.Fraction(1, 6),
                                                 compare_scores.Fraction(1, 4)])
        _, streams = compare_scores.read_score(self.write("v.musicxml",
                                                          scores.musicxml(scores.score_named("voices"))))
        self.assertEqual(len(streams[(0, 1)][0]), 6)  # both voices of the stave in one bar
        _, streams = compare_scores.read_score(self.write("p.musicxml",
                                                          scores.musicxml(scores.score_named("piano"))))
        self.assertEqual(sorted(streams), [(0, 1), (0, 2)])
        self.assertEqual(len(streams[(0, 1)][0]), 6)  # two chords of three

    def test_the_results_report_prints_every_page_and_the_targets(self):
        source = self.write("s.musicxml", scores.musicxml(score(BASE)))
        read = self.write("r.musicxml", scores.musicxml(score(BASE)))
        rows = [["a.tif", source, read, "mscore", "300", "clean", "1.5", "0.1", "1.0"],
                ["b.tif", source, "-", "mscore", "300", "degraded", "0.5", "0.0", "0.4"]]
        out_path = os.path.join(self.folder, "report.txt")
        with open(out_path, "w") as out:
            compare_scores.report(rows, self.folder, out)
        with open(out_path) as f:
            text = f.read()
        self.assertIn("a.tif", text)
        self.assertIn("b.tif", text)
        self.assertIn("clean 300 dpi (1)", text)
        self.assertIn("F1 >= 0.98: met", text)
        self.assertIn("F1 >= 0.95: not met", text)
        self.assertIn("/ engine time: 0.071", text)


class SymbolErrorRateTest(FolderCase):
    """The symbol error rate per class (--classes)."""

    def counts(self, source, read):
        a = self.write("source.musicxml", scores.musicxml(source))
        b = self.write("read.musicxml", scores.musicxml(read))
        return compare_scores.class_counts(a, b)

    def test_edits_count_once_each_in_the_class_of_their_note(self):
        # name, read bars, (wrong, missed, added) of the part's notes
        cases = [
            ("identical", BASE, (0, 0, 0)),
            ("a note missed", ["C5:q D5:q E5:h", "G5:h E5:h"], (1, 1, 0)),
            ("a flat lost", ["C5:q D5:q E5:q F5:q", "G5:h E5:h"], (1, 0, 0)),
            ("a dot added", ["C5:q D5:q E5:q F5:q", "G5:h. E5:q"], (2, 0, 0)),
            ("a note added", ["C5:q D5:q E5:q F5:e F5:e", "G5:h E5:h"], (1, 0, 1)),
        ]
        source = ["C5:q D5:q E5:q Fb5:q", "G5:h E5:h"]
        for name, bars, (wrong, missed, added) in cases:
            with self.subTest(name):
                read = [b.replace("F5:q G", "Fb5:q G") for b in bars] if name != "a flat lost" else bars
                read = [b.replace("E5:q F5:", "E5:q Fb5:") if name != "a flat lost" else b for b in read]
                c = self.counts(score(source), score(read))
                total = {k: sum(c[x][k] for x in c) for k in ("true", "right", "wrong", "missed", "added")}
                self.assertEqual(total["true"], 6)
                self.assertEqual((total["wrong"], total["missed"], total["added"]), (wrong, missed, added))
                self.assertEqual(total["right"], 6 - wrong - missed)
                # The flattened F is the keys class; the others are plain.
                self.assertEqual(c["keys"]["true"], 1)
                if name == "a flat lost":
                    self.assertEqual(c["keys"]["wrong"], 1)

    def test_rests_and_voices_fall_in_their_classes(self):
        two = dict(score(BASE), parts=[{"name": "G", "clefs": ["G"], "bars": [
            [["C5:q D5:q E5:q F5:q", "C4:h r:h"]], [["G5:h E5:h", "r:w"]]]}])
        c = self.counts(two, two)
        self.assertEqual(c["rests"]["true"], 2)   # the second voice's rests
        self.assertEqual(c["dense"]["true"], 7)   # notes of a stave of two voices
        self.assertEqual(sum(c[x]["wrong"] + c[x]["missed"] + c[x]["added"] for x in c), 0)

    def test_a_chord_of_four_is_dense_wherever_it_stands_in_its_bar(self):
        # Rests, backups and attributes before the chord in the bar: the
        # chord's size is looked up by its own place among the bar's children.
        chords = dict(score(BASE), parts=[{"name": "G", "clefs": ["G"], "bars": [
            [["r:q C4+E4+G4+B4:q D5:h"]], [["G5:h C4+E4+G4+B4:h"]]]}])
        c = self.counts(chords, chords)
        self.assertEqual(c["dense"]["true"], 8)
        self.assertEqual(c["plain"]["true"], 3)

    def test_every_class_page_reads_itself_without_error_and_holds_its_class(self):
        for seed in range(class_scores.FIGURES_SEEDS.start, class_scores.FIGURES_SEEDS.start + 7):
            name, text = class_scores.musicxml(seed)
            path = self.write(name + ".musicxml", text)
            c = compare_scores.class_counts(path, path)
            with self.subTest(name):
                self.assertGreater(c[name.split("-")[1]]["true"], 10)
                self.assertEqual(sum(c[x]["wrong"] + c[x]["missed"] + c[x]["added"] for x in c), 0)
                self.assertEqual(text, class_scores.musicxml(seed)[1])  # seeded, not from the clock

    def test_the_class_report_gives_each_engraving_and_the_targets(self):
        source = self.write("s.musicxml", scores.musicxml(score(BASE)))
        read = self.write("r.musicxml", scores.musicxml(score(["C5:q D5:q E5:h", "G5:h E5:h"])))
        rows = [["a.tif", source, read, "mscore-bravura", "300", "clean", "1", "0", "1"],
                ["b.tif", source, "-", "lilypond", "300", "degraded", "1", "0", "1"]]
        out_path = os.path.join(self.folder, "classes.txt")
        with open(out_path, "w") as out:
            compare_scores.report_classes(rows, self.folder, out)
        with open(out_path) as f:
            text = f.read()
        self.assertIn("mscore-bravura", text)
        self.assertIn("0.333 (6)", text)  # a wrong note and a missed one in six
        self.assertIn("<= 0.01: not met", text)
        self.assertIn("1.000 (6)", text)  # nothing exported: every note missed


if __name__ == "__main__":
    unittest.main()
