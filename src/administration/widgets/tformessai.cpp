// SPDX-License-Identifier: GPL-3.0-or-later
#include "administration/widgets/tformessai.h"

#include "administration/widgets/responserule.h"
#include "platform/messages.h"
#include "platform/widgets/soundplayer_qt.h"
#include "battery/testtable.h"
#include "shell/widgets/windows.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include "platform/widgets/centredpage.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace zoka {

TFormEssai::TFormEssai(Session &session, QWidget *parent) : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("FormEssai"));
    setWindowTitle(QStringLiteral("FormEssai"));
    resize(544, 375);
    setModal(true);
    QFont base = font();
    base.setPointSize(8);
    setFont(base);
    QWidget *page = makeCentredPage(this);

    titleLabel = new QLabel(page);
    titleLabel->setObjectName(QStringLiteral("titleLabel"));
    titleLabel->setGeometry(216, 88, 353, 41);
    titleLabel->setAlignment(Qt::AlignCenter);
    QFont titleFont = base;
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);

    instructionsText = new QTextEdit(page);
    instructionsText->setObjectName(QStringLiteral("instructionsText"));
    instructionsText->setGeometry(158, 168, 469, 265);
    instructionsText->setReadOnly(true);
    instructionsText->setEnabled(false);
    instructionsText->setFocusPolicy(Qt::NoFocus);
    instructionsText->setCursor(Qt::ForbiddenCursor);
    instructionsText->viewport()->setCursor(Qt::ForbiddenCursor);
    instructionsText->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont instructionsFont = base;
    instructionsFont.setPointSize(12);
    instructionsFont.setBold(true);
    instructionsText->setFont(instructionsFont);
    instructionsText->document()->setDefaultFont(instructionsFont);
    QTextOption centred = instructionsText->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    instructionsText->document()->setDefaultTextOption(centred);
    // The memo is disabled only so that nobody can type in it: keep it as legible
    // as an enabled one.
    QPalette pal = instructionsText->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, Qt::black);
        pal.setColor(group, QPalette::Base, Qt::white);
    }
    instructionsText->setPalette(pal);
    // A disabled widget never shows its own pointer (its parent's is used): an
    // enabled, empty cover over the memo shows the "no" pointer and takes the clicks.
    m_instructionsCover = new QWidget(page);
    m_instructionsCover->setObjectName(QStringLiteral("instructionsCover"));
    m_instructionsCover->setGeometry(instructionsText->geometry());
    m_instructionsCover->setCursor(Qt::ForbiddenCursor);
    m_instructionsCover->setFocusPolicy(Qt::NoFocus);

    responseRuleLabel = new QLabel(page);
    responseRuleLabel->setObjectName(QStringLiteral("responseRuleLabel"));
    responseRuleLabel->setGeometry(240, 213, 321, 65);
    responseRuleLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    responseRuleLabel->setPixmap(QPixmap::fromImage(responseRulePicture()));
    responseRuleLabel->hide();

    continueButton = new QPushButton(essaitexts::Continuer, page);
    continueButton->setObjectName(QStringLiteral("continueButton"));
    continueButton->setGeometry(216, 464, 105, 33);

    noButton = new QPushButton(essaitexts::Passer, page);
    noButton->setObjectName(QStringLiteral("noButton"));
    noButton->setGeometry(352, 464, 105, 33);
    noButton->hide();

    quitButton = new QPushButton(essaitexts::Quitter, page);
    quitButton->setObjectName(QStringLiteral("quitButton"));
    quitButton->setGeometry(496, 464, 89, 33);

    m_endSound = new QtSoundPlayer(this);
    m_logic = new EssaiLogic(session, m_endSound);
    m_logic->setViewChangedCallback([this] { applyView(); });

    connect(continueButton, &QPushButton::clicked, this, &TFormEssai::ContinuerClick);
    connect(noButton, &QPushButton::clicked, this, &TFormEssai::NonClick);
    connect(quitButton, &QPushButton::clicked, this, &TFormEssai::QuitterClick);
}

TFormEssai::~TFormEssai() { delete m_logic; }

void TFormEssai::runAdministration()
{
    EssaiLogic::beginAdministration(m_session.run);
    // Maximised; also sized to the screen by hand, for displays without a window
    // manager to honour the maximised state.
    if (QScreen *s = (parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen()))
        setGeometry(s->availableGeometry());
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    exec();
}

void TFormEssai::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TFormEssai::FormShow()
{
    m_logic->FormShow();
    applyView();
}

void TFormEssai::ContinuerClick()
{
    m_logic->ContinuerClick();
    applyView();
}

void TFormEssai::NonClick()
{
    m_logic->NonClick();
    applyView();
}

void TFormEssai::QuitterClick()
{
    m_logic->QuitterClick();
    applyView();
}

void TFormEssai::applyView()
{
    const EssaiView &v = m_logic->view();
    titleLabel->setText(v.title);
    instructionsText->setGeometry(158, 168, 469, v.consHeight);
    m_instructionsCover->setGeometry(instructionsText->geometry());
    m_instructionsCover->raise();
    instructionsText->setPlainText(v.consLines.join(u'\n'));
    responseRuleLabel->move(240, v.imageTop);
    responseRuleLabel->setVisible(v.imageVisible);
    continueButton->setText(v.continuerCaption);
    continueButton->setVisible(v.continuerVisible);
    noButton->setText(v.nonCaption);
    noButton->setVisible(v.nonVisible);
    switch (v.focus) {
    case EssaiView::Focus::Continuer:
        continueButton->setFocus();
        break;
    case EssaiView::Focus::Non:
        noButton->setFocus();
        break;
    case EssaiView::Focus::Quitter:
        quitButton->setFocus();
        break;
    case EssaiView::Focus::None:
        break;
    }
    if (v.closeRequested && isVisible())
        done(QDialog::Accepted);
}

void TFormEssai::keyPressEvent(QKeyEvent *e)
{
    // Escape must not end an administration by accident: only "Quitter" or the
    // close box do.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TFormEssai::reject()
{
    // The close box: the same as "Quitter" (modal result OK).
    QuitterClick();
    if (isVisible())
        done(QDialog::Accepted);
}

TFormEssai *essaiWindow(Session &session)
{
    static TFormEssai *w = nullptr;
    if (!w)
        w = new TFormEssai(session, mainWindow());
    return w;
}

void StartAdministration(Session &session)
{
    if (session.choices.testIndex < 0 || session.choices.testIndex >= TestCount) {
        showError(QStringLiteral("Aucune épreuve n'est choisie : la passation ne peut pas commencer."));
        return;
    }
    essaiWindow(session)->runAdministration();
}

} // namespace zoka
