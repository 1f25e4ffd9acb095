// The chat room's plain rules: what a chunk from the room's server means,
// the room panel's colour, and the member list's levels, menu and commands.

#include <QtTest>

#include "ParloraProtocol.h"
#include "ProtocolMarkers.h"
#include "RoomMembers.h"
#include "TestMain.h"

using Parlora::RoomMessage;
using RoomMembers::Entry;
using RoomMembers::MenuEntry;
using RoomMembers::Row;

Q_DECLARE_METATYPE(RoomMessage::Kind)
Q_DECLARE_METATYPE(QList<Row>)
Q_DECLARE_METATYPE(QList<MenuEntry>)

namespace {

Row member(const QByteArray &caption)
{
    return {caption, 5};
}

Row heading(const QByteArray &caption)
{
    return {caption, 0};
}

// Top to bottom: a heading, Ann, Bob, "-- Guest --", Cy, "-- Audience --",
// then `audience` (the user among them), then Dee.
QList<Row> theatre(const QList<QByteArray> &speakers, const QList<QByteArray> &audience)
{
    QList<Row> rows{heading("-- Speakers --")};
    for (const QByteArray &name : speakers)
        rows.append(member(name));
    rows.append(heading("-- Guest --"));
    rows.append(member("Cy"));
    rows.append(heading("-- Audience --"));
    for (const QByteArray &name : audience)
        rows.append(member(name));
    return rows;
}

} // namespace

namespace QTest {
template <>
char *toString(const MenuEntry &entry)
{
    return qstrdup(QByteArray(entry.caption + (entry.enabled ? "" : " (disabled)")).constData());
}
} // namespace QTest

class TestRoomRules : public QObject
{
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void welcomeLine();
    void roomColour_data();
    void roomColour();

    void ownLevel_data();
    void ownLevel();
    void moderatedRoom_data();
    void moderatedRoom();
    void clientsCaption();
    void memberMenu_data();
    void memberMenu();
    void commands();
};

void TestRoomRules::decode_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<RoomMessage::Kind>("kind");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<bool>("lockInTitle");
    QTest::addColumn<bool>("marked");

    const QByteArray none;
    QTest::newRow("one zero byte is a keep-alive")
        << QByteArray(1, '\0') << RoomMessage::KeepAlive << none << none << false << false;
    QTest::newRow("two zero bytes are chat")
        << QByteArray(2, '\0') << RoomMessage::Chat << QByteArray(2, '\0') << none << false << false;
    QTest::newRow("password request drops the rest")
        << Marker::PasswordMarker + "more" << RoomMessage::PasswordRequest << none << none << false
        << false;
    QTest::newRow("lock offer drops the chat after it")
        << Marker::LockOffer + Marker::ChatMarker + "hi\r\n" << RoomMessage::LockOffer << none << none
        << false << false;
    QTest::newRow("title")
        << Marker::TitleMarker + "Public Lobby" << RoomMessage::RoomTitle
        << QByteArray("Public Lobby") << none << false << false;
    QTest::newRow("title keeps its line ends")
        << Marker::TitleMarker + "Forum\r\nmore" << RoomMessage::RoomTitle
        << QByteArray("Forum\r\nmore") << none << false << false;
    QTest::newRow("lock offer inside a title")
        << Marker::TitleMarker + "Sys" + Marker::LockOffer + "op" << RoomMessage::RoomTitle
        << QByteArray("Sysop") << none << true << false;
    QTest::newRow("notice")
        << Marker::NoticeMarker + " Host>Hello there" << RoomMessage::Notice
        << QByteArray("Hello there") << QByteArray("Host") << false << false;
    QTest::newRow("notice splits at the first >")
        << Marker::NoticeMarker + "xA>b>c" << RoomMessage::Notice << QByteArray("b>c")
        << QByteArray("A") << false << false;
    QTest::newRow("notice without >")
        << Marker::NoticeMarker + "-all of it" << RoomMessage::Notice << QByteArray("all of it")
        << QByteArray("all of it") << false << false;
    QTest::newRow("chat behind the chat marker")
        << Marker::ChatMarker + "line\r\n" << RoomMessage::Chat << QByteArray("line\r\n") << none
        << false << true;
    QTest::newRow("chat without the marker")
        << QByteArray("line\r\n") << RoomMessage::Chat << QByteArray("line\r\n") << none << false
        << false;
    QTest::newRow("markers count only at the start")
        << "x" + Marker::TitleMarker + "T" << RoomMessage::Chat << "x" + Marker::TitleMarker + "T"
        << none << false << false;
    QTest::newRow("keep-alive with more is chat")
        << QByteArray("\0a", 2) << RoomMessage::Chat << QByteArray("\0a", 2) << none << false
        << false;
}

void TestRoomRules::decode()
{
    QFETCH(QByteArray, chunk);
    QFETCH(RoomMessage::Kind, kind);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, caption);
    QFETCH(bool, lockInTitle);
    QFETCH(bool, marked);
    const RoomMessage message = Parlora::Decode(chunk);
    QCOMPARE(message.kind, kind);
    QCOMPARE(message.text, text);
    QCOMPARE(message.caption, caption);
    QCOMPARE(message.lockInTitle, lockInTitle);
    QCOMPARE(message.marked, marked);
}

void TestRoomRules::welcomeLine()
{
    QCOMPARE(Parlora::WelcomeText("Public Lobby"), QByteArray("\r\n Welcome to Public Lobby\r\n"));
}

void TestRoomRules::roomColour_data()
{
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("public") << QByteArray("Public Lobby") << QColor(118, 4, 155);
    QTest::newRow("public before sysop") << QByteArray("Sysop Public") << QColor(118, 4, 155);
    QTest::newRow("sysop") << QByteArray("Sysop") << QColor(141, 58, 18);
    QTest::newRow("sysop before MPA") << QByteArray("MPA Sysop") << QColor(141, 58, 18);
    QTest::newRow("MPA") << QByteArray("The MPA Room") << QColor(16, 95, 12);
    QTest::newRow("letter case counts") << QByteArray("public lobby") << QColor(0, 0, 128);
    QTest::newRow("any other") << QByteArray("Forum") << QColor(0, 0, 128);
}

void TestRoomRules::roomColour()
{
    QFETCH(QByteArray, title);
    QFETCH(QColor, colour);
    QCOMPARE(ToQColor(Parlora::RoomColour(title)), colour);
}

void TestRoomRules::ownLevel_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<bool>("lockGranted");
    QTest::addColumn<int>("level");

    QTest::newRow("audience") << theatre({"Ann", "Bob"}, {"Me", "Dee"}) << QByteArray("Me") << false
                              << 1;
    QTest::newRow("speaker") << theatre({"Ann", "Me", "Bob"}, {"Dee"}) << QByteArray("Me") << false
                             << 3;
    QTest::newRow("guest") << theatre({"Ann"}, {"Dee"}) << QByteArray("Cy") << false << 2;
    QTest::newRow("sysop mark in the audience")
        << theatre({"Ann"}, {"$Me"}) << QByteArray("Me") << false << 9;
    QTest::newRow("mark 5 counts only with the lock")
        << theatre({"Ann"}, {"+Me"}) << QByteArray("Me") << false << 1;
    QTest::newRow("lock: mark 5") << theatre({"Ann"}, {"+Me"}) << QByteArray("Me") << true << 5;
    QTest::newRow("lock: no mark is 2") << theatre({"Me"}, {"Dee"}) << QByteArray("Me") << true << 2;
    QTest::newRow("codes in the caption")
        << theatre({"\x1b[5Me"}, {}) << QByteArray("Me") << false << 3;
    QTest::newRow("no guest heading") << QList<Row>{member("Ann"), member("Me")} << QByteArray("Me")
                                      << false << 2;
    QTest::newRow("empty list") << QList<Row>{} << QByteArray("Me") << false << 2;
    QTest::newRow("no audience heading, below the guests")
        << QList<Row>{heading("-- Speakers --"), member("Ann"), heading("-- Guest --"), member("Me")}
        << QByteArray("Me") << false << 1;
    // The own row missing: audience, whatever the lock says.
    QTest::newRow("letter case differs")
        << theatre({"me"}, {}) << QByteArray("Me") << false << int(RoomMembers::MissingOwnRowLevel);
    QTest::newRow("missing with the lock")
        << theatre({"Ann"}, {}) << QByteArray("Me") << true << int(RoomMembers::MissingOwnRowLevel);
    QTest::newRow("the first row is never looked at")
        << QList<Row>{member("Me"), heading("-- Guest --"), member("Ann")} << QByteArray("Me")
        << false << int(RoomMembers::MissingOwnRowLevel);
}

void TestRoomRules::ownLevel()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QByteArray, user);
    QFETCH(bool, lockGranted);
    QFETCH(int, level);
    QCOMPARE(RoomMembers::OwnLevel(rows, user, lockGranted), level);
}

void TestRoomRules::moderatedRoom_data()
{
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<bool>("moderated");
    QTest::newRow("public") << QByteArray("Public Lobby") << true;
    QTest::newRow("forum") << QByteArray("Forum") << true;
    QTest::newRow("any case") << QByteArray("the backroom") << true;
    QTest::newRow("classroom") << QByteArray("Classroom 2") << true;
    QTest::newRow("inside a word") << QByteArray("Modern Art") << true;
    QTest::newRow("club") << QByteArray("Chess club") << true;
    QTest::newRow("sysop") << QByteArray("Sysop") << false;
    QTest::newRow("the first caption") << QByteArray("Theatre Chat") << false;
}

void TestRoomRules::moderatedRoom()
{
    QFETCH(QByteArray, caption);
    QFETCH(bool, moderated);
    QCOMPARE(RoomMembers::ModeratedRoom(caption), moderated);
}

void TestRoomRules::clientsCaption()
{
    QCOMPARE(RoomMembers::ClientsCaption(8, true), QStringLiteral("5 Clients"));
    QCOMPARE(RoomMembers::ClientsCaption(8, false), QStringLiteral("8 Clients"));
}

void TestRoomRules::memberMenu_data()
{
    QTest::addColumn<QList<QByteArray>>("selected");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("lock");
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<bool>("inputEmpty");
    QTest::addColumn<QList<MenuEntry>>("entries");

    const QList<QByteArray> ann{"Ann"};
    const MenuEntry where{Entry::WhereIs, "Where is Ann"};
    const MenuEntry whisper{Entry::Whisper, "Whisper to Ann"};
    const MenuEntry speaker{Entry::MakeSpeaker, "Make Speaker"};
    const MenuEntry guest{Entry::MakeGuest, "Make Guest"};
    const MenuEntry audience{Entry::MakeAudience, "Make Audience"};
    const MenuEntry copy{Entry::CopyName, "Copy Name "};

    QTest::newRow("nothing selected") << QList<QByteArray>{} << 9 << true
                                      << QByteArray("Public Lobby") << false << QList<MenuEntry>{};
    QTest::newRow("audience") << ann << 1 << false << QByteArray("Public Lobby") << false
                              << QList<MenuEntry>{};
    QTest::newRow("audience holding the lock")
        << ann << 1 << true << QByteArray("Sysop") << false << QList<MenuEntry>{where, whisper};
    QTest::newRow("speaker in a public room")
        << ann << 3 << false << QByteArray("Public Lobby") << false
        << QList<MenuEntry>{where, whisper, speaker, guest, audience, copy};
    QTest::newRow("sysop in a public room")
        << ann << 9 << false << QByteArray("Public Lobby") << false
        << QList<MenuEntry>{where,    whisper, speaker, guest, audience,
                            {Entry::BootName, "Boot Ann"}, copy, {Entry::GreyBox, "Grey Box Ann"}};
    QTest::newRow("guest in a forum")
        << ann << 2 << false << QByteArray("Forum") << false
        << QList<MenuEntry>{where, whisper, speaker, guest, audience, {Entry::Boot, "Boot"}};
    QTest::newRow("room without moderation")
        << ann << 9 << false << QByteArray("Sysop") << false << QList<MenuEntry>{where, whisper};
    QTest::newRow("two selected, empty input")
        << QList<QByteArray>{"Ann", "Cy"} << 2 << false << QByteArray("Sysop") << true
        << QList<MenuEntry>{where, {Entry::Whisper, "Whisper to Selected", false}};
}

void TestRoomRules::memberMenu()
{
    QFETCH(QList<QByteArray>, selected);
    QFETCH(int, level);
    QFETCH(bool, lock);
    QFETCH(QByteArray, caption);
    QFETCH(bool, inputEmpty);
    QFETCH(QList<MenuEntry>, entries);
    QCOMPARE(RoomMembers::MenuFor({selected, level, lock, caption, inputEmpty}), entries);
}

void TestRoomRules::commands()
{
    QCOMPARE(RoomMembers::RoleCommand('2', "Ann"), QByteArray("\xb1\xaf\xb0" "2>Ann\r\n"));
    QCOMPARE(RoomMembers::RoleDigit(Entry::MakeSpeaker), '1');
    QCOMPARE(RoomMembers::RoleDigit(Entry::MakeAudience), '3');
    QCOMPARE(RoomMembers::RoleDigit(Entry::Boot), '5');
    QCOMPARE(RoomMembers::WhereIsMessage("Bob [AWAY]"), Marker::WhereIsRequest + "Bob");
    QCOMPARE(RoomMembers::WhereIsMessage("Bob [away]"), Marker::WhereIsRequest + "Bob [away]");
    QCOMPARE(RoomMembers::BootMessage("+Bob"), QByteArray("\x1b]/boot +Bob"));
    QCOMPARE(RoomMembers::GreyBoxMessage("\x1b[4$Ann", ""), QByteArray("/Gmsg Ann "));
    QCOMPARE(RoomMembers::GreyBoxTitle("Ann"), QStringLiteral("Enter Message To Ann"));
}

VT_TEST_MAIN(TestRoomRules)
#include "tst_roomrules.moc"
