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

} // namespace Cardamo
