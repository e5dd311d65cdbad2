// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/naming.h"

#include "battery/testtable.h"
#include "platform/cp1252.h"
#include "shell/maintexts.h"

#include <QDir>

namespace zoka {

QString buildResultFileName(const QString &patient, int testIndex, int fileItemCount, bool unlimited,
                            int speedIndex)
{
    const QString count = unlimited ? QString::number(EndlessCountInName) : QString::number(fileItemCount);
    QString name = patient + QLatin1Char('_') + count;
    if (speedInName(testIndex))
        name += QLatin1Char('-') + QString::number(speedIndex);
    if (testIndex >= 0 && testIndex < TestCount)
        name += QLatin1Char('.') + testEntryAt(testIndex)->extension;
    return name;
}

bool speedInName(int testIndex)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->speedInName();
}

int fileItemCountFor(int testIndex, int itemCount)
{
    const TestEntry *entry = testEntryAt(testIndex);
    return entry && entry->countInName > 0 ? entry->countInName : itemCount;
}

QString FileNameOfPath(const QString &path)
{
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString PatientOfFileName(const QString &name)
{
    const QString file = FileNameOfPath(name);
    const int u = file.indexOf(QLatin1Char('_'));
    return u < 0 ? QString() : file.left(u);
}

namespace {
// A decimal integer with nothing around it but blanks, as the count and speed are
// written.
bool parseDecimal(const QString &text, int *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (int i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-'))))
            return false;
    }
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (ok)
        *value = v;
    return ok;
}
} // namespace

ResultNameParts parseResultFileName(const QString &fileName)
{
    ResultNameParts r;
    const int d = fileName.indexOf(QLatin1Char('.'));  // -1: no "."
    r.extension = d < 0 ? fileName : fileName.mid(d + 1);
    r.testIndex = testIndexOfExtension(r.extension.toUpper());

    // Text between the first "_" and the first "." (from the start when there is no
    // "_", up to the end when there is no ".").
    const int u = fileName.indexOf(QLatin1Char('_'));
    const int end = d < 0 ? fileName.size() : d;
    QString between = end > u + 1 ? fileName.mid(u + 1, end - u - 1) : QString();
    const int dash = between.indexOf(QLatin1Char('-'));
    r.countText = dash >= 0 ? between.left(dash) : between;
    r.countValid = parseDecimal(r.countText, &r.count);
    if (!r.countValid)
        r.count = 0;

    // Speed: between the first "-" after the "_" and the first ".". (A patient name
    // may hold a "-", as in Jean-Pierre: it is not the speed's.)
    const int h = fileName.indexOf(QLatin1Char('-'), u + 1);
    if (h >= 0 && end > h + 1)
        r.speedText = fileName.mid(h + 1, end - h - 1);
    int s = -1;
    r.speedValid = parseDecimal(r.speedText, &s) && s >= 0 && s <= 2;
    r.speed = r.speedValid ? s : -1;
    return r;
}

int underscoreDotCut(const QString &name)
{
    int p = (name.indexOf(QLatin1Char('_')) + 1) + (name.indexOf(QLatin1Char('.')) + 1);
    if (p > name.size())
        p = 1;
    return p > 0 ? p - 1 : -1;
}

int forbiddenFileNameCharIndex(const QString &name)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.unicode() < 32 || c.unicode() == 127 || forbidden.contains(c) || c.category() == QChar::Other_Control)
            return i;
    }
    return -1;
}

namespace {
// 0-based position of the first character Windows-1252 cannot hold, -1 when none.
int firstNonCp1252Index(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const int width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, width);
        if (cp1252::decode(cp1252::encode(c)) != c)
            return i;
        i += width - 1;
    }
    return -1;
}

QString characterAt(const QString &text, int i)
{
    return text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
}
} // namespace

QString patientNameProblem(const QString &name)
{
    using namespace maintext;
    if (underscoreDotCut(name) >= 0)
        return NameBadChars;
    if (forbiddenFileNameCharIndex(name) >= 0)
        return NameForbiddenChars;
    if (name.size() > MaxPatientNameLength)
        return NameTooLong;
    const int bad = firstNonCp1252Index(name);
    if (bad >= 0)
        return QStringLiteral("Le nom du patient « %1 » contient le caractère « %2 », que les fichiers "
                              "de résultats ne peuvent enregistrer.")
            .arg(name, characterAt(name, bad));
    return QString();
}

QString resultFileNameProblem(const QString &fileName)
{
    QString why;
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\'))
        || fileName.contains(QStringLiteral("..")) || fileName == QStringLiteral(".")
        || QDir::isAbsolutePath(fileName)) {
        why = QStringLiteral("il désignerait un fichier hors du répertoire des résultats");
    } else {
        const int bad = firstNonCp1252Index(fileName);
        if (bad >= 0)
            why = QStringLiteral("le caractère « %1 » ne peut y être enregistré").arg(characterAt(fileName, bad));
    }
    if (why.isEmpty())
        return QString();
    return QStringLiteral("Le fichier de résultats « %1 » ne peut être créé : %2.\r"
                          "La passation n'est pas lancée.")
        .arg(fileName, why);
}

} // namespace zoka
