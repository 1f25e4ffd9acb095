#include "DoodlixProtocol.h"

#include "ProtocolMarkers.h"

namespace Doodlix {

namespace {

// A word value longer than this is cut: the rest of a long screen chunk
// would otherwise end up in the caption.
constexpr qsizetype kMaxWordValue = 256;

QByteArray number(int n)
{
    return QByteArray::number(n);
}

bool onlyLineEnds(QByteArrayView part)
{
    for (const char c : part)
        if (c != '\r' && c != '\n')
            return false;
    return true;
}

// Chat text found before or after a table is handed back as chat.
void addChat(ChatActions &actions, QByteArrayView part)
{
    if (part.endsWith(Marker::ChatMarker))
        part.chop(Marker::ChatMarker.size());
    if (onlyLineEnds(part))
        return;
    if (part.startsWith(Marker::ChatMarker))
        actions.append({ChatAction::Dispatch, part.toByteArray()});
    else
        actions.append({ChatAction::Dispatch, Marker::ChatMarker + part.toByteArray()});
}

// T holds "Guess?:"; `rest` is what follows its first occurrence.
ChatActions guessActions(QByteArrayView rest)
{
    QByteArray text = rest.toByteArray();
    if (text.contains(HintByte)) {
        // A hint mark: the list picture command of the guess list's engine.
        text.replace(HintByte, '>');
        if (text.startsWith(Marker::ChatMarker))
            return {{ChatAction::Dispatch, text}};
        return {{ChatAction::GuessList, text}};
    }
    // A guess: whatever stands before a ":" is dropped, and a second ":"
    // drops the guess.
    const qsizetype colon = text.indexOf(':');
    if (colon >= 0) {
        text = text.mid(colon + 1);
        if (text.contains(':'))
            text.clear();
    }
    if (text.startsWith(Marker::ChatMarker))
        return {{ChatAction::Dispatch, text}};
    if (text.isEmpty())
        return {};
    // Cyan, indented by three blanks.
    return {{ChatAction::GuessList, "\x1b[36m   " + text}};
}

// The text between `prefix` (found at `at`) and the first `end` after it.
ChatActions framedActions(QByteArrayView text, qsizetype at, const QByteArray &prefix,
                          const QByteArray &end, ChatAction::Kind kind)
{
    ChatActions actions;
    addChat(actions, text.first(at));
    QByteArrayView rest = text.sliced(at + prefix.size());
    const qsizetype endAt = rest.indexOf(end);
    const QByteArrayView body = endAt >= 0 ? rest.first(endAt) : rest;
    rest = endAt >= 0 ? rest.sliced(endAt + end.size()) : QByteArrayView();
    actions.append({kind, body.toByteArray()});
    if (kind == ChatAction::ScoreTable)
        actions.append({ChatAction::ResetCaption, QByteArray()});
    addChat(actions, rest);
    return actions;
}

} // namespace

QByteArray Stroke(int x1, int y1, int x2, int y2, int width, int colourCode)
{
    return "\x1b[" + number(x1) + ';' + number(y1) + ';' + number(x2) + ';' + number(y2) + ';'
        + number(width) + ';' + number(colourCode) + ";0L";
}

QByteArray EraseAllCommand()
{
    return "\x1b[47J";
}

QByteArray GuessMessage(const QByteArray &guess)
{
    return GuessPrefix + guess + "\r\n\r\n";
}

QByteArray ReadyMessage(const QByteArray &userName)
{
    return GuessPrefix + userName + " Ready \r\n";
}

QByteArray HintMessage(int row, int iconCode)
{
    return GuessPrefix + "\x1b[0;0;" + number(row) + ";1G" + number(iconCode) + HintByte;
}

int GuessRowAt(int y, int fontSize)
{
    const int rowHeight = fontSize > 0 ? fontSize + 1 : 11;
    // Integer division truncates towards zero, as the row rule expects.
    const int row = (y - 10) / rowHeight;
    return row > 0 ? row : 1;
}

std::optional<QByteArray> WordValueCaption(QByteArrayView screenText)
{
    MarkerSearch search(screenText);
    return WordValueCaption(screenText, search);
}

std::optional<QByteArray> WordValueCaption(QByteArrayView screenText, MarkerSearch &search)
{
    const qsizetype at = search.in(screenText, WordValueStart);
    if (at < 0)
        return std::nullopt;
    QByteArrayView value = screenText.sliced(at + WordValueStart.size());
    const qsizetype end = search.in(value, WordValueEnd);
    if (end >= 0)
        value = value.first(end);
    return DrawingCaption + " Word Value = " + value.first(qMin(value.size(), kMaxWordValue)).toByteArray();
}

std::optional<ChatActions> ChatCommand(QByteArrayView text)
{
    MarkerSearch search(text);
    return ChatCommand(text, search);
}

std::optional<ChatActions> ChatCommand(QByteArrayView text, MarkerSearch &search)
{
    const qsizetype guessAt = search.in(text, GuessPrefix);
    if (guessAt >= 0)
        return guessActions(text.sliced(guessAt + GuessPrefix.size()));
    const qsizetype scoreAt = search.in(text, ScorePrefix);
    if (scoreAt >= 0)
        return framedActions(text, scoreAt, ScorePrefix, ScoreEnd, ChatAction::ScoreTable);
    const qsizetype roundAt = search.in(text, RoundPrefix);
    if (roundAt >= 0)
        return framedActions(text, roundAt, RoundPrefix, RoundEnd, ChatAction::RoundTitle);
    return std::nullopt;
}

StatusDecision StatusText(const QByteArray &text)
{
    StatusDecision decision;
    if (text.isEmpty())
        return decision;
    if (text.contains('*')) {
        decision.kind = StatusDecision::GuessLabel;
        return decision;
    }
    decision.kind = StatusDecision::ReadyCaption;
    decision.artistControls = text == "Ready";
    return decision;
}

} // namespace Doodlix
