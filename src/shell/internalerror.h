// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

namespace zoka {

// Who the examiner should contact when an internal error persists.
inline const QString SupportContact = QStringLiteral("l'équipe de maintenance ZOKA");

// The text of the internal-error box for number n.
QString internalErrorText(int n);

// Shows the internal-error box (error, OK) and ends the program at once with exit
// code n (201, 202, 203, 208). Does not return unless a test replaced the exit.
void InternalError(int n);

// Replaces the way the program ends (tests record the code instead; the function
// may then return). nullptr puts the real exit back.
void setInternalErrorExit(std::function<void(int)> exitFn);

// Run just before the program ends through InternalError (the display mode is put
// back there). nullptr: nothing.
void setInternalErrorCleanup(std::function<void()> cleanup);

} // namespace zoka
