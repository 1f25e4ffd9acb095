// The plain rules that bound what a server can make the programs do: which
// hosts, file names, links and movie addresses it may name, how often it may
// have programs started or dialogs opened, and what its fetches may take.

#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include "ChatAnsi.h"
#include "ChatPanelRules.h"
#include "DialogGate.h"
#include "Fakes.h"
#include "FetchBudget.h"
#include "LobbyMedia.h"
#include "ServerNames.h"
#include "StartLimits.h"
#include "SteadyClock.h"
#include "TestMain.h"

class tst_HostileRules : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void host_names_data();
    void host_names();
    void plain_file_names_data();
    void plain_file_names();
    void chat_links_data();
    void chat_links();
    void movie_addresses_data();
    void movie_addresses();
    void inert_chat_text();
    void starts_by_rate_total_and_running();
    void dialog_one_at_a_time_and_quiet_after_cancel();
    void fetch_budget_total();

private:
    qint64 m_now = 100000;
};

void tst_HostileRules::init()
{
    m_now = 100000;
    SteadyClock::setForTests([this] { return m_now; });
}

void tst_HostileRules::cleanup()
{
    SteadyClock::setForTests(nullptr);
    FetchBudget::reset();
}

void tst_HostileRules::host_names_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("ok");
    QTest::newRow("name") << "games.example.net" << true;
    QTest::newRow("hyphen inside") << "my-host.example" << true;
    QTest::newRow("address") << "192.168.0.10" << true;
    QTest::newRow("IPv6") << "[::1]" << true;
    QTest::newRow("single label") << "localhost" << true;
    QTest::newRow("Qt option") << "-stylesheet=/dev/zero" << false;
    QTest::newRow("-platform") << "-platform" << false;
    QTest::newRow("label with leading hyphen") << "a.-b" << false;
    QTest::newRow("blank") << "a b" << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("empty label") << "a..b" << false;
    QTest::newRow("bracketed nonsense") << "[abc]" << false;
    QTest::newRow("IPv6 unbracketed") << "::1" << false;
    QTest::newRow("too long") << QString(254, QLatin1Char('a')) << false;
    QTest::newRow("control byte") << "a\nb" << false;
}

void tst_HostileRules::host_names()
{
    QFETCH(QString, host);
    QFETCH(bool, ok);
    QCOMPARE(IsHostName(host), ok);
}

void tst_HostileRules::plain_file_names_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("ok");
    QTest::newRow("wave") << QByteArray("ding.wav") << true;
    QTest::newRow("dots inside") << QByteArray("a.b.wav") << true;
    QTest::newRow("255 bytes") << QByteArray(251, 'a') + ".wav" << true;
    QTest::newRow("256 bytes") << QByteArray(252, 'a') + ".wav" << false;
    QTest::newRow("line feed") << QByteArray("evil\nname.wav") << false;
    QTest::newRow("carriage return") << QByteArray("evil\rname.wav") << false;
    QTest::newRow("escape") << QByteArray("evil\x1bname.wav") << false;
    QTest::newRow("delete") << QByteArray("evil\x7fname.wav") << false;
    QTest::newRow("leading hyphen") << QByteArray("-rf.wav") << false;
    QTest::newRow("hidden") << QByteArray(".bashrc") << false;
    QTest::newRow("dot dot") << QByteArray("..") << false;
    QTest::newRow("separator") << QByteArray("a/b.wav") << false;
    QTest::newRow("backslash") << QByteArray("a\\b.wav") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_HostileRules::plain_file_names()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, ok);
    QCOMPARE(TDispAnsi::IsPlainFileName(name), ok);
}

void tst_HostileRules::chat_links_data()
{
    QTest::addColumn<QByteArray>("link");
    QTest::addColumn<QString>("opened");   // empty: refused
    QTest::newRow("web") << QByteArray("http://example.net/a?b=c") << "http://example.net/a?b=c";
    QTest::newRow("mail attach") << QByteArray("mailto:x@example.net?attach=/etc/passwd")
                                 << "mailto:x@example.net";
    QTest::newRow("mail keeps the rest")
        << QByteArray("mailto:x@example.net?subject=Hi&Attachment=~/.ssh/id_rsa&body=yo")
        << "mailto:x@example.net?subject=Hi&body=yo";
    QTest::newRow("mail file param") << QByteArray("mailto:x@example.net?file=a&cc=y@example.net")
                                     << "mailto:x@example.net?cc=y@example.net";
    QTest::newRow("news group") << QByteArray("news:comp.lang.c") << "news:comp.lang.c";
    QTest::newRow("news local path") << QByteArray("news:/etc/passwd") << "";
    QTest::newRow("news dot dot") << QByteArray("news://host/../../etc") << "";
    QTest::newRow("ftp") << QByteArray("ftp://ftp.example.net/pub/a.zip")
                         << "ftp://ftp.example.net/pub/a.zip";
    QTest::newRow("ftp dot dot") << QByteArray("ftp://ftp.example.net/pub/../../etc") << "";
    QTest::newRow("ftp encoded dot dot") << QByteArray("ftp://ftp.example.net/%2e%2e/etc") << "";
    QTest::newRow("ftp no host") << QByteArray("ftp:///etc/passwd") << "";
    QTest::newRow("file") << QByteArray("file:///etc/passwd") << "";
}

void tst_HostileRules::chat_links()
{
    QFETCH(QByteArray, link);
    QFETCH(QString, opened);
    const QUrl url = ChatPanel::SafeLinkUrl(link);
    if (opened.isEmpty()) {
        QVERIFY2(!url.isValid(), qPrintable(url.toString()));
        return;
    }
    QVERIFY(url.isValid());
    QCOMPARE(url.toString(), opened);
}

void tst_HostileRules::movie_addresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("played");   // empty: refused; "@" stands for the media folder
    QTest::newRow("http") << "http://example.net/a.mpg" << "http://example.net/a.mpg";
    QTest::newRow("rtsp") << "rtsp://example.net/live" << "rtsp://example.net/live";
    QTest::newRow("mms") << "mms://example.net/live" << "mms://example.net/live";
    QTest::newRow("plain name") << "clip.avi" << "@/clip.avi";
    QTest::newRow("absolute path") << "/etc/passwd" << "";
    QTest::newRow("file scheme") << "file:///home/me/secret.avi" << "";
    QTest::newRow("other scheme") << "smb://host/share/a.avi" << "";
    QTest::newRow("up a folder") << "../a.avi" << "";
    QTest::newRow("option") << "--help" << "";
}

void tst_HostileRules::movie_addresses()
{
    QFETCH(QString, address);
    QFETCH(QString, played);
    const QString media = QStringLiteral("/tmp/media");
    QCOMPARE(TLobbyMedia::PlayableMovie(address, media),
             played.replace(QLatin1Char('@'), media));
}

void tst_HostileRules::inert_chat_text()
{
    QCOMPARE(InertChatText("a\x1b[4b\r\nc\x7f" "d\xe6"), QByteArray("a [4b  c d\xe6"));
}

void tst_HostileRules::starts_by_rate_total_and_running()
{
    FakeLauncher launcher;
    StartLimits::Rules rules;
    rules.minIntervalMs = 3000;
    rules.maxTotal = 4;
    rules.what = QStringLiteral("table");
    StartLimits table(rules);
    QVERIFY(table.refusal(launcher).isEmpty());
    table.started(launcher, 0);
    QVERIFY(table.refusal(launcher).contains(QLatin1String("too soon")));
    m_now += 2999;
    QVERIFY(!table.refusal(launcher).isEmpty());
    m_now += 1;
    QVERIFY(table.refusal(launcher).isEmpty());
    for (int i = 0; i < 3; ++i) {
        table.started(launcher, 0);
        m_now += 3000;
    }
    QCOMPARE(table.total(), 4);
    QVERIFY(table.refusal(launcher).contains(QLatin1String("4 tables")));

    // Running programs count while they run.
    StartLimits::Rules lobbyRules;
    lobbyRules.minIntervalMs = 1000;
    lobbyRules.maxRunning = 2;
    StartLimits lobby(lobbyRules);
    qint64 pid = 0;
    for (int i = 0; i < 2; ++i) {
        QVERIFY(lobby.refusal(launcher).isEmpty());
        launcher.startDetached(QStringLiteral("p"), {}, {}, {}, &pid);
        lobby.started(launcher, pid);
        m_now += 1000;
    }
    QVERIFY(lobby.refusal(launcher).contains(QLatin1String("2 programs")));
    launcher.running.remove(pid);
    QVERIFY(lobby.refusal(launcher).isEmpty());
}

void tst_HostileRules::dialog_one_at_a_time_and_quiet_after_cancel()
{
    DialogGate gate;
    QVERIFY(gate.tryOpen());
    QVERIFY(!gate.tryOpen());
    QVERIFY(!gate.tryOpen(false));
    gate.done(true);
    // The server asking again at once is shown nothing; the user may.
    QVERIFY(!gate.tryOpen());
    m_now += DialogGate::QuietAfterCancelMs - 1;
    QVERIFY(!gate.tryOpen());
    QVERIFY(gate.tryOpen(false));
    gate.done(false);
    m_now += 1;
    QVERIFY(gate.tryOpen());
    gate.done(false);
    QVERIFY(gate.tryOpen());
}

void tst_HostileRules::fetch_budget_total()
{
    QTemporaryDir dir;
    FetchBudget::reset(1000, 0);
    QVERIFY(FetchBudget::refusal(dir.path()).isEmpty());
    QVERIFY(FetchBudget::take(600, dir.path()));
    QVERIFY(!FetchBudget::take(401, dir.path()));
    QCOMPARE(FetchBudget::spent(), 600);
    QVERIFY(FetchBudget::take(400, dir.path()));
    QVERIFY(FetchBudget::refusal(dir.path()).contains(QLatin1String("already fetched")));
    // A disk that would keep less than the reserve free refuses at once.
    FetchBudget::reset(1000, std::numeric_limits<qint64>::max() / 2);
    QVERIFY(FetchBudget::refusal(dir.path()).contains(QLatin1String("free")));
    QVERIFY(!FetchBudget::take(1, dir.path()));
}

VT_TEST_MAIN(tst_HostileRules)
#include "tst_hostile_rules.moc"
