// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/mixte.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "TR mixte": the black square Shape1 in the middle of the white stage, or the tone
// from MediaPlayer1.
class TFormTrm final : public TestWindow {
public:
    explicit TFormTrm(QWidget *parent = nullptr);

    int shape1() const { return m_shape1; }
    SoundPlayer &mediaPlayer1() { return *m_mediaPlayer1; }

private:
    int m_shape1;
    std::unique_ptr<SoundPlayer> m_mediaPlayer1;
    MixteProgramme m_programme;
};

} // namespace zoka
