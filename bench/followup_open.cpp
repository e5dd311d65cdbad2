// SPDX-License-Identifier: GPL-3.0-or-later
// Times the opening of a patient's follow-up: the result files of a results directory
// and its subdirectories, the patients among them, and every administration of one
// patient read and measured, then the last two of each test compared; then the same
// through the window itself (list, plots, comparison, shown and painted).
//
//   followup_open DIR PATIENT
#include "analysis/followup.h"
#include "analysis/widgets/tformsuivi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

using namespace zoka;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: followup_open DIR PATIENT\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString patient = QString::fromLocal8Bit(argv[2]);
    QElapsedTimer timer;
    timer.start();
    const QStringList files = resultFilesUnder(dir);
    const qint64 listed = timer.elapsed();
    const QStringList patients = patientsOf(files);
    const QList<Administration> all = loadFollowUp(files, patient);
    const qint64 read = timer.elapsed();
    int compared = 0;
    for (int t = 0; t < 10; ++t) {
        const QPair<int, int> p = defaultComparison(all, t);
        if (p.first >= 0 && compareAdministrations(all.at(p.first), all.at(p.second)).valid)
            ++compared;
    }
    const qint64 total = timer.elapsed();
    std::printf("%lld files, %lld patients, %lld administrations of %s, %d comparisons: "
                "listed in %.3f s, read in %.3f s, total %.3f s\n",
                qint64(files.size()), qint64(patients.size()), qint64(all.size()), argv[2], compared,
                listed / 1000.0, (read - listed) / 1000.0, total / 1000.0);

    const Session session;
    TFormSuivi window(session);
    timer.restart();
    window.FormShow(dir, patient);
    window.show();
    QApplication::processEvents();
    window.repaint();
    std::printf("the window: %lld administrations shown in %.3f s\n", qint64(window.administrations().size()),
                timer.elapsed() / 1000.0);
    return 0;
}
