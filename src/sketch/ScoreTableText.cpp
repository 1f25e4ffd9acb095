#include "ScoreTableText.h"

#include <QList>

#include "ChatAnsi.h"

namespace ScoreTableText {

QByteArray Format(const QByteArray &table)
{
    QList<QByteArray> lines = TDispAnsi::SplitLines(table);
    for (QByteArray &line : lines) {
        // A line without "=" names nobody; it is shown as it came.
        const qsizetype eq = line.indexOf('=');
        if (eq < 0 || eq >= NameWidth)
            continue;
        // The value stays the line's own: a name is looked up while it is
        // shorter than 20, and every line above is 20 or longer by then.
        line.insert(eq, QByteArray(NameWidth - eq, '_'));
    }
    QByteArray text;
    for (const QByteArray &line : std::as_const(lines))
        text += line + "\r\n";
    text.prepend("\x1b[1");
    text.replace("=", "\t\x1b[2");
    text.replace("\r\n", "\r\n\x1b[1");
    return text;
}

} // namespace ScoreTableText
