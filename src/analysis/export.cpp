// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/export.h"

#include "analysis/report.h"
#include "analysis/resultreader.h"
#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/safewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace zoka {

namespace {


// The line with its first blank turned into the field separator.
QString withFirstSeparator(const QString &line)
{
    QString t = line;
    const int blank = int(t.indexOf(u' '));
    if (blank >= 0)
        t[blank] = u';';
    return t;
}

// French words of a failed file operation: the system's error number when it names
// the fault, else what the file layer says.
QString faultText(const QFileDevice &f, int err)
{
    if (err != 0) {
        const QString words = fileErrorText(err);
        if (!words.startsWith(QStringLiteral("Erreur E/S")))
            return words;
    }
    switch (f.error()) {
    case QFileDevice::ResourceError:
        return fileErrorText(ENOSPC);
    case QFileDevice::PermissionsError:
        return fileErrorText(EACCES);
    default:
        return err != 0 ? fileErrorText(err) : f.errorString();
    }
}

} // namespace

const QString ReplaceExportQuestion =
    QStringLiteral("  Ce fichier a déjà été exporté; Voulez-vous le remplacer?   ");

QByteArray BuildExportBytes(const QStringList &lines, int testIndex, const QString &patientName,
                            const QString &administrationDate, bool withInfo)
{
    QStringList out;
    const QString header = lines.value(0);
    // A file analysed while it held its header only has its notes from line 2 on.
    const bool notesAsLine2 = lines.size() > 1 && lines.at(1) == NotesMarker;
    if (withInfo) {
        QString name = QStringLiteral("Nom;") + patientName;
        // An endless series: the header ends with its only "#".
        if (!header.isEmpty() && header.indexOf(u'#') == header.size() - 1)
            name += QStringLiteral("  (sans limite du nbre de stimuli)");
        out << name;
        out << QStringLiteral("Passation du;") + administrationDate;
        out << QStringLiteral("Nbre d'essais;") + (notesAsLine2 ? QString() : lines.value(1));
    }
    if (!notesAsLine2) {
        int k = 1;
        for (int i = 2; i < lines.size(); ++i, ++k) {
            const QString &line = lines.at(i);
            if (line == NotesMarker)
                break;
            const QString t = withFirstSeparator(line);
            if (readsStream(testIndex)) {
                out << t;
            } else if (withInfo) {
                out << (t.startsWith(u'-') ? QStringLiteral("Intempestifs;") + t.mid(1)
                                           : QString::number(k) + u';' + t);
            } else {
                // The file's last line (the closing line of a file without notes)
                // is not part of the data.
                if (i == lines.size() - 1)
                    break;
                out << QString::number(k) + u';' + t;
            }
        }
    }
    return cp1252::encodeLines(out);
}

bool exportBytesOf(const AnalysisState &st, bool withInfo, QByteArray *bytes, QString *error)
{
    QStringList lines;
    if (!loadResultLines(st.FilePath, &lines, error))
        return false;
    *bytes = BuildExportBytes(lines, st.TestIndex, st.PatientName, st.AdministrationDate, withInfo);
    return true;
}

QString exportFileName(const QString &resultFileName)
{
    return resultFileName + QStringLiteral(".csv");
}

QString exportDirectory(const QString &resultFilePath)
{
    return QDir(QFileInfo(resultFilePath).absolutePath()).filePath(QStringLiteral("Export"));
}

QString exportPathLabel(const QString &path)
{
    if (path.size() <= 40)
        return QStringLiteral("Path=  ") + path;
    return QStringLiteral("Path= .. ") + path.right(40);
}

bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile f(path);
    // Never in place: a folder that refuses new files refuses the export.
    f.setDirectWriteFallback(false);
    auto fail = [&](int err) {
        if (error)
            *error = faultText(f, err);
        f.cancelWriting();
        return false;
    };
    int err = 0;
    if (!openSaveFile(f, QIODevice::WriteOnly, &err))
        return fail(err);
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail(errno);
        done += n;
    }
    errno = 0;
    if (!f.flush())
        return fail(errno);
    if (!commitSaveFile(f, &err))
        return fail(err);
    return true;
}

ExportOutcome exportToFile(const QString &target, MsgKind questionKind,
                           const std::function<bool(QByteArray *, QString *)> &produce)
{
    const QFileInfo info(target);
    const QString shown = QDir::toNativeSeparators(target);
    if (!info.absoluteDir().exists()) {
        showError(QStringLiteral("Le dossier d'exportation %1 est introuvable : le fichier %2 n'a pas été écrit.")
                      .arg(QDir::toNativeSeparators(info.absolutePath()), shown));
        return ExportOutcome::Failed;
    }
    // Never written through: a link where the export goes is refused before anything
    // is asked.
    if (info.isSymLink()) {
        showError(QStringLiteral("Impossible d'écrire le fichier %1 : %2. Rien n'a été exporté.")
                      .arg(shown, fileErrorText(ELOOP)));
        return ExportOutcome::Failed;
    }
    if (info.exists()) {
        switch (showMessage(questionKind, ReplaceExportQuestion, MsgButtons::YesNoCancelDefaultNo)) {
        case MsgAnswer::Cancel:
            return ExportOutcome::Cancelled;
        case MsgAnswer::No:
            return ExportOutcome::KeptExisting;
        default:
            break;
        }
    }
    QByteArray bytes;
    QString error;
    if (!produce(&bytes, &error)) {
        showError(QStringLiteral("Rien n'a été exporté vers %1 : %2").arg(shown, error));
        return ExportOutcome::Failed;
    }
    if (!writeWholeFile(target, bytes, &error)) {
        showError(QStringLiteral("Impossible d'écrire le fichier %1 : %2. Rien n'a été exporté.")
                      .arg(shown, error));
        return ExportOutcome::Failed;
    }
    return ExportOutcome::Written;
}

bool openInDesktopProgram(const QString &path, const std::function<bool(const QString &)> &open,
                          const QString &failureText)
{
    if (open && open(path))
        return true;
    showWarning(failureText);
    return false;
}

} // namespace zoka
