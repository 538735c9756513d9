"""Renders the recorded-sound folder br/ and its index br.tif with flite's voice slt.

Each word of the rendered banks gets br/<first letter>/<file>.wav. The file name keeps the
word's ASCII letters and writes every other character as "_" and four hex digits, so names are
safe (no blanks, quotes or separators) and never collide: digits are escaped too, which keeps
"good0001.wav", the praise sound, out of reach of any word. The index (INI section Mywav,
word=file) lists exactly the files that exist. Rendering is cached: a file already there is
kept, and both cores render in parallel."""
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

import textio

# The banks whose words get a recording (tags of banks.py).
RENDERED_TAGS = ["zk", "gk"]
VOICE = "slt"
# Changing how files are rendered bumps this, which throws the cached files away.
RENDER_VERSION = "flite-slt-1"
PRAISE = "good0001.wav"


def safe_name(word):
    out = []
    for c in word:
        if ("a" <= c <= "z") or ("A" <= c <= "Z"):
            out.append(c)
        else:
            out.append("_%04x" % ord(c))
    return "".join(out) + ".wav"


def indexable(word):
    """Words the index can hold and the program can find a folder for: an ASCII letter first
    (the folder is named by it), no "=" (the INI separator), nothing outside the BMP."""
    return bool(re.match(r"^[A-Za-z]", word)) and "=" not in word and all(ord(c) <= 0xFFFF for c in word) \
        and word == word.strip()


def plan(bank_words):
    """-> {key: (word, value, set of folder letters)}: one recording per word ignoring case
    (the index matches keys without regard to case), filed under the folder of its value and
    under the first letter of every spelling, because some modes take the folder from the
    entry and others from the value."""
    entries = {}
    for tag in RENDERED_TAGS:
        for word in bank_words.get(tag, []):
            if not indexable(word):
                continue
            key = word.lower()
            if key not in entries:
                value = safe_name(word)
                entries[key] = (word, value, {value[0]})
            entries[key][2].add(word[0])
    return entries


def render(text, target):
    fd, tmp = tempfile.mkstemp(suffix=".wav", dir=os.path.dirname(target))
    os.close(fd)
    try:
        subprocess.run(["flite", "-voice", VOICE, "-t", text, "-o", tmp], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.replace(tmp, target)
    finally:
        if os.path.exists(tmp):
            os.remove(tmp)


def praise(target):
    """A rising two-note chime followed by a spoken "Good!"."""
    with tempfile.TemporaryDirectory() as tmp:
        chime = os.path.join(tmp, "chime.wav")
        voice = os.path.join(tmp, "voice.wav")
        subprocess.run(["sox", "-n", "-r", "16000", "-c", "1", "-b", "16", chime,
                        "synth", "0.12", "sine", "880", "fade", "0", "0.12", "0.05", ":",
                        "synth", "0.25", "sine", "1320", "fade", "0", "0.25", "0.2", "vol", "0.5"],
                       check=True)
        subprocess.run(["flite", "-voice", VOICE, "-t", "Good!", "-o", voice], check=True)
        subprocess.run(["sox", chime, voice, target + ".tmp.wav"], check=True)
        os.replace(target + ".tmp.wav", target)


def main():
    out = sys.argv[1]
    work = os.path.join(out, ".work")
    with open(os.path.join(work, "banks.json"), encoding="utf-8") as f:
        bank_words = json.load(f)
    br = os.path.join(out, "br")
    manifest_path = os.path.join(work, "sounds.json")
    manifest = {}
    if os.path.exists(manifest_path):
        with open(manifest_path, encoding="utf-8") as f:
            manifest = json.load(f)
    if manifest.get("version") != RENDER_VERSION and os.path.isdir(br):
        shutil.rmtree(br)

    entries = plan(bank_words)
    wanted = set()
    for word, value, folders in entries.values():
        for letter in folders:
            wanted.add(os.path.join(letter, value))
    wanted.add(os.path.join("g", PRAISE))

    # Files no longer wanted (a word left the banks) go, so the index and folder stay equal.
    if os.path.isdir(br):
        for folder in os.listdir(br):
            for name in os.listdir(os.path.join(br, folder)):
                if os.path.join(folder, name) not in wanted:
                    os.remove(os.path.join(br, folder, name))

    todo = []
    for word, value, folders in entries.values():
        for letter in sorted(folders):
            path = os.path.join(br, letter, value)
            if not os.path.exists(path):
                os.makedirs(os.path.dirname(path), exist_ok=True)
                todo.append((word, path))
    with concurrent.futures.ThreadPoolExecutor(max_workers=2) as pool:
        list(pool.map(lambda job: render(*job), todo))
    praise_path = os.path.join(br, "g", PRAISE)
    if not os.path.exists(praise_path):
        os.makedirs(os.path.dirname(praise_path), exist_ok=True)
        praise(praise_path)

    lines = ["[Mywav]"]
    for word, value, _ in sorted(entries.values(), key=lambda e: e[0].lower()):
        lines.append(f"{word}={value}")
    textio.write_lines(os.path.join(out, "br.tif"), lines)
    with open(manifest_path, "w", encoding="utf-8") as f:
        json.dump({"version": RENDER_VERSION}, f)
    print(f"sounds: {len(entries)} words indexed, {len(todo)} files rendered now")


if __name__ == "__main__":
    main()
