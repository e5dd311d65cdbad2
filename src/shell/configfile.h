// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "shell/config.h"
#include "shell/session.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace zoka {

// The configuration file "Zoka.ini": one 392-byte binary record (see config.h),
// read and written whole. Nothing here is ever cut silently: a directory that does
// not fit its 75-character field (or holds characters Windows-1252 cannot store) is
// refused with a French message.

inline const QString ConfigFileName = QStringLiteral("Zoka.ini");

// Byte layout of the record.
namespace configlayout {
constexpr int Version = 0, VersionMax = 15;
constexpr int ProgramDir = 92, ProgramDirMax = 75;
constexpr int ResultsDir = 168, ResultsDirMax = 75;
constexpr int PrintMarginCm = 248;
constexpr int StopKeyText = 256, StopKeyTextMax = 10;
constexpr int StopKeyCode = 268;
constexpr int PrintFontName = 272, PrintFontNameMax = 30;
constexpr int PrintFontSize = 304;
constexpr int PrintFontStyle = 308;
constexpr int PrintFontColor = 312;
// Bytes read by the version check of the migration (everything before ProgramDir).
constexpr int VersionCheckBytes = 92;
} // namespace configlayout

// PrintFontStyle bits.
enum PrintFontStyleBit : quint8 { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeOut = 8 };

// ---- The record's bytes -------------------------------------------------------

// True when `text` can be stored in a string field of at most `maxChars` characters:
// short enough and every character representable in Windows-1252. Otherwise false,
// with a French reason in *why (when given).
bool fitsRecordString(const QString &text, int maxChars, QString *why = nullptr);

// Message for a directory that cannot be stored in the record (too long or not
// representable); `what` names it, e.g. "Le répertoire des données".
QString directoryTooLongMessage(const QString &what, const QString &dir);

// Exactly 392 bytes: the reserved areas, gaps and the unused tail of each string
// field come from c.raw (zero in a record built from the defaults); the fields are
// written over them. Returns false (and leaves *out untouched) when a string does not
// fit its field; *error then says which one, in French.
bool configToBytes(const ConfigRecord &c, QByteArray *out, QString *error = nullptr);

// Parses the first 392 bytes of `bytes`. Fails with a French text when there are
// fewer bytes or a length byte exceeds its field (a damaged file).
bool configFromBytes(const QByteArray &bytes, ConfigRecord *out, QString *error = nullptr);

// The defaults of a first start with `programDir` as program directory:
// Version "4.0b", ResultsDir = programDir + "/Epreuves", margin 1.5 cm, stop key "ESC"
// (27), font "Courier New" 8 pt, no style, colour 1. The directory is kept whole,
// even when it is too long to be stored (see SetDefaultConfiguration).
ConfigRecord defaultConfigRecord(const QString &programDir);

// `dir` + "/Epreuves" (no doubled separator when `dir` ends with one).
QString defaultResultsDir(const QString &programDir);

// ---- Files ---------------------------------------------------------------------

// Reads one record from `path`. False with a French text (file missing, unreadable,
// shorter than 392 bytes, damaged) in *error.
bool readConfigFile(const QString &path, ConfigRecord *out, QString *error = nullptr);

// Writes `c` to `path` as exactly 392 bytes, replacing any previous file atomically
// (the old file stays whole if anything fails). False with a French text in *error.
bool writeConfigFile(const QString &path, const ConfigRecord &c, QString *error = nullptr);

// ---- Operations on the session's configuration ------------------------------------
// Each one reports its own failure in a message box (through messages()) before it
// returns false; the optional *error receives the same text. The options window they
// show is the session's services.showOptions (none: the step is skipped).

// Reads "Zoka.ini" of session.startDir into session.config. On failure the
// configuration is unchanged. Start-up then stops in its failure state.
bool ReadConfiguration(Session &session, QString *error = nullptr);

// First start (no "Zoka.ini"): the defaults with session.startDir as program
// directory, then the options window. When that directory cannot be
// stored in the record, a message says so at once (settings will not be saved) and
// the program runs on with the whole path in memory; returns false in that case only
// so the caller may note it (the configuration is usable either way).
bool SetDefaultConfiguration(Session &session);

// "Zoka.ini" exists in session.startDir: when its version is not ours, takes its
// settings (all but the results directory, which becomes ProgramDir/Epreuves, as does
// session.resultsDir), deletes it, shows the options window and goes on from
// ProgramDir (session.startDir := ProgramDir). *migrated tells whether a migration
// took place. False (message shown, file left alone) when the file is too short or
// unreadable, or ProgramDir is no directory.
bool MigrateConfiguration(Session &session, bool *migrated = nullptr);

// The whole configuration step of start-up: with a "Zoka.ini" in session.startDir,
// MigrateConfiguration and then ReadConfiguration; without one,
// SetDefaultConfiguration. When a migration's options were cancelled or not saved,
// no file exists to read: the migrated settings in memory are kept for this run (they
// are written at "Quitter"). False (message shown) when start-up must stop.
bool LoadConfigurationAtStartup(Session &session);

// Writes session.config to ProgramDir + "/Zoka.ini" (atomically, 392 bytes).
bool SaveConfiguration(const Session &session, QString *error = nullptr);

} // namespace zoka
