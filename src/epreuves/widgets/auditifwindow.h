// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/auditif.h"
#include "epreuves/widgets/testwindow.h"
#include "platform/soundplayer.h"

#include <memory>

namespace zoka {

// "TR auditif": nothing on the screen (the dialog face colour), the tone from its
// player.
class AuditifWindow final : public TestWindow {
public:
    explicit AuditifWindow(QWidget *parent = nullptr);

    SoundPlayer &tonePlayer() { return *m_tonePlayer; }

private:
    std::unique_ptr<SoundPlayer> m_tonePlayer;
    AuditifProgramme m_programme;
};

} // namespace zoka
