# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the end-to-end runs and the timing benches of the test windows, after
# xsession.sh, with BUILD, WORK, PROG and SHOTS set and a 1280 x 1024 display up:
# starting the program, choosing a test in the main window, and where the 800 x 600
# stage of a test window lies on that screen (scaled by 1.6, 32 pixels down).

STREAM=$BUILD/e2e/e2e_stream_driver
POINTER=$BUILD/e2e/e2e_pointer_driver
# The pixel of the stage point (x, y): "X Y" on the screen.
stage_px() { python3 -c "import sys; x, y = map(float, sys.argv[1:]); print(int(x * 1.6 + 0.8), int(32 + y * 1.6 + 0.8))" "$1" "$2"; }
# The mask probe, near the top-left corner of the character box, where no character
# reaches; the box itself as x,y,w,h.
PROBE=$(stage_px 335 225)
BOX="520,380,240,281"


# Starts the program in $PROG, passes the title screen and types the patient Dupont.
start_program() {
    (cd "$PROG" && exec "$BUILD/bin/zoka") >"$WORK/zoka.log" 2>&1 &
    ZOKA_PID=$!
    await "Batterie Attention Tessaro"
    sleep 1
    shot 01-intro
    xdotool mousemove 640 350 click --repeat 2 --delay 80 1   # the title picture: double click
    gone "Batterie Attention Tessaro"
    sleep 1
    main_click 260 58
    xdotool key ctrl+a
    xdotool type --delay 20 "Dupont"
    sleep 0.3
}

# choose_test INDEX [lente|moyenne|rapide]: the test in the list, and its speed.
choose_test() {
    main_click 535 $((67 + 36 * $1))
    sleep 0.5
    case "${2:-}" in
        lente) main_click 535 459 ;;
        moyenne) main_click 535 485 ;;
        rapide) main_click 535 511 ;;
    esac
    sleep 0.3
    shot "02-main-test$1"
}

# watch_stream ITEMS SCRIPT STOP ROWS [SHOT ITEM]: starts the stream watcher in the
# background (it waits for the first mask); wait_stream waits for its end.
watch_stream() {
    "$STREAM" "$1" $PROBE "$BOX" "$2" "$3" ${5:+"$5" "$6"} >"$4" &
    WATCH_PID=$!
    sleep 0.5
}
wait_stream() {
    local rc=0
    wait "$WATCH_PID" || rc=$?
    WATCH_PID=
    [ "$rc" = 0 ] || { echo "FAIL: the stream watcher stopped ($rc)"; shot watcher-failed; exit 1; }
}
