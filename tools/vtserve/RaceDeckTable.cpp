#include "RaceDeckTable.h"

#include <algorithm>

#include "CardPainter.h"
#include "ClientMessages.h"
#include "ProtocolMarkers.h"
#include "ServerBytes.h"

namespace {

struct Picture {
    const char *name;
    const char *description;
    int count;   // in a full deck
};

const Picture Pictures[RaceDeckTable::Pictures] = {
    {"Back", "The back of every race card.", 0},
    {"No gas", "Hazard: out of gas. The victim needs gasoline before rolling on.", 3},
    {"Flat", "Hazard: a flat tire. The victim needs a spare tire.", 3},
    {"Crash", "Hazard: an accident. The victim needs repairs.", 3},
    {"Limit", "Hazard: speed limit. No distance above 50 until the end of limit.", 4},
    {"Stop", "Hazard: the red light. The victim needs a green light to roll.", 5},
    {"Gas", "Remedy: gasoline, for out of gas.", 6},
    {"Spare", "Remedy: a spare tire, for a flat tire.", 6},
    {"Repair", "Remedy: repairs, for an accident.", 6},
    {"EndLim", "Remedy: end of limit, lifts the speed limit.", 6},
    {"Roll", "Remedy: the green light. Needed to start and after a stop.", 14},
    {"Tanker", "Safety: unlimited gasoline. Never out of gas again.", 1},
    {"NoFlat", "Safety: puncture proof tires. Never a flat tire again.", 1},
    {"Ace", "Safety: driving ace. Never an accident again.", 1},
    {"Right", "Safety: right of way. No stops and no speed limits.", 1},
    {"25", "Distance: 25 miles.", 10},
    {"50", "Distance: 50 miles.", 10},
    {"75", "Distance: 75 miles.", 10},
    {"100", "Distance: 100 miles.", 12},
    {"200", "Distance: 200 miles; at most two in a race.", 4},
};

// A race card is 70 by 102 pixels. Seven to a row, ten columns apart,
// they lie side by side without covering each other at the narrowest cells
// (7 pixels), and three rows with their names fit the surface at the
// tallest (14 pixels; eleven rows from top to top leave the name row free
// of the card above at 11-pixel cells too).
constexpr int PerRow = 7;
constexpr int Spacing = 10;            // columns from card to card
constexpr int RowTops[3] = {2, 13, 24};
constexpr int NameBelow = 10;          // rows from a card's top to its name
constexpr int DeckStatusRow = 35;
} // namespace

RaceDeckTable::RaceDeckTable(NodeHost &host, QByteArray title, quint32 seed)
    : GameNode(host, std::move(title), seed)
{
}

int RaceDeckTable::PictureAt(int column, int row)
{
    for (int line = 0; line < 3; ++line) {
        if (row < RowTops[line] || row >= RowTops[line] + NameBelow)
            continue;
        const int index = (column - 1) / Spacing;
        if (column >= 1 && index < PerRow && line * PerRow + index < Pictures)
            return line * PerRow + index;
    }
    return -1;
}

QByteArray RaceDeckTable::NameOf(int picture)
{
    return picture >= 0 && picture < Pictures ? QByteArray(::Pictures[picture].name) : QByteArray();
}

QByteArray RaceDeckTable::DescriptionOf(int picture)
{
    return picture >= 0 && picture < Pictures ? QByteArray(::Pictures[picture].description) : QByteArray();
}

QList<int> RaceDeckTable::FullDeck()
{
    QList<int> deck;
    for (int p = 0; p < Pictures; ++p) {
        for (int k = 0; k < ::Pictures[p].count; ++k)
            deck.append(p);
    }
    return deck;
}

QByteArray RaceDeckTable::captionFor(const NodePlayer &) const
{
    return title() + " Table - demonstration";
}

QByteArray RaceDeckTable::detail() const
{
    return "the race deck; " + (memberCount() ? QByteArray::number(memberCount()) + " looking" : QByteArray("nobody here"));
}

QByteArray RaceDeckTable::screen() const
{
    using namespace CardPainter;
    QByteArray out = "\x1b[0;40m\x1b[J" + At(1, 2) + Colours(33, 40) + "THE RACE DECK"
        + Colours(37, 40) + "  press a card, or Deal for a hand";
    for (int p = 0; p < Pictures; ++p) {
        const int line = p / PerRow;
        const int column = 1 + (p % PerRow) * Spacing;
        out += CardCommand(FirstCode + p, column, RowTops[line]);
        out += At(RowTops[line] + NameBelow, column) + Colours(p >= 15 ? 37 : p >= 11 ? 36 : p >= 6 ? 32 : p >= 1 ? 31 : 33, 40)
            + ServerBytes::Fit(NameOf(p), Spacing - 1);
    }
    return out + Refresh();
}

QByteArray RaceDeckTable::dealt(const QList<int> &hand) const
{
    using namespace CardPainter;
    // The hand takes the place of the deck's last row, which has no room
    // left below it.
    const int top = RowTops[2];
    QByteArray out;
    for (int row = top; row <= DeckStatusRow; ++row)
        out += At(row, 1) + Colours(37, 40) + QByteArray(79, ' ');
    out += At(DeckStatusRow, 2) + Colours(36, 40)
        + "Your hand is in the last row; press the title line for the whole deck.";
    for (int i = 0; i < hand.size() && i < PerRow; ++i) {
        out += CardCommand(FirstCode + hand.at(i), 1 + i * Spacing, top);
        out += At(top + NameBelow, 1 + i * Spacing) + Colours(37, 40)
            + ServerBytes::Fit(NameOf(hand.at(i)), Spacing - 1);
    }
    return out + Refresh();
}

void RaceDeckTable::arrived(const NodePlayer &player)
{
    sendTo(player.id, screen() + "\x1b[62;0.8;72;2.4;100;42Wdeal|Deal;Deal seven race cards>");
    tell(player.id, ServerBytes::ServiceLine('9', "The race deck of the card-table program, card by card."));
}

void RaceDeckTable::departed(const NodePlayer &player)
{
    m_hands.remove(player.id);
}

void RaceDeckTable::press(int id, int column, int row)
{
    if (row == 1 && m_hands.remove(id)) {
        sendTo(id, screen());
        return;
    }
    int picture = PictureAt(column, row);
    // While a hand is shown, the last row holds its cards.
    const auto hand = m_hands.constFind(id);
    if (picture >= 2 * PerRow && hand != m_hands.cend()) {
        const int index = picture - 2 * PerRow;
        picture = index < hand->size() ? hand->at(index) : -1;
    }
    const QByteArray text = picture < 0 ? QByteArray("Press a card to read about it.")
                                        : NameOf(picture) + ": " + DescriptionOf(picture);
    sendTo(id, CardPainter::At(DeckStatusRow, 2) + CardPainter::Colours(33, 40) + ServerBytes::Fit(text, 77));
}

void RaceDeckTable::input(int id, const QByteArray &chunk)
{
    for (const QByteArray &message : ClientMessages::Split(chunk)) {
        if (!hasMember(id))
            return;
        int column = 0;
        int row = 0;
        if (ClientMessages::ParseCellText(message, &column, &row)) {
            press(id, column, row);
        } else if (message == Marker::ButtonPress + "deal") {
            QList<int> deck = FullDeck();
            std::shuffle(deck.begin(), deck.end(), random());
            deck.resize(7);
            std::sort(deck.begin(), deck.end());
            m_hands.insert(id, deck);
            sendTo(id, dealt(deck));
        } else if (!(message.size() == 1 && quint8(message.at(0)) >= 0x20)) {
            commonMessage(id, message);
        }
    }
}
