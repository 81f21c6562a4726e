#!/usr/bin/env python3
"""Extracts the sentence development set from the Simplified Chinese manual pages (Debian
package manpages-zh, GFDL-1.2+; the three pages the package lists under other licences are
skipped).

A sentence is a run of 4-30 GB2312 hanzi between anything else (punctuation, digits, Latin,
markup); a run that only the source's line wrapping splits is one run. Runs are deduplicated
and a fixed sample is chosen by a hash of the text, so every run of the script picks the same
sentences.

    apt-get install manpages-zh
    python3 make_devset.py > devset.txt
"""
import gzip
import hashlib
import os
import re
import sys

MAN_ROOT = "/usr/share/man/zh_CN"
SAMPLE_SIZE = int(os.environ.get("DEVSET_SIZE", "400"))
OTHER_LICENCES = {"man1/kill.1.gz", "man6/intro.6.gz", "man7/epoll.7.gz"}
SHORTEST, LONGEST = 4, 30


def is_gb2312_hanzi(char):
    try:
        encoded = char.encode("gb2312")
    except UnicodeEncodeError:
        return False
    # Rows 16-87 of GB2312 hold the hanzi (lead bytes 0xB0-0xF7).
    return len(encoded) == 2 and 0xB0 <= encoded[0] <= 0xF7


def manual_pages():
    for section in sorted(os.listdir(MAN_ROOT)):
        folder = os.path.join(MAN_ROOT, section)
        for name in sorted(os.listdir(folder)):
            if name.endswith(".gz") and f"{section}/{name}" not in OTHER_LICENCES:
                yield os.path.join(folder, name)


def plain_text(raw):
    try:
        source = raw.decode("utf-8")
    except UnicodeDecodeError:
        source = raw.decode("gb18030", errors="replace")
    lines = []
    for line in source.split("\n"):
        if line.startswith('.\\"') or line.startswith("'\\\""):
            continue  # comments
        line = re.sub(r"^[.'][A-Za-z]+\s*", "", line)  # requests and macros
        line = re.sub(r"\\f[A-Z0-9]|\\f\(..|\\\(..|\\.", " ", line)  # font changes, escapes
        lines.append(line)
    text = "\n".join(lines)
    # The source wraps long sentences: a line break between two hanzi joins them.
    return re.sub(r"([\u4e00-\u9fa5])\n([\u4e00-\u9fa5])", r"\1\2", text)


def runs(text):
    run = []
    for char in text + "\n":
        if is_gb2312_hanzi(char):
            run.append(char)
            continue
        if SHORTEST <= len(run) <= LONGEST:
            yield "".join(run)
        run = []


def main():
    sentences = set()
    for page in manual_pages():
        with open(page, "rb") as handle:
            sentences.update(runs(plain_text(gzip.decompress(handle.read()))))
    digest = lambda text: hashlib.sha1(text.encode("utf-8")).hexdigest()
    for sentence in sorted(sentences, key=digest)[:SAMPLE_SIZE]:
        sys.stdout.write(sentence + "\n")


if __name__ == "__main__":
    main()
