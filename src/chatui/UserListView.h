#pragma once

// The list of users (or players, or members) that the chat renderer refills
// from user-list blocks. Each row has a caption, an icon, a state icon, a
// data number and an optional second column. The caption is kept as the
// server sent it (codes and rank mark included) for the hosts' menus; the
// row shows it without the attribute codes.

#include <QHash>
#include <QIcon>
#include <QTreeWidget>

#include "ChatOutput.h"

class TUserListView : public QTreeWidget, public UserListOutput
{
    Q_OBJECT
public:
    explicit TUserListView(QWidget *parent = nullptr);
    ~TUserListView() override;

    // The icons the image and state numbers select; a number outside the
    // list shows no icon.
    void setImages(const QList<QIcon> &images);
    void setStateImages(const QList<QIcon> &images);

    QByteArray caption(int row) const;
    int imageIndex(int row) const;
    int stateIndex(int row) const;
    int rowData(int row) const;
    QByteArray secondColumn(int row) const;

    // UserListOutput
    int rowCount() const override { return topLevelItemCount(); }
    void beginUpdate() override;
    void endUpdate() override;
    void clearRows() override;
    void addRow(const UserListRow &row) override;
    void updateRow(int index, const UserListRow &row) override;

    enum Role {
        CaptionRole = Qt::UserRole,
        ImageRole,
        StateRole,
        DataRole,
    };

signals:
    // Rows were added, removed or changed; once per update block.
    void rowsChanged();

private:
    void changed();
    void fill(QTreeWidgetItem *item, const UserListRow &row);
    QIcon rowIcon(int image, int state);

    QList<QIcon> m_images;
    QList<QIcon> m_stateImages;
    QHash<QPair<int, int>, QIcon> m_iconCache;
    int m_updates = 0;
    bool m_changedInUpdate = false;
};
