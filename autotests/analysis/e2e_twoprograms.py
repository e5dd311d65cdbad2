#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two programs (two examiners) on one results folder, each with its own program
directory, on one screen:
 1. A runs "TR visuel centré", 32 items. Meanwhile B opens the analysis of that file
    (read only: it is never rewritten), tries "Passation" of the same name and
    "Suppression" of the file: both are refused, the file stays the one A writes.
    A stops its run with the stop key: its file is whole, with its closing line.
 2. A and B open the analysis of that file; A writes a note and closes; B writes
    another and closes: B's rewrite is refused (the file changed since B read it),
    B's note is shown to copy, A's note stays in the file.
 3. B opens the analysis; A administers the same name again; B closes: the new run
    stays, still marked not analysed.
  python3 e2e_twoprograms.py <builddir> <sourcedir>"""
import hashlib, os, re, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402

MAIN, ANALYSIS, OTHER = r"^Zoka v4\.0$", r"Analyse de Dupont_32\.VC", ("shift+Tab", "space")


def start(s, prog, name):
    """A program through its title window, looking at its own windows only."""
    p = s.start(prog, name=name)
    p.only_mine = True
    p.pass_intro()
    p.wait_window(MAIN)
    return p


def analysis_open(p):
    """A double click on the first file; a file still being written is incomplete: a
    message box comes before the window."""
    p.main_click(300, 230, double=True)
    p.wait_window_answering(ANALYSIS, "Return")


def analysis_note(p, text):
    p.page_click(ANALYSIS, 440, 460)
    e2e.xdotool("key", "ctrl+End", "Return")
    e2e.xdotool("type", "--delay", 20, text)
    p.s.wait_settled()


def main():
    build, src = e2e.args()
    with e2e.Session("two", build, src, "800x600x24", sound=True) as s:
        check = e2e.Checks()
        path = os.path.join(s.prog, "Epreuves", "Dupont_32.VC")
        content = lambda: open(path, "rb").read()
        digest = lambda: hashlib.md5(content()).hexdigest()
        prog_b = s.prog_dir("progB", results=False)
        os.symlink(os.path.join(s.prog, "Epreuves"), os.path.join(prog_b, "Epreuves"))  # the shared folder
        a = start(s, s.prog, "zoka-A")
        b = start(s, prog_b, "zoka-B")

        # ---- 1. A writes, B looks
        a.type_name("Dupont")
        a.main_click(560, 485)                      # 32 items
        a.open_instructions(practice=False)
        a.essai_click(268, 480, settle=False)       # Continuer: the run starts
        e2e.wait_until("A's file", lambda: os.path.exists(path) and os.path.getsize(path) > 0, 10)
        inode = os.stat(path).st_ino
        b.type_name("Dupont")
        analysis_open(b)
        s.shot("01-b-reads-while-a-writes")
        b.close_box(ANALYSIS)
        check(not b.boxes(), "B asked something about a file it only read")
        check(not b.windows("Analyse de"), "B's analysis stayed open")
        b.main_click(560, 485)
        b.main_click(148, 144)                      # Passation of the same name: refused
        b.answer_box("Return")
        check(not b.windows(e2e.ESSAI), "B began an administration over A's run")
        b.main_click(300, 230)
        b.main_click(372, 144)                      # Suppression: refused
        b.answer_box("Return")
        check(os.path.exists(path) and os.stat(path).st_ino == inode, "the file A writes was replaced or removed")
        check(b"[Notes]" not in content(), "B wrote into the file A writes")

        s.shot("02-a-before-stop")
        a.stop_run()
        s.shot("03-a-stopped")
        a.essai_click(540, 480, settle=False)       # Quitter
        a.wait_gone(e2e.ESSAI)
        lines, closing = check.result_file(path, 0)
        check(len(lines) >= 1 and all(re.fullmatch(rb"-?\d+", l) for l in lines + [closing]),
              "A's file after its run: %r" % content())
        check(os.stat(path).st_ino == inode, "the file was replaced during A's run")
        check(e2e.marked(path), "A's file lost its not-analysed mark")

        # ---- 2. Notes in two windows
        analysis_open(a)
        analysis_open(b)
        analysis_note(a, "note de A")
        a.close_box(ANALYSIS)
        check(b"note de A" in content(), "A's note was not written")
        analysis_note(b, "note de B")
        b.close_box(ANALYSIS)
        b.answer_box("Return")                      # "Non" (the default): the window stays
        check(b.windows(ANALYSIS), "Return closed B's analysis")
        b.close_box(ANALYSIS)
        b.answer_box(*OTHER)                        # "Oui": closed, nothing written
        check(not b.windows("Analyse de"), "B's analysis did not close")
        check(b"note de A" in content(), "B's close dropped A's note")
        check(b"note de B" not in content(), "B's note was written over a file that changed")

        # ---- 3. Re-administered while an analysis is open
        analysis_open(b)
        a.main_click(560, 485)                      # 32 items
        a.main_click(148, 144)                      # Passation: "Ce nom existe déjà", answered Oui
        s.shot("04-a-passation-again")
        a.wait_window_answering(e2e.ESSAI, *OTHER)
        a.essai_click(268, 480)
        a.essai_click(404, 480)                     # Passer
        a.essai_click(268, 480, settle=False)       # the run
        e2e.wait_until("the new run's file", lambda: b"note de A" not in content(), 10)
        a.stop_run()
        a.essai_click(540, 480, settle=False)
        a.wait_gone(e2e.ESSAI)
        new = digest()
        b.close_box(ANALYSIS)
        b.answer_box(*OTHER)                        # told the file changed; closed
        check(digest() == new, "B's close wrote its old copy over the new run")
        check(e2e.marked(path), "B's close cleared the new run's not-analysed mark")
        s.shot("09-end")
        for p in (a, b):
            p.page_click(MAIN, 352, 496, settle=False)  # Quitter
            check(p.wait_exit() == 0, "exit code %s after Quitter" % p.proc.returncode)
        check.done("e2e_twoprograms")


main()
