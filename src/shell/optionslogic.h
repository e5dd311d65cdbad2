// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "shell/config.h"
#include "shell/session.h"

#include <QString>
#include <QStringList>

namespace zoka {

// What the options window does with the session's configuration, apart from drawing:
// every handler of the window that touches the configuration or the results
// directory. Messages go through messages(). The window keeps one of these and calls
// formShow() at every opening.
class OptionsLogic {
public:
    explicit OptionsLogic(Session &session);

    // Texts of the window's error box, index 0-5.
    static const QStringList &errorTexts();
    // 10 blanks + errorTexts()[n] + 8 blanks (n outside 0-5 counts as 0).
    static QString errorMessage(int n);

    struct Fields {
        QString dir;    // resultsDirEdit
        QString key;    // stopKeyEdit
        QString margin; // marginEdit, decimal comma
    };
    // Opening: config.Version := ProgramVersion, snapshot taken, error cleared; also
    // remembers the results directory in force, which "Annuler" puts back.
    Fields formShow();

    // The margin as the window shows it: decimal comma ("1,5").
    static QString marginText(double cm);

    // ---- Results directory ----
    void dirEprChange(const QString &text);
    // Leaving the directory field. Returns the text the field must show afterwards
    // (the snapshot's directory when the examiner refused to create a new one).
    QString dirEprExit();
    // Where the directory dialog starts: the field's text when it is an existing
    // directory, otherwise the program directory.
    QString dialogStartDir(const QString &fieldText) const;
    // The dialog's outcome ("" = cancelled). Returns the field's new text.
    QString directoryDialogResult(const QString &chosen);

    // ---- Margin, font, stop key ----
    void margeGChange(const QString &text);
    // The font dialog's choice. Refused (message, nothing changed) when the name
    // cannot be stored in the record.
    bool setPrintFont(const QString &name, int pointSize, quint8 style, qint32 colorBgr);
    void keyStopChange(const QString &text);
    void keyStopExit();

    // ---- Closing ----
    enum class Outcome { Stay, Close };
    Outcome accepterClick(bool saveChecked);
    // Returns the text the directory field shows afterwards.
    QString annulerClick();

    int optionsError() const { return m_error; }
    const ConfigRecord &snapshot() const { return m_snapshot; }
    // Directories this visit created (the results directory and its "Export"), in
    // the order of creation.
    const QStringList &createdDirectories() const { return m_created; }

private:
    bool createDirectory(const QString &dir);
    // The session's results directory := ResultsDir (made absolute), when its files
    // can be reached; its "Export" folder created when missing.
    bool enterResultsDirectory();
    bool checkStorable();         // message when ResultsDir cannot be kept
    void makeResultsDirAbsolute();
    void showOptionsError();

    Session &m_session;
    ConfigRecord m_snapshot;
    QString m_savedResultsDir;
    QStringList m_created;
    int m_error = -1;
};

} // namespace zoka
