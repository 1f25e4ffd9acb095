#pragma once

// The right-click menu of the lobby's user list: which commands a user may
// give on the selected rows (some depend on the user's own rank in the
// list) and the bytes each command sends.

#include <QByteArray>
#include <QList>
#include <QString>

struct UserMenuItem
{
    enum Kind { WhereIs, Whisper, Boot, CopyName, GreyBox };
    Kind kind;
    QString caption;
    bool operator==(const UserMenuItem &) const = default;
};

namespace UserListMenu {

// The rank code of the first row whose name is exactly `userName`; -1
// when the user is not in the list.
int OwnRank(const QList<QByteArray> &captions, const QByteArray &userName);

// The items, in menu order, for the selected rows' captions (in list
// order); `messageTyped`: the message box holds text to whisper.
QList<UserMenuItem> Items(const QList<QByteArray> &selected, const QList<QByteArray> &allRows,
                          const QByteArray &userName, bool messageTyped);

// The name a menu caption shows: the caption without codes and end codes,
// trimmed, its rank mark kept.
QString ShownName(const QByteArray &caption);

QByteArray WhereIsBytes(const QByteArray &caption);
QByteArray BootBytes(const QByteArray &caption);
// "/Gmsg " + the row's name without its rank mark + " " + the text.
QByteArray GreyNoteBytes(const QByteArray &caption, const QByteArray &text);

} // namespace UserListMenu
