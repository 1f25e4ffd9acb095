#pragma once

// The ten chat text colours of the colour box: the code put in front of
// every line sent, and the swatch the box shows for it.

#include <QByteArray>
#include <QColor>

#include <array>

struct TextColorEntry
{
    QByteArray code;
    QColor swatch;
};

inline const std::array<TextColorEntry, 10> &TextColorTable()
{
    static const std::array<TextColorEntry, 10> table = {{
        {QByteArray("\033[1"), QColor(255, 255, 255)},
        {QByteArray("\033[3"), QColor(0, 255, 255)},
        {QByteArray("\033[8"), QColor(255, 255, 0)},
        {QByteArray("\033[A"), QColor(255, 128, 64)},
        {QByteArray("\033[7"), QColor(128, 128, 255)},
        {QByteArray("\033[5"), QColor(0, 255, 0)},
        {QByteArray("\033[R"), QColor(255, 119, 119)},
        {QByteArray("\033[6"), QColor(255, 0, 255)},
        {QByteArray("\033[4"), QColor(255, 0, 0)},
        {QByteArray("\033[9"), QColor(192, 192, 192)},
    }};
    return table;
}
