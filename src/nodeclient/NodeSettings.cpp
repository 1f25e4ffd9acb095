#include "NodeSettings.h"

#include "AppInfo.h"
#include "ByteText.h"
#include "SettingsStore.h"
#include "_Globals.h"

QByteArray NodeSettings::server() const
{
    const QString host = m_store.readString(VantoraKey(QStringLiteral("Server")));
    return ProtocolBytes(host.isEmpty() ? DefaultServiceHost() : host);
}

bool NodeSettings::scaleLowRes() const
{
    return m_store.readBool(VantoraKey(QStringLiteral("ScaleLowRes")), false);
}

QByteArray NodeSettings::atColor() const
{
    return ProtocolBytes(m_store.readString(VantoraKey(QStringLiteral("ATColor"))));
}

QByteArray NodeSettings::atStyle() const
{
    return ProtocolBytes(m_store.readString(VantoraKey(QStringLiteral("ATStyle"))));
}

QString NodeSettings::mediaPath() const
{
    return m_store.readString(VantoraKey(QStringLiteral("MediaPath")));
}

TColor NodeSettings::winColor() const
{
    return m_store.readColor(VantoraKey(QStringLiteral("WinColor")), TColors::Window);
}

TColor NodeSettings::defColor() const
{
    return m_store.readColor(VantoraKey(QStringLiteral("DefColor")), TColors::WindowText);
}

QString NodeSettings::fontName() const
{
    return m_store.readString(VantoraKey(QStringLiteral("FontName")), QStringLiteral("Arial"));
}

int NodeSettings::fontSize() const
{
    return m_store.readInteger(VantoraKey(QStringLiteral("FontSize")), 10);
}

QString NodeSettings::mediaDir(const QString &mediaPath)
{
    QString dir = mediaPath.isEmpty() ? WindowsFolder() + QStringLiteral("/Media") : mediaPath;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}
