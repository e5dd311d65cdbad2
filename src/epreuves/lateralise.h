// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <QList>
#include <QRect>

#include <array>

namespace zoka {

class TrialTimer;

// "TR latéralisé": a small black square at one cell of the grid for every item, the
// cell of item k given by the run's positions (stimulusLeft/stimulusTop).
class LateraliseProgramme : public StimulusProgramme {
public:
    // The square: filled black square with a black outline, 21 x 21.
    static constexpr QSize SquareSize{21, 21};

    LateraliseProgramme(StimulusSurface &surface, int square)
        : m_surface(surface), m_square(square)
    {
    }

    bool begin(const RunSetup &setup) override;
    void prepare(int position) override;
    void present(int position) override;
    void withdraw(int position) override;
    void end() override;

protected:
    StimulusSurface &m_surface;
    int m_square;
    std::array<int, 65> m_top{};
    std::array<int, 65> m_left{};
};

// "TR latéralisé + Fixation": the same squares, an empty frame in the middle for the
// whole run, and in some items a fixation point flashed inside the frame for 500 ms,
// a fixed number of seconds after the start of the foreperiod. Presses while the
// point is up are counted apart (and as untimely presses too).
class LateraliseFixationProgramme final : public LateraliseProgramme {
public:
    // The frame: a 1-pixel black outline. The point: the picture of
    // PointFile at its natural size from the box's top-left corner.
    static constexpr QRect FrameBox{385, 274, 25, 25};
    static constexpr QRect PointBox{386, 275, 25, 25};
    static constexpr int FixationShownMs = 500;
    static constexpr const char *PointFile = "PtFix.bmp";

    // `fixationTimer` is the fixation timer (not owned).
    LateraliseFixationProgramme(StimulusSurface &surface, int square, int frame, int point,
                                TrialTimer &fixationTimer);
    ~LateraliseFixationProgramme() override;

    bool begin(const RunSetup &setup) override;
    void foreperiodStarted(int position) override;
    void untimelyPress() override;
    int closingSecondCount() const override { return m_fixationPresses; }
    void end() override;

    int fixationPresses() const { return m_fixationPresses; }
    bool pointShown() const { return m_surface.isShown(m_point); }

private:
    void fixationTimerFired();

    int m_frame;
    int m_point;
    TrialTimer &m_fixationTimer;
    QList<int> m_schedule;
    int m_fixationPresses = 0;
    bool m_running = false;
};

// The text of the error shown when the picture `path` cannot be shown, with the reason.
QString pictureErrorText(const QString &path, const QString &reason);

} // namespace zoka
