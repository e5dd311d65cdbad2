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

    resultsDirLabel = label(QString::fromUtf8("Répertoire des données"), this, {32, 24});
    resultsDirEdit = new QLineEdit(this);
    resultsDirEdit->setGeometry(152, 20, 233, 25);
    browseButton = button(QStringLiteral("...."), this, {392, 21, 25, 25});

    screenGroup = new QGroupBox(QString::fromUtf8("Résolution d'écran"), this);
    screenGroup->setGeometry(32, 56, 153, 73);
    screenSizeLabel = new QLabel(screenGroup);
    screenSizeLabel->setGeometry(24, 23, 105, 18);
    screenSizeLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    restoreScreenButton = button(QStringLiteral("Retour valeur initiale"), screenGroup, {16, 48, 121, 17});

    printGroup = new QGroupBox(QStringLiteral("Impression"), this);
    printGroup->setGeometry(208, 56, 209, 97);
    marginLabel = label(QStringLiteral("Marge de gauche (cm)"), printGroup, {18, 24});
    marginEdit = new QLineEdit(QStringLiteral("1.5"), printGroup);
    marginEdit->setGeometry(144, 22, 33, 20);
    marginEdit->setMaxLength(5); // only the first five characters are read
    fontLabel = label(QStringLiteral("Choix de la police"), printGroup, {18, 56});
    fontButton = button(QStringLiteral("A"), printGroup, {144, 48, 33, 25});
    QFont a(QStringLiteral("Times New Roman"), 14);
    a.setBold(true);
    a.setItalic(true);
    fontButton->setFont(a);

    stopKeyLabel = new QLabel(QString::fromUtf8("Touche d'arrêt :"), this);
    stopKeyLabel->setGeometry(47, 173, 85, 13);
    stopKeyLabel->setToolTip(
        QString::fromUtf8("Le caractère choisi permet l'arrêt immédiat de certaines épreuves"));
    stopKeyEdit = new QLineEdit(QStringLiteral("ESC"), this);
    stopKeyEdit->setGeometry(135, 170, 41, 21);
    stopKeyEdit->setMaxLength(10);
    stopKeyEdit->setToolTip(QString::fromUtf8("Entrez 1 caractère ou ESC ou RET"));

    saveSettingsCheck = new QCheckBox(QStringLiteral("Enregistrer les valeurs"), this);
    saveSettingsCheck->setGeometry(49, 198, 129, 25);
    saveSettingsCheck->setChecked(true);
    saveSettingsCheck->setToolTip(QString::fromUtf8("Cocher pour conserver ces choix lors d'exécutions ultérieures"));

    acceptButton = button(QStringLiteral("Accepter"), this, {208, 176, 97, 33});
    acceptButton->setToolTip(QString::fromUtf8("Quitter avec prise en compte des valeurs"));
    cancelButton = button(QStringLiteral("Annuler"), this, {320, 176, 97, 33});
    cancelButton->setToolTip(QString::fromUtf8("Quitter sans prendre en compte les changements"));

    timingCheckButton = button(QString::fromUtf8("Contrôle de la chronométrie"), this, {208, 224, 209, 29});
    timingCheckButton->setToolTip(QString::fromUtf8("Mesurer la chronométrie de cette machine (environ 10 s)"));
    connect(timingCheckButton, &QPushButton::clicked, this, [this] { showTimingCheckWindow(m_session, this); });

    connect(resultsDirEdit, &QLineEdit::textChanged, this, &TFormOptions::DirEprChange);
    connect(marginEdit, &QLineEdit::textChanged, this, &TFormOptions::MargeGChange);
    connect(stopKeyEdit, &QLineEdit::textChanged, this, &TFormOptions::KeyStopChange);
    connect(browseButton, &QPushButton::clicked, this, &TFormOptions::Button1Click);
    connect(restoreScreenButton, &QPushButton::clicked, this, &TFormOptions::Button2Click);
    connect(fontButton, &QPushButton::clicked, this, &TFormOptions::PoliceClick);
    connect(acceptButton, &QPushButton::clicked, this, &TFormOptions::AccepterClick);
    connect(cancelButton, &QPushButton::clicked, this, &TFormOptions::AnnulerClick);
    resultsDirEdit->installEventFilter(this);
    stopKeyEdit->installEventFilter(this);
    for (QPushButton *b : {browseButton, restoreScreenButton, fontButton, acceptButton, cancelButton})
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
    stopKeyEdit->setText(f.key);
    marginEdit->setText(f.margin);
    const QSize screen = currentScreenSize();
    screenSizeLabel->setText(screenText(screen.width(), screen.height()));
    restoreScreenButton->setEnabled(screen.width() != m_session.screen.width);
}

void TFormOptions::setDirText(const QString &text)
{
    if (resultsDirEdit->text() != text)
        resultsDirEdit->setText(text);
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
    const QString start = m_logic.dialogStartDir(resultsDirEdit->text());
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
    screenSizeLabel->setText(screenText(m_session.screen.width, m_session.screen.height));
    restoreScreenButton->setEnabled(false);
}

void TFormOptions::AccepterClick()
{
    if (m_logic.accepterClick(saveSettingsCheck->isChecked()) == OptionsLogic::Outcome::Close)
        FormClose();
}

void TFormOptions::AnnulerClick()
{
    const QString dir = m_logic.annulerClick();
    const QSignalBlocker block(resultsDirEdit); // the configuration is the snapshot again as a whole
    resultsDirEdit->setText(dir);
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
            if (watched == resultsDirEdit)
                DirEprExit();
            else if (watched == stopKeyEdit)
                KeyStopExit();
        }
    } else if (watched == stopKeyEdit && e->type() == QEvent::KeyPress) {
        // Esc and Enter in the stop-key field name those keys.
        const auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Escape) {
            stopKeyEdit->setText(QStringLiteral("ESC"));
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            stopKeyEdit->setText(QStringLiteral("RET"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void showOptionsWindow(Session &session)
{
    static TFormOptions *window = nullptr;
    if (!window)
        window = new TFormOptions(session, mainWindow());
    window->exec();
}

} // namespace zoka
