#include "TermFilter.h"

#include <QHash>

#include <array>
#include <cstring>

namespace {

constexpr int MaxParams = 64;
constexpr int MaxString = 4096;

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

// The bytes the engine acts on instead of drawing them.
bool engineControl(uchar b)
{
    return b == 0x00 || (b >= 0x07 && b <= 0x0D) || b == 0x1B;
}

const QHash<uint, char> &unicodeTable()
{
    static const QHash<uint, char> table = [] {
        QHash<uint, char> t;
        for (int i = 1; i < 32; ++i) {
            if (!engineControl(uchar(i)))
                t.insert(LowGlyphs[size_t(i)], char(i));
        }
        for (int i = 0; i < 129; ++i)
            t.insert(HighGlyphs[size_t(i)], char(0x7F + i));
        // Near relatives of the glyphs the engine cannot draw, and a few more.
        t.insert(0x2022, char(0xF9));
        t.insert(0x25CB, 'o');
        t.insert(0x2190, char(0x11));
        t.insert(0x266A, char(0x0E));
        const std::pair<uint, char> more[] = {
            {0x256D, char(0xDA)}, {0x256E, char(0xBF)}, {0x256F, char(0xD9)}, {0x2570, char(0xC0)},
            {0x2501, char(0xC4)}, {0x2503, char(0xB3)}, {0x250F, char(0xDA)}, {0x2513, char(0xBF)},
            {0x2517, char(0xC0)}, {0x251B, char(0xD9)}, {0x2523, char(0xC3)}, {0x252B, char(0xB4)},
            {0x2533, char(0xC2)}, {0x253B, char(0xC1)}, {0x254B, char(0xC5)}, {0x2013, '-'},
            {0x2014, '-'}, {0x2018, '\''}, {0x2019, '\''}, {0x201C, '"'}, {0x201D, '"'},
            {0x25B6, char(0x10)}, {0x25C0, char(0x11)}, {0x2026, '.'}, {0x00D7, 'x'},
        };
        for (const auto &[u, c] : more)
            t.insert(u, c);
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

// The nearest of the eight colours (and whether it is the bright one).
int nearestColour(int r, int g, int b, bool *bright)
{
    const int high = std::max({r, g, b});
    *bright = high > 190;
    const int threshold = std::max(high / 2, 64);
    if (high < 48)
        return 0;
    const int code = (r >= threshold ? 1 : 0) | (g >= threshold ? 2 : 0) | (b >= threshold ? 4 : 0);
    return code;
}

int colourOf256(int n, bool *bright)
{
    *bright = false;
    if (n < 8)
        return n;
    if (n < 16) {
        *bright = true;
        return n - 8;
    }
    if (n < 232) {
        const int i = n - 16;
        const int levels[] = {0, 95, 135, 175, 215, 255};
        return nearestColour(levels[i / 36], levels[(i / 6) % 6], levels[i % 6], bright);
    }
    const int grey = 8 + (n - 232) * 10;
    *bright = grey > 190;
    return grey < 60 ? 0 : 7;
}

} // namespace

QByteArray TermFilter::TerminfoSource()
{
    return "vantora|the screen of the Vantora door clients,\n"
           "\tcols#79, lines#26, colors#8, pairs#64, it#8,\n"
           "\tbce, msgr,\n"
           "\tbel=^G, cr=\\r, cud1=\\n, ind=\\n, cub1=^H, ht=^I,\n"
           "\tclear=\\E[H\\E[2J, ed=\\E[J, el=\\E[K, el1=\\E[1K, ech=\\E[%p1%dX,\n"
           "\tcup=\\E[%i%p1%d;%p2%dH, home=\\E[H,\n"
           "\tcuu1=\\E[A, cuu=\\E[%p1%dA, cud=\\E[%p1%dB, cuf1=\\E[C, cuf=\\E[%p1%dC, cub=\\E[%p1%dD,\n"
           "\thpa=\\E[%i%p1%dG, vpa=\\E[%i%p1%dd, cbt=\\E[Z,\n"
           "\tsc=\\E7, rc=\\E8,\n"
           "\tsgr0=\\E[0m, bold=\\E[1m, rev=\\E[7m, smso=\\E[7m, rmso=\\E[27m,\n"
           "\tsetaf=\\E[3%p1%dm, setab=\\E[4%p1%dm, op=\\E[39;49m,\n"
           "\tacsc=+\\020\\,\\021-\\030.\\031`\\004a\\261f\\370g\\361h\\260j\\331k\\277l\\332m\\300n\\305o~p\\304q\\304"
           "r\\304s_t\\303u\\264v\\301w\\302x\\263y\\363z\\362{\\343|\\330}\\234~\\376,\n"
           "\tkbs=^H,\n"
           "\tu6=\\E[%i%d;%dR, u7=\\E[6n, u8=\\E[?1;2c, u9=\\E[c,\n";
}

char TermFilter::ToCp437(uint codePoint)
{
    if (codePoint >= 0x20 && codePoint < 0x7F)
        return char(codePoint);
    return unicodeTable().value(codePoint, 0);
}

QByteArray TermFilter::translate(const QByteArray &output, QByteArray *reply)
{
    QByteArray result;
    QByteArray answers;
    m_out = &result;
    m_reply = reply ? reply : &answers;
    for (const char byte : output) {
        switch (m_state) {
        case State::Ground: ground(byte); break;
        case State::Escape: escape(byte); break;
        case State::Csi: csi(byte); break;
        case State::Osc:
            // Ends at BEL or at ESC "\".
            if (byte == '\x07' || ++m_stringLength > MaxString)
                m_state = State::Ground;
            else if (byte == '\x1b')
                m_state = State::StringEscape;
            break;
        case State::String:
            if (byte == '\x18' || byte == '\x1a' || ++m_stringLength > MaxString)
                m_state = State::Ground;
            else if (byte == '\x1b')
                m_state = State::StringEscape;
            break;
        case State::StringEscape:
            m_state = byte == '\\' ? State::Ground : State::String;
            break;
        case State::Skip:
            m_state = State::Ground;
            break;
        case State::Utf8: {
            const uchar b = uchar(byte);
            if ((b & 0xC0) != 0x80) {
                flushUtf8();
                m_state = State::Ground;
                ground(byte);
                break;
            }
            m_utf8Bytes += byte;
            m_codePoint = (m_codePoint << 6) | (b & 0x3F);
            if (--m_utf8Need == 0) {
                m_state = State::Ground;
                const char glyph = ToCp437(m_codePoint);
                m_utf8Bytes.clear();
                print(glyph ? glyph : '?');
            }
            break;
        }
        }
    }
    m_out = nullptr;
    m_reply = nullptr;
    return result;
}

void TermFilter::flushUtf8()
{
    // Not UTF-8 after all: the bytes are taken as they are.
    const QByteArray bytes = m_utf8Bytes;
    m_utf8Bytes.clear();
    for (const char b : bytes)
        print(b);
}

void TermFilter::out(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_out->append(bytes);
    m_tail = (m_tail + bytes).right(2);
}

void TermFilter::moveTo(int row, int column)
{
    m_row = qBound(1, row, Rows);
    m_column = qBound(1, column, Columns + 1);
    out("\x1b[" + QByteArray::number(m_row) + ';' + QByteArray::number(m_column) + 'H');
}

void TermFilter::applyColours()
{
    if (m_coloursSet)
        return;
    int fore = m_fore;
    int back = m_back;
    if (m_reverse) {
        fore = m_back - 10;
        back = m_fore + 10;
    }
    // "0" selects the engine's dim palette, "1" its bright one.
    out("\x1b[" + QByteArray(m_bold ? "1" : "0") + ';' + QByteArray::number(fore) + ';' + QByteArray::number(back) + 'm');
    m_coloursSet = true;
}

void TermFilter::print(char byte)
{
    if (m_column > Columns)
        return;   // no automatic margin: the last column is overwritten, never wrapped
    applyColours();
    if (engineControl(uchar(byte)))
        byte = '?';
    if (formsMarker(m_tail, byte))
        byte = '?';
    out(QByteArray(1, byte));
    m_lastPrinted = byte;
    ++m_column;
}

void TermFilter::lineFeed()
{
    out("\n");
    m_row = qMin(m_row + 1, Rows);
}

void TermFilter::clearAll()
{
    // The engine fills with the background and goes home; a terminal keeps
    // the cursor where it is.
    m_coloursSet = false;
    applyColours();
    out("\x1b[2J");
    m_coloursSet = false;   // the clear switches the engine to its bright palette
    moveTo(m_row, m_column);
}

// The engine erases with the brush of the last character it drew: one blank
// in today's colours first sets it.
void TermFilter::primeBrush(int row, int column)
{
    m_coloursSet = false;
    applyColours();
    moveTo(row, column);
    out(" ");
}

void TermFilter::eraseLine(int from)
{
    const int row = m_row;
    const int column = m_column;
    if (from <= Columns) {
        primeBrush(row, from);
        moveTo(row, from);
        out("\x1b[K");
    }
    moveTo(row, column);
}

void TermFilter::eraseRows(int first, int last)
{
    const int row = m_row;
    const int column = m_column;
    for (int r = first; r <= last; ++r) {
        if (r == first)
            primeBrush(r, 1);
        moveTo(r, 1);
        out("\x1b[K");
    }
    moveTo(row, column);
}

void TermFilter::ground(char byte)
{
    const uchar b = uchar(byte);
    switch (b) {
    case 0x1B:
        m_state = State::Escape;
        return;
    case '\r':
        out("\r");
        m_column = 1;
        return;
    case '\n':
    case 0x0B:
        lineFeed();
        return;
    case 0x0C:
        // A form feed clears the screen, as on the service's own screens.
        m_coloursSet = false;
        applyColours();
        out("\x1b[2J");
        m_coloursSet = false;
        m_row = m_column = 1;
        return;
    case 0x08:
        if (m_column > 1) {
            out("\b");
            --m_column;
        }
        return;
    case '\t':
        moveTo(m_row, qMin(((m_column - 1) / 8 + 1) * 8 + 1, Columns));
        return;
    case 0x07:
        out("\x07");
        return;
    default:
        break;
    }
    if (b < 0x20 || b == 0x7F)
        return;
    if (b >= 0xC2 && b <= 0xF4) {
        m_state = State::Utf8;
        m_utf8Need = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : 1;
        m_codePoint = b & (b >= 0xF0 ? 0x07 : b >= 0xE0 ? 0x0F : 0x1F);
        m_utf8Bytes = QByteArray(1, byte);
        return;
    }
    print(byte);
}

void TermFilter::escape(char byte)
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
    case '(': case ')': case '*': case '+': case '-': case '.': case '/': case '#': case '%':
        m_state = State::Skip;
        return;
    case '\x1b':
        m_state = State::Escape;
        return;
    case '7':
        m_savedRow = m_row;
        m_savedColumn = m_column;
        return;
    case '8':
        moveTo(m_savedRow, m_savedColumn);
        return;
    case 'c':
        m_fore = 37;
        m_back = 40;
        m_bold = m_reverse = false;
        m_row = m_column = 1;
        clearAll();
        return;
    case 'D':
        lineFeed();
        return;
    case 'E':
        out("\r");
        m_column = 1;
        lineFeed();
        return;
    case 'M':
        if (m_row > 1)
            moveTo(m_row - 1, m_column);
        return;
    default:
        return;
    }
}

void TermFilter::csi(char byte)
{
    const uchar b = uchar(byte);
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
        if ((byte == '<' || byte == '=' || byte == '>' || byte == '?') && m_params.isEmpty() && !m_private)
            m_private = byte;
        else if (m_params.size() < MaxParams)
            m_params += byte == ':' ? ';' : byte;
        else
            m_overflow = true;
        return;
    }
    if (b >= 0x20 && b <= 0x2F) {
        if (m_intermediates.size() < 4)
            m_intermediates += byte;
        return;
    }
    m_state = State::Ground;
    if (b >= 0x40 && b <= 0x7E && !m_overflow)
        dispatch(byte);
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

void TermFilter::dispatch(char final)
{
    if (!m_intermediates.isEmpty())
        return;
    if (m_private) {
        if (m_private == '?' && (final == 'h' || final == 'l'))
            mode(final == 'h');
        else if (m_private == '?' && final == 'n' && param(0, 0) == 6)
            m_reply->append("\x1b[?" + QByteArray::number(m_row) + ';' + QByteArray::number(qMin(m_column, Columns)) + 'R');
        else if (m_private == '>' && final == 'c')
            m_reply->append("\x1b[>0;0;0c");
        return;
    }
    const int n = qMax(1, param(0, 1));
    switch (final) {
    case 'A': moveTo(m_row - n, m_column); break;                       // cursor up
    case 'B': case 'e': moveTo(m_row + n, m_column); break;             // cursor down
    case 'C': case 'a': moveTo(m_row, qMin(m_column + n, Columns)); break;   // cursor forward
    case 'D': moveTo(m_row, m_column - n); break;                       // cursor back
    case 'E': moveTo(m_row + n, 1); break;                              // next line
    case 'F': moveTo(m_row - n, 1); break;                              // previous line
    case 'G': case '`': moveTo(m_row, n); break;                        // column
    case 'd': moveTo(n, m_column); break;                               // row
    case 'H': case 'f': moveTo(qMax(1, param(0, 1)), qMax(1, param(1, 1))); break;   // position
    case 'I':                                                           // tabs forward
        for (int i = 0; i < qMin(n, 10); ++i)
            m_column = qMin(((m_column - 1) / 8 + 1) * 8 + 1, Columns);
        moveTo(m_row, m_column);
        break;
    case 'Z':                                                           // tabs back
        for (int i = 0; i < qMin(n, 10); ++i)
            m_column = qMax(1, ((m_column - 2) / 8) * 8 + 1);
        moveTo(m_row, m_column);
        break;
    case 'J':                                                           // erase in display
        switch (param(0, 0)) {
        case 0:
            eraseLine(m_column);
            if (m_row < Rows)
                eraseRows(m_row + 1, Rows);
            break;
        case 1:
            if (m_row > 1)
                eraseRows(1, m_row - 1);
            eraseRows(m_row, m_row);   // a terminal erases up to the cursor; the whole line is close enough
            break;
        default:
            clearAll();
            break;
        }
        break;
    case 'K':                                                           // erase in line
        switch (param(0, 0)) {
        case 0:
            eraseLine(m_column);
            break;
        case 1: {
            // The engine erases up to, not including, the cursor's column.
            const int row = m_row;
            const int column = m_column;
            primeBrush(row, 1);
            moveTo(row, qMin(column + 1, Columns + 1));
            out("\x1b[1K");
            moveTo(row, column);
            break;
        }
        default:
            eraseLine(1);
            break;
        }
        break;
    case 'X': {                                                         // erase characters
        const int row = m_row;
        const int column = m_column;
        const int count = qMin(n, Columns + 1 - column);
        for (int i = 0; i < count; ++i)
            print(' ');
        moveTo(row, column);
        break;
    }
    case 'b': {                                                         // repeat the last character
        const int count = qMin(n, Columns);
        for (int i = 0; i < count; ++i)
            print(m_lastPrinted);
        break;
    }
    case 'S':                                                           // scroll up
        out("\x1b[" + QByteArray::number(qMin(n, Rows)) + 'T');
        break;
    case 'm':
        sgr();
        break;
    case 'n':                                                           // status and cursor reports
        if (param(0, 0) == 5)
            m_reply->append("\x1b[0n");
        else if (param(0, 0) == 6)
            m_reply->append("\x1b[" + QByteArray::number(m_row) + ';' + QByteArray::number(qMin(m_column, Columns)) + 'R');
        break;
    case 'c':                                                           // device attributes
        if (param(0, 0) == 0)
            m_reply->append("\x1b[?1;2c");
        break;
    case 's':
        m_savedRow = m_row;
        m_savedColumn = m_column;
        break;
    case 'u':
        moveTo(m_savedRow, m_savedColumn);
        break;
    default:
        // Insert and delete (characters, lines), scroll regions, scrolling
        // down, modes: nothing the engine can do.
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
            m_fore = 37;
            m_back = 40;
            m_bold = m_reverse = false;
        } else if (v == 1) {
            m_bold = true;
        } else if (v == 2 || v == 22) {
            m_bold = false;
        } else if (v == 7) {
            m_reverse = true;
        } else if (v == 27) {
            m_reverse = false;
        } else if (v >= 30 && v <= 37) {
            m_fore = v;
        } else if (v == 39) {
            m_fore = 37;
        } else if (v >= 40 && v <= 47) {
            m_back = v;
        } else if (v == 49) {
            m_back = 40;
        } else if (v >= 90 && v <= 97) {
            m_fore = v - 60;
            m_bold = true;
        } else if (v >= 100 && v <= 107) {
            m_back = v - 60;
        } else if ((v == 38 || v == 48) && i + 1 < values.size()) {
            bool bright = false;
            int colour = -1;
            if (values.at(i + 1) == 5 && i + 2 < values.size()) {
                colour = colourOf256(values.at(i + 2), &bright);
                i += 2;
            } else if (values.at(i + 1) == 2 && i + 4 < values.size()) {
                colour = nearestColour(values.at(i + 2), values.at(i + 3), values.at(i + 4), &bright);
                i += 4;
            } else {
                ++i;
            }
            if (colour >= 0 && v == 38) {
                m_fore = 30 + colour;
                if (bright)
                    m_bold = true;
            } else if (colour >= 0) {
                m_back = 40 + colour;
            }
        }
    }
    m_coloursSet = false;
}

void TermFilter::mode(bool set)
{
    for (const QByteArray &part : m_params.split(';')) {
        const int v = part.toInt();
        if (v == 9 || v == 1000 || v == 1002 || v == 1003)
            m_mouse = set;
        else if (v == 1006)
            m_sgrMouse = set;
        else if (v == 47 || v == 1047 || v == 1049)
            clearAll();   // another screen: the engine has one, so it starts empty
    }
}

QByteArray TermFilter::mouseReport(int column, int row) const
{
    if (!m_mouse || column < 1 || row < 1 || column > Columns + 1 || row > Rows)
        return {};
    if (m_sgrMouse) {
        const QByteArray at = QByteArray::number(column) + ';' + QByteArray::number(row);
        return "\x1b[<0;" + at + "M\x1b[<0;" + at + 'm';
    }
    return "\x1b[M" + QByteArray(1, char(32)) + char(32 + column) + char(32 + row) + "\x1b[M" + char(32 + 3)
        + char(32 + column) + char(32 + row);
}
