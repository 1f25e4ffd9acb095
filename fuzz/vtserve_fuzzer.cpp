// The service's chunk handling over arbitrary client bytes: several
// connections of every kind open, send, vanish and wait, driven by the
// input. Besides not crashing, the service must keep its promises: the
// server-only markers reach a client only in the messages that carry them
// on purpose, a user-list block only at the start of its own message, and
// nothing is sent to a connection after the service closed it.

#include <QByteArray>
#include <QCoreApplication>
#include <QSet>

#include <cstdint>
#include <cstdlib>

#include "AccountStore.h"
#include "ProtocolMarkers.h"
#include "VtService.h"

#define FUZZ_CHECK(cond) \
    do {                 \
        if (!(cond))     \
            abort();     \
    } while (0)

namespace {

class CheckingOutbox : public Outbox
{
public:
    void send(int connection, const QByteArray &bytes, bool alone) override
    {
        FUZZ_CHECK(!closed.contains(connection));
        FUZZ_CHECK(bytes.size() < 256 * 1024);
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
    void close(int connection) override { closed.insert(connection); }
    QSet<int> closed;
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
    qint64 clock = 1000000;
    ServiceConfig config = ServiceConfig::standard(5100, 5001);
    VtService service(accounts, outbox, config, [&clock] { return clock; });

    static const QByteArray names[] = {"Ann", "Bob", "Cy"};
    Reader in{data, size};
    int opened = 0;
    const auto pick = [&](uint8_t b) { return opened ? 1 + b % opened : 0; };
    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op % 8) {
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
        }
    }
    service.shutdown();
    return 0;
}
