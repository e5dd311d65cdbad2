// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/analysiswindowlogic.h"
#include "platform/printsubmit.h"

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace zoka {

class AnalysisPlots;
struct PrintTarget;
struct ReportDocument;

// The analysis window: the report of the chosen file, the upper time limit, the notes
// kept in the result file. Modal over the main window, created once and reused.
class TFormAnalyse : public QDialog {
    Q_OBJECT
public:
    // Fonts, margin, program directory and options window from the session.
    explicit TFormAnalyse(const Session &session, QWidget *parent = nullptr);

    // Opening for the file the examiner chose (the session's choices).
    void FormShow();
    // The same for a given file (tests).
    void FormShow(const QString &filePath, int testIndex, int speedIndex,
                  const QString &patientName, const QString &version);

    AnalysisWindowLogic &logic() { return m_logic; }
    QString patientRead() const { return m_logic.patientRead(); }

    // Controls, named by their role. Each handler below keeps the name of its
    // control's caption (LimiteClick: "Limite", RBXLsansClick: the data-only export).
    QPlainTextEdit *reportView;
    QPlainTextEdit *notesEdit;
    QLabel *notesLabel;
    QPushButton *limitButton;
    QPushButton *resetButton;
    QPushButton *printButton;
    QPushButton *exportButton;
    QPushButton *optionsButton;
    QPushButton *quitButton;
    QLabel *newLimitLabel;
    QLineEdit *limitEdit;
    QLabel *limitUnitLabel;
    QStatusBar *statusBar;
    QLabel *statusPanels[3];
    QGroupBox *exportGroup;
    QRadioButton *exportTextChoice;
    QRadioButton *exportWithInfoChoice;
    QRadioButton *exportDataOnlyChoice;
    QRadioButton *exportPdfChoice; // the report, its notes and its plots as a PDF
    QLabel *exportFileLabel;
    QPushButton *exportOkButton;
    QPushButton *exportCancelButton;
    AnalysisPlots *plots = nullptr;     // beside the report, or in its place (plotsButton)
    QPushButton *plotsButton = nullptr; // "Graphiques": the plots instead of the report in a narrow window

    // What the window hands to the desktop, the print dialog and the print system;
    // empty = the real ones (openInDesktop, QPrintDialog, submitPrintJob). Tests put
    // theirs.
    std::function<bool(const QString &path)> openDocument;
    std::function<bool(QPrinter &printer, PrintTarget *target)> printDialog;
    std::function<bool(const QString &printer, const QString &pdfPath, const QString &title,
                       const QStringList &options, QString *jobId, QString *error)>
        submitJob;
    // Where a job the queue took stands (empty = askJobProgress).
    std::function<JobProgress(const QString &printer, const QString &jobId)> askJob;
    // How long the print system may take to answer a question about its queues.
    int printQueryTimeoutMs = 5000;

public slots:
    void LimiteClick();
    void LimitValChange(const QString &text);
    void LimitValKeyPress(); // the Enter key in limitEdit
    void NotesChange();
    void EffacerClick();
    void ImprimerClick();
    void ExporterClick();
    void BExportOkClick();
    void BExportCancelClick();
    void RBNotePadClick();
    void RBXLavecClick();
    void RBXLsansClick();
    void RBPdfClick();
    void GraphiquesClick();
    void OptionsClick();
    void QuitterClick();
    // Every way of closing (close box, Escape) comes here: the close sequence, once.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void afterShow();
    void showReport(bool scrollToEnd);
    void setNotesBox(const QStringList &lines);
    void setLimitEditing(bool editing, const QString &proposed = QString());
    void refreshStatus();
    QStringList notesBoxLines() const;
    // Export and printing (exporting.cpp, printing.cpp); the page and the plots.
    void createExportGroup();
    void applyExportAvailability(bool showing);
    QString exportPath(bool pdf) const;
    ReportDocument reportDocument() const;
    void printReport(); // "Imprimer", the window kept from a second one meanwhile
    void createPlots();
    void refreshPlots();
    void layoutPage(); // the page centred, the plots beside the report or in its place

    const Session &m_session;
    AnalysisWindowLogic m_logic;
    QWidget *m_page = nullptr;
    bool m_printing = false; // "Imprimer" waits for the print system
    // The file's line of the timing journal, shown and printed under the report.
    QStringList m_timingLines;
};

// The window instance (created at the first call).
TFormAnalyse *analysisWindow(const Session &session);

} // namespace zoka
