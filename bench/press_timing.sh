#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Recorded - press: how late the tick of a press is, measured against the moment
# the press was sent (X test extension), on a private Xvfb. For every press two
# ticks are compared: the one the test windows record (the input event's own time
# where the display keeps it on the program's clock) and the tick read first thing
# in the handler (the former way). Four conditions: a quiet event loop or a busy
# one (kept busy 0-40 ms out of every 50), each with the machine as it is and
# while two more compiles run.
#
#   bash bench/press_timing.sh [BUILD_DIR] [PRESSES]     (default: build, 40)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
n=${2:-40}
prog=$build/bench/press_timing
[ -x "$prog" ] || { echo "not built: $prog" >&2; exit 1; }
source "$here/autotests/xsession.sh"

work=$(mktemp -d /tmp/zoka-press.XXXXXX)
XVFB_PID=; win=; loads=()
cleanup() {
    for p in $win "${loads[@]}" $XVFB_PID; do kill "$p" 2>/dev/null || true; done
    wait $win "${loads[@]}" $XVFB_PID 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
start_xvfb 171 190 1280x1024x24 "$work/xvfb.log"

# Two compiles of a test-window source, over and over.
compile_loop() {
    while :; do
        g++ -std=c++20 -O2 -fPIC -fsyntax-only -I"$here/src" $(pkg-config --cflags Qt6Widgets) \
            "$here/src/epreuves/widgets/stagewidget.cpp"
    done
}

run() { # name, busy|quiet, load|idle
    if [ "$3" = load ]; then
        compile_loop & loads+=($!)
        compile_loop & loads+=($!)
        sleep 2
    fi
    "$prog" window "$work/$1.win" "$2" 2>"$work/$1.err" & win=$!
    sleep 1.5
    "$prog" press "$n" "$work/$1.sent"
    sleep 0.5
    kill "$win" 2>/dev/null || true; wait "$win" 2>/dev/null || true; win=
    if [ "$3" = load ]; then
        for p in "${loads[@]}"; do kill "$p" 2>/dev/null || true; done
        wait "${loads[@]}" 2>/dev/null || true; loads=()
    fi
    grep -h "event times" "$work/$1.err" | sed "s/^/$1: /"
    echo "$1 load $(cut -d' ' -f1 /proc/loadavg)" >>"$work/loads"
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
run quiet-loop quiet idle
run busy-loop busy idle
run quiet-loop+compiles quiet load
run busy-loop+compiles busy load

python3 - "$work" <<'PY'
import os, sys, statistics
work = sys.argv[1]
loads = dict(l.split(" load ") for l in open(os.path.join(work, "loads")).read().split("\n") if l)
def stats(v):
    v = sorted(v)
    return "median %3d, mean %5.1f, max %3d, > 2 ms: %2d" % (
        statistics.median(v), statistics.mean(v), v[-1], sum(1 for x in v if x > 2))
print("recorded - press sent, ms (ticks are whole ms; the press time is cut to whole ms):")
for name in ["quiet-loop", "busy-loop", "quiet-loop+compiles", "busy-loop+compiles"]:
    sent = [int(float(x)) for x in open(os.path.join(work, name + ".sent")).read().split()]
    rows = [l.split() for l in open(os.path.join(work, name + ".win")).read().splitlines()]
    if len(rows) != len(sent):
        print("%s: %d presses sent, %d seen" % (name, len(sent), len(rows)))
        continue
    event = [int(r[0]) - s for r, s in zip(rows, sent)]
    first = [int(r[1]) - s for r, s in zip(rows, sent)]
    print("%-20s (load %s, n=%d)\n  event time   : %s\n  handler tick : %s" % (
        name, loads.get(name, "?").strip(), len(sent), stats(event), stats(first)))
PY
