#include "SeatedTable.h"

#include <QtMath>

#include "AccountStore.h"
#include "ClientMessages.h"
#include "ProtocolMarkers.h"
#include "ServerBytes.h"

SeatedTable::SeatedTable(NodeHost &host, QByteArray title, quint32 seed, CardTiming timing)
    : GameNode(host, std::move(title), seed)
    , m_timing(timing)
{
}

QByteArray SeatedTable::BotName(int seat)
{
    static const char *const names[] = {"Ada (cpu)", "Bert (cpu)", "Cleo (cpu)", "Dex (cpu)"};
    return names[qBound(0, seat, 3)];
}

int SeatedTable::seatOf(int id) const
{
    for (int s = 0; s < seatCount(); ++s) {
        if (seatAt(s).id == id)
            return s;
    }
    return -1;
}

int SeatedTable::humans() const
{
    int count = 0;
    for (int s = 0; s < seatCount(); ++s)
        count += human(s) ? 1 : 0;
    return count;
}

QByteArray SeatedTable::nameOf(int seat) const
{
    const TableSeat &s = seatAt(seat);
    if (s.id >= 0) {
        if (const NodePlayer *p = member(s.id))
            return p->name;
    }
    return s.botName;
}

int SeatedTable::freeSeatFor(const QByteArray &name) const
{
    for (int s = 0; s < seatCount(); ++s) {
        if (!human(s) && seatAt(s).lastName == name)
            return s;
    }
    for (int s = 0; s < seatCount(); ++s) {
        if (!human(s))
            return s;
    }
    return -1;
}

void SeatedTable::seatPerson(int seat, const NodePlayer &player)
{
    TableSeat &s = mutableSeat(seat);
    s.id = player.id;
    s.lastName = player.name;
    s.buttons.clear();
    s.note.clear();
}

void SeatedTable::unseat(int seat, const NodePlayer &player)
{
    TableSeat &s = mutableSeat(seat);
    s.id = -1;
    s.buttons.clear();
    s.note.clear();
    s.wantsNewGame = false;
    m_notRatedVotes.remove(AccountStore::keyOf(player.name));
}

bool SeatedTable::keptTooLong() const
{
    return host().now() - m_emptySince > m_timing.keepEmptyMs;
}

void SeatedTable::input(int id, const QByteArray &chunk)
{
    for (const QByteArray &message : ClientMessages::Split(chunk)) {
        if (!hasMember(id))
            return;   // voted off by an earlier message
        int column = 0;
        int row = 0;
        if (ClientMessages::ParseCellText(message, &column, &row))
            press(id, column, row);
        else if (message.startsWith(Marker::ButtonPress))
            button(id, message.mid(Marker::ButtonPress.size()));
        else if (message.size() == 1 && quint8(message.at(0)) >= 0x20)
            continue;   // a key typed on the table; the table has no keys
        else
            commonMessage(id, message);
    }
}

bool SeatedTable::askForNewGame(int seat, const QByteArray &what)
{
    mutableSeat(seat).wantsNewGame = true;
    int want = 0;
    for (int k = 0; k < seatCount(); ++k)
        want += human(k) && seatAt(k).wantsNewGame ? 1 : 0;
    if (want == humans()) {
        tellAll(ServerBytes::ServiceLine('8', "Everybody asked for a new game."));
        return true;
    }
    tellAll(ServerBytes::ServiceLine('8', nameOf(seat) + " would like " + what + " (" + QByteArray::number(want) + " of "
                                              + QByteArray::number(humans()) + "); press New Game to agree."));
    return false;
}

void SeatedTable::clearVotes()
{
    m_notRated = false;
    m_notRatedVotes.clear();
    for (int s = 0; s < seatCount(); ++s)
        mutableSeat(s).wantsNewGame = false;
}

void SeatedTable::voteNotRated(int id)
{
    const int seat = seatOf(id);
    if (seat < 0 || m_notRated)
        return;
    m_notRatedVotes.insert(AccountStore::keyOf(nameOf(seat)));
    const int votes = int(m_notRatedVotes.size());
    if (votes * 2 > humans()) {
        m_notRated = true;
        tellAll(ServerBytes::ServiceLine('8', "This game will not be rated."));
    } else {
        tellAll(ServerBytes::ServiceLine('8', nameOf(seat) + " votes not to rate this game (" + QByteArray::number(votes)
                                                  + " of " + QByteArray::number(humans()) + ")."));
    }
}

void SeatedTable::rate(const std::function<double(int seat, int other)> &result)
{
    if (m_notRated) {
        tellAll(ServerBytes::ServiceLine('9', "The players voted not to rate this game."));
        return;
    }
    QList<int> ratings;
    for (int s = 0; s < seatCount(); ++s) {
        const NodePlayer *p = human(s) ? member(seatAt(s).id) : nullptr;
        ratings.append(p ? p->rating : BotRating);
    }
    bool changed = false;
    for (int s = 0; s < seatCount(); ++s) {
        NodePlayer *p = human(s) ? member(seatAt(s).id) : nullptr;
        if (!p || p->guest)
            continue;
        double delta = 0;
        for (int o = 0; o < seatCount(); ++o) {
            const double won = o == s ? -1.0 : result(s, o);
            if (won < 0)
                continue;
            const double expected = 1.0 / (1.0 + qPow(10.0, (ratings.at(o) - ratings.at(s)) / 400.0));
            delta += 12.0 * (won - expected);
        }
        const int rating = qBound(100, qRound(ratings.at(s) + delta), 3000);
        tellAll(ServerBytes::ServiceLine('9', p->name + "'s rating: " + QByteArray::number(p->rating) + " -> "
                                                  + QByteArray::number(rating)));
        p->rating = rating;
        host().saveRating(p->name, rating);
        changed = true;
    }
    if (changed)
        sendPlayerList();
}

QByteArray SeatedTable::seatsDetail(const QByteArray &game, const QByteArray &empty) const
{
    if (humans() == 0 && m_watchers.isEmpty())
        return empty;
    QByteArray text = game + ':';
    for (int s = 0; s < seatCount(); ++s) {
        if (human(s))
            text += (text.endsWith(':') ? " " : ", ") + nameOf(s);
    }
    if (!m_watchers.isEmpty())
        text += " +" + QByteArray::number(m_watchers.size()) + " watching";
    return text;
}
