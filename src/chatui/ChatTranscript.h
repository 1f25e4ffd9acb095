#pragma once

// A chat output kept in memory: the text as runs of equal attributes. It
// lets the renderer run without a window (tests, headless tools) and shows
// exactly which attributes each piece of text got.

#include <QList>

#include "ChatOutput.h"

class ChatTranscript : public ChatOutput
{
public:
    struct Run
    {
        QByteArray text;   // line breaks as LF
        ChatStyle style;
        friend bool operator==(const Run &, const Run &) = default;
    };

    ChatTranscript();

    // Runs in order, neighbours with equal attributes joined.
    const QList<Run> &runs() const { return m_runs; }
    QByteArray plainText() const;
    // Stands for a user who clicked into the text: the caret leaves the end.
    void moveCaretAway() { m_caretAway = true; }
    void setFontColor(TColor color) { m_fontColor = color; }

    ChatStyle insertionStyle() const override { return m_style; }
    void setInsertionStyle(const ChatStyle &style) override { m_style = style; }
    TColor fontColor() const override { return m_fontColor; }
    bool caretAtEnd() const override { return !m_caretAway; }
    void moveCaretToEnd() override { m_caretAway = false; }
    int caretColumn() const override { return m_column; }
    void insertText(const QByteArray &text) override;
    int lineCount() const override;
    void deleteFirstLine() override;

private:
    void recountColumn();

    QList<Run> m_runs;
    ChatStyle m_style;
    TColor m_fontColor = TColors::Black;
    bool m_caretAway = false;
    int m_breaks = 0;
    int m_column = 0;
};

QDebug operator<<(QDebug debug, const ChatTranscript::Run &run);
char *toString(const ChatTranscript::Run &run);
