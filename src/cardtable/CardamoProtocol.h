#pragma once

// What the card table reads out of the server's texts, as plain functions.

#include <QByteArray>

#include "StartLimits.h"

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

// What a server can have one table open: one further table per 3 seconds,
// 4 in all; a table opened that way carries this variable in its
// environment and opens none itself.
inline constexpr char StartedByTableVariable[] = "VANTORA_STARTED_BY_TABLE";
StartLimits::Rules SpawnRules();

} // namespace Cardamo
