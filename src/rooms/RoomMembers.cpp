#include "RoomMembers.h"

#include "ByteText.h"
#include "ChatPanelRules.h"
#include "ProtocolMarkers.h"
#include "_Globals.h"

namespace RoomMembers {

namespace {

int indexOfCaption(const QList<Row> &rows, const QByteArray &caption)
{
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows.at(i).caption == caption)
            return int(i);
    return -1;
}

} // namespace

bool IsHeading(int data)
{
    return data <= 0;
}

int OwnLevel(const QList<Row> &rows, const QByteArray &userName, bool lockGranted)
{
    const int guest = indexOfCaption(rows, GuestHeading);
    if (guest < 0)
        return Guest;
    const int audience = indexOfCaption(rows, AudienceHeading);

    // The first row is never the user's own.
    int own = -1;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (PlainUserName(rows.at(i).caption) == userName) {
            own = int(i);
            break;
        }
    }
    if (own < 0)
        return MissingOwnRowLevel;

    const int mark = UserRank(rows.at(own).caption);
    if (lockGranted || mark > 5)
        return mark;
    if (own < guest)
        return Speaker;
    if (audience >= 0 && own < audience)
        return Guest;
    return Audience;
}

bool ModeratedRoom(const QByteArray &caption)
{
    const QByteArray upper = caption.toUpper();
    for (const char *word : {"CLASSROOM", "PUBLIC", "CONF", "FORUM", "BACK", "MOD", "CLUB", "CLAN"})
        if (upper.contains(word))
            return true;
    return false;
}

QString ClientsCaption(int rows, bool moderated)
{
    return QString::number(moderated ? rows - 3 : rows) + QStringLiteral(" Clients");
}

QList<MenuEntry> MenuFor(const MenuState &state)
{
    QList<MenuEntry> entries;
    if (state.selected.isEmpty())
        return entries;
    if (state.ownLevel <= Audience && !state.lockGranted)
        return entries;

    const QByteArray &first = state.selected.first();
    entries.append({Entry::WhereIs, "Where is " + first});
    entries.append({Entry::Whisper,
                    state.selected.size() == 1 ? "Whisper to " + first
                                               : QByteArray("Whisper to Selected"),
                    !state.inputEmpty});
    if (!ModeratedRoom(state.caption))
        return entries;

    entries.append({Entry::MakeSpeaker, "Make Speaker"});
    entries.append({Entry::MakeGuest, "Make Guest"});
    entries.append({Entry::MakeAudience, "Make Audience"});
    if (!state.caption.contains("Public"))
        entries.append({Entry::Boot, "Boot"});
    else if (state.ownLevel > 3)
        entries.append({Entry::BootName, "Boot " + first});
    if (state.ownLevel > 2)
        entries.append({Entry::CopyName, "Copy Name "});
    if (state.ownLevel > 4)
        entries.append({Entry::GreyBox, "Grey Box " + first});
    return entries;
}

char RoleDigit(Entry entry)
{
    switch (entry) {
    case Entry::MakeSpeaker: return '1';
    case Entry::MakeGuest: return '2';
    case Entry::MakeAudience: return '3';
    case Entry::Boot: return '5';
    default: return 0;
    }
}

QByteArray RoleCommand(char digit, const QByteArray &caption)
{
    return Marker::ButtonPress + digit + '>' + caption + "\r\n";
}

QByteArray WhereIsMessage(const QByteArray &caption)
{
    return ChatPanel::WhereIsMessage(ReplaceAll(caption, " [AWAY]", QByteArray(), true));
}

QByteArray BootMessage(const QByteArray &caption)
{
    return "\x1b]/boot " + caption;
}

QByteArray GreyBoxMessage(const QByteArray &caption, const QByteArray &message)
{
    return "/Gmsg " + PlainUserName(caption) + ' ' + message;
}

QString GreyBoxTitle(const QByteArray &caption)
{
    return QStringLiteral("Enter Message To ") + DisplayText(caption);
}

} // namespace RoomMembers
