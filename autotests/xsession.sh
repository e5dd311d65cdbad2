# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the package test and the press bench (the other end-to-end runs drive
# the program through autotests/e2e.py): a virtual X server of their own, a ready
# program directory, clicks on the 800 x 600 page of the main and instructions windows.

# start_xvfb FIRST LAST SIZE LOG: starts Xvfb on a free display number with one
# screen of SIZE (e.g. 800x600x24); sets DISPLAY and XVFB_PID. The server picks the
# number itself (-displayfd), so that runs started at the same moment never share a
# display; FIRST and LAST are kept for the callers and no longer used.
# -noreset: the server must not reset when the program's last connection closes, or
# a program started right after another one may find no display.
start_xvfb() {
    local numfile dnum=
    numfile=$(mktemp)
    Xvfb -displayfd 9 -screen 0 "$3" -nolisten tcp -noreset 9>"$numfile" >"$4" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        dnum=$(head -n 1 "$numfile" 2>/dev/null)
        [ -n "$dnum" ] && break
        sleep 0.1
    done
    rm -f "$numfile"
    [ -n "$dnum" ] || { echo "Xvfb did not start"; cat "$4"; exit 1; }
    export DISPLAY=:$dnum
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start"; exit 1; }
}

# e2e_setup NAME BUILD SRC: BUILD and SRC made absolute, ZOKA (the program, checked),
# a scratch directory WORK (removed at the end unless ZOKA_E2E_KEEP is set), the
# program directory PROG (every data file and a configuration record, results in
# PROG/Epreuves) and SHOTS (ZOKA_E2E_SHOTS, or WORK/shots). At the end, the processes
# of ZOKA_PID and XVFB_PID are stopped.
e2e_setup() {
    BUILD=$(cd "$2" && pwd)
    SRC=$(cd "$3" && pwd)
    ZOKA=$BUILD/bin/zoka
    [ -x "$ZOKA" ] || { echo "no program at $ZOKA"; exit 1; }
    WORK=$(mktemp -d "/tmp/zoka-e2e-$1.XXXXXX")
    PROG=$WORK/prog
    SHOTS=${ZOKA_E2E_SHOTS:-$WORK/shots}
    mkdir -p "$PROG/Epreuves" "$SHOTS"
    ZOKA_PID=; XVFB_PID=
    trap e2e_cleanup EXIT
    cp "$SRC"/data/* "$PROG"/
    cp "$BUILD"/data/* "$PROG"/ 2>/dev/null || true
    write_config "$PROG"
}
e2e_cleanup() {
    local p pids="$ZOKA_PID $XVFB_PID"
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    wait $pids 2>/dev/null || true
    [ -n "${ZOKA_E2E_KEEP:-}" ] || rm -rf "$WORK"
}

# write_config PROG: a 392-byte Zoka.ini of this version in PROG, results in
# PROG/Epreuves, written independently of the program's own code.
write_config() {
    PYTHONPATH=$(dirname "${BASH_SOURCE[0]}") python3 -c 'import e2e, sys; e2e.write_config(sys.argv[1])' "$1"
}

# Screenshots into $SHOTS, clicks on the page of a window, waiting for windows by title.
shot() { import -window root "$SHOTS/$1.png"; }
# page_click TITLE X Y [BUTTON ARGS]: a click at (X, Y) of the 800 x 600 page that the
# main and instructions windows keep centred in the window whose title matches TITLE
# (the screen's own point on an 800 x 600 screen).
page_click() {
    local wid X Y WIDTH HEIGHT dx dy
    wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    [ -n "$wid" ] || { echo "no window \"$1\" to click in"; shot "missing-window"; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$wid" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    dx=$(( (WIDTH - 800) / 2 )); dy=$(( (HEIGHT - 600) / 2 ))
    [ "$dx" -ge 0 ] || dx=0; [ "$dy" -ge 0 ] || dy=0
    xdotool mousemove $((X + dx + $2)) $((Y + dy + $3)) click ${4:-1}
}
main_click() { page_click '^Zoka v' "$@"; }
essai_click() { page_click '^FormEssai$' "$@"; }
# "Passation", then "Continuer" on the instructions, which then ask "Prêt pour les essais?".
open_instructions() { main_click 148 144; await "FormEssai"; sleep 1; essai_click 268 480; sleep 1; }
# Waits (at most 20 s) for a visible window whose title holds $1.
await() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    echo "no window \"$1\""; shot "missing-window"; exit 1
}
