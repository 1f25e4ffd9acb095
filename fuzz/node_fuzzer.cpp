// The node clients' chunk dispatchers over arbitrary server text: the
// frame's (NodeDispatcher, with program tests that take text and hand parts
// back as the card table and the sketch game do) and the light door
// terminal's (GateletDispatcher). Besides not crashing or hanging, they
// must keep their promises: no marker reaches the screen or the chat, no
// byte is invented, and text without markers goes to the screen unchanged.

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"
#include "GateletDispatcher.h"
#include "NodeDispatcher.h"
#include "ProtocolMarkers.h"

namespace {

bool holdsControlMarker(const QByteArray &text)
{
    return text.contains(Marker::LockOffer) || text.contains(Marker::TitleMarker);
}

// Records what the frame's dispatcher decided and checks each piece.
class FrameTarget : public NodeDispatchTarget
{
public:
    explicit FrameTarget(bool programTests)
        : m_programTests(programTests)
    {
    }

    void setDispatcher(NodeDispatcher *dispatcher) { m_dispatcher = dispatcher; }

    void passwordRequested() override { ++passwords; }
    void lockOffered() override { ++locks; }
    void captionReceived(const QByteArray &caption) override
    {
        FUZZ_CHECK(!caption.contains("\r\n"));
        out += caption.size();
    }
    bool screenCommand(QByteArrayView text, MarkerSearch &search) override
    {
        // The card table takes a chunk that names a further table; the
        // search answers as a plain search of the rest would.
        static const QByteArray spawn = "\\SpawnNode";
        const qsizetype at = search.in(text, spawn);
        FUZZ_CHECK(at == text.indexOf(spawn));
        return m_programTests && at >= 0;
    }
    void screenData(const QByteArray &bytes) override
    {
        FUZZ_CHECK(!bytes.isEmpty());
        FUZZ_CHECK(!bytes.contains(Marker::ChatMarker));
        FUZZ_CHECK(!holdsControlMarker(bytes));
        screen += bytes;
        out += bytes.size();
    }
    void playerList(const QByteArray &text) override
    {
        FUZZ_CHECK(text.startsWith(Marker::PlayerListLine));
        out += text.size();
    }
    bool chatCommand(QByteArrayView text, MarkerSearch &) override
    {
        // A program that reads a word out of a chat line and hands the rest
        // back, as the sketch game does with its rounds.
        if (!m_programTests || !text.startsWith(QByteArrayView("\\word:")))
            return false;
        const qsizetype end = text.indexOf(QByteArrayView("\r\n"));
        if (end >= 0 && end + 2 < text.size())
            m_dispatcher->dispatch(text.sliced(end + 2).toByteArray());
        return true;
    }
    void chatLine(const QByteArray &lineWithBreak) override
    {
        FUZZ_CHECK(lineWithBreak.endsWith("\r\n"));
        const QByteArray line = lineWithBreak.chopped(2);
        FUZZ_CHECK(!line.contains("\r\n"));
        FUZZ_CHECK(!holdsControlMarker(line));
        out += line.size();
    }

    QByteArray screen;
    qsizetype out = 0;
    int passwords = 0;
    int locks = 0;

private:
    bool m_programTests;
    NodeDispatcher *m_dispatcher = nullptr;
};

class LightTarget : public GateletDispatchTarget
{
public:
    void passwordRequested() override { ++passwords; }
    void captionReceived(const QByteArray &caption) override
    {
        FUZZ_CHECK(!caption.contains("\r\n"));
        FUZZ_CHECK(!caption.contains(Marker::LockOffer));
        out += caption.size();
    }
    void screenData(const QByteArray &bytes) override
    {
        FUZZ_CHECK(!bytes.isEmpty());
        FUZZ_CHECK(!bytes.contains(Marker::ChatMarker));
        FUZZ_CHECK(!holdsControlMarker(bytes));
        screen += bytes;
        out += bytes.size();
    }

    QByteArray screen;
    qsizetype out = 0;
    int passwords = 0;
};

void frameDispatch(const QByteArray &chunk, bool programTests)
{
    FrameTarget target(programTests);
    NodeDispatcher dispatcher(target);
    target.setDispatcher(&dispatcher);
    dispatcher.dispatch(chunk);
    FUZZ_CHECK(target.out <= chunk.size());
    FUZZ_CHECK(target.passwords <= 1);
    if (!chunk.contains(Marker::PasswordMarker) && !chunk.contains(Marker::ChatMarker)
        && !holdsControlMarker(chunk) && !(programTests && chunk.contains("\\SpawnNode"))
        && !chunk.isEmpty())
        FUZZ_CHECK(target.screen == chunk);
}

void lightDispatch(const QByteArray &chunk)
{
    LightTarget target;
    GateletDispatcher dispatcher(target);
    dispatcher.dispatch(chunk);
    FUZZ_CHECK(target.out <= chunk.size());
    FUZZ_CHECK(target.passwords <= 1);
    const QByteArray unlocked = GateletDispatcher::WithoutLockOffers(chunk);
    FUZZ_CHECK(!unlocked.contains(Marker::LockOffer));
    FUZZ_CHECK(unlocked.size() <= chunk.size());
    // Without a title or a password the screen gets everything but the markers.
    if (!unlocked.contains(Marker::TitleMarker) && !unlocked.contains(Marker::PasswordMarker))
        FUZZ_CHECK(target.screen == QByteArray(unlocked).replace(Marker::ChatMarker, ""));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray chunk(reinterpret_cast<const char *>(data), qsizetype(size));
    frameDispatch(chunk, false);
    frameDispatch(chunk, true);
    lightDispatch(chunk);
    return 0;
}
