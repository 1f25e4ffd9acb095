// The chat panel's rules: the text a message sends, the player menu, the
// whispers and votes, and which links are safe to open.

#include <QtTest>

#include "ChatPanelRules.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"

class TestChatPanelRules : public QObject
{
    Q_OBJECT
private slots:
    void chatText_data();
    void chatText();
    void playerMenu_data();
    void playerMenu();
    void whispersInListOrder();
    void voteEntries_data();
    void voteEntries();
    void voteMessageDropsAmpersands();
    void safeLinks_data();
    void safeLinks();
};

void TestChatPanelRules::chatText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("plain") << QStringLiteral("hello") << QByteArray("hello");
    QTest::newRow("leading empty lines go") << QStringLiteral("\n\nhi\nthere")
                                            << QByteArray("hi\r\nthere");
    QTest::newRow("only empty lines") << QStringLiteral("\n\n\n") << QByteArray();
    QTest::newRow("blank line is not empty") << QStringLiteral(" \nx") << QByteArray(" \r\nx");
    QTest::newRow("no line end added") << QStringLiteral("a\nb\n") << QByteArray("a\r\nb\r\n");
}

void TestChatPanelRules::chatText()
{
    QFETCH(QString, input);
    QTEST(ChatPanel::ChatText(input), "sent");
}

void TestChatPanelRules::playerMenu_data()
{
    QTest::addColumn<QList<QByteArray>>("selected");
    QTest::addColumn<bool>("inputEmpty");
    QTest::addColumn<bool>("where");
    QTest::addColumn<bool>("whisper");
    QTest::addColumn<QByteArray>("whereCaption");
    QTest::addColumn<QByteArray>("whisperCaption");

    QTest::newRow("nothing selected") << QList<QByteArray>{} << false << false << false
                                      << QByteArray("old where") << QByteArray("old whisper");
    QTest::newRow("one, empty input") << QList<QByteArray>{"Ann"} << true << true << false
                                      << QByteArray("Where is Ann ?") << QByteArray("Whisper to Ann");
    QTest::newRow("one with text") << QList<QByteArray>{"Ann"} << false << true << true
                                   << QByteArray("Where is Ann ?") << QByteArray("Whisper to Ann");
    QTest::newRow("several") << QList<QByteArray>{"Bob", "Ann"} << false << true << true
                             << QByteArray("Where is Bob ?") << QByteArray("Whisper to Selected");
}

void TestChatPanelRules::playerMenu()
{
    QFETCH(QList<QByteArray>, selected);
    QFETCH(bool, inputEmpty);
    ChatPanel::PlayerMenu previous;
    previous.whereCaption = "old where";
    previous.whisperCaption = "old whisper";
    previous.whereEnabled = previous.whisperEnabled = true;
    const ChatPanel::PlayerMenu menu = ChatPanel::PlayerMenuFor(selected, inputEmpty, previous);
    QTEST(menu.whereEnabled, "where");
    QTEST(menu.whisperEnabled, "whisper");
    QTEST(menu.whereCaption, "whereCaption");
    QTEST(menu.whisperCaption, "whisperCaption");
}

void TestChatPanelRules::whispersInListOrder()
{
    const QList<QByteArray> sent = ChatPanel::WhisperMessages({"Ann", "Bob", "Cy"}, "\x1b[4",
                                                              "\x1b[B", "meet me");
    QCOMPARE(sent, (QList<QByteArray>{"/msg Ann \x1b[4\x1b[Bmeet me\r\n",
                                      "/msg Bob \x1b[4\x1b[Bmeet me\r\n",
                                      "/msg Cy \x1b[4\x1b[Bmeet me\r\n"}));
    QCOMPARE(ChatPanel::WhereIsMessage("Ann"), Marker::WhereIsRequest + "Ann");
}

void TestChatPanelRules::voteEntries_data()
{
    QTest::addColumn<QList<QByteArray>>("rows");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<QByteArray>>("entries");

    const QByteArray codedMe = "\x1b[2\x1b[BMe";
    QTest::newRow("table") << QList<QByteArray>{"Ann", "Me", "Bob"} << QStringLiteral("Spades Table 2")
                           << QList<QByteArray>{"Not Rate The Game", "Boot Ann", "Boot Bob"};
    QTest::newRow("not a table") << QList<QByteArray>{"Ann", "Me"} << QStringLiteral("Lobby Room")
                                 << QList<QByteArray>{"Boot Ann"};
    QTest::newRow("codes ignored, case not")
        << QList<QByteArray>{codedMe, "me", "ME"} << QStringLiteral("x")
        << QList<QByteArray>{"Boot me", "Boot ME"};
    QTest::newRow("table word is case-sensitive") << QList<QByteArray>{"Ann"} << QStringLiteral("table 1")
                                                  << QList<QByteArray>{"Boot Ann"};
}

void TestChatPanelRules::voteEntries()
{
    QFETCH(QList<QByteArray>, rows);
    QFETCH(QString, caption);
    const auto entries = ChatPanel::VoteEntries(rows, "Me", caption);
    QVERIFY(entries.has_value());
    QTEST(*entries, "entries");
    QVERIFY(!ChatPanel::VoteEntries({}, "Me", caption).has_value());
}

void TestChatPanelRules::voteMessageDropsAmpersands()
{
    QCOMPARE(ChatPanel::VoteMessage("\x1b[1", "", "Boot A&nn&"), QByteArray("\x1b[1Votes to Boot Ann"));
    QCOMPARE(ChatPanel::RatingTip(1520), QStringLiteral("Rating = 1520"));
    QCOMPARE(ChatPanel::PlayerCountCaption(3), QStringLiteral("3 Player(s)"));
}

void TestChatPanelRules::safeLinks_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<bool>("safe");
    QTest::newRow("http") << QByteArray("http://example.com/a") << true;
    QTest::newRow("https upper") << QByteArray("HTTPS://example.com") << true;
    QTest::newRow("mailto") << QByteArray("mailto:a@example.com") << true;
    QTest::newRow("news") << QByteArray("news:comp.lang") << true;
    QTest::newRow("ftp") << QByteArray("ftp://example.com/f") << true;
    QTest::newRow("file") << QByteArray("file:///etc/passwd") << false;
    QTest::newRow("share path") << QByteArray("\\\\server\\share") << false;
    QTest::newRow("no scheme") << QByteArray("//example.com") << false;
    QTest::newRow("javascript") << QByteArray("javascript://x") << false;
}

void TestChatPanelRules::safeLinks()
{
    QFETCH(QByteArray, link);
    QTEST(ChatPanel::IsSafeLink(link), "safe");
}

VT_TEST_MAIN(TestChatPanelRules)
#include "tst_chatpanelrules.moc"
