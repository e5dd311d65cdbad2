// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/internalerror.h"

#include "platform/messages.h"
#include "shell/maintexts.h"

#include <cstdio>
#include <cstdlib>

namespace zoka {

namespace {
std::function<void(int)> &exitHook()
{
    static std::function<void(int)> f;
    return f;
}
std::function<void()> &cleanupHook()
{
    static std::function<void()> f;
    return f;
}
} // namespace

QString internalErrorText(int n)
{
    using namespace maintext;
    return InternalHead + QString::number(n) + QLatin1Char('\r') + InternalPersist + QLatin1Char('\r') + Consultez
           + SupportContact;
}

void InternalError(int n)
{
    showError(internalErrorText(n));
    if (cleanupHook())
        cleanupHook()();
    if (exitHook()) {
        exitHook()(n);
        return;
    }
    // At once: no event loop, no destructors of windows that may be half-way through
    // a handler.
    std::fflush(nullptr);
    std::_Exit(n);
}

void setInternalErrorExit(std::function<void(int)> exitFn) { exitHook() = std::move(exitFn); }
void setInternalErrorCleanup(std::function<void()> cleanup) { cleanupHook() = std::move(cleanup); }

} // namespace zoka
