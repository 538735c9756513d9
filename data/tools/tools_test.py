"""Unit checks of the data builders' transformations (run by ctest as data_tools_tests)."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import banks  # noqa: E402
import build  # noqa: E402
import corpus  # noqa: E402
import coverage  # noqa: E402
import lessons  # noqa: E402
import phonetic  # noqa: E402
import sounds  # noqa: E402
import textio  # noqa: E402


class PhoneticTable(unittest.TestCase):
    def test_every_code_reads_back_as_itself(self):
        for code in map(chr, range(0x21, 0x7F)):
            self.assertEqual(phonetic.ipa_to_codes(phonetic.codes_to_ipa(code)), code)

    def test_malformed_tables_are_refused(self):
        bad_tables = [
            "E\tə\n",                      # two columns
            "E\tə\tglyph\nE\tɔ\tglyph\n",  # one code, two glyphs
            "E\tə\tglyph\nC\tə\talias\n",  # one symbol, two codes
            "EE\tə\tglyph\n",              # code longer than one character
            "É\tə\tglyph\n",               # code outside printable ASCII
            "E\tə\tshape\n",               # unknown role
        ]
        for text in bad_tables:
            with self.subTest(text=text), tempfile.NamedTemporaryFile("w", suffix=".tsv", delete=False,
                                                                     encoding="utf-8") as f:
                f.write(text)
            try:
                with self.assertRaises(ValueError):
                    phonetic.load_table(f.name)
            finally:
                os.remove(f.name)


class EcdictPhonetics(unittest.TestCase):
    CASES = [
        ("ә'bændәn", "E'bAndEn"),
        ("ә.bri:vi'eiʃәn", "E,bri:vi'eiFEn"),   # "." before a syllable: secondary stress
        (",ænek'dәutl", ",Anek'dEutl"),
        (".æktju'єәriәl", ",Aktju'ZEriEl"),    # Cyrillic є for ɛ
        ("bɔnɔ'mi:; (?@) bɔnә'mi:", "bCnC'mi:"),  # alternatives: the first one
        ("әb'hɒ:", "Eb'hC:"),
        ("iz(ә)m", "iz(E)m"),
    ]
    UNUSABLE = ["'kɔnv\\\\:sli", ",æsti^'mætik", "", "  ", "ˈæl?i"]

    def test_old_notation_becomes_codes(self):
        for source, codes in self.CASES:
            with self.subTest(source=source):
                self.assertEqual(phonetic.ipa_to_codes(phonetic.normalise_ecdict(source)), codes)

    def test_stray_symbols_fall_back_to_speech(self):
        for source in self.UNUSABLE:
            with self.subTest(source=source):
                self.assertEqual(phonetic.normalise_ecdict(source), "")

    def test_speech_engine_output_follows_the_dictionary_style(self):
        cases = [
            ("kˈat", "kAt"),                  # one syllable: no stress mark; a of cat is æ
            ("skˈuːlbag", "'sku:lbAg"),       # stress moves before the syllable's onset
            ("ɐbˈandən", "E'bAndEn"),
            ("ɪnstɹˈʌkʃən", "in'strQkFEn"),
            ("mˈaɪ", "mai"),                  # the a of a diphthong stays
            ("hˈeə", "hZE"),
        ]
        for source, codes in cases:
            with self.subTest(source=source):
                self.assertEqual(phonetic.ipa_to_codes(phonetic.normalise_espeak(source)), codes)


class Meanings(unittest.TestCase):
    def test_part_of_speech_and_at_most_three_senses(self):
        cases = [
            ("n. 能力, 才干\\n[经] 能力, 才能", "n.能力；才干"),
            ("vt. 完成, 达到\\nvi. 如愿以偿", "vt.完成；达到 vi.如愿以偿"),
            ("a. 能干的, 能够的", "adj.能干的；能够的"),
            ("vt. 接受, 承认, 同意, 相信, 赞成", "vt.接受；承认；同意"),
            ("[网络] 胡德；兜帽", "胡德；兜帽"),            # only domain lines: use them
            ("a. [对...厌倦的；充分满足的；生腻的[with]", "adj.对...厌倦的；充分满足的；生腻的"),
            ("", ""),
        ]
        for source, meaning in cases:
            with self.subTest(source=source):
                self.assertEqual(banks.short_meaning(source), meaning)

    def test_meaning_never_holds_entry_brackets(self):
        for source in ["n. [x] a[b]c", "v. 把]放[进", "[[[", "]]]"]:
            with self.subTest(source=source):
                m = banks.short_meaning(source)
                self.assertNotIn("[", m)
                self.assertNotIn("]", m)


class SoundFiles(unittest.TestCase):
    def test_names_are_safe_and_distinct(self):
        words = ["good", "Good", "good0001", "ice cream", "ice-cream", "o'clock", "café", "Mr.", "T-shirt"]
        names = [sounds.safe_name(w) for w in words]
        self.assertEqual(len(set(names)), len(names))
        for word, name in zip(words, names):
            with self.subTest(word=word):
                self.assertRegex(name, r"^[A-Za-z][A-Za-z0-9_]*\.wav$")
                self.assertEqual(name[0], word[0])
                self.assertNotEqual(name, sounds.PRAISE)

    def test_plan_files_each_spelling_under_its_first_letter(self):
        plan = sounds.plan({"zk": ["may", "May", "'tween", "a=b", "apple"], "gk": ["Apple"]})
        self.assertEqual(set(plan), {"may", "apple"})
        word, value, folders = plan["may"]
        self.assertEqual((word, value, folders), ("may", "may.wav", {"m", "M"}))
        self.assertEqual(plan["apple"][2], {"a", "A"})


class Lessons(unittest.TestCase):
    def test_english_words_in_rules_leave_the_phonetic_typeface(self):
        rule = "读成 /w/，如把 very 读成 wery；<b>常见错误：</b>/E/"
        self.assertEqual(
            lessons.plain_words(rule),
            '读成 /w/，如把 <font face="Times New Roman">very</font> 读成 '
            '<font face="Times New Roman">wery</font>；<b>常见错误：</b>/E/')

    def test_lesson_sources_hold_48_symbols(self):
        symbols = lessons.read_numbered(os.path.join(lessons.LESSONS, "symbols.tsv"), 5)
        rules = lessons.read_numbered(os.path.join(lessons.LESSONS, "rules.txt"), 2)
        self.assertEqual((len(symbols), len(rules)), (48, 48))


class TextFiles(unittest.TestCase):
    def test_gb18030_with_crlf_and_no_embedded_breaks(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.txt")
            textio.write_lines(path, ["word[wE:d]n.词", "ˌ‖"])
            with open(path, "rb") as f:
                data = f.read()
            self.assertEqual(data, "word[wE:d]n.词\r\nˌ‖\r\n".encode("gb18030"))
            self.assertIn(b"\xa1\xac", data)  # "‖" is A1 AC in GBK
            with self.assertRaises(ValueError):
                textio.write_lines(path, ["two\nlines"])
            self.assertEqual(textio.read_lines(path), ["word[wE:d]n.词", "ˌ‖"])


class BankCorrections(unittest.TestCase):
    @staticmethod
    def row(word, tag):
        return {"word": word, "tag": tag, "frq": "0", "bnc": "0", "phonetic": "", "translation": "x"}

    def test_excluded_entries_leave_and_misspellings_pass_their_banks_on(self):
        rows = [self.row("negro", "cet4 cet6"), self.row("cance", "gk"), self.row("Negroni", "gre"),
                self.row("reservior", "cet4"), self.row("reservoir", "cet6 ky"), self.row("CORE", "cet4"),
                self.row("cat", "zk")]
        out = {r["word"]: r["tag"] for r in banks.corrected_rows(iter(rows))}
        self.assertEqual(out, {"Negroni": "gre", "reservoir": "cet6 ky cet4", "core": "cet4", "cat": "zk"})

    def test_right_spelling_seen_after_the_wrong_one_still_gets_its_banks(self):
        rows = [self.row("reservior", "cet4"), self.row("reservoir", "cet6")]
        self.assertEqual([(r["word"], r["tag"]) for r in banks.corrected_rows(iter(rows))],
                         [("reservoir", "cet6 cet4")])


class WrittenSentenceFiles(unittest.TestCase):
    def write(self, folder, name, text):
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write(text)

    def test_every_written_file_is_read_in_name_order_and_repeats_dropped(self):
        with tempfile.TemporaryDirectory() as tmp:
            self.write(tmp, "written-b.txt", "B one.‖乙一。\nA one.‖甲一。\n")
            self.write(tmp, "written-a.txt", "\ufeffA one.‖甲一。\n\n  A two. ‖ 甲二。 \r\n")
            self.write(tmp, "written-c10.txt", "C ten.‖丙十。\nbroken line\ntwo‖seps‖here\n")
            self.write(tmp, "notes.txt", "Not a sentence.‖不是。\n")
            files = corpus.sentence_files(tmp)
            self.assertEqual([os.path.basename(f) for f in files],
                             ["written-a.txt", "written-b.txt", "written-c10.txt"])
            stats = {"malformed": 0, "duplicate": 0}
            self.assertEqual(corpus.written_lines(stats, files),
                             ["A one.‖甲一。", "A two.‖甲二。", "B one.‖乙一。", "C ten.‖丙十。"])
            self.assertEqual(stats, {"malformed": 2, "duplicate": 1})

    def test_a_new_written_file_changes_the_corpus_fingerprint(self):
        with tempfile.TemporaryDirectory() as tmp:
            os.makedirs(os.path.join(tmp, "sentences"))
            self.write(os.path.join(tmp, "sentences"), "written-a.txt", "A.‖甲。\n")
            saved = build.DATA
            build.DATA = tmp
            try:
                before = build.fingerprint(build.sentence_files())
                self.write(os.path.join(tmp, "sentences"), "written-z.txt", "Z.‖乙。\n")
                after = build.fingerprint(build.sentence_files())
            finally:
                build.DATA = saved
            self.assertNotEqual(before, after)


class LookupRule(unittest.TestCase):
    def test_first_occurrence_must_be_a_whole_word(self):
        cases = [
            ("Go home now.", "Go", True),            # starts the sentence, a space follows
            ("Let us go home.", "go", True),
            ("I want to go.", "go", False),          # a full stop, not a space, follows
            ("The bus goes there, so go now.", "go", False),  # first occurrence is inside "goes"
            ("He sat at home.", "at", False),        # inside "sat"
            ("China is big.", "china", False),       # letter case counts
            ("I like ice cream very much.", "ice cream", True),
            ("Mr. Li is here.", "Mr.", True),
            ("Our new T-shirt is red.", "T-shirt", True),
            ("go", "go", False),                     # nothing follows
            ("Eat an apple.", "", False),
        ]
        for english, word, found in cases:
            with self.subTest(english=english, word=word):
                self.assertEqual(coverage.finds(english, word), found)

    def test_counts_agree_with_the_rule(self):
        englishes = ["Go home now.", "Let us go home now please.", "The bus goes there, so go now.",
                     "I like ice cream very much.", "ice cream is cold", "Mr. Li is here.",
                     "We go to go there", "home"]
        words = ["go", "Go", "home", "now", "ice cream", "cream", "ice", "Mr.", "Li", "is", "here.", "We"]
        counts = coverage.sentence_counts(englishes, words)
        for word in words:
            with self.subTest(word=word):
                self.assertEqual(counts[word], sum(coverage.finds(e, word) for e in englishes))
        self.assertEqual((counts["go"], counts["home"], counts["ice cream"], counts["We"]), (2, 2, 2, 1))

    def test_form_problems_are_found(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "written-a.txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write("Good line.‖好句子。\n"
                        "No separator here.\n"
                        "Two‖separators‖here\n"
                        "‖只有中文。\n"
                        + "A" * 161 + ".‖太长。\n"
                        + "B" * 160 + "‖不太长。\n"
                        "No Chinese.‖Not Chinese.\n"
                        "Good line. ‖ 好句子。\n")
            problems = coverage.form_problems(coverage.read_written([path]))
        numbers = {k: [l.number for l in v] for k, v in problems.items()}
        self.assertEqual(numbers, {
            "lacks or doubles the separator": [2, 3, 4],
            "English longer than 160 characters": [5],
            "no Chinese character in the Chinese side": [7],
            "pair written before": [8],
        })


if __name__ == "__main__":
    unittest.main()
