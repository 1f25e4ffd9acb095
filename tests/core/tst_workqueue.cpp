// The work queue: the order of what jobs and their posts do, slices that
// give the event loop its turns, the backlog's marks, and a modal loop
// inside a job. Also the marker search the dispatchers walk chunks with.

#include <QtTest>

#include <QEventLoop>

#include "MarkerSearch.h"
#include "ProtocolMarkers.h"
#include "TestMain.h"
#include "WorkQueue.h"

class TestWorkQueue : public QObject
{
    Q_OBJECT
private slots:
    void shortWorkIsDoneAtOnce();
    void postsComeRightAfterTheirJob();
    void longJobsGiveTheLoopItsTurns();
    void backlogMarksPauseAndResume();
    void aModalLoopInsideAJobGoesOn();
    void stopDropsTheRest();

    void markerSearchAnswersAsAPlainSearch_data();
    void markerSearchAnswersAsAPlainSearch();
    void lockOffersAsTakenOneByOne_data();
    void lockOffersAsTakenOneByOne();
};

void TestWorkQueue::shortWorkIsDoneAtOnce()
{
    WorkQueue queue;
    QStringList done;
    queue.enqueue([&] { done << "a"; });
    queue.enqueue([&] { done << "b"; });
    QCOMPARE(done, QStringList({"a", "b"}));
    QVERIFY(queue.isEmpty());
}

void TestWorkQueue::postsComeRightAfterTheirJob()
{
    WorkQueue queue;
    QStringList done;
    // A job that takes two slices holds the queue; what comes meanwhile waits.
    int steps = 0;
    queue.enqueue([&](const QDeadlineTimer &) {
        done << QStringLiteral("long %1").arg(++steps);
        return steps == 2;
    });
    queue.enqueue([&] {
        done << "chunk 1";
        queue.post([&] {
            done << "effect 1a";
            queue.post([&] { done << "effect 1a inner"; });
        });
        queue.post([&] { done << "effect 1b"; });
    });
    queue.enqueue([&] { done << "chunk 2"; });
    QTRY_VERIFY(queue.isEmpty());
    QCOMPARE(done, QStringList({"long 1", "long 2", "chunk 1", "effect 1a", "effect 1a inner",
                                "effect 1b", "chunk 2"}));
}

void TestWorkQueue::longJobsGiveTheLoopItsTurns()
{
    WorkQueue queue;
    int turns = 0;
    QTimer counter;
    counter.setInterval(0);
    connect(&counter, &QTimer::timeout, this, [&] { ++turns; });
    counter.start();
    int left = 200;
    // Each step keeps the queue busy for a millisecond; the whole job takes
    // ten slices or more.
    queue.enqueue([&](const QDeadlineTimer &deadline) {
        do {
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 1) {
            }
        } while (--left > 0 && !deadline.hasExpired());
        return left == 0;
    });
    QVERIFY(!queue.isEmpty());
    const int turnsBefore = turns;
    QTRY_VERIFY(queue.isEmpty());
    QVERIFY2(turns - turnsBefore >= 5, QByteArray::number(turns - turnsBefore).constData());
}

void TestWorkQueue::backlogMarksPauseAndResume()
{
    WorkQueue queue;
    int drained = 0;
    connect(&queue, &WorkQueue::drained, this, [&] { ++drained; });
    bool release = false;
    // The first job waits until released, so the rest piles up.
    queue.enqueue([&](const QDeadlineTimer &) { return release; }, 10);
    for (int i = 0; i < 5; ++i)
        queue.enqueue([] {}, WorkQueue::HighWater / 4);
    QVERIFY(queue.aboveHighWater());
    QCOMPARE(queue.backlog(), 10 + 5 * (WorkQueue::HighWater / 4));
    QTest::qWait(20);
    QCOMPARE(drained, 0);
    release = true;
    QTRY_VERIFY(queue.isEmpty());
    QCOMPARE(queue.backlog(), 0);
    QCOMPARE(drained, 1);

    // A chunk's bytes stay until what its dispatch posted is shown too.
    bool shown = false;
    queue.enqueue(
        [&] {
            queue.post([&](const QDeadlineTimer &) { return shown; });
        },
        WorkQueue::HighWater);
    QVERIFY(queue.aboveHighWater());
    QTest::qWait(20);
    QVERIFY(queue.aboveHighWater());
    shown = true;
    QTRY_VERIFY(queue.isEmpty());
    QCOMPARE(queue.backlog(), 0);
    QCOMPARE(drained, 2);
}

void TestWorkQueue::aModalLoopInsideAJobGoesOn()
{
    WorkQueue queue;
    QStringList done;
    queue.enqueue([&] {
        done << "dialog opens";
        QEventLoop dialog;
        // A read during the dialog: done inside the dialog's loop.
        QTimer::singleShot(0, [&] { queue.enqueue([&] { done << "later chunk"; }); });
        QTimer::singleShot(30, &dialog, &QEventLoop::quit);
        dialog.exec();
        done << "dialog closed";
    });
    QTRY_VERIFY(queue.isEmpty());
    QCOMPARE(done, QStringList({"dialog opens", "later chunk", "dialog closed"}));
}

void TestWorkQueue::stopDropsTheRest()
{
    WorkQueue queue;
    QStringList done;
    queue.enqueue([&] {
        done << "closing";
        queue.post([&] { done << "never"; });
        queue.stop();
    });
    queue.enqueue([&] { done << "never either"; }, 100);
    QTest::qWait(10);
    QCOMPARE(done, QStringList({"closing"}));
    QCOMPARE(queue.backlog(), 0);
}

void TestWorkQueue::markerSearchAnswersAsAPlainSearch_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("markers here and there") << QByteArray("ab\\SpawnNode cd ab ab\\Spawn x ab");
    QTest::newRow("none") << QByteArray("plain text only");
    QTest::newRow("at the very end") << QByteArray("xxxxab");
}

// Asked at every position, forwards, backwards and through views of the
// rest, the search gives what indexOf gives.
void TestWorkQueue::markerSearchAnswersAsAPlainSearch()
{
    QFETCH(QByteArray, text);
    const QByteArray markers[] = {"ab", "\\SpawnNode", "zz"};
    MarkerSearch search(text);
    for (qsizetype pos = 0; pos <= text.size(); ++pos)
        for (const QByteArray &marker : markers) {
            QCOMPARE(search.at(marker, pos), text.indexOf(marker, pos));
            const QByteArrayView rest = QByteArrayView(text).sliced(pos);
            QCOMPARE(search.in(rest, marker), rest.indexOf(marker));
        }
    for (qsizetype pos = text.size(); pos >= 0; --pos)
        QCOMPARE(search.at(markers[0], pos), text.indexOf(markers[0], pos));
    // A view that does not run to the end is searched as it is.
    const QByteArrayView inner = QByteArrayView(text).first(text.size() / 2);
    QCOMPARE(search.in(inner, markers[0]), inner.indexOf(markers[0]));
}

void TestWorkQueue::lockOffersAsTakenOneByOne_data()
{
    const QByteArray lock = Marker::LockOffer;
    const QByteArray password = Marker::PasswordMarker;
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("none") << QByteArray("screen");
    QTest::newRow("several") << "a" + lock + "b" + lock + lock + "c";
    QTest::newRow("taking one out makes one") << "x\xe2\xf7" + lock + "\xf8y" + lock;
    QTest::newRow("password after the first") << lock + password + "rest" + lock;
    QTest::newRow("password made by a take-out") << "\xef\xee" + lock + "\xed" + lock;
    QTest::newRow("password further on") << "abc" + lock + password + lock;
}

// The one pass gives the text, the count and the stop that taking the first
// offer out again and again (and looking for the password request at the
// start after each) gives.
void TestWorkQueue::lockOffersAsTakenOneByOne()
{
    QFETCH(QByteArray, text);
    QByteArray slow = text;
    int count = 0;
    bool passwordFirst = false;
    for (qsizetype at; (at = slow.indexOf(Marker::LockOffer)) >= 0;) {
        slow.remove(at, Marker::LockOffer.size());
        ++count;
        if (slow.startsWith(Marker::PasswordMarker)) {
            passwordFirst = true;
            break;
        }
    }
    const LockOffers::Taken taken = LockOffers::Take(text, true);
    QCOMPARE(taken.count, count);
    QCOMPARE(taken.passwordFirst, passwordFirst);
    QCOMPARE(taken.text, slow);
    if (!passwordFirst) {
        QCOMPARE(LockOffers::Take(text).text, slow);
    }
}

VT_TEST_MAIN(TestWorkQueue)
#include "tst_workqueue.moc"
