// The lobby side of the service, driven without sockets: what each client
// receives, byte for byte, for what the clients send.

#include <QTest>

#include "PasswordHasher.h"
#include "ServerBytes.h"
#include "ServiceHarness.h"
#include "TestMain.h"

namespace {

// A hasher that answers when the test says so, as the worker threads do
// some time after the request.
struct DeferredHasher : PasswordHasher {
    struct Request {
        QByteArray password, salt;
        int iterations;
        Done done;
    };
    void derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done) override
    {
        requests.append({password, salt, iterations, std::move(done)});
    }
    // Answers the oldest request.
    void answer()
    {
        const Request r = requests.takeFirst();
        r.done(AccountStore::digest(r.password, r.salt, r.iterations));
    }
    QList<Request> requests;
};

} // namespace

class TestVtserveLobby : public QObject
{
    Q_OBJECT

private slots:
    void firstLoginIsTheSysopAndGetsReadyAndList()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const QByteArray got = h.outbox.to(ann);
        QVERIFY(got.startsWith(Marker::ReadyMarker));
        QVERIFY(got.contains("sysop"));
        QVERIFY(got.endsWith("\x1b[L$Ann=13;0;1500\x1b]"));
        QVERIFY(!h.outbox.closed.contains(ann));
    }

    void secondLoginIsAnnouncedAndListed()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        h.outbox.clear();
        const int bob = h.lobby("Bob");
        const QByteArray toAnn = h.outbox.to(ann);
        QVERIFY(toAnn.contains("\x1b[5" "Bob (Enter)>"));
        QVERIFY(toAnn.endsWith("\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\x1b]"));
        QVERIFY(h.outbox.to(bob).endsWith("\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\x1b]"));
        QVERIFY(!h.outbox.to(bob).contains("(Enter)>"));
    }

    void userListsAreCoalescedWithinTheirInterval()
    {
        Harness h([](ServiceConfig &config) { config.userListMs = 250; });
        const auto lists = [&h](int id) { return h.outbox.to(id).count(Marker::PlayerListLine); };
        // A change in a quiet lobby goes out at once.
        const int ann = h.lobby("Ann");
        QCOMPARE(lists(ann), 1);
        // A crowd arriving within the interval: their enter lines at once,
        // one list for all of them with the next tick after the interval.
        h.outbox.clear();
        QList<int> crowd;
        for (const QByteArray name : {"Bob", "Cy", "Dee"})
            crowd.append(h.lobby(name));
        QVERIFY(h.outbox.to(ann).contains("Dee (Enter)>"));
        QCOMPARE(lists(ann), 0);
        h.advance(100);
        QCOMPARE(lists(ann), 0);
        h.advance(150);
        QCOMPARE(lists(ann), 1);
        const QByteArray full = "\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\r\nCy=13;0;1500\r\nDee=13;0;1500\x1b]";
        QVERIFY(h.outbox.to(ann).endsWith(full));
        for (const int id : crowd) {
            QCOMPARE(lists(id), 1);
            QVERIFY(h.outbox.to(id).endsWith(full));
        }
        // Nothing changed: no list. A logout and a change of presence
        // inside the next interval: one list that has both.
        h.outbox.clear();
        h.advance(1000);
        QCOMPARE(lists(ann), 0);
        h.service.closed(crowd.at(0));
        QCOMPARE(lists(ann), 1);   // the interval had passed: at once
        h.say(crowd.at(1), Marker::PresenceMarker + "5");
        h.service.closed(crowd.at(2));
        QCOMPARE(lists(ann), 1);
        h.advance(250);
        QCOMPARE(lists(ann), 2);
        QVERIFY(h.outbox.to(ann).endsWith("\x1b[L$Ann=13;0;1500\r\nCy=13;1;1500\x1b]"));
        QCOMPARE(lists(crowd.at(1)), 2);
    }

    void loginsWaitForTheirDigestWithoutHoldingUpOthers()
    {
        Harness h;
        DeferredHasher hasher;
        h.service.setPasswordHasher(&hasher);
        const int ann = h.lobby("Ann");
        QCOMPARE(hasher.requests.size(), 1);
        QVERIFY(h.outbox.to(ann).isEmpty());
        // What Ann sends meanwhile waits for her login; Bob's login goes on.
        h.say(ann, "\x1b[1Hello while I wait");
        const int bob = h.lobby("Bob");
        QCOMPARE(hasher.requests.size(), 2);
        hasher.answer();
        QVERIFY(h.outbox.to(ann).startsWith(Marker::ReadyMarker));
        QVERIFY(h.outbox.to(ann).contains("Hello while I wait"));
        QVERIFY(h.outbox.to(bob).isEmpty());
        hasher.answer();
        QVERIFY(h.outbox.to(bob).startsWith(Marker::ReadyMarker));
        QCOMPARE(h.service.lobbyNames(), (QList<QByteArray>{"Ann", "Bob"}));

        // A login checked before needs no digest; a table's identification
        // and the ready that follows wait together for theirs.
        h.lobby("Ann");
        QVERIFY(hasher.requests.isEmpty());
        const int table = h.table(0, "Bob", "not his");
        QCOMPARE(hasher.requests.size(), 1);
        QVERIFY(h.outbox.to(table).isEmpty());
        hasher.answer();
        QVERIFY(h.outbox.to(table).contains("Invalid User: log in through the lobby first."));
        QVERIFY(!h.outbox.to(table).contains("garbage"));
        QVERIFY(h.outbox.closed.contains(table));
    }

    void aLoginThatGoesAwayOrRacesAnotherIsSettledSafely()
    {
        Harness h;
        DeferredHasher hasher;
        h.service.setPasswordHasher(&hasher);
        const int gone = h.lobby("Ann");
        h.service.closed(gone);
        hasher.answer();   // nobody left to tell, and no account made
        QVERIFY(h.outbox.to(gone).isEmpty());
        QVERIFY(!h.accounts.find("Ann"));

        // Two first logins of one name at once: the first creates the
        // account, the second is checked against it.
        const int first = h.lobby("Zed", "one");
        const int wrong = h.lobby("Zed", "two");
        const int right = h.lobby("Zed", "one");
        QCOMPARE(hasher.requests.size(), 3);
        hasher.answer();
        hasher.answer();
        hasher.answer();
        QVERIFY(h.outbox.to(first).startsWith(Marker::ReadyMarker));
        // The other two were derived for a new account; they are checked
        // again, the one with the first's password at once.
        QVERIFY(h.outbox.to(right).startsWith(Marker::ReadyMarker));
        QCOMPARE(hasher.requests.size(), 1);
        hasher.answer();
        QVERIFY(h.outbox.to(wrong).contains("Invalid User or password."));
        QVERIFY(h.outbox.closed.contains(wrong));
        QVERIFY(h.outbox.to(right).startsWith(Marker::ReadyMarker));
        QVERIFY(h.outbox.closed.contains(first));   // replaced by the later login of the same account
    }

    void refusedLogins_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("wrong password") << QByteArray("Ann") << QByteArray("nope");
        QTest::newRow("wrong password, other case") << QByteArray("ANN") << QByteArray("nope");
        QTest::newRow("blank in name") << QByteArray("A nn") << QByteArray("pw");
        QTest::newRow("rank mark in name") << QByteArray("$Zed") << QByteArray("pw");
        QTest::newRow("empty name") << QByteArray() << QByteArray("pw");
        QTest::newRow("new account, empty password") << QByteArray("Zed") << QByteArray();
        QTest::newRow("new account, blank in password") << QByteArray("Zed") << QByteArray("a b");
    }
    void refusedLogins()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, password);
        Harness h;
        const int ann = h.lobby("Ann", "pw");
        h.outbox.clear();
        const int other = h.lobby(name, password);
        QVERIFY(h.outbox.to(other).contains("Invalid User"));
        QVERIFY(!h.outbox.to(other).contains(Marker::ReadyMarker));
        QVERIFY(h.outbox.closed.contains(other));
        QVERIFY(h.outbox.to(ann).isEmpty());
        QCOMPARE(h.service.lobbyNames(), QList<QByteArray>{"Ann"});
    }

    void guessingAddressesAreTurnedAwayForAWhile()
    {
        Harness h;
        h.lobby("Ann", "pw");
        for (int i = 0; i < 5; ++i)
            QVERIFY(h.outbox.to(h.lobby("Ann", "guess")).contains("Invalid User or password"));
        // Even the right password waits now.
        const int right = h.lobby("Ann", "pw");
        QVERIFY(h.outbox.to(right).contains("too many wrong passwords"));
        h.advance(60000);
        const int later = h.lobby("Ann", "pw");
        QVERIFY(h.outbox.to(later).startsWith(Marker::ReadyMarker));
    }

    void chatRelay_data()
    {
        QTest::addColumn<QByteArray>("said");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("coloured") << QByteArray("\x1b[4\x1b[Bhello") << QByteArray("\x1b[3\x1b[BBob\x1b[b> \x1b[4\x1b[Bhello\r\n");
        QTest::newRow("font code kept") << QByteArray("\x1b[1\x1b[F{Arial}hi") << QByteArray("\x1b[3\x1b[BBob\x1b[b> \x1b[1\x1b[F{Arial}hi\r\n");
        QTest::newRow("two lines stay one message") << QByteArray("a\r\nb") << QByteArray("\x1b[3\x1b[BBob\x1b[b> a\r\nb\r\n");
        QTest::newRow("invitation marker removed") << QByteArray("hi\xea\xeb\xe8:5100[x") << QByteArray("\x1b[3\x1b[BBob\x1b[b> hi:5100[x\r\n");
        QTest::newRow("user list block removed") << QByteArray("\x1b[Lfake=1;1;1\x1b]") << QByteArray("\x1b[3\x1b[BBob\x1b[b> fake=1;1;1\x1b]\r\n");
        QTest::newRow("where-is bytes removed") << QByteArray("x\xa4\xab" "Ann\x1b]") << QByteArray("\x1b[3\x1b[BBob\x1b[b> xAnn\x1b]\r\n");
        QTest::newRow("notice marker removed") << QByteArray("\xe6\xe6\xdf Boo>x") << QByteArray("\x1b[3\x1b[BBob\x1b[b>  Boo>x\r\n");
        QTest::newRow("joined markers removed") << QByteArray("\xea\xea\xeb\xe8\xeb\xe8!") << QByteArray("\x1b[3\x1b[BBob\x1b[b> !\r\n");
        QTest::newRow("ready marker removed") << QByteArray("\x1b[\xb3yo") << QByteArray("\x1b[3\x1b[BBob\x1b[b> yo\r\n");
        QTest::newRow("control bytes removed") << QByteArray("a\x07\x0c" "b") << QByteArray("\x1b[3\x1b[BBob\x1b[b> ab\r\n");
        QTest::newRow("codes only: nothing") << QByteArray("\x1b[4\x1b[B") << QByteArray();
    }
    void chatRelay()
    {
        QFETCH(QByteArray, said);
        QFETCH(QByteArray, line);
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        h.outbox.clear();
        h.say(bob, said);
        QCOMPARE(h.outbox.to(ann), line);
        QCOMPARE(h.outbox.to(bob), line);
    }

    void anIdentificationInTwoReads()
    {
        Harness h;
        h.service.opened(7, Channel::Lobby, -1, QStringLiteral("127.0.0.1"));
        h.service.received(7, "\x1b[");
        h.service.received(7, "\xbd" "An");
        QVERIFY(h.outbox.sent.isEmpty());
        h.service.received(7, "n\x1b]pw");
        QVERIFY(h.outbox.to(7).startsWith(Marker::ReadyMarker));
        QCOMPARE(h.service.lobbyNames(), QList<QByteArray>{"Ann"});
    }

    void introductionIsNotChat()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        h.outbox.clear();
        // The three writes of the introduction may arrive in one read.
        h.say(ann, "/Version 6.11\r\n/Email ann@example.org\r\n" + Marker::KeepAlive);
        QVERIFY(h.outbox.sent.isEmpty());
    }

    void presenceAndIconChangeTheList()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        h.outbox.clear();
        h.say(bob, Marker::PresenceMarker + "5");
        QCOMPARE(h.outbox.to(ann), QByteArray("\x1b[L$Ann=13;0;1500\r\nBob=13;1;1500\x1b]"));
        h.outbox.clear();
        h.say(bob, Marker::PresenceMarker + "5");
        QVERIFY(h.outbox.sent.isEmpty());
        // Glued to the presence marker, the away line is still chat.
        h.say(bob, Marker::PresenceMarker + "0" + "\x1b[1I'm Here!");
        QCOMPARE(h.outbox.to(ann), QByteArray("\x1b[L$Ann=13;0;1500\r\nBob=13;0;1500\x1b]"
                                              "\x1b[3\x1b[BBob\x1b[b> \x1b[1I'm Here!\r\n"));
        h.outbox.clear();
        h.say(bob, Marker::IconMarker + "21");
        QCOMPARE(h.outbox.to(ann), QByteArray("\x1b[L$Ann=13;0;1500\r\nBob=21;0;1500\x1b]"));
        QCOMPARE(h.accounts.find("bob")->icon, 21);
        h.outbox.clear();
        h.say(bob, Marker::IconMarker + "999");
        QVERIFY(h.outbox.sent.isEmpty());
    }

    void whisper()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        const int cy = h.lobby("Cy");
        h.outbox.clear();
        h.say(bob, "/msg $Ann \x1b[4psst\r\n");
        QCOMPARE(h.outbox.to(ann), ServerBytes::WhisperIn("Bob", "\x1b[4psst"));
        QCOMPARE(h.outbox.to(bob), ServerBytes::WhisperOut("Ann", "\x1b[4psst"));
        QVERIFY(h.outbox.to(cy).isEmpty());
        h.outbox.clear();
        h.say(bob, "/msg Nobody hi\r\n");
        QVERIFY(h.outbox.to(bob).contains("Nobody is not on line."));
        // The chat box puts the user's codes in front of what was typed:
        // the line is still private, and keeps the codes.
        h.outbox.clear();
        h.say(bob, "\x1b[3\x1b[F{Serif}/msg $Ann psst\r\n");
        QCOMPARE(h.outbox.to(ann), ServerBytes::WhisperIn("Bob", "\x1b[3\x1b[F{Serif}psst"));
        QVERIFY(h.outbox.to(cy).isEmpty());
    }

    void greyNotesNeedRank()
    {
        Harness h;
        const int ann = h.lobby("Ann");   // sysop
        const int bob = h.lobby("Bob");
        h.outbox.clear();
        h.say(bob, "/Gmsg Ann hello");
        QVERIFY(h.outbox.to(ann).isEmpty());
        QVERIFY(h.outbox.to(bob).contains("Only the staff"));
        h.outbox.clear();
        h.say(ann, "/Gmsg Bob come and see");
        const QList<RecordingOutbox::Sent> toBob = h.outbox.messagesTo(bob);
        QCOMPARE(toBob.size(), 1);
        QCOMPARE(toBob.first().bytes, QByteArray("\xe6\xe6\xdf Note from Ann>come and see"));
        QVERIFY(toBob.first().alone);
    }

    void bootByRank()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        const int cy = h.lobby("Cy");
        h.outbox.clear();
        h.say(bob, "\x1b]/boot $Ann");
        QVERIFY(!h.outbox.closed.contains(ann));
        QVERIFY(h.outbox.to(bob).contains("You may not boot Ann."));
        h.accounts.setRank("Bob", 5);
        h.say(ann, "\x1b]/boot Bob");
        QVERIFY(h.outbox.closed.contains(bob));
        QVERIFY(h.outbox.to(bob).contains("booted by Ann"));
        QVERIFY(h.outbox.to(cy).endsWith("Bob was booted by Ann.\r\n"));
        QCOMPARE(h.service.lobbyNames(), (QList<QByteArray>{"Ann", "Cy"}));
    }

    void whereIsGoesToTheUserAndTheAnswerBack()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        const int cy = h.lobby("Cy");
        h.outbox.clear();
        h.say(bob, Marker::WhereIsRequest + "$Ann");
        const QList<RecordingOutbox::Sent> toAnn = h.outbox.messagesTo(ann);
        QCOMPARE(toAnn.size(), 1);
        QCOMPARE(toAnn.first().bytes, QByteArray("\x1b[7" "Bob \x1b]\xa4\xab" "Ann"));
        QVERIFY(toAnn.first().alone);
        h.outbox.clear();
        const QByteArray answer = "\x1b[1At home\r\nAnn's Time is 10:00:00\r\nVantora Chat Version 6.11\r\n";
        h.say(ann, answer);
        QVERIFY(h.outbox.to(bob).contains("Where is Ann:"));
        QVERIFY(h.outbox.to(bob).endsWith(answer));
        QVERIFY(h.outbox.to(cy).isEmpty());
        QVERIFY(h.outbox.to(ann).isEmpty());
        // A second answer nobody asked for is ordinary chat.
        h.outbox.clear();
        h.say(ann, answer);
        QVERIFY(h.outbox.to(cy).contains("At home"));
    }

    void menusAndInvitations()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        h.outbox.clear();
        h.say(ann, "\\SpawnMenu");
        h.say(ann, "\\SpawnCMenu");
        const QList<RecordingOutbox::Sent> toAnn = h.outbox.messagesTo(ann);
        QCOMPARE(toAnn.size(), 2);
        QCOMPARE(toAnn.at(0).bytes, QByteArray("\\SpawnMenu:1030"));
        QCOMPARE(toAnn.at(1).bytes, QByteArray("\\SpawnCMenu:1031"));
        QVERIFY(toAnn.at(0).alone && toAnn.at(1).alone);
        h.outbox.clear();
        h.say(ann, "/invite Bob");
        const QList<RecordingOutbox::Sent> toBob = h.outbox.messagesTo(bob);
        QCOMPARE(toBob.size(), 1);
        QCOMPARE(toBob.first().bytes, QByteArray("\xea\xeb\xe8:5100[Ann"));
        QVERIFY(toBob.first().alone);
    }

    void aSecondLoginReplacesTheFirst()
    {
        Harness h;
        const int first = h.lobby("Ann");
        const int second = h.lobby("ann");
        QVERIFY(h.outbox.closed.contains(first));
        QVERIFY(!h.outbox.closed.contains(second));
        QCOMPARE(h.service.lobbyNames(), QList<QByteArray>{"ann"});
    }

    void vanishedClientLeavesTheList()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        const int bob = h.lobby("Bob");
        h.outbox.clear();
        h.service.closed(bob);
        QVERIFY(h.outbox.to(ann).contains("Bob (Exit)>"));
        QVERIFY(h.outbox.to(ann).endsWith("\x1b[L$Ann=13;0;1500\x1b]"));
        h.service.closed(bob);   // twice is harmless
        QCOMPARE(h.service.lobbyNames(), QList<QByteArray>{"Ann"});
    }

    void badClientsAreDisconnected_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::newRow("garbage instead of identification") << QList<QByteArray>{"GET / HTTP/1.0\r\n\r\n"};
        QTest::newRow("a huge chunk") << QList<QByteArray>{QByteArray(70 * 1024, 'x')};
        QTest::newRow("a huge message") << QList<QByteArray>{Harness::identification("Bob", "pw"), QByteArray(9000, 'x')};
        QList<QByteArray> flood{Harness::identification("Bob", "pw")};
        for (int i = 0; i < 60; ++i)
            flood.append("spam");
        QTest::newRow("too many messages") << flood;
        QList<QByteArray> bytes{Harness::identification("Bob", "pw")};
        for (int i = 0; i < 20; ++i)
            bytes.append(QByteArray(4000, 'y') + "\r\n/x\r\n");
        QTest::newRow("too many bytes") << bytes;
    }
    void badClientsAreDisconnected()
    {
        QFETCH(QList<QByteArray>, chunks);
        Harness h;
        const int ann = h.lobby("Ann");
        h.service.opened(99, Channel::Lobby, -1, QStringLiteral("127.0.0.1"));
        for (const QByteArray &chunk : chunks)
            h.service.received(99, chunk);   // all at one moment
        QVERIFY(h.outbox.closed.contains(99));
        QVERIFY(!h.outbox.closed.contains(ann));
        h.outbox.clear();
        h.say(ann, "still here");
        QVERIFY(h.outbox.to(ann).contains("still here"));
        QCOMPARE(h.service.lobbyNames(), QList<QByteArray>{"Ann"});
    }

    void timersKeepAliveAndTimeOut()
    {
        Harness h;
        const int ann = h.lobby("Ann");
        h.service.opened(50, Channel::Lobby, -1, QStringLiteral("127.0.0.1"));
        h.outbox.clear();
        h.advance(29000);
        QVERIFY(!h.outbox.closed.contains(50));
        h.advance(1000);
        QVERIFY(h.outbox.closed.contains(50));
        QVERIFY(h.outbox.to(ann).isEmpty());
        h.advance(30000);
        const QList<RecordingOutbox::Sent> toAnn = h.outbox.messagesTo(ann);
        QCOMPARE(toAnn.size(), 1);
        QCOMPARE(toAnn.first().bytes, Marker::KeepAlive);
        QVERIFY(toAnn.first().alone);
    }
};

VT_TEST_MAIN(TestVtserveLobby)
#include "tst_vtserve_lobby.moc"
