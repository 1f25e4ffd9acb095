// Accounts on disk, and the parts of client text the service takes apart.

#include <QFile>
#include <QPasswordDigestor>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include "AccountStore.h"
#include "ClientMessages.h"
#include "HttpResponder.h"
#include "ProtocolMarkers.h"
#include "SoundSynth.h"
#include "TestMain.h"

using Check = AccountStore::Check;

class TestVtserveAccounts : public QObject
{
    Q_OBJECT

private slots:
    void accountsLiveOnDiskWithoutClearPasswords()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sub/accounts.sqlite"));
        {
            AccountStore store(path, 50);
            QVERIFY(store.open());
            AccountStore::Account account;
            QCOMPARE(store.login("Ann", "opensesame", &account), Check::Created);
            QCOMPARE(account.rank, AccountStore::SysopRank);
            QCOMPARE(store.login("Bob", "opensesame", &account), Check::Created);
            QCOMPARE(account.rank, AccountStore::UserRankPlain);
            QCOMPARE(store.login("ann", "opensesame", &account), Check::Accepted);
            QCOMPARE(account.name, QByteArray("Ann"));
            QCOMPARE(store.login("Ann", "opensesamE", &account), Check::WrongPassword);
            QVERIFY(store.setRank("bob", 5));
            QVERIFY(store.setIcon("Bob", 21));
            QCOMPARE(store.verify("Cy", "x", &account), Check::Unknown);
            QCOMPARE(store.count(), 2);
        }
        QCOMPARE(QFile::permissions(path) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("opensesame"));

        // Same password, different salts, different digests; all kept after a reopen.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT salt, digest FROM accounts ORDER BY key")));
            QVERIFY(q.next());
            const QByteArray salt1 = q.value(0).toByteArray(), digest1 = q.value(1).toByteArray();
            QVERIFY(q.next());
            QVERIFY(salt1 != q.value(0).toByteArray());
            QVERIFY(digest1 != q.value(1).toByteArray());
            QCOMPARE(digest1.size(), 32);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        AccountStore again(path, 50);
        QVERIFY(again.open());
        AccountStore::Account account;
        QCOMPARE(again.verify("BOB", "opensesame", &account), Check::Accepted);
        QCOMPARE(account.rank, 5);
        QCOMPARE(account.icon, 21);
        QCOMPARE(again.verify("Bob", "wrong", &account), Check::WrongPassword);
    }

    void aCheckedLoginDoesNotLetAWrongPasswordThrough()
    {
        AccountStore store(QStringLiteral(":memory:"), 10);
        QVERIFY(store.open());
        QCOMPARE(store.login("Ann", "one", nullptr), Check::Created);
        QCOMPARE(store.verify("Ann", "one", nullptr), Check::Accepted);
        QCOMPARE(store.verify("Ann", "two", nullptr), Check::WrongPassword);
        QCOMPARE(store.verify("Ann", "one", nullptr), Check::Accepted);
    }

    void digestIsPbkdf2()
    {
        // RFC 7914's PBKDF2-HMAC-SHA256 test vector.
        QCOMPARE(AccountStore::digest("passwd", "salt", 1).toHex(),
                 QByteArray("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"));
        // Its second vector, many iterations: the first 32 of its 64 bytes.
        QCOMPARE(AccountStore::digest("Password", "NaCl", 80000).toHex(),
                 QByteArray("4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"));
        // Keys longer than a hash block are hashed first; Qt's PBKDF2 agrees.
        for (const QByteArray &password : {QByteArray(64, 'k'), QByteArray(65, 'k'), QByteArray(200, 'x'), QByteArray()}) {
            QCOMPARE(AccountStore::digest(password, "0123456789abcdef", 1000),
                     QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, "0123456789abcdef", 1000, 32));
        }
    }

    void names_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << QByteArray("Ann") << true;
        QTest::newRow("digits and signs") << QByteArray("r2-d2_x.y") << true;
        QTest::newRow("twenty") << QByteArray(20, 'a') << true;
        QTest::newRow("twenty-one") << QByteArray(21, 'a') << false;
        QTest::newRow("blank") << QByteArray("A b") << false;
        QTest::newRow("rank mark") << QByteArray("+Ann") << false;
        QTest::newRow("field separator") << QByteArray("An=n") << false;
        QTest::newRow("greater than") << QByteArray("Ann>") << false;
        QTest::newRow("escape") << QByteArray("A\x1b[4") << false;
        QTest::newRow("latin-1") << QByteArray("J\xf6rg") << false;
        QTest::newRow("leading dot") << QByteArray(".ann") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void names()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, valid);
        QCOMPARE(ClientMessages::ValidUserName(name), valid);
    }

    void split_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<QList<QByteArray>>("messages");
        QTest::newRow("chat") << QByteArray("\x1b[4hello") << QList<QByteArray>{"\x1b[4hello"};
        QTest::newRow("chat keeps inner lines") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a\r\nb"};
        QTest::newRow("introduction") << (QByteArray("/Version 6.11\r\n/Email x@y\r\n") + '\0')
                                      << QList<QByteArray>{"/Version 6.11", "/Email x@y", QByteArray(1, '\0')};
        QTest::newRow("keep-alive then chat") << QByteArray("\0hi", 3) << QList<QByteArray>{QByteArray(1, '\0'), "hi"};
        QTest::newRow("presence then chat") << QByteArray("\xd4\xe1\xdd" "5I'm Away!")
                                            << QList<QByteArray>{"\xd4\xe1\xdd" "5", "I'm Away!"};
        QTest::newRow("icon") << QByteArray("\xac\xaf\xab" "13x") << QList<QByteArray>{"\xac\xaf\xab" "13", "x"};
        QTest::newRow("whispers") << QByteArray("/msg A x\r\n/msg B x\r\n") << QList<QByteArray>{"/msg A x", "/msg B x"};
        QTest::newRow("chat then command") << QByteArray("hi\r\n/msg A x\r\n") << QList<QByteArray>{"hi", "/msg A x"};
        QTest::newRow("role commands") << QByteArray("\xb1\xaf\xb0" "1>Ann\r\n\xb1\xaf\xb0" "1>Bob\r\n")
                                       << QList<QByteArray>{"\xb1\xaf\xb0" "1>Ann", "\xb1\xaf\xb0" "1>Bob"};
        QTest::newRow("identification then ready") << QByteArray("\x1b[\xbd" "Ann\x1b]pw\xec\xed\xee")
                                                   << QList<QByteArray>{"\x1b[\xbd" "Ann\x1b]pw", "\xec\xed\xee"};
        QTest::newRow("boot") << QByteArray("\x1b]/boot Bob") << QList<QByteArray>{"\x1b]/boot Bob"};
        QTest::newRow("cut presence marker") << QByteArray("\xd4\xe1\xdd") << QList<QByteArray>{"\xd4\xe1\xdd"};
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n") << QList<QByteArray>{};
    }
    void split()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(QList<QByteArray>, messages);
        QCOMPARE(ClientMessages::Split(chunk), messages);
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("whole") << QByteArray("\x1b[\xbd" "Ann\x1b]pw") << true << QByteArray("Ann") << QByteArray("pw");
        QTest::newRow("empty password") << QByteArray("\x1b[\xbd" "Ann\x1b]") << true << QByteArray("Ann") << QByteArray();
        QTest::newRow("password ends at a control byte") << QByteArray("\x1b[\xbd" "Ann\x1b]pw\r\nmore")
                                                         << true << QByteArray("Ann") << QByteArray("pw");
        QTest::newRow("no close") << QByteArray("\x1b[\xbd" "Ann") << false << QByteArray() << QByteArray();
        QTest::newRow("no open") << QByteArray("Ann\x1b]pw") << false << QByteArray() << QByteArray();
    }
    void identity()
    {
        QFETCH(QByteArray, message);
        QFETCH(bool, valid);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, password);
        const ClientMessages::Identity id = ClientMessages::ParseIdentity(message);
        QCOMPARE(id.valid, valid);
        QCOMPARE(id.name, name);
        QCOMPARE(id.password, password);
    }

    void captions_data()
    {
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("plain") << QByteArray("Ann") << QByteArray("Ann");
        QTest::newRow("sysop") << QByteArray("$Ann") << QByteArray("Ann");
        QTest::newRow("away in a room") << QByteArray("+Bob [AWAY]") << QByteArray("Bob");
        QTest::newRow("coloured") << QByteArray("\x1b[4\xb1" "Cy\x1b] ") << QByteArray("Cy");
    }
    void captions()
    {
        QFETCH(QByteArray, caption);
        QFETCH(QByteArray, name);
        QCOMPARE(ClientMessages::NameOfCaption(caption), name);
    }

    void typed_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("bare") << QByteArray("/msg Ann hi") << QByteArray() << QByteArray("/msg Ann hi");
        QTest::newRow("colour and style")
            << QByteArray("\x1b[3\x1b[B/msg Ann hi") << QByteArray("\x1b[3\x1b[B") << QByteArray("/msg Ann hi");
        QTest::newRow("font and size")
            << QByteArray("\x1b[4\x1b[F{Deja Vu}\x1b[S{12}/help") << QByteArray("\x1b[4\x1b[F{Deja Vu}\x1b[S{12}")
            << QByteArray("/help");
        // An unclosed name swallows the rest: nothing in it may act as a command.
        QTest::newRow("unclosed font") << QByteArray("\x1b[F{/msg Ann hi") << QByteArray() << QByteArray("\x1b[F{/msg Ann hi");
        QTest::newRow("code cut short") << QByteArray("\x1b[") << QByteArray() << QByteArray("\x1b[");
        QTest::newRow("codes only") << QByteArray("\x1b[3\x1b[B") << QByteArray("\x1b[3\x1b[B") << QByteArray();
        QTest::newRow("text before codes") << QByteArray("hi \x1b[3/msg") << QByteArray() << QByteArray("hi \x1b[3/msg");
    }
    void typed()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, codes);
        QFETCH(QByteArray, text);
        const ClientMessages::Typed typed = ClientMessages::TypedText(message);
        QCOMPARE(typed.codes, codes);
        QCOMPARE(typed.text, text);
    }

    void web_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("bodyStart");
        QTest::newRow("lobby sound") << QByteArray("GET /Sound/Laugh3.wav HTTP/1.0\r\n\r\n") << 200 << QByteArray("RIFF");
        QTest::newRow("client sound, other case") << QByteArray("GET /Sounds/POLL.WAV HTTP/1.1\r\nHost: x\r\n\r\n") << 200 << QByteArray("RIFF");
        QTest::newRow("games page") << QByteArray("GET /games.htm HTTP/1.0\r\n\r\n") << 200 << QByteArray("<html>");
        QTest::newRow("head") << QByteArray("HEAD /Sound/Ding.wav HTTP/1.0\r\n\r\n") << 200 << QByteArray();
        QTest::newRow("missing") << QByteArray("GET /Sound/None.wav HTTP/1.0\r\n\r\n") << 404 << QByteArray("404");
        QTest::newRow("climbing out") << QByteArray("GET /Sounds/../accounts.sqlite HTTP/1.0\r\n\r\n") << 404 << QByteArray("404");
        QTest::newRow("encoded climb") << QByteArray("GET /Sounds/%2e%2e%2faccounts.sqlite HTTP/1.0\r\n\r\n") << 404 << QByteArray("404");
        QTest::newRow("hidden file") << QByteArray("GET /Sounds/.secret HTTP/1.0\r\n\r\n") << 404 << QByteArray("404");
        QTest::newRow("other path") << QByteArray("GET /etc/passwd HTTP/1.0\r\n\r\n") << 404 << QByteArray("404");
        QTest::newRow("post") << QByteArray("POST /games.htm HTTP/1.0\r\n\r\n") << 405 << QByteArray("405");
        QTest::newRow("garbage") << QByteArray("\x01\x02\r\n\r\n") << 400 << QByteArray("400");
    }
    void web()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, bodyStart);
        QTemporaryDir dir;
        QVERIFY(SoundSynth::WriteMissing(dir.filePath(QStringLiteral("Sounds"))) > 0);
        QFile secret(dir.filePath(QStringLiteral("accounts.sqlite")));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write("secret");
        secret.close();
        QFile hidden(dir.filePath(QStringLiteral("Sounds/.secret")));
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();
        const Http::Response r = Http::Respond(request, {dir.filePath(QStringLiteral("Sounds"))},
                                               [] { return QByteArray("<html>games</html>"); });
        QCOMPARE(r.status, status);
        QVERIFY(r.bytes().startsWith("HTTP/1.0 " + QByteArray::number(status)));
        const QByteArray body = r.bytes().mid(r.bytes().indexOf("\r\n\r\n") + 4);
        QVERIFY2(body.startsWith(bodyStart), body.left(20).constData());
        QVERIFY(!body.contains("secret"));
    }

    void gamesPageLinksTheTables()
    {
        QList<MenuEntry> tables;
        for (int i = 1; i <= 10; ++i)
            tables.append({"Table " + QByteArray::number(i), i == 1 ? "2 here: <Ann>, Bob" : "empty", "Play"});
        const QByteArray page = Http::GamesPage(tables, {{"Forum", "1 here: Cy", "Join"}}, {"Cy&Di"});
        QVERIFY(page.contains("<a href=\"\\QuickLaunch1\">Table 1</a>"));
        QVERIFY(page.contains("<a href=\"\\QuickLaunch9\">Play</a>"));
        // The lobby reads one digit: a tenth link would start the first table.
        QVERIFY(page.contains("Table 10"));
        QVERIFY(!page.contains("QuickLaunch10"));
        QVERIFY(!page.contains("QuickLaunch0"));
        QVERIFY(page.contains("2 here: &lt;Ann&gt;, Bob"));
        QVERIFY(page.contains("1 here: Cy"));
        QVERIFY(page.contains("Cy&amp;Di"));
    }

    void synthesisedSoundsAreWaveFiles()
    {
        for (const SoundSynth::Sound &sound : SoundSynth::Standard()) {
            const QByteArray &w = sound.wave;
            QVERIFY(w.startsWith("RIFF"));
            QCOMPARE(w.mid(8, 8), QByteArray("WAVEfmt "));
            const quint32 riffSize = qFromLittleEndian<quint32>(w.constData() + 4);
            QCOMPARE(qsizetype(riffSize) + 8, w.size());
            const quint32 dataSize = qFromLittleEndian<quint32>(w.constData() + 40);
            QCOMPARE(qsizetype(dataSize) + 44, w.size());
            QVERIFY(dataSize > 2000);
            // Not silence: some samples reach a fair loudness.
            qint16 peak = 0;
            for (qsizetype i = 44; i + 1 < w.size(); i += 2)
                peak = qMax<qint16>(peak, qAbs(qFromLittleEndian<qint16>(w.constData() + i)));
            QVERIFY(peak > 5000);
        }
    }
};

VT_TEST_MAIN(TestVtserveAccounts)
#include "tst_vtserve_accounts.moc"
