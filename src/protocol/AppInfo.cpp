#include "AppInfo.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <netdb.h>

namespace {
QString &titleStore()
{
    static QString title;
    return title;
}
} // namespace

void SetApplicationTitle(const QString &title)
{
    titleStore() = title;
}

QString ApplicationTitle()
{
    if (!titleStore().isEmpty())
        return titleStore();
    return QCoreApplication::applicationName();
}

QString DefaultServiceHost()
{
    return QStringLiteral("localhost");
}

int ChatServicePort()
{
    if (const servent *entry = getservbyname("Chat", "tcp"))
        return ntohs(quint16(entry->s_port));
    return 1024;
}

int ResolveServicePort(int port)
{
    return port == 1024 ? ChatServicePort() : port;
}

namespace {
QStringList &StoredArguments()
{
    static QStringList arguments;
    return arguments;
}
} // namespace

void SetProgramArguments(const QStringList &arguments)
{
    StoredArguments() = arguments;
}

QStringList ProgramArguments()
{
    return StoredArguments();
}
