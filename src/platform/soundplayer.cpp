// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/soundplayer.h"

#include "platform/clock.h"
#include "platform/fileerrors.h"
#include "platform/messages.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>

namespace zoka {

namespace {

quint32 le32(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

quint16 le16(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<quint16>(b.constData() + at);
}

WaveInfo failed(const QString &why)
{
    WaveInfo w;
    w.error = why;
    return w;
}

} // namespace

WaveInfo parseWaveHeader(const QByteArray &b)
{
    const QString notWave = QStringLiteral("ce n'est pas un fichier son WAV");
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return failed(notWave);

    WaveInfo w;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= b.size()) {
        const QByteArray id = b.mid(at, 4);
        const quint32 size = le32(b, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > b.size())
                return failed(QStringLiteral("en-tête de format incomplet"));
            quint16 format = le16(b, body);
            w.channels = le16(b, body + 2);
            w.sampleRate = int(le32(b, body + 4));
            const quint16 blockAlign = le16(b, body + 12);
            w.bitsPerSample = le16(b, body + 14);
            if (format == 0xFFFE && size >= 40 && body + 26 <= b.size())
                format = le16(b, body + 24); // extensible: first two bytes of the sub-format
            if (format != 1)
                return failed(QStringLiteral("format compressé non pris en charge (seul le PCM l'est)"));
            if (w.channels < 1 || w.channels > 2)
                return failed(QStringLiteral("nombre de canaux non pris en charge"));
            if (w.bitsPerSample != 8 && w.bitsPerSample != 16 && w.bitsPerSample != 24
                && w.bitsPerSample != 32)
                return failed(QStringLiteral("résolution non prise en charge"));
            if (w.sampleRate < 1000 || w.sampleRate > 192000)
                return failed(QStringLiteral("fréquence d'échantillonnage non prise en charge"));
            if (blockAlign != w.channels * w.bitsPerSample / 8)
                return failed(QStringLiteral("en-tête de format incohérent"));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return failed(QStringLiteral("données avant l'en-tête de format"));
            // A data chunk cut short by a truncated file plays what is there.
            const qint64 available = qMin<qint64>(size, b.size() - body);
            const int blockAlign = w.channels * w.bitsPerSample / 8;
            w.frames = available / blockAlign;
            if (w.frames <= 0)
                return failed(QStringLiteral("le fichier ne contient aucun son"));
            w.durationMs = int((w.frames * 1000 + w.sampleRate - 1) / w.sampleRate);
            w.dataOffset = body;
            w.ok = true;
            return w;
        }
        at = body + qsizetype(size) + (size & 1);
    }
    return failed(haveFormat ? QStringLiteral("le fichier ne contient aucun son")
                             : QStringLiteral("en-tête de format absent"));
}

WaveInfo readWaveInfo(const QString &path)
{
    QFile f(path);
    if (!QFileInfo::exists(path))
        return failed(fileErrorPhrase(ENOENT));
    errno = 0;
    if (!f.open(QIODevice::ReadOnly))
        return failed(fileErrorPhrase(errno ? errno : EACCES));
    return parseWaveHeader(f.readAll());
}

QString soundFileErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("Le son « %1 » ne peut pas être joué : %2.\n\nFichier : %3")
        .arg(QFileInfo(path).fileName(), reason, QDir::toNativeSeparators(path));
}

QString soundPlaybackErrorText(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("Aucun fichier son n'est ouvert : le son ne peut pas être joué.");
    return QStringLiteral("Le son « %1 » ne peut pas être joué : erreur du système audio.\n\n"
                          "Fichier : %2")
        .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path));
}

bool checkSoundFile(const QString &path, WaveInfo *info)
{
    *info = readWaveInfo(path);
    if (!info->ok) {
        showError(soundFileErrorText(path, info->error));
        return false;
    }
    return true;
}

// --- FakeSoundPlayer ---

bool FakeSoundPlayer::open(const QString &path)
{
    calls << QStringLiteral("open ") + path;
    m_open = false;
    m_playing = false;
    m_file.clear();
    if (failOpen) {
        showError(soundFileErrorText(path, fileErrorPhrase(ENOENT)));
        return false;
    }
    if (checkFiles) {
        WaveInfo info;
        if (!checkSoundFile(path, &info))
            return false;
        m_duration = info.durationMs;
    }
    m_open = true;
    m_file = path;
    return true;
}

bool FakeSoundPlayer::play()
{
    calls << QStringLiteral("play");
    if (!m_open || failPlay) {
        showError(soundPlaybackErrorText(m_open ? m_file : QString()));
        return false;
    }
    m_playing = true;
    m_startTick = clock().tick();
    return true;
}

void FakeSoundPlayer::stop()
{
    calls << QStringLiteral("stop");
    m_playing = false;
}

void FakeSoundPlayer::rewind()
{
    calls << QStringLiteral("rewind");
}

bool FakeSoundPlayer::isPlaying() const
{
    if (!m_playing)
        return false;
    if (m_duration < 0)
        return true;
    return ticksBetween(m_startTick, clock().tick()) < quint32(m_duration);
}

void FakeSoundPlayer::close()
{
    calls << QStringLiteral("close");
    m_open = false;
    m_playing = false;
    m_file.clear();
}

} // namespace zoka

namespace zoka {

namespace {

// What a window gets when the program has no sound output at all: every open()
// says so, naming the file, so that a run that depends on a sound does not start.
class UnavailableSoundPlayer final : public SoundPlayer {
public:
    bool open(const QString &path) override
    {
        showError(soundFileErrorText(path, QStringLiteral("aucune sortie son n'est disponible")));
        return false;
    }
    bool play() override { return false; }
    void stop() override {}
    void rewind() override {}
    bool isPlaying() const override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    QString fileName() const override { return {}; }
    int durationMs() const override { return 0; }
};

SoundPlayerFactory &playerFactory()
{
    static SoundPlayerFactory factory;
    return factory;
}

} // namespace

void setSoundPlayerFactory(SoundPlayerFactory factory) { playerFactory() = std::move(factory); }

std::unique_ptr<SoundPlayer> makeSoundPlayer()
{
    if (const SoundPlayerFactory &f = playerFactory())
        return f();
    return std::make_unique<UnavailableSoundPlayer>();
}

} // namespace zoka
