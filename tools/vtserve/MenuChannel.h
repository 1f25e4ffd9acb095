#pragma once

// The two menus: the games menu and the chat-room menu, painted for each
// connection with who is where, and the entry a press or a quick launch
// chooses.

#include <QByteArray>
#include <QList>

#include "MenuPainter.h"
#include "ServiceContext.h"

class MenuChannel : public ServicePart
{
public:
    explicit MenuChannel(ServiceContext &context);

    // The login went through: the menu is painted.
    void open(Conn &c);
    void message(Conn &c, const QByteArray &message);
    void repaintMenus(Channel channel);
    QList<MenuEntry> menuEntries(Channel channel) const;
    // The page "/games.htm": the games and rooms with who is in them.
    QByteArray gamesPage() const;

private:
    void paintMenu(Conn &c);
    void chooseEntry(Conn &c, int entry);
};
