#pragma once

// The icon in the desktop's notification area with the menu "&Show" / "E&xit".
// The owner decides what the two commands do.

#include <QObject>
#include <QIcon>

class QAction;
class QMenu;
class QSystemTrayIcon;

class TTrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TTrayIcon(QObject *parent = nullptr);
    ~TTrayIcon() override;

    void setIcon(const QIcon &icon);
    void setToolTip(const QString &tip);
    void show();
    void hide();
    bool isVisible() const;
    // False on desktops without a notification area: a hidden window could
    // not be brought back from there.
    static bool isAvailable();

    QMenu *menu() const { return m_menu; }
    QAction *showAction() const { return m_show; }
    QAction *exitAction() const { return m_exit; }

signals:
    void showRequested();
    void exitRequested();

private:
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_show = nullptr;
    QAction *m_exit = nullptr;
};
