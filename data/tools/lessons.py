"""Builds the phonetic-lesson data in yb48/: the 48 button captions (DFPhonetic codes), the
pronunciation rules, the letter combinations, and the model sounds yb48_<k>.wav (the symbol
itself, then an example word, spoken by espeak-ng from its phoneme input)."""
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

import phonetic
import textio

DATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LESSONS = os.path.join(DATA, "lessons")
COUNT = 48


def read_numbered(path, columns):
    rows = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) != columns or not cols[0].isdigit():
                raise SystemExit(f"{path}:{number}: expected {columns} tab-separated columns")
            k = int(cols[0])
            if k in rows or not 1 <= k <= COUNT:
                raise SystemExit(f"{path}:{number}: symbol number {k} repeated or out of range")
            rows[k] = cols[1:]
    if sorted(rows) != list(range(1, COUNT + 1)):
        raise SystemExit(f"{path}: symbols {sorted(set(range(1, COUNT + 1)) - set(rows))} missing")
    return [rows[k] for k in range(1, COUNT + 1)]


def plain_words(rule):
    """The rule is shown in the phonetic typeface, where some letters draw as symbols: English
    words outside /.../ and outside tags are set in an ordinary typeface."""
    out = []
    for i, piece in enumerate(re.split(r"(/[^/<>]*/|<[^>]*>)", rule)):
        if i % 2 == 1:
            out.append(piece)
        else:
            out.append(re.sub(r"[A-Za-z]+(?:[ '][A-Za-z]+)*",
                              lambda m: '<font face="Times New Roman">' + m.group(0) + "</font>", piece))
    return "".join(out)


def espeak(text, target):
    subprocess.run(["espeak-ng", "-v", "en", "-s", "130", "-w", target, text], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def render(k, phoneme, word, target):
    with tempfile.TemporaryDirectory() as tmp:
        parts = []
        # The symbol twice (plosives are short), then the example word, each brought to the
        # same loudness so that a quiet consonant can be heard.
        for name, text in (("sym", f"[[{phoneme}]]"), ("word", word)):
            raw, loud = os.path.join(tmp, name + ".wav"), os.path.join(tmp, name + "-n.wav")
            espeak(text, raw)
            subprocess.run(["sox", raw, loud, "norm", "-2"], check=True)
            parts.append(loud)
        gap = os.path.join(tmp, "gap.wav")
        subprocess.run(["sox", "-n", "-r", "22050", "-c", "1", "-b", "16", gap, "trim", "0", "0.35"], check=True)
        subprocess.run(["sox", parts[0], gap, parts[0], gap, gap, parts[1], target + ".tmp.wav"], check=True)
        os.replace(target + ".tmp.wav", target)
    return k


def main():
    out = sys.argv[1]
    yb = os.path.join(out, "yb48")
    os.makedirs(yb, exist_ok=True)
    symbols = read_numbered(os.path.join(LESSONS, "symbols.tsv"), 5)
    rules = read_numbered(os.path.join(LESSONS, "rules.txt"), 2)
    captions = [s[0] for s in symbols]
    for k, caption in enumerate(captions, 1):
        # Captions are typed in codes; a stray IPA character would show as a gap in old fonts.
        if phonetic.ipa_to_codes(caption) != caption or any(ord(c) > 0x7E for c in caption):
            raise SystemExit(f"symbols.tsv: caption {k} is not written in DFPhonetic codes")
    textio.write_lines(os.path.join(yb, "yinbiao.txt"), captions)
    textio.write_lines(os.path.join(yb, "发音规则.txt"), [plain_words(r[0]) for r in rules])
    textio.write_lines(os.path.join(yb, "字母组合.txt"), [s[3] for s in symbols])
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        jobs = [pool.submit(render, k, s[1], s[2], os.path.join(yb, f"yb48_{k}.wav"))
                for k, s in enumerate(symbols, 1)]
        for job in jobs:
            job.result()
    print(f"lessons: {COUNT} symbols with rules, letter combinations and sounds")


if __name__ == "__main__":
    main()
