#include "AnsiParams.h"

#include <cmath>

void AnsiParams::clear()
{
    m_text.clear();
    m_pos = 0;
}

void AnsiParams::set(const QByteArray &text)
{
    m_text = text.left(kAnsiTextCap);
    m_pos = 0;
}

void AnsiParams::append(char byte)
{
    if (m_pos > 0 && (m_pos >= m_text.size() || m_text.size() >= kAnsiTextCap)) {
        m_text.remove(0, m_pos);
        m_pos = 0;
    }
    if (m_text.size() < kAnsiTextCap)
        m_text.append(byte);
}

void AnsiParams::prepend(char byte)
{
    m_text.remove(0, m_pos);
    m_pos = 0;
    m_text.prepend(byte);
    if (m_text.size() > kAnsiTextCap)
        m_text.truncate(kAnsiTextCap);
}

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the leading sign and digits; 0 when no digit follows the sign.
qsizetype integerLength(const QByteArray &text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i == digitsStart ? 0 : i - from;
}

} // namespace

int AnsiParams::NextInt()
{
    const qsizetype length = integerLength(m_text, m_pos);
    int value = 0;
    if (length > 0) {
        bool ok = false;
        value = QByteArrayView(m_text).sliced(m_pos, length).toInt(&ok, 10);
        if (!ok)
            value = 0;
    }
    m_pos = qMin(m_text.size(), m_pos + length + 1);
    return value;
}

float AnsiParams::NextReal()
{
    qsizetype i = m_pos;
    if (i < m_text.size() && (m_text[i] == '-' || m_text[i] == '+'))
        ++i;
    qsizetype digits = 0;
    while (i < m_text.size() && isDigit(m_text[i])) {
        ++i;
        ++digits;
    }
    if (i < m_text.size() && m_text[i] == '.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < m_text.size() && isDigit(m_text[j])) {
            ++j;
            ++fraction;
        }
        if (digits + fraction > 0) {
            digits += fraction;
            i = j;
        }
    }
    float value = 0;
    qsizetype length = 0;
    if (digits > 0) {
        length = i - m_pos;
        bool ok = false;
        value = QByteArrayView(m_text).sliced(m_pos, length).toFloat(&ok);
        if (!ok || !std::isfinite(value))
            value = 0;
    }
    m_pos = qMin(m_text.size(), m_pos + length + 1);
    return value;
}

int ClampCoord(qint64 value)
{
    if (value > kAnsiCoordLimit)
        return kAnsiCoordLimit;
    if (value < -kAnsiCoordLimit)
        return -kAnsiCoordLimit;
    return int(value);
}

int CellRound(float value, int cellSize)
{
    const double scaled = double(value) * double(cellSize);
    if (!(scaled < kAnsiCoordLimit))
        return kAnsiCoordLimit;
    if (!(scaled > -kAnsiCoordLimit))
        return -kAnsiCoordLimit;
    // The default floating-point rounding mode sends an exact half to the
    // even neighbour.
    return int(std::nearbyint(scaled));
}
