#pragma once

// The lobby's collapsible top panel: the frame with the page buttons and,
// below them, the page area. It slides open over the chat row (ten pixels
// a step, one pixel for the last ten) and closed again to the button row;
// while open, its lower border is a splitter handle the user may drag, and
// the height dragged to stays for the pages of its kind (Preferences, or
// any other page) while the lobby runs.

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QSplitter;
class QWidget;

class SlidePanel : public QObject
{
    Q_OBJECT
public:
    static constexpr int ClosedHeight = 32;
    static constexpr int PreferencesHeight = 320;
    // The least an open panel can be dragged to: the buttons and a strip of the page.
    static constexpr int LeastOpenHeight = ClosedHeight + 48;

    enum class Kind { Preferences, Page };

    // `splitter` holds `panel` above the chat row; `pageArea` lies in the
    // panel under its buttons and shows only while the panel is open;
    // `chatArea` is the chat view's part of the chat row.
    SlidePanel(QSplitter *splitter, QWidget *panel, QWidget *pageArea, QWidget *chatArea,
               QObject *parent = nullptr);

    bool isOpen() const;
    bool moving() const { return m_timer.isActive(); }
    // The panel closed at once, without sliding.
    void holdClosed();
    // Slides open to the height of a page of `kind`: one the user dragged
    // to, else 320 pixels for Preferences and three quarters of the chat
    // area for the others. `done` runs when the slide ends.
    void open(Kind kind, std::function<void()> done);
    void close(std::function<void()> done);
    // No further steps, and what waited for the end of the slide is dropped
    // (the window is going).
    void stop();

private:
    void step();
    void hold(int height);
    void release();
    void moved();

    QSplitter *m_splitter;
    QWidget *m_panel;
    QWidget *m_pageArea;
    QWidget *m_chatArea;
    QTimer m_timer;
    int m_target = ClosedHeight;
    Kind m_kind = Kind::Page;
    std::vector<std::function<void()>> m_done;
    // Heights the user dragged the open panel to (0: none yet).
    int m_draggedPreferences = 0;
    int m_draggedPage = 0;
};
