#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds the sustained-attention golden pair from first principles.

sustained_input.AS      a 228-line result file (Windows-1252, CR LF) with notes
sustained_report.txt    the report expected for it; the analysis date and time are
                        left as @DATE@ and @TIME@ (they follow the machine's locale)

The expected report is derived here without the program's code: every counter is
counted from the item codes below, the figures are the plain median / sample standard
deviation / mean of the kept times (100 ms or more), rounded as printf does.
Run it from this directory; the test compares the program's report with its output.
"""
import math

STREAM = ("kdWesmkGVe3mEXwR3bpeRAmRcUeTwkcm33Yek3MURAeFdgbRkqRnm3UmA33fRkYf3ADbgmHAewS33Rwtke3AfVkRcUAmekVUYC3"
          "UewURkyYpQ3Aae3KDwESMKgvE3MexWr3BPEraMrCuEtWKCM33yEK3muraEfDGBrKQrNM3uMa33FrKyF3adBGMhaEWs33rWT"
          "KE3aFvKrCuaMEKvuyc3uEWurKYyPq3aAE3")
assert len(STREAM) == 228

# Item codes that are not 0, by 1-based position.
CODES = {
    # letters
    1: 400, 2: 500, 3: -600,  # -600: mask press and a timed press at 600 ms
    4: -1,                    # mask press only
    5: 85,                    # too fast: rejected, first half
    120: 300, 121: 700, 122: 1200,
    200: 50,                  # too fast: rejected, second half
    # digits 3
    11: 412,     # false alarm, 10 letters before
    17: 0,       # the expected non-answer
    33: -1,      # mask only: not a false alarm
    34: -530,    # mask and false alarm at 530, 0 letters before
    38: 1100,    # false alarm, 3 letters before, four-digit entry
    54: 90,      # false alarm too fast (rejected, first half), 15 letters before
    125: 250,    # false alarm, second half, 10 letters before
    228: 60,     # false alarm too fast (rejected, second half), 3 letters before
}
N = 228
SPEED_MS = 750  # speed index 2
PATIENT = "Dupré"
HEADER_DATE = "07/12/2026 à 14:03:27"
VERSION = "4.0b"


def letters_before(pos):
    """Letters since the previous 3 or the start of the 114-character block."""
    start = 0 if pos <= 114 else 114
    n = 0
    for p in range(pos - 1, start, -1):
        if STREAM[p - 1] == "3":
            break
        n += 1
    return n


def stats(values):
    v = [x for x in values if x >= 1]
    if not v:
        return 0.0, 0.0, 0.0
    n = len(v)
    mean = sum(v) / n
    sd = 0.0 if n == 1 else math.sqrt(sum((x - mean) ** 2 for x in v) / (n - 1))
    s = sorted(v)
    med = s[n // 2] if n % 2 else (s[n // 2 - 1] + s[n // 2]) / 2
    return med, sd, mean


def figures(values):
    med, sd, mean = stats(values)
    return "%.1f  &  %.2f  [ %.2f ]" % (med, sd, mean)


counts = dict(dn=0, dp=0, dm=0, ln=0, lp=0, lm=0, dr1=0, dr2=0, lr1=0, lr2=0)
groups = {0: 0, 3: 0, 5: 0, 10: 0, 15: 0}
letter_t = [0] * 228
digit_t = [0] * 228
resp = ""
for pos in range(1, 229):
    c = STREAM[pos - 1]
    v = CODES.get(pos, 0)
    digit = c == "3"
    k = "d" if digit else "l"
    if v == 0:
        counts[k + "n"] += 1
        if digit:
            resp += "   NA"
        continue
    if v == -1:
        counts[k + "m"] += 1
        if digit:
            resp += "  MAS"
        continue
    counts[k + "p"] += 1
    if v < 0:
        counts[k + "m"] += 1
    t = abs(v)
    if digit:
        resp += ("  " if t < 1000 else " ") + str(t)
        groups[letters_before(pos)] += 1
    if t >= 100:
        (digit_t if digit else letter_t)[pos - 1] = t
    else:
        counts[k + "r" + ("1" if pos <= N // 2 else "2")] += 1
resp = resp[:150]

lines = [
    ("0      BATTERIE ATTENTION TESSARO (ZOKA) v" + VERSION)[:63],
    "",
    "%s    Attention soutenue   %d items (durée: %d msec)" % (PATIENT, N, SPEED_MS),
    "Passation de l'épreuve le " + HEADER_DATE,
    "Analyse du fichier le @DATE@ à @TIME@",
    "Nombre d'essais: 1",
    "",
    "Réponses au chiffre 3 (Non-Appui[=NA] ou Masque [=MAS] ou TR [=Nombre]):",
    "",
    resp[0:50], resp[50:100], resp[100:150],
    "",
    "Nombre d'absences de réaction (attendues) au chiffre 3= %d" % counts["dn"],
    "Nombre de fausses alarmes au chiffre 3= %d" % counts["dp"],
    "Nombre de réactions au masque précédant le chiffre 3= %d" % counts["dm"],
    "",
    "Total des non-appuis= %d (Chiffre= %d Lettres= %d)" % (counts["dn"] + counts["ln"], counts["dn"], counts["ln"]),
    "Total des Appuis= %d (Chiffre= %d Lettres= %d)" % (counts["dp"] + counts["lp"], counts["dp"], counts["lp"]),
    "Total des réactions à l'apparition du masque= %d (Chiffre= %d Lettres= %d)"
    % (counts["dm"] + counts["lm"], counts["dm"], counts["lm"]),
    "",
    "(Médiane & Ecart-type [Moyenne] & Nbre réponses < 100ms rejetées des analyses)",
]
for name, times, r1, r2 in (("Lettres", letter_t, counts["lr1"], counts["lr2"]),
                            ("Chiffre", digit_t, counts["dr1"], counts["dr2"])):
    if name == "Chiffre":
        lines.append("")
    lines.append("TR TOTAL %s=     %s  & Rejets= %d" % (name, figures(times[0:N]), r1 + r2))
    lines.append("TR PARTIE 1 %s=  %s  & Rejets= %d" % (name, figures(times[0:N // 2]), r1))
    lines.append("TR PARTIE 2 %s=  %s  & Rejets= %d" % (name, figures(times[N // 2:N]), r2))
lines += [
    "",
    "Répartition des appuis intempestifs au chiffre 3 en fonction du nombre de lettres le précédant=",
    "Après 0 lettre= %d,  3 lettres= %d,  5 lettres= %d,  10 lettres= %d,  15 lettres= %d"
    % (groups[0], groups[3], groups[5], groups[10], groups[15]),
]

result = [PATIENT + ": " + HEADER_DATE, "1"]
result += ["%s %d" % (STREAM[p - 1], CODES.get(p, 0)) for p in range(1, 229)]
result += ["[Notes]", "Première note", "", "seconde note"]

with open("sustained_input.AS", "wb") as f:
    f.write("".join(l + "\r\n" for l in result).encode("cp1252"))
with open("sustained_report.txt", "wb") as f:
    f.write("".join(l + "\r\n" for l in lines).encode("cp1252"))
