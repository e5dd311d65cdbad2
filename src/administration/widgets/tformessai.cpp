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

    Titre = new QLabel(page);
    Titre->setObjectName(QStringLiteral("Titre"));
    Titre->setGeometry(216, 88, 353, 41);
    Titre->setAlignment(Qt::AlignCenter);
    QFont titleFont = base;
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    Titre->setFont(titleFont);

    Cons = new QTextEdit(page);
    Cons->setObjectName(QStringLiteral("Cons"));
    Cons->setGeometry(158, 168, 469, 265);
    Cons->setReadOnly(true);
    Cons->setEnabled(false);
    Cons->setFocusPolicy(Qt::NoFocus);
    Cons->setCursor(Qt::ForbiddenCursor);
    Cons->viewport()->setCursor(Qt::ForbiddenCursor);
    Cons->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont consFont = base;
    consFont.setPointSize(12);
    consFont.setBold(true);
    Cons->setFont(consFont);
    Cons->document()->setDefaultFont(consFont);
    QTextOption centred = Cons->document()->defaultTextOption();
    centred.setAlignment(Qt::AlignHCenter);
    Cons->document()->setDefaultTextOption(centred);
    // The memo is disabled only so that nobody can type in it: keep it as legible
    // as an enabled one.
    QPalette pal = Cons->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, Qt::black);
        pal.setColor(group, QPalette::Base, Qt::white);
    }
    Cons->setPalette(pal);
    // A disabled widget never shows its own pointer (its parent's is used): an
    // enabled, empty cover over the memo shows the "no" pointer and takes the clicks.
    m_consCover = new QWidget(page);
    m_consCover->setObjectName(QStringLiteral("ConsCover"));
    m_consCover->setGeometry(Cons->geometry());
    m_consCover->setCursor(Qt::ForbiddenCursor);
    m_consCover->setFocusPolicy(Qt::NoFocus);

    Imagedb = new QLabel(page);
    Imagedb->setObjectName(QStringLiteral("Imagedb"));
    Imagedb->setGeometry(240, 213, 321, 65);
    Imagedb->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Imagedb->setPixmap(QPixmap::fromImage(responseRulePicture()));
    Imagedb->hide();

    Continuer = new QPushButton(essaitexts::Continuer, page);
    Continuer->setObjectName(QStringLiteral("Continuer"));
    Continuer->setGeometry(216, 464, 105, 33);

    Non = new QPushButton(essaitexts::Passer, page);
    Non->setObjectName(QStringLiteral("Non"));
    Non->setGeometry(352, 464, 105, 33);
    Non->hide();

    Quitter = new QPushButton(essaitexts::Quitter, page);
    Quitter->setObjectName(QStringLiteral("Quitter"));
    Quitter->setGeometry(496, 464, 89, 33);

    MediaPlayer2 = new QtSoundPlayer(this);
    m_logic = new EssaiLogic(session, MediaPlayer2);
    m_logic->setViewChangedCallback([this] { applyView(); });

    connect(Continuer, &QPushButton::clicked, this, &TFormEssai::ContinuerClick);
    connect(Non, &QPushButton::clicked, this, &TFormEssai::NonClick);
    connect(Quitter, &QPushButton::clicked, this, &TFormEssai::QuitterClick);
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
    Titre->setText(v.title);
    Cons->setGeometry(158, 168, 469, v.consHeight);
    m_consCover->setGeometry(Cons->geometry());
    m_consCover->raise();
    Cons->setPlainText(v.consLines.join(u'\n'));
    Imagedb->move(240, v.imageTop);
    Imagedb->setVisible(v.imageVisible);
    Continuer->setText(v.continuerCaption);
    Continuer->setVisible(v.continuerVisible);
    Non->setText(v.nonCaption);
    Non->setVisible(v.nonVisible);
    switch (v.focus) {
    case EssaiView::Focus::Continuer:
        Continuer->setFocus();
        break;
    case EssaiView::Focus::Non:
        Non->setFocus();
        break;
    case EssaiView::Focus::Quitter:
        Quitter->setFocus();
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
