#pragma once

// What the card table reads out of the server's texts, as plain functions.

#include <QByteArray>

namespace Cardamo {

// A surface button's text: name "|" caption ";" hint. Without "|" the name
// and the caption are the whole text; without ";" the hint is the caption.
struct ButtonText
{
    QByteArray name;
    QByteArray caption;
    QByteArray hint;

    friend bool operator==(const ButtonText &, const ButtonText &) = default;
};
ButtonText ParseButtonText(const QByteArray &text);

// The further-table command: a chunk containing "\SpawnNode" names a port
// after its first ":".
bool IsSpawnNode(const QByteArray &chunk);
int SpawnNodePort(const QByteArray &chunk);

} // namespace Cardamo
