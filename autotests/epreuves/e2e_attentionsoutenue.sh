#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "Attention soutenue" in the real program on a 1280 x
# 1024 virtual screen (the 800 x 600 stage scaled by 1.6): patient name, the test and
# the fast speed in the main window, the practice run of 25 characters with presses
# in masks and on characters, then the test run, stopped with the stop key during
# character 50. A watcher follows one pixel of the mask (yellow, white with the
# character, yellow again) and presses at known times. The files must hold the right
# characters and codes, times that match the presses, phases of 250 / 750 ms, and
# the analysis must read the stopped file as incomplete. The phases come on the X
# server's refresh (Xvfb's, 60 Hz): each within half a refresh of its due time.
#   bash e2e_attentionsoutenue.sh <builddir> <sourcedir>
# Full-length runs with their timing figures: bench/stream_timing.sh.
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup as "$1" "$2"
start_xvfb 192 240 1280x1024x24 "$WORK/xvfb.log"
start_pulse
source "$(dirname "$0")/ui_session.sh"

start_program
choose_test 7 rapide
open_instructions
# Practice: mask presses, mask then character, characters, the 3s
# (positions 10, 13, 19, 20, 25) pressed once or left alone. The watcher is up
# before the run starts, so that it sees the first mask come.
PRACTICE="c300,c420,m80,c250,m60,m100c300,c380,-,c500,c300,c200,m120,-,c350,c280,c320,c260,c240,c300,-,c310,c330,c290,c270,-"
watch_stream 25 "$PRACTICE" 0 "$WORK/practice.txt" "$WORK/practice" 2
essai_click 268 480                # Continuer: practice run
xdotool mousemove 640 1000         # on the test window, away from the stage's middle
wait_stream
sleep 1.5
shot 05-redo
essai_click 404 480                # Non: "Prêt pour l'épreuve?"
sleep 1
TEST="c300,c350,c400,m100,m100c320,c280,-,c450,c310,c330,-"
watch_stream 228 "$TEST" 50 "$WORK/test.txt"
essai_click 268 480                # Continuer: test run
xdotool mousemove 640 1000
wait_stream
sleep 2
shot 06-thanks
convert "$WORK/practice-mask.ppm" "$SHOTS/07-mask.png"
convert "$WORK/practice-char.ppm" "$SHOTS/08-character.png"

RESULT=$PROG/Epreuves/Dupont_228-2.AS
[ -f "$RESULT" ] || { echo "FAIL: no $RESULT"; ls -l "$PROG/Epreuves"; exit 1; }
LC_ALL=C.UTF-8 "$BUILD/bin/zoka-report" --raw "$RESULT" >"$WORK/report.txt" 2>"$WORK/report.err" || true
# The administration stopped with the stop key left its one journal line (none for
# the practice run), tied to the file by the date of its header.
python3 - "$PROG" "$RESULT" <<'PY' || { echo "FAIL: timing journal"; exit 1; }
import sys
journal = open(sys.argv[1] + "/Chronometrie.txt", "rb").read()
header = open(sys.argv[2], "rb").read().split(b"\r\n")[0]
lines = journal.split(b"\r\n")
assert journal.endswith(b"\r\n") and len(lines) == 2, "journal: %r" % journal
assert lines[0].startswith(b"Dupont_228-2.AS | " + header.split(b": ", 1)[1] + b" | affichage : "), lines[0]
for field in (b"pr\xe9sentation : ", b"images manqu\xe9es : ", b"appuis : ", b"son : sans objet", b"temps r\xe9el : "):
    assert field in lines[0], "no %r in %r" % (field, lines[0])
print("journal:", lines[0].decode("cp1252"))
PY
python3 "$(dirname "$0")/stream_check.py" --speed-ms 750 --bounds --refresh-ms 16.666 \
    --file "$PROG/Essais" --practice 1 --rows "$WORK/practice.txt" --script "$PRACTICE" --items 25 --runs-before 0 \
    --file "$RESULT" --practice 0 --rows "$WORK/test.txt" --script "$TEST" --items 49 --runs-before 1 \
    --report "$WORK/report.txt" --expect-report "Données incomplètes (49 sur 228)"
