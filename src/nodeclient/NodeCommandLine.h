#pragma once

// The command line of a node client program: host, port, user name and
// password, blank-separated, as the lobby (or a card table opening a further
// table) writes it. Arguments beyond the fourth are ignored. The lobby hands
// the password in the environment (PasswordVariable) instead; a fourth
// argument, when given, still counts.

#include <QByteArray>
#include <QStringList>

struct NodeCommandLine
{
    static constexpr int DefaultPort = 1030;

    QByteArray NodeHost;   // empty when the command line names none
    int NodePort = DefaultPort;
    QByteArray UserName;   // empty: the program closes once it has connected
    QByteArray Password;

    // Reads the arguments after the program name. The port goes through
    // LenientNumber, so "1030x" is 1030, "12.5" is 12 and "abc" is 0.
    static NodeCommandLine read(const QStringList &arguments);

    // The arguments that start a program on `host`:`port` with these
    // credentials (always four, so an empty name keeps its place).
    static QStringList arguments(const QByteArray &host, int port, const QByteArray &userName,
                                 const QByteArray &password);
};
