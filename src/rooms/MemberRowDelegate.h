#pragma once

// Paints the member list's rows: a member row as the list paints it, a
// heading row (data number 0 or less) as a light-blue box with a blue frame
// and its caption bold and centred. Heading rows are never shown selected.

#include <QStyledItemDelegate>

class MemberRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // Draws one heading row into the row's bounds.
    static void PaintHeading(QPainter &painter, const QRect &bounds, const QString &caption);

    static const QColor HeadingFill;   // red 193, green 224, blue 255
    static const QColor HeadingPen;    // blue
};
