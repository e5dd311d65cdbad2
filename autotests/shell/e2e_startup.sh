#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the real program under a virtual X server, in a fresh program
# directory: the intro window, then the main window with its title; a patient chosen
# in the list; "Quitter" ends the program with code 0 and writes the configuration.
# The window's close box asks first: "Non" keeps the program, "Oui" ends it without
# writing the configuration. Then a damaged configuration file: the program stays up
# in its reduced state and "Quitter" leaves the damaged file alone.
#   bash e2e_startup.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup startup "$1" "$2"
fail() { echo "FAIL: $*"; [ -f "$WORK/zoka.log" ] && cat "$WORK/zoka.log"; exit 1; }

start_xvfb 141 190 1024x768x24 "$WORK/xvfb.log"


# The close box of a window manager: WM_DELETE_WINDOW sent to the window.
close_box() { "$BUILD/e2e/e2e_wmclose" "$(xdotool search --name "$1" | head -1)"; }
# Waits up to $2 tenths of a second for a window whose title matches $1.
wait_title() {
    for _ in $(seq "$2"); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        kill -0 "$ZOKA_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
# Waits for the program's end and checks its exit code.
wait_exit() {
    for _ in $(seq 100); do kill -0 "$ZOKA_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$ZOKA_PID" 2>/dev/null && fail "the program did not end"
    local rc=0
    wait "$ZOKA_PID" || rc=$?
    ZOKA_PID=
    [ "$rc" = "$1" ] || fail "exit code $rc, expected $1"
}

make_prog() {
    PROG=$WORK/$1
    mkdir -p "$PROG/Epreuves"
    cp "$SRC"/data/* "$PROG"/ 2>/dev/null || true
    cp "$BUILD"/data/* "$PROG"/ 2>/dev/null || true
    write_config "$PROG"
    printf 'x' > "$PROG/Epreuves/Dupont_16.VC"
    printf 'x' > "$PROG/Epreuves/Martin_36.LAT"
}

start() {
    (cd "$PROG" && exec "$ZOKA") >"$WORK/zoka.log" 2>&1 &
    ZOKA_PID=$!
    # The intro window first: a double-click on its picture area continues. The
    # picture area is centred on the 1024 x 768 screen, i.e. at (112, 84) in the window.
    if wait_title "Batterie Attention Tessaro" 100; then
        sleep 1
        shot "$1-intro"
        local wid x y
        wid=$(xdotool search --name "Batterie Attention Tessaro" | head -1)
        eval "$(xdotool getwindowgeometry --shell "$wid")"
        xdotool mousemove $((X + 112 + 40)) $((Y + 84 + 40)) click --repeat 2 --delay 60 1
    fi
}

# ---- A normal start --------------------------------------------------------------
make_prog normal
start 01
wait_title '^Zoka v4\.0$' 100 || { shot 01-failed; fail "no main window titled Zoka v4.0"; }
sleep 0.5
shot 02-main
# The first patient of the list (Dupont): the name field follows.
main_click 175 231
sleep 0.5
shot 03-patient
# "Quitter" (in the lower group box).
main_click 352 496
wait_exit 0
[ "$(stat -c %s "$PROG/Zoka.ini")" = 392 ] || fail "Zoka.ini is not 392 bytes after Quitter"
[ -f "$PROG/Epreuves/Dupont_16.VC" ] || fail "a result file went missing"

# ---- The close box ----------------------------------------------------------------
touch -d '2001-01-01' "$PROG/Zoka.ini"
start 05
wait_title '^Zoka v4\.0$' 100 || fail "no main window at the second start"
sleep 0.5
close_box '^Zoka v4\.0$'
sleep 1
shot 06-close-question
xdotool key alt+n                    # "Non": the program goes on
sleep 1
kill -0 "$ZOKA_PID" 2>/dev/null || fail "the program ended after answering Non"
close_box '^Zoka v4\.0$'
sleep 1
xdotool key Return                   # "Oui", the default button
wait_exit 0
[ "$(stat -c %Y "$PROG/Zoka.ini")" = "$(date -d 2001-01-01 +%s)" ] || fail "the close box wrote Zoka.ini"

# ---- A damaged configuration file -----------------------------------------------
make_prog damaged
head -c 40 /dev/zero > "$PROG/Zoka.ini"
start 11
# Every message box is answered with its default button until the main window is
# left alone; the program must still be running.
for _ in $(seq 6); do
    sleep 1
    kill -0 "$ZOKA_PID" 2>/dev/null || fail "the program ended after a damaged Zoka.ini"
    xdotool key Return
done
sleep 0.5
shot 12-damaged
kill -0 "$ZOKA_PID" 2>/dev/null || fail "the program ended after a damaged Zoka.ini"
main_click 352 496
wait_exit 0
[ "$(stat -c %s "$PROG/Zoka.ini")" = 40 ] || fail "the damaged Zoka.ini was overwritten"
echo "e2e_startup: OK"
