// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// The stop key of the test windows is kept as a text (what the examiner typed in the
// options: one character, "ESC", "RET" or "SPACE") and a character code: the code a
// key press produces, 27 for Esc, 13 for Enter, 32 for the space bar, otherwise the
// Windows-1252 code of the character typed (case kept: "a" 97, "A" 65).

struct StopKeyParse {
    bool ok = true;  // false: the text names no usable key (options error 1)
    qint32 code = 0; // meaningful only when ok
};

// Code of a stop-key text. Empty text gives 0 (no stop key). Words are compared in
// upper case.
StopKeyParse parseStopKeyText(const QString &text);

// Character code of a key press, to compare with the configuration's StopKeyCode: `qtKey` is the
// event's key (Qt::Key), `text` its text. Esc 27, Return/Enter 13, Backspace 8,
// Tab 9, a printable character its Windows-1252 code; -1 for a key that gives no
// character (arrows, function keys, modifiers alone).
int keyPressCharCode(int qtKey, const QString &text);

} // namespace zoka
