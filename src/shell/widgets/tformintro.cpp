// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/tformintro.h"

#include "platform/messages.h"
#include "platform/widgets/displaymode.h"
#include "shell/widgets/windows.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>

namespace zoka {

void IntroArea::mouseReleaseEvent(QMouseEvent *e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        emit released();
}

void IntroArea::mouseDoubleClickEvent(QMouseEvent *e)
{
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton)
        emit doubleClicked();
}

namespace {

IntroArea *invisibleArea(QWidget *parent, const QRect &r)
{
    auto *s = new IntroArea(parent);
    s->setGeometry(r);
    s->setCursor(Qt::PointingHandCursor);
    s->setAttribute(Qt::WA_TranslucentBackground);
    return s;
}

QPushButton *button(const QString &text, QWidget *parent, const QRect &r)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(r);
    b->setAutoDefault(false);
    b->hide();
    return b;
}

} // namespace

TFormIntro::TFormIntro(const Session &session, QWidget *parent, QSize screen)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMaximizeButtonHint),
      m_session(session)
{
    setObjectName(QStringLiteral("FormIntro"));
    m_baseCaption = QStringLiteral("Zoka - Batterie Attention Tessaro");
    setWindowTitle(m_baseCaption);
    resize(798, 598);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0, 128, 128));
    setPalette(pal);
    setAutoFillBackground(true);

    picture = new IntroArea(this);
    picture->setGeometry(intro::Picture);
    picture->setAlignment(Qt::AlignCenter);

    titleLabel = new QLabel(QStringLiteral("ZOKA"), this);
    titleLabel->setGeometry(intro::Title);
    titleLabel->setAlignment(Qt::AlignCenter);
    QFont title(QStringLiteral("Comic Sans MS"), 36);
    title.setBold(true);
    titleLabel->setFont(title);
    titleLabel->hide();

    continueButton = button(QStringLiteral("Continuer"), this, intro::ContinueButton);
    helpButton = button(intro::HelpToggle::closedCaption(), this, intro::HelpButton);
    helpButton->setFont(QFont(QStringLiteral("Comic Sans MS"), 8));
    quitButton = button(QStringLiteral("Quitter"), this, intro::QuitButton);
    // Return continues (keyPressEvent), whichever button has the focus.
    for (QPushButton *b : {continueButton, helpButton, quitButton})
        b->setAutoDefault(false);

    helpText = new QTextEdit(this);
    helpText->setGeometry(intro::HelpText);
    helpText->setReadOnly(true);
    helpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    helpText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    helpText->hide();

    // The invisible areas lie over the picture.
    continueArea = invisibleArea(this, intro::ContinueArea);
    helpArea = invisibleArea(this, intro::HelpArea);
    quitArea = invisibleArea(this, intro::QuitArea);

    connect(continueButton, &QPushButton::clicked, this, &TFormIntro::ContinuerClick);
    connect(helpButton, &QPushButton::clicked, this, &TFormIntro::AideClick);
    connect(quitButton, &QPushButton::clicked, this, &TFormIntro::QuitterClick);
    connect(picture, &IntroArea::doubleClicked, this, &TFormIntro::Image1DblClick);
    connect(continueArea, &IntroArea::released, this, &TFormIntro::Shape1MouseUp);
    connect(helpArea, &IntroArea::released, this, &TFormIntro::Shape2MouseUp);
    connect(quitArea, &IntroArea::released, this, &TFormIntro::Shape3MouseUp);

    endProgram = [this] {
        SwitchScreenMode(m_session.screen.width, m_session.screen.height);
        // Nothing is open yet (the configuration is not even read): end at once.
        std::fflush(nullptr);
        std::_Exit(0);
    };

    if (!screen.isValid()) {
        const QScreen *s = QGuiApplication::primaryScreen();
        screen = s ? s->size() : QSize(800, 600);
    }
    FormCreate(screen);
}

void TFormIntro::FormCreate(QSize screen)
{
    const QPoint d = intro::layoutOffset(screen);
    picture->move(intro::Picture.topLeft() + d);
    for (QWidget *w : {static_cast<QWidget *>(continueButton), static_cast<QWidget *>(helpButton),
                       static_cast<QWidget *>(quitButton), static_cast<QWidget *>(continueArea),
                       static_cast<QWidget *>(helpArea), static_cast<QWidget *>(quitArea),
                       static_cast<QWidget *>(titleLabel), static_cast<QWidget *>(helpText)})
        w->move(w->pos() + d);
}

void TFormIntro::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TFormIntro::FormShow()
{
    setWindowTitle(windowTitle() + QStringLiteral("  v") + m_session.versionShort);
    const QString file = intro::pictureFile(m_session.startDir);
    if (file.isEmpty()) {
        titleLabel->show();
        continueButton->show();
        helpButton->show();
        quitButton->show();
        m_help.buttonVisible = true;
        return;
    }
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        showError(QString::fromUtf8("L'image %1 ne peut être lue : %2.")
                      .arg(QDir::toNativeSeparators(file), reader.errorString()));
        return;
    }
    picture->setPixmap(QPixmap::fromImage(image));
}

// Continue: the window closes with the result OK and start-up goes on.
void TFormIntro::ContinuerClick() { done(QDialog::Accepted); }

void TFormIntro::keyPressEvent(QKeyEvent *e)
{
    // Return continues, whether the buttons are drawn in the picture or shown.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        ContinuerClick();
        return;
    }
    QDialog::keyPressEvent(e);
}
void TFormIntro::Shape1MouseUp() { done(QDialog::Accepted); }
void TFormIntro::Image1DblClick() { done(QDialog::Accepted); }

void TFormIntro::QuitterClick() { endProgram(); }
void TFormIntro::Shape3MouseUp() { endProgram(); }

void TFormIntro::Shape2MouseUp()
{
    m_help.helpAreaReleased(QDir(m_session.startDir).filePath(intro::HelpFile));
    showHelpState();
}

void TFormIntro::AideClick()
{
    m_help.helpButtonClicked();
    showHelpState();
}

void TFormIntro::showHelpState()
{
    helpText->setPlainText(m_help.lines.join(u'\n'));
    // Centred lines, from the top.
    QTextCursor c(helpText->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.mergeBlockFormat(centred);
    helpText->moveCursor(QTextCursor::Start);
    helpText->setVisible(m_help.memoVisible);
    if (m_help.memoVisible)
        helpText->raise();
    helpButton->setText(m_help.caption);
    helpButton->setVisible(m_help.buttonVisible);
}

void TFormIntro::closeEvent(QCloseEvent *e)
{
    // Closing by the window manager lets the start-up go on, like "continue".
    e->accept();
    done(QDialog::Accepted);
}

void TFormIntro::reject() {}

void showIntroWindow(const Session &session)
{
    static TFormIntro *window = nullptr;
    if (!window)
        window = new TFormIntro(session, mainWindow());
    // Maximised; the geometry is also set for a display without a window manager.
    if (const QScreen *s = window->screen() ? window->screen() : QGuiApplication::primaryScreen())
        window->setGeometry(s->availableGeometry());
    window->setWindowState(window->windowState() | Qt::WindowMaximized);
    window->exec();
}

} // namespace zoka
