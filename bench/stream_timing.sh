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
# shellcheck disable=SC2086
exec python3 "$here/autotests/epreuves/e2e_attentionsoutenue.py" "$build" "$here" --bench ${2:-lente moyenne rapide}
