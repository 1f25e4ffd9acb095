#pragma once

// Screen streams for measuring the engine, generated from a fixed seed so
// that every run measures the same bytes.

#include <QByteArray>

namespace AnsiStreams {

// Lines of code page 437 text, one screen at a time, never scrolling.
QByteArray plainText(qsizetype size);
// Short runs of text, each after a colour change.
QByteArray colourHeavy(qsizetype size);
// Words put at cursor positions all over the screen.
QByteArray cursorAddressed(qsizetype size);
// Lines of text at the bottom row, so that every line feed scrolls.
QByteArray scrolling(qsizetype size);

} // namespace AnsiStreams
