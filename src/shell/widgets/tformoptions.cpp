// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/tformoptions.h"

#include "platform/widgets/displaymode.h"
#include "shell/configfile.h"
#include "battery/testtable.h"
#include "shell/widgets/tformchrono.h"
#include "shell/widgets/windows.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zoka {

// ---- Font choice ----------------------------------------------------------------

const QList<QPair<QString, QColor>> &TFontChoiceDialog::standardColors()
{
    static const QList<QPair<QString, QColor>> colors = {
        {QStringLiteral("Noir"), QColor(0, 0, 0)},
        {QStringLiteral("Bordeaux"), QColor(128, 0, 0)},
        {QStringLiteral("Vert"), QColor(0, 128, 0)},
        {QStringLiteral("Olive"), QColor(128, 128, 0)},
        {QStringLiteral("Bleu marine"), QColor(0, 0, 128)},
        {QStringLiteral("Violet"), QColor(128, 0, 128)},
        {QStringLiteral("Sarcelle"), QColor(0, 128, 128)},
        {QStringLiteral("Gris"), QColor(128, 128, 128)},
        {QStringLiteral("Argent"), QColor(192, 192, 192)},
        {QStringLiteral("Rouge"), QColor(255, 0, 0)},
        {QStringLiteral("Vert clair"), QColor(0, 255, 0)},
        {QStringLiteral("Jaune"), QColor(255, 255, 0)},
        {QStringLiteral("Bleu"), QColor(0, 0, 255)},
        {QStringLiteral("Fuchsia"), QColor(255, 0, 255)},
        {QStringLiteral("Turquoise"), QColor(0, 255, 255)},
        {QStringLiteral("Blanc"), QColor(255, 255, 255)},
    };
    return colors;
}

namespace {
QIcon colorSwatch(const QColor &c)
{
    QPixmap pm(24, 12);
    pm.fill(c);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 23, 11);
    return QIcon(pm);
}
} // namespace

TFontChoiceDialog::TFontChoiceDialog(QWidget *parent)
    : QDialog(parent)
    , m_fonts(new QFontDialog(this))
    , m_colors(new QComboBox(this))
{
    setWindowTitle(QStringLiteral("Police"));
    m_fonts->setOptions(QFontDialog::DontUseNativeDialog | QFontDialog::NoButtons);
    m_fonts->setWindowFlags(Qt::Widget);
    auto *colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("Couleur :"), this));
    colorRow->addWidget(m_colors, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

void TFontChoiceDialog::setChoice(const QFont &font, const QColor &color)
{
    // A name that is not installed here (such as "Courier New") is shown as the
    // font that stands in for it, and kept as it is unless another font is chosen.
    m_givenFamily = font.family();
    m_shownFamily = QFontInfo(font).family();
    QFont shown = font;
    shown.setFamily(m_shownFamily);
    m_fonts->setCurrentFont(shown);
    m_colors->clear();
    int index = -1;
    for (const auto &[name, c] : standardColors()) {
        if (c.rgb() == color.rgb())
            index = m_colors->count();
        m_colors->addItem(colorSwatch(c), name, c);
    }
    if (index < 0) {
        // A colour set elsewhere stays selectable as it is.
        m_colors->insertItem(0, colorSwatch(color), QStringLiteral("Couleur actuelle"), color);
        index = 0;
    }
    m_colors->setCurrentIndex(index);
}

QFont TFontChoiceDialog::chosenFont() const
{
    QFont f = m_fonts->currentFont();
    if (f.family() == m_shownFamily)
        f.setFamily(m_givenFamily);
    return f;
}
QColor TFontChoiceDialog::chosenColor() const { return m_colors->currentData().value<QColor>(); }

// ---- Options window ---------------------------------------------------------------

namespace {

QPushButton *button(const QString &text, QWidget *parent, const QRect &r)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(r);
    b->setAutoDefault(false); // Enter in a field presses no button
    return b;
}

QLabel *label(const QString &text, QWidget *parent, const QPoint &at)
{
    auto *l = new QLabel(text, parent);
    l->move(at);
    l->adjustSize();
    return l;
}

QString screenText(int w, int h) { return QStringLiteral("Actuelle: %1 x %2").arg(w).arg(h); }

} // namespace

TFormOptions::TFormOptions(Session &session, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_session(session), m_logic(session)
{
    setObjectName(QStringLiteral("FormOptions"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(434, 336);

    DirLabel = label(QString::fromUtf8("Répertoire des données"), this, {32, 24});
    DirEpr = new QLineEdit(this);
    DirEpr->setGeometry(152, 20, 233, 25);
    Button1 = button(QStringLiteral("...."), this, {392, 21, 25, 25});

    GroupBox1 = new QGroupBox(QString::fromUtf8("Résolution d'écran"), this);
    GroupBox1->setGeometry(32, 56, 153, 73);
    Label1 = new QLabel(GroupBox1);
    Label1->setGeometry(24, 23, 105, 18);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Button2 = button(QStringLiteral("Retour valeur initiale"), GroupBox1, {16, 48, 121, 17});

    Impression = new QGroupBox(QStringLiteral("Impression"), this);
    Impression->setGeometry(208, 56, 209, 97);
    LabelMG = label(QStringLiteral("Marge de gauche (cm)"), Impression, {18, 24});
    MargeG = new QLineEdit(QStringLiteral("1.5"), Impression);
    MargeG->setGeometry(144, 22, 33, 20);
    MargeG->setMaxLength(5); // only the first five characters are read
    LabelTP = label(QStringLiteral("Choix de la police"), Impression, {18, 56});
    Police = button(QStringLiteral("A"), Impression, {144, 48, 33, 25});
    QFont a(QStringLiteral("Times New Roman"), 14);
    a.setBold(true);
    a.setItalic(true);
    Police->setFont(a);

    KeyStopLabel = new QLabel(QString::fromUtf8("Touche d'arrêt :"), this);
    KeyStopLabel->setGeometry(47, 173, 85, 13);
    KeyStopLabel->setToolTip(
        QString::fromUtf8("Le caractère choisi permet l'arrêt immédiat de certaines épreuves"));
    KeyStop = new QLineEdit(QStringLiteral("ESC"), this);
    KeyStop->setGeometry(135, 170, 41, 21);
    KeyStop->setMaxLength(10);
    KeyStop->setToolTip(QString::fromUtf8("Entrez 1 caractère ou ESC ou RET"));

    CheckBoxDft = new QCheckBox(QStringLiteral("Enregistrer les valeurs"), this);
    CheckBoxDft->setGeometry(49, 198, 129, 25);
    CheckBoxDft->setChecked(true);
    CheckBoxDft->setToolTip(QString::fromUtf8("Cocher pour conserver ces choix lors d'exécutions ultérieures"));

    Accepter = button(QStringLiteral("Accepter"), this, {208, 176, 97, 33});
    Accepter->setToolTip(QString::fromUtf8("Quitter avec prise en compte des valeurs"));
    Annuler = button(QStringLiteral("Annuler"), this, {320, 176, 97, 33});
    Annuler->setToolTip(QString::fromUtf8("Quitter sans prendre en compte les changements"));

    Chrono = button(QString::fromUtf8("Contrôle de la chronométrie"), this, {208, 224, 209, 29});
    Chrono->setToolTip(QString::fromUtf8("Mesurer la chronométrie de cette machine (environ 10 s)"));
    connect(Chrono, &QPushButton::clicked, this, [this] { ShowTimingCheckWindow(m_session, this); });

    connect(DirEpr, &QLineEdit::textChanged, this, &TFormOptions::DirEprChange);
    connect(MargeG, &QLineEdit::textChanged, this, &TFormOptions::MargeGChange);
    connect(KeyStop, &QLineEdit::textChanged, this, &TFormOptions::KeyStopChange);
    connect(Button1, &QPushButton::clicked, this, &TFormOptions::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormOptions::Button2Click);
    connect(Police, &QPushButton::clicked, this, &TFormOptions::PoliceClick);
    connect(Accepter, &QPushButton::clicked, this, &TFormOptions::AccepterClick);
    connect(Annuler, &QPushButton::clicked, this, &TFormOptions::AnnulerClick);
    DirEpr->installEventFilter(this);
    KeyStop->installEventFilter(this);
    for (QPushButton *b : {Button1, Button2, Police, Accepter, Annuler})
        b->installEventFilter(this);

    directoryDialog = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(parent, QString::fromUtf8("Répertoire des données"), start,
                                                 QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    };
    fontDialog = [](QWidget *parent, QFont &font, QColor &color) {
        TFontChoiceDialog d(parent);
        d.setChoice(font, color);
        if (d.exec() != QDialog::Accepted)
            return false;
        font = d.chosenFont();
        color = d.chosenColor();
        return true;
    };
}

QFont TFormOptions::fontOfConfig(const ConfigRecord &c)
{
    QFont f(c.PrintFontName, c.PrintFontSize > 0 ? c.PrintFontSize : 8);
    f.setBold(c.PrintFontStyle & FontBold);
    f.setItalic(c.PrintFontStyle & FontItalic);
    f.setUnderline(c.PrintFontStyle & FontUnderline);
    f.setStrikeOut(c.PrintFontStyle & FontStrikeOut);
    return f;
}

QColor TFormOptions::colorOfBgr(qint32 bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

qint32 TFormOptions::bgrOfColor(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

quint8 TFormOptions::styleOfFont(const QFont &f)
{
    quint8 s = 0;
    if (f.bold())
        s |= FontBold;
    if (f.italic())
        s |= FontItalic;
    if (f.underline())
        s |= FontUnderline;
    if (f.strikeOut())
        s |= FontStrikeOut;
    return s;
}

void TFormOptions::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TFormOptions::FormShow()
{
    m_closing = false;
    // At its place on the 800 x 600 page of the main window, wherever the screen's size
    // puts that page.
    QPoint page(0, 0);
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (const QWidget *p = owner ? owner->findChild<QWidget *>(QStringLiteral("CentredPage")) : nullptr; p && p->isVisible())
        page = p->mapToGlobal(QPoint(0, 0));
    else if (const QScreen *s = screen())
        page = s->geometry().topLeft()
               + QPoint(qMax(0, (s->geometry().width() - 800) / 2), qMax(0, (s->geometry().height() - 600) / 2));
    move(page + QPoint(47, 209));
    setWindowTitle(QStringLiteral("Configuration Zoka v") + ProgramVersion);
    const OptionsLogic::Fields f = m_logic.formShow();
    // Setting the texts runs their change handlers, as typing does.
    setDirText(f.dir);
    KeyStop->setText(f.key);
    MargeG->setText(f.margin);
    const QSize screen = currentScreenSize();
    Label1->setText(screenText(screen.width(), screen.height()));
    Button2->setEnabled(screen.width() != m_session.screen.width);
}

void TFormOptions::setDirText(const QString &text)
{
    if (DirEpr->text() != text)
        DirEpr->setText(text);
}

void TFormOptions::DirEprChange(const QString &text) { m_logic.dirEprChange(text); }

void TFormOptions::DirEprExit()
{
    if (m_inExit)
        return;
    m_inExit = true;
    setDirText(m_logic.dirEprExit());
    m_inExit = false;
}

void TFormOptions::Button1Click()
{
    const QString start = m_logic.dialogStartDir(DirEpr->text());
    const QString chosen = directoryDialog(this, start);
    setDirText(m_logic.directoryDialogResult(chosen.isEmpty() ? QString() : QDir::cleanPath(chosen)));
}

void TFormOptions::MargeGChange(const QString &text) { m_logic.margeGChange(text); }

void TFormOptions::PoliceClick()
{
    QFont font = fontOfConfig(m_session.config);
    QColor color = colorOfBgr(m_session.config.PrintFontColor);
    if (!fontDialog(this, font, color))
        return;
    const int size = font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
    m_logic.setPrintFont(font.family(), size > 0 ? size : m_session.config.PrintFontSize, styleOfFont(font), bgrOfColor(color));
}

void TFormOptions::KeyStopChange(const QString &text) { m_logic.keyStopChange(text); }

void TFormOptions::KeyStopExit() { m_logic.keyStopExit(); }

void TFormOptions::Button2Click()
{
    SwitchScreenMode(m_session.screen.width, m_session.screen.height);
    Label1->setText(screenText(m_session.screen.width, m_session.screen.height));
    Button2->setEnabled(false);
}

void TFormOptions::AccepterClick()
{
    if (m_logic.accepterClick(CheckBoxDft->isChecked()) == OptionsLogic::Outcome::Close)
        FormClose();
}

void TFormOptions::AnnulerClick()
{
    const QString dir = m_logic.annulerClick();
    const QSignalBlocker block(DirEpr); // the configuration is the snapshot again as a whole
    DirEpr->setText(dir);
    FormClose();
}

void TFormOptions::FormClose()
{
    m_closing = true;
    done(QDialog::Accepted);
}

void TFormOptions::closeEvent(QCloseEvent *e)
{
    // No close box: the window closes through its two buttons only.
    e->ignore();
}

void TFormOptions::reject() {}

bool TFormOptions::eventFilter(QObject *watched, QEvent *e)
{
    // Return presses the button that has the focus (Space does too).
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        auto *b = qobject_cast<QPushButton *>(watched);
        if (b && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            b->click();
            return true;
        }
    }
    if (e->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(e)->reason();
        // Another window coming to the front (a message box, a dialog) is not
        // leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible()
            && !m_closing) {
            if (watched == DirEpr)
                DirEprExit();
            else if (watched == KeyStop)
                KeyStopExit();
        }
    } else if (watched == KeyStop && e->type() == QEvent::KeyPress) {
        // Esc and Enter in the stop-key field name those keys.
        const auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Escape) {
            KeyStop->setText(QStringLiteral("ESC"));
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            KeyStop->setText(QStringLiteral("RET"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void ShowOptionsWindow(Session &session)
{
    static TFormOptions *window = nullptr;
    if (!window)
        window = new TFormOptions(session, mainWindow());
    window->exec();
}

} // namespace zoka
