// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/regional.h"

#include <QLocale>

namespace zoka {

void useRegionalSettings()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    else
        QLocale::setDefault(system);
}

} // namespace zoka
