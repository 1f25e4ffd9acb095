#include "SketchRules.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include "ClientMessages.h"
#include "_Globals.h"

// The word list is a resource of this static library: it must be named
// once before it can be read.
static void loadWordResource()
{
    Q_INIT_RESOURCE(vtserve);
}

namespace WordList {

QList<SketchWord> Parse(const QByteArray &text)
{
    QList<SketchWord> words;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype semi = line.lastIndexOf(';');
        if (semi <= 0)
            continue;
        const QByteArray word = line.left(semi).trimmed().toLower();
        bool ok = false;
        const int value = line.mid(semi + 1).trimmed().toInt(&ok);
        const bool plain = std::all_of(word.begin(), word.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == ' '; });
        if (!ok || value < 1 || value > 100 || word.isEmpty() || word.size() > 30 || !plain)
            continue;
        words.append({word, value});
    }
    return words;
}

QList<SketchWord> BuiltIn()
{
    loadWordResource();
    QFile file(QStringLiteral(":/vtserve/words.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {{"house", 10}, {"tree", 10}, {"boat", 10}};
    return Parse(file.readAll());
}

bool Load(const QString &path, QList<SketchWord> *words, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read the word list %1: %2").arg(path, file.errorString());
        return false;
    }
    const QList<SketchWord> parsed = Parse(file.read(1024 * 1024));
    if (parsed.isEmpty()) {
        if (error)
            *error = QStringLiteral("the word list %1 holds no lines of the form word;value").arg(path);
        return false;
    }
    *words = parsed;
    return true;
}

} // namespace WordList

namespace SketchRules {

namespace {

bool startsAt(const QByteArray &text, qsizetype at, const char *marker)
{
    const qsizetype n = qsizetype(std::strlen(marker));
    return at + n <= text.size() && std::memcmp(text.constData() + at, marker, size_t(n)) == 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads up to five digits at `at`; false when there are none.
bool readNumber(const QByteArray &text, qsizetype &at, int *value)
{
    const qsizetype start = at;
    int v = 0;
    while (at < text.size() && isDigit(text.at(at)) && at - start < 5)
        v = v * 10 + (text.at(at++) - '0');
    *value = v;
    return at > start && !(at < text.size() && isDigit(text.at(at)));
}

QByteArray withoutBlanks(QByteArray text)
{
    text.replace(' ', QByteArray());
    return text;
}

int distance(const QByteArray &a, const QByteArray &b)
{
    QList<int> previous(b.size() + 1);
    QList<int> current(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int change = previous[j - 1] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, change});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

// ESC "[" seven numbers "L" ESC "]" or ESC "[" a colour "J" ESC "]", as the
// artist's client sends them.
bool readDrawing(const QByteArray &chunk, qsizetype at, Piece *piece, qsizetype *end)
{
    qsizetype k = at + 2;
    QList<int> numbers;
    while (numbers.size() < 7) {
        int v = 0;
        if (!readNumber(chunk, k, &v))
            return false;
        numbers.append(v);
        if (k < chunk.size() && chunk.at(k) == ';') {
            ++k;
            continue;
        }
        break;
    }
    if (k >= chunk.size())
        return false;
    const char command = chunk.at(k);
    if (!startsAt(chunk, k + 1, "\x1b]"))
        return false;
    if (command == 'L' && numbers.size() == 7) {
        const auto coordinate = [](int v) { return v <= 4000; };
        if (!coordinate(numbers[0]) || !coordinate(numbers[1]) || !coordinate(numbers[2]) || !coordinate(numbers[3]))
            return false;
        const int width = qBound(1, numbers[4], 40);
        const int colour = numbers[5] >= 30 && numbers[5] <= 47 ? numbers[5] : 30;
        const int style = numbers[6] == 2 ? 2 : 0;
        piece->kind = Piece::Stroke;
        piece->bytes = "\x1b[" + QByteArray::number(numbers[0]) + ';' + QByteArray::number(numbers[1]) + ';'
            + QByteArray::number(numbers[2]) + ';' + QByteArray::number(numbers[3]) + ';'
            + QByteArray::number(width) + ';' + QByteArray::number(colour) + ';' + QByteArray::number(style)
            + "L\x1b]";
    } else if (command == 'J' && numbers.size() == 1 && numbers[0] >= 30 && numbers[0] <= 47) {
        piece->kind = Piece::Clear;
        piece->bytes = "\x1b[" + QByteArray::number(numbers[0]) + "J\x1b]";
    } else {
        return false;
    }
    *end = k + 3;
    return true;
}

// "Guess?:" and a guess, the artist's ready line or a hint mark.
qsizetype readGuess(const QByteArray &chunk, qsizetype at, Piece *piece)
{
    qsizetype k = at + 7;
    if (startsAt(chunk, k, "\x1b[0;0;")) {
        qsizetype h = k + 6;
        int row = 0;
        int icon = 0;
        if (readNumber(chunk, h, &row) && startsAt(chunk, h, ";1G")) {
            h += 3;
            if (readNumber(chunk, h, &icon) && h < chunk.size() && chunk.at(h) == '\xb7') {
                piece->kind = Piece::Hint;
                piece->row = row;
                piece->icon = icon;
                return h + 1;
            }
        }
    }
    qsizetype lineEnd = chunk.indexOf("\r\n", k);
    if (lineEnd < 0)
        lineEnd = chunk.size();
    const QByteArray text = chunk.mid(k, lineEnd - k);
    qsizetype end = lineEnd;
    while (startsAt(chunk, end, "\r\n"))
        end += 2;
    if (text.endsWith(" Ready ")) {
        piece->kind = Piece::Ready;
        piece->bytes = text.left(text.size() - 7);
    } else {
        piece->kind = Piece::Guess;
        piece->bytes = text;
    }
    return end;
}

} // namespace

QByteArray Normalize(const QByteArray &text)
{
    QByteArray out;
    bool blank = false;
    for (const char raw : text) {
        const char c = (raw >= 'A' && raw <= 'Z') ? char(raw - 'A' + 'a') : raw;
        if (c >= 'a' && c <= 'z') {
            if (blank && !out.isEmpty())
                out += ' ';
            out += c;
            blank = false;
        } else {
            blank = true;
        }
    }
    return out;
}

bool IsRight(const QByteArray &guess, const QByteArray &word)
{
    const QByteArray g = withoutBlanks(Normalize(guess));
    return !g.isEmpty() && g == withoutBlanks(Normalize(word));
}

bool IsClose(const QByteArray &guess, const QByteArray &word)
{
    const QByteArray g = withoutBlanks(Normalize(guess));
    const QByteArray w = withoutBlanks(Normalize(word));
    if (w.size() < 4 || g.isEmpty() || qAbs(g.size() - w.size()) > 1)
        return false;
    return distance(g, w) == 1;
}

int GuesserPoints(int value, qint64 msLeft, qint64 roundMs, bool first)
{
    const double left = roundMs > 0 ? qBound(0.0, double(msLeft) / double(roundMs), 1.0) : 0.0;
    return qRound(value * (0.5 + 0.5 * left)) + (first ? value / 2 : 0);
}

int ArtistPoints(int value, int rightGuesses)
{
    return value / 2 * qMax(0, rightGuesses);
}

QByteArray LetterHint(const QByteArray &word)
{
    QByteArray hint;
    for (const QByteArray &part : Normalize(word).split(' '))
        hint += (hint.isEmpty() ? "" : " + ") + QByteArray::number(part.size());
    return hint + " letters";
}

QByteArray ScoreTable(QList<Score> scores)
{
    std::stable_sort(scores.begin(), scores.end(), [](const Score &a, const Score &b) { return a.points > b.points; });
    QByteArray table = "Score:";
    for (qsizetype i = 0; i < scores.size(); ++i)
        table += (i ? "\r\n" : "") + scores.at(i).name + '=' + QByteArray::number(scores.at(i).points);
    return table + "EndScore";
}

QByteArray RoundTitle(const QByteArray &title)
{
    return "Round#:" + title + "EndRound#";
}

QByteArray GuessListText(const QByteArray &text)
{
    QByteArray out;
    for (const char c : StripCodes(ClientMessages::SafeChatText(text))) {
        if (c == ':' || c == '\xb7' || quint8(c) < 0x20)
            continue;
        out += c;
    }
    return out.trimmed().left(36);
}

bool IsHintIcon(int icon)
{
    return icon == 35 || (icon >= 38 && icon <= 42);
}

QList<Piece> Parse(const QByteArray &chunk)
{
    QList<Piece> pieces;
    QByteArray other;
    const auto flush = [&] {
        for (const QByteArray &message : ClientMessages::Split(other))
            pieces.append({Piece::Other, message, 0, 0});
        other.clear();
    };
    qsizetype i = 0;
    while (i < chunk.size()) {
        Piece piece;
        qsizetype end = 0;
        if (startsAt(chunk, i, "\x1b[") && readDrawing(chunk, i, &piece, &end)) {
            flush();
            pieces.append(piece);
            i = end;
        } else if (startsAt(chunk, i, "Guess?:")) {
            flush();
            i = readGuess(chunk, i, &piece);
            pieces.append(piece);
        } else {
            other += chunk.at(i++);
        }
    }
    flush();
    return pieces;
}

} // namespace SketchRules
