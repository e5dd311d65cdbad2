// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "protocol/protocol.h"

#include <QChar>
#include <QList>
#include <QRect>

#include <memory>

namespace zoka {

class SoundPlayer;

// The go/no-go tests: one symbol at a time in the middle of the screen, chosen by
// the run's series (one character per item). A press at a go symbol is the
// response; a press at a no-go symbol ends the item too, with its time, and counts
// as a false alarm (with the error sound in practice). In practice a go symbol
// stays up until the patient presses. The closing line holds the untimely-press
// counter and the false alarms.
class GoNoGoProgramme : public StimulusProgramme {
public:
    // One symbol of the series: its code and the stage element showing it. Whether
    // it asks for a press is the test's go rule (the test table), which the analysis
    // reads too.
    struct Symbol {
        QChar code;
        int element;
    };

    static constexpr const char *SonErrFile = "SonErr.wav";
    // The face the symbols are drawn in.
    static constexpr const char *SymbolFace = "Tahoma";

    // `player` plays the error sound (owned).
    GoNoGoProgramme(StimulusSurface &surface, QList<Symbol> symbols, std::unique_ptr<SoundPlayer> player);
    ~GoNoGoProgramme() override;

    bool begin(const RunSetup &setup) override;
    void present(int position) override;
    void withdraw(int position) override;
    bool timeoutEndsItem(int position) const override;
    void responded(int position) override;
    int closingSecondCount() const override { return m_falseAlarms; }
    void end() override;

    int falseAlarms() const { return m_falseAlarms; }
    SoundPlayer &player() { return *m_player; }

private:
    const Symbol *symbolAt(int position) const;
    bool isGo(const Symbol &s) const { return isGoCode(m_goRule, s.code.unicode()); }

    StimulusSurface &m_surface;
    QList<Symbol> m_symbols;
    std::unique_ptr<SoundPlayer> m_player;
    QString m_series;
    GoRule m_goRule = GoRule::EveryItem;
    bool m_practice = false;
    int m_falseAlarms = 0;
    int m_shown = -1; // element up, -1 for none
};

// "TR simple binaire": the cross "+" (go) and the ring, held as "0" in the series
// (no-go), black on white.
struct SimpleBinaire {
    // The cross: Tahoma bold, 68-pixel cell; the ring: 60-pixel cell.
    static constexpr QRect CrossBox{378, 263, 46, 68};
    static constexpr QRect RingBox{382, 269, 39, 60};
    static constexpr int CrossCell = 68;
    static constexpr int RingCell = 60;
    static QList<GoNoGoProgramme::Symbol> symbols(int cross, int ring);
};

// "TR double binaire": codes "1" red cross and "2" blue ring (go), "3" red ring and
// "4" blue cross (no-go); the crosses in the cross's box, the rings in the ring's.
struct DoubleBinaire {
    static constexpr quint32 Red = 0xFFFF0000;
    static constexpr quint32 Blue = 0xFF0000FF;
    // Symbols of codes "1" to "4" in order: code, text, colour, box, cell height.
    struct Symbol {
        QChar code;
        const char *text;
        quint32 colour;
        QRect box;
        int cell;
    };
    static const std::array<Symbol, 4> Symbols;
    static QList<GoNoGoProgramme::Symbol> symbols(const std::array<int, 4> &elements);
};

// The message shown when a series holds a code the window has no symbol for.
QString stimulusCodeErrorText(QChar code);

} // namespace zoka
