// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/filelists.h"

#include "platform/fileattr.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "platform/runlock.h"
#include "shell/maintexts.h"
#include "shell/naming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zoka {

namespace {
bool lessIgnoringCase(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

// The error number of a failed call on a file; EACCES when the call left none.
int lastFileError() { return errno != 0 ? errno : EACCES; }
} // namespace

namespace {
int countUnlistable(const QString &dir)
{
    DIR *d = ::opendir(QFile::encodeName(dir).constData());
    if (!d)
        return 0;
    int count = 0;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray raw(e->d_name);
        if (raw.startsWith('.') || QFile::encodeName(QFile::decodeName(raw)) == raw)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))
            ++count;
    }
    ::closedir(d);
    return count;
}
} // namespace

QString unlistableFilesText(int count)
{
    if (count <= 0)
        return QString();
    return count == 1 ? QStringLiteral("1 fichier du répertoire des résultats n'est pas listé : son nom n'est pas "
                                       "valide dans l'encodage du système.")
                      : QStringLiteral("%1 fichiers du répertoire des résultats ne sont pas listés : leur nom n'est "
                                       "pas valide dans l'encodage du système.").arg(count);
}

QStringList readFileList(const QString &dir, int *unlistable)
{
    if (unlistable)
        *unlistable = 0;
    if (dir.isEmpty())
        return {};
    const QDir d(dir);
    if (!d.exists())
        return {};
    QStringList files = d.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(files.begin(), files.end(), lessIgnoringCase);
    if (unlistable)
        *unlistable = countUnlistable(dir);
    return files;
}

bool matchesMask(const QString &fileName, const QString &mask)
{
    if (mask == AllFilesMask || mask == QLatin1String("*"))
        return true;
    if (mask.endsWith(QLatin1Char('*')))
        return fileName.startsWith(mask.chopped(1), Qt::CaseInsensitive);
    return fileName.compare(mask, Qt::CaseInsensitive) == 0;
}

QStringList filterByMask(const QStringList &files, const QString &mask)
{
    QStringList out;
    for (const QString &f : files)
        if (matchesMask(f, mask))
            out << f;
    return out;
}

void insertSorted(QStringList &list, const QString &name)
{
    const auto at = std::upper_bound(list.begin(), list.end(), name,
                                     [](const QString &a, const QString &b) {
                                         return QString::compare(a, b, Qt::CaseInsensitive) < 0;
                                     });
    list.insert(at, name);
}

QStringList patientsOfFileList(const QStringList &sortedFiles)
{
    QStringList patients;
    QString previous;
    for (int i = 0; i < sortedFiles.size(); ++i) {
        const QString p = PatientOfFileName(sortedFiles.at(i));
        if (i == 0 || p.toUpper() != previous.toUpper())
            insertSorted(patients, p);
        previous = p;
    }
    return patients;
}

bool isEnterableDirectory(const QString &dir)
{
    return !dir.isEmpty() && QFileInfo(dir).isDir() && ::access(QFile::encodeName(dir).constData(), X_OK) == 0;
}

bool isNotAnalysed(const QString &path) { return isReadOnlyMarked(path); }

QString notAnalysedQuestion(const QString &name)
{
    using namespace maintext;
    return Blanks20 + LeFichier + name + NotAnalysedTail + Blanks20;
}

DeleteOutcome DeleteResultFile(const QString &dir, const QString &name, QString *error)
{
    const QString path = QDir(dir).filePath(name);
    using namespace maintext;
    const auto failed = [&](const QString &cause) {
        if (error)
            *error = QStringLiteral("Le fichier %1 ne peut être supprimé : %2. Il est resté tel quel.").arg(name, cause);
        return DeleteOutcome::Failed;
    };
    // A file another program is writing a run into stays.
    if (isLockedByRun(path))
        return failed(RunInProgressText);
    if (!askBeforeDestroying(MsgKind::Confirmation, Blanks20 + AskDelete + name + QStringLiteral(" ?") + Blanks20))
        return DeleteOutcome::Kept;
    if (isNotAnalysed(path) && !askBeforeDestroying(MsgKind::Warning, notAnalysedQuestion(name)))
        return DeleteOutcome::Kept;
    // Only the directory entry goes: nothing is written to the file, so that a removal
    // the folder refuses leaves it whole, and a symbolic link goes as a link, whatever
    // it leads to.
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        return failed(fileErrorText(lastFileError()));
    return DeleteOutcome::Deleted;
}

QString existingNameQuestion(const QString &name)
{
    using namespace maintext;
    const QString lf = QStringLiteral("\n");
    return ExistsHead + lf + ExistsYes + name + ExistsYesTail + lf + ExistsNo + lf + ExistsWarn + lf + ExistsPress;
}

ReplaceOutcome confirmReplacingResultFile(const QString &dir, const QString &name,
                                          const std::function<bool(const QString &)> &ask, QString *refusal)
{
    const QString path = QDir(dir).filePath(name);
    const auto refused = [&](const QString &cause) {
        if (refusal)
            *refusal = QStringLiteral("Le fichier %1 ne peut être remplacé : %2.").arg(name, cause);
        return ReplaceOutcome::Refused;
    };
    if (isLockedByRun(path))
        return refused(RunInProgressText);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return ReplaceOutcome::Agreed;
    if (!ask(existingNameQuestion(name)))
        return ReplaceOutcome::Declined;
    if (isNotAnalysed(path)) {
        if (!ask(notAnalysedQuestion(name)))
            return ReplaceOutcome::Declined;
        errno = 0;
        if (!MarkAnalysed(path))
            return refused(fileErrorText(lastFileError()));
    }
    return ReplaceOutcome::Agreed;
}

} // namespace zoka
