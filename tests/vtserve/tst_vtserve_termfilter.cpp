// The bridged door's translation of terminal output into the door clients'
// screen dialect, byte for byte, and the terminal description it goes with.

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "PtyLauncher.h"
#include "TermFilter.h"
#include "TestMain.h"

namespace {

const QByteArray Plain = "\x1b[0;37;40m";   // silver on black, the engine's dim palette

} // namespace

class TestVtserveTermFilter : public QObject
{
    Q_OBJECT

private slots:
    void translation_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<QByteArray>("screen");
        QTest::newRow("plain text") << QByteArray("hi") << Plain + "hi";
        QTest::newRow("colours") << QByteArray("\x1b[1;31mA\x1b[0mB") << QByteArray("\x1b[1;31;40mA") + Plain + "B";
        QTest::newRow("bright foreground") << QByteArray("\x1b[91mX") << QByteArray("\x1b[1;31;40mX");
        QTest::newRow("reverse video") << QByteArray("\x1b[7mR") << QByteArray("\x1b[0;30;47mR");
        QTest::newRow("256 colours") << QByteArray("\x1b[38;5;196mR") << QByteArray("\x1b[1;31;40mR");
        QTest::newRow("position is clamped") << QByteArray("\x1b[30;90H") << QByteArray("\x1b[26;80H");
        QTest::newRow("relative moves become absolute") << QByteArray("\x1b[5;10H\x1b[2A\x1b[3C")
                                                       << QByteArray("\x1b[5;10H\x1b[3;10H\x1b[3;13H");
        QTest::newRow("a column never reaches the engine as G") << QByteArray("\x1b[20G") << QByteArray("\x1b[1;20H");
        QTest::newRow("erasing the line keeps the cursor")
            << QByteArray("\x1b[3;5H\x1b[K") << QByteArray("\x1b[3;5H") + Plain + "\x1b[3;5H \x1b[3;5H\x1b[K\x1b[3;5H";
        QTest::newRow("clearing keeps the cursor, colours are set again")
            << QByteArray("\x1b[2;2H\x1b[2JX") << QByteArray("\x1b[2;2H") + Plain + "\x1b[2J\x1b[2;2H" + Plain + "X";
        QTest::newRow("nothing beyond column 79") << QByteArray("\x1b[1;78Habcd") << QByteArray("\x1b[1;78H") + Plain + "ab";
        QTest::newRow("sequences the engine cannot do vanish")
            << QByteArray("\x1b[?25l\x1b[4h\x1b[1;24r\x1b[2P\x1b[3L\x1b[5M\x1b[>1p\x1b[!pok") << Plain + "ok";
        QTest::newRow("titles and character sets vanish") << QByteArray("\x1b]0;title\x07\x1b(B\x1b)0hi") << Plain + "hi";
        QTest::newRow("UTF-8 box drawing") << QByteArray("\xe2\x94\x8c\xe2\x94\x80\xe2\x94\x90") << Plain + "\xda\xc4\xbf";
        QTest::newRow("bytes that are not UTF-8 stay") << QByteArray("\xb0\xb1\xdbX") << Plain + "\xb0\xb1\xdbX";
        QTest::newRow("the chat marker cannot form") << QByteArray("\xe7\xe8\xe9 ") << Plain + "\xe7\xe8? ";
        QTest::newRow("the title marker cannot form") << QByteArray("\\\xcb\xf4 ") << Plain + "\\\xcb? ";
        QTest::newRow("controls the engine acts on are dropped") << QByteArray("a\x01\x0e\x7f\x1b" "b") << Plain + "a";
        QTest::newRow("tab stops as on a terminal") << QByteArray("\x1b[1;3H\t") << QByteArray("\x1b[1;3H\x1b[1;9H");
        QTest::newRow("form feed clears and homes")
            << QByteArray("\x1b[5;5H\x0cZ") << QByteArray("\x1b[5;5H") + Plain + "\x1b[2J" + Plain + "Z";
        QTest::newRow("save and restore") << QByteArray("\x1b[4;7H\x1b" "7\x1b[1;1H\x1b" "8")
                                          << QByteArray("\x1b[4;7H\x1b[1;1H\x1b[4;7H");
        QTest::newRow("scrolling up") << QByteArray("\x1b[2S") << QByteArray("\x1b[2T");
        QTest::newRow("erasing characters") << QByteArray("\x1b[1;1H\x1b[3X") << QByteArray("\x1b[1;1H") + Plain + "   \x1b[1;1H";
        QTest::newRow("line ends pass") << QByteArray("a\r\nb") << Plain + "a\r\nb";
    }
    void translation()
    {
        QFETCH(QByteArray, program);
        QFETCH(QByteArray, screen);
        TermFilter filter;
        QByteArray reply;
        QCOMPARE(filter.translate(program, &reply), screen);
        QVERIFY(reply.isEmpty());
    }

    void sequencesSplitAcrossReads()
    {
        TermFilter whole;
        TermFilter split;
        const QByteArray text = "\x1b[1;32mgreen\x1b[3;4H\xe2\x94\x82\x1b]2;x\x07!";
        QByteArray pieces;
        for (const char c : text)
            pieces += split.translate(QByteArray(1, c), nullptr);
        QCOMPARE(pieces, whole.translate(text, nullptr));
    }

    void questionsAreAnsweredForTheProgram_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("cursor position") << QByteArray("\x1b[3;4H\x1b[6n") << QByteArray("\x1b[3;4R");
        QTest::newRow("status") << QByteArray("\x1b[5n") << QByteArray("\x1b[0n");
        QTest::newRow("device attributes") << QByteArray("\x1b[c") << QByteArray("\x1b[?1;2c");
        QTest::newRow("after text") << QByteArray("\x1b[2;1Habc\x1b[6n") << QByteArray("\x1b[2;4R");
    }
    void questionsAreAnsweredForTheProgram()
    {
        QFETCH(QByteArray, program);
        QFETCH(QByteArray, reply);
        TermFilter filter;
        QByteArray got;
        const QByteArray screen = filter.translate(program, &got);
        QCOMPARE(got, reply);
        QVERIFY(!screen.contains("6n") && !screen.contains("5n") && !screen.contains("\x1b[c"));
    }

    void cursorFollowsLikeTheEngine()
    {
        TermFilter filter;
        filter.translate("\x1b[26;1Hbottom\r\n", nullptr);
        QCOMPARE(filter.row(), 26);   // the engine scrolls at the last row
        QCOMPARE(filter.column(), 1);
        filter.translate("\x1b[1;75Hlonger than the line", nullptr);
        QCOMPARE(filter.column(), 80);
        filter.translate("\b\b", nullptr);
        QCOMPARE(filter.column(), 78);
    }

    void pressesBecomeMouseReportsOnlyWhenAskedFor()
    {
        TermFilter filter;
        QVERIFY(filter.mouseReport(3, 4).isEmpty());
        filter.translate("\x1b[?1000h", nullptr);
        QCOMPARE(filter.mouseReport(3, 4), QByteArray("\x1b[M\x20\x23\x24\x1b[M\x23\x23\x24"));
        filter.translate("\x1b[?1006h", nullptr);
        QCOMPARE(filter.mouseReport(3, 4), QByteArray("\x1b[<0;3;4M\x1b[<0;3;4m"));
        QVERIFY(filter.mouseReport(3, 30).isEmpty());
        filter.translate("\x1b[?1000l", nullptr);
        QVERIFY(filter.mouseReport(3, 4).isEmpty());
    }

    // Whatever a program writes, the engine gets only the sequences the
    // filter makes: cursor positions, erasing, colours and scrolling.
    void onlySafeSequencesComeOut()
    {
        QRandomGenerator random(42);
        const QByteArray pool = "\x1b[];?0123456789;:mHJKGWZLMprlosunAB\x07\x0c\r\n\t\b\xe2\x94\x80\xe7\xe8\xe9\\\xcb\xf4 az";
        for (int round = 0; round < 300; ++round) {
            TermFilter filter;
            QByteArray input;
            const int length = int(random.bounded(400));
            for (int i = 0; i < length; ++i)
                input += pool.at(int(random.bounded(quint32(pool.size()))));
            const QByteArray out = filter.translate(input, nullptr);
            for (qsizetype i = 0; i < out.size(); ++i) {
                if (out.at(i) != '\x1b')
                    continue;
                QVERIFY2(i + 1 < out.size() && out.at(i + 1) == '[', input.toHex().constData());
                qsizetype j = i + 2;
                while (j < out.size() && ((out.at(j) >= '0' && out.at(j) <= '9') || out.at(j) == ';'))
                    ++j;
                QVERIFY2(j < out.size() && QByteArray("HJKmT").contains(out.at(j)), input.toHex().constData());
            }
            for (const char *marker : {"\xe7\xe8\xe9", "\x5c\xcb\xf4", "\xef\xee\xed", "\xe2\xf7\xf8"})
                QVERIFY(!out.contains(marker));
            QVERIFY(filter.row() >= 1 && filter.row() <= TermFilter::Rows);
            QVERIFY(filter.column() >= 1 && filter.column() <= TermFilter::Columns + 1);
        }
    }

    void terminalDescriptionCompiles()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("tic")).isEmpty())
            QSKIP("tic is not installed");
        QTemporaryDir dir;
        QString error;
        QCOMPARE(PtyLauncher::InstallTerminfo(dir.path(), &error), QByteArray("vantora"));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QProcess infocmp;
        infocmp.setProcessEnvironment([&] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TERMINFO"), dir.path());
            return env;
        }());
        infocmp.start(QStringLiteral("infocmp"), {QStringLiteral("-1"), QStringLiteral("vantora")});
        QVERIFY(infocmp.waitForFinished(10000));
        const QByteArray description = infocmp.readAllStandardOutput();
        QVERIFY2(description.contains("cols#79"), description.constData());
        QVERIFY(description.contains("lines#26"));
        QVERIFY(description.contains("cup=\\E[%i%p1%d;%p2%dH"));
    }
};

VT_TEST_MAIN(TestVtserveTermFilter)
#include "tst_vtserve_termfilter.moc"
