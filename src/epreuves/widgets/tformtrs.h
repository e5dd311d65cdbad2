// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/binaire.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR simple binaire": the cross Label1 and the ring Label2 in the middle of the
// stage, and the error sound of the practice runs.
class TFormTrs final : public TestWindow {
public:
    explicit TFormTrs(QWidget *parent = nullptr);

    int label1() const { return m_label1; }
    int label2() const { return m_label2; }
    GoNoGoProgramme &programme() { return *m_programme; }

private:
    int m_label1;
    int m_label2;
    std::unique_ptr<GoNoGoProgramme> m_programme;
};

// "TR double binaire": the red and blue crosses and rings Label1-Label4.
class TFormTrd final : public TestWindow {
public:
    explicit TFormTrd(QWidget *parent = nullptr);

    int label(int code) const { return m_labels[size_t(code - 1)]; }
    GoNoGoProgramme &programme() { return *m_programme; }

private:
    std::array<int, 4> m_labels{};
    std::unique_ptr<GoNoGoProgramme> m_programme;
};

// A symbol label: `text` in Tahoma bold of `cellHeight` pixels (the height of the
// face's character cell, as the labels are designed), its baseline where such a
// label puts it, horizontally centred in `box`; hidden.
StageWidget::Element symbolLabel(const QString &text, QColor colour, const QRect &box, int cellHeight);

} // namespace zoka
