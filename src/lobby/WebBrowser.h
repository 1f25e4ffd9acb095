#pragma once

// The Browse page's web view with the rules it runs under: its own
// off-the-record profile (nothing of it reaches the disk, and the user's
// other browser data is never read), no plug-ins, no local-file access, no
// permissions granted, only http and https loaded. Links that are lobby
// commands or addresses the view refuses are caught as the user clicks them;
// downloads are handed on, never saved by the engine.

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEngineView>

class QWebChannel;
class QWebEngineNavigationRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWidget;

class TWebBrowser : public QObject
{
    Q_OBJECT
public:
    // What Chromium needs on this machine; runs before the first view.
    static void PrepareProcess();

    explicit TWebBrowser(QWidget *viewParent);
    ~TWebBrowser() override;

    QWebEngineView *view() const { return m_view; }
    QWebEnginePage *page() const { return m_page; }
    QWebEngineProfile *profile() const { return m_profile; }

    void load(const QUrl &url);

    // Called from the page's isolated script world only, for a click the
    // user made on a link that is not a web address.
    Q_INVOKABLE void linkClicked(const QString &href);

signals:
    void lobbyLink(const QString &href);
    // An address the user asked for and the view does not open.
    void refused(const QString &address);
    void downloadAsked(const QUrl &url, const QString &suggestedName);

private:
    void judgeNavigation(QWebEngineNavigationRequest &request);
    void refuseLater(const QString &address);

    QWebEngineProfile *m_profile = nullptr;
    QWebEnginePage *m_page = nullptr;
    QPointer<QWebEngineView> m_view;
    QWebChannel *m_channel = nullptr;
    bool m_refusalPending = false;
};
