#pragma once

// The lobby's values in the suite's key "Vantora", through typed accessors.
// Every name, kind and default is in one table (LobbySettings::table(), in
// the order the lobby reads them at start); windows never name keys.

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

#include "Colors.h"

class SettingsStore;

class LobbySettings
{
public:
    enum Value {
        SuppressTextonSound,
        ClickSound,
        ExternalMP3,
        FastConnection,
        ScaleLowRes,
        SoundOn,
        VTFTPONLY,
        Server,
        FontSize,
        Port,
        Information,
        Cry,
        Email,
        ChatColor,
        WinColor,
        DefColor,
        FontName,
        ATColor,
        ATStyle,
        Version,
        MediaPath,
        UserName,
        Password,
        Remember,
        FtpPort,
        HttpPort,
    };
    enum class Kind { Bool, Integer, Color, Text };

    struct Definition
    {
        Value value;
        const char *name;
        Kind kind;
        QVariant fallback;   // invalid: no default, read as empty
    };

    // The values in the order the lobby reads them at start.
    static const std::vector<Definition> &table();
    static const Definition &definition(Value value);
    static QString key(Value value);

    // At most this many server names are read back.
    static constexpr int MaxServersRead = 25;
    static constexpr const char *VersionText = "6.11";

    explicit LobbySettings(SettingsStore &store);

    SettingsStore &store() const { return m_store; }

    bool boolean(Value value) const;
    int integer(Value value) const;
    TColor color(Value value) const;
    QString text(Value value) const;
    void setBoolean(Value value, bool on);
    void setInteger(Value value, int number);
    void setColor(Value value, TColor color);
    void setText(Value value, const QString &text);

    bool suppressTextonSound() const { return boolean(SuppressTextonSound); }
    void setSuppressTextonSound(bool on) { setBoolean(SuppressTextonSound, on); }
    bool clickSound() const { return boolean(ClickSound); }
    void setClickSound(bool on) { setBoolean(ClickSound, on); }
    bool externalMP3() const { return boolean(ExternalMP3); }
    void setExternalMP3(bool on) { setBoolean(ExternalMP3, on); }
    bool fastConnection() const { return boolean(FastConnection); }
    void setFastConnection(bool on) { setBoolean(FastConnection, on); }
    bool scaleLowRes() const { return boolean(ScaleLowRes); }
    void setScaleLowRes(bool on) { setBoolean(ScaleLowRes, on); }
    bool soundOn() const { return boolean(SoundOn); }
    void setSoundOn(bool on) { setBoolean(SoundOn, on); }
    bool vtFtpOnly() const { return boolean(VTFTPONLY); }
    void setVtFtpOnly(bool on) { setBoolean(VTFTPONLY, on); }
    QString server() const { return text(Server); }
    void setServer(const QString &name) { setText(Server, name); }
    int fontSize() const { return integer(FontSize); }
    void setFontSize(int size) { setInteger(FontSize, size); }
    int port() const { return integer(Port); }
    void setPort(int port) { setInteger(Port, port); }
    QString information() const { return text(Information); }
    void setInformation(const QString &info) { setText(Information, info); }
    QString cry() const { return text(Cry); }
    void setCry(const QString &cry) { setText(Cry, cry); }
    QString email() const { return text(Email); }
    void setEmail(const QString &email) { setText(Email, email); }
    int chatColor() const { return integer(ChatColor); }
    void setChatColor(int index) { setInteger(ChatColor, index); }
    TColor winColor() const { return color(WinColor); }
    void setWinColor(TColor c) { setColor(WinColor, c); }
    TColor defColor() const { return color(DefColor); }
    void setDefColor(TColor c) { setColor(DefColor, c); }
    QString fontName() const { return text(FontName); }
    void setFontName(const QString &name) { setText(FontName, name); }
    // The chat prefixes are kept as their bytes, one character per byte.
    QByteArray atColor() const;
    void setATColor(const QByteArray &code);
    QByteArray atStyle() const;
    void setATStyle(const QByteArray &codes);
    void writeVersion() { setText(Version, QString::fromLatin1(VersionText)); }
    QString mediaPath() const { return text(MediaPath); }
    void setMediaPath(const QString &path) { setText(MediaPath, path); }
    QString userName() const { return text(UserName); }
    void setUserName(const QString &name) { setText(UserName, name); }
    QString password() const { return text(Password); }
    void setPassword(const QString &password) { setText(Password, password); }
    bool remember() const { return boolean(Remember); }
    // The transfer host's ports; only read, so that a private server (or a
    // test) can use other ones.
    int ftpPort() const { return integer(FtpPort); }
    int httpPort() const { return integer(HttpPort); }
    void setRemember(bool on) { setBoolean(Remember, on); }

    // "Server0", "Server1", ...: read up to the first missing index, at most
    // MaxServersRead names; written one value per name, from index 0.
    QStringList serverList() const;
    void setServerList(const QStringList &names);

    void flush();

    // "Tahoma" when the desktop has it, else "Arial".
    static QString defaultFontName();

private:
    SettingsStore &m_store;
};
