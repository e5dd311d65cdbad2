#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the CSV exports expected for some of the result files of the report tests.
#
# Worked out here from the layout rules of the export, independently of the C++ code:
# with information, "Nom;" + the patient of line 1 (and "  (sans limite du nbre de
# stimuli)" for an endless series, whose header ends with its only "#"),
# "Passation du;" + the date of line 1, "Nbre d'essais;" + line 2; then every line
# from line 3 up to "[Notes]" with its first blank made a ";": for "Attention
# soutenue" as it stands, for the other tests numbered from 1 ("k;"), a line starting
# with "-" becoming "Intempestifs;" + the rest when the information is wanted, and the
# file's very last line left out when it is not.
#
# Run from this directory:  python3 make_exports.py
# Output: <result file>.data.csv and <result file>.info.csv (Windows-1252, CR LF).

import os

SOURCES = [  # (file, test index)
    ("Dupont_32.VC", 0),     # notes after the closing line
    ("Roux_16.VC", 0),       # incomplete, closing line 0, no notes
    ("Roux_999.VC", 0),      # endless series, "-2" then notes
    ("Durand_36.LFC", 2),    # closing line "-3 1", no notes
    ("Petit_32.DB", 4),      # closing line "0 3", no notes
    ("sustained_input.AS", 7),
]
HERE = os.path.dirname(os.path.abspath(__file__))
ANALYSIS = os.path.join(HERE, "..", "analysis")


def export(lines, test, with_info):
    header = lines[0]
    p = header.find(": ")
    patient = header[:p]
    unlimited = header.count("#") == 1 and header.endswith("#")
    date = header[p + 2:len(header) - 2] if unlimited else header[p + 2:]
    out = []
    if with_info:
        out.append("Nom;" + patient + ("  (sans limite du nbre de stimuli)" if unlimited else ""))
        out.append("Passation du;" + date)
        out.append("Nbre d'essais;" + lines[1])
    k = 0
    for i, line in enumerate(lines[2:], start=2):
        k += 1
        if line == "[Notes]":
            break
        t = line.replace(" ", ";", 1)
        if test == 7:
            out.append(t)
        elif with_info:
            out.append("Intempestifs;" + t[1:] if t.startswith("-") else "%d;%s" % (k, t))
        elif i < len(lines) - 1:
            out.append("%d;%s" % (k, t))
    return "".join(l + "\r\n" for l in out).encode("cp1252")


for name, test in SOURCES:
    with open(os.path.join(ANALYSIS, name), "rb") as f:
        lines = f.read().decode("cp1252").split("\r\n")
    assert lines[-1] == ""
    lines = lines[:-1]
    for mode, with_info in (("data", False), ("info", True)):
        with open(os.path.join(HERE, "%s.%s.csv" % (name, mode)), "wb") as f:
            f.write(export(lines, test, with_info))
