// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/reportwriter.h"

#include <QDir>

#include "analysis/stats.h"
#include "platform/cp1252.h"
#include "platform/fileerrors.h"
#include "platform/safewrite.h"

#include <QFile>
#include <QLocale>

namespace zoka {

void ReportWriter::line(const QString &text)
{
    m_bytes += cp1252::encode(text);
    m_bytes += "\r\n";
}

QString ReportWriter::text() const { return cp1252::decode(m_bytes); }

QString fmtInt(qint64 v) { return QString::number(v); }

QString fmtInt(qint64 v, int width) { return QString::number(v).rightJustified(width, u' '); }

namespace {
QChar g_separatorOverride;

QString fixed(double v, int decimals)
{
    QString s = QString::number(v, 'f', decimals);
    // A tiny negative value must not show as "-0.0".
    if (s.startsWith(u'-')) {
        bool allZero = true;
        for (int i = 1; i < s.size(); ++i)
            if (s.at(i).isDigit() && s.at(i) != u'0')
                allZero = false;
        if (allZero)
            s.remove(0, 1);
    }
    return s;
}
} // namespace

QChar decimalSeparator()
{
    if (!g_separatorOverride.isNull())
        return g_separatorOverride;
    const QString sep = QLocale().decimalPoint();
    return sep.isEmpty() ? QChar(u'.') : sep.at(0);
}

void setDecimalSeparatorOverride(QChar sep) { g_separatorOverride = sep; }

static QString regional(double v, int decimals)
{
    QString s = fixed(v, decimals);
    const QChar sep = decimalSeparator();
    if (sep != u'.')
        s.replace(u'.', sep);
    return s;
}

QString fmtF1(double v) { return regional(v, 1); }
QString fmtF2(double v) { return regional(v, 2); }

QString fmtR(double v, int width, int decimals)
{
    return fixed(v, decimals).rightJustified(width, u' ');
}

QString figuresText(const Stats &s)
{
    return fmtF1(s.median) + QStringLiteral("  &  ") + fmtF2(s.sd) + QStringLiteral("  [ ")
        + fmtF2(s.mean) + QStringLiteral(" ]");
}

QString bannerLine(const QString &version)
{
    return (QStringLiteral("0      BATTERIE ATTENTION TESSARO (ZOKA) v") + version).left(63);
}

QString reportDateText(const QDateTime &when)
{
    const QDateTime t = when.isValid() ? when : QDateTime::currentDateTime();
    return QLocale().toString(t.date(), QLocale::ShortFormat);
}

QString reportTimeText(const QDateTime &when)
{
    const QDateTime t = when.isValid() ? when : QDateTime::currentDateTime();
    // The long time format without its time-zone name ("t"), as the time of the
    // administration in the result file's header is written.
    const QLocale locale;
    const QString full = locale.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    for (const QChar c : full) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        format += c;
    }
    return locale.toString(t.time(), format.trimmed());
}

QString reportFilePath(const QString &programDir) { return QDir(programDir).filePath(QStringLiteral("AnaTemp.txt")); }

bool writeReportFile(const QString &programDir, const QByteArray &bytes, QString *error)
{
    int err = 0;
    const QString path = reportFilePath(programDir);
    if (!writeFileSafely(path, bytes, nullptr, &err)) {
        if (error)
            *error = QStringLiteral("Erreur d'écriture du fichier de résultats d'analyse %1 : %2")
                         .arg(path, fileErrorText(err));
        return false;
    }
    return true;
}

} // namespace zoka
