// The chat room client against the local service started in-process: two
// room windows, a sysop's and a plain user's, join the service's rooms, see
// each other grouped by role, chat, and the sysop moves the user between
// the speakers and the audience.

#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "AccountStore.h"
#include "Fakes.h"
#include "GreyMsg.h"
#include "LocalService.h"
#include "ParloraU.h"
#include "Platform.h"
#include "TestMain.h"
#include "UserListView.h"
#include "VtServer.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

QList<QByteArray> captions(const TParloras &window)
{
    QList<QByteArray> list;
    for (const RoomMembers::Row &row : window.memberRows())
        list.append(row.caption);
    return list;
}

void selectOnly(TParloras &window, const QByteArray &caption)
{
    window.Memo6->clearSelection();
    for (int row = 0; row < window.Memo6->rowCount(); ++row)
        if (window.Memo6->caption(row) == caption)
            window.Memo6->topLevelItem(row)->setSelected(true);
}

// Opens the member menu as a right click does and chooses an entry.
bool choose(TParloras &window, const QString &entry)
{
    window.PopupMenu2Popup();
    for (QAction *action : window.PopupMenu2->actions()) {
        if (action->text() == entry && action->isEnabled()) {
            action->trigger();
            return true;
        }
    }
    return false;
}

bool hasNotice(const TParloras &window, const QString &caption, const QString &text)
{
    for (const TfrmGreyMsg *notice : window.findChildren<TfrmGreyMsg *>())
        if (notice->windowTitle() == caption && notice->text() == text)
            return true;
    return false;
}

} // namespace

class TestE2eParlora : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void guestChatsAndIsMovedToTheAudience();
    void audienceIsLetSpeakInTheForum();

private:
    std::unique_ptr<TParloras> join(int room, const QByteArray &user);

    QTemporaryDir m_data;
    std::unique_ptr<VtServer> m_server;
    FakeSoundPlayer m_sound;
    FakeDialogs m_dialogs;
};

void TestE2eParlora::initTestCase()
{
    Waits::setTimeScale(0.3);
    Platform::setSound(&m_sound);
    UserDialogs::setCurrent(&m_dialogs);
    QVERIFY(m_data.isValid());
    {
        // Sam is the sysop, Ann a plain user.
        AccountStore accounts(m_data.filePath(QStringLiteral("accounts.sqlite")), 1);
        QVERIFY(accounts.open());
        AccountStore::Account account;
        QCOMPARE(accounts.login("Sam", "pw", &account), AccountStore::Check::Created);
        QCOMPARE(accounts.login("Ann", "pw", &account), AccountStore::Check::Created);
        QVERIFY(accounts.setRank("Sam", AccountStore::SysopRank));
        QVERIFY(accounts.setRank("Ann", AccountStore::UserRankPlain));
    }
    const ServerOptions options = LocalService::OnFreePorts(m_data.path(), 1);
    m_server = std::make_unique<VtServer>(options);
    QString error;
    QVERIFY2(m_server->start(&error), qPrintable(error));
    QVERIFY(m_server->roomCount() >= 2);
}

void TestE2eParlora::cleanupTestCase()
{
    if (m_server)
        m_server->stop();
    m_server.reset();
    Platform::setSound(nullptr);
    UserDialogs::setCurrent(nullptr);
}

std::unique_ptr<TParloras> TestE2eParlora::join(int room, const QByteArray &user)
{
    auto window = std::make_unique<TParloras>(QStringList{
        QStringLiteral("127.0.0.1"), QString::number(m_server->roomPort(room)),
        QString::fromLatin1(user), QStringLiteral("pw")});
    window->show();
    window->FormActivate();
    return window;
}

void TestE2eParlora::guestChatsAndIsMovedToTheAudience()
{
    auto sam = join(0, "Sam");
    QTRY_COMPARE_WITH_TIMEOUT(sam->windowTitle(), QStringLiteral("Public Lobby"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*sam).contains("$Sam"), 10000);
    QVERIFY(sam->LockGranted);   // moderators are offered the lock
    QCOMPARE(sam->OwnLevel(), 9);

    auto ann = join(0, "Ann");
    QTRY_COMPARE_WITH_TIMEOUT(ann->windowTitle(), QStringLiteral("Public Lobby"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*ann).contains("Ann"), 10000);
    QCOMPARE(ann->OwnLevel(), 2);
    QVERIFY(!ann->LockGranted);
    QVERIFY(ann->Memo5->toPlainText().contains(QLatin1String("Welcome to Public Lobby")));

    // Grouped: the speakers, then the guests and the audience under their headings.
    const QList<QByteArray> grouped{"-- Speakers --", "$Sam", "-- Guest --", "Ann",
                                    "-- Audience --"};
    QTRY_COMPARE(captions(*sam), grouped);
    QCOMPARE(sam->Panel9->text(), QStringLiteral("2 Clients"));
    for (const RoomMembers::Row &row : sam->memberRows())
        QCOMPARE(RoomMembers::IsHeading(row.data), row.caption.startsWith("--"));

    // A guest speaks.
    ann->Memo4->setPlainText(QStringLiteral("hello theatre"));
    ann->SendButtonClick();
    QTRY_VERIFY_WITH_TIMEOUT(sam->Memo5->toPlainText().contains(QLatin1String("hello theatre")),
                             10000);

    // The sysop moves her to the audience; she is told in a grey window.
    selectOnly(*sam, "Ann");
    QVERIFY(choose(*sam, QStringLiteral("Make Audience")));
    QTRY_VERIFY_WITH_TIMEOUT(
        hasNotice(*ann, QStringLiteral("Public Lobby"), QStringLiteral("You are in the audience now.")),
        10000);
    QTRY_COMPARE(ann->OwnLevel(), 1);
    QTRY_COMPARE(captions(*sam),
                 (QList<QByteArray>{"-- Speakers --", "$Sam", "-- Guest --", "-- Audience --", "Ann"}));

    // From the audience nothing goes out: the server never sees the line.
    ann->Memo4->setPlainText(QStringLiteral("may I speak"));
    ann->SendButtonClick();
    QVERIFY(ann->Memo4->toPlainText().isEmpty());
    QTest::qWait(500);
    QVERIFY(!sam->Memo5->toPlainText().contains(QLatin1String("may I speak")));
    QVERIFY(!ann->Memo5->toPlainText().contains(QLatin1String("You are in the audience;")));
    // ...and her member menu stays empty.
    selectOnly(*ann, "$Sam");
    ann->PopupMenu2Popup();
    QVERIFY(ann->PopupMenu2->isEmpty());
}

void TestE2eParlora::audienceIsLetSpeakInTheForum()
{
    auto sam = join(1, "Sam");
    QTRY_COMPARE_WITH_TIMEOUT(sam->windowTitle(), QStringLiteral("Forum"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*sam).contains("$Sam"), 10000);
    auto ann = join(1, "Ann");
    QTRY_COMPARE_WITH_TIMEOUT(ann->windowTitle(), QStringLiteral("Forum"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(captions(*ann).contains("Ann"), 10000);
    QCOMPARE(ann->OwnLevel(), 1);   // the forum seats newcomers in the audience

    QTRY_VERIFY(captions(*sam).contains("Ann"));
    selectOnly(*sam, "Ann");
    QVERIFY(choose(*sam, QStringLiteral("Make Speaker")));
    QTRY_VERIFY_WITH_TIMEOUT(
        hasNotice(*ann, QStringLiteral("Forum"), QStringLiteral("You may speak now.")), 10000);
    QTRY_COMPARE(ann->OwnLevel(), 3);

    ann->Memo4->setPlainText(QStringLiteral("thank you"));
    ann->SendButtonClick();
    QTRY_VERIFY_WITH_TIMEOUT(sam->Memo5->toPlainText().contains(QLatin1String("thank you")),
                             10000);

    // Closing her window takes her out of the room.
    ann->close();
    QTRY_VERIFY_WITH_TIMEOUT(!captions(*sam).contains("Ann"), 10000);
}

VT_TEST_MAIN(TestE2eParlora)
#include "tst_e2e_parlora.moc"
