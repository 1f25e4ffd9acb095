// The game nodes behind the games menu, driven without sockets: the card
// table, the race deck, the sketch table and the doors, read back as their
// clients would read what they are sent.

#include <QTest>

#include "BridgeSession.h"
#include "CardTable.h"
#include "DoorNode.h"
#include "GameNode.h"
#include "MinefieldDoor.h"
#include "NodeView.h"
#include "RaceTable.h"
#include "RaceDeckTable.h"
#include "ServiceHarness.h"
#include "SketchTable.h"
#include "TerminalProcess.h"
#include "TestMain.h"

namespace {

constexpr int CardTable1 = 0;
constexpr int SketchGame = 2;
constexpr int Door = 3;
constexpr int LightDoor = 4;
constexpr int RaceGame = 5;
constexpr int Bridge = 6;
constexpr int RaceCards = 8;   // after the bridged door's two entries

QByteArray cell(double column, double row)
{
    return QByteArray::number(int(column)) + ';' + QByteArray::number(int(row));
}

// A card client: what it sees, and the presses a person would make.
struct CardPlayer {
    Harness &h;
    int id;
    NodeView view;
    ScreenModel screen;

    CardPlayer(Harness &harness, int connection)
        : h(harness)
        , id(connection)
    {
        update();
    }
    void update()
    {
        const qsizetype before = view.screen.size();
        view.take(h.outbox, id);
        screen.feed(view.screen.mid(before));
    }
    QList<ScreenModel::Card> hand() const { return screen.cardsBelow(CardPainter::RaisedRow); }
    void press(const QByteArray &text)
    {
        h.say(id, text);
        update();
    }
    // Presses the card with this code in the hand; false when it is not there.
    bool pressCard(int code)
    {
        for (const ScreenModel::Card &c : hand()) {
            if (c.code == code) {
                press(cell(c.column + 1, c.row + 2));
                return true;
            }
        }
        return false;
    }
    QByteArray status() const { return screen.textAt(CardPainter::StatusRow).trimmed(); }
};

CardTable *cardTable(Harness &h, int game = CardTable1)
{
    return dynamic_cast<CardTable *>(h.service.nodeOfGame(game));
}

// Runs the computer players until `done` or a limit.
template <typename Done>
bool runUntil(Harness &h, Done done, int steps = 400)
{
    for (int i = 0; i < steps && !done(); ++i)
        h.advance(250);
    return done();
}

class FakeProcess : public TerminalProcess
{
public:
    void write(const QByteArray &bytes) override { written += bytes; }
    void setPaused(bool p) override { paused = p; }
    QByteArray written;
    bool paused = false;
};

class FakeLauncher : public TerminalLauncher
{
public:
    std::unique_ptr<TerminalProcess> start(const TerminalRequest &request, TerminalProcess::Output output,
                                           TerminalProcess::Exited exited, QString *error) override
    {
        requests.append(request);
        if (refuse) {
            *error = QStringLiteral("cannot find the program");
            return nullptr;
        }
        auto process = std::make_unique<FakeProcess>();
        last = process.get();
        this->output = output;
        this->exited = exited;
        return process;
    }
    QList<TerminalRequest> requests;
    FakeProcess *last = nullptr;
    TerminalProcess::Output output;
    TerminalProcess::Exited exited;
    bool refuse = false;
};

} // namespace

class TestVtserveTables : public QObject
{
    Q_OBJECT

private slots:
    // -- card table --------------------------------------------------------

    void cardTableNamesItselfAndDealsTheHand()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(CardTable1, "Ann");
        const QList<RecordingOutbox::Sent> sent = h.outbox.messagesTo(ann);
        QCOMPARE(sent.first().bytes, QByteArray("\x5c\xcb\xf4" "Card Table 1 - Hearts\r\n"));
        QVERIFY(sent.first().alone);
        CardPlayer player(h, ann);
        QVERIFY(player.view.caption.contains("Table"));
        QCOMPARE(player.view.lists.last(), QByteArray("\x1b[L$Ann=13;0;1500\x1b]"));
        for (const RecordingOutbox::Sent &s : sent) {
            if (s.bytes.contains(Marker::PlayerListLine))
                QVERIFY(s.alone && s.bytes.startsWith(Marker::ChatMarker + Marker::PlayerListLine));
        }
        QVERIFY(player.view.chatContains("pass three cards left"));
        QCOMPARE(player.hand().size(), 13);
        for (const ScreenModel::Card &c : player.hand())
            QVERIFY(c.code >= 1 && c.code <= 52);
        QVERIFY(player.screen.record.isEmpty());   // nothing drawn where the last trick is recorded
        QVERIFY(player.screen.refreshes > 0);
        QCOMPARE(player.screen.buttons.value("pass").caption, QByteArray("Pass"));
        QCOMPARE(player.screen.buttons.value("newgame").caption, QByteArray("New Game"));
        QVERIFY(player.status().startsWith("Choose three cards to pass left"));
        QVERIFY(player.screen.rowOf("Bert (cpu)") > 0);
        QVERIFY(player.screen.maxColumnOk());
        QVERIFY(h.service.nodeOfGame(CardTable1)->detail().contains("Ann"));
    }

    void passingTakesThreeChosenCards()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(CardTable1, "Ann");
        CardPlayer player(h, ann);
        CardTable *table = cardTable(h);
        const QList<ScreenModel::Card> hand = player.hand();
        player.press(Marker::ButtonPress + "pass");
        QVERIFY(player.status().startsWith("Choose three cards first"));
        for (int i = 0; i < 4; ++i)
            QVERIFY(player.pressCard(hand.at(i).code));
        // The fourth is refused; a chosen card is raised.
        QVERIFY(player.status().startsWith("You have chosen three cards"));
        int raised = 0;
        for (const ScreenModel::Card &c : player.hand())
            raised += c.row == CardPainter::RaisedRow ? 1 : 0;
        QCOMPARE(raised, 3);
        QVERIFY(player.pressCard(hand.at(0).code));   // back down
        QVERIFY(player.pressCard(hand.at(5).code));
        player.press(Marker::ButtonPress + "pass");
        QCOMPARE(table->stage(), CardTable::Stage::Playing);
        const QList<int> passed = table->round()->passedBy(0);
        QCOMPARE(passed, (QList<int>{hand.at(1).code, hand.at(2).code, hand.at(5).code}));
        QVERIFY(!player.screen.buttons.contains("pass"));
        QCOMPARE(player.hand().size(), 13);
        for (const int code : passed)
            QVERIFY(table->round()->hand(1).contains(code));
        // The three cards received show raised.
        int shownRaised = 0;
        for (const ScreenModel::Card &c : player.hand())
            shownRaised += c.row == CardPainter::RaisedRow ? 1 : 0;
        QCOMPARE(shownRaised, 3);
    }

    void aWholeHandAgainstComputersKeepsTheLastTrick()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(CardTable1, "Ann");
        CardPlayer player(h, ann);
        CardTable *table = cardTable(h);
        const QList<ScreenModel::Card> hand = player.hand();
        for (int i = 0; i < 3; ++i)
            player.pressCard(hand.at(i).code);
        player.press(Marker::ButtonPress + "pass");
        QCOMPARE(table->stage(), CardTable::Stage::Playing);

        int refused = 0;
        while (table->stage() != CardTable::Stage::HandOver && table->stage() != CardTable::Stage::GameOver) {
            QVERIFY(runUntil(h, [&] {
                return table->stage() == CardTable::Stage::HandOver
                    || (table->stage() == CardTable::Stage::Playing && table->round()->turn() == 0);
            }));
            player.update();
            if (table->stage() == CardTable::Stage::HandOver)
                break;
            QVERIFY(player.status().startsWith("Your turn"));
            // As a person does: try the cards from the left until one is taken.
            const int before = int(player.hand().size());
            for (const ScreenModel::Card &c : player.hand()) {
                player.pressCard(c.code);
                if (int(player.hand().size()) < before)
                    break;
                ++refused;
                QVERIFY(!player.status().startsWith("Your turn"));   // the reason is shown
            }
            QCOMPARE(int(player.hand().size()), before - 1);
            // Every finished trick stays on record in the client, in playing order.
            if (table->round()->tricksPlayed() > 0 && table->stage() == CardTable::Stage::Playing)
                QCOMPARE(player.screen.record.mid(0, 4), table->round()->lastTrick().cards);
        }
        player.update();
        QVERIFY(player.hand().isEmpty());
        QCOMPARE(player.screen.record, table->round()->lastTrick().cards);
        QVERIFY(player.view.chatContains("Hand 1:"));
        const std::array<int, 4> totals = table->totals();
        const int sum = totals[0] + totals[1] + totals[2] + totals[3];
        QVERIFY(sum == 26 || sum == 78);
        Q_UNUSED(refused);

        // The next hand is dealt after a pause, passing right.
        QVERIFY(runUntil(h, [&] { return table->stage() == CardTable::Stage::Passing; }));
        player.update();
        QCOMPARE(player.hand().size(), 13);
        QVERIFY(player.status().contains("pass right"));
    }

    void theFirstLeadIsTheTwoOfClubs()
    {
        Harness h;
        h.lobby("Ann");
        CardTable *table = cardTable(h);
        Hearts::Hands hands;
        for (int c = 1; c <= 52; ++c)
            hands[(c - 1) % 4].append(c);
        std::swap(hands[0][0], hands[1][0]);   // Ann (seat 0) gets the two of clubs
        table->setNextDeal(hands);
        const int ann = h.table(CardTable1, "Ann");
        CardPlayer player(h, ann);
        // Pass three cards that are not the two of clubs.
        QList<int> keep;
        for (const ScreenModel::Card &c : player.hand()) {
            if (c.code != Hearts::TwoOfClubs && keep.size() < 3)
                keep.append(c.code);
        }
        for (const int code : keep)
            player.pressCard(code);
        player.press(Marker::ButtonPress + "pass");
        QCOMPARE(table->round()->turn(), 0);
        QCOMPARE(player.status(), QByteArray("Your turn: lead the 2 of clubs."));
        const int other = player.hand().last().code;
        player.pressCard(other);
        QCOMPARE(player.status(), QByteArray("The 2 of clubs leads the first trick."));
        QCOMPARE(player.hand().size(), 13);
        player.pressCard(Hearts::TwoOfClubs);
        QCOMPARE(player.hand().size(), 12);
        QCOMPARE(player.screen.record, QList<int>{Hearts::TwoOfClubs});
        // A press beside the cards is answered too (the client waits for an answer).
        const qsizetype before = h.outbox.messagesTo(ann).size();
        player.press("70;5");
        QVERIFY(h.outbox.messagesTo(ann).size() > before);
    }

    void peopleTakeComputerSeatsAndWatchWhenFull()
    {
        Harness h;
        const QList<QByteArray> names = {"Ann", "Bob", "Cy", "Dee", "Eve"};
        QList<int> ids;
        for (const QByteArray &name : names)
            h.lobby(name);
        for (const QByteArray &name : names)
            ids.append(h.table(CardTable1, name));
        CardTable *table = cardTable(h);
        for (int s = 0; s < 4; ++s)
            QCOMPARE(table->seatOf(ids.at(s)), s);
        QCOMPARE(table->seatOf(ids.at(4)), -1);
        NodeView eve;
        eve.take(h.outbox, ids.at(4));
        QVERIFY(eve.chatContains("you watch until one is free"));
        // Bob sees himself at the bottom, Cy (who plays after him) on his
        // left, Dee across and Ann on his right.
        CardPlayer bob(h, ids.at(1));
        // Each name tag on the row above its card's place.
        QVERIFY(bob.screen.textAt(11).mid(24, 14).contains("Bob"));
        QVERIFY(bob.screen.textAt(6).startsWith(QByteArray(10, ' ') + " Cy"));
        QVERIFY(bob.screen.textAt(1).mid(24, 14).contains("Dee"));
        QVERIFY(bob.screen.textAt(6).mid(38).contains("Ann"));
        // When Dee leaves, Eve takes her seat.
        h.service.closed(ids.at(3));
        QCOMPARE(table->seatOf(ids.at(4)), 3);
        eve.take(h.outbox, ids.at(4));
        QVERIFY(eve.chatContains("A seat is free"));
    }

    void votesNotToRateAndToBoot()
    {
        Harness h;
        for (const char *name : {"Ann", "Bob", "Cy"})
            h.lobby(name);
        const int ann = h.table(CardTable1, "Ann");
        const int bob = h.table(CardTable1, "Bob");
        const int cy = h.table(CardTable1, "Cy");
        NodeView view;
        h.say(ann, "\x1b[5\x1b[BVotes to Not Rate The Game");
        view.take(h.outbox, bob);
        QVERIFY(view.chatContains("votes not to rate this game (1 of 3)"));
        h.say(bob, "Votes to Not Rate The Game");
        view.take(h.outbox, bob);
        QVERIFY(view.chatContains("This game will not be rated."));

        h.say(ann, "Votes to Boot Cy");
        QVERIFY(!h.outbox.closed.contains(cy));
        view.take(h.outbox, bob);
        QVERIFY(view.chatContains("votes to boot Cy (1 of 2 votes)"));
        h.say(bob, "Votes to Boot Cy");
        QVERIFY(h.outbox.closed.contains(cy));
        QCOMPARE(cardTable(h)->seatOf(cy), -1);
        // Voted off: not let in again for a while.
        const int again = h.table(CardTable1, "Cy");
        QVERIFY(h.outbox.to(again).contains("voted you off"));
        QVERIFY(h.outbox.closed.contains(again));
    }

    void chatAtATableIsMarkedAndDefused()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        const int ann = h.table(CardTable1, "Ann");
        const int bob = h.table(CardTable1, "Bob");
        h.outbox.clear();
        h.say(ann, "\x1b[5go \\SpawnNode:22 Guess?:x Score:1EndScore\x5c\xcb\xf4");
        const QByteArray got = h.outbox.to(bob);
        QVERIFY(got.startsWith(Marker::ChatMarker));
        QVERIFY(got.endsWith("\r\n"));
        QVERIFY(!got.contains("\\SpawnNode"));
        QVERIFY(!got.contains("Guess?:"));
        QVERIFY(!got.contains("Score:"));
        QVERIFY(!got.contains("EndScore"));
        QVERIFY(!got.contains(Marker::TitleMarker));
        QVERIFY(got.contains("\x1b[5go"));
        // A line break in the chat text: each line keeps its marker.
        h.outbox.clear();
        h.say(ann, "one\r\ntwo");
        QCOMPARE(h.outbox.to(bob), Marker::ChatMarker + "\x1b[8\x1b[BAnn\x1b[b> one\r\n" + Marker::ChatMarker + "two\r\n");
        // Private lines go to the player at the table.
        h.outbox.clear();
        h.say(ann, "/msg Bob psst\r\n");
        QCOMPARE(h.outbox.to(bob), Marker::ChatMarker + "\x1b[6\x1b[BAnn (private)\x1b[b> psst\r\n");
        h.outbox.clear();
        h.say(ann, "\x1b[4/msg Bob psst\r\n");
        QCOMPARE(h.outbox.to(bob), Marker::ChatMarker + "\x1b[6\x1b[BAnn (private)\x1b[b> \x1b[4psst\r\n");
    }

    void aWholeGameIsRatedAndSaved()
    {
        Harness h([](ServiceConfig &config) { config.cards = {10, 10, 10}; });
        h.lobby("Ann");
        const int ann = h.table(CardTable1, "Ann");
        CardTable *table = cardTable(h);
        int guard = 0;
        while (table->stage() != CardTable::Stage::GameOver && ++guard < 5000) {
            const Hearts::Round *round = table->round();
            const int seat = table->seatOf(ann);
            if (table->stage() == CardTable::Stage::Passing && !round->hasPassed(seat)) {
                for (const int c : Hearts::choosePass(round->hand(seat))) {
                    const int index = table->shownHand(seat).indexOf(c);
                    h.say(ann, cell(CardPainter::HandColumn(index, 13) + 1, CardPainter::HandRow + 2));
                }
                h.say(ann, Marker::ButtonPress + "pass");
            } else if (table->stage() == CardTable::Stage::Playing && round->turn() == seat) {
                const int c = Hearts::chooseCard(*round, seat);
                const QList<int> shown = table->shownHand(seat);
                h.say(ann, cell(CardPainter::HandColumn(int(shown.indexOf(c)), int(shown.size())) + 1, CardPainter::HandRow + 2));
            } else {
                h.advance(50);
            }
        }
        QCOMPARE(table->stage(), CardTable::Stage::GameOver);
        NodeView view;
        view.take(h.outbox, ann);
        QVERIFY(view.chatContains("won the game!"));
        QVERIFY(view.chatContains("Ann's rating: 1500 -> "));
        const int rating = h.accounts.find("Ann")->rating;
        QVERIFY(rating != 1500);
        QVERIFY(view.lists.last().contains("Ann=13;0;" + QByteArray::number(rating)));
        h.say(ann, Marker::ButtonPress + "newgame");
        QCOMPARE(table->stage(), CardTable::Stage::Passing);
        QCOMPARE(table->totals(), (std::array<int, 4>{0, 0, 0, 0}));
    }

    void theComputerMovesForSomeoneWhoIsAway()
    {
        Harness h([](ServiceConfig &config) { config.cards.humanMs = 60000; });
        h.lobby("Ann");
        const int ann = h.table(CardTable1, "Ann");
        CardTable *table = cardTable(h);
        h.advance(59000);
        QCOMPARE(table->stage(), CardTable::Stage::Passing);
        h.advance(1000);
        QCOMPARE(table->stage(), CardTable::Stage::Playing);
        QVERIFY(runUntil(h, [&] { return table->round()->turn() == 0 && table->stage() == CardTable::Stage::Playing; }));
        const int cards = int(table->round()->hand(0).size());
        h.advance(30000);
        QCOMPARE(int(table->round()->hand(0).size()), cards);
        h.advance(30000);
        QCOMPARE(int(table->round()->hand(0).size()), cards - 1);
        NodeView view;
        view.take(h.outbox, ann);
        QVERIFY(view.chatContains("The computer passed for Ann."));
        QVERIFY(view.chatContains("The computer played for Ann."));
    }

    void aSecondWindowReplacesTheFirst()
    {
        Harness h;
        h.lobby("Ann");
        const int first = h.table(CardTable1, "Ann");
        const int second = h.table(CardTable1, "Ann");
        QVERIFY(h.outbox.closed.contains(first));
        QVERIFY(h.outbox.to(first).contains("from another window"));
        QCOMPARE(cardTable(h)->seatOf(second), 0);
        QCOMPARE(h.service.nodeOfGame(CardTable1)->memberCount(), 1);
        // The game went on: the hand is still the one dealt first.
        QVERIFY(!h.outbox.to(second).contains("A new game of Hearts begins."));
        QCOMPARE(cardTable(h)->stage(), CardTable::Stage::Passing);
    }

    void aLockedTableAsksNewcomersForItsPassword()
    {
        Harness h;
        h.lobby("Sys");   // the first account: the sysop
        for (const QByteArray name : {"Ann", "Bob", "Cy", "Dee", "Eve"})
            h.lobby(name);
        const int menu = h.menu(Channel::GamesMenu, "Ann");
        const int ann = h.table(CardTable1, "Ann");
        const int bob = h.table(CardTable1, "Bob");
        // The first player is offered the lock, the second is not.
        QVERIFY(h.outbox.to(ann).contains(Marker::LockOffer));
        QVERIFY(!h.outbox.to(bob).contains(Marker::LockOffer));
        h.say(bob, Marker::PasswordMarker + "mine");
        QVERIFY(h.outbox.to(bob).contains("Only the first player at the table or the sysop may lock it."));
        QVERIFY(!h.service.tableLocked(CardTable1));

        h.outbox.clear();
        h.say(ann, Marker::PasswordMarker + "secret");
        QVERIFY(h.service.tableLocked(CardTable1));
        QVERIFY(h.outbox.to(bob).contains("Ann locked the table"));
        MiniScreen screen;
        screen.feed(h.outbox.messagesTo(menu).last().bytes);
        QVERIFY(screen.rowOf("(locked) Hearts: Ann, Bob") > 0);

        // A newcomer is asked for the password; the wrong one sends them away.
        const int cy = h.table(CardTable1, "Cy");
        QCOMPARE(h.outbox.messagesTo(cy).last().bytes, Marker::PasswordMarker);
        QVERIFY(h.outbox.messagesTo(cy).last().alone);
        QCOMPARE(h.service.nodeOfGame(CardTable1)->memberCount(), 2);
        h.say(cy, Marker::PasswordMarker + "guess");
        QVERIFY(h.outbox.to(cy).contains("Wrong password for Card Table 1."));
        QVERIFY(h.outbox.closed.contains(cy));
        // A cancelled dialog sends the marker alone: refused as well.
        const int cy2 = h.table(CardTable1, "Cy");
        h.say(cy2, Marker::PasswordMarker);
        QVERIFY(h.outbox.closed.contains(cy2));
        // The right one lets them in; the sysop needs none.
        const int dee = h.table(CardTable1, "Dee");
        h.say(dee, Marker::PasswordMarker + "secret");
        QVERIFY(!h.outbox.closed.contains(dee));
        QVERIFY(cardTable(h)->seatOf(dee) >= 0);
        const int sys = h.table(CardTable1, "Sys");
        QVERIFY(cardTable(h)->seatOf(sys) >= 0);
        QVERIFY(h.outbox.to(sys).contains(Marker::LockOffer));
        // The other card table is not locked.
        const int eve = h.table(1, "Eve");
        QVERIFY(h.service.nodeOfGame(1)->hasMember(eve));

        // When the table empties the lock goes.
        for (const int id : {ann, bob, dee, sys})
            h.service.closed(id);
        QVERIFY(!h.service.tableLocked(CardTable1));
        const int cy3 = h.table(CardTable1, "Cy");
        QVERIFY(cardTable(h)->seatOf(cy3) >= 0);
        QVERIFY(h.outbox.to(cy3).contains(Marker::LockOffer));
    }

    void raceTableSeatsPeopleAndComputersAndScoresTheHand()
    {
        Harness h([](ServiceConfig &config) {
            config.cards.botMs = 10;
            config.cards.humanMs = 500;
            config.cards.handOverMs = 1000000;
        });
        h.lobby("Ann");
        h.lobby("Bob");
        const int ann = h.table(RaceGame, "Ann");
        auto *race = dynamic_cast<RaceTable *>(h.service.nodeOfGame(RaceGame));
        QVERIFY(race);
        QCOMPARE(race->stage(), RaceTable::Stage::Playing);
        QCOMPARE(race->seatCount(), 2);   // Ann against a computer
        NodeView view;
        view.take(h.outbox, ann);
        QCOMPARE(view.caption, QByteArray("Race Deck Table - touring race"));
        QVERIFY(view.screen.contains("draw|Draw;"));
        // Bob takes the computer's seat.
        const int bob = h.table(RaceGame, "Bob");
        QCOMPARE(race->seatOf(bob), 1);
        QVERIFY(h.outbox.to(ann).contains("Bob takes the seat of Bert (cpu)."));
        QCOMPARE(race->hand()->turn(), 0);

        // Out of turn, or before drawing: refused, with a line that says why.
        const QByteArray firstCard = QByteArray::number(RacePainter::HandColumn(0) + 1) + ';'
            + QByteArray::number(RacePainter::HandRow + 2);
        h.outbox.clear();
        h.say(bob, firstCard);
        QVERIFY(h.outbox.to(bob).contains("It is not your turn."));
        h.say(ann, firstCard);
        QVERIFY(h.outbox.to(ann).contains("Draw a card first: press Draw or the deck."));
        h.say(ann, Marker::ButtonPress + RacePainter::DrawButton);
        QCOMPARE(race->hand()->hand(0).size(), 7);
        QVERIFY(h.outbox.to(ann).contains("discard|Discard;"));
        // A card, then Discard.
        const int card = race->hand()->hand(0).first();
        h.say(ann, firstCard);
        QCOMPARE(race->viewFor(ann).selected, 0);
        h.say(ann, Marker::ButtonPress + RacePainter::DiscardButton);
        QCOMPARE(race->hand()->discardTop(), card);
        QCOMPARE(race->hand()->turn(), 1);

        // Nobody moves again: the computer moves for them, to the end of the hand.
        for (int i = 0; i < 3000 && race->stage() == RaceTable::Stage::Playing; ++i)
            h.advance(500);
        QCOMPARE(race->stage(), RaceTable::Stage::HandOver);
        const QList<int> totals = race->totals();
        QCOMPARE(totals.size(), 2);
        QCOMPARE(totals.at(0), race->hand()->score(0).total());
        QCOMPARE(totals.at(1), race->hand()->score(1).total());
        QVERIFY(h.outbox.to(ann).contains("Hand 1: Ann "));
        QVERIFY(h.outbox.to(bob).contains("The computer moved for Bob."));
    }

    void raceTablePlayersChooseTheSizeOfANewGame()
    {
        Harness h([](ServiceConfig &config) { config.cards.botMs = 1000000; });
        h.lobby("Ann");
        h.lobby("Bob");
        h.lobby("Cy");
        CardPlayer ann(h, h.table(RaceGame, "Ann"));
        auto *race = dynamic_cast<RaceTable *>(h.service.nodeOfGame(RaceGame));
        QVERIFY(race);
        QCOMPARE(race->seatCount(), 2);
        QVERIFY(ann.view.chat.join().contains("New Game chooses two or three players or two teams."));
        const QList<QByteArray> sizes = {RacePainter::TwoPlayersButton, RacePainter::ThreePlayersButton,
                                         RacePainter::TwoTeamsButton};

        // "New Game" puts the three sizes in the places of the buttons; a
        // press on the table puts them away again.
        ann.press(Marker::ButtonPress + RacePainter::NewGameButton);
        QCOMPARE(ann.screen.buttons.keys(), (QList<QByteArray>{"players2", "players3", "teams"}));
        QCOMPARE(ann.screen.buttons.value("players2").caption, QByteArray("2 players"));
        QCOMPARE(ann.screen.buttons.value("players3").caption, QByteArray("3 players"));
        QCOMPARE(ann.screen.buttons.value("teams").caption, QByteArray("Two teams"));
        for (const QByteArray &name : sizes) {
            const ScreenModel::Button b = ann.screen.buttons.value(name);
            QVERIFY(b.left >= 67 && b.right <= 79 && b.top >= 13 && b.bottom <= 24);
            for (const QByteArray &other : sizes) {
                const ScreenModel::Button o = ann.screen.buttons.value(other);
                QVERIFY(other == name || b.bottom < o.top || o.bottom < b.top);
            }
        }
        QVERIFY(ann.screen.textAt(RacePainter::StatusRow).startsWith("New game: press 2 players, 3 players or Two teams"));
        ann.press(cell(RacePainter::HandColumn(0) + 1, RacePainter::HandRow + 2));
        QVERIFY(ann.screen.buttons.contains(RacePainter::NewGameButton));
        for (const QByteArray &name : sizes)
            QVERIFY(!ann.screen.buttons.contains(name));
        QCOMPARE(race->seatCount(), 2);

        // Alone at the table, Ann starts a game of two teams at once:
        // computers drive the three other seats.
        ann.press(Marker::ButtonPress + RacePainter::NewGameButton);
        ann.press(Marker::ButtonPress + RacePainter::TwoTeamsButton);
        QCOMPARE(race->seatCount(), 4);
        QCOMPARE(race->totals().size(), 2);
        QCOMPARE(race->seatOf(ann.id), 0);
        QVERIFY(ann.view.chat.join().contains("A new race begins: two teams of two"));
        QVERIFY(ann.screen.buttons.contains(RacePainter::NewGameButton));
        QVERIFY(!ann.screen.buttons.contains(RacePainter::TwoTeamsButton));
        QCOMPARE(race->viewFor(ann.id).teams.size(), 2);

        // Bob takes a computer's seat. With two people a new game needs
        // both, for the same size: a different size starts the asking over.
        CardPlayer bob(h, h.table(RaceGame, "Bob"));
        QVERIFY(race->seatOf(bob.id) > 0);
        bob.press(Marker::ButtonPress + RacePainter::NewGameButton);
        bob.press(Marker::ButtonPress + RacePainter::ThreePlayersButton);
        QCOMPARE(race->seatCount(), 4);
        ann.update();
        QVERIFY(ann.view.chat.join().contains("Bob would like a new game of 3 players (1 of 2)"));
        ann.press(Marker::ButtonPress + RacePainter::NewGameButton);
        ann.press(Marker::ButtonPress + RacePainter::TwoPlayersButton);
        QCOMPARE(race->seatCount(), 4);
        QVERIFY(ann.view.chat.join().contains("Ann would like a new game of 2 players (1 of 2)"));
        bob.press(Marker::ButtonPress + RacePainter::NewGameButton);
        bob.press(Marker::ButtonPress + RacePainter::ThreePlayersButton);
        QCOMPARE(race->seatCount(), 4);
        ann.press(Marker::ButtonPress + RacePainter::NewGameButton);
        ann.press(Marker::ButtonPress + RacePainter::ThreePlayersButton);
        QCOMPARE(race->seatCount(), 3);
        QCOMPARE(race->totals().size(), 3);
        QVERIFY(race->seatOf(ann.id) >= 0 && race->seatOf(bob.id) >= 0);

        // A game of two for three people: the third watches, and a watcher
        // has no say in the next game.
        CardPlayer cy(h, h.table(RaceGame, "Cy"));
        QVERIFY(race->seatOf(cy.id) >= 0);
        for (CardPlayer *p : {&ann, &bob, &cy}) {
            p->press(Marker::ButtonPress + RacePainter::NewGameButton);
            p->press(Marker::ButtonPress + RacePainter::TwoPlayersButton);
        }
        QCOMPARE(race->seatCount(), 2);
        QVERIFY(race->seatOf(cy.id) < 0);
        cy.press(Marker::ButtonPress + RacePainter::NewGameButton);
        cy.press(Marker::ButtonPress + RacePainter::TwoTeamsButton);
        QCOMPARE(race->seatCount(), 2);
        QVERIFY(!cy.screen.buttons.contains(RacePainter::TwoTeamsButton));
    }

    void aFinishedRaceOfTwoTeamsRatesAgainstTheOtherTeamOnly()
    {
        Harness h([](ServiceConfig &config) {
            config.cards.botMs = 10;
            config.cards.humanMs = 20;
            config.cards.handOverMs = 20;
        });
        h.lobby("Ann");
        CardPlayer ann(h, h.table(RaceGame, "Ann"));
        auto *race = dynamic_cast<RaceTable *>(h.service.nodeOfGame(RaceGame));
        QVERIFY(race);
        ann.press(Marker::ButtonPress + RacePainter::NewGameButton);
        ann.press(Marker::ButtonPress + RacePainter::TwoTeamsButton);
        QCOMPARE(race->seatCount(), 4);
        // The computer moves for Ann too, hand after hand, to 5000. When a
        // hazard meets her safety, her line names the safety.
        int coups = 0;
        for (int i = 0; i < 200000 && race->stage() != RaceTable::Stage::GameOver; ++i) {
            h.advance(30);
            const Race::Hand *hand = race->hand();
            if (race->stage() == RaceTable::Stage::Playing && hand->phase() == Race::Hand::Phase::Coup
                && hand->coupSeat() == race->seatOf(ann.id)) {
                const QByteArray safety = Race::nameOf(Race::safetyFor(hand->coupHazard())).toLower();
                QVERIFY2(race->viewFor(ann.id).status.startsWith("Coup! Press Coup! (or your " + safety + ')'),
                         race->viewFor(ann.id).status.constData());
                ++coups;
            }
        }
        QVERIFY(coups > 0);
        QCOMPARE(race->stage(), RaceTable::Stage::GameOver);
        const QList<int> totals = race->totals();
        QCOMPARE(totals.size(), 2);
        QVERIFY(std::max(totals.at(0), totals.at(1)) >= 5000);
        // Everybody at 1500: each of the two other team's seats is a game
        // worth 12 points won or lost; Ann's partner does not count.
        const int own = totals.at(race->hand()->teamOf(race->seatOf(ann.id)));
        const int theirs = totals.at(1 - race->hand()->teamOf(race->seatOf(ann.id)));
        const int expected = own > theirs ? 1512 : own == theirs ? 1500 : 1488;
        ann.update();
        QVERIFY(ann.view.chat.join().contains("Ann's rating: 1500 -> " + QByteArray::number(expected)));
        QCOMPARE(h.accounts.find("Ann")->rating, expected);
    }

    void raceDeckShowsTheTwentyPictures()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(RaceCards, "Ann");
        CardPlayer player(h, ann);
        QList<int> codes;
        for (const ScreenModel::Card &c : player.screen.cards)
            codes.append(c.code);
        QCOMPARE(codes.size(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(codes.at(i), 100 + i);
        QVERIFY(player.screen.record.isEmpty());
        const ScreenModel::Card stop = player.screen.cards.at(5);
        player.press(cell(stop.column + 2, stop.row + 3));
        QVERIFY(player.screen.rowOf("Stop: Hazard") > 0);
        player.press(Marker::ButtonPress + "deal");
        // The hand takes the last row's place; a press there reads its card.
        QCOMPARE(player.screen.cardsBelow(24).size(), 7);
        const ScreenModel::Card first = player.screen.cardsBelow(24).first();
        player.press(cell(first.column + 2, first.row + 3));
        QVERIFY(player.screen.rowOf(RaceDeckTable::NameOf(first.code - RaceDeckTable::FirstCode) + ": ") > 0);
        // The title line brings the whole deck back.
        player.press(cell(5, 1));
        QCOMPARE(player.screen.cards.size(), 20);
    }

    // -- sketch table ------------------------------------------------------

    void sketchRoundFromReadyToScores()
    {
        Harness h([](ServiceConfig &config) { config.words = {{"apple", 20}}; });
        h.lobby("Ann");
        h.lobby("Bob");
        const int ann = h.table(SketchGame, "Ann");
        const int bob = h.table(SketchGame, "Bob");
        auto *table = dynamic_cast<SketchTable *>(h.service.nodeOfGame(SketchGame));
        QCOMPARE(table->stage(), SketchTable::Stage::Ready);
        QCOMPARE(table->artist(), ann);
        NodeView annView, bobView;
        annView.sketch = bobView.sketch = true;
        annView.take(h.outbox, ann);
        bobView.take(h.outbox, bob);
        QVERIFY2(annView.screen.contains(SketchTable::ArtistOn + SketchTable::ClearDrawing), annView.screen.toHex().constData());
        QVERIFY(annView.screen.endsWith("\x1b[ZReady}\x1b[Z* Press Ready to get your word *}"));
        QVERIFY(bobView.screen.contains(SketchTable::ArtistOff));
        QCOMPARE(bobView.rounds.last(), QByteArray("Round 1 of 4: Ann draws"));
        QCOMPARE(bobView.guesses.last(), QByteArray("\x0c\r\n"));

        h.say(ann, "Guess?:Ann Ready \r\n");
        QCOMPARE(table->stage(), SketchTable::Stage::Drawing);
        annView.take(h.outbox, ann);
        bobView.take(h.outbox, bob);
        QCOMPARE(bobView.wordValue, QByteArray("20"));
        QVERIFY(bobView.screen.contains("\x1b[Z* Guess: 5 letters *}"));
        QVERIFY(annView.screen.contains("\x1b[Z* Draw: apple *}"));
        QVERIFY(annView.chatContains("Your word: apple"));
        QVERIFY(!bobView.chatContains("apple"));

        // Strokes go to the guesser as they are, not back to the artist.
        const QByteArray strokes = "\x1b[50;60;51;61;2;30;0L\x1b]\x1b[51;61;50;60;2;30;0L\x1b]";
        h.outbox.clear();
        annView.seen = bobView.seen = 0;
        h.say(ann, strokes);
        QCOMPARE(h.outbox.to(bob), strokes);
        QVERIFY(h.outbox.to(ann).isEmpty());
        h.say(bob, "\x1b[1;1;5;5;2;31;0L\x1b]");   // not the artist: dropped
        QVERIFY(h.outbox.to(ann).isEmpty());
        h.say(ann, "\x1b[47J\x1b]");
        QVERIFY(h.outbox.to(bob).endsWith("\x1b[47J\x1b]"));

        // A wrong guess, a hint and the right guess.
        h.outbox.clear();
        annView.seen = bobView.seen = 0;
        h.say(bob, "Guess?:pear\r\n\r\n");
        QCOMPARE(h.outbox.messagesTo(ann).first().bytes, QByteArray(Marker::ChatMarker + "Guess?:Bob - pear\r\n"));
        QVERIFY(h.outbox.messagesTo(ann).first().alone);
        h.say(ann, "Guess?:\x1b[0;0;1;1G41\xb7");
        QCOMPARE(h.outbox.messagesTo(bob).last().bytes, QByteArray(Marker::ChatMarker + "Guess?:\x1b[0;0;1;1G41\xb7"));
        h.say(bob, "\x1b[3" "the apple!");   // the word in the chat is held back
        QVERIFY(h.outbox.to(bob).contains("Keep the word out of the chat"));
        QVERIFY(!h.outbox.to(ann).contains("the apple"));
        h.clock += 30000;
        h.say(bob, "Guess?:Apple\r\n\r\n");
        QCOMPARE(table->stage(), SketchTable::Stage::RoundOver);
        const int expected = SketchRules::GuesserPoints(20, 90000 - 30000 - 7 * 200, 90000, true);
        QCOMPARE(table->scoreOf(bob), expected);
        QCOMPARE(table->scoreOf(ann), 10);
        bobView.take(h.outbox, bob);
        QVERIFY(bobView.guesses.contains("Bob got it!\r\n"));
        QCOMPARE(bobView.scores.last(), "Bob=" + QByteArray::number(expected) + "\r\nAnn=10");
        QVERIFY(bobView.screen.contains("The word was: apple]"));

        // The next round: Bob draws.
        h.advance(7000);
        QCOMPARE(table->stage(), SketchTable::Stage::Ready);
        QCOMPARE(table->artist(), bob);
        bobView.take(h.outbox, bob);
        QCOMPARE(bobView.rounds.last(), QByteArray("Round 2 of 4: Bob draws"));
    }

    void sketchGaugeCountsDownAndTimeRunsOut()
    {
        Harness h([](ServiceConfig &config) { config.words = {{"boat", 10}}; });
        h.lobby("Ann");
        h.lobby("Bob");
        const int ann = h.table(SketchGame, "Ann");
        const int bob = h.table(SketchGame, "Bob");
        auto *table = dynamic_cast<SketchTable *>(h.service.nodeOfGame(SketchGame));
        // Nobody presses Ready: drawing starts anyway.
        h.advance(20000);
        QCOMPARE(table->stage(), SketchTable::Stage::Drawing);
        h.outbox.clear();
        h.advance(45000);
        QVERIFY(h.outbox.to(bob).endsWith("\x1b[50P"));
        h.advance(45000);
        QCOMPARE(table->stage(), SketchTable::Stage::RoundOver);
        NodeView view;
        view.sketch = true;
        view.take(h.outbox, bob);
        QVERIFY(view.chatContains("Time is up. The word was boat."));
        QCOMPARE(view.scores.last(), QByteArray("Ann=0\r\nBob=0"));
        // The artist leaving ends the round; one player left waits.
        h.advance(7000);
        QCOMPARE(table->artist(), bob);
        h.service.closed(bob);
        QCOMPARE(table->stage(), SketchTable::Stage::Waiting);
        view.take(h.outbox, ann);
        QVERIFY(view.chatContains("Waiting for a second player."));
    }

    // -- doors -------------------------------------------------------------

    void minefieldDoorPlaysWithKeysAndPresses()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(Door, "Ann");
        NodeView view;
        ScreenModel screen;
        const auto update = [&] {
            const qsizetype before = view.screen.size();
            view.take(h.outbox, ann);
            screen.feed(view.screen.mid(before));
        };
        update();
        QCOMPARE(view.caption, QByteArray("Door Game - Minefield"));
        QVERIFY(screen.textAt(1).contains("MINEFIELD  Beginner"));
        auto *door = dynamic_cast<MinefieldDoor *>(dynamic_cast<DoorNode *>(h.service.nodeOfGame(Door))->session(ann));
        QVERIFY(door);
        QCOMPARE(door->cursor(), QPoint(0, 0));
        h.say(ann, "6");
        h.say(ann, "2");
        QCOMPARE(door->cursor(), QPoint(1, 1));
        update();
        const int left = door->boardLeft();
        QCOMPARE(screen.textAt(MinefieldDoor::BoardTop + 1).mid(left + 3 - 1, 3), QByteArray("[\xfa]"));
        h.say(ann, " ");
        QCOMPARE(door->field().state(), Minefield::State::Playing);
        QVERIFY(door->field().at(1, 1).open);
        // A press opens the square under it (or plays on; a mine may end it).
        const QByteArray press = QByteArray::number(left + 3 * 8) + ';' + QByteArray::number(MinefieldDoor::BoardTop + 8);
        h.say(ann, press);
        QCOMPARE(door->cursor(), QPoint(8, 8));
        QVERIFY(door->field().at(8, 8).open || door->field().at(8, 8).flag);
        // The double click's third press, higher up the same column, is ignored.
        h.say(ann, press);
        h.say(ann, QByteArray::number(left + 3 * 8) + ';' + QByteArray::number(MinefieldDoor::BoardTop + 2));
        QCOMPARE(door->cursor(), QPoint(8, 8));
        // The words under the help can be pressed: flag mode.
        h.say(ann, QByteArray::number(MinefieldDoor::MenuWords[2].column + 2) + ';' + QByteArray::number(door->helpRow() + 1));
        QVERIFY(door->flagMode());
        update();
        QVERIFY(screen.textAt(door->helpRow() + 1).contains("[Flag mode: on]"));
        h.say(ann, "l");
        QCOMPARE(door->level(), 1);
        QCOMPARE(door->field().width(), 16);
        // Chat goes to the chat panel, and Q leaves the door.
        h.say(ann, Marker::ChatMarker + "\x1b[3hello");
        update();
        QVERIFY(view.chatContains("hello"));
        h.say(ann, "q");
        QVERIFY(h.outbox.closed.contains(ann));
        update();
        QVERIFY(screen.rowOf("Thanks for playing!") > 0);
    }

    void winningTheFieldRecordsTheTime()
    {
        Harness h;
        h.lobby("Ann");
        const int ann = h.table(Door, "Ann");
        auto *door = dynamic_cast<MinefieldDoor *>(dynamic_cast<DoorNode *>(h.service.nodeOfGame(Door))->session(ann));
        door->field().layMines({{8, 8}});
        h.say(ann, " ");   // opens everything but the mine at once
        QCOMPARE(door->field().state(), Minefield::State::Won);
        const BestTimes &bests = dynamic_cast<DoorNode *>(h.service.nodeOfGame(Door))->bestTimes();
        QCOMPARE(bests[0].size(), 1);
        QCOMPARE(bests[0].first().name, QByteArray("Ann"));
        QVERIFY(h.outbox.to(ann).contains("the best time!"));
    }

    void doorGuestsAndLightClients()
    {
        Harness h;
        h.lobby("Ann");
        h.lobby("Bob");
        // A terminal that does not identify: its first key makes it a guest.
        const int guest = h.nextId++;
        h.service.opened(guest, Channel::Table, Door, QStringLiteral("10.0.0.9"));
        h.say(guest, "6");
        NodeView view;
        view.take(h.outbox, guest);
        QVERIFY(view.screen.contains("Welcome, Guest1!"));
        // ... and one that only waits becomes a guest after a while.
        const int quiet = h.nextId++;
        h.service.opened(quiet, Channel::Table, Door, QStringLiteral("10.0.0.9"));
        QVERIFY(h.outbox.to(quiet).isEmpty());
        h.advance(3000);
        QVERIFY(h.outbox.to(quiet).contains("Welcome, Guest2!"));
        // The lightweight client identifies late: the guest becomes Bob.
        const int light = h.nextId++;
        h.service.opened(light, Channel::Table, LightDoor, QStringLiteral("127.0.0.1"));
        h.advance(3000);
        h.say(light, Harness::identification("Bob", "pw"));
        h.say(light, Marker::ClientReady);
        QVERIFY(dynamic_cast<DoorNode *>(h.service.nodeOfGame(Door))->names().contains("Bob"));
        const int ann = h.table(Door, "Ann");
        // Each entry captions its windows with its own name.
        QVERIFY(h.outbox.to(light).contains(Marker::TitleMarker + "Door Game (light) - Minefield\r\n"));
        QVERIFY(h.outbox.to(ann).contains(Marker::TitleMarker + "Door Game - Minefield\r\n"));
        h.outbox.clear();
        h.say(ann, Marker::ChatMarker + "hi all");
        // The lightweight client shows chat on its screen: it gets none.
        QVERIFY(!h.outbox.to(light).contains(Marker::ChatMarker));
        QVERIFY(!h.outbox.to(light).contains(Marker::PlayerListLine));
        QVERIFY(h.outbox.to(guest).contains(Marker::ChatMarker));
        for (const RecordingOutbox::Sent &s : h.outbox.messagesTo(light))
            QVERIFY(!s.bytes.contains("hi all"));
    }

    void bridgedDoorRunsTheProgramOnATerminal()
    {
        Harness h;
        FakeLauncher launcher;
        h.service.setTerminalLauncher(&launcher);
        h.lobby("Ann");
        const int ann = h.table(Bridge, "Ann");
        QCOMPARE(launcher.requests.size(), 1);
        QCOMPARE(launcher.requests.first().command, QStringList{QStringLiteral("door-program")});
        QCOMPARE(launcher.requests.first().user, QByteArray("Ann"));
        QCOMPARE(launcher.requests.first().columns, 80);
        QCOMPARE(launcher.requests.first().rows, 26);
        h.outbox.clear();
        launcher.output("\x1b[?25l\x1b[1;31mred\x1b[6n");
        QCOMPARE(h.outbox.to(ann), QByteArray("\x1b[1;31;40mred"));   // bold red: the bright palette
        QCOMPARE(launcher.last->written, QByteArray("\x1b[1;4R"));   // the cursor report, answered here
        launcher.last->written.clear();
        h.say(ann, "ls\r");
        h.say(ann, "12;3");                                  // no mouse reports asked for: dropped
        h.say(ann, Marker::ChatMarker + "chat is not typed");
        QCOMPARE(launcher.last->written, QByteArray("ls\r"));
        // The last screen stays until a key.
        launcher.exited(0);
        QVERIFY(h.outbox.to(ann).contains(BridgeSession::HoldText));
        h.advance(250);
        QVERIFY(!h.outbox.closed.contains(ann));
        h.say(ann, " ");
        QVERIFY(h.outbox.closed.contains(ann));
    }

    void bridgedDoorHoldsBackASlowCaller()
    {
        FakeLauncher launcher;
        qsizetype pending = 0;
        QByteArray shown;
        BridgeSession session(&launcher, {QStringLiteral("p")}, "Ann", [&](const QByteArray &b) { shown += b; },
                              [&] { return pending; });
        session.start();
        pending = BridgeSession::PauseAbove + 1;
        launcher.output("x");
        QVERIFY(launcher.last->paused);
        session.tick();
        QVERIFY(launcher.last->paused);
        pending = 0;
        session.tick();
        QVERIFY(!launcher.last->paused);

        FakeLauncher refusing;
        refusing.refuse = true;
        QByteArray closed;
        BridgeSession failed(&refusing, {QStringLiteral("p")}, "Ann", [&](const QByteArray &b) { closed += b; }, {});
        failed.start();
        QVERIFY(closed.contains("This door is closed: cannot find the program"));
        QVERIFY(closed.contains(BridgeSession::HoldText));   // the reason stays on the screen
        QVERIFY(!failed.ended());
        failed.keys("q");
        QVERIFY(failed.ended());
    }

    void gamesMenuListsWhoIsWhere()
    {
        Harness h;
        h.lobby("Ann");
        const int menu = h.menu(Channel::GamesMenu, "Ann");
        h.table(CardTable1, "Ann");
        MiniScreen screen;
        const QList<RecordingOutbox::Sent> sent = h.outbox.messagesTo(menu);
        screen.feed(sent.last().bytes);
        QVERIFY(screen.rowOf("Hearts: Ann") > 0);
        QVERIFY(screen.rowOf("Race Deck") > 0);
        QVERIFY(screen.rowOf("Bridge (light)") > 0);
    }
};

VT_TEST_MAIN(TestVtserveTables)
#include "tst_vtserve_tables.moc"
