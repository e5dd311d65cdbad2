#include "shell/tables.h"

namespace zoka {

const std::array<QString, TestCount> EpreuvesItems = {
    QStringLiteral("TR visuel centré"),
    QStringLiteral("TR latéralisé"),
    QStringLiteral("TR latéralisé + Fixation"),
    QStringLiteral("TR simple binaire"),
    QStringLiteral("TR double binaire"),
    QStringLiteral("TR auditif"),
    QStringLiteral("TR mixte"),
    QStringLiteral("Attention soutenue"),
    QStringLiteral("Puce  Astérisque"),
    QStringLiteral("Puce  Carré"),
};

const std::array<QString, TestCount> ExtensionTable = {
    QStringLiteral("VC"), QStringLiteral("LAT"), QStringLiteral("LFC"), QStringLiteral("SB"),
    QStringLiteral("DB"), QStringLiteral("AUD"), QStringLiteral("MIX"), QStringLiteral("AS"),
    QStringLiteral("PAS"), QStringLiteral("PCA"),
};

const std::array<QString, TestCount> TestTitles = {
    QStringLiteral("TR Visuel Centré"),
    QStringLiteral("TR Latéralisé"),
    QStringLiteral("TR Latéralisé + fixation"),
    QStringLiteral("TR Simple Binaire"),
    QStringLiteral("TR Double Binaire"),
    QStringLiteral("TR Auditif"),
    QStringLiteral("TR Mixte"),
    QStringLiteral("Attention soutenue"),
    QStringLiteral("Puce Astérisque"),
    QStringLiteral("Puce Carré"),
};

const std::array<int, TestCount> TestTimeLimits = {3, 3, 3, 2, 2, 3, 3, 1, 30, 30};
const std::array<bool, TestCount> EndlessOffered = {true, true, false, true, true, false, true, false, false, false};
const std::array<int, 4> SpeedTable = {1250, 1000, 750, 1000};

int testIndexOfExtension(const QString &ext)
{
    for (int i = 0; i < TestCount; ++i)
        if (ExtensionTable[i] == ext)
            return i;
    return -1;
}

} // namespace zoka
