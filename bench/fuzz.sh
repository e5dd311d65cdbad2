#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Long fuzzing runs: each target in turn, for a number of executions or a time,
# over a corpus kept between runs (BUILD_DIR/corpus/<target>).
#
#   bash bench/fuzz.sh [RUNS] [TARGET]...          default 1000000 executions, all targets
#   bash bench/fuzz.sh --time SECONDS [TARGET]...  each target for that long
#
# Environment: ZOKA_FUZZ_BUILD (default build/fuzz), and those of fuzz/run.sh (the
# logs go to BUILD_DIR/bench-logs).
# One line per target (executions, seconds, coverage, corpus, findings); a finding
# leaves its input in BUILD_DIR/findings/ and the exit status 1.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZOKA_FUZZ_BUILD:-$here/build/fuzz}
limit=(-runs=1000000)
if [ "${1:-}" = "--time" ]; then
    limit=(-max_total_time="$2")
    shift 2
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    limit=(-runs="$1")
    shift
fi
[ $# -gt 0 ] && export ZOKA_FUZZ_TARGETS="$*"
export ZOKA_FUZZ_CORPUS=${ZOKA_FUZZ_CORPUS:-$build/corpus}
export ZOKA_FUZZ_LOGS=${ZOKA_FUZZ_LOGS:-$build/bench-logs}
export ZOKA_FUZZ_LAUNCHER=${ZOKA_FUZZ_LAUNCHER:-$(command -v ccache || true)}
exec bash "$here/fuzz/run.sh" "$build" "${limit[@]}" -timeout=10 -rss_limit_mb=2048
