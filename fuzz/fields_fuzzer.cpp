// The field helpers over arbitrary server text. Besides not crashing, the
// helpers must keep their promises: no attribute code survives StripCodes,
// a replacement by itself changes nothing (but letter case, without case
// sensitivity), a taken line plus the rest is the
// whole buffer.

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"
#include "_Globals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray search = text.left(3);

    FUZZ_CHECK(!StripCodes(text).contains("\x1b["));
    FUZZ_CHECK(ReplaceAll(text, search, search, true) == text);
    FUZZ_CHECK(ReplaceAll(text, search, search, false).toUpper() == text.toUpper());
    if (!search.isEmpty())
        FUZZ_CHECK(!ReplaceAll(text, search, QByteArray(), true).contains(search)
                   || search.size() > 1);

    QByteArray buffer = text;
    const QByteArray line = TakeLine(buffer);
    FUZZ_CHECK(line == text || line + "\r\n" + buffer == text);

    QByteArray rest = text;
    const QByteArray front = TakeTextBefore(rest, "Score");
    FUZZ_CHECK(front + rest == text);

    LenientNumber(text);
    const int rank = UserRank(text);
    FUZZ_CHECK(rank >= 2 && rank <= 13);
    PlainUserName(text);
    LeadingPlainText(text);
    PadLeft(text, search, 300);
    TextAfter(text, ':');
    TextBefore(text, ':');
    return 0;
}
