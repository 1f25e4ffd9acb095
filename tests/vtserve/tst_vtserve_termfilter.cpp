// The bridged door's translation of terminal output into the door clients'
// screen dialect, byte for byte, and the terminal description it goes with.

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "EngineScreen.h"
#include "PtyLauncher.h"
#include "TermFilter.h"
#include "TestMain.h"

class TestVtserveTermFilter : public QObject
{
    Q_OBJECT

private slots:
    // What the engine shows for a program's output: the characters from a
    // cell on, and the colours of that cell.
    void translation_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QByteArray>("shown");
        QTest::addColumn<int>("fg");
        QTest::addColumn<int>("bg");
        QTest::newRow("plain text") << QByteArray("hi") << 1 << 1 << QByteArray("hi") << 7 << 0;
        QTest::newRow("colours") << QByteArray("\x1b[1;31mA\x1b[0mB") << 1 << 1 << QByteArray("AB") << 9 << 0;
        QTest::newRow("colours are reset") << QByteArray("\x1b[1;31mA\x1b[0mB") << 1 << 2 << QByteArray("B") << 7 << 0;
        QTest::newRow("bright foreground") << QByteArray("\x1b[91mX") << 1 << 1 << QByteArray("X") << 9 << 0;
        QTest::newRow("reverse video") << QByteArray("\x1b[7mR") << 1 << 1 << QByteArray("R") << 0 << 7;
        QTest::newRow("bold and reverse as xterm") << QByteArray("\x1b[1;33;7mY") << 1 << 1 << QByteArray("Y") << 0 << 11;
        QTest::newRow("bright background") << QByteArray("\x1b[30;103mBG") << 1 << 1 << QByteArray("BG") << 0 << 11;
        QTest::newRow("bright ground, bright glyph") << QByteArray("\x1b[97;104mW") << 1 << 1 << QByteArray("W") << 15 << 12;
        QTest::newRow("256 colours") << QByteArray("\x1b[38;5;196mR") << 1 << 1 << QByteArray("R") << 9 << 0;
        QTest::newRow("position is clamped") << QByteArray("\x1b[30;90HX") << 26 << 80 << QByteArray("X") << 7 << 0;
        QTest::newRow("relative moves") << QByteArray("\x1b[5;10H\x1b[2A\x1b[3CX") << 3 << 13 << QByteArray("X") << 7 << 0;
        QTest::newRow("a column") << QByteArray("\x1b[20GX") << 1 << 20 << QByteArray("X") << 7 << 0;
        QTest::newRow("erasing the line keeps the cursor")
            << QByteArray("abcd\x1b[1;2H\x1b[KX") << 1 << 1 << QByteArray("aX  ") << 7 << 0;
        QTest::newRow("clearing keeps the cursor") << QByteArray("zz\x1b[2;2H\x1b[2JX") << 1 << 1
                                                  << QByteArray("   ") << 7 << 0;
        QTest::newRow("clearing keeps the cursor, row 2") << QByteArray("zz\x1b[2;2H\x1b[2JX") << 2 << 1
                                                         << QByteArray(" X ") << 7 << 0;
        QTest::newRow("column 80, then the wrap") << QByteArray("\x1b[1;78Habcd") << 1 << 78 << QByteArray("abc") << 7 << 0;
        QTest::newRow("the wrap goes on below") << QByteArray("\x1b[1;78Habcd") << 2 << 1 << QByteArray("d") << 7 << 0;
        QTest::newRow("column 80 in colour") << QByteArray("\x1b[1;80H\x1b[1;32;44m#") << 1 << 80 << QByteArray("#") << 10 << 4;
        QTest::newRow("sequences the engine cannot do vanish")
            << QByteArray("\x1b[?25l\x1b[4h\x1b[>1p\x1b[!pok") << 1 << 1 << QByteArray("ok ") << 7 << 0;
        QTest::newRow("titles vanish") << QByteArray("\x1b]0;title\x07hi") << 1 << 1 << QByteArray("hi ") << 7 << 0;
        QTest::newRow("bytes are code page 437, not UTF-8")
            << QByteArray("\xc4\xc4\xbf") << 1 << 1 << QByteArray("\xc4\xc4\xbf") << 7 << 0;
        QTest::newRow("DEC line drawing") << QByteArray("\x1b(0lqqk\x1b(Bq") << 1 << 1 << QByteArray("\xda\xc4\xc4\xbfq") << 7 << 0;
        QTest::newRow("DEC line drawing through SO and SI")
            << QByteArray("\x1b)0\x0elqk\x0fx") << 1 << 1 << QByteArray("\xda\xc4\xbfx") << 7 << 0;
        QTest::newRow("DEC blocks and marks") << QByteArray("\x1b(0`afg~\x1b(B") << 1 << 1
                                              << QByteArray("\x04\xb1\xf8\xf1\xfa") << 7 << 0;
        QTest::newRow("PC graphics of the ansi type") << QByteArray("\x1b[11m[\x10\x11\x18\x19\x04]\x1b[10m")
                                                     << 1 << 1 << QByteArray("[\x10\x11\x18\x19\x04]") << 7 << 0;
        QTest::newRow("controls are not glyphs") << QByteArray("[\x10\x11\x18\x19\x04]") << 1 << 1 << QByteArray("[]") << 7 << 0;
        QTest::newRow("the chat marker cannot form") << QByteArray("\xe7\xe8\xe9 ") << 1 << 1 << QByteArray("\xe7\xe8? ") << 7 << 0;
        QTest::newRow("the title marker cannot form") << QByteArray("\\\xcb\xf4 ") << 1 << 1 << QByteArray("\\\xcb? ") << 7 << 0;
        QTest::newRow("controls the engine acts on are dropped") << QByteArray("a\x01\x7f\x1b" "b") << 1 << 1
                                                                << QByteArray("a ") << 7 << 0;
        QTest::newRow("tab stops as on a terminal") << QByteArray("\x1b[1;3H\tX") << 1 << 9 << QByteArray("X") << 7 << 0;
        QTest::newRow("form feed is a line feed, as in xterm") << QByteArray("\x1b[5;5H\x0cZ") << 6 << 5 << QByteArray("Z") << 7 << 0;
        QTest::newRow("save and restore") << QByteArray("\x1b[4;7H\x1b" "7\x1b[1;1H\x1b" "8X") << 4 << 7 << QByteArray("X") << 7 << 0;
        QTest::newRow("scrolling up") << QByteArray("A\r\nB\x1b[1S") << 1 << 1 << QByteArray("B") << 7 << 0;
        QTest::newRow("erasing characters") << QByteArray("abcdef\x1b[1;2H\x1b[3X") << 1 << 1 << QByteArray("a   ef") << 7 << 0;
        QTest::newRow("erasing in a colour") << QByteArray("ab\x1b[44m\x1b[1;1H\x1b[K") << 1 << 1 << QByteArray("   ") << 7 << 4;
        QTest::newRow("line ends pass") << QByteArray("a\r\nb") << 2 << 1 << QByteArray("b") << 7 << 0;
        QTest::newRow("inserting a line") << QByteArray("1\r\n2\r\n3\x1b[2;1H\x1b[L") << 2 << 1 << QByteArray(" ") << 7 << 0;
        QTest::newRow("inserting a line moves the rest") << QByteArray("1\r\n2\r\n3\x1b[2;1H\x1b[L") << 4 << 1
                                                        << QByteArray("3") << 7 << 0;
        QTest::newRow("deleting a line") << QByteArray("1\r\n2\r\n3\x1b[1;1H\x1b[M") << 1 << 1 << QByteArray("2") << 7 << 0;
        QTest::newRow("deleting characters") << QByteArray("abcdef\x1b[1;2H\x1b[2P") << 1 << 1 << QByteArray("adef  ") << 7 << 0;
        QTest::newRow("inserting characters") << QByteArray("abc\x1b[1;2H\x1b[2@") << 1 << 1 << QByteArray("a  bc") << 7 << 0;
        QTest::newRow("a scroll region") << QByteArray("\x1b[2;3r\x1b[1;1H1\r\n2\r\n3\r\n4") << 1 << 1 << QByteArray("1") << 7 << 0;
        QTest::newRow("a scroll region scrolls alone") << QByteArray("\x1b[2;3r\x1b[1;1H1\r\n2\r\n3\r\n4") << 2 << 1
                                                       << QByteArray("3") << 7 << 0;
        QTest::newRow("reverse index at the top") << QByteArray("A\x1b[1;1H\x1bMB") << 2 << 1 << QByteArray("A") << 7 << 0;
        QTest::newRow("the other screen comes and goes") << QByteArray("main\x1b[?1049hother\x1b[?1049l") << 1 << 1
                                                         << QByteArray("main ") << 7 << 0;
    }
    void translation()
    {
        QFETCH(QByteArray, program);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QByteArray, shown);
        QFETCH(int, fg);
        QFETCH(int, bg);
        TermFilter filter;
        QByteArray reply;
        EngineScreen screen;
        screen.feed(filter.translate(program, &reply));
        QVERIFY(reply.isEmpty());
        QByteArray got;
        for (int i = 0; i < shown.size(); ++i)
            got += char(screen.at(row, column + i).ch);
        QCOMPARE(got.toHex(' '), shown.toHex(' '));
        const EngineScreen::Seen first = screen.at(row, column);
        QCOMPARE(first.bg, EngineScreen::Palette[size_t(bg)]);
        if (first.ch != ' ')
            QCOMPARE(first.fg, EngineScreen::Palette[size_t(fg)]);
        QCOMPARE(screen.bytesAtColumn80, 0);
    }

    void utf8ProgramsAreMappedToTheCodePage_data()
    {
        QTest::addColumn<QByteArray>("program");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("box drawing") << QByteArray("\xe2\x94\x8c\xe2\x94\x80\xe2\x94\x90") << QByteArray("\xda\xc4\xbf");
        QTest::newRow("rounded and heavy corners") << QByteArray("\xe2\x95\xad\xe2\x94\x81\xe2\x95\xaf") << QByteArray("\xda\xc4\xd9");
        QTest::newRow("accented letters") << QByteArray("caf\xc3\xa9 \xc3\x85") << QByteArray("caf\x82 \x8f");
        QTest::newRow("letters the code page lacks") << QByteArray("\xc3\x80\xc3\xb5") << QByteArray("Ao");
        QTest::newRow("blocks") << QByteArray("\xe2\x96\x88\xe2\x96\x91\xe2\x96\x86") << QByteArray("\xdb\xb0\xdb");
        QTest::newRow("quotes and dashes") << QByteArray("\xe2\x80\x9cq\xe2\x80\x9d\xe2\x80\x94") << QByteArray("\"q\"-");
        QTest::newRow("nothing near") << QByteArray("\xe4\xb8\xad") << QByteArray("?");
        QTest::newRow("a broken sequence") << QByteArray("\xe2\x94" "a") << QByteArray("?a");
    }
    void utf8ProgramsAreMappedToTheCodePage()
    {
        QFETCH(QByteArray, program);
        QFETCH(QByteArray, shown);
        TermFilter filter(TermFilter::Encoding::Utf8);
        EngineScreen screen;
        screen.feed(filter.translate(program, nullptr));
        QByteArray got;
        for (int i = 0; i < shown.size(); ++i)
            got += char(screen.at(1, 1 + i).ch);
        QCOMPARE(got.toHex(' '), shown.toHex(' '));
    }

    void translationTables()
    {
        // Every glyph of the code page comes back from its Unicode character.
        for (int b = 1; b < 256; ++b)
            QCOMPARE(int(uchar(TermFilter::ToCp437(TermFilter::FromCp437(uchar(b))))), b);
        for (int b = 0; b < 256; ++b) {
            const uchar e = TermFilter::EngineGlyph(uchar(b));
            QVERIFY2(!(e == 0 || (e >= 0x07 && e <= 0x0D) || e == 0x1B), qPrintable(QString::number(b)));
            const uchar s = TermFilter::SurfaceGlyph(uchar(b));
            QVERIFY2(s >= 0x20 && !(s >= 0x7F && s < 0xA0) && s != ']' && s != '>' && s != '}',
                     qPrintable(QString::number(b)));
        }
        QCOMPARE(TermFilter::SurfaceGlyph(0x82), uchar(0xE9));   // é stays é
        QCOMPARE(TermFilter::SurfaceGlyph(0xC4), uchar('-'));
        QCOMPARE(TermFilter::SurfaceGlyph(0xB3), uchar('|'));
        QCOMPARE(TermFilter::SurfaceGlyph(0xBF), uchar('+'));
    }

    void sequencesSplitAcrossReads()
    {
        TermFilter whole;
        TermFilter split;
        const QByteArray text = "\x1b[1;32mgreen\x1b[3;4H\x1b(0lqk\x1b(B\x1b]2;x\x07!\x1b[2;79Habc\x1b[7mrev";
        EngineScreen wholeScreen;
        EngineScreen splitScreen;
        wholeScreen.feed(whole.translate(text, nullptr));
        for (const char c : text)
            splitScreen.feed(split.translate(QByteArray(1, c), nullptr));
        for (int r = 1; r <= TermFilter::Rows; ++r) {
            for (int c = 1; c <= TermFilter::Columns; ++c) {
                const EngineScreen::Seen a = wholeScreen.at(r, c);
                const EngineScreen::Seen b = splitScreen.at(r, c);
                QVERIFY2(a.ch == b.ch && a.bg == b.bg && a.fg == b.fg, qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
            }
        }
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

    void cursorFollowsLikeATerminal()
    {
        TermFilter filter;
        filter.translate("\x1b[26;1Hbottom\r\n", nullptr);
        QCOMPARE(filter.row(), 26);   // the engine scrolls at the last row
        QCOMPARE(filter.column(), 1);
        // Six letters fill columns 75 to 80, the rest wraps to the next row.
        filter.translate("\x1b[1;75Hlonger than the line", nullptr);
        QCOMPARE(filter.row(), 2);
        QCOMPARE(filter.column(), 15);
        filter.translate("\b\b", nullptr);
        QCOMPARE(filter.column(), 13);
        // Writing column 80 leaves the cursor there until the next glyph.
        filter.translate("\x1b[5;75H123456", nullptr);
        QCOMPARE(filter.row(), 5);
        QCOMPARE(filter.column(), 80);
        filter.translate("7", nullptr);
        QCOMPARE(filter.row(), 6);
        QCOMPARE(filter.column(), 2);
        // The "ansi" type wraps at once.
        TermFilter ansi;
        ansi.setImmediateWrap(true);
        ansi.translate("\x1b[5;75H123456", nullptr);
        QCOMPARE(ansi.row(), 6);
        QCOMPARE(ansi.column(), 1);
        ansi.translate("\x1b[26;80HZ", nullptr);
        QCOMPARE(ansi.row(), 26);   // and scrolls at the bottom
        QCOMPARE(ansi.cell(25, 80).ch, uchar('Z'));
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
    // filter makes: cursor positions, erasing, colours, scrolling, the
    // unseen boxes that set the brush and the texts of column 80.
    void onlySafeSequencesComeOut()
    {
        QRandomGenerator random(42);
        const QByteArray pool = "\x1b[];?0123456789;:mHJKGWZLMprlosunAB@PXST()\x0e\x0f\x07\x0c\r\n\t\b\xe2\x94\x80\xe7\xe8\xe9\\\xcb\xf4 az";
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
                QVERIFY2(j < out.size() && QByteArray("HJKmTRW").contains(out.at(j)), input.toHex().constData());
                if (out.at(j) == 'W') {
                    const qsizetype end = out.indexOf(']', j);
                    QVERIFY(end > j);
                    const QByteArray text = out.mid(j + 1, end - j - 1);
                    QVERIFY(!text.contains('\x1b') && !text.contains('>') && !text.contains('}'));
                    i = end;
                }
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
        QVERIFY2(description.contains("cols#80"), description.constData());
        QVERIFY(description.contains("lines#26"));
        QVERIFY(description.contains("cup=\\E[%i%p1%d;%p2%dH"));

        // The line-drawing glyphs are bytes the engine prints: no controls.
        QProcess tput;
        tput.setProcessEnvironment(infocmp.processEnvironment());
        tput.start(QStringLiteral("tput"), {QStringLiteral("-T"), QStringLiteral("vantora"), QStringLiteral("acsc")});
        QVERIFY(tput.waitForFinished(10000));
        const QByteArray acsc = tput.readAllStandardOutput();
        QVERIFY(acsc.size() > 40);
        for (const char c : acsc)
            QVERIFY2(uchar(c) >= 0x20 && uchar(c) != 0x7F, acsc.toHex().constData());
        // And through the filter each one is a glyph of its own.
        TermFilter filter;
        EngineScreen screen;
        QByteArray line = "\x1b(0";
        for (qsizetype i = 1; i < acsc.size(); i += 2)
            line += acsc.at(i);
        screen.feed(filter.translate(line + "\x1b(B", nullptr));
        for (qsizetype i = 1; i < acsc.size(); i += 2)
            QVERIFY2(screen.at(1, int(i / 2) + 1).ch != ' ' || acsc.at(i) == ' ', qPrintable(QString::number(i)));
    }

    void setuidProgramsGetASystemType()
    {
        using Choice = PtyLauncher::TermChoice;
        const Choice usual = PtyLauncher::ChooseTerm("vantora", false, false);
        QCOMPARE(usual.name, QByteArray("vantora"));
        QVERIFY(usual.privateDescription);
        QVERIFY(usual.why.isEmpty());
        const Choice privileged = PtyLauncher::ChooseTerm("vantora", true, false);
        QCOMPARE(privileged.name, QByteArray(PtyLauncher::FallbackTerm));
        QVERIFY(!privileged.privateDescription);
        QVERIFY(privileged.why.contains(QLatin1String("setuid")));
        // Installed system-wide, everybody finds it.
        const Choice installed = PtyLauncher::ChooseTerm("vantora", true, true);
        QCOMPARE(installed.name, QByteArray("vantora"));
        QVERIFY(!installed.privateDescription);
        // Where tic was missing, "ansi" is what everybody gets.
        QCOMPARE(PtyLauncher::ChooseTerm("ansi", true, false).name, QByteArray("ansi"));
        QVERIFY(PtyLauncher::SystemHasDescription("ansi"));
        QVERIFY(!PtyLauncher::SystemHasDescription("no-such-terminal-here"));
    }
};

VT_TEST_MAIN(TestVtserveTermFilter)
#include "tst_vtserve_termfilter.moc"
