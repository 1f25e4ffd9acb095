#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FtpClient.h"
#include "HttpGetter.h"
#include "LocalFtpServer.h"
#include "LoopbackHttpServer.h"
#include "LoopbackServer.h"
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

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

} // namespace

class tst_Transfers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void ftp_lists_a_folder();
    void ftp_downloads_binary_into_place();
    void ftp_missing_file_fails_and_leaves_nothing();
    void ftp_uploads_into_incoming();
    void ftp_abort_leaves_no_file();
    void ftp_rejected_login_and_refused_connection();
    void ftp_refuses_names_that_are_not_plain();
    void ftp_is_busy_while_one_operation_runs();

    void http_fetches_into_place();
    void http_missing_file_leaves_nothing();
    void http_abort_leaves_no_file();

private:
    std::unique_ptr<QTemporaryDir> m_serverRoot;
    std::unique_ptr<QTemporaryDir> m_local;
    LocalFtpServer m_ftp;
    FtpClient::Site site() const { return {QStringLiteral("127.0.0.1"), m_ftp.port()}; }
};

void tst_Transfers::initTestCase()
{
    m_serverRoot = std::make_unique<QTemporaryDir>();
    const QString root = m_serverRoot->path();
    writeFile(root + "/Media/first.mp3", pattern(70000));
    writeFile(root + "/Media/second song.mp3", "abc");
    writeFile(root + "/Media/Rock/deep.mp3", "deep");
    QDir().mkpath(root + "/Incoming");
    const QString why = LocalFtpServer::unavailableReason();
    if (!why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY2(m_ftp.start(root), "the local FTP server did not start");
}

void tst_Transfers::init()
{
    m_local = std::make_unique<QTemporaryDir>();
}

void tst_Transfers::cleanup()
{
    m_local.reset();
}

void tst_Transfers::ftp_lists_a_folder()
{
    FtpClient client;
    QSignalSpy listed(&client, &FtpClient::listed);
    QSignalSpy finished(&client, &FtpClient::finished);
    QVERIFY(client.list(site(), QStringLiteral("Media")));
    QVERIFY(client.busy());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::Done);
    QVERIFY(!client.busy());
    auto names = listed.at(0).at(0).value<QList<QByteArray>>();
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (QList<QByteArray>{"Rock", "first.mp3", "second song.mp3"}));

    QVERIFY(client.list(site(), QStringLiteral("Media/Rock")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QCOMPARE(listed.at(1).at(0).value<QList<QByteArray>>(), QList<QByteArray>{"deep.mp3"});
}

void tst_Transfers::ftp_downloads_binary_into_place()
{
    FtpClient client;
    QSignalSpy progress(&client, &FtpClient::progress);
    QSignalSpy finished(&client, &FtpClient::finished);
    const QString target = m_local->path() + "/first.mp3";
    QVERIFY(client.download(site(), QStringLiteral("Media"), QStringLiteral("first.mp3"), target));
    // Until it is complete only the hidden temporary file exists.
    QVERIFY(!QFile::exists(target));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::Done);
    QCOMPARE(readFile(target), pattern(70000));
    QCOMPARE(folderEntries(m_local->path()), QStringList{"first.mp3"});
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), 70000);
    QCOMPARE(progress.last().at(1).toLongLong(), 70000);

    // A name with a blank travels escaped.
    QVERIFY(client.download(site(), QStringLiteral("Media"), QStringLiteral("second song.mp3"),
                            m_local->path() + "/second song.mp3"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QCOMPARE(readFile(m_local->path() + "/second song.mp3"), QByteArray("abc"));
}

void tst_Transfers::ftp_missing_file_fails_and_leaves_nothing()
{
    FtpClient client;
    QSignalSpy finished(&client, &FtpClient::finished);
    QVERIFY(client.download(site(), QStringLiteral("Media"), QStringLiteral("gone.mp3"),
                            m_local->path() + "/gone.mp3"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::Failed);
    QVERIFY(!client.lastError().isEmpty());
    QCOMPARE(folderEntries(m_local->path()), QStringList());
}

void tst_Transfers::ftp_uploads_into_incoming()
{
    FtpClient client;
    QSignalSpy finished(&client, &FtpClient::finished);
    QSignalSpy progress(&client, &FtpClient::progress);
    const QString source = m_local->path() + "/mine.mp3";
    writeFile(source, pattern(30000));
    QVERIFY(client.upload(site(), QStringLiteral("Incoming"), source, QStringLiteral("mine.mp3")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::Done);
    QCOMPARE(readFile(m_serverRoot->path() + "/Incoming/mine.mp3"), pattern(30000));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toLongLong(), 30000);
}

void tst_Transfers::ftp_abort_leaves_no_file()
{
    // A slow server, so that the download is still running when it is stopped.
    QTemporaryDir root;
    writeFile(root.path() + "/Media/slow.mp3", pattern(400000));
    LocalFtpServer slow;
    QVERIFY(slow.start(root.path(), QString(), 20000));
    FtpClient client;
    QSignalSpy progress(&client, &FtpClient::progress);
    QSignalSpy finished(&client, &FtpClient::finished);
    const QString target = m_local->path() + "/slow.mp3";
    QVERIFY(client.download({QStringLiteral("127.0.0.1"), slow.port()}, QStringLiteral("Media"),
                            QStringLiteral("slow.mp3"), target));
    QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0).toLongLong() > 0, 10000);
    client.abort();
    QVERIFY(!client.busy());
    QTRY_COMPARE_WITH_TIMEOUT(folderEntries(m_local->path()), QStringList(), 10000);
    QTest::qWait(200);
    QVERIFY(finished.isEmpty());
    QVERIFY(!QFile::exists(target));
}

void tst_Transfers::ftp_rejected_login_and_refused_connection()
{
    QTemporaryDir root;
    LocalFtpServer closed;
    QVERIFY(closed.start(root.path(), QStringLiteral("member")));
    FtpClient client;
    QSignalSpy finished(&client, &FtpClient::finished);
    QVERIFY(client.list({QStringLiteral("127.0.0.1"), closed.port()}, QStringLiteral("Media")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::LoginDenied);

    QVERIFY(client.list({QStringLiteral("127.0.0.1"), LoopbackServer::unusedPort()}, QStringLiteral("Media")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QCOMPARE(finished.at(1).at(0).value<FtpClient::Outcome>(), FtpClient::Outcome::ConnectFailed);
}

void tst_Transfers::ftp_refuses_names_that_are_not_plain()
{
    FtpClient client;
    const QString target = m_local->path() + "/x.mp3";
    QVERIFY(!client.download(site(), QStringLiteral("Media"), QStringLiteral("../x.mp3"), target));
    QVERIFY(!client.download(site(), QStringLiteral("../Media"), QStringLiteral("x.mp3"), target));
    QVERIFY(!client.download(site(), QStringLiteral("Media"), QStringLiteral("a/b.mp3"), target));
    QVERIFY(!client.download({QStringLiteral("host/evil"), 21}, QStringLiteral("Media"),
                             QStringLiteral("x.mp3"), target));
    QVERIFY(!client.upload(site(), QStringLiteral("Incoming"), target, QStringLiteral("x.mp3")));
    QVERIFY(!client.busy());
    QCOMPARE(folderEntries(m_local->path()), QStringList());
}

void tst_Transfers::ftp_is_busy_while_one_operation_runs()
{
    FtpClient client;
    QSignalSpy finished(&client, &FtpClient::finished);
    QVERIFY(client.list(site(), QStringLiteral("Media")));
    QVERIFY(!client.list(site(), QStringLiteral("Media")));
    QVERIFY(!client.download(site(), QStringLiteral("Media"), QStringLiteral("first.mp3"),
                             m_local->path() + "/first.mp3"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(folderEntries(m_local->path()), QStringList());
}

void tst_Transfers::http_fetches_into_place()
{
    QTemporaryDir web;
    writeFile(web.path() + "/Sound/ding.wav", pattern(5000));
    LoopbackHttpServer server(web.path());
    HttpGetter getter;
    QSignalSpy finished(&getter, &HttpGetter::finished);
    const QString target = m_local->path() + "/ding.wav";
    QVERIFY(getter.get(server.url(QStringLiteral("/Sound/ding.wav")),
                       target));
    QVERIFY(getter.busy());
    QVERIFY(!QFile::exists(target));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(readFile(target), pattern(5000));
    QCOMPARE(folderEntries(m_local->path()), QStringList{"ding.wav"});
    QCOMPARE(server.requests, QStringList{"/Sound/ding.wav"});
}

void tst_Transfers::http_missing_file_leaves_nothing()
{
    QTemporaryDir web;
    LoopbackHttpServer server(web.path());
    HttpGetter getter;
    QSignalSpy finished(&getter, &HttpGetter::finished);
    QVERIFY(getter.get(server.url(QStringLiteral("/Sound/none.wav")),
                       m_local->path() + "/none.wav"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(folderEntries(m_local->path()), QStringList());
}

void tst_Transfers::http_abort_leaves_no_file()
{
    QTemporaryDir web;
    writeFile(web.path() + "/Sound/long.wav", pattern(100000));
    LoopbackHttpServer server(web.path());
    server.stallAfterBytes = 1000;
    HttpGetter getter;
    QSignalSpy finished(&getter, &HttpGetter::finished);
    QVERIFY(getter.get(server.url(QStringLiteral("/Sound/long.wav")),
                       m_local->path() + "/long.wav"));
    // Asked for and answered in part.
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 1, 10000);
    QTest::qWait(300);
    QVERIFY(getter.busy());
    getter.abort();
    QVERIFY(!getter.busy());
    QCOMPARE(folderEntries(m_local->path()), QStringList());
    QTest::qWait(100);
    QVERIFY(finished.isEmpty());
}

VT_TEST_MAIN(tst_Transfers)
#include "tst_transfers.moc"
