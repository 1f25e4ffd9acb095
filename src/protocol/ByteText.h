#pragma once

// Where protocol bytes meet Qt's text. The service speaks 8-bit bytes with no
// encoding; chat, captions, names and settings values are shown byte for byte
// as Latin-1, so every byte value round-trips through a QString unchanged.
// (The screen engine draws its bytes as code page 437 glyphs instead; that
// mapping lives with the engine.)

#include <QByteArray>
#include <QString>

inline QString DisplayText(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

// Characters above U+00FF cannot be sent; they become "?".
inline QByteArray ProtocolBytes(const QString &text) { return text.toLatin1(); }
