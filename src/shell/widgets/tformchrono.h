// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/timingcheck.h"
#include "shell/session.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace zoka {

// "Contrôle de la chronométrie", opened from the options window: the timing check
// runs (about 10 s) once the window is up, then one line per measure with its verdict
// and thresholds; "Enregistrer en PDF" saves what is shown.
class TFormChrono : public QDialog {
    Q_OBJECT
public:
    explicit TFormChrono(const Session &session, QWidget *parent = nullptr);

    // Runs the measurements and shows them.
    void runCheck();
    // Shows figures measured elsewhere (tests).
    void showFigures(const TimingCheckFigures &figures, const QString &when);
    const QList<CheckLine> &lines() const { return m_lines; }
    // The PDF of what is shown, written whole to `path`; false with the French
    // message shown when it cannot be written.
    bool savePdf(const QString &path);

    QLabel *statusLabel;
    QTextBrowser *resultsView;
    QPushButton *restartButton;
    QPushButton *savePdfButton;
    QPushButton *closeButton;

    // Where "Enregistrer en PDF" writes; empty = a file dialog. Tests put theirs.
    std::function<QString()> choosePdfPath;
    // The tone of the sound measurement; empty = Songrave.wav of the program directory.
    QString toneFile;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void EnregistrerPdfClick();
    const Session &m_session;
    bool m_running = false;
    bool m_ranOnce = false;
    QList<CheckLine> m_lines;
    QString m_html;
};

// The subtitle of a check: date and time, display server, session.
QString timingCheckSubtitle();

// Opens the window modally and runs the check.
void showTimingCheckWindow(const Session &session, QWidget *parent);

} // namespace zoka
