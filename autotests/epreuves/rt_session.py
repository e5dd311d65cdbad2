#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One administration of a visual reaction-time test in the real program, under the
X server of the calling script (DISPLAY set, program directory ready): title screen,
patient name, test and count, "Passation", instructions, practice skipped, the test
run played by e2e_rt_driver, which watches the screen where each stimulus must
appear and presses at known delays. Then the result file is checked byte for byte
apart from the measured times, the times against the presses, the report of
zoka-report against the delays, and the timing figures are printed (and written as
JSON with --figures).

  rt_session.py --build B --prog P --test LAT|LFC|SB|DB --count N [--shots DIR]
                [--figures FILE] [--bounds ci|strict] [--presentation present|repaint]

With --presentation present (the default) the stimuli must come on the X server's
refresh (Xvfb's is 60 Hz): every onset seen on the refresh grid, every foreperiod
ending on the refresh nearest to its due time. With repaint the program is asked to
draw at once (ZOKA_PRESENTATION=repaint), as where the display has no Present.

The tables below are the battery's fixed series, written out here independently of
the program's code.
"""
import argparse, json, os, re, stat, statistics, subprocess, sys, time

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


MAIN, ESSAI = "^Zoka v", "^FormEssai$"


def click(x, y):
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def page_click(title, x, y):
    """A click at (x, y) of the 800 x 600 page centred in the window titled title."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                         stdout=subprocess.PIPE, text=True).stdout.split()
    if not out:
        raise SystemExit("no window %r to click in" % title)
    geo = dict(l.split("=", 1) for l in subprocess.run(
        ["xdotool", "getwindowgeometry", "--shell", out[0]],
        stdout=subprocess.PIPE, text=True, check=True).stdout.split())
    dx = max(0, (int(geo["WIDTH"]) - 800) // 2)
    dy = max(0, (int(geo["HEIGHT"]) - 600) // 2)
    click(int(geo["X"]) + dx + x, int(geo["Y"]) + dy + y)


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def wait(title, present=True, limit=20):
    end = time.time() + limit
    while time.time() < end:
        if visible(title) == present:
            return
        time.sleep(0.2)
    raise SystemExit("window %r %s" % (title, "missing" if present else "still there"))


def shot(shots, name):
    if shots:
        subprocess.run(["import", "-window", "root", os.path.join(shots, name + ".png")])


def administer(args, items, work):
    test_index, ext, _ = TESTS[args.test]
    env = dict(os.environ)
    if args.presentation == "repaint":
        env["ZOKA_PRESENTATION"] = "repaint"
    zoka = subprocess.Popen([os.path.join(args.build, "bin", "zoka")], cwd=args.prog, env=env,
                            stdout=open(os.path.join(work, "zoka.log"), "w"), stderr=subprocess.STDOUT)
    try:
        wait("Batterie Attention Tessaro")
        for _ in range(5):  # a loaded machine may take a while to show the title screen
            time.sleep(1)
            if any(n.startswith("Intro_Zoka.") for n in os.listdir(args.prog)):
                subprocess.run(["xdotool", "mousemove", "640", "400", "click", "--repeat", "2", "--delay", "80", "1"])
            else:
                click(164, 372)
            try:
                wait("Batterie Attention Tessaro", present=False, limit=4)
                break
            except SystemExit:
                pass
        wait("Batterie Attention Tessaro", present=False, limit=1)
        time.sleep(1)
        page_click(MAIN, 260, 58)             # patient name
        subprocess.run(["xdotool", "key", "ctrl+a"])
        subprocess.run(["xdotool", "type", "--delay", "20", "Dupont"])
        page_click(MAIN, 534, 66 + 36 * test_index)  # the test in the list
        time.sleep(0.3)
        if args.count == 64:
            page_click(MAIN, 534, 505)        # the second count
        time.sleep(0.3)
        shot(args.shots, "%s-01-main" % args.test)
        page_click(MAIN, 148, 144)            # Passation
        wait("FormEssai")
        time.sleep(1)
        shot(args.shots, "%s-02-instructions" % args.test)
        page_click(ESSAI, 268, 480)           # Continuer: "Prêt pour les essais?"
        time.sleep(0.8)
        if not args.practice:
            page_click(ESSAI, 404, 480)       # Passer: "Prêt pour l'épreuve?"
            time.sleep(0.8)
        subprocess.run(["xdotool", "mousemove", "1275", "1019"])
        planfile = os.path.join(work, "plan.txt")
        with open(planfile, "w") as f:
            f.write("\n".join(it["line"] for it in items) + "\n")
        page_click(ESSAI, 268, 480)           # Continuer: the test (or practice) run
        prefix = os.path.join(args.shots, "%s-item" % args.test) if args.shots else ""
        out = subprocess.run([os.path.join(args.build, "e2e", "e2e_rt_driver"), planfile, prefix],
                             stdout=subprocess.PIPE, text=True)
        if out.returncode != 0:
            shot(args.shots, "%s-failed" % args.test)
            raise SystemExit("driver failed:\n" + out.stdout)
        time.sleep(2)
        shot(args.shots, "%s-03-thanks" % args.test)
        open(os.path.join(work, "driver.txt"), "w").write(out.stdout)
        rows = [list(map(float, l.split())) for l in out.stdout.splitlines()]
        if args.shots:
            for n in os.listdir(args.shots):
                if n.endswith(".ppm"):
                    p = os.path.join(args.shots, n)
                    subprocess.run(["convert", p, p[:-4] + ".png"])
                    os.remove(p)
        if args.practice:
            return rows, os.path.join(args.prog, "Essais")
        return rows, os.path.join(args.prog, "Epreuves", "Dupont_%d.%s" % (args.count, ext))
    finally:
        zoka.terminate()
        try:
            zoka.wait(5)
        except subprocess.TimeoutExpired:
            zoka.kill()


def summary(errs):
    if not errs:
        return dict(n=0)
    return dict(n=len(errs), median=round(statistics.median(errs), 3), mean=round(statistics.mean(errs), 3),
                min=round(min(errs), 3), max=round(max(errs), 3))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--prog", required=True)
    ap.add_argument("--test", choices=TESTS, required=True)
    ap.add_argument("--count", type=int, required=True)
    ap.add_argument("--shots", default="")
    ap.add_argument("--figures", default="")
    ap.add_argument("--bounds", choices=("ci", "strict"), default="ci")
    ap.add_argument("--practice", action="store_true", help="run the practice instead of the test")
    ap.add_argument("--presentation", choices=("present", "repaint"), default="present")
    args = ap.parse_args()
    work = os.path.dirname(os.path.abspath(args.prog))
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)
    _, _, omission = TESTS[args.test]
    items = plan(args.test, args.count, args.practice)
    rows, path = administer(args, items, work)
    fails = []

    def check(cond, what):
        if not cond:
            fails.append(what)

    # The file, line by line.
    data = open(path, "rb").read()
    check(data.endswith(b"\r\n"), "last line without CR LF")
    lines = data.split(b"\r\n")[:-1]
    check(all(b"\n" not in l and b"\r" not in l for l in lines), "stray line ends")
    check(re.fullmatch(rb"Dupont: \S+ \xe0 \d\d?:\d\d:\d\d", lines[0]) is not None, "header %r" % lines[0])
    check(lines[1] == b"0", "practice-runs line %r" % lines[1])
    values = [int(x) for x in lines[2:-1]]
    check(len(values) == len(items) == len(rows), "%d item lines, %d items seen" % (len(values), len(rows)))
    writable = os.stat(path).st_mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH)
    check(bool(writable) == args.practice, "practice file marked, or result file not marked read-only")

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
    check(lines[-1] == closing, "closing line %r instead of %r" % (lines[-1], closing))

    # The report of zoka-report agrees with the presses.
    if not args.practice:
        report(args, path, items, omission, fix_presses, false_alarms, work, check)
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
    for f in fails:
        print("FAIL:", f)
    print("%s %d items: %s" % (args.test, len(items), "passed" if not fails else "%d failures" % len(fails)))
    sys.exit(1 if fails else 0)


def report(args, path, items, omission, fix_presses, false_alarms, work, check):
    rep = subprocess.run([os.path.join(args.build, "bin", "zoka-report"), "--raw", path], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE)
    check(rep.returncode == 0, "zoka-report failed: %r" % rep.stderr)
    text = rep.stdout.decode("cp1252").replace("\r\n", "\n")
    open(os.path.join(work, "report.txt"), "w").write(text)
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


if __name__ == "__main__":
    main()
