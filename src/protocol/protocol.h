// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "battery/testtable.h"
#include "protocol/runtiming.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace zoka {

class TrialTimer;
class ResultWriter;

// Everything one run of a test window needs, prepared by the instructions window.
// A test window reads nothing else: nothing of the session.
struct RunSetup {
    int testIndex = 0;
    bool practice = false;
    QString outputFile;
    QString practiceFile;      // the practice scratch file; never marked not analysed
    QString programDir;        // where the run's data files (sounds, pictures) are
    int itemCount = 0;         // items of this run
    bool endless = false;      // endless series
    std::array<int, 65> foreperiods{}; // the run's item sequence, whole seconds, by position
    std::array<int, 65> stimulusTop{};  // grid places, stage pixels, positions 1..64
    std::array<int, 65> stimulusLeft{};
    // Symbols, modalities or characters of the run, item 1 first (item 0 first where
    // a series has an item 0), as the fixed series of the test give them.
    QString stimulusSeries;
    // Fixation times of the run, whole seconds after the start of each foreperiod,
    // item 1 first; 0 = no fixation point in that item.
    QList<int> fixationSeconds;
    int speedIndex = 1;        // Attention soutenue: 0-2, 3 for the fallback speed
    int responseWindowMs = 3000;
    QString patient;
    int practiceRuns = 0;
    QDateTime shownAt;
    int stopKeyCode = 27;

    // A test file (not the practice scratch file): exact, case-sensitive comparison.
    bool isTestFile() const { return outputFile != practiceFile; }
    // Path of a program data file.
    QString dataFile(const QString &name) const { return programDir + QLatin1Char('/') + name; }
};

// How one run ended, as the window that launched it needs to know.
struct RunOutcome {
    bool ran = false;   // the run took place (its file was written, perhaps cut short)
    QString fileError;  // the error shown when the run ended on a file error
    RunTiming timing;   // how well the run was timed (the timing journal)
    QDateTime shownAt;  // when the window was shown: the date and time of the file's header
};

// Where a programme draws its stimuli: the elements of the test window's 800 x 600
// stage, numbered by the window.
class StimulusSurface {
public:
    virtual ~StimulusSurface() = default;
    virtual void setShown(int element, bool shown) = 0;
    virtual bool isShown(int element) const = 0;
    // Top-left corner in stage pixels.
    virtual void moveTo(int element, int left, int top) = 0;
    // The element's box in stage pixels.
    virtual QRect box(int element) const = 0;
    // Content of a text element (a symbol, a letter), its font and its colours
    // (0xAARRGGBB). A text element sized to its text takes its new size at once.
    virtual void setText(int element, const QString &text) = 0;
    virtual void setFont(int element, const QString &family, int pixelHeight, bool bold) = 0;
    virtual void setColours(int element, quint32 foreground, quint32 background) = 0;
    // Puts the picture held in `data` (the bytes of a picture file) into a picture
    // element, shown at its natural size from the element's top-left corner. False
    // when the bytes are not a picture the surface can show.
    virtual bool setPicture(int element, const QByteArray &data)
    {
        Q_UNUSED(element);
        Q_UNUSED(data);
        return false;
    }
    // Whether text in the type face `family` is drawn in that face itself, not in
    // another one standing in for it (the symbols would not have their sizes).
    virtual bool hasFace(const QString &family) const
    {
        Q_UNUSED(family);
        return true;
    }
    // Draws the stage now, synchronously: every change made so far is on the screen
    // when this returns.
    virtual void drawNow() = 0;
};

// How a press counts, as the programme decides it (see StimulusProgramme::classifyPress).
enum class PressKind {
    Response, // answers the stimulus up: ends the item with the reaction time
    Untimely, // nothing to answer: the untimely-press counter goes down by 1
    Ignored,  // counts for nothing (a press the programme has dealt with itself)
};

// What a test adds to the common protocol: its stimuli and its series. The engine
// calls these at fixed points of every item; a programme draws through its own
// surface (or plays through its player) and keeps its own counters.
class StimulusProgramme {
public:
    virtual ~StimulusProgramme() = default;

    // A new run: copy the series, reset the programme's counters, hide everything,
    // open the programme's resources. Return false to refuse the run after having
    // reported why (a sound or picture that cannot be loaded).
    virtual bool begin(const RunSetup &) { return true; }
    virtual int firstPosition() const { return 1; }
    // Puts item `position`'s stimulus in place, not shown yet (before its foreperiod;
    // in the stream scheme: puts up the mask and loads the character).
    virtual void prepare(int) {}
    // A foreperiod has just begun for `position` (fixation timers are armed here).
    virtual void foreperiodStarted(int) {}
    // Shows the stimulus; it must be on the screen (or sounding) on return.
    virtual void present(int position) = 0;
    // Takes it away.
    virtual void withdraw(int position) = 0;
    // Whether the onset tick is taken before present() (sound started after the
    // tick) rather than right after the stimulus is drawn.
    virtual bool onsetBeforePresent(int) const { return false; }
    // Whether present() could not put the stimulus up (a tone the player could not
    // start; the programme or its player has reported why). The run then ends there
    // as with the stop key: no line for that item.
    virtual bool presentFailed(int) const { return false; }
    // How a press at stage point `stagePos` counts. `showing` is the engine's own
    // state: a stimulus is up and its response window runs. The default answers the
    // stimulus while it is up and is untimely otherwise; a tone test answers only
    // while the tone sounds, a pointing test only on the target.
    virtual PressKind classifyPress(int position, bool showing, QPoint stagePos) const
    {
        Q_UNUSED(position);
        Q_UNUSED(stagePos);
        return showing ? PressKind::Response : PressKind::Untimely;
    }
    // False keeps the item open at the end of the response window (practice go
    // symbols stay until a press); the window is then armed again.
    virtual bool timeoutEndsItem(int) const { return true; }
    // A press answered item `position` (false alarms, error sound).
    virtual void responded(int) {}
    // An untimely press (fixation presses are counted here).
    virtual void untimelyPress() {}
    // Stream scheme: a press while the mask before `position` was up.
    virtual void maskPress(int) {}
    // The item line for `value` (a time in ms, the omission value, or the stream code).
    virtual QString itemLine(int, qint64 value) const { return QString::number(value); }
    // The second number of the closing line, in the test's layout (fixation presses,
    // false alarms); the engine writes the line, with the untimely-press counter.
    virtual int closingSecondCount() const { return 0; }
    // The run is over: stop the programme's own timers, close its player.
    virtual void end() {}
    // What the programme knows of how its run was timed (a tone test: its sound
    // path and the output's latency).
    virtual void fillTiming(RunTiming &) const {}
};

// The window side of a run.
class ProtocolHost {
public:
    virtual ~ProtocolHost() = default;
    // Saves the pointer shape in force and puts the run's pointer (hidden, or the hand).
    virtual void takePointer() = 0;
    virtual void restorePointer() = 0;
    // Closes the window with the modal result OK.
    virtual void closeWindow() = 0;

    // Drawings on the display's refresh. How long before its due time a drawing
    // must start to be on the refresh nearest to it (see refreshLeadMs()), while the
    // window presents its drawings on refreshes; 0 while it draws them at once (the
    // defaults: a drawing is on the screen when drawNow() returns).
    virtual int drawingLeadMs() const { return 0; }
    // The next drawing is due at `tick`: it goes on the refresh nearest to it. Without
    // a due time a drawing goes on the next refresh. A due time serves one drawing.
    virtual void drawingDue(std::optional<quint32> tick) { Q_UNUSED(tick); }
    // The time a drawing made since the last drawingDue() call appeared on the
    // screen, when the window knows it (presented on a refresh); none otherwise.
    virtual std::optional<quint32> shownTick() const { return std::nullopt; }
};

// Mask time of the stream scheme.
constexpr int StreamMaskMs = 250;

// The protocol every test window follows: start, timer events (onset, time-out,
// mask/character), the response routine, untimely presses, advancing, endless
// series, the stop key, the finishing routine and file errors. Times come from
// zoka::clock(); the trial timer is the window's. Onset and time-out are
// decided by the engine's own state, never by what a programme shows or plays.
class TestProtocol {
public:
    enum class State { Idle, Prepared, Foreperiod, Showing, Mask, Finished };

    TestProtocol(StimulusProgramme &programme, TrialTimer &timer, ResultWriter &writer,
                 ProtocolHost &host);
    ~TestProtocol();

    // FormShow: hides the pointer, creates the file, writes the header and starts the
    // first foreperiod (the pointing scheme waits for activate()).
    void start(const RunSetup &setup);
    // FormActivate of the pointing tests: puts up the first target (once per run).
    void activate();
    // The response routine. `pressTick` is the time of the press (the input event's
    // own time, or the tick read first thing in the handler); `stagePos` where it was.
    void press(quint32 pressTick, QPoint stagePos = {});
    // FormKeyPress, with the key's character code (-1 for keys without one).
    void key(int code);
    // Closing the window by other means than the protocol: finishes like the stop key.
    void abort();

    State state() const { return m_state; }
    bool running() const { return m_state != State::Idle && m_state != State::Finished; }
    int position() const { return m_position; }
    quint32 onsetTick() const { return m_onset; }
    const RunSetup &setup() const { return m_setup; }
    // Whether the last start() was refused by the programme (nothing was written).
    bool refused() const { return m_refused; }
    // The untimely-press counter: 0 at a run's start, -1 per untimely press.
    int untimelyPresses() const { return m_untimely; }
    // The error text shown when the run ended on a file error (empty otherwise).
    QString fileError() const { return m_fileError; }

private:
    void timerFired();
    void startForeperiod(quint32 from);
    void onset();
    void endItem(qint64 value, bool responded, quint32 endedAt);
    void pointingNext(qint64 value);
    void streamCharacterEnd();
    void startStreamItem();
    void armStreamPhase(int durationMs);
    void finish();
    void fail();
    bool writeItemLine(int position, qint64 value);
    int foreperiodMs(int position) const;
    // The run's scheme, from the test table.
    ProtocolScheme scheme() const;
    int leadMs(bool visual) const;
    void armUntil(quint32 due, bool visual);
    void presentVisual(int position, std::optional<quint32> due);

    StimulusProgramme &m_programme;
    TrialTimer &m_timer;
    ResultWriter &m_writer;
    ProtocolHost &m_host;
    RunSetup m_setup;
    State m_state = State::Idle;
    int m_position = 0;
    quint32 m_onset = 0;
    int m_untimely = 0;
    bool m_refused = false;
    // Stream scheme item state.
    bool m_responded = false;
    bool m_timed = false; // a press on the character has been timed
    int m_sign = 1;
    qint64 m_reaction = 1;
    // Stream scheme: the tick at which the phase now running is due to end. Each
    // phase ends a fixed time after the previous one was due to end (not after it
    // really ended), so that late timer events do not add up over a run.
    quint32 m_phaseEnd = 0;
    // The tick at which the stimulus of the foreperiod now running is due.
    quint32 m_due = 0;
    QString m_fileError;
};

} // namespace zoka
