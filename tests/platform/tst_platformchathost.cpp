// The desktop's chat host: sound files reach the platform's sound player,
// event sounds the program's sound scheme, and the chat log its file; a
// renderer whose session has this host plays and logs through it.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ChatAnsi.h"
#include "ChatSession.h"
#include "ChatTranscript.h"
#include "Fakes.h"
#include "Platform.h"
#include "PlatformChatHost.h"
#include "TestMain.h"
#include "_Globals.h"

class tst_PlatformChatHost : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void files_go_to_the_sound_player();
    void event_sounds_go_to_the_scheme();
    void media_and_missing_sounds_are_left_alone();
    void log_is_appended_to_its_file();
    void unwritable_log_says_why();
    void renderer_plays_and_logs_through_it();

private:
    QByteArray readLog(const QString &path) const;

    QTemporaryDir m_dir;
    FakeSoundPlayer m_sound;
    QByteArrayList m_events;
    PlatformChatHost m_host;
};

void tst_PlatformChatHost::init()
{
    m_sound = FakeSoundPlayer();
    m_events.clear();
    Platform::setSound(&m_sound);
    SetEventSoundHandler([this](const QByteArray &label) { m_events << label; });
}

void tst_PlatformChatHost::cleanup()
{
    SetEventSoundHandler({});
    Platform::setSound(nullptr);
}

QByteArray tst_PlatformChatHost::readLog(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

void tst_PlatformChatHost::files_go_to_the_sound_player()
{
    QVERIFY(m_host.playFile(QStringLiteral("/sounds/Taunt007.wav")));
    QCOMPARE(m_sound.played, QStringList{QStringLiteral("/sounds/Taunt007.wav")});
    // No device: nothing started, and the host says so.
    m_sound.deviceMissing = true;
    QVERIFY(!m_host.playFile(QStringLiteral("/sounds/Taunt008.wav")));
    QCOMPARE(m_sound.played.size(), 1);
}

void tst_PlatformChatHost::event_sounds_go_to_the_scheme()
{
    m_host.playEventSound("NewArrival");
    m_host.playEventSound("Look");
    QCOMPARE(m_events, (QByteArrayList{"NewArrival", "Look"}));
    // Without a scheme installed nothing plays, and nothing fails.
    SetEventSoundHandler({});
    m_host.playEventSound("Here");
    QCOMPARE(m_events.size(), 2);
    QVERIFY(m_sound.played.isEmpty());
}

void tst_PlatformChatHost::media_and_missing_sounds_are_left_alone()
{
    QVERIFY(!m_host.takeMedia(QStringLiteral("/media/song.mp3")));
    m_host.fetchMissingSound("ding.wav");
    QVERIFY(m_sound.played.isEmpty());
}

void tst_PlatformChatHost::log_is_appended_to_its_file()
{
    const QString log = m_dir.filePath(QStringLiteral("ChatLog.txt"));
    {
        QFile file(log);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier\r\n");
    }
    QCOMPARE(m_host.appendToLog(log, "Hi\r\n"), QString());
    QCOMPARE(m_host.appendToLog(log, QByteArray("\0\xff", 2)), QString());
    QCOMPARE(readLog(log), QByteArray("earlier\r\nHi\r\n\0\xff", 15));
}

void tst_PlatformChatHost::unwritable_log_says_why()
{
    const QString log = m_dir.filePath(QStringLiteral("no-such-folder/ChatLog.txt"));
    const QString error = m_host.appendToLog(log, "Hi");
    QVERIFY2(error.startsWith(QStringLiteral("Cannot write the chat log ") + log + ": "),
             qPrintable(error));
    QVERIFY(!QFile::exists(log));
}

void tst_PlatformChatHost::renderer_plays_and_logs_through_it()
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("taunts")));
    QFile(m_dir.filePath(QStringLiteral("taunts/Taunt007.wav"))).open(QIODevice::WriteOnly);
    const QString log = m_dir.filePath(QStringLiteral("session.log"));
    QFile::remove(log);

    ChatSession session(&m_host);
    session.TauntFolder = m_dir.filePath(QStringLiteral("taunts/"));
    session.LogFileName = log;
    session.UserName = "Ann";
    ChatTranscript view;
    TDispAnsi chat(session);
    chat.Attach(&view, nullptr, nullptr);
    chat.SoundsOn = true;

    chat.Show("\x1b[4Hi see http://example.org now\r\n");
    chat.Show("\x1b[2Bob\x1b[1> #7");   // played, not shown
    chat.Show("\x1b[5Bob \x1b]\xa4\xab" "Ann");
    QCOMPARE(m_sound.played, QStringList{session.TauntFolder + QStringLiteral("Taunt007.wav")});
    QCOMPARE(m_events, QByteArrayList{"Look"});
    QCOMPARE(readLog(log), QByteArray("Hi see  now\r\nBob Looking For Ann\r\n"));
    QVERIFY(chat.LastError().isEmpty());

    session.LogFileName = m_dir.filePath(QStringLiteral("no-such-folder/ChatLog.txt"));
    chat.Show("kept\r\n");
    QVERIFY(chat.LastError().contains(QStringLiteral("ChatLog.txt")));
    QVERIFY(view.plainText().endsWith("kept\n"));
}

VT_TEST_MAIN(tst_PlatformChatHost)
#include "tst_platformchathost.moc"
