// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/optionslogic.h"

#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/filelists.h"
#include "shell/stopkey.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cmath>

namespace zoka {

namespace {

QString createQuestion(const QString &dir)
{
    return QString::fromUtf8("  Le répertoire ") + dir + QString::fromUtf8(" n'existe pas; Voulez-vous le créer?   ");
}

bool isDirectory(const QString &path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

} // namespace

const QStringList &OptionsLogic::errorTexts()
{
    static const QStringList texts = {
        QString::fromUtf8("Err 0: Erreur interne"),
        QString::fromUtf8("Err 1: Cette touche ne peut être prise en compte pour créer un arrêt d'épreuve"),
        // An empty stop key would leave endless series with no way to stop them.
        QString::fromUtf8("Err 2: Une touche d'arrêt doit être choisie (1 caractère ou ESC ou RET)"),
        QString::fromUtf8("Err 3: "),
        QString::fromUtf8("Err 4: "),
        QString::fromUtf8("Err 5: "),
    };
    return texts;
}

QString OptionsLogic::errorMessage(int n)
{
    if (n < 0 || n > 5)
        n = 0;
    return QString(10, u' ') + errorTexts().at(n) + QString(8, u' ');
}

QString OptionsLogic::marginText(double cm)
{
    QString t = QString::number(cm, 'g', 15);
    t.replace(u'.', u',');
    return t;
}

OptionsLogic::OptionsLogic(Session &session)
    : m_session(session)
{
}

OptionsLogic::Fields OptionsLogic::formShow()
{
    m_session.config.Version = ProgramVersion;
    m_snapshot = m_session.config;
    m_savedResultsDir = m_session.resultsDir;
    m_created.clear();
    m_error = -1;
    return {m_session.config.ResultsDir, m_session.config.StopKeyText, marginText(m_session.config.PrintMarginCm)};
}

// ---- Results directory -------------------------------------------------------

void OptionsLogic::dirEprChange(const QString &text)
{
    // Kept whole: a path too long for the record is refused when the field is left
    // or at "Accepter", never cut into another path.
    m_session.config.ResultsDir = text;
}

void OptionsLogic::makeResultsDirAbsolute()
{
    const QString t = m_session.config.ResultsDir.trimmed();
    if (!t.isEmpty() && QDir::isRelativePath(t))
        m_session.config.ResultsDir = QDir::cleanPath(QDir(m_session.baseDir()).absoluteFilePath(t));
}

bool OptionsLogic::checkStorable()
{
    if (m_session.config.ResultsDir.trimmed().isEmpty()) {
        showWarning(QString::fromUtf8("     Indiquez le répertoire des données.     "));
        return false;
    }
    if (!fitsRecordString(m_session.config.ResultsDir, ConfigRecord::MaxDirLength)) {
        showWarning(directoryTooLongMessage(QString::fromUtf8("Le répertoire des données"), m_session.config.ResultsDir));
        return false;
    }
    return true;
}

bool OptionsLogic::createDirectory(const QString &dir)
{
    // Level by level, so that "Annuler" knows exactly what this visit created.
    const QString clean = QDir::cleanPath(QDir(m_session.baseDir()).absoluteFilePath(dir));
    QStringList missing;
    QString p = clean;
    while (!p.isEmpty() && !QFileInfo::exists(p)) {
        missing.prepend(p);
        const QString parent = QFileInfo(p).path();
        if (parent == p)
            break;
        p = parent;
    }
    for (const QString &level : std::as_const(missing)) {
        errno = 0;
        if (!QDir().mkdir(level)) {
            const int err = errno;
            showError(QString::fromUtf8("Le répertoire %1 ne peut être créé : %2.")
                          .arg(QDir::toNativeSeparators(level), fileErrorText(err ? err : EACCES)));
            return false;
        }
        m_created.append(level);
    }
    if (!isDirectory(clean)) {
        showError(QString::fromUtf8("Le répertoire %1 ne peut être créé : %2.")
                      .arg(QDir::toNativeSeparators(clean), fileErrorText(EEXIST)));
        return false;
    }
    return true;
}

bool OptionsLogic::enterResultsDirectory()
{
    const QString dir = QDir::cleanPath(QDir(m_session.baseDir()).absoluteFilePath(m_session.config.ResultsDir));
    if (!isEnterableDirectory(dir))
        return false;
    m_session.resultsDir = dir;
    const QString exportDir = QDir(dir).filePath(QStringLiteral("Export"));
    if (!QFileInfo(exportDir).isDir())
        createDirectory(exportDir);
    return true;
}

QString OptionsLogic::dirEprExit()
{
    if (m_session.config.ResultsDir == m_snapshot.ResultsDir)
        return m_session.config.ResultsDir;
    makeResultsDirAbsolute();
    if (!checkStorable())
        return m_session.config.ResultsDir;
    if (!isDirectory(m_session.config.ResultsDir)) {
        if (!askYesNo(MsgKind::Warning, createQuestion(m_session.config.ResultsDir))) {
            m_session.config.ResultsDir = m_snapshot.ResultsDir;
            return m_session.config.ResultsDir;
        }
        if (!createDirectory(m_session.config.ResultsDir))
            return m_session.config.ResultsDir;
    }
    if (!enterResultsDirectory()) {
        showError(QString::fromUtf8("Le répertoire %1 ne peut être ouvert : %2.")
                      .arg(QDir::toNativeSeparators(m_session.config.ResultsDir), fileErrorText(EACCES)));
    }
    return m_session.config.ResultsDir;
}

QString OptionsLogic::dialogStartDir(const QString &fieldText) const
{
    return isDirectory(fieldText) ? fieldText : m_session.config.ProgramDir;
}

QString OptionsLogic::directoryDialogResult(const QString &chosen)
{
    if (chosen.isEmpty()) {
        m_session.config.ResultsDir = m_snapshot.ResultsDir;
    } else if (!fitsRecordString(chosen, ConfigRecord::MaxDirLength)) {
        showWarning(directoryTooLongMessage(QString::fromUtf8("Le répertoire des données"), chosen));
        m_session.config.ResultsDir = m_snapshot.ResultsDir;
    } else {
        m_session.config.ResultsDir = chosen;
    }
    // The snapshot's directory may not exist yet (first start): "Accepter" offers
    // to create it then.
    if (isDirectory(m_session.config.ResultsDir))
        enterResultsDirectory();
    return m_session.config.ResultsDir;
}

// ---- Margin, font, stop key --------------------------------------------------

void OptionsLogic::margeGChange(const QString &text)
{
    QString t = text.left(5);
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0)
        t[dot] = u',';
    const QString trimmed = t.trimmed();
    if (trimmed.isEmpty())
        return; // the examiner is retyping the value; the last good one stays
    bool ok = !trimmed.contains(u'.');
    double v = 0;
    if (ok) {
        QString c = trimmed;
        c.replace(u',', u'.');
        v = c.toDouble(&ok);
        ok = ok && std::isfinite(v);
    }
    if (!ok) {
        showError(QString::fromUtf8("« %1 » n'est pas un nombre correct (exemple : 1,5).").arg(t));
        return;
    }
    if (v < 0 || v > 10) {
        showError(QString::fromUtf8("La marge de gauche doit être comprise entre 0 et 10 cm."));
        return;
    }
    m_session.config.PrintMarginCm = v;
}

bool OptionsLogic::setPrintFont(const QString &name, int pointSize, quint8 style, qint32 colorBgr)
{
    QString why;
    if (!fitsRecordString(name, 30, &why)) {
        showWarning(QString::fromUtf8("La police « %1 » ne peut être enregistrée dans la configuration (%2).\r"
                                      "Choisissez une autre police.")
                        .arg(name, why));
        return false;
    }
    m_session.config.PrintFontName = name;
    m_session.config.PrintFontSize = pointSize;
    m_session.config.PrintFontStyle = style;
    m_session.config.PrintFontColor = colorBgr;
    return true;
}

void OptionsLogic::keyStopChange(const QString &text)
{
    m_session.config.StopKeyText = text.left(10);
    m_error = -1;
    if (m_session.config.StopKeyText.isEmpty()) {
        m_error = 2;
        return;
    }
    const StopKeyParse k = parseStopKeyText(m_session.config.StopKeyText);
    if (k.ok)
        m_session.config.StopKeyCode = k.code;
    else
        m_error = 1;
}

void OptionsLogic::showOptionsError() { showMessage(MsgKind::Information, errorMessage(m_error)); }

void OptionsLogic::keyStopExit()
{
    if (m_error >= 0)
        showOptionsError();
}

// ---- Closing -----------------------------------------------------------------

OptionsLogic::Outcome OptionsLogic::accepterClick(bool saveChecked)
{
    if (m_error >= 0) {
        showOptionsError();
        return Outcome::Stay;
    }
    makeResultsDirAbsolute();
    if (!checkStorable())
        return Outcome::Stay;
    if (!isDirectory(m_session.config.ResultsDir)) {
        if (!askYesNo(MsgKind::Warning, createQuestion(m_session.config.ResultsDir)))
            return Outcome::Stay;
        if (!createDirectory(m_session.config.ResultsDir))
            return Outcome::Stay;
    }
    if (!enterResultsDirectory()) {
        InternalError(208);
        return Outcome::Stay; // only when a test replaced the program's end
    }
    if (saveChecked)
        SaveConfiguration(m_session);
    return Outcome::Close;
}

QString OptionsLogic::annulerClick()
{
    // Back to the directory in force when the window opened (a directory entered
    // during this visit may be removed below), then remove what this visit created,
    // newest first and only while empty.
    m_session.resultsDir = m_savedResultsDir;
    for (qsizetype i = m_created.size() - 1; i >= 0; --i)
        QDir().rmdir(m_created.at(i));
    m_created.clear();
    m_session.config = m_snapshot;
    m_error = -1;
    return m_session.config.ResultsDir;
}

} // namespace zoka
