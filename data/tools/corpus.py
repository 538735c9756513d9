"""Builds the sentence corpus Worddata/sentence34085.txt: one example per line, English,
"‖", Chinese; GB18030 with CR LF.

First come the bilingual sentences written for this project (every data/sentences/written-*.txt
in name order, read as they are at build time; a pair written twice is kept once), then ECDICT's
multi-word phrase entries made of 中考/高考 words, each with a short translation. A line that
would not hold exactly one "‖" is left out and counted."""
import csv
import glob
import json
import os
import re
import sys

import banks
import textio

DATA = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SENTENCES = os.path.join(DATA, "sentences")
SEP = "‖"
# Phrase entries whose every word is one of these banks' words (or a placeholder such as sb).
PHRASE_TAGS = ["zk", "gk"]
PLACEHOLDERS = {"sb", "sth", "one's", "oneself", "somebody", "something"}
_WORD = re.compile(r"[a-z][A-Za-z'-]*")


def sentence_files(folder=SENTENCES):
    """The files of written sentences, in name order."""
    return sorted(glob.glob(os.path.join(folder, "written-*.txt")))


def written_lines(stats, files=None):
    """-> the written pairs "English‖中文" of all files in order, each pair once."""
    seen = set()
    out = []
    for path in sentence_files() if files is None else files:
        with open(path, encoding="utf-8-sig") as f:
            for raw in f:
                line = raw.strip()
                if not line:
                    continue
                parts = line.split(SEP)
                english = parts[0].strip()
                chinese = parts[1].strip() if len(parts) == 2 else ""
                if len(parts) != 2 or not english or not chinese:
                    stats["malformed"] += 1
                    continue
                joined = english + SEP + chinese
                if joined in seen:
                    stats["duplicate"] += 1
                    continue
                seen.add(joined)
                out.append(joined)
    return out


def phrase_lines(csv_path, bank_words, stats):
    vocabulary = {w.lower() for tag in PHRASE_TAGS for w in bank_words.get(tag, [])} | PLACEHOLDERS
    found = {}
    with open(csv_path, encoding="utf-8", newline="") as f:
        for row in csv.DictReader(f):
            phrase = row["word"].strip()
            if " " not in phrase:
                continue
            words = phrase.split(" ")
            if not 2 <= len(words) <= 5 or not all(_WORD.fullmatch(w) for w in words):
                continue
            if not all(w.lower() in vocabulary for w in words):
                continue
            first = re.split(r"\\r\\n|\\n", row["translation"].strip())[0].strip()
            # Specialist entries ("[计] ...", "[经] ...") are no use to a learner here.
            if not first or first[0] in "[【(（":
                continue
            meaning = banks.short_meaning(first)
            meaning = re.sub(r"^[a-z]{1,6}\.\s*", "", meaning).replace(SEP, "|").strip()
            if not meaning or SEP in phrase:
                stats["malformed"] += 1
                continue
            found.setdefault(phrase.lower(), phrase + SEP + meaning)
    return [found[k] for k in sorted(found)]


def main():
    csv_path, out = sys.argv[1], sys.argv[2]
    with open(os.path.join(out, ".work", "banks.json"), encoding="utf-8") as f:
        bank_words = json.load(f)
    stats = {"malformed": 0, "duplicate": 0}
    written = written_lines(stats)
    phrases = phrase_lines(csv_path, bank_words, stats)
    # A phrase entry may repeat a written pair: every line once.
    lines = [l for l in dict.fromkeys(written + phrases) if l.count(SEP) == 1 and "\r" not in l and "\n" not in l]
    textio.write_lines(os.path.join(out, "Worddata", "sentence34085.txt"), lines)
    print(f"corpus: {len(written)} written sentences, {len(phrases)} phrase entries, "
          f"{stats['malformed']} malformed and {stats['duplicate']} duplicate lines left out")


if __name__ == "__main__":
    main()
