#include "AnsiParser.h"

#include <QApplication>
#include <QScopeGuard>

AnsiByteParser::AnsiByteParser() = default;

AnsiByteParser::~AnsiByteParser() = default;

void AnsiByteParser::Write(const QByteArray &text)
{
    m_idle = false;
    ++m_writeDepth;
    const auto done = qScopeGuard([this] {
        --m_writeDepth;
        m_idle = true;
        flushSurface();
    });
    for (const char byte : text) {
        if (m_idle)
            break;
        putByte(quint8(byte));
    }
}

void AnsiByteParser::putByte(quint8 byte)
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

void AnsiByteParser::flushSurface()
{
    // The host may paint on the image itself once it has control.
    if (m_canvas)
        m_canvas->flush();
}

void AnsiByteParser::reset()
{
    m_parseState = TParseState::Ground;
    m_params.clear();
}

void AnsiByteParser::escapeByte(quint8 byte)
{
    if (byte == '[') {
        m_parseState = TParseState::Sequence;
        m_params.clear();
    } else if (byte == kAnsiEsc) {
        m_params.clear();
    } else {
        m_parseState = TParseState::Ground;
    }
}

void AnsiByteParser::beep()
{
    if (OnBeep)
        OnBeep();
    else if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

void AnsiByteParser::drawLineCommand(const std::function<TColor(int code)> &colourOf)
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
    QPen pen(ToQColor(colourOf(colour)));
    pen.setWidth(qBound(0, width, 1024));
    pen.setStyle(style == 2 ? Qt::DotLine : Qt::SolidLine);
    m_canvas->setPen(pen);
    if (x1 > 0 && y1 > 0)
        m_canvas->moveTo(QPoint(ClampCoord(x1), ClampCoord(y1)));
    m_canvas->lineTo(QPoint(ClampCoord(x2), ClampCoord(y2)));
}

TColor AnsiBrightColor(int code)
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
    default: return RGBToTColor(0x00, 0x00, 0x00);
    }
}
