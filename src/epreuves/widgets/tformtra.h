// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/auditif.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "TR auditif": nothing on the screen (the dialog face colour), the tone from
// MediaPlayer1.
class TFormTra final : public TestWindow {
public:
    explicit TFormTra(QWidget *parent = nullptr);

    SoundPlayer &mediaPlayer1() { return *m_mediaPlayer1; }

private:
    std::unique_ptr<SoundPlayer> m_mediaPlayer1;
    AuditifProgramme m_programme;
};

} // namespace zoka
