// The card table's own pieces without a connection: the card pictures
// (sampled pixels), the last-trick record and window, and the texts the
// table reads out of the server's commands.

#include <QtTest>

#include "CardPictures.h"
#include "CardamoProtocol.h"
#include "LastTrickWinU.h"
#include "NodeImageLists.h"
#include "TestMain.h"

using namespace CardPictures;

namespace {

bool isRed(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isBlack(QRgb c)
{
    return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool isWhite(QRgb c)
{
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}

// How many pixels of a picture pass a test.
int count(const QImage &image, bool (*test)(QRgb), QRect area = {})
{
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

// Separate areas (four-connected) of pixels that pass a test.
int blobs(const QImage &image, bool (*test)(QRgb), QRect area)
{
    QList<bool> seen(area.width() * area.height(), false);
    int found = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            if (seen[y * area.width() + x] || !test(image.pixel(area.left() + x, area.top() + y)))
                continue;
            ++found;
            QList<QPoint> stack{{x, y}};
            seen[y * area.width() + x] = true;
            while (!stack.isEmpty()) {
                const QPoint p = stack.takeLast();
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= area.width() || q.y() >= area.height())
                        continue;
                    const int at = q.y() * area.width() + q.x();
                    if (seen[at] || !test(image.pixel(area.topLeft() + q)))
                        continue;
                    seen[at] = true;
                    stack.append(q);
                }
            }
        }
    }
    return found;
}

} // namespace

class TestCardPictures : public QObject
{
    Q_OBJECT
private slots:
    void listsHoldTheirPictures();
    void codesNameSuitAndRank_data();
    void codesNameSuitAndRank();
    void facesShowTheirSuitColour_data();
    void facesShowTheirSuitColour();
    void pipsMatchTheRank();
    void backsAreAlike();
    void raceCardsHaveTheirFrameColour_data();
    void raceCardsHaveTheirFrameColour();
    void raceBackIsChequered();
    void iconListsAreDistinct();

    void lastTrick_data();
    void lastTrick();
    void lastTrickWindowShowsCardsLeftToRight();

    void buttonText_data();
    void buttonText();
    void spawnNodePort_data();
    void spawnNodePort();
};

void TestCardPictures::listsHoldTheirPictures()
{
    QCOMPARE(Cards().size(), 54);
    QCOMPARE(MilleB().size(), 20);
    for (const QImage &card : Cards())
        QCOMPARE(card.size(), QSize(71, 96));
    for (const QImage &card : MilleB())
        QCOMPARE(card.size(), QSize(70, 102));
    QVERIFY(CardPicture(54).isNull());
    QVERIFY(CardPicture(99).isNull());
    QVERIFY(CardPicture(120).isNull());
    QVERIFY(CardPicture(-1).isNull());
    QCOMPARE(CardPicture(119), MilleB().at(19));
}

void TestCardPictures::codesNameSuitAndRank_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("suit");
    QTest::addColumn<int>("rank");
    QTest::newRow("ace of clubs") << 1 << int(Suit::Clubs) << 1;
    QTest::newRow("king of clubs") << 13 << int(Suit::Clubs) << 13;
    QTest::newRow("ace of diamonds") << 14 << int(Suit::Diamonds) << 1;
    QTest::newRow("queen of hearts") << 38 << int(Suit::Hearts) << 12;
    QTest::newRow("king of spades") << 52 << int(Suit::Spades) << 13;
}

void TestCardPictures::codesNameSuitAndRank()
{
    QFETCH(int, code);
    QTEST(int(SuitOf(code)), "suit");
    QTEST(RankOf(code), "rank");
}

void TestCardPictures::facesShowTheirSuitColour_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("red");
    for (int code : {1, 5, 11, 14, 20, 26, 27, 33, 39, 40, 46, 52})
        QTest::addRow("code %d", code) << code << (code >= 14 && code <= 39);
}

void TestCardPictures::facesShowTheirSuitColour()
{
    QFETCH(int, code);
    QFETCH(bool, red);
    const QImage card = CardPicture(code);
    const int redPixels = count(card, isRed);
    const int blackPixels = count(card, isBlack);
    if (red) {
        QVERIFY2(redPixels > 150, qPrintable(QString::number(redPixels)));
        QVERIFY(redPixels > 4 * blackPixels);
    } else {
        QVERIFY2(blackPixels > 150, qPrintable(QString::number(blackPixels)));
        QVERIFY(redPixels == 0);
    }
    // The face is white at its corners' inside and in its margins.
    QVERIFY(isWhite(card.pixel(35, 3)));
    // The rank stands in the top-left corner, the same turned round at the bottom right.
    const QRect topLeft(1, 1, 18, 16), bottomRight(71 - 19, 96 - 17, 18, 16);
    const auto ink = red ? isRed : isBlack;
    QVERIFY(count(card, ink, topLeft) > 10);
    QVERIFY(count(card, ink, bottomRight) > 10);
}

void TestCardPictures::pipsMatchTheRank()
{
    // Between the corner indices, a card from 2 to 10 shows as many separate
    // suit marks as its rank, and the ace one.
    const QRect middle(20, 8, 32, 80);
    for (int suit = 0; suit < 4; ++suit) {
        for (int rank = 1; rank <= 10; ++rank) {
            const int code = suit * 13 + rank;
            const auto ink = (suit == 1 || suit == 2) ? isRed : isBlack;
            QVERIFY2(blobs(CardPicture(code), ink, middle) == rank,
                     qPrintable(QStringLiteral("code %1: %2 marks").arg(code).arg(blobs(CardPicture(code), ink, middle))));
        }
    }
    // The ace of diamonds has its mark in the very centre.
    QVERIFY(isRed(CardPicture(14).pixel(35, 48)));
}

void TestCardPictures::backsAreAlike()
{
    QCOMPARE(CardPicture(0), CardPicture(53));
    const QImage back = CardPicture(0);
    const QRgb centre = back.pixel(20, 20);
    QVERIFY(qBlue(centre) > qRed(centre) + 60);
    QVERIFY(count(back, isWhite) < 71 * 96 / 3);
    QVERIFY(CardPicture(0) != CardPicture(1));
}

void TestCardPictures::raceCardsHaveTheirFrameColour_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QColor>("frame");
    for (int i = 1; i <= 5; ++i)
        QTest::addRow("hazard %d", i) << 100 + i << QColor(200, 0, 0);
    for (int i = 6; i <= 10; ++i)
        QTest::addRow("remedy %d", i) << 100 + i << QColor(0, 140, 0);
    for (int i = 11; i <= 14; ++i)
        QTest::addRow("safety %d", i) << 100 + i << QColor(0, 70, 200);
}

void TestCardPictures::raceCardsHaveTheirFrameColour()
{
    QFETCH(int, code);
    QFETCH(QColor, frame);
    const QImage card = CardPicture(code);
    // The band on the left and right edges, half way down.
    QCOMPARE(QColor(card.pixel(4, 51)), frame);
    QCOMPARE(QColor(card.pixel(65, 51)), frame);
    QVERIFY(isWhite(card.pixel(35, 88)));
}

void TestCardPictures::raceBackIsChequered()
{
    const QImage back = CardPicture(100);
    QVERIFY(count(back, isBlack) > 1500);
    QVERIFY(count(back, isWhite) > 1500);
    // The distance cards are white with their number in black.
    const QImage last = CardPicture(119);
    QVERIFY(isWhite(last.pixel(8, 51)));
    QVERIFY(count(last, isBlack, QRect(8, 28, 54, 36)) > 100);
    QVERIFY(CardPicture(115) != CardPicture(119));
}

void TestCardPictures::iconListsAreDistinct()
{
    const auto &one = NodeImageLists::ImageList1();
    const auto &two = NodeImageLists::ImageList2();
    QCOMPARE(one.size(), 35);
    QCOMPARE(two.size(), 35);
    for (int i = 0; i < 35; ++i) {
        QCOMPARE(one.at(i).size(), QSize(16, 16));
        for (int j = 0; j < i; ++j) {
            QVERIFY(one.at(i) != one.at(j));
            QVERIFY(two.at(i) != two.at(j));
        }
    }
}

void TestCardPictures::lastTrick_data()
{
    // Each step: "t,code" plays a card with its top at t; "clear" clears.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("record");
    QTest::addColumn<QList<int>>("shown");

    QTest::newRow("four cards") << QStringList{"100,1", "100,14", "100,27", "100,40"}
                                << QList<int>{1, 14, 27, 40} << QList<int>{1, 14, 27, 40};
    QTest::newRow("two then clear") << QStringList{"100,1", "100,2", "clear"} << QList<int>{}
                                    << QList<int>{0, 0, 0, 0};
    QTest::newRow("four then clear") << QStringList{"100,1", "100,2", "100,3", "100,4", "clear"}
                                     << QList<int>{1, 2, 3, 4} << QList<int>{1, 2, 3, 4};
    QTest::newRow("five then clear")
        << QStringList{"100,1", "100,2", "100,3", "100,4", "100,5", "clear"} << QList<int>{}
        << QList<int>{0, 0, 0, 0};
    QTest::newRow("next trick under way")
        << QStringList{"1,1", "1,2", "1,3", "1,4", "1,5", "1,6"} << QList<int>{1, 2, 3, 4, 5, 6}
        << QList<int>{1, 2, 3, 4};
    QTest::newRow("eight cards") << QStringList{"1,1", "1,2", "1,3", "1,4", "1,5", "1,6", "1,7", "1,8"}
                                 << QList<int>{5, 6, 7, 8} << QList<int>{5, 6, 7, 8};
    QTest::newRow("top 229 counts, 230 does not")
        << QStringList{"229,9", "230,10", "500,11"} << QList<int>{9} << QList<int>{0, 0, 0, 0};
}

void TestCardPictures::lastTrick()
{
    QFETCH(QStringList, steps);
    LastTrickRecord record;
    for (const QString &step : steps) {
        if (step == QLatin1String("clear")) {
            record.TrickCleared();
        } else {
            const QStringList parts = step.split(QLatin1Char(','));
            record.CardPlayed(parts.at(0).toInt(), parts.at(1).toInt());
        }
    }
    QTEST(record.codes(), "record");
    QTEST(record.shownCodes(), "shown");
}

void TestCardPictures::lastTrickWindowShowsCardsLeftToRight()
{
    TLastTrick window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Last Trick"));
    QCOMPARE(window.tableCaption(), QStringLiteral("Game Table"));
    QVERIFY(!window.isVisible());
    window.ShowWindow();
    QVERIFY(window.isVisible());
    QCOMPARE(window.size(), QSize(200, 133));
    const QImage &picture = window.picture();
    QCOMPARE(picture.size(), QSize(198, 109));
    // Black border, green baize, four backs while nothing is on record.
    QCOMPARE(QColor(picture.pixel(0, 50)), QColor(Qt::black));
    QCOMPARE(QColor(picture.pixel(5, 50)), QColor(0, 128, 0));
    QCOMPARE(picture.pixel(20 + 30 * 3 + 30, 40), CardPicture(0).pixel(30, 30));

    // Clubs ace, diamonds ace, clubs 2, diamonds 2: each card's left strip
    // shows at x = 20 + 30 i, the last one whole.
    for (int code : {1, 14, 2, 15})
        window.CardPlayed(100, code);
    const int codes[] = {1, 14, 2, 15};
    for (int i = 0; i < 4; ++i) {
        const QImage card = CardPicture(codes[i]);
        for (int y = 0; y < 96; y += 7)
            for (int x = 0; x < 30; x += 3)
                QCOMPARE(picture.pixel(20 + 30 * i + x, 10 + y), card.pixel(x, y));
    }
    QCOMPARE(picture.pixel(20 + 90 + 60, 10 + 90), CardPicture(15).pixel(60, 90));

    // A clear with four on record changes nothing; closing only hides.
    const QImage before = picture.copy();
    window.TrickCleared();
    QCOMPARE(window.picture(), before);
    window.close();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.record().codes(), (QList<int>{1, 14, 2, 15}));
}

void TestCardPictures::buttonText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<QByteArray>("hint");
    QTest::newRow("all parts") << QByteArray("bid|Bid;Make a bid") << QByteArray("bid")
                               << QByteArray("Bid") << QByteArray("Make a bid");
    QTest::newRow("no hint") << QByteArray("pass|Pass") << QByteArray("pass") << QByteArray("Pass")
                             << QByteArray("Pass");
    QTest::newRow("no bar") << QByteArray("Deal") << QByteArray("Deal") << QByteArray("Deal")
                            << QByteArray("Deal");
    QTest::newRow("no bar, hint") << QByteArray("Deal;Deal the cards") << QByteArray("Deal;Deal the cards")
                                  << QByteArray("Deal") << QByteArray("Deal the cards");
}

void TestCardPictures::buttonText()
{
    QFETCH(QByteArray, text);
    const Cardamo::ButtonText parsed = Cardamo::ParseButtonText(text);
    QTEST(parsed.name, "name");
    QTEST(parsed.caption, "caption");
    QTEST(parsed.hint, "hint");
}

void TestCardPictures::spawnNodePort_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("spawn");
    QTest::addColumn<int>("port");
    QTest::newRow("port") << QByteArray("\\SpawnNode:5001") << true << 5001;
    QTest::newRow("line end") << QByteArray("\\SpawnNode:5001\r\n") << true << 5001;
    QTest::newRow("no number") << QByteArray("\\SpawnNode:") << true << 0;
    QTest::newRow("negative") << QByteArray("\\SpawnNode:-4") << true << -4;
    QTest::newRow("not the command") << QByteArray("SpawnNode:5001") << false << 5001;
}

void TestCardPictures::spawnNodePort()
{
    QFETCH(QByteArray, chunk);
    QTEST(Cardamo::IsSpawnNode(chunk), "spawn");
    QTEST(Cardamo::SpawnNodePort(chunk), "port");
}

VT_TEST_MAIN(TestCardPictures)
#include "tst_cardpictures.moc"
