// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/lateralise.h"

#include "platform/messages.h"
#include "platform/trialtimer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zoka {

bool LateraliseProgramme::begin(const RunSetup &setup)
{
    m_top = setup.stimulusTop;
    m_left = setup.stimulusLeft;
    m_surface.setShown(m_square, false);
    prepare(1);
    m_surface.drawNow();
    return true;
}

void LateraliseProgramme::prepare(int position)
{
    if (position < 1 || position >= int(m_top.size()))
        return;
    m_surface.moveTo(m_square, m_left[size_t(position)], m_top[size_t(position)]);
}

void LateraliseProgramme::present(int)
{
    m_surface.setShown(m_square, true);
    m_surface.drawNow();
}

void LateraliseProgramme::withdraw(int)
{
    m_surface.setShown(m_square, false);
    m_surface.drawNow();
}

// The run is over: what is up stays on the screen until the window closes, but the
// window opens on a blank stage for the next run.
void LateraliseProgramme::end() { m_surface.setShown(m_square, false); }

QString pictureErrorText(const QString &path, const QString &reason)
{
    return QStringLiteral("L'image « %1 » ne peut pas être affichée : %2.\n\nFichier : %3")
        .arg(QFileInfo(path).fileName(), reason, QDir::toNativeSeparators(path));
}

LateraliseFixationProgramme::LateraliseFixationProgramme(StimulusSurface &surface, int square,
                                                         int frame, int point, TrialTimer &fixationTimer)
    : LateraliseProgramme(surface, square), m_frame(frame), m_point(point), m_fixationTimer(fixationTimer)
{
    m_fixationTimer.setCallback([this] { fixationTimerFired(); });
}

LateraliseFixationProgramme::~LateraliseFixationProgramme()
{
    m_fixationTimer.stop();
    m_fixationTimer.setCallback({});
}

bool LateraliseFixationProgramme::begin(const RunSetup &setup)
{
    m_running = false;
    m_fixationTimer.stop();
    m_surface.setShown(m_point, false);
    // The point is read again at every start, so that the file in the program
    // directory is what the patient sees.
    const QString path = setup.dataFile(QLatin1String(PointFile));
    QFile file(path);
    if (!file.exists()) {
        showError(pictureErrorText(path, QStringLiteral("fichier introuvable")));
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        showError(pictureErrorText(path, QStringLiteral("le fichier ne peut pas être lu")));
        return false;
    }
    if (!m_surface.setPicture(m_point, file.readAll())) {
        showError(pictureErrorText(path, QStringLiteral("le fichier n'est pas une image lisible")));
        return false;
    }
    m_surface.moveTo(m_point, PointBox.left(), PointBox.top());
    m_surface.moveTo(m_frame, FrameBox.left(), FrameBox.top());
    m_surface.setShown(m_frame, true);
    m_schedule = setup.fixationSeconds;
    m_fixationPresses = 0;
    m_running = true;
    return LateraliseProgramme::begin(setup);
}

void LateraliseFixationProgramme::foreperiodStarted(int position)
{
    const int f = position >= 1 && position <= m_schedule.size() ? m_schedule[position - 1] : 0;
    if (f > 0)
        m_fixationTimer.start(f * 1000);
    else
        m_fixationTimer.stop();
}

// Fixation timer: the point comes up for 500 ms, then goes.
void LateraliseFixationProgramme::fixationTimerFired()
{
    if (!m_running)
        return;
    if (!m_surface.isShown(m_point)) {
        m_surface.setShown(m_point, true);
        m_fixationTimer.start(FixationShownMs);
    } else {
        m_surface.setShown(m_point, false);
    }
    m_surface.drawNow();
}

void LateraliseFixationProgramme::untimelyPress()
{
    if (m_surface.isShown(m_point))
        ++m_fixationPresses;
}

void LateraliseFixationProgramme::end()
{
    // A point that is up at the stop key stays until the window closes.
    m_running = false;
    m_fixationTimer.stop();
    m_surface.setShown(m_point, false);
    LateraliseProgramme::end();
}

} // namespace zoka
