#pragma once

// The list of players (in the chat room: members) beside a node client's
// chat: a one-column report list with the header hidden, 100 to 200 pixels
// wide, whole rows selected, several at once, read-only, a pointing hand
// over the rows, white "Verdana" text, the frame's icons, a context menu of
// the window's own and an info tip per row. The chat renderer fills it.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

#include <functional>

class TUserListView;

namespace NodePlayerList {

// `tip` gives the info tip of a row.
void Configure(TUserListView *list, const QString &columnCaption, const QColor &background,
               std::function<QString(int row)> tip);

// The rows' captions, all or only the selected ones, in list order.
QList<QByteArray> Captions(const TUserListView &list);
QList<QByteArray> SelectedCaptions(const TUserListView &list);

} // namespace NodePlayerList
