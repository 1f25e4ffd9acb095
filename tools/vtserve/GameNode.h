#pragma once

// A game node: one table (or door) that the node clients connect to. The
// service identifies each connection and then hands it to its node, which
// from there on owns what the connection receives and sees. Everything a
// node shares with the others lives here: the window caption, the chat and
// the player list behind the chat marker, where-is and private lines, and
// the votes the players' "Vote" menu sends.
//
// A node is a plain object like the service: bytes in, bytes out through its
// NodeHost, time from the host's clock.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <random>

class NodeHost
{
public:
    virtual ~NodeHost() = default;
    // As the service's Outbox: `alone` keeps the bytes in a read of their own.
    virtual void send(int id, const QByteArray &bytes, bool alone) = 0;
    // Writes what is queued, then closes; the node is told through leave().
    virtual void close(int id) = 0;
    virtual qint64 now() const = 0;
    virtual void log(const QString &text) = 0;
    // Bytes still waiting to go out to the connection.
    virtual qsizetype pending(int id) const = 0;
    virtual void whereIs(int id, const QByteArray &caption) = 0;
    // `rest`: the target's caption, a blank and the text; `codes` go in
    // front of the text.
    virtual void whisper(int id, const QByteArray &rest, const QByteArray &codes) = 0;
    virtual void saveRating(const QByteArray &name, int rating) = 0;
    // Who is at which node changed: the games menu repaints.
    virtual void membersChanged() = 0;
};

struct NodePlayer {
    int id = 0;
    QByteArray name;
    int rank = 2;
    int icon = 13;
    int rating = 1500;
    bool away = false;
    bool light = false;   // a lightweight door client: it shows chat on its screen, so it gets none
    bool guest = false;   // a door client that did not identify
    QByteArray entry;     // the games-menu entry the player came through, when it is not the node's own name
};

class GameNode
{
public:
    GameNode(NodeHost &host, QByteArray title, quint32 seed);
    virtual ~GameNode();
    GameNode(const GameNode &) = delete;
    GameNode &operator=(const GameNode &) = delete;

    // False (with a line for the user) when the player may not come in.
    bool mayJoin(const NodePlayer &player, QByteArray *why) const;
    void join(const NodePlayer &player);
    void leave(int id);
    void received(int id, const QByteArray &chunk);
    // A guest of a door who identified after all.
    void identified(int id, const NodePlayer &player);
    virtual void tick() {}
    // The service stops: say goodbye; the connections are closed after it.
    virtual void shutdown();

    QByteArray title() const { return m_title; }
    QList<QByteArray> names() const;
    bool hasMember(int id) const { return m_index.contains(id); }
    int memberCount() const { return int(m_members.size()); }
    // The line under the node's name on the games menu.
    virtual QByteArray detail() const;

    // Chat lines for a node client, each behind its own chat marker.
    static QByteArray ChatMarked(const QByteArray &lines);

protected:
    virtual void arrived(const NodePlayer &player) = 0;
    virtual void departed(const NodePlayer &player) = 0;
    virtual void input(int id, const QByteArray &chunk) = 0;
    virtual void renamed(const NodePlayer &) {}
    // The caption the node client shows; card tables put "Table" in it so
    // that the client offers its table menu entries.
    virtual QByteArray captionFor(const NodePlayer &) const { return m_title; }
    // "Not Rate The Game" from the vote menu.
    virtual void voteNotRated(int id);

    NodeHost &host() const { return m_host; }
    std::mt19937 &random() { return m_random; }
    const QList<NodePlayer> &members() const { return m_members; }
    NodePlayer *member(int id);
    const NodePlayer *member(int id) const;

    void sendTo(int id, const QByteArray &bytes, bool alone = false);
    // Chat lines (each ended by CR LF), every line behind its own chat
    // marker: the client hands only the first line after a marker to the
    // chat view and the rest to the screen.
    void tell(int id, const QByteArray &lines);
    void tellAll(const QByteArray &lines, int except = -1);
    void sendTitle(int id);
    void sendPlayerList();
    // A chat line from a player to everybody at the node.
    void chatFrom(int id, const QByteArray &text);
    // Where-is, private lines, votes and chat of the usual node clients,
    // from a message cut out of a chunk. True when it was one of them.
    bool commonMessage(int id, const QByteArray &message);
    // What a player typed into the chat box (behind the chat codes): a
    // private line ("/msg"), a vote, or chat for everybody at the node.
    void typedLine(int id, const QByteArray &text);
    void countVote(int id, const QByteArray &what);

    // Chat text made safe for node clients: besides what every client must
    // not receive, the words the node clients act on wherever they stand
    // ("\\Spawn...", "Guess?:", "Score:", "Round#:", "Word Value is ")
    // are broken up.
    static QByteArray NodeSafeText(const QByteArray &text);

private:
    NodeHost &m_host;
    QByteArray m_title;
    std::mt19937 m_random;
    QList<NodePlayer> m_members;
    QSet<int> m_index;
    QHash<QString, QSet<QString>> m_bootVotes;   // target key -> voter keys
    QHash<QString, qint64> m_banned;             // key -> until
};
