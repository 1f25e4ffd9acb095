// The lobby's dispatcher over arbitrary chunks from the lobby server, with
// the chat renderer (without a view) behind it. The input is a run of
// chunks, each one length byte and that many bytes; the first byte sets
// the lobby's state. Besides not crashing, the dispatcher must keep its
// promises: each chunk dispatched once, the introduction sent at most once,
// menus and chat rooms opened only on ports above 0 and rooms only when
// the invitation was accepted, and a where-is reply of whole lines.

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

#include "ChatAnsi.h"
#include "FuzzCheck.h"
#include "LobbyDispatch.h"
#include "WhereIsReply.h"

namespace {

class FuzzHost : public LobbyDispatchHost
{
public:
    bool isAway = false;
    bool isSoundOn = false;
    bool accept = false;
    bool asked = false;
    int introductions = 0;
    ChatSession session;
    TDispAnsi renderer{session};

    bool soundOn() const override { return isSoundOn; }
    bool away() const override { return isAway; }
    QByteArray email() const override { return "me@example.org"; }
    void playEventSound(const QByteArray &) override {}
    void blink() override {}
    void receiveLamps() override {}
    void sendLamps() override {}
    void setStatus(const QString &) override {}
    void sendRaw(const QByteArray &bytes) override
    {
        if (bytes.startsWith("/Version "))
            ++introductions;
    }
    void openMenu(LobbyMenu, int port) override { FUZZ_CHECK(port > 0); }
    void showNotice(const QByteArray &, const QByteArray &) override { FUZZ_CHECK(!isAway); }
    int renderChunk(const QByteArray &text) override { return renderer.Dispatch(text); }
    void selectOwnRow() override {}
    void sendWhereIsReply() override
    {
        const WhereIsReply reply = WhereIsReply::Build(
            QString::fromLatin1(session.UserListLines.value(0)), session.UserName,
            QStringLiteral("10:00:00"), false,
            {{QString::fromLatin1(session.UserListLines.value(1)), QStringLiteral("TfrmX")}});
        FUZZ_CHECK(reply.text.endsWith("\r\n"));
        FUZZ_CHECK(reply.text.contains("Vantora Chat Version 6.11\r\n"));
    }
    bool acceptInvitation(const QByteArray &) override
    {
        asked = true;
        return accept;
    }
    void startChatRoom(int port) override
    {
        FUZZ_CHECK(port > 0);
        FUZZ_CHECK(asked && accept);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "lobby_fuzzer";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    FuzzHost host;
    host.session.UserName = "Ann";
    host.isAway = data[0] & 1;
    host.isSoundOn = data[0] & 2;
    host.accept = data[0] & 4;
    LobbyDispatcher dispatcher(host);
    dispatcher.IntroSent = data[0] & 8;
    const bool introAtStart = dispatcher.IntroSent;
    size_t at = 1;
    while (at < size) {
        const size_t length = data[at++];
        const size_t take = length < size - at ? length : size - at;
        host.asked = false;
        dispatcher.Received(QByteArray(reinterpret_cast<const char *>(data + at), qsizetype(take)));
        FUZZ_CHECK(dispatcher.PendingText.isEmpty());
        at += take;
    }
    FUZZ_CHECK(host.introductions <= (introAtStart ? 0 : 1));
    return 0;
}
