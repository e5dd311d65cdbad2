// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/mixte.h"

#include "platform/messages.h"

namespace zoka {

bool MixteProgramme::begin(const RunSetup &setup)
{
    m_surface.moveTo(m_square, SquareBox.left(), SquareBox.top());
    m_surface.setShown(m_square, false);
    m_surface.drawNow();
    m_series = setup.stimulusSeries;
    m_first = setup.practice ? 1 : 0;
    // Every item of the run needs its letter: positions m_first..itemCount.
    const qsizetype needed = setup.itemCount + 1 - m_first;
    bool valid = m_series.size() >= needed;
    for (qsizetype i = 0; valid && i < needed; ++i)
        valid = m_series[i] == u'V' || m_series[i] == u'A';
    if (!valid) {
        showError(QStringLiteral("La suite des stimuli de l'épreuve « TR mixte » ne convient pas à "
                                 "cette passation de %1 items.\nAucun fichier de résultats n'a été écrit.")
                      .arg(needed));
        return false;
    }
    return m_tone.open(setup);
}

bool MixteProgramme::auditory(int position) const
{
    const qsizetype i = position - m_first;
    return i >= 0 && i < m_series.size() && m_series[i] == u'A';
}

void MixteProgramme::present(int position)
{
    if (auditory(position)) {
        m_tone.start();
        return;
    }
    m_surface.setShown(m_square, true);
    m_surface.drawNow();
}

void MixteProgramme::withdraw(int position)
{
    if (auditory(position)) {
        m_tone.stop();
        return;
    }
    m_surface.setShown(m_square, false);
    m_surface.drawNow();
}

PressKind MixteProgramme::classifyPress(int, bool showing, QPoint) const
{
    if (m_tone.starting() || m_tone.failed())
        return PressKind::Ignored;
    return showing ? PressKind::Response : PressKind::Untimely;
}

void MixteProgramme::end()
{
    m_tone.close();
    m_surface.setShown(m_square, false);
}

} // namespace zoka
