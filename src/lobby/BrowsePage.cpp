#include "BrowsePage.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "BrowseRules.h"
#include "ByteText.h"

#ifdef VANTORA_WEB_VIEW
#include <QAction>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "WebBrowser.h"
#endif

namespace {

QPushButton *pageButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

bool TBrowsePage::HasWebView()
{
#ifdef VANTORA_WEB_VIEW
    return true;
#else
    return false;
#endif
}

TBrowsePage::TBrowsePage(BrowseHost &host, QWidget *parent)
    : QWidget(parent)
    , m_host(host)
{
    setObjectName(QStringLiteral("BrowsePage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *bar = new QHBoxLayout;
    btnBack = pageButton(QStringLiteral("btnBack"), QStringLiteral("Back"), this);
    btnForward = pageButton(QStringLiteral("btnForward"), QStringLiteral("Forward"), this);
    btnStopBrowse = pageButton(QStringLiteral("btnStopBrowse"), QStringLiteral("Stop"), this);
    btnRefreshBrowse = pageButton(QStringLiteral("btnRefreshBrowse"), QStringLiteral("Refresh"), this);
    btnHome = pageButton(QStringLiteral("btnHome"), QStringLiteral("Home"), this);
    Edit6 = new QLineEdit(this);
    Edit6->setObjectName(QStringLiteral("Edit6"));
    btnGo = pageButton(QStringLiteral("btnGo"), QStringLiteral("GO"), this);
    // Nothing to go back to, stop or load again until a page is there.
    for (QPushButton *b : {btnBack, btnForward, btnStopBrowse, btnRefreshBrowse})
        b->setEnabled(false);
    for (QPushButton *b : {btnBack, btnForward, btnStopBrowse, btnRefreshBrowse, btnHome})
        bar->addWidget(b);
    bar->addWidget(Edit6, 1);
    bar->addWidget(btnGo);
    layout->addLayout(bar);
    BrowseTitle = new QLabel(this);
    BrowseTitle->setObjectName(QStringLiteral("BrowseTitle"));
    BrowseTitle->setTextFormat(Qt::PlainText);
    layout->addWidget(BrowseTitle);

    if (!HasWebView()) {
        BrowseNotice = new QLabel(QStringLiteral("Browsing is not available in this build. "
                                                 "\"GO\" opens the address in your web browser."),
                                  this);
        BrowseNotice->setObjectName(QStringLiteral("BrowseNotice"));
        BrowseNotice->setAlignment(Qt::AlignCenter);
        BrowseNotice->setWordWrap(true);
        layout->addWidget(BrowseNotice, 1);
    } else {
        // The view takes this place when it is made.
        layout->addStretch(1);
    }

    connect(btnGo, &QPushButton::clicked, this, &TBrowsePage::Go);
    connect(Edit6, &QLineEdit::returnPressed, this, &TBrowsePage::Go);
    connect(btnHome, &QPushButton::clicked, this, &TBrowsePage::Home);
#ifdef VANTORA_WEB_VIEW
    connect(btnBack, &QPushButton::clicked, this, [this] { m_browser->page()->triggerAction(QWebEnginePage::Back); });
    connect(btnForward, &QPushButton::clicked, this, [this] { m_browser->page()->triggerAction(QWebEnginePage::Forward); });
    connect(btnStopBrowse, &QPushButton::clicked, this, [this] {
        m_stopping = true;
        m_browser->page()->triggerAction(QWebEnginePage::Stop);
    });
    connect(btnRefreshBrowse, &QPushButton::clicked, this, [this] { m_browser->page()->triggerAction(QWebEnginePage::Reload); });
#endif
}

TBrowsePage::~TBrowsePage() = default;

void TBrowsePage::Shown()
{
    if (!Edit6->text().isEmpty())
        return;
    if (HasWebView())
        Home();
    else
        Edit6->setText(m_host.homeAddress());
}

void TBrowsePage::Go()
{
    Navigate(Edit6->text());
}

void TBrowsePage::Home()
{
    Edit6->setText(m_host.homeAddress());
    if (HasWebView())
        Navigate(Edit6->text());
}

void TBrowsePage::Navigate(const QString &address)
{
    if (address.trimmed().isEmpty())
        return;
    if (BrowseRules::IsLobbyCommand(address)) {
        m_host.lobbyLink(ProtocolBytes(address.trimmed()));
        return;
    }
    const QUrl url = BrowseRules::TypedAddress(address);
    if (!BrowseRules::IsWebAddress(url)) {
        m_host.refuseAddress(address.trimmed());
        return;
    }
#ifdef VANTORA_WEB_VIEW
    browser()->load(url);
#else
    QDesktopServices::openUrl(url);
#endif
}

void TBrowsePage::showLoadStatus(const QString &text)
{
    m_loadStatus = text;
    m_host.setStatus(text);
}

TWebBrowser *TBrowsePage::browser()
{
#ifdef VANTORA_WEB_VIEW
    if (m_browser)
        return m_browser;
    m_browser = new TWebBrowser(this);
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    // In place of the stretch that kept the view's room.
    delete layout->takeAt(layout->count() - 1);
    layout->addWidget(m_browser->view(), 1);

    QWebEnginePage *page = m_browser->page();
    connect(page, &QWebEnginePage::loadStarted, this, [this, page] {
        m_stopping = false;
        btnStopBrowse->setEnabled(true);
        btnRefreshBrowse->setEnabled(true);
        showLoadStatus(QStringLiteral("Opening ") + page->requestedUrl().toString() + QStringLiteral("..."));
    });
    connect(page, &QWebEnginePage::loadProgress, this, [this, page](int percent) {
        if (btnStopBrowse->isEnabled())
            showLoadStatus(QStringLiteral("Loading ") + page->requestedUrl().toString()
                           + QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)"));
    });
    connect(page, &QWebEnginePage::loadFinished, this, [this, page](bool ok) {
        btnStopBrowse->setEnabled(false);
        // The address box shows where the view is now.
        if (!page->url().isEmpty())
            Edit6->setText(page->url().toString());
        if (ok)
            showLoadStatus(QStringLiteral("Done"));
        else if (m_stopping)
            showLoadStatus(QStringLiteral("Stopped"));
        else
            showLoadStatus(QStringLiteral("Could not open ") + page->requestedUrl().toString());
    });
    // The address of the link under the pointer, as browsers show it.
    connect(page, &QWebEnginePage::linkHovered, this,
            [this](const QString &url) { m_host.setStatus(url.isEmpty() ? m_loadStatus : url); });
    connect(page, &QWebEnginePage::titleChanged, BrowseTitle, &QLabel::setText);
    // Back and Forward follow the view's own history.
    const auto follow = [this, page](QWebEnginePage::WebAction action, QPushButton *button) {
        QAction *a = page->action(action);
        connect(a, &QAction::changed, button, [a, button] { button->setEnabled(a->isEnabled()); });
        button->setEnabled(a->isEnabled());
    };
    follow(QWebEnginePage::Back, btnBack);
    follow(QWebEnginePage::Forward, btnForward);
    connect(m_browser, &TWebBrowser::lobbyLink, this,
            [this](const QString &href) { m_host.lobbyLink(ProtocolBytes(href)); });
    connect(m_browser, &TWebBrowser::refused, this,
            [this](const QString &address) { m_host.refuseAddress(address); });
    connect(m_browser, &TWebBrowser::downloadAsked, this,
            [this](const QUrl &url, const QString &name) { m_host.download(url, name); });
#endif
    return m_browser;
}
