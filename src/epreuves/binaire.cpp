// SPDX-License-Identifier: GPL-3.0-or-later
#include "epreuves/binaire.h"

#include "platform/messages.h"
#include "platform/soundplayer.h"

namespace zoka {

QString stimulusCodeErrorText(QChar code)
{
    return QStringLiteral("    Erreur de stimulus Id: ") + code + QStringLiteral("     ");
}

GoNoGoProgramme::GoNoGoProgramme(StimulusSurface &surface, QList<Symbol> symbols,
                                 std::unique_ptr<SoundPlayer> player)
    : m_surface(surface), m_symbols(std::move(symbols)), m_player(std::move(player))
{
}

GoNoGoProgramme::~GoNoGoProgramme() = default;

const GoNoGoProgramme::Symbol *GoNoGoProgramme::symbolAt(int position) const
{
    if (position < 1 || position > m_series.size())
        return nullptr;
    const QChar code = m_series.at(position - 1);
    for (const Symbol &s : m_symbols)
        if (s.code == code)
            return &s;
    return nullptr;
}

bool GoNoGoProgramme::begin(const RunSetup &setup)
{
    m_practice = setup.practice;
    m_series = setup.stimulusSeries;
    const TestEntry *entry = testEntryAt(setup.testIndex);
    m_goRule = entry ? entry->goRule : GoRule::EveryItem;
    m_falseAlarms = 0;
    m_shown = -1;
    for (const Symbol &s : m_symbols)
        m_surface.setShown(s.element, false);
    m_surface.drawNow();

    if (!m_surface.hasFace(QLatin1String(SymbolFace))) {
        showError(QStringLiteral("La police « %1 » n'est pas installée : les symboles de l'épreuve "
                                 "n'auraient pas leur taille.\n\nInstallez-la (paquet Debian "
                                 "fonts-wine) puis relancez l'épreuve.")
                      .arg(QLatin1String(SymbolFace)));
        return false;
    }
    // Every item of the run must have its symbol; the fixed series always do, so a
    // series that does not is refused before anything is written.
    const int items = qMin(setup.itemCount, int(EndlessItemCount));
    for (int p = 1; p <= items; ++p)
        if (!symbolAt(p)) {
            showError(stimulusCodeErrorText(p <= m_series.size() ? m_series.at(p - 1) : QLatin1Char('?')));
            return false;
        }
    // The error sound is played in practice only; a test run neither plays nor needs it.
    return !m_practice || m_player->open(setup.dataFile(QLatin1String(SonErrFile)));
}

void GoNoGoProgramme::present(int position)
{
    if (const Symbol *s = symbolAt(position)) {
        m_shown = s->element;
        m_surface.setShown(s->element, true);
    }
    m_surface.drawNow();
}

void GoNoGoProgramme::withdraw(int)
{
    if (m_shown >= 0)
        m_surface.setShown(m_shown, false);
    m_shown = -1;
    m_surface.drawNow();
}

bool GoNoGoProgramme::timeoutEndsItem(int position) const
{
    // A practice go symbol stays up until the patient presses.
    const Symbol *s = symbolAt(position);
    return !(m_practice && s && isGo(*s));
}

void GoNoGoProgramme::responded(int position)
{
    const Symbol *s = symbolAt(position);
    if (!s || isGo(*s))
        return;
    ++m_falseAlarms;
    if (m_practice) {
        m_player->rewind();
        m_player->play();
    }
}

void GoNoGoProgramme::end()
{
    m_player->close();
    // A symbol up at the stop key stays until the window closes, which opens on a
    // blank stage for the next run.
    if (m_shown >= 0)
        m_surface.setShown(m_shown, false);
    m_shown = -1;
}

QList<GoNoGoProgramme::Symbol> SimpleBinaire::symbols(int cross, int ring)
{
    return {{QLatin1Char('+'), cross}, {QLatin1Char('0'), ring}};
}

const std::array<DoubleBinaire::Symbol, 4> DoubleBinaire::Symbols = {{
    {QLatin1Char('1'), "+", Red, SimpleBinaire::CrossBox, SimpleBinaire::CrossCell},
    {QLatin1Char('2'), "O", Blue, SimpleBinaire::RingBox, SimpleBinaire::RingCell},
    {QLatin1Char('3'), "O", Red, SimpleBinaire::RingBox, SimpleBinaire::RingCell},
    {QLatin1Char('4'), "+", Blue, SimpleBinaire::CrossBox, SimpleBinaire::CrossCell},
}};

QList<GoNoGoProgramme::Symbol> DoubleBinaire::symbols(const std::array<int, 4> &elements)
{
    QList<GoNoGoProgramme::Symbol> out;
    for (size_t i = 0; i < Symbols.size(); ++i)
        out.append({Symbols[i].code, elements[i]});
    return out;
}

} // namespace zoka
