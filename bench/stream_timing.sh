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
build=$(cd "${1:-$here/build}" && pwd)
[ -x "$build/e2e/e2e_stream_driver" ] || { echo "build first: $build" >&2; exit 1; }
PYTHONPATH=$here/autotests:$here/autotests/epreuves python3 - "$build" "$here" ${2:-lente moyenne rapide} <<'PY'
import os, sys
import e2e
from e2e_attentionsoutenue import MASK, REFRESH, check_run, watch

SPEEDS = {"lente": (0, 1250), "moyenne": (1, 1000), "rapide": (2, 750)}


def bench(s, speeds):
    """Full-length test runs, with presses on most letters at various times, some in
    the masks, the 3s mostly left; ZOKA_PRESENTATION=repaint draws at once."""
    script = "c310,c280,c420,m90,c350,m120c300,-,c260,c390,c330,-,c300,c450"
    repaint = os.environ.get("ZOKA_PRESENTATION") == "repaint"
    zoka = s.start(env={"ZOKA_PRESENTATION": "repaint"} if repaint else None)
    zoka.pass_intro()
    zoka.type_name("Dupont")
    check = e2e.Checks()
    for speed in speeds:
        index, ms = SPEEDS[speed]
        zoka.choose_test(7, speed)
        zoka.open_instructions(practice=False)
        rows = watch(s, zoka, 228, script, 0)
        zoka.essai_click(540, 480, settle=False)  # Quitter
        zoka.wait_gone(e2e.ESSAI)
        path = os.path.join(s.prog, "Epreuves", "Dupont_228-%d.AS" % index)
        print("== %s (%d ms a character, %d ms onset to onset)" % (speed, ms, ms + MASK))
        check_run(check, path, rows, script, 228, 0, ms, refresh=0 if repaint else REFRESH)
        first, last = float(rows[0][1]), float(rows[-1][3])
        print("  run: %.2f ms from the first mask to the end of character 228, %.2f ms expected (%+.2f ms)"
              % (last - first, 228 * (ms + MASK), last - first - 228 * (ms + MASK)))
        report = s.report(path)
        check("228 items (durée: %d msec)" % ms in report, "report of %s" % path)
        for l in report.splitlines():
            if "TR TOTAL Lettres" in l or "fausses alarmes" in l:
                print("  report:", l)
    check.done("stream timing")


with e2e.Session("bench-as", sys.argv[1], sys.argv[2], "1280x1024x24", sound=True) as s:
    bench(s, sys.argv[3:])
PY
