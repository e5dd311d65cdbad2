// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/messages.h"

namespace zoka {

// The real message boxes: modal QMessageBox with the icon of the kind and French
// buttons (Qt's own French translation is loaded at start-up).
class QtMessageService final : public MessageService {
public:
    MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons) override;
};

} // namespace zoka
