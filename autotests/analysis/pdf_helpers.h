// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// What poppler's tools read in a PDF file (pdfinfo, pdftotext, pdffonts).

// Number of pages; -1 when the file is not a readable PDF.
int pdfPageCount(const QString &path);

// Size of the first page in points ("595 x 842"), empty when unknown.
QString pdfPageSize(const QString &path);

// The text lines of page `page` (1-based), in their printed order, blank lines left
// out and runs of blanks made one.
QStringList pdfPageLines(const QString &path, int page);

// Fonts of the file that are not embedded (empty when every font is).
QStringList pdfFontsNotEmbedded(const QString &path);

// A report or notes line as pdfPageLines gives it (blanks simplified).
QString simplifiedLine(const QString &line);
