#pragma once

// The screen engine. Servers paint menus, game tables and door-game screens
// in an ANSI-like escape dialect; the engine reads the bytes one at a time and
// draws straight onto the host's picture (the Surface). It keeps, beside the
// pixels, the characters it printed (CellGrid), which the hit test reads to
// tell what the user clicked. Pictures, labels, buttons and sounds that the
// server asks for are handed to the host through the On... callbacks.
//
// Screen coordinates count from 1: column 1, row 1 is the cell whose pixel
// corner is (CellWidth, CellHeight); row 0 and column 0 are a margin that
// text reaches only through pixel moves. The cursor is the Surface's pen
// position.
//
// The engine never processes window events itself: hosts feed it from the
// event loop in slices, so it stays responsive without nested loops.

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

#include "AnsiCanvas.h"
#include "AnsiParams.h"
#include "AnsiParser.h"
#include "CellGrid.h"
#include "Colors.h"

// A rectangle as the stream gives it: left, top, right, bottom. For surface
// texts the right and bottom fields carry a font size and a colour code.
struct TAnsiRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    // Right and bottom exclusive.
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    friend bool operator==(const TAnsiRect &, const TAnsiRect &) = default;
};

class TAnsi : public AnsiByteParser
{
public:
    // Screen columns 1 to 80; a byte at column 80 or beyond is not printed.
    static constexpr int ColumnCount = 80;
    static constexpr int MaxRowCount = CellGrid::Rows - 1;

    TAnsi();
    ~TAnsi() override;

    // Draws on `image` from now on (nullptr: draw nowhere). Selects the screen
    // font at size 8, measures the cell from it and puts the cursor on
    // column 1, row 1. The image must outlive the engine or be detached.
    void AttachSurface(QImage *image);

    // Font size n with a fixed cell of n by n + 2 pixels.
    void SetFontSize(int n);
    // Font size n with the cell measured from the font.
    void SetMeasuredFontSize(int n);
    // The same, and the screen drawn again at the new cell size from the
    // characters it holds (pictures and buttons the server drew are not
    // kept; the server's next screen brings them back). The cursor stays on
    // its cell.
    void RedrawAtMeasuredFontSize(int n);
    // 1 to 40.
    void SetRowCount(int n);

    // Feeds one byte (Write, from the parser, feeds many).
    void PutByte(quint8 byte);

    // The colour of a colour code, in the dim palette while DimColors is set.
    TColor ColorOf(int code) const;

    int CursorColumn() const;
    int CursorRow() const;
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }
    int FontSize() const { return m_fontSize; }
    int RowCount() const { return m_rowCount; }

    // Hit test. A cell is painted when its character is not 0; printed
    // blanks and erased cells hold 20 and count as painted.
    quint8 CharAtCell(int column, int row) const;
    quint8 CharAtPoint(int x, int y) const;
    // What a press at (x, y) sends: column ";" row in decimal, or "1;1" when
    // the point lies right of column 80 or below the last row.
    QByteArray CellTextAt(int x, int y) const;
    const CellGrid &Cells() const { return m_cells; }

    // Parser and colour state, for hosts and tests.
    quint8 ForeCode() const { return m_foreCode; }
    quint8 BackCode() const { return m_backCode; }
    bool DimColors() const { return m_dimColors; }
    int SavedColumn() const { return m_savedColumn; }
    int SavedRow() const { return m_savedRow; }
    bool PictureCapture() const { return m_pictureCapture; }
    bool WidgetCapture() const { return m_widgetCapture; }
    bool MusicMode() const { return m_musicMode; }
    QByteArray PictureText() const { return m_pictureText; }
    QByteArray WidgetText() const { return m_widgetText; }

    // Events. A host installs those it uses; an event without a handler is
    // skipped, and its parameters are not read.
    std::function<void(const TAnsiRect &rect, const QByteArray &name)> OnResourcePicture;
    std::function<void(const TAnsiRect &rect, int picture)> OnListPicture;
    std::function<void(const QByteArray &text)> OnSound;
    std::function<void(const TAnsiRect &rect, const QByteArray &text)> OnSurfaceText;
    std::function<void(const TAnsiRect &rect, int image, int color, const QByteArray &text)>
        OnButton;
    std::function<void()> OnRefresh;
    std::function<void(const QByteArray &text)> OnReport;
    // The host's general error report: a list picture whose text is not a
    // number ends the Write and lands here. Without a handler it is logged.
    std::function<void(const QString &message)> OnFailure;
    // Shows the text of a widget capture ended by "}" in a message box with
    // an OK button. The default goes through the program's MessageBoxQueue:
    // one box at a time that does not wait (the engine never runs a nested
    // event loop); tests replace it.
    std::function<void(const QByteArray &text)> ShowMessage;
    // The message box of a widget capture as the engine shows it by default.
    static void DefaultShowMessage(const QByteArray &text);
    // The screen font at a size: "Terminal" when installed, else a
    // fixed-pitch font with the code page 437 glyphs.
    static QFont ScreenFont(int pointSize);

private:
    void groundByte(quint8 byte) override;
    void sequenceByte(quint8 byte) override;
    void musicByte(quint8 byte);
    void pictureCaptureByte(quint8 byte);
    void widgetCaptureByte(quint8 byte);
    void commandByte(quint8 byte);

    void moveCursor(qint64 column, qint64 row);
    void applyFont(int pointSize);
    void measureCell();

    // Ground
    void printByte(quint8 byte);
    void lineFeed();
    void carriageReturn();
    void backspace();
    void tab();
    void formFeed();

    // Sequence commands
    void cursorUp();
    void cursorDown();
    void cursorForward();
    void cursorBack();
    void cursorPosition();
    void clearScreen();
    void eraseInLine();
    void startMusic();
    void line();
    void lineTo();
    void moveTo();
    void box();
    void ball();
    void scrollCommand();
    void scrollUpCommand();
    void colours();
    void report();
    void refresh();
    void saveCursor();
    void restoreCursor();

    void clearScreen(int n);
    void scrollUp(qint64 lines);
    void endPictureCapture(quint8 endByte);
    void endWidgetCapture(quint8 endByte);
    TAnsiRect readPictureRect();
    void fail(const QString &message);

    int CellX(float value) const { return CellRound(value, m_cellWidth); }
    int CellY(float value) const { return CellRound(value, m_cellHeight); }
    QColor colorOf(int code) const { return ToQColor(ColorOf(code)); }

    int m_cellWidth = 10;
    int m_cellHeight = 10;
    int m_fontSize = 0;
    int m_rowCount = MaxRowCount;
    quint8 m_foreCode = 0;
    quint8 m_backCode = 0;
    bool m_dimColors = false;
    quint8 m_appliedForeCode = 50;
    quint8 m_appliedBackCode = 50;
    int m_savedColumn = 0;
    int m_savedRow = 0;
    bool m_pictureCapture = false;
    QByteArray m_pictureText;
    bool m_widgetCapture = false;
    QByteArray m_widgetText;
    bool m_musicMode = false;
    CellGrid m_cells;
};

#include "LAnsi.h"
