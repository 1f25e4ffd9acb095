#pragma once

// A two-bar (or one-bar) level meter made of horizontal segments, segment 0
// at the bottom. Levels are linear: 1000 is the top of the scale (levelMax
// dB), and each segment lights when the level passes its threshold. The
// meter draws into a picture of its own size and, on a level change, redraws
// only the segments between the old and the new lit count.

#include <QColor>
#include <QImage>
#include <QWidget>

#include <vector>

// The scale of a meter: segments, thresholds, zones and colours, worked out
// from the height and the level properties.
struct VUScale
{
    int S = 1;                         // segments 0..S
    std::vector<int> thresholds;       // one per segment
    std::vector<QColor> lit;
    std::vector<QColor> unlit;
    int M = 0;                         // last segment of the low zone
    int H = 0;                         // last segment of the middle zone

    static VUScale compute(int height, int levelMax, int levelMin, int levelHigh, int levelMed,
                           const QColor &colorHigh, const QColor &colorMed, const QColor &colorLow);
};

class TFBVUMeter : public QWidget
{
    Q_OBJECT
public:
    explicit TFBVUMeter(QWidget *parent = nullptr);

    int levelMax() const { return m_levelMax; }
    void setLevelMax(int db);
    int levelMin() const { return m_levelMin; }
    void setLevelMin(int db);
    int levelHigh() const { return m_levelHigh; }
    void setLevelHigh(int db);
    int levelMed() const { return m_levelMed; }
    void setLevelMed(int db);
    QColor colorHigh() const { return m_colorHigh; }
    void setColorHigh(const QColor &c);
    QColor colorMed() const { return m_colorMed; }
    void setColorMed(const QColor &c);
    QColor colorLow() const { return m_colorLow; }
    void setColorLow(const QColor &c);
    bool stereo() const { return m_stereo; }
    void setStereo(bool on);
    int penWidth() const { return m_penWidth; }
    void setPenWidth(int width);
    QColor BackGroundColor() const { return m_background; }
    void setBackGroundColor(const QColor &c);

    // Bar 0 shows a, bar 1 shows b (ignored in mono).
    void setLevels(int a, int b);

    const VUScale &scale() const { ensureScaled(); return m_scale; }
    int litCount(int bar) const { ensureScaled(); return m_lit[bar]; }
    // The meter's own picture, as last drawn.
    const QImage &picture() const { ensureScaled(); return m_picture; }
    // Segments drawn since the last full redraw (the cost of updates).
    int segmentsDrawn() const { return m_segmentsDrawn; }

    // Where a bar lies: first and last column.
    std::pair<int, int> barColumns(int bar) const;
    // The centre row of segment i's line.
    int segmentY(int i) const { return height() - 3 * i - 2; }

    QSize sizeHint() const override { return QSize(32, 152); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // A hidden widget hears of its new size only when shown: the scale
    // follows the size whenever it is used.
    void ensureScaled() const;
    void rescale();
    void updateBar(int bar, int value);
    void drawSegment(int bar, int i, bool lit);

    int m_levelMax = 0;
    int m_levelMin = -50;
    int m_levelHigh = -6;
    int m_levelMed = -12;
    QColor m_colorHigh{255, 128, 128};
    QColor m_colorMed{255, 255, 128};
    QColor m_colorLow{17, 136, 255};
    bool m_stereo = true;
    int m_penWidth = 2;
    QColor m_background = Qt::black;

    VUScale m_scale;
    int m_lit[2] = {0, 0};
    QImage m_picture;
    int m_segmentsDrawn = 0;
};
