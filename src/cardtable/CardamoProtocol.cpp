#include "CardamoProtocol.h"

#include "_Globals.h"

namespace Cardamo {

bool IsSpawnNode(const QByteArray &chunk)
{
    return chunk.contains(SpawnNodeCommand);
}

int SpawnNodePort(const QByteArray &chunk)
{
    const qsizetype colon = chunk.indexOf(':');
    return LenientNumber(colon < 0 ? chunk : chunk.mid(colon));
}

StartLimits::Rules SpawnRules()
{
    StartLimits::Rules rules;
    rules.minIntervalMs = 3000;
    rules.maxTotal = 4;
    rules.what = QStringLiteral("table");
    return rules;
}

} // namespace Cardamo
