#pragma once

// What a server may name: hosts to connect to and programs to hand text to.
// Everything here is a plain check over the text the server sent.

#include <QByteArray>
#include <QString>

// A host name or an address: letters, digits, dots and hyphens (no label
// starts with a hyphen), at most 253 characters, or an IPv6 address in
// brackets. Nothing else can reach a connect or a command line as a host.
bool IsHostName(const QString &host);

// A server's text made harmless for the chat view: control bytes (ESC among
// them) become blanks, so no chat code, sound or command in it can act.
QByteArray InertChatText(const QByteArray &text);
