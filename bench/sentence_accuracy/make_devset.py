#!/usr/bin/env python3
"""Extracts the sentence development set from two Debian packages of Simplified Chinese text.

From the manual pages (manpages-zh, GFDL-1.2+; the three pages the package lists under other
licences are skipped): runs of 4-30 GB2312 hanzi between anything else (punctuation, digits,
Latin, markup); a run that only the source's line wrapping splits is one run.

From the Debian Reference (debian-reference-zh-cn, GPL-2+): runs of 4-30 characters that are
GB2312 hanzi, ASCII digits or the marks of MARKS, at least 4 of them hanzi, either holding a
digit or a mark between two characters. A number set off from the hanzi by a blank, as the
source writes it, joins them; marks at the ends of a run that end nothing (a leading mark, a
trailing opening bracket) are cut off.

Runs are deduplicated and each kind's fixed sample is chosen by a hash of the text, so every run
of the script picks the same sentences. The set holds the hanzi runs first, then the runs with
digits, then those with marks:

    apt-get install manpages-zh debian-reference-zh-cn
    python3 make_devset.py > devset.txt
    python3 make_devset.py --marked >> devset.txt
"""
import gzip
import hashlib
import os
import re
import sys

MAN_ROOT = "/usr/share/man/zh_CN"
REFERENCE = "/usr/share/debian-reference/debian-reference.zh-cn.txt.gz"
SAMPLE_SIZE = int(os.environ.get("DEVSET_SIZE", "400"))
DIGIT_SAMPLE_SIZE = int(os.environ.get("DEVSET_DIGIT_SIZE", "150"))
MARK_SAMPLE_SIZE = int(os.environ.get("DEVSET_MARK_SIZE", "100"))
MARKS = "，。：；？！、（）"
SHORTEST_HANZI = 4
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


def runs(text, belongs=is_gb2312_hanzi):
    """The runs of characters that `belongs` takes, empty ones too."""
    run = []
    for char in text + "\n":
        if belongs(char):
            run.append(char)
            continue
        yield "".join(run)
        run = []


def hanzi_runs(text):
    return (run for run in runs(text) if SHORTEST <= len(run) <= LONGEST)


def is_marked_text(char):
    return is_gb2312_hanzi(char) or "0" <= char <= "9" or char in MARKS


def reference_text(text):
    cjk = "[\u4e00-\u9fa5" + MARKS + "]"
    text = re.sub(f"(?<={cjk})\n\\s*(?={cjk})", "", text)  # line wrapping
    return re.sub(f"(?<={cjk}) ?([0-9]+) ?(?={cjk})", r"\1", text)


def marked_runs(text):
    for run in runs(text, is_marked_text):
        sentence = run.lstrip(MARKS).rstrip("（")
        hanzi = sum(is_gb2312_hanzi(c) for c in sentence)
        if SHORTEST <= len(sentence) <= LONGEST and hanzi >= SHORTEST_HANZI and hanzi < len(sentence):
            yield sentence


def digest(text):
    return hashlib.sha1(text.encode("utf-8")).hexdigest()


def manual_page_sentences():
    sentences = set()
    for page in manual_pages():
        with open(page, "rb") as handle:
            sentences.update(hanzi_runs(plain_text(gzip.decompress(handle.read()))))
    return sorted(sentences, key=digest)[:SAMPLE_SIZE]


def reference_sentences():
    with gzip.open(REFERENCE, "rt", encoding="utf-8") as handle:
        marked = set(marked_runs(reference_text(handle.read())))
    with_digits = [s for s in marked if re.search("[0-9]", s)]
    with_marks = [s for s in marked if not re.search("[0-9]", s) and re.search(f"[{MARKS}].", s)]
    return (sorted(with_digits, key=digest)[:DIGIT_SAMPLE_SIZE] +
            sorted(with_marks, key=digest)[:MARK_SAMPLE_SIZE])


def main():
    sentences = reference_sentences() if sys.argv[1:] == ["--marked"] else manual_page_sentences()
    for sentence in sentences:
        sys.stdout.write(sentence + "\n")


if __name__ == "__main__":
    main()
