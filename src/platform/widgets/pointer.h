// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <Qt>

namespace zoka {

// The screen pointer of a test window: put a shape for the whole application (the
// blank pointer hides it) and put back the one in force before. restore() undoes
// only what take() did, once, so a window can call it from every way out.
class PointerGuard {
public:
    PointerGuard() = default;
    ~PointerGuard() { restore(); }
    PointerGuard(const PointerGuard &) = delete;
    PointerGuard &operator=(const PointerGuard &) = delete;

    void take(Qt::CursorShape shape = Qt::BlankCursor);
    void restore();
    bool taken() const { return m_taken; }

private:
    bool m_taken = false;
};

} // namespace zoka
