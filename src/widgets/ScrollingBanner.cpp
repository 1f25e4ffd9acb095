#include "ScrollingBanner.h"

#include <QPainter>

#include <algorithm>

TScrollingBanner::TScrollingBanner(QWidget *parent)
    : QWidget(parent)
{
    // The banner paints every pixel of itself: nothing behind it is redrawn per step.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void TScrollingBanner::setLines(const QStringList &lines)
{
    m_lines = lines;
    m_index = 0;
    m_x = width();
    update();
    if (!m_lines.isEmpty())
        emit lineStarted(0);
}

void TScrollingBanner::setStep(int pixels)
{
    m_step = std::max(1, pixels);
}

void TScrollingBanner::start()
{
    m_running = true;
}

void TScrollingBanner::stop()
{
    m_running = false;
}

int TScrollingBanner::lineWidth(int index) const
{
    if (index < 0 || index >= m_lines.size())
        return 0;
    return fontMetrics().horizontalAdvance(m_lines.at(index));
}

void TScrollingBanner::advance()
{
    if (!m_running || m_lines.isEmpty())
        return;
    m_x -= m_step;
    if (m_x + lineWidth(m_index) <= 0) {
        m_index = (m_index + 1) % int(m_lines.size());
        m_x = width();
        emit lineStarted(m_index);
    }
    update();
}

QSize TScrollingBanner::sizeHint() const
{
    return {200, fontMetrics().height() + 4};
}

void TScrollingBanner::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(backgroundRole()));
    if (m_lines.isEmpty())
        return;
    p.setPen(palette().color(foregroundRole()));
    p.setFont(font());
    const QRect line(m_x, 0, lineWidth(m_index) + 1, height());
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_lines.at(m_index));
}
