// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/puce.h"

#include "platform/messages.h"
#include "platform/stagegeometry.h"

namespace zoka {

PuceProgramme::PuceProgramme(StimulusSurface &surface, int target, QString face, FaceCheck faceCheck)
    : m_surface(surface), m_target(target), m_face(std::move(face)), m_faceCheck(std::move(faceCheck))
{
}

bool PuceProgramme::begin(const RunSetup &setup)
{
    m_top = setup.stimulusTop;
    m_left = setup.stimulusLeft;
    m_surface.setShown(m_target, false);
    m_surface.drawNow();

    // Every item needs a place on the stage: 1 to 64 items, each inside it.
    const int last = int(m_top.size()) - 1;
    bool placed = setup.itemCount >= 1 && setup.itemCount <= last;
    const QRect stage(0, 0, StageGeometry::Width, StageGeometry::Height);
    for (int p = 1; placed && p <= setup.itemCount; ++p)
        placed = stage.contains(place(p));
    if (!placed) {
        showError(QStringLiteral("Les positions de la cible ne sont pas prêtes pour une passation "
                                 "de %1 items.\nAucun fichier de résultats n'a été écrit.")
                      .arg(setup.itemCount));
        return false;
    }
    if (!m_face.isEmpty() && m_faceCheck && !m_faceCheck(m_face)) {
        showError(missingFaceText(m_face));
        return false;
    }
    m_surface.moveTo(m_target, m_left[1], m_top[1]);
    return true;
}

QPoint PuceProgramme::place(int position) const
{
    if (position < 1 || position >= int(m_top.size()))
        return {-1, -1};
    return {m_left[size_t(position)], m_top[size_t(position)]};
}

// The target goes to the item's place (it is still up at its old place when it
// moves: the next drawing shows it at the new one only).
void PuceProgramme::prepare(int position)
{
    const QPoint at = place(position);
    if (at.x() >= 0)
        m_surface.moveTo(m_target, at.x(), at.y());
}

void PuceProgramme::present(int)
{
    m_surface.setShown(m_target, true);
    m_surface.drawNow();
}

void PuceProgramme::withdraw(int)
{
    m_surface.setShown(m_target, false);
    m_surface.drawNow();
}

// The window is used again for the next run: it must not show this run's target
// when it comes up.
void PuceProgramme::end() { m_surface.setShown(m_target, false); }

// On the target's box (edges included) while it is up: the item's answer. Anywhere
// else, or before the target is up: untimely.
PressKind PuceProgramme::classifyPress(int, bool showing, QPoint stagePos) const
{
    if (showing && m_surface.isShown(m_target) && m_surface.box(m_target).contains(stagePos))
        return PressKind::Response;
    return PressKind::Untimely;
}

} // namespace zoka
