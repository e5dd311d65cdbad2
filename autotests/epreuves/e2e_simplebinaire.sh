#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "TR simple binaire", 32 items, in the real program on
# a 1280 x 1024 screen: a watcher on the symbols' boxes tells a cross from a ring
# and presses at the crosses only, at known delays; the file, the times and the
# report are checked.
#   bash e2e_simplebinaire.sh <builddir> <sourcedir>
set -euo pipefail
source "$(dirname "$0")/rt_session.sh"
rt_session "$1" "$2" SB 32
