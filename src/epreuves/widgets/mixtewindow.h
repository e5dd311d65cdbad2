// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/mixte.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "TR mixte": the black square in the middle of the white stage, or the tone from
// its player.
class MixteWindow final : public TestWindow {
public:
    explicit MixteWindow(QWidget *parent = nullptr);

    int square() const { return m_square; }
    SoundPlayer &tonePlayer() { return *m_tonePlayer; }

private:
    int m_square;
    std::unique_ptr<SoundPlayer> m_tonePlayer;
    MixteProgramme m_programme;
};

} // namespace zoka
