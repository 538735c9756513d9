"""Text files as the program reads them: GB18030, CR LF after every line, written atomically."""
import os


def write_bytes(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def write_lines(path, lines):
    for line in lines:
        if "\r" in line or "\n" in line:
            raise ValueError(f"{path}: a line holds a line break: {line!r}")
    write_bytes(path, "".join(line + "\r\n" for line in lines).encode("gb18030"))


def read_lines(path):
    with open(path, "rb") as f:
        return f.read().decode("gb18030").splitlines()
