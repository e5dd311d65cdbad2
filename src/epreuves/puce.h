// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/typeface.h"
#include "protocol/protocol.h"

#include <QRect>
#include <QSize>

namespace zoka {

// The pointing tests "Puce Astérisque" and "Puce Carré": a target jumps from cell to
// cell of the 8 x 8 grid (the run's stimulus positions); a press inside the target's
// box answers it and sends it on at once, a press anywhere else is untimely.
class PuceProgramme final : public StimulusProgramme {
public:
    // The targets' boxes, each of which takes the click whole.
    static constexpr QSize AsteriskSize{27, 61}; // "*", Times New Roman, 53 pixels
    static constexpr int AsteriskPixels = 53;
    static constexpr QSize SquareSize{21, 21};   // outline, 3-pixel pen
    static inline const QString AsteriskFace = QStringLiteral("Times New Roman");

    // `target` is an element of `surface`; `face` and `faceCheck` (both may be empty)
    // name the face the target is drawn in and how to check it.
    PuceProgramme(StimulusSurface &surface, int target, QString face = {}, FaceCheck faceCheck = {});

    bool begin(const RunSetup &setup) override;
    void prepare(int position) override;
    void present(int position) override;
    void withdraw(int position) override;
    PressKind classifyPress(int position, bool showing, QPoint stagePos) const override;
    void end() override;

    // The top-left corner of item `position`'s place (stage pixels).
    QPoint place(int position) const;

private:
    StimulusSurface &m_surface;
    int m_target;
    QString m_face;
    FaceCheck m_faceCheck;
    std::array<int, 65> m_top{};
    std::array<int, 65> m_left{};
};

} // namespace zoka
