#pragma once

// Just enough of the screen dialect to read back a menu the service paints:
// cursor positioning, colours, clearing, printable bytes into a cell grid,
// and the button captures. It lets a test find the row a label was printed
// on and press there, as a user would.

#include <QByteArray>
#include <QHash>
#include <QList>

struct MiniScreen {
    struct Button {
        QByteArray params;
        QByteArray text;
    };

    QHash<int, QByteArray> rows;   // row -> printed bytes by column (1-based, blank filled)
    QList<Button> buttons;
    int maxColumn = 0;
    int row = 1;
    int column = 1;

    void feed(const QByteArray &bytes)
    {
        qsizetype i = 0;
        while (i < bytes.size()) {
            const char c = bytes.at(i);
            if (c == '\x1b' && i + 1 < bytes.size() && bytes.at(i + 1) == '[') {
                qsizetype j = i + 2;
                while (j < bytes.size() && (bytes.at(j) == ';' || bytes.at(j) == '.'
                                            || (bytes.at(j) >= '0' && bytes.at(j) <= '9')))
                    ++j;
                if (j >= bytes.size())
                    return;
                const QByteArray params = bytes.mid(i + 2, j - i - 2);
                const char command = bytes.at(j);
                if (command == 'W') {
                    const qsizetype end = bytes.indexOf('>', j);
                    buttons.append({params, bytes.mid(j + 1, end - j - 1)});
                    i = end + 1;
                    continue;
                }
                if (command == 'H') {
                    const QList<QByteArray> p = params.split(';');
                    row = qMax(1, p.value(0).toInt());
                    column = qMax(1, p.value(1).toInt());
                } else if (command == 'J') {
                    rows.clear();
                    row = column = 1;
                }
                i = j + 1;
                continue;
            }
            if (c == '\r') {
                column = 1;
            } else if (c == '\n') {
                ++row;
            } else {
                QByteArray &line = rows[row];
                if (line.size() < column)
                    line.append(QByteArray(column - line.size(), ' '));
                line[column - 1] = c;
                maxColumn = qMax(maxColumn, column);
                ++column;
            }
            ++i;
        }
    }

    int rowOf(const QByteArray &text) const
    {
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            if (it.value().contains(text))
                return it.key();
        }
        return -1;
    }
};
