# SPDX-License-Identifier: GPL-3.0-or-later
"""What every end-to-end run of the real program shares: a virtual X server and a
sound server of its own, program directories, the program started and driven
(windows found by title, clicks on the 800 x 600 page, keys), bounded waits on
windows and on the screen's pixels, and the checks of result files and of the
timing journal. Every wait has a limit and fails with what it waited for and a
screenshot; nothing sleeps a fixed time to let the program catch up.

    with e2e.Session("vc", build, src, screen="800x600x24", sound=True) as s:
        zoka = s.start()
        zoka.pass_intro()
        zoka.type_name("Dupont")
        ...
        checks = e2e.Checks()
        lines = checks.result_file(path, runs_before=0)
        checks.done()

ZOKA_E2E_SHOTS=dir keeps the screenshots, ZOKA_E2E_KEEP=1 the work directory.
"""
import ctypes, os, re, shutil, stat, statistics, struct, subprocess, sys, tempfile, time

INTRO, MAIN, ESSAI, BOX = "Batterie Attention Tessaro", r"^Zoka v", "^FormEssai$", "^ZOKA$"


class Failure(SystemExit):
    pass


def args():
    """The build and source directories the test was given (argv 1 and 2)."""
    if len(sys.argv) < 3:
        raise SystemExit("usage: %s <builddir> <sourcedir>" % sys.argv[0])
    return os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])


def wait_until(what, cond, limit=20.0, step=0.05):
    """cond() until it gives something true (returned), at most limit seconds."""
    end = time.monotonic() + limit
    while True:
        got = cond()
        if got:
            return got
        if time.monotonic() > end:
            raise Failure("waited %.0f s for %s" % (limit, what))
        time.sleep(step)


def xdotool(*a, check=True):
    return subprocess.run(["xdotool", *map(str, a)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, check=check).stdout


def write_config(prog):
    """A 392-byte Zoka.ini of this version in prog, results in prog/Epreuves, written
    independently of the program's own code."""
    rec = bytearray(392)

    def put(off, maxlen, s):
        b = s.encode("cp1252")
        assert len(b) <= maxlen
        rec[off] = len(b)
        rec[off + 1:off + 1 + len(b)] = b
    put(0, 15, "4.0b"); put(92, 75, prog); put(168, 75, prog + "/Epreuves")
    struct.pack_into("<d", rec, 248, 1.5); put(256, 10, "ESC"); struct.pack_into("<i", rec, 268, 27)
    put(272, 30, "Courier New"); struct.pack_into("<i", rec, 304, 8); struct.pack_into("<i", rec, 312, 1)
    open(os.path.join(prog, "Zoka.ini"), "wb").write(rec)


# ---- The screen's pixels ------------------------------------------------------------
class _XImage(ctypes.Structure):
    _fields_ = [(n, ctypes.c_int) for n in ("width", "height", "xoffset", "format")] + [("data", ctypes.c_void_p)] + \
               [(n, ctypes.c_int) for n in ("order", "unit", "bit_order", "pad", "depth", "bytes_per_line", "bpp")]


class Screen:
    """The whole screen as bytes (BGRX rows) through Xlib: grab(), pixel(image, x, y)."""
    def __init__(self, width, height):
        self.x, self.w, self.h = ctypes.cdll.LoadLibrary("libX11.so.6"), width, height
        self.x.XOpenDisplay.restype = self.x.XDefaultRootWindow.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.argtypes = self.x.XFree.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(_XImage)
        self.d = self.x.XOpenDisplay(None)
        self.root = self.x.XDefaultRootWindow(self.d)

    def grab(self):
        img = self.x.XGetImage(ctypes.c_void_p(self.d), ctypes.c_ulong(self.root), 0, 0, self.w, self.h,
                               ctypes.c_ulong(-1 & 0xFFFFFFFFFFFFFFFF), 2)  # every plane, ZPixmap
        if not img or img.contents.bpp != 32:
            raise Failure("cannot read the screen (a 24-bit screen is needed)")
        data = ctypes.string_at(img.contents.data, img.contents.bytes_per_line * self.h)
        self.x.XFree(img.contents.data)
        self.x.XFree(ctypes.cast(img, ctypes.c_void_p))
        return data

    def pixel(self, image, x, y):
        """(r, g, b) of the screen point (x, y) in a grabbed image."""
        o = 4 * (y * self.w + x)
        return image[o + 2], image[o + 1], image[o]


# ---- The session: display, sound, program directories -----------------------------
class Session:
    """A scratch directory, an Xvfb of screen size (DISPLAY set), a private sound
    server with a null sink when sound is True ("required": fail without one), and the
    program directory prog (every data file, Zoka.ini, results in prog/Epreuves).
    Everything started is stopped at the end of the with block."""

    def __init__(self, name, build, src, screen="800x600x24", sound=False, prog="prog"):
        self.build, self.src = build, src
        self.zoka = os.path.join(build, "bin", "zoka")
        if not os.access(self.zoka, os.X_OK):
            raise Failure("no program at " + self.zoka)
        self.work = tempfile.mkdtemp(prefix="zoka-e2e-%s." % name)
        self.shots = os.environ.get("ZOKA_E2E_SHOTS") or os.path.join(self.work, "shots")
        os.makedirs(self.shots, exist_ok=True)
        self.procs, self.programs = [], []
        self.width, self.height = map(int, screen.split("x")[:2])
        try:
            self._start_xvfb(screen)
            self.sound = sound and self._start_pulse(sound == "required")
            self.prog = self.prog_dir(prog) if prog else None
            self.screen = Screen(self.width, self.height)
        except BaseException:
            self.close()
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if exc[0] is not None and not (exc[0] is SystemExit and not isinstance(exc[1], Failure)):
            print("FAIL:", exc[1])
            self.shot("failure")
            for p in self.programs:
                if os.path.exists(p.log):
                    sys.stdout.write(open(p.log, errors="replace").read())
        self.close()

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        self.procs = []
        if not os.environ.get("ZOKA_E2E_KEEP"):
            shutil.rmtree(self.work, ignore_errors=True)

    def spawn(self, cmd, **kw):
        """A background process stopped at the end of the session."""
        p = subprocess.Popen(cmd, **kw)
        self.procs.append(p)
        return p

    def _start_xvfb(self, screen):
        # The server picks a free display number itself (-displayfd), so that runs
        # started at the same moment never share one; -noreset: a program started
        # right after another one must still find the display.
        r, w = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(w), "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
                   pass_fds=(w,), stdout=open(os.path.join(self.work, "xvfb.log"), "w"), stderr=subprocess.STDOUT)
        os.close(w)
        with os.fdopen(r) as f:
            num = f.readline().strip()
        if not num:
            raise Failure("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + num

    def _start_pulse(self, required):
        os.environ["PULSE_RUNTIME_PATH"] = os.path.join(self.work, "pulse")
        os.makedirs(os.environ["PULSE_RUNTIME_PATH"], exist_ok=True)
        if shutil.which("pulseaudio"):
            self.spawn(["pulseaudio", "--daemonize=no", "--exit-idle-time=-1", "-n", "--load=module-null-sink",
                        "--load=module-native-protocol-unix"], env=dict(os.environ, HOME=self.work),
                       stdout=open(os.path.join(self.work, "pulse.log"), "w"), stderr=subprocess.STDOUT)
            try:
                return wait_until("the sound server", lambda: subprocess.run(
                    ["pactl", "info"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0, 5, 0.1)
            except Failure:
                pass
        if required:
            raise Failure("the sound server did not start")
        return False

    def prog_dir(self, name, results=True):
        """A program directory in the work directory: the data files and Zoka.ini."""
        prog = os.path.join(self.work, name)
        os.makedirs(os.path.join(prog, "Epreuves") if results else prog, exist_ok=True)
        for d in (os.path.join(self.src, "data"), os.path.join(self.build, "data")):
            for n in os.listdir(d) if os.path.isdir(d) else []:
                shutil.copy(os.path.join(d, n), prog)
        write_config(prog)
        return prog

    def shot(self, name):
        subprocess.run(["import", "-window", "root", os.path.join(self.shots, name + ".png")],
                       stderr=subprocess.DEVNULL)

    def ppm_to_png(self, ppm, name):
        if os.path.exists(ppm):
            subprocess.run(["convert", ppm, os.path.join(self.shots, name + ".png")])

    def tool(self, name):
        """A helper program of the end-to-end runs (<build>/e2e/name)."""
        return os.path.join(self.build, "e2e", name)

    def watcher(self, name, *args):
        """A driver that watches the screen from before the run starts: started, and
        returned once it says "watching"; finish(w) waits for its rows."""
        w = self.spawn([self.tool(name), *map(str, args)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if w.stderr.readline() != "watching\n":
            raise Failure("%s did not start: %s" % (name, w.stderr.read()))
        return w

    def finish(self, w, limit=600):
        """The rows of a watcher (lists of words), once it has ended without fault."""
        try:
            out, err = w.communicate(timeout=limit)
        except subprocess.TimeoutExpired:
            raise Failure("the watcher did not end")
        if w.returncode != 0:
            raise Failure("the watcher stopped (%d): %s%s" % (w.returncode, out, err))
        return [l.split() for l in out.splitlines()]

    def start(self, prog=None, env=None, name="zoka"):
        """The program in its program directory (the session's by default)."""
        p = Program(self, prog or self.prog, env, name)
        self.programs.append(p)
        return p

    def report(self, path):
        """zoka-report --raw of a result file: its text (CR LF kept, cp1252 decoded)."""
        r = subprocess.run([os.path.join(self.build, "bin", "zoka-report"), "--raw", path], stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, env=dict(os.environ, LC_ALL="C.UTF-8"))
        if r.returncode != 0:
            raise Failure("zoka-report %s: status %d, %r" % (path, r.returncode, r.stderr))
        return r.stdout.decode("cp1252")

    # ---- Windows and pixels ---------------------------------------------------------
    def windows(self, title, pid=None):
        """The visible windows whose title matches the regular expression title."""
        return xdotool("search", "--onlyvisible", *(("--all", "--pid", pid) if pid else ()), "--name", title,
                       check=False).split()

    def geometry(self, wid):
        """x, y, width, height of a window (zeros for a window gone meanwhile)."""
        g = dict(l.split("=", 1) for l in xdotool("getwindowgeometry", "--shell", wid, check=False).split())
        return tuple(int(g.get(k, 0)) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def wait_settled(self, quiet=0.25, limit=10):
        """Until the screen stays the same for `quiet` seconds (a window that came up
        has painted, a click has been answered); the screen's image."""
        last, since = self.screen.grab(), time.monotonic()
        start = since
        while time.monotonic() - since < quiet:
            if time.monotonic() - start > limit:
                raise Failure("the screen kept changing for %d s" % limit)
            time.sleep(0.05)
            now = self.screen.grab()
            if now != last:
                last, since = now, time.monotonic()
        return last

    def wait_change(self, before, what, limit=10):
        """Until the screen differs from the image `before`, then settled."""
        wait_until(what, lambda: self.screen.grab() != before, limit)
        return self.wait_settled()


class Program:
    """One running program: its windows, clicks on its pages, its end."""

    def __init__(self, session, prog, env, name):
        self.s, self.prog = session, prog
        self.log = os.path.join(session.work, name + ".log")
        self.proc = session.spawn([session.zoka], cwd=prog, env=dict(os.environ, **(env or {})),
                                  stdout=open(self.log, "w"), stderr=subprocess.STDOUT)
        self.pid = self.proc.pid
        self.only_mine = False  # with two programs on one screen: look at this one's windows only

    def alive(self):
        return self.proc.poll() is None

    def windows(self, title):
        return self.s.windows(title, self.pid if self.only_mine else None)

    def wait_window(self, title, limit=20):
        """The first visible window whose title matches, once painted."""
        def found():
            if not self.alive():
                raise Failure("the program ended (status %s) while waiting for window %r" % (self.proc.returncode, title))
            w = self.windows(title)
            return w[0] if w else None
        try:
            wid = wait_until("window %r" % title, found, limit, 0.1)
        except Failure:
            self.s.shot("missing-window")
            raise
        self.s.wait_settled()
        return wid

    def wait_gone(self, title, limit=20):
        wait_until("window %r to go" % title, lambda: not self.windows(title), limit, 0.1)
        self.s.wait_settled()

    def raise_window(self, wid):
        xdotool("windowraise", wid, "windowfocus", wid, check=False)
        self.s.wait_settled()

    def page_click(self, title, x, y, double=False, settle=True, change=False):
        """A click at (x, y) of the 800 x 600 page that the main and instructions
        windows keep centred in their window; then until the screen settles (with
        change: until it has changed, then settled)."""
        wid = self.wait_window(title, 5) if settle else self.windows(title)[0]
        if self.only_mine:
            self.raise_window(wid)
        wx, wy, w, h = self.s.geometry(wid)
        sx, sy = wx + max(0, (w - 800) // 2) + x, wy + max(0, (h - 600) // 2) + y
        self.click(sx, sy, double, settle, change)

    def click(self, x, y, double=False, settle=True, change=False):
        before = self.s.screen.grab() if change else None
        xdotool("mousemove", x, y, "click", *(("--repeat", 2, "--delay", 80) if double else ()), 1)
        if change:
            self.s.wait_change(before, "the screen to change after a click at %d,%d" % (x, y))
        elif settle:
            self.s.wait_settled()

    def main_click(self, x, y, double=False, change=False):
        self.page_click(MAIN, x, y, double, change=change)

    def essai_click(self, x, y, settle=True):
        """A button of the instructions window; with settle, until its page shows
        what comes next (it changes, then settles)."""
        self.page_click(ESSAI, x, y, settle=settle, change=settle)

    def key(self, *keys):
        xdotool("key", *keys)
        self.s.wait_settled()

    def type_name(self, name):
        """The patient's name field of the main window."""
        self.main_click(260, 58)
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", 20, name)
        self.s.wait_settled()

    def pass_intro(self):
        """The title window: a double click on its picture (or "Continuer" without
        one); repeated while a loaded machine has not taken it."""
        for attempt in range(5):
            wid = self.wait_window(INTRO)
            if any(n.startswith("Intro_Zoka.") for n in os.listdir(self.prog)):
                x, y, w, h = self.s.geometry(wid)
                self.click(x + w // 2, y + h // 2, double=True, settle=False)
            else:
                self.page_click(INTRO, 164, 372, settle=False)
            try:
                self.wait_gone(INTRO, 4)
                break
            except Failure:
                if attempt == 4:
                    raise
        return self.wait_window(MAIN)

    def choose_test(self, index, speed=None):
        """The test at index in the main window's list, and its speed."""
        self.main_click(535, 67 + 36 * index, change=True)
        if speed:
            self.main_click(535, {"lente": 459, "moyenne": 485, "rapide": 511}[speed])
        self.s.shot("02-main-test%d" % index)

    def open_instructions(self, practice=True):
        """"Passation", then "Continuer" on the instructions ("Prêt pour les
        essais?"); without practice "Passer" too ("Prêt pour l'épreuve?")."""
        self.main_click(148, 144)
        self.wait_window(ESSAI)
        self.essai_click(268, 480)
        if not practice:
            self.essai_click(404, 480)

    def test_windows(self):
        """Its visible windows that cover the screen's width other than the main and
        instructions windows: a test window (titled "ZOKA", as message boxes are)."""
        found = xdotool("search", "--onlyvisible", "--pid", self.pid, check=False).split()
        return [w for w in found if self.s.geometry(w)[2] >= self.s.width
                and not re.match("%s|%s" % (MAIN, ESSAI), xdotool("getwindowname", w, check=False).rstrip("\n"))]

    def boxes(self):
        """Its message boxes: windows titled "ZOKA" narrower than the screen."""
        return [w for w in self.windows(BOX) if self.s.geometry(w)[2] < self.s.width]

    def wait_run_end(self, limit=30):
        """Until the test window has gone (the run ended), and the screen settled."""
        wait_until("the end of the test run", lambda: not self.test_windows(), limit, 0.1)
        self.s.wait_settled()

    def stop_run(self):
        """The stop key (the configured one: ESC) in the test window; until the run has
        ended."""
        w = wait_until("a test window", self.test_windows)[0]
        self.raise_window(w)
        self.key("Escape")
        self.wait_run_end()

    def answer_box(self, *keys):
        """The program's message box ("ZOKA"), answered with keys ("Return": its
        default button; "shift+Tab", "space": the other one)."""
        box = wait_until("a message box", self.boxes, 20, 0.1)[0]
        self.raise_window(box)
        self.s.shot("box-%d" % time.monotonic_ns())
        self.key(*keys)

    def wait_window_answering(self, title, *keys, limit=20):
        """The window title, answering with keys every message box that comes before it."""
        def found():
            if self.windows(title):
                return True
            if self.boxes():
                self.answer_box(*keys)
        wait_until("window %r" % title, found, limit, 0.2)
        return self.wait_window(title)

    def close_box(self, title):
        """The close box of a window manager: WM_DELETE_WINDOW to the window."""
        subprocess.run([self.s.tool("e2e_wmclose"), self.wait_window(title)], check=True)
        self.s.wait_settled()

    def wait_exit(self, limit=10):
        try:
            return self.proc.wait(limit)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        self.proc.kill()
        self.proc.wait()


# ---- Checks ---------------------------------------------------------------------------
def summary(errs):
    if not errs:
        return dict(n=0)
    return dict(n=len(errs), median=round(statistics.median(errs), 3), mean=round(statistics.mean(errs), 3),
                min=round(min(errs), 3), max=round(max(errs), 3))


def marked(path):
    """Whether the not-analysed mark is on (no write bit)."""
    return os.stat(path).st_mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH) == 0


class Checks:
    """Failures collected, printed and turned into the exit status by done()."""

    def __init__(self):
        self.fails = []

    def __call__(self, cond, what):
        if not cond:
            self.fails.append(what)
        return cond

    def result_file(self, path, runs_before=0, items=None, closing=True, practice=None, name="Dupont"):
        """A result file's frame: CR LF lines only, the header of name with its date,
        the practice-runs line, items item lines (when given), the not-analysed mark
        on a test file and off the practice file (when practice is given). Returns
        the item lines and the closing line (None without closing)."""
        label = os.path.basename(path)
        if not self(os.path.exists(path), "%s: no file" % path):
            return [], None
        data = open(path, "rb").read()
        self(data.endswith(b"\r\n"), label + ": last line without CR LF")
        lines = data.split(b"\r\n")[:-1]
        self(all(b"\n" not in l and b"\r" not in l for l in lines), label + ": stray line ends")
        self(len(lines) >= 2 and re.fullmatch(rb"%s: \S+ \xe0 \d\d?:\d\d:\d\d" % name.encode(), lines[0]) is not None,
             "%s: header %r" % (label, lines[:1]))
        self(lines[1:2] == [str(runs_before).encode()], "%s: practice-runs line %r" % (label, lines[1:2]))
        body, last = (lines[2:-1], lines[-1]) if closing else (lines[2:], None)
        if items is not None:
            self(len(body) == items, "%s: %d item lines, %d expected" % (label, len(body), items))
        if practice is not None:
            self(marked(path) != practice, label + (": practice file marked" if practice else ": not marked read-only"))
        return body, last

    def journal(self, prog, result, fields=()):
        """The timing journal holds one line, for the administration of result (its
        name and the date of its header), with every field given."""
        journal = open(os.path.join(prog, "Chronometrie.txt"), "rb").read()
        lines = journal.split(b"\r\n")
        header = open(result, "rb").read().split(b"\r\n")[0]
        self(journal.endswith(b"\r\n") and len(lines) == 2, "journal: %r" % journal)
        self(lines[0].startswith(os.path.basename(result).encode() + b" | " + header.split(b": ", 1)[-1] + b" | "),
             "journal line %r" % lines[0])
        for f in fields:
            self(re.search(f, lines[0]) is not None if isinstance(f, re.Pattern) else f in lines[0],
                 "journal: no %r in %r" % (f, lines[0]))
        print("journal:", lines[0].decode("cp1252"))
        return lines[0]

    def done(self, name=""):
        for f in self.fails:
            print("FAIL:", f)
        print("%s%s" % (name + ": " if name else "", "passed" if not self.fails else "%d failures" % len(self.fails)))
        sys.exit(1 if self.fails else 0)
