#include "LAnsi.h"

#include "Ansi.h"

TLAnsi::TLAnsi() = default;

TLAnsi::~TLAnsi() = default;

void TLAnsi::AttachSurface(QImage *image)
{
    m_canvas.reset();
    if (image)
        m_canvas = std::make_unique<AnsiCanvas>(image);
}

TColor TLAnsi::ColorOf(int code)
{
    return AnsiBrightColor(code); // 30, 40 and 48 are black
}

// Outside sequences only NUL, BEL, FF and ESC act; nothing is printed.
void TLAnsi::groundByte(quint8 byte)
{
    switch (byte) {
    case 0x00:
        reset();
        break;
    case 0x07:
        beep();
        break;
    case 0x0C:
        clear(0);
        break;
    case kAnsiEsc:
        m_parseState = TParseState::Escape;
        break;
    default:
        break;
    }
}

void TLAnsi::sequenceByte(quint8 byte)
{
    if (m_labelCapture) {
        labelByte(byte);
        return;
    }
    if (IsAnsiParameterByte(byte)) {
        m_params.append(char(byte));
        return;
    }
    switch (byte) {
    case '*': setArtist(1); break;            // this player draws
    case '@': setArtist(0); break;            // this player guesses
    case 'J': {                               // clear in a colour
        const int code = m_params.NextInt();
        reset();
        clear(code);
        break;
    }
    case 'L': stroke(); break;                // stroke
    case 'P': gauge(); break;                 // gauge value
    case 'Z': m_labelCapture = true; break;   // label or status text
    default: break;                           // ignored: the sequence stays open
    }
}

void TLAnsi::labelByte(quint8 byte)
{
    if (byte != ']' && byte != '}') {
        if (m_labelText.size() < kAnsiTextCap)
            m_labelText.append(char(byte));
        return;
    }
    m_labelCapture = false;
    const QByteArray text = m_labelText;
    m_labelText.clear();
    if (byte == '}') {
        reset();
        if (OnStatusText) {
            flushSurface();
            OnStatusText(text);
        }
        return;
    }
    if (!OnSurfaceText) {
        reset();
        return;
    }
    TAnsiRect rect;
    rect.Left = CellRound(m_params.NextReal(), 10);
    rect.Top = CellRound(m_params.NextReal(), 10);
    rect.Right = m_params.NextInt();
    rect.Bottom = m_params.NextInt();
    reset();
    flushSurface();
    OnSurfaceText(rect, text);
}

void TLAnsi::setArtist(int artist)
{
    m_artist = artist;
    reset();
    if (OnArtistChange) {
        flushSurface();
        OnArtistChange(artist);
    }
}

void TLAnsi::clear(int code)
{
    if (!m_canvas)
        return;
    m_canvas->setBrushStyle(Qt::SolidPattern);
    m_canvas->setBrushColor(ToQColor(ColorOf(code)));
    m_canvas->fillAll();
}

void TLAnsi::stroke()
{
    drawLineCommand(&TLAnsi::ColorOf);
}

void TLAnsi::gauge()
{
    const int value = m_params.NextInt();
    reset();
    if (OnGauge) {
        flushSurface();
        OnGauge(value);
    }
}
