#pragma once

// What the card table reads out of the server's texts, as plain functions.

#include <QByteArray>

#include "SurfaceButtons.h"

namespace Cardamo {

// A surface button's text: name "|" caption ";" hint.
using ButtonText = SurfaceButtonText;
inline ButtonText ParseButtonText(const QByteArray &text)
{
    return ParseSurfaceButtonText(text);
}

// The further-table command: a chunk containing "\SpawnNode" names a port
// after its first ":".
inline const QByteArray SpawnNodeCommand = QByteArrayLiteral("\\SpawnNode");
bool IsSpawnNode(const QByteArray &chunk);
int SpawnNodePort(const QByteArray &chunk);

} // namespace Cardamo
