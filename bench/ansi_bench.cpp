// Throughput of the screen engine on four generated streams (and the ANSI art
// test files when they are there), fed in 4 KiB chunks:
//  - parse only (no Surface) against libvterm with a screen attached (when
//    the build found libvterm),
//  - painting with the glyph cache against the same engine drawing every
//    glyph with QPainter::drawText,
//  - the scrolling stream against the plain one.
// Each figure is the best of a few rounds; ratios compare runs of this process.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <functional>
#include <vector>

#ifdef VANTORA_HAVE_LIBVTERM
extern "C" {
#include <vterm.h>
}
#endif

#include "Ansi.h"
#include "AnsiStreams.h"

namespace {

constexpr qsizetype kChunk = 4096;
constexpr int kRounds = 3;

struct Stream
{
    const char *name;
    QByteArray bytes;
};

// Best throughput in MB/s over `rounds` rounds; `prepare` runs untimed before each.
double measure(const QByteArray &bytes, const std::function<void()> &prepare,
               const std::function<void(const QByteArray &)> &write, int rounds = kRounds)
{
    // The chunks are cut before timing, as a host receives them.
    std::vector<QByteArray> chunks;
    for (qsizetype at = 0; at < bytes.size(); at += kChunk)
        chunks.push_back(bytes.mid(at, kChunk));
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray &chunk : chunks)
            write(chunk);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        best = qMax(best, double(bytes.size()) / 1e6 / qMax(seconds, 1e-9));
    }
    return best;
}

struct Figures
{
    double parse = 0, vterm = 0, paint = 0, naive = 0;
    qsizetype bytes = 0;
};

Figures run(const QByteArray &bytes)
{
    Figures f;
    f.bytes = bytes.size();

    std::unique_ptr<TAnsi> parser;
    f.parse = measure(
        bytes, [&] { parser = std::make_unique<TAnsi>(); },
        [&](const QByteArray &chunk) { parser->Write(chunk); });

#ifdef VANTORA_HAVE_LIBVTERM
    VTerm *vt = nullptr;
    f.vterm = measure(
        bytes,
        [&] {
            if (vt)
                vterm_free(vt);
            vt = vterm_new(TAnsi::MaxRowCount, TAnsi::ColumnCount);
            vterm_set_utf8(vt, 0);
            VTermScreen *screen = vterm_obtain_screen(vt);
            vterm_screen_reset(screen, 1);
        },
        [&](const QByteArray &chunk) { vterm_input_write(vt, chunk.constData(), size_t(chunk.size())); });
    vterm_free(vt);
#endif

    QImage image;
    std::unique_ptr<TAnsi> painter;
    // The drawText engine is slow enough to time well in one round.
    auto paintWith = [&](AnsiCanvas::GlyphMode mode, int rounds) {
        return measure(
            bytes,
            [&] {
                painter = std::make_unique<TAnsi>();
                image = QImage(1, 1, QImage::Format_RGB32);
                painter->AttachSurface(&image);
                image = QImage((TAnsi::ColumnCount + 2) * painter->CellWidth(),
                               (TAnsi::MaxRowCount + 2) * painter->CellHeight(),
                               QImage::Format_RGB32);
                image.fill(Qt::black);
                painter->Surface()->setGlyphMode(mode);
            },
            [&](const QByteArray &chunk) { painter->Write(chunk); }, rounds);
    };
    f.paint = paintWith(AnsiCanvas::GlyphMode::Cached, kRounds);
    f.naive = paintWith(AnsiCanvas::GlyphMode::DrawText, 1);
    return f;
}

QByteArray artFiles()
{
    QByteArray all;
    const QDir dir(QStringLiteral(VANTORA_TESTDATA_DIR "/ansi"));
    const QStringList names = dir.entryList({QStringLiteral("*.ans")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            all += file.readAll();
    }
    // Repeated to a size that times well.
    QByteArray repeated;
    while (!all.isEmpty() && repeated.size() < 512 * 1024)
        repeated += all;
    return repeated;
}

double ratio(double a, double b)
{
    return b > 0 ? a / b : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const qsizetype size = 512 * 1024;
    std::vector<Stream> streams = {
        {"plain", AnsiStreams::plainText(size)},
        {"colour", AnsiStreams::colourHeavy(size)},
        {"cursor", AnsiStreams::cursorAddressed(size)},
        {"scroll", AnsiStreams::scrolling(size)},
    };

    std::printf("%-8s %10s %12s %9s %11s %11s %9s\n", "stream", "parse MB/s", "libvterm MB/s",
                "parse x", "paint MB/s", "naive MB/s", "paint x");
    Figures total;
    double parseSeconds = 0, vtermSeconds = 0, paintSeconds = 0, naiveSeconds = 0;
    double plainPaint = 0, scrollPaint = 0;
    auto print = [](const char *name, const Figures &f) {
        std::printf("%-8s %10.1f %12.1f %9.2f %11.1f %11.1f %9.2f\n", name, f.parse, f.vterm,
                    ratio(f.parse, f.vterm), f.paint, f.naive, ratio(f.paint, f.naive));
    };
    for (const Stream &stream : streams) {
        const Figures f = run(stream.bytes);
        print(stream.name, f);
        const double mb = double(f.bytes) / 1e6;
        parseSeconds += mb / f.parse;
        if (f.vterm > 0)
            vtermSeconds += mb / f.vterm;
        paintSeconds += mb / f.paint;
        naiveSeconds += mb / f.naive;
        total.bytes += f.bytes;
        if (QByteArray(stream.name) == "plain")
            plainPaint = f.paint;
        if (QByteArray(stream.name) == "scroll")
            scrollPaint = f.paint;
    }
    const double mb = double(total.bytes) / 1e6;
    total.parse = mb / parseSeconds;
    total.vterm = vtermSeconds > 0 ? mb / vtermSeconds : 0;
    total.paint = mb / paintSeconds;
    total.naive = mb / naiveSeconds;
    print("all four", total);

    const QByteArray art = artFiles();
    if (!art.isEmpty())
        print("art", run(art));

    std::printf("\nplain vs scroll (painting): %.1f vs %.1f MB/s\n", plainPaint, scrollPaint);
#ifdef VANTORA_HAVE_LIBVTERM
    std::printf("ratio parse_vs_libvterm %.2f\n", ratio(total.parse, total.vterm));
#else
    std::printf("libvterm not built in: no parse_vs_libvterm ratio\n");
#endif
    std::printf("ratio paint_vs_naive %.2f\n", ratio(total.paint, total.naive));
    std::printf("ratio scroll_vs_plain %.2f\n", ratio(plainPaint, scrollPaint));
    return 0;
}
