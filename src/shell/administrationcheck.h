// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/messages.h"
#include "platform/runlock.h"

#include <QString>
#include <functional>

namespace zoka {

// The checks before an administration ("Passation"), apart from the main window: a
// patient, a count, a name that can name a result file of the results directory, a
// results directory where a file can be created, and a file already there replaced
// only when the examiner says so.

// Where the main window puts the focus after a check.
enum class CheckFocus { Unchanged, Nom, CountGroup, Passation };

struct AdministrationCheck {
    bool ok = false;
    MsgKind kind = MsgKind::Warning;
    QString message;              // to show (empty: nothing)
    CheckFocus focus = CheckFocus::Unchanged;
    // When ok: the file of that name the examiner agreed to replace (invalid: none
    // was there); the run asks again when another has appeared since.
    FileIdentity agreedResultFile;
};

// `ask` asks a question whose default is "Non" (the existing-name questions).
AdministrationCheck checkBeforeAdministration(const QString &patient, int itemCount, const QString &resultFileName,
                                              const QString &resultsDir,
                                              const std::function<bool(const QString &)> &ask);

// "Aucun fichier de résultats ne peut être créé dans le répertoire des résultats <dir> : why."
QString resultsDirNotWritableText(const QString &dir, int err);

} // namespace zoka
