#pragma once

// The chat view of every program: read-only rich text whose link-marked
// runs are clickable. The chat renderer decides what is a link and inserts
// it with SetLinkFormat(true); this view only carries the mark, shows the
// pointing hand over links and reports a left press on one through
// OnHyperlinkClicked with the whole marked run. Text that merely looks like
// an address is not a link here.

#include <QTextCharFormat>
#include <QTextEdit>

#include <functional>

#include "ChatOutput.h"

class TRichEditURL : public QTextEdit, public ChatOutput
{
    Q_OBJECT
    Q_PROPERTY(bool ShowSelectionBar READ ShowSelectionBar WRITE SetShowSelectionBar)

public:
    // cpMin..cpMax are document positions (cpMax excluded); lpstrText is the
    // run's text as protocol bytes.
    using TLinkClicked =
        std::function<void(QObject *Sender, int cpMin, int cpMax, const QByteArray &lpstrText)>;

    explicit TRichEditURL(QWidget *parent = nullptr);
    ~TRichEditURL() override;

    TLinkClicked OnHyperlinkClicked;

    // A left margin in which a click selects the whole line.
    bool ShowSelectionBar() const { return m_showSelectionBar; }
    void SetShowSelectionBar(bool show);
    int selectionBarWidth() const;

    // The link run under a point of the viewport: {cpMin, cpMax}, or
    // {-1, -1} when the point is not over link text.
    QPair<int, int> linkRangeAt(const QPoint &viewportPos) const;
    QByteArray textRange(int cpMin, int cpMax) const;

    void setFontColor(TColor color);

    // The pointer over plain text: a text beam by default; views that show
    // chat rather than invite selecting it use the arrow.
    void setTextPointer(Qt::CursorShape shape);

    // ChatOutput
    ChatStyle insertionStyle() const override { return m_style; }
    void setInsertionStyle(const ChatStyle &style) override { m_style = style; }
    TColor fontColor() const override { return m_fontColor; }
    bool caretAtEnd() const override;
    void moveCaretToEnd() override;
    int caretColumn() const override;
    void insertText(const QByteArray &text) override;
    int lineCount() const override;
    void deleteFirstLine() override;
    void beginChanges() override;
    void endChanges() override;

protected:
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const QTextCharFormat &formatFor(const ChatStyle &style);
    bool inSelectionBar(const QPoint &viewportPos) const;
    void selectLineAt(const QPoint &viewportPos);
    void updatePointer(const QPoint &viewportPos);
    void flushPending();

    // `shown` with break hints in runs without a blank; `lastBreak`: its last line break.
    QString withBreakHints(const QString &shown, qsizetype lastBreak);
    struct PendingRun
    {
        QString text;
        QTextCharFormat format;
    };

    ChatStyle m_style;
    TColor m_fontColor;
    bool m_showSelectionBar = false;
    Qt::CursorShape m_textPointer = Qt::IBeamCursor;
    int m_changes = 0;
    bool m_wasAtBottom = false;
    bool m_repaintWasOn = false;
    QList<PendingRun> m_pending;
    int m_pendingBreaks = 0;
    int m_pendingTail = 0;   // characters after the last pending line break
    // Break hints (see insertText) are not counted as columns: those in the
    // document's last line, and those pending after the last pending break.
    int m_hintsInLastLine = 0;
    int m_hintsPending = 0;
    int m_unbrokenRun = 0;   // characters since the last blank or line break
    ChatStyle m_formatStyle;
    QTextCharFormat m_format;
    bool m_formatValid = false;
};
