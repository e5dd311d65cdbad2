// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zoka {

// The regional settings the program formats dates, times and decimals with: the
// system's own, except that an unconfigured system (the C/POSIX locale) gets French
// conventions, the language of the whole program. Call once at start-up, before
// anything is formatted; afterwards QLocale() is the locale to use.
void useRegionalSettings();

} // namespace zoka
