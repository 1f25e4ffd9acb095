#include "Ansi.h"

#include <QApplication>
#include <QFontDatabase>

#include <optional>

#include "AppInfo.h"
#include "ByteText.h"
#include "MessageBoxQueue.h"

namespace {

bool isMusicByte(quint8 byte)
{
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'G')
           || (byte >= 'L' && byte <= 'P') || byte == 'T';
}

} // namespace

TAnsi::TAnsi() : ShowMessage(&TAnsi::DefaultShowMessage) {}

TAnsi::~TAnsi() = default;

QFont TAnsi::ScreenFont(int pointSize)
{
    static const bool hasTerminal = QFontDatabase::families().contains(QStringLiteral("Terminal"));
    QFont font(hasTerminal ? QStringLiteral("Terminal") : QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // A terminal font is a bitmap font: crisp pixels in the text colour only.
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setPointSize(qMax(1, pointSize));
    return font;
}

void TAnsi::DefaultShowMessage(const QByteArray &text)
{
    MessageBoxQueue::instance().show(text);
}

// ---------------------------------------------------------------------------
// Set-up

void TAnsi::AttachSurface(QImage *image)
{
    m_canvas.reset();
    if (!image)
        return;
    m_canvas = std::make_unique<AnsiCanvas>(image);
    applyFont(8);
    measureCell();
    moveCursor(1, 1);
}

void TAnsi::applyFont(int pointSize)
{
    if (m_canvas)
        m_canvas->setFont(ScreenFont(pointSize));
}

void TAnsi::measureCell()
{
    if (!m_canvas)
        return;
    // The cell is the size of the one-byte text ESC in the screen font.
    m_cellWidth = qMax(1, m_canvas->textWidth(kAnsiEsc));
    m_cellHeight = qMax(1, m_canvas->textHeight());
}

void TAnsi::SetFontSize(int n)
{
    m_fontSize = n;
    applyFont(n);
    m_cellWidth = qMax(1, n);
    m_cellHeight = qMax(1, n + 2);
}

void TAnsi::SetMeasuredFontSize(int n)
{
    m_fontSize = n;
    applyFont(n);
    measureCell();
}

void TAnsi::RedrawAtMeasuredFontSize(int n)
{
    const int column = CursorColumn();
    const int row = CursorRow();
    SetMeasuredFontSize(n);
    if (!m_canvas)
        return;
    const bool dim = m_dimColors;
    m_canvas->setBrushStyle(Qt::SolidPattern);
    m_canvas->setBrushColor(colorOf(0));
    m_canvas->fillAll();
    for (int r = 1; r <= m_rowCount; ++r) {
        for (int c = 1; c < ColumnCount; ++c) {
            const ScreenCell cell = m_cells.at(c, r);
            if (cell.Char == 0)
                continue;
            m_dimColors = m_cells.dimAt(c, r);
            m_canvas->setFontColor(colorOf(cell.ForeCode));
            m_canvas->setBrushColor(colorOf(cell.BackCode));
            moveCursor(c, r);
            m_canvas->drawGlyph(cell.Char);
        }
    }
    m_dimColors = dim;
    m_canvas->flush();
    m_appliedForeCode = 50;
    m_appliedBackCode = 50;
    moveCursor(column, row);
}

void TAnsi::SetRowCount(int n)
{
    m_rowCount = qBound(1, n, MaxRowCount);
}

// ---------------------------------------------------------------------------
// Feeding

void TAnsi::PutByte(quint8 byte)
{
    putByte(byte);
    if (!insideWrite())
        flushSurface();
}

void TAnsi::fail(const QString &message)
{
    StopWrite();
    if (OnFailure)
        OnFailure(message);
    else
        qWarning("%s", qPrintable(message));
}

// ---------------------------------------------------------------------------
// Cursor

int TAnsi::CursorColumn() const
{
    return m_canvas ? m_canvas->penPos().x() / m_cellWidth : 0;
}

int TAnsi::CursorRow() const
{
    return m_canvas ? m_canvas->penPos().y() / m_cellHeight : 0;
}

void TAnsi::moveCursor(qint64 column, qint64 row)
{
    if (!m_canvas)
        return;
    // A target below 0 leaves that coordinate as it is.
    QPoint pen = m_canvas->penPos();
    if (column >= 0)
        pen.setX(ClampCoord(column * m_cellWidth));
    if (row >= 0)
        pen.setY(ClampCoord(row * m_cellHeight));
    m_canvas->moveTo(pen);
}

// ---------------------------------------------------------------------------
// State Ground

void TAnsi::groundByte(quint8 byte)
{
    switch (byte) {
    case 0x00:
        reset();
        break;
    case 0x07:
        beep();
        break;
    case 0x08:
        backspace();
        break;
    case 0x09:
        tab();
        break;
    case 0x0A:
        lineFeed();
        break;
    case 0x0B:
        moveCursor(1, 1);
        break;
    case 0x0C:
        formFeed();
        break;
    case 0x0D:
        carriageReturn();
        break;
    case kAnsiEsc:
        m_parseState = TParseState::Escape;
        break;
    default:
        printByte(byte);
        break;
    }
}

// BS – one column back, never into the margin.
void TAnsi::backspace()
{
    if (CursorColumn() > 1)
        moveCursor(CursorColumn() - 1, CursorRow());
}

// HT – to the next multiple of 8, with no upper limit.
void TAnsi::tab()
{
    moveCursor((qint64(CursorColumn()) / 8 + 1) * 8, CursorRow());
}

// FF – clear with a black background.
void TAnsi::formFeed()
{
    m_backCode = 0;
    clearScreen(m_params.NextInt());
}

// CR – column 1. The reference client let pending window events run here;
// hosts feed the engine in slices instead.
void TAnsi::carriageReturn()
{
    moveCursor(1, CursorRow());
    reset();
}

// LF – next row, scrolling the screen up at the last row; the column stays.
void TAnsi::lineFeed()
{
    if (qint64(CursorRow()) + 1 > m_rowCount) {
        scrollUp(1);
        moveCursor(CursorColumn(), m_rowCount - 1);
    }
    moveCursor(CursorColumn(), qint64(CursorRow()) + 1);
    reset();
}

void TAnsi::printByte(quint8 byte)
{
    // Printable columns are 1 to 79: a byte at column 80 or beyond turns into
    // a line feed and is not drawn.
    if (CursorColumn() >= ColumnCount) {
        lineFeed();
        return;
    }
    if (!m_canvas)
        return;
    int row = CursorRow();
    if (row > m_rowCount) {
        scrollUp(1);
        moveCursor(CursorColumn(), m_rowCount);
        row = m_rowCount;
    }
    // The colours are set only when a code changed since it was last applied.
    if (m_foreCode != m_appliedForeCode) {
        m_canvas->setFontColor(colorOf(m_foreCode));
        m_appliedForeCode = m_foreCode;
    }
    if (m_backCode != m_appliedBackCode) {
        m_canvas->setBrushColor(colorOf(m_backCode));
        m_appliedBackCode = m_backCode;
    }
    m_cells.set(CursorColumn(), row, ScreenCell{byte, m_foreCode, m_backCode});
    m_cells.setDim(CursorColumn(), row, m_dimColors);
    m_canvas->drawGlyph(byte);
    m_parseState = TParseState::Ground;
}

void TAnsi::scrollUp(qint64 lines)
{
    // Past the last row plus the band below it, further scrolling changes
    // nothing: every band row already holds the same pixels and cells.
    const qint64 count = qMin<qint64>(lines, m_rowCount + 2);
    for (qint64 i = 0; i < count; ++i) {
        if (m_canvas)
            m_canvas->copyBandUp(m_cellHeight, ClampCoord(qint64(m_rowCount + 2) * m_cellHeight),
                                 ColumnCount * m_cellWidth);
        m_cells.scrollUp(m_rowCount);
    }
}

// ---------------------------------------------------------------------------
// State Sequence

void TAnsi::sequenceByte(quint8 byte)
{
    if (m_musicMode)
        musicByte(byte);
    else if (m_pictureCapture)
        pictureCaptureByte(byte);
    else if (m_widgetCapture)
        widgetCaptureByte(byte);
    else
        commandByte(byte);
}

void TAnsi::musicByte(quint8 byte)
{
    if (isMusicByte(byte)) {
        m_params.append(char(byte));
        return;
    }
    // Anything else ends the music string; ESC also starts a new sequence.
    const QByteArray music = m_params.text();
    m_musicMode = false;
    reset();
    if (byte == kAnsiEsc)
        m_parseState = TParseState::Escape;
    if (OnSound) {
        flushSurface();
        OnSound(music);
    }
}

void TAnsi::pictureCaptureByte(quint8 byte)
{
    if (byte == '>' || byte == ']' || byte == '}')
        endPictureCapture(byte);
    else if (m_pictureText.size() < kAnsiTextCap)
        m_pictureText.append(char(byte));
}

void TAnsi::widgetCaptureByte(quint8 byte)
{
    if (byte == '>' || byte == ']' || byte == '}')
        endWidgetCapture(byte);
    else if (m_widgetText.size() < kAnsiTextCap)
        m_widgetText.append(char(byte));
}

void TAnsi::commandByte(quint8 byte)
{
    if (IsAnsiParameterByte(byte)) {
        m_params.append(char(byte));
        return;
    }
    switch (byte) {
    case 'A': cursorUp(); break;             // cursor up
    case 'B': cursorDown(); break;           // cursor down
    case 'C': cursorForward(); break;        // cursor forward
    case 'D': cursorBack(); break;           // cursor back
    case 'H':                                // cursor position
    case 'f': cursorPosition(); break;
    case 'J': clearScreen(); break;          // clear the whole screen
    case 'K': eraseInLine(); break;          // erase in line
    case 'G': m_pictureCapture = true; break; // picture, list picture or sound
    case 'W':                                // surface text, button or message
    case 'Z': m_widgetCapture = true; break;
    case 'M': startMusic(); break;           // music string
    case 'L': line(); break;                 // line with width, colour and style
    case 'l': lineTo(); break;               // polyline segment; the sequence stays open
    case 'p': moveTo(); break;               // pen move; the sequence stays open
    case 'R': box(); break;                  // rounded box
    case 'o': ball(); break;                 // shaded ball
    case 'T': scrollUpCommand(); break;      // scroll up
    case 'S': scrollCommand(); break;        // scroll (up one line only without a count)
    case 'm': colours(); break;              // colours and palette
    case 'n': report(); break;               // report to the server
    case 'r': refresh(); break;              // refresh the surface
    case 's': saveCursor(); break;           // save cursor
    case 'u': restoreCursor(); break;        // restore cursor
    default: reset(); break;                 // ends the sequence; the byte is dropped
    }
}

namespace {

// A count of 0 (or none) means 1.
qint64 countOf(int n)
{
    return n == 0 ? 1 : n;
}

} // namespace

void TAnsi::cursorUp()
{
    const qint64 n = countOf(m_params.NextInt());
    moveCursor(CursorColumn(), qMax<qint64>(CursorRow() - n, 1));
    reset();
}

void TAnsi::cursorDown()
{
    const qint64 n = countOf(m_params.NextInt());
    moveCursor(CursorColumn(), qMin<qint64>(CursorRow() + n, m_rowCount));
    reset();
}

void TAnsi::cursorForward()
{
    const qint64 n = countOf(m_params.NextInt());
    qint64 column = CursorColumn() + n;
    // Past the right edge the cursor goes to column 1, not 80.
    if (column > ColumnCount)
        column = 1;
    moveCursor(column, CursorRow());
    reset();
}

void TAnsi::cursorBack()
{
    const qint64 n = countOf(m_params.NextInt());
    moveCursor(qMax<qint64>(CursorColumn() - n, 1), CursorRow());
    reset();
}

void TAnsi::cursorPosition()
{
    const qint64 row = countOf(m_params.NextInt());
    const qint64 column = countOf(m_params.NextInt());
    moveCursor(qMin<qint64>(column, ColumnCount), qMin<qint64>(row, m_rowCount));
    reset();
}

void TAnsi::clearScreen()
{
    clearScreen(m_params.NextInt());
    reset();
}

// Every count clears the whole screen; 2 fills it with a cross-hatch.
void TAnsi::clearScreen(int n)
{
    if (m_canvas) {
        m_canvas->setBrushColor(colorOf(m_backCode));
        m_canvas->setBrushStyle(n == 2 ? Qt::DiagCrossPattern : Qt::SolidPattern);
        m_canvas->fillAll();
        m_cells.clear();
        m_canvas->setBrushStyle(Qt::SolidPattern);
    }
    moveCursor(1, 1);
    m_dimColors = false;
    m_appliedForeCode = 50;
    m_appliedBackCode = 50;
}

// 0: cursor to column 79; 1: column 1 to the cursor; n: column n to 79. The
// cells hold blanks afterwards, so they count as painted.
void TAnsi::eraseInLine()
{
    const int n = m_params.NextInt();
    int first = CursorColumn();
    int last = ColumnCount - 1;
    if (n == 1) {
        last = first - 1;
        moveCursor(1, CursorRow());
        first = 1;
    } else if (n >= 2) {
        moveCursor(n, CursorRow());
        first = n;
    }
    const int row = CursorRow();
    for (int column = first; column <= last; ++column) {
        m_cells.set(column, row, ScreenCell{0x20, m_foreCode, m_backCode});
        m_cells.setDim(column, row, m_dimColors);
    }
    // The blanks take the Surface's font and brush as they are.
    if (m_canvas)
        for (int column = first; column <= last; ++column)
            m_canvas->drawGlyph(0x20);
    reset();
}

void TAnsi::startMusic()
{
    m_musicMode = true;
    m_params.set("M");
}

void TAnsi::line()
{
    drawLineCommand([this](int code) { return ColorOf(code); });
    m_foreCode = 39;
}

void TAnsi::lineTo()
{
    const int x = m_params.NextInt();
    const int y = m_params.NextInt();
    if (m_canvas)
        m_canvas->lineTo(QPoint(ClampCoord(x), ClampCoord(y)));
}

void TAnsi::moveTo()
{
    const int x = m_params.NextInt();
    const int y = m_params.NextInt();
    if (m_canvas)
        m_canvas->moveTo(QPoint(ClampCoord(x), ClampCoord(y)));
}

void TAnsi::box()
{
    const int x = CellX(m_params.NextReal());
    const int y = CellY(m_params.NextReal());
    const int w = CellX(m_params.NextReal());
    // The height is scaled by the cell width too.
    const int h = CellX(m_params.NextReal());
    const int penWidth = qBound(0, m_params.NextInt(), 1024);
    const int penCode = m_params.NextInt();
    const int brushCode = m_params.NextInt();
    const int fill = m_params.NextInt();
    reset();
    if (!m_canvas)
        return;
    QPen pen(colorOf(penCode));
    pen.setStyle(penWidth == 0 ? Qt::NoPen : Qt::SolidLine);
    pen.setWidth(penWidth);
    m_canvas->setPen(pen);
    if (fill <= 0) {
        m_canvas->setBrushStyle(Qt::NoBrush);
    } else {
        m_canvas->setBrushStyle(fill == 2 ? Qt::DiagCrossPattern : Qt::SolidPattern);
        m_canvas->setBrushColor(colorOf(brushCode));
    }
    const qint64 left = qint64(x) + penWidth / 2 - 1;
    const qint64 top = qint64(y) + penWidth / 2 - 1;
    m_canvas->roundRect(ClampCoord(left), ClampCoord(top), ClampCoord(left + w + penWidth + 4),
                        ClampCoord(top + h));
}

void TAnsi::ball()
{
    const int cx = CellX(m_params.NextReal());
    const int cy = CellY(m_params.NextReal());
    const int diameter = CellX(m_params.NextReal());
    const TColor colour = ColorOf(m_params.NextInt());
    reset();
    if (!m_canvas || diameter <= 0)
        return;
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    const int dr = qMin((255 - r) / diameter, 6);
    const int dg = qMin((255 - g) / diameter, 6);
    const int db = qMin((255 - b) / diameter, 6);
    const qint64 left = qint64(cx) - diameter / 2;
    const qint64 top = qint64(cy) - diameter / 2;
    QPen pen = m_canvas->pen();
    pen.setStyle(Qt::NoPen);
    m_canvas->setPen(pen);
    m_canvas->setBrushStyle(Qt::SolidPattern);
    // Rings shrink towards the centre and lighten step by step. A ball wider
    // than 255 pixels has no steps: its first disc already gives the picture.
    const int last = (dr == 0 && dg == 0 && db == 0) ? 0 : diameter;
    for (int i = 0; i <= last; ++i) {
        m_canvas->setBrushColor(QColor(r + i * dr, g + i * dg, b + i * db));
        m_canvas->ellipse(ClampCoord(left + i / 2), ClampCoord(top + i / 2),
                          ClampCoord(left + diameter - i / 2), ClampCoord(top + diameter - i / 2));
    }
}

void TAnsi::scrollUpCommand()
{
    const int n = m_params.NextInt();
    reset();
    if (n >= 0)
        scrollUp(countOf(n));
}

// The count is read with a minus sign in front: no count (or 0) scrolls up
// one line, a count of 1 or more reads as negative and scrolls nothing.
void TAnsi::scrollCommand()
{
    m_params.prepend('-');
    scrollUpCommand();
}

void TAnsi::colours()
{
    if (m_params.isEmpty())
        m_params.set("0");
    while (!m_params.isEmpty()) {
        const int n = m_params.NextInt();
        if (n == 0) {
            m_dimColors = true;
            m_foreCode = 37;
            m_backCode = 40;
            m_appliedForeCode = m_appliedBackCode = 50;
        } else if (n >= 1 && n <= 7) {
            // Every attribute selects the bright palette; nothing else changes.
            m_dimColors = false;
            m_appliedForeCode = m_appliedBackCode = 50;
        } else if (n >= 30 && n <= 37) {
            m_foreCode = quint8(n);
        } else if (n >= 40 && n <= 47) {
            m_backCode = quint8(n);
        }
    }
    m_parseState = TParseState::Ground;
}

void TAnsi::report()
{
    const QByteArray text = QByteArray("\x1b[") + m_params.text();
    reset();
    if (OnReport) {
        flushSurface();
        OnReport(text);
    }
}

void TAnsi::refresh()
{
    reset();
    if (OnRefresh) {
        flushSurface();
        OnRefresh();
    }
}

void TAnsi::saveCursor()
{
    m_savedColumn = CursorColumn();
    m_savedRow = CursorRow();
    reset();
}

void TAnsi::restoreCursor()
{
    moveCursor(m_savedColumn, m_savedRow);
    reset();
}

// ---------------------------------------------------------------------------
// Captures: the parameters before G, W or Z are read when the capture ends,
// and only when the event has a handler.

TAnsiRect TAnsi::readPictureRect()
{
    // Bottom, right, top, left: the first number is the bottom edge.
    TAnsiRect rect;
    rect.Bottom = CellY(m_params.NextReal());
    rect.Right = CellX(m_params.NextReal());
    rect.Top = CellY(m_params.NextReal());
    rect.Left = CellX(m_params.NextReal());
    return rect;
}

void TAnsi::endPictureCapture(quint8 endByte)
{
    m_pictureCapture = false;
    const QByteArray text = m_pictureText;
    m_pictureText.clear();
    if (endByte == ']') {
        std::optional<TAnsiRect> rect;
        if (OnResourcePicture)
            rect = readPictureRect();
        reset();
        if (rect) {
            flushSurface();
            OnResourcePicture(*rect, text);
        }
    } else if (endByte == '>') {
        std::optional<TAnsiRect> rect;
        int picture = 0;
        if (OnListPicture) {
            rect = readPictureRect();
            bool ok = false;
            picture = text.trimmed().toInt(&ok, 10);
            if (!ok) {
                reset();
                fail(QStringLiteral("The list picture \"%1\" is not a number.")
                         .arg(DisplayText(text.left(64))));
                return;
            }
        }
        reset();
        if (rect) {
            flushSurface();
            OnListPicture(*rect, picture);
        }
        // The server drew the list picture from the row below the cursor.
        moveCursor(CursorColumn(), qMax(CursorRow() - 1, 0));
    } else {
        reset();
        if (OnSound) {
            flushSurface();
            OnSound(text);
        }
    }
}

void TAnsi::endWidgetCapture(quint8 endByte)
{
    m_widgetCapture = false;
    const QByteArray text = m_widgetText;
    m_widgetText.clear();
    if (endByte == ']') {
        std::optional<TAnsiRect> rect;
        if (OnSurfaceText) {
            rect.emplace();
            rect->Left = CellX(m_params.NextReal());
            rect->Top = CellY(m_params.NextReal());
            // A font size and a colour code, read as plain numbers.
            rect->Right = m_params.NextInt();
            rect->Bottom = m_params.NextInt();
        }
        reset();
        if (rect) {
            flushSurface();
            OnSurfaceText(*rect, text);
        }
    } else if (endByte == '>') {
        std::optional<TAnsiRect> rect;
        int image = 0, colour = 0;
        if (OnButton) {
            rect.emplace();
            rect->Left = CellX(m_params.NextReal());
            rect->Top = CellY(m_params.NextReal());
            rect->Right = CellX(m_params.NextReal());
            rect->Bottom = CellY(m_params.NextReal());
            image = m_params.NextInt();
            colour = m_params.NextInt();
        }
        reset();
        if (rect) {
            flushSurface();
            OnButton(*rect, image, colour, text);
        }
    } else {
        reset();
        if (ShowMessage) {
            flushSurface();
            ShowMessage(text);
        }
    }
}

// ---------------------------------------------------------------------------
// Colours

TColor TAnsi::ColorOf(int code) const
{
    if (m_dimColors) {
        if (code == 30)
            return RGBToTColor(0x00, 0x00, 0x00);
        if (code >= 31 && code <= 37)
            code += 10;
    }
    // Grey where the drawing decoder has black.
    if (code == 30 || code == 48)
        return RGBToTColor(0x80, 0x80, 0x80);
    return AnsiBrightColor(code);
}

// ---------------------------------------------------------------------------
// Hot spots

quint8 TAnsi::CharAtCell(int column, int row) const
{
    if (column < 1 || column > ColumnCount || row < 1 || row > m_rowCount)
        return 0;
    return m_cells.at(column, row).Char;
}

quint8 TAnsi::CharAtPoint(int x, int y) const
{
    const int column = x / m_cellWidth;
    const int row = y / m_cellHeight;
    if (column > ColumnCount || row > m_rowCount)
        return 0;
    return CharAtCell(column, row);
}

QByteArray TAnsi::CellTextAt(int x, int y) const
{
    const int column = x / m_cellWidth;
    if (column > ColumnCount)
        return "1;1";
    const int row = y / m_cellHeight;
    if (row > m_rowCount)
        return "1;1";
    // No lower bound: a press in the margin sends column or row 0.
    return QByteArray::number(column) + ';' + QByteArray::number(row);
}
