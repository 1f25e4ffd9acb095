// Chat rendering speed: 10 000 chat lines of the usual shape (a coloured
// bold name, "> ", text, now and then a link, a user-list block or a style
// change) through TDispAnsi into a shown TRichEditURL, against
// QTextEdit::append of the same visible text in the same run. Both views
// keep 150 lines and no undo history. Prints lines per second and
//   ratio chat_vs_qtextedit X   our time over the plain append's
//   ratio chat_flatness X       mean cost of lines 9901-10000 over lines 151-250

#include <QApplication>
#include <QElapsedTimer>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "ChatAnsi.h"
#include "ChatSession.h"
#include "ChatTranscript.h"
#include "UserListView.h"
#include "uRichEditWithLinks.h"

namespace {

constexpr int kLines = 10000;
constexpr int kRounds = 5;
constexpr int kPaintEvery = 25;   // lines between two passes of the event loop

QList<QByteArray> makeLines()
{
    const char *names[] = {"Ann", "Bob", "Cy", "Dora", "Ed", "Flo", "Gus", "Hal", "Ivy", "Jo"};
    const char *colours = "13456789AR";
    const char *words[] = {"hello", "anyone", "up", "for", "a", "game", "of", "cards", "tonight",
                           "sure", "deal", "me", "in", "nice", "hand", "lol", "brb", "back"};
    QList<QByteArray> lines;
    quint32 seed = 12345;
    const auto next = [&seed](quint32 range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % range;
    };
    for (int i = 0; i < kLines; ++i) {
        if (i % 100 == 50) {
            QByteArray block = "\x1b[L";
            for (int u = 0; u < 20; ++u)
                block += QByteArray("\x1b[3") + names[u % 10] + QByteArray::number(u) + "="
                    + QByteArray::number(u % 4) + ";0;" + QByteArray::number(u) + "\r\n";
            lines << block + "\x1b]";
            continue;
        }
        QByteArray line = QByteArray("\x1b[") + colours[next(10)] + "\x1b[B" + names[next(10)]
            + "\x1b[1> ";
        const int count = 3 + int(next(10));
        for (int w = 0; w < count; ++w)
            line += QByteArray(words[next(18)]) + ' ';
        if (i % 10 == 3)
            line += "see http://example.org/page" + QByteArray::number(i) + " now";
        if (i % 7 == 2)
            line += "\x1b[Iitalic\x1b[i words";
        lines << line + "\r\n";
    }
    return lines;
}

// What each line leaves visible, without codes, as one paragraph.
QList<QString> visibleTexts(const QList<QByteArray> &lines)
{
    QList<QString> texts;
    for (const QByteArray &line : lines) {
        ChatTranscript transcript;
        ChatSession session;
        TDispAnsi chat(session);
        chat.Attach(&transcript, nullptr, nullptr);
        chat.Show(line);
        QByteArray text = transcript.plainText();
        if (text.endsWith('\n'))
            text.chop(1);
        texts << QString::fromLatin1(text);
    }
    return texts;
}

struct Round
{
    double seconds = 0;
    std::vector<qint64> perLine;   // nanoseconds per line, paints not included
};

// Times each line; the event loop runs (and paints) every few lines.
Round timeLines(qsizetype count, const std::function<void(qsizetype)> &showLine)
{
    QApplication::processEvents();
    Round round;
    round.perLine.reserve(count);
    QElapsedTimer total;
    total.start();
    QElapsedTimer one;
    for (qsizetype i = 0; i < count; ++i) {
        one.start();
        showLine(i);
        round.perLine.push_back(one.nsecsElapsed());
        if (i % kPaintEvery == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    round.seconds = double(total.nsecsElapsed()) / 1e9;
    return round;
}

Round runChat(const QList<QByteArray> &lines)
{
    TRichEditURL view;
    TUserListView list;
    view.resize(640, 480);
    list.resize(200, 480);
    view.show();
    list.show();
    ChatSession session;
    TDispAnsi chat(session);
    chat.Attach(&view, &list, nullptr);
    return timeLines(lines.size(), [&](qsizetype i) { chat.Show(lines.at(i)); });
}

Round runPlain(const QList<QString> &texts)
{
    QTextEdit view;
    view.setReadOnly(true);
    view.setUndoRedoEnabled(false);
    view.document()->setMaximumBlockCount(150);
    view.resize(640, 480);
    view.show();
    return timeLines(texts.size(), [&](qsizetype i) { view.append(texts.at(i)); });
}

double mean(const std::vector<qint64> &values, int first, int last)   // lines counted from 1
{
    double sum = 0;
    for (int i = first; i <= last; ++i)
        sum += double(values.at(i - 1));
    return sum / (last - first + 1);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QList<QByteArray> lines = makeLines();
    const QList<QString> texts = visibleTexts(lines);

    std::vector<double> chatSeconds, plainSeconds, flatness;
    for (int r = 0; r < kRounds; ++r) {
        const Round plain = runPlain(texts);
        const Round chat = runChat(lines);
        plainSeconds.push_back(plain.seconds);
        chatSeconds.push_back(chat.seconds);
        flatness.push_back(mean(chat.perLine, 9901, 10000) / mean(chat.perLine, 151, 250));
    }
    const double chat = median(chatSeconds);
    const double plain = median(plainSeconds);
    std::printf("chat lines %d rounds %d\n", kLines, kRounds);
    std::printf("lines_per_second chat %.0f\n", kLines / chat);
    std::printf("lines_per_second qtextedit %.0f\n", kLines / plain);
    std::printf("ratio chat_vs_qtextedit %.2f\n", chat / plain);
    std::printf("ratio chat_flatness %.2f\n", median(flatness));
    return 0;
}
