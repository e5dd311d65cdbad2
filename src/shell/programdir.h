// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// Where the program directory is.
//
// Run from the build tree (`make run`), the program directory is the current
// directory, as always. Installed, the executable lies in <prefix>/bin beside
// <prefix>/share/zoka, which holds the data files (texts, sounds, picture); the
// program directory is then the user's own, $XDG_DATA_HOME/zoka (by default
// ~/.local/share/zoka): every data file missing there is copied from the installed
// ones at each start, a file already there is never replaced, and the program runs
// in that directory, so that Zoka.ini, Essais and AnaTemp.txt belong to the user.
// The test is made on the executable's own place, so an installation unpacked
// under any root works the same as one in /usr.

// <prefix>/share/zoka when `executableDir` is <prefix>/bin and that directory
// exists; "" otherwise (not installed).
QString installedDataDir(const QString &executableDir);

// $XDG_DATA_HOME/zoka, or ~/.local/share/zoka; "" when neither can be known.
QString userProgramDir();

// Makes `to` if needed and copies into it every regular file of `from` that `to`
// does not hold yet; files already in `to` are left untouched. On the first
// failure: false with the French text of the failure in *error (files copied
// before it stay, complete; the one that failed is not left half written).
bool copyMissingDataFiles(const QString &from, const QString &to, QString *error = nullptr);

// Start-up, before the configuration is read: the directory the program takes its
// data from. For an installed program, the user's program directory, filled first;
// otherwise `launchDir`, the directory the program was started in. Empty, after an
// error message, when the program cannot go on.
QString findProgramDirectory(const QString &executableDir, const QString &launchDir);

} // namespace zoka
