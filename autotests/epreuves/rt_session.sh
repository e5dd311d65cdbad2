# SPDX-License-Identifier: GPL-3.0-or-later
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
    local test=$3 count=$4
    e2e_setup "$test" "$1" "$2"
    shift 4
    start_xvfb 91 140 1280x1024x24 "$WORK/xvfb.log"
    start_pulse
    local nice=${ZOKA_E2E_NICE:-0} shots=${ZOKA_E2E_SHOTS:-}
    [ "$nice" = 0 ] || renice -n "$nice" -p "$XVFB_PID" ${PA_PID:+"$PA_PID"} >/dev/null
    nice -n "$nice" python3 "$(dirname "${BASH_SOURCE[0]}")/rt_session.py" --build "$BUILD" --prog "$PROG" \
        --test "$test" --count "$count" ${shots:+--shots "$shots"} "$@"
}
