// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/attentionsoutenue.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "Attention soutenue": the character Caract and the yellow Mask over the same box
// in the middle of the white stage; the practice error sound MediaPlayer1.
class TFormTas final : public TestWindow {
public:
    explicit TFormTas(QWidget *parent = nullptr);

    int caract() const { return m_caract; }
    int mask() const { return m_mask; }
    SoundPlayer &mediaPlayer1() { return *m_mediaPlayer1; }

private:
    int m_caract;
    int m_mask;
    std::unique_ptr<SoundPlayer> m_mediaPlayer1;
    AttentionSoutenueProgramme m_programme;
};

} // namespace zoka
