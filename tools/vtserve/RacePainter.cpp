#include "RacePainter.h"

#include "CardPainter.h"
#include "RaceRules.h"
#include "ServerBytes.h"

namespace RacePainter {

namespace {

using CardPainter::At;
using CardPainter::CardCommand;
using CardPainter::Colours;

constexpr int BlockWidth = 40;
constexpr int TopHeader = 1;
constexpr int OwnHeader = 13;
constexpr int NoteOffset = 11;       // the safeties' line, under the cards in every geometry
constexpr int DeckColumn = 44;
constexpr int DiscardColumn = 55;
constexpr int PilesRow = 15;
constexpr int Spacing = 10;          // columns from card to card
constexpr int CardColumns = 7;       // what every geometry covers of a card
constexpr int CardRows = 7;
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
    return {1 + (index - 1) * BlockWidth, TopHeader};
}

QByteArray card(int picture, int column, int row)
{
    return CardCommand(Race::FirstCode + picture, column, row);
}

// An empty pile: a dim outline of the card's place with its name.
QByteArray emptyPile(const QByteArray &label, int column, int row)
{
    return "\x1b[" + QByteArray::number(column) + ';' + QByteArray::number(row) + ";6.6;10;1;37;40;0R"
        + At(row + 3, column + 1) + Colours(37, 40) + label;
}

QByteArray teamBlock(const TeamView &team, int index)
{
    const Block b = blockOf(index);
    QByteArray out;
    const QByteArray head = (team.turn ? QByteArray("\x10") : QByteArray(" ")) + ServerBytes::Fit(team.names, 18);
    const QByteArray miles = QByteArray::number(team.miles) + " mi ";
    out += At(b.header, b.column) + Colours(team.turn ? 33 : 37, 40) + head + Colours(36, 40)
        + ServerBytes::Fit(miles, 8) + Colours(32, 40) + ServerBytes::Fit("game " + QByteArray::number(team.total), 12);
    const int row = b.header + 1;
    out += team.battleTop >= 0 ? card(team.battleTop, b.column, row) : emptyPile("Battle", b.column, row);
    out += team.speedTop >= 0 ? card(team.speedTop, b.column + Spacing, row) : emptyPile("Speed", b.column + Spacing, row);
    for (int i = 0; i < team.safeties.size(); ++i)
        out += card(team.safeties.at(i), b.column + 2 * Spacing + 1 + 3 * i, row);
    QByteArray note;
    if (!team.safeties.isEmpty())
        note = QByteArray::number(team.safeties.size()) + (team.safeties.size() == 1 ? " safety" : " safeties");
    if (team.coups)
        note += ", " + QByteArray::number(team.coups) + (team.coups == 1 ? " coup" : " coups");
    out += At(b.header + NoteOffset, b.column + 2 * Spacing + 1) + Colours(36, 40) + ServerBytes::Fit(note, 19);
    return out;
}

QByteArray piles(const RaceView &view)
{
    QByteArray out = At(OwnHeader, DeckColumn) + Colours(33, 40) + ServerBytes::Fit(view.handLine, 36);
    out += At(PilesRow - 1, DeckColumn) + Colours(37, 40)
        + ServerBytes::Fit("Deck " + QByteArray::number(view.deckLeft), DiscardColumn - DeckColumn) + "Discard";
    out += view.deckLeft > 0 ? card(Race::Back, DeckColumn, PilesRow) : emptyPile("Empty", DeckColumn, PilesRow);
    out += view.discardTop >= 0 ? card(view.discardTop, DiscardColumn, PilesRow) : emptyPile("", DiscardColumn, PilesRow);
    return out;
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
    return 2 + Spacing * index;
}

QByteArray FullTable(const RaceView &view)
{
    QByteArray out = "\x1b[0;40m\x1b[J";
    for (int i = 0; i < view.teams.size(); ++i)
        out += teamBlock(view.teams.at(i), i);
    out += piles(view) + Status(view.status);
    for (int i = 0; i < view.hand.size(); ++i)
        out += card(view.hand.at(i), HandColumn(i), i == view.selected ? SelectedRow : HandRow);
    return out + CardPainter::Refresh();
}

Target TargetAt(const RaceView &view, int column, int row)
{
    for (int i = int(view.hand.size()) - 1; i >= 0; --i) {
        if (inside(column, row, HandColumn(i), SelectedRow, CardColumns, CardRows + 2))
            return {Target::Kind::HandCard, i};
    }
    for (int i = 0; i < view.teams.size(); ++i) {
        const Block b = blockOf(i);
        if (inside(column, row, b.column, b.header, BlockWidth, NoteOffset))
            return {Target::Kind::Team, i};
    }
    if (inside(column, row, DeckColumn, PilesRow - 1, CardColumns, CardRows + 2))
        return {Target::Kind::Deck, -1};
    if (inside(column, row, DiscardColumn, PilesRow - 1, CardColumns, CardRows + 2))
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
        {Draw, DrawButton, "67;15;79;17;100;44", "Draw;Draw a card from the deck"},
        {Discard, DiscardButton, "67;18;79;20;100;45", "Discard;Discard the card you picked"},
        {Coup, CoupButton, "67;15;79;17;100;42", "Coup!;Play your safety against the hazard"},
        {LetGo, LetGoButton, "67;18;79;20;100;44", "Let it go;Keep your safety for later"},
        {NewGame, NewGameButton, "67;21;79;23;100;41", "New Game;Start a new game"},
        {TwoPlayers, TwoPlayersButton, "67;15;79;17;100;41", "2 players;A new game of two players"},
        {ThreePlayers, ThreePlayersButton, "67;18;79;20;100;41", "3 players;A new game of three players"},
        {TwoTeams, TwoTeamsButton, "67;21;79;23;100;41", "Two teams;A new game of two teams of two"},
    };
    QByteArray out;
    // Removals first: a coup's buttons take the places of Draw and Discard,
    // the sizes of a new game those of all three.
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

int PlayersOfButton(const QByteArray &name)
{
    if (name == TwoPlayersButton)
        return 2;
    if (name == ThreePlayersButton)
        return 3;
    if (name == TwoTeamsButton)
        return 4;
    return 0;
}

} // namespace RacePainter
