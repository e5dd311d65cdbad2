// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/testrunner.h"

namespace zoka {

namespace {
TestWindowRunner &installed()
{
    static TestWindowRunner runner;
    return runner;
}
} // namespace

void setTestWindowRunner(TestWindowRunner runner) { installed() = std::move(runner); }

RunOutcome runTestWindow(const RunSetup &setup)
{
    if (const TestWindowRunner &r = installed())
        return r(setup);
    return {};
}

} // namespace zoka
