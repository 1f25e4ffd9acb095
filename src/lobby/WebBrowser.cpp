#include "WebBrowser.h"

#include <QAction>
#include <QFile>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineNavigationRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

#include "BrowseRules.h"

namespace {

// Runs in the page's isolated world, which the page's own scripts cannot
// reach: a click the user made (never one a script faked) on a link that
// is a lobby command or not a web address goes to the lobby instead of the
// engine. The engine would read "\QuickLaunch3" as the address
// "http://quicklaunch3/", and it drops unknown schemes without a word.
const char *const LinkScript = R"JS(
(function () {
    var lobby = null;
    var waiting = [];   // clicks made before the channel was up
    // The channel's transport may come after this script; the clicks are
    // caught from the start all the same.
    // A channel that does not answer (its first message can be lost while
    // the view is still being made) is opened again.
    function connect() {
        if (lobby)
            return;
        if (typeof qt !== 'undefined' && qt.webChannelTransport) {
            new QWebChannel(qt.webChannelTransport, function (channel) {
                if (lobby)
                    return;
                lobby = channel.objects.lobby;
                window.vantoraLobbyReady = true;   // seen in this world only
                waiting.forEach(function (href) { lobby.linkClicked(href); });
                waiting = [];
            });
        }
        setTimeout(connect, 250);
    }
    function caught(event) {
        var target = event.target;
        var link = target && target.closest ? target.closest('a[href], area[href]') : null;
        if (!link)
            return null;
        var href = link.getAttribute('href').trim();
        var scheme = link.protocol;
        if (href.charAt(0) !== '\\'
            && (scheme === 'http:' || scheme === 'https:' || scheme === 'javascript:'))
            return null;
        event.preventDefault();
        event.stopImmediatePropagation();
        return href;
    }
    window.addEventListener('click', function (event) {
        if (!event.isTrusted || event.button !== 0)
            return;
        var href = caught(event);
        if (href === null)
            return;
        if (lobby)
            lobby.linkClicked(href);
        else
            waiting.push(href);
    }, true);
    // A middle click would open the engine's reading of the link elsewhere.
    window.addEventListener('auxclick', function (event) { caught(event); }, true);
    connect();
})();
)JS";

bool UserAction(int type)
{
    return type == QWebEngineNavigationRequest::LinkClickedNavigation
           || type == QWebEngineNavigationRequest::TypedNavigation
           || type == QWebEngineNavigationRequest::FormSubmittedNavigation;
}

} // namespace

void TWebBrowser::PrepareProcess()
{
    // Chromium will not run as root with its sandbox (CI machines and
    // containers run so); everyone else keeps it.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

TWebBrowser::TWebBrowser(QWidget *viewParent)
    : QObject(viewParent)
{
    PrepareProcess();
    // No storage name: off the record, kept in memory only.
    m_profile = new QWebEngineProfile;
    m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_profile->setSpellCheckEnabled(false);
    connect(m_profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest *download) {
                // The engine saves nothing itself; the lobby's transfers fetch it.
                const QUrl url = download->url();
                const QString name = download->suggestedFileName();
                const bool page = download->isSavePageDownload();
                download->cancel();
                if (!page)
                    emit downloadAsked(url, name);
            });

    QWebEngineSettings *s = m_profile->settings();
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    // Unknown schemes are never handed to the desktop.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);

    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    channelScript.open(QIODevice::ReadOnly);
    QWebEngineScript links;
    links.setName(QStringLiteral("VantoraLinks"));
    links.setWorldId(QWebEngineScript::ApplicationWorld);
    links.setInjectionPoint(QWebEngineScript::DocumentCreation);
    links.setRunsOnSubFrames(true);
    links.setSourceCode(QString::fromUtf8(channelScript.readAll()) + QString::fromLatin1(LinkScript));
    m_profile->scripts()->insert(links);

    m_page = new QWebEnginePage(m_profile);
    m_channel = new QWebChannel(m_page);
    m_channel->registerObject(QStringLiteral("lobby"), this);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    connect(m_page, &QWebEnginePage::navigationRequested, this, &TWebBrowser::judgeNavigation);
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &request) {
        // No second window: what the user opens elsewhere opens here.
        if (!request.isUserInitiated())
            return;
        if (BrowseRules::IsWebAddress(request.requestedUrl()))
            m_page->load(request.requestedUrl());
        else
            refuseLater(request.requestedUrl().toString());
    });
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                m_page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(m_page, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(m_page, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    // The context menu keeps to this view.
    for (const QWebEnginePage::WebAction action :
         {QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::SavePage,
          QWebEnginePage::ViewSource, QWebEnginePage::InspectElement,
          QWebEnginePage::DownloadImageToDisk, QWebEnginePage::DownloadMediaToDisk})
        m_page->action(action)->setVisible(false);

    m_view = new QWebEngineView(m_page, viewParent);
    m_view->setObjectName(QStringLiteral("WebBrowser1"));
}

TWebBrowser::~TWebBrowser()
{
    // The view goes before its page and the page before its profile.
    delete m_view.data();
    delete m_page;
    delete m_profile;
}

void TWebBrowser::load(const QUrl &url)
{
    m_page->load(url);
}

void TWebBrowser::linkClicked(const QString &href)
{
    if (BrowseRules::IsLobbyCommand(href))
        emit lobbyLink(href.trimmed());
    else
        refuseLater(href);
}

void TWebBrowser::judgeNavigation(QWebEngineNavigationRequest &request)
{
    switch (BrowseRules::Judge(request.url(), request.isMainFrame(), UserAction(request.navigationType()))) {
    case BrowseRules::Navigation::Load:
        request.accept();
        return;
    case BrowseRules::Navigation::Refuse:
        request.reject();
        refuseLater(request.url().toString());
        return;
    case BrowseRules::Navigation::RefuseQuietly:
        request.reject();
        return;
    }
}

void TWebBrowser::refuseLater(const QString &address)
{
    // The engine is inside its own call here; the message waits for the
    // event loop, and one refusal waiting is enough.
    if (m_refusalPending)
        return;
    m_refusalPending = true;
    QTimer::singleShot(0, this, [this, address] {
        emit refused(address);
        m_refusalPending = false;
    });
}
