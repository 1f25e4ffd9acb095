// The chat rooms and the two menus, driven without sockets.

#include <QTest>

#include "ClientMessages.h"
#include "MiniScreen.h"
#include "ServerBytes.h"
#include "ServiceHarness.h"
#include "TestMain.h"

namespace {

const QByteArray EmptyPublicList = "\x1b[L-- Speakers --=0;0;0\r\n-- Guest --=0;0;0\r\n-- Audience --=0;0;0\x1b]";

QByteArray roleCommand(char digit, const QByteArray &caption)
{
    return Marker::ButtonPress + digit + '>' + caption + "\r\n";
}

} // namespace

class TestVtserveRooms : public QObject
{
    Q_OBJECT

private slots:
    void joiningNamesTheRoomAndOffersTheLockToModerators()
    {
        Harness h;
        h.lobby("Ann");   // the sysop
        h.lobby("Bob");
        h.outbox.clear();
        const int ann = h.room(0, "Ann", "pw", false);
        QVERIFY(h.outbox.to(ann).isEmpty());   // nothing before the client is ready
        h.say(ann, Marker::ClientReady);
        const QList<RecordingOutbox::Sent> got = h.outbox.messagesTo(ann);
        QVERIFY(got.size() >= 2);
        QCOMPARE(got.at(0).bytes, QByteArray("\x5c\xcb\xf4Public Lobby"));
        QVERIFY(got.at(0).alone);
        QCOMPARE(got.at(1).bytes, Marker::LockOffer);
        QVERIFY(got.at(1).alone);
        QCOMPARE(got.last().bytes, QByteArray("\x1b[L-- Speakers --=0;0;0\r\n$Ann=13;0;1500\r\n"
                                              "-- Guest --=0;0;0\r\n-- Audience --=0;0;0\x1b]"));

        h.outbox.clear();
        const int bob = h.room(0, "Bob");
        const QList<RecordingOutbox::Sent> toBob = h.outbox.messagesTo(bob);
        QCOMPARE(toBob.first().bytes, QByteArray("\x5c\xcb\xf4Public Lobby"));
        QVERIFY(!h.outbox.to(bob).contains(Marker::LockOffer));
        QVERIFY(h.outbox.to(ann).contains("Bob (Enter)>"));
        QVERIFY(h.outbox.to(ann).endsWith("\x1b[L-- Speakers --=0;0;0\r\n$Ann=13;0;1500\r\n"
                                          "-- Guest --=0;0;0\r\nBob=13;0;1500\r\n-- Audience --=0;0;0\x1b]"));

        // "/Buff" brings the recent lines and the list.
        h.say(ann, "\x1b[5hi all");
        h.outbox.clear();
        h.say(bob, "/Buff");
        QCOMPARE(h.outbox.to(bob), QByteArray("\x1b[8\x1b[BAnn\x1b[b> \x1b[5hi all\r\n")
                                       + "\x1b[L-- Speakers --=0;0;0\r\n$Ann=13;0;1500\r\n"
                                         "-- Guest --=0;0;0\r\nBob=13;0;1500\r\n-- Audience --=0;0;0\x1b]");
        QCOMPARE(h.service.roomMembers(0), (QList<QByteArray>{"Ann", "Bob"}));
    }

    void unknownUsersAreTurnedAway()
    {
        Harness h;
        h.lobby("Ann");
        const int stranger = h.room(0, "Zed", "pw");
        QVERIFY(h.outbox.to(stranger).contains("Invalid User"));
        QVERIFY(h.outbox.closed.contains(stranger));
        const int wrong = h.room(0, "Ann", "bad");
        QVERIFY(h.outbox.closed.contains(wrong));
        QVERIFY(h.service.roomMembers(0).isEmpty());
    }

    void rolesAreObeyedByRank()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        h.lobby("Cy");
        const int bob = h.room(1, "Bob");    // first in the Forum: runs it
        const int cy = h.room(1, "Cy");      // the Forum seats newcomers in the audience
        QVERIFY(h.outbox.to(bob).contains(Marker::LockOffer));
        QVERIFY(h.outbox.to(cy).endsWith("\x1b[L-- Speakers --=0;0;0\r\nBob=13;0;1500\r\n"
                                         "-- Guest --=0;0;0\r\n-- Audience --=0;0;0\r\nCy=13;0;1500\x1b]"));
        h.outbox.clear();
        h.say(cy, "may I?");
        QVERIFY(h.outbox.to(bob).isEmpty());
        QVERIFY(h.outbox.to(cy).contains("You are in the audience"));

        // Cy cannot move anybody; Bob (running the room) can move Cy.
        h.outbox.clear();
        h.say(cy, roleCommand('1', "Cy"));
        QVERIFY(h.outbox.to(cy).contains("Only a moderator"));
        h.say(bob, roleCommand('2', "Cy"));
        QVERIFY(h.outbox.to(cy).contains(ServerBytes::Notice("Forum", "You may speak now.")));
        QVERIFY(h.outbox.to(bob).endsWith("\x1b[L-- Speakers --=0;0;0\r\nBob=13;0;1500\r\n"
                                          "-- Guest --=0;0;0\r\nCy=13;0;1500\r\n-- Audience --=0;0;0\x1b]"));
        h.outbox.clear();
        h.say(cy, "thanks");
        QVERIFY(h.outbox.to(bob).contains("Cy\x1b[b> thanks"));

        // The sysop comes in as a speaker and outranks the room's runner.
        const int ann = h.room(1, "Ann");
        h.outbox.clear();
        h.say(bob, roleCommand('3', "$Ann"));
        QVERIFY(h.outbox.to(bob).contains("Only a moderator above Ann"));
        h.say(ann, roleCommand('3', "Bob"));
        QVERIFY(h.outbox.to(ann).contains("Ann moved Bob to the audience."));
        // Several commands in one read are each obeyed.
        h.say(ann, roleCommand('1', "Bob") + roleCommand('1', "Cy"));
        QVERIFY(h.outbox.to(ann).endsWith("\x1b[L-- Speakers --=0;0;0\r\nBob=13;0;1500\r\nCy=13;0;1500\r\n"
                                          "$Ann=13;0;1500\r\n-- Guest --=0;0;0\r\n-- Audience --=0;0;0\x1b]"));
    }

    void bootingFromARoomKeepsThemOutForAWhile()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        const int ann = h.room(0, "Ann");
        const int bob = h.room(0, "Bob");
        h.say(bob, roleCommand('5', "$Ann"));
        QVERIFY(!h.outbox.closed.contains(ann));
        h.say(ann, "\x1b]/boot Bob");
        QVERIFY(h.outbox.closed.contains(bob));
        QCOMPARE(h.service.roomMembers(0), QList<QByteArray>{"Ann"});
        const int again = h.room(0, "Bob");
        QVERIFY(h.outbox.closed.contains(again));
        h.advance(121000);
        const int later = h.room(0, "Bob");
        QVERIFY(!h.outbox.closed.contains(later));
    }

    void theLockAsksLaterJoinersForThePassword()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        h.lobby("Cy");
        const int ann = h.room(2, "Ann");
        h.say(ann, Marker::PasswordMarker + "sesame");
        QVERIFY(h.outbox.to(ann).contains("Ann locked the room"));

        h.outbox.clear();
        const int bob = h.room(2, "Bob", "pw", false);
        const QList<RecordingOutbox::Sent> asked = h.outbox.messagesTo(bob);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked.first().bytes, Marker::PasswordMarker);
        QVERIFY(asked.first().alone);
        h.say(bob, Marker::ClientReady);          // ready may come before the answer
        h.say(bob, Marker::PasswordMarker + "sesame");
        QVERIFY(h.outbox.to(bob).contains("\x5c\xcb\xf4Sysop"));

        const int cy = h.room(2, "Cy");
        h.say(cy, Marker::PasswordMarker + "guess");
        QVERIFY(h.outbox.closed.contains(cy));
        QCOMPARE(h.service.roomMembers(2), (QList<QByteArray>{"Ann", "Bob"}));

        // Bob may not unlock; Ann unlocks with an empty password.
        h.say(bob, Marker::PasswordMarker);
        QVERIFY(h.outbox.to(bob).contains("Only a moderator may lock"));
        h.say(ann, Marker::PasswordMarker);
        const int cy2 = h.room(2, "Cy");
        QVERIFY(h.outbox.to(cy2).contains("\x5c\xcb\xf4Sysop"));
    }

    void unmoderatedRoomListsEverybodyTogether()
    {
        Harness h;
        h.lobby("Ann");
        const int bob = h.lobby("Bob");
        const int ann = h.room(2, "Ann");
        h.room(2, "Bob");
        h.outbox.clear();
        h.say(bob, Marker::PresenceMarker + "5");
        QVERIFY(h.outbox.to(ann).endsWith("\x1b[L$Ann=13;0;1500\r\nBob=13;1;1500\x1b]"));
    }

    void whereIsFromARoomIsAnsweredInTheRoom()
    {
        Harness h;
        const int annLobby = h.lobby("Ann");
        h.lobby("Bob");
        const int bob = h.room(0, "Bob");
        h.outbox.clear();
        h.say(bob, Marker::WhereIsRequest + "$Ann");
        QCOMPARE(h.outbox.to(annLobby), QByteArray("\x1b[7" "Bob \x1b]\xa4\xab" "Ann"));
        h.say(annLobby, "At home\r\nAnn's Time is 9:00:00\r\n");
        QVERIFY(h.outbox.to(bob).endsWith("At home\r\nAnn's Time is 9:00:00\r\n"));
    }

    void leavingPassesTheRoomOnAndRepaintsTheMenu()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        h.lobby("Cy");
        const int menu = h.menu(Channel::RoomsMenu, "Cy");
        const int bob = h.room(1, "Bob");
        const int cy = h.room(1, "Cy");
        QVERIFY(h.outbox.to(menu).contains("2 here: Bob, Cy"));
        h.outbox.clear();
        h.service.closed(bob);
        QVERIFY(h.outbox.to(cy).contains("You now run Forum."));
        QVERIFY(h.outbox.to(cy).contains(Marker::LockOffer));
        QVERIFY(h.outbox.to(cy).contains("Bob (Exit)>"));
        QVERIFY(h.outbox.to(menu).contains("1 here: Cy"));
    }

    void menuPressesLaunch_data()
    {
        QTest::addColumn<bool>("games");
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("public room") << false << QByteArray("Public Lobby") << QByteArray("\xea\xeb\xe8:5100");
        QTest::newRow("forum") << false << QByteArray("Forum") << QByteArray("\xea\xeb\xe8:5101");
        QTest::newRow("card table") << true << QByteArray("Card Table 2") << QByteArray("\\SpawnNode:5002");
        QTest::newRow("sketch table") << true << QByteArray("Sketch Table") << QByteArray("\\SpawnDoodlix:5011");
        QTest::newRow("door") << true << QByteArray("Door Game  ") << QByteArray("\\SpawnDoor:5021");
        QTest::newRow("light door") << true << QByteArray("Door Game (light)") << QByteArray("\\SpawnDoorX:5022");
        QTest::newRow("race deck") << true << QByteArray("Race Deck") << QByteArray("\\SpawnNode:5003");
        QTest::newRow("race cards") << true << QByteArray("Race Cards") << QByteArray("\\SpawnNode:5004");
    }
    void menuPressesLaunch()
    {
        QFETCH(bool, games);
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, answer);
        Harness h;
        h.lobby("Ann");
        const int menu = h.menu(games ? Channel::GamesMenu : Channel::RoomsMenu, "Ann");
        MiniScreen screen;
        screen.feed(h.outbox.to(menu));
        QVERIFY(screen.maxColumn <= 79);
        const int row = screen.rowOf(label);
        QVERIFY(row > 0);

        const auto pressed = [&](const QByteArray &press) {
            h.outbox.clear();
            h.say(menu, press);
            const QList<RecordingOutbox::Sent> got = h.outbox.messagesTo(menu);
            return got.size() == 1 && got.first().alone ? got.first().bytes : QByteArray("(none)");
        };
        QCOMPARE(pressed(QByteArray::number(screen.rows.value(row).indexOf(label) + 1) + ';' + QByteArray::number(row)), answer);
        QCOMPARE(pressed("79;" + QByteArray::number(row)), answer);
        QCOMPARE(pressed("5;" + QByteArray::number(row + 1)), QByteArray("(none)"));
        QCOMPARE(pressed("1;1"), QByteArray("(none)"));

        // The button on the same line does the same.
        QByteArray buttonName;
        for (const MiniScreen::Button &b : screen.buttons) {
            const double top = b.params.split(';').value(1).toDouble();
            if (top > row - 1 && top < row + 1)
                buttonName = b.text.left(b.text.indexOf('|'));
        }
        QVERIFY(!buttonName.isEmpty());
        QCOMPARE(pressed(Marker::ButtonPress + buttonName), answer);
        QCOMPARE(pressed(Marker::ButtonPress + "nonsense"), QByteArray("(none)"));
    }

    void menuQuickLaunchAndStrangers()
    {
        Harness h;
        h.lobby("Ann");
        const int menu = h.menu(Channel::GamesMenu, "Ann");
        h.outbox.clear();
        h.say(menu, ">3");
        QCOMPARE(h.outbox.to(menu), QByteArray("\\SpawnDoodlix:5011"));
        const int stranger = h.menu(Channel::GamesMenu, "Zed");
        QVERIFY(h.outbox.to(stranger).contains("Invalid User"));
        QVERIFY(h.outbox.closed.contains(stranger));
    }
};

VT_TEST_MAIN(TestVtserveRooms)
#include "tst_vtserve_rooms.moc"
