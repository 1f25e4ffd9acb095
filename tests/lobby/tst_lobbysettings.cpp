#include <QTest>

#include "EventScheme.h"
#include "Fakes.h"
#include "LobbyMain.h"
#include "LobbySettings.h"
#include "RegistrySettings.h"
#include "TestMain.h"

class tst_LobbySettings : public QObject
{
    Q_OBJECT
private slots:
    void defaults_on_an_empty_tree_data();
    void defaults_on_an_empty_tree();
    void stored_values_win_over_defaults();
    void server_list_of_thirty_saved_whole_and_read_back_as_twenty_five();
    void server_list_stops_at_the_first_gap();
    void chat_prefixes_keep_their_bytes();
    void values_survive_the_settings_file();
    void event_scheme_written_only_when_missing();
    void command_line_data();
    void command_line();
};

void tst_LobbySettings::defaults_on_an_empty_tree_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QVariant>("expected");
    using L = LobbySettings;
    QTest::newRow("SuppressTextonSound") << int(L::SuppressTextonSound) << QVariant(true);
    QTest::newRow("ClickSound") << int(L::ClickSound) << QVariant(true);
    QTest::newRow("ExternalMP3") << int(L::ExternalMP3) << QVariant(false);
    QTest::newRow("FastConnection") << int(L::FastConnection) << QVariant(true);
    QTest::newRow("ScaleLowRes") << int(L::ScaleLowRes) << QVariant(false);
    QTest::newRow("SoundOn") << int(L::SoundOn) << QVariant(true);
    QTest::newRow("VTFTPONLY") << int(L::VTFTPONLY) << QVariant(true);
    QTest::newRow("Server") << int(L::Server) << QVariant(QStringLiteral("localhost"));
    QTest::newRow("FontSize") << int(L::FontSize) << QVariant(10);
    QTest::newRow("Port") << int(L::Port) << QVariant(1024);
    QTest::newRow("Information") << int(L::Information) << QVariant(QString());
    QTest::newRow("Cry") << int(L::Cry) << QVariant(QStringLiteral("Don't point that thing at me !"));
    QTest::newRow("ChatColor") << int(L::ChatColor) << QVariant(1);
    QTest::newRow("WinColor") << int(L::WinColor) << QVariant(0x400000u);
    QTest::newRow("DefColor") << int(L::DefColor) << QVariant(0xFFFFFFu);
    QTest::newRow("Remember") << int(L::Remember) << QVariant(true);
    QTest::newRow("UserName") << int(L::UserName) << QVariant(QString());
    QTest::newRow("FtpPort") << int(L::FtpPort) << QVariant(21);
    QTest::newRow("HttpPort") << int(L::HttpPort) << QVariant(80);
}

void tst_LobbySettings::defaults_on_an_empty_tree()
{
    QFETCH(int, value);
    QFETCH(QVariant, expected);
    MemorySettings store;
    LobbySettings settings(store);
    const auto v = LobbySettings::Value(value);
    switch (LobbySettings::definition(v).kind) {
    case LobbySettings::Kind::Bool:
        QCOMPARE(settings.boolean(v), expected.toBool());
        break;
    case LobbySettings::Kind::Integer:
        QCOMPARE(settings.integer(v), expected.toInt());
        break;
    case LobbySettings::Kind::Color:
        QCOMPARE(settings.color(v), TColor(expected.toUInt()));
        break;
    case LobbySettings::Kind::Text:
        QCOMPARE(settings.text(v), expected.toString());
        break;
    }
    QVERIFY(store.writes.isEmpty());
    // Arial unless the desktop has Tahoma.
    QVERIFY(settings.fontName() == QStringLiteral("Arial")
            || settings.fontName() == QStringLiteral("Tahoma"));
}

void tst_LobbySettings::stored_values_win_over_defaults()
{
    MemorySettings store;
    store.values.insert(QStringLiteral("Vantora/Port"), QStringLiteral("5000"));
    store.values.insert(QStringLiteral("Vantora/SoundOn"), 0);
    store.values.insert(QStringLiteral("Vantora/WinColor"), QStringLiteral("16777215"));
    LobbySettings settings(store);
    QCOMPARE(settings.port(), 5000);
    QCOMPARE(settings.soundOn(), false);
    QCOMPARE(settings.winColor(), TColor(0xFFFFFF));
    settings.setFastConnection(false);
    QCOMPARE(store.values.value(QStringLiteral("Vantora/FastConnection")).toInt(), 0);
}

void tst_LobbySettings::server_list_of_thirty_saved_whole_and_read_back_as_twenty_five()
{
    MemorySettings store;
    LobbySettings settings(store);
    QStringList names;
    for (int i = 0; i < 30; ++i)
        names << QStringLiteral("host%1.example").arg(i);
    settings.setServerList(names);
    QStringList expectedKeys;
    for (int i = 0; i < 30; ++i)
        expectedKeys << QStringLiteral("Vantora/Server%1").arg(i);
    QCOMPARE(store.writes, expectedKeys);
    QCOMPARE(settings.serverList(), names.mid(0, 25));
}

void tst_LobbySettings::server_list_stops_at_the_first_gap()
{
    MemorySettings store;
    store.values.insert(QStringLiteral("Vantora/Server0"), QStringLiteral("a"));
    store.values.insert(QStringLiteral("Vantora/Server1"), QStringLiteral("b"));
    store.values.insert(QStringLiteral("Vantora/Server3"), QStringLiteral("d"));
    QCOMPARE(LobbySettings(store).serverList(), (QStringList{"a", "b"}));
}

void tst_LobbySettings::chat_prefixes_keep_their_bytes()
{
    MemorySettings store;
    LobbySettings settings(store);
    settings.setATColor("\033[8");
    settings.setATStyle("\033[B\033[I");
    QCOMPARE(settings.atColor(), QByteArray("\033[8"));
    QCOMPARE(settings.atStyle(), QByteArray("\033[B\033[I"));
    QCOMPARE(store.writes, (QStringList{"Vantora/ATColor", "Vantora/ATStyle"}));
}

void tst_LobbySettings::values_survive_the_settings_file()
{
    // What one program writes, another reads back from the file.
    {
        RegistrySettings file;
        LobbySettings settings(file);
        settings.setATColor("\033[4");
        settings.setATStyle("\033[B\033[I");
        settings.setInformation(QStringLiteral("line one\nline two"));
        settings.setWinColor(0x80000005u);
        settings.setServerList({QStringLiteral("a.example"), QStringLiteral("b.example")});
        settings.flush();
    }
    RegistrySettings file;
    LobbySettings settings(file);
    QCOMPARE(settings.atColor(), QByteArray("\033[4"));
    QCOMPARE(settings.atStyle(), QByteArray("\033[B\033[I"));
    QCOMPARE(settings.information(), QStringLiteral("line one\nline two"));
    QCOMPARE(settings.winColor(), TColor(0x80000005u));
    QCOMPARE(settings.serverList(), (QStringList{"a.example", "b.example"}));
}

void tst_LobbySettings::event_scheme_written_only_when_missing()
{
    MemorySettings store;
    QVERIFY(RegisterEventScheme(store, QStringLiteral("/opt/vantora/")));
    const QString scheme = QStringLiteral("AppEvents/Schemes/Apps/VTLobby");
    QCOMPARE(store.values.value(scheme).toString(), QStringLiteral("Vantora Lobby"));
    const struct
    {
        const char *event, *label, *file;
    } expected[] = {
        {"AppOpen", "Vantora Login", "VTOpen.wav"},
        {"AppClose", "Vantora Close", "VTClose.wav"},
        {"NewArrival", "New Arrival", "Arrival.wav"},
        {"PersonExits", "User Exits", "Leave.wav"},
        {"ChatTick", "Chat Click Sound", "ChatClick.wav"},
        {"Problem", "Connection Problem", "Problem.wav"},
        {"Here", "I'm Here !", "Here.wav"},
        {"Away", "I'm Away !", "Away.wav"},
        {"Look", "Looking For", "Poll.wav"},
    };
    for (const auto &e : expected) {
        const QString event = QString::fromLatin1(e.event);
        QCOMPARE(store.values.value(QStringLiteral("AppEvents/EventLabels/") + event).toString(),
                 QString::fromLatin1(e.label));
        QCOMPARE(store.values.value(scheme + QLatin1Char('/') + event + QStringLiteral("/.current"))
                     .toString(),
                 QStringLiteral("/opt/vantora/") + QString::fromLatin1(e.file));
    }
    QCOMPARE(store.writes.size(), 1 + 2 * 9);

    // The user re-assigns a sound; the next start keeps it.
    const QString closeKey = scheme + QStringLiteral("/AppClose/.current");
    store.values.insert(closeKey, QStringLiteral("/home/me/bye.wav"));
    store.writes.clear();
    QVERIFY(!RegisterEventScheme(store, QStringLiteral("/elsewhere/")));
    QVERIFY(store.writes.isEmpty());
    QCOMPARE(store.values.value(closeKey).toString(), QStringLiteral("/home/me/bye.wav"));
}

void tst_LobbySettings::command_line_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("port");      // -1: not given
    QTest::addColumn<QString>("server"); // null: not given
    QTest::newRow("none") << QStringList{} << -1 << QString();
    QTest::newRow("port and server") << QStringList{"5000", "chat.example"} << 5000
                                     << QStringLiteral("chat.example");
    QTest::newRow("port only") << QStringList{"5000"} << 5000 << QString();
    QTest::newRow("empty port, server") << QStringList{"", "h"} << -1 << QStringLiteral("h");
    QTest::newRow("unreadable port") << QStringList{"abc"} << 0 << QString();
    QTest::newRow("lenient port") << QStringList{"12:x"} << 12 << QString();
    QTest::newRow("empty server") << QStringList{"7", ""} << 7 << QString();
}

void tst_LobbySettings::command_line()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, port);
    QFETCH(QString, server);
    const LobbyCommandLine line = LobbyCommandLine::parse(arguments);
    QCOMPARE(line.port.has_value(), port >= 0);
    if (port >= 0)
        QCOMPARE(*line.port, port);
    QCOMPARE(line.server.has_value(), !server.isNull());
    if (!server.isNull())
        QCOMPARE(*line.server, server);
}

VT_TEST_MAIN(tst_LobbySettings)
#include "tst_lobbysettings.moc"
