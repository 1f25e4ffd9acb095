// The bridged door against real programs: recorded sessions of nethack,
// vim, top and an ncurses box(), put through the bridge's filter and fed to
// the clients' screen engine, must show the cell grid (characters and
// colours) that libvterm shows for the programs' own output on an 80 by 26
// terminal.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <vterm.h>

#include "ArtGallery.h"
#include "BridgeSession.h"
#include "EngineScreen.h"
#include "TermFilter.h"
#include "TestMain.h"

namespace {

QByteArray recording(const char *name)
{
    QFile file(QStringLiteral(VANTORA_SOURCE_DIR "/tests/vtserve/data/%1.typescript").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A reference terminal: libvterm, with the colours read as xterm shows them
// (bold brightens the eight colours, then reverse swaps glyph and ground).
class Reference
{
public:
    Reference()
        : m_vt(vterm_new(TermFilter::Rows, TermFilter::Columns))
    {
        vterm_set_utf8(m_vt, 1);
        m_screen = vterm_obtain_screen(m_vt);
        vterm_screen_enable_altscreen(m_screen, 1);
        vterm_screen_reset(m_screen, 1);
    }
    ~Reference() { vterm_free(m_vt); }
    Reference(const Reference &) = delete;
    Reference &operator=(const Reference &) = delete;

    // The program's bytes as its terminal reads them: code page 437 glyphs
    // in the high half. libvterm is given them as UTF-8, each glyph in a
    // write of its own (within one write it lets a UTF-8 character end the
    // DEC line drawing of the ASCII letters after it).
    void feed(const QByteArray &bytes)
    {
        qsizetype from = 0;
        for (qsizetype i = 0; i <= bytes.size(); ++i) {
            if (i < bytes.size() && uchar(bytes.at(i)) < 0x80)
                continue;
            write(bytes.mid(from, i - from));
            if (i < bytes.size())
                write(QString(QChar(char16_t(TermFilter::FromCp437(uchar(bytes.at(i)))))).toUtf8());
            from = i + 1;
        }
    }

    TermFilter::Cell cell(int row, int column) const
    {
        VTermScreenCell c;
        vterm_screen_get_cell(m_screen, VTermPos{row - 1, column - 1}, &c);
        return convert(c, m_ice);
    }

    // ANSI art: blink is a bright background, a line feed returns the
    // carriage, and the rows scrolled off the top are kept.
    void artMode()
    {
        m_ice = true;
        write("\x1b[20h");
        static VTermScreenCallbacks callbacks = [] {
            VTermScreenCallbacks c = {};
            c.sb_pushline = [](int cols, const VTermScreenCell *cells, void *user) {
                auto *self = static_cast<Reference *>(user);
                TermFilter::Row row;
                row.fill(TermFilter::Cell());
                for (int i = 0; i < cols && i < TermFilter::Columns; ++i)
                    row[size_t(i + 1)] = convert(cells[i], self->m_ice);
                self->scrolled.append(row);
                return 1;
            };
            return c;
        }();
        vterm_screen_set_callbacks(m_screen, &callbacks, this);
    }
    QList<TermFilter::Row> scrolled;

    static TermFilter::Cell convert(const VTermScreenCell &c, bool ice)
    {
        TermFilter::Cell out;
        const uint u = c.chars[0];
        out.ch = u == 0 ? ' ' : uchar(TermFilter::ToCp437(u) ? TermFilter::ToCp437(u) : '?');
        int fg = colour(c.fg, 7);
        int bg = colour(c.bg, 0);
        if (c.attrs.bold && fg < 8)
            fg += 8;
        if (ice && c.attrs.blink && bg < 8)
            bg += 8;
        if (c.attrs.reverse)
            std::swap(fg, bg);
        out.fg = uchar(fg);
        out.bg = uchar(bg);
        return out;
    }

private:
    void write(const QByteArray &utf8)
    {
        if (!utf8.isEmpty())
            vterm_input_write(m_vt, utf8.constData(), size_t(utf8.size()));
    }

    static int colour(const VTermColor &c, int fallback)
    {
        if (VTERM_COLOR_IS_DEFAULT_FG(&c) || VTERM_COLOR_IS_DEFAULT_BG(&c))
            return fallback;
        if (VTERM_COLOR_IS_INDEXED(&c))
            return c.indexed.idx & 15;
        return fallback;
    }

    VTerm *m_vt;
    VTermScreen *m_screen;
    bool m_ice = false;
};

bool isBlank(uchar c)
{
    return c == ' ' || c == 0xFF;
}

// The differences between the engine's screen and the reference, as text.
QStringList differences(const EngineScreen &screen, const Reference &reference, const TermFilter &filter)
{
    QStringList found;
    for (int r = 1; r <= TermFilter::Rows; ++r) {
        for (int c = 1; c <= TermFilter::Columns; ++c) {
            const TermFilter::Cell want = reference.cell(r, c);
            const TermFilter::Cell meant = filter.cell(r, c);
            const EngineScreen::Seen got = screen.at(r, c);
            const uchar ch = c == 80 ? TermFilter::SurfaceGlyph(want.ch) : TermFilter::EngineGlyph(want.ch);
            bool ok = got.ch == ch;
            const QRgb fg = EngineScreen::Palette[want.fg];
            const QRgb bg = EngineScreen::Palette[want.bg];
            if (want.ch == 0xDB && c < 80)   // a full block shows its glyph colour only
                ok = ok && got.fg == fg;
            else if (want.ch >= 0xB0 && want.ch <= 0xB2 && c < 80)   // shades: half and half
                ok = ok && ((got.fg == fg && got.bg == bg) || (got.fg == bg && got.bg == fg));
            else
                ok = ok && got.bg == EngineScreen::Palette[want.bg];
            if (ok && !isBlank(want.ch) && want.fg != want.bg && (c == 80 || got.glyphSeen) && want.ch != 0xDB
                && !(want.ch >= 0xB0 && want.ch <= 0xB2))
                ok = got.fg == EngineScreen::Palette[want.fg];
            if (!ok) {
                found << QStringLiteral("row %1 column %2: want %3 (%4 on %5), got %6 (%7 on %8), filter %9 (%10 on %11)")
                             .arg(r)
                             .arg(c)
                             .arg(int(ch), 2, 16)
                             .arg(want.fg)
                             .arg(want.bg)
                             .arg(int(got.ch), 2, 16)
                             .arg(got.fg, 6, 16, QLatin1Char('0'))
                             .arg(got.bg, 6, 16, QLatin1Char('0'))
                             .arg(int(meant.ch), 2, 16)
                             .arg(meant.fg)
                             .arg(meant.bg);
            }
        }
    }
    return found;
}

// A program that writes what the test says, on a terminal of its own.
struct ScriptedProgram : TerminalLauncher {
    struct Process : TerminalProcess {
        explicit Process(ScriptedProgram *owner) : owner(owner) {}
        void write(const QByteArray &bytes) override { owner->typed += bytes; }
        void setPaused(bool) override {}
        QByteArray terminalType() const override { return "vantora"; }
        ScriptedProgram *owner;
    };
    std::unique_ptr<TerminalProcess> start(const TerminalRequest &request, TerminalProcess::Output out,
                                           TerminalProcess::Exited ex, QString *) override
    {
        columns = request.columns;
        rows = request.rows;
        output = std::move(out);
        exited = std::move(ex);
        return std::make_unique<Process>(this);
    }
    TerminalProcess::Output output;
    TerminalProcess::Exited exited;
    QByteArray typed;
    int columns = 0;
    int rows = 0;
};

struct Door {
    ScriptedProgram program;
    EngineScreen screen;
    qint64 clock = 1000;
    QStringList log;
    BridgeSession session{&program, {QStringLiteral("game")}, "Ann", [this](const QByteArray &b) { screen.feed(b); }, {}};
    Door()
    {
        session.setClock([this] { return clock; });
        session.setLogger([this](const QString &text) { log << text; });
        session.start();
    }
    void later(int ms)
    {
        clock += ms;
        session.tick();
    }
    QByteArray text(int row, int from, int count) const
    {
        QByteArray t;
        for (int c = from; c < from + count; ++c)
            t += char(screen.at(row, c).ch);
        return t;
    }
};

} // namespace

class TestVtserveBridge : public QObject
{
    Q_OBJECT

private slots:
    void recordedSessionsShowAsOnATerminal_data()
    {
        QTest::addColumn<QByteArray>("name");
        for (const char *name : {"box", "nethack", "vim", "top"})
            QTest::newRow(name) << QByteArray(name);
    }
    void recordedSessionsShowAsOnATerminal()
    {
        QFETCH(QByteArray, name);
        const QByteArray bytes = recording(name.constData());
        QVERIFY2(!bytes.isEmpty(), name.constData());
        TermFilter filter;
        EngineScreen screen;
        Reference reference;
        // Compared after every read, as the program's output arrives in pieces.
        constexpr qsizetype Piece = 613;
        for (qsizetype at = 0; at < bytes.size(); at += Piece) {
            const QByteArray piece = bytes.mid(at, Piece);
            screen.feed(filter.translate(piece, nullptr));
            reference.feed(piece);
            const QStringList diff = differences(screen, reference, filter);
            QVERIFY2(diff.isEmpty(), qPrintable(QStringLiteral("after %1 bytes, %2 cells differ:\n")
                                                     .arg(at + piece.size())
                                                     .arg(diff.size())
                                                 + diff.mid(0, 12).join(QLatin1Char('\n'))));
        }
        QCOMPARE(screen.bytesAtColumn80, 0);
        QCOMPARE(screen.strayTexts, 0);
    }

    // The shared art files, as the gallery renders them, against libvterm
    // at 80 columns; then each page as the engine shows it.
    void artShowsWholeAsOnATerminal_data()
    {
        QTest::addColumn<QString>("file");
        const QDir dir(QStringLiteral(VANTORA_TESTDATA_DIR "/ansi"));
        const QStringList files = dir.entryList({QStringLiteral("*.ans")}, QDir::Files, QDir::Name);
        for (const QString &f : files)
            QTest::newRow(qPrintable(f)) << dir.filePath(f);
        if (files.isEmpty())
            QTest::newRow("no art") << QString();
    }
    void artShowsWholeAsOnATerminal()
    {
        QFETCH(QString, file);
        if (file.isEmpty())
            QSKIP("the shared art files are not there");
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray title;
        const QByteArray bytes = f.readAll();
        const QByteArray art = ArtGallery::Strip(bytes, &title);
        QVERIFY(!art.contains('\x1a'));
        if (bytes.right(128).startsWith("SAUCE00"))
            QVERIFY(art.size() <= bytes.size() - 128);
        const QList<TermFilter::Row> rows = ArtGallery::Render(art);
        QVERIFY(rows.size() > 5);

        Reference reference;
        reference.artMode();
        reference.feed(art);
        QList<TermFilter::Row> want = reference.scrolled;
        for (int r = 1; r <= TermFilter::Rows; ++r) {
            TermFilter::Row row;
            for (int c = 1; c <= TermFilter::Columns; ++c)
                row[size_t(c)] = reference.cell(r, c);
            want.append(row);
        }
        const auto blank = [](const TermFilter::Row &row) {
            for (int c = 1; c <= TermFilter::Columns; ++c) {
                if ((row[size_t(c)].ch != ' ' && row[size_t(c)].ch != 0xFF) || row[size_t(c)].bg != 0)
                    return false;
            }
            return true;
        };
        while (!want.isEmpty() && blank(want.last()))
            want.removeLast();
        QCOMPARE(rows.size(), want.size());
        int differing = 0;
        QString first;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            for (int c = 1; c <= TermFilter::Columns; ++c) {
                const TermFilter::Cell a = rows.at(r)[size_t(c)];
                const TermFilter::Cell b = want.at(r)[size_t(c)];
                const bool blankCell = a.ch == ' ' || a.ch == 0xFF;
                if (a.ch != b.ch || a.bg != b.bg || (!blankCell && a.fg != b.fg)) {
                    if (!differing++)
                        first = QStringLiteral("row %1 column %2").arg(r + 1).arg(c);
                }
            }
        }
        QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 cells differ, the first at %2").arg(differing).arg(first)));

        // Page by page on the engine, with nothing printed at column 80.
        QTemporaryDir folder;
        QVERIFY(QFile::copy(file, folder.filePath(QStringLiteral("art.ans"))));
        EngineScreen screen;
        ArtGallery gallery(folder.path(), [&](const QByteArray &b) { screen.feed(b); });
        gallery.start();
        QCOMPARE(gallery.pictures().size(), 1);
        QCOMPARE(gallery.pictures().first().title, title);
        gallery.keys("\r");
        QVERIFY(gallery.showing());
        for (int page = 0; page < gallery.pageCount(); ++page) {
            QCOMPARE(gallery.page(), page);
            for (int r = 1; r <= ArtGallery::PageRows; ++r) {
                const qsizetype at = qsizetype(page) * ArtGallery::PageRows + r - 1;
                for (int c = 1; c < TermFilter::Columns; ++c) {
                    const TermFilter::Cell want = at < rows.size() ? rows.at(at)[size_t(c)] : TermFilter::Cell();
                    QCOMPARE(screen.at(r, c).ch, TermFilter::EngineGlyph(want.ch));
                }
                const TermFilter::Cell last = at < rows.size() ? rows.at(at)[TermFilter::Columns] : TermFilter::Cell();
                QCOMPARE(screen.at(r, TermFilter::Columns).ch, TermFilter::SurfaceGlyph(last.ch));
            }
            gallery.keys("2");
        }
        QCOMPARE(screen.bytesAtColumn80, 0);
        QCOMPARE(screen.strayTexts, 0);
        gallery.keys("q");
        QVERIFY(!gallery.showing());
        gallery.keys("q");
        QVERIFY(gallery.ended());
    }

    void theGalleryListsTheFolder()
    {
        QTemporaryDir folder;
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile f(folder.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        QByteArray sauce = "SAUCE00" + QByteArray("Blue Moon").leftJustified(35, ' ') + QByteArray(86, ' ');
        sauce[104] = 0;
        write(QStringLiteral("b.ans"), "\x1b[44mmoon\r\n\x1a" + sauce);
        write(QStringLiteral("a.ans"), "\x1b[5;31mice\x1b[0m\nnext line");
        write(QStringLiteral("notes.txt"), "not art");
        EngineScreen screen;
        ArtGallery gallery(folder.path(), [&](const QByteArray &b) { screen.feed(b); });
        gallery.start();
        QCOMPARE(gallery.pictures().size(), 2);
        QCOMPARE(gallery.pictures().at(1).title, QByteArray("Blue Moon"));
        QByteArray line;
        for (int c = 1; c < 80; ++c)
            line += char(screen.at(ArtGallery::ListTop + 1, c).ch);
        QVERIFY2(line.contains("b.ans") && line.contains("Blue Moon"), line.constData());
        // iCE colours and a bare line feed.
        gallery.keys("6");
        QCOMPARE(screen.at(1, 1).ch, uchar('i'));
        QCOMPARE(screen.at(1, 1).bg, EngineScreen::Palette[8]);
        QCOMPARE(screen.at(1, 1).fg, EngineScreen::Palette[1]);
        QCOMPARE(screen.at(2, 1).ch, uchar('n'));
        gallery.keys("4");
        // A press on a line opens its picture.
        gallery.press(5, ArtGallery::ListTop + 1);
        QVERIFY(gallery.showing());
        QCOMPARE(gallery.selected(), 1);
        QCOMPARE(screen.at(1, 1).ch, uchar('m'));
        QCOMPARE(screen.at(1, 1).bg, EngineScreen::Palette[4]);
        QCOMPARE(screen.at(2, 1).ch, uchar(' '));   // nothing after the end mark
    }

    void theProgramGetsAFullTerminal()
    {
        Door door;
        QCOMPARE(door.program.columns, 80);
        QCOMPARE(door.program.rows, 26);
        QVERIFY(door.log.join(QLatin1Char('\n')).contains(QLatin1String("TERM=vantora")));
    }

    void theCursorShowsWhenTheOutputIsQuiet()
    {
        Door door;
        door.program.output("ab\x1b[10;10H");
        QCOMPARE(door.screen.at(10, 10).bg, EngineScreen::Palette[0]);
        door.later(50);
        QCOMPARE(door.screen.at(10, 10).bg, EngineScreen::Palette[0]);   // not quiet long enough
        door.later(60);
        QCOMPARE(door.screen.at(10, 10).bg, EngineScreen::Palette[7]);   // a reverse-video cell
        // Output takes it away and puts it where the cursor went.
        door.program.output("X");
        QCOMPARE(door.screen.at(10, 10).ch, uchar('X'));
        QCOMPARE(door.screen.at(10, 10).bg, EngineScreen::Palette[0]);
        QCOMPARE(door.screen.at(10, 10).fg, EngineScreen::Palette[7]);
        door.later(200);
        QCOMPARE(door.screen.at(10, 11).bg, EngineScreen::Palette[7]);
        // Over a coloured glyph the colours swap.
        door.program.output("\x1b[1;33;44mY\x1b[D");
        door.later(200);
        QVERIFY(door.session.filter().cursorShown());
        QCOMPARE(door.screen.at(10, 11).ch, uchar('Y'));
        QCOMPARE(door.screen.at(10, 11).bg, EngineScreen::Palette[11]);
        QCOMPARE(door.screen.at(10, 11).fg, EngineScreen::Palette[4]);
        // A program that hides it has none.
        door.program.output("\x1b[?25l\x1b[0m\x1b[5;5H");
        door.later(200);
        QCOMPARE(door.screen.at(5, 5).bg, EngineScreen::Palette[0]);
        QCOMPARE(door.screen.at(10, 11).bg, EngineScreen::Palette[4]);   // the old one is gone
        door.program.output("\x1b[?25h");
        door.later(200);
        QCOMPARE(door.screen.at(5, 5).bg, EngineScreen::Palette[7]);
        // In column 80 too.
        door.program.output("\x1b[3;80H");
        door.later(200);
        QCOMPARE(door.screen.at(3, 80).bg, EngineScreen::Palette[7]);
        QCOMPARE(door.screen.bytesAtColumn80, 0);
    }

    void theLastScreenStaysUntilAKey()
    {
        Door door;
        door.program.output("\x1b[2J\x1b[1;1HYou die...\x1b[12;30HR.I.P.");
        door.program.exited(0);
        QVERIFY(door.session.holding());
        QVERIFY(!door.session.ended());
        QCOMPARE(door.text(1, 1, 10), QByteArray("You die..."));
        QCOMPARE(door.text(12, 30, 6), QByteArray("R.I.P."));
        QCOMPARE(door.text(26, 1, 25), QByteArray(BridgeSession::HoldText));
        QVERIFY(door.log.last().contains(QLatin1String("ended (status 0)")));
        // Late output of the program changes nothing; the cursor stays away.
        door.program.output("\x1b[2Jgone");
        door.later(500);
        QCOMPARE(door.text(1, 1, 10), QByteArray("You die..."));
        door.later(BridgeSession::HoldMs - 1000);
        QVERIFY(!door.session.ended());
        door.session.keys("x");
        QVERIFY(door.session.ended());
        QVERIFY(door.program.typed.isEmpty());

        Door idle;
        idle.program.exited(3);
        idle.later(BridgeSession::HoldMs - 1);
        QVERIFY(!idle.session.ended());
        idle.later(1);
        QVERIFY(idle.session.ended());
    }
};

VT_TEST_MAIN(TestVtserveBridge)
#include "tst_vtserve_bridge.moc"
