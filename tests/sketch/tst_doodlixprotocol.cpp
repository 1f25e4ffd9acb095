// The sketch game's protocol decisions without a window: the artist's pen,
// the messages, the guess-list rows, the chat texts, status texts and the
// score window's text.

#include <QtTest>

#include "DoodlixProtocol.h"
#include "HintIcons.h"
#include "ProtocolMarkers.h"
#include "ScoreTableText.h"
#include "StrokeRecorder.h"
#include "TestMain.h"

using Doodlix::ChatAction;
using Doodlix::ChatActions;

namespace Doodlix {
// How a failing comparison shows an action.
char *toString(const ChatAction &action)
{
    static const char *const kinds[] = {"Dispatch", "GuessList", "ScoreTable", "RoundTitle",
                                        "ResetCaption"};
    const QByteArray text = QByteArray(kinds[action.kind]) + '(' + action.bytes.toPercentEncoding() + ')';
    return qstrdup(text.constData());
}
} // namespace Doodlix

namespace {

const QByteArray M = Marker::ChatMarker;

// A stroke as the pen queues it.
QByteArray S(int x1, int y1, int x2, int y2, int w = 2, int c = 30)
{
    return "\x1b[" + QByteArray::number(x1) + ';' + QByteArray::number(y1) + ';'
        + QByteArray::number(x2) + ';' + QByteArray::number(y2) + ';' + QByteArray::number(w) + ';'
        + QByteArray::number(c) + ";0L\x1b]";
}

// Runs a script on a pen: "P x y L|R" press, "M x y" move, "R x y"
// release, "C k" colour, "E" erase all, "A 0|1" artist off or on. Every
// piece sent is recorded as "<step>:<bytes>".
struct PenRun
{
    StrokeRecorder pen;
    bool artist = true;
    QList<QByteArray> sent;
    QByteArray echoed;
    int step = 0;

    PenRun()
    {
        pen.IsArtist = [this] { return artist; };
        pen.SendBytes = [this](const QByteArray &bytes) {
            sent.append(QByteArray::number(step) + ':' + bytes);
        };
        pen.EchoBytes = [this](const QByteArray &bytes) { echoed += bytes; };
    }

    void run(const QStringList &script)
    {
        for (step = 0; step < script.size(); ++step) {
            const QStringList op = script.at(step).split(QLatin1Char(' '));
            const QChar kind = op.at(0).at(0);
            const int a = op.size() > 1 ? op.at(1).toInt() : 0;
            const int b = op.size() > 2 ? op.at(2).toInt() : 0;
            if (kind == QLatin1Char('P'))
                pen.Press(a, b, op.value(3) == QLatin1String("R"));
            else if (kind == QLatin1Char('M'))
                pen.Move(a, b);
            else if (kind == QLatin1Char('R'))
                pen.Release(a, b);
            else if (kind == QLatin1Char('C'))
                pen.ChooseColour(a);
            else if (kind == QLatin1Char('E'))
                pen.EraseAll();
            else if (kind == QLatin1Char('A'))
                artist = a != 0;
        }
    }
};

} // namespace

class TestDoodlixProtocol : public QObject
{
    Q_OBJECT
private slots:
    void pen_data();
    void pen();
    void penSendsWhenTheQueuePasses200Bytes();
    void messages_data();
    void messages();
    void guessRow_data();
    void guessRow();
    void wordValue_data();
    void wordValue();
    void chatCommand_data();
    void chatCommand();
    void statusText_data();
    void statusText();
    void scoreText_data();
    void scoreText();
    void hintIconsFillTheirSlots();
};

void TestDoodlixProtocol::pen_data()
{
    QTest::addColumn<bool>("artist");
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QByteArray>("queued");

    QTest::newRow("click without movement: both strokes at the release")
        << true << QStringList{"P 50 60 L", "R 50 60"}
        << QList<QByteArray>{"1:\x1b[50;60;51;61;2;30;0L\x1b]\x1b[51;61;50;60;2;30;0L\x1b]"}
        << QByteArray();
    QTest::newRow("a guesser sends and queues nothing")
        << false << QStringList{"P 50 60 L", "M 70 80", "R 50 60", "E"} << QList<QByteArray>{}
        << QByteArray();
    QTest::newRow("right press and release: a dot and a segment")
        << true << QStringList{"P 10 20 R", "R 30 40"}
        << QList<QByteArray>{"1:" + S(10, 20, 11, 21) + S(11, 21, 30, 40)} << QByteArray();
    QTest::newRow("freehand drag")
        << true << QStringList{"P 10 20 L", "M 15 25", "M 20 30", "R 25 35"}
        << QList<QByteArray>{"3:" + S(10, 20, 11, 21) + S(11, 21, 15, 25) + S(15, 25, 20, 30)
                             + S(20, 30, 25, 35)}
        << QByteArray();
    QTest::newRow("after a right click a left drag ends with a segment")
        << true << QStringList{"P 10 20 R", "R 10 20", "P 50 50 L", "M 60 60", "R 70 75"}
        << QList<QByteArray>{"1:" + S(10, 20, 11, 21) + S(11, 21, 10, 20),
                             "4:" + S(50, 50, 51, 51) + S(51, 51, 60, 60) + S(60, 60, 70, 75)}
        << QByteArray();
    QTest::newRow("a right move draws nothing until the release")
        << true << QStringList{"P 10 20 R", "M 40 40", "R 30 40"}
        << QList<QByteArray>{"2:" + S(10, 20, 11, 21) + S(11, 21, 30, 40)} << QByteArray();
    QTest::newRow("the eraser paints 20 wide in the background colour")
        << true << QStringList{"C 47", "P 10 10 L", "M 20 20", "R 30 30"}
        << QList<QByteArray>{"3:" + S(10, 10, 11, 11, 20, 47) + S(11, 11, 20, 20, 20, 47)
                             + S(20, 20, 30, 30, 20, 47)}
        << QByteArray();
    QTest::newRow("another colour after the eraser is 2 wide again")
        << true << QStringList{"C 47", "C 31", "P 10 10 L", "R 10 10"}
        << QList<QByteArray>{"3:" + S(10, 10, 11, 11, 2, 31) + S(11, 11, 10, 10, 2, 31)}
        << QByteArray();
    QTest::newRow("erase all with three strokes queued: one piece")
        << true << QStringList{"P 10 10 L", "M 20 20", "M 30 30", "E"}
        << QList<QByteArray>{"3:" + S(10, 10, 11, 11) + S(11, 11, 20, 20) + S(20, 20, 30, 30)
                             + "\x1b[47J\x1b]"}
        << QByteArray();
    QTest::newRow("moves and releases on the edge or outside add nothing")
        << true
        << QStringList{"P 5 5 L", "M 1 50", "M 50 1", "M 391 50", "M 50 265", "M 390 264",
                       "R 0 0"}
        << QList<QByteArray>{} << S(5, 5, 6, 6) + S(6, 6, 390, 264);
    QTest::newRow("a release outside waits for the next press to send")
        << true << QStringList{"P 5 5 L", "R 400 10", "P 20 20 L"}
        << QList<QByteArray>{"2:" + S(5, 5, 6, 6)} << S(20, 20, 21, 21);
    QTest::newRow("a press outside still leaves its dot")
        << true << QStringList{"P 0 0 L", "R 0 0"} << QList<QByteArray>{} << S(0, 0, 1, 1);
    QTest::newRow("strokes queued when the artist mode ends go with the next turn")
        << true << QStringList{"P 10 10 L", "M 20 20", "A 0", "R 30 30", "A 1", "P 40 40 L"}
        << QList<QByteArray>{"5:" + S(10, 10, 11, 11) + S(11, 11, 20, 20)} << S(40, 40, 41, 41);
}

void TestDoodlixProtocol::pen()
{
    QFETCH(bool, artist);
    QFETCH(QStringList, script);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QByteArray, queued);

    PenRun run;
    run.artist = artist;
    run.run(script);
    QCOMPARE(run.sent, sent);
    QCOMPARE(run.pen.StrokeQueue, queued);
    // Everything queued is echoed to the drawing, sent or not.
    QByteArray all;
    for (const QByteArray &piece : std::as_const(sent))
        all += piece.mid(piece.indexOf(':') + 1);
    QCOMPARE(run.echoed, all + queued);
}

void TestDoodlixProtocol::penSendsWhenTheQueuePasses200Bytes()
{
    PenRun run;
    QStringList script{"P 100 100 L"};
    for (int i = 1; i <= 30; ++i)
        script << QStringLiteral("M %1 100").arg(100 + i * 5);
    run.run(script);
    QVERIFY(run.sent.size() >= 2);
    for (const QByteArray &piece : std::as_const(run.sent)) {
        const QByteArray bytes = piece.mid(piece.indexOf(':') + 1);
        // Just past 200: the last stroke made it longer than 200.
        QVERIFY2(bytes.size() > StrokeRecorder::SendAbove, piece.constData());
        const qsizetype lastStroke = bytes.lastIndexOf("\x1b[");
        QVERIFY(lastStroke <= StrokeRecorder::SendAbove);
    }
    QVERIFY(run.pen.StrokeQueue.size() <= StrokeRecorder::SendAbove);
}

void TestDoodlixProtocol::messages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("hint Warmer on row 4")
        << Doodlix::HintMessage(4, HintIcons::Warmer)
        << QByteArray("Guess?:\x1b[0;0;4;1G39\xb7");
    QTest::newRow("guess") << Doodlix::GuessMessage("a red car") << QByteArray("Guess?:a red car\r\n\r\n");
    QTest::newRow("ready") << Doodlix::ReadyMessage("Ann") << QByteArray("Guess?:Ann Ready \r\n");
    QTest::newRow("erase all") << Doodlix::EraseAllCommand() << QByteArray("\x1b[47J");
}

void TestDoodlixProtocol::messages()
{
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, bytes);
    QCOMPARE(message, bytes);
}

void TestDoodlixProtocol::guessRow_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("row");
    QTest::newRow("y 15 gives row 0, counted as 1") << 15 << 10 << 1;
    QTest::newRow("y 54") << 54 << 10 << 4;
    QTest::newRow("y 32") << 32 << 10 << 2;
    QTest::newRow("above the margin") << 3 << 10 << 1;
    QTest::newRow("font size 0 uses 11") << 54 << 0 << 4;
    QTest::newRow("negative font size uses 11") << 43 << -2 << 3;
    QTest::newRow("font size 8") << 54 << 8 << 4;
}

void TestDoodlixProtocol::guessRow()
{
    QFETCH(int, y);
    QFETCH(int, fontSize);
    QFETCH(int, row);
    QCOMPARE(Doodlix::GuessRowAt(y, fontSize), row);
}

void TestDoodlixProtocol::wordValue_data()
{
    QTest::addColumn<QByteArray>("screen");
    QTest::addColumn<QByteArray>("caption");   // empty: no caption
    QTest::newRow("value") << QByteArray("\x1b[*Word Value is 20 Points]\x1b[Z* Draw *}")
                           << QByteArray("Guess What it is.. Word Value = 20");
    QTest::newRow("no end: to the end of the chunk") << QByteArray("xxWord Value is 15")
                                                     << QByteArray("Guess What it is.. Word Value = 15");
    QTest::newRow("none") << QByteArray("\x1b[10;10;20;20;2;30;0L") << QByteArray();
    QTest::newRow("a huge value is cut")
        << QByteArray("Word Value is ") + QByteArray(100000, '9')
        << QByteArray("Guess What it is.. Word Value = ") + QByteArray(256, '9');
}

void TestDoodlixProtocol::wordValue()
{
    QFETCH(QByteArray, screen);
    QFETCH(QByteArray, caption);
    const auto found = Doodlix::WordValueCaption(screen);
    QCOMPARE(found.has_value(), !caption.isEmpty());
    if (found)
        QCOMPARE(*found, caption);
}

void TestDoodlixProtocol::chatCommand_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<ChatActions>("actions");

    using A = ChatAction;
    QTest::newRow("ordinary chat") << QByteArray("Ann> hello\r\n") << false << ChatActions{};
    QTest::newRow("a guess: cyan, three blanks in")
        << QByteArray("Guess?:Bob - a cat\r\n") << true
        << ChatActions{{A::GuessList, "\x1b[36m   Bob - a cat\r\n"}};
    QTest::newRow("what stands before the guess is dropped")
        << QByteArray("noise Guess?:cat\r\n") << true
        << ChatActions{{A::GuessList, "\x1b[36m   cat\r\n"}};
    QTest::newRow("the part before a colon is dropped")
        << QByteArray("Guess?:Bob: cat\r\n") << true
        << ChatActions{{A::GuessList, "\x1b[36m    cat\r\n"}};
    QTest::newRow("a second colon drops the guess")
        << QByteArray("Guess?:Bob: a:b\r\n") << true << ChatActions{};
    QTest::newRow("a guess that is chat again")
        << QByteArray("Guess?:" + M + "Ann> hi\r\n") << true
        << ChatActions{{A::Dispatch, M + "Ann> hi\r\n"}};
    QTest::newRow("a hint mark: the list picture")
        << QByteArray("Guess?:\x1b[0;0;3;1G40\xb7") << true
        << ChatActions{{A::GuessList, "\x1b[0;0;3;1G40>"}};
    QTest::newRow("a hint mark keeps its colons")
        << QByteArray("Guess?:a:b:\x1b[0;0;2;1G35\xb7\xb7") << true
        << ChatActions{{A::GuessList, "a:b:\x1b[0;0;2;1G35>>"}};
    QTest::newRow("a score table")
        << QByteArray("Score:Ann=120\r\nBob=80EndScore") << true
        << ChatActions{{A::ScoreTable, "Ann=120\r\nBob=80"}, {A::ResetCaption, ""}};
    QTest::newRow("chat before the table is shown first")
        << QByteArray("Ann> gg\r\n" + M + "Score:Ann=1EndScore") << true
        << ChatActions{{A::Dispatch, M + "Ann> gg\r\n"}, {A::ScoreTable, "Ann=1"},
                       {A::ResetCaption, ""}};
    QTest::newRow("a table without its end word")
        << QByteArray("Score:Ann=1\r\n") << true
        << ChatActions{{A::ScoreTable, "Ann=1\r\n"}, {A::ResetCaption, ""}};
    QTest::newRow("chat after the table")
        << QByteArray("Score:Ann=1EndScore" + M + "Bob> bye\r\n") << true
        << ChatActions{{A::ScoreTable, "Ann=1"}, {A::ResetCaption, ""},
                       {A::Dispatch, M + "Bob> bye\r\n"}};
    QTest::newRow("line ends after the table are dropped")
        << QByteArray("Score:Ann=1EndScore\r\n") << true
        << ChatActions{{A::ScoreTable, "Ann=1"}, {A::ResetCaption, ""}};
    QTest::newRow("a round title")
        << QByteArray("Round#:Round 1 of 4: Ann drawsEndRound#") << true
        << ChatActions{{A::RoundTitle, "Round 1 of 4: Ann draws"}};
    QTest::newRow("chat around a round title")
        << QByteArray("hi\r\nRound#:R2EndRound#there") << true
        << ChatActions{{A::Dispatch, M + "hi\r\n"}, {A::RoundTitle, "R2"}, {A::Dispatch, M + "there"}};
    QTest::newRow("a guess comes before a score")
        << QByteArray("Score:A=1EndScoreGuess?:x") << true
        << ChatActions{{A::GuessList, "\x1b[36m   x"}};
    QTest::newRow("a score comes before a round title")
        << QByteArray("Round#:R1EndRound#Score:A=1EndScore") << true
        << ChatActions{{A::Dispatch, M + "Round#:R1EndRound#"}, {A::ScoreTable, "A=1"},
                       {A::ResetCaption, ""}};
}

void TestDoodlixProtocol::chatCommand()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, handled);
    QFETCH(ChatActions, actions);
    const auto decided = Doodlix::ChatCommand(text);
    QCOMPARE(decided.has_value(), handled);
    if (decided)
        QCOMPARE(*decided, actions);
}

void TestDoodlixProtocol::statusText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("artistControls");
    using D = Doodlix::StatusDecision;
    QTest::newRow("empty") << QByteArray() << int(D::Nothing) << false;
    QTest::newRow("Ready") << QByteArray("Ready") << int(D::ReadyCaption) << true;
    QTest::newRow("another caption") << QByteArray("Go!") << int(D::ReadyCaption) << false;
    QTest::newRow("ready in small letters") << QByteArray("ready") << int(D::ReadyCaption) << false;
    QTest::newRow("with a star") << QByteArray("* Draw: apple *") << int(D::GuessLabel) << false;
}

void TestDoodlixProtocol::statusText()
{
    QFETCH(QByteArray, text);
    QFETCH(int, kind);
    QFETCH(bool, artistControls);
    const Doodlix::StatusDecision decision = Doodlix::StatusText(text);
    QCOMPARE(int(decision.kind), kind);
    QCOMPARE(decision.artistControls, artistControls);
}

void TestDoodlixProtocol::scoreText_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("Ann gets 17 underscores")
        << QByteArray("Ann=120") << "\x1b[1Ann" + QByteArray(17, '_') + "\t\x1b[2120\r\n\x1b[1";
    QTest::newRow("a name of 20 stays")
        << QByteArray("ABCDEFGHIJKLMNOPQRST=5") << QByteArray("\x1b[1ABCDEFGHIJKLMNOPQRST\t\x1b[25\r\n\x1b[1");
    QTest::newRow("a longer name stays")
        << QByteArray("ABCDEFGHIJKLMNOPQRSTUV=5")
        << QByteArray("\x1b[1ABCDEFGHIJKLMNOPQRSTUV\t\x1b[25\r\n\x1b[1");
    QTest::newRow("two lines")
        << QByteArray("Ann=120\r\nBob=80")
        << "\x1b[1Ann" + QByteArray(17, '_') + "\t\x1b[2120\r\n\x1b[1Bob" + QByteArray(17, '_')
            + "\t\x1b[280\r\n\x1b[1";
    QTest::newRow("a value with = is split there too")
        << QByteArray("Ann=1=2") << "\x1b[1Ann" + QByteArray(17, '_') + "\t\x1b[21\t\x1b[22\r\n\x1b[1";
    QTest::newRow("names that differ in case keep their own values")
        << QByteArray("Ann=1\nann=2")
        << "\x1b[1Ann" + QByteArray(17, '_') + "\t\x1b[21\r\n\x1b[1ann" + QByteArray(17, '_')
            + "\t\x1b[22\r\n\x1b[1";
    QTest::newRow("a line without = is shown as it is")
        << QByteArray("no scores yet") << QByteArray("\x1b[1no scores yet\r\n\x1b[1");
    QTest::newRow("empty") << QByteArray() << QByteArray("\x1b[1");
}

void TestDoodlixProtocol::scoreText()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, text);
    QCOMPARE(ScoreTableText::Format(table), text);
}

void TestDoodlixProtocol::hintIconsFillTheirSlots()
{
    const QList<QImage> &list = HintIcons::ImageList2();
    QCOMPARE(list.size(), HintIcons::Count);
    const int hints[] = {HintIcons::WayOff, HintIcons::Colder, HintIcons::Warmer,
                         HintIcons::GettingHot, HintIcons::VeryClose, HintIcons::Spelling};
    for (int i = 0; i < list.size(); ++i) {
        QCOMPARE(list.at(i).size(), QSize(16, 16));
        // The corner that is left out is clear; every picture shows something.
        QCOMPARE(qAlpha(list.at(i).pixel(1, 1)), 0);
        int shown = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                shown += qAlpha(list.at(i).pixel(x, y)) > 128;
        QVERIFY2(shown > 10, qPrintable(QString::number(i)));
    }
    // The six hint pictures differ from each other.
    for (int a : hints)
        for (int b : hints)
            if (a != b)
                QVERIFY(list.at(a) != list.at(b));
    QVERIFY(HintIcons::Icon(43).isNull());
    QVERIFY(HintIcons::Icon(-1).isNull());
}

VT_TEST_MAIN(TestDoodlixProtocol)
#include "tst_doodlixprotocol.moc"
