#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "TR auditif" in the real program, under a virtual X
# server with a private sound server whose null sink is listened to on its monitor:
# intro window, patient name, the test chosen in the list, "Passation",
# instructions, practice skipped, then a 16-item test run. A small driver hears
# each tone start and presses the mouse button at known delays after it (twice
# not at all, once during a silence). The result file must be byte-correct apart
# from the measured times, which must match the injected delays plus the sound's
# way out (loose bounds: the machine is shared).
#   bash e2e_auditif.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup aud "$1" "$2"
DRIVER=$BUILD/e2e/e2e_auditif_driver
command -v pulseaudio >/dev/null && command -v parec >/dev/null || { echo "pulseaudio and parec are needed"; exit 1; }
start_xvfb 241 290 800x600x24 "$WORK/xvfb.log"
# A sound server of our own: one null sink, the program's only output.
start_pulse required


(cd "$PROG" && exec "$ZOKA") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
await "Batterie Attention Tessaro"
sleep 1
if ls "$PROG"/Intro_Zoka.* >/dev/null 2>&1; then
    xdotool mousemove 400 150 click --repeat 2 --delay 80 1
else
    click 164 372
fi
gone "Batterie Attention Tessaro"
sleep 1
main_click 260 58                  # patient name
xdotool key ctrl+a
xdotool type --delay 20 "Dupont"
main_click 560 246                 # "TR auditif" in the list of tests
sleep 0.5
shot 01-main
open_instructions
skip_practice
shot 02-ready

# The patient listens to the sink's output from now on.
mkfifo "$WORK/ear"
parec -d null.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=1 >"$WORK/ear" 2>/dev/null &
REC_PID=$!
xdotool mousemove 790 590
essai_click 268 480                # Continuer: test run
sleep 1.5
shot 03-run                        # the window of the run: nothing but its colour
DELAYS=250,180,320,400,210,-1,150,275,230,500,190,350,-1,260,220,300
"$DRIVER" 16 $DELAYS 9:1500 <"$WORK/ear" >"$WORK/test.txt"
sleep 2
shot 04-thanks
# The run's window keeps the dialog face colour and shows nothing.
RUNPIX=$(convert "$SHOTS/03-run.png" -format "%[pixel:p{400,300}] %[pixel:p{10,10}]" info:)
echo "run window colour: $RUNPIX"
case "$RUNPIX" in *white*|*"(255,255,255)"*) echo "FAIL: the run's window is white"; exit 1;; esac

python3 - "$PROG" "$WORK" "$DELAYS" "$SHOTS" <<'PY'
import os, re, stat, sys, statistics
prog, work, delays, shots = sys.argv[1], sys.argv[2], [int(x) for x in sys.argv[3].split(",")], sys.argv[4]
fp = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5]
fails = []
def check(cond, what):
    if not cond:
        fails.append(what)
rows = [tuple(float(x) for x in l.split()[:4]) for l in open(os.path.join(work, "test.txt"))]
path = os.path.join(prog, "Epreuves", "Dupont_16.AUD")
data = open(path, "rb").read()
check(data.endswith(b"\r\n"), "last line without CR LF")
lines = data.split(b"\r\n")[:-1]
check(re.fullmatch(rb"Dupont: \S+ \xe0 \d\d?:\d\d:\d\d", lines[0]) is not None, "header " + repr(lines[0]))
check(lines[1] == b"0", "practice-runs line " + repr(lines[1]))
items = lines[2:-1]
check(len(items) == 16 and len(rows) == 16, "%d item lines, %d items heard" % (len(items), len(rows)))
check(lines[-1] == b"-1", "closing line " + repr(lines[-1]) + " (one untimely press)")
check(os.stat(path).st_mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH) == 0, "result file not marked read-only")
# The journal line of a tone test names the sound path and the output's latency.
journal = open(os.path.join(prog, "Chronometrie.txt"), "rb").read().split(b"\r\n")
check(len(journal) == 2 and journal[0].startswith(b"Dupont_16.AUD | " + lines[0][len(b"Dupont: "):] + b" | "),
      "journal %r" % journal)
check(re.search(rb" \| son : pulseaudio [\d.]+, sortie null, latence de la sortie \d+,\d ms \| ", journal[0]) is not None,
      "journal sound field %r" % journal[0])
print("journal:", journal[0].decode("cp1252"))
heard, fpe, toe = [], [], []
prev_end = None
for (i, on, pressed, gone), item, d, f in zip(rows, items, delays, fp):
    value = int(item)
    if d < 0:
        check(value == 3000, "item %d: %d instead of 3000" % (i, value))
        toe.append(gone - on - 3000)
        end = gone
    else:
        # value = press - onset tick; the driver pressed d ms after it heard the tone.
        heard.append(value - (pressed - on))
        check(0 <= value - d <= 40, "item %d: %d for a press %d ms after the tone was heard" % (i, value, d))
        end = pressed
    if prev_end is not None:
        fpe.append(on - prev_end - f * 1000)
    print("item %2d: foreperiod %d s, heard %+.2f ms late; value %5d, press at %s" % (
        i, f, (on - prev_end - f * 1000) if prev_end is not None else 0.0, value,
        "%d ms" % d if d >= 0 else "-"))
    prev_end = end
def summary(name, v):
    return "%s: n=%d median %+.2f ms, min %+.2f, max %+.2f" % (name, len(v), statistics.median(v), min(v), max(v))
print(summary("tone heard after the onset tick (file value - (press sent - tone heard))", heard))
print(summary("foreperiod (tone heard - end of previous item - foreperiod)", fpe))
print(summary("time-out (tone gone - tone heard - 3000)", toe))
check(all(-5 <= e <= 30 for e in fpe), "a foreperiod is off by more than the bounds")
check(all(-30 <= e <= 30 for e in toe), "a time-out is off by more than 30 ms")
for f in fails:
    print("FAIL:", f)
print("%d passed, %d failed" % (1 if not fails else 0, 1 if fails else 0))
sys.exit(1 if fails else 0)
PY
