#pragma once

// What a node client program knows of its session, apart from its window:
// where it connects and as whom (the command line, the settings' server
// when the line names none), where sounds lie, and the chat colours, style
// and font the user chose in the lobby (read again at every activation, so
// that changes made there in between are seen). It also words the messages
// that carry the user's own chat: identification, chat lines, whispers.
//
// The frame and the chat room each own one and hand it to their chat panel.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "Colors.h"
#include "NodeCommandLine.h"

class NodeSettings;

struct NodeSession
{
    QByteArray NodeHost;
    int NodePort = NodeCommandLine::DefaultPort;
    QByteArray UserName;   // empty: the program closes once it has connected
    QByteArray Password;
    QString ProgramDir;    // ends in "/"
    QString MediaDir;      // ends in "/"

    // The chat appearance.
    QByteArray ChatColorPrefix;
    QByteArray ChatStylePrefix;
    TColor TextColour = TColors::WindowText;
    // The chat input's background counts as dark (set as the colours are applied).
    bool DarkBackground = false;
    QString ChatFontName;
    int ChatFontSize = 10;

    // The command line after the program name, the media folder and the
    // chat prefixes; a line that names no host takes the settings' server.
    void ReadStartup(const QStringList &arguments, const NodeSettings &settings);
    // The text colour, font and chat prefixes as the settings hold them
    // now; returns the chat input's background colour.
    TColor ReadAppearance(const NodeSettings &settings);

    // The identification the server expects first on a node connection.
    QByteArray Identification() const;
    // A typed chat line as it goes out; `lead` goes in front of the prefixes.
    QByteArray ChatMessage(const QByteArray &text, const QByteArray &lead = {}) const;
    // One private message per selected player, in the user's colour and style.
    QList<QByteArray> WhisperMessages(const QList<QByteArray> &selected,
                                      const QByteArray &text) const;
    // A vote the options menu offered.
    QByteArray VoteMessage(const QByteArray &entry) const;
};
