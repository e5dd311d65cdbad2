#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole "TR mixte" test run (65 items, about 5 minutes) in the real program,
# under Xvfb with a private null sink: the patient's driver hears the tones on the
# sink's monitor and sees the square on the screen, presses at known delays after
# each (a few items left to time out, one press in a silence), and the figures of
# the run are printed by modality: recorded - press, foreperiods, time-outs, and
# how late the stimulus was heard or seen after its onset tick.
#
#   bash bench/mixte_run.sh [BUILD_DIR] [ITEMS]   (default: build, 65; fewer items
#                                                  end the run with the stop key)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
ITEMS=${2:-65}
source "$here/autotests/xsession.sh"
e2e_setup mixte "${1:-$here/build}" "$here"
DRIVER=$BUILD/e2e/e2e_auditif_driver
[ -x "$DRIVER" ] || { echo "build $DRIVER first" >&2; exit 1; }
start_xvfb 291 340 800x600x24 "$WORK/xvfb.log"
start_pulse required

(cd "$PROG" && exec "$ZOKA") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
await "Batterie Attention Tessaro"
sleep 1
xdotool mousemove 400 150 click --repeat 2 --delay 80 1
sleep 2
main_click 260 58
xdotool key ctrl+a
xdotool type --delay 20 "Dupont"
main_click 560 282                 # "TR mixte"
sleep 0.5
open_instructions
skip_practice
mkfifo "$WORK/ear"
parec -d null.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=1 >"$WORK/ear" 2>/dev/null &
REC_PID=$!
xdotool mousemove 790 590
essai_click 268 480                # test run
DELAYS=$(python3 -c "
d = [250, 180, 320, 400, 210, 150, 275, 230, 500, 190, 350, 260]
print(','.join(str(-1 if i % 9 == 5 else d[i % 12]) for i in range($ITEMS)))")
echo "load at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
"$DRIVER" --square 400,300 "$ITEMS" "$DELAYS" 20:1500 <"$WORK/ear" >"$WORK/run.txt"
[ "$ITEMS" -ge 65 ] || xdotool key Escape
sleep 2
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$PROG/Epreuves/Dupont_65.MIX" "$WORK/run.txt" "$DELAYS" <<'PY'
import sys, statistics
path, run, delays = sys.argv[1], sys.argv[2], [int(x) for x in sys.argv[3].split(",")]
master = [3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5, 7, 3, 5, 1, 1, 5, 3, 7, 7, 5, 1, 3, 3, 5, 1,
          7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5, 3, 7, 7, 3, 5, 1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3, 5]
series = "VAVVVAAAAVVAVVVAAVVVVAAAVVAAAAVAAVAAAVVVVAAVAAAVVAAAAVVVAAVVVVAVV"
lines = open(path, "rb").read().split(b"\r\n")[:-1]
rows = [l.split() for l in open(run)]
items = lines[2:-1]
kinds = "".join(r[4] for r in rows)
print("items %d, closing line %s, modalities as the series: %s" % (
    len(items), lines[-1].decode(), kinds == series[:len(rows)]))
fig = {"A": {"late": [], "fp": [], "to": []}, "V": {"late": [], "fp": [], "to": []}}
prev_end = None
bad = 0
for n, (r, item, d) in enumerate(zip(rows, items, delays)):
    on, pressed, gone, kind = float(r[1]), float(r[2]), float(r[3]), r[4]
    value = int(item)
    f = fig[kind]
    if d < 0:
        bad += value != 3000
        f["to"].append(gone - on - 3000)
        end = gone
    else:
        f["late"].append(value - (pressed - on))
        bad += not (0 <= value - d <= 40)
        end = pressed
    if prev_end is not None:
        f["fp"].append(on - prev_end - master[n] * 1000)
    prev_end = end
def s(v):
    return "n=%2d median %+6.2f ms, SD %5.2f, min %+6.2f, max %+6.2f" % (
        len(v), statistics.median(v), statistics.stdev(v) if len(v) > 1 else 0, min(v), max(v)) if v else "none"
for kind, name in (("V", "square"), ("A", "tone")):
    print("%s: onset tick -> %s: %s" % (name, "seen" if kind == "V" else "heard", s(fig[kind]["late"])))
    print("%s: foreperiod error          : %s" % (name, s(fig[kind]["fp"])))
    print("%s: time-out error            : %s" % (name, s(fig[kind]["to"])))
print("values out of bounds: %d" % bad)
PY
