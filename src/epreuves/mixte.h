// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/tone.h"
#include "epreuves/visuelcentre.h"

namespace zoka {

// "TR mixte": each item is the black square of "TR visuel centré" or the low tone of
// "TR auditif", in a fixed order (RunSetup::stimulusSeries, "V" square, "A" tone;
// the test run starts at item 0, practice at item 1). Both are answered by a press
// while the item is up, for its whole response window: a press after a short tone
// has ended still answers it.
class MixteProgramme final : public StimulusProgramme {
public:
    static constexpr QRect SquareBox = VisuelCentreProgramme::SquareBox;

    MixteProgramme(StimulusSurface &surface, int square, SoundPlayer &player)
        : m_surface(surface), m_square(square), m_tone(player)
    {
    }

    bool begin(const RunSetup &setup) override;
    int firstPosition() const override { return m_first; }
    void present(int position) override;
    void withdraw(int position) override;
    // The tone's tick is read at its play command; the square's once it is drawn.
    bool onsetBeforePresent(int position) const override { return auditory(position); }
    bool presentFailed(int position) const override { return auditory(position) && m_tone.failed(); }
    PressKind classifyPress(int position, bool showing, QPoint stagePos) const override;
    bool timeoutEndsItem(int) const override { return !m_tone.starting(); }
    void fillTiming(RunTiming &timing) const override { m_tone.fillTiming(timing); }
    void end() override;

    // Whether item `position` of this run is a tone.
    bool auditory(int position) const;

private:
    StimulusSurface &m_surface;
    int m_square;
    ToneStimulus m_tone;
    QString m_series;
    int m_first = 1;
};

} // namespace zoka
