#include "FBVUMeter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

VUScale VUScale::compute(int height, int levelMax, int levelMin, int levelHigh, int levelMed,
                         const QColor &colorHigh, const QColor &colorMed, const QColor &colorLow)
{
    VUScale s;
    s.S = (height - 2) / 3 - 1;
    if (s.S <= 0)
        s.S = 1;
    s.S = std::min(s.S, 100);
    const int range = std::max(1, levelMax - levelMin);
    s.M = s.S - int(std::lround(double(levelMax - levelMed) * s.S / range));
    s.H = s.S - int(std::lround(double(s.S) * (levelMax - levelHigh) / range));
    for (int i = 0; i <= s.S; ++i) {
        const double db = -double(s.S - i) / s.S * range / 20.0;
        s.thresholds.push_back(int(1000.0 * std::pow(10.0, db)));
        const QColor &zone = i > s.H ? colorHigh : i > s.M ? colorMed : colorLow;
        s.lit.push_back(zone);
        s.unlit.push_back(QColor(zone.red() / 2, zone.green() / 2, zone.blue() / 2));
    }
    return s;
}

TFBVUMeter::TFBVUMeter(QWidget *parent)
    : QWidget(parent)
{
    resize(32, 152);
    setAttribute(Qt::WA_OpaquePaintEvent);
    rescale();
}

void TFBVUMeter::setLevelMax(int db)
{
    m_levelMax = db <= m_levelMin ? m_levelMin + 1 : db;
    m_levelHigh = std::clamp(m_levelHigh, m_levelMin, m_levelMax);
    m_levelMed = std::clamp(m_levelMed, m_levelMin, m_levelMax);
    rescale();
}

void TFBVUMeter::setLevelMin(int db)
{
    m_levelMin = db >= m_levelMax ? m_levelMax - 1 : db;
    m_levelHigh = std::clamp(m_levelHigh, m_levelMin, m_levelMax);
    m_levelMed = std::clamp(m_levelMed, m_levelMin, m_levelMax);
    rescale();
}

void TFBVUMeter::setLevelHigh(int db)
{
    m_levelHigh = std::clamp(db, m_levelMin, m_levelMax);
    rescale();
}

void TFBVUMeter::setLevelMed(int db)
{
    m_levelMed = std::clamp(db, m_levelMin, m_levelMax);
    rescale();
}

void TFBVUMeter::setColorHigh(const QColor &c) { m_colorHigh = c; rescale(); }
void TFBVUMeter::setColorMed(const QColor &c) { m_colorMed = c; rescale(); }
void TFBVUMeter::setColorLow(const QColor &c) { m_colorLow = c; rescale(); }

void TFBVUMeter::setStereo(bool on)
{
    m_stereo = on;
    rescale();
}

void TFBVUMeter::setPenWidth(int width)
{
    m_penWidth = std::max(1, width);
    rescale();
}

void TFBVUMeter::setBackGroundColor(const QColor &c)
{
    m_background = c;
    rescale();
}

void TFBVUMeter::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    rescale();
}

std::pair<int, int> TFBVUMeter::barColumns(int bar) const
{
    const int w = width();
    if (!m_stereo)
        return {1, w - 2};
    return bar == 0 ? std::pair{1, w / 2 - 2} : std::pair{w / 2 + 1, w - 2};
}

void TFBVUMeter::ensureScaled() const
{
    if (m_picture.size() != size().expandedTo(QSize(1, 1)))
        const_cast<TFBVUMeter *>(this)->rescale();
}

void TFBVUMeter::rescale()
{
    m_scale = VUScale::compute(height(), m_levelMax, m_levelMin, m_levelHigh, m_levelMed,
                               m_colorHigh, m_colorMed, m_colorLow);
    m_picture = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_picture.fill(m_background);
    m_lit[0] = m_lit[1] = 0;
    for (int bar = 0; bar < (m_stereo ? 2 : 1); ++bar)
        for (int i = 0; i <= m_scale.S; ++i)
            drawSegment(bar, i, false);
    m_segmentsDrawn = 0;
    update();
}

void TFBVUMeter::drawSegment(int bar, int i, bool lit)
{
    const auto [x1, x2] = barColumns(bar);
    if (x2 < x1)
        return;
    // A line of penWidth rows whose lower middle row is the segment's y.
    const int top = segmentY(i) - m_penWidth / 2;
    QPainter p(&m_picture);
    p.fillRect(QRect(x1, top, x2 - x1 + 1, m_penWidth),
               lit ? m_scale.lit[size_t(i)] : m_scale.unlit[size_t(i)]);
    ++m_segmentsDrawn;
}

void TFBVUMeter::updateBar(int bar, int value)
{
    int &L = m_lit[bar];
    const auto &t = m_scale.thresholds;
    if (t[size_t(L)] < value) {
        while (L < m_scale.S && t[size_t(L)] < value) {
            drawSegment(bar, L, true);
            ++L;
        }
    } else {
        while (L > 0 && t[size_t(L)] >= value) {
            drawSegment(bar, L - 1, false);
            --L;
        }
    }
}

void TFBVUMeter::setLevels(int a, int b)
{
    ensureScaled();
    updateBar(0, a);
    if (m_stereo)
        updateBar(1, b);
    update();
}

void TFBVUMeter::paintEvent(QPaintEvent *)
{
    ensureScaled();
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
}
