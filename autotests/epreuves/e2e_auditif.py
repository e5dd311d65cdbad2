#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end administration of "TR auditif" in the real program, under a virtual X
server with a private sound server whose null sink is listened to on its monitor:
intro window, patient name, the test chosen in the list, "Passation",
instructions, practice skipped, then a 16-item test run stopped with the stop key
after item 10. A small driver hears each tone start and presses the mouse button at
known delays after it (once not at all, once during a silence). The stopped file
must be byte-correct apart from the measured times, which must match the injected
delays plus the sound's way out (loose bounds: the machine is shared).
  python3 e2e_auditif.py <builddir> <sourcedir>"""
import os, re, shutil, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

FP = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5]
DELAYS = [250, 180, 320, 400, 210, -1, 150, 275, 230, 500, 190, 350, -1, 260, 220, 300]
STOP_AFTER = 10


def main():
    build, src = e2e.args()
    if not shutil.which("parec"):
        raise e2e.Failure("pulseaudio and parec are needed")
    with e2e.Session("aud", build, src, "800x600x24", sound="required") as s:
        zoka = s.start()
        zoka.pass_intro()
        zoka.type_name("Dupont")
        zoka.main_click(560, 246, change=True)      # "TR auditif" in the list of tests
        s.shot("01-main")
        zoka.open_instructions(practice=False)
        s.shot("02-ready")
        e2e.xdotool("mousemove", 790, 590)
        zoka.essai_click(268, 480, settle=False)    # Continuer: test run
        e2e.wait_until("the test window", zoka.test_windows)
        run = s.wait_settled()
        s.shot("03-run")
        # The run's window keeps the dialog face colour and shows nothing.
        colours = s.screen.pixel(run, 400, 300), s.screen.pixel(run, 10, 10)
        print("run window colour:", colours)
        if (255, 255, 255) in colours:
            raise e2e.Failure("the run's window is white")
        # The patient listens to the sink's output from now on.
        ear = s.spawn(["parec", "-d", "null.monitor", "--raw", "--format=s16le", "--channels=1", "--rate=44100",
                       "--latency-msec=1"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        out = subprocess.run([s.tool("e2e_auditif_driver"), str(STOP_AFTER), ",".join(map(str, DELAYS)), "9:1500"],
                             stdin=ear.stdout, stdout=subprocess.PIPE, text=True)
        if out.returncode != 0:
            raise e2e.Failure("the driver stopped (%d):\n%s" % (out.returncode, out.stdout))
        zoka.stop_run()
        s.shot("04-thanks")

        check = e2e.Checks()
        rows = [tuple(float(x) for x in l.split()[:4]) for l in out.stdout.splitlines()]
        path = os.path.join(s.prog, "Epreuves", "Dupont_16.AUD")
        items, closing = check.result_file(path, 0, items=STOP_AFTER, practice=False)
        check(len(rows) == STOP_AFTER, "%d items heard" % len(rows))
        check(closing == b"-1", "closing line %r (one untimely press)" % closing)
        # The journal line of a tone test names the sound path and the output's latency.
        check.journal(s.prog, path, (re.compile(
            rb" \| son : pulseaudio [\d.]+, sortie null, latence de la sortie \d+,\d ms \| "),))
        heard, fpe, toe = [], [], []
        prev_end = None
        for (i, on, pressed, gone), item, d, f in zip(rows, items, DELAYS, FP):
            value = int(item)
            if d < 0:
                check(value == 3000, "item %d: %d instead of 3000" % (i, value))
                toe.append(gone - on - 3000)
                end = gone
            else:
                # value = press - onset tick; the driver pressed d ms after it heard the tone.
                heard.append(value - (pressed - on))
                check(0 <= value - d <= 40, "item %d: %d for a press %d ms after the tone was heard" % (i, value, d))
                end = pressed
            if prev_end is not None:
                fpe.append(on - prev_end - f * 1000)
            prev_end = end
        print("tone heard after the onset tick (file value - (press sent - tone heard))", e2e.summary(heard))
        print("foreperiod (tone heard - end of previous item - foreperiod)", e2e.summary(fpe))
        print("time-out (tone gone - tone heard - 3000)", e2e.summary(toe))
        check(all(-5 <= e <= 30 for e in fpe), "a foreperiod is off by more than the bounds")
        check(all(-30 <= e <= 30 for e in toe), "a time-out is off by more than 30 ms")
        check.done("e2e_auditif")


main()
