#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Full-length runs of the visual reaction-time windows in the real program on a
# 1280 x 1024 virtual screen, each played by the pixel watcher of the end-to-end
# tests (presses at known delays, a few items left to time out, presses at the
# fixation point, false alarms), with the timing figures of every run:
#   recorded - press     file value - (press sent - stimulus seen)
#   foreperiod           stimulus seen - (end of the previous item + foreperiod)
#   timeout              stimulus gone - (stimulus seen + limit)
#   fixation_onset       point seen - (end of the previous item + fixation time)
#   fixation_duration    point gone - point seen - 500
#   off_grid             onset seen - the refresh grid of the run (Xvfb: 16 666 us)
#   on_target            foreperiods ending within half a refresh (+1.5 ms) of their due time
# (ms; n, median, mean, min, max). About 5 minutes a 64-item run.
# ZOKA_PRESENTATION=repaint runs the program drawing at once (no Present), for
# comparison; the default presents every stimulus on the refresh.
#
#   bash bench/visual_rt.sh [BUILD_DIR [OUT_DIR [RUN...]]]
#   RUN: TEST:COUNT, TEST one of LAT LFC SB DB (default: LAT:64 LFC:64 SB:64 DB:64)
# ZOKA_E2E_NICE=-10 (as root) runs the X server, the program and the watcher at a
# higher priority than other work on the machine.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
out=${2:-$(mktemp -d /tmp/zoka-bench-rt.XXXXXX)}
shift 2 2>/dev/null || shift $#
runs=("$@")
[ ${#runs[@]} -gt 0 ] || runs=(LAT:64 LFC:64 SB:64 DB:64)
mkdir -p "$out"

status=0
for run in "${runs[@]}"; do
    test=${run%%:*}; count=${run##*:}
    echo "== $test $count items"
    python3 "$here/autotests/epreuves/rt_session.py" --build "$build" --src "$here" --test "$test" \
        --count "$count" --figures "$out/$test-$count.json" --presentation "${ZOKA_PRESENTATION:-present}" \
        | tee "$out/$test-$count.log" || status=1
done

python3 - "$out" <<'PY'
import json, os, sys
out = sys.argv[1]
keys = ["recorded_minus_press", "foreperiod", "timeout", "fixation_onset", "fixation_duration", "off_grid"]
print("\n| run | " + " | ".join(keys) + " | on_target |")
print("|---" * (len(keys) + 2) + "|")
for name in sorted(os.listdir(out)):
    if not name.endswith(".json"):
        continue
    f = json.load(open(os.path.join(out, name)))
    cells = []
    for k in keys:
        s = f[k]
        cells.append("-" if not s.get("n") else "n=%d med %+.2f max %+.2f min %+.2f" % (
            s["n"], s["median"], s["max"], s["min"]))
    print("| %s %d (%s) | %s | %s |" % (f["test"], f["count"], f.get("presentation", "-"), " | ".join(cells),
                                       f.get("on_target", "-")))
PY
echo "figures in $out"
exit $status
