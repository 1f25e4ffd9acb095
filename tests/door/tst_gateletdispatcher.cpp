// How the light terminal splits a chunk: screen bytes, chat, the caption,
// the password request, and lock offers taken out in one pass.

#include <QtTest>

#include "GateletDispatcher.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"

namespace {

// What the light terminal's dispatcher decided, one line per action.
class Recorder : public GateletDispatchTarget
{
public:
    void passwordRequested() override { actions.append("password"); }
    void captionReceived(const QByteArray &caption) override { actions.append("caption:" + caption); }
    void screenData(const QByteArray &bytes) override { actions.append("screen:" + bytes); }
    QList<QByteArray> actions;
};

const QByteArray CM = Marker::ChatMarker;
const QByteArray LO = Marker::LockOffer;
const QByteArray TM = Marker::TitleMarker;
const QByteArray PM = Marker::PasswordMarker;

} // namespace

class TestGateletDispatcher : public QObject
{
    Q_OBJECT
private slots:
    void gateletDispatch_data();
    void gateletDispatch();
    void lockOffersGoInOnePass();
};

void TestGateletDispatcher::gateletDispatch_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<QList<QByteArray>>("actions");
    using L = QList<QByteArray>;
    QTest::newRow("screen") << QByteArray("\x1b[2Jhello") << L{"screen:\x1b[2Jhello"};
    QTest::newRow("chat in the middle")
        << QByteArray("A" + CM + "chat line\r\nB") << L{"screen:A", "screen:chat line\r\nB"};
    QTest::newRow("chat at the start") << QByteArray(CM + "hi") << L{"screen:hi"};
    QTest::newRow("player list unchanged")
        << QByteArray(CM + "\x1b[L$Ann=13;0;1500\x1b]") << L{"screen:\x1b[L$Ann=13;0;1500\x1b]"};
    QTest::newRow("two chat markers")
        << QByteArray("A" + CM + "b" + CM + "c") << L{"screen:A", "screen:b", "screen:c"};
    QTest::newRow("marker alone") << CM << L{};
    QTest::newRow("lock offer between screen bytes") << QByteArray("AB" + LO + "CD") << L{"screen:ABCD"};
    QTest::newRow("lock offer alone") << LO << L{};
    QTest::newRow("caption")
        << QByteArray("lost" + TM + "Door - Mines\r\nscreen") << L{"caption:Door - Mines", "screen:screen"};
    QTest::newRow("caption without line end") << QByteArray(TM + "Door") << L{"caption:Door"};
    QTest::newRow("caption after a lock offer")
        << QByteArray(LO + TM + "T\r\n" + LO + "x") << L{"caption:T", "screen:x"};
    QTest::newRow("password drops the rest") << QByteArray(PM + "more" + CM + "x") << L{"password"};
    QTest::newRow("password after the chat marker")
        << QByteArray("A" + CM + PM + "rest") << L{"screen:A", "password"};
    QTest::newRow("password in the middle is screen data")
        << QByteArray("A" + PM) << L{"screen:A" + PM};
    QTest::newRow("lock offer inside the password marker")
        << QByteArray("\xef\xee" + LO + "\xed" + "x") << L{"password"};
}

void TestGateletDispatcher::gateletDispatch()
{
    QFETCH(QByteArray, chunk);
    Recorder recorder;
    GateletDispatcher dispatcher(recorder);
    dispatcher.dispatch(chunk);
    QTEST(recorder.actions, "actions");
}

void TestGateletDispatcher::lockOffersGoInOnePass()
{
    // Taking out the inner offer joins the outer one, which goes too.
    QCOMPARE(GateletDispatcher::WithoutLockOffers("a\xe2\xf7" + LO + "\xf8z"), QByteArray("az"));
    QCOMPARE(GateletDispatcher::WithoutLockOffers("\xe2\xf7\xf8\xe2\xf7\xf8"), QByteArray());
    QCOMPARE(GateletDispatcher::WithoutLockOffers("\xe2\xf7 \xf8"), QByteArray("\xe2\xf7 \xf8"));
    // A long chunk of offers is handled in one pass.
    QByteArray many;
    for (int i = 0; i < 100000; ++i)
        many += LO;
    QCOMPARE(GateletDispatcher::WithoutLockOffers(many + "x"), QByteArray("x"));
}

VT_TEST_MAIN(TestGateletDispatcher)
#include "tst_gateletdispatcher.moc"
