// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/widgets/tformanalyse.h"

#include "analysis/widgets/plots.h"

#include "platform/messages.h"
#include "platform/timingjournal.h"
#include "shell/sharedstate.h"
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

QFont notesFont()
{
    QFont f;
    if (!Config.PrintFontName.isEmpty())
        f.setFamily(Config.PrintFontName);
    if (Config.PrintFontSize > 0)
        f.setPointSize(Config.PrintFontSize);
    f.setBold(Config.PrintFontStyle & 1);
    f.setItalic(Config.PrintFontStyle & 2);
    f.setUnderline(Config.PrintFontStyle & 4);
    f.setStrikeOut(Config.PrintFontStyle & 8);
    return f;
}

} // namespace

TFormAnalyse::TFormAnalyse(QWidget *parent)
    : QDialog(parent)
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

    Data = new QPlainTextEdit(m_page);
    Data->setObjectName(QStringLiteral("Data"));
    Data->setGeometry(40, 32, 705, 385);
    Data->setReadOnly(true);
    Data->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Data->setFont(QFont(QStringLiteral("Courier New"), 10));

    Label2 = new QLabel(QStringLiteral("Notes:"), m_page);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(42, 417);

    Notes = new QPlainTextEdit(m_page);
    Notes->setObjectName(QStringLiteral("Notes"));
    Notes->setGeometry(140, 432, 601, 57);
    Notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Notes->setToolTip(NotesHint);

    Limite = makeButton(m_page, QStringLiteral("Limite"), QRect(80, 504, 89, 33),
                        QStringLiteral("Changer la limite supérieure des temps"));
    Limite->setObjectName(QStringLiteral("Limite"));
    Effacer = makeButton(m_page, QStringLiteral("Effacer"), QRect(192, 504, 89, 33),
                         QStringLiteral("Reprendre l'analyse initiale des données"));
    Effacer->setObjectName(QStringLiteral("Effacer"));
    Imprimer = makeButton(m_page, QStringLiteral("Imprimer"), QRect(304, 504, 81, 33),
                          QStringLiteral("Imprime les résultats de l'analyse"));
    Imprimer->setObjectName(QStringLiteral("Imprimer"));
    Exporter = makeButton(m_page, QStringLiteral("Exporter"), QRect(408, 504, 89, 33),
                          QStringLiteral("Exporter les données brutes vers Excel ou le bloc notes"));
    Exporter->setObjectName(QStringLiteral("Exporter"));
    Options = makeButton(m_page, QStringLiteral("Options"), QRect(520, 504, 89, 33),
                         QStringLiteral("Ouvrir le fenêtre de configuration"));
    Options->setObjectName(QStringLiteral("Options"));
    Quitter = makeButton(m_page, QStringLiteral("Quitter"), QRect(624, 504, 89, 33),
                         QStringLiteral("Fermer et revenir à la fenêtre principale"));
    Quitter->setObjectName(QStringLiteral("Quitter"));

    NouvLimite = new QLabel(QStringLiteral("Nouvelle limite :"), m_page);
    NouvLimite->setObjectName(QStringLiteral("NouvLimite"));
    QFont bold = NouvLimite->font();
    bold.setBold(true);
    NouvLimite->setFont(bold);
    NouvLimite->move(16, 440);
    NouvLimite->adjustSize();
    NouvLimite->hide();

    LimitVal = new QLineEdit(m_page);
    LimitVal->setObjectName(QStringLiteral("LimitVal"));
    LimitVal->setGeometry(56, 468, 57, 21);
    LimitVal->hide();

    Label3 = new QLabel(QStringLiteral("(sec : )"), m_page);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(18, 471);
    Label3->adjustSize();
    Label3->hide();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    const int widths[3] = {50, 100, 50};
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i] = new QLabel(StatusBar1);
        StatusPanels[i]->setMinimumWidth(widths[i]);
        if (i > 0)
            StatusPanels[i]->setAlignment(Qt::AlignCenter);
        // The last panel takes the rest of the bar (printing messages are long).
        StatusBar1->addWidget(StatusPanels[i], i == 2 ? 1 : 0);
    }
    StatusPanels[0]->setFixedWidth(50);
    StatusPanels[1]->setFixedWidth(100);
    StatusPanels[1]->setText(QStringLiteral("Limite="));

    connect(Limite, &QPushButton::clicked, this, &TFormAnalyse::LimiteClick);
    connect(Effacer, &QPushButton::clicked, this, &TFormAnalyse::EffacerClick);
    connect(Imprimer, &QPushButton::clicked, this, &TFormAnalyse::ImprimerClick);
    connect(Exporter, &QPushButton::clicked, this, &TFormAnalyse::ExporterClick);
    connect(Options, &QPushButton::clicked, this, &TFormAnalyse::OptionsClick);
    connect(Quitter, &QPushButton::clicked, this, &TFormAnalyse::QuitterClick);
    connect(LimitVal, &QLineEdit::textChanged, this, &TFormAnalyse::LimitValChange);
    connect(LimitVal, &QLineEdit::returnPressed, this, &TFormAnalyse::LimitValKeyPress);
    connect(Notes, &QPlainTextEdit::textChanged, this, &TFormAnalyse::NotesChange);

    createExportGroup();
    createPlots();
}

void TFormAnalyse::FormShow()
{
    m_logic.show();
    afterShow();
}

void TFormAnalyse::FormShow(const QString &filePath, int testIndex, int speedIndex,
                            const QString &patientName, const QString &version)
{
    m_logic.show(filePath, testIndex, speedIndex, patientName, version);
    afterShow();
}

void TFormAnalyse::afterShow()
{
    setWindowTitle(m_logic.caption());
    const AnalysisState &st = m_logic.state();
    m_timingLines = journalEntryLines(
        findJournalEntry(programFile(TimingJournalName), st.FileName, st.AdministrationDate), 78);
    Data->setFixedHeight(385);
    Notes->setToolTip(NotesHint);
    Notes->setFont(notesFont());
    QPalette p = Notes->palette();
    p.setColor(QPalette::Text, Qt::black);
    Notes->setPalette(p);
    Notes->setReadOnly(false);
    setLimitEditing(false);
    {
        const QSignalBlocker block(LimitVal);
        LimitVal->clear();
    }
    const bool visible = m_logic.limitButtonsVisible();
    Limite->setVisible(visible);
    Effacer->setVisible(visible);
    Limite->setEnabled(m_logic.limitButtonsEnabled());
    Effacer->setEnabled(m_logic.limitButtonsEnabled());
    setNotesBox(m_logic.notes());
    showReport(false);
    refreshStatus();
    GroupExport->hide();
    applyExportAvailability(true);
    refreshPlots();
}

void TFormAnalyse::showReport(bool scrollToEnd)
{
    // The journal line goes under the report in the window, never into the report.
    const QString report = m_logic.reportText();
    Data->setPlainText(report.isEmpty() ? report
                                        : report + QStringLiteral("\n\n") + m_timingLines.join(QLatin1Char('\n')));
    if (scrollToEnd)
        Data->verticalScrollBar()->setValue(Data->verticalScrollBar()->maximum());
    else
        Data->moveCursor(QTextCursor::Start);
}

void TFormAnalyse::setNotesBox(const QStringList &lines)
{
    // Filling the box is not a change of the examiner's: the hint stays.
    const QSignalBlocker block(Notes);
    Notes->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TFormAnalyse::notesBoxLines() const
{
    return Notes->toPlainText().split(QLatin1Char('\n'));
}

void TFormAnalyse::setLimitEditing(bool editing, const QString &proposed)
{
    if (editing) {
        Notes->setGeometry(144, Notes->y(), 601, Notes->height());
        NouvLimite->show();
        LimitVal->show();
        Label3->show();
        LimitVal->setText(proposed); // raises LimitValChange, as typing does
        LimitVal->setReadOnly(false);
        LimitVal->setFocus();
        LimitVal->selectAll();
    } else {
        LimitVal->setReadOnly(true);
        LimitVal->hide();
        NouvLimite->hide();
        Label3->hide();
        Notes->setGeometry(40, Notes->y(), 705, Notes->height());
    }
    Limite->setText(m_logic.limitCaption());
}

void TFormAnalyse::refreshStatus()
{
    StatusPanels[1]->setText(m_logic.limitStatus());
    StatusPanels[2]->setText(m_logic.statusMessage());
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
    Notes->setToolTip(QString());
}

void TFormAnalyse::EffacerClick()
{
    // The notes box keeps what the examiner typed: only the report starts again.
    m_logic.effacer(notesBoxLines());
    Limite->setEnabled(m_logic.limitButtonsEnabled());
    Effacer->setEnabled(m_logic.limitButtonsEnabled());
    showReport(false);
    refreshStatus();
    applyExportAvailability(false);
    refreshPlots();
}

void TFormAnalyse::OptionsClick()
{
    m_logic.setStatusMessage(QString());
    refreshStatus();
    ShowOptionsWindow();
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
        const QSignalBlocker block(Notes);
        Notes->clear();
    }
    done(QDialog::Accepted);
}

// ---- the page and the plots beside the report -------------------------------

void TFormAnalyse::createPlots()
{
    Plots = new AnalysisPlots(m_page);
    Graphiques = new QPushButton(QStringLiteral("Graphiques"), m_page);
    Graphiques->setObjectName(QStringLiteral("Graphiques"));
    Graphiques->setToolTip(QStringLiteral("Afficher les graphiques à la place du rapport"));
    Graphiques->setCheckable(true);
    Graphiques->setAutoDefault(false);
    Graphiques->setGeometry(40 + 705 - 110, 4, 110, 24);
    connect(Graphiques, &QPushButton::clicked, this, &TFormAnalyse::GraphiquesClick);
    layoutPage();
}

void TFormAnalyse::refreshPlots()
{
    Plots->setData(buildPlotData(m_logic.state()));
}

void TFormAnalyse::GraphiquesClick()
{
    layoutPage();
}

void TFormAnalyse::layoutPage()
{
    if (!Plots)
        return;
    const int above = height() - StatusBar1->sizeHint().height();
    const int room = qMin(width() - PlotsLeft - RightMargin, PlotsMaximumWidth);
    const bool beside = room >= PlotsMinimumWidth;
    const QSize page(beside ? PlotsLeft + room + RightMargin : PageWidth, PageHeight);
    m_page->setGeometry(qMax(0, (width() - page.width()) / 2), qMax(0, (above - page.height()) / 2),
                        page.width(), page.height());
    if (beside) {
        Graphiques->hide();
        Graphiques->setChecked(false);
        Data->show();
        Plots->setGeometry(PlotsLeft, PlotsTop, room, PlotsHeight);
        Plots->show();
        return;
    }
    Graphiques->show();
    const bool plotsShown = Graphiques->isChecked();
    Graphiques->setText(plotsShown ? QStringLiteral("Rapport") : QStringLiteral("Graphiques"));
    Graphiques->setToolTip(plotsShown ? QStringLiteral("Afficher le rapport à la place des graphiques")
                                      : QStringLiteral("Afficher les graphiques à la place du rapport"));
    Plots->setGeometry(Data->geometry());
    Plots->setVisible(plotsShown);
    Data->setVisible(!plotsShown);
    if (plotsShown)
        Plots->raise();
}

void TFormAnalyse::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int h = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - h, width(), h);
    layoutPage();
    // The status bar right under the page, as wide as it: its messages stand where the
    // examiner looks, not on the screen's bottom edge.
    const QRect page = m_page->geometry();
    StatusBar1->setGeometry(page.x(), qMin(page.bottom() + 1, height() - h), page.width(), h);
}

TFormAnalyse *analysisWindow()
{
    static TFormAnalyse *window = nullptr;
    if (!window)
        window = new TFormAnalyse(mainWindow());
    return window;
}

QString ShowAnalysisWindow()
{
    TFormAnalyse *w = analysisWindow();
    w->FormShow();
    // Maximised; without a window manager to do it, the window takes the screen itself.
    if (QScreen *screen = w->screen())
        w->setGeometry(screen->availableGeometry());
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
    w->exec();
    return w->patientRead();
}

} // namespace zoka
