#include "uRichEditWithLinks.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include "ByteText.h"
#include "Cp1252.h"

namespace {

// Chat may ask for any size; beyond this one line would fill the view.
constexpr int kLargestPointSize = 144;
constexpr int kSelectionBarWidth = 10;
// Qt's line breaking looks for a word boundary over the whole of a run that
// has none, once per wrapped line: a 64 KiB run without a blank takes
// seconds to lay out. After this many characters without a blank the view
// puts in an invisible break hint (zero-width space), which makes the same
// run take milliseconds; copied text leaves the hints out.
constexpr int kLongestUnbrokenRun = 256;
constexpr QChar kBreakHint(0x200B);

// Whether the character at a document position carries the link mark.
bool isLinkAt(const QTextDocument *document, int position)
{
    const QTextBlock block = document->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (position >= fragment.position() && position < fragment.position() + fragment.length())
            return fragment.charFormat().isAnchor();
    }
    return false;
}

} // namespace

TRichEditURL::TRichEditURL(QWidget *parent)
    : QTextEdit(parent)
    , m_fontColor(FromQColor(palette().color(QPalette::Text)))
{
    setReadOnly(true);
    // A chat view only grows at the end and drops lines at the top; an undo
    // history would keep every line ever shown.
    setUndoRedoEnabled(false);
    setAcceptRichText(false);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    m_style.color = m_fontColor;
    m_style.fontName = font().family().toLatin1();
    m_style.fontSize = font().pointSize() > 0 ? font().pointSize() : 10;
}

TRichEditURL::~TRichEditURL() = default;

void TRichEditURL::SetShowSelectionBar(bool show)
{
    if (show == m_showSelectionBar)
        return;
    m_showSelectionBar = show;
    QTextFrameFormat format = document()->rootFrame()->frameFormat();
    format.setLeftMargin(show ? kSelectionBarWidth : 0);
    document()->rootFrame()->setFrameFormat(format);
}

int TRichEditURL::selectionBarWidth() const
{
    return m_showSelectionBar ? kSelectionBarWidth : 0;
}

void TRichEditURL::setFontColor(TColor color)
{
    // Text that has not been given a colour of its own follows the view's:
    // otherwise the first line after a change of background would still be
    // written in the colour chosen for the old one.
    if (m_style.color == m_fontColor)
        m_style.color = color;
    m_fontColor = color;
}

void TRichEditURL::setTextPointer(Qt::CursorShape shape)
{
    m_textPointer = shape;
    viewport()->setCursor(shape);
}

QPair<int, int> TRichEditURL::linkRangeAt(const QPoint &viewportPos) const
{
    const QPointF documentPos(viewportPos.x() + horizontalScrollBar()->value(),
                              viewportPos.y() + verticalScrollBar()->value());
    const int position = document()->documentLayout()->hitTest(documentPos, Qt::ExactHit);
    if (position < 0 || !isLinkAt(document(), position))
        return {-1, -1};
    // The marked run never crosses a line break: widen it within the block.
    const QTextBlock block = document()->findBlock(position);
    int from = position;
    int to = position + 1;
    while (from > block.position() && isLinkAt(document(), from - 1))
        --from;
    const int blockEnd = block.position() + block.length() - 1;
    while (to < blockEnd && isLinkAt(document(), to))
        ++to;
    return {from, to};
}

QByteArray TRichEditURL::textRange(int cpMin, int cpMax) const
{
    QTextCursor cursor(document());
    cursor.setPosition(cpMin);
    cursor.setPosition(cpMax, QTextCursor::KeepAnchor);
    return ChatBytes(cursor.selectedText().remove(kBreakHint));
}

const QTextCharFormat &TRichEditURL::formatFor(const ChatStyle &style)
{
    if (m_formatValid && m_formatStyle == style)
        return m_format;
    QTextCharFormat format;
    // Links come in the renderer's blue; on a dark view that blue is lightened
    // as far as it takes to be read (other text is left as the server chose).
    const QColor colour = ToQColor(style.color);
    format.setForeground(style.link ? ReadableOn(colour, palette().color(QPalette::Base))
                                    : colour);
    if (!style.fontName.isEmpty())
        format.setFontFamilies(QStringList{QString::fromLatin1(style.fontName)});
    if (style.fontSize > 0)
        format.setFontPointSize(std::min(style.fontSize, kLargestPointSize));
    format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(style.italic);
    format.setFontUnderline(style.underline);
    format.setAnchor(style.link);
    m_format = format;
    m_formatStyle = style;
    m_formatValid = true;
    return m_format;
}

bool TRichEditURL::caretAtEnd() const
{
    const QTextCursor cursor = textCursor();
    return cursor.atEnd() && !cursor.hasSelection();
}

void TRichEditURL::moveCaretToEnd()
{
    if (caretAtEnd())
        return;
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
}

int TRichEditURL::caretColumn() const
{
    if (m_pendingBreaks > 0)
        return m_pendingTail;
    return std::max(0, document()->lastBlock().length() - 1 - m_hintsInLastLine) + m_pendingTail;
}

// Runs inserted during a rendering call wait here and go into the document
// together, so that the last paragraph is laid out once per call rather
// than once per run.
void TRichEditURL::insertText(const QByteArray &text)
{
    if (text.isEmpty())
        return;
    const QByteArray unified = UnifyLineBreaks(text);
    const QString shown = ChatText(unified);
    QTextCharFormat format = formatFor(m_style);
    // The link keeps its bytes, which is what a click hands on.
    if (m_style.link)
        format.setAnchorHref(DisplayText(unified));
    const qsizetype lastBreak = shown.lastIndexOf(QLatin1Char('\n'));
    if (lastBreak >= 0) {
        m_pendingBreaks += int(shown.count(QLatin1Char('\n')));
        m_pendingTail = int(shown.size() - lastBreak - 1);
        m_hintsPending = 0;
    } else {
        m_pendingTail += int(shown.size());
    }
    m_pending.append({withBreakHints(shown, lastBreak), format});
    if (m_changes == 0)
        flushPending();
}

QString TRichEditURL::withBreakHints(const QString &shown, qsizetype lastBreak)
{
    QString hinted;
    qsizetype taken = 0;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QChar c = shown.at(i);
        if (c == QLatin1Char(' ') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) {
            m_unbrokenRun = 0;
            continue;
        }
        if (++m_unbrokenRun <= kLongestUnbrokenRun || m_style.link)
            continue;
        hinted += QStringView(shown).sliced(taken, i - taken);
        hinted += kBreakHint;
        taken = i;
        m_unbrokenRun = 1;
        if (i > lastBreak)
            ++m_hintsPending;
    }
    if (taken == 0)
        return shown;
    hinted += QStringView(shown).sliced(taken);
    return hinted;
}

void TRichEditURL::flushPending()
{
    if (m_pending.isEmpty())
        return;
    m_hintsInLastLine = m_pendingBreaks > 0 ? m_hintsPending : m_hintsInLastLine + m_hintsPending;
    m_hintsPending = 0;
    const bool atBottom = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const PendingRun &run : std::as_const(m_pending))
        cursor.insertText(run.text, run.format);
    cursor.endEditBlock();
    m_pending.clear();
    m_pendingBreaks = 0;
    m_pendingTail = 0;
    if (m_changes == 0 && atBottom)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int TRichEditURL::lineCount() const
{
    const int blocks = document()->blockCount() + m_pendingBreaks;
    const bool lastEmpty = m_pending.isEmpty() ? document()->lastBlock().length() <= 1
                                               : m_pendingTail == 0 && m_pendingBreaks > 0;
    return lastEmpty ? blocks - 1 : blocks;
}

void TRichEditURL::deleteFirstLine()
{
    flushPending();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::Start);
    if (document()->blockCount() > 1)
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    else
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

// A reader at the bottom keeps seeing the newest text; one who scrolled
// back stays where they are.
void TRichEditURL::beginChanges()
{
    if (m_changes++ > 0)
        return;
    m_wasAtBottom = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    // Repainting waits until the call is done: trimming the top line would
    // otherwise scroll the picture once per line.
    m_repaintWasOn = updatesEnabled();
    if (m_repaintWasOn)
        setUpdatesEnabled(false);
}

void TRichEditURL::endChanges()
{
    if (--m_changes > 0)
        return;
    m_changes = 0;
    flushPending();
    if (m_wasAtBottom)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    if (m_repaintWasOn)
        setUpdatesEnabled(true);
}

bool TRichEditURL::inSelectionBar(const QPoint &viewportPos) const
{
    return m_showSelectionBar
        && viewportPos.x() + horizontalScrollBar()->value() < kSelectionBarWidth;
}

void TRichEditURL::selectLineAt(const QPoint &viewportPos)
{
    const int textLeft = kSelectionBarWidth + int(document()->documentMargin()) + 1;
    QTextCursor cursor = cursorForPosition(QPoint(textLeft, viewportPos.y()));
    cursor.movePosition(QTextCursor::StartOfLine);
    cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    if (cursor.atBlockEnd() && cursor.block().next().isValid())
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TRichEditURL::updatePointer(const QPoint &viewportPos)
{
    Qt::CursorShape shape = m_textPointer;
    if (inSelectionBar(viewportPos))
        shape = Qt::ArrowCursor;
    else if (linkRangeAt(viewportPos).first >= 0)
        shape = Qt::PointingHandCursor;
    if (viewport()->cursor().shape() != shape)
        viewport()->setCursor(shape);
}

void TRichEditURL::changeEvent(QEvent *event)
{
    QTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        m_formatValid = false;
}

void TRichEditURL::mouseMoveEvent(QMouseEvent *event)
{
    QTextEdit::mouseMoveEvent(event);
    updatePointer(event->position().toPoint());
}

void TRichEditURL::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && inSelectionBar(pos)) {
        selectLineAt(pos);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const QPair<int, int> range = linkRangeAt(pos);
        if (range.first >= 0) {
            viewport()->setCursor(Qt::PointingHandCursor);
            if (OnHyperlinkClicked) {
                // The host may close the window that holds this view.
                QPointer<TRichEditURL> alive(this);
                OnHyperlinkClicked(this, range.first, range.second,
                                   textRange(range.first, range.second));
                if (!alive)
                    return;
            }
        }
    }
    QTextEdit::mousePressEvent(event);
}
