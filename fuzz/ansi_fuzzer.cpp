// The screen engine and the drawing decoder over arbitrary server bytes, with
// every handler installed and a Surface to draw on. Besides not crashing,
// the engines must keep their promises: Idle again after every Write, the
// cursor readable, captures and parameters held to their cap, and a cell
// text that is always "column;row".

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>

#include "Ansi.h"
#include "FuzzCheck.h"

namespace {

void checkCellText(const QByteArray &text)
{
    const qsizetype semicolon = text.indexOf(';');
    FUZZ_CHECK(semicolon > 0 && semicolon == text.lastIndexOf(';'));
    bool okColumn = false, okRow = false;
    text.left(semicolon).toInt(&okColumn);
    text.mid(semicolon + 1).toInt(&okRow);
    FUZZ_CHECK(okColumn && okRow);
}

} // namespace

// Qt's font database keeps fontconfig patterns that LeakSanitizer cannot see
// referenced; they are allocated once, not per input.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Lives as long as the process.
    new QGuiApplication(*argc, *argv);
    // Every font size the inputs can pick is loaded once here: the font
    // libraries keep caches of their own that would otherwise read as leaks
    // of whichever input first asked for a size.
    QImage image(64, 64, QImage::Format_RGB32);
    for (int size = 6; size < 16; ++size) {
        TAnsi ansi;
        ansi.AttachSurface(&image);
        ansi.SetMeasuredFontSize(size);
        ansi.Write("\x1b[1;1H\xdb \x1b[1;1;1;1;1;31;0;0R\xdb \x1b[5;5;200;37;44;1R\xdb ");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first byte picks the cell size and row count, so that fixed and
    // measured cells and short screens all get their turn.
    const quint8 setup = size > 0 ? data[0] : 0;

    QImage image(640, 480, (setup & 0x80) ? QImage::Format_ARGB32_Premultiplied
                                          : QImage::Format_RGB32);
    image.fill(Qt::black);
    int events = 0;
    {
        TAnsi ansi;
        ansi.AttachSurface(&image);
        if (setup & 1)
            ansi.SetFontSize(6 + (setup >> 1) % 10);
        else if (setup & 2)
            ansi.SetMeasuredFontSize(6 + (setup >> 2) % 10);
        ansi.SetRowCount(1 + setup % 40);
        ansi.OnResourcePicture = [&](const TAnsiRect &, const QByteArray &t) {
            FUZZ_CHECK(t.size() <= kAnsiTextCap);
            ++events;
        };
        ansi.OnListPicture = [&](const TAnsiRect &, int) { ++events; };
        ansi.OnSound = [&](const QByteArray &t) {
            FUZZ_CHECK(t.size() <= kAnsiTextCap);
            ++events;
        };
        ansi.OnSurfaceText = [&](const TAnsiRect &, const QByteArray &) { ++events; };
        ansi.OnButton = [&](const TAnsiRect &, int, int, const QByteArray &) { ++events; };
        // Idle is false while a Write runs (PutByte alone leaves it true).
        bool writing = false;
        ansi.OnRefresh = [&] { FUZZ_CHECK(ansi.Idle() != writing); };
        ansi.OnReport = [&](const QByteArray &t) { FUZZ_CHECK(t.startsWith("\x1b[")); };
        ansi.OnFailure = [&](const QString &) { ++events; };
        ansi.ShowMessage = [&](const QByteArray &) { ++events; };
        ansi.OnBeep = [] {};

        // Fed in slices, as a host does, so that sequences split across Writes.
        const qsizetype slice = 1 + setup % 97;
        for (qsizetype at = 0; at < bytes.size(); at += slice) {
            writing = true;
            ansi.Write(bytes.mid(at, slice));
            writing = false;
            FUZZ_CHECK(ansi.Idle());
            FUZZ_CHECK(ansi.Params().size() <= kAnsiTextCap);
            FUZZ_CHECK(ansi.PictureText().size() <= kAnsiTextCap);
            FUZZ_CHECK(ansi.WidgetText().size() <= kAnsiTextCap);
        }
        for (int i = 0; i < 4 && size >= 4; ++i) {
            const int x = int(data[i]) * 4 - 16, y = int(data[size - 1 - i]) * 3 - 9;
            checkCellText(ansi.CellTextAt(x, y));
            ansi.CharAtPoint(x, y);
        }
        ansi.CursorColumn();
        ansi.CursorRow();
        ansi.PutByte(setup);
    }
    {
        TLAnsi lansi;
        lansi.AttachSurface(&image);
        lansi.OnArtistChange = [&](int a) { FUZZ_CHECK(a == 0 || a == 1); };
        lansi.OnGauge = [&](int) { ++events; };
        lansi.OnStatusText = [&](const QByteArray &t) { FUZZ_CHECK(t.size() <= kAnsiTextCap); };
        lansi.OnSurfaceText = [&](const TAnsiRect &, const QByteArray &) { ++events; };
        lansi.OnBeep = [] {};
        lansi.Write(bytes);
        FUZZ_CHECK(lansi.Idle());
        FUZZ_CHECK(lansi.Params().size() <= kAnsiTextCap);
    }
    return events >= 0 ? 0 : 1;
}
