// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/filechoice.h"

#include "battery/testtable.h"
#include "shell/maintexts.h"
#include "shell/naming.h"

namespace zoka {

FileChoice fileChoiceOf(const QString &fileName)
{
    const ResultNameParts parts = parseResultFileName(fileName);
    FileChoice c;
    c.testIndex = parts.testIndex;
    const TestEntry *entry = testEntryAt(c.testIndex);
    if (!entry)
        return c;
    c.countValid = parts.countValid;
    if (!c.countValid)
        return c;
    c.fileItemCount = parts.count;
    if (speedInName(c.testIndex)) {
        c.speedValid = parts.speedValid;
        c.speedIndex = parts.speedValid ? parts.speed : 3;
        return c;
    }
    switch (entry->counts) {
    case CountChoice::Choice36_64:
    case CountChoice::Choice32_64:
        c.countButton = c.fileItemCount < 64 ? 0 : 1;
        break;
    case CountChoice::Choice16_32_64:
        c.countButton = c.fileItemCount < 32 ? 0 : c.fileItemCount < 64 ? 1 : 2;
        break;
    case CountChoice::Fixed64:
    case CountChoice::Speed:
        break;
    }
    return c;
}

QString badSpeedText()
{
    using namespace maintext;
    return AsHead + QLatin1Char('\r') + AsWhy + QLatin1Char('\r') + AsPress + QLatin1Char('"') + AsWord + QLatin1Char('"')
           + AsTail;
}

} // namespace zoka
