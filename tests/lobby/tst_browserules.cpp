#include <QTest>

#include "BrowseRules.h"
#include "TestMain.h"

using BrowseRules::Navigation;
Q_DECLARE_METATYPE(BrowseRules::Navigation)

class tst_BrowseRules : public QObject
{
    Q_OBJECT
private slots:
    void home_names_the_port_unless_80_data();
    void home_names_the_port_unless_80();
    void navigations_data();
    void navigations();
    void typed_addresses_data();
    void typed_addresses();
    void lobby_commands_begin_with_a_backslash();
    void download_names_data();
    void download_names();
};

void tst_BrowseRules::home_names_the_port_unless_80_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("home");
    QTest::newRow("web port") << "localhost" << 80 << "http://localhost/games.htm";
    QTest::newRow("service's own port") << "localhost" << 8080 << "http://localhost:8080/games.htm";
    QTest::newRow("other host") << "chat.example.net" << 81 << "http://chat.example.net:81/games.htm";
}

void tst_BrowseRules::home_names_the_port_unless_80()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QTEST(BrowseRules::HomeAddress(host, port), "home");
}

void tst_BrowseRules::navigations_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("mainFrame");
    QTest::addColumn<bool>("user");
    QTest::addColumn<Navigation>("verdict");
    QTest::newRow("web page") << "http://localhost:8080/games.htm" << true << true << Navigation::Load;
    QTest::newRow("secure page") << "https://example.net/" << true << false << Navigation::Load;
    QTest::newRow("frame of a page") << "https://example.net/ad" << false << false << Navigation::Load;
    QTest::newRow("local file clicked") << "file:///etc/passwd" << true << true << Navigation::Refuse;
    QTest::newRow("data clicked") << "data:text/html,<b>hi</b>" << true << true << Navigation::Refuse;
    QTest::newRow("custom scheme clicked") << "vantora-game:3" << true << true << Navigation::Refuse;
    QTest::newRow("ftp clicked") << "ftp://example.net/x" << true << true << Navigation::Refuse;
    QTest::newRow("web without a host") << "http:///x" << true << true << Navigation::Refuse;
    QTest::newRow("blank page typed") << "about:blank" << true << true << Navigation::Refuse;
    QTest::newRow("file from a script") << "file:///etc/passwd" << true << false << Navigation::RefuseQuietly;
    QTest::newRow("file in a frame") << "file:///etc/passwd" << false << true << Navigation::RefuseQuietly;
    QTest::newRow("data in a frame") << "data:text/html,x" << false << false << Navigation::RefuseQuietly;
    QTest::newRow("empty frame") << "about:blank" << false << false << Navigation::Load;
    QTest::newRow("frame of its own text") << "about:srcdoc" << false << false << Navigation::Load;
    QTest::newRow("engine's own pages") << "chrome://settings" << false << false << Navigation::RefuseQuietly;
}

void tst_BrowseRules::navigations()
{
    QFETCH(QString, url);
    QFETCH(bool, mainFrame);
    QFETCH(bool, user);
    QTEST(BrowseRules::Judge(QUrl(url), mainFrame, user), "verdict");
}

void tst_BrowseRules::typed_addresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("web");
    QTest::newRow("host and port") << "localhost:8080/games.htm" << "http://localhost:8080/games.htm" << true;
    QTest::newRow("bare host") << " example.net " << "http://example.net" << true;
    QTest::newRow("secure") << "https://example.net/a?b=c" << "https://example.net/a?b=c" << true;
    QTest::newRow("path") << "/etc/passwd" << "file:///etc/passwd" << false;
    QTest::newRow("file") << "file:///home" << "file:///home" << false;
    QTest::newRow("custom scheme") << "vantora-game:play" << "vantora-game:play" << false;
    QTest::newRow("script") << "javascript:alert(1)" << "javascript:alert(1)" << false;
}

void tst_BrowseRules::typed_addresses()
{
    QFETCH(QString, typed);
    const QUrl url = BrowseRules::TypedAddress(typed);
    QTEST(url.toString(), "url");
    QTEST(BrowseRules::IsWebAddress(url), "web");
}

void tst_BrowseRules::lobby_commands_begin_with_a_backslash()
{
    QVERIFY(BrowseRules::IsLobbyCommand(QStringLiteral("\\QuickLaunch3")));
    QVERIFY(BrowseRules::IsLobbyCommand(QStringLiteral(" \\SwitchServer{chat.example}:1024")));
    QVERIFY(BrowseRules::IsLobbyCommand(QStringLiteral("\\\\server\\share")));
    QVERIFY(!BrowseRules::IsLobbyCommand(QStringLiteral("QuickLaunch3")));
    QVERIFY(!BrowseRules::IsLobbyCommand(QStringLiteral("http://x/\\QuickLaunch3")));
}

void tst_BrowseRules::download_names_data()
{
    QTest::addColumn<QString>("suggested");
    QTest::addColumn<QString>("name");
    QTest::newRow("song") << "Tune.mp3" << "Tune.mp3";
    QTest::newRow("spaces and accents") << QString::fromUtf8("Café del Mar.mp3") << QString::fromUtf8("Café del Mar.mp3");
    QTest::newRow("climbing out") << "../Tune.mp3" << "";
    QTest::newRow("folder") << "songs/Tune.mp3" << "";
    QTest::newRow("back slash") << "songs\\Tune.mp3" << "";
    QTest::newRow("absolute") << "/etc/cron.d/x" << "";
    QTest::newRow("hidden") << ".profile" << "";
    QTest::newRow("dots") << ".." << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("line break") << "a\nb.mp3" << "";
    QTest::newRow("not Latin-1") << QString::fromUtf8("曲.mp3") << "";
}

void tst_BrowseRules::download_names()
{
    QFETCH(QString, suggested);
    QTEST(BrowseRules::DownloadName(suggested), "name");
}

VT_TEST_MAIN(tst_BrowseRules)
#include "tst_browserules.moc"
