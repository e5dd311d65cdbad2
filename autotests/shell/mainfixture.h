// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's logic over a temporary results directory, shared by its logic
// test and its window test.
#pragma once
#include "platform/fileattr.h"
#include "platform/messages.h"
#include "shell/configfile.h"
#include "shell/mainlogic.h"
#include "shell/session.h"

#include <QtTest>

namespace zoka::testing {

inline const QString B20(20, ' ');

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

inline void touch(const QString &path, const QByteArray &content = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// A main window's logic over a temporary results directory, with every outside
// window replaced by a recorder.
struct Fixture {
    QTemporaryDir dir;
    QString results;
    QStringList calls;
    QString analysedPatient; // what the analysis window reads from the file's header
    QList<QSize> modes;
    Session session;
    MainLogic logic{session};
    bool configOk = true;
    bool saveOk = true;

    Fixture()
    {
        results = dir.filePath("Epreuves");
        QDir().mkpath(results);
        session.startDir = dir.path();
        session.config = defaultConfigRecord(dir.path());
        session.config.ResultsDir = results;
        Services &h = session.services;
        h.showIntro = [this] { calls << "intro"; };
        h.loadConfiguration = [this] {
            calls << "config";
            return configOk;
        };
        h.showOptions = [this] { calls << "options"; };
        h.startAdministration = [this] { calls << "administration:" + session.choices.resultFileName; };
        h.showAnalysis = [this] {
            calls << "analysis:" + session.choices.selectedFile;
            return analysedPatient;
        };
        h.saveConfiguration = [this] {
            calls << "save";
            return saveOk;
        };
        h.switchScreenMode = [this](int w, int hh) {
            modes << QSize(w, hh);
            return true;
        };
        h.screenSize = [] { return QSize(1024, 768); };
        logic.setWindowCallbacks({}, [this] { calls << "quit"; });
    }
    // A file of the results directory.
    QString at(const QString &name) const { return QDir(results).filePath(name); }

    void file(const QString &name, bool notAnalysed = false)
    {
        touch(QDir(results).filePath(name));
        if (notAnalysed)
            setReadOnlyMark(QDir(results).filePath(name));
    }
    // Start-up with files already present.
    void start(ScopedScriptedMessages &msgs)
    {
        logic.FormShow();
        msgs.service.clear();
        calls.clear();
        modes.clear();
    }
    int row(const QString &entry) const { return int(logic.patientFilesList.entries.indexOf(entry)); }
};

} // namespace zoka::testing
