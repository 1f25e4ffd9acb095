#pragma once

// Lists the desktop's top-level windows with their titles and class names.
// The suite's own main windows carry their class names ("TLobbyMainForm",
// "TfrmCardamo", ...) so that the lobby can tell which game windows are open.

#include <QList>
#include <QString>

class QWidget;

struct TopLevelWindow
{
    QString title;
    QString className;
    bool operator==(const TopLevelWindow &) const = default;
};

class WindowLister
{
public:
    virtual ~WindowLister() = default;
    virtual QList<TopLevelWindow> topLevelWindows() const = 0;
};

// On X11 the window manager's client list with each window's title and the
// class part of WM_CLASS; on other platforms the main windows of this process.
class DesktopWindowLister : public WindowLister
{
public:
    QList<TopLevelWindow> topLevelWindows() const override;
};

namespace MainWindows {

// Called by each main window of the suite once it exists: on X11 its WM_CLASS
// class becomes `className`, so other programs see it by that name.
void registerWindow(QWidget *window, const QString &className);
// The registered windows of this process that still exist.
QList<TopLevelWindow> ownWindows();

} // namespace MainWindows
