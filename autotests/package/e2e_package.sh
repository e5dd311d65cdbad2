#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built as `make package` builds it (tools/build-deb.sh: no
# tests, Debian's build flags), its metadata and contents checked (dpkg-deb,
# hardening-check, desktop-file-validate, appstreamcli, lintian, manual pages, the
# build dependencies of debian/control, the licence line of every source file), then
# unpacked into a temporary root and both programs started from there: the
# autopkgtest of debian/tests on them, and zoka under a virtual X server with a
# fresh home, which must fill the user's program directory from the unpacked data
# files, show its windows - whose pictures are the screenshots of the AppStream
# metadata, left in <builddir>/screenshots - and quit with a configuration written
# there.
# With "full" (ctest -L slow, make package-check; long: two builds from source) the
# source package is built too, twice, in two directories: dpkg-buildpackage with the
# build-time tests, which must give the same package as the quick path and a
# debug-symbols package, then again without tests, which must give the same bytes.
#   bash e2e_package.sh <builddir> <sourcedir> [full]
set -euo pipefail
source "$(dirname "$0")/../xsession.sh"
e2e_setup package "$1" "$2"
MODE=${3:-quick}
fail() { echo "FAIL: $*"; [ -f "$WORK/zoka.log" ] && cat "$WORK/zoka.log"; exit 1; }

# ---- Build ---------------------------------------------------------------------
JOBS=2 bash "$SRC/tools/build-deb.sh" "$SRC" "$BUILD/package" "$WORK/out" >"$WORK/build.log" 2>&1 \
    || { tail -30 "$WORK/build.log"; fail "tools/build-deb.sh"; }
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
[ "$(dpkg-parsechangelog -l "$SRC/debian/changelog" -SVersion)" = "$deb_version" ] \
    || fail "the changelog's latest entry is not $deb_version"
depends=$(field Depends)
for need in libqt6widgets6 libqt6multimedia6 libxrandr2 libpulse0 qt6-translations-l10n fonts-liberation fonts-wine; do
    [[ ", $depends," == *", $need"[\ ,]* ]] || fail "Depends lacks $need: $depends"
done
# The sounds go to the sound server through libpulse: no media plugin is loaded.
[[ $depends != *gstreamer* ]] || fail "Depends names GStreamer: $depends"
[ "$(field Recommends)" = "pipewire-pulse | pulseaudio, rtkit, cups-client, xdg-utils" ] || fail "Recommends: $(field Recommends)"
# debian/control builds with the packages of the run group of tools/install-deps.sh
# (but the compiler and make, which every Debian build has) and test tools only.
bdeps=$(sed -n '/^Build-Depends:/,/^[A-Z]/p' "$SRC/debian/control" | sed '$d; s/^Build-Depends://; s/([^)]*)//g' \
        | tr ',' '\n' | tr -d ' ' | grep -v '^$' | grep -vx debhelper-compat | sort)
run_group=$(bash "$SRC/tools/install-deps.sh" --list run | grep -vxE 'g\+\+|make' | sort)
test_group=$(bash "$SRC/tools/install-deps.sh" --list test | sort)
missing=$(comm -13 <(echo "$bdeps") <(echo "$run_group"))
[ -z "$missing" ] || fail "Build-Depends lacks:" $missing
extra=$(comm -23 <(echo "$bdeps") <(sort -u <(echo "$run_group") <(echo "$test_group")))
[ -z "$extra" ] || fail "Build-Depends names packages of no group of install-deps.sh:" $extra
# Every source file carries its licence line (tools/spdx-headers.sh adds it).
if git -C "$SRC" rev-parse --git-dir >/dev/null 2>&1; then
    bash "$SRC/tools/spdx-headers.sh" --check "$SRC" || fail "source files without their SPDX line"
fi

# ---- Contents ------------------------------------------------------------------
dpkg-deb -c "$DEB" | awk '{print $6}' | sed 's|^\./|/|' >"$WORK/contents"
has() { grep -qx "$1" "$WORK/contents" || fail "the package lacks $1"; }
has /usr/bin/zoka
has /usr/bin/zoka-report
for f in "$SRC"/data/* "$BUILD"/data/*; do has "/usr/share/zoka/$(basename "$f")"; done
has /usr/share/applications/zoka.desktop
has /usr/share/metainfo/fr.zoka.Zoka.metainfo.xml
has /usr/share/icons/hicolor/scalable/apps/zoka.svg
for page in zoka zoka-report; do has /usr/share/man/man1/$page.1.gz; has /usr/share/man/fr/man1/$page.1.gz; done
has /usr/share/doc/zoka/copyright
has /usr/share/doc/zoka/changelog.gz
if grep -v '/$' "$WORK/contents" | grep -vE '^/usr/(bin|share/(zoka|applications|metainfo|icons/hicolor|man/(fr/)?man1|doc/zoka))/' ; then
    fail "files outside the expected places (above)"
fi

ROOT=$WORK/root
dpkg-deb -x "$DEB" "$ROOT"
# Built as Debian builds: stack protector, full RELRO and BIND_NOW, PIE (Debian 12's
# flags have no control-flow protection). The programs call no libc function whose
# buffer size the compiler knows, so no fortified call shows in them: the flag itself
# is checked.
hardened() { # log of the compiler commands, programs...
    local log=$1; shift
    hardening-check --nofortify --nocfprotection "$@" >"$WORK/hardening.log" 2>&1 \
        || { cat "$WORK/hardening.log"; fail "hardening-check $*"; }
    grep -q -- '-D_FORTIFY_SOURCE=2' "$log" || fail "not built with -D_FORTIFY_SOURCE=2 ($log)"
}
hardened "$BUILD/package/CMakeCache.txt" "$ROOT/usr/bin/zoka" "$ROOT/usr/bin/zoka-report"
for size in 16 22 24 32 48 64 128 256; do
    icon=$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/zoka.png
    [ "$(identify -format '%w %h' "$icon" 2>/dev/null)" = "$size $size" ] || fail "no ${size}x${size} icon"
done
python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' "$ROOT/usr/share/icons/hicolor/scalable/apps/zoka.svg" \
    || fail "the SVG icon is not well-formed"

desktop=$ROOT/usr/share/applications/zoka.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
# One main category, so that menus show the program once.
grep -qx 'Categories=Science;MedicalSoftware;' "$desktop" || fail "desktop categories"
grep -qx 'Exec=zoka' "$desktop" && grep -qx 'Icon=zoka' "$desktop" || fail "desktop Exec/Icon"
METAINFO=$ROOT/usr/share/metainfo/fr.zoka.Zoka.metainfo.xml
appstreamcli validate --no-net "$METAINFO" || fail "appstreamcli validate"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$METAINFO" || fail "no project licence in the metainfo"
grep -q '^License: GPL-3.0-or-later$' "$ROOT/usr/share/doc/zoka/copyright" || fail "copyright"
cmp -s "$SRC/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL version 3"
lintian --fail-on error "$DEB" 2>/dev/null | tee "$WORK/lintian.log" || fail "lintian reports errors"
for page in zoka zoka-report; do
    for lang_heading in "man1:EXIT STATUS" "fr/man1:CODE DE RETOUR"; do
        man=$ROOT/usr/share/man/${lang_heading%%:*}/$page.1.gz
        LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>"$WORK/man.err" | grep -qx "${lang_heading#*:}" \
            && [ ! -s "$WORK/man.err" ] || { cat "$WORK/man.err"; fail "$man does not render"; }
    done
done

# ---- The autopkgtest, on the unpacked programs -----------------------------------
mkdir -p "$WORK/autopkgtest"
(cd "$SRC" && PATH=$ROOT/usr/bin:$PATH AUTOPKGTEST_TMP=$WORK/autopkgtest sh debian/tests/smoke) \
    >"$WORK/smoke.log" 2>&1 || { cat "$WORK/smoke.log"; fail "debian/tests/smoke"; }
env -u DISPLAY "$ROOT/usr/bin/zoka" --help | grep -q '^Utilisation : zoka' || fail "zoka --help"

# ---- zoka from the unpacked root, first start of a new user ---------------------
export HOME=$WORK/home
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
MINE=$HOME/.local/share/zoka
# The screenshots of the AppStream metadata, kept after the run.
SHOTS=$BUILD/screenshots
rm -rf "$SHOTS"; mkdir -p "$SHOTS"
# Wide enough for the analysis window to show its plots beside the report.
start_xvfb 191 240 1280x1024x24 "$WORK/xvfb.log"
# Visible windows only: the main window exists, hidden, before its first showing.
wait_title() {
    for _ in $(seq "$2"); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        kill -0 "$ZOKA_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
click_in() { # window title, x, y in the window (negative: from its centre)
    local wid X Y WIDTH HEIGHT x=$2 y=$3
    wid=$(xdotool search --onlyvisible --name "$1" | head -1)
    eval "$(xdotool getwindowgeometry --shell "$wid" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    [ "$x" -ge 0 ] || x=$((WIDTH / 2)); [ "$y" -ge 0 ] || y=$((HEIGHT / 2))
    xdotool mousemove $((X + x)) $((Y + y)) click ${4:-1}
}

(cd "$WORK" && exec "$ROOT/usr/bin/zoka") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
wait_title 'Batterie Attention Tessaro' 150 || fail "no title screen"
sleep 1
shot titre
# A double-click on the picture (in the middle of the window) continues.
click_in 'Batterie Attention Tessaro' -1 -1 '--repeat 2 --delay 60 1'
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

# A patient with a result file: the main window lists it, a double-click analyses it.
cp "$SRC/autotests/data/analysis/Leroy_16.AUD" "$MINE/Epreuves/"
sleep 0.5
main_click 260 58
xdotool key ctrl+a
xdotool type --delay 20 "Leroy"
sleep 0.5
shot principale
main_click 300 230 "--repeat 2 --delay 80 1"
wait_title 'Analyse de Leroy_16\.AUD' 100 || fail "no analysis window"
sleep 1.5
shot analyse
"$BUILD/e2e/e2e_wmclose" "$(xdotool search --onlyvisible --name 'Analyse de Leroy_16\.AUD' | head -1)"
sleep 1

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

# The next start: practice of the first test, up to its first square.
(cd "$WORK" && exec "$ROOT/usr/bin/zoka") >"$WORK/zoka.log" 2>&1 &
ZOKA_PID=$!
wait_title 'Batterie Attention Tessaro' 150 || fail "no title screen at the next start"
sleep 1
click_in 'Batterie Attention Tessaro' -1 -1 '--repeat 2 --delay 60 1'
wait_title '^Zoka v' 50 || fail "no main window at the next start"
sleep 0.5
main_click 260 58
xdotool key ctrl+a
xdotool type --delay 20 "Leroy"
sleep 0.3
open_instructions
xdotool mousemove 1270 1010
essai_click 268 480
# The square in the middle of the stage, which fills the screen's width (scale 1.6).
"$BUILD/e2e/e2e_visuelcentre_driver" 1 -1 640 512 "$WORK/square.ppm" 1 >"$WORK/square.txt" \
    || fail "no square in the practice run"
convert "$WORK/square.ppm" "$SHOTS/stimulus.png"
kill "$ZOKA_PID"; wait "$ZOKA_PID" 2>/dev/null || true; ZOKA_PID=

# Every screenshot the metadata names was made: a whole screen, not blank.
images=$(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$METAINFO")
[ "$(echo "$images" | wc -l)" = 4 ] || fail "the metadata names $(echo "$images" | wc -l) screenshots"
for image in $images; do
    [ "$(identify -format '%w %h' "$SHOTS/$image" 2>/dev/null)" = "1280 1024" ] || fail "no screenshot $image"
    [ "$(identify -format '%k' "$SHOTS/$image")" -ge 2 ] || fail "the screenshot $image is blank"
done

if [ "$MODE" = full ]; then
    # ---- The source package, twice ----------------------------------------------
    # The tracked files (with their changes) copied into two directories of different
    # names; the second build runs no test.
    copy_source() { # directory: the tracked files, with their changes, in <directory>/zoka
        mkdir -p "$1/zoka"
        (cd "$SRC" && git ls-files -z | tar --null -T - -cf -) | tar -C "$1/zoka" -xf -
    }
    debbuild() { # directory, DEB_BUILD_OPTIONS
        copy_source "$1"
        (cd "$1/zoka" && DEB_BUILD_OPTIONS="parallel=2 $2" dpkg-buildpackage -us -uc -b) >"$1/build.log" 2>&1 \
            || { tail -40 "$1/build.log"; fail "dpkg-buildpackage in $1"; }
    }
    debbuild "$WORK/a" ""
    grep -q 'dh_auto_test' "$WORK/a/build.log" && grep -q '100% tests passed' "$WORK/a/build.log" \
        || fail "the build-time tests did not run"
    DDEB=$(echo "$WORK"/a/zoka-dbgsym_*.deb "$WORK"/a/zoka-dbgsym_*.ddeb | tr ' ' '\n' | grep -v '\*' | head -1)
    [ -n "$DDEB" ] && dpkg-deb -c "$DDEB" >"$WORK/a/dbgsym.contents" && grep -q '/usr/lib/debug/.build-id/' "$WORK/a/dbgsym.contents" \
        || fail "no debug symbols package"
    SRCDEB=$WORK/a/$(basename "$DEB")
    [ -f "$SRCDEB" ] || fail "dpkg-buildpackage gave no $(basename "$DEB")"
    # The same package as the quick path: fields, dependencies and files.
    for f in Package Version Architecture Section Priority Maintainer Depends Recommends Description; do
        [ "$(dpkg-deb -f "$SRCDEB" "$f")" = "$(field "$f")" ] \
            || fail "$f differs: '$(dpkg-deb -f "$SRCDEB" "$f")' from debian/, '$(field "$f")' from make package"
    done
    files() { dpkg-deb -c "$1" | awk '$6 != "./" {print $1, $6}' | sort -k2; }
    diff <(files "$DEB") <(files "$SRCDEB") \
        || fail "the two packages hold different files (above)"
    dpkg-deb -x "$SRCDEB" "$WORK/a/root"
    hardened "$WORK/a/build.log" "$WORK/a/root/usr/bin/zoka" "$WORK/a/root/usr/bin/zoka-report"
    lintian --fail-on error "$SRCDEB" || fail "lintian (debian/)"
    # Reproducible: the same bytes from another directory.
    # (The compiler's cache is off for it: its objects must be made again.)
    CCACHE_DISABLE=1 debbuild "$WORK/b-elsewhere" nocheck
    for deb in "$WORK"/a/*.deb "$WORK"/a/*.ddeb; do
        [ -f "$deb" ] || continue
        cmp "$deb" "$WORK/b-elsewhere/$(basename "$deb")" || fail "$(basename "$deb") differs between the two builds"
    done
    # So does the quick path (in the same place below the source).
    copy_source "$WORK/c"
    rel=${BUILD#"$SRC"/}; [ "$rel" != "$BUILD" ] || rel=build
    (cd "$WORK/c/zoka" && CCACHE_DISABLE=1 JOBS=2 bash tools/build-deb.sh . "$rel/package" "$WORK/c/out") >"$WORK/c/build.log" 2>&1 \
        || { tail -30 "$WORK/c/build.log"; fail "tools/build-deb.sh in $WORK/c"; }
    cmp "$DEB" "$WORK/c/out/$(basename "$DEB")" || fail "make package gives other bytes in another directory"
fi
echo "e2e_package ($MODE): OK"
