#include "UserListMenu.h"

#include "ByteText.h"
#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace UserListMenu {

int OwnRank(const QList<QByteArray> &captions, const QByteArray &userName)
{
    for (const QByteArray &caption : captions) {
        if (PlainUserName(caption) == userName)
            return UserRank(caption);
    }
    return -1;
}

QList<UserMenuItem> Items(const QList<QByteArray> &selected, const QList<QByteArray> &allRows,
                          const QByteArray &userName, bool messageTyped)
{
    QList<UserMenuItem> items;
    if (selected.isEmpty())
        return items;
    const QString name = ShownName(selected.constFirst());
    items.append({UserMenuItem::WhereIs, QStringLiteral("Where is ") + name + QLatin1Char('?')});
    if (messageTyped) {
        items.append({UserMenuItem::Whisper, selected.size() > 1
                                                 ? QStringLiteral("Whisper to Selected")
                                                 : QStringLiteral("Whisper to ") + name});
    }
    if (OwnRank(allRows, userName) >= 5)
        items.append({UserMenuItem::Boot, QStringLiteral("Boot ") + name});
    if (OwnRank(allRows, userName) > 2)
        items.append({UserMenuItem::CopyName, QStringLiteral("Copy Name ")});
    if (OwnRank(allRows, userName) > 5)
        items.append({UserMenuItem::GreyBox, QStringLiteral("Grey Box ") + name});
    return items;
}

QString ShownName(const QByteArray &caption)
{
    // End codes have no glyph either; the menu shows the name as the row does.
    return DisplayText(TrimControls(StripCodes(caption).replace("\x1b]", QByteArray())));
}

QByteArray WhereIsBytes(const QByteArray &caption)
{
    return Marker::WhereIsRequest + caption;
}

QByteArray BootBytes(const QByteArray &caption)
{
    return "\033]/boot " + caption;
}

QByteArray GreyNoteBytes(const QByteArray &caption, const QByteArray &text)
{
    return "/Gmsg " + PlainUserName(caption) + ' ' + text;
}

} // namespace UserListMenu
