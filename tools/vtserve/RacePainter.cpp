#include "RacePainter.h"

#include "CardPainter.h"
#include "RaceRules.h"
#include "ServerBytes.h"

namespace RacePainter {

namespace {

using CardPainter::At;
using CardPainter::Box;
using CardPainter::CardCommand;
using CardPainter::Colours;

constexpr int BlockWidth = 39;
constexpr int TopHeader = 2;
constexpr int OwnHeader = 14;
constexpr int DeckColumn = 42;
constexpr int DiscardColumn = 51;
constexpr int CardColumns = 8;       // a card and the gap after it
constexpr int CardRows = 9;
constexpr int StatusWidth = 78;

struct Block {
    int column;
    int header;
};

// Where team `index` of the view goes: the viewer's team at the bottom
// left, the others side by side at the top.
Block blockOf(int index)
{
    if (index == 0)
        return {1, OwnHeader};
    return {1 + (index - 1) * (BlockWidth + 1), TopHeader};
}

QByteArray card(int picture, int column, int row)
{
    return CardCommand(Race::FirstCode + picture, column, row);
}

// An empty pile: a dim outline of the card's place with its name.
QByteArray emptyPile(const QByteArray &label, int column, int row)
{
    return Box(column, row, 7.6, 11, 40) + "\x1b[" + QByteArray::number(column) + ';' + QByteArray::number(row)
        + ";7.2;11;1;37;40;0R" + At(row + 4, column + 1) + Colours(37, 40) + label;
}

QByteArray teamBlock(const TeamView &team, int index)
{
    const Block b = blockOf(index);
    QByteArray out = Box(b.column, b.header, BlockWidth, 13.4, 40);
    const QByteArray head = (team.turn ? QByteArray("\x10") : QByteArray(" ")) + ServerBytes::Fit(team.names, 18);
    const QByteArray miles = QByteArray::number(team.miles) + " mi ";
    out += At(b.header, b.column) + Colours(team.turn ? 33 : 37, 40) + head + Colours(36, 40)
        + ServerBytes::Fit(miles, 8) + Colours(32, 40) + ServerBytes::Fit("game " + QByteArray::number(team.total), 12);
    const int row = b.header + 1;
    out += team.battleTop >= 0 ? card(team.battleTop, b.column, row) : emptyPile("Battle", b.column, row);
    out += team.speedTop >= 0 ? card(team.speedTop, b.column + 9, row) : emptyPile("Speed", b.column + 9, row);
    for (int i = 0; i < team.safeties.size(); ++i)
        out += card(team.safeties.at(i), b.column + 18 + 4 * i, row);
    QByteArray note;
    if (!team.safeties.isEmpty())
        note = QByteArray::number(team.safeties.size()) + (team.safeties.size() == 1 ? " safety" : " safeties");
    if (team.coups)
        note += ", " + QByteArray::number(team.coups) + (team.coups == 1 ? " coup" : " coups");
    out += At(row + 10, b.column + 18) + Colours(36, 40) + ServerBytes::Fit(note, 21);
    return out;
}

QByteArray piles(const RaceView &view)
{
    QByteArray out = Box(DeckColumn, OwnHeader, 18, 13.4, 40);
    out += At(OwnHeader, DeckColumn) + Colours(37, 40) + ServerBytes::Fit("Deck " + QByteArray::number(view.deckLeft), 9)
        + "Discard";
    const int row = OwnHeader + 1;
    out += view.deckLeft > 0 ? card(Race::Back, DeckColumn, row) : emptyPile("Empty", DeckColumn, row);
    out += view.discardTop >= 0 ? card(view.discardTop, DiscardColumn, row) : emptyPile("", DiscardColumn, row);
    return out;
}

QByteArray heading(const RaceView &view)
{
    return At(1, 1) + Colours(33, 40) + ServerBytes::Fit("RACE  " + view.title, 30) + Colours(37, 40)
        + ServerBytes::Fit(view.handLine, 48);
}

bool inside(int column, int row, int left, int top, int width, int height)
{
    return column >= left && column < left + width && row >= top && row < top + height;
}

} // namespace

QByteArray Status(const QByteArray &text)
{
    return At(StatusRow, 1) + Colours(33, 40) + ServerBytes::Fit(text, StatusWidth);
}

int HandColumn(int index)
{
    return 2 + 9 * index;
}

QByteArray Hand(const QList<int> &hand, int selected)
{
    QByteArray out = Box(1, SelectedRow, 79, 13.4, 40);
    for (int i = 0; i < hand.size(); ++i)
        out += card(hand.at(i), HandColumn(i), i == selected ? SelectedRow : HandRow);
    return out + CardPainter::Refresh();
}

QByteArray Update(const RaceView &view)
{
    QByteArray out = heading(view);
    for (int i = 0; i < view.teams.size(); ++i)
        out += teamBlock(view.teams.at(i), i);
    return out + piles(view) + Status(view.status) + Hand(view.hand, view.selected);
}

QByteArray FullTable(const RaceView &view)
{
    return "\x1b[0;40m\x1b[J" + Update(view);
}

Target TargetAt(const RaceView &view, int column, int row)
{
    for (int i = int(view.hand.size()) - 1; i >= 0; --i) {
        if (inside(column, row, HandColumn(i), SelectedRow, CardColumns, CardRows + 2))
            return {Target::Kind::HandCard, i};
    }
    for (int i = 0; i < view.teams.size(); ++i) {
        const Block b = blockOf(i);
        if (inside(column, row, b.column, b.header, BlockWidth, CardRows + 3))
            return {Target::Kind::Team, i};
    }
    if (inside(column, row, DeckColumn, OwnHeader, CardColumns, CardRows + 2))
        return {Target::Kind::Deck, -1};
    if (inside(column, row, DiscardColumn, OwnHeader, CardColumns, CardRows + 2))
        return {Target::Kind::Discard, -1};
    return {};
}

QByteArray Buttons(int wanted, QSet<QByteArray> *shown)
{
    struct Spec {
        Button button;
        const QByteArray &name;
        const char *place;
        const char *text;
    };
    const Spec specs[] = {
        {Draw, DrawButton, "62;15;76;17;100;44", "Draw;Draw a card from the deck"},
        {Discard, DiscardButton, "62;18;76;20;100;45", "Discard;Discard the card you picked"},
        {Coup, CoupButton, "62;15;76;17;100;42", "Coup!;Play your safety against the hazard"},
        {LetGo, LetGoButton, "62;18;76;20;100;44", "Let it go;Keep your safety for later"},
        {NewGame, NewGameButton, "62;22;76;24;100;41", "New Game;Start a new game"},
    };
    QByteArray out;
    // Removals first: a coup's buttons take the places of Draw and Discard.
    for (const Spec &s : specs) {
        if (!(wanted & s.button) && shown->contains(s.name)) {
            out += "\x1b[0;0;0;0;100;0W" + s.name + "|>";
            shown->remove(s.name);
        }
    }
    for (const Spec &s : specs) {
        if ((wanted & s.button) && !shown->contains(s.name)) {
            out += "\x1b[" + QByteArray(s.place) + 'W' + s.name + '|' + s.text + '>';
            shown->insert(s.name);
        }
    }
    return out;
}

} // namespace RacePainter
