// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>

class QSaveFile;

namespace zoka {

// Every file the program rewrites whole (the configuration, the report file, a result
// file with its notes) goes through writeFileSafely.
//
// The bytes go to a new file beside the old one (QSaveFile); every write is checked,
// the data is flushed and synced to the disk before the new file takes the old one's
// name, and the directory is synced after the rename. When anything fails false is
// returned, with the system's error number in *errnoValue and in *error a French text
// naming the file and the cause (fileWriteErrorText); the old file is then left whole
// (or absent, as it was), unless only the sync of the directory after the rename
// failed: the new bytes are in place but may not survive a power cut.
// A name that is a symbolic link is refused (ELOOP, "Lien symbolique refusé"): the
// program never writes through a link planted where its files go.
bool writeFileSafely(const QString &path, const QByteArray &bytes, QString *error = nullptr,
                     int *errnoValue = nullptr);

// Every QSaveFile of the program opens and commits through these two: a final name that
// is a symbolic link is refused before the file is opened, after it was opened (QSaveFile
// itself would write to the link's target) and before the new file takes the name.
// False with the error number in *err (ELOOP for a link); the caller cancels.
bool openSaveFile(QSaveFile &file, QIODevice::OpenMode mode, int *err);
bool commitSaveFile(QSaveFile &file, int *err);

// True when `path` itself is a symbolic link (whether or not it leads anywhere).
bool isSymbolicLink(const QString &path);

// "Le fichier <path> ne peut être écrit : " + fileErrorText(err) + ".".
QString fileWriteErrorText(const QString &path, int err);

// True when a new file can be created in `dir` (a probe file is created there and
// removed at once). Otherwise false, with the system's error number in *errnoValue.
bool canCreateFileIn(const QString &dir, int *errnoValue = nullptr);

} // namespace zoka
