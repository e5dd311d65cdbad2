// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/puceasterisquewindow.h"

#include "platform/widgets/faces.h"

namespace zoka {

namespace {
int addAsterisk(StageWidget *stage)
{
    StageWidget::Element star;
    star.kind = StageWidget::Element::Text;
    star.text = QStringLiteral("*");
    star.box = QRect(QPoint(0, 0), PuceProgramme::AsteriskSize);
    star.font = QFont(PuceProgramme::AsteriskFace);
    star.font.setPixelSize(PuceProgramme::AsteriskPixels);
    star.pen = Qt::black;
    star.shown = false;
    return stage->addElement(star);
}
} // namespace

PuceAsterisqueWindow::PuceAsterisqueWindow(QWidget *parent)
    : TestWindow(TestId::PuceAsterisque, parent),
      m_asterisk(addAsterisk(stage())),
      m_programme(*stage(), m_asterisk, PuceProgramme::AsteriskFace, &faceInstalled)
{
    setObjectName(QStringLiteral("PuceAsterisqueWindow"));
    setProgramme(&m_programme);
}

} // namespace zoka
