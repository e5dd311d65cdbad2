#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up of the real program under a virtual X server, in a fresh program
directory: the intro window, then the main window with its title; a patient chosen
in the list; "Quitter" ends the program with code 0 and writes the configuration.
The window's close box asks first: "Non" keeps the program, "Oui" ends it without
writing the configuration. Then a damaged configuration file: the program stays up
in its reduced state and "Quitter" leaves the damaged file alone.
  python3 e2e_startup.py <builddir> <sourcedir>"""
import os, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

MAIN = r"^Zoka v4\.0$"


def make_prog(s, name):
    prog = s.prog_dir(name)
    for f in ("Dupont_16.VC", "Martin_36.LAT"):
        open(os.path.join(prog, "Epreuves", f), "w").write("x")
    return prog


def main():
    build, src = e2e.args()
    with e2e.Session("startup", build, src, "1024x768x24", prog=None) as s:
        check = e2e.Checks()
        # ---- A normal start
        prog = make_prog(s, "normal")
        ini = os.path.join(prog, "Zoka.ini")
        zoka = s.start(prog)
        zoka.pass_intro()
        zoka.wait_window(MAIN)
        s.shot("02-main")
        zoka.main_click(175, 231, change=True)      # the first patient of the list (Dupont): the name field follows
        s.shot("03-patient")
        zoka.page_click(MAIN, 352, 496, settle=False)   # "Quitter" (in the lower group box)
        check(zoka.wait_exit() == 0, "exit code %s after Quitter" % zoka.proc.returncode)
        check(os.path.getsize(ini) == 392, "Zoka.ini is not 392 bytes after Quitter")
        check(os.path.exists(os.path.join(prog, "Epreuves", "Dupont_16.VC")), "a result file went missing")

        # ---- The close box
        os.utime(ini, (978307200, 978307200))       # 2001-01-01
        zoka = s.start(prog, name="zoka-2")
        zoka.pass_intro()
        zoka.close_box(MAIN)
        s.shot("06-close-question")
        zoka.answer_box("alt+n")                    # "Non": the program goes on
        check(zoka.alive() and not zoka.boxes(), "the program ended after answering Non")
        zoka.close_box(MAIN)
        zoka.answer_box("Return")                   # "Oui", the default button
        check(zoka.wait_exit() == 0, "exit code %s after the close box" % zoka.proc.returncode)
        check(os.stat(ini).st_mtime == 978307200, "the close box wrote Zoka.ini")

        # ---- A damaged configuration file
        prog = make_prog(s, "damaged")
        ini = os.path.join(prog, "Zoka.ini")
        open(ini, "wb").write(bytes(40))
        zoka = s.start(prog, name="zoka-3")
        # Every message box is answered with its default button (the title window
        # passed) until the main window is left alone; the program must still run.
        for _ in range(2):
            def main_alone():
                if zoka.boxes():
                    zoka.answer_box("Return")
                elif zoka.windows(e2e.INTRO):
                    zoka.pass_intro()
                return zoka.windows(e2e.MAIN) and not zoka.boxes()
            e2e.wait_until("the main window alone", main_alone, 30, 0.2)
            s.wait_settled(quiet=1)
        s.shot("12-damaged")
        check(zoka.alive(), "the program ended after a damaged Zoka.ini")
        zoka.page_click(e2e.MAIN, 352, 496, settle=False)
        check(zoka.wait_exit() == 0, "exit code %s after Quitter" % zoka.proc.returncode)
        check(os.path.getsize(ini) == 40, "the damaged Zoka.ini was overwritten")
        check.done("e2e_startup")


main()
