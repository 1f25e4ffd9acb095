#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QWidget>

#include "EventSounds.h"
#include "Fakes.h"
#include "RegistrySettings.h"
#include "TestMain.h"
#include "Waits.h"
#include "WindowLister.h"
#include "_Globals.h"

#include <sys/stat.h>

class tst_Platform : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void settings_read_defaults_when_absent();
    void settings_round_trip_through_the_file();
    void settings_file_is_private();
    void machine_settings_come_from_the_system_folder();
    void event_sounds_follow_the_scheme();
    void chat_tick_never_interrupts();
    void play_event_sound_without_scheme_is_silent();
    void own_main_windows_are_listed();
    void waits_keep_their_order_when_scaled();

private:
    QString writeWave(const QString &name);
};

void tst_Platform::init()
{
    QFile::remove(RegistrySettings::userFile());
}

QString tst_Platform::writeWave(const QString &name)
{
    const QString path = TestEnvironment::root() + QStringLiteral("/") + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("RIFF");
    return path;
}

void tst_Platform::settings_read_defaults_when_absent()
{
    RegistrySettings settings;
    QCOMPARE(settings.readString(VantoraKey(QStringLiteral("Server")), QStringLiteral("localhost")),
             QStringLiteral("localhost"));
    QCOMPARE(settings.readInteger(VantoraKey(QStringLiteral("Port")), 1024), 1024);
    QCOMPARE(settings.readBool(VantoraKey(QStringLiteral("SoundOn")), true), true);
    QCOMPARE(settings.readColor(VantoraKey(QStringLiteral("WinColor")), 0x400000), TColor(0x400000));
    QVERIFY(!settings.hasKey(QStringLiteral("Vantora")));
}

void tst_Platform::settings_round_trip_through_the_file()
{
    {
        RegistrySettings settings;
        settings.writeBool(VantoraKey(QStringLiteral("SoundOn")), false);
        settings.writeBool(VantoraKey(QStringLiteral("ClickSound")), true);
        settings.writeInteger(VantoraKey(QStringLiteral("Port")), 5000);
        settings.writeColor(VantoraKey(QStringLiteral("DefColor")), 0x80000008);
        settings.writeString(VantoraKey(QStringLiteral("ATColor")), QStringLiteral("\x1b[1"));
        settings.writeString(QStringLiteral("AppEvents/Schemes/Apps/VTLobby"),
                             QStringLiteral("Vantora Lobby"));
        settings.writeString(QStringLiteral("AppEvents/Schemes/Apps/VTLobby/AppOpen/.current"),
                             QStringLiteral("/x/VTOpen.wav"));
    }
    QFile file(RegistrySettings::userFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // Booleans are kept as 0/1 in the file, not as words.
    QVERIFY2(text.contains("SoundOn=0"), text.constData());
    QVERIFY2(text.contains("ClickSound=1"), text.constData());

    RegistrySettings again;
    QCOMPARE(again.readBool(VantoraKey(QStringLiteral("SoundOn")), true), false);
    QCOMPARE(again.readInteger(VantoraKey(QStringLiteral("Port")), 0), 5000);
    QCOMPARE(again.readColor(VantoraKey(QStringLiteral("DefColor")), 0), TColor(0x80000008));
    QCOMPARE(again.readString(VantoraKey(QStringLiteral("ATColor"))), QStringLiteral("\x1b[1"));
    QVERIFY(again.hasKey(QStringLiteral("AppEvents/Schemes/Apps/VTLobby")));
    QCOMPARE(again.readString(QStringLiteral("AppEvents/Schemes/Apps/VTLobby")),
             QStringLiteral("Vantora Lobby"));
    QCOMPARE(again.readString(QStringLiteral("AppEvents/Schemes/Apps/VTLobby/AppOpen/.current")),
             QStringLiteral("/x/VTOpen.wav"));
    // A stored word that is not a number reads as the default.
    again.writeString(VantoraKey(QStringLiteral("FontSize")), QStringLiteral("big"));
    QCOMPARE(again.readInteger(VantoraKey(QStringLiteral("FontSize")), 10), 10);
}

void tst_Platform::settings_file_is_private()
{
    {
        RegistrySettings settings;
        settings.writeString(VantoraKey(QStringLiteral("Password")), QStringLiteral("secret"));
    }
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(RegistrySettings::userFile()).constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0600);
}

void tst_Platform::machine_settings_come_from_the_system_folder()
{
    const QString dir = qEnvironmentVariable("XDG_CONFIG_DIRS") + QStringLiteral("/Vantora");
    QDir().mkpath(dir);
    QFile f(dir + QStringLiteral("/registry.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[Vantora]\nMediaPath=/srv/media\n");
    f.close();

    RegistrySettings machine(RegistrySettings::Scope::Machine);
    QCOMPARE(machine.readString(VantoraKey(QStringLiteral("MediaPath"))), QStringLiteral("/srv/media"));
    machine.writeString(VantoraKey(QStringLiteral("MediaPath")), QStringLiteral("/elsewhere"));
    QCOMPARE(machine.readString(VantoraKey(QStringLiteral("MediaPath"))), QStringLiteral("/srv/media"));
    QFile::remove(f.fileName());
}

void tst_Platform::event_sounds_follow_the_scheme()
{
    MemorySettings settings;
    FakeSoundPlayer player;
    const QString open = writeWave(QStringLiteral("VTOpen.wav"));
    const QString problem = writeWave(QStringLiteral("Problem.wav"));
    const QString scheme = EventSounds::schemeKey(QStringLiteral("VTLobby"));
    settings.writeString(scheme + QStringLiteral("/AppOpen/.current"), open);
    settings.writeString(scheme + QStringLiteral("/Problem/.current"), problem);
    settings.writeString(scheme + QStringLiteral("/Away/.current"),
                         TestEnvironment::root() + QStringLiteral("/missing.wav"));

    EventSounds sounds(settings, player);
    sounds.play("AppOpen");
    QCOMPARE(player.played, QStringList{open});
    // Another label cuts off what plays.
    sounds.play("Problem");
    QCOMPARE(player.played, (QStringList{open, problem}));
    QCOMPARE(player.stops, 1);
    // Unbound and missing: nothing, and no default sound either.
    player.finish();
    sounds.play("Here");
    sounds.play("Away");
    QCOMPARE(player.played.size(), 2);
    QVERIFY(!player.isPlaying());
}

void tst_Platform::chat_tick_never_interrupts()
{
    MemorySettings settings;
    FakeSoundPlayer player;
    const QString tick = writeWave(QStringLiteral("ChatClick.wav"));
    const QString look = writeWave(QStringLiteral("Poll.wav"));
    const QString scheme = EventSounds::schemeKey(QStringLiteral("VTLobby"));
    settings.writeString(scheme + QStringLiteral("/ChatTick/.current"), tick);
    settings.writeString(scheme + QStringLiteral("/Look/.current"), look);

    EventSounds sounds(settings, player);
    sounds.install();
    PlayEventSound("Look");
    PlayEventSound("ChatTick");   // skipped: "Look" still plays
    QCOMPARE(player.played, QStringList{look});
    QCOMPARE(player.stops, 0);
    player.finish();
    PlayEventSound("ChatTick");
    QCOMPARE(player.played, (QStringList{look, tick}));
}

void tst_Platform::play_event_sound_without_scheme_is_silent()
{
    FakeSoundPlayer player;
    {
        MemorySettings settings;
        EventSounds sounds(settings, player);
        sounds.install();
    }
    // The handler went away with its EventSounds.
    PlayEventSound("AppOpen");
    QVERIFY(player.played.isEmpty());
}

void tst_Platform::own_main_windows_are_listed()
{
    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Vantora Game Lobby"));
    MainWindows::registerWindow(window, QStringLiteral("TfrmCardamo"));
    QVERIFY(MainWindows::ownWindows().contains(
        TopLevelWindow{QStringLiteral("Vantora Game Lobby"), QStringLiteral("TfrmCardamo")}));
    delete window;
    QVERIFY(!MainWindows::ownWindows().contains(
        TopLevelWindow{QStringLiteral("Vantora Game Lobby"), QStringLiteral("TfrmCardamo")}));
}

void tst_Platform::waits_keep_their_order_when_scaled()
{
    Waits::setTimeScale(0.05);
    QStringList steps;
    QObject context;
    Waits::after(500, &context, [&] { steps << QStringLiteral("500"); });
    Waits::after(200, &context, [&] { steps << QStringLiteral("200"); });
    Waits::after(1000, &context, [&] { steps << QStringLiteral("1000"); });
    {
        QObject gone;
        Waits::after(10, &gone, [&] { steps << QStringLiteral("gone"); });
    }
    QTRY_COMPARE(steps, (QStringList{QStringLiteral("200"), QStringLiteral("500"),
                                     QStringLiteral("1000")}));
    QCOMPARE(Waits::scaled(200), 10);
    Waits::setTimeScale(1.0);
    QCOMPARE(Waits::scaled(200), 200);
}

VT_TEST_MAIN(tst_Platform)
#include "tst_platform.moc"
