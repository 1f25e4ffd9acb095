#pragma once

// The lobby's Browse page: the address box, "GO", "Home", "Back",
// "Forward", "Stop" and "Refresh" over a web view. Built with Qt WebEngine
// the view is embedded and made when first needed (starting the engine is
// heavy); built without it the page says so and "GO" hands web addresses to
// the desktop's browser. What the page cannot decide itself (the home
// address, the lobby's own links, messages, downloads) it asks its host.

#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TWebBrowser;

class BrowseHost
{
public:
    virtual ~BrowseHost() = default;
    virtual QString homeAddress() const = 0;
    // The first status panel.
    virtual void setStatus(const QString &text) = 0;
    // A link on a page written as a lobby command: handled as a chat link.
    virtual void lobbyLink(const QByteArray &link) = 0;
    // An address the page does not open: the lobby's message for a link it
    // cannot open.
    virtual void refuseAddress(const QString &address) = 0;
    // A page started a download; `suggestedName` is the server's name for it.
    virtual void download(const QUrl &url, const QString &suggestedName) = 0;
};

class TBrowsePage : public QWidget
{
    Q_OBJECT
public:
    explicit TBrowsePage(BrowseHost &host, QWidget *parent = nullptr);
    ~TBrowsePage() override;

    // Built with an embedded web view.
    static bool HasWebView();

    QPushButton *btnBack = nullptr;
    QPushButton *btnForward = nullptr;
    QPushButton *btnStopBrowse = nullptr;
    QPushButton *btnRefreshBrowse = nullptr;
    QPushButton *btnHome = nullptr;
    QLineEdit *Edit6 = nullptr;
    QPushButton *btnGo = nullptr;
    QLabel *BrowseTitle = nullptr;      // the title of the page shown
    QLabel *BrowseNotice = nullptr;     // without a web view only

    // The view, once made (nullptr before, and always without a web view).
    TWebBrowser *Browser() const { return m_browser; }

    // The page came into sight: an empty address box goes home.
    void Shown();
    // "GO" and Return: the address in the box.
    void Go();
    void Home();
    void Navigate(const QString &address);

private:
    TWebBrowser *browser();
    void showLoadStatus(const QString &text);

    BrowseHost &m_host;
    TWebBrowser *m_browser = nullptr;
    QString m_loadStatus;     // shown again when the pointer leaves a link
    bool m_stopping = false;  // "Stop" ended the load
};
