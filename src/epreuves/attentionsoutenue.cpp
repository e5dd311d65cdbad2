// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/attentionsoutenue.h"

#include "battery/series.h"
#include "platform/messages.h"
#include "platform/soundplayer.h"

namespace zoka {

AttentionSoutenueProgramme::AttentionSoutenueProgramme(StimulusSurface &surface, int character,
                                                       int mask, SoundPlayer &errorSound,
                                                       FaceCheck faceCheck)
    : m_surface(surface), m_character(character), m_mask(mask), m_errorSound(errorSound),
      m_faceCheck(std::move(faceCheck))
{
}

bool AttentionSoutenueProgramme::begin(const RunSetup &setup)
{
    m_stream = setup.stimulusSeries;
    m_itemCount = setup.itemCount;
    m_practice = setup.practice;
    m_soundUsable = false;
    m_surface.setShown(m_character, false);
    m_surface.setShown(m_mask, false);
    m_surface.moveTo(m_character, CharacterBox.left(), CharacterBox.top());
    m_surface.moveTo(m_mask, CharacterBox.left(), CharacterBox.top());
    m_surface.drawNow();

    // Every item needs its character: a run never goes past its stream.
    if (m_itemCount < 1 || m_itemCount > m_stream.size()) {
        showError(QStringLiteral("La série de caractères de l'épreuve « Attention soutenue » "
                                 "compte %1 caractères ; une passation de %2 items est "
                                 "impossible.\nAucun fichier de résultats n'a été écrit.")
                      .arg(m_stream.size())
                      .arg(m_itemCount));
        return false;
    }
    if (m_faceCheck && !m_faceCheck(Face)) {
        showError(missingFaceText(Face));
        return false;
    }
    // The player reports a missing or unreadable sound itself.
    if (!m_errorSound.open(setup.dataFile(ErrorSoundFile)))
        return false;
    m_soundUsable = true;
    return true;
}

QChar AttentionSoutenueProgramme::character(int position) const
{
    return position >= 1 && position <= m_stream.size() ? m_stream.at(position - 1) : QChar();
}

// The mask goes up over the box and the character waits under it.
void AttentionSoutenueProgramme::prepare(int position)
{
    m_surface.setShown(m_character, false);
    m_surface.setText(m_character, QString(character(position)));
    m_surface.setFont(m_character, Face, pixelsOfPoints(sustainedCharacterPoints(position)), false);
    m_surface.setShown(m_mask, true);
    m_surface.drawNow();
}

void AttentionSoutenueProgramme::present(int)
{
    m_surface.setShown(m_mask, false);
    m_surface.setShown(m_character, true);
    m_surface.drawNow();
}

// The character goes; unless it was the last, the next mask takes its place in the
// same drawing (prepare), so that the box never shows white between the two.
void AttentionSoutenueProgramme::withdraw(int position)
{
    m_surface.setShown(m_character, false);
    if (position >= m_itemCount)
        m_surface.drawNow();
}

void AttentionSoutenueProgramme::responded(int position)
{
    if (m_practice && character(position) == QLatin1Char('3'))
        playError();
}

void AttentionSoutenueProgramme::maskPress(int)
{
    if (m_practice)
        playError();
}

QString AttentionSoutenueProgramme::itemLine(int position, qint64 value) const
{
    return QString(character(position)) + QLatin1Char(' ') + QString::number(value);
}

// The window is used again for the next run: nothing of this one (a mask or a
// character left up by the stop key) may show when it comes up.
void AttentionSoutenueProgramme::end()
{
    m_surface.setShown(m_character, false);
    m_surface.setShown(m_mask, false);
    m_soundUsable = false;
    m_errorSound.close();
}

// The sound starts again from its beginning at every error. A sound that cannot be
// played has been reported once; the run goes on without it.
void AttentionSoutenueProgramme::playError()
{
    if (!m_soundUsable)
        return;
    m_errorSound.rewind();
    if (!m_errorSound.play())
        m_soundUsable = false;
}

} // namespace zoka
