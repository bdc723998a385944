#!/usr/bin/env python3
"""Tests of tools/make_language_data.py on small word lists of its own."""
import math
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
sys.dont_write_bytecode = True
import make_language_data as tool  # noqa: E402

SYMBOLS = 27


def index(text):
    s = [tool.symbol_of(ord(c)) for c in text]
    return (s[0] * SYMBOLS + s[1]) * SYMBOLS + s[2]


class TrigramModel(unittest.TestCase):
    def setUp(self):
        words = [b"The", b"the", b"then", b"don't"]
        src = tool.sylngram_source(words)
        self.model = {k: bytes.fromhex(v) for k, v in src.items()}

    def test_symbols_are_both_cases_and_the_apostrophe(self):
        m = self.model["symbolOf"]
        self.assertEqual((m[ord("a")], m[ord("A")], m[ord("z")], m[ord("Z")], m[ord("'")]), (0, 0, 25, 25, 26))
        self.assertEqual(sum(1 for b in m if b != 255), 53)
        self.assertEqual(self.model["firstMap"], m)

    def test_costs_are_add_one_smoothed_joint_probabilities(self):
        # Triples: the x2, the, hen, don, on', n't = 7 in all.
        total = 7 + SYMBOLS ** 3
        expect = lambda n: int(math.floor(-10 * math.log((n + 1) / total) + 0.5))  # noqa: E731
        tri = self.model["trigram"]
        self.assertEqual(tri[index("the")], expect(3))
        self.assertEqual(tri[index("n't")], expect(1))
        self.assertEqual(tri[index("qzx")], expect(0))
        uni_total = 3 + 3 + 4 + 5 + SYMBOLS
        self.assertEqual(self.model["unigram"][tool.symbol_of(ord("e"))],
                         int(math.floor(-10 * math.log(4 / uni_total) + 0.5)))

    def test_costs_stop_at_254(self):
        self.assertEqual(tool.cost_of(0, 10 ** 12, SYMBOLS ** 3), 254)
        self.assertEqual(tool.cost_of(0, 0, 1), 0)


class Words(unittest.TestCase):
    def test_one_letter_entries_are_kept_only_for_real_words(self):
        kept = tool.dictionary_words([b"a", b"b", b"I", b"Q", b"O", b"to"], [b"rit"])
        self.assertEqual(kept, [b"a", b"I", b"O", b"rit", b"to"])  # the loader's order

    def test_a_score_word_with_an_accent_is_refused_by_line(self):
        with tempfile.NamedTemporaryFile("wb", suffix=".txt", delete=False) as f:
            f.write(b"# comment\nallegro\npi\xc3\xb9 mosso\n")
        try:
            with self.assertRaisesRegex(tool.InputError, ":3: pi"):
                tool.read_score_words(f.name)
        finally:
            os.unlink(f.name)

    def test_only_letter_and_apostrophe_words_are_list_words(self):
        self.assertTrue(tool.is_symbol_word(b"don't"))
        self.assertFalse(tool.is_symbol_word("Bart\u00f3k".encode("utf-8")))
        self.assertFalse(tool.is_symbol_word(b"8va"))


class Inputs(unittest.TestCase):
    inputs = [("wamerican", "2020.12.07-2", "/usr/share/dict/american-english", "aa"),
              ("wbritish", "2020.12.07-2", "/usr/share/dict/british-english", "bb")]

    def test_the_recorded_inputs_pass(self):
        record = {"wamerican": ("2020.12.07-2", "aa"), "wbritish": ("2020.12.07-2", "bb")}
        self.assertEqual(tool.changed_inputs(self.inputs, record), [])

    def test_a_changed_package_is_named_with_both_versions(self):
        record = {"wamerican": ("2019.10.06-1", "aa"), "wbritish": ("2020.12.07-2", "bb")}
        problems = tool.changed_inputs(self.inputs, record)
        self.assertEqual(len(problems), 1)
        self.assertIn("wamerican changed", problems[0])
        self.assertIn("wamerican 2019.10.06-1", problems[0])
        self.assertIn("wamerican 2020.12.07-2 is installed", problems[0])

    def test_a_changed_list_of_the_same_version_is_named(self):
        record = {"wamerican": ("2020.12.07-2", "aa"), "wbritish": ("2020.12.07-2", "cc")}
        problems = tool.changed_inputs(self.inputs, record)
        self.assertEqual(len(problems), 1)
        self.assertIn("wbritish 2020.12.07-2", problems[0])
        self.assertIn("british-english", problems[0])

    def test_an_unrecorded_package_is_named(self):
        problems = tool.changed_inputs(self.inputs, {"wamerican": ("2020.12.07-2", "aa")})
        self.assertEqual(problems, ["wbritish 2020.12.07-2: not among the recorded inputs"])


if __name__ == "__main__":
    unittest.main()
