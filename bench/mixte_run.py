#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole "TR mixte" test run (65 items, about 5 minutes) in the real program, under
Xvfb with a private null sink: the patient's driver hears the tones on the sink's
monitor and sees the square on the screen, presses at known delays after each (a few
items left to time out, one press in a silence), and the figures of the run are
printed by modality: recorded - press, foreperiods, time-outs, and how late the
stimulus was heard or seen after its onset tick.

  python3 bench/mixte_run.py [BUILD_DIR] [ITEMS]   (default: build, 65; fewer items
                                                    end the run with the stop key)"""
import os, statistics, subprocess, sys

here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(here, "autotests"))
import e2e  # noqa: E402

MASTER = [3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5, 7, 3, 5, 1, 1, 5, 3, 7, 7, 5, 1, 3, 3, 5, 1,
          7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5, 3, 7, 7, 3, 5, 1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3, 5]
SERIES = "VAVVVAAAAVVAVVVAAVVVVAAAVVAAAAVAAVAAAVVVVAAVAAAVVAAAAVVVAAVVVVAVV"


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "build"))
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 65
    d = [250, 180, 320, 400, 210, 150, 275, 230, 500, 190, 350, 260]
    delays = [-1 if i % 9 == 5 else d[i % 12] for i in range(count)]
    with e2e.Session("mixte", build, here, "800x600x24", sound="required") as s:
        zoka = s.start()
        zoka.pass_intro()
        zoka.type_name("Dupont")
        zoka.main_click(560, 282, change=True)  # "TR mixte"
        zoka.open_instructions(practice=False)
        e2e.xdotool("mousemove", 790, 590)
        zoka.essai_click(268, 480, settle=False)
        print("load at the start:", open("/proc/loadavg").read().split()[:3])
        ear = s.spawn(["parec", "-d", "null.monitor", "--raw", "--format=s16le", "--channels=1", "--rate=44100",
                       "--latency-msec=1"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        out = subprocess.run([s.tool("e2e_auditif_driver"), "--square", "400,300", str(count),
                              ",".join(map(str, delays)), "20:1500"], stdin=ear.stdout, stdout=subprocess.PIPE,
                             text=True, check=True).stdout
        if count < 65:
            e2e.xdotool("key", "Escape")
        zoka.wait_run_end()
        print("load at the end:", open("/proc/loadavg").read().split()[:3])
        lines = open(os.path.join(s.prog, "Epreuves", "Dupont_65.MIX"), "rb").read().split(b"\r\n")[:-1]
    rows = [l.split() for l in out.splitlines()]
    items = lines[2:-1]
    kinds = "".join(r[4] for r in rows)
    print("items %d, closing line %s, modalities as the series: %s" % (
        len(items), lines[-1].decode(), kinds == SERIES[:len(rows)]))
    fig = {"A": {"late": [], "fp": [], "to": []}, "V": {"late": [], "fp": [], "to": []}}
    prev_end, bad = None, 0
    for n, (r, item, d) in enumerate(zip(rows, items, delays)):
        on, pressed, gone, kind = float(r[1]), float(r[2]), float(r[3]), r[4]
        value, f = int(item), fig[kind]
        if d < 0:
            bad += value != 3000
            f["to"].append(gone - on - 3000)
            end = gone
        else:
            f["late"].append(value - (pressed - on))
            bad += not (0 <= value - d <= 40)
            end = pressed
        if prev_end is not None:
            f["fp"].append(on - prev_end - MASTER[n] * 1000)
        prev_end = end

    def fmt(v):
        return "n=%2d median %+6.2f ms, SD %5.2f, min %+6.2f, max %+6.2f" % (
            len(v), statistics.median(v), statistics.stdev(v) if len(v) > 1 else 0, min(v), max(v)) if v else "none"
    for kind, name in (("V", "square"), ("A", "tone")):
        print("%s: onset tick -> %s: %s" % (name, "seen" if kind == "V" else "heard", fmt(fig[kind]["late"])))
        print("%s: foreperiod error          : %s" % (name, fmt(fig[kind]["fp"])))
        print("%s: time-out error            : %s" % (name, fmt(fig[kind]["to"])))
    print("values out of bounds: %d" % bad)


main()
