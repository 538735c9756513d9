"""Data check of the example sentences against the built banks (ctest data_sentences_tests).

Prints the coverage figures, and fails when a word of 中考词汇, 高考词汇 or 四级词汇 has no
written sentence the lookup finds, when one of the most frequent of those words has fewer than
two, when a written line breaks the form of a pair, or when the built corpus does not hold the
written pairs. Reads the built data folder LJT_DATA_OUT (else .cache/appdata); skips only when
that has not been built, and never under CI, which builds it."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import corpus  # noqa: E402
import coverage  # noqa: E402
import textio  # noqa: E402

SHOWN = 60  # words named in a failure message; `coverage.py --missing` lists them all


def listing(words, counts=None):
    shown = [f"{w} ({counts[w]})" if counts else w for w in words[:SHOWN]]
    more = f" ... and {len(words) - SHOWN} more" if len(words) > SHOWN else ""
    return ", ".join(shown) + more


class WrittenSentences(unittest.TestCase):
    report = None

    @classmethod
    def setUpClass(cls):
        out = coverage.data_out()
        absent = coverage.built_data_missing(out)
        if absent:
            message = f"the built data in {out} lacks {absent}: run scripts/build-data"
            if os.environ.get("CI") == "true":
                raise AssertionError(message + " (CI builds the data, so it must be there)")
            raise unittest.SkipTest(message)
        cls.out = out
        start = time.time()
        cls.report = coverage.Report(out)
        print("\n" + cls.report.figures() + f"\n(computed in {time.time() - start:.1f} s)", flush=True)

    def test_every_bank_word_has_a_sentence(self):
        r = self.report
        self.assertEqual(r.missing, [],
                         f"{len(r.missing)} of {len(r.words)} words have no written sentence the "
                         f"lookup finds (most frequent first): {listing(r.missing)}")

    def test_most_frequent_words_have_two_sentences(self):
        r = self.report
        self.assertEqual(r.thin_top, [],
                         f"{len(r.thin_top)} of the {len(r.top)} most frequent words have fewer than "
                         f"two sentences (count in brackets): {listing(r.thin_top, r.counts)}")

    def test_written_lines_are_well_formed_distinct_pairs(self):
        for problem, lines in coverage.form_problems(self.report.lines).items():
            with self.subTest(problem=problem):
                shown = "; ".join(f"{l.where()}: {l.text}" for l in lines[:20])
                self.assertEqual(len(lines), 0, f"{len(lines)} lines: {shown}")

    def test_every_bank_word_is_ranked(self):
        # frequency.json comes from the same bank build; a word missing from it means the two
        # are out of step and the "most frequent" set would be wrong.
        self.assertEqual(self.report.unranked, [], "bank words missing from .work/frequency.json")

    def test_built_corpus_starts_with_every_written_pair(self):
        path = os.path.join(self.out, coverage.CORPUS)
        with open(path, "rb") as f:
            data = f.read()
        self.assertTrue(data.endswith(b"\r\n"), "the corpus must end with CR LF")
        self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), "every line must end with CR LF")
        lines = textio.read_lines(path)
        stats = {"malformed": 0, "duplicate": 0}
        written = corpus.written_lines(stats)
        present = set(lines)
        lost = [p for p in written if p not in present]
        self.assertEqual(lost, [], f"{len(lost)} written pairs are not in the built corpus (stale? run "
                                   f"scripts/build-data): {lost[:10]}")
        self.assertEqual(lines[:len(written)], written, "the written pairs must come first, in file order")

    def test_built_corpus_lines_hold_one_separator_and_differ(self):
        lines = textio.read_lines(os.path.join(self.out, coverage.CORPUS))
        bad = [l for l in lines if l.count(coverage.SEP) != 1 or not l.split(coverage.SEP)[0].strip()
               or not l.split(coverage.SEP)[-1].strip()]
        self.assertEqual(bad, [], "corpus lines without exactly one separator between two texts")
        seen = set()
        repeated = [l for l in lines if l in seen or seen.add(l)]
        self.assertEqual(repeated, [], "lines repeated in the built corpus")

    def test_fast_count_agrees_with_the_rule_on_real_sentences(self):
        # The candidate index must give what the rule gives, sentence by sentence, on a sample
        # of the words spread over the frequency order (every kind of spelling included).
        r = self.report
        sample = r.words[::25] + [w for w in r.words if not w.isalpha()]
        englishes = [p.split(coverage.SEP, 1)[0] for p in r.pairs]
        for word in sample:
            expected = sum(1 for e in englishes if coverage.finds(e, word))
            self.assertEqual(r.counts[word], expected, word)


if __name__ == "__main__":
    unittest.main()
