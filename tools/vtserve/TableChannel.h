#pragma once

// The game tables and doors: the nodes behind the games-menu entries, who
// comes to them (door guests, a second window of the same account), the
// table locks, and what the nodes ask of the service.

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <map>
#include <memory>

#include "GameNode.h"
#include "ServiceContext.h"

class TerminalLauncher;

class TableChannel : public ServicePart
{
public:
    explicit TableChannel(ServiceContext &context);
    ~TableChannel() override;

    void setTerminalLauncher(TerminalLauncher *launcher);
    GameNode *nodeOfGame(int game) const;
    bool tableLocked(int game) const;
    bool isDoor(const Conn &c) const;

    // The login went through (or the door guest came): the lock's
    // password is asked for, or the node takes the player.
    void identifyTable(Conn &c);
    void joinAsGuest(Conn &c);
    void checkTablePassword(Conn &c, const QByteArray &password);
    void input(Conn &c, const QByteArray &chunk);
    // An active player went.
    void left(const Conn &c);
    void tick();
    void shutdown();

private:
    class Host;
    struct TableLock {
        QByteArray password;         // empty: not locked
        QByteArray lockedBy;
        QSet<int> offered;           // the connections that were offered the lock
    };

    NodePlayer playerOf(const Conn &c) const;
    // card tables: the first person at a table (or the sysop) may lock it
    bool lockableTable(const Conn &c) const;
    void offerTableLock(Conn &c, bool first);
    void lockTable(Conn &c, const QByteArray &password);
    void tellTable(int node, const QByteArray &lines);

    std::unique_ptr<Host> m_host;
    std::map<int, std::unique_ptr<GameNode>> m_nodes;   // by the node number of the games
    int m_guests = 0;
    QHash<int, TableLock> m_tableLocks;   // by node
};
