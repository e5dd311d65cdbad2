// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// The date of the analysis is the day the report is made: the expected reports hold
// a placeholder there (see make_reports.py). Replaces that line's date and time.
QByteArray withPlaceholderDate(const QByteArray &report);

// A whole file's bytes; empty when it cannot be read.
QByteArray readAll(const QString &path);
