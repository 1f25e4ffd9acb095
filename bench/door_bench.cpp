// How the door terminals feed the screen engine: everything queued in one
// Write per pass (a queue kept to DoorTerminal::QueueHighWater plus one read
// by pausing reads) against the frame's small slices of 256 bytes. Both on the same
// generated streams; the figures are throughput ratios of this run and the
// longest single pass, which is how long the window can be kept from
// answering the user.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "Ansi.h"
#include "AnsiStreams.h"
#include "DoorTerminal.h"

namespace {

constexpr int kRounds = 3;

struct Result
{
    double mbPerSecond = 0;
    double longestPassMs = 0;
};

Result feed(const QByteArray &bytes, qsizetype pass)
{
    Result best;
    for (int round = 0; round < kRounds; ++round) {
        QImage surface(891, 500, QImage::Format_RGB32);
        TAnsi engine;
        engine.AttachSurface(&surface);
        DoorTerminal::SetEngineFont(engine, false, false);
        double longest = 0;
        QElapsedTimer total;
        total.start();
        for (qsizetype at = 0; at < bytes.size(); at += pass) {
            QElapsedTimer one;
            one.start();
            engine.Write(bytes.mid(at, pass));
            longest = qMax(longest, double(one.nsecsElapsed()) / 1e6);
        }
        const double seconds = double(total.nsecsElapsed()) / 1e9;
        const double rate = double(bytes.size()) / 1e6 / qMax(seconds, 1e-9);
        if (rate > best.mbPerSecond)
            best = {rate, longest};
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    constexpr qsizetype size = 2 * 1024 * 1024;
    const struct
    {
        const char *name;
        QByteArray bytes;
    } streams[] = {
        {"plain", AnsiStreams::plainText(size)},
        {"colour", AnsiStreams::colourHeavy(size)},
        {"cursor", AnsiStreams::cursorAddressed(size)},
        {"scrolling", AnsiStreams::scrolling(size)},
    };
    std::printf("%-10s %12s %12s %10s %16s\n", "stream", "slices MB/s", "whole MB/s", "ratio",
                "longest pass ms");
    for (const auto &stream : streams) {
        const Result slices = feed(stream.bytes, 256);
        const Result whole =
            feed(stream.bytes, DoorTerminal::QueueHighWater + DoorTerminal::SocketReadBuffer);
        std::printf("%-10s %12.1f %12.1f %10.2f %16.1f\n", stream.name, slices.mbPerSecond,
                    whole.mbPerSecond, whole.mbPerSecond / slices.mbPerSecond, whole.longestPassMs);
    }
    return 0;
}
