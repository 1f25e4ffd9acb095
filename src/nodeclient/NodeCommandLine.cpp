#include "NodeCommandLine.h"

#include "ByteText.h"
#include "ProgramLauncher.h"
#include "_Globals.h"

NodeCommandLine NodeCommandLine::read(const QStringList &arguments)
{
    NodeCommandLine line;
    // User name and password first, then host, then port.
    if (arguments.size() > 2)
        line.UserName = ProtocolBytes(arguments.at(2));
    if (arguments.size() > 3)
        line.Password = ProtocolBytes(arguments.at(3));
    else if (arguments.size() == 3)
        line.Password = ProtocolBytes(qEnvironmentVariable(PasswordVariable));
    if (arguments.size() > 0)
        line.NodeHost = ProtocolBytes(arguments.at(0));
    if (arguments.size() > 1)
        line.NodePort = LenientNumber(ProtocolBytes(arguments.at(1)));
    return line;
}

QStringList NodeCommandLine::arguments(const QByteArray &host, int port,
                                       const QByteArray &userName, const QByteArray &password)
{
    return {DisplayText(host), QString::number(port), DisplayText(userName),
            DisplayText(password)};
}
