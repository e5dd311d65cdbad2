#include "epreuves/widgets/typefacecheck.h"

#include "epreuves/typeface.h"

#include <QFont>
#include <QFontInfo>

namespace zoka {

bool faceInstalled(const QString &family)
{
    const QString drawn = QFontInfo(QFont(family)).family();
    return drawn.compare(family, Qt::CaseInsensitive) == 0
           || drawn.compare(metricEquivalentFace(family), Qt::CaseInsensitive) == 0;
}

} // namespace zoka
