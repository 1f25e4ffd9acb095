#pragma once

// Turns the output of a text-mode program, written for an 80 by 26 ANSI
// terminal, into what the door clients' screen engine draws the same way.
//
// The filter is a small terminal of its own: it reads every sequence the
// program writes and keeps the screen the program means (characters of code
// page 437 and the colours as xterm shows them) in a grid. After each read
// it compares that grid with what the engine shows and sends the engine, in
// its own words, what differs: cursor positions, colours, printable bytes,
// erasing and whole-screen scrolling. Whatever the engine cannot do itself
// (inserting and deleting lines and characters, scroll regions, scrolling
// down, bright backgrounds, column 80) simply shows up as cells that differ
// and are drawn again. Nothing the program writes reaches the engine as it
// stands, so the letters that mean something else there (G, W and Z
// capture pictures and buttons, L and M draw lines and play music) cannot
// be reached, and no run of bytes that the clients take for one of the
// service's markers can form.
//
// Two rules of the engine shape the drawing:
// - it prints columns 1 to 79 only (a byte at column 80 is a line feed
//   there), so column 80 is drawn with the surface-text command at that
//   cell's place, with its own brush;
// - its backgrounds are the dark eight colours, so a bright background is
//   laid down by erasing with a brush set through an unseen box, and the
//   glyphs are drawn over it with a clear brush.
//
// The program's output is read as single bytes in code page 437 (the C
// locale it runs in), or as UTF-8 mapped to code page 437 when it runs in a
// UTF-8 locale. DEC special graphics (ESC ( 0, SO and SI) and the PC
// graphics of the "ansi" type (SGR 11) become the code page's box and block
// characters. The cursor is drawn on request as a reverse-video cell.

#include <QByteArray>
#include <QList>

#include <array>

class TermFilter
{
public:
    static constexpr int Columns = 80;
    static constexpr int Rows = 26;
    // Columns the engine prints itself.
    static constexpr int EngineColumns = 79;
    static constexpr const char *TermName = "vantora";

    enum class Encoding { SingleByte, Utf8 };

    // A cell as shown: a code page 437 byte and the colours 0 to 15 (8 to
    // 15 bright) of the glyph and of its background.
    struct Cell {
        uchar ch = ' ';
        uchar fg = 7;
        uchar bg = 0;
        friend bool operator==(const Cell &, const Cell &) = default;
    };

    explicit TermFilter(Encoding encoding = Encoding::SingleByte);

    // The terminal description for tic.
    static QByteArray TerminfoSource();

    // Program output in, engine bytes out; answers for the program (cursor
    // reports, device attributes) are appended to `reply`. A cursor drawn by
    // showCursor is taken away first.
    QByteArray translate(const QByteArray &output, QByteArray *reply);

    // A terminal that wraps as soon as column 80 is written (as ANSI.SYS and
    // the "ansi" description have it), rather than at the next glyph (as
    // xterm and the "vantora" description have it).
    void setImmediateWrap(bool immediate) { m_immediateWrap = immediate; }

    // ANSI art as its editors wrote it: blink selects the bright
    // backgrounds (iCE colours), a line feed also returns the carriage, and
    // the rows that scroll off the top are kept (scrolled()).
    void setArtMode(bool art) { m_art = art; }
    using Row = std::array<Cell, Columns + 1>;
    const QList<Row> &scrolled() const { return m_scrolled; }
    // Shows these rows (blank beyond the list) instead of the program's
    // screen, without a cursor.
    QByteArray showRows(const QList<Row> &rows);

    // Draws the program's cursor as a reverse-video cell, when the program
    // has not hidden it; translate takes it away again.
    QByteArray showCursor();
    bool cursorShown() const { return m_cursorOverlay; }
    bool cursorHidden() const { return !m_cursorVisible; }

    // A press on the screen as the program wants it: a mouse report when it
    // asked for them, otherwise nothing.
    QByteArray mouseReport(int column, int row) const;
    bool mouseWanted() const { return m_mouse; }

    // The program's cursor: row 1 to 26, column 1 to 80.
    int row() const { return m_row; }
    int column() const { return m_column; }
    // The program's screen.
    const Cell &cell(int row, int column) const { return m_grid[size_t(row)][size_t(column)]; }

    // Unicode to code page 437, with near substitutes; 0 when nothing is near.
    static char ToCp437(uint codePoint);
    // Code page 437 to Unicode.
    static uint FromCp437(uchar byte);
    // The byte the engine prints for a code page 437 glyph: the glyph
    // itself, or a near one for the bytes the engine acts on instead.
    static uchar EngineGlyph(uchar cp437);
    // The byte drawn in column 80 for a code page 437 glyph: the surface
    // text is Latin-1, so the glyph or its nearest Latin-1 relative, and
    // never a byte that ends the text.
    static uchar SurfaceGlyph(uchar cp437);

private:
    using Grid = std::array<std::array<Cell, Columns + 1>, Rows + 1>;
    enum class State { Ground, Escape, Charset, Csi, Osc, String, StringEscape, Skip, Utf8 };

    struct Saved {
        int row = 1, column = 1;
        int fore = 7, back = 0;
        bool bold = false, reverse = false, foreBright = false, backBright = false, conceal = false;
        std::array<bool, 2> dec = {false, false};
        int shift = 0;
    };

    // The program's terminal.
    void ground(uchar byte);
    void escape(uchar byte);
    void csi(uchar byte);
    void dispatch(uchar final);
    void sgr();
    void mode(bool set);
    void put(uchar glyph);
    void lineFeed();
    void reverseIndex();
    void scrollUp(int top, int bottom, int n);
    void scrollDown(int top, int bottom, int n);
    void eraseCells(int row, int from, int to);
    void clearScreen();
    void moveTo(int row, int column);
    void saveCursor(Saved &s) const;
    void restoreCursor(const Saved &s);
    void reset();
    Cell blank() const;
    Cell pen(uchar ch) const;
    int param(int index, int fallback) const;

    // The engine's screen.
    void render();
    void renderRow(int row);
    int brightRun(int row, int from);
    void drawColumn80(int row, const Cell &c);
    Cell wanted(int row, int column) const;
    static bool same(const Cell &a, const Cell &b);
    void engineScroll(int n);
    void penTo(int row, int column);
    void colours(int fg, int bg);
    void brush(int code);
    void glyph(uchar ch);
    void out(const QByteArray &bytes);

    Encoding m_encoding;
    State m_state = State::Ground;
    QByteArray m_params;
    char m_private = 0;
    QByteArray m_intermediates;
    bool m_overflow = false;
    int m_stringLength = 0;
    int m_charsetSlot = 0;
    uint m_codePoint = 0;
    int m_utf8Need = 0;

    Grid m_grid;
    Grid m_mainGrid;              // the normal screen while the other one is shown
    bool m_altScreen = false;
    int m_row = 1;
    int m_column = 1;
    bool m_wrapPending = false;
    bool m_autoWrap = true;
    bool m_immediateWrap = false;
    bool m_art = false;
    QList<Row> m_scrolled;
    bool m_cursorVisible = true;
    int m_top = 1;
    int m_bottom = Rows;
    int m_fore = 7;
    int m_back = 0;
    bool m_bold = false;
    bool m_reverse = false;
    bool m_foreBright = false;
    bool m_backBright = false;
    bool m_conceal = false;
    std::array<bool, 2> m_dec = {false, false};   // G0, G1 hold DEC special graphics
    int m_shift = 0;                              // 0: G0 in use, 1: G1 (after SO)
    bool m_pcGraphics = false;                    // SGR 11: control bytes are glyphs
    Saved m_saved;
    uchar m_lastPrinted = ' ';
    bool m_mouse = false;
    bool m_sgrMouse = false;

    Grid m_shown;                 // what the engine shows; ch 0: not known
    bool m_clearPending = true;
    int m_clearBack = 0;
    bool m_cursorOverlay = false;
    int m_penRow = 0;             // where the engine's cursor is; 0: not known
    int m_penColumn = 0;
    bool m_coloursKnown = false;
    bool m_engineDim = false;
    int m_engineFore = 0;
    int m_engineBack = 0;

    QByteArray *m_out = nullptr;
    QByteArray *m_reply = nullptr;
    QByteArray m_tail;            // the last two bytes written
};
