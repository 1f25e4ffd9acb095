#include "LAnsi.h"

#include <QApplication>
#include <QScopeGuard>

#include "Ansi.h"

namespace {

constexpr quint8 kEsc = 0x1B;

bool isParameterByte(quint8 byte)
{
    return byte == '.' || byte == ';' || (byte >= '0' && byte <= '9');
}

} // namespace

TLAnsi::TLAnsi() = default;

TLAnsi::~TLAnsi() = default;

void TLAnsi::AttachSurface(QImage *image)
{
    m_canvas.reset();
    if (image)
        m_canvas = std::make_unique<AnsiCanvas>(image);
}

void TLAnsi::Write(const QByteArray &text)
{
    m_idle = false;
    const auto done = qScopeGuard([this] {
        m_idle = true;
        if (m_canvas)
            m_canvas->flush();
    });
    for (const char byte : text) {
        if (m_idle)
            break;
        putByte(quint8(byte));
    }
}

TColor TLAnsi::ColorOf(int code)
{
    switch (code) {
    case 31: return RGBToTColor(0xFF, 0x00, 0x00);
    case 32: return RGBToTColor(0x00, 0xFF, 0x00);
    case 33: return RGBToTColor(0xFF, 0xFF, 0x00);
    case 34: return RGBToTColor(0x00, 0x00, 0xFF);
    case 35: return RGBToTColor(0xFF, 0x00, 0xFF);
    case 36: return RGBToTColor(0x00, 0xFF, 0xFF);
    case 37: return RGBToTColor(0xFF, 0xFF, 0xFF);
    case 38: return RGBToTColor(0x80, 0x80, 0x80);
    case 39: return RGBToTColor(0xC0, 0xC0, 0xC0);
    case 41: return RGBToTColor(0x80, 0x00, 0x00);
    case 42: return RGBToTColor(0x00, 0x80, 0x00);
    case 43: return RGBToTColor(0xA8, 0x54, 0x00);
    case 44: return RGBToTColor(0x00, 0x00, 0x80);
    case 45: return RGBToTColor(0x80, 0x00, 0x80);
    case 46: return RGBToTColor(0x00, 0x80, 0x80);
    case 47: return RGBToTColor(0xC0, 0xC0, 0xC0);
    default: return RGBToTColor(0x00, 0x00, 0x00); // 30, 40 and 48 included
    }
}

void TLAnsi::putByte(quint8 byte)
{
    switch (m_parseState) {
    case TParseState::Ground:
        groundByte(byte);
        break;
    case TParseState::Escape:
        escapeByte(byte);
        break;
    case TParseState::Sequence:
        sequenceByte(byte);
        break;
    }
}

void TLAnsi::reset()
{
    m_parseState = TParseState::Ground;
    m_params.clear();
}

void TLAnsi::beforeHost()
{
    if (m_canvas)
        m_canvas->flush();
}

// Outside sequences only NUL, BEL, FF and ESC act; nothing is printed.
void TLAnsi::groundByte(quint8 byte)
{
    switch (byte) {
    case 0x00:
        reset();
        break;
    case 0x07:
        if (OnBeep)
            OnBeep();
        else if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
        break;
    case 0x0C:
        clear(0);
        break;
    case kEsc:
        m_parseState = TParseState::Escape;
        break;
    default:
        break;
    }
}

void TLAnsi::escapeByte(quint8 byte)
{
    if (byte == '[') {
        m_parseState = TParseState::Sequence;
        m_params.clear();
    } else if (byte == kEsc) {
        m_params.clear();
    } else {
        m_parseState = TParseState::Ground;
    }
}

void TLAnsi::sequenceByte(quint8 byte)
{
    if (m_labelCapture) {
        labelByte(byte);
        return;
    }
    if (isParameterByte(byte)) {
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
            beforeHost();
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
    beforeHost();
    OnSurfaceText(rect, text);
}

void TLAnsi::setArtist(int artist)
{
    m_artist = artist;
    reset();
    if (OnArtistChange) {
        beforeHost();
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

// A stroke whose start is 0;0 continues from where the previous one ended.
void TLAnsi::stroke()
{
    const int x1 = m_params.NextInt();
    const int y1 = m_params.NextInt();
    const int x2 = m_params.NextInt();
    const int y2 = m_params.NextInt();
    const int width = m_params.NextInt();
    const int colour = m_params.NextInt();
    const int style = m_params.NextInt();
    reset();
    if (!m_canvas)
        return;
    QPen pen(ToQColor(ColorOf(colour)));
    pen.setWidth(qBound(0, width, 1024));
    pen.setStyle(style == 2 ? Qt::DotLine : Qt::SolidLine);
    m_canvas->setPen(pen);
    if (x1 > 0 && y1 > 0)
        m_canvas->moveTo(QPoint(ClampCoord(x1), ClampCoord(y1)));
    m_canvas->lineTo(QPoint(ClampCoord(x2), ClampCoord(y2)));
}

void TLAnsi::gauge()
{
    const int value = m_params.NextInt();
    reset();
    if (OnGauge) {
        beforeHost();
        OnGauge(value);
    }
}
