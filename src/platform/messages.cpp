// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/messages.h"

#include <QStringList>

namespace zoka {

namespace {
ScriptedMessageService fallback;
MessageService *current = nullptr;
}

MessageService &messages() { return current ? *current : fallback; }
void setMessageService(MessageService *service) { current = service; }

MsgAnswer showMessage(MsgKind kind, const QString &text, MsgButtons buttons)
{
    return messages().show(kind, text, buttons);
}
void showError(const QString &text) { showMessage(MsgKind::Error, text); }
void showWarning(const QString &text) { showMessage(MsgKind::Warning, text); }
void showInformation(const QString &text) { showMessage(MsgKind::Information, text); }
bool askYesNo(MsgKind kind, const QString &text)
{
    return showMessage(kind, text, MsgButtons::YesNo) == MsgAnswer::Yes;
}
bool askBeforeDestroying(MsgKind kind, const QString &text)
{
    return showMessage(kind, text, MsgButtons::YesNoDefaultNo) == MsgAnswer::Yes;
}

MsgAnswer ScriptedMessageService::show(MsgKind kind, const QString &text, MsgButtons buttons)
{
    MsgAnswer a = MsgAnswer::Ok;
    if (buttons != MsgButtons::Ok) {
        a = m_answers.isEmpty() ? m_default : m_answers.takeFirst();
        if (a == MsgAnswer::Ok)
            a = MsgAnswer::Yes;
    }
    m_shown.append({kind, text, buttons, a});
    return a;
}

QStringList ScriptedMessageService::texts() const
{
    QStringList out;
    for (const auto &m : m_shown)
        out << m.text;
    return out;
}

} // namespace zoka
