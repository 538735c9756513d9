"""How well the written example sentences (data/sentences/written-*.txt) serve the word banks
中考词汇, 高考词汇 and 四级词汇, and whether every written line has the expected form.

The lookup finds a sentence for a word when the first occurrence of the word, spelt exactly as
the bank spells it (letter case included), in the English part is a whole word: a space
directly before and after it, or it starts the sentence and a space follows.

As a script it prints the figures, and with --missing every word still lacking sentences:
    python3 coverage.py [--missing] [built data folder]
The built data folder is LJT_DATA_OUT, else .cache/appdata of the project."""
import collections
import json
import os
import re
import sys

import banks
import corpus
import textio

ROOT = os.path.dirname(corpus.DATA)
SEP = corpus.SEP
# The banks every word of which must have an example sentence.
TAGS = ["zk", "gk", "cet4"]
# The most frequent words of those banks need at least two sentences.
TOP = 2000
MAX_ENGLISH = 160
CORPUS = os.path.join("Worddata", "sentence34085.txt")
_CHINESE = re.compile("[\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\U00020000-\U0003134f]")


def data_out():
    return os.environ.get("LJT_DATA_OUT") or os.path.join(ROOT, ".cache", "appdata")


def finds(english, word):
    """True when the lookup shows this English sentence for the word."""
    if not word:
        return False
    at = english.find(word)
    if at < 0:
        return False
    end = at + len(word)
    return (at == 0 or english[at - 1] == " ") and end < len(english) and english[end] == " "


def sentence_counts(englishes, words):
    """-> {word: number of the sentences the lookup shows for it}, for every word given.
    Only runs of whole space-separated tokens can pass the rule, so those are the candidates
    each sentence is tested for."""
    wanted = set(words)
    longest = max((w.count(" ") + 1 for w in wanted), default=1)
    counts = dict.fromkeys(wanted, 0)
    for english in englishes:
        tokens = english.split(" ")
        candidates = set()
        # A run must be followed by a space: it never takes the last token.
        for i in range(len(tokens) - 1):
            for j in range(i + 1, min(i + longest, len(tokens) - 1) + 1):
                candidates.add(" ".join(tokens[i:j]))
        for word in candidates & wanted:
            if finds(english, word):
                counts[word] += 1
    return counts


class Line(collections.namedtuple("Line", "path number text english chinese")):
    def where(self):
        return f"{os.path.basename(self.path)}:{self.number}"


def read_written(files):
    """-> [Line] of every non-blank line of the files; english and chinese are None when the
    line does not hold exactly one separator."""
    lines = []
    for path in files:
        with open(path, encoding="utf-8-sig") as f:
            for number, raw in enumerate(f, 1):
                text = raw.strip()
                if not text:
                    continue
                parts = text.split(SEP)
                if len(parts) == 2:
                    lines.append(Line(path, number, text, parts[0].strip(), parts[1].strip()))
                else:
                    lines.append(Line(path, number, text, None, None))
    return lines


def form_problems(lines):
    """-> {problem: [Line]} for the lines that break the form every written pair must have."""
    problems = {
        "lacks or doubles the separator": [],
        "English longer than %d characters" % MAX_ENGLISH: [],
        "no Chinese character in the Chinese side": [],
        "pair written before": [],
    }
    seen = {}
    for line in lines:
        if line.english is None or not line.english:
            problems["lacks or doubles the separator"].append(line)
            continue
        if len(line.english) > MAX_ENGLISH:
            problems["English longer than %d characters" % MAX_ENGLISH].append(line)
        if not _CHINESE.search(line.chinese):
            problems["no Chinese character in the Chinese side"].append(line)
        pair = line.english + SEP + line.chinese
        if pair in seen:
            problems["pair written before"].append(line)
        else:
            seen[pair] = line
    return problems


def bank_words(out):
    """-> [(tag, bank name, [words in file order])] of TAGS, read from the built banks."""
    names = dict(banks.BANKS)
    result = []
    for tag in TAGS:
        path = os.path.join(out, "Worddata", names[tag] + ".dst")
        result.append((tag, names[tag], [l.split("[", 1)[0] for l in textio.read_lines(path) if l]))
    return result


def frequency_order(out):
    with open(os.path.join(out, ".work", "frequency.json"), encoding="utf-8") as f:
        return json.load(f)


def built_data_missing(out):
    """-> what of the built data the checks need is missing ("" when nothing)."""
    names = dict(banks.BANKS)
    needed = [os.path.join("Worddata", names[t] + ".dst") for t in TAGS]
    needed += [CORPUS, os.path.join(".work", "frequency.json")]
    return ", ".join(p for p in needed if not os.path.exists(os.path.join(out, p)))


class Report:
    """The coverage of the banks in `out` by the written sentence files."""

    def __init__(self, out, files=None):
        self.files = corpus.sentence_files() if files is None else files
        self.lines = read_written(self.files)
        self.pairs = list(dict.fromkeys(l.english + SEP + l.chinese for l in self.lines
                                        if l.english and l.chinese))
        self.banks = bank_words(out)
        words = {w for _, _, ws in self.banks for w in ws}
        order = frequency_order(out)
        self.unranked = sorted(words - set(order))
        self.words = [w for w in order if w in words] + self.unranked
        self.top = self.words[:TOP]
        self.counts = sentence_counts([p.split(SEP, 1)[0] for p in self.pairs], self.words)
        self.missing = [w for w in self.words if self.counts[w] == 0]
        self.thin_top = [w for w in self.top if self.counts[w] < 2]

    def figures(self):
        n = len(self.words)
        covered = n - len(self.missing)
        two = sum(1 for w in self.words if self.counts[w] >= 2)
        top_two = len(self.top) - len(self.thin_top)
        per_file = ", ".join(f"{os.path.basename(p)} {sum(1 for l in self.lines if l.path == p)}"
                             for p in self.files)
        out = [f"sentences: {len(self.pairs)} distinct pairs written in {len(self.files)} files "
               f"({per_file} lines)"]
        for tag, name, ws in self.banks:
            c = sum(1 for w in ws if self.counts[w] > 0)
            out.append(f"bank {name} ({tag}): {len(ws)} words, {c} covered, {len(ws) - c} without a sentence")
        out.append(f"words of the {len(self.banks)} banks: {n}; covered {covered} ({100.0 * covered / max(n, 1):.1f} %); "
                   f"with >=2 sentences {two}; of the {len(self.top)} most frequent, {top_two} have >=2")
        return "\n".join(out)


def main(argv):
    missing = "--missing" in argv
    args = [a for a in argv if a != "--missing"]
    out = args[0] if args else data_out()
    absent = built_data_missing(out)
    if absent:
        print(f"coverage: the built data in {out} lacks {absent}: run scripts/build-data", file=sys.stderr)
        return 2
    report = Report(out)
    print(report.figures())
    if missing:
        print(f"without a sentence ({len(report.missing)}, most frequent first):")
        print("\n".join(report.missing))
        print(f"among the {TOP} most frequent, fewer than two sentences ({len(report.thin_top)}):")
        print("\n".join(f"{w}\t{report.counts[w]}" for w in report.thin_top))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
