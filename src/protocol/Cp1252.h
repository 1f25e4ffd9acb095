#pragma once

// Windows-1252, the code page the service's users type their chat in. It is
// Latin-1 except for bytes 80 to 9F, which carry the euro sign, typographic
// quotes, the bullet (the user-rank mark 95), dashes and a few letters. The
// five bytes that code page leaves undefined stay the Latin-1 controls, so
// every byte still has a character of its own.

#include <QByteArray>
#include <QString>

// Chat text as the user who typed it saw it.
QString ChatText(const QByteArray &bytes);

// The other way: typed text as chat bytes; characters the code page has no
// byte for become "?".
QByteArray ChatBytes(const QString &text);
