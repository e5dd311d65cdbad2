#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Gives every tracked source file the project's licence as an SPDX line: the first
# line, or the second after a "#!" line. C++ files take "//", shell, Python, CMake,
# make files and scripts "#". Data files, texts and test data are left alone.
# Idempotent: a file with an SPDX-License-Identifier line in its first three
# lines is not touched.
#   bash tools/spdx-headers.sh [--check] [SOURCE]
# --check changes nothing: it lists the source files without the line and fails
# when there is one.
set -euo pipefail
check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
cd "${1:-$(dirname "$0")/..}"
Licence=GPL-3.0-or-later

comment_of() { # path -> the comment leader, or nothing for a file that is no source
    case $1 in
        *.cpp | *.h) echo '//' ;;
        *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt | Makefile | debian/rules) echo '#' ;;
        *) case ${1##*/} in
               *.*) ;; # texts, data, templates, test data
               *) [ "$(head -c 2 "$1")" = '#!' ] && echo '#' ;;
           esac ;;
    esac
}

missing=0
while IFS= read -r -d '' file; do
    [ -f "$file" ] && [ ! -L "$file" ] || continue
    leader=$(comment_of "$file") || true
    [ -n "$leader" ] || continue
    head -n 3 "$file" | grep -q 'SPDX-License-Identifier:' && continue
    missing=$((missing + 1))
    if [ $check = 1 ]; then
        echo "$file"
        continue
    fi
    line="$leader SPDX-License-Identifier: $Licence"
    tmp=$(mktemp "$file.XXXXXX")
    if [ "$(head -c 2 "$file")" = '#!' ]; then
        { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$tmp"
    else
        { echo "$line"; cat "$file"; } >"$tmp"
    fi
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
done < <(git ls-files -z)

if [ $check = 1 ] && [ $missing -gt 0 ]; then
    echo "spdx-headers: $missing source files without an SPDX-License-Identifier line (tools/spdx-headers.sh adds it)" >&2
    exit 1
fi
[ $check = 1 ] || echo "spdx-headers: $missing files given an SPDX-License-Identifier line"
