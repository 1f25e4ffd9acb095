#pragma once

// The rules of a chat room's member list, as plain functions over the rows'
// captions and data numbers: the user's own level, the room's kind, the
// member count, the member menu and what its entries send. The list itself
// is filled by the chat renderer; the window reads it and hands the rows
// here.
//
// A room groups its members under heading rows (data number 0 or less):
// speakers above "-- Guest --", guests between it and "-- Audience --", the
// audience below that.

#include <QByteArray>
#include <QList>
#include <QString>

namespace RoomMembers {

struct Row
{
    QByteArray caption;   // as the server sent it: codes and rank mark included
    int data = 0;
};

inline const QByteArray GuestHeading = QByteArrayLiteral("-- Guest --");
inline const QByteArray AudienceHeading = QByteArrayLiteral("-- Audience --");

// Levels: 1 audience, 2 guest, 3 speaker; from 6 up only from rank marks.
enum Level { Audience = 1, Guest = 2, Speaker = 3 };

// The level a user has whose own row the list does not hold (from its
// second row on) while the list has a "-- Guest --" row. The user counts
// as audience: nothing typed is sent and the member menu stays empty, until
// the server's next list shows the user's row.
constexpr int MissingOwnRowLevel = Audience;

bool IsHeading(int data);

// The user's level in the room. `userName` is compared with each row's
// plain name exactly, letter case included.
int OwnLevel(const QList<Row> &rows, const QByteArray &userName, bool lockGranted);

// The room allows moderation: its caption, in upper case, holds one of the
// words moderated rooms are named with.
bool ModeratedRoom(const QByteArray &caption);

// The header's text: the rows (less the three heading rows in a moderated
// room) and " Clients".
QString ClientsCaption(int rows, bool moderated);

// ---- The member menu ----

enum class Entry { WhereIs, Whisper, MakeSpeaker, MakeGuest, MakeAudience, Boot, BootName,
                   CopyName, GreyBox };

struct MenuEntry
{
    Entry entry;
    QByteArray caption;   // as shown; the row's caption unchanged in it
    bool enabled = true;

    friend bool operator==(const MenuEntry &, const MenuEntry &) = default;
};

struct MenuState
{
    QList<QByteArray> selected;   // the selected rows' captions, in list order
    int ownLevel = Audience;
    bool lockGranted = false;
    QByteArray caption;           // the window's caption: the room's name
    bool inputEmpty = true;
};

// The entries the menu offers as it opens; none when nothing is selected.
QList<MenuEntry> MenuFor(const MenuState &state);

// ---- What the entries send ----

// The digit of the moving and booting commands.
char RoleDigit(Entry entry);
// B1 AF B0, the digit, ">", the caption and CR LF.
QByteArray RoleCommand(char digit, const QByteArray &caption);
// The where-is request: the caption without its " [AWAY]" marks.
QByteArray WhereIsMessage(const QByteArray &caption);
QByteArray BootMessage(const QByteArray &caption);
QByteArray GreyBoxMessage(const QByteArray &caption, const QByteArray &message);
QString GreyBoxTitle(const QByteArray &caption);

} // namespace RoomMembers
