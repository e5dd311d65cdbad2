#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks the result files of "Attention soutenue" runs against what the watcher saw
and did (e2e_stream_driver rows), and prints the phase timing.

  stream_check.py --speed-ms MS [--bounds] [--refresh-ms P] --file F --practice 0|1 --rows R
                  --script S --items N --runs-before K [--file ...]
                  [--report TXT --expect-report TEXT]

For every file: header, practice-runs line, N item lines (character, space, code) of
the right stream, no closing line; each code as the presses make it (0, n, -1, -n
with n the press time within 25 ms (but for a few events a loaded machine holds up)); a character drawn in the box every time; a
test file marked read-only, the practice file not. Timing: mask and character
phases as seen on the screen, and the drift of the schedule from the first mask.
With --bounds the phases must keep loose limits that a loaded machine keeps. With
--refresh-ms (the display's refresh period) every phase must begin on the refresh
nearest to its due time (whole refreshes from the first mask): each phase within a
refresh of its nominal length, no drift beyond one refresh at the end."""
import argparse, os, re, stat, sys

PRACTICE = "SwkUAYmRA3Um3pmRUY33ALch3"
TEST = ("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3"
        "UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3")
MASK = 250

ap = argparse.ArgumentParser()
ap.add_argument("--speed-ms", type=int, required=True)
ap.add_argument("--bounds", action="store_true", help="fail beyond loose timing limits")
ap.add_argument("--refresh-ms", type=float, default=0)
ap.add_argument("--file", action="append", default=[])
ap.add_argument("--practice", action="append", type=int, default=[])
ap.add_argument("--rows", action="append", default=[])
ap.add_argument("--script", action="append", default=[])
ap.add_argument("--items", action="append", type=int, default=[])
ap.add_argument("--runs-before", action="append", type=int, default=[])
ap.add_argument("--report")
ap.add_argument("--expect-report", action="append", default=[])
a = ap.parse_args()

fails = []
def check(cond, what):
    if not cond:
        fails.append(what)

def stats(name, xs):
    if not xs:
        return "%s: none" % name
    return "%s: n=%d min %+.2f max %+.2f mean %+.2f ms" % (name, len(xs), min(xs), max(xs), sum(xs) / len(xs))

period = MASK + a.speed_ms
for n, path in enumerate(a.file):
    practice = a.practice[n] == 1
    stream = PRACTICE if practice else TEST
    items = a.items[n]
    runs_before = a.runs_before[n]
    script = a.script[n].split(",")
    rows = [l.split() for l in open(a.rows[n])]
    name = os.path.basename(path)
    data = open(path, "rb").read()
    check(data.endswith(b"\r\n"), name + ": last line without CR LF")
    lines = data.split(b"\r\n")[:-1]
    check(all(b"\n" not in l and b"\r" not in l for l in lines), name + ": stray line ends")
    check(re.fullmatch(rb"Dupont: \S+ \xe0 \d\d?:\d\d:\d\d", lines[0]) is not None, name + ": header " + repr(lines[0]))
    check(lines[1] == str(runs_before).encode(), name + ": practice-runs line " + repr(lines[1]))
    body = lines[2:]
    check(len(body) == items, "%s: %d item lines, %d expected" % (name, len(body), items))
    mode = os.stat(path).st_mode
    check(bool(mode & stat.S_IWUSR) == practice, name + (": practice file marked" if practice else ": not marked read-only"))
    masks, chars, press_err, ends = [], [], [], []
    first_mask = float(rows[0][1])
    for i, line in enumerate(body, start=1):
        m = re.fullmatch(rb"(.) (-?\d+)", line)
        check(m is not None, "%s line %d: %r" % (name, i, line))
        if not m:
            continue
        ch, code = m.group(1).decode("cp1252"), int(m.group(2))
        check(ch == stream[i - 1], "%s line %d: character %r, %r expected" % (name, i, ch, stream[i - 1]))
        row = rows[i - 1]
        mask_seen, char_seen, end_seen = float(row[1]), float(row[2]), float(row[3])
        mask_press, char_press, dark = float(row[4]), float(row[5]), int(row[6])
        check(dark > 200, "%s item %d: no character drawn (%d dark pixels)" % (name, i, dark))
        masks.append(char_seen - mask_seen - MASK)
        chars.append(end_seen - char_seen - a.speed_ms)
        # Drift: where the character came up against the schedule of the first mask.
        ends.append(end_seen - first_mask - i * period)
        if char_press >= 0:
            t = char_press - char_seen
            press_err.append(abs(code) - t)
            if abs(press_err[-1]) > 25:
                print("  item %d: code %d for a press %.1f ms after the character was seen (handled late)" % (i, code, t))
            check((code < 0) == (mask_press >= 0), "%s item %d: sign of %d" % (name, i, code))
        elif mask_press >= 0:
            check(code == -1, "%s item %d: %d after a mask press only" % (name, i, code))
        else:
            check(code == 0, "%s item %d: %d without a press" % (name, i, code))
    # A machine loaded by other work may hold an event up now and then; a fault of
    # the timing shows on every item.
    late = [e for e in press_err if abs(e) > 25]
    check(len(late) <= 3 and all(abs(e) <= 300 for e in press_err),
          "%s: %d press times off by more than 25 ms" % (name, len(late)))
    print("%s: %d items, %d presses timed" % (name, len(body), len(press_err)))
    print("  " + stats("press time (code - (press sent - character seen))", press_err))
    print("  " + stats("mask phase (seen - 250)", masks))
    print("  " + stats("character phase (seen - %d)" % a.speed_ms, chars))
    print("  " + stats("end of each character against the run's schedule", ends))
    if ends:
        print("  total drift at the end of character %d: %+.2f ms" % (len(ends), ends[-1]))
    if a.refresh_ms:
        # Phases in whole refreshes: each end on the refresh nearest to its place in
        # the run's schedule (within half a refresh). A phase may be a refresh longer
        # or shorter than nominal where its due time falls half-way between two
        # refreshes. The watcher's own delay and the simulated refresh's timer (whole
        # milliseconds) add up to 2 ms; a loaded machine holds a few up.
        p = a.refresh_ms
        off = lambda xs, lim: [x for x in xs if abs(x) > lim]
        print("  phases beyond a refresh: %d of %d; ends off the schedule's refresh: %d of %d"
              % (len(off(masks + chars, p + 2)), len(masks + chars), len(off(ends, p / 2 + 2)), len(ends)))
        if a.bounds:
            check(len(off(masks + chars, p + 2)) <= max(2, len(masks + chars) // 50),
                  name + ": phases beyond a refresh from their nominal length")
            check(len(off(ends, p / 2 + 2)) <= max(2, len(ends) // 40),
                  name + ": characters ending off the refresh nearest to their schedule")
            check(not ends or abs(ends[-1]) <= p + 2, name + ": the run drifted by more than a refresh")
    if a.bounds:
        check(all(abs(e) <= 25 for e in masks + chars), name + ": a phase is off by more than 25 ms")
        check(all(abs(e) <= 25 for e in ends), name + ": the schedule drifted by more than 25 ms")

if a.report:
    text = open(a.report, "rb").read().decode("cp1252")
    for want in a.expect_report:
        check(want in text, "report lacks %r" % want)

for f in fails:
    print("FAIL:", f)
print("%d passed, %d failed" % (0 if fails else 1, 1 if fails else 0))
sys.exit(1 if fails else 0)
