"""Builds the word banks and their catalogue from ECDICT.

One bank per exam tag, ordered by corpus frequency so that the first entries are the most
useful. Each line is Word[phonetic]meaning: the phonetic in DFPhonetic codes, the meaning a
part of speech with about three Chinese senses. Writes GB18030 with CR LF.
Also leaves .work/banks.json (the words of each bank) for the sound and corpus builders, and
.work/frequency.json (every bank word, most frequent first) for the data checks."""
import concurrent.futures
import csv
import json
import os
import re
import subprocess
import sys

import phonetic
import textio

# Tag, bank name, in catalogue order.
BANKS = [
    ("zk", "中考词汇"),
    ("gk", "高考词汇"),
    ("cet4", "四级词汇"),
    ("cet6", "六级词汇"),
    ("ky", "考研词汇"),
    ("toefl", "托福词汇"),
    ("ielts", "雅思词汇"),
    ("gre", "GRE词汇"),
]

# ECDICT entries that are no usable English word for a learner: left out of every bank.
EXCLUDED = {
    "cance",     # a name (坎斯) written in lower case, not an English word
    "negro",     # an offensive term for a Black person
    "F",         # the bare letter, glossed only with computing abbreviations (故障, 假, 法拉)
    "vcd",       # glossed as a different abbreviation (可变电容二极体的简写)
    "uptodate",  # a misspelling of up-to-date, which the same bank has
}
# ECDICT entries spelt wrongly (a typo, or the wrong letter case): the right spelling
# takes the entry's banks; where ECDICT has no row of that spelling, the entry is respelt.
CORRECTED = {
    "reservior": "reservoir",
    "AM": "am",      # glossed be的单数第一人称
    "CORE": "core",  # glossed 核心, 果心
    "FAX": "fax",    # glossed 传真
    "dvd": "DVD",    # an abbreviation, written in capitals
    "walkman": "Walkman",  # a trade name (随身听（商标名称）)
}

# Hand-made banks: data/banks/<name>.txt, one English word or phrase per line (UTF-8); the
# entries are filled in from ECDICT, and the banks follow the exam banks in the catalogue.
CUSTOM_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "banks")

MAX_SENSES = 3
_POS = re.compile(r"^([a-z]{1,6}\.)\s*(.*)$")
# Labels such as [计], [口语], 【植物】; a stray bracket that opens no short label is dropped.
_TAGGED = re.compile(r"\[[^\[\]]{0,10}\]|【[^【】]{0,10}】")


def short_meaning(translation):
    """ECDICT's translation (senses separated by a literal \\n) -> one short line:
    each part of speech followed by its glosses, at most MAX_SENSES glosses in all."""
    lines = [l.strip() for l in re.split(r"\\r\\n|\\n|\r?\n", translation) if l.strip()]
    # Domain lines ("[计] ...", "[网络] ...") only when nothing else is there.
    plain = [l for l in lines if not l.startswith("[")]
    lines = plain or lines
    parts = []
    count = 0
    for line in lines:
        m = _POS.match(line)
        pos, rest = (m.group(1), m.group(2)) if m else ("", line)
        if pos == "a.":
            pos = "adj."
        rest = _TAGGED.sub("", rest)
        glosses = [g.strip() for g in re.split(r"[,，;；]", rest) if g.strip()]
        taken = []
        for g in glosses:
            if count >= MAX_SENSES:
                break
            taken.append(g)
            count += 1
        if taken:
            parts.append(pos + "；".join(taken))
        if count >= MAX_SENSES:
            break
    text = " ".join(parts)
    # The entry format is split at the first "[" and "]": keep those out of the meaning.
    text = text.replace("[", "").replace("]", "")
    return re.sub(r"\s+", " ", text).strip()


def rank(row):
    def num(s):
        try:
            v = int(s)
        except ValueError:
            return 0
        return v if v > 0 else 0

    frq, bnc = num(row["frq"]), num(row["bnc"])
    big = 10**9
    return (frq or bnc or big, bnc or big, row["word"].lower(), row["word"])


def espeak_ipa(words, cache_path):
    cache = {}
    if os.path.exists(cache_path):
        with open(cache_path, encoding="utf-8") as f:
            cache = json.load(f)
    todo = [w for w in words if w not in cache]

    def one(w):
        out = subprocess.run(["espeak-ng", "-q", "--ipa", "-v", "en", w], capture_output=True, text=True)
        return w, out.stdout

    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        for w, ipa in pool.map(one, todo):
            cache[w] = ipa
    tmp = cache_path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        json.dump(cache, f, ensure_ascii=False, sort_keys=True)
    os.replace(tmp, cache_path)
    return cache


def corrected_rows(rows):
    """ECDICT's rows less EXCLUDED, with the CORRECTED entries' tags moved to the right
    spelling (the row of that spelling, or the entry itself respelt when there is none).
    Rows of the right spellings come last, once every row has been seen."""
    targets = {}  # right spelling -> its row, held back until the end
    wrong = []
    right_spellings = set(CORRECTED.values())
    for row in rows:
        word = row["word"].strip()
        if word in EXCLUDED:
            continue
        if word in CORRECTED:
            wrong.append(row)
        elif word in right_spellings and word not in targets:
            targets[word] = row
        else:
            yield row
    for row in wrong:
        right = CORRECTED[row["word"].strip()]
        if right in targets:
            target = targets[right]
            tags = target["tag"].split()
            target["tag"] = " ".join(tags + [t for t in row["tag"].split() if t not in tags])
        else:
            targets[right] = dict(row, word=right)
    yield from targets.values()


def custom_banks():
    """-> [(name, [words])] of the hand-made banks, in name order."""
    banks = []
    if os.path.isdir(CUSTOM_DIR):
        for file in sorted(os.listdir(CUSTOM_DIR)):
            if file.endswith(".txt"):
                with open(os.path.join(CUSTOM_DIR, file), encoding="utf-8-sig") as f:
                    words = [l.strip() for l in f if l.strip() and not l.startswith("#")]
                banks.append((file[:-4], words))
    return banks


def main():
    csv_path, out = sys.argv[1], sys.argv[2]
    work = os.path.join(out, ".work")
    os.makedirs(work, exist_ok=True)
    custom = custom_banks()
    # Each hand-made bank gets a private tag, so it is built like the exam banks.
    extra_tags = {}
    for i, (name, words) in enumerate(custom):
        for w in words:
            extra_tags.setdefault(w.lower(), []).append(f"custom{i}")
    all_banks = BANKS + [(f"custom{i}", name) for i, (name, _) in enumerate(custom)]
    tags = {t for t, _ in all_banks}
    rows = []
    seen = set()
    with open(csv_path, encoding="utf-8", newline="") as f:
        for row in corrected_rows(csv.DictReader(f)):
            key = row["word"].strip().lower()
            if key in extra_tags and key not in seen:
                seen.add(key)
                row["tag"] = " ".join(row["tag"].split() + extra_tags[key])
            if tags.intersection(row["tag"].split()):
                rows.append(row)

    skipped = {name: 0 for _, name in all_banks}
    entries = {}  # word -> (phonetic ipa, meaning)
    need_speech = []
    for row in rows:
        word = row["word"].strip()
        ipa = phonetic.normalise_ecdict(row["phonetic"])
        if not ipa and word:
            need_speech.append(word)
        entries[word] = [ipa, short_meaning(row["translation"])]
    # ECDICT writes θ for the voiced th of some common words ("this"); where the speech
    # engine starts the word with ð, that is the right one.
    th_words = [w for w, (ipa, _) in entries.items() if ipa.lstrip("ˈˌ").startswith("θ")]
    spoken = espeak_ipa(sorted(set(need_speech) | set(th_words)), os.path.join(work, "espeak-ipa.json"))
    for w in th_words:
        if phonetic.normalise_espeak(spoken.get(w, "")).lstrip("ˈˌ").startswith("ð"):
            ipa = entries[w][0]
            i = ipa.index("θ")
            entries[w][0] = ipa[:i] + "ð" + ipa[i + 1:]
    for w in need_speech:
        entries[w][0] = phonetic.normalise_espeak(spoken.get(w, ""))

    rows.sort(key=rank)
    os.makedirs(os.path.join(out, "Worddata"), exist_ok=True)
    bank_words = {}
    summary = []
    custom_order = {f"custom{i}": {w.lower(): k for k, w in enumerate(words)} for i, (_, words) in enumerate(custom)}
    for tag, name in all_banks:
        lines = []
        words = []
        members = [row for row in rows if tag in row["tag"].split()]
        if tag in custom_order:
            # A hand-made bank keeps the order its author gave.
            members.sort(key=lambda row: custom_order[tag][row["word"].strip().lower()])
        for row in members:
            word = row["word"].strip()
            ipa, meaning = entries[word]
            codes = phonetic.ipa_to_codes(ipa)
            if (not word or "[" in word or "]" in word or "]" in codes or not codes.strip()
                    or not meaning or "\n" in word + codes + meaning or "\r" in word + codes + meaning):
                skipped[name] += 1
                continue
            lines.append(f"{word}[{codes}]{meaning}")
            words.append(word)
        textio.write_lines(os.path.join(out, "Worddata", name + ".dst"), lines)
        bank_words[tag] = words
        summary.append((name, len(lines), skipped[name]))
    textio.write_lines(os.path.join(out, "Ebook.txt"), [name for _, name in all_banks])
    # A bank no longer built must not linger: the lookup searches every .dst file.
    for name in os.listdir(os.path.join(out, "Worddata")):
        if name.endswith(".dst") and name[:-4] not in {n for _, n in all_banks}:
            os.remove(os.path.join(out, "Worddata", name))
    with open(os.path.join(work, "banks.json.tmp"), "w", encoding="utf-8") as f:
        json.dump(bank_words, f, ensure_ascii=False)
    os.replace(os.path.join(work, "banks.json.tmp"), os.path.join(work, "banks.json"))
    # Every bank word once, most frequent first (the order of rank()), for the data checks.
    in_banks = {w for words in bank_words.values() for w in words}
    by_frequency = list(dict.fromkeys(row["word"].strip() for row in rows if row["word"].strip() in in_banks))
    with open(os.path.join(work, "frequency.json.tmp"), "w", encoding="utf-8") as f:
        json.dump(by_frequency, f, ensure_ascii=False)
    os.replace(os.path.join(work, "frequency.json.tmp"), os.path.join(work, "frequency.json"))

    for name, words in custom:
        found = {w.lower() for w in bank_words[dict((n, t) for t, n in all_banks)[name]]}
        missing = [w for w in words if w.lower() not in found]
        if missing:
            print(f"banks: {name}: not in ECDICT, left out: {', '.join(missing[:20])}")
    print("banks: %d words needed a phonetic from espeak-ng" % len(set(need_speech)))
    for name, n, s in summary:
        print(f"banks: {name}: {n} entries, {s} malformed left out")


if __name__ == "__main__":
    main()
