# Sourced by the end-to-end scripts of the visual reaction-time tests:
#   rt_session BUILD SRC TEST COUNT [rt_session.py options...]
# A virtual X server of 1280 x 1024 (the 800 x 600 stage scaled by 1.6, 32 pixels
# down), a private sound server with a null sink, a fresh program directory, then
# one administration by rt_session.py. ZOKA_E2E_SHOTS=dir keeps the screenshots,
# ZOKA_E2E_KEEP=1 the work directory; ZOKA_E2E_NICE=n runs the X server, the program
# and the watcher at that scheduling priority (a negative one, as root, shields the
# measurement from other work on a shared machine).
source "$(dirname "${BASH_SOURCE[0]}")/../xsession.sh"

rt_session() {
    local build src test count
    build=$(cd "$1" && pwd); src=$(cd "$2" && pwd); test=$3; count=$4; shift 4
    [ -x "$build/bin/zoka" ] || { echo "no program at $build/bin/zoka"; return 1; }
    WORK=$(mktemp -d "/tmp/zoka-e2e-$test.XXXXXX")
    local prog=$WORK/prog shots=${ZOKA_E2E_SHOTS:-}
    mkdir -p "$prog/Epreuves" "$WORK/pulse"
    XVFB_PID=; PA_PID=
    trap 'for p in $PA_PID $XVFB_PID; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true;
          [ -n "${ZOKA_E2E_KEEP:-}" ] || rm -rf "$WORK"' EXIT
    start_xvfb 91 140 1280x1024x24 "$WORK/xvfb.log"
    export PULSE_RUNTIME_PATH=$WORK/pulse
    if command -v pulseaudio >/dev/null; then
        HOME=$WORK pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
            --load=module-native-protocol-unix >"$WORK/pulse.log" 2>&1 &
        PA_PID=$!
        sleep 1
    fi
    cp "$src"/data/* "$prog"/
    cp "$build"/data/* "$prog"/ 2>/dev/null || true
    write_config "$prog"
    local nice=${ZOKA_E2E_NICE:-0}
    [ "$nice" = 0 ] || renice -n "$nice" -p "$XVFB_PID" ${PA_PID:+"$PA_PID"} >/dev/null
    nice -n "$nice" python3 "$(dirname "${BASH_SOURCE[0]}")/rt_session.py" --build "$build" --prog "$prog" \
        --test "$test" --count "$count" ${shots:+--shots "$shots"} "$@"
}
