#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One administration of a visual reaction-time test in the real program on a 1280 x
1024 virtual screen (the 800 x 600 stage scaled by 1.6, 32 pixels down), with a
private sound server and a fresh program directory (e2e.Session): title screen,
patient name, test and count, "Passation", instructions, practice skipped, the test
run played by e2e_rt_driver, which watches the screen where each stimulus must
appear and presses at known delays. Then the result file is checked byte for byte
apart from the measured times, the times against the presses, the report of
zoka-report against the delays, and the timing figures are printed (and written as
JSON with --figures).

  rt_session.py --build B --src S --test LAT|LFC|SB|DB --count N [--stop-after K]
                [--shots] [--figures FILE] [--bounds ci|strict]
                [--presentation present|repaint] [--practice]

--stop-after K ends the test run with the stop key in the foreperiod after item K:
the file then holds K item lines and its closing line, keeps the not-analysed mark,
and zoka-report shows it as incomplete with the K values; the report's statistics
(raw scores by cell or go item, median, omissions) need the whole run (bench/).

The end-to-end tests call run(test, count, options...); the bench calls the script.
ZOKA_E2E_SHOTS=dir keeps the screenshots, ZOKA_E2E_KEEP=1 the work directory,
ZOKA_E2E_NICE=n runs everything at that scheduling priority.

With --presentation present (the default) the stimuli must come on the X server's
refresh (Xvfb's is 60 Hz): every onset seen on the refresh grid, every foreperiod
ending on the refresh nearest to its due time. With repaint the program is asked to
draw at once (ZOKA_PRESENTATION=repaint), as where the display has no Present.

The tables below are the battery's fixed series, written out here independently of
the program's code.
"""
import argparse, json, os, re, statistics, subprocess, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import e2e  # noqa: E402
from e2e import summary  # noqa: E402

MASTER = [3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5, 7, 3, 5, 1, 1, 5, 3, 7, 7, 5, 1, 3, 3, 5, 1,
          7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5, 3, 7, 7, 3, 5, 1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3, 5]
SEQ36 = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 5, 3, 3, 7, 1, 5, 7, 3, 3, 7, 5, 1, 7, 3, 3, 5, 1, 5, 5, 7, 3, 1,
         7, 1, 5, 3]
GRID64 = [2, 63, 57, 8, 49, 16, 23, 42, 31, 34, 40, 25, 48, 17, 10, 55, 61, 4, 13, 52, 58, 7, 21, 44, 36,
          29, 20, 45, 39, 26, 12, 53, 15, 50, 64, 1, 6, 59, 56, 9, 18, 47, 33, 32, 27, 38, 41, 24, 62, 3,
          14, 51, 11, 54, 60, 5, 35, 30, 19, 46, 22, 43, 37, 28]
PRACTICE_GRID64 = [23, 63, 57, 8, 49, 16, 2, 42, 31, 34, 40, 25, 48, 17, 10, 55, 61, 20, 13, 52, 58, 7, 21, 44,
                   36, 29, 4, 45, 39, 26, 12, 53, 15, 50, 64, 1, 6, 59, 56, 9, 18, 47, 33, 32, 27, 38, 41, 24, 62,
                   51, 14, 3, 11, 54, 60, 5, 35, 30, 19, 46, 22, 43, 37, 28]
PRACTICE_SEQ = [5, 3, 1, 7, 1, 5, 7, 3, 5, 3]
PRACTICE_FIX = [3, 1, 0, 3, 0, 3]
GRID36 = [10, 12, 18, 21, 6, 29, 34, 16, 35, 20, 33, 11, 4, 24, 9, 1, 17, 30, 28, 15, 25, 7, 31, 3, 32,
          26, 5, 36, 19, 13, 27, 23, 8, 14, 2, 22]
FIX64 = [0, 3, 0, 4, 0, 0, 4, 0, 2, 0, 1, 1, 0, 5, 0, 2, 5, 0, 0, 0, 0, 3, 1, 0, 4, 3, 0, 0, 1, 2, 0, 5,
         0, 3, 0, 1, 3, 2, 1, 0, 0, 3, 0, 0, 4, 0, 1, 0, 1, 5, 0, 2, 0, 0, 0, 0, 1, 0, 3, 1, 0, 5, 0, 2]
FIX36 = [0, 3, 0, 4, 0, 0, 4, 0, 2, 0, 0, 1, 0, 5, 0, 2, 5, 0, 0, 5, 2, 0, 5, 0, 1, 0, 0, 2, 0, 4, 0, 0,
         4, 0, 3, 0]
PRACTICE_SERIES = {"SB": "+O+OO+", "DB": "13421342"}
TRS = "++O+++O+O++O++OO++O+OO+++O++O++OO++O++O+++OO+O++OO++O++O+O+++O++"
TRD = "2131224241131234214134122321412332141232214314124321311424221312"

TESTS = {  # index, extension, omission value, radio row, titles
    "LAT": (1, "LAT", 3000), "LFC": (2, "LFC", 3000), "SB": (3, "SB", 2000), "DB": (4, "DB", 2000)}


def stage_to_screen(x, y, w=1280, h=1024):
    s = min(w / 800, h / 600)
    return x * s + (w - 800 * s) / 2, y * s + (h - 600 * s) / 2


def area_around(x, y, half=2):
    sx, sy = stage_to_screen(x, y)
    return "%d %d %d %d" % (int(sx) - half, int(sy) - half, 2 * half, 2 * half)


def symbol_area():
    # Three screen rows through the middle of the symbols' boxes (the cross's is 378,
    # 263, 46 x 68, the ring's 382, 269, 39 x 60), which both symbols cross: the
    # cross with its bar, inked in the middle (401, 298); the ring with its sides,
    # empty in the middle.
    x0, y = stage_to_screen(378, 298.5)
    x1, _ = stage_to_screen(424, 298.5)
    return "%d %d %d 3" % (int(x0), int(y) - 1, int(x1 - x0) // 2 * 2 + 1)


def plan(test, count, practice=False):
    """Per item: foreperiod, press delay (-1 none), what is shown, the driver's line."""
    items = []
    if practice:
        count = 8 if test == "DB" else 6
    fps = PRACTICE_SEQ if practice else SEQ36 if count == 36 else MASTER[1:count + 1]
    if test in ("LAT", "LFC"):
        grid, rows = (GRID36, 6) if count == 36 else (PRACTICE_GRID64 if practice else GRID64, 8)
        step_y, step_x = (105, 140) if rows == 6 else (75, 100)
        cell = {item: (42 + step_x * (i % rows), 30 + step_y * (i // rows)) for i, item in enumerate(grid)}
        fix = (PRACTICE_FIX if practice else FIX36 if count == 36 else FIX64) if test == "LFC" else [0] * count
        nfix = 0
        for k in range(1, count + 1):
            left, top = cell[k]
            delay = -1 if k in (9, 24) else 220 + (k * 37) % 300
            f = fix[k - 1]
            fixpress = -1
            if f:
                nfix += 1
                fixpress = 200 if nfix % 4 == 1 else -1
            line = "%s k %d %s %d%s" % (area_around(left + 10.5, top + 10.5), delay,
                                        area_around(398.5, 285.5) if test == "LFC" else "-", fixpress,
                                        " s" if k == 9 or (practice and f) else "")
            items.append(dict(fp=fps[k - 1], delay=delay, fix=f, fixpress=fixpress, cell=(left, top),
                              line=line))
    else:
        series = PRACTICE_SERIES[test] if practice else TRS if test == "SB" else TRD
        for k in range(1, count + 1):
            c = series[k - 1]
            go = c in "+12"
            cross = c in "+14"
            colour = "k" if test == "SB" else ("r" if c in "13" else "b")
            if test == "SB":
                delay = 230 + (k * 53) % 280 if go else -1  # presses at the crosses only
            else:
                delay = 230 + (k * 53) % 280 if go or k % 8 == 3 else -1  # and a few false alarms
            if practice and go:
                delay = 2600 + 100 * k  # a practice go symbol stays up until the press
            shot = " s" if (k in (3, 7) and delay < 0) or (practice and delay > 2000) else ""
            items.append(dict(fp=fps[k - 1], delay=delay, go=go, cross=cross,
                              line="%s %s %d - -1%s" % (symbol_area(), colour, delay, shot)))
    return items


def administer(s, args, items):
    """The administration, played by e2e_rt_driver: the rows it saw and the file."""
    test_index, ext, _ = TESTS[args.test]
    zoka = s.start(env={"ZOKA_PRESENTATION": "repaint"} if args.presentation == "repaint" else None)
    zoka.pass_intro()
    zoka.type_name("Dupont")
    zoka.main_click(534, 66 + 36 * test_index, change=True)  # the test in the list
    if args.count == 64:
        zoka.main_click(534, 505)                             # the second count
    s.shot("%s-01-main" % args.test)
    zoka.open_instructions(practice=args.practice)
    s.shot("%s-02-instructions" % args.test)
    e2e.xdotool("mousemove", s.width - 5, s.height - 5)
    planfile = os.path.join(s.work, "plan.txt")
    with open(planfile, "w") as f:
        f.write("\n".join(it["line"] for it in items) + "\n")
    zoka.essai_click(268, 480, settle=False)                  # Continuer: the test (or practice) run
    prefix = os.path.join(s.work, "%s-item" % args.test) if args.shots else ""
    out = subprocess.run([s.tool("e2e_rt_driver"), planfile, prefix], stdout=subprocess.PIPE, text=True)
    if out.returncode != 0:
        raise e2e.Failure("driver failed:\n" + out.stdout)
    if len(items) < args.count and not args.practice:
        zoka.stop_run()                                       # in the next item's foreperiod
    zoka.wait_run_end()
    s.shot("%s-03-thanks" % args.test)
    open(os.path.join(s.work, "driver.txt"), "w").write(out.stdout)
    rows = [list(map(float, l.split())) for l in out.stdout.splitlines()]
    for n in sorted(os.listdir(s.work)) if args.shots else []:
        if n.endswith(".ppm"):
            s.ppm_to_png(os.path.join(s.work, n), n[:-4])
    if args.practice:
        return rows, os.path.join(s.prog, "Essais")
    return rows, os.path.join(s.prog, "Epreuves", "Dupont_%d.%s" % (args.count, ext))


def main(argv=None):
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--src", required=True)
    ap.add_argument("--test", choices=TESTS, required=True)
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--stop-after", type=int, default=0, help="the stop key after that many items (0: none)")
    ap.add_argument("--shots", action="store_true", help="keep the screenshots (ZOKA_E2E_SHOTS)")
    ap.add_argument("--figures", default="")
    ap.add_argument("--bounds", choices=("ci", "strict"), default="ci")
    ap.add_argument("--practice", action="store_true", help="run the practice instead of the test")
    ap.add_argument("--presentation", choices=("present", "repaint"), default="present")
    args = ap.parse_args(argv)
    args.shots = args.shots or bool(os.environ.get("ZOKA_E2E_SHOTS"))
    # ZOKA_E2E_NICE=n: the X server, the program and the watcher at that priority (a
    # negative one, as root, shields the measurement from other work on the machine).
    os.nice(int(os.environ.get("ZOKA_E2E_NICE", "0")))
    with e2e.Session(args.test, os.path.abspath(args.build), os.path.abspath(args.src), "1280x1024x24",
                     sound=True) as s:
        verify(args, s)


def verify(args, s):
    _, _, omission = TESTS[args.test]
    items = plan(args.test, args.count, args.practice)
    if args.stop_after and not args.practice:
        items = items[:args.stop_after]
    rows, path = administer(s, args, items)
    check = e2e.Checks()
    # The file, line by line.
    body, closing_line = check.result_file(path, 0, practice=args.practice)
    values = [int(x) for x in body]
    check(len(values) == len(items) == len(rows), "%d item lines, %d items seen" % (len(values), len(rows)))
    rec, fpe, toe, fixe, fixd = [], [], [], [], []
    prev_end = None
    fix_presses = 0
    false_alarms = 0
    for it, row, value in zip(items, rows, values):
        i, on, pressed, gone, fix_on, fix_off, centre = row
        if args.practice and it.get("go") and it["delay"] >= 0:
            rec.append(value - (pressed - on))
            check(abs(value - it["delay"]) <= 10, "item %d: %d for a press at %d ms" % (i, value, it["delay"]))
            end = pressed  # held past the limit until the press
        elif it["delay"] < 0:
            check(value == omission, "item %d: %d instead of %d" % (i, value, omission))
            toe.append((gone - on) - omission)
            end = gone
        else:
            rec.append(value - (pressed - on))
            check(abs(value - it["delay"]) <= 10, "item %d: %d for a press at %d ms" % (i, value, it["delay"]))
            end = pressed
            if "go" in it and not it["go"]:
                false_alarms += 1
        if "cross" in it:
            check(bool(centre) == it["cross"], "item %d: %s expected" % (i, "cross" if it["cross"] else "ring"))
        if prev_end is not None:
            fpe.append((on - prev_end) - it["fp"] * 1000)
            if it.get("fix"):
                if fix_on < 0 or fix_off < 0:
                    check(False, "item %d: fixation point not seen" % i)
                else:
                    fixe.append((fix_on - prev_end) - it["fix"] * 1000)
                    fixd.append((fix_off - fix_on) - 500)
        if it.get("fixpress", -1) >= 0:
            fix_presses += 1
        prev_end = end
    if args.test == "LFC":
        closing = b"%d %d" % (-fix_presses, fix_presses)
    elif args.test in ("SB", "DB"):
        closing = b"0 %d" % false_alarms
    else:
        closing = b"0"
    check(closing_line == closing, "closing line %r instead of %r" % (closing_line, closing))

    # The report of zoka-report agrees with the presses.
    if args.practice:
        pass
    elif len(items) < args.count:
        stopped_report(args, s, path, values, closing, check)
    else:
        report(args, s, path, items, omission, fix_presses, false_alarms, check)
    # The refresh: where each onset was seen in the refresh period, against the run's
    # median phase; a foreperiod that ends more than half a period (and the watcher's
    # own millisecond) from its due time did not come on the refresh nearest to it.
    period = 16.666  # Xvfb's simulated refresh: 16 666 microseconds
    phases = [row[1] % period for row in rows]
    ref = statistics.median(phases) if phases else 0
    grid = [(ph - ref + period / 2) % period - period / 2 for ph in phases]
    on_target = sum(1 for e in fpe if abs(e) <= period / 2 + 1.5)
    figures = {"test": args.test, "count": args.count, "presentation": args.presentation,
               "recorded_minus_press": summary(rec), "foreperiod": summary(fpe), "timeout": summary(toe),
               "fixation_onset": summary(fixe), "fixation_duration": summary(fixd), "off_grid": summary(grid),
               "on_target": "%d/%d" % (on_target, len(fpe))}
    for k in ("recorded_minus_press", "foreperiod", "timeout", "fixation_onset", "fixation_duration", "off_grid",
              "on_target"):
        print("%-22s %s" % (k, json.dumps(figures[k])))
    if args.figures:
        json.dump(figures, open(args.figures, "w"), indent=1)
    # Loose bounds for a loaded two-core machine: a protocol fault (a foreperiod counted
    # from the wrong moment, a time taken at the wrong place) is far larger.
    lim = dict(rec=10, fp=25, to=25) if args.bounds == "ci" else dict(rec=1.5, fp=3, to=3)
    if args.presentation == "present":
        # On the refresh: an onset up to half a period from its due time, an
        # unanswered stimulus up to a period past its window; most onsets on the grid.
        lim = dict(rec=lim["rec"], fp=lim["fp"] + period / 2, to=lim["to"] + period)
        share = 0.75 if args.bounds == "ci" else 0.99  # a loaded machine holds the watcher up now and then
        check(sum(1 for g in grid if abs(g) <= 2) >= share * len(grid), "onsets off the refresh grid: %r" % grid)
    check(all(abs(e) <= lim["rec"] for e in rec), "recorded - press beyond %s ms" % lim["rec"])
    check(all(abs(e) <= lim["fp"] for e in fpe + fixe), "foreperiod or fixation onset beyond %s ms" % lim["fp"])
    check(all(abs(e) <= lim["to"] for e in toe + fixd), "time-out or fixation length beyond %s ms" % lim["to"])
    check.done("%s %d items" % (args.test, len(items)))


def report(args, s, path, items, omission, fix_presses, false_alarms, check):
    text = s.report(path).replace("\r\n", "\n")
    expected = [it["delay"] if it["delay"] >= 0 else omission for it in items]
    m = re.search(r"Nombre d'appuis intempestifs: (\d+)", text)
    check(m and int(m.group(1)) == fix_presses, "report: untimely presses %s" % (m and m.group(1)))
    if args.test in ("LAT", "LFC"):
        grid = GRID36 if args.count == 36 else GRID64
        shown = [expected[k - 1] for k in grid]  # raw scores by cell, row by row
    else:
        series = TRS if args.test == "SB" else TRD
        shown = [e for e, c in zip(expected, series) if c in "+12"]  # the go items
        m = re.search(r"fausse\(s\) alarme\(s\): (\d+)", text)
        check(m and int(m.group(1)) == false_alarms, "report: false alarms %s" % (m and m.group(1)))
        omitted = sum(1 for it in items if it["go"] and it["delay"] < 0)
        m = re.search(r"Nombre d'omissions: (\d+)", text)
        check(m and int(m.group(1)) == omitted, "report: omissions %s" % (m and m.group(1)))
    raw = re.search(r"Scores bruts:\n(.*?)\n\n", text, re.S)
    got = [int(x) for x in raw.group(1).split()] if raw else []
    check(len(got) == len(shown) and all(abs(g - s) <= 10 for g, s in zip(got, shown)),
          "report: raw scores %r, presses %r" % (got, shown))
    m = re.search(r"Global: Total\s+=\s+([\d.,]+)", text)
    check(m and abs(float(m.group(1).replace(",", ".")) - statistics.median(shown)) <= 10,
          "report: median %s, presses %s" % (m and m.group(1), statistics.median(shown)))


def stopped_report(args, s, path, values, closing, check):
    """A stopped file: shown as incomplete, its values as written, not analysed."""
    text = s.report(path).replace("\r\n", "\n")
    check("Donn\u00e9es incompl\u00e8tes (%d sur %d)" % (len(values), args.count) in text,
          "report: not shown as incomplete:\n" + text)
    listed = [int(v) for v in re.findall(r"^ *\d+ :  (-?\d+)$", text, re.M)]
    check(listed == values, "report: values %r, file %r" % (listed, values))
    untimely = -int(closing.split()[0])
    check(("Nbre d'appuis intempestifs: %d" % untimely if untimely else "Pas d'appui intempestif") in text,
          "report: untimely presses of %r" % closing)
    check("Scores bruts" not in text, "report: a stopped file analysed")


def run(test, count, *options):
    """The end-to-end test of one visual reaction-time test (argv: build, source)."""
    build, src = e2e.args()
    main(["--build", build, "--src", src, "--test", test, "--count", str(count), *options])


if __name__ == "__main__":
    main()
