#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "TR visuel centré" in the real program, under a
# virtual X server with a private null sound sink: intro window, patient name,
# "Passation", instructions, one practice run, then a 16-item test run. A small
# driver watches the screen for the square and presses the mouse button at known
# delays after it appears. The result files must be byte-correct apart from the
# measured times, which must match the injected delays within a few milliseconds.
#   bash e2e_visuelcentre.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup vc "$1" "$2"
# A display of our own, and a sound server with a null sink (the end sound is played).
start_xvfb 91 140 800x600x24 "$WORK/xvfb.log"
start_pulse

# The patient's side.
DRIVER=$BUILD/e2e/e2e_visuelcentre_driver


(cd "$PROG" && exec "$ZOKA") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
await "Batterie Attention Tessaro"   # the title screen
sleep 1
shot 01-intro
if ls "$PROG"/Intro_Zoka.* >/dev/null 2>&1; then
    xdotool mousemove 400 150 click --repeat 2 --delay 80 1   # intro picture: double click
else
    click 164 372                  # intro buttons: Continuer
fi
gone "Batterie Attention Tessaro"
sleep 1
main_click 260 58                  # patient name
xdotool key ctrl+a
xdotool type --delay 20 "Dupont"
sleep 0.3
shot 02-main
main_click 148 144                 # Passation
await "FormEssai"
sleep 1
shot 03-instructions
essai_click 268 480                # Continuer: "Prêt pour les essais?"
sleep 1
shot 04-ready
xdotool mousemove 790 590          # out of the way; presses land anywhere
essai_click 268 480                # Continuer: practice run
# Practice: item 1 left to time out (screenshot of the square), then presses.
"$DRIVER" 6 -1,300,280,260,240,220 400 300 "$WORK/square.ppm" 1 >"$WORK/practice.txt"
sleep 1.5
shot 05-redo
essai_click 404 480                # Non: "Prêt pour l'épreuve?"
sleep 1
essai_click 268 480                # Continuer: test run
DELAYS=250,180,320,400,210,600,150,-1,275,230,500,190,350,260,-1,220
"$DRIVER" 16 $DELAYS 400 300 >"$WORK/test.txt"
sleep 2
shot 06-thanks
convert "$WORK/square.ppm" "$SHOTS/07-square.png"

# The timing check from the command line, on the same display and sound server: one
# verdict per line, exit code 1 exactly when a line is to be checked.
rc=0
(cd "$PROG" && LC_ALL=C.UTF-8 "$ZOKA" --check-timing) >"$WORK/check.txt" 2>"$WORK/check.err" || rc=$?
cat "$WORK/check.txt"
python3 - "$WORK/check.txt" "$rc" <<'PY' || { echo "FAIL: zoka --check-timing"; exit 1; }
import re, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
assert lines[0].startswith("Contrôle de la chronométrie - "), lines[0]
verdicts = [re.search(r" -> (bon|acceptable|à vérifier|non mesuré) \(", l) for l in lines[1:8]]
assert all(verdicts) and len(lines) == 9, lines
assert lines[3].startswith("Minuteries des essais : retard médian "), lines[3]
assert lines[5].startswith("Latence de la sortie son : pulseaudio"), lines[5]
assert (sys.argv[2] == "1") == any(v.group(1) == "à vérifier" for v in verdicts), sys.argv[2]
PY

python3 - "$PROG" "$WORK" "$DELAYS" <<'PY'
import os, re, stat, sys
prog, work, delays = sys.argv[1], sys.argv[2], [int(x) for x in sys.argv[3].split(",")]
practice_fp = [5, 3, 1, 7, 1, 5]
test_fp = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5]
fails = []
def check(cond, what):
    if not cond:
        fails.append(what)

def driver_rows(name):
    rows = []
    for line in open(os.path.join(work, name)):
        i, on, pressed, gone = line.split()
        rows.append((int(i), float(on), float(pressed), float(gone)))
    return rows

def check_file(path, rows, fp, practice_runs, injected):
    data = open(path, "rb").read()
    check(data.endswith(b"\r\n"), path + ": last line without CR LF")
    lines = data.split(b"\r\n")[:-1]
    check(all(b"\n" not in l and b"\r" not in l for l in lines), path + ": stray line ends")
    check(re.fullmatch(rb"Dupont: \S+ \xe0 \d\d?:\d\d:\d\d", lines[0]) is not None,
          path + ": header " + repr(lines[0]))
    check(lines[1] == str(practice_runs).encode(), path + ": practice-runs line " + repr(lines[1]))
    items = lines[2:-1]
    check(len(items) == len(fp), path + ": %d item lines" % len(items))
    check(lines[-1] == b"0", path + ": closing line " + repr(lines[-1]))
    rt_err, fp_err, to_err = [], [], []
    prev_end = None
    for (i, on, pressed, gone), item, d, f in zip(rows, items, injected, fp):
        value = int(item)
        if d < 0:
            check(value == 3000, "%s item %d: %d instead of 3000" % (path, i, value))
            to_err.append((gone - on) - 3000)
            end = gone
        else:
            rt_err.append(value - (pressed - on))
            check(abs(value - d) <= 10, "%s item %d: %d for a press at %d ms" % (path, i, value, d))
            end = pressed
        if prev_end is not None:
            fp_err.append((on - prev_end) - f * 1000)
        print("%s item %2d: foreperiod %d s, seen %+.2f ms late; value %5d, press sent at %s" % (
            os.path.basename(path), i, f, ((on - prev_end) - f * 1000) if prev_end is not None else 0.0,
            value, "%.2f ms" % (pressed - on) if d >= 0 else "-"))
        prev_end = end
    return rt_err, fp_err, to_err

def summary(name, errs):
    if not errs:
        return "%s: none" % name
    return "%s: n=%d min %+.2f ms, max %+.2f ms, mean %+.2f ms" % (
        name, len(errs), min(errs), max(errs), sum(errs) / len(errs))

p_rows, t_rows = driver_rows("practice.txt"), driver_rows("test.txt")
p = check_file(os.path.join(prog, "Essais"), p_rows, practice_fp, 0, [-1, 300, 280, 260, 240, 220])
t = check_file(os.path.join(prog, "Epreuves", "Dupont_16.VC"), t_rows, test_fp, 1, delays)
# One journal line for the administration (none for the practice run), tied to the
# file by its name and the date of its header.
journal = open(os.path.join(prog, "Chronometrie.txt"), "rb").read()
check(journal.endswith(b"\r\n"), "journal: last line without CR LF")
jlines = journal.split(b"\r\n")[:-1]
header = open(os.path.join(prog, "Epreuves", "Dupont_16.VC"), "rb").read().split(b"\r\n")[0]
check(len(jlines) == 1 and jlines[0].startswith(b"Dupont_16.VC | " + header[len(b"Dupont: "):] + b" | "),
      "journal: %r" % jlines)
for field in (b"affichage : Xvfb ", b"session ", b"appuis : heure de l'\xe9v\xe9nement", b"son : sans objet",
              b"temps r\xe9el : "):
    check(field in journal, "journal: no %r" % field)
print("journal:", journal.decode("cp1252").strip())
mode = os.stat(os.path.join(prog, "Epreuves", "Dupont_16.VC")).st_mode
check(mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH) == 0, "result file not marked read-only")
check(os.stat(os.path.join(prog, "Essais")).st_mode & stat.S_IWUSR, "practice file marked read-only")
rt = p[0] + t[0]; fpe = p[1] + t[1]; to = p[2] + t[2]
print(summary("press time (file value - (press sent - square seen))", rt))
print(summary("press time (file value - injected delay)",
              [int(x) - d for x, d in zip(open(os.path.join(prog, "Epreuves", "Dupont_16.VC"), "rb").read().split(b"\r\n")[2:18], delays) if d >= 0]))
print(summary("foreperiod (square seen - end of previous item - foreperiod)", fpe))
print(summary("time-out (square gone - square seen - 3000)", to))
# Bounds that a loaded two-core machine keeps; a fault of the protocol (a foreperiod
# counted from the wrong moment, a time taken at the wrong place) is far larger.
check(all(abs(e) <= 10 for e in rt), "a press time is off by more than 10 ms")
check(all(abs(e) <= 25 for e in fpe), "a foreperiod is off by more than 25 ms")
# An unanswered square goes on the first refresh after its window: up to one of
# Xvfb's 16.7 ms refreshes more.
check(all(-25 <= e <= 25 + 16.7 for e in to), "a time-out is off by more than 25 ms (a refresh more allowed)")
for f in fails:
    print("FAIL:", f)
print("%d passed, %d failed" % (1 if not fails else 0, 1 if fails else 0))
sys.exit(1 if fails else 0)
PY
