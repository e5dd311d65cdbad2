// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/configfile.h"

#include "platform/fileerrors.h"
#include "platform/safewrite.h"

#include "platform/cp1252.h"
#include "platform/messages.h"
#include "battery/testtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstring>

namespace zoka {

namespace L = configlayout;

namespace {

void runOptionsWindow(const Session &session)
{
    if (session.services.showOptions)
        session.services.showOptions();
}

void putString(QByteArray &rec, int offset, int maxChars, const QByteArray &chars)
{
    rec[offset] = char(quint8(chars.size()));
    std::memcpy(rec.data() + offset + 1, chars.constData(), size_t(chars.size()));
    // The rest of the field keeps what stood there (zero from the defaults).
    Q_UNUSED(maxChars);
}

bool getString(const QByteArray &rec, int offset, int maxChars, QString *out)
{
    const int len = quint8(rec.at(offset));
    if (len > maxChars)
        return false;
    *out = cp1252::decode(rec.mid(offset + 1, len));
    return true;
}

template <typename T> void putLE(QByteArray &rec, int offset, T v)
{
    qToLittleEndian<T>(v, rec.data() + offset);
}

template <typename T> T getLE(const QByteArray &rec, int offset)
{
    return qFromLittleEndian<T>(rec.constData() + offset);
}

QString setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return text;
}

QString configPathText(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool fitsRecordString(const QString &text, int maxChars, QString *why)
{
    if (text.size() > maxChars) {
        if (why)
            *why = QString::fromUtf8("trop long : %1 caractères pour %2 au plus")
                       .arg(text.size())
                       .arg(maxChars);
        return false;
    }
    if (cp1252::decode(cp1252::encode(text)) != text) {
        if (why)
            *why = QString::fromUtf8("caractères impossibles à enregistrer");
        return false;
    }
    return true;
}

QString directoryTooLongMessage(const QString &what, const QString &dir)
{
    QString why;
    fitsRecordString(dir, ConfigRecord::MaxDirLength, &why);
    return QString::fromUtf8("%1 « %2 » ne peut être enregistré dans la configuration (%3).\r"
                             "Choisissez un répertoire dont le chemin est plus court.")
        .arg(what, dir, why);
}

bool configToBytes(const ConfigRecord &c, QByteArray *out, QString *error)
{
    struct Field {
        const QString &text;
        int offset;
        int max;
        const char *name;
    };
    const Field fields[] = {
        {c.Version, L::Version, L::VersionMax, "la version"},
        {c.ProgramDir, L::ProgramDir, L::ProgramDirMax, "le répertoire du programme"},
        {c.ResultsDir, L::ResultsDir, L::ResultsDirMax, "le répertoire des données"},
        {c.StopKeyText, L::StopKeyText, L::StopKeyTextMax, "la touche d'arrêt"},
        {c.PrintFontName, L::PrintFontName, L::PrintFontNameMax, "le nom de la police"},
    };

    QByteArray rec = c.raw;
    rec.resize(ConfigRecord::Size, '\0');
    for (const Field &f : fields) {
        QString why;
        if (!fitsRecordString(f.text, f.max, &why)) {
            setError(error, QString::fromUtf8("impossible d'enregistrer %1 « %2 » (%3).")
                                .arg(QString::fromUtf8(f.name), f.text, why));
            return false;
        }
        putString(rec, f.offset, f.max, cp1252::encode(f.text));
    }
    putLE<double>(rec, L::PrintMarginCm, c.PrintMarginCm);
    putLE<qint32>(rec, L::StopKeyCode, c.StopKeyCode);
    putLE<qint32>(rec, L::PrintFontSize, c.PrintFontSize);
    rec[L::PrintFontStyle] = char(c.PrintFontStyle);
    putLE<qint32>(rec, L::PrintFontColor, c.PrintFontColor);
    *out = rec;
    return true;
}

bool configFromBytes(const QByteArray &bytes, ConfigRecord *out, QString *error)
{
    if (bytes.size() < ConfigRecord::Size) {
        setError(error, QString::fromUtf8("le fichier ne compte que %1 octets au lieu de %2")
                            .arg(bytes.size())
                            .arg(ConfigRecord::Size));
        return false;
    }
    const QByteArray rec = bytes.left(ConfigRecord::Size);
    ConfigRecord c;
    c.raw = rec;
    const bool ok = getString(rec, L::Version, L::VersionMax, &c.Version)
        && getString(rec, L::ProgramDir, L::ProgramDirMax, &c.ProgramDir)
        && getString(rec, L::ResultsDir, L::ResultsDirMax, &c.ResultsDir)
        && getString(rec, L::StopKeyText, L::StopKeyTextMax, &c.StopKeyText)
        && getString(rec, L::PrintFontName, L::PrintFontNameMax, &c.PrintFontName);
    if (!ok) {
        setError(error, QString::fromUtf8("le contenu du fichier est endommagé"));
        return false;
    }
    c.PrintMarginCm = getLE<double>(rec, L::PrintMarginCm);
    c.StopKeyCode = getLE<qint32>(rec, L::StopKeyCode);
    c.PrintFontSize = getLE<qint32>(rec, L::PrintFontSize);
    c.PrintFontStyle = quint8(rec.at(L::PrintFontStyle));
    c.PrintFontColor = getLE<qint32>(rec, L::PrintFontColor);
    *out = c;
    return true;
}

QString defaultResultsDir(const QString &programDir)
{
    if (programDir.endsWith(u'/'))
        return programDir + QStringLiteral("Epreuves");
    return programDir + QStringLiteral("/Epreuves");
}

ConfigRecord defaultConfigRecord(const QString &programDir)
{
    ConfigRecord c;
    c.Version = ProgramVersion;
    c.ProgramDir = programDir;
    c.ResultsDir = defaultResultsDir(programDir);
    c.StopKeyText = QStringLiteral("ESC");
    c.StopKeyCode = 27;
    c.PrintMarginCm = 1.5;
    c.PrintFontName = QStringLiteral("Courier New");
    c.PrintFontSize = 8;
    c.PrintFontStyle = 0;
    c.PrintFontColor = 1;
    return c;
}

bool readConfigFile(const QString &path, ConfigRecord *out, QString *error)
{
    const QString head = QString::fromUtf8("Le fichier de configuration %1 ne peut être lu : ")
                             .arg(configPathText(path));
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) {
        const int err = errno;
        setError(error, head + fileErrorText(err ? err : (QFile::exists(path) ? EACCES : ENOENT))
                            + QLatin1Char('.'));
        return false;
    }
    errno = 0;
    const QByteArray bytes = f.read(ConfigRecord::Size);
    if (f.error() != QFileDevice::NoError) {
        setError(error, head + fileErrorText(errno ? errno : EIO) + QLatin1Char('.'));
        return false;
    }
    QString why;
    if (!configFromBytes(bytes, out, &why)) {
        setError(error, head + why + QLatin1Char('.'));
        return false;
    }
    return true;
}

bool writeConfigFile(const QString &path, const ConfigRecord &c, QString *error)
{
    const QString head = QString::fromUtf8("Le fichier de configuration %1 ne peut être écrit : ")
                             .arg(configPathText(path));
    QByteArray bytes;
    QString why;
    if (!configToBytes(c, &bytes, &why)) {
        setError(error, head + why);
        return false;
    }
    int err = 0;
    if (!writeFileSafely(path, bytes, nullptr, &err)) {
        setError(error, head + fileErrorText(err) + QLatin1Char('.'));
        return false;
    }
    return true;
}

bool ReadConfiguration(Session &session, QString *error)
{
    ConfigRecord c;
    QString text;
    if (!readConfigFile(QDir(session.startDir).filePath(ConfigFileName), &c, &text)) {
        setError(error, text);
        showError(text);
        return false;
    }
    session.config = c;
    return true;
}

bool SetDefaultConfiguration(Session &session)
{
    const QString dir = session.startDir;
    session.config = defaultConfigRecord(dir);
    bool storable = fitsRecordString(dir, ConfigRecord::MaxDirLength);
    if (!storable) {
        showError(directoryTooLongMessage(QString::fromUtf8("Le répertoire du programme"), dir)
                  + QString::fromUtf8("\rZOKA fonctionnera pendant cette séance, mais ses réglages "
                                      "ne pourront pas être enregistrés."));
    }
    runOptionsWindow(session);
    return storable;
}

bool MigrateConfiguration(Session &session, bool *migrated)
{
    if (migrated)
        *migrated = false;
    ConfigRecord &config = session.config;
    const QString path = QDir(session.startDir).filePath(ConfigFileName);
    const QString head = QString::fromUtf8("Le fichier de configuration %1 ne peut être lu : ")
                             .arg(configPathText(path));
    QFile f(path);
    errno = 0;
    if (!f.open(QIODevice::ReadOnly)) {
        const int err = errno;
        showError(head + fileErrorText(err ? err : EACCES) + QLatin1Char('.'));
        return false;
    }
    const QByteArray start = f.read(L::VersionCheckBytes);
    QString version;
    if (start.size() < L::VersionCheckBytes) {
        showError(head + QString::fromUtf8("le fichier ne compte que %1 octets au lieu de %2.")
                             .arg(start.size())
                             .arg(ConfigRecord::Size));
        return false;
    }
    if (!getString(start, L::Version, L::VersionMax, &version)) {
        showError(head + QString::fromUtf8("le contenu du fichier est endommagé."));
        return false;
    }
    if (version == ProgramVersion)
        return true;

    // Another version: read the whole record, then delete the file.
    f.seek(0);
    const QByteArray bytes = f.read(ConfigRecord::Size);
    f.close();
    ConfigRecord old;
    QString why;
    if (!configFromBytes(bytes, &old, &why)) {
        showError(head + why + QLatin1Char('.'));
        return false;
    }
    errno = 0;
    if (!QFile::remove(path)) {
        const int err = errno;
        showError(QString::fromUtf8("Le fichier de configuration %1 ne peut être supprimé : %2.")
                      .arg(configPathText(path), fileErrorText(err ? err : EACCES)));
    }

    config.ProgramDir = old.ProgramDir;
    if (!QFileInfo(old.ProgramDir).isDir()) {
        // An installation moved since (or a path of another system): the program
        // runs from the directory it started in.
        config.ProgramDir = session.startDir;
        showWarning(QString::fromUtf8("Le répertoire du programme « %1 » de l'ancienne configuration n'existe pas ;\r"
                                      "le répertoire « %2 » est pris à sa place.")
                        .arg(old.ProgramDir, QDir::toNativeSeparators(config.ProgramDir)));
    }
    config.StopKeyText = old.StopKeyText;
    config.StopKeyCode = old.StopKeyCode;
    config.PrintMarginCm = old.PrintMarginCm;
    config.PrintFontName = old.PrintFontName;
    config.PrintFontSize = old.PrintFontSize;
    config.PrintFontStyle = old.PrintFontStyle;
    config.PrintFontColor = old.PrintFontColor;
    config.ResultsDir = defaultResultsDir(config.ProgramDir);
    session.resultsDir = config.ResultsDir;
    if (migrated)
        *migrated = true;

    runOptionsWindow(session);

    // The program goes on from its program directory: "Zoka.ini" is read there.
    if (!QFileInfo(config.ProgramDir).isDir()) {
        showError(QString::fromUtf8("Le répertoire du programme « %1 » est introuvable.")
                      .arg(QDir::toNativeSeparators(config.ProgramDir)));
        return false;
    }
    session.startDir = QFileInfo(config.ProgramDir).absoluteFilePath();
    return true;
}

bool LoadConfigurationAtStartup(Session &session)
{
    if (!QFileInfo::exists(QDir(session.startDir).filePath(ConfigFileName))) {
        SetDefaultConfiguration(session);
        return true;
    }
    bool migrated = false;
    if (!MigrateConfiguration(session, &migrated))
        return false;
    if (migrated && !QFileInfo::exists(QDir(session.startDir).filePath(ConfigFileName)))
        return true; // not saved in the options: keep the migrated settings for this run
    return ReadConfiguration(session);
}

bool SaveConfiguration(const Session &session, QString *error)
{
    QString text;
    if (!writeConfigFile(session.programFile(ConfigFileName), session.config, &text)) {
        setError(error, text);
        showError(text);
        return false;
    }
    return true;
}

} // namespace zoka
