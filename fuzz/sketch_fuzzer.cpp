// The sketch game's reading of its node server's chat and screen text. Each
// chat text handed back to the node dispatcher must be shorter than the text
// it came from (so handing back always ends), every action's bytes come from
// the text, the caption above the drawing stays short, and the score
// window's text keeps every line of the table.

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "ChatAnsi.h"
#include "DoodlixProtocol.h"
#include "FuzzCheck.h"
#include "ProtocolMarkers.h"
#include "ScoreTableText.h"

namespace {

void checkChat(const QByteArray &text)
{
    const std::optional<Doodlix::ChatActions> actions = Doodlix::ChatCommand(text);
    if (!actions)
        return;
    qsizetype carried = 0;
    for (const Doodlix::ChatAction &action : *actions) {
        switch (action.kind) {
        case Doodlix::ChatAction::Dispatch:
            // Behind a chat marker, a part of the text: handed back, it is
            // read again, so it must be shorter for the reading to end.
            FUZZ_CHECK(action.bytes.startsWith(Marker::ChatMarker));
            FUZZ_CHECK(action.bytes.size() - Marker::ChatMarker.size() < text.size());
            carried += action.bytes.size() - Marker::ChatMarker.size();
            break;
        case Doodlix::ChatAction::ScoreTable:
        case Doodlix::ChatAction::RoundTitle:
            FUZZ_CHECK(text.contains(action.bytes));
            carried += action.bytes.size();
            break;
        case Doodlix::ChatAction::GuessList:
            FUZZ_CHECK(action.bytes.size() <= text.size() + 8);
            break;
        case Doodlix::ChatAction::ResetCaption:
            FUZZ_CHECK(action.bytes.isEmpty());
            break;
        }
    }
    FUZZ_CHECK(carried <= text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    checkChat(text);

    const std::optional<QByteArray> caption = Doodlix::WordValueCaption(text);
    if (caption)
        FUZZ_CHECK(caption->size() <= Doodlix::DrawingCaption.size() + 15 + 256);

    const QByteArray table = ScoreTableText::Format(text);
    FUZZ_CHECK(TDispAnsi::SplitLines(table).size() >= TDispAnsi::SplitLines(text).size());

    Doodlix::StatusText(text);
    return 0;
}
