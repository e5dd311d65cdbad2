// SPDX-License-Identifier: GPL-3.0-or-later
// The 392-byte configuration record "Zoka.ini": bytes -> record -> bytes, in memory
// and through the files.
//
// Properties: no crash, no undefined behaviour, no leak; fewer than 392 bytes never
// parse; whatever parses is written back as the very same 392 bytes (every byte: the
// fields, the unused tails of the strings, the gaps and reserved areas, a margin that
// is not a number); reading the file agrees with reading the bytes, and writing the
// record read from a file gives that file's first 392 bytes again.

#include "fuzzcommon.h"

#include "shell/config.h"
#include "shell/configfile.h"

#include <QDir>

using namespace zoka;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray record = bytes.left(ConfigRecord::Size);

    ConfigRecord c;
    QString why;
    const bool parsed = configFromBytes(bytes, &c, &why);
    fuzz::check(parsed || !why.isEmpty(), "a refused record without a reason");
    fuzz::check(!(parsed && bytes.size() < ConfigRecord::Size), "a short record parsed");
    if (parsed) {
        QByteArray out;
        QString error;
        fuzz::check(configToBytes(c, &out, &error), "a record read cannot be written back", error);
        fuzz::check(out == record, "a record read and written back changed",
                    QString::fromLatin1(record.toHex()) + QStringLiteral("\n")
                        + QString::fromLatin1(out.toHex()));
    }

    const QString in = QDir(fuzz::scratchDir()).filePath(QStringLiteral("Zoka.ini"));
    const QString again = QDir(fuzz::scratchDir()).filePath(QStringLiteral("Zoka-copie.ini"));
    if (fuzz::writeScratch(QStringLiteral("Zoka.ini"), bytes).isEmpty())
        return 0;
    ConfigRecord fromFile;
    QString fileError;
    const bool read = readConfigFile(in, &fromFile, &fileError);
    fuzz::check(read == parsed, "the file and its bytes read differently", fileError);
    fuzz::check(read || fileError.contains(QStringLiteral("Zoka.ini")), "a file error that does not name the file",
                fileError);
    if (read) {
        QString writeError;
        fuzz::check(writeConfigFile(again, fromFile, &writeError), "a record read cannot be saved", writeError);
        fuzz::check(fuzz::readWhole(again) == record, "a record saved differs from the file it was read from");
    }
    fuzz::removeScratch(in);
    fuzz::removeScratch(again);
    fuzz::takeMessageCount();
    return 0;
}
