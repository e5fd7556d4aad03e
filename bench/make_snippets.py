#!/usr/bin/env python3
"""Lays out the benchmark folders under RUN (scripts/bench.sh fills in the
programs):

    RUN/startup-10/预览代码/      10 snippet files
    RUN/startup-10000/预览代码/   10,000 snippet files
    RUN/preview/预览代码/         large-64MiB.txt and small-1MiB.txt

The start-up snippets are small page-code files created in shuffled order,
so the sorted list really sorts. The preview snippets are page code with no
NUL byte, so the whole file becomes the snippet text.
"""

import os
import sys

SNIPPET_FOLDER = "预览代码"  # the folder name on disk; Wine shows it as GBK
LINE = b'<div class="row"><span>page code snippet</span></div>\r\n'
MIB = 1 << 20


def write_startup_folder(run, count):
    folder = os.path.join(run, "startup-%d" % count, SNIPPET_FOLDER)
    os.makedirs(folder)
    step = 7919  # prime, not a divisor of either count: a shuffled order
    for i in range(count):
        number = (i * step) % count
        with open(os.path.join(folder, "snippet-%05d.txt" % number), "wb") as snippet:
            snippet.write(b"<p>snippet %d</p>\r\n" % number)


def write_page_code(path, size):
    block = (LINE * (MIB // len(LINE) + 1))[:MIB]
    with open(path, "wb") as snippet:
        for _ in range(size // MIB):
            snippet.write(block)


def main():
    run = sys.argv[1]
    for count in (10, 10000):
        write_startup_folder(run, count)
    folder = os.path.join(run, "preview", SNIPPET_FOLDER)
    os.makedirs(folder)
    write_page_code(os.path.join(folder, "large-64MiB.txt"), 64 * MIB)
    write_page_code(os.path.join(folder, "small-1MiB.txt"), MIB)


if __name__ == "__main__":
    main()
