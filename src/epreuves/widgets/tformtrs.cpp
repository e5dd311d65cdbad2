// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/widgets/tformtrs.h"

#include "platform/soundplayer.h"
#include "platform/widgets/faces.h"

namespace zoka {

StageWidget::Element symbolLabel(const QString &text, QColor colour, const QRect &box, int cellHeight)
{
    // Tahoma's character cell is 2472 units of 2048 to the em, 2049 of them above
    // the baseline: a 68-pixel cell is a 56-pixel em with its baseline 56 pixels
    // below the top of the label.
    const int em = qRound(cellHeight * 2048.0 / 2472.0);
    StageWidget::Element label;
    label.kind = StageWidget::Element::Text;
    label.text = text;
    label.font = QFont(QLatin1String(GoNoGoProgramme::SymbolFace));
    label.font.setPixelSize(em);
    label.font.setBold(true);
    label.pen = colour;
    label.box = box;
    label.baseline = qRound(em * 2049.0 / 2048.0);
    // A Tahoma Bold with regular strokes is widened by a sixteenth of the em, about
    // what its bold stems add.
    static const bool widen = boldDrawnRegular(label.font.family());
    label.widen = widen ? em / 16.0 : 0;
    label.shown = false;
    return label;
}

TFormTrs::TFormTrs(QWidget *parent)
    : TestWindow(TestId::SimpleBinaire, parent)
{
    setObjectName(QStringLiteral("FormTrs"));
    faceInstalled(QLatin1String(GoNoGoProgramme::SymbolFace));
    m_label1 = stage()->addElement(
        symbolLabel(QStringLiteral("+"), Qt::black, SimpleBinaire::Label1Box, SimpleBinaire::Label1Cell));
    m_label2 = stage()->addElement(
        symbolLabel(QStringLiteral("O"), Qt::black, SimpleBinaire::Label2Box, SimpleBinaire::Label2Cell));
    m_programme = std::make_unique<GoNoGoProgramme>(*stage(), SimpleBinaire::symbols(m_label1, m_label2),
                                                    makeSoundPlayer());
    setProgramme(m_programme.get());
}

TFormTrd::TFormTrd(QWidget *parent)
    : TestWindow(TestId::DoubleBinaire, parent)
{
    setObjectName(QStringLiteral("FormTrd"));
    faceInstalled(QLatin1String(GoNoGoProgramme::SymbolFace));
    for (size_t i = 0; i < DoubleBinaire::Labels.size(); ++i) {
        const DoubleBinaire::Label &l = DoubleBinaire::Labels[i];
        m_labels[i] = stage()->addElement(symbolLabel(QString::fromLatin1(l.text), QColor::fromRgba(l.colour),
                                                      l.box, l.cell));
    }
    m_programme = std::make_unique<GoNoGoProgramme>(*stage(), DoubleBinaire::symbols(m_labels), makeSoundPlayer());
    setProgramme(m_programme.get());
}

} // namespace zoka
