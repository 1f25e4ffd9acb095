#pragma once

// The chat rooms: who may come in (bans, locks, invitations), the members
// by role, their chat and the moderators' commands.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include "ServiceContext.h"

class RoomChannel : public ServicePart
{
public:
    struct Room {
        RoomConfig config;
        QList<int> members;          // connection ids in order of arrival
        QString host;                // key of the member who runs the room
        QByteArray password;         // empty: not locked
        QByteArray lockedBy;
        QList<QByteArray> history;
        QHash<QString, qint64> invited;   // key -> until
        QHash<QString, qint64> banned;    // key -> until
    };

    explicit RoomChannel(ServiceContext &context);

    int count() const { return int(m_rooms.size()); }
    const Room &room(int index) const { return m_rooms.at(index); }
    void setPort(int index, int port);

    // The login went through: banned, asked for the password, or ready to come in.
    void admit(Conn &c);
    void checkRoomPassword(Conn &c, const QByteArray &password);
    void joinRoom(Conn &c);
    // An active member went.
    void left(const Conn &c);
    void message(Conn &c, const QByteArray &message);
    // Invitations and bans run out.
    void tick(qint64 t);

    QList<QByteArray> roomMembers(int room) const;
    // The account's away state changed in the lobby: its rooms show it.
    void refreshRoomsOf(const QString &key);
    // "/invite name": into the inviter's room, else the public one.
    void invite(Conn &c, const QByteArray &rest);
    // The member of the room of that caption's name.
    Conn *memberOf(int room, const QByteArray &caption);

private:
    void roomChat(Conn &c, const QByteArray &text);
    void roomCommand(Conn &c, const QByteArray &rest);
    void moveMember(Conn &c, Conn &target, RoomRole role);
    void bootFromRoom(Conn &c, Conn &target);
    void lockRoom(Conn &c, const QByteArray &password);
    void sendRoomList(int room);
    void broadcastRoom(int room, const QByteArray &bytes, int except = -1);
    void remember(int room, const QByteArray &line);
    bool isModerator(const Conn &c) const;
    int power(const Conn &c) const;
    QByteArray roomCaption(const Conn &c) const;

    QList<Room> m_rooms;
};
