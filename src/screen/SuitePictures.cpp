#include "SuitePictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Magenta never occurs in the logo itself.
const QColor KeyColour(255, 0, 255);

// The suite's "V" in a box: two arms meeting in a flat foot.
QPainterPath vMark(const QRectF &box)
{
    auto at = [&box](qreal fx, qreal fy) {
        return QPointF(box.left() + fx * box.width(), box.top() + fy * box.height());
    };
    QPainterPath mark;
    mark.moveTo(at(0, 0));
    mark.lineTo(at(0.31, 0));
    mark.lineTo(at(0.5, 0.65));
    mark.lineTo(at(0.69, 0));
    mark.lineTo(at(1, 0));
    mark.lineTo(at(0.62, 1));
    mark.lineTo(at(0.38, 1));
    mark.closeSubpath();
    return mark;
}

QImage drawLogo()
{
    QImage image(300, 96, QImage::Format_RGB32);
    image.fill(KeyColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A plate with a gold rim.
    const QRectF plate(12, 12, 276, 72);
    QLinearGradient fill(plate.topLeft(), plate.bottomLeft());
    fill.setColorAt(0, QColor(20, 40, 110));
    fill.setColorAt(1, QColor(5, 10, 40));
    p.setPen(QPen(QColor(230, 180, 40), 3));
    p.setBrush(fill);
    p.drawRoundedRect(plate, 14, 14);

    // A "V" mark on the left.
    const QPainterPath mark = vMark(QRectF(28, 26, 52, 46));
    QLinearGradient gold(0, 26, 0, 72);
    gold.setColorAt(0, QColor(255, 230, 120));
    gold.setColorAt(1, QColor(200, 120, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(mark);

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(90, 20, 190, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VANTORA"));
    QFont sub(title);
    sub.setPixelSize(13);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(160, 200, 255));
    p.drawText(QRectF(92, 56, 190, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("games and chat"));
    p.end();
    return image;
}

} // namespace

QImage SuitePicture(const QByteArray &name)
{
    if (name.compare("BITMAPVT", Qt::CaseInsensitive) == 0) {
        static const QImage logo = drawLogo();
        return logo;
    }
    return {};
}

QImage KeyedPicture(const QImage &picture)
{
    if (picture.isNull())
        return {};
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    if (picture.width() > 5 && picture.height() > 5) {
        const QRgb key = keyed.pixel(5, 5);
        for (int y = 0; y < keyed.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(keyed.scanLine(y));
            for (int x = 0; x < keyed.width(); ++x) {
                if (line[x] == key)
                    line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return keyed;
}

void DrawKeyedPicture(QPainter &painter, const QPoint &topLeft, const QImage &picture)
{
    if (picture.isNull())
        return;
    painter.drawImage(topLeft, KeyedPicture(picture));
}

void DrawKeyedPictureFitted(QPainter &painter, const QRect &area, const QImage &picture)
{
    if (picture.isNull() || area.isEmpty())
        return;
    QSize size = picture.size();
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    const QRect target(area.left() + (area.width() - size.width()) / 2,
                       area.top() + (area.height() - size.height()) / 2, size.width(),
                       size.height());
    // Keyed before scaling, so that smoothing blends the edge into what lies
    // below rather than into the key colour.
    const QImage keyed = KeyedPicture(picture);
    if (target.size() == picture.size()) {
        painter.drawImage(target.topLeft(), keyed);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, keyed);
    painter.restore();
}

QIcon SuiteIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(230, 180, 40), 2));
    p.setBrush(QColor(20, 40, 110));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 90));
    p.drawPath(vMark(QRectF(8, 9, 16, 16)));
    p.end();
    return QIcon(pixmap);
}
