// A chat room's chunks and member lists from an untrusted server. Besides not
// crashing, the rules keep their promises: a title loses only its marker and
// one lock offer, a notice's caption and message are cut at the first ">", a
// where-is request loses only " [AWAY]" marks, a level stays between audience
// and the highest rank mark, and the member menu is empty without a selection
// or for the audience.

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "ChatAnsi.h"
#include "FuzzCheck.h"
#include "ParloraProtocol.h"
#include "ProtocolMarkers.h"
#include "RoomMembers.h"

namespace {

void checkDecode(const QByteArray &chunk)
{
    const Parlora::RoomMessage message = Parlora::Decode(chunk);
    switch (message.kind) {
    case Parlora::RoomMessage::KeepAlive:
        FUZZ_CHECK(chunk.size() == 1);
        break;
    case Parlora::RoomMessage::RoomTitle:
        FUZZ_CHECK(message.text.size()
                   == chunk.size() - 3 - (message.lockInTitle ? Marker::LockOffer.size() : 0));
        break;
    case Parlora::RoomMessage::Notice: {
        const QByteArray rest = chunk.mid(4);
        FUZZ_CHECK(rest.contains('>') ? message.caption + '>' + message.text == rest
                                      : message.caption == rest && message.text == rest);
        break;
    }
    case Parlora::RoomMessage::Chat:
        FUZZ_CHECK(message.text.size() == chunk.size() - (message.marked ? 3 : 0));
        break;
    default:
        break;
    }
}

void checkMembers(const QByteArray &text)
{
    QList<RoomMembers::Row> rows;
    const QList<QByteArray> lines = TDispAnsi::SplitLines(text);
    for (const QByteArray &line : lines) {
        const UserListRow row = TDispAnsi::ParseUserListLine(line);
        rows.append({row.caption, row.data});
    }
    const QByteArray user = rows.isEmpty() ? QByteArray("Me") : lines.last().left(8);
    for (const bool lock : {false, true}) {
        const int level = RoomMembers::OwnLevel(rows, user, lock);
        FUZZ_CHECK(level >= 1 && level <= 13);
        RoomMembers::MenuState state;
        state.ownLevel = level;
        state.lockGranted = lock;
        state.caption = text.left(40);
        FUZZ_CHECK(RoomMembers::MenuFor(state).isEmpty());
        for (const RoomMembers::Row &row : rows)
            state.selected.append(row.caption);
        const QList<RoomMembers::MenuEntry> entries = RoomMembers::MenuFor(state);
        FUZZ_CHECK(entries.size() <= 8);
        FUZZ_CHECK(entries.isEmpty() == (state.selected.isEmpty() || (level <= 1 && !lock)));
    }
    for (const RoomMembers::Row &row : rows) {
        // Each " [AWAY]" found left to right is dropped; what the dropping
        // joins up is not searched again.
        const QByteArray asked = RoomMembers::WhereIsMessage(row.caption);
        const qsizetype kept = asked.size() - Marker::WhereIsRequest.size();
        FUZZ_CHECK(asked.startsWith(Marker::WhereIsRequest) && kept <= row.caption.size()
                   && (row.caption.size() - kept) % 7 == 0);
        FUZZ_CHECK(RoomMembers::RoleCommand('3', row.caption).endsWith("\r\n"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    checkDecode(input);
    checkMembers(input);
    return 0;
}
