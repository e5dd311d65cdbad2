// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/optionslogic.h"

#include "platform/fileerrors.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/internalerror.h"
#include "shell/sharedstate.h"
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

OptionsLogic::Fields OptionsLogic::formShow()
{
    Config.Version = ProgramVersion;
    m_snapshot = Config;
    m_savedResultsDirPath = ResultsDirPath;
    m_savedCurrentDir = QDir::currentPath();
    m_created.clear();
    m_error = -1;
    return {Config.ResultsDir, Config.StopKeyText, marginText(Config.PrintMarginCm)};
}

// ---- Results directory -------------------------------------------------------

void OptionsLogic::dirEprChange(const QString &text)
{
    // Kept whole: a path too long for the record is refused when the field is left
    // or at "Accepter", never cut into another path.
    Config.ResultsDir = text;
}

void OptionsLogic::makeResultsDirAbsolute()
{
    const QString t = Config.ResultsDir.trimmed();
    if (!t.isEmpty() && QDir::isRelativePath(t))
        Config.ResultsDir = QDir::cleanPath(QDir::current().absoluteFilePath(t));
}

bool OptionsLogic::checkStorable()
{
    if (Config.ResultsDir.trimmed().isEmpty()) {
        showWarning(QString::fromUtf8("     Indiquez le répertoire des données.     "));
        return false;
    }
    if (!fitsRecordString(Config.ResultsDir, ConfigRecord::MaxDirLength)) {
        showWarning(directoryTooLongMessage(QString::fromUtf8("Le répertoire des données"), Config.ResultsDir));
        return false;
    }
    return true;
}

bool OptionsLogic::createDirectory(const QString &dir)
{
    // Level by level, so that "Annuler" knows exactly what this visit created.
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(dir));
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
    if (!QDir::setCurrent(Config.ResultsDir))
        return false;
    ResultsDirPath = Config.ResultsDir;
    if (!QFileInfo(QStringLiteral("Export")).isDir())
        createDirectory(QDir::current().filePath(QStringLiteral("Export")));
    return true;
}

QString OptionsLogic::dirEprExit()
{
    if (Config.ResultsDir == m_snapshot.ResultsDir)
        return Config.ResultsDir;
    makeResultsDirAbsolute();
    if (!checkStorable())
        return Config.ResultsDir;
    if (!isDirectory(Config.ResultsDir)) {
        if (!askYesNo(MsgKind::Warning, createQuestion(Config.ResultsDir))) {
            Config.ResultsDir = m_snapshot.ResultsDir;
            return Config.ResultsDir;
        }
        if (!createDirectory(Config.ResultsDir))
            return Config.ResultsDir;
    }
    if (!enterResultsDirectory()) {
        showError(QString::fromUtf8("Le répertoire %1 ne peut être ouvert : %2.")
                      .arg(QDir::toNativeSeparators(Config.ResultsDir), fileErrorText(EACCES)));
    }
    return Config.ResultsDir;
}

QString OptionsLogic::dialogStartDir(const QString &fieldText) const
{
    return isDirectory(fieldText) ? fieldText : Config.ProgramDir;
}

QString OptionsLogic::directoryDialogResult(const QString &chosen)
{
    if (chosen.isEmpty()) {
        Config.ResultsDir = m_snapshot.ResultsDir;
    } else if (!fitsRecordString(chosen, ConfigRecord::MaxDirLength)) {
        showWarning(directoryTooLongMessage(QString::fromUtf8("Le répertoire des données"), chosen));
        Config.ResultsDir = m_snapshot.ResultsDir;
    } else {
        Config.ResultsDir = chosen;
    }
    // The snapshot's directory may not exist yet (first start): "Accepter" offers
    // to create it then.
    if (isDirectory(Config.ResultsDir))
        enterResultsDirectory();
    return Config.ResultsDir;
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
    Config.PrintMarginCm = v;
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
    Config.PrintFontName = name;
    Config.PrintFontSize = pointSize;
    Config.PrintFontStyle = style;
    Config.PrintFontColor = colorBgr;
    return true;
}

void OptionsLogic::keyStopChange(const QString &text)
{
    Config.StopKeyText = text.left(10);
    m_error = -1;
    if (Config.StopKeyText.isEmpty()) {
        m_error = 2;
        return;
    }
    const StopKeyParse k = parseStopKeyText(Config.StopKeyText);
    if (k.ok)
        Config.StopKeyCode = k.code;
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
    if (!isDirectory(Config.ResultsDir)) {
        if (!askYesNo(MsgKind::Warning, createQuestion(Config.ResultsDir)))
            return Outcome::Stay;
        if (!createDirectory(Config.ResultsDir))
            return Outcome::Stay;
    }
    ResultsDirPath = Config.ResultsDir;
    if (!QDir::setCurrent(Config.ResultsDir)) {
        InternalError(208);
        return Outcome::Stay; // only when a test replaced the program's end
    }
    if (!QFileInfo(QStringLiteral("Export")).isDir())
        createDirectory(QDir::current().filePath(QStringLiteral("Export")));
    if (saveChecked)
        SaveConfiguration();
    return Outcome::Close;
}

QString OptionsLogic::annulerClick()
{
    // Back to the directory in force when the window opened (a directory entered
    // during this visit may be removed below), then remove what this visit created,
    // newest first and only while empty.
    if (!m_savedCurrentDir.isEmpty())
        QDir::setCurrent(m_savedCurrentDir);
    ResultsDirPath = m_savedResultsDirPath;
    for (qsizetype i = m_created.size() - 1; i >= 0; --i)
        QDir().rmdir(m_created.at(i));
    m_created.clear();
    Config = m_snapshot;
    m_error = -1;
    return Config.ResultsDir;
}

} // namespace zoka
