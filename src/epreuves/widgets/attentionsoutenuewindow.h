// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/attentionsoutenue.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "Attention soutenue": the character and the yellow mask over the same box in the
// middle of the white stage; the practice error sound.
class AttentionSoutenueWindow final : public TestWindow {
public:
    explicit AttentionSoutenueWindow(QWidget *parent = nullptr);

    int character() const { return m_character; }
    int mask() const { return m_mask; }
    SoundPlayer &errorPlayer() { return *m_errorPlayer; }

private:
    int m_character;
    int m_mask;
    std::unique_ptr<SoundPlayer> m_errorPlayer;
    AttentionSoutenueProgramme m_programme;
};

} // namespace zoka
