// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

namespace zoka {

// Every message box of the program goes through the one MessageService in force:
// the real one shows a modal QMessageBox, the scripted one answers from a queue and
// keeps every text shown, for tests.
enum class MsgKind { Warning, Error, Information, Confirmation };
// The *DefaultNo buttons are those of every question whose "Oui" destroys or replaces
// data: "Non" is the default button, so that Return keeps the data.
enum class MsgButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo, YesNoCancelDefaultNo };
inline bool defaultIsNo(MsgButtons b) { return b == MsgButtons::YesNoDefaultNo || b == MsgButtons::YesNoCancelDefaultNo; }
enum class MsgAnswer { Ok, Yes, No, Cancel };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons) = 0;
};

// The service in force; there is always one (a ScriptedMessageService that answers
// Ok/Yes until the application installs the real one).
MessageService &messages();
// Installs `service` (not owned); nullptr puts the default back.
void setMessageService(MessageService *service);

// Shorthands.
MsgAnswer showMessage(MsgKind kind, const QString &text, MsgButtons buttons = MsgButtons::Ok);
void showError(const QString &text);
void showWarning(const QString &text);
void showInformation(const QString &text);
bool askYesNo(MsgKind kind, const QString &text); // true = Yes
// A question whose "Oui" destroys or replaces data: "Non" is the default button.
bool askBeforeDestroying(MsgKind kind, const QString &text); // true = Yes

struct ShownMessage {
    MsgKind kind;
    QString text;
    MsgButtons buttons;
    MsgAnswer answer;
};

class ScriptedMessageService final : public MessageService {
public:
    MsgAnswer show(MsgKind kind, const QString &text, MsgButtons buttons) override;

    // Answers given in order to the boxes that have buttons other than Ok. When the
    // queue is empty the default answer is used (Yes / Ok unless changed).
    void queue(MsgAnswer a) { m_answers.append(a); }
    void setDefaultAnswer(MsgAnswer a) { m_default = a; }
    const QList<ShownMessage> &shown() const { return m_shown; }
    QStringList texts() const;
    void clear()
    {
        m_shown.clear();
        m_answers.clear();
    }

private:
    QList<MsgAnswer> m_answers;
    QList<ShownMessage> m_shown;
    MsgAnswer m_default = MsgAnswer::Yes;
};

// Installs a scripted service for the lifetime of the object (tests).
class ScopedScriptedMessages {
public:
    ScopedScriptedMessages() { setMessageService(&service); }
    ~ScopedScriptedMessages() { setMessageService(nullptr); }
    ScriptedMessageService service;
};

} // namespace zoka
