#include "CardamoProtocol.h"

#include "_Globals.h"

namespace Cardamo {

ButtonText ParseButtonText(const QByteArray &text)
{
    ButtonText button;
    button.name = TextBefore(text, '|');
    const QByteArray rest = TextAfter(text, '|');
    button.caption = TextBefore(rest, ';');
    button.hint = text.contains(';') ? TextAfter(text, ';') : button.caption;
    return button;
}

bool IsSpawnNode(const QByteArray &chunk)
{
    return chunk.contains("\\SpawnNode");
}

int SpawnNodePort(const QByteArray &chunk)
{
    const qsizetype colon = chunk.indexOf(':');
    return LenientNumber(colon < 0 ? chunk : chunk.mid(colon));
}

} // namespace Cardamo
