# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the end-to-end scripts: a virtual X server of their own and a ready
# program directory.

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
# of WATCH_PID, DRIVER_PID, REC_PID, ZOKA_PID, PA_PID and XVFB_PID are stopped.
e2e_setup() {
    BUILD=$(cd "$2" && pwd)
    SRC=$(cd "$3" && pwd)
    ZOKA=$BUILD/bin/zoka
    [ -x "$ZOKA" ] || { echo "no program at $ZOKA"; exit 1; }
    WORK=$(mktemp -d "/tmp/zoka-e2e-$1.XXXXXX")
    PROG=$WORK/prog
    SHOTS=${ZOKA_E2E_SHOTS:-$WORK/shots}
    mkdir -p "$PROG/Epreuves" "$SHOTS"
    WATCH_PID=; DRIVER_PID=; REC_PID=; ZOKA_PID=; PA_PID=; XVFB_PID=
    trap e2e_cleanup EXIT
    cp "$SRC"/data/* "$PROG"/
    cp "$BUILD"/data/* "$PROG"/ 2>/dev/null || true
    write_config "$PROG"
}
e2e_cleanup() {
    local p pids="$WATCH_PID $DRIVER_PID $REC_PID $ZOKA_PID $PA_PID $XVFB_PID"
    for p in $pids; do kill "$p" 2>/dev/null || true; done
    wait $pids 2>/dev/null || true
    [ -n "${ZOKA_E2E_KEEP:-}" ] || rm -rf "$WORK"
}

# start_pulse [required]: a sound server of the run's own, whose only output is a null
# sink (PA_PID). Without pulseaudio, or when the server does not answer, the run goes
# on without sound, unless sound is required.
start_pulse() {
    export PULSE_RUNTIME_PATH=$WORK/pulse
    mkdir -p "$PULSE_RUNTIME_PATH"
    if command -v pulseaudio >/dev/null; then
        HOME=$WORK pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
            --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
        PA_PID=$!
        for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
    fi
    [ "${1:-}" != required ] || { echo "the sound server did not start"; exit 1; }
}

# write_config PROG: a 392-byte Zoka.ini of this version in PROG, results in
# PROG/Epreuves, written independently of the program's own code.
write_config() {
    python3 - "$1" <<'PY'
import struct, sys
prog = sys.argv[1]
rec = bytearray(392)
def put(off, maxlen, s):
    b = s.encode('cp1252'); assert len(b) <= maxlen
    rec[off] = len(b); rec[off + 1:off + 1 + len(b)] = b
put(0, 15, "4.0b"); put(92, 75, prog); put(168, 75, prog + "/Epreuves")
struct.pack_into('<d', rec, 248, 1.5); put(256, 10, "ESC"); struct.pack_into('<i', rec, 268, 27)
put(272, 30, "Courier New"); struct.pack_into('<i', rec, 304, 8); struct.pack_into('<i', rec, 312, 1)
open(prog + "/Zoka.ini", "wb").write(rec)
PY
}

# Screenshots into $SHOTS, clicks at screen points, and waiting for windows by title.
shot() { import -window root "$SHOTS/$1.png"; }
# Two programs on one screen: on_program PID makes the helpers below look at the
# windows of that program only, raising and focusing a window before clicking in it;
# on_program "" looks at every window again. win_search TITLE: its visible windows.
E2E_PID=
on_program() { E2E_PID=$1; }
win_search() { xdotool search --onlyvisible ${E2E_PID:+--all --pid "$E2E_PID"} --name "$1" 2>/dev/null; }
click() { xdotool mousemove "$1" "$2" click 1; }
# page_click TITLE X Y [BUTTON ARGS]: a click at (X, Y) of the 800 x 600 page that the
# main and instructions windows keep centred in the window whose title matches TITLE
# (the screen's own point on an 800 x 600 screen).
page_click() {
    local wid X Y WIDTH HEIGHT dx dy
    wid=$(win_search "$1" | head -1)
    [ -n "$wid" ] || { echo "no window \"$1\" to click in"; shot "missing-window"; exit 1; }
    if [ -n "$E2E_PID" ]; then xdotool windowraise "$wid" windowfocus "$wid"; sleep 0.3; fi
    eval "$(xdotool getwindowgeometry --shell "$wid" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    dx=$(( (WIDTH - 800) / 2 )); dy=$(( (HEIGHT - 600) / 2 ))
    [ "$dx" -ge 0 ] || dx=0; [ "$dy" -ge 0 ] || dy=0
    xdotool mousemove $((X + dx + $2)) $((Y + dy + $3)) click ${4:-1}
}
main_click() { page_click '^Zoka v' "$@"; }
essai_click() { page_click '^FormEssai$' "$@"; }
# "Passation", then "Continuer" on the instructions, which then ask "Prêt pour les
# essais?"; skip_practice: "Passer", which leads to "Prêt pour l'épreuve?".
open_instructions() { main_click 148 144; await "FormEssai"; sleep 1; essai_click 268 480; sleep 1; }
skip_practice() { essai_click 404 480; sleep 1; }
# Waits (at most 20 s) for a visible window whose title holds $1.
await() {
    for _ in $(seq 100); do
        [ -n "$(win_search "$1")" ] && return 0
        sleep 0.2
    done
    echo "no window \"$1\""; shot "missing-window"; exit 1
}
# Waits (at most 20 s) until no visible window's title holds $1.
gone() {
    for _ in $(seq 100); do
        [ -n "$(win_search "$1")" ] || return 0
        sleep 0.2
    done
    echo "window \"$1\" still there"; shot "window-left"; exit 1
}
