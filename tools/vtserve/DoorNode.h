#pragma once

// A door node: everybody who comes in gets a session of their own (the
// built-in game, or the configured program on a terminal of its own), and
// the callers in the same door share the chat and the player list. Callers
// of the lightweight client see only their screen. A caller whose session
// is over is disconnected.

#include <QSet>
#include <QStringList>

#include <map>
#include <memory>

#include "DoorSession.h"
#include "GameNode.h"
#include "MinefieldDoor.h"
#include "TerminalProcess.h"

class DoorNode : public GameNode
{
public:
    enum class Kind { Minefield, Bridge, ArtGallery };   // the gallery's command is its folder

    DoorNode(NodeHost &host, QByteArray title, quint32 seed, Kind kind, QStringList command = {},
             int maxSessions = 8);

    void setLauncher(TerminalLauncher *launcher) { m_launcher = launcher; }
    void tick() override;
    void shutdown() override;
    QByteArray detail() const override;

    DoorSession *session(int id) const;
    const BestTimes &bestTimes() const { return m_bests; }

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    void input(int id, const QByteArray &chunk) override;
    void renamed(const NodePlayer &player) override;
    QByteArray captionFor(const NodePlayer &player) const override;

private:
    void closeEnded();

    Kind m_kind;
    QStringList m_command;
    int m_maxSessions;
    TerminalLauncher *m_launcher = nullptr;
    std::map<int, std::unique_ptr<DoorSession>> m_sessions;
    QSet<int> m_refused;
    BestTimes m_bests;
};
