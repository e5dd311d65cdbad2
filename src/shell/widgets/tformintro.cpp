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

void TIntroArea::mouseReleaseEvent(QMouseEvent *e)
{
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton)
        emit released();
}

void TIntroArea::mouseDoubleClickEvent(QMouseEvent *e)
{
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton)
        emit doubleClicked();
}

namespace {

TIntroArea *shape(QWidget *parent, const QRect &r)
{
    auto *s = new TIntroArea(parent);
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

    Image1 = new TIntroArea(this);
    Image1->setGeometry(intro::Image1);
    Image1->setAlignment(Qt::AlignCenter);

    Label1 = new QLabel(QStringLiteral("ZOKA"), this);
    Label1->setGeometry(intro::Label1);
    Label1->setAlignment(Qt::AlignCenter);
    QFont title(QStringLiteral("Comic Sans MS"), 36);
    title.setBold(true);
    Label1->setFont(title);
    Label1->hide();

    Continuer = button(QStringLiteral("Continuer"), this, intro::Continuer);
    Aide = button(intro::HelpToggle::closedCaption(), this, intro::Aide);
    Aide->setFont(QFont(QStringLiteral("Comic Sans MS"), 8));
    Quitter = button(QStringLiteral("Quitter"), this, intro::Quitter);
    // Return continues (keyPressEvent), whichever button has the focus.
    for (QPushButton *b : {Continuer, Aide, Quitter})
        b->setAutoDefault(false);

    AideMemo = new QTextEdit(this);
    AideMemo->setGeometry(intro::AideMemo);
    AideMemo->setReadOnly(true);
    AideMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    AideMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    AideMemo->hide();

    // The invisible areas lie over the picture.
    Shape1 = shape(this, intro::Shape1);
    Shape2 = shape(this, intro::Shape2);
    Shape3 = shape(this, intro::Shape3);

    connect(Continuer, &QPushButton::clicked, this, &TFormIntro::ContinuerClick);
    connect(Aide, &QPushButton::clicked, this, &TFormIntro::AideClick);
    connect(Quitter, &QPushButton::clicked, this, &TFormIntro::QuitterClick);
    connect(Image1, &TIntroArea::doubleClicked, this, &TFormIntro::Image1DblClick);
    connect(Shape1, &TIntroArea::released, this, &TFormIntro::Shape1MouseUp);
    connect(Shape2, &TIntroArea::released, this, &TFormIntro::Shape2MouseUp);
    connect(Shape3, &TIntroArea::released, this, &TFormIntro::Shape3MouseUp);

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
    Image1->move(intro::Image1.topLeft() + d);
    for (QWidget *w : {static_cast<QWidget *>(Continuer), static_cast<QWidget *>(Aide),
                       static_cast<QWidget *>(Quitter), static_cast<QWidget *>(Shape1),
                       static_cast<QWidget *>(Shape2), static_cast<QWidget *>(Shape3),
                       static_cast<QWidget *>(Label1), static_cast<QWidget *>(AideMemo)})
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
        Label1->show();
        Continuer->show();
        Aide->show();
        Quitter->show();
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
    Image1->setPixmap(QPixmap::fromImage(image));
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
    m_help.aideClicked();
    showHelpState();
}

void TFormIntro::showHelpState()
{
    AideMemo->setPlainText(m_help.lines.join(u'\n'));
    // Centred lines, from the top.
    QTextCursor c(AideMemo->document());
    c.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.mergeBlockFormat(centred);
    AideMemo->moveCursor(QTextCursor::Start);
    AideMemo->setVisible(m_help.memoVisible);
    if (m_help.memoVisible)
        AideMemo->raise();
    Aide->setText(m_help.caption);
    Aide->setVisible(m_help.buttonVisible);
}

void TFormIntro::closeEvent(QCloseEvent *e)
{
    // Closing by the window manager lets the start-up go on, like "continue".
    e->accept();
    done(QDialog::Accepted);
}

void TFormIntro::reject() {}

void ShowIntroWindow(const Session &session)
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
