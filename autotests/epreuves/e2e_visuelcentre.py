#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end administration of "TR visuel centré" in the real program, under a
virtual X server with a private null sound sink: intro window, patient name,
"Passation", instructions, one practice run, then a 16-item test run stopped with
the stop key after item 10. A small driver watches the screen for the square and
presses the mouse button at known delays after it appears (an item left to time out
in each run). The result files must be byte-correct apart from the measured times,
which must match the injected delays within a few milliseconds; the stopped file is
shown as incomplete. Then the timing check from the command line.
  python3 e2e_visuelcentre.py <builddir> <sourcedir>"""
import os, re, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

PRACTICE_FP, PRACTICE_DELAYS = [5, 3, 1, 7, 1, 5], [-1, 300, 280, 260, 240, 220]
TEST_FP = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5]
DELAYS = [250, 180, 320, 400, 210, 600, 150, -1, 275, 230, 500, 190, 350, 260, -1, 220]
STOP_AFTER = 10


def play(s, delays, *shot):
    """The driver: presses at the delays after the square is seen; its rows."""
    out = subprocess.run([s.tool("e2e_visuelcentre_driver"), str(len(delays)), ",".join(map(str, delays)), "400", "300",
                          *shot], stdout=subprocess.PIPE, text=True)
    if out.returncode != 0:
        raise e2e.Failure("the driver stopped (%d):\n%s" % (out.returncode, out.stdout))
    return [(int(i), float(on), float(pressed), float(gone)) for i, on, pressed, gone in map(str.split, out.stdout.splitlines())]


def check_file(check, path, rows, fp, runs_before, injected):
    items, closing = check.result_file(path, runs_before, items=len(fp))
    check(closing == b"0", path + ": closing line %r" % closing)
    rt_err, fp_err, to_err = [], [], []
    prev_end = None
    for (i, on, pressed, gone), item, d, f in zip(rows, items, injected, fp):
        value = int(item)
        if d < 0:
            check(value == 3000, "%s item %d: %d instead of 3000" % (path, i, value))
            to_err.append((gone - on) - 3000)
            end = gone
        else:
            rt_err.append(value - (pressed - on))
            check(abs(value - d) <= 10, "%s item %d: %d for a press at %d ms" % (path, i, value, d))
            end = pressed
        if prev_end is not None:
            fp_err.append((on - prev_end) - f * 1000)
        prev_end = end
    return rt_err, fp_err, to_err


def main():
    build, src = e2e.args()
    with e2e.Session("vc", build, src, "800x600x24", sound=True) as s:
        zoka = s.start()
        zoka.pass_intro()
        zoka.type_name("Dupont")
        s.shot("02-main")
        zoka.open_instructions()
        s.shot("04-ready")
        e2e.xdotool("mousemove", 790, 590)              # out of the way; presses land anywhere
        zoka.essai_click(268, 480, settle=False)        # Continuer: practice run
        # Practice: item 1 left to time out (screenshot of the square), then presses.
        p_rows = play(s, PRACTICE_DELAYS, os.path.join(s.work, "square.ppm"), "1")
        zoka.wait_run_end()
        s.shot("05-redo")
        zoka.essai_click(404, 480)                      # Non: "Prêt pour l'épreuve?"
        zoka.essai_click(268, 480, settle=False)        # Continuer: test run
        t_rows = play(s, DELAYS[:STOP_AFTER])
        zoka.stop_run()
        s.shot("06-thanks")
        s.ppm_to_png(os.path.join(s.work, "square.ppm"), "07-square")

        # The timing check from the command line, on the same display and sound server:
        # one verdict per line, exit code 1 exactly when a line is to be checked.
        check = e2e.Checks()
        r = subprocess.run([s.zoka, "--check-timing"], cwd=s.prog, stdout=subprocess.PIPE, text=True,
                           env=dict(os.environ, LC_ALL="C.UTF-8"))
        print(r.stdout)
        lines = r.stdout.splitlines()
        verdicts = [re.search(r" -> (bon|acceptable|à vérifier|non mesuré) \(", l) for l in lines[1:8]]
        check(lines and lines[0].startswith("Contrôle de la chronométrie - "), "timing check: %r" % lines[:1])
        check(all(verdicts) and len(lines) == 9, "timing check: %r" % lines)
        check(len(lines) > 5 and lines[3].startswith("Minuteries des essais : retard médian ")
              and lines[5].startswith("Latence de la sortie son : pulseaudio"), "timing check: %r" % lines)
        check((r.returncode == 1) == any(v and v.group(1) == "à vérifier" for v in verdicts),
              "timing check: status %d" % r.returncode)

        result = os.path.join(s.prog, "Epreuves", "Dupont_16.VC")
        p = check_file(check, os.path.join(s.prog, "Essais"), p_rows, PRACTICE_FP, 0, PRACTICE_DELAYS)
        t = check_file(check, result, t_rows, TEST_FP[:STOP_AFTER], 1, DELAYS)
        check("Données incomplètes (%d sur 16)" % STOP_AFTER in s.report(result), "the stopped file not incomplete")
        # One journal line for the administration (none for the practice run).
        check.journal(s.prog, result, (b"affichage : Xvfb ", b"session ", b"appuis : heure de l'\xe9v\xe9nement",
                                       b"son : sans objet", b"temps r\xe9el : "))
        check(e2e.marked(result), "result file not marked read-only")
        check(not e2e.marked(os.path.join(s.prog, "Essais")), "practice file marked read-only")
        rt, fpe, to = p[0] + t[0], p[1] + t[1], p[2] + t[2]
        for name, v in (("press time (file value - (press sent - square seen))", rt),
                        ("foreperiod (square seen - end of previous item - foreperiod)", fpe),
                        ("time-out (square gone - square seen - 3000)", to)):
            print(name, e2e.summary(v))
        # Bounds that a loaded two-core machine keeps; a fault of the protocol (a
        # foreperiod counted from the wrong moment, a time taken at the wrong place) is
        # far larger. An unanswered square goes on the first refresh after its window:
        # up to one of Xvfb's 16.7 ms refreshes more.
        check(all(abs(e) <= 10 for e in rt), "a press time is off by more than 10 ms")
        check(all(abs(e) <= 25 for e in fpe), "a foreperiod is off by more than 25 ms")
        check(all(-25 <= e <= 25 + 16.7 for e in to), "a time-out is off by more than 25 ms (a refresh more allowed)")
        check.done("e2e_visuelcentre")


main()
