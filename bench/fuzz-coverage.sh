#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Line coverage of the logic under fuzzing by the corpora of bench/fuzz.sh: builds the
# fuzz targets once more with source-based coverage (BUILD_DIR-cov), runs each over
# its corpus and inputs without fuzzing, and prints the coverage of each source file
# of the fuzz build, then the total.
#
#   bash bench/fuzz-coverage.sh [BUILD_DIR]      (default build/fuzz)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build/fuzz}")
cov=$build-cov
launcher=$(command -v ccache || true)

if [ ! -f "$cov/build.ninja" ]; then
    cmake -S "$here" -B "$cov" -G Ninja -DZOKA_FUZZ=ON -DZOKA_FUZZ_COVERAGE=ON \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="${ZOKA_FUZZ_CXX:-clang++}" \
          ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER=$launcher} > "$cov.configure.log"
fi
cmake --build "$cov" -j "${ZOKA_FUZZ_JOBS:-2}" > "$cov.build.log"

rm -rf "$cov/profiles"
mkdir -p "$cov/profiles"
objects=()
for src in "$here"/fuzz/fuzz_*.cpp; do
    t=$(basename "$src" .cpp)
    t=${t#fuzz_}
    dirs=("$cov/start/$t")
    [ -d "$build/corpus/$t" ] && dirs+=("$build/corpus/$t")
    LLVM_PROFILE_FILE="$cov/profiles/$t.profraw" "$cov/fuzz_$t" -runs=0 "${dirs[@]}" \
        > "$cov/profiles/$t.log" 2>&1
    objects+=(-object "$cov/fuzz_$t")
done
llvm-profdata merge -sparse "$cov"/profiles/*.profraw -o "$cov/profiles/all.profdata"
# The product's files only (not the targets), those the fuzz build compiles.
sources=$(sed -n 's|^build [^ ]*zoka_fuzz_logic[^ ]*\.o: [^ ]* \([^ ]*\.cpp\).*|\1|p' "$cov/build.ninja" | sort)
llvm-cov report "${objects[@]:1}" -instr-profile="$cov/profiles/all.profdata" $sources \
    2>/dev/null | sed "s|$here/||" \
    | awk 'BEGIN { printf "%-40s %8s %8s %8s\n", "file", "lines", "missed", "cover" }
           $1 ~ /^(src\/|TOTAL)/ { printf "%-40s %8s %8s %8s\n", $1, $8, $9, $10 }'
