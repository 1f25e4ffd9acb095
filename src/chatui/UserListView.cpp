#include "UserListView.h"

#include <QHeaderView>
#include <QPainter>

#include "ByteText.h"
#include "Cp1252.h"

namespace {

constexpr int kIconSize = 16;

// The caption without attribute codes and end codes, as the row shows it.
QString shownCaption(const QByteArray &caption)
{
    QByteArray shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == '\x1b' && i + 1 < caption.size()) {
            if (caption.at(i + 1) == '[') {
                i += 2;
                continue;
            }
            if (caption.at(i + 1) == ']') {
                i += 1;
                continue;
            }
        }
        shown.append(caption.at(i));
    }
    return ChatText(shown.trimmed());
}

} // namespace

TUserListView::TUserListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    // Names longer than the column are cut with an ellipsis; a horizontal
    // bar would stand empty under every short list.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

TUserListView::~TUserListView() = default;

void TUserListView::setImages(const QList<QIcon> &images)
{
    m_images = images;
    m_iconCache.clear();
}

void TUserListView::setStateImages(const QList<QIcon> &images)
{
    m_stateImages = images;
    m_iconCache.clear();
    setIconSize(QSize(m_stateImages.isEmpty() ? kIconSize : 2 * kIconSize, kIconSize));
}

QByteArray TUserListView::caption(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, CaptionRole).toByteArray() : QByteArray();
}

int TUserListView::imageIndex(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, ImageRole).toInt() : -1;
}

int TUserListView::stateIndex(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, StateRole).toInt() : -1;
}

int TUserListView::rowData(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? item->data(0, DataRole).toInt() : 0;
}

QByteArray TUserListView::secondColumn(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item ? ProtocolBytes(item->text(1)) : QByteArray();
}

void TUserListView::beginUpdate()
{
    if (m_updates++ == 0)
        setUpdatesEnabled(false);
}

void TUserListView::endUpdate()
{
    if (--m_updates > 0)
        return;
    m_updates = 0;
    setUpdatesEnabled(true);
    if (m_changedInUpdate) {
        m_changedInUpdate = false;
        emit rowsChanged();
    }
}

void TUserListView::changed()
{
    if (m_updates > 0)
        m_changedInUpdate = true;
    else
        emit rowsChanged();
}

void TUserListView::clearRows()
{
    clear();
    changed();
}

void TUserListView::addRow(const UserListRow &row)
{
    auto *item = new QTreeWidgetItem(this);
    fill(item, row);
    changed();
}

void TUserListView::updateRow(int index, const UserListRow &row)
{
    if (QTreeWidgetItem *item = topLevelItem(index)) {
        fill(item, row);
        changed();
    }
}

void TUserListView::fill(QTreeWidgetItem *item, const UserListRow &row)
{
    item->setText(0, shownCaption(row.caption));
    item->setData(0, CaptionRole, row.caption);
    item->setData(0, ImageRole, row.image);
    item->setData(0, StateRole, row.state);
    item->setData(0, DataRole, row.data);
    item->setIcon(0, rowIcon(row.image, row.state));
    if (row.hasSecondColumn)
        item->setText(1, ChatText(row.secondColumn));
}

// The state icon stands left of the row's icon, as one picture.
QIcon TUserListView::rowIcon(int image, int state)
{
    const bool hasImage = image >= 0 && image < m_images.size();
    const bool hasState = state >= 0 && state < m_stateImages.size();
    if (!hasImage && !hasState)
        return QIcon();
    // Only numbers inside the lists are kept, so the cache stays as small
    // as the lists whatever numbers the server sends.
    const QPair<int, int> key(hasImage ? image : -1, hasState ? state : -1);
    const auto cached = m_iconCache.constFind(key);
    if (cached != m_iconCache.constEnd())
        return *cached;
    const int width = m_stateImages.isEmpty() ? kIconSize : 2 * kIconSize;
    QPixmap picture(width, kIconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    if (hasState)
        m_stateImages.at(state).paint(&painter, QRect(0, 0, kIconSize, kIconSize));
    if (hasImage)
        m_images.at(image).paint(&painter, QRect(width - kIconSize, 0, kIconSize, kIconSize));
    painter.end();
    const QIcon icon(picture);
    m_iconCache.insert(key, icon);
    return icon;
}
