"""Unit checks of the data builders' transformations (run by ctest as data_tools_tests)."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import banks  # noqa: E402
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


if __name__ == "__main__":
    unittest.main()
