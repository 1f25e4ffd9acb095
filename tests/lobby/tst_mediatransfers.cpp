#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ChatAnsi.h"
#include "ChatSession.h"
#include "MediaChatHost.h"
#include "Fakes.h"
#include "LocalFtpServer.h"
#include "LoopbackHttpServer.h"
#include "LoopbackServer.h"
#include "MediaRecorder.h"
#include "MediaTransfers.h"
#include "TestMain.h"

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QString &path)
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList names(const QList<ServerFile> &files)
{
    QStringList list;
    for (const ServerFile &f : files)
        list << f.name;
    list.sort();
    return list;
}

} // namespace

class tst_MediaTransfers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void transfer_host_rule();
    void listing_rules_data();
    void listing_rules();
    void time_left_and_percent_data();
    void time_left_and_percent();

    void missing_wave_is_fetched_over_http_and_played();
    void failed_fetch_leaves_nothing();
    void names_that_are_not_plain_are_refused();
    void page_download_lands_in_the_media_folder();
    void song_is_downloaded_only_when_enabled_and_listed();
    void announced_song_through_the_renderer();
    void song_list_skips_local_files_and_finds_folders();
    void folder_change_lists_the_sub_folder();
    void download_on_request_announces_the_row();
    void upload_goes_to_incoming();
    void stopped_download_leaves_no_file();
    void lister_failures_are_reported();

private:
    struct Rig
    {
        RecordingMediaHost host;
        FakeMediaPlayer player;
        TMediaManager media{host, player};
        TMediaTransfers transfers{host, media};
    };
    void setUp(Rig &rig, int ftpPort);

    std::unique_ptr<QTemporaryDir> m_serverRoot;
    std::unique_ptr<QTemporaryDir> m_media;
    QString m_folder;
    LocalFtpServer m_ftp;
    bool m_haveFtp = false;
};

void tst_MediaTransfers::initTestCase()
{
    m_serverRoot = std::make_unique<QTemporaryDir>();
    const QString root = m_serverRoot->path();
    writeFile(root + "/Media/abc.mp3", "short");
    writeFile(root + "/Media/abcde.mp3", "five letters");
    writeFile(root + "/Media/movie.avi", "video");
    writeFile(root + "/Media/have.mp3", "local already");
    writeFile(root + "/Media/notes.txt", "text");
    writeFile(root + "/Media/Rockers/stones.mp3", "deeper");
    QDir().mkpath(root + "/Media/Jazz");          // four letters: ignored
    QDir().mkpath(root + "/Media/six-ab");        // has "-": ignored
    QDir().mkpath(root + "/Incoming");
    const QString why = LocalFtpServer::unavailableReason();
    m_haveFtp = why.isEmpty() && m_ftp.start(root);
    if (why.isEmpty())
        QVERIFY2(m_haveFtp, "the local FTP server did not start");
}

void tst_MediaTransfers::init()
{
    m_media = std::make_unique<QTemporaryDir>();
    m_folder = m_media->path() + QLatin1Char('/');
}

void tst_MediaTransfers::setUp(Rig &rig, int ftpPort)
{
    rig.host.ftpPortNumber = ftpPort;
    rig.media.Playlist.Folder = m_folder;
    rig.media.Playlist.Reload();
}

#define NEED_FTP()                                                          \
    if (!m_haveFtp)                                                         \
        QSKIP(qPrintable(LocalFtpServer::unavailableReason()))

void tst_MediaTransfers::transfer_host_rule()
{
    QCOMPARE(TransferHostName(true, "chat.example"), QStringLiteral("localhost"));
    QCOMPARE(TransferHostName(false, "chat.example"), QStringLiteral("chat.example"));
}

void tst_MediaTransfers::listing_rules_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("kind");
    const int song = int(ListingKind::Song), folder = int(ListingKind::Folder),
              ignored = int(ListingKind::Ignored);
    QTest::newRow("three letters") << QByteArray("abc.mp3") << ignored;
    QTest::newRow("four letters") << QByteArray("abcd.mp3") << ignored;
    QTest::newRow("five letters") << QByteArray("abcde.mp3") << song;
    QTest::newRow("upper case") << QByteArray("ABCDE.MPG") << song;
    QTest::newRow("video") << QByteArray("movie.avi") << song;
    QTest::newRow("short video") << QByteArray("mov.asf") << ignored;
    QTest::newRow("text") << QByteArray("notes.txt") << ignored;
    QTest::newRow("four letter folder") << QByteArray("Jazz") << ignored;
    QTest::newRow("five letter folder") << QByteArray("Blues") << ignored;
    QTest::newRow("six letter folder") << QByteArray("Rocker") << folder;
    QTest::newRow("folder with dash") << QByteArray("six-ab") << ignored;
}

void tst_MediaTransfers::listing_rules()
{
    QFETCH(QByteArray, name);
    QTEST(int(ClassifyListing(name)), "kind");
}

void tst_MediaTransfers::time_left_and_percent_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("left");
    QTest::newRow("start") << qint64(0) << qint64(70000) << 0 << "10 Seconds Remaining";
    QTest::newRow("half") << qint64(35000) << qint64(70000) << 50 << "5 Seconds Remaining";
    QTest::newRow("minutes") << qint64(0) << qint64(1000000) << 0 << "2 Minutes 22 Seconds Remaining";
    QTest::newRow("almost") << qint64(99) << qint64(100) << 99 << "0 Seconds Remaining";
    QTest::newRow("unknown size") << qint64(10) << qint64(0) << 0 << "0 Seconds Remaining";
}

void tst_MediaTransfers::time_left_and_percent()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QTEST(TransferPercent(done, total), "percent");
    QTEST(TimeLeftText(std::max<qint64>(0, total - done)), "left");
}

void tst_MediaTransfers::missing_wave_is_fetched_over_http_and_played()
{
    QTemporaryDir web;
    writeFile(web.path() + "/Sound/ding.wav", "RIFF-ding");
    LoopbackHttpServer server(web.path());
    Rig rig;
    setUp(rig, 21);
    rig.host.httpPortNumber = server.port();
    rig.transfers.FetchMedia("ding.wav");
    QVERIFY(rig.transfers.HttpBusy());
    // A second announcement while the getter is busy is dropped.
    rig.transfers.FetchMedia("dong.wav");
    QTRY_COMPARE_WITH_TIMEOUT(rig.host.waves, QStringList{m_folder + "ding.wav"}, 10000);
    QCOMPARE(server.requests, QStringList{"/Sound/ding.wav"});
    QCOMPARE(readFile(m_folder + "ding.wav"), QByteArray("RIFF-ding"));
    QCOMPARE(entries(m_folder), QStringList{"ding.wav"});
    QVERIFY(rig.host.events.contains("send lamps"));
    QVERIFY(rig.host.events.contains("receive lamps"));
    QVERIFY(rig.host.events.contains("refill"));
}

void tst_MediaTransfers::failed_fetch_leaves_nothing()
{
    QTemporaryDir web;
    LoopbackHttpServer server(web.path());
    Rig rig;
    setUp(rig, 21);
    rig.host.httpPortNumber = server.port();
    rig.transfers.FetchMedia("none.wav");
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.HttpBusy(), 10000);
    QCOMPARE(entries(m_folder), QStringList());
    QVERIFY(rig.host.waves.isEmpty());
}

void tst_MediaTransfers::names_that_are_not_plain_are_refused()
{
    QTemporaryDir web;
    writeFile(web.path() + "/x.wav", "escaped");
    LoopbackHttpServer server(web.path());
    Rig rig;
    setUp(rig, m_haveFtp ? m_ftp.port() : 21);
    rig.host.httpPortNumber = server.port();
    rig.host.ftp = true;
    const QString outside = QFileInfo(m_folder + "../x.wav").absoluteFilePath();
    for (const QByteArray &name : {QByteArray("../x.wav"), QByteArray("/etc/x"),
                                   QByteArray("..\\x.wav"), QByteArray("a/../../x.mp3"),
                                   QByteArray(".."), QByteArray(".hidden.wav")})
        rig.transfers.FetchMedia(name);
    rig.transfers.FtpDownload("../abcde.mp3");
    QVERIFY(!rig.transfers.HttpBusy());
    QVERIFY(!rig.transfers.DownloaderBusy());
    QTest::qWait(200);
    QVERIFY(server.requests.isEmpty());
    QCOMPARE(entries(m_folder), QStringList());
    QVERIFY(!QFile::exists(outside));
    QVERIFY(!QFile::exists("/etc/x"));
}

void tst_MediaTransfers::page_download_lands_in_the_media_folder()
{
    QTemporaryDir web;
    writeFile(web.path() + "/files/Tune.mp3", "ID3-tune");
    writeFile(web.path() + "/files/have.mp3", "from the page");
    LoopbackHttpServer server(web.path());
    Rig rig;
    setUp(rig, 21);
    writeFile(m_folder + "have.mp3", "mine");
    const QString base = QStringLiteral("http://127.0.0.1:") + QString::number(server.port());

    // Not plain, or already there: nothing is asked for.
    for (const QString &name : {QStringLiteral("../Tune.mp3"), QStringLiteral(".Tune.mp3"), QStringLiteral("a/b.mp3")})
        QCOMPARE(rig.transfers.FetchFromPage(QUrl(base + "/files/Tune.mp3"), name), QStringLiteral("Transfer Failed"));
    QVERIFY(rig.transfers.FetchFromPage(QUrl(base + "/files/have.mp3"), "have.mp3").contains("already in the media folder"));
    QVERIFY(!rig.transfers.HttpBusy());

    QCOMPARE(rig.transfers.FetchFromPage(QUrl(base + "/files/Tune.mp3"), "Tune.mp3"), QString());
    // One transfer at a time.
    QCOMPARE(rig.transfers.FetchFromPage(QUrl(base + "/files/Tune.mp3"), "Other.mp3"), QStringLiteral("Transfer Failed"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.HttpBusy(), 10000);
    QCOMPARE(server.requests, QStringList{"/files/Tune.mp3"});
    QCOMPARE(readFile(m_folder + "Tune.mp3"), QByteArray("ID3-tune"));
    QCOMPARE(readFile(m_folder + "have.mp3"), QByteArray("mine"));
    QCOMPARE(entries(m_folder), (QStringList{"Tune.mp3", "have.mp3"}));
    // Kept and listed, not played.
    QVERIFY(rig.host.events.contains("refill"));
    QVERIFY(rig.host.events.contains("reload"));
    QVERIFY(rig.host.events.filter("playing:").isEmpty());
    QVERIFY(rig.host.messages.isEmpty());

    // A failed page download says so and leaves nothing.
    QCOMPARE(rig.transfers.FetchFromPage(QUrl(base + "/files/Gone.mp3"), "Gone.mp3"), QString());
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.HttpBusy(), 10000);
    QCOMPARE(rig.host.messages, QStringList{"Transfer Failed"});
    QCOMPARE(entries(m_folder), (QStringList{"Tune.mp3", "have.mp3"}));
}

void tst_MediaTransfers::song_is_downloaded_only_when_enabled_and_listed()
{
    NEED_FTP();
    Rig rig;
    setUp(rig, m_ftp.port());
    // Transfers not enabled: nothing happens.
    rig.transfers.FetchMedia("abcde.mp3");
    QVERIFY(!rig.transfers.ListerBusy());
    QVERIFY(!rig.transfers.DownloaderBusy());

    // Enabled with an empty list: the list is fetched first.
    rig.host.ftp = true;
    rig.transfers.FetchMedia("abcde.mp3");
    QVERIFY(rig.transfers.View.listing);
    QTRY_COMPARE_WITH_TIMEOUT(rig.player.opened, QStringList{m_folder + "abcde.mp3"}, 10000);
    QCOMPARE(readFile(m_folder + "abcde.mp3"), QByteArray("five letters"));
    QVERIFY(!rig.transfers.View.downloadVisible);
    QVERIFY(!rig.transfers.View.stopEnabled);
    QVERIFY(rig.host.events.contains("reload"));

    // Not on the list (three letters): not downloaded.
    rig.transfers.FetchMedia("abc.mp3");
    QVERIFY(!rig.transfers.DownloaderBusy());
    // Not on the server at all.
    rig.transfers.FetchMedia("other.mp3");
    QVERIFY(!rig.transfers.DownloaderBusy());
    QTest::qWait(200);
    QCOMPARE(entries(m_folder), QStringList{"abcde.mp3"});
    QVERIFY(rig.host.messages.isEmpty());
}

void tst_MediaTransfers::announced_song_through_the_renderer()
{
    NEED_FTP();
    Rig rig;
    setUp(rig, m_ftp.port());
    rig.host.ftp = true;
    MediaChatHost chatHost(rig.transfers, rig.media);
    ChatSession session(&chatHost);
    session.MediaFolder = m_folder;
    TDispAnsi renderer(session);
    renderer.SoundsOn = true;
    renderer.Show("\033[2Bob\033[1> `movie.avi");
    QTRY_COMPARE_WITH_TIMEOUT(rig.host.videos, QStringList{m_folder + "movie.avi"}, 10000);
    // Announced again: now it is on disk and goes to the media manager.
    renderer.Show("\033[2Bob\033[1> `movie.avi");
    QCOMPARE(rig.host.videos.size(), 2);
}

void tst_MediaTransfers::song_list_skips_local_files_and_finds_folders()
{
    NEED_FTP();
    writeFile(m_folder + "HAVE.mp3", "mine");
    Rig rig;
    setUp(rig, m_ftp.port());
    rig.transfers.RefreshServerList();
    QVERIFY(rig.transfers.View.listing);
    QVERIFY(rig.host.events.contains("save"));
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(names(rig.transfers.View.files), (QStringList{"abcde.mp3", "movie.avi"}));
    QCOMPARE(rig.transfers.View.folders, (QStringList{"Media", "Media/Rockers"}));
    QCOMPARE(rig.transfers.View.filesListed, QStringLiteral("2 Files Listed"));
    // Listing again does not add the folder twice.
    rig.transfers.RefreshServerList();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(rig.transfers.View.folders, (QStringList{"Media", "Media/Rockers"}));
}

void tst_MediaTransfers::folder_change_lists_the_sub_folder()
{
    NEED_FTP();
    Rig rig;
    setUp(rig, m_ftp.port());
    rig.transfers.RefreshServerList();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    rig.transfers.SelectFolder("Media/Rockers");
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(names(rig.transfers.View.files), QStringList{"stones.mp3"});
    // A download now comes from the sub-folder.
    rig.host.ftp = true;
    rig.transfers.FtpDownload("stones.mp3");
    QTRY_COMPARE_WITH_TIMEOUT(readFile(m_folder + "stones.mp3"), QByteArray("deeper"), 10000);
}

void tst_MediaTransfers::download_on_request_announces_the_row()
{
    NEED_FTP();
    Rig rig;
    setUp(rig, m_ftp.port());
    rig.transfers.RefreshServerList();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    int row = -1;
    for (int i = 0; i < rig.transfers.View.files.size(); ++i)
        if (rig.transfers.View.files[i].name == "abcde.mp3")
            row = i;
    QVERIFY(row >= 0);
    rig.transfers.DownloadOnRequest(row);
    QVERIFY(rig.host.ftp);
    QCOMPARE(rig.host.chat, QList<QByteArray>{"`abcde.mp3"});
    QCOMPARE(rig.transfers.View.files[row].icon, 2);
    QVERIFY(rig.host.events.contains("save"));
}

void tst_MediaTransfers::upload_goes_to_incoming()
{
    NEED_FTP();
    writeFile(m_folder + "mine.mp3", QByteArray(20000, 'm'));
    Rig rig;
    setUp(rig, m_ftp.port());
    rig.transfers.Upload("mine.mp3");
    QCOMPARE(rig.transfers.UploadName, QStringLiteral("mine.mp3"));
    QVERIFY(rig.transfers.View.uploadVisible);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.uploadVisible, 10000);
    QCOMPARE(readFile(m_serverRoot->path() + "/Incoming/mine.mp3"), QByteArray(20000, 'm'));
    QVERIFY(rig.host.messages.isEmpty());

    // Nothing highlighted: nothing sent.
    rig.transfers.Upload(QString());
    QVERIFY(!rig.transfers.View.uploadVisible);
    // A file that is not there fails at once.
    rig.transfers.Upload("gone.mp3");
    QCOMPARE(rig.host.messages, QStringList{"Upload Transfer Failed"});
}

void tst_MediaTransfers::stopped_download_leaves_no_file()
{
    if (!LocalFtpServer::unavailableReason().isEmpty())
        QSKIP(qPrintable(LocalFtpServer::unavailableReason()));
    QTemporaryDir root;
    writeFile(root.path() + "/Media/longsong.mp3", QByteArray(300000, 's'));
    LocalFtpServer slow;
    QVERIFY(slow.start(root.path(), QString(), 20000));
    Rig rig;
    setUp(rig, slow.port());
    rig.host.ftp = true;
    rig.transfers.FetchMedia("longsong.mp3");
    QTRY_VERIFY_WITH_TIMEOUT(rig.transfers.View.downloadPercent > 0, 10000);
    QVERIFY(rig.transfers.View.downloadVisible);
    QVERIFY(rig.transfers.View.stopEnabled);
    QCOMPARE(rig.transfers.View.label, QStringLiteral("Transfering longsong.mp3"));
    QVERIFY(rig.transfers.View.labelHint.endsWith(" bytes of 300000 transferred"));
    QVERIFY(rig.transfers.View.downloadHint.endsWith("Seconds Remaining"));
    rig.transfers.StopTransfer();
    QVERIFY(!rig.transfers.View.downloadVisible);
    QVERIFY(rig.transfers.View.label.isEmpty());
    QVERIFY(!rig.transfers.DownloaderBusy());
    QTRY_COMPARE_WITH_TIMEOUT(entries(m_folder), QStringList(), 10000);
    QVERIFY(rig.player.opened.isEmpty());
    QVERIFY(rig.host.messages.isEmpty());
}

void tst_MediaTransfers::lister_failures_are_reported()
{
    Rig rig;
    setUp(rig, LoopbackServer::unusedPort());
    rig.transfers.RefreshServerList();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(rig.host.messages, QStringList{"FTP Connection Failed"});
    QVERIFY(rig.host.notes.isEmpty());

    // A list nobody asked for (the page opened): no window, a notice that
    // names the host, the port and the setting.
    rig.host.messages.clear();
    rig.transfers.RefreshServerList(false);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QVERIFY(rig.host.messages.isEmpty());
    QCOMPARE(rig.host.notes.size(), 1);
    QVERIFY2(rig.host.notes[0].startsWith("FTP Connection Failed: " + rig.host.host + " port "
                                            + QString::number(rig.host.ftpPortNumber)),
             qPrintable(rig.host.notes[0]));
    QVERIFY(rig.host.notes[0].contains("FtpPort"));
    rig.host.messages.clear();

    if (!m_haveFtp)
        return;
    QTemporaryDir root;
    LocalFtpServer members;
    QVERIFY(members.start(root.path(), QStringLiteral("member")));
    rig.host.ftpPortNumber = members.port();
    rig.host.messages.clear();
    rig.transfers.RefreshServerList();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(rig.host.messages, QStringList{"FTP Authentication Failed"});

    // A folder the server does not have.
    rig.host.ftpPortNumber = m_ftp.port();
    rig.host.messages.clear();
    rig.transfers.View.folders << "Media/Nowhere";
    rig.transfers.SelectFolder("Media/Nowhere");
    QTRY_VERIFY_WITH_TIMEOUT(!rig.transfers.View.listing, 10000);
    QCOMPARE(rig.host.messages, QStringList{"Get File List Failed"});
}

VT_TEST_MAIN(tst_MediaTransfers)
#include "tst_mediatransfers.moc"
