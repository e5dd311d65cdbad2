#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Full-length test runs of "Attention soutenue" (228 characters) at the three speeds
# in the real program on a 1280 x 1024 virtual screen, watched on the mask pixel:
# the error of every mask and character phase as seen on the screen, the end of
# every character against the schedule of the run's first mask, the total drift at
# the end of the run, and the press times against the presses sent. Each finished
# file is analysed with zoka-report. About 15 minutes; figures in docs/TIMING.md.
# The phases are checked against Xvfb's refresh (16.666 ms): each on the refresh
# nearest to its due time, the run's drift within one refresh. ZOKA_PRESENTATION=
# repaint runs the program drawing at once, for comparison.
#
#   bash bench/stream_timing.sh [BUILD_DIR] [SPEEDS]   (default: build, "lente moyenne rapide")
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
SPEEDS=${2:-lente moyenne rapide}
source "$here/autotests/xsession.sh"
e2e_setup bench-as "${1:-$here/build}" "$here"
[ -x "$BUILD/e2e/e2e_stream_driver" ] || { echo "build first: $BUILD" >&2; exit 1; }
start_xvfb 261 300 1280x1024x24 "$WORK/xvfb.log"
start_pulse                        # the error sound needs a sound output
source "$here/autotests/epreuves/ui_session.sh"

# Presses on most letters at various times, some in the masks, the 3s mostly left.
SCRIPT="c310,c280,c420,m90,c350,m120c300,-,c260,c390,c330,-,c300,c450"
refresh=16.666
[ "${ZOKA_PRESENTATION:-}" != repaint ] || refresh=""
start_program
status=0
for speed in $SPEEDS; do
    case $speed in lente) idx=0 ms=1250 ;; moyenne) idx=1 ms=1000 ;; rapide) idx=2 ms=750 ;;
        *) echo "unknown speed $speed" >&2; exit 2 ;; esac
    choose_test 7 "$speed"
    open_instructions
    skip_practice
    watch_stream 228 "$SCRIPT" 0 "$WORK/$speed.txt"
    essai_click 268 480            # Continuer: the test run
    xdotool mousemove 640 1000
    wait_stream
    sleep 2
    essai_click 540 480            # Quitter
    gone "FormEssai"
    sleep 1
    file=$PROG/Epreuves/Dupont_228-$idx.AS
    LC_ALL=C.UTF-8 "$BUILD/bin/zoka-report" --raw "$file" >"$WORK/$speed-report.txt" 2>/dev/null || true
    echo "== $speed ($ms ms a character, $((ms + 250)) ms onset to onset)"
    python3 "$here/autotests/epreuves/stream_check.py" --speed-ms "$ms" \
        ${refresh:+--bounds --refresh-ms "$refresh"} \
        --file "$file" --practice 0 --rows "$WORK/$speed.txt" --script "$SCRIPT" --items 228 --runs-before 0 \
        --report "$WORK/$speed-report.txt" --expect-report "228 items (durée: $ms msec)" || status=1
    first=$(head -1 "$WORK/$speed.txt" | cut -d' ' -f2)
    last=$(tail -1 "$WORK/$speed.txt" | cut -d' ' -f4)
    python3 -c "import sys; f, l, p = map(float, sys.argv[1:]); print('  run: %.2f ms from the first mask to the end of character 228, %.2f ms expected (%+.2f ms)' % (l - f, 228 * p, l - f - 228 * p))" "$first" "$last" "$((ms + 250))"
    grep -a "TR TOTAL Lettres\|fausses alarmes" "$WORK/$speed-report.txt" | iconv -f cp1252 -t utf-8 | sed 's/^/  report: /'
done
exit $status
