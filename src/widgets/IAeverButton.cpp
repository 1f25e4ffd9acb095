#include "IAeverButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QLinearGradient>
#include <QResizeEvent>

#include <algorithm>

namespace {

qreal cornerRadius(const QSizeF &size)
{
    return std::min(size.width(), size.height()) / 4.0;
}

QPainterPath shapePath(TIAeverButton::Shape shape, const QRectF &r)
{
    QPainterPath path;
    switch (shape) {
    case TIAeverButton::Shape::RoundRect: {
        const qreal radius = cornerRadius(r.size());
        path.addRoundedRect(r, radius, radius);
        break;
    }
    case TIAeverButton::Shape::Ellipse:
        path.addEllipse(r);
        break;
    case TIAeverButton::Shape::Rectangle:
        path.addRect(r);
        break;
    }
    return path;
}

} // namespace

TIAeverButton::TIAeverButton(QWidget *parent)
    : QAbstractButton(parent)
{
    init();
}

TIAeverButton::TIAeverButton(const QString &name, const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    init();
    setObjectName(name);
    setText(caption);
}

void TIAeverButton::init()
{
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    updateShape();
}

void TIAeverButton::setCaption(const QString &caption)
{
    setText(caption);
    updateGeometry();
}

void TIAeverButton::setFaceColor(const QColor &color)
{
    m_face = color;
    update();
}

void TIAeverButton::setGradientColor(const QColor &color)
{
    m_second = color;
    update();
}

void TIAeverButton::setGradient(Gradient gradient)
{
    m_gradient = gradient;
    update();
}

void TIAeverButton::setShape(Shape shape)
{
    m_shape = shape;
    updateShape();
    update();
}

void TIAeverButton::setBevel(Bevel bevel)
{
    m_bevel = bevel;
    update();
}

void TIAeverButton::setBevelDepth(int depth)
{
    m_depth = std::clamp(depth, 0, 20);
    update();
}

void TIAeverButton::setCaptionEmbossed(bool on)
{
    m_embossed = on;
    update();
}

void TIAeverButton::setCaptionColor(const QColor &color)
{
    m_captionColor = color;
    update();
}

void TIAeverButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    updateGeometry();
    update();
}

void TIAeverButton::setGlyphLeft(int left)
{
    m_glyphLeft = left;
    update();
}

void TIAeverButton::setFocusOutline(bool on)
{
    m_focusOutline = on;
    update();
}

QRegion TIAeverButton::shapeRegion(Shape shape, const QSize &size)
{
    if (size.isEmpty())
        return {};
    const QRect r(QPoint(0, 0), size);
    switch (shape) {
    case Shape::Rectangle:
        return QRegion(r);
    case Shape::Ellipse:
        return QRegion(r, QRegion::Ellipse);
    case Shape::RoundRect:
        break;
    }
    // Whole rows of pixels for the corners, so the mask has no holes.
    const int radius = int(cornerRadius(QSizeF(size)));
    QRegion region(r.adjusted(0, radius, 0, -radius));
    region += QRegion(r.adjusted(radius, 0, -radius, 0));
    const QRect corner(0, 0, 2 * radius, 2 * radius);
    region += QRegion(corner, QRegion::Ellipse);
    region += QRegion(corner.translated(r.width() - 2 * radius, 0), QRegion::Ellipse);
    region += QRegion(corner.translated(0, r.height() - 2 * radius), QRegion::Ellipse);
    region += QRegion(corner.translated(r.width() - 2 * radius, r.height() - 2 * radius),
                      QRegion::Ellipse);
    return region;
}

void TIAeverButton::updateShape()
{
    m_region = shapeRegion(m_shape, size());
    if (m_shape == Shape::Rectangle || m_region.isEmpty())
        clearMask();
    else
        setMask(m_region);
}

void TIAeverButton::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    updateShape();
}

bool TIAeverButton::hitButton(const QPoint &pos) const
{
    return m_region.contains(pos);
}

QSize TIAeverButton::sizeHint() const
{
    const QFontMetrics fm(font());
    int w = fm.horizontalAdvance(text()) + 2 * m_depth + 24;
    if (!m_glyph.isNull())
        w += 16 + m_glyphLeft;
    const int h = std::max(fm.height(), m_glyph.isNull() ? 0 : 16) + 2 * m_depth + 8;
    return {w, h};
}

QBrush TIAeverButton::faceBrush(const QRectF &area) const
{
    const QColor face = isEnabled() ? m_face : QColor(m_face).darker(140);
    switch (m_gradient) {
    case Gradient::None:
        return face;
    case Gradient::Horizontal: {
        QLinearGradient g(area.topLeft(), area.topRight());
        g.setColorAt(0, face);
        g.setColorAt(1, m_second);
        return g;
    }
    case Gradient::Vertical: {
        QLinearGradient g(area.topLeft(), area.bottomLeft());
        g.setColorAt(0, face);
        g.setColorAt(1, m_second);
        return g;
    }
    case Gradient::Circular: {
        const qreal radius = std::max(area.width(), area.height()) / 2.0;
        QRadialGradient g(area.center(), radius);
        g.setColorAt(0, face);
        g.setColorAt(1, m_second);
        return g;
    }
    }
    return face;
}

void TIAeverButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const bool pressed = isDown() || isChecked();
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    // The edge: light above and left, dark below and right; reversed while pressed.
    if (m_bevel == Bevel::Simple3D && m_depth > 0) {
        const QColor light = QColor(m_face).lighter(170);
        const QColor dark = QColor(m_face).darker(300);
        p.setPen(Qt::NoPen);
        p.setBrush(pressed ? light : dark);
        p.drawPath(shapePath(m_shape, outer));
        p.setBrush(pressed ? dark : light);
        p.drawPath(shapePath(m_shape, outer.adjusted(0, 0, -m_depth, -m_depth)));
    }
    const int d = m_bevel == Bevel::Simple3D ? m_depth : 0;
    const QRectF face = outer.adjusted(d / 2.0, d / 2.0, -d / 2.0, -d / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(faceBrush(face));
    p.drawPath(shapePath(m_shape, face));

    const int shift = pressed ? 1 : 0;
    if (!m_glyph.isNull()) {
        const QPixmap glyph = m_glyph.size() == QSize(16, 16)
                                  ? m_glyph
                                  : m_glyph.scaled(16, 16, Qt::KeepAspectRatio,
                                                   Qt::SmoothTransformation);
        p.drawPixmap(m_glyphLeft + shift, (height() - glyph.height()) / 2 + shift, glyph);
    }

    QRect textArea = rect().adjusted(d, d, -d, -d).translated(shift, shift);
    if (!m_glyph.isNull())
        textArea.setLeft(std::max(textArea.left(), m_glyphLeft + 16 + 2));
    p.setFont(font());
    if (m_embossed) {
        p.setPen(QColor(0, 0, 0, 160));
        p.drawText(textArea.translated(1, 1), Qt::AlignCenter, text());
    }
    p.setPen(isEnabled() ? m_captionColor : QColor(160, 160, 160));
    p.drawText(textArea, Qt::AlignCenter, text());

    if (m_focusOutline && hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(m_captionColor, 1, Qt::DotLine));
        p.drawPath(shapePath(m_shape, face.adjusted(2, 2, -2, -2)));
    }
}
