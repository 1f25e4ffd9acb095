#pragma once

// What a menu frame does with what its menu server sends. Every read event
// brings one chunk; the first rule that matches decides: a password prompt,
// a switch to another lobby server, a client program to start (card table,
// sketch table, door game, chat room), or else screen data for the engine.
// The dispatcher keeps no state of its own, so tests feed it bytes and a
// recording host, without a socket or a window.
//
// A host the server names in braces is used only when it is a host name or
// an address; anything else is refused with a chat line.
//
// Every command carries its port in all the text after the first ":" of
// the chunk, read leniently (digits, "-" and "." kept, cut at the first
// "."). A host in braces written before the colon never disturbs the port;
// written after it, its digits before the first "." count as part of it.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The client programs' files in the lobby's folder.
namespace ClientProgram {
inline const QString Cardamo = QStringLiteral("Cardamo");
inline const QString Doodlixf = QStringLiteral("Doodlixf");
inline const QString Portalis = QStringLiteral("Portalis");
inline const QString Gatelet = QStringLiteral("Gatelet");
inline const QString Parlora = QStringLiteral("Parlora");
} // namespace ClientProgram

// What the dispatcher needs of the frame and the lobby.
class MenuDispatchHost
{
public:
    virtual ~MenuDispatchHost() = default;

    // The lobby's current server name; the user's name and password as typed.
    virtual QString serverName() const = 0;
    virtual QString userName() const = 0;
    virtual QString password() const = 0;
    // Whether the program's file lies in the lobby's folder.
    virtual bool programExists(const QString &program) const = 0;

    // Asks the user for the password the server wants ("Security");
    // empty when cancelled.
    virtual QString askPassword() = 0;
    // Writes the bytes to the menu connection as they are.
    virtual void sendRaw(const QByteArray &bytes) = 0;
    // Makes `host` the server name and `port` the channel, then reconnects.
    virtual void switchServer(const QString &host, int port) = 0;
    // Starts the program from the lobby's folder; false when its file is
    // missing or it does not start. Then the user is told so only when
    // `reportMissing` is set (a door says nothing).
    virtual bool startProgram(const QString &program, const QStringList &arguments,
                              bool reportMissing) = 0;
    virtual void showMessage(const QString &text) = 0;
    // One line in the lobby's chat view: what the menu asked for and why
    // it was not done.
    virtual void chatNote(const QString &text) = 0;
    // Screen data for the engine attached to the frame.
    virtual void writeScreen(const QByteArray &text) = 0;
};

class MenuDispatcher
{
public:
    explicit MenuDispatcher(MenuDispatchHost &host);

    // One read event's chunk. True when the menu started a program or
    // switched the server (the frame's MenuActed).
    bool Dispatch(const QByteArray &chunk);

    // ---- The fields, as plain functions ----
    // The number in all the text after the first ":"; 0 without a colon.
    static int MenuPort(const QByteArray &text);
    // The text between the first "{" and the next "}", when there is a "{".
    static bool HasBracedHost(const QByteArray &text);
    static QByteArray BracedHost(const QByteArray &text);

private:
    bool switchServer(const QByteArray &text);
    bool startFull(const QString &program, const QByteArray &text);
    bool startDoor(const QByteArray &text);
    bool invitation(const QByteArray &text);
    void answerPassword();
    void refuseHost(const QString &host);
    QString hostOf(const QByteArray &text) const;

    MenuDispatchHost &m_host;
};
