#include "SlidePanel.h"

#include <QSplitter>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int SlideTickMs = 5;

} // namespace

SlidePanel::SlidePanel(QSplitter *splitter, QWidget *panel, QWidget *pageArea, QWidget *chatArea,
                       QObject *parent)
    : QObject(parent)
    , m_splitter(splitter)
    , m_panel(panel)
    , m_pageArea(pageArea)
    , m_chatArea(chatArea)
{
    m_timer.setInterval(SlideTickMs);
    connect(&m_timer, &QTimer::timeout, this, &SlidePanel::step);
    connect(m_splitter, &QSplitter::splitterMoved, this, &SlidePanel::moved);
}

bool SlidePanel::isOpen() const
{
    return m_pageArea->isVisible() || m_target > ClosedHeight;
}

void SlidePanel::holdClosed()
{
    m_pageArea->hide();
    hold(ClosedHeight);
}

void SlidePanel::open(Kind kind, std::function<void()> done)
{
    m_kind = kind;
    // The chat area's height is measured as it is with the panel closed:
    // the open panel takes its room from the chat area, so the height it
    // shows now depends on the page shown before.
    const int chatHeight = m_chatArea->height() + m_panel->height() - ClosedHeight;
    // A height the user dragged the border to stays for the pages of its
    // kind, as far as the window has room for it now.
    const int dragged = kind == Kind::Preferences ? m_draggedPreferences : m_draggedPage;
    const int room = m_splitter->height() - m_splitter->handleWidth()
        - m_splitter->widget(1)->minimumSizeHint().height();
    if (dragged > 0 && room >= LeastOpenHeight)
        m_target = std::clamp(dragged, LeastOpenHeight, room);
    else
        m_target = kind == Kind::Preferences ? PreferencesHeight
                                             : std::max(ClosedHeight + 1, chatHeight - chatHeight / 4);
    hold(m_panel->height());
    m_done.push_back([this, done = std::move(done)] {
        // A close asked for while the panel was still opening wins.
        if (m_target > ClosedHeight) {
            m_pageArea->show();
            release();
        }
        if (done)
            done();
    });
    m_timer.start();
}

void SlidePanel::close(std::function<void()> done)
{
    m_pageArea->hide();
    m_target = ClosedHeight;
    hold(m_panel->height());
    m_done.push_back(std::move(done));
    m_timer.start();
}

void SlidePanel::stop()
{
    m_timer.stop();
    m_done.clear();
}

void SlidePanel::step()
{
    const int current = m_panel->height();
    const int distance = m_target - current;
    if (distance == 0) {
        m_timer.stop();
        auto done = std::move(m_done);
        m_done.clear();
        for (auto &next : done)
            if (next)
                next();
        return;
    }
    // Ten pixels a step, one pixel a step for the last ten.
    const int stepSize = std::abs(distance) > 10 ? 10 : 1;
    hold(current + (distance > 0 ? stepSize : -stepSize));
}

void SlidePanel::hold(int height)
{
    // While it slides, and while it is closed, the panel has the height
    // the slide gives it; the border cannot be dragged.
    m_panel->setFixedHeight(height);
    // The splitter lays its widgets out from the sizes it was given last,
    // whatever their limits: it is given the new one.
    const QList<int> sizes = m_splitter->sizes();
    const int shared = sizes.value(0) + sizes.value(1);
    if (shared > height)
        m_splitter->setSizes({height, shared - height});
    m_splitter->handle(1)->setEnabled(false);
    m_splitter->handle(1)->setCursor(Qt::ArrowCursor);
}

void SlidePanel::release()
{
    m_panel->setMinimumHeight(std::min(LeastOpenHeight, m_panel->height()));
    m_panel->setMaximumHeight(QWIDGETSIZE_MAX);
    m_splitter->handle(1)->setEnabled(true);
    m_splitter->handle(1)->setCursor(Qt::SplitVCursor);
}

void SlidePanel::moved()
{
    if (!m_pageArea->isVisible() || moving())
        return;
    const int height = m_splitter->sizes().value(0);
    if (m_kind == Kind::Preferences)
        m_draggedPreferences = height;
    else
        m_draggedPage = height;
}
