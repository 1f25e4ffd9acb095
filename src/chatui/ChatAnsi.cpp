#include "ChatAnsi.h"

#include <algorithm>
#include <memory>

#include "_Globals.h"

namespace {

const QByteArray kCode("\x1b[", 2);      // starts an attribute code
const QByteArray kEnd("\x1b]", 2);       // ends a run
const QByteArray kWhereIs("\xA4\xAB", 2); // a where-is query follows
const QByteArray kBoldReset("\x1b[b ", 4);
constexpr qsizetype kSoundTextLimit = ChatSession::SoundTextLimit;
constexpr qsizetype kSoundTestLimit = ChatSession::SoundTestLimit;

QByteArray withoutByte(QByteArray text, char byte)
{
    text.erase(std::remove(text.begin(), text.end(), byte), text.end());
    return text;
}

// The first occurrence of a byte at or after a position that only grows.
class NextByte
{
public:
    explicit NextByte(char byte) : m_byte(byte) {}
    qsizetype find(const QByteArray &text, qsizetype from)
    {
        if (!m_known || (m_at >= 0 && m_at < from)) {
            m_at = text.indexOf(m_byte, from);
            m_known = true;
        }
        return m_at;
    }

private:
    char m_byte;
    qsizetype m_at = -1;
    bool m_known = false;
};

} // namespace

// One rendering call. The text stays in one buffer and a position walks
// through it, so a long text with many codes costs time in proportion to
// its length.
class TDispAnsi::Render
{
public:
    Render(TDispAnsi &owner, ChatOutput &view, UserListOutput *list, bool sounds)
        : m_owner(owner), m_session(owner.m_session), m_view(view), m_list(list), m_sounds(sounds)
    {
    }

    int run(const QByteArray &text);
    // The same in parts: begin, then step until it returns false, then finish.
    void begin(const QByteArray &text);
    bool step();
    int finish();

private:
    bool end(int code);
    void readUserListBlock();
    bool refillSome();
    void applyLeadingCodes();
    void startCode(ChatStyle &style);
    void applyCode(char code);
    QByteArray takeBraced();
    void appendText(const QByteArray &text);
    void appendShown(QByteArray text);
    void writeLog(const QByteArray &text);
    void trimLines();
    QByteArray headBefore(qsizetype from, qsizetype *restStart) const;
    static QByteArray statusText(const QByteArray &head, const QByteArray &rest);
    static qsizetype linkMark(const QByteArray &text);

    TDispAnsi &m_owner;
    ChatSession &m_session;
    ChatOutput &m_view;
    UserListOutput *m_list;
    bool m_sounds;
    QByteArray m_t;
    qsizetype m_p = 0;
    NextByte m_openBrace{'{'};
    NextByte m_closeBrace{'}'};

    qsizetype m_lastWhereIs = -1;
    qsizetype m_lastHere = -1;
    qsizetype m_lastAway = -1;
    int m_code = OrdinaryText;
    bool m_userListRead = false;
    bool m_boldReset = false;
    QList<QByteArray> m_presenceSounds;   // outermost segment first

    // A user list being refilled, a few rows per step.
    bool m_refill = false;
    bool m_refillRebuild = false;
    QList<QByteArray> m_refillLines;
    qsizetype m_refillAt = 0;
};

void TDispAnsi::Render::begin(const QByteArray &text)
{
    m_t = text;
    m_p = 0;
    // "The rest contains X" is asked at every segment; the last occurrence
    // answers it for any rest at once.
    m_lastWhereIs = m_t.lastIndexOf(kWhereIs);
    m_lastHere = m_t.lastIndexOf("I'm Here!");
    m_lastAway = m_t.lastIndexOf("I'm Away!");
    m_code = OrdinaryText;
    m_userListRead = false;
    m_boldReset = false;
    m_presenceSounds.clear();
}

int TDispAnsi::Render::run(const QByteArray &text)
{
    begin(text);
    while (step()) {
    }
    return finish();
}

int TDispAnsi::Render::finish()
{
    // Each segment's presence sound comes after those of the segments it contains.
    for (auto it = m_presenceSounds.crbegin(); it != m_presenceSounds.crend(); ++it)
        m_session.PlayEventSound(*it);
    return m_userListRead ? UserListBlock : m_code;
}

bool TDispAnsi::Render::end(int code)
{
    m_code = code;
    return false;
}

bool TDispAnsi::Render::step()
{
    if (m_refill)
        return refillSome();

    QByteArray head;
    if (m_boldReset) {
        // The rest was put behind ESC "[b" and a blank: bold goes off
        // and the blank leads the next head.
        m_boldReset = false;
        applyCode('b');
        head = " ";
    } else {
        if (m_p >= m_t.size())
            return end(OrdinaryText);
        if (m_t.indexOf(kCode, m_p) < 0) {
            appendText(m_t.mid(m_p));
            return end(OrdinaryText);
        }
        // The third byte counts whatever the first two are.
        if (m_t.size() - m_p >= 3) {
            const char third = m_t.at(m_p + 2);
            if (third == 'L') {
                m_userListRead = true;
                readUserListBlock();
                if (!m_list)
                    return end(UserListBlock);
                return true;
            }
            if (third == 'P')
                return end(PrefixP);
            if (third == '\xBD')
                return end(IdentifyPrefix);
            if (third == '\xB3')
                return end(ServerReady);
        }
        applyLeadingCodes();
    }

    qsizetype restStart = 0;
    head += headBefore(m_p, &restStart);
    const qsizetype restSize = m_t.size() - restStart;
    const QByteArray shortRest = restSize < kSoundTextLimit ? m_t.mid(restStart) : QByteArray();

    // Bold reset: a bold name in the default colour is followed by plain text.
    const ChatStyle style = m_view.insertionStyle();
    if (!(restSize <= kSoundTestLimit && m_session.IsChatSound(shortRest))
        && m_lastWhereIs < restStart && style.color == m_session.Contrast(m_session.DefColor)
        && style.bold)
        m_boldReset = true;

    bool played = false;
    if (m_sounds) {
        const qsizetype soundSize = restSize + (m_boldReset ? kBoldReset.size() : 0);
        if (soundSize < kSoundTextLimit)
            played = m_session.ChatSound(m_boldReset ? kBoldReset + shortRest : shortRest);
    }
    const bool shown = !(played && m_session.SuppressOnSound);

    if (!m_boldReset && m_t.mid(restStart, kWhereIs.size()) == kWhereIs) {
        const QByteArray &user = m_session.UserName;
        const qsizetype at =
            user.isEmpty() ? -1 : m_t.mid(restStart, 4 + user.size()).indexOf(user);
        if (at < 0)
            return end(OrdinaryText);   // somebody else is looked for
        appendText(head);
        applyCode('1');
        applyCode('B');
        if (m_sounds)
            m_session.PlayEventSound("Look");
        QByteArray query = headBefore(restStart, nullptr);
        query.replace(kWhereIs, QByteArray());
        appendText("Looking For " + query + "\r\n");
        return end(WhereIsShown);
    }

    if (m_list && m_sounds) {
        if (m_lastHere >= restStart)
            m_presenceSounds.append("Here");
        else if (m_lastAway >= restStart)
            m_presenceSounds.append("Away");
        else if (head.contains("(Exit)>"))
            m_presenceSounds.append("PersonExits");
        else if (head.contains("(Enter)>"))
            m_presenceSounds.append("NewArrival");
    }

    if (shown) {
        appendText(head);
        m_p = restStart;
        return true;
    }
    if (StatusPanelOutput *panel = m_session.CurrentStatusPanel())
        panel->setPanelText(
            statusText(head, m_boldReset ? kBoldReset + shortRest : shortRest));
    return end(OrdinaryText);
}

// The head of the text from `from`: up to the next code, else up to the
// next end code (which is dropped), else all of it. An end code that comes
// before a code stays in the head.
QByteArray TDispAnsi::Render::headBefore(qsizetype from, qsizetype *restStart) const
{
    qsizetype headEnd = m_t.indexOf(kCode, from);
    qsizetype rest = headEnd;
    if (headEnd < 0) {
        headEnd = m_t.indexOf(kEnd, from);
        rest = headEnd < 0 ? m_t.size() : headEnd + kEnd.size();
        if (headEnd < 0)
            headEnd = m_t.size();
    }
    if (restStart)
        *restStart = rest;
    return m_t.mid(from, headEnd - from);
}

// ESC "[L" and the user list up to ESC "]"; the text goes on after it. The
// rows are refilled over the next steps.
void TDispAnsi::Render::readUserListBlock()
{
    m_p += 3;
    const qsizetype end = m_t.indexOf(kEnd, m_p);
    const QByteArray block = end < 0 ? m_t.mid(m_p) : m_t.mid(m_p, end - m_p);
    m_p = end < 0 ? m_t.size() : end + kEnd.size();
    m_session.UserListLines = SplitLines(block);
    if (!m_list)
        return;
    m_refillLines = m_session.UserListLines;
    m_list->beginUpdate();
    m_refillRebuild = m_refillLines.size() != m_list->rowCount();
    if (m_refillRebuild)
        m_list->clearRows();
    m_refillAt = 0;
    m_refill = true;
}

// As RefillUserList, a few hundred rows at a time.
bool TDispAnsi::Render::refillSome()
{
    constexpr qsizetype kRowsPerStep = 256;
    const qsizetype stop = std::min(m_refillLines.size(), m_refillAt + kRowsPerStep);
    for (; m_refillAt < stop; ++m_refillAt) {
        const QByteArray &line = m_refillLines.at(m_refillAt);
        if (line.isEmpty())
            continue;
        if (m_refillRebuild)
            m_list->addRow(ParseUserListLine(line));
        else
            m_list->updateRow(int(m_refillAt), ParseUserListLine(line));
    }
    if (m_refillAt >= m_refillLines.size()) {
        m_refill = false;
        m_refillLines.clear();
        m_list->endUpdate();
    }
    return true;
}

void TDispAnsi::Render::applyLeadingCodes()
{
    while (m_p + 1 < m_t.size() && m_t.at(m_p) == '\x1b' && m_t.at(m_p + 1) == '[') {
        const char code = m_t.size() - m_p >= 3 ? m_t.at(m_p + 2) : '1';
        m_p = std::min(m_p + 3, m_t.size());
        if (code == 'F' || code == 'S') {
            ChatStyle style = m_view.insertionStyle();
            startCode(style);
            const QByteArray argument = takeBraced();
            if (code == 'F')
                style.fontName = argument;
            else
                style.fontSize = LenientNumber(argument);
            m_view.setInsertionStyle(style);
        } else {
            applyCode(code);
        }
    }
}

// Every code first brings a clicked-away caret back to the end (with plain
// style) and restores the default font.
void TDispAnsi::Render::startCode(ChatStyle &style)
{
    if (!m_view.caretAtEnd()) {
        m_view.moveCaretToEnd();
        style = m_view.insertionStyle();
        style.setPlain();
    }
    style.fontName = m_session.DefaultFontName;
    style.fontSize = m_session.DefaultFontSize;
}

void TDispAnsi::Render::applyCode(char code)
{
    ChatStyle style = m_view.insertionStyle();
    startCode(style);
    m_session.ApplyCode(code, style);
    m_view.setInsertionStyle(style);
}

// The text between the first "{" and the first "}"; the text goes on after
// that "}". Without a "{" it is the text before the "}"; without a "}" it is
// empty and nothing is taken.
QByteArray TDispAnsi::Render::takeBraced()
{
    const qsizetype open = m_openBrace.find(m_t, m_p);
    const qsizetype close = m_closeBrace.find(m_t, m_p);
    const qsizetype start = open < 0 ? m_p : open + 1;
    const QByteArray argument = close > start ? m_t.mid(start, close - start) : QByteArray();
    if (close >= 0)
        m_p = close + 1;
    return argument;
}

// Where a link begins: the first "//", else the first backslash, else
// "mailto:", else "news:" (either case); -1 when there is none.
qsizetype TDispAnsi::Render::linkMark(const QByteArray &text)
{
    qsizetype at = text.indexOf("//");
    if (at < 0)
        at = text.indexOf('\\');
    if (at >= 0)
        return at;
    const QByteArray lower = text.toLower();
    at = lower.indexOf("mailto:");
    if (at < 0)
        at = lower.indexOf("news:");
    return at;
}

void TDispAnsi::Render::appendText(const QByteArray &text)
{
    appendShown(m_owner.cutLongLines(text, m_view.caretColumn()));
}

void TDispAnsi::Render::appendShown(QByteArray text)
{
    if (text.isEmpty())
        return;
    const qsizetype mark = linkMark(text);
    if (mark >= 0) {
        qsizetype start = mark;
        while (start > 0 && text.at(start - 1) != '\r' && text.at(start - 1) != '\n'
               && text.at(start - 1) != ' ')
            --start;
        qsizetype end = start;
        while (end < text.size() && text.at(end) != '\r' && text.at(end) != '\n'
               && text.at(end) != ' ')
            ++end;
        appendShown(text.left(start));
        ChatStyle restored = m_view.insertionStyle();
        restored.link = false;
        m_view.SetLinkFormat(true);
        m_view.insertText(text.mid(start, end - start));
        m_view.moveCaretToEnd();
        m_view.SetLinkFormat(false);
        m_view.setInsertionStyle(restored);
        text = text.mid(end);   // a later address stays plain text
    }
    m_view.insertText(text);
    writeLog(text);
    if (m_view.caretColumn() <= 1) {
        ChatStyle style = m_view.insertionStyle();
        style.setPlain();
        m_view.setInsertionStyle(style);
    }
    trimLines();
}

void TDispAnsi::Render::writeLog(const QByteArray &text)
{
    const QString error = m_session.AppendToLog(text);
    if (!error.isEmpty() && m_owner.m_lastError.isEmpty())
        m_owner.m_lastError = error;
}

// Deletes the first line until MaxLines remain. Each deletion removes one
// line at the top, so the cost does not grow with what went before.
void TDispAnsi::Render::trimLines()
{
    const int most = std::max(0, m_session.MaxLines);
    if (m_view.lineCount() <= most)
        return;
    for (int count = m_view.lineCount(); count > most;) {
        m_view.deleteFirstLine();
        const int after = m_view.lineCount();
        if (after >= count)
            break;
        count = after;
    }
    m_view.moveCaretToEnd();
    ChatStyle style = m_view.insertionStyle();
    style.setPlain();
    m_view.setInsertionStyle(style);
}

// The status text of a line whose sound was played instead of shown:
// "Bob [#7]" for ESC "[2Bob" ESC "[1> #7".
QByteArray TDispAnsi::Render::statusText(const QByteArray &head, const QByteArray &rest)
{
    const QByteArray name = withoutByte(StripCodes(head), '>');
    const QByteArray sound = LeadingPlainText(TextAfter(StripCodes(withoutByte(rest, '>')), '}'));
    return name + " [" + sound + "]";
}

// ---- TDispAnsi ----

TDispAnsi::TDispAnsi(ChatSession &session)
    : m_session(session)
{
}

TDispAnsi::~TDispAnsi()
{
    m_session.ForgetStatusPanel(StatusPanel);
}

void TDispAnsi::Attach(ChatOutput *chatView, UserListOutput *userListView,
                       StatusPanelOutput *statusPanel)
{
    ChatView = chatView;
    UserListView = userListView;
    if (statusPanel != StatusPanel)
        m_session.ForgetStatusPanel(StatusPanel);
    StatusPanel = statusPanel;
}

int TDispAnsi::Show(const QByteArray &text)
{
    return run(text, UserListView);
}

int TDispAnsi::ShowWithoutList(const QByteArray &text)
{
    return run(text, nullptr);
}

int TDispAnsi::Dispatch(const QByteArray &text)
{
    m_session.SetCurrentStatusPanel(StatusPanel);
    return Show(text);
}

ChatOutput &TDispAnsi::output()
{
    return ChatView ? *ChatView : m_noView;
}

WorkQueue::Job TDispAnsi::DispatchJob(const QByteArray &text, std::function<void(int code)> done)
{
    std::shared_ptr<Render> render;
    return [this, text, done = std::move(done), render](const QDeadlineTimer &deadline) mutable {
        ChatOutput &view = output();
        if (!render) {
            m_session.SetCurrentStatusPanel(StatusPanel);
            m_lastError.clear();
            render = std::make_shared<Render>(*this, view, UserListView, SoundsOn);
            render->begin(text);
        }
        view.beginChanges();
        bool more = render->step();
        while (more && !deadline.hasExpired())
            more = render->step();
        view.endChanges();
        if (more)
            return false;
        const int code = render->finish();
        if (done)
            done(code);
        return true;
    };
}

QByteArray TDispAnsi::cutLongLines(const QByteArray &text, qsizetype column)
{
    static const QByteArray notice =
        "\r\n[This line is longer than " + QByteArray::number(MaxLineLength / 1024)
        + " KiB; the rest of it is not shown.]\r\n";
    QByteArray shown;
    bool cut = false;
    qsizetype from = 0;   // the first byte not yet taken
    qsizetype at = 0;
    const qsizetype size = text.size();
    while (at < size) {
        if (m_cuttingLine) {
            // Everything up to the line's end is dropped; the notice ended it.
            while (at < size && text.at(at) != '\r' && text.at(at) != '\n')
                ++at;
            cut = true;
            if (at == size)
                break;
            m_cuttingLine = false;
            at += text.at(at) == '\r' && at + 1 < size && text.at(at + 1) == '\n' ? 2 : 1;
            from = at;
            column = 0;
            continue;
        }
        qsizetype lineEnd = at;
        while (lineEnd < size && text.at(lineEnd) != '\r' && text.at(lineEnd) != '\n')
            ++lineEnd;
        if (column + (lineEnd - at) > MaxLineLength) {
            const qsizetype keep = std::max<qsizetype>(0, MaxLineLength - column);
            shown += QByteArrayView(text).sliced(from, at + keep - from);
            shown += notice;
            cut = true;
            m_cuttingLine = true;
            at += keep;
            continue;
        }
        column += lineEnd - at;
        at = lineEnd;
        if (at < size) {
            at += text.at(at) == '\r' && at + 1 < size && text.at(at + 1) == '\n' ? 2 : 1;
            column = 0;
        }
    }
    if (!cut && !m_cuttingLine)
        return text;
    if (!m_cuttingLine)
        shown += QByteArrayView(text).sliced(from);
    return shown;
}

int TDispAnsi::run(const QByteArray &text, UserListOutput *list)
{
    m_lastError.clear();
    ChatOutput &view = output();
    view.beginChanges();
    const int code = Render(*this, view, list, SoundsOn).run(text);
    view.endChanges();
    return code;
}

QByteArray TDispAnsi::ChatSoundName(const QByteArray &text)
{
    QByteArray name = TextAfter(TextAfter(text, '}'), '>');
    name = TextAfter(StripLeadingCodes(name), '#');
    return TextBeforeText(name, kEnd);
}

bool TDispAnsi::IsPlainFileName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > MaxFileNameBytes || name.startsWith('-')
        || name.startsWith('.') || name.contains(".."))
        return false;
    for (const char byte : name) {
        const auto u = static_cast<unsigned char>(byte);
        if (u < 0x20 || u == 0x7f || byte == '/' || byte == '\\')
            return false;
    }
    return true;
}

UserListRow TDispAnsi::ParseUserListLine(const QByteArray &line)
{
    UserListRow row;
    row.caption = TextBefore(line, '=');
    const QByteArray afterCaption = TextAfter(line, '=');
    row.image = LenientNumber(TextBefore(afterCaption, ';'));
    const QByteArray afterImage = TextAfter(afterCaption, ';');
    row.state = LenientNumber(TextBefore(afterImage, ';'));
    const QByteArray rest = TextAfter(afterImage, ';');
    if (line.contains('|')) {
        row.hasSecondColumn = true;
        row.secondColumn = TextBefore(TextAfter(line, '|'), '|');
        row.data = LenientNumber(TextBefore(rest, '{'));
    } else {
        row.data = LenientNumber(rest);
    }
    return row;
}

QList<QByteArray> TDispAnsi::SplitLines(const QByteArray &block)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < block.size(); ++i) {
        const char c = block.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(block.mid(start, i - start));
        if (c == '\r' && i + 1 < block.size() && block.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < block.size())
        lines.append(block.mid(start));
    return lines;
}

void TDispAnsi::RefillUserList(UserListOutput &list, const QList<QByteArray> &lines)
{
    list.beginUpdate();
    if (lines.size() != list.rowCount()) {
        list.clearRows();
        for (const QByteArray &line : lines)
            if (!line.isEmpty())
                list.addRow(ParseUserListLine(line));
    } else {
        for (int i = 0; i < lines.size(); ++i)
            if (!lines.at(i).isEmpty())
                list.updateRow(i, ParseUserListLine(lines.at(i)));
    }
    list.endUpdate();
}
