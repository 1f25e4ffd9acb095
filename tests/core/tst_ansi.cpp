// The screen engine: cursor, line feed and scrolling, palettes, erase,
// captures and the drawing commands (checked on the Surface's pixels), and
// the hit test the host windows use for presses.

#include <QImage>
#include <QTest>

#include "Ansi.h"
#include "AnsiRecorder.h"
#include "TestMain.h"

namespace {

constexpr QRgb kPaper = 0xFF102030; // what the Surface holds before the engine draws

QRgb rgbOf(TColor colour)
{
    return ToQColor(colour).rgb();
}

// An engine on an 800 x 600 picture with fixed 10 x 12 cells (glyphs are
// narrower), or with the cell measured from the font; cursor home.
struct Screen
{
    enum Cells { Fixed, Measured };
    QImage image{800, 600, QImage::Format_RGB32};
    TAnsi ansi;
    AnsiRecorder recorder;

    explicit Screen(int rowCount = 40, Cells cells = Fixed)
    {
        image.fill(kPaper);
        ansi.AttachSurface(&image);
        if (cells == Fixed)
            ansi.SetFontSize(10);
        ansi.SetRowCount(rowCount);
        ansi.Write("\v");
        recorder.install(ansi);
    }
    QRgb pixel(int x, int y) const { return image.pixel(x, y) | 0xFF000000u; }
    QPoint cursor() const { return QPoint(ansi.CursorColumn(), ansi.CursorRow()); }
    // The colour inside a cell where a full block was printed.
    QRgb cellInk(int column, int row) const { return pixel(column * 10 + 3, row * 12 + 5); }
};

} // namespace

class tst_Ansi : public QObject
{
    Q_OBJECT
private slots:
    void attach_measures_the_cell();
    void redraw_at_a_new_size_paints_the_cells_afresh();
    void cursor_moves_data();
    void cursor_moves();
    void a_byte_at_column_80_is_a_line_feed();
    void printing_advances_by_the_glyph_width();
    void escape_drops_the_next_byte();
    void line_feed_on_the_last_row_scrolls();
    void scroll_commands_data();
    void scroll_commands();
    void printing_below_the_last_row_scrolls_first();
    void palettes_data();
    void palettes();
    void colour_table();
    void clear_screen_data();
    void clear_screen();
    void cross_hatch_clear_keeps_the_gaps();
    void erase_in_line_data();
    void erase_in_line();
    void captures_data();
    void captures();
    void captures_split_across_writes();
    void captures_without_handlers_are_dropped();
    void list_picture_that_is_not_a_number_ends_the_write();
    void long_captures_keep_64_kib();
    void idle_and_reentrant_writes();
    void line_command();
    void polyline_and_dots();
    void box_corners_data();
    void box_corners();
    void unfilled_box_leaves_text_background_clear();
    void ball_lightens_towards_its_centre();
    void cell_text_at_data();
    void cell_text_at();
    void painted_cells();
    void scrolling_moves_the_marks();
};

void tst_Ansi::attach_measures_the_cell()
{
    QImage image(400, 300, QImage::Format_RGB32);
    TAnsi ansi;
    QCOMPARE(ansi.CursorColumn(), 0);
    ansi.AttachSurface(&image);
    // The cell is the size of the glyph of ESC: the font's pitch and line height.
    QVERIFY(ansi.CellWidth() > 3 && ansi.CellWidth() < 12);
    QCOMPARE(ansi.CellWidth(), ansi.Surface()->textWidth('A'));
    QCOMPARE(ansi.CellHeight(), ansi.Surface()->textHeight());
    QCOMPARE(ansi.CursorColumn(), 1);
    QCOMPARE(ansi.CursorRow(), 1);

    ansi.SetFontSize(12);
    QCOMPARE(ansi.FontSize(), 12);
    QCOMPARE(ansi.CellWidth(), 12);
    QCOMPARE(ansi.CellHeight(), 14);
    ansi.SetMeasuredFontSize(16);
    QCOMPARE(ansi.CellWidth(), ansi.Surface()->textWidth(0x1B));
    QVERIFY(ansi.CellHeight() > 14);
}

void tst_Ansi::redraw_at_a_new_size_paints_the_cells_afresh()
{
    // What a door prints at size 9, drawn again at 11, is the same picture
    // as the same bytes printed at 11 from the start: no text of the old
    // size is left under the new.
    const QByteArray bytes = "\x1b[J\x1b[1;33;44mMINEFIELD\x1b[0m\r\n \xdb\xb0 ok\x1b[5;10Hhere";
    Screen resized(26, Screen::Measured);
    resized.ansi.SetMeasuredFontSize(9);
    resized.ansi.Write(bytes);
    resized.ansi.RedrawAtMeasuredFontSize(11);
    Screen fresh(26, Screen::Measured);
    fresh.ansi.SetMeasuredFontSize(11);
    fresh.ansi.Write(bytes);
    QCOMPARE(resized.ansi.CellWidth(), fresh.ansi.CellWidth());
    QCOMPARE(resized.cursor(), fresh.cursor());
    const QRect drawn(0, 0, 80 * fresh.ansi.CellWidth(), 27 * fresh.ansi.CellHeight());
    const auto firstDifference = [&] {
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                if (resized.pixel(x, y) != fresh.pixel(x, y))
                    return QString("%1,%2: %3 vs %4").arg(x).arg(y).arg(resized.pixel(x, y), 0, 16).arg(fresh.pixel(x, y), 0, 16);
        return QString();
    };
    QVERIFY2(firstDifference().isEmpty(), qPrintable(firstDifference()));
    // Printing goes on where the cursor was.
    resized.ansi.Write("!");
    fresh.ansi.Write("!");
    QVERIFY(resized.image.copy(drawn) == fresh.image.copy(drawn));
}

void tst_Ansi::cursor_moves_data()
{
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QPoint>("cell"); // column, row

    QTest::newRow("H row;column") << 40 << QByteArray("\x1b[5;10H") << QPoint(10, 5);
    QTest::newRow("f as H") << 40 << QByteArray("\x1b[3;4f") << QPoint(4, 3);
    QTest::newRow("H alone is home") << 40 << QByteArray("\x1b[7;7H\x1b[H") << QPoint(1, 1);
    QTest::newRow("H zeros are home") << 40 << QByteArray("\x1b[7;7H\x1b[0;0H") << QPoint(1, 1);
    QTest::newRow("H clamps") << 40 << QByteArray("\x1b[99;99H") << QPoint(80, 40);
    QTest::newRow("H clamps to RowCount") << 26 << QByteArray("\x1b[99;2H") << QPoint(2, 26);
    QTest::newRow("C past 80 goes to column 1") << 40 << QByteArray("\x1b[1;20H\x1b[70C") << QPoint(1, 1);
    QTest::newRow("C to 80") << 40 << QByteArray("\x1b[1;70H\x1b[10C") << QPoint(80, 1);
    QTest::newRow("C zero counts one") << 40 << QByteArray("\x1b[2;5H\x1b[0C") << QPoint(6, 2);
    QTest::newRow("A stops at row 1") << 40 << QByteArray("\x1b[3;5H\x1b[9A") << QPoint(5, 1);
    QTest::newRow("A without count") << 40 << QByteArray("\x1b[3;5H\x1b[A") << QPoint(5, 2);
    QTest::newRow("B stops at RowCount") << 26 << QByteArray("\x1b[20;5H\x1b[9B") << QPoint(5, 26);
    QTest::newRow("D stops at column 1") << 40 << QByteArray("\x1b[3;5H\x1b[9D") << QPoint(1, 3);
    QTest::newRow("huge counts") << 40 << QByteArray("\x1b[3;5H\x1b[4294967299C\x1b[2147483647B") << QPoint(6, 40);
    QTest::newRow("BS stops at column 1") << 40 << QByteArray("\x1b[3;2H\b\b") << QPoint(1, 3);
    QTest::newRow("tab") << 40 << QByteArray("\x1b[3;5H\t") << QPoint(8, 3);
    QTest::newRow("tab from 8") << 40 << QByteArray("\x1b[3;8H\t") << QPoint(16, 3);
    QTest::newRow("tab has no limit") << 40 << QByteArray("\x1b[3;78H\t\t") << QPoint(88, 3);
    QTest::newRow("CR") << 40 << QByteArray("\x1b[3;5H\r") << QPoint(1, 3);
    QTest::newRow("LF keeps the column") << 40 << QByteArray("\x1b[3;5H\n") << QPoint(5, 4);
    QTest::newRow("VT is home") << 40 << QByteArray("\x1b[3;5H\v") << QPoint(1, 1);
    QTest::newRow("save and restore") << 40 << QByteArray("\x1b[3;5H\x1b[s\x1b[9;9H\x1b[u") << QPoint(5, 3);
    QTest::newRow("pixel moves") << 40 << QByteArray("\x1b[10;10p20;20l30;10l!") << QPoint(3, 0);
    QTest::newRow("list picture moves up") << 40 << QByteArray("\x1b[5;5H\x1b[1;1;1;1G7>") << QPoint(5, 4);
    QTest::newRow("list picture stops at row 0") << 40 << QByteArray("\x1b[1;5H\x1b[G7>\x1b[G7>") << QPoint(5, 0);
}

void tst_Ansi::cursor_moves()
{
    QFETCH(int, rowCount);
    QFETCH(QByteArray, input);
    QFETCH(QPoint, cell);
    Screen screen(rowCount);
    screen.ansi.Write(input);
    QCOMPARE(screen.cursor(), cell);
    QCOMPARE(screen.ansi.ParseState(), TAnsi::TParseState::Ground);
}

void tst_Ansi::a_byte_at_column_80_is_a_line_feed()
{
    Screen screen;
    screen.ansi.Write("\x1b[5;80H");
    const QImage before = screen.image;
    screen.ansi.Write("X");
    QCOMPARE(screen.cursor(), QPoint(80, 6));
    QCOMPARE(screen.image, before);
    QCOMPARE(screen.ansi.CharAtCell(80, 5), quint8(0));
    // Every further byte on that line does the same.
    screen.ansi.Write("YZ");
    QCOMPARE(screen.cursor(), QPoint(80, 8));
    screen.ansi.Write("\r\nA");
    QCOMPARE(screen.ansi.CharAtCell(1, 9), quint8('A'));
}

void tst_Ansi::printing_advances_by_the_glyph_width()
{
    QImage image(800, 600, QImage::Format_RGB32);
    TAnsi ansi;
    ansi.AttachSurface(&image);
    ansi.Write("\x1b[2;3Habc");
    QCOMPARE(ansi.Surface()->penPos(), QPoint(6 * ansi.CellWidth(), 2 * ansi.CellHeight()));
    // With a fixed cell the pen still moves by the glyph, not by the cell.
    ansi.SetFontSize(20);
    ansi.Write("\x1b[2;3Habc");
    QCOMPARE(ansi.Surface()->penPos().x(), 60 + 3 * ansi.Surface()->textWidth('a'));
    QVERIFY(ansi.Surface()->textWidth('a') != 20);
}

void tst_Ansi::escape_drops_the_next_byte()
{
    Screen screen;
    screen.ansi.Write("\x1bxA\x1b\x1b[2;2HB\x1b[5;5\x01");
    QCOMPARE(screen.ansi.CharAtCell(1, 1), quint8('A'));
    QCOMPARE(screen.ansi.CharAtCell(2, 1), quint8(0));
    QCOMPARE(screen.ansi.CharAtCell(2, 2), quint8('B'));
    // A byte that is no command ends the sequence and is dropped.
    const QPoint pen = screen.ansi.Surface()->penPos();
    QCOMPARE(screen.ansi.ParseState(), TAnsi::TParseState::Ground);
    screen.ansi.Write("C");
    QCOMPARE(screen.ansi.Surface()->penPos().x(), pen.x() + screen.ansi.Surface()->textWidth('C'));
}

void tst_Ansi::line_feed_on_the_last_row_scrolls()
{
    Screen screen(26);
    screen.ansi.Write("\x1b[2;1H\xdb\xdb\x1b[26;1HL");
    const QImage before = screen.image;
    screen.ansi.Write("\n");
    QCOMPARE(screen.cursor().y(), 26);
    // Pixels and cells moved up one row ...
    QCOMPARE(screen.ansi.CharAtCell(1, 1), quint8(0xDB));
    QCOMPARE(screen.ansi.CharAtCell(1, 2), quint8(0));
    QCOMPARE(screen.image.copy(0, 12, 800, 12), before.copy(0, 24, 800, 12));
    QCOMPARE(screen.image.copy(0, 25 * 12, 800, 12), before.copy(0, 26 * 12, 800, 12));
    QCOMPARE(screen.ansi.CharAtCell(1, 25), quint8('L'));
    // ... the last row shows the band below it, but keeps its characters.
    QCOMPARE(screen.image.copy(0, 26 * 12, 800, 12), before.copy(0, 27 * 12, 800, 12));
    QCOMPARE(screen.ansi.CharAtCell(1, 26), quint8('L'));
    // Columns right of column 80 do not move.
    QCOMPARE(screen.image.copy(800 - 1, 0, 1, 600), before.copy(800 - 1, 0, 1, 600));
}

void tst_Ansi::scroll_commands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("lines");
    QTest::newRow("T") << QByteArray("\x1b[T") << 1;
    QTest::newRow("T 3") << QByteArray("\x1b[3T") << 3;
    QTest::newRow("T 0") << QByteArray("\x1b[0T") << 1;
    QTest::newRow("S") << QByteArray("\x1b[S") << 1;
    QTest::newRow("S 0") << QByteArray("\x1b[0S") << 1;
    QTest::newRow("S 1 scrolls nothing") << QByteArray("\x1b[1S") << 0;
    QTest::newRow("S 5 scrolls nothing") << QByteArray("\x1b[5S") << 0;
    QTest::newRow("T beyond the screen") << QByteArray("\x1b[999999T") << 99;
}

void tst_Ansi::scroll_commands()
{
    QFETCH(QByteArray, command);
    QFETCH(int, lines);
    Screen screen(10);
    for (int row = 1; row <= 10; ++row)
        screen.ansi.Write("\x1b[" + QByteArray::number(row) + ";1H" + char('A' + row));
    screen.ansi.Write(command);
    for (int row = 1; row <= 10; ++row) {
        const int from = qMin(row + lines, 10);
        QCOMPARE(screen.ansi.CharAtCell(1, row), quint8('A' + from));
    }
}

void tst_Ansi::printing_below_the_last_row_scrolls_first()
{
    Screen screen(26);
    screen.ansi.Write("\x1b[2;1HA\x1b[5;400p!B");
    QCOMPARE(screen.ansi.CharAtCell(1, 1), quint8('A'));
    QCOMPARE(screen.ansi.Cells().at(0, 26).Char, quint8('B'));
    QCOMPARE(screen.cursor().y(), 26);
}

void tst_Ansi::palettes_data()
{
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<QRgb>("ink");
    QTest::addColumn<QRgb>("paper");
    QTest::newRow("bright red") << QByteArray("\x1b[1m\x1b[31m") << QRgb(0xFFFF0000) << QRgb(0xFF000000);
    QTest::newRow("dim red") << QByteArray("\x1b[0m\x1b[31m") << QRgb(0xFF800000) << QRgb(0xFF000000);
    QTest::newRow("bright 30 is grey") << QByteArray("\x1b[1;30m") << QRgb(0xFF808080) << QRgb(0xFF000000);
    QTest::newRow("dim 30 is black") << QByteArray("\x1b[0;30;47m") << QRgb(0xFF000000) << QRgb(0xFFC0C0C0);
    QTest::newRow("reset is silver on black") << QByteArray("\x1b[m") << QRgb(0xFFC0C0C0) << QRgb(0xFF000000);
    QTest::newRow("any attribute is bright") << QByteArray("\x1b[0;5m") << QRgb(0xFFFFFFFF) << QRgb(0xFF000000);
    QTest::newRow("yellow on navy") << QByteArray("\x1b[0;1;33;44m") << QRgb(0xFFFFFF00) << QRgb(0xFF000080);
    QTest::newRow("38 and 48 ignored") << QByteArray("\x1b[1;32;43m\x1b[38;48m") << QRgb(0xFF00FF00) << QRgb(0xFFA85400);
    QTest::newRow("line sets 39") << QByteArray("\x1b[1m\x1b[1;1;1;1;1;31;0L") << QRgb(0xFFC0C0C0) << QRgb(0xFF000000);
    QTest::newRow("clear selects bright") << QByteArray("\x1b[0;36m\x1b[2J") << QRgb(0xFF00FFFF) << QRgb(0xFF000000);
}

void tst_Ansi::palettes()
{
    QFETCH(QByteArray, codes);
    QFETCH(QRgb, ink);
    QFETCH(QRgb, paper);
    Screen screen;
    screen.ansi.Write("\x1b[40m\x1b[J" + codes + "\x1b[3;3H\xdb ");
    QCOMPARE(screen.cellInk(3, 3), ink);
    QCOMPARE(screen.cellInk(4, 3), paper);
}

void tst_Ansi::colour_table()
{
    TAnsi ansi;
    QCOMPARE(rgbOf(ansi.ColorOf(43)), QRgb(0xFFA85400));
    QCOMPARE(rgbOf(ansi.ColorOf(47)), QRgb(0xFFC0C0C0));
    QCOMPARE(rgbOf(ansi.ColorOf(48)), QRgb(0xFF808080));
    QCOMPARE(rgbOf(ansi.ColorOf(39)), QRgb(0xFFC0C0C0));
    QCOMPARE(rgbOf(ansi.ColorOf(49)), QRgb(0xFF000000));
    ansi.Write("\x1b[0m");
    QCOMPARE(rgbOf(ansi.ColorOf(34)), QRgb(0xFF000080));
    QCOMPARE(rgbOf(ansi.ColorOf(30)), QRgb(0xFF000000));
    QCOMPARE(rgbOf(ansi.ColorOf(44)), QRgb(0xFF000080));
}

void tst_Ansi::clear_screen_data()
{
    QTest::addColumn<QByteArray>("clear");
    QTest::addColumn<QRgb>("fill");
    QTest::newRow("ESC [ J") << QByteArray("\x1b[J") << QRgb(0xFF000080);
    QTest::newRow("ESC [ 1J clears everything too") << QByteArray("\x1b[1J") << QRgb(0xFF000080);
    QTest::newRow("form feed is black") << QByteArray("\f") << QRgb(0xFF000000);
}

void tst_Ansi::clear_screen()
{
    QFETCH(QByteArray, clear);
    QFETCH(QRgb, fill);
    Screen screen;
    screen.ansi.Write("\x1b[0;44m\x1b[5;5HPlay\x1b[9;9H" + clear);
    for (const QPoint p : {QPoint(0, 0), QPoint(799, 599), QPoint(55, 65)})
        QCOMPARE(screen.pixel(p.x(), p.y()), fill);
    QCOMPARE(screen.ansi.CharAtCell(5, 5), quint8(0));
    QCOMPARE(screen.cursor(), QPoint(1, 1));
    QVERIFY(!screen.ansi.DimColors());
    QCOMPARE(screen.ansi.Surface()->brush().style(), Qt::SolidPattern);
}

void tst_Ansi::cross_hatch_clear_keeps_the_gaps()
{
    Screen screen;
    screen.ansi.Write("\x1b[0;44m\x1b[2J");
    int navy = 0, paper = 0;
    for (int x = 100; x < 140; ++x) {
        navy += screen.pixel(x, 100) == 0xFF000080;
        paper += screen.pixel(x, 100) == kPaper;
    }
    QVERIFY(navy > 0 && paper > 0);
    QCOMPARE(navy + paper, 40);
    QCOMPARE(screen.ansi.Surface()->brush().style(), Qt::SolidPattern);
}

void tst_Ansi::erase_in_line_data()
{
    QTest::addColumn<QByteArray>("erase");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("K from the cursor") << QByteArray("\x1b[K") << 10 << 79;
    QTest::newRow("0K") << QByteArray("\x1b[0K") << 10 << 79;
    QTest::newRow("1K up to the cursor") << QByteArray("\x1b[1K") << 1 << 9;
    QTest::newRow("20K from column 20") << QByteArray("\x1b[20K") << 20 << 79;
    QTest::newRow("85K nothing") << QByteArray("\x1b[85K") << 85 << 84;
}

void tst_Ansi::erase_in_line()
{
    QFETCH(QByteArray, erase);
    QFETCH(int, first);
    QFETCH(int, last);
    Screen screen;
    // The blanks take the brush as the last printed byte left it.
    screen.ansi.Write("\x1b[1;31;42m\x1b[5;1HX\x1b[5;10H" + erase);
    for (int column = 0; column <= 80; ++column) {
        const ScreenCell cell = screen.ansi.Cells().at(column, 5);
        if (column >= first && column <= last)
            QCOMPARE(cell, (ScreenCell{0x20, 31, 42}));
        else if (column != 1)
            QCOMPARE(cell.Char, quint8(0));
    }
    // The blanks were drawn from the run's start, which leaves the cursor after them.
    const int blanks = qMax(0, last - first + 1);
    const int advance = screen.ansi.Surface()->textWidth(' ');
    QCOMPARE(screen.ansi.Surface()->penPos().x(), first * 10 + blanks * advance);
    if (blanks > 0)
        QCOMPARE(screen.pixel(first * 10 + 1, 5 * 12 + 3), QRgb(0xFF008000));
    if (first > 1 && first < 80)
        QCOMPARE(screen.pixel(first * 10 - 2, 5 * 12 + 3), kPaper);
}

void tst_Ansi::captures_data()
{
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("events");

    QTest::newRow("resource picture: bottom, right, top, left")
        << 10 << QByteArray("\x1b[3;10;2;4Gcards]")
        << QStringList{"picture 40,24,100,36 cards"};
    QTest::newRow("list picture")
        << 10 << QByteArray("\x1b[3;10;2;4G 12>")
        << QStringList{"list 40,24,100,36 12"};
    QTest::newRow("sound") << 10 << QByteArray("\x1b[5Gding.wav}") << QStringList{"sound ding.wav"};
    QTest::newRow("surface text rounds halves to even")
        << 9 << QByteArray("\x1b[1.5;2;12;31WHello]")
        << QStringList{"text 14,22,12,31 Hello"};
    QTest::newRow("surface text half down to even")
        << 9 << QByteArray("\x1b[2.5;0.5;8;33Z Hi]")
        << QStringList{"text 22,6,8,33  Hi"};
    QTest::newRow("button")
        << 10 << QByteArray("\x1b[1;2;3;4;5;36WDeal>")
        << QStringList{"button 10,24,30,48 5 36 Deal"};
    QTest::newRow("message box") << 10 << QByteArray("\x1b[Whello there}") << QStringList{"message hello there"};
    QTest::newRow("text keeps ESC, CR and LF")
        << 10 << QByteArray("\x1b[1;1;1;1Ga\x1b[2Jb\r\nc]")
        << QStringList{"picture 10,12,10,12 a\\x1b[2Jb\\x0d\\x0ac"};
    QTest::newRow("music ends at a non-music byte")
        << 10 << QByteArray("\x1b[MT120L8CDE\x0e") << QStringList{"sound MT120L8CDE"};
    QTest::newRow("music ends at ESC, which starts a sequence")
        << 10 << QByteArray("\x1b[MCDE\x1b[6n") << QStringList{"sound MCDE", "report \\x1b[6"};
    QTest::newRow("report") << 10 << QByteArray("\x1b[6n") << QStringList{"report \\x1b[6"};
    QTest::newRow("report with parameters") << 10 << QByteArray("\x1b[1;2.5n") << QStringList{"report \\x1b[1;2.5"};
    QTest::newRow("refresh") << 10 << QByteArray("\x1b[r") << QStringList{"refresh"};
    QTest::newRow("beep") << 10 << QByteArray("\a") << QStringList{"beep"};
}

void tst_Ansi::captures()
{
    QFETCH(int, fontSize);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, events);
    Screen screen;
    screen.ansi.SetFontSize(fontSize);
    screen.ansi.Write(input + "A");
    QCOMPARE(screen.recorder.events, events);
    QCOMPARE(screen.ansi.ParseState(), TAnsi::TParseState::Ground);
    QVERIFY(!screen.ansi.PictureCapture() && !screen.ansi.WidgetCapture() && !screen.ansi.MusicMode());
}

void tst_Ansi::captures_split_across_writes()
{
    const QByteArray stream = "\x1b[3;10;2;4Gca\x1b\rds]\x1b[1;2;3;4;5;36WDeal>\x1b[MCDE.\x1b[6nX";
    Screen whole;
    whole.ansi.Write(stream);
    QCOMPARE(whole.recorder.events.size(), 4);
    for (int cut = 1; cut < stream.size(); ++cut) {
        Screen split;
        split.ansi.Write(stream.left(cut));
        split.ansi.Write(stream.mid(cut));
        QCOMPARE(split.recorder.events, whole.recorder.events);
        QCOMPARE(split.ansi.Cells().at(1, 1), whole.ansi.Cells().at(1, 1));
    }
}

void tst_Ansi::captures_without_handlers_are_dropped()
{
    Screen screen;
    TAnsi &ansi = screen.ansi;
    ansi.OnResourcePicture = nullptr;
    ansi.OnListPicture = nullptr;
    ansi.OnSound = nullptr;
    ansi.OnSurfaceText = nullptr;
    ansi.OnButton = nullptr;
    ansi.OnReport = nullptr;
    ansi.OnRefresh = nullptr;
    ansi.ShowMessage = nullptr;
    // Without a list-picture handler the text is never read as a number.
    ansi.Write("\x1b[5;5H\x1b[1;2;3;4Gx]\x1b[1;1;1;1Gnot a number>\x1b[1;2W1]\x1b[Wm}\x1b[MCD;"
               "\x1b[1;2;3;4;5;6Wb>\x1b[6n\x1b[rA");
    QCOMPARE(screen.recorder.events, QStringList());
    QCOMPARE(ansi.CharAtCell(5, 4), quint8('A'));
}

void tst_Ansi::list_picture_that_is_not_a_number_ends_the_write()
{
    Screen screen;
    screen.ansi.Write("\x1b[5;5H\x1b[1;1;1;1Gabc>XYZ");
    QCOMPARE(screen.recorder.events.size(), 1);
    QVERIFY(screen.recorder.events.first().startsWith("failure "));
    QVERIFY(screen.recorder.events.first().contains("abc"));
    QVERIFY(screen.ansi.Idle());
    QCOMPARE(screen.ansi.CharAtCell(5, 5), quint8(0));
    QCOMPARE(screen.cursor(), QPoint(5, 5));
    // The next Write starts from a clean parser.
    screen.ansi.Write("Q");
    QCOMPARE(screen.ansi.CharAtCell(5, 5), quint8('Q'));
}

void tst_Ansi::long_captures_keep_64_kib()
{
    Screen screen;
    const QByteArray body(100 * 1024, 'x');
    screen.ansi.Write("\x1b[1;1;1;1G");
    for (int i = 0; i < 4; ++i)
        screen.ansi.Write(body);
    QCOMPARE(screen.ansi.PictureText().size(), kAnsiTextCap);
    screen.ansi.Write("]");
    QCOMPARE(screen.recorder.events.size(), 1);
    QCOMPARE(screen.recorder.events.first().size(), QString("picture 10,12,10,12 ").size() + kAnsiTextCap);

    screen.ansi.Write("\x1b[" + QByteArray(200 * 1024, '7'));
    QCOMPARE(screen.ansi.Params().size(), kAnsiTextCap);
    screen.ansi.Write("M" + QByteArray(100 * 1024, 'C'));
    QCOMPARE(screen.ansi.Params().size(), kAnsiTextCap);
    screen.ansi.Write(";");
    QCOMPARE(screen.recorder.events.size(), 2);
    QVERIFY(screen.recorder.events.last().startsWith("sound MCCC"));
}

void tst_Ansi::idle_and_reentrant_writes()
{
    Screen screen;
    QVERIFY(screen.ansi.Idle());
    bool idleInHandler = true;
    screen.ansi.OnReport = [&](const QByteArray &) { idleInHandler = screen.ansi.Idle(); };
    screen.ansi.Write("\x1b[n");
    QVERIFY(!idleInHandler);
    QVERIFY(screen.ansi.Idle());

    // A Write that runs to its end inside a handler ends the outer one.
    screen.ansi.OnRefresh = [&] { screen.ansi.Write("\x1b[2;2HB"); };
    screen.ansi.Write("\x1b[1;1HA\x1b[rCD");
    QCOMPARE(screen.ansi.CharAtCell(1, 1), quint8('A'));
    QCOMPARE(screen.ansi.CharAtCell(2, 2), quint8('B'));
    QCOMPARE(screen.ansi.CharAtCell(3, 2), quint8(0));

    // So does StopWrite.
    screen.ansi.OnRefresh = [&] { screen.ansi.StopWrite(); };
    screen.ansi.Write("\x1b[5;1H\x1b[rE");
    QCOMPARE(screen.ansi.CharAtCell(1, 5), quint8(0));
}

void tst_Ansi::line_command()
{
    Screen screen;
    screen.ansi.Write("\x1b[20;30;60;30;1;31;0L");
    QCOMPARE(screen.pixel(20, 30), QRgb(0xFFFF0000));
    QCOMPARE(screen.pixel(59, 30), QRgb(0xFFFF0000));
    // A thin line stops before its end point.
    QCOMPARE(screen.pixel(60, 30), kPaper);
    QCOMPARE(screen.pixel(40, 31), kPaper);
    QCOMPARE(screen.ansi.Surface()->penPos(), QPoint(60, 30));
    QCOMPARE(screen.ansi.ForeCode(), quint8(39));
    // A start of 0;0 continues from the pen; width 5 covers two pixels each side.
    screen.ansi.Write("\x1b[0;0;60;90;5;32;0L");
    QCOMPARE(screen.pixel(60, 60), QRgb(0xFF00FF00));
    QCOMPARE(screen.pixel(58, 60), QRgb(0xFF00FF00));
    QCOMPARE(screen.pixel(62, 60), QRgb(0xFF00FF00));
    QCOMPARE(screen.pixel(64, 60), kPaper);
    // Far-off end points are drawn as far as they reach the picture.
    screen.ansi.Write("\x1b[100;200;2000000000;200;1;33;0L");
    QCOMPARE(screen.pixel(799, 200), QRgb(0xFFFFFF00));
}

void tst_Ansi::polyline_and_dots()
{
    Screen screen;
    screen.ansi.Write("\x1b[0;1;34m\x1b[10;10;10;10;1;37;0L\x1b[10;10p100;100l190;10lXY");
    QCOMPARE(screen.pixel(50, 50), QRgb(0xFFFFFFFF));
    QCOMPARE(screen.pixel(150, 50), QRgb(0xFFFFFFFF));
    // X ended the sequence and was dropped; Y printed at the polyline's end.
    QCOMPARE(screen.ansi.Cells().at(19, 0).Char, quint8('Y'));

    screen.ansi.Write("\x1b[10;300;110;300;1;31;2L");
    int red = 0;
    for (int x = 10; x < 110; ++x)
        red += screen.pixel(x, 300) == 0xFFFF0000;
    QVERIFY(red > 20 && red < 80);
}

void tst_Ansi::box_corners_data()
{
    QTest::addColumn<int>("penWidth");
    QTest::addColumn<QRect>("outer"); // the outline's outermost pixels
    QTest::addColumn<QRect>("inner"); // the fill inside the outline
    // X = 20, Y = 24, W = 30, H = 20 (scaled by the cell width).
    QTest::newRow("pen 1") << 1 << QRect(QPoint(19, 23), QPoint(53, 42)) << QRect(QPoint(20, 24), QPoint(52, 41));
    QTest::newRow("pen 3") << 3 << QRect(QPoint(19, 23), QPoint(57, 44)) << QRect(QPoint(22, 26), QPoint(54, 41));
}

void tst_Ansi::box_corners()
{
    QFETCH(int, penWidth);
    QFETCH(QRect, outer);
    QFETCH(QRect, inner);
    Screen screen;
    screen.ansi.Write("\x1b[2;2;3;2;" + QByteArray::number(penWidth) + ";37;41;1R");
    const QRgb white = 0xFFFFFFFF, maroon = 0xFF800000;
    const int midX = outer.center().x(), midY = outer.center().y();
    QCOMPARE(screen.pixel(outer.left(), midY), white);
    QCOMPARE(screen.pixel(outer.right(), midY), white);
    QCOMPARE(screen.pixel(midX, outer.top()), white);
    QCOMPARE(screen.pixel(midX, outer.bottom()), white);
    QCOMPARE(screen.pixel(outer.left() - 1, midY), kPaper);
    QCOMPARE(screen.pixel(outer.right() + 1, midY), kPaper);
    QCOMPARE(screen.pixel(midX, outer.top() - 1), kPaper);
    QCOMPARE(screen.pixel(midX, outer.bottom() + 1), kPaper);
    QCOMPARE(screen.pixel(inner.left(), inner.top()), maroon);
    QCOMPARE(screen.pixel(inner.right(), inner.bottom()), maroon);
    // The cursor does not move.
    QCOMPARE(screen.cursor(), QPoint(1, 1));
}

void tst_Ansi::unfilled_box_leaves_text_background_clear()
{
    Screen screen;
    screen.ansi.Write("\x1b[1;37;44m\x1b[2;2;3;2;1;31;0;0R\x1b[10;10H \x1b[20;20H\xdb");
    QCOMPARE(screen.pixel(30, 30), kPaper);         // the box is not filled
    QCOMPARE(screen.pixel(101, 123), kPaper);       // the blank left the paper as it was
    QCOMPARE(screen.cellInk(20, 20), QRgb(0xFFFFFFFF));
    // A clear makes the brush solid again.
    screen.ansi.Write("\x1b[J\x1b[10;10H ");
    QCOMPARE(screen.pixel(101, 123), QRgb(0xFF000080));
}

void tst_Ansi::ball_lightens_towards_its_centre()
{
    Screen screen;
    // Centre (50, 60), diameter 20, blue: red and green grow by 6 a ring.
    screen.ansi.Write("\x1b[5;5;2;34o");
    const QColor edge = QColor::fromRgb(screen.pixel(40, 60));
    const QColor centre = QColor::fromRgb(screen.pixel(50, 60));
    QCOMPARE(edge, QColor(6, 6, 255));
    QVERIFY(centre.red() >= 90 && centre.red() == centre.green());
    QCOMPARE(centre.blue(), 255);
    QCOMPARE(screen.pixel(35, 60), kPaper);
    QCOMPARE(screen.ansi.Surface()->pen().style(), Qt::NoPen);
    // A diameter of 0 draws nothing.
    const QImage before = screen.image;
    screen.ansi.Write("\x1b[20;20;0;31o");
    QCOMPARE(screen.image, before);
    // A huge ball has no steps: one disc covering the picture.
    screen.ansi.Write("\x1b[40;25;99999;32o");
    QCOMPARE(screen.pixel(0, 0), QRgb(0xFF00FF00));
    QCOMPARE(screen.pixel(799, 599), QRgb(0xFF00FF00));
}

void tst_Ansi::cell_text_at_data()
{
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("cell") << 40 << QPoint(125, 30) << QByteArray("12;2");
    QTest::newRow("left margin") << 40 << QPoint(5, 30) << QByteArray("0;2");
    QTest::newRow("top margin") << 40 << QPoint(125, 5) << QByteArray("12;0");
    QTest::newRow("column 81") << 40 << QPoint(815, 30) << QByteArray("1;1");
    QTest::newRow("column 80") << 40 << QPoint(805, 30) << QByteArray("80;2");
    QTest::newRow("row 27 of 26") << 26 << QPoint(10, 330) << QByteArray("1;1");
    QTest::newRow("row 27 starts at 324") << 26 << QPoint(10, 324) << QByteArray("1;1");
    QTest::newRow("row 26") << 26 << QPoint(10, 323) << QByteArray("1;26");
}

void tst_Ansi::cell_text_at()
{
    QFETCH(int, rowCount);
    QFETCH(QPoint, press);
    QFETCH(QByteArray, text);
    Screen screen(rowCount);
    QCOMPARE(screen.ansi.CellTextAt(press.x(), press.y()), text);
}

void tst_Ansi::painted_cells()
{
    Screen screen(26, Screen::Measured);
    const int w = screen.ansi.CellWidth(), h = screen.ansi.CellHeight();
    screen.ansi.Write("\x1b[J\x1b[5;10HPlay\x1b[6;20H\x1b[K");
    QCOMPARE(screen.ansi.CharAtPoint(10 * w + 1, 5 * h + 1), quint8('P'));
    QCOMPARE(screen.ansi.CharAtPoint(13 * w + 1, 5 * h + 1), quint8('y'));
    QCOMPARE(screen.ansi.CharAtPoint(14 * w + 1, 5 * h + 1), quint8(0));
    QCOMPARE(screen.ansi.CharAtPoint(9 * w + 1, 5 * h + 1), quint8(0));
    QCOMPARE(screen.ansi.CharAtCell(20, 6), quint8(' '));
    QCOMPARE(screen.ansi.CharAtCell(79, 6), quint8(' '));
    QCOMPARE(screen.ansi.CharAtCell(19, 6), quint8(0));
    QCOMPARE(screen.ansi.CharAtPoint(1, 6 * h + 1), quint8(0));       // margin
    QCOMPARE(screen.ansi.CharAtPoint(81 * w, 6 * h + 1), quint8(0));  // right of column 80
    screen.ansi.Write("\x1b[1;1H\x1b[0p!X\x1b[26;1HY");
    QCOMPARE(screen.ansi.Cells().at(0, 0).Char, quint8('X'));
    QCOMPARE(screen.ansi.CharAtCell(0, 0), quint8(0));
    QCOMPARE(screen.ansi.CharAtCell(1, 26), quint8('Y'));
    QCOMPARE(screen.ansi.CharAtCell(81, 1), quint8(0));
    QCOMPARE(screen.ansi.CharAtCell(1, 27), quint8(0));
    screen.ansi.Write("\x1b[J");
    for (int y = 0; y < 600; y += 6)
        for (int x = 0; x < 800; x += 6)
            QCOMPARE(screen.ansi.CharAtPoint(x, y), quint8(0));
}

void tst_Ansi::scrolling_moves_the_marks()
{
    Screen screen(26, Screen::Measured);
    screen.ansi.Write("\x1b[3;10HPlay\x1b[26;1Hend\n");
    QCOMPARE(screen.ansi.CharAtCell(10, 2), quint8('P'));
    QCOMPARE(screen.ansi.CharAtCell(10, 3), quint8(0));
    QCOMPARE(screen.ansi.CharAtCell(1, 25), quint8('e'));
    // The last row keeps the marks although its pixels scrolled away.
    QCOMPARE(screen.ansi.CharAtCell(1, 26), quint8('e'));
    const int h = screen.ansi.CellHeight();
    QCOMPARE(screen.image.copy(0, 26 * h, 80 * screen.ansi.CellWidth(), h),
             screen.image.copy(0, 27 * h, 80 * screen.ansi.CellWidth(), h));
}

VT_TEST_MAIN(tst_Ansi)
#include "tst_ansi.moc"
