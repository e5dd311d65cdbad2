#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times zoka-report on 1 000 result files (all ten test families but "Attention
# soutenue", complete files with notes): the reports with a limit change each, then
# the long table of their items (--trials) and the table of their measures
# (--summary).
#
#   bash bench/report_1000.sh [BUILD_DIR]      (default: build)
#
# Measured on the 2-core build machine (RelWithDebInfo): idle (load 3.7), reports
# 0.15 s, --trials 0.16 s (48 400 rows), --summary 0.15 s; with five other builds on the
# two cores (load 6-7), 0.50 s, 0.42 s and 0.41 s. The bound for --trials is 1 s.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
tool=$build/bin/zoka-report
[ -x "$tool" ] || { echo "zoka-report not built: $tool" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys, os
out = sys.argv[1]
# (extension, count, closing line)
kinds = [("VC", 64, "-1"), ("LAT", 64, "0"), ("LFC", 36, "-2 1"), ("SB", 64, "0 2"),
         ("DB", 32, "-1 3"), ("AUD", 32, "0"), ("MIX", 65, "-3"), ("PAS", 64, "0"),
         ("PCA", 36, "-1"), ("VC", 16, "0")]
x = 12345
for i in range(1000):
    ext, n, closing = kinds[i % len(kinds)]
    patient = "Patient%04d" % i
    lines = [patient + ": 07/12/2026 \xe0 10:%02d:%02d" % (i // 60 % 60, i % 60), str(i % 4)]
    for _ in range(n):
        x = (x * 1103515245 + 12345) % 2147483648
        lines.append(str(150 + (x >> 8) % 1500))
    lines += [closing, "[Notes]", "note %d" % i]
    with open(os.path.join(out, "%s_%d.%s" % (patient, n, ext)), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
PY

count=$(ls "$work" | wc -l)
start=$(date +%s.%N)
status=0
"$tool" --limit 2,5 "$work"/* > "$work.out" 2> "$work.err" || status=$?
end=$(date +%s.%N)
bytes=$(stat -c %s "$work.out")
messages=$(wc -l < "$work.err")
rm -f "$work.out" "$work.err"
printf '%d files, exit %d, %d report bytes, %d messages, %.3f s\n' \
    "$count" "$status" "$bytes" "$messages" "$(python3 -c "print($end - $start)")"

for mode in --trials --summary; do
    start=$(date +%s.%N)
    status=0
    "$tool" $mode "$work"/* > "$work.out" 2> "$work.err" || status=$?
    end=$(date +%s.%N)
    printf '%s: %d files, exit %d, %d rows, %d messages, %.3f s\n' "$mode" "$count" "$status" \
        "$(($(wc -l < "$work.out") - 1))" "$(wc -l < "$work.err")" "$(python3 -c "print($end - $start)")"
    rm -f "$work.out" "$work.err"
done
