#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "TR simple binaire", 32 items, in the real program on
# a 1280 x 1024 screen, stopped with the stop key after item 12: a watcher on the
# symbols' boxes tells a cross from a ring and presses at the crosses only, at known
# delays (four rings left alone); the stopped file, its times and its report are
# checked. Full-length runs and their figures: bench/visual_rt.sh.
#   python3 e2e_simplebinaire.py <builddir> <sourcedir>
import rt_session

rt_session.run("SB", 32, "--stop-after", "12")
