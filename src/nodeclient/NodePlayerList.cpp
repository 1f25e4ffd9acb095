#include "NodePlayerList.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>

#include "NodeColours.h"
#include "NodeImageLists.h"
#include "UserListView.h"

namespace {

// Shows the tip of the row under the pointer.
class RowTips : public QObject
{
public:
    RowTips(TUserListView *list, std::function<QString(int row)> tip)
        : QObject(list)
        , m_list(list)
        , m_tip(std::move(tip))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_list->indexAt(help->pos());
        if (index.isValid() && m_tip)
            QToolTip::showText(help->globalPos(), m_tip(index.row()), m_list->viewport());
        else
            QToolTip::hideText();
        return true;
    }

private:
    TUserListView *m_list;
    std::function<QString(int row)> m_tip;
};

} // namespace

namespace NodePlayerList {

void Configure(TUserListView *list, const QString &columnCaption, const QColor &background,
               std::function<QString(int row)> tip)
{
    list->setHeaderLabels({columnCaption});
    list->setHeaderHidden(true);
    list->setMinimumWidth(100);
    list->setMaximumWidth(200);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setMouseTracking(true);
    list->viewport()->setCursor(Qt::PointingHandCursor);
    list->viewport()->installEventFilter(new RowTips(list, std::move(tip)));
    list->setFont(QFont(QStringLiteral("Verdana")));
    NodeColours::setBackground(list, background);
    NodeColours::setTextColour(list, Qt::white);
    list->setImages(NodeImageLists::Icons(NodeImageLists::ImageList1()));
    list->setStateImages(NodeImageLists::Icons(NodeImageLists::ImageList2()));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
}

QList<QByteArray> Captions(const TUserListView &list)
{
    QList<QByteArray> captions;
    for (int row = 0; row < list.rowCount(); ++row)
        captions.append(list.caption(row));
    return captions;
}

QList<QByteArray> SelectedCaptions(const TUserListView &list)
{
    QList<QByteArray> captions;
    for (int row = 0; row < list.rowCount(); ++row)
        if (list.topLevelItem(row)->isSelected())
            captions.append(list.caption(row));
    return captions;
}

} // namespace NodePlayerList
