// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/administrationcheck.h"

#include "platform/fileerrors.h"
#include "platform/safewrite.h"
#include "shell/filelists.h"
#include "shell/maintexts.h"
#include "shell/naming.h"

#include <QDir>

namespace zoka {

QString resultsDirNotWritableText(const QString &dir, int err)
{
    return QStringLiteral("Aucun fichier de résultats ne peut être créé dans le répertoire des résultats <%1> : %2.\r"
                          "Choisissez un autre répertoire dans la fenêtre [Options].")
        .arg(QDir::toNativeSeparators(dir), fileErrorText(err));
}

AdministrationCheck checkBeforeAdministration(const QString &patient, int itemCount, const QString &resultFileName,
                                              const QString &resultsDir,
                                              const std::function<bool(const QString &)> &ask)
{
    using namespace maintext;
    const auto refuse = [](MsgKind kind, const QString &text, CheckFocus focus) {
        AdministrationCheck c;
        c.kind = kind;
        c.message = text;
        c.focus = focus;
        return c;
    };
    if (patient.isEmpty())
        return refuse(MsgKind::Warning, NotEncoded, CheckFocus::Nom);
    if (itemCount == 0)
        return refuse(MsgKind::Warning, CountNotSet, CheckFocus::CountGroup);
    // The name may come from elsewhere than the name field (the header of an analysed
    // file, a chosen file's name): the result file must still be a plain file of the
    // results directory that its header can name.
    QString refusal = patientNameProblem(patient);
    if (refusal.isEmpty())
        refusal = resultFileNameProblem(resultFileName);
    if (!refusal.isEmpty())
        return refuse(MsgKind::Error, refusal, CheckFocus::Nom);
    int err = 0;
    if (!canCreateFileIn(resultsDir, &err))
        return refuse(MsgKind::Error, resultsDirNotWritableText(resultsDir, err), CheckFocus::Unchanged);
    QString replaceRefusal;
    switch (confirmReplacingResultFile(resultsDir, resultFileName, ask, &replaceRefusal)) {
    case ReplaceOutcome::Agreed:
        break;
    case ReplaceOutcome::Refused:
        return refuse(MsgKind::Error, replaceRefusal, CheckFocus::Nom);
    case ReplaceOutcome::Declined:
        return refuse(MsgKind::Warning, QString(), CheckFocus::Nom);
    }
    AdministrationCheck ok;
    ok.ok = true;
    ok.focus = CheckFocus::Passation;
    ok.agreedResultFile = identityOfPath(QDir(resultsDir).filePath(resultFileName));
    return ok;
}

} // namespace zoka
