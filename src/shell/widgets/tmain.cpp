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

    patientNameGroup = new QGroupBox(PatientNameGroup, page);
    patientNameGroup->setGeometry(88, 24, 345, 57);
    patientNameEdit = new QLineEdit(NomInit, patientNameGroup);
    patientNameEdit->setGeometry(16, 24, 313, 21);

    taskGroup = new QGroupBox(TaskGroup, page);
    taskGroup->setGeometry(88, 104, 345, 73);
    administrationButton = makeButton(maintext::Passation, page, QRect(104, 128, 89, 33), true);
    analysisButton = makeButton(maintext::Analyses, page, QRect(216, 128, 89, 33), true);
    deleteButton = makeButton(maintext::Gestion, page, QRect(328, 128, 89, 33), true);
    // The follow-up of the patient: in the row of the tasks, in the free space between
    // their group and the list of the tests.
    followUpButton = makeButton(maintext::Suivi, page, QRect(441, 128, 70, 33), true);

    listsGroup = new QGroupBox(ListsGroup, page);
    listsGroup->setGeometry(88, 200, 345, 233);
    patientList = makeList(listsGroup, QRect(16, 21, 145, 201));
    allFilesList = makeList(listsGroup, QRect(16, 21, 145, 201));
    allFilesList->hide();
    patientFilesList = makeList(listsGroup, QRect(184, 21, 145, 201));

    listNotice = new QLabel(page);
    listNotice->setGeometry(88, 536, 620, 48);
    listNotice->setWordWrap(true);
    listNotice->hide();

    quitGroup = new QGroupBox(page);
    quitGroup->setGeometry(88, 456, 345, 73);
    quitButton = makeButton(maintext::Quitter, quitGroup, QRect(208, 24, 113, 33), false);
    optionsButton = makeButton(maintext::Options, page, QRect(120, 480, 113, 33), false);
    QWidget::setTabOrder(optionsButton, quitButton); // left to right, as they stand

    testGroup = new RadioGroup(maintext::Epreuves, page);
    testGroup->setGeometry(520, 32, 177, 385);
    threeCountsGroup = new RadioGroup(NbItemsCaption, page);
    threeCountsGroup->setGeometry(520, 432, 113, 97);
    twoCountsGroup = new RadioGroup(NbItemsCaption, page);
    twoCountsGroup->setGeometry(520, 432, 113, 97);
    speedGroup = new RadioGroup(Vitesse, page);
    speedGroup->setGeometry(520, 432, 113, 97);

    countGroup = new QGroupBox(CountGroupItems, page);
    countGroup->setGeometry(640, 432, 57, 97);
    countLabel = new QLabel(countGroup);
    countLabel->setGeometry(8, 39, 41, 24);
    countLabel->setAlignment(Qt::AlignCenter);
    {
        QFont f = countLabel->font();
        f.setPointSize(14);
        countLabel->setFont(f);
    }
    countLabel->setToolTip(CountHint);
    countLabel->installEventFilter(this);
    patientNameEdit->installEventFilter(this);

    // What the logic asks of this window (the other windows and the display are the
    // session's services).
    m_logic.setWindowCallbacks([this] { syncFromLogic(); },
                               [this] {
                                   m_quitting = true;
                                   close();
                                   QCoreApplication::exit(0);
                               });

    // The examiner's actions.
    connect(patientNameEdit, &QLineEdit::textChanged, this, [this](const QString &t) {
        if (!m_syncing)
            handle([&] { m_logic.setPatientNameText(t); });
    });
    connect(testGroup, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setTestGroupIndex(i); }); });
    connect(twoCountsGroup, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setTwoCountsIndex(i); }); });
    connect(threeCountsGroup, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setThreeCountsIndex(i); }); });
    connect(speedGroup, &RadioGroup::userSelected, this,
            [this](int i) { handle([&] { m_logic.setSpeedGroupIndex(i); }); });
    connect(administrationButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.PassationClick(); }); });
    connect(analysisButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.AnalysesClick(); }); });
    connect(followUpButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.SuiviClick(); }); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.GestionClick(); }); });
    connect(optionsButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.OptionsClick(); }); });
    connect(quitButton, &QPushButton::clicked, this, [this] { handle([&] { m_logic.QuitterClick(); }); });

    // Lists: a mouse click acts when the button is released; the keyboard acts on
    // every change of the selection.
    connect(patientList, &QListWidget::itemClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userClickPatient(patientList->row(it)); });
    });
    connect(patientList, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = keyboardSelection(patientList);
        if (row >= 0)
            handle([&] { m_logic.userClickPatient(row); });
    });
    connect(patientFilesList, &QListWidget::itemClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userClickFile(patientFilesList->row(it)); });
    });
    connect(patientFilesList, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = keyboardSelection(patientFilesList);
        if (row >= 0)
            handle([&] { m_logic.userClickFile(row); });
    });
    connect(patientFilesList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *it) {
        if (!m_syncing)
            handle([&] { m_logic.userDoubleClickFile(patientFilesList->row(it)); });
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
    if (watched == countLabel && e->type() == QEvent::MouseButtonDblClick) {
        handle([&] { m_logic.Label1DblClick(); });
        return true;
    }
    // Alt+letter is a button's key, never a letter of the name, even before the
    // window has been clicked (when the window's shortcuts do not see it yet).
    if (watched == patientNameEdit && e->type() == QEvent::KeyPress) {
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
    if (patientNameEdit->text() != m.patientNameText)
        patientNameEdit->setText(m.patientNameText);
    patientNameEdit->setEnabled(m.patientNameEnabled);
    applyGroup(testGroup, m.testGroup);
    applyGroup(threeCountsGroup, m.threeCountsGroup);
    applyGroup(twoCountsGroup, m.twoCountsGroup);
    applyGroup(speedGroup, m.speedGroup);
    countGroup->setTitle(m.countGroupCaption);
    countLabel->setText(m.countText);
    listNotice->setText(m.listNotice);
    listNotice->setVisible(!m.listNotice.isEmpty());
    administrationButton->setEnabled(m.administrationEnabled);
    analysisButton->setEnabled(m.analysisEnabled);
    followUpButton->setEnabled(!m.startupFailed);
    deleteButton->setEnabled(m.deleteEnabled);
    fillList(allFilesList, m.allFilesList.entries, m.allFilesList.selected);
    fillList(patientFilesList, m.patientFilesList.entries, m.patientFilesList.selected);
    fillList(patientList, m.patientList, m.patientListSelected);
    patientList->setEnabled(m.listsEnabled);
    patientFilesList->setEnabled(m.listsEnabled);

    QWidget *focusTarget = nullptr;
    switch (m.focus) {
    case MainFocus::PatientName: focusTarget = patientNameEdit; break;
    case MainFocus::TwoCounts: focusTarget = twoCountsGroup->button(qMax(0, twoCountsGroup->itemIndex())); break;
    case MainFocus::ThreeCounts: focusTarget = threeCountsGroup->button(qMax(0, threeCountsGroup->itemIndex())); break;
    case MainFocus::Administration: focusTarget = administrationButton; break;
    case MainFocus::PatientFiles: focusTarget = patientFilesList; break;
    case MainFocus::None: break;
    }
    m_logic.focus = MainFocus::None;
    if (focusTarget && focusTarget->isEnabled())
        focusTarget->setFocus();
    m_syncing = false;
}

} // namespace zoka
