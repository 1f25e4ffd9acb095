#pragma once

// The lobby: who is logged in, their chat, presence and icons, the user
// list, and the lines between users wherever they are (private lines, grey
// notes, where-is), which find their target by its lobby.

#include <QByteArray>
#include <QList>
#include <QString>

#include "ServiceContext.h"

class LobbyChannel : public ServicePart
{
public:
    explicit LobbyChannel(ServiceContext &context);

    // The login went through: welcome, announce, list.
    void join(Conn &c, bool created);
    // An active lobby connection went.
    void left(const Conn &c);
    void message(Conn &c, const QByteArray &message);
    // The coalesced user list, and the where-is questions that were not answered.
    void tick(qint64 t);
    // The connection goes: the questions it asked go with it.
    void forgetAsker(int id);

    QList<int> lobbyIds() const;
    Conn *lobbyOf(const QString &key);
    QList<QByteArray> lobbyNames() const;
    void broadcastLobby(const QByteArray &bytes, int except = -1);
    // The lobby's user list to every lobby user: at once when the last one
    // went out long enough ago, else with the next tick.
    void sendLobbyList();
    // A game changed a player's rating: their connections and the list show it.
    void ratingChanged(const QString &key, int rating);

    // `rest`: the target's caption, a blank and the text; `codes` go in front
    // of the text (the codes a typed "/msg" came behind).
    void whisper(Conn &c, const QByteArray &rest, const QByteArray &codes = {});
    void greyNote(Conn &c, const QByteArray &rest, int minimumRank);
    void whereIs(Conn &c, const QByteArray &caption);
    void helpText(Conn &c);

private:
    struct WhereIs {
        int asker = 0;
        QString target;
        qint64 at = 0;
    };

    void writeLobbyList();
    void lobbyChat(Conn &c, const QByteArray &text);
    void setPresence(Conn &c, bool away);
    void setIcon(Conn &c, const QByteArray &digits);
    void bootFromLobby(Conn &c, const QByteArray &caption);
    bool answerWhereIs(Conn &c, const QByteArray &text);

    QList<WhereIs> m_whereIs;
    bool m_lobbyListDue = false;          // a change waits for the next list
    bool m_lobbyListSent = false;
    qint64 m_lobbyListAt = 0;             // when the last list went out
};
