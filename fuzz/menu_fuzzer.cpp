// The menu frames' dispatcher over arbitrary chunks from a menu server (the
// screen engine behind it has a fuzzer of its own). The input is a run of
// chunks, each one length byte and that many bytes. Besides not crashing,
// each chunk must lead to exactly one outcome: a password answer, a server
// switch to a real port and a host name, a program started on a port above 0 with a full or
// short command line, a refusal, or screen data passed on unchanged.

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"
#include "MenuDispatch.h"
#include "ProtocolMarkers.h"
#include "ServerNames.h"

namespace {

class FuzzHost : public MenuDispatchHost
{
public:
    int outcomes = 0;
    QByteArray chunk;
    QString serverName() const override { return QStringLiteral("games.example.net"); }
    QString userName() const override { return QStringLiteral("Ann"); }
    QString password() const override { return QStringLiteral("pw"); }
    bool programExists(const QString &program) const override { return program.size() % 2; }
    QString askPassword() override { return QStringLiteral("typed"); }
    void sendRaw(const QByteArray &bytes) override
    {
        FUZZ_CHECK(chunk.startsWith(Marker::PasswordMarker));
        FUZZ_CHECK(bytes == Marker::PasswordMarker + "typed");
        ++outcomes;
    }
    void switchServer(const QString &host, int port) override
    {
        FUZZ_CHECK(port > 0 && port <= 65535);
        FUZZ_CHECK(IsHostName(host));
        ++outcomes;
    }
    bool startProgram(const QString &, const QStringList &arguments, bool) override
    {
        FUZZ_CHECK(arguments.size() == 2 || arguments.size() == 4);
        FUZZ_CHECK(arguments.at(1).toInt() > 0);
        // No host from the server reaches a command line unless it is one.
        FUZZ_CHECK(IsHostName(arguments.at(0)));
        ++outcomes;
        return true;
    }
    void showMessage(const QString &) override { ++outcomes; }
    void chatNote(const QString &) override { ++outcomes; }
    void writeScreen(const QByteArray &text) override
    {
        FUZZ_CHECK(text == chunk);
        ++outcomes;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "menu_fuzzer";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = new QCoreApplication(argc, argv);
    (void)app;

    FuzzHost host;
    MenuDispatcher dispatcher(host);
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at], size - at - 1);
        host.chunk = QByteArray(reinterpret_cast<const char *>(data + at + 1), qsizetype(length));
        at += 1 + length;
        host.outcomes = 0;
        const bool acted = dispatcher.Dispatch(host.chunk);
        // An invitation without a port acts with no outcome of its own.
        FUZZ_CHECK(host.outcomes == 1 || (host.outcomes == 0 && (acted || !host.chunk.isEmpty())));
    }
    return 0;
}
