// The Browse page with its embedded web view, against pages served on the
// loopback address. Every test that starts the web engine lives here: its
// start-up is heavy, so the rest of the suite never pays for it.

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "BrowsePage.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "LobbyMain.h"
#include "LobbyMedia.h"
#include "LoopbackHttpServer.h"
#include "Platform.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "VtServer.h"
#include "Waits.h"
#include "WebBrowser.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int LoadTimeout = 20000;

class RecordingBrowseHost : public BrowseHost
{
public:
    QString home = QStringLiteral("http://127.0.0.1/games.htm");
    QStringList status;
    QList<QByteArray> lobbyLinks;
    QStringList refused;
    QList<QPair<QUrl, QString>> downloads;

    QString homeAddress() const override { return home; }
    void setStatus(const QString &text) override { status << text; }
    void lobbyLink(const QByteArray &link) override { lobbyLinks << link; }
    void refuseAddress(const QString &address) override { refused << address; }
    void download(const QUrl &url, const QString &name) override { downloads.append({url, name}); }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QWebEnginePage *pageOf(TBrowsePage &page)
{
    return page.Browser() ? page.Browser()->page() : nullptr;
}

// Runs `action` and waits for the view's next finished load; false when
// none came. `ok` receives its outcome. The view may be made by `action`.
bool loadAfter(TBrowsePage &page, const std::function<void()> &action, bool *ok = nullptr)
{
    std::unique_ptr<QSignalSpy> finished;
    if (QWebEnginePage *web = pageOf(page))
        finished = std::make_unique<QSignalSpy>(web, &QWebEnginePage::loadFinished);
    action();
    if (!finished) {
        if (!QTest::qWaitFor([&] { return pageOf(page) != nullptr; }, LoadTimeout))
            return false;
        finished = std::make_unique<QSignalSpy>(pageOf(page), &QWebEnginePage::loadFinished);
    }
    if (finished->isEmpty() && !finished->wait(LoadTimeout))
        return false;
    if (ok)
        *ok = finished->first().first().toBool();
    return true;
}

QVariant evaluate(QWebEnginePage *page, const QString &script,
                  quint32 world = QWebEngineScript::MainWorld)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, world, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        qWarning("the page did not answer");
    return result;
}

QString textOf(QWebEnginePage *page)
{
    QString text;
    bool done = false;
    page->toPlainText([&](const QString &t) {
        text = t;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        qWarning("the page did not answer");
    return text;
}

// A press of the left button in the middle of the element, as a user makes
// it (the engine sees a real, trusted click). A renderer that has not drawn
// its first frame yet drops input, and a page still being laid out can move
// the element, so the press is made again until the element has had one;
// what the click then does is the test's to check.
bool clickElement(TBrowsePage &page, const QString &selector)
{
    QWebEnginePage *web = pageOf(page);
    QWidget *target = page.Browser()->view()->focusProxy();
    if (!target)
        return false;
    const QString quoted = QLatin1Char('"') + selector + QLatin1Char('"');
    // The lobby's side of the page is up.
    if (!QTest::qWaitFor([&] {
            return evaluate(web, QStringLiteral("window.vantoraLobbyReady === true"),
                            QWebEngineScript::ApplicationWorld).toBool();
        }, LoadTimeout))
        return false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const QVariantList found = evaluate(
            web, QStringLiteral("(function(){var e=document.querySelector(%1);if(!e)return null;"
                                "window.testSelector=%1;"
                                "if(window.testPresses===undefined){window.testPresses=0;"
                                "document.addEventListener('mousedown',function(ev){"
                                "if(ev.target.closest&&ev.target.closest(window.testSelector))++window.testPresses;},true);}"
                                "var r=e.getBoundingClientRect();"
                                "return [r.left+r.width/2, r.top+r.height/2, window.testPresses];})()")
                     .arg(quoted))
                                     .toList();
        if (found.size() != 3)
            return false;
        const int presses = found[2].toInt();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(found[0].toInt(), found[1].toInt()));
        const bool seen = QTest::qWaitFor(
            [&] { return evaluate(web, QStringLiteral("window.testPresses")).toInt() > presses; }, 1000);
        if (seen)
            return true;
    }
    return false;
}

} // namespace

class tst_BrowsePage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void view_runs_under_its_own_rules();
    void page_arrives_with_its_title_address_and_status();
    void back_and_forward_follow_the_history();
    void stop_ends_a_slow_load();
    void addresses_that_are_not_the_web_are_refused();
    void lobby_links_reach_the_lobby_only_from_the_user();
    void new_windows_open_in_the_view();
    void downloads_are_handed_to_the_lobby();
    void home_shows_the_service_page_and_a_link_starts_a_table();

private:
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(m_http->port()) + path;
    }
    std::unique_ptr<TBrowsePage> shownPage(RecordingBrowseHost &host);
    bool open(TBrowsePage &page, const QString &path);

    QTemporaryDir m_web;
    std::unique_ptr<LoopbackHttpServer> m_http;
    FakeDialogs m_dialogs;
    FakeSoundPlayer m_sound;
    FakeLauncher m_launcher;
    FakeWindowLister m_windows;
};

void tst_BrowsePage::initTestCase()
{
    QVERIFY(TBrowsePage::HasWebView());
    UserDialogs::setCurrent(&m_dialogs);
    Platform::setSound(&m_sound);
    Platform::setLauncher(&m_launcher);
    Platform::setWindowLister(&m_windows);
    Waits::setTimeScale(0.05);
    const QString root = m_web.path();
    writeFile(root + "/a.htm",
              "<html><head><title>Alpha</title></head><body><p>alpha text</p>"
              "<p><a id=next href=\"b.htm\">to beta</a></p>"
              "<p><a id=quick href=\"\\QuickLaunch3\">play the third</a></p>"
              "<p><a id=file href=\"file:///etc/hostname\">a local file</a></p>"
              "<p><a id=data href=\"data:text/html,hello\">a data page</a></p>"
              "<p><a id=custom href=\"vantora-game:3\">a custom scheme</a></p>"
              "<p><a id=popup target=\"_blank\" href=\"b.htm\">beta elsewhere</a></p>"
              "<p><a id=song href=\"files/Tune.mp3\">a song</a></p>"
              "</body></html>");
    writeFile(root + "/b.htm", "<html><head><title>Beta</title></head><body>beta text</body></html>");
    writeFile(root + "/slow.htm", "<html><head><title>Slow</title></head><body>" + QByteArray(4000, 'x')
                                      + "</body></html>");
    writeFile(root + "/files/Tune.mp3", "ID3 not really a song");
    m_http = std::make_unique<LoopbackHttpServer>(root);
    QVERIFY(m_http->isListening());
}

void tst_BrowsePage::cleanupTestCase()
{
    UserDialogs::setCurrent(nullptr);
    Platform::setSound(nullptr);
    Platform::setLauncher(nullptr);
    Platform::setWindowLister(nullptr);
}

void tst_BrowsePage::init()
{
    m_http->stallAfterBytes = -1;
    m_http->requests.clear();
    m_dialogs.asked.clear();
}

std::unique_ptr<TBrowsePage> tst_BrowsePage::shownPage(RecordingBrowseHost &host)
{
    auto page = std::make_unique<TBrowsePage>(host);
    page->resize(800, 600);
    page->show();
    return page;
}

bool tst_BrowsePage::open(TBrowsePage &page, const QString &path)
{
    page.Edit6->setText(url(path));
    bool ok = false;
    return loadAfter(page, [&] { QTest::mouseClick(page.btnGo, Qt::LeftButton); }, &ok) && ok;
}

void tst_BrowsePage::view_runs_under_its_own_rules()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    // Nothing is made before it is needed.
    QVERIFY(!page->Browser());
    QVERIFY(!page->BrowseNotice);
    for (QPushButton *b : {page->btnBack, page->btnForward, page->btnStopBrowse, page->btnRefreshBrowse})
        QVERIFY(!b->isEnabled());
    QVERIFY(open(*page, "/a.htm"));

    QWebEngineProfile *profile = page->Browser()->profile();
    QVERIFY(profile->isOffTheRecord());
    QVERIFY(profile != QWebEngineProfile::defaultProfile());
    QWebEngineSettings *s = pageOf(*page)->settings();
    QVERIFY(!s->testAttribute(QWebEngineSettings::PluginsEnabled));
    QVERIFY(!s->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));
    QVERIFY(!s->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    QVERIFY(!s->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));
    QCOMPARE(s->unknownUrlSchemePolicy(), QWebEngineSettings::DisallowUnknownUrlSchemes);
}

void tst_BrowsePage::page_arrives_with_its_title_address_and_status()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    page->Edit6->setText(url("/a.htm"));
    bool ok = false;
    // Return in the address box loads as "GO" does.
    QVERIFY(loadAfter(*page, [&] { QTest::keyClick(page->Edit6, Qt::Key_Return); }, &ok));
    QVERIFY(ok);
    QCOMPARE(page->BrowseTitle->text(), QStringLiteral("Alpha"));
    QCOMPARE(page->Edit6->text(), url("/a.htm"));
    QVERIFY(textOf(pageOf(*page)).contains(QLatin1String("alpha text")));
    QVERIFY(!page->btnStopBrowse->isEnabled());
    QVERIFY(page->btnRefreshBrowse->isEnabled());
    QVERIFY(!page->btnBack->isEnabled());
    QVERIFY(host.status.contains(QStringLiteral("Opening ") + url("/a.htm") + QStringLiteral("...")));
    QCOMPARE(host.status.last(), QStringLiteral("Done"));
    QCOMPARE(m_http->requests.count(QStringLiteral("/a.htm")), 1);

    // Refresh asks the server again.
    QVERIFY(loadAfter(*page, [&] { QTest::mouseClick(page->btnRefreshBrowse, Qt::LeftButton); }, &ok));
    QVERIFY(ok);
    QCOMPARE(m_http->requests.count(QStringLiteral("/a.htm")), 2);
}

void tst_BrowsePage::back_and_forward_follow_the_history()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));
    QVERIFY(!page->btnBack->isEnabled());
    QVERIFY(!page->btnForward->isEnabled());

    // A link on the page loads in the view.
    QVERIFY(loadAfter(*page, [&] { QVERIFY(clickElement(*page, "#next")); }));
    QCOMPARE(page->BrowseTitle->text(), QStringLiteral("Beta"));
    QCOMPARE(page->Edit6->text(), url("/b.htm"));
    QTRY_VERIFY(page->btnBack->isEnabled());
    QVERIFY(!page->btnForward->isEnabled());

    QVERIFY(loadAfter(*page, [&] { QTest::mouseClick(page->btnBack, Qt::LeftButton); }));
    QCOMPARE(page->BrowseTitle->text(), QStringLiteral("Alpha"));
    QCOMPARE(page->Edit6->text(), url("/a.htm"));
    QTRY_VERIFY(page->btnForward->isEnabled());
    QVERIFY(!page->btnBack->isEnabled());

    QVERIFY(loadAfter(*page, [&] { QTest::mouseClick(page->btnForward, Qt::LeftButton); }));
    QCOMPARE(page->BrowseTitle->text(), QStringLiteral("Beta"));
    QTRY_VERIFY(page->btnBack->isEnabled());
    QVERIFY(!page->btnForward->isEnabled());
}

void tst_BrowsePage::stop_ends_a_slow_load()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));
    // The server sends the head and a little of the body, then holds on.
    m_http->stallAfterBytes = 100;
    page->Edit6->setText(url("/slow.htm"));
    QTest::mouseClick(page->btnGo, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(page->btnStopBrowse->isEnabled(), LoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(m_http->requests.contains(QStringLiteral("/slow.htm")), LoadTimeout);
    bool ok = true;
    QVERIFY(loadAfter(*page, [&] { QTest::mouseClick(page->btnStopBrowse, Qt::LeftButton); }, &ok));
    QVERIFY(!ok);
    QVERIFY(!page->btnStopBrowse->isEnabled());
    QCOMPARE(host.status.last(), QStringLiteral("Stopped"));
}

void tst_BrowsePage::addresses_that_are_not_the_web_are_refused()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));

    // Typed.
    for (const QString &typed : {QStringLiteral("file:///etc/hostname"), QStringLiteral("/etc/hostname"),
                                 QStringLiteral("data:text/html,hello"), QStringLiteral("vantora-game:play")}) {
        page->Edit6->setText(typed);
        QTest::mouseClick(page->btnGo, Qt::LeftButton);
        QCOMPARE(host.refused.last(), typed);
    }
    host.refused.clear();

    // Clicked on the page.
    for (const char *id : {"#file", "#data", "#custom"}) {
        const qsizetype before = host.refused.size();
        QVERIFY(clickElement(*page, QLatin1String(id)));
        QTRY_COMPARE_WITH_TIMEOUT(host.refused.size(), before + 1, LoadTimeout);
    }
    QCOMPARE(host.refused, (QStringList{"file:///etc/hostname", "data:text/html,hello", "vantora-game:3"}));

    // The view's own filter, below the address box: a load of a file is refused.
    host.refused.clear();
    page->Browser()->load(QUrl(QStringLiteral("file:///etc/hostname")));
    QTRY_COMPARE_WITH_TIMEOUT(host.refused, QStringList{"file:///etc/hostname"}, LoadTimeout);
    QCOMPARE(pageOf(*page)->url().toString(), url("/a.htm"));
    host.refused = QStringList{"", "", ""};

    // A page's script gets no message, and no file either.
    evaluate(pageOf(*page), QStringLiteral("location.href = 'file:///etc/hostname'; 1"));
    QTest::qWait(300);
    QCOMPARE(host.refused.size(), 3);
    QCOMPARE(pageOf(*page)->url().toString(), url("/a.htm"));
    QVERIFY(textOf(pageOf(*page)).contains(QLatin1String("alpha text")));
    QVERIFY(host.lobbyLinks.isEmpty());
}

void tst_BrowsePage::lobby_links_reach_the_lobby_only_from_the_user()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));
    QVERIFY(clickElement(*page, "#quick"));
    QTRY_COMPARE_WITH_TIMEOUT(host.lobbyLinks, QList<QByteArray>{"\\QuickLaunch3"}, LoadTimeout);
    // The view stays where it was.
    QCOMPARE(pageOf(*page)->url().toString(), url("/a.htm"));

    // A click the page's own script makes is not the user's.
    evaluate(pageOf(*page), QStringLiteral("document.getElementById('quick').click(); 1"));
    QTest::qWait(300);
    QCOMPARE(host.lobbyLinks.size(), 1);
    QVERIFY(host.refused.isEmpty());

    // Typed into the address box, a command goes to the lobby as well.
    page->Edit6->setText(QStringLiteral("\\QuickLaunch2"));
    QTest::mouseClick(page->btnGo, Qt::LeftButton);
    QCOMPARE(host.lobbyLinks.last(), QByteArray("\\QuickLaunch2"));
}

void tst_BrowsePage::new_windows_open_in_the_view()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));
    QVERIFY(loadAfter(*page, [&] { QVERIFY(clickElement(*page, "#popup")); }));
    QCOMPARE(page->BrowseTitle->text(), QStringLiteral("Beta"));
    QCOMPARE(page->Edit6->text(), url("/b.htm"));
}

void tst_BrowsePage::downloads_are_handed_to_the_lobby()
{
    RecordingBrowseHost host;
    auto page = shownPage(host);
    QVERIFY(open(*page, "/a.htm"));
    QVERIFY(clickElement(*page, "#song"));
    QTRY_COMPARE_WITH_TIMEOUT(host.downloads.size(), 1, LoadTimeout);
    QCOMPARE(host.downloads.first().first, QUrl(url("/files/Tune.mp3")));
    QCOMPARE(host.downloads.first().second, QStringLiteral("Tune.mp3"));
    // The engine itself saved nothing.
    QTest::qWait(300);
    const QString engineFolder = page->Browser()->profile()->downloadPath();
    QVERIFY(!QFile::exists(engineFolder + QStringLiteral("/Tune.mp3")));
}

// The whole road: the lobby logged in to the suite's own service, "Browse",
// the service's games page inside the lobby, a table's link, the program.
void tst_BrowsePage::home_shows_the_service_page_and_a_link_starts_a_table()
{
    QTemporaryDir data;
    ServerOptions options;
    options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
    options.roomBasePort = options.tableBasePort = 0;
    options.httpPort = 0;
    options.dataFolder = data.path();
    options.passwordIterations = 10;
    QStringList log;
    options.logger = [&log](const QString &line) { log << line; };
    VtServer server(options);
    QString error;
    QVERIFY2(server.start(&error), qPrintable(error));

    MemorySettings user;
    MemorySettings machine;
    user.values.insert(QStringLiteral("Vantora/HttpPort"), server.httpPort());
    LobbyStartup startup;
    startup.settings = &user;
    startup.machineSettings = &machine;
    startup.arguments = QStringList{QString::number(server.lobbyPort()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    TLobbyMainForm form(startup);
    form.Activated = true;
    form.show();
    form.chatSession().UserName = "Ann";
    form.chatSession().Password = "secret";
    form.FileConnectItemClick();
    QTRY_VERIFY_WITH_TIMEOUT(form.Memo2->toPlainText().contains(QLatin1String("Welcome to Vantora, Ann.")),
                             LoadTimeout);

    TBrowsePage &page = *form.Media->Browse;
    // The transfer host ("Always Use Vantora FTP" is on: the service's own host).
    const QString home = QStringLiteral("http://") + form.Media->transferHost() + QLatin1Char(':')
                         + QString::number(server.httpPort()) + QStringLiteral("/games.htm");
    bool ok = false;
    QVERIFY(loadAfter(page, [&] { QTest::mouseClick(form.btnBrowse, Qt::LeftButton); }, &ok));
    QVERIFY(ok);
    QCOMPARE(form.PageControl1->currentIndex(), int(TLobbyMainForm::BrowsePage));
    QCOMPARE(page.Edit6->text(), home);
    QCOMPARE(page.BrowseTitle->text(), QStringLiteral("Vantora Games"));
    QVERIFY(textOf(pageOf(page)).contains(QLatin1String("Card Table 1")));

    // The first table's link is a quick launch: the lobby opens the games
    // menu, picks the entry, and the card table starts beside the lobby.
    m_launcher.launches.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!form.SlideMoving(), LoadTimeout);
    QVERIFY(clickElement(page, "a[href$='QuickLaunch1']"));
    QTRY_VERIFY2_WITH_TIMEOUT(m_launcher.launches.size() == 1, qPrintable(log.join(QLatin1Char('\n'))), LoadTimeout);
    QVERIFY(m_launcher.launches.first().program.endsWith(QLatin1String("Cardamo")));
    QCOMPARE(m_launcher.launches.first().arguments.at(1), QString::number(server.gamePort(0)));
    QTRY_VERIFY_WITH_TIMEOUT(!form.QuickLaunching(), LoadTimeout);

    // An address the page will not open gets the lobby's message for a link.
    m_dialogs.asked.clear();
    page.Edit6->setText(QStringLiteral("file:///etc/hostname"));
    QTest::mouseClick(page.btnGo, Qt::LeftButton);
    QCOMPARE(m_dialogs.asked.size(), 1);
    QCOMPARE(m_dialogs.asked.first().text, QStringLiteral("Sorry !  Unable to Execute file:///etc/hostname"));

    form.close();
    server.stop();
}

VT_TEST_MAIN(tst_BrowsePage)
#include "tst_browsepage.moc"
