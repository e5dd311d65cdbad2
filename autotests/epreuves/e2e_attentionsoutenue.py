#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end administration of "Attention soutenue" in the real program on a 1280 x
1024 virtual screen (the 800 x 600 stage scaled by 1.6): patient name, the test and
the fast speed in the main window, the practice run of 25 characters with presses in
masks and on characters, then the test run, stopped with the stop key during
character 30. A watcher (e2e_stream_driver) follows one pixel of the mask (yellow,
white with the character, yellow again) and presses at known times. The files must
hold the right characters and codes, times that match the presses, phases of 250 /
750 ms, and the analysis must read the stopped file as incomplete. The phases come on
the X server's refresh (Xvfb's, 60 Hz): each within half a refresh of its due time.
  python3 e2e_attentionsoutenue.py <builddir> <sourcedir>
Full-length runs with their timing figures: bench/stream_timing.sh."""
import os, re, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

PRACTICE = "SwkUAYmRA3Um3pmRUY33ALch3"
TEST = ("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3"
        "UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWTKE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3")
MASK = 250
REFRESH = 16.666  # Xvfb's simulated refresh
# The mask probe, near the top-left corner of the character box, where no character
# reaches (stage point 335, 225 on the screen); the box itself as x,y,w,h.
PROBE, BOX = (536, 392), "520,380,240,281"


def watch(s, zoka, items, script, stop, *shot):
    """The watcher up, "Continuer" starts the run, the watcher plays it: its rows."""
    w = s.watcher("e2e_stream_driver", items, *PROBE, BOX, script, stop, *shot)
    zoka.essai_click(268, 480, settle=False)
    e2e.xdotool("mousemove", 640, 1000)         # on the test window, away from the stage's middle
    rows = s.finish(w)
    zoka.wait_run_end()
    return rows


def check_run(check, path, rows, script, items, runs_before, speed_ms, practice=False, refresh=REFRESH):
    """Header, practice-runs line, items item lines (character, space, code) of the
    right stream, no closing line; each code as the presses make it (0, n, -1, -n with
    n the press time within 25 ms, but for a few events a loaded machine holds up); a
    character drawn in the box every time; the not-analysed mark. Timing: mask and
    character phases as seen, each on the refresh nearest to its due time (whole
    refreshes from the first mask), no drift beyond one refresh at the end (without
    refresh, drawn at once: the figures only)."""
    name = os.path.basename(path)
    stream = PRACTICE if practice else TEST
    script = script.split(",")
    body, _ = check.result_file(path, runs_before, items=items, closing=False, practice=practice)
    period = MASK + speed_ms
    masks, chars, press_err, ends = [], [], [], []
    first_mask = float(rows[0][1])
    for i, line in enumerate(body, start=1):
        m = re.fullmatch(rb"(.) (-?\d+)", line)
        if not check(m is not None, "%s line %d: %r" % (name, i, line)):
            continue
        ch, code = m.group(1).decode("cp1252"), int(m.group(2))
        check(ch == stream[i - 1], "%s line %d: character %r, %r expected" % (name, i, ch, stream[i - 1]))
        mask_seen, char_seen, end_seen, mask_press, char_press = map(float, rows[i - 1][1:6])
        dark = int(rows[i - 1][6])
        check(dark > 200, "%s item %d: no character drawn (%d dark pixels)" % (name, i, dark))
        masks.append(char_seen - mask_seen - MASK)
        chars.append(end_seen - char_seen - speed_ms)
        ends.append(end_seen - first_mask - i * period)  # against the schedule of the first mask
        if char_press >= 0:
            press_err.append(abs(code) - (char_press - char_seen))
            check((code < 0) == (mask_press >= 0), "%s item %d: sign of %d" % (name, i, code))
        elif mask_press >= 0:
            check(code == -1, "%s item %d: %d after a mask press only" % (name, i, code))
        else:
            check(code == 0, "%s item %d: %d without a press" % (name, i, code))
    late = [e for e in press_err if abs(e) > 25]
    check(len(late) <= 3 and all(abs(e) <= 300 for e in press_err),
          "%s: %d press times off by more than 25 ms" % (name, len(late)))
    print("%s: %d items, %d presses timed" % (name, len(body), len(press_err)))
    print("  press time (code - (press sent - character seen))", e2e.summary(press_err))
    print("  mask phase (seen - 250)", e2e.summary(masks))
    print("  character phase (seen - %d)" % speed_ms, e2e.summary(chars))
    print("  end of each character against the run's schedule", e2e.summary(ends))
    if ends:
        print("  total drift at the end of character %d: %+.2f ms" % (len(ends), ends[-1]))
    if refresh:
        check(all(abs(e) <= 25 for e in masks + chars), name + ": a phase is off by more than 25 ms")
        check(all(abs(e) <= 25 for e in ends), name + ": the schedule drifted by more than 25 ms")
        # A phase may be a refresh longer or shorter than nominal where its due time
        # falls half-way between two refreshes. The watcher's own delay and the
        # simulated refresh's timer (whole milliseconds) add up to 2 ms; a loaded
        # machine holds a few up.
        off = lambda xs, lim: [x for x in xs if abs(x) > lim]
        print("  phases beyond a refresh: %d of %d; ends off the schedule's refresh: %d of %d"
              % (len(off(masks + chars, refresh + 2)), len(masks + chars), len(off(ends, refresh / 2 + 2)), len(ends)))
        check(len(off(masks + chars, refresh + 2)) <= max(2, len(masks + chars) // 50),
              name + ": phases beyond a refresh from their nominal length")
        check(len(off(ends, refresh / 2 + 2)) <= max(2, len(ends) // 40),
              name + ": characters ending off the refresh nearest to their schedule")
        check(not ends or abs(ends[-1]) <= refresh + 2, name + ": the run drifted by more than a refresh")


def test(s):
    zoka = s.start()
    zoka.pass_intro()
    zoka.type_name("Dupont")
    zoka.choose_test(7, "rapide")
    zoka.open_instructions()
    # Practice: mask presses, mask then character, characters, the 3s (positions 10,
    # 13, 19, 20, 25) pressed once or left alone.
    practice = "c300,c420,m80,c250,m60,m100c300,c380,-,c500,c300,c200,m120,-,c350,c280,c320,c260,c240,c300,-," \
               "c310,c330,c290,c270,-"
    p_rows = watch(s, zoka, 25, practice, 0, os.path.join(s.work, "practice"), 2)
    s.shot("05-redo")
    zoka.essai_click(404, 480)                  # Non: "Prêt pour l'épreuve?"
    script = "c300,c350,c400,m100,m100c320,c280,-,c450,c310,c330,-"
    t_rows = watch(s, zoka, 228, script, 30)
    s.shot("06-thanks")
    s.ppm_to_png(os.path.join(s.work, "practice-mask.ppm"), "07-mask")
    s.ppm_to_png(os.path.join(s.work, "practice-char.ppm"), "08-character")

    check = e2e.Checks()
    result = os.path.join(s.prog, "Epreuves", "Dupont_228-2.AS")
    if not os.path.exists(result):
        raise e2e.Failure("no %s: %r" % (result, os.listdir(os.path.dirname(result))))
    # The administration stopped with the stop key left its one journal line (none for
    # the practice run).
    check.journal(s.prog, result, (b" | affichage : ", b"pr\xe9sentation : ", b"images manqu\xe9es : ", b"appuis : ",
                                   b"son : sans objet", b"temps r\xe9el : "))
    check_run(check, os.path.join(s.prog, "Essais"), p_rows, practice, 25, 0, 750, practice=True)
    check_run(check, result, t_rows, script, 29, 1, 750)
    check("Données incomplètes (29 sur 228)" in s.report(result), "the report does not say the file is incomplete")
    check.done("e2e_attentionsoutenue")


def main():
    build, src = e2e.args()
    with e2e.Session("as", build, src, "1280x1024x24", sound=True) as s:
        test(s)


if __name__ == "__main__":
    main()
