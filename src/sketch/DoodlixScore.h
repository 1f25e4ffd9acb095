#pragma once

// The score window of the sketch game: a small window that stays above the
// others and shows the last score table the server sent, with the current
// round's title as its caption. It is made hidden with the table window
// and lives as long as it; the options menu shows and hides it.

#include <QByteArray>
#include <QWidget>

#include <functional>
#include <memory>

class ChatSession;
class TDispAnsi;
class TRichEditURL;

class TfrmDoodlixScore : public QWidget
{
    Q_OBJECT
public:
    // The table renders with the program's chat session (its colours).
    explicit TfrmDoodlixScore(ChatSession &chat, QWidget *parent = nullptr);
    ~TfrmDoodlixScore() override;

    // Replaces what the window shows with the table (lines of name "=" value).
    void ShowScoreTable(const QByteArray &table);
    // The round's title becomes the caption as it is.
    void SetRoundTitle(const QByteArray &title);
    void ShowHide();

    // Where the window takes its text view's background from when it becomes
    // active (the table window's chat view).
    std::function<QColor()> BackgroundSource;

    TRichEditURL *ScoreMemo = nullptr;

protected:
    void changeEvent(QEvent *event) override;

private:
    void FormActivate();

    std::unique_ptr<TDispAnsi> m_renderer;
};
