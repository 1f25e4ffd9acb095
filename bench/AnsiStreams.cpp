#include "AnsiStreams.h"

#include <random>

namespace {

// Printable bytes of code page 437: everything but the bytes the engine acts on.
char textByte(std::mt19937 &random)
{
    for (;;) {
        const int byte = int(random() % 256);
        if (byte >= 0x20 && byte != 0x7F)
            return char(byte);
    }
}

void appendLine(QByteArray &out, std::mt19937 &random, int length)
{
    for (int i = 0; i < length; ++i)
        out.append(textByte(random));
    out.append("\r\n");
}

} // namespace

namespace AnsiStreams {

QByteArray plainText(qsizetype size)
{
    std::mt19937 random(1);
    QByteArray out = "\x1b[0m\x1b[2J";
    while (out.size() < size) {
        // 39 lines fill rows 1 to 39; byte 0B goes home without scrolling.
        for (int row = 0; row < 39 && out.size() < size; ++row)
            appendLine(out, random, 79);
        out.append('\x0b');
    }
    return out;
}

QByteArray colourHeavy(qsizetype size)
{
    std::mt19937 random(2);
    QByteArray out = "\x1b[0m\x1b[2J";
    int column = 1, row = 1;
    while (out.size() < size) {
        const int attribute = int(random() % 2);
        out += "\x1b[" + QByteArray::number(attribute) + ';'
               + QByteArray::number(30 + random() % 8) + ';'
               + QByteArray::number(40 + random() % 8) + 'm';
        const int run = 1 + int(random() % 6);
        for (int i = 0; i < run; ++i) {
            out.append(textByte(random));
            if (++column == 80) {
                out.append("\r\n");
                column = 1;
                if (++row == 40) {
                    out.append('\x0b');
                    row = 1;
                }
            }
        }
    }
    return out;
}

QByteArray cursorAddressed(qsizetype size)
{
    std::mt19937 random(3);
    QByteArray out = "\x1b[0m\x1b[2J";
    while (out.size() < size) {
        const int row = 1 + int(random() % 40);
        const int length = 3 + int(random() % 10);
        const int column = 1 + int(random() % (79 - length));
        out += "\x1b[" + QByteArray::number(row) + ';' + QByteArray::number(column) + 'H';
        for (int i = 0; i < length; ++i)
            out.append(textByte(random));
    }
    return out;
}

QByteArray scrolling(qsizetype size)
{
    std::mt19937 random(4);
    QByteArray out = "\x1b[0m\x1b[2J\x1b[40;1H";
    while (out.size() < size)
        appendLine(out, random, 79);
    return out;
}

} // namespace AnsiStreams
