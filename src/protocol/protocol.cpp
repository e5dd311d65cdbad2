// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/protocol.h"

#include "platform/clock.h"
#include "platform/fileattr.h"
#include "platform/messages.h"
#include "platform/trialtimer.h"
#include "protocol/resultwriter.h"

namespace zoka {

TestProtocol::TestProtocol(StimulusProgramme &programme, TrialTimer &timer, ResultWriter &writer,
                           ProtocolHost &host)
    : m_programme(programme), m_timer(timer), m_writer(writer), m_host(host)
{
    m_timer.setCallback([this] { timerFired(); });
}

TestProtocol::~TestProtocol()
{
    m_timer.stop();
    m_timer.setCallback({});
}

int TestProtocol::foreperiodMs(int position) const
{
    if (position < 0 || position >= int(m_setup.foreperiods.size()))
        return 0;
    return m_setup.foreperiods[position] * 1000;
}

ProtocolScheme TestProtocol::scheme() const
{
    const TestEntry *entry = testEntryAt(m_setup.testIndex);
    return entry ? entry->scheme : ProtocolScheme::ReactionTime;
}

void TestProtocol::start(const RunSetup &setup)
{
    m_timer.stop();
    m_setup = setup;
    m_fileError.clear();
    m_refused = false;
    m_position = 0;
    m_onset = 0;
    m_untimely = 0;
    // Nothing answers presses, keys or activation until the file is ready (a
    // programme may show an error box from begin()).
    m_state = State::Idle;

    if (!m_programme.begin(m_setup)) {
        // The programme has reported what it could not load; nothing was written.
        m_refused = true;
        m_state = State::Finished;
        m_programme.end();
        m_host.closeWindow();
        return;
    }
    // Taken after begin(), so that the pointer is there to answer its error boxes.
    m_host.takePointer();
    if (!m_writer.create(m_setup.outputFile)
        || !m_writer.writeLine(headerLine(m_setup.patient, m_setup.shownAt, m_setup.endless))
        || !m_writer.writeLine(QString::number(m_setup.practiceRuns))) {
        fail();
        return;
    }

    m_position = m_programme.firstPosition();
    switch (scheme()) {
    case ProtocolScheme::ReactionTime:
        m_programme.prepare(m_position);
        startForeperiod(clock().tick());
        break;
    case ProtocolScheme::Pointing:
        m_programme.prepare(m_position);
        m_state = State::Prepared;
        break;
    case ProtocolScheme::Stream:
        m_host.drawingDue(std::nullopt);
        startStreamItem();
        // The run's phases are timed from the moment the first mask is up; on a
        // display's refresh, each phase then ends on the refresh nearest to its
        // due time, a whole number of refreshes from that first one.
        m_phaseEnd = m_host.shownTick().value_or(clock().tick());
        armStreamPhase(StreamMaskMs);
        break;
    }
}

// Stream scheme: the next phase lasts `durationMs` from the moment the one before was
// due to end. The timer is armed for what is left of it now (nothing, when the
// event loop was held up past its end).
void TestProtocol::armStreamPhase(int durationMs)
{
    m_phaseEnd += quint32(durationMs);
    armUntil(m_phaseEnd, true);
}

// How early the timer of a change due at a given tick fires: a drawing that goes on
// the display's refresh must be ready before the refresh nearest to its due time,
// which may come half a period before it. A tone, or a drawing shown at once, is
// not led.
int TestProtocol::leadMs(bool visual) const
{
    return visual ? m_host.drawingLeadMs() : 0;
}

// Arms the timer for the change due at `due` (what is left of it now, less the lead).
void TestProtocol::armUntil(quint32 due, bool visual)
{
    const qint32 left = qint32(due - quint32(leadMs(visual)) - clock().tick());
    m_timer.start(left > 0 ? int(left) : 0);
}

// Shows item `position`'s stimulus on the refresh nearest to `due` (the next one
// without), and takes the onset: the refresh's time where the window knows it, the
// tick read after the drawing otherwise.
void TestProtocol::presentVisual(int position, std::optional<quint32> due)
{
    m_host.drawingDue(due);
    m_programme.present(position);
    m_onset = m_host.shownTick().value_or(clock().tick());
    m_host.drawingDue(std::nullopt);
}

void TestProtocol::startForeperiod(quint32 from)
{
    m_state = State::Foreperiod;
    m_due = from + quint32(foreperiodMs(m_position));
    armUntil(m_due, !m_programme.onsetBeforePresent(m_position));
    m_programme.foreperiodStarted(m_position);
}

void TestProtocol::activate()
{
    if (m_state != State::Prepared || scheme() != ProtocolScheme::Pointing)
        return;
    m_position = m_programme.firstPosition();
    m_untimely = 0;
    presentVisual(m_position, std::nullopt);
    armUntil(m_onset + quint32(m_setup.responseWindowMs), false);
    m_state = State::Showing;
}

void TestProtocol::timerFired()
{
    if (!running())
        return;
    switch (scheme()) {
    case ProtocolScheme::ReactionTime:
        if (m_state == State::Foreperiod)
            onset();
        else if (!m_programme.timeoutEndsItem(m_position))
            m_timer.start(m_setup.responseWindowMs);
        else
            endItem(m_setup.responseWindowMs, false, clock().tick());
        break;
    case ProtocolScheme::Pointing:
        if (m_state == State::Showing)
            pointingNext(m_setup.responseWindowMs);
        break;
    case ProtocolScheme::Stream:
        if (m_state == State::Mask) {
            presentVisual(m_position, m_phaseEnd);
            m_state = State::Showing;
            armStreamPhase(m_setup.responseWindowMs);
        } else {
            streamCharacterEnd();
        }
        break;
    }
}

void TestProtocol::onset()
{
    if (m_programme.onsetBeforePresent(m_position)) {
        // A tone: the tick is read at the play command, and the item is up from then
        // on, also while the player starts it.
        m_onset = clock().tick();
        m_timer.start(m_setup.responseWindowMs);
        m_state = State::Showing;
        m_programme.present(m_position);
    } else {
        presentVisual(m_position, m_due);
        // The response window runs from the onset, however long the drawing waited
        // for its refresh.
        armUntil(m_onset + quint32(m_setup.responseWindowMs), false);
        m_state = State::Showing;
    }
    if (m_state == State::Showing && m_programme.presentFailed(m_position))
        finish();
}

void TestProtocol::press(quint32 pressTick, QPoint stagePos)
{
    if (!running())
        return;
    // A press timed before the onset (an input event handled after a drawing that
    // waited for its refresh) came while nothing was up yet.
    const bool showing = m_state == State::Showing && qint32(pressTick - m_onset) >= 0;
    switch (scheme()) {
    case ProtocolScheme::ReactionTime:
    case ProtocolScheme::Pointing:
        switch (m_programme.classifyPress(m_position, showing, stagePos)) {
        case PressKind::Response: {
            quint32 elapsed = ticksBetween(m_onset, pressTick);
            if (elapsed == 0)
                elapsed = 1;
            if (scheme() == ProtocolScheme::Pointing) {
                m_timer.stop();
                pointingNext(elapsed);
            } else {
                // The next foreperiod counts from the press itself (its own time),
                // not from the moment it was handled.
                const quint32 now = clock().tick();
                endItem(elapsed, true, qint32(now - pressTick) >= 0 ? pressTick : now);
            }
            break;
        }
        case PressKind::Untimely:
            --m_untimely;
            m_programme.untimelyPress();
            break;
        case PressKind::Ignored:
            break;
        }
        break;
    case ProtocolScheme::Stream:
        // Only the first timed press on a character counts; presses during the mask
        // may repeat and only mark the sign.
        if (m_timed)
            return;
        // A press timed before the character came up (an input event handled
        // after the onset) was a press during the mask.
        if (m_state == State::Mask || qint32(pressTick - m_onset) < 0) {
            m_sign = -1;
            m_programme.maskPress(m_position);
        } else {
            // Kept as timed, even at 0 or 1 ms: a time of 0 is written as 1, so
            // that the press never reads as "no press" (code 0).
            const quint32 elapsed = ticksBetween(m_onset, pressTick);
            m_reaction = elapsed == 0 ? 1 : elapsed;
            m_timed = true;
            m_programme.responded(m_position);
        }
        m_responded = true;
        break;
    }
}

// The item at m_position is over with `value` (a press when `responded`) at
// `endedAt`. The next foreperiod counts from that moment: the timer is armed first,
// then the stimulus is taken away and the line goes to the file.
void TestProtocol::endItem(qint64 value, bool responded, quint32 endedAt)
{
    const int ended = m_position;
    ++m_position;
    bool more = true;
    if (m_position > m_setup.itemCount) {
        if (m_setup.endless)
            m_position = 1;
        else
            more = false;
    }
    // On a display's refresh an unanswered stimulus goes on the first refresh after
    // its response window, and the next foreperiod counts from that refresh.
    const bool goneFirst = !responded && m_host.drawingLeadMs() > 0;
    std::optional<quint32> gone;
    if (goneFirst) {
        m_host.drawingDue(std::nullopt);
        m_programme.withdraw(ended);
        gone = m_host.shownTick();
    }
    if (more)
        startForeperiod(gone.value_or(endedAt));
    else
        m_timer.stop();
    if (!goneFirst)
        m_programme.withdraw(ended);
    if (responded)
        m_programme.responded(ended);
    if (!more) {
        if (writeItemLine(ended, value))
            finish();
        return;
    }
    m_programme.prepare(m_position);
    writeItemLine(ended, value);
}

// Pointing scheme: the target goes at once to its next place.
void TestProtocol::pointingNext(qint64 value)
{
    const int ended = m_position;
    ++m_position;
    if (m_position > m_setup.itemCount) {
        if (!m_setup.endless) {
            if (writeItemLine(ended, value))
                finish();
            return;
        }
        m_position = 1;
    }
    m_programme.prepare(m_position);
    presentVisual(m_position, std::nullopt);
    armUntil(m_onset + quint32(m_setup.responseWindowMs), false);
    writeItemLine(ended, value);
}

// Stream scheme: the character's time is up; its line is written and the mask of
// the next one goes up (none after the last).
void TestProtocol::streamCharacterEnd()
{
    // The character goes (and the next mask comes) on the refresh nearest to the
    // phase's end.
    m_host.drawingDue(m_phaseEnd);
    m_programme.withdraw(m_position);
    const qint64 value = m_responded ? qint64(m_sign) * m_reaction : 0;
    const int ended = m_position;
    ++m_position;
    if (m_position > m_setup.itemCount) {
        m_host.drawingDue(std::nullopt);
        if (writeItemLine(ended, value))
            finish();
        return;
    }
    startStreamItem();
    m_host.drawingDue(std::nullopt);
    armStreamPhase(StreamMaskMs);
    writeItemLine(ended, value);
}

// Stream scheme: the item at m_position begins with its mask; nothing is pressed yet.
void TestProtocol::startStreamItem()
{
    m_responded = false;
    m_timed = false;
    m_sign = 1;
    m_reaction = 1;
    m_programme.prepare(m_position);
    m_state = State::Mask;
}

bool TestProtocol::writeItemLine(int position, qint64 value)
{
    if (m_writer.writeLine(m_programme.itemLine(position, value)))
        return true;
    fail();
    return false;
}

void TestProtocol::key(int code)
{
    if (running() && code == m_setup.stopKeyCode)
        finish();
}

void TestProtocol::abort()
{
    if (running())
        finish();
}

void TestProtocol::finish()
{
    if (m_state == State::Finished)
        return;
    m_state = State::Finished;
    m_timer.stop();
    m_programme.end();
    bool ok = true;
    if (m_writer.isOpen()) {
        const ClosingLayout closing = testEntryAt(m_setup.testIndex) ? testEntryAt(m_setup.testIndex)->closing
                                                                     : ClosingLayout::Untimely;
        if (closing != ClosingLayout::None)
            ok = m_writer.writeLine(closingLineText(closing, m_untimely, m_programme.closingSecondCount()));
        ok = m_writer.close() && ok;
    }
    if (!ok)
        m_fileError = m_writer.errorMessage();
    if (m_setup.isTestFile() && m_writer.wasCreated() && !m_writer.replaced())
        MarkNotAnalysed(m_setup.outputFile);
    m_host.restorePointer();
    // The window goes first, so that the error box stands alone over the window
    // that launched the run.
    m_host.closeWindow();
    if (!ok)
        showError(m_fileError);
}

// A file error: the run stops here. Nothing more is written (the file keeps the
// lines written so far and gets no closing line), no timer is left armed, the
// pointer comes back, the window closes and the error is shown.
void TestProtocol::fail()
{
    m_fileError = m_writer.errorMessage();
    m_state = State::Finished;
    m_timer.stop();
    m_programme.end();
    m_writer.close();
    if (m_setup.isTestFile() && m_writer.wasCreated() && !m_writer.replaced())
        MarkNotAnalysed(m_setup.outputFile);
    m_host.restorePointer();
    m_host.closeWindow();
    showError(m_fileError);
}

} // namespace zoka
