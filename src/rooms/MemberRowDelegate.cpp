#include "MemberRowDelegate.h"

#include <QPainter>

#include "RoomMembers.h"
#include "UserListView.h"

const QColor MemberRowDelegate::HeadingFill(193, 224, 255);
const QColor MemberRowDelegate::HeadingPen(0, 0, 255);

void MemberRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    const QVariant data = index.siblingAtColumn(0).data(TUserListView::DataRole);
    if (!data.isValid() || !RoomMembers::IsHeading(data.toInt())) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    PaintHeading(*painter, option.rect, index.siblingAtColumn(0).data(Qt::DisplayRole).toString());
}

void MemberRowDelegate::PaintHeading(QPainter &painter, const QRect &bounds, const QString &caption)
{
    painter.save();
    // One pixel in on every side, then one pixel up and to the left.
    const QRect box = bounds.adjusted(1, 1, -1, -1).translated(-1, -1);
    QPen pen(HeadingPen);
    pen.setWidth(2);
    painter.setPen(pen);
    painter.setBrush(HeadingFill);
    painter.drawRect(box);

    QFont font(QStringLiteral("Verdana"));
    font.setPointSize(9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(box.adjusted(1, 1, -1, -1), Qt::AlignCenter | Qt::TextSingleLine, caption);

    painter.setPen(pen);
    painter.drawLine(bounds.topLeft(), bounds.topRight());
    painter.restore();
}
