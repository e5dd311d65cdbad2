// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/tone.h"

namespace zoka {

// "TR auditif": after a foreperiod of 1 to 7 s the low tone sounds; nothing is
// shown. A press answers the item only while its tone is sounding; once a tone has
// ended by itself (a tone file shorter than the response window) a press is
// untimely, and the item still ends at the time-out with the omission value.
class AuditifProgramme final : public StimulusProgramme {
public:
    explicit AuditifProgramme(SoundPlayer &player) : m_tone(player) {}

    bool begin(const RunSetup &setup) override { return m_tone.open(setup); }
    void present(int) override { m_tone.start(); }
    void withdraw(int) override { m_tone.stop(); }
    bool onsetBeforePresent(int) const override { return true; }
    bool presentFailed(int) const override { return m_tone.failed(); }
    PressKind classifyPress(int position, bool showing, QPoint stagePos) const override;
    bool timeoutEndsItem(int) const override { return !m_tone.starting(); }
    void fillTiming(RunTiming &timing) const override { m_tone.fillTiming(timing); }
    void end() override { m_tone.close(); }

private:
    ToneStimulus m_tone;
};

} // namespace zoka
