#pragma once

// A one-line strip that shows its lines in turn, each entering at the right
// edge and moving left by one step per advance() until it has left the strip.
// The banner never moves by itself: its owner advances it from a timer, so
// a stopped or hidden program spends nothing on it.

#include <QStringList>
#include <QWidget>

class TScrollingBanner : public QWidget
{
    Q_OBJECT
public:
    explicit TScrollingBanner(QWidget *parent = nullptr);

    QStringList lines() const { return m_lines; }
    // Starts over with the first line at the right edge.
    void setLines(const QStringList &lines);
    void setText(const QString &line) { setLines({line}); }

    // Pixels moved per advance (at least 1).
    int step() const { return m_step; }
    void setStep(int pixels);

    // A stopped banner keeps its picture and ignores advance().
    void start();
    void stop();
    bool isRunning() const { return m_running; }

    void advance();

    int currentLine() const { return m_index; }
    // Left edge of the current line's text, in the strip's coordinates.
    int textLeft() const { return m_x; }

    QSize sizeHint() const override;

signals:
    // A new line has entered at the right edge.
    void lineStarted(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int lineWidth(int index) const;

    QStringList m_lines;
    int m_index = 0;
    int m_x = 0;
    int m_step = 2;
    bool m_running = true;
};
