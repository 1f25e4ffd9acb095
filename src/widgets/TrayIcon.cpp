#include "TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

TTrayIcon::TTrayIcon(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("TrayIcon1"));
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("TrayMenu"));
    m_show = m_menu->addAction(QStringLiteral("&Show"));
    m_show->setObjectName(QStringLiteral("Show1"));
    m_exit = m_menu->addAction(QStringLiteral("E&xit"));
    m_exit->setObjectName(QStringLiteral("Exit1"));
    connect(m_show, &QAction::triggered, this, &TTrayIcon::showRequested);
    connect(m_exit, &QAction::triggered, this, &TTrayIcon::exitRequested);

    m_tray = new QSystemTrayIcon(this);
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    emit showRequested();
            });
}

TTrayIcon::~TTrayIcon()
{
    delete m_menu;
}

void TTrayIcon::setIcon(const QIcon &icon)
{
    m_tray->setIcon(icon);
}

void TTrayIcon::setToolTip(const QString &tip)
{
    m_tray->setToolTip(tip);
}

void TTrayIcon::show()
{
    m_tray->show();
}

void TTrayIcon::hide()
{
    m_tray->hide();
}

bool TTrayIcon::isVisible() const
{
    return m_tray->isVisible();
}

bool TTrayIcon::isAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
