#pragma once

// What the chat panel of a node client sends and offers, as plain functions
// over the texts involved: the chat line, the player menu, the whispers, the
// vote menu, the info tips and the player count. The window only wires them
// to its widgets and its connection.
//
// Player-list captions are kept as the server sent them (attribute codes and
// rank mark included); that is what goes back to the server.

#include <QByteArray>
#include <QList>
#include <QString>

#include <QUrl>

#include <optional>

namespace ChatPanel {

// The chat input's text as it is sent: leading empty lines removed, line
// breaks as CR LF, no line end added. Empty when nothing is to be sent.
QByteArray ChatText(const QString &input);

// The player menu for the selected rows' captions (in list order).
struct PlayerMenu
{
    bool whereEnabled = false;
    bool whisperEnabled = false;
    QByteArray whereCaption;     // unchanged when nothing is selected
    QByteArray whisperCaption;
};
// `previous` holds the captions the menu showed last time; with no row
// selected they stay.
PlayerMenu PlayerMenuFor(const QList<QByteArray> &selected, bool inputEmpty,
                         const PlayerMenu &previous = {});

QByteArray WhereIsMessage(const QByteArray &caption);
// One "/msg" line per selected row, in list order.
QList<QByteArray> WhisperMessages(const QList<QByteArray> &selected, const QByteArray &colorPrefix,
                                  const QByteArray &stylePrefix, const QByteArray &text);

// The vote menu's entries, or nothing when the list is empty (the menu then
// keeps what it showed). Rows whose plain name is the user's own (exact
// case) get no "Boot" entry.
std::optional<QList<QByteArray>> VoteEntries(const QList<QByteArray> &rowCaptions,
                                             const QByteArray &userName,
                                             const QString &windowCaption);
// What choosing an entry sends; ampersands in the entry are dropped.
QByteArray VoteMessage(const QByteArray &colorPrefix, const QByteArray &stylePrefix,
                       const QByteArray &entry);

QString RatingTip(int rating);
QString PlayerCountCaption(int rows);

// Links in chat open with the desktop's handler only for these schemes:
// http, https, ftp, mailto and news.
bool IsSafeLink(const QByteArray &link);
// The address a chat link opens: invalid when the link is refused (another
// scheme, or an ftp or news link with a ".." segment or a local path); a
// mailto link loses its attach, attachment and other file-naming
// parameters and keeps the rest.
QUrl SafeLinkUrl(const QByteArray &link);
QString LinkFailureText(const QByteArray &link);

} // namespace ChatPanel
