#pragma once

// A menu frame of the lobby's top panel (the games menu, the chat-room
// menu) as the lobby connection sees it: the lobby server names a port and
// the frame opens its own connection to the menu server there.

class MenuFrame
{
public:
    virtual ~MenuFrame() = default;
    // Opens the frame's connection on `port` of the current server.
    virtual void OpenMenu(int port) = 0;
};
