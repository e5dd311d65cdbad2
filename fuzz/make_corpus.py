#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the starting corpora of the fuzz targets from the test data:
#
#   python3 fuzz/make_corpus.py SOURCE_DIR OUTPUT_DIR
#
# OUTPUT_DIR/<target>/ gets one file per input. The inputs of the file-reading targets
# are "<file name>\n" (then "<limits>\n" for the analysis) followed by the result
# file's bytes (see fuzz/fuzzcommon.h); the configuration target takes the records
# as they are. Every file of fuzz/corpus/<target>/ (inputs that once found a fault)
# is copied as it is.
import os
import shutil
import sys

src, out = sys.argv[1], sys.argv[2]
data = os.path.join(src, "autotests", "data")
golden = os.path.join(data, "analysis")

corpora = {t: {} for t in ("analysis", "reader", "sustained", "notes", "config")}


def add(target, name, content):
    corpora[target][name] = content


def read(path):
    with open(path, "rb") as f:
        return f.read()


results = sorted(n for n in os.listdir(golden)
                 if "." in n and not n.endswith((".expected", ".py", ".txt")) and n != "sustained_input.AS")
sustained = read(os.path.join(golden, "sustained_input.AS"))
notes = b"[Notes]\r\nune note\r\n\r\nune autre \xe0 garder\r\n"

for n in results:
    body = read(os.path.join(golden, n))
    head = n.encode("latin-1")
    add("reader", n, head + b"\n" + body)
    add("notes", n, head + b"\n" + body)
    add("notes", n + ".notes", head + b"\n" + body + notes)
    for i, limits in enumerate([b"", b"2,5", b"0.05|abc|10", b"|1.5"]):
        add("analysis", "%s.%d" % (n, i), head + b"\n" + limits + b"\n" + body)

for speed in (0, 1, 2):
    name = ("Dupr\xe9_228-%d.AS" % speed).encode("latin-1")
    add("sustained", "speed%d" % speed, name + b"\n" + sustained)
    add("analysis", "AS.speed%d" % speed, name + b"\n\n" + sustained)
    add("notes", "AS.speed%d" % speed, name + b"\n" + sustained + notes)

for n in sorted(os.listdir(data)):
    if n.endswith(".bin"):
        add("config", n, read(os.path.join(data, n)))

for target, inputs in corpora.items():
    d = os.path.join(out, target)
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    for name, content in inputs.items():
        with open(os.path.join(d, name), "wb") as f:
            f.write(content)
    extra = os.path.join(src, "fuzz", "corpus", target)
    if os.path.isdir(extra):
        for name in sorted(os.listdir(extra)):
            shutil.copy(os.path.join(extra, name), os.path.join(d, "found-" + name))
