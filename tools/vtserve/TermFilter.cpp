#include "TermFilter.h"

#include <QFile>
#include <QHash>
#include <QList>

#include <algorithm>
#include <utility>

// The terminal description is a resource of this static library: it must
// be named once before it can be read.
static void loadTerminfoResource()
{
    Q_INIT_RESOURCE(vtserve);
}

namespace {

constexpr int MaxParams = 64;
constexpr int MaxString = 4096;
constexpr int SurfaceFontSize = 9;

// Code page 437: the glyphs of 01 to 1F, and of 7F to FF, as Unicode.
constexpr std::array<ushort, 32> LowGlyphs = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
};
constexpr std::array<ushort, 129> HighGlyphs = {
    0x2302,
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// DEC special graphics, bytes 5F to 7E, as code page 437.
constexpr std::array<uchar, 32> DecGraphics = {
    ' ',  0x04, 0xB1, 0xF9, 0xF9, 0xF9, 0xF9, 0xF8, 0xF1, 0xF9, 0xF9, 0xD9, 0xBF, 0xDA, 0xC0, 0xC5,
    0xC4, 0xC4, 0xC4, 0xC4, '_',  0xC3, 0xB4, 0xC1, 0xC2, 0xB3, 0xF3, 0xF2, 0xE3, '#',  0x9C, 0xFA,
};

// The bytes the engine acts on instead of drawing them.
bool engineControl(uchar b)
{
    return b == 0x00 || (b >= 0x07 && b <= 0x0D) || b == 0x1B;
}

const QHash<uint, char> &unicodeTable()
{
    static const QHash<uint, char> table = [] {
        QHash<uint, char> t;
        for (int i = 1; i < 32; ++i)
            t.insert(LowGlyphs[size_t(i)], char(i));
        for (int i = 0; i < 129; ++i)
            t.insert(HighGlyphs[size_t(i)], char(0x7F + i));
        // Near relatives of glyphs the code page lacks.
        const std::pair<uint, uchar> more[] = {
            // rounded, heavy and dashed lines
            {0x256D, 0xDA}, {0x256E, 0xBF}, {0x256F, 0xD9}, {0x2570, 0xC0}, {0x2501, 0xC4}, {0x2503, 0xB3},
            {0x250F, 0xDA}, {0x2513, 0xBF}, {0x2517, 0xC0}, {0x251B, 0xD9}, {0x2523, 0xC3}, {0x252B, 0xB4},
            {0x2533, 0xC2}, {0x253B, 0xC1}, {0x254B, 0xC5}, {0x2504, 0xC4}, {0x2505, 0xC4}, {0x2508, 0xC4},
            {0x2509, 0xC4}, {0x254C, 0xC4}, {0x254D, 0xC4}, {0x2506, 0xB3}, {0x2507, 0xB3}, {0x250A, 0xB3},
            {0x250B, 0xB3}, {0x254E, 0xB3}, {0x254F, 0xB3}, {0x2574, 0xC4}, {0x2576, 0xC4}, {0x2575, 0xB3},
            {0x2577, 0xB3}, {0x23BA, 0xC4}, {0x23BB, 0xC4}, {0x23BC, 0xC4}, {0x23BD, 0xC4},
            // blocks and shapes
            {0x2581, 0xDC}, {0x2582, 0xDC}, {0x2583, 0xDC}, {0x2585, 0xDC}, {0x2586, 0xDB}, {0x2587, 0xDB},
            {0x2589, 0xDB}, {0x258A, 0xDB}, {0x258B, 0xDD}, {0x258D, 0xDD}, {0x258E, 0xDD}, {0x258F, 0xDD},
            {0x2594, 0xDF}, {0x2595, 0xDE}, {0x25AA, 0xFE}, {0x25FC, 0xFE}, {0x25FE, 0xFE}, {0x25A1, 0x09},
            {0x25C6, 0x04}, {0x25C7, 0x04}, {0x2756, 0x04}, {0x25CF, 0x07}, {0x25E6, 0x09}, {0x25B6, 0x10},
            {0x25C0, 0x11}, {0x25B8, 0x10}, {0x25C2, 0x11}, {0x25B4, 0x1E}, {0x25BE, 0x1F}, {0x2B24, 0x07},
            // arrows and marks
            {0x21D2, 0x1A}, {0x21D0, 0x1B}, {0x2794, 0x1A}, {0x279C, 0x1A}, {0x2713, 0xFB}, {0x2714, 0xFB},
            {0x2717, 'x'}, {0x2718, 'x'}, {0x2260, '#'}, {0x00D7, 'x'}, {0x2022, 0x07},
            // punctuation
            {0x2013, '-'}, {0x2014, '-'}, {0x2015, '-'}, {0x2212, '-'}, {0x2010, '-'}, {0x2011, '-'},
            {0x2018, '\''}, {0x2019, '\''}, {0x201A, ','}, {0x201B, '\''}, {0x201C, '"'}, {0x201D, '"'},
            {0x201E, '"'}, {0x2032, '\''}, {0x2033, '"'}, {0x2039, '<'}, {0x203A, '>'}, {0x2026, '.'},
            {0x2030, '%'}, {0x20AC, 'E'}, {0x00A9, 'c'}, {0x00AE, 'R'}, {0x2122, 'T'}, {0x00A6, '|'},
            {0x00B4, '\''}, {0x00B8, ','}, {0x00AF, '-'}, {0x00A8, '"'}, {0x00B3, 0xFD}, {0x00B9, '1'},
            {0x00BE, 0xAB}, {0x00AD, '-'}, {0x00A4, 0x0F},
        };
        for (const auto &[u, c] : more)
            t.insert(u, char(c));
        // Latin letters with marks the code page lacks: the bare letter.
        const char *const bare[] = {
            "\u00C0A", "\u00C1A", "\u00C2A", "\u00C3A", "\u00C8E", "\u00CAE", "\u00CBE", "\u00CCI", "\u00CDI",
            "\u00CEI", "\u00CFI", "\u00D0D", "\u00D2O", "\u00D3O", "\u00D4O", "\u00D5O", "\u00D8O", "\u00D9U",
            "\u00DAU", "\u00DBU", "\u00DDY", "\u00DEP", "\u00E3a", "\u00F0d", "\u00F5o", "\u00F8o", "\u00FDy",
            "\u00FEp", "\u0152O", "\u0153o", "\u0160S", "\u0161s", "\u017DZ", "\u017Ez", "\u0178Y",
        };
        for (const char *pair : bare) {
            const QString s = QString::fromUtf8(pair);
            t.insert(s.at(0).unicode(), char(s.at(1).toLatin1()));
        }
        return t;
    }();
    return table;
}

// The dialect's markers that the clients look for in any read: a program
// must not be able to write them.
bool formsMarker(const QByteArray &tail, char next)
{
    static const char *const markers[] = {"\x5c\xcb\xf4", "\xe7\xe8\xe9", "\xef\xee\xed", "\xe2\xf7\xf8",
                                          "\xea\xeb\xe8", "\xe6\xe6\xdf"};
    if (tail.size() < 2)
        return false;
    for (const char *m : markers) {
        if (tail.at(0) == m[0] && tail.at(1) == m[1] && next == m[2])
            return true;
    }
    return false;
}

// The nearest of the sixteen colours.
int nearestColour(int r, int g, int b)
{
    const int high = std::max({r, g, b});
    if (high < 48)
        return 0;
    const int threshold = std::max(high / 2, 64);
    const int code = (r >= threshold ? 1 : 0) | (g >= threshold ? 2 : 0) | (b >= threshold ? 4 : 0);
    if (code == 7 && high <= 200)
        return high < 140 ? 8 : 7;
    return code + (high > 190 ? 8 : 0);
}

int colourOf256(int n)
{
    if (n < 16)
        return n;
    if (n < 232) {
        const int i = n - 16;
        const int levels[] = {0, 95, 135, 175, 215, 255};
        return nearestColour(levels[i / 36], levels[(i / 6) % 6], levels[i % 6]);
    }
    const int grey = 8 + (n - 232) * 10;
    return grey < 60 ? 0 : grey < 140 ? 8 : grey < 215 ? 7 : 15;
}

bool isBlank(uchar ch)
{
    return ch == ' ' || ch == 0xFF;
}

} // namespace

TermFilter::TermFilter(Encoding encoding)
    : m_encoding(encoding)
{
    for (auto &row : m_shown)
        row.fill(Cell{0, 7, 0});
}

QByteArray TermFilter::TerminfoSource()
{
    loadTerminfoResource();
    QFile file(QStringLiteral(":/vtserve/vantora.ti"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

char TermFilter::ToCp437(uint codePoint)
{
    if (codePoint >= 0x20 && codePoint < 0x7F)
        return char(codePoint);
    return unicodeTable().value(codePoint, 0);
}

uint TermFilter::FromCp437(uchar byte)
{
    if (byte < 0x20)
        return byte == 0 ? 0x20 : LowGlyphs[byte];
    if (byte < 0x7F)
        return byte;
    return HighGlyphs[size_t(byte - 0x7F)];
}

uchar TermFilter::EngineGlyph(uchar cp437)
{
    if (!engineControl(cp437))
        return cp437;
    switch (cp437) {
    case 0x07: return 0xF9;   // bullet: the small one
    case 0x08: return 0xDB;   // inverse bullet
    case 0x09: return 'o';    // circle
    case 0x0A: return 0xDB;   // inverse circle
    case 0x0C: return '+';    // female sign
    case 0x0D: return 0x0E;   // note: the double one
    case 0x1B: return '<';    // left arrow
    default: return ' ';
    }
}

uchar TermFilter::SurfaceGlyph(uchar cp437)
{
    uchar c = cp437;
    if (c >= 0x7F || c < 0x20) {
        const uint u = FromCp437(c);
        if (u >= 0xA0 && u <= 0xFF) {
            c = uchar(u);
        } else if (c == 0xC4 || c == 0xCD) {
            c = '-';
        } else {
            switch (c) {
            case 0xB3: case 0xBA: c = '|'; break;
            case 0xB0: case 0xB1: case 0xB2: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: case 0xFE:
                c = '#';
                break;
            case 0xF9: case 0xFA: case 0x07: c = 0xB7; break;
            case 0x10: case 0x1A: c = '>'; break;
            case 0x11: case 0x1B: c = '<'; break;
            case 0x18: case 0x1E: c = '^'; break;
            case 0x19: case 0x1F: c = 'v'; break;
            case 0x04: c = '*'; break;
            case 0xE0: c = 'a'; break;
            case 0xE3: c = 'n'; break;
            case 0xF3: c = '<'; break;
            case 0xF2: c = '>'; break;
            default:
                c = (u >= 0x2500 && u <= 0x257F) ? '+' : '?';
                break;
            }
        }
    }
    // The surface text ends at "]", ">" or "}".
    if (c == ']' || c == '}')
        c = ')';
    else if (c == '>')
        c = 0xBB;
    return c;
}

// -- the program's terminal ---------------------------------------------------

TermFilter::Cell TermFilter::pen(uchar ch) const
{
    int fg = m_fore + ((m_bold || m_foreBright) ? 8 : 0);
    int bg = m_back + (m_backBright ? 8 : 0);
    if (m_reverse)
        std::swap(fg, bg);
    if (m_conceal)
        fg = bg;
    return Cell{ch, uchar(fg), uchar(bg)};
}

TermFilter::Cell TermFilter::blank() const
{
    // Erasing fills with the background colour, as xterm does.
    return Cell{' ', 7, uchar(m_back + (m_backBright ? 8 : 0))};
}

QByteArray TermFilter::translate(const QByteArray &output, QByteArray *reply)
{
    QByteArray result;
    QByteArray answers;
    m_out = &result;
    m_reply = reply ? reply : &answers;
    m_cursorOverlay = false;
    for (const char c : output) {
        const uchar byte = uchar(c);
        switch (m_state) {
        case State::Ground: ground(byte); break;
        case State::Escape: escape(byte); break;
        case State::Charset:
            m_state = State::Ground;
            m_dec[size_t(m_charsetSlot)] = byte == '0';
            break;
        case State::Csi: csi(byte); break;
        case State::Osc:
            // Ends at BEL or at ESC "\".
            if (byte == 0x07 || ++m_stringLength > MaxString)
                m_state = State::Ground;
            else if (byte == 0x1B)
                m_state = State::StringEscape;
            break;
        case State::String:
            if (byte == 0x18 || byte == 0x1A || ++m_stringLength > MaxString)
                m_state = State::Ground;
            else if (byte == 0x1B)
                m_state = State::StringEscape;
            break;
        case State::StringEscape:
            m_state = byte == '\\' ? State::Ground : State::String;
            break;
        case State::Skip:
            m_state = State::Ground;
            break;
        case State::Utf8:
            if ((byte & 0xC0) != 0x80) {
                put('?');   // a broken sequence
                m_state = State::Ground;
                ground(byte);
                break;
            }
            m_codePoint = (m_codePoint << 6) | (byte & 0x3F);
            if (--m_utf8Need == 0) {
                m_state = State::Ground;
                const char glyph = ToCp437(m_codePoint);
                put(glyph ? uchar(glyph) : uchar('?'));
            }
            break;
        }
    }
    render();
    m_out = nullptr;
    m_reply = nullptr;
    return result;
}

QByteArray TermFilter::showCursor()
{
    QByteArray result;
    if (!m_cursorVisible || m_cursorOverlay)
        return result;
    m_out = &result;
    m_cursorOverlay = true;
    render();
    m_out = nullptr;
    return result;
}

QByteArray TermFilter::showRows(const QList<Row> &rows)
{
    QByteArray result;
    m_out = &result;
    m_cursorOverlay = false;
    m_cursorVisible = false;
    for (int r = 1; r <= Rows; ++r) {
        if (r <= rows.size())
            m_grid[size_t(r)] = rows.at(r - 1);
        else
            m_grid[size_t(r)].fill(Cell());
    }
    render();
    m_out = nullptr;
    return result;
}

void TermFilter::ground(uchar b)
{
    switch (b) {
    case 0x1B:
        m_state = State::Escape;
        return;
    case '\r':
        m_column = 1;
        m_wrapPending = false;
        return;
    case '\n': case 0x0B: case 0x0C:
        if (m_art && b == '\n')
            m_column = 1;
        if (!(m_pcGraphics && b != '\n'))
            return lineFeed();
        break;
    case 0x08:
        m_wrapPending = false;
        m_column = std::max(1, m_column - 1);
        return;
    case '\t':
        if (m_pcGraphics)
            break;
        m_wrapPending = false;
        m_column = std::min(((m_column - 1) / 8 + 1) * 8 + 1, Columns);
        return;
    case 0x07:
        if (m_pcGraphics)
            break;
        out("\x07");
        return;
    case 0x0E:
        m_shift = 1;
        return;
    case 0x0F:
        m_shift = 0;
        return;
    default:
        break;
    }
    if (b == 0 || b == 0x7F)
        return;
    if (b < 0x20 && !m_pcGraphics)
        return;   // controls a terminal does nothing with
    if (m_encoding == Encoding::Utf8 && b >= 0x80) {
        if (b >= 0xC2 && b <= 0xF4) {
            m_state = State::Utf8;
            m_utf8Need = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
            m_codePoint = b & (b >= 0xF0 ? 0x07 : b >= 0xE0 ? 0x0F : 0x1F);
        } else {
            put('?');
        }
        return;
    }
    if (b >= 0x5F && b <= 0x7E && m_dec[size_t(m_shift)]) {
        put(DecGraphics[size_t(b - 0x5F)]);
        return;
    }
    put(b);
}

void TermFilter::put(uchar glyph)
{
    if (m_wrapPending) {
        m_wrapPending = false;
        m_column = 1;
        lineFeed();
    }
    m_grid[size_t(m_row)][size_t(m_column)] = pen(glyph);
    m_lastPrinted = glyph;
    if (m_column < Columns) {
        ++m_column;
    } else if (m_autoWrap && m_immediateWrap) {
        m_column = 1;
        lineFeed();
    } else if (m_autoWrap) {
        m_wrapPending = true;
    }
}

void TermFilter::lineFeed()
{
    m_wrapPending = false;
    if (m_row == m_bottom)
        scrollUp(m_top, m_bottom, 1);
    else if (m_row < Rows)
        ++m_row;
}

void TermFilter::reverseIndex()
{
    m_wrapPending = false;
    if (m_row == m_top)
        scrollDown(m_top, m_bottom, 1);
    else if (m_row > 1)
        --m_row;
}

void TermFilter::scrollUp(int top, int bottom, int n)
{
    n = std::clamp(n, 0, bottom - top + 1);
    if (n == 0)
        return;
    if (top == 1 && bottom == Rows) {
        engineScroll(n);
        if (m_art) {
            for (int r = 1; r <= n; ++r)
                m_scrolled.append(m_grid[size_t(r)]);
        }
    }
    for (int r = top; r <= bottom; ++r) {
        if (r + n <= bottom)
            m_grid[size_t(r)] = m_grid[size_t(r + n)];
        else
            eraseCells(r, 1, Columns);
    }
}

void TermFilter::scrollDown(int top, int bottom, int n)
{
    n = std::clamp(n, 0, bottom - top + 1);
    for (int r = bottom; r >= top; --r) {
        if (r - n >= top)
            m_grid[size_t(r)] = m_grid[size_t(r - n)];
        else
            eraseCells(r, 1, Columns);
    }
}

void TermFilter::eraseCells(int row, int from, int to)
{
    const Cell b = blank();
    for (int c = std::max(1, from); c <= std::min(Columns, to); ++c)
        m_grid[size_t(row)][size_t(c)] = b;
}

void TermFilter::clearScreen()
{
    for (int r = 1; r <= Rows; ++r)
        eraseCells(r, 1, Columns);
    // The engine clears all at once, in a dark background.
    m_clearPending = true;
    m_clearBack = m_back + (m_backBright ? 8 : 0);
}

void TermFilter::moveTo(int row, int column)
{
    m_wrapPending = false;
    m_row = std::clamp(row, 1, Rows);
    m_column = std::clamp(column, 1, Columns);
}

void TermFilter::saveCursor(Saved &s) const
{
    s = Saved{m_row, m_column, m_fore, m_back, m_bold, m_reverse, m_foreBright, m_backBright, m_conceal, m_dec, m_shift};
}

void TermFilter::restoreCursor(const Saved &s)
{
    moveTo(s.row, s.column);
    m_fore = s.fore;
    m_back = s.back;
    m_bold = s.bold;
    m_reverse = s.reverse;
    m_foreBright = s.foreBright;
    m_backBright = s.backBright;
    m_conceal = s.conceal;
    m_dec = s.dec;
    m_shift = s.shift;
}

void TermFilter::reset()
{
    m_fore = 7;
    m_back = 0;
    m_bold = m_reverse = m_foreBright = m_backBright = m_conceal = m_pcGraphics = false;
    m_dec = {false, false};
    m_shift = 0;
    m_top = 1;
    m_bottom = Rows;
    m_autoWrap = m_cursorVisible = true;
    m_saved = Saved();
    moveTo(1, 1);
    clearScreen();
}

void TermFilter::escape(uchar byte)
{
    m_state = State::Ground;
    switch (byte) {
    case '[':
        m_state = State::Csi;
        m_params.clear();
        m_intermediates.clear();
        m_private = 0;
        m_overflow = false;
        return;
    case ']':
        m_state = State::Osc;
        m_stringLength = 0;
        return;
    case 'P': case 'X': case '^': case '_':
        m_state = State::String;
        m_stringLength = 0;
        return;
    case '(': case ')':
        m_state = State::Charset;
        m_charsetSlot = byte == '(' ? 0 : 1;
        return;
    case '*': case '+': case '-': case '.': case '/': case '#': case '%': case ' ':
        m_state = State::Skip;
        return;
    case 0x1B:
        m_state = State::Escape;
        return;
    case '7':
        saveCursor(m_saved);
        return;
    case '8':
        restoreCursor(m_saved);
        return;
    case 'c':
        reset();
        return;
    case 'D':
        lineFeed();
        return;
    case 'E':
        m_column = 1;
        lineFeed();
        return;
    case 'M':
        reverseIndex();
        return;
    default:
        return;   // keypad modes, tab stops and the rest
    }
}

void TermFilter::csi(uchar b)
{
    if (b == 0x1B) {
        m_state = State::Escape;
        return;
    }
    if (b == 0x18 || b == 0x1A) {
        m_state = State::Ground;
        return;
    }
    if (b < 0x20)
        return;
    if (b >= 0x30 && b <= 0x3F) {
        if ((b == '<' || b == '=' || b == '>' || b == '?') && m_params.isEmpty() && !m_private)
            m_private = char(b);
        else if (m_params.size() < MaxParams)
            m_params += b == ':' ? ';' : char(b);
        else
            m_overflow = true;
        return;
    }
    if (b <= 0x2F) {
        if (m_intermediates.size() < 4)
            m_intermediates += char(b);
        return;
    }
    m_state = State::Ground;
    if (b <= 0x7E && !m_overflow)
        dispatch(b);
}

int TermFilter::param(int index, int fallback) const
{
    const QList<QByteArray> parts = m_params.split(';');
    if (index >= parts.size() || parts.at(index).isEmpty())
        return fallback;
    bool ok = false;
    const int v = parts.at(index).left(6).toInt(&ok);
    return ok ? v : fallback;
}

void TermFilter::dispatch(uchar final)
{
    if (!m_intermediates.isEmpty())
        return;
    if (m_private) {
        if (m_private == '?' && (final == 'h' || final == 'l'))
            mode(final == 'h');
        else if (m_private == '?' && final == 'n' && param(0, 0) == 6)
            m_reply->append("\x1b[?" + QByteArray::number(m_row) + ';' + QByteArray::number(m_column) + 'R');
        else if (m_private == '>' && final == 'c')
            m_reply->append("\x1b[>0;0;0c");
        return;
    }
    const int n = std::max(1, param(0, 1));
    switch (final) {
    case 'A': moveTo(std::max(m_row - n, m_row >= m_top ? m_top : 1), m_column); break;
    case 'B': case 'e': moveTo(std::min(m_row + n, m_row <= m_bottom ? m_bottom : Rows), m_column); break;
    case 'C': case 'a': moveTo(m_row, m_column + n); break;
    case 'D': moveTo(m_row, m_column - n); break;
    case 'E': moveTo(m_row + n, 1); break;
    case 'F': moveTo(m_row - n, 1); break;
    case 'G': case '`': moveTo(m_row, n); break;
    case 'd': moveTo(n, m_column); break;
    case 'H': case 'f': moveTo(std::max(1, param(0, 1)), std::max(1, param(1, 1))); break;
    case 'I': {
        int column = m_column;
        for (int i = 0; i < std::min(n, 10); ++i)
            column = std::min(((column - 1) / 8 + 1) * 8 + 1, Columns);
        moveTo(m_row, column);
        break;
    }
    case 'Z': {
        int column = m_column;
        for (int i = 0; i < std::min(n, 10); ++i)
            column = std::max(1, ((column - 2) / 8) * 8 + 1);
        moveTo(m_row, column);
        break;
    }
    case 'J':
        switch (param(0, 0)) {
        case 0:
            if (m_row == 1 && m_column == 1) {
                clearScreen();
            } else {
                eraseCells(m_row, m_column, Columns);
                for (int r = m_row + 1; r <= Rows; ++r)
                    eraseCells(r, 1, Columns);
            }
            break;
        case 1:
            for (int r = 1; r < m_row; ++r)
                eraseCells(r, 1, Columns);
            eraseCells(m_row, 1, m_column);
            break;
        default:
            clearScreen();
            break;
        }
        m_wrapPending = false;
        break;
    case 'K':
        switch (param(0, 0)) {
        case 0: eraseCells(m_row, m_column, Columns); break;
        case 1: eraseCells(m_row, 1, m_column); break;
        default: eraseCells(m_row, 1, Columns); break;
        }
        m_wrapPending = false;
        break;
    case 'X':
        eraseCells(m_row, m_column, m_column + n - 1);
        m_wrapPending = false;
        break;
    case 'b':
        for (int i = 0; i < std::min(n, Columns * Rows); ++i)
            put(m_lastPrinted);
        break;
    case '@': {
        auto &line = m_grid[size_t(m_row)];
        const int count = std::min(n, Columns - m_column + 1);
        for (int c = Columns; c >= m_column + count; --c)
            line[size_t(c)] = line[size_t(c - count)];
        eraseCells(m_row, m_column, m_column + count - 1);
        m_wrapPending = false;
        break;
    }
    case 'P': {
        auto &line = m_grid[size_t(m_row)];
        const int count = std::min(n, Columns - m_column + 1);
        for (int c = m_column; c <= Columns - count; ++c)
            line[size_t(c)] = line[size_t(c + count)];
        eraseCells(m_row, Columns - count + 1, Columns);
        m_wrapPending = false;
        break;
    }
    case 'L':
        if (m_row >= m_top && m_row <= m_bottom)
            scrollDown(m_row, m_bottom, n);
        m_column = 1;
        m_wrapPending = false;
        break;
    case 'M':
        if (m_row >= m_top && m_row <= m_bottom)
            scrollUp(m_row, m_bottom, n);
        m_column = 1;
        m_wrapPending = false;
        break;
    case 'S':
        scrollUp(m_top, m_bottom, n);
        break;
    case 'T':
        scrollDown(m_top, m_bottom, n);
        break;
    case 'r': {
        const int top = std::max(1, param(0, 1));
        const int bottom = std::min(Rows, param(1, Rows) == 0 ? Rows : param(1, Rows));
        if (top < bottom) {
            m_top = top;
            m_bottom = bottom;
            moveTo(1, 1);
        }
        break;
    }
    case 'm':
        sgr();
        break;
    case 'h': case 'l':
        break;   // insert mode and the like: not offered
    case 'n':
        if (param(0, 0) == 5)
            m_reply->append("\x1b[0n");
        else if (param(0, 0) == 6)
            m_reply->append("\x1b[" + QByteArray::number(m_row) + ';' + QByteArray::number(m_column) + 'R');
        break;
    case 'c':
        if (param(0, 0) == 0)
            m_reply->append("\x1b[?1;2c");
        break;
    case 's':
        saveCursor(m_saved);
        break;
    case 'u':
        restoreCursor(m_saved);
        break;
    default:
        break;
    }
}

void TermFilter::sgr()
{
    QList<int> values;
    for (const QByteArray &part : m_params.split(';')) {
        bool ok = false;
        const int v = part.left(6).toInt(&ok);
        values.append(ok ? v : 0);
    }
    for (qsizetype i = 0; i < values.size(); ++i) {
        const int v = values.at(i);
        if (v == 0) {
            m_fore = 7;
            m_back = 0;
            m_bold = m_reverse = m_foreBright = m_backBright = m_conceal = m_pcGraphics = false;
        } else if (v == 1) {
            m_bold = true;
        } else if (v == 2 || v == 22) {
            m_bold = false;
        } else if (v == 7) {
            m_reverse = true;
        } else if (v == 27) {
            m_reverse = false;
        } else if (v == 5 && m_art) {
            m_backBright = true;   // iCE colours
        } else if (v == 25 && m_art) {
            m_backBright = false;
        } else if (v == 8) {
            m_conceal = true;
        } else if (v == 28) {
            m_conceal = false;
        } else if (v == 10) {
            m_pcGraphics = false;
        } else if (v == 11 || v == 12) {
            m_pcGraphics = true;
        } else if (v >= 30 && v <= 37) {
            m_fore = v - 30;
            m_foreBright = false;
        } else if (v == 39) {
            m_fore = 7;
            m_foreBright = false;
        } else if (v >= 40 && v <= 47) {
            m_back = v - 40;
            m_backBright = false;
        } else if (v == 49) {
            m_back = 0;
            m_backBright = false;
        } else if (v >= 90 && v <= 97) {
            m_fore = v - 90;
            m_foreBright = true;
        } else if (v >= 100 && v <= 107) {
            m_back = v - 100;
            m_backBright = true;
        } else if ((v == 38 || v == 48) && i + 1 < values.size()) {
            int colour = -1;
            if (values.at(i + 1) == 5 && i + 2 < values.size()) {
                colour = colourOf256(std::clamp(values.at(i + 2), 0, 255));
                i += 2;
            } else if (values.at(i + 1) == 2 && i + 4 < values.size()) {
                colour = nearestColour(values.at(i + 2), values.at(i + 3), values.at(i + 4));
                i += 4;
            } else {
                ++i;
            }
            if (colour >= 0 && v == 38) {
                m_fore = colour & 7;
                m_foreBright = colour >= 8;
            } else if (colour >= 0) {
                m_back = colour & 7;
                m_backBright = colour >= 8;
            }
        }
    }
}

void TermFilter::mode(bool set)
{
    for (const QByteArray &part : m_params.split(';')) {
        const int v = part.toInt();
        if (v == 9 || v == 1000 || v == 1002 || v == 1003) {
            m_mouse = set;
        } else if (v == 1006) {
            m_sgrMouse = set;
        } else if (v == 25) {
            m_cursorVisible = set;
        } else if (v == 7) {
            m_autoWrap = set;
            m_wrapPending = false;
        } else if (v == 47 || v == 1047 || v == 1049) {
            if (set == m_altScreen)
                continue;
            if (v == 1049 && set)
                saveCursor(m_saved);
            if (set) {
                m_mainGrid = m_grid;
                m_altScreen = true;
                clearScreen();
            } else {
                m_grid = m_mainGrid;
                m_altScreen = false;
                if (v == 1049)
                    restoreCursor(m_saved);
            }
        }
    }
}

QByteArray TermFilter::mouseReport(int column, int row) const
{
    if (!m_mouse || column < 1 || row < 1 || column > Columns || row > Rows)
        return {};
    if (m_sgrMouse) {
        const QByteArray at = QByteArray::number(column) + ';' + QByteArray::number(row);
        return "\x1b[<0;" + at + "M\x1b[<0;" + at + 'm';
    }
    return "\x1b[M" + QByteArray(1, char(32)) + char(32 + column) + char(32 + row) + "\x1b[M" + char(32 + 3)
        + char(32 + column) + char(32 + row);
}

// -- the engine's screen ------------------------------------------------------

TermFilter::Cell TermFilter::wanted(int row, int column) const
{
    Cell c = m_grid[size_t(row)][size_t(column)];
    const int cursorColumn = std::min(m_column, Columns);
    if (m_cursorOverlay && row == m_row && column == cursorColumn) {
        std::swap(c.fg, c.bg);
        if (c.fg == c.bg)
            c.fg = c.bg == 0 ? 7 : 0;
    }
    return c;
}

bool TermFilter::same(const Cell &a, const Cell &b)
{
    if (a.ch != b.ch || a.bg != b.bg)
        return false;
    return isBlank(a.ch) || a.fg == b.fg;
}

void TermFilter::out(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_out->append(bytes);
    m_tail = (m_tail + bytes).right(2);
}

void TermFilter::penTo(int row, int column)
{
    if (row == m_penRow && column == m_penColumn)
        return;
    out("\x1b[" + QByteArray::number(row) + ';' + QByteArray::number(column) + 'H');
    m_penRow = row;
    m_penColumn = column;
}

// The engine's colours for a glyph colour and a dark background: the dim
// palette for the eight dark glyph colours, the bright one for the others.
void TermFilter::colours(int fg, int bg)
{
    const bool dim = fg < 8;
    const int fore = 30 + (fg & 7);
    const int back = 40 + (bg & 7);
    if (m_coloursKnown && dim == m_engineDim && fore == m_engineFore && back == m_engineBack)
        return;
    out("\x1b[" + QByteArray(dim ? "0" : "1") + ';' + QByteArray::number(fore) + ';' + QByteArray::number(back) + 'm');
    m_coloursKnown = true;
    m_engineDim = dim;
    m_engineFore = fore;
    m_engineBack = back;
}

// Sets the engine's brush to a colour code through a box drawn far right of
// the surface, out of sight. The engine's colour memory no longer matches
// its brush afterwards, so colours are always set again before printing.
void TermFilter::brush(int code)
{
    if (code < 0) {
        out("\x1b[200;1;0;0;0;0;0;0R");   // no brush: glyphs leave the background as it is
    } else {
        out("\x1b[1;37;40m\x1b[200;1;0;0;0;0;" + QByteArray::number(code) + ";1R");
        m_engineDim = false;
    }
    m_coloursKnown = false;
}

void TermFilter::glyph(uchar ch)
{
    char byte = char(EngineGlyph(ch));
    if (formsMarker(m_tail, byte))
        byte = '?';
    out(QByteArray(1, byte));
    ++m_penColumn;
}

void TermFilter::engineScroll(int n)
{
    // What the program showed before the scroll is on the engine's screen
    // first; the engine then moves columns 1 to 79 up.
    render();
    out("\x1b[" + QByteArray::number(n) + 'T');
    for (int r = 1; r <= Rows; ++r) {
        for (int c = 1; c <= EngineColumns; ++c) {
            m_shown[size_t(r)][size_t(c)] = r + n <= Rows ? m_shown[size_t(r + n)][size_t(c)] : Cell{0, 7, 0};
        }
    }
}

void TermFilter::render()
{
    if (m_clearPending) {
        m_clearPending = false;
        const int back = m_clearBack < 8 ? m_clearBack : 0;
        out("\x1b[0;37;" + QByteArray::number(40 + back) + "m\x1b[J");
        for (auto &row : m_shown)
            row.fill(Cell{' ', 7, uchar(back)});
        m_penRow = m_penColumn = 1;
        m_coloursKnown = false;   // the clear switches the engine to its bright palette
    }
    for (int r = 1; r <= Rows; ++r)
        renderRow(r);
}

void TermFilter::renderRow(int row)
{
    auto &shown = m_shown[size_t(row)];
    for (int c = 1; c <= EngineColumns;) {
        const Cell want = wanted(row, c);
        if (same(want, shown[size_t(c)])) {
            // A few unchanged cells between changes are printed again: that
            // is shorter than a move past them, and keeps words together.
            int next = c;
            while (next <= EngineColumns && next < c + 4 && same(wanted(row, next), shown[size_t(next)])
                   && wanted(row, next).bg < 8)
                ++next;
            if (m_penRow == row && m_penColumn == c && next <= EngineColumns && next < c + 4
                && !same(wanted(row, next), shown[size_t(next)])) {
                for (; c < next; ++c) {
                    const Cell again = wanted(row, c);
                    if (!(isBlank(again.ch) && m_coloursKnown && m_engineBack == 40 + again.bg))
                        colours(again.fg, again.bg);
                    glyph(again.ch);
                }
                continue;
            }
            ++c;
            continue;
        }
        if (want.bg >= 8) {
            c = brightRun(row, c);
            continue;
        }
        // A blank rest of the line is erased at once.
        if (isBlank(want.ch) && c < EngineColumns - 2) {
            bool rest = true;
            for (int k = c + 1; k <= EngineColumns && rest; ++k) {
                const Cell w = wanted(row, k);
                rest = isBlank(w.ch) && w.bg == want.bg;
            }
            if (rest) {
                penTo(row, c);
                colours(7, want.bg);
                glyph(' ');   // sets the brush the erasing uses
                out("\x1b[K");
                for (int k = c; k <= EngineColumns; ++k)
                    shown[size_t(k)] = Cell{' ', 7, want.bg};
                m_penColumn = Columns;
                break;
            }
        }
        penTo(row, c);
        colours(want.fg, want.bg);
        glyph(want.ch);
        shown[size_t(c)] = want;
        ++c;
    }
    const Cell last = wanted(row, Columns);
    if (!same(last, shown[Columns]))
        drawColumn80(row, last);
}

// A run of cells on one bright background: the engine erases from the
// run's first cell to the line's end with a brush of that colour, and the
// glyphs are printed over it with no brush. What the erasing took beyond
// the run is drawn again by the caller.
int TermFilter::brightRun(int row, int from)
{
    auto &shown = m_shown[size_t(row)];
    const int bg = wanted(row, from).bg;
    int to = from;
    while (to < EngineColumns && wanted(row, to + 1).bg == bg)
        ++to;
    brush(30 + (bg & 7));
    penTo(row, from);
    out("\x1b[K");
    m_penColumn = Columns;
    for (int k = from; k <= EngineColumns; ++k)
        shown[size_t(k)] = Cell{' ', 7, uchar(bg)};
    brush(-1);
    for (int k = from; k <= to; ++k) {
        const Cell want = wanted(row, k);
        if (isBlank(want.ch))
            continue;
        penTo(row, k);
        colours(want.fg, bg);
        glyph(want.ch);
        shown[size_t(k)] = want;
    }
    brush(40);
    return to + 1;
}

// Column 80: the glyph as surface text, on a brush of the cell's background,
// with a blank after it so that the background covers the cell.
void TermFilter::drawColumn80(int row, const Cell &c)
{
    brush(c.bg < 8 ? 40 + c.bg : 30 + (c.bg & 7));
    const int code = c.fg < 8 ? 40 + c.fg : 30 + (c.fg & 7);
    const uchar g = SurfaceGlyph(c.ch);
    QByteArray text = isBlank(c.ch) || g == ' ' ? QByteArray("   ") : QByteArray(1, char(g)) + ' ';
    out("\x1b[" + QByteArray::number(Columns) + ';' + QByteArray::number(row) + ';'
        + QByteArray::number(SurfaceFontSize) + ';' + QByteArray::number(code) + 'W' + text + ']');
    m_shown[size_t(row)][Columns] = c;
}
