#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A program killed (kill -9) in the middle of a test run: "TR visuel centré", 32
items, practice skipped; three items answered, then the program is killed during
the fourth foreperiod. The result file must hold the header, the practice line and
the three item lines, each whole and ended by CR LF; zoka-report lists them. The
program started again must work: its file list holds the file (a double-click on
the list's first entry analyses Dupont_32.VC, which the name and count alone would
not name), the report holds the three values, and "Quitter" ends it normally.
  python3 e2e_killedrun.py <builddir> <sourcedir>"""
import os, subprocess, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

DELAYS = [250, 300, 350]
ANALYSIS = r"Analyse de Dupont_32\.VC"


def main():
    build, src = e2e.args()
    with e2e.Session("kill", build, src, "800x600x24") as s:
        path = os.path.join(s.prog, "Epreuves", "Dupont_32.VC")
        # ---- The run, killed
        zoka = s.start()
        zoka.pass_intro()
        zoka.type_name("Dupont")
        zoka.main_click(560, 485, change=True)      # 32 items (second button of the count group)
        s.shot("01-main")
        zoka.open_instructions(practice=False)
        e2e.xdotool("mousemove", 790, 590)
        zoka.essai_click(268, 480, settle=False)    # Continuer: the test run
        out = subprocess.run([s.tool("e2e_visuelcentre_driver"), "3", ",".join(map(str, DELAYS)), "400", "300"],
                             stdout=subprocess.PIPE, text=True)
        if out.returncode != 0:
            raise e2e.Failure("the driver did not see three items")
        time.sleep(0.5)                             # into item 4's foreperiod (7 s): the moment of the kill
        s.shot("02-before-kill")
        zoka.kill()

        check = e2e.Checks()
        items, _ = check.result_file(path, 0, closing=False)
        print(repr(open(path, "rb").read()))
        values = [int(l) for l in items]
        check(len(values) == 3, "%d item lines" % len(values))
        # The presses' times (their accuracy is e2e_visuelcentre's, under the timing
        # lock; this run may share the machine with it).
        check(all(abs(v - d) <= 100 for v, d in zip(values, DELAYS)), "values %r for presses at %r" % (values, DELAYS))
        report = s.report(path).encode("cp1252")
        for i, v in enumerate(values, 1):
            check(b"%4d :  %d\r\n" % (i, v) in report, "zoka-report does not list item %d" % i)
        if check.fails:
            check.done("after the kill")

        # ---- The next start
        zoka = s.start(name="zoka-2")
        zoka.pass_intro()
        zoka.type_name("Dupont")                    # the file list shows Dupont's files
        s.shot("03-restarted")
        zoka.main_click(300, 230, double=True)      # first entry of the file list
        # The file is incomplete: a message box ("ZOKA") comes first, then the window.
        zoka.wait_window_answering(ANALYSIS, "Return")
        s.shot("05-analysis")
        report = open(os.path.join(s.prog, "AnaTemp.txt"), "rb").read()
        check(b"Dupont" in report, "report of another file")
        for i, v in enumerate(items, 1):
            check(b"%4d :  %s\r\n" % (i, v) in report, "the report does not list item %d" % i)
        zoka.close_box(ANALYSIS)
        zoka.page_click(e2e.MAIN, 352, 496, settle=False)   # Quitter
        check(zoka.wait_exit() == 0, "exit code %s after Quitter" % zoka.proc.returncode)
        check(open(path, "rb").read(2000).startswith(b"Dupont: "), "the result file lost its header")
        check.done("e2e_killedrun")


main()
