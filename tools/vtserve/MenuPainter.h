#pragma once

// Paints a menu screen in the screen dialect the lobby's menu frames
// understand: a banner, one line per entry with who is there, and a
// server-made button beside each line. The result says which screen row
// belongs to which entry, so a press ("column;row") can be mapped back.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

struct MenuEntry {
    QByteArray label;    // "Public Lobby"
    QByteArray detail;   // "2 here: Ann, Bob"
    QByteArray button;   // button caption, "Join"
};

struct MenuScreen {
    QByteArray bytes;
    QHash<int, int> rowToEntry;     // screen row (from 1) -> entry index
    QSet<QByteArray> buttons;       // names of the buttons now placed
};

namespace MenuPainter {

// Widest line the engine prints without wrapping (column 80 wraps).
constexpr int LastColumn = 79;
constexpr int FirstEntryRow = 7;

// `previousButtons` are the buttons the client still shows from the last
// paint; those not placed again are deleted (a button with left edge 0).
MenuScreen Paint(const QByteArray &title, const QByteArray &hint,
                 const QList<MenuEntry> &entries, const QSet<QByteArray> &previousButtons);

// Name of the button of entry `index` ("entry1" for index 0) and back;
// -1 for any other name.
QByteArray ButtonName(int index);
int EntryOfButton(const QByteArray &name);

// A press text "column;row" as the menu frames send it; false for anything
// else.
bool ParsePress(const QByteArray &text, int *column, int *row);

} // namespace MenuPainter
