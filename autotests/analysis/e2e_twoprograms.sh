#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two programs (two examiners) on one results folder, each with its own program
# directory, on one screen:
#  1. A runs "TR visuel centré", 32 items. Meanwhile B opens the analysis of that file
#     (read only: it is never rewritten), tries "Passation" of the same name and
#     "Suppression" of the file: both are refused, the file stays the one A writes.
#     A stops its run with the stop key: its file is whole, with its closing line.
#  2. A and B open the analysis of that file; A writes a note and closes; B writes
#     another and closes: B's rewrite is refused (the file changed since B read it),
#     B's note is shown to copy, A's note stays in the file.
#  3. B opens the analysis; A administers the same name again; B closes: the new run
#     stays, still marked not analysed.
#   bash e2e_twoprograms.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup two "$1" "$2"
PROG_A=$PROG
PROG_B=$WORK/progB
FILE=$PROG_A/Epreuves/Dupont_32.VC
mkdir -p "$PROG_B"
cp "$PROG_A"/* "$PROG_B"/ 2>/dev/null || true   # (Epreuves, a folder, is not copied)
write_config "$PROG_B"
ln -s "$PROG_A/Epreuves" "$PROG_B/Epreuves"    # the shared folder
A_PID=; B_PID=
trap 'kill $A_PID $B_PID 2>/dev/null || true; e2e_cleanup' EXIT
fail() { echo "FAIL: $*"; shot failure || true; cat "$WORK"/zoka-*.log 2>/dev/null; exit 1; }
start_xvfb 0 0 800x600x24 "$WORK/xvfb.log"
start_pulse

# start NAME PROGDIR: a program through its intro; its process id in NAME_PID.
start() {
    (cd "$2" && exec "$ZOKA") >"$WORK/zoka-$1.log" 2>&1 &
    local pid=$!
    eval "$1_PID=$pid"
    on_program "$pid"
    await "Batterie Attention Tessaro"
    sleep 1.5
    if ls "$2"/Intro_Zoka.* >/dev/null 2>&1; then
        xdotool mousemove 400 150 click --repeat 2 --delay 80 1   # the picture: double click
    else
        click 164 372                                             # the buttons: Continuer
    fi
    gone "Batterie Attention Tessaro"
    await '^Zoka v4\.0$'
    sleep 1
}
# box_answer KEYS: waits for a message box of the program in force and answers it
# with KEYS ("Return": its default button; "shift+Tab space": the other one).
box_answer() {
    await '^ZOKA$'
    local box; box=$(win_search '^ZOKA$' | head -1)
    xdotool windowraise "$box" windowfocus "$box"; sleep 0.3
    shot "box-$(date +%s%N)"
    xdotool key $1
    sleep 0.5
}
no_box() { [ -z "$(win_search '^ZOKA$')" ] || fail "$1"; }
type_name() { main_click 260 58; xdotool key ctrl+a; xdotool type --delay 20 "$1"; sleep 0.5; }
first_file() { main_click 300 230 "$@"; sleep 0.5; }
# The stop key in the test window of program A (its window that is neither the main
# nor the instructions window).
stop_run() {
    local w
    for w in $(xdotool search --onlyvisible --all --pid "$A_PID" --name ''); do
        case "$(xdotool getwindowname "$w")" in "Zoka v"* | FormEssai) continue ;; esac
        xdotool windowraise "$w" windowfocus "$w"; sleep 0.3; xdotool key Escape
        sleep 1
        return 0
    done
    fail "no test window of A"
}
# A file still being written is incomplete: a message box comes before the window.
analysis_open() {
    first_file "--repeat 2 --delay 80 1"
    for _ in $(seq 50); do
        [ -n "$(win_search 'Analyse de Dupont_32\.VC')" ] && break
        [ -n "$(win_search '^ZOKA$')" ] && box_answer Return
        sleep 0.2
    done
    await 'Analyse de Dupont_32\.VC'; sleep 0.5
}
analysis_note() { page_click 'Analyse de Dupont_32\.VC' 440 460; xdotool key ctrl+End Return; xdotool type --delay 20 "$1"; }
analysis_close() { "$BUILD/e2e/e2e_wmclose" "$(win_search 'Analyse de Dupont_32\.VC' | head -1)"; sleep 1; }
inode() { stat -c %i "$FILE"; }
not_analysed() { [ "$(( 0$(stat -c %a "$FILE") & 0222 ))" = 0 ]; }

start A "$PROG_A"
start B "$PROG_B"

# ---- 1. A writes, B looks -------------------------------------------------------------
on_program "$A_PID"
type_name Dupont
main_click 560 485                  # 32 items
open_instructions
skip_practice
essai_click 268 480                 # Continuer: the run starts
for _ in $(seq 50); do [ -s "$FILE" ] && break; sleep 0.2; done
[ -s "$FILE" ] || fail "A wrote no file"
INODE=$(inode)
sleep 1

on_program "$B_PID"
type_name Dupont
analysis_open
shot 01-b-reads-while-a-writes
analysis_close
no_box "B asked something about a file it only read"
[ -z "$(win_search 'Analyse de')" ] || fail "B's analysis stayed open"
main_click 560 485
main_click 148 144                  # Passation of the same name: refused
box_answer Return
[ -z "$(win_search '^FormEssai$')" ] || fail "B began an administration over A's run"
first_file
main_click 372 144                  # Suppression: refused
box_answer Return
[ -f "$FILE" ] && [ "$(inode)" = "$INODE" ] || fail "the file A writes was replaced or removed"
grep -q '\[Notes\]' "$FILE" && fail "B wrote into the file A writes"

on_program "$A_PID"
shot 02-a-before-stop
stop_run
await '^FormEssai$'
shot 03-a-stopped
essai_click 540 480                 # Quitter
gone '^FormEssai$'
python3 - "$FILE" <<'PY' || fail "A's file after its run"
import re, sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
assert lines[-1] == b"", "no CR LF at the end"
lines = lines[:-1]
assert re.match(rb"Dupont: ", lines[0]), lines[0]
assert lines[1] == b"0", lines[1]
assert len(lines) >= 4, "%d lines" % len(lines)
assert all(re.fullmatch(rb"-?\d+", l) for l in lines[2:]), lines
assert b"[Notes]" not in lines
PY
[ "$(inode)" = "$INODE" ] || fail "the file was replaced during A's run"
not_analysed || fail "A's file lost its not-analysed mark"

# ---- 2. Notes in two windows -----------------------------------------------------------
on_program "$A_PID"; analysis_open
on_program "$B_PID"; analysis_open
on_program "$A_PID"; analysis_note "note de A"; analysis_close
grep -q 'note de A' "$FILE" || fail "A's note was not written"
on_program "$B_PID"; analysis_note "note de B"; analysis_close
box_answer Return                   # "Non" (the default): the window stays
[ -n "$(win_search 'Analyse de Dupont_32\.VC')" ] || fail "Return closed B's analysis"
analysis_close
box_answer "shift+Tab space"        # "Oui": closed, nothing written
[ -z "$(win_search 'Analyse de')" ] || fail "B's analysis did not close"
grep -q 'note de A' "$FILE" || fail "B's close dropped A's note"
grep -q 'note de B' "$FILE" && fail "B's note was written over a file that changed"

# ---- 3. Re-administered while an analysis is open -------------------------------------
on_program "$B_PID"; analysis_open
on_program "$A_PID"
main_click 560 485                  # 32 items
main_click 148 144                  # Passation: "Ce nom existe déjà"
shot 04-a-passation-again
for _ in $(seq 50); do
    [ -n "$(win_search '^FormEssai$')" ] && break
    [ -n "$(win_search '^ZOKA$')" ] && box_answer "shift+Tab space"   # Oui
    sleep 0.2
done
await '^FormEssai$'; sleep 1
essai_click 268 480; sleep 1; skip_practice
essai_click 268 480                 # the run
sleep 3
stop_run
await '^FormEssai$'
essai_click 540 480
gone '^FormEssai$'
grep -q 'note de A' "$FILE" && fail "the new run did not replace the file"
NEW=$(md5sum <"$FILE")
on_program "$B_PID"; analysis_close
box_answer "shift+Tab space"        # told the file changed; closed
[ "$(md5sum <"$FILE")" = "$NEW" ] || fail "B's close wrote its old copy over the new run"
not_analysed || fail "B's close cleared the new run's not-analysed mark"
shot 09-end

for p in A B; do
    on_program "$(eval echo \$${p}_PID)"
    main_click 352 496              # Quitter
done
sleep 1
echo "e2e_twoprograms: OK"
