#pragma once

// The suite's shaped push button: a rounded (or plain, or oval) face filled
// with a gradient from the face colour to a second colour, a simple 3-D edge
// of a chosen depth, a white bold caption and an optional 16x16 glyph.
// Clicks count only inside the shape, so the corners of a rounded button
// belong to what lies behind it.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QRegion>

class TIAeverButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum class Shape { RoundRect, Rectangle, Ellipse };
    enum class Bevel { None, Simple3D };
    enum class Gradient { None, Horizontal, Vertical, Circular };

    explicit TIAeverButton(QWidget *parent = nullptr);
    TIAeverButton(const QString &name, const QString &caption, QWidget *parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString &caption);
    QString hint() const { return toolTip(); }
    void setHint(const QString &hint) { setToolTip(hint); }

    QColor faceColor() const { return m_face; }
    void setFaceColor(const QColor &color);
    QColor gradientColor() const { return m_second; }
    void setGradientColor(const QColor &color);
    Gradient gradient() const { return m_gradient; }
    void setGradient(Gradient gradient);

    Shape shape() const { return m_shape; }
    void setShape(Shape shape);
    Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);
    int bevelDepth() const { return m_depth; }
    void setBevelDepth(int depth);

    // Caption drawn with a dark shadow one pixel down and right.
    bool captionEmbossed() const { return m_embossed; }
    void setCaptionEmbossed(bool on);
    QColor captionColor() const { return m_captionColor; }
    void setCaptionColor(const QColor &color);

    // The glyph is drawn at its natural 16x16 size, vertically centred,
    // `left` pixels from the left edge.
    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    int glyphLeft() const { return m_glyphLeft; }
    void setGlyphLeft(int left);

    bool focusOutline() const { return m_focusOutline; }
    void setFocusOutline(bool on);

    // The area of a button of this shape in a rectangle of `size`.
    static QRegion shapeRegion(Shape shape, const QSize &size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    void init();
    void updateShape();
    QBrush faceBrush(const QRectF &area) const;

    QColor m_face = QColor(0, 0, 128);
    QColor m_second = Qt::black;
    QColor m_captionColor = Qt::white;
    Gradient m_gradient = Gradient::Circular;
    Shape m_shape = Shape::RoundRect;
    Bevel m_bevel = Bevel::Simple3D;
    int m_depth = 4;
    bool m_embossed = true;
    QPixmap m_glyph;
    int m_glyphLeft = 10;
    bool m_focusOutline = false;
    QRegion m_region;
};
