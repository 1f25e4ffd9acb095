#pragma once

// What the Browse page lets through, without a web view: the home address,
// which addresses the view may load, which links belong to the lobby, and
// the name a download from a page may take in the media folder.

#include <QString>
#include <QUrl>

namespace BrowseRules {

// "http://" + host + "/games.htm", with ":" + port when the port is not 80.
QString HomeAddress(const QString &host, int httpPort);

// The view loads only http and https addresses that name a host.
bool IsWebAddress(const QUrl &url);

// A link written as one of the lobby's own commands ("\QuickLaunch3",
// "\SwitchServer{host}:port"): a link that begins with a backslash. The
// lobby takes it as it takes a link clicked in the chat.
bool IsLobbyCommand(const QString &href);

// The address typed into the address box; an address without a scheme is
// taken as a web address ("localhost:8080/games.htm").
QUrl TypedAddress(const QString &text);

enum class Navigation {
    Load,           // a web page, or a frame's own blank document
    Refuse,         // refused, and the user is told
    RefuseQuietly,  // refused without a message: a frame or a script asked
};

// What happens to a navigation the view is about to start. `userAction`:
// the user clicked, typed or submitted; a page's scripts and redirects are
// refused quietly, so a page cannot fill the screen with messages.
Navigation Judge(const QUrl &url, bool mainFrame, bool userAction);

// The name a download from a page is saved under in the media folder: the
// name the server suggests when it is a plain file name (no folder, no "..",
// not hidden), otherwise empty and the download is refused.
QString DownloadName(const QString &suggested);

} // namespace BrowseRules
