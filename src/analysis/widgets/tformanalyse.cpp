// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/widgets/tformanalyse.h"

#include "analysis/widgets/plots.h"

#include "platform/messages.h"
#include "platform/timingjournal.h"
#include "shell/widgets/windows.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextCursor>

namespace zoka {

namespace {

const QString NotesHint = QStringLiteral("Entrez les notes à ajouter au protocole");

QPushButton *makeButton(QWidget *parent, const QString &caption, const QRect &geometry,
                        const QString &hint)
{
    auto *b = new QPushButton(caption, parent);
    b->setGeometry(geometry);
    b->setToolTip(hint);
    // Enter in the limit field must not also press a button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

// The page holds the report (left 40, 705 wide, as on an 800 x 600 screen), the
// notes and the buttons, down to y 537; the plots go right of the report when the
// window leaves them room to be read, as tall as the report, notes and buttons.
constexpr int PageWidth = 785;
constexpr int PageHeight = 550;
constexpr int PlotsLeft = 40 + 705 + 16;
constexpr int PlotsTop = 32;
constexpr int PlotsHeight = 537 - PlotsTop;
constexpr int PlotsMinimumWidth = 360;
constexpr int PlotsMaximumWidth = 705;
constexpr int RightMargin = 40;

QFont notesFont(const ConfigRecord &config)
{
    QFont f;
    if (!config.PrintFontName.isEmpty())
        f.setFamily(config.PrintFontName);
    if (config.PrintFontSize > 0)
        f.setPointSize(config.PrintFontSize);
    f.setBold(config.PrintFontStyle & 1);
    f.setItalic(config.PrintFontStyle & 2);
    f.setUnderline(config.PrintFontStyle & 4);
    f.setStrikeOut(config.PrintFontStyle & 8);
    return f;
}

} // namespace

TFormAnalyse::TFormAnalyse(const Session &session, QWidget *parent)
    : QDialog(parent), m_session(session)
{
    setObjectName(QStringLiteral("FormAnalyse"));
    setWindowTitle(QStringLiteral("Analyse"));
    setToolTip(QStringLiteral("Fenêtre d'analyse"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setModal(true);
    resize(785, 600);
    // Everything but the status bar lies on one page, centred in the window
    // (layoutPage).
    m_page = new QWidget(this);
    m_page->setObjectName(QStringLiteral("CentredPage"));

    reportView = new QPlainTextEdit(m_page);
    reportView->setObjectName(QStringLiteral("reportView"));
    reportView->setGeometry(40, 32, 705, 385);
    reportView->setReadOnly(true);
    reportView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reportView->setFont(QFont(QStringLiteral("Courier New"), 10));

    notesLabel = new QLabel(QStringLiteral("Notes:"), m_page);
    notesLabel->setObjectName(QStringLiteral("notesLabel"));
    notesLabel->move(42, 417);

    notesEdit = new QPlainTextEdit(m_page);
    notesEdit->setObjectName(QStringLiteral("notesEdit"));
    notesEdit->setGeometry(140, 432, 601, 57);
    notesEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notesEdit->setToolTip(NotesHint);

    limitButton = makeButton(m_page, QStringLiteral("Limite"), QRect(80, 504, 89, 33),
                        QStringLiteral("Changer la limite supérieure des temps"));
    limitButton->setObjectName(QStringLiteral("limitButton"));
    resetButton = makeButton(m_page, QStringLiteral("Effacer"), QRect(192, 504, 89, 33),
                         QStringLiteral("Reprendre l'analyse initiale des données"));
    resetButton->setObjectName(QStringLiteral("resetButton"));
    printButton = makeButton(m_page, QStringLiteral("Imprimer"), QRect(304, 504, 81, 33),
                          QStringLiteral("Imprime les résultats de l'analyse"));
    printButton->setObjectName(QStringLiteral("printButton"));
    exportButton = makeButton(m_page, QStringLiteral("Exporter"), QRect(408, 504, 89, 33),
                          QStringLiteral("Exporter les données brutes vers Excel ou le bloc notes"));
    exportButton->setObjectName(QStringLiteral("exportButton"));
    optionsButton = makeButton(m_page, QStringLiteral("Options"), QRect(520, 504, 89, 33),
                         QStringLiteral("Ouvrir le fenêtre de configuration"));
    optionsButton->setObjectName(QStringLiteral("optionsButton"));
    quitButton = makeButton(m_page, QStringLiteral("Quitter"), QRect(624, 504, 89, 33),
                         QStringLiteral("Fermer et revenir à la fenêtre principale"));
    quitButton->setObjectName(QStringLiteral("quitButton"));

    newLimitLabel = new QLabel(QStringLiteral("Nouvelle limite :"), m_page);
    newLimitLabel->setObjectName(QStringLiteral("newLimitLabel"));
    QFont bold = newLimitLabel->font();
    bold.setBold(true);
    newLimitLabel->setFont(bold);
    newLimitLabel->move(16, 440);
    newLimitLabel->adjustSize();
    newLimitLabel->hide();

    limitEdit = new QLineEdit(m_page);
    limitEdit->setObjectName(QStringLiteral("limitEdit"));
    limitEdit->setGeometry(56, 468, 57, 21);
    limitEdit->hide();

    limitUnitLabel = new QLabel(QStringLiteral("(sec : )"), m_page);
    limitUnitLabel->setObjectName(QStringLiteral("limitUnitLabel"));
    limitUnitLabel->move(18, 471);
    limitUnitLabel->adjustSize();
    limitUnitLabel->hide();

    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("statusBar"));
    statusBar->setSizeGripEnabled(false);
    const int widths[3] = {50, 100, 50};
    for (int i = 0; i < 3; ++i) {
        statusPanels[i] = new QLabel(statusBar);
        statusPanels[i]->setMinimumWidth(widths[i]);
        if (i > 0)
            statusPanels[i]->setAlignment(Qt::AlignCenter);
        // The last panel takes the rest of the bar (printing messages are long).
        statusBar->addWidget(statusPanels[i], i == 2 ? 1 : 0);
    }
    statusPanels[0]->setFixedWidth(50);
    statusPanels[1]->setFixedWidth(100);
    statusPanels[1]->setText(QStringLiteral("Limite="));

    connect(limitButton, &QPushButton::clicked, this, &TFormAnalyse::LimiteClick);
    connect(resetButton, &QPushButton::clicked, this, &TFormAnalyse::EffacerClick);
    connect(printButton, &QPushButton::clicked, this, &TFormAnalyse::ImprimerClick);
    connect(exportButton, &QPushButton::clicked, this, &TFormAnalyse::ExporterClick);
    connect(optionsButton, &QPushButton::clicked, this, &TFormAnalyse::OptionsClick);
    connect(quitButton, &QPushButton::clicked, this, &TFormAnalyse::QuitterClick);
    connect(limitEdit, &QLineEdit::textChanged, this, &TFormAnalyse::LimitValChange);
    connect(limitEdit, &QLineEdit::returnPressed, this, &TFormAnalyse::LimitValKeyPress);
    connect(notesEdit, &QPlainTextEdit::textChanged, this, &TFormAnalyse::NotesChange);

    createExportGroup();
    createPlots();
}

void TFormAnalyse::FormShow()
{
    m_logic.show(m_session);
    afterShow();
}

void TFormAnalyse::FormShow(const QString &filePath, int testIndex, int speedIndex,
                            const QString &patientName, const QString &version)
{
    m_logic.show(filePath, testIndex, speedIndex, patientName, version, m_session.config.ProgramDir);
    afterShow();
}

void TFormAnalyse::afterShow()
{
    setWindowTitle(m_logic.caption());
    const AnalysisState &st = m_logic.state();
    m_timingLines = journalEntryLines(
        findJournalEntry(m_session.programFile(TimingJournalName), st.FileName, st.AdministrationDate), 78);
    reportView->setFixedHeight(385);
    notesEdit->setToolTip(NotesHint);
    notesEdit->setFont(notesFont(m_session.config));
    QPalette p = notesEdit->palette();
    p.setColor(QPalette::Text, Qt::black);
    notesEdit->setPalette(p);
    notesEdit->setReadOnly(false);
    setLimitEditing(false);
    {
        const QSignalBlocker block(limitEdit);
        limitEdit->clear();
    }
    const bool visible = m_logic.limitButtonsVisible();
    limitButton->setVisible(visible);
    resetButton->setVisible(visible);
    limitButton->setEnabled(m_logic.limitButtonsEnabled());
    resetButton->setEnabled(m_logic.limitButtonsEnabled());
    setNotesBox(m_logic.notes());
    showReport(false);
    refreshStatus();
    exportGroup->hide();
    applyExportAvailability(true);
    refreshPlots();
}

void TFormAnalyse::showReport(bool scrollToEnd)
{
    // The journal line goes under the report in the window, never into the report.
    const QString report = m_logic.reportText();
    reportView->setPlainText(report.isEmpty() ? report
                                        : report + QStringLiteral("\n\n") + m_timingLines.join(QLatin1Char('\n')));
    if (scrollToEnd)
        reportView->verticalScrollBar()->setValue(reportView->verticalScrollBar()->maximum());
    else
        reportView->moveCursor(QTextCursor::Start);
}

void TFormAnalyse::setNotesBox(const QStringList &lines)
{
    // Filling the box is not a change of the examiner's: the hint stays.
    const QSignalBlocker block(notesEdit);
    notesEdit->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TFormAnalyse::notesBoxLines() const
{
    return notesEdit->toPlainText().split(QLatin1Char('\n'));
}

void TFormAnalyse::setLimitEditing(bool editing, const QString &proposed)
{
    if (editing) {
        notesEdit->setGeometry(144, notesEdit->y(), 601, notesEdit->height());
        newLimitLabel->show();
        limitEdit->show();
        limitUnitLabel->show();
        limitEdit->setText(proposed); // raises LimitValChange, as typing does
        limitEdit->setReadOnly(false);
        limitEdit->setFocus();
        limitEdit->selectAll();
    } else {
        limitEdit->setReadOnly(true);
        limitEdit->hide();
        newLimitLabel->hide();
        limitUnitLabel->hide();
        notesEdit->setGeometry(40, notesEdit->y(), 705, notesEdit->height());
    }
    limitButton->setText(m_logic.limitCaption());
}

void TFormAnalyse::refreshStatus()
{
    statusPanels[1]->setText(m_logic.limitStatus());
    statusPanels[2]->setText(m_logic.statusMessage());
}

void TFormAnalyse::LimiteClick()
{
    const bool wasEditing = m_logic.limitStep() == AnalysisWindowLogic::LimitStep::Editing;
    const QString proposed = m_logic.limitClick();
    if (!wasEditing) {
        setLimitEditing(true, proposed);
    } else {
        setLimitEditing(false);
        showReport(true);
        refreshPlots();
    }
    refreshStatus();
}

void TFormAnalyse::LimitValChange(const QString &text)
{
    m_logic.limitTextChanged(text);
}

void TFormAnalyse::LimitValKeyPress()
{
    if (m_logic.limitStep() == AnalysisWindowLogic::LimitStep::Editing)
        LimiteClick();
}

void TFormAnalyse::NotesChange()
{
    notesEdit->setToolTip(QString());
}

void TFormAnalyse::EffacerClick()
{
    // The notes box keeps what the examiner typed: only the report starts again.
    m_logic.effacer(notesBoxLines());
    limitButton->setEnabled(m_logic.limitButtonsEnabled());
    resetButton->setEnabled(m_logic.limitButtonsEnabled());
    showReport(false);
    refreshStatus();
    applyExportAvailability(false);
    refreshPlots();
}

void TFormAnalyse::OptionsClick()
{
    m_logic.setStatusMessage(QString());
    refreshStatus();
    if (m_session.services.showOptions)
        m_session.services.showOptions();
}

void TFormAnalyse::QuitterClick()
{
    reject();
}

void TFormAnalyse::reject()
{
    if (m_printing) // the window stays while printing waits for the print system
        return;
    const auto outcome = m_logic.closeSequence(notesBoxLines());
    refreshStatus();
    if (outcome == AnalysisWindowLogic::CloseOutcome::KeptOpen)
        return;
    {
        const QSignalBlocker block(notesEdit);
        notesEdit->clear();
    }
    done(QDialog::Accepted);
}

// ---- the page and the plots beside the report -------------------------------

void TFormAnalyse::createPlots()
{
    plots = new AnalysisPlots(m_page);
    plotsButton = new QPushButton(QStringLiteral("Graphiques"), m_page);
    plotsButton->setObjectName(QStringLiteral("plotsButton"));
    plotsButton->setToolTip(QStringLiteral("Afficher les graphiques à la place du rapport"));
    plotsButton->setCheckable(true);
    plotsButton->setAutoDefault(false);
    plotsButton->setGeometry(40 + 705 - 110, 4, 110, 24);
    connect(plotsButton, &QPushButton::clicked, this, &TFormAnalyse::GraphiquesClick);
    layoutPage();
}

void TFormAnalyse::refreshPlots()
{
    plots->setData(buildPlotData(m_logic.state()));
}

void TFormAnalyse::GraphiquesClick()
{
    layoutPage();
}

void TFormAnalyse::layoutPage()
{
    if (!plots)
        return;
    const int above = height() - statusBar->sizeHint().height();
    const int room = qMin(width() - PlotsLeft - RightMargin, PlotsMaximumWidth);
    const bool beside = room >= PlotsMinimumWidth;
    const QSize page(beside ? PlotsLeft + room + RightMargin : PageWidth, PageHeight);
    m_page->setGeometry(qMax(0, (width() - page.width()) / 2), qMax(0, (above - page.height()) / 2),
                        page.width(), page.height());
    if (beside) {
        plotsButton->hide();
        plotsButton->setChecked(false);
        reportView->show();
        plots->setGeometry(PlotsLeft, PlotsTop, room, PlotsHeight);
        plots->show();
        return;
    }
    plotsButton->show();
    const bool plotsShown = plotsButton->isChecked();
    plotsButton->setText(plotsShown ? QStringLiteral("Rapport") : QStringLiteral("Graphiques"));
    plotsButton->setToolTip(plotsShown ? QStringLiteral("Afficher le rapport à la place des graphiques")
                                      : QStringLiteral("Afficher les graphiques à la place du rapport"));
    plots->setGeometry(reportView->geometry());
    plots->setVisible(plotsShown);
    reportView->setVisible(!plotsShown);
    if (plotsShown)
        plots->raise();
}

void TFormAnalyse::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int h = statusBar->sizeHint().height();
    statusBar->setGeometry(0, height() - h, width(), h);
    layoutPage();
    // The status bar right under the page, as wide as it: its messages stand where the
    // examiner looks, not on the screen's bottom edge.
    const QRect page = m_page->geometry();
    statusBar->setGeometry(page.x(), qMin(page.bottom() + 1, height() - h), page.width(), h);
}

TFormAnalyse *analysisWindow(const Session &session)
{
    static TFormAnalyse *window = nullptr;
    if (!window)
        window = new TFormAnalyse(session, mainWindow());
    return window;
}

QString showAnalysisWindow(const Session &session)
{
    TFormAnalyse *w = analysisWindow(session);
    w->FormShow();
    // Maximised; without a window manager to do it, the window takes the screen itself.
    if (QScreen *screen = w->screen())
        w->setGeometry(screen->availableGeometry());
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
    w->exec();
    return w->patientRead();
}

} // namespace zoka
