#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets (clang, sanitizers) in BUILD_DIR when needed and runs each
# one over its starting corpus with the libFuzzer options given:
#
#   bash fuzz/run.sh BUILD_DIR [LIBFUZZER_OPTION]...     e.g.  build/fuzz -runs=2000
#
# Environment:
#   ZOKA_FUZZ_TARGETS   targets to run (names without "fuzz_"), default all
#   ZOKA_FUZZ_CORPUS    directory of the corpora kept between runs (<dir>/<name>);
#                       default a scratch directory removed at the end
#   ZOKA_FUZZ_CXX       compiler, default clang++
#   ZOKA_FUZZ_LAUNCHER  compiler launcher (ccache), default none
#   ZOKA_FUZZ_JOBS      build jobs, default 2
#   ZOKA_FUZZ_LOGS      directory of the logs (<name>.log), default BUILD_DIR/findings
#
# Prints one line per target (executions, seconds, coverage, corpus, findings).
# Exit status 1 on a finding: the input is kept in BUILD_DIR/findings/, the log beside.
set -uo pipefail

[ $# -ge 1 ] || { sed -n '2,18p' "$0" >&2; exit 2; }
build=$(realpath -m "$1")
shift
src=$(cd "$(dirname "$0")/.." && pwd)

command -v "${ZOKA_FUZZ_CXX:-clang++}" >/dev/null || {
    echo "fuzz: ${ZOKA_FUZZ_CXX:-clang++} not found (tools/install-deps.sh installs clang)" >&2; exit 1; }

if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    [ -n "${ZOKA_FUZZ_LAUNCHER:-}" ] && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER="$ZOKA_FUZZ_LAUNCHER")
    cmake -S "$src" -B "$build" -G Ninja -DZOKA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_CXX_COMPILER="${ZOKA_FUZZ_CXX:-clang++}" "${launcher[@]}" > "$build.configure.log" 2>&1 \
        || { cat "$build.configure.log" >&2; exit 1; }
fi
cmake --build "$build" -j "${ZOKA_FUZZ_JOBS:-2}" > "$build.build.log" 2>&1 \
    || { tail -50 "$build.build.log" >&2; exit 1; }

targets=${ZOKA_FUZZ_TARGETS:-$(cd "$src/fuzz" && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//')}

scratch=
corpora=${ZOKA_FUZZ_CORPUS:-}
if [ -z "$corpora" ]; then
    scratch=$(mktemp -d)
    corpora=$scratch
fi
trap '[ -n "$scratch" ] && rm -rf "$scratch"' EXIT
logs=${ZOKA_FUZZ_LOGS:-$build/findings}
mkdir -p "$build/findings" "$logs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for t in $targets; do
    mkdir -p "$corpora/$t"
    log=$logs/$t.log
    start=$(date +%s.%N)
    "$build/fuzz_$t" -dict="$src/fuzz/zoka.dict" -artifact_prefix="$build/findings/$t-" \
        -print_final_stats=1 "$@" "$corpora/$t" "$build/start/$t" > "$log" 2>&1
    rc=$?
    end=$(date +%s.%N)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    corp=$(grep -o 'corp: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    if [ $rc -eq 0 ]; then
        finding=none
    else
        finding=$(ls -t "$build/findings/$t-"* 2>/dev/null | head -1)
        finding=${finding:-"exit $rc, see $log"}
        status=1
    fi
    printf 'fuzz_%-10s %9s executions %7.1f s  cov %-5s ft %-6s corpus %-5s finding: %s\n' \
        "$t" "${runs:-?}" "$(awk "BEGIN { print $end - $start }")" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$finding"
    if [ $rc -ne 0 ]; then
        grep -A30 -m1 -E 'zoka fuzz finding|ERROR: (Address|Leak|libFuzzer)|runtime error' "$log" | head -40
    fi
done
exit $status
