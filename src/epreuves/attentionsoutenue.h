// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/typeface.h"
#include "protocol/protocol.h"

#include <QRect>

namespace zoka {

class SoundPlayer;

// "Attention soutenue": letters, and now and then the digit 3, one after another in
// the same box, each after a yellow mask over that box. The engine times the mask
// and the character; this programme draws them, plays the practice error sound and
// writes each item as its character and its code.
class AttentionSoutenueProgramme final : public StimulusProgramme {
public:
    // The character and the mask: the same box of the stage.
    static constexpr QRect CharacterBox{325, 217, 150, 176};
    static constexpr quint32 MaskColour = 0xFFFFFF00; // pure yellow
    static constexpr quint32 TextColour = 0xFF000000;
    static inline const QString Face = QStringLiteral("Times New Roman");
    static inline const QString ErrorSoundFile = QStringLiteral("SonErr.wav");

    // Character height in stage pixels of a point size (96 pixels to the inch).
    static int pixelsOfPoints(int points) { return (points * 96 + 36) / 72; }

    // `caract` (a text element) and `mask` (a filled element) are elements of
    // `surface`; `errorSound` plays SonErr.wav; `faceCheck` (may be empty) says
    // whether the face can be drawn.
    AttentionSoutenueProgramme(StimulusSurface &surface, int character, int mask,
                               SoundPlayer &errorSound, FaceCheck faceCheck = {});

    bool begin(const RunSetup &setup) override;
    void prepare(int position) override;
    void present(int position) override;
    void withdraw(int position) override;
    void responded(int position) override;
    void maskPress(int position) override;
    QString itemLine(int position, qint64 value) const override;
    void end() override;

    // The character at a position of the run's stream (1-based); a null char outside.
    QChar character(int position) const;

private:
    void playError();

    StimulusSurface &m_surface;
    int m_character;
    int m_mask;
    SoundPlayer &m_errorSound;
    FaceCheck m_faceCheck;
    QString m_stream;
    int m_itemCount = 0;
    bool m_practice = false;
    bool m_soundUsable = false;
};

} // namespace zoka
