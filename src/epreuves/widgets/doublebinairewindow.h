// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "epreuves/binaire.h"
#include "epreuves/widgets/testwindow.h"

namespace zoka {

// "TR double binaire": the red and blue crosses and rings, and the error sound of
// the practice runs.
class DoubleBinaireWindow final : public TestWindow {
public:
    explicit DoubleBinaireWindow(QWidget *parent = nullptr);

    // The stage element of the symbol of series code `code` ("1" to "4").
    int symbol(int code) const { return m_symbols[size_t(code - 1)]; }
    GoNoGoProgramme &programme() { return *m_programme; }

private:
    std::array<int, 4> m_symbols{};
    std::unique_ptr<GoNoGoProgramme> m_programme;
};

} // namespace zoka
