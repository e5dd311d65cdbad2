// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/puce.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "Puce Astérisque": the asterisk Label1 on the white stage, the hand pointer.
class TFormTpa final : public TestWindow {
public:
    explicit TFormTpa(QWidget *parent = nullptr);

    int label1() const { return m_label1; }

private:
    int m_label1;
    PuceProgramme m_programme;
};

// "Puce Carré": the square outline Shape1 on the white stage, the hand pointer.
class TFormTpc final : public TestWindow {
public:
    explicit TFormTpc(QWidget *parent = nullptr);

    int shape1() const { return m_shape1; }

private:
    int m_shape1;
    PuceProgramme m_programme;
};

} // namespace zoka
