#!/usr/bin/env bash
# The Debian package: built with CPack from the build directory, its metadata and
# contents checked (dpkg-deb, desktop-file-validate, appstreamcli, lintian), then
# unpacked into a temporary root and both programs started from there: zoka-report
# on a result file with a known report, and zoka under a virtual X server with a
# fresh home, which must fill the user's program directory from the unpacked data
# files, show its main window and quit with a configuration written there.
#   bash e2e_package.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup package "$1" "$2"
fail() { echo "FAIL: $*"; [ -f "$WORK/zoka.log" ] && cat "$WORK/zoka.log"; exit 1; }

# ---- Build ---------------------------------------------------------------------
(cd "$BUILD" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack"; }
debs=("$WORK"/out/zoka_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one zoka_*.deb, found: ${debs[*]}"
DEB=${debs[0]}

# ---- Metadata ------------------------------------------------------------------
field() { dpkg-deb -f "$DEB" "$1"; }
program_version=$(sed -n 's/.*ProgramVersion = QStringLiteral("\([^"]*\)").*/\1/p' "$SRC/src/battery/testtable.h")
deb_version=$(echo "$program_version" | sed 's/^\([0-9][0-9.]*\)\([A-Za-z]\)/\1~\2/')
[ "$(field Package)" = zoka ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$deb_version" ] || fail "Version $(field Version), expected $deb_version"
[ "$(basename "$DEB")" = "zoka_${deb_version}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$DEB")"
[ "$(zcat -f "$BUILD/packaging/changelog" | sed -n '1s/^zoka (\([^)]*\)).*/\1/p')" = "$deb_version" ] \
    || fail "the changelog's latest entry is not $deb_version"
depends=$(field Depends)
for need in libqt6widgets6 libqt6multimedia6 libxrandr2 qt6-translations-l10n fonts-liberation fonts-wine \
            gstreamer1.0-plugins-good gstreamer1.0-pulseaudio; do
    [[ ", $depends," == *", $need"[\ ,]* ]] || fail "Depends lacks $need: $depends"
done

# ---- Contents ------------------------------------------------------------------
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|' >"$WORK/contents"
has() { grep -qx "$1" "$WORK/contents" || fail "the package lacks $1"; }
has /usr/bin/zoka
has /usr/bin/zoka-report
for f in "$SRC"/data/* "$BUILD"/data/*; do has "/usr/share/zoka/$(basename "$f")"; done
has /usr/share/applications/zoka.desktop
has /usr/share/metainfo/local.zoka.zoka.metainfo.xml
has /usr/share/icons/hicolor/scalable/apps/zoka.svg
has /usr/share/man/man1/zoka-report.1.gz
has /usr/share/doc/zoka/copyright
has /usr/share/doc/zoka/changelog.gz
if grep -v '/$' "$WORK/contents" | grep -vE '^/usr/(bin|share/(zoka|applications|metainfo|icons/hicolor|man/man1|doc/zoka))/' ; then
    fail "files outside the expected places (above)"
fi

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT"
for size in 16 22 24 32 48 64 128 256; do
    icon=$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/zoka.png
    [ "$(identify -format '%w %h' "$icon" 2>/dev/null)" = "$size $size" ] || fail "no ${size}x${size} icon"
done
python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' "$ROOT/usr/share/icons/hicolor/scalable/apps/zoka.svg" \
    || fail "the SVG icon is not well-formed"

desktop=$ROOT/usr/share/applications/zoka.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Categories=Education;Science;MedicalSoftware;' "$desktop" || fail "desktop categories"
grep -qx 'Exec=zoka' "$desktop" && grep -qx 'Icon=zoka' "$desktop" || fail "desktop Exec/Icon"
appstreamcli validate --no-net "$ROOT/usr/share/metainfo/local.zoka.zoka.metainfo.xml" || fail "appstreamcli validate"
lintian --fail-on error "$DEB" 2>/dev/null | tee "$WORK/lintian.log" || fail "lintian reports errors"
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$ROOT/usr/share/man/man1/zoka-report.1.gz" 2>&1 | grep -q '^CODE DE RETOUR' \
    || fail "the manual page of zoka-report does not render"

# ---- zoka-report from the unpacked root -----------------------------------------
# The report without its date line, as UTF-8 text with LF line ends (whatever the
# encoding the tool writes in).
normalise() { # report file, normalised copy
    LC_ALL=C sed 's/^Analyse du fichier le .*/Analyse du fichier le <DATE>/' "$1" | tr -d '\r' >"$2.tmp"
    if iconv -f UTF-8 -t UTF-8 "$2.tmp" >/dev/null 2>&1; then mv "$2.tmp" "$2"
    else iconv -f WINDOWS-1252 -t UTF-8 "$2.tmp" >"$2"; fi
}
golden=$SRC/autotests/data/analysis/Leroy_16.AUD
rc=0
LC_ALL=en_GB.UTF-8 "$ROOT/usr/bin/zoka-report" "$golden" >"$WORK/report" 2>"$WORK/report.err" || rc=$?
[ "$rc" = 0 ] || { cat "$WORK/report.err"; fail "zoka-report ended with status $rc"; }
[ ! -s "$WORK/report.err" ] || { cat "$WORK/report.err"; fail "zoka-report wrote messages"; }
normalise "$golden.expected" "$WORK/expected.norm"
normalise "$WORK/report" "$WORK/report.norm"
diff "$WORK/expected.norm" "$WORK/report.norm" >"$WORK/report.diff" \
    || { head -20 "$WORK/report.diff"; fail "the unpacked zoka-report's report differs from $golden.expected"; }

# ---- zoka from the unpacked root, first start of a new user ---------------------
export HOME=$WORK/home
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
MINE=$HOME/.local/share/zoka
start_xvfb 191 240 1024x768x24 "$WORK/xvfb.log"
# Visible windows only: the main window exists, hidden, before its first showing.
wait_title() {
    for _ in $(seq "$2"); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        kill -0 "$ZOKA_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
click_in() { # window title, x, y in the window
    local wid X Y
    wid=$(xdotool search --onlyvisible --name "$1" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$wid" | grep -E '^[XY]=')"
    xdotool mousemove $((X + $2)) $((Y + $3)) click ${4:-1}
}

(cd "$WORK" && exec "$ROOT/usr/bin/zoka") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
wait_title 'Batterie Attention Tessaro' 150 || fail "no title screen"
sleep 1
# A double-click on the picture continues (it is centred on the 1024 x 768 screen).
click_in 'Batterie Attention Tessaro' 152 124 '--repeat 2 --delay 60 1'
# First start: the options window proposes the results directory; "Accepter", then
# "Oui" (the default button) to the question whether to make it.
wait_title '^Configuration Zoka' 100 || fail "no options window at the first start"
sleep 0.5
click_in '^Configuration Zoka' 256 192
wait_title '^ZOKA$' 50 || fail "no question about the results directory"
sleep 0.3
xdotool key Return
wait_title '^Zoka v' 50 || fail "no main window"

for f in "$ROOT"/usr/share/zoka/*; do
    cmp -s "$f" "$MINE/$(basename "$f")" || fail "$(basename "$f") was not copied into $MINE"
done
[ -d "$MINE/Epreuves" ] || fail "no results directory in $MINE"

# "Quitter" (in the lower group box, as in e2e_startup) writes the configuration
# into the user's directory.
sleep 0.5
main_click 352 496
for _ in $(seq 100); do kill -0 "$ZOKA_PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$ZOKA_PID" 2>/dev/null && fail "the program did not end"
rc=0; wait "$ZOKA_PID" || rc=$?; ZOKA_PID=
[ "$rc" = 0 ] || fail "zoka ended with status $rc"
[ "$(stat -c %s "$MINE/Zoka.ini")" = 392 ] || fail "no 392-byte Zoka.ini in $MINE"
python3 - "$MINE/Zoka.ini" "$MINE" <<'PY' || fail "Zoka.ini does not name $MINE as the program directory"
import sys
rec = open(sys.argv[1], 'rb').read()
sys.exit(0 if rec[93:93 + rec[92]].decode('cp1252') == sys.argv[2] else 1)
PY
[ ! -e "$WORK/Zoka.ini" ] || fail "a Zoka.ini was written in the directory zoka was started from"
echo "e2e_package: OK"
