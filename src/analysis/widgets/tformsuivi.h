// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "analysis/followup.h"
#include "shell/session.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QStatusBar;
class QStringListModel;
class QTabWidget;
class QTreeWidget;

namespace zoka {

struct PrintTarget;
struct ReportDocument;

// "Suivi du patient": every administration of one patient, by test and date, with its
// measures; the plots across sessions of the chosen test; the change between two of
// its administrations. Modal over the main window, created once and reused.
class TFormSuivi : public QDialog {
    Q_OBJECT
public:
    // Fonts, margin and version of the printed follow-up from the session.
    explicit TFormSuivi(const Session &session, QWidget *parent = nullptr);

    // Opening on the results directory `dir` for `patient` (empty, or a name without
    // any file: the first patient found is proposed).
    void FormShow(const QString &dir, const QString &patient);

    const QList<Administration> &administrations() const { return m_all; }
    QString patient() const { return m_patient; }
    int currentTest() const { return m_test; }
    // The pair compared for the current test (indices into administrations()).
    QPair<int, int> comparedPair() const;
    // The follow-up as printed (and as the PDF holds it).
    ReportDocument document() const;
    QString exportPdfPath() const;

    QComboBox *patientChoice;
    QLabel *summaryLabel;
    QTreeWidget *administrationTree;
    QComboBox *testChoice; // the test of the plots and of the comparison
    QTabWidget *chartTabs;
    QComboBox *firstChoice;  // before ("Comparer la passation")
    QComboBox *secondChoice; // after ("à la passation")
    QLabel *changeLabel;
    QPushButton *printButton;
    QPushButton *exportPdfButton;
    QPushButton *exportItemsButton;
    QPushButton *closeButton;
    QStatusBar *statusBar;

    // What the window hands to the print dialog, the print system and the desktop;
    // empty = the real ones. Tests put theirs.
    std::function<bool(QPrinter &printer, PrintTarget *target)> printDialog;
    std::function<bool(const QString &printer, const QString &pdfPath, const QString &title,
                       const QStringList &options, QString *jobId, QString *error)>
        submitJob;
    std::function<bool(const QString &path)> openDocument;

public slots:
    void PatientsChange(int index);
    void EpreuveChange(int index);
    void PassationChange();
    void ImprimerClick();
    void ExporterPdfClick();
    void ExporterItemsClick();

private:
    const Session &m_session;
    void load(const QString &patient);
    void fillTree();
    void fillTests();
    void fillComparison();
    void showChange();
    void showCharts();
    QList<QPair<int, int>> printedPairs() const;

    QStringListModel *m_patients = nullptr;
    QString m_dir;
    QStringList m_files;
    QString m_patient;
    QList<Administration> m_all;
    int m_test = -1;
    bool m_filling = false;
};

// The window instance (created at the first call).
TFormSuivi *followUpWindow(const Session &session);

} // namespace zoka
