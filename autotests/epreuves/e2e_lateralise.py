#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end administration of "TR latéralisé", 36 items, in the real program on a
# 1280 x 1024 screen, stopped with the stop key after item 12: a watcher at each
# item's cell presses at known delays (item 9 left to time out); the stopped file,
# its times and its report are checked. The program is asked to draw at once (as on
# a display without Present); the other reaction-time run (e2e_simplebinaire)
# presents on the refresh. Full-length runs and their figures: bench/visual_rt.sh.
#   python3 e2e_lateralise.py <builddir> <sourcedir>
import rt_session

rt_session.run("LAT", 36, "--presentation", "repaint", "--stop-after", "12")
