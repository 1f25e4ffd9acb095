#pragma once

// The score window's text for a score table: lines of name "=" value. Each
// name is filled with "_" to 20 characters, shown in white, followed by a
// tab and the value in bold (the chat renderer's codes ESC "[1" and
// ESC "[2").

#include <QByteArray>

namespace ScoreTableText {

inline constexpr int NameWidth = 20;

// The renderer text for a table.
QByteArray Format(const QByteArray &table);

} // namespace ScoreTableText
