#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the result files of the report tests and the reports expected for them.
#
# The expected reports are worked out here, independently of the C++ code, from the
# layout rules of the report: each figure is computed afresh in Python (median of the
# sorted kept values, sample standard deviation, mean; rounding of the printed figures
# half away from zero on the exact binary value), each line is assembled from its
# fixed texts. A few figures were also checked by hand (see tst_report.cpp).
#
# The "Analyse du fichier le" line depends on the day of the analysis: it is written
# here as "Analyse du fichier le <DATE> à <TIME>" and the test puts the same
# placeholder in the report it makes before comparing.
#
# Run from this directory:  python3 make_reports.py
# Output: <name> (result file) and <name>.expected (report), Windows-1252, CR LF.

from decimal import Decimal, ROUND_HALF_UP
import math

MASTER = [3, 3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 7, 3, 3, 7, 1, 5, 7, 3, 5, 1, 1, 5, 3, 7, 7, 5, 1, 3, 3, 5, 1, 7, 1, 7, 3, 5, 5, 7, 3, 1, 1, 5, 3, 7, 7, 3, 5, 1, 3, 7, 1, 5, 5, 1, 7, 3, 3, 1, 5, 7, 1, 7, 3, 5]
SEQ36 = [3, 5, 1, 7, 1, 3, 7, 5, 5, 1, 5, 3, 3, 7, 1, 5, 7, 3, 3, 7, 5, 1, 7, 3, 3, 5, 1, 5, 5, 7, 3, 1, 7, 1, 5, 3]
GRID64 = [2, 63, 57, 8, 49, 16, 23, 42, 31, 34, 40, 25, 48, 17, 10, 55, 61, 4, 13, 52, 58, 7, 21, 44, 36, 29, 20, 45, 39, 26, 12, 53, 15, 50, 64, 1, 6, 59, 56, 9, 18, 47, 33, 32, 27, 38, 41, 24, 62, 3, 14, 51, 11, 54, 60, 5, 35, 30, 19, 46, 22, 43, 37, 28]
GRID36 = [10, 12, 18, 21, 6, 29, 34, 16, 35, 20, 33, 11, 4, 24, 9, 1, 17, 30, 28, 15, 25, 7, 31, 3, 32, 26, 5, 36, 19, 13, 27, 23, 8, 14, 2, 22]
TRS = "++0+++0+0++0++00++0+00+++0++0++00++0++0+++00+0++00++0++0+0+++0++"
TRD = "2131224241131234214134122321412332141232214314124321311424221312"
TRM = "VAVVVAAAAVVAVVVAAVVVVAAAVVAAAAVAAVAAAVVVVAAVAAAVVAAAAVVVAAVVVVAVV"
TITLES = ["TR Visuel Centré", "TR Latéralisé", "TR Latéralisé + fixation", "TR Simple Binaire",
          "TR Double Binaire", "TR Auditif", "TR Mixte", "Attention soutenue", "Puce Astérisque",
          "Puce Carré"]
LIMITS = [3, 3, 3, 2, 2, 3, 3, 1, 30, 30]
EXT = ["VC", "LAT", "LFC", "SB", "DB", "AUD", "MIX", "AS", "PAS", "PCA"]
REGIONS = ["Hémichamp Gauche    ", "Hémichamp Droit     ", "Moitié Supérieure   ",
           "Moitié Inférieure   ", "Quadrant Sup. Gauche", "Quadrant Inf. Gauche",
           "Quadrant Sup. Droit ", "Quadrant Inf. Droit "]
BANNER = ("0      BATTERIE ATTENTION TESSARO (ZOKA) v" + "4.0b")[:63]
DATE = "07/12/2026 à 09:41:12"
ANALYSIS = "Analyse du fichier le <DATE> à <TIME>"


def fixed(v, d):
    q = Decimal(v).quantize(Decimal(1).scaleb(-d), rounding=ROUND_HALF_UP)
    s = format(q, "f")
    return s[1:] if s.startswith("-") and float(q) == 0 else s


def stats(vals):
    kept = [v for v in vals if v >= 1]
    n = len(kept)
    if n == 0:
        return 0.0, 0.0, 0.0
    s = sum(kept)
    q = sum(v * v for v in kept)
    mean = s / n
    sd = 0.0
    if n > 1:
        var = q / n - mean * mean
        sd = math.sqrt(var) * math.sqrt(n / (n - 1)) if var > 0 else 0.0
    k = sorted(kept)
    med = float(k[n // 2]) if n % 2 else (k[n // 2 - 1] + k[n // 2]) * 0.5
    return med, sd, mean


def figures(vals):
    m, sd, mean = stats(vals)
    return fixed(m, 1) + "  &  " + fixed(sd, 2) + "  [ " + fixed(mean, 2) + " ]"


def rfig(vals):
    m, sd, mean = stats(vals)
    return fixed(m, 1).rjust(7) + "  &  " + fixed(sd, 2).rjust(7) + "  [ " + fixed(mean, 2).rjust(7) + " ]"


def go(test, item):
    if test == 3:
        return item <= 64 and TRS[item - 1] == "+"
    if test == 4:
        return item <= 64 and TRD[item - 1] in "12"
    return True


class Case:
    def __init__(self, name, test, values, closing, extra=(), limits=(), header=None):
        self.name, self.test, self.values, self.closing = name, test, values, closing
        self.extra, self.limits = list(extra), list(limits)
        patient = name.split("_")[0]
        self.patient = patient
        self.header = header or (patient + ": " + DATE)
        self.n = int(name.split("_")[1].split(".")[0])

    def lines(self):
        out = [self.header, "1"] + [str(v) for v in self.values]
        if self.closing is not None:
            out.append(self.closing)
        return out + self.extra


def report(c):
    t, n = c.test, c.n
    raw = [0] * 65
    for i, v in enumerate(c.values[:n]):
        raw[i] = v
    first = c.closing.split()
    untimely = abs(int(first[0]))
    second = int(first[1]) if len(first) > 1 else -1
    L = [BANNER, "", c.patient + "    " + TITLES[t] + "   " + str(n) + " items",
         "Passation de l'épreuve le " + DATE, ANALYSIS,
         "Nombre d'essais: 1 ;  Nombre d'appuis intempestifs: " + str(untimely)]
    if t == 2:
        L.append("Nombre d'appuis pendant l'affichage du point de fixation: " + str(second))
    if t in (3, 4):
        L.append("Nombre de fausse(s) alarme(s): " + str(second))
        om = sum(1 for i in range(1, n + 1) if go(t, i) and raw[i - 1] >= LIMITS[t] * 1000)
        L.append("Nombre d'omissions: " + str(om))
    L.append("")

    limit_ms = LIMITS[t] * 1000
    limit_text = str(LIMITS[t]) + ".0"
    passes = [None] + c.limits
    for p, typed in enumerate(passes, start=1):
        if typed is not None:
            txt = typed or ("10.0" if t in (8, 9) else "3.0")
            txt = txt.replace(",", ".", 1)
            try:
                sec = float(txt)
            except ValueError:
                sec = None
            if sec is not None and 0.1 <= sec <= 10.0:
                limit_ms = round(sec * 1000)
                limit_text = txt
            # a refused text leaves the limit and its text as they were
        keep = lambda v: v if 100 <= v <= limit_ms else 0
        kept = [keep(v) for v in raw]
        for i in range(1, 65):
            if not go(t, i):
                kept[i - 1] = 0
        L.append("Scores bruts:" if p == 1 else "")
        rejects = 0
        grid = [0] * 65
        per_row = 16 if t in (3, 4) else 8
        if n == 36:
            per_row = 6
        rows = round(n / per_row)
        w = 5 if t in (8, 9) else 4
        for r in range(1, rows + 1):
            prefix = ""
            if t == 6:
                if r == 1:
                    L.append("".join("  " + TRM[i - 1] + "   " for i in range(1, 10)))
                    if kept[0] == 0:
                        rejects += 1
                        prefix = "====  " if p > 1 else str(kept[0]).rjust(4) + "  "
                    else:
                        prefix = str(kept[0]).rjust(4) + "  "
                else:
                    L.append("      " + "".join("  " + TRM[i - 1] + "   " for i in range(8 * r - 6, 8 * r + 2)))
                    prefix = "      "
            row = ""
            for cell in range((r - 1) * per_row + 1, r * per_row + 1):
                if t in (1, 2, 8, 9):
                    item = GRID36[cell - 1] if n == 36 else GRID64[cell - 1]
                elif t == 6:
                    item = cell + 1
                else:
                    item = cell
                v = raw[item - 1]
                if 100 <= v <= limit_ms:
                    text = str(v).rjust(w) + "  "
                    grid[cell - 1] = v
                else:
                    text = str(v).rjust(w) + "  " if p == 1 else "=" * w + "  "
                    if cell <= n and go(t, item):
                        rejects += 1
                if go(t, item):
                    row += text
            L.append(prefix + row)
        L.append("")
        if p == 1:
            L.append("Rejet(s) (<100 msec.): " + str(rejects))
        else:
            L.append("Rejet(s) (>" + limit_text + " sec. ou <100 msec.): " + str(rejects))
        L.append("")
        L.append(" " * 21 + "Médiane & Ecart-type [Moyenne]")
        if t == 6:
            for mod, label in (("V", "VISUEL: "), ("A", "AUDITIF:")):
                vals = [kept[i] if TRM[i] == mod else 0 for i in range(65)]
                L.append(label + "Total   =    " + rfig(vals[:n]))
                L.append("        Partie 1  =  " + rfig(vals[:n // 2 + 1]))
                L.append("        Partie 2  =  " + rfig(vals[n // 2 + 1:n]))
            if limit_ms == 3000:
                va = [kept[i - 1] - kept[i] for i in range(1, 65) if TRM[i - 1] == "V" and TRM[i] == "A"]
                av = [kept[i - 1] - kept[i] for i in range(1, 65) if TRM[i - 1] == "A" and TRM[i] == "V"]
                L.append("Diff.crossmodales")
                L.append("  V->A=" + "".join(str(d).rjust(5) for d in va) + " tot= " + str(sum(va)).rjust(5))
                L.append("  A->V=" + "".join(str(d).rjust(5) for d in av) + " tot= " + str(sum(av)).rjust(5))
        else:
            L.append("Global: Total   =    " + figures(kept[:n]))
            L.append("        Partie 1  =  " + figures(kept[:n // 2]))
            L.append("        Partie 2  =  " + figures(kept[n // 2:n]))
            fp = (lambda i: SEQ36[i - 1]) if n == 36 else (lambda i: MASTER[i])
            for d in (1, 3, 5, 7):
                L.append("        Délai " + str(d) + " sec= "
                         + figures([kept[i - 1] if fp(i) == d else 0 for i in range(1, n + 1)]))
            if t in (1, 2, 8, 9):
                k = 6 if n == 36 else 8
                h = k // 2
                sel = [lambda r, c: c <= h, lambda r, c: c > h, lambda r, c: r <= h, lambda r, c: r > h,
                       lambda r, c: r <= h and c <= h, lambda r, c: r > h and c <= h,
                       lambda r, c: r <= h and c > h, lambda r, c: r > h and c > h]
                for name, f in zip(REGIONS, sel):
                    vals = [grid[cell - 1] if f((cell - 1) // k + 1, (cell - 1) % k + 1) else 0
                            for cell in range(1, n + 1)]
                    L.append(name + "= " + figures(vals))
        L.append("*" * 51)
    return L


def raw_listing(c, shown, expected):
    lines = c.lines()
    unlimited = expected == 999
    L = [BANNER, ""]
    if unlimited:
        L += [c.patient + "    " + TITLES[c.test] + "   Nombre non limité d'items",
              "Passation de l'épreuve le " + DATE, "Nombre d'essais : " + lines[1],
              "Affichage des " + str(shown) + " premières données:"]
    else:
        L += [c.patient + "    " + TITLES[c.test] + "   " + str(expected) + " items",
              "Passation de l'épreuve le " + DATE, "Nombre d'essais : " + lines[1],
              "Données incomplètes (" + str(shown) + " sur " + str(expected) + ")"]
    k = 0
    for line in lines[2:]:
        k += 1
        if unlimited and k > shown:
            break
        if line == "[Notes]":
            break
        if line.startswith("0"):
            L.append("Pas d'appui intempestif")
        elif line.startswith("-"):
            if " " not in line:
                L.append("Nbre d'appui(s) intempestif(s): " + line[1:])
            else:
                L.append("Nbre d'appuis intempestifs: " + line[1:line.index(" ")])
        else:
            L.append(str(k).rjust(4) + " :  " + line)
    return L


def series(start, count, low, high):
    """Deterministic times in [low, high] (a small linear congruential sequence)."""
    x = start
    out = []
    for _ in range(count):
        x = (x * 1103515245 + 12345) % 2147483648
        out.append(low + (x >> 8) % (high - low + 1))
    return out


def put(values, changes):
    for item, v in changes.items():
        values[item - 1] = v
    return values


CASES = [
    # Centred: a reject under 100 ms, an unanswered item (3000) kept at the opening
    # limit, then three limit changes: 2,5 accepted, 12 refused, empty = 3.0.
    Case("Dupont_32.VC", 0, put(series(1, 32, 180, 900), {5: 85, 10: 3000, 17: 400, 18: 400}), "-2",
         ["[Notes]", "Patient fatigué", "", "Bonne coopération"], ["2,5", "12", ""]),
    # Lateralised on the 8 x 8 grid.
    Case("Martin_64.LAT", 1, put(series(2, 64, 200, 1200), {3: 95, 40: 3000, 41: 2999}), "0"),
    # Lateralised on the 6 x 6 grid, a new limit of 0.6 s.
    Case("Martin_36.LAT", 1, put(series(3, 36, 220, 800), {7: 99}), "-1", [], ["0.6"]),
    # Fixation point: two numbers on the closing line.
    Case("Durand_36.LFC", 2, put(series(4, 36, 230, 990), {1: 3000}), "-3 1"),
    Case("Durand_64.LFC", 2, series(14, 64, 230, 990), "0 0"),
    # Simple go/no-go: no-go items answered 2000 (no press) or with a false alarm;
    # go items with omissions (2000) and one reject.
    Case("Petit_64.SB", 3, put([2000 if TRS[i] == "0" else v for i, v in enumerate(series(5, 64, 250, 700))],
                              {3: 450, 4: 2000, 8: 90, 20: 2000}), "-1 2", [], ["1,5"]),
    # Double go/no-go.
    Case("Petit_32.DB", 4, put([2000 if TRD[i] in "34" else v for i, v in enumerate(series(6, 32, 260, 900))],
                              {2: 2000, 3: 800}), "0 3"),
    # Auditory, all values equal (standard deviation exactly 0).
    Case("Leroy_16.AUD", 5, [321] * 16, "0"),
    # Mixed: item 1 rejected (prefix of the first row), limits 2.5 then 3.
    Case("Leroy_65.MIX", 6, put(series(7, 65, 250, 1400), {1: 95, 30: 3000}), "-4", [], ["2.5", "3"]),
    # Pointing tests: 5-wide cells, 30 s opening limit, new limit 5 s.
    Case("Bernard_64.PAS", 8, put(series(8, 64, 1500, 25000), {9: 30000, 12: 31000, 33: 60}), "-1", [], ["5"]),
    Case("Bernard_36.PCA", 9, put(series(9, 36, 1200, 18000), {2: 30000}), "0"),
]

RAW_CASES = [
    # A value 0 at item 5: incomplete, 4 values shown.
    (Case("Roux_16.VC", 0, put(series(10, 16, 200, 700), {5: 0}), "0"), 4, 16),
    # End of the file inside the values (no closing line): 9 of 32.
    (Case("Roux_32.AUD", 5, series(11, 10, 200, 700), None), 9, 32),
    # Endless series: only the first 15 lines after the practice line.
    (Case("Roux_999.VC", 0, [1234] + series(12, 70, 200, 700), "-2", ["[Notes]", "vu"],
          header="Roux: " + DATE + " #"), 15, 999),
]


def write(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))


if __name__ == "__main__":
    for c in CASES:
        write(c.name, c.lines())
        write(c.name + ".expected", report(c))
    for c, shown, expected in RAW_CASES:
        write(c.name, c.lines())
        write(c.name + ".expected", raw_listing(c, shown, expected))
