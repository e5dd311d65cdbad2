#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A program killed (kill -9) in the middle of a test run: "TR visuel centré", 32
# items, practice skipped; three items answered, then the program is killed during
# the fourth foreperiod. The result file must hold the header, the practice line and
# the three item lines, each whole and ended by CR LF; zoka-report lists them. The
# program started again must work: its file list holds the file (a double-click on
# the list's first entry analyses Dupont_32.VC, which the name and count alone would
# not name), the report holds the three values, and "Quitter" ends it normally.
#   bash e2e_killedrun.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup kill "$1" "$2"
FILE=$PROG/Epreuves/Dupont_32.VC
fail() { echo "FAIL: $*"; shot failure; [ -f "$WORK/zoka.log" ] && cat "$WORK/zoka.log"; exit 1; }
start_xvfb 91 140 800x600x24 "$WORK/xvfb.log"

shot() { import -window root "$SHOTS/$1.png" 2>/dev/null || true; }
# Waits (at most 20 s) for a visible window whose title matches $1.
await() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        kill -0 "$ZOKA_PID" 2>/dev/null || fail "the program ended while waiting for \"$1\""
        sleep 0.2
    done
    fail "no window \"$1\""
}
start() {
    (cd "$PROG" && exec "$ZOKA") >"$WORK/zoka.log" 2>&1 &
    ZOKA_PID=$!
    await "Batterie Attention Tessaro"
    sleep 1
    xdotool mousemove 400 150 click --repeat 2 --delay 80 1   # intro picture: double click
    await '^Zoka v4\.0$'
    sleep 1
}

# ---- The run, killed ------------------------------------------------------------------
start
main_click 260 58                  # patient name
xdotool key ctrl+a
xdotool type --delay 20 "Dupont"
main_click 560 485                 # 32 items (second button of the count group)
sleep 0.3
shot 01-main
open_instructions
skip_practice
xdotool mousemove 790 590
essai_click 268 480                # Continuer: the test run
DELAYS=250,300,350
"$BUILD/e2e/e2e_visuelcentre_driver" 3 $DELAYS 400 300 >"$WORK/test.txt" || fail "the driver did not see three items"
sleep 0.5                          # item 4's foreperiod (7 s) has begun
shot 02-before-kill
kill -9 "$ZOKA_PID"
wait "$ZOKA_PID" 2>/dev/null || true
ZOKA_PID=

[ -f "$FILE" ] || fail "no result file after the kill"
"$BUILD/bin/zoka-report" --raw "$FILE" >"$WORK/report.txt" 2>"$WORK/report.err" || fail "zoka-report: status $?"
python3 - "$FILE" "$DELAYS" "$WORK/report.txt" <<'PY' || fail "result file after the kill"
import re, sys
data = open(sys.argv[1], "rb").read()
delays = [int(x) for x in sys.argv[2].split(",")]
print(repr(data))
assert data.endswith(b"\r\n"), "last line without CR LF"
lines = data.split(b"\r\n")[:-1]
assert all(b"\r" not in l and b"\n" not in l for l in lines), "stray line ends"
assert re.fullmatch(rb"Dupont: \S+ \xe0 \d\d?:\d\d:\d\d", lines[0]), "header %r" % lines[0]
assert lines[1] == b"0", "practice line %r" % lines[1]
items = [int(l) for l in lines[2:]]
assert len(items) == 3, "%d item lines" % len(items)
assert all(abs(v - d) <= 25 for v, d in zip(items, delays)), "values %r for presses at %r" % (items, delays)
report = open(sys.argv[3], "rb").read()
for i, v in enumerate(items, 1):
    assert b"%4d :  %d\r\n" % (i, v) in report, "zoka-report does not list item %d" % i
PY

# ---- The next start -----------------------------------------------------------------
start
main_click 260 58
xdotool key ctrl+a
xdotool type --delay 20 "Dupont"   # the file list shows Dupont's files
sleep 0.5
shot 03-restarted
main_click 300 230 "--repeat 2 --delay 80 1" # first entry of the file list
# The file is incomplete: a message box ("ZOKA") comes first, then the window.
for _ in $(seq 50); do
    xdotool search --onlyvisible --name "Analyse de Dupont_32\.VC" >/dev/null 2>&1 && break
    if box=$(xdotool search --onlyvisible --name '^ZOKA$' 2>/dev/null | head -1) && [ -n "$box" ]; then
        shot 04-message
        xdotool windowfocus "$box" key Return
    fi
    sleep 0.2
done
await "Analyse de Dupont_32\.VC"
sleep 0.5
shot 05-analysis
python3 - "$FILE" "$PROG/AnaTemp.txt" <<'PY' || fail "report of the restarted program"
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
report = open(sys.argv[2], "rb").read()
assert b"Dupont_32" in report or b"Dupont" in report, "report of another file"
for i, v in enumerate(lines[2:5], 1):
    assert b"%4d :  %s\r\n" % (i, v) in report, "the report does not list item %d" % i
PY
"$BUILD/e2e/e2e_wmclose" "$(xdotool search --onlyvisible --name "Analyse de Dupont_32\.VC" | head -1)"
sleep 1
main_click 352 496                 # Quitter
for _ in $(seq 100); do kill -0 "$ZOKA_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$ZOKA_PID" 2>/dev/null && fail "Quitter did not end the program"
rc=0; wait "$ZOKA_PID" || rc=$?
ZOKA_PID=
[ "$rc" = 0 ] || fail "exit code $rc after Quitter"
head -c 2000 "$FILE" | grep -q "^Dupont: " || fail "the result file lost its header"
echo "e2e_killedrun: OK"
