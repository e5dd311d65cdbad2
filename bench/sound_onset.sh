#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sound onset delay of every playback path, on a private PulseAudio server with a
# null sink: from the tick read just before the play command to the first
# non-silent sample of the tone reaching the sink's monitor. Median, SD, min and
# max over N onsets per path (default 60).
#
#   bash bench/sound_onset.sh [BUILD_DIR] [N] [PLAYERS...]
#   PLAYERS default: zoka pulse-seek pulse-uncork zoka-qt qsoundeffect qaudiosink
#                    qaudiosink-small qaudiosink-fresh qaudiosink-small-fresh qaudiosink-running
# Per-onset figures are kept in BUILD_DIR/bench/sound_onset-<player>.tsv.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
n=${2:-60}
shift $(( $# > 2 ? 2 : $# ))
players=("$@")
[ ${#players[@]} -gt 0 ] || players=(zoka pulse-seek pulse-uncork zoka-qt qsoundeffect qaudiosink
                                     qaudiosink-small qaudiosink-fresh qaudiosink-small-fresh
                                     qaudiosink-running)
prog=$build/bench/sound_onset
tone=$build/data/Songrave.wav
[ -x "$prog" ] || { echo "not built: $prog" >&2; exit 1; }
[ -f "$tone" ] || { echo "no tone: $tone" >&2; exit 1; }

work=$(mktemp -d /tmp/zoka-onset.XXXXXX)
pa_pid=
cleanup() {
    [ -z "$pa_pid" ] || kill "$pa_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export PULSE_RUNTIME_PATH=$work/pulse
mkdir -p "$PULSE_RUNTIME_PATH"
HOME=$work pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
    --load=module-native-protocol-unix >"$work/pulse.log" 2>&1 &
pa_pid=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "the sound server did not start" >&2; cat "$work/pulse.log" >&2; exit 1; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "server: $(pactl info | sed -n 's/^Server Name: //p') $(pactl info | sed -n 's/^Server Version: //p'), sink $(pactl list short sinks | cut -f2,4,5 | tr '\t' ' ')"
for p in "${players[@]}"; do
    "$prog" "$p" "$tone" null.monitor "$n" "$build/bench/sound_onset-$p.tsv" 2>"$work/$p.err" || true
    missed=$(grep -c "not heard" "$work/$p.err" || true)
    [ "$missed" -eq 0 ] || echo "    ($p: $missed of $n tones never sounded)"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
