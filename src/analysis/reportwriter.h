// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace zoka {

struct Stats;

// The report ("AnaTemp.txt"): Windows-1252 text, CR LF after every line. It is built
// in memory; the analysis window writes it to the program directory after every
// change (writeReportFile), the command-line tool prints the same bytes.
class ReportWriter {
public:
    void clear() { m_bytes.clear(); }   // a new report replaces the previous one
    void line(const QString &text = QString());
    const QByteArray &bytes() const { return m_bytes; }
    QString text() const;               // decoded, for the Data memo
    bool isEmpty() const { return m_bytes.isEmpty(); }

private:
    QByteArray m_bytes;
};

// Number notations of the report.
QString fmtInt(qint64 v);             // int
QString fmtInt(qint64 v, int width);  // int:w, right-aligned, wider numbers whole
QString fmtF1(double v);              // one decimal, regional decimal separator
QString fmtF2(double v);              // two decimals, regional decimal separator
QString fmtR(double v, int width, int decimals); // point separator, right-aligned

// Decimal separator of F1/F2: that of the default locale (QLocale()) unless overridden
// (tests).
QChar decimalSeparator();
void setDecimalSeparatorOverride(QChar sep); // QChar() = back to the locale's

// median:F1 + "  &  " + SD:F2 + "  [ " + mean:F2 + " ]"
QString figuresText(const Stats &s);

// "0      BATTERIE ATTENTION TESSARO (ZOKA) v" + version, cut at 63 characters.
QString bannerLine(const QString &version);

// Date and time of "Analyse du fichier le " + date + " à " + time: the short date
// and long time (without its time-zone name) of the default locale (QLocale(), the
// system's unless the program set another). An invalid `when` stands for now.
QString reportDateText(const QDateTime &when);
QString reportTimeText(const QDateTime &when);

// programDir + "/AnaTemp.txt".
QString reportFilePath(const QString &programDir);

// Writes `bytes` over the report file of `programDir`. On failure returns false and
// puts a French message in `error`.
bool writeReportFile(const QString &programDir, const QByteArray &bytes, QString *error = nullptr);

} // namespace zoka
