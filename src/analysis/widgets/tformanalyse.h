#pragma once
#include "analysis/analysiswindowlogic.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

namespace zoka {

// The analysis window: the report of SelectedFile, the upper time limit, the notes
// kept in the result file. Modal over the main window, created once and reused.
class TFormAnalyse : public QDialog {
    Q_OBJECT
public:
    explicit TFormAnalyse(QWidget *parent = nullptr);

    // Opening for the file of the shared state (SelectedFile, TestIndex, ...).
    void FormShow();
    // The same for a given file (tests).
    void FormShow(const QString &filePath, int testIndex, int speedIndex,
                  const QString &patientName, const QString &version);

    AnalysisWindowLogic &logic() { return m_logic; }
    QString patientRead() const { return m_logic.patientRead(); }

    // Controls, named as in the window's design.
    QPlainTextEdit *Data;
    QPlainTextEdit *Notes;
    QLabel *Label2;
    QPushButton *Limite;
    QPushButton *Effacer;
    QPushButton *Imprimer;
    QPushButton *Exporter;
    QPushButton *Options;
    QPushButton *Quitter;
    QLabel *NouvLimite;
    QLineEdit *LimitVal;
    QLabel *Label3;
    QStatusBar *StatusBar1;
    QLabel *StatusPanels[3];

public slots:
    void LimiteClick();
    void LimitValChange(const QString &text);
    void LimitValKeyPress(); // the Enter key in LimitVal
    void NotesChange();
    void EffacerClick();
    void ImprimerClick();
    void ExporterClick();
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

    AnalysisWindowLogic m_logic;
};

// The window instance (created at the first call).
TFormAnalyse *analysisWindow();

} // namespace zoka
