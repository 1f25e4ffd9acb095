#pragma once

// What a node client makes of what the service sends it, for tests: the
// reads are split as the clients split them (caption after the title
// marker, chat after the chat marker, a player list, screen data), and the
// screen data is read back: the card table's cards, buttons and last-trick
// record, the sketch drawing's commands, the text on the screen.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>

#include "MiniScreen.h"
#include "ProtocolMarkers.h"
#include "ServiceHarness.h"
#include "_Globals.h"

// The reads a client may get: messages sent alone arrive alone; the others
// may arrive glued together, so they are glued here (the harder case).
inline QList<QByteArray> ReadsOf(const RecordingOutbox &outbox, int id, qsizetype from = 0)
{
    QList<QByteArray> reads;
    bool gluing = false;
    const QList<RecordingOutbox::Sent> sent = outbox.messagesTo(id);
    for (qsizetype i = from; i < sent.size(); ++i) {
        const RecordingOutbox::Sent &s = sent.at(i);
        if (s.alone || !gluing)
            reads.append(s.bytes);
        else
            reads.last() += s.bytes;
        gluing = !s.alone;
    }
    return reads;
}

struct NodeView {
    QByteArray caption;
    QList<QByteArray> chat;      // lines handed to the chat view
    QList<QByteArray> lists;     // player-list blocks
    QByteArray screen;           // screen data in order
    bool sketch = false;         // the sketch client's chat tests
    QList<QByteArray> guesses;   // what the sketch client hands its guess list
    QList<QByteArray> scores;
    QList<QByteArray> rounds;
    QByteArray wordValue;
    qsizetype seen = 0;          // messages taken so far

    void take(const RecordingOutbox &outbox, int id)
    {
        for (const QByteArray &read : ReadsOf(outbox, id, seen))
            dispatch(read);
        seen = outbox.messagesTo(id).size();
    }

    void dispatch(QByteArray t)
    {
        if (t.isEmpty())
            return;
        // As the client: the lock offer is taken out wherever it stands.
        if (const qsizetype lock = t.indexOf(Marker::LockOffer); lock >= 0) {
            t.remove(lock, Marker::LockOffer.size());
            dispatch(t);
            return;
        }
        const qsizetype title = t.indexOf(Marker::TitleMarker);
        if (title >= 0) {
            QByteArray rest = t.mid(title + Marker::TitleMarker.size());
            caption = TakeLine(rest);
            chat.clear();
            dispatch(rest);
            return;
        }
        if (sketch && t.contains("Word Value is ")) {
            const QByteArray after = TextAfterText(t, "Word Value is ");
            wordValue = after.contains(" Points]") ? TextBeforeText(after, " Points]") : after;
        }
        const qsizetype marker = t.indexOf(Marker::ChatMarker);
        if (marker < 0) {
            screen += t;
            return;
        }
        if (marker > 0)
            dispatch(t.left(marker));
        t = t.mid(marker + Marker::ChatMarker.size());
        if (t.startsWith(Marker::PlayerListLine)) {
            lists.append(t);
            return;
        }
        if (sketch && sketchChat(t))
            return;
        chat.append(TakeLine(t));
        dispatch(t);
    }

    // The sketch client's own chat tests, in its order; they look at the
    // whole rest of the read.
    bool sketchChat(QByteArray t)
    {
        if (t.contains("Guess?:")) {
            t = TextAfterText(t, "Guess?:");
            if (!t.contains('\xb7') && t.contains(':')) {
                t = TextAfter(t, ':');
                if (t.contains(':'))
                    return true;
            }
            t.replace('\xb7', '>');
            if (t.startsWith(Marker::ChatMarker))
                dispatch(t);
            else
                guesses.append(t);
            return true;
        }
        if (t.contains("Score:")) {
            const QByteArray before = TextBeforeText(t, "Score:");
            if (!before.isEmpty())
                dispatch(before);
            t = TextAfterText(t, "Score:");
            scores.append(TextBeforeText(t, "EndScore"));
            const QByteArray rest = t.contains("EndScore") ? TextAfterText(t, "EndScore") : QByteArray();
            dispatch(rest);
            return true;
        }
        if (t.contains("Round#:")) {
            const QByteArray before = TextBeforeText(t, "Round#:");
            if (!before.isEmpty())
                dispatch(before);
            t = TextAfterText(t, "Round#:");
            rounds.append(TextBeforeText(t, "EndRound#"));
            const QByteArray rest = t.contains("EndRound#") ? TextAfterText(t, "EndRound#") : QByteArray();
            dispatch(rest);
            return true;
        }
        return false;
    }

    bool chatContains(const QByteArray &text) const
    {
        for (const QByteArray &line : chat) {
            if (line.contains(text))
                return true;
        }
        return false;
    }
};

// The screen dialect as the card-table and door clients draw it, reduced to
// what tests look at. Cells are 9 by 11 pixels, the card table's usual size.
struct ScreenModel {
    struct Card {
        int code;
        double column;
        double row;
    };
    struct Button {
        QByteArray caption;
        double left, top, right, bottom;
    };

    QHash<int, QByteArray> rows;
    QList<Card> cards;                 // drawn and not covered since
    QMap<QByteArray, Button> buttons;
    QList<int> record;                 // the last-trick record of the card client
    int refreshes = 0;
    int row = 1;
    int column = 1;
    int maxColumn = 0;
    QByteArray pending;

    static constexpr int CellWidth = 9;
    static constexpr int CellHeight = 11;

    QByteArray textAt(int r) const { return rows.value(r); }
    // Nothing was printed where the engine would wrap the line instead.
    bool maxColumnOk() const { return maxColumn <= 79; }
    int rowOf(const QByteArray &text) const
    {
        for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
            if (it.value().contains(text))
                return it.key();
        }
        return -1;
    }
    QList<Card> cardsBelow(double topRow) const
    {
        QList<Card> list;
        for (const Card &c : cards) {
            if (c.row >= topRow)
                list.append(c);
        }
        return list;
    }

    // The card client's record of the last trick, from the cards it is
    // told to draw.
    void recordCard(int code, double top)
    {
        if (code < 0) {
            if (record.size() < 4 || (record.size() >= 5 && record.size() <= 7))
                record.clear();
            return;
        }
        if (code >= 100 || qRound(top * CellHeight) >= 230)
            return;
        record.append(code);
        if (record.size() > 7)
            record.remove(0, 4);
    }

    void print(char c)
    {
        if (column >= 80) {
            maxColumn = qMax(maxColumn, column);
            ++row;
            return;
        }
        // A printed cell covers the cards whose corner lies in it.
        cards.removeIf([&](const Card &card) {
            return card.column >= column && card.column < column + 1 && card.row >= row && card.row < row + 1;
        });
        QByteArray &line = rows[row];
        if (line.size() < column)
            line.append(QByteArray(column - line.size(), ' '));
        line[column - 1] = c;
        maxColumn = qMax(maxColumn, column);
        ++column;
    }

    void feed(const QByteArray &more)
    {
        QByteArray bytes = pending + more;
        pending.clear();
        qsizetype i = 0;
        while (i < bytes.size()) {
            const char c = bytes.at(i);
            if (c != '\x1b') {
                if (c == '\r')
                    column = 1;
                else if (c == '\n')
                    ++row;
                else if (c == '\x0c') {
                    rows.clear();
                    row = column = 1;
                } else if (c == '\b')
                    column = qMax(1, column - 1);
                else
                    print(c);
                ++i;
                continue;
            }
            if (i + 1 >= bytes.size()) {
                pending = bytes.mid(i);
                return;
            }
            if (bytes.at(i + 1) != '[') {
                i += 2;
                continue;
            }
            qsizetype j = i + 2;
            while (j < bytes.size() && (bytes.at(j) == ';' || bytes.at(j) == '.' || bytes.at(j) == '-'
                                        || (bytes.at(j) >= '0' && bytes.at(j) <= '9')))
                ++j;
            if (j >= bytes.size()) {
                pending = bytes.mid(i);
                return;
            }
            const QList<QByteArray> p = bytes.mid(i + 2, j - i - 2).split(';');
            const auto num = [&](int k) { return p.value(k).toDouble(); };
            const char command = bytes.at(j);
            if (command == 'G' || command == 'W' || command == 'Z') {
                qsizetype end = j + 1;
                while (end < bytes.size() && bytes.at(end) != '>' && bytes.at(end) != ']' && bytes.at(end) != '}')
                    ++end;
                if (end >= bytes.size()) {
                    pending = bytes.mid(i);
                    return;
                }
                const QByteArray text = bytes.mid(j + 1, end - j - 1);
                if (command == 'G' && bytes.at(end) == '>') {
                    const int code = text.toInt();
                    recordCard(code, num(2));
                    if (code >= 0)
                        cards.append({code, num(3), num(2)});
                    row = qMax(0, row - 1);
                } else if (command != 'G' && bytes.at(end) == '>') {
                    const QByteArray name = TextBefore(text, '|');
                    if (num(0) == 0)
                        buttons.remove(name);
                    else
                        buttons[name] = {TextBefore(TextAfter(text, '|'), ';'), num(0), num(1), num(2), num(3)};
                }
                i = end + 1;
                continue;
            }
            switch (command) {
            case 'H':
                row = qMax(1, int(num(0)));
                column = qMax(1, int(num(1)));
                break;
            case 'J':
                rows.clear();
                cards.clear();
                row = column = 1;
                break;
            case 'R': {
                // A box covers the cards whose corner lies inside it.
                const double left = num(0), top = num(1), width = num(2);
                const double height = num(3) * CellWidth / CellHeight;
                cards.removeIf([&](const Card &card) {
                    return card.column >= left && card.column < left + width && card.row >= top && card.row < top + height;
                });
                break;
            }
            case 'r':
                ++refreshes;
                break;
            default:
                break;
            }
            i = j + 1;
        }
    }
};
