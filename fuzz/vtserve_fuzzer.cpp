// The service's chunk handling over arbitrary client bytes: several
// connections of every kind open, send, vanish and wait, driven by the
// input; game tables and doors among them, with a bridged door whose
// program writes what the input says. Besides not crashing, the service must
// keep its promises: the server-only markers reach a client only in the
// messages that carry them on purpose, a user-list block only at the start
// of its own message, the words the game clients act on only where the game
// puts them, and nothing is sent to a connection after the service closed it.

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "AccountStore.h"
#include "FuzzCheck.h"
#include "ProtocolMarkers.h"
#include "TerminalProcess.h"
#include "VtService.h"

namespace {

struct TableLink {
    GameKind kind;
    bool light;
};

bool aloneAtStart(const QByteArray &bytes, bool alone, const QByteArray &head)
{
    return alone && bytes.startsWith(head);
}

class CheckingOutbox : public Outbox
{
public:
    void send(int connection, const QByteArray &bytes, bool alone) override
    {
        FUZZ_CHECK(!closed.contains(connection));
        FUZZ_CHECK(bytes.size() < 256 * 1024);
        if (tables.contains(connection)) {
            checkTable(tables.value(connection), bytes, alone);
            return;
        }
        for (const QByteArray &marker : {Marker::InviteMarker, Marker::NoticeMarker, Marker::TitleMarker,
                                         Marker::LockOffer}) {
            if (bytes.contains(marker))
                FUZZ_CHECK(alone && bytes.startsWith(marker));
        }
        if (bytes.contains(Marker::PlayerListLine))
            FUZZ_CHECK(bytes.startsWith(Marker::PlayerListLine)
                       && bytes.indexOf(Marker::PlayerListLine, 1) < 0);
        if (bytes.contains("\xa4\xab"))
            FUZZ_CHECK(alone && bytes.startsWith("\x1b[7"));
    }

    void checkTable(const TableLink &link, const QByteArray &bytes, bool alone)
    {
        for (const QByteArray &marker : {Marker::InviteMarker, Marker::NoticeMarker})
            FUZZ_CHECK(!bytes.contains(marker));
        // The lock offer and the table password question come alone, and
        // never to a door.
        const bool door = link.kind == GameKind::Door || link.kind == GameKind::BridgedDoor || link.kind == GameKind::ArtGallery;
        for (const QByteArray &marker : {Marker::LockOffer, Marker::PasswordMarker}) {
            if (bytes.contains(marker))
                FUZZ_CHECK(alone && bytes == marker && !door);
        }
        if (bytes.contains(Marker::TitleMarker))
            FUZZ_CHECK(aloneAtStart(bytes, alone, Marker::TitleMarker));
        if (bytes.contains(Marker::PlayerListLine))
            FUZZ_CHECK(aloneAtStart(bytes, alone, Marker::ChatMarker + Marker::PlayerListLine)
                       && bytes.indexOf(Marker::PlayerListLine, 4) < 0);
        // Chat travels line by line, each line behind its marker.
        for (qsizetype k = bytes.indexOf(Marker::ChatMarker); k >= 0; k = bytes.indexOf(Marker::ChatMarker, k + 1))
            FUZZ_CHECK(k == 0 || (k >= 2 && bytes.mid(k - 2, 2) == "\r\n"));
        if (link.light)
            FUZZ_CHECK(!bytes.contains(Marker::ChatMarker));
        if (link.kind == GameKind::Hearts || link.kind == GameKind::Race || link.kind == GameKind::RaceDeck)
            FUZZ_CHECK(!bytes.contains("\\Spawn"));
        if (link.kind == GameKind::Sketch) {
            for (const char *word : {"Guess?:", "Score:", "Round#:"}) {
                if (bytes.contains(word))
                    FUZZ_CHECK(aloneAtStart(bytes, alone, Marker::ChatMarker + word));
            }
        }
    }

    void close(int connection) override { closed.insert(connection); }
    QSet<int> closed;
    QHash<int, TableLink> tables;
};

// The bridged door's program, played by the input.
class ScriptedProcess : public TerminalProcess
{
public:
    explicit ScriptedProcess(std::shared_ptr<bool> alive)
        : m_alive(std::move(alive))
    {
    }
    ~ScriptedProcess() override { *m_alive = false; }
    void write(const QByteArray &bytes) override { written += bytes.size(); }
    void setPaused(bool) override {}
    qsizetype written = 0;

private:
    std::shared_ptr<bool> m_alive;
};

class ScriptedLauncher : public TerminalLauncher
{
public:
    struct Run {
        std::shared_ptr<bool> alive;
        TerminalProcess::Output output;
        TerminalProcess::Exited exited;
    };
    std::unique_ptr<TerminalProcess> start(const TerminalRequest &, TerminalProcess::Output output,
                                           TerminalProcess::Exited exited, QString *error) override
    {
        if (refuseNext) {
            refuseNext = false;
            *error = QStringLiteral("no such program");
            return nullptr;
        }
        auto alive = std::make_shared<bool>(true);
        runs.append({alive, std::move(output), std::move(exited)});
        return std::make_unique<ScriptedProcess>(alive);
    }
    Run *latest()
    {
        for (qsizetype i = runs.size() - 1; i >= 0; --i) {
            if (*runs[i].alive)
                return &runs[i];
        }
        return nullptr;
    }
    QList<Run> runs;
    bool refuseNext = false;
};

struct Reader {
    const uint8_t *data;
    size_t size;
    size_t at = 0;
    bool done() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    QByteArray bytes(size_t n)
    {
        n = std::min(n, size - std::min(at, size));
        QByteArray out(reinterpret_cast<const char *>(data + at), qsizetype(n));
        at += n;
        return out;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    AccountStore accounts(QStringLiteral(":memory:"), 1);
    if (!accounts.open())
        abort();
    CheckingOutbox outbox;
    ScriptedLauncher launcher;
    qint64 clock = 1000000;
    ServiceConfig config = ServiceConfig::standard(5100, 5001, {QStringLiteral("program")}, "Bridge");
    config.seed = 1;
    config.words = {{"apple", 10}, {"ice cream", 20}};
    VtService service(accounts, outbox, config, [&clock] { return clock; });
    service.setTerminalLauncher(&launcher);
    const int games = int(config.games.size());

    static const QByteArray names[] = {"Ann", "Bob", "Cy"};
    Reader in{data, size};
    int opened = 0;
    const auto pick = [&](uint8_t b) { return opened ? 1 + b % opened : 0; };
    const auto openTable = [&](int game) {
        ++opened;
        outbox.tables.insert(opened, {config.games.at(game).kind, config.games.at(game).light});
        service.opened(opened, Channel::Table, game, QStringLiteral("fuzz"));
    };
    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op % 12) {
        case 0: {
            const uint8_t kind = in.byte();
            service.opened(++opened, Channel(kind % 4), (kind / 4) % 4, QStringLiteral("fuzz"));
            break;
        }
        case 1: case 2: case 3: case 4: {
            const int id = pick(in.byte());
            const QByteArray chunk = in.bytes(in.byte());
            if (id) {
                clock += 100;
                service.received(id, chunk);
            }
            break;
        }
        case 5:
            service.closed(pick(in.byte()));
            break;
        case 6:
            clock += qint64(in.byte()) * 500;
            service.tick();
            break;
        case 7: {
            // A well-formed login, so inputs reach the states behind it.
            const uint8_t who = in.byte();
            const uint8_t kind = in.byte();
            service.opened(++opened, Channel(kind % 4), (kind / 4) % 3, QStringLiteral("fuzz"));
            service.received(opened, Marker::IdentifyOpen + names[who % 3] + Marker::IdentifyClose + "pw");
            if (Channel(kind % 4) == Channel::Room)
                service.received(opened, Marker::ClientReady);
            break;
        }
        case 8:
            // A table or door client that does not identify.
            openTable(in.byte() % games);
            break;
        case 9: {
            // A table client that identifies as the programs do.
            const uint8_t who = in.byte();
            openTable(in.byte() % games);
            service.received(opened, Marker::IdentifyOpen + names[who % 3] + Marker::IdentifyClose + "pw");
            service.received(opened, Marker::ClientReady);
            break;
        }
        case 10: {
            // The bridged program writes.
            const QByteArray output = in.bytes(in.byte());
            if (ScriptedLauncher::Run *run = launcher.latest())
                run->output(output);
            break;
        }
        case 11:
            if (ScriptedLauncher::Run *run = launcher.latest()) {
                if (in.byte() % 2)
                    run->exited(int(in.byte()));
                else
                    launcher.refuseNext = true;
            }
            break;
        }
    }
    service.shutdown();
    return 0;
}
