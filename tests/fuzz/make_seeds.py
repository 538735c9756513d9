#!/usr/bin/env python3
"""Seed corpora for the fuzz targets, cut from the built data: one folder per target.

usage: make_seeds.py <data folder> <seed folder>
"""
import os
import random
import sys


def chunks(data, size, count, rng):
    """count pieces of data of at most size bytes, from the start and from random places."""
    if len(data) <= size:
        return [data]
    pieces = [data[:size]]
    for _ in range(count - 1):
        at = rng.randrange(0, len(data) - size)
        pieces.append(data[at:at + size])
    return pieces


def lines_of(path):
    with open(path, 'rb') as f:
        return f.read().decode('gb18030', errors='replace').splitlines()


def main():
    data, out = sys.argv[1], sys.argv[2]
    rng = random.Random(15)
    seeds = {name: [] for name in
             ('gb18030', 'wordentry', 'wordlist', 'soundindex', 'waveheader', 'learnername',
              'lookup', 'lesson', 'exchange')}
    worddata = os.path.join(data, 'Worddata')
    banks = sorted(f for f in os.listdir(worddata) if f.endswith('.dst'))
    bank_lines = []
    for bank in banks:
        path = os.path.join(worddata, bank)
        with open(path, 'rb') as f:
            raw = f.read()
        seeds['gb18030'] += chunks(raw, 2048, 4, rng)
        lines = lines_of(path)
        bank_lines += lines
        seeds['wordentry'] += [l.encode('utf-8') for l in rng.sample(lines, min(60, len(lines)))]
        seeds['learnername'].append(bank[:-4].encode('utf-8'))
    corpus = os.path.join(worddata, 'sentence34085.txt')
    sentences = lines_of(corpus) if os.path.exists(corpus) else []
    with open(os.path.join(data, 'Ebook.txt'), 'rb') as f:
        seeds['gb18030'].append(f.read())
    for name in ('yinbiao.txt', '发音规则.txt', '字母组合.txt'):
        path = os.path.join(data, 'yb48', name)
        if os.path.exists(path):
            with open(path, 'rb') as f:
                raw = f.read()
            seeds['gb18030'] += chunks(raw, 2048, 2, rng)
            seeds['lesson'].append(raw)
    with open(os.path.join(data, 'br.tif'), 'rb') as f:
        seeds['soundindex'] += chunks(f.read(), 2048, 8, rng)

    # Word lists: a load of bank lines, then appends, removals and duplicate tests of them.
    for _ in range(40):
        picked = rng.sample(bank_lines, 12)
        steps = [b'\x00' + ' '.join(l.replace(' ', '') for l in picked[:6]).encode('utf-8')]
        for line in picked:
            op = rng.choice((1, 2, 3, 3))
            text = line.upper() if rng.random() < 0.3 else line
            steps.append(bytes([op]) + (bytes([rng.randrange(8)]) if op == 2 else
                                        text.encode('utf-8')))
        seeds['wordlist'].append(b'\n'.join(steps))

    # Wave files: the recorded words and the lesson sounds, cut after their first samples.
    waves = []
    for root, _, files in os.walk(data):
        waves += [os.path.join(root, f) for f in files if f.lower().endswith('.wav')]
    for path in rng.sample(sorted(waves), min(40, len(waves))):
        with open(path, 'rb') as f:
            seeds['waveheader'].append(f.read(1024))

    # Names as learners type them.
    seeds['learnername'] += [n.encode('utf-8') for n in
                             ('小明', 'Tom', 'Tom ', '王 小 明', 'Anna-Lena', 'José', '学员01')]

    # Lookup: a word of a bank, then bank lines and example sentences that may hold it.
    for _ in range(60):
        entry = rng.choice(bank_lines)
        word = entry.split('[', 1)[0] if rng.random() < 0.7 else entry.split(']', 1)[-1][:3]
        lines = rng.sample(bank_lines, 4) + [entry]
        lines += rng.sample(sentences, min(6, len(sentences)))
        lines += [s for s in sentences[:2000] if word and word in s][:4]
        rng.shuffle(lines)
        seeds['lookup'].append('\n'.join([word] + lines).encode('utf-8'))

    # Import files: bank lines as CSV (first byte 0) and as Anki text (first byte 1).
    def quoted(field):
        return '"' + field.replace('"', '""') + '"' if any(c in field for c in ',"\r\n') else field
    for _ in range(30):
        rows = []
        for entry in rng.sample(bank_lines, 8):
            word, _, rest = entry.partition('[')
            phonetic, _, meaning = rest.partition(']')
            rows.append((word, phonetic, meaning))
        csv = 'word,ipa,meaning\r\n' + ''.join(
            ','.join(quoted(f) for f in row) + '\r\n' for row in rows)
        anki = '#separator:tab\n#html:false\n' + ''.join(
            '%s\t[%s] %s\tlangjitong::new\n' % row for row in rows)
        seeds['exchange'].append(b'\x00' + csv.encode('utf-8'))
        seeds['exchange'].append(b'\x01' + anki.encode('utf-8'))

    for name, items in seeds.items():
        folder = os.path.join(out, name)
        os.makedirs(folder, exist_ok=True)
        for i, item in enumerate(items):
            with open(os.path.join(folder, '%04d' % i), 'wb') as f:
                f.write(item)
    print('seeds: ' + ', '.join('%s %d' % (n, len(i)) for n, i in seeds.items()))


if __name__ == '__main__':
    main()
