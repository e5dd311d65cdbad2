// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/widgets/qtmessageservice.h"

#include <QApplication>
#include <QMessageBox>

namespace zoka {

MsgAnswer QtMessageService::show(MsgKind kind, const QString &text, MsgButtons buttons)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case MsgKind::Warning: icon = QMessageBox::Warning; break;
    case MsgKind::Error: icon = QMessageBox::Critical; break;
    case MsgKind::Information: icon = QMessageBox::Information; break;
    case MsgKind::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox::StandardButtons std = QMessageBox::Ok;
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo)
        std = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MsgButtons::YesNoCancel || buttons == MsgButtons::YesNoCancelDefaultNo)
        std = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

    QMessageBox box(icon, QApplication::applicationDisplayName(), text, std, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    // The text can be selected and copied (notes that could not be saved, a path).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (defaultIsNo(buttons)) {
        // Return keeps the data: "Non" is the default, and has the focus.
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(buttons == MsgButtons::YesNoDefaultNo ? QMessageBox::No : QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
}

} // namespace zoka
