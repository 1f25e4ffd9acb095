#include "LobbySettings.h"

#include <QFontDatabase>

#include "AppInfo.h"
#include "SettingsStore.h"

namespace {
using K = LobbySettings::Kind;
using L = LobbySettings;

std::vector<L::Definition> makeTable()
{
    return {
        {L::SuppressTextonSound, "SuppressTextonSound", K::Bool, true},
        {L::ClickSound, "ClickSound", K::Bool, true},
        {L::ExternalMP3, "ExternalMP3", K::Bool, false},
        {L::FastConnection, "FastConnection", K::Bool, true},
        {L::ScaleLowRes, "ScaleLowRes", K::Bool, false},
        {L::SoundOn, "SoundOn", K::Bool, true},
        {L::VTFTPONLY, "VTFTPONLY", K::Bool, true},
        {L::Server, "Server", K::Text, DefaultServiceHost()},
        {L::FontSize, "FontSize", K::Integer, 10},
        {L::Port, "Port", K::Integer, 1024},
        {L::Information, "Information", K::Text, QString()},
        {L::Cry, "Cry", K::Text, QStringLiteral("Don't point that thing at me !")},
        {L::Email, "Email", K::Text, QStringLiteral("yourname@example.com")},
        {L::ChatColor, "ChatColor", K::Integer, 1},
        {L::WinColor, "WinColor", K::Color, 0x400000u},
        {L::DefColor, "DefColor", K::Color, 0xFFFFFFu},
        {L::FontName, "FontName", K::Text, L::defaultFontName()},
        {L::ATColor, "ATColor", K::Text, QVariant()},
        {L::ATStyle, "ATStyle", K::Text, QVariant()},
        {L::Version, "Version", K::Text, QVariant()},
        {L::MediaPath, "MediaPath", K::Text, QVariant()},
        {L::UserName, "UserName", K::Text, QVariant()},
        {L::Password, "Password", K::Text, QVariant()},
        {L::Remember, "Remember", K::Bool, true},
        {L::FtpPort, "FtpPort", K::Integer, 21},
        {L::HttpPort, "HttpPort", K::Integer, 80},
    };
}
} // namespace

const std::vector<LobbySettings::Definition> &LobbySettings::table()
{
    static const std::vector<Definition> definitions = makeTable();
    return definitions;
}

const LobbySettings::Definition &LobbySettings::definition(Value value)
{
    const auto &all = table();
    for (const Definition &d : all)
        if (d.value == value)
            return d;
    Q_UNREACHABLE();
}

QString LobbySettings::key(Value value)
{
    return VantoraKey(QString::fromLatin1(definition(value).name));
}

QString LobbySettings::defaultFontName()
{
    const QString tahoma = QStringLiteral("Tahoma");
    return QFontDatabase::hasFamily(tahoma) ? tahoma : QStringLiteral("Arial");
}

LobbySettings::LobbySettings(SettingsStore &store)
    : m_store(store)
{
}

bool LobbySettings::boolean(Value value) const
{
    return m_store.readBool(key(value), definition(value).fallback.toBool());
}

int LobbySettings::integer(Value value) const
{
    return m_store.readInteger(key(value), definition(value).fallback.toInt());
}

TColor LobbySettings::color(Value value) const
{
    return m_store.readColor(key(value), definition(value).fallback.toUInt());
}

QString LobbySettings::text(Value value) const
{
    return m_store.readString(key(value), definition(value).fallback.toString());
}

void LobbySettings::setBoolean(Value value, bool on)
{
    m_store.writeBool(key(value), on);
}

void LobbySettings::setInteger(Value value, int number)
{
    m_store.writeInteger(key(value), number);
}

void LobbySettings::setColor(Value value, TColor color)
{
    m_store.writeColor(key(value), color);
}

void LobbySettings::setText(Value value, const QString &text)
{
    m_store.writeString(key(value), text);
}

QByteArray LobbySettings::atColor() const
{
    return text(ATColor).toLatin1();
}

void LobbySettings::setATColor(const QByteArray &code)
{
    setText(ATColor, QString::fromLatin1(code));
}

QByteArray LobbySettings::atStyle() const
{
    return text(ATStyle).toLatin1();
}

void LobbySettings::setATStyle(const QByteArray &codes)
{
    setText(ATStyle, QString::fromLatin1(codes));
}

QStringList LobbySettings::serverList() const
{
    QStringList names;
    for (int i = 0; i < MaxServersRead; ++i) {
        const QString k = VantoraKey(QStringLiteral("Server") + QString::number(i));
        if (!m_store.hasValue(k))
            break;
        names << m_store.readString(k);
    }
    return names;
}

void LobbySettings::setServerList(const QStringList &names)
{
    for (int i = 0; i < names.size(); ++i)
        m_store.writeString(VantoraKey(QStringLiteral("Server") + QString::number(i)), names.at(i));
}

void LobbySettings::flush()
{
    m_store.flush();
}
