// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/auditif.h"

namespace zoka {

PressKind AuditifProgramme::classifyPress(int, bool showing, QPoint) const
{
    if (m_tone.starting() || m_tone.failed())
        return PressKind::Ignored;
    return showing && m_tone.sounding() ? PressKind::Response : PressKind::Untimely;
}

} // namespace zoka
