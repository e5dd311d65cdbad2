// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/widgets/tmain.h"

#include "platform/widgets/centredpage.h"
#include "platform/widgets/displaymode.h"
#include "shell/maintexts.h"
#include "shell/widgets/windows.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace zoka {

using namespace maintext;

// ---- RadioGroup -------------------------------------------------------------------

RadioGroup::RadioGroup(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
    , m_group(new QButtonGroup(this))
{
    connect(m_group, &QButtonGroup::idClicked, this, [this](int id) { emit userSelected(id); });
}

void RadioGroup::setItems(const QStringList &items)
{
    if (items == m_items)
        return;
    const int keep = itemIndex();
    m_items = items;
    while (m_buttons.size() > items.size()) {
        QRadioButton *b = m_buttons.takeLast();
        m_group->removeButton(b);
        delete b;
    }
    while (m_buttons.size() < items.size()) {
        auto *b = new QRadioButton(this);
        m_group->addButton(b, int(m_buttons.size()));
        b->show();
        m_buttons << b;
    }
    for (int i = 0; i < items.size(); ++i)
        m_buttons[i]->setText(items[i]);
    setItemIndex(keep < items.size() ? keep : int(items.size()) - 1);
    arrange();
}

void RadioGroup::setItemIndex(int index)
{
    const QSignalBlocker block(m_group);
    m_group->setExclusive(false);
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(i == index);
    m_group->setExclusive(true);
}

int RadioGroup::itemIndex() const { return m_group->checkedId(); }

QRadioButton *RadioGroup::button(int i) const { return i >= 0 && i < m_buttons.size() ? m_buttons[i] : nullptr; }

void RadioGroup::resizeEvent(QResizeEvent *e)
{
    QGroupBox::resizeEvent(e);
    arrange();
}

void RadioGroup::arrange()
{
    // One column; the height below the caption shared evenly, the remainder split
    // above and below.
    const int n = int(m_buttons.size());
    if (n == 0)
        return;
    const int textHeight = fontMetrics().height();
    const int avail = height() - textHeight - 5;
    const int buttonHeight = avail / n;
    const int topMargin = textHeight + 1 + (avail % n) / 2;
    for (int i = 0; i < n; ++i)
        m_buttons[i]->setGeometry(8, i * buttonHeight + topMargin, width() - 10, buttonHeight);
}

// ---- TMain ---------------------------------------------------------------------------

namespace {
// The first letter is the button's Alt key (Alt+P: Passation).
QPushButton *makeButton(const QString &text, QWidget *parent, const QRect &r, bool underlined)
{
    auto *b = new QPushButton(u'&' + text, parent);
    b->setGeometry(r);
    b->setAutoDefault(true); // Return presses the button that has the focus
    if (underlined) {
        QFont f = b->font();
        f.setUnderline(true);
        b->setFont(f);
    }
    return b;
}

QListWidget *makeList(QWidget *parent, const QRect &r)
{
    auto *l = new QListWidget(parent);
    l->setGeometry(r);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return l;
}
} // namespace

TMain::TMain(Session &session, QWidget *parent)
    : QWidget(parent), m_logic(session)
{
    resize(760, 580);
    QWidget *page = makeCentredPage(this);

    BoxNom = new QGroupBox(maintext::BoxNom, page);
    BoxNom->setGeometry(88, 24, 345, 57);
    Nom = new QLineEdit(NomInit, BoxNom);
    Nom->setGeometry(16, 24, 313, 21);

    GroupBox1 = new QGroupBox(maintext::GroupBox1, page);
    GroupBox1->setGeometry(88, 104, 345, 73);
    Passation = makeButton(maintext::Passation, page, QRect(104, 128, 89, 33), true);
    Analyses = makeButton(maintext::Analyses, page, QRect(216, 128, 89, 33), true);
    Gestion = makeButton(maintext::Gestion, page, QRect(328, 128, 89, 33), true);
    // The follow-up of the patient: in the row of the tasks, in the free space between
    // their group and the list of the tests.
    Suivi = makeButton(maintext::Suivi, page, QRect(441, 128, 70, 33), true);

    ListPassation = new QGroupBox(maintext::ListPassation, page);
    ListPassation->setGeometry(88, 200, 345, 233);
    ListPatients = makeList(ListPassation, QRect(16, 21, 145, 201));
    FileListPatients = makeList(ListPassation, QRect(16, 21, 145, 201));
    FileListPatients->hide();
    FileListEpreuves = makeList(ListPassation, QRect(184, 21, 145, 201));

    ListNotice = new QLabel(page);
    ListNotice->setGeometry(88, 536, 620, 48);
    ListNotice->setWordWrap(true);
    ListNotice->hide();

    GroupBox4 = new QGroupBox(page);
    GroupBox4->setGeometry(88, 456, 345, 73);
    Quitter = makeButton(maintext::Quitter, GroupBox4, QRect(208, 24, 113, 33), false);
    Options = makeButton(maintext::Options, page, QRect(120, 480, 113, 33), false);
    QWidget::setTabOrder(Options, Quitter); // left to right, as they stand

    Epreuves = new RadioGroup(maintext::Epreuves, page);
    Epreuves->setGeometry(520, 32, 177, 385);
    NbItems3 = new RadioGroup(NbItemsCaption, page);
    NbItems3->setGeometry(520, 432, 113, 97);
    NbItems2 = new RadioGroup(NbItemsCaption, page);
    NbItems2->setGeometry(520, 432, 113, 97);
    VitesseAS = new RadioGroup(Vitesse, page);
    VitesseAS->setGeometry(520, 432, 113, 97);

    GroupBox2 = new QGroupBox(GroupBox2Items, page);
    GroupBox2->setGeometry(640, 432, 57, 97);
    Label1 = new QLabel(GroupBox2);
    Label1->setGeometry(8, 39, 41, 24);
    Label1->setAlignment(Qt::AlignCenter);
    {
        QFont f = Label1->font();
        f.setPointSize(14);
        Label1->setFont(f);
    }
    Label1->setToolTip(Label1Hint);
    Label1->installEventFilter(this);
    Nom->installEventFilter(this);

    // What the logic asks of this window (the other windows and the display are the
    // session's services).
    m_logic.setWindowCallbacks([this] { syncFromLogic(); },
                               [this] {
                                   m_quitting = true;
                                   close();
                                   QCoreApplication::exit(0);
                               });

    // The examiner's actions.
    connect(Nom, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!m_syncing)
            handle([&] { m_logic.setNomText(t); });
    });
    connect(Epreuves, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setEpreuvesIndex(i); }); });
    connect(NbItems2, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setNbItems2Index(i); }); });
    connect(NbItems3, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setNbItems3Index(i); }); });
    connect(VitesseAS, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setVitesseASIndex(i); }); });
    connect(Passation, &QPushButton::clicked, this, [this] { handle([&] { m_logic.PassationClick(); }); });
    connect(Analyses, &QPushButton::clicked, this, [this] { handle([&] { m_logic.AnalysesClick(); }); });
    connect(Suivi, &QPushButton::clicked, this, [this] { handle([&] { m_logic.SuiviClick(); }); });
    connect(Gestion, &QPushButton::clicked, this, [this] { handle([&] { m_logic.GestionClick(); }); });
    connect(Options, &QPushButton::clicked, this, [this] { handle([&] { m_logic.OptionsClick(); }); });
    connect(Quitter, &QPushButton::clicked, this, [this] { handle([&] { m_logic.QuitterClick(); }); });

    // Lists: a mouse click acts when the button is released; the keyboard acts on
    // every change of the selection.
    connect(ListPatients, &QListWidget::itemClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userClickPatient(ListPatients->row(it)); });
    });
    connect(ListPatients, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = keyboardSelection(ListPatients);
        if (row >= 0)
            handle([&] { m_logic.userClickPatient(row); });
    });
    connect(FileListEpreuves, &QListWidget::itemClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userClickFile(FileListEpreuves->row(it)); });
    });
    connect(FileListEpreuves, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = keyboardSelection(FileListEpreuves);
        if (row >= 0)
            handle([&] { m_logic.userClickFile(row); });
    });
    connect(FileListEpreuves, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userDoubleClickFile(FileListEpreuves->row(it)); });
    });

    syncFromLogic();
}

int TMain::keyboardSelection(QListWidget *list) const
{
    // A selection made with the mouse is handled when the button is released
    // (itemClicked); one made from the program is not the examiner's.
    if (m_syncing || (QApplication::mouseButtons() & Qt::LeftButton))
        return -1;
    const QList<QListWidgetItem *> sel = list->selectedItems();
    return sel.isEmpty() ? -1 : list->row(sel.first());
}

template<class F> void TMain::handle(F &&f)
{
    f();
    syncFromLogic();
}

void TMain::runFormShow()
{
    handle([&] { m_logic.FormShow(); });
}

void TMain::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // After the window is on screen: the start-up opens modal windows over it.
    QTimer::singleShot(0, this, [this] { runFormShow(); });
}

void TMain::closeEvent(QCloseEvent *e)
{
    if (m_quitting) {
        e->accept();
        return;
    }
    if (m_logic.FormClose()) {
        m_quitting = true;
        e->accept();
        QCoreApplication::exit(0);
    } else {
        e->ignore();
    }
}

bool TMain::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Label1 && e->type() == QEvent::MouseButtonDblClick) {
        handle([&] { m_logic.Label1DblClick(); });
        return true;
    }
    // Alt+letter is a button's key, never a letter of the name, even before the
    // window has been clicked (when the window's shortcuts do not see it yet).
    if (watched == Nom && e->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(e);
        if ((k->modifiers() & Qt::AltModifier) && !(k->modifiers() & Qt::ControlModifier)) {
            const QKeySequence pressed(Qt::ALT | Qt::Key(k->key()));
            for (QAbstractButton *b : findChildren<QAbstractButton *>())
                if (b->isVisible() && b->isEnabled() && QKeySequence::mnemonic(b->text()) == pressed) {
                    b->animateClick();
                    break;
                }
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TMain::fillList(QListWidget *w, const QStringList &entries, int selected)
{
    QStringList current;
    for (int i = 0; i < w->count(); ++i)
        current << w->item(i)->text();
    if (current != entries) {
        w->clear();
        w->addItems(entries);
    }
    if (selected >= 0) {
        w->setCurrentRow(selected);
    } else {
        w->clearSelection();
        w->setCurrentRow(-1);
    }
}

void TMain::applyGroup(RadioGroup *w, const RadioGroupModel &m)
{
    w->setItems(m.items);
    w->setItemIndex(m.index);
    w->setVisible(m.visible);
    w->setEnabled(m.enabled);
}

void TMain::syncFromLogic()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const MainLogic &m = m_logic;
    setWindowTitle(m.caption);
    if (Nom->text() != m.nomText)
        Nom->setText(m.nomText);
    Nom->setEnabled(m.nomEnabled);
    applyGroup(Epreuves, m.epreuves);
    applyGroup(NbItems3, m.nbItems3);
    applyGroup(NbItems2, m.nbItems2);
    applyGroup(VitesseAS, m.vitesseAS);
    GroupBox2->setTitle(m.groupBox2Caption);
    Label1->setText(m.label1Caption);
    ListNotice->setText(m.listNotice);
    ListNotice->setVisible(!m.listNotice.isEmpty());
    Passation->setEnabled(m.passationEnabled);
    Analyses->setEnabled(m.analysesEnabled);
    Suivi->setEnabled(!m.startupFailed);
    Gestion->setEnabled(m.gestionEnabled);
    fillList(FileListPatients, m.fileListPatients.entries, m.fileListPatients.selected);
    fillList(FileListEpreuves, m.fileListEpreuves.entries, m.fileListEpreuves.selected);
    fillList(ListPatients, m.listPatients, m.listPatientsSelected);
    ListPatients->setEnabled(m.listsEnabled);
    FileListEpreuves->setEnabled(m.listsEnabled);

    QWidget *focusTarget = nullptr;
    switch (m.focus) {
    case MainFocus::Nom: focusTarget = Nom; break;
    case MainFocus::NbItems2: focusTarget = NbItems2->button(qMax(0, NbItems2->itemIndex())); break;
    case MainFocus::NbItems3: focusTarget = NbItems3->button(qMax(0, NbItems3->itemIndex())); break;
    case MainFocus::Passation: focusTarget = Passation; break;
    case MainFocus::FileListEpreuves: focusTarget = FileListEpreuves; break;
    case MainFocus::None: break;
    }
    m_logic.focus = MainFocus::None;
    if (focusTarget && focusTarget->isEnabled())
        focusTarget->setFocus();
    m_syncing = false;
}

} // namespace zoka
