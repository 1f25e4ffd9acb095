// The lobby window's side of the games and chat-room menus: the two menu
// frames on their pages, the engine they share, what opening a page does,
// switching servers, and the links the user clicks in the chat view.

#include "LobbyMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "Ansi.h"
#include "AppInfo.h"
#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatPanelRules.h"
#include "DesktopEffects.h"
#include "GameMenuFrame.h"
#include "LobbyDispatch.h"
#include "LobbyIcons.h"
#include "LobbyMedia.h"
#include "ServerNames.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"
#include "_Globals.h"

namespace {

const QByteArray MovieLink = QByteArrayLiteral("\\Movie");
const QByteArray SwitchServerLink = QByteArrayLiteral("\\SwitchServer");
const QByteArray QuickLaunchLink = QByteArrayLiteral("\\QuickLaunch");

// A quick launch looks this often for its menu, this many times.
constexpr int LookEveryMs = 50;
constexpr int MostLooks = 501;
// Between the menu coming up and the choice being sent.
constexpr int ChoiceDelayMs = 500;

// The window as the menu frames' lobby.
class WindowMenuLobby : public GamesFrameLobby
{
public:
    explicit WindowMenuLobby(TLobbyMainForm &form)
        : m_form(form)
    {
    }

    QString serverName() const override { return m_form.ComboBox3->currentText(); }
    QString userName() const override { return m_form.UserName(); }
    QString password() const override { return m_form.Password(); }
    QString lobbyDir() const override { return m_form.LobbyDir; }
    void setStatus(const QString &text) override { m_form.SetStatus(text); }
    void switchServer(const QString &host, int port) override { m_form.SwitchServer(host, port); }
    void chatNote(const QString &text) override { m_form.ChatNote(text); }
    void menuDropped() override
    {
        if (m_form.SlideIsOpen())
            m_form.CloseSlide();
    }
    QPixmap buttonGlyph(int image) const override
    {
        const QList<QIcon> &icons = LobbyIcons();
        return image >= 0 && image < icons.size() ? icons.at(image).pixmap(16, 16) : QPixmap();
    }
    bool smallScreen() const override
    {
        const QScreen *shown = m_form.screen() ? m_form.screen() : QGuiApplication::primaryScreen();
        return m_form.cbScaleLowRes->isChecked() && shown && shown->size().width() < 1024;
    }

private:
    TLobbyMainForm &m_form;
};

void PutFrameOnPage(QWidget *page, TGamesFrame *frame)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
}

} // namespace

void TLobbyMainForm::WireMenus()
{
    m_engine = std::make_unique<TAnsi>();
    DesktopEffects::Install(*m_engine);
    m_engine->OnFailure = [](const QString &message) {
        qWarning("Menu screen not understood: %s", qPrintable(message));
    };
    m_menuLobby = std::make_unique<WindowMenuLobby>(*this);
    GamesFrame1 = new TGamesFrame(*m_menuLobby, PageControl1->widget(GamesPage));
    GamesFrame1->setObjectName(QStringLiteral("GamesFrame1"));
    PutFrameOnPage(PageControl1->widget(GamesPage), GamesFrame1);
    GamesFrame2 = new TGamesFrame(*m_menuLobby, PageControl1->widget(ParlorasPage));
    GamesFrame2->setObjectName(QStringLiteral("GamesFrame2"));
    PutFrameOnPage(PageControl1->widget(ParlorasPage), GamesFrame2);

    UrlOpener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    Memo2->OnHyperlinkClicked = [this](QObject *, int, int, const QByteArray &text) {
        Memo2LinkClick(text);
    };
}

void TLobbyMainForm::AttachMenuFrame(TGamesFrame *frame)
{
    TGamesFrame *other = frame == GamesFrame1 ? GamesFrame2 : GamesFrame1;
    other->DetachEngine();
    frame->AttachEngine(m_engine.get());
    frame->ClearMenu();
}

void TLobbyMainForm::MenuPageOpened(int page)
{
    if (!GamesFrame1 || !GamesFrame2)
        return;
    if (page != GamesPage && page != ParlorasPage) {
        CloseMenus();
        return;
    }
    TGamesFrame *frame = page == GamesPage ? GamesFrame1 : GamesFrame2;
    TGamesFrame *other = page == GamesPage ? GamesFrame2 : GamesFrame1;
    other->CloseMenu();
    AttachMenuFrame(frame);
    SendRaw(page == GamesPage ? LobbyMenuCommand::Games : LobbyMenuCommand::Rooms);
    SetStatus(QStringLiteral("Connecting..."));
}

void TLobbyMainForm::CloseMenus()
{
    if (GamesFrame1)
        GamesFrame1->CloseMenu();
    if (GamesFrame2)
        GamesFrame2->CloseMenu();
}

bool TLobbyMainForm::mayLeaveFor(const QString &host)
{
    if (!IsHostName(host)) {
        ChatNote(QStringLiteral("Switch refused: the server named no host name: ")
                 + DisplayText(InertChatText(ProtocolBytes(host.left(80)))));
        return false;
    }
    const QString current = ComboBox3->currentText().trimmed().toLower();
    const QString wanted = host.toLower();
    if (wanted == current || m_switchAllowed.contains(wanted))
        return true;
    // One question at a time; a server that asks again meanwhile is ignored.
    if (m_switchAsking)
        return false;
    m_switchAsking = true;
    const bool yes = UserDialogs::current().confirm(
        this, ApplicationTitle(), QStringLiteral("Switch to server ") + host + QStringLiteral("?"));
    m_switchAsking = false;
    if (!yes) {
        ChatNote(QStringLiteral("Switch to server ") + host + QStringLiteral(" declined."));
        return false;
    }
    // The user was on the current host and agreed to the new one: going
    // back and forth between them asks no more.
    m_switchAllowed.insert(current);
    m_switchAllowed.insert(wanted);
    return true;
}

bool TLobbyMainForm::SwitchServer(const QString &host, int port)
{
    if (!mayLeaveFor(host))
        return false;
    ComboBox3->setEditText(host);
    SpinEdit2->setValue(port);
    btnApplyClick();
    return true;
}

void TLobbyMainForm::ChatNote(const QString &text)
{
    ChatRenderer->Show("\033[4" + InertChatText(ProtocolBytes(text)) + "\r\n\033]");
}

// ---------------------------------------------------------------------------
// Links in the chat view

void TLobbyMainForm::Memo2LinkClick(const QByteArray &link)
{
    if (!RunLink(link))
        LinkFailed(link);
}

void TLobbyMainForm::LinkFailed(const QByteArray &link)
{
    UserDialogs::current().message(this, ApplicationTitle(),
                                   QStringLiteral("Sorry !  Unable to Execute ") + DisplayText(link));
}

bool TLobbyMainForm::RunLink(const QByteArray &link)
{
    if (link.contains(MovieLink)) {
        QString address = Media->MovieURL->text();
        if (link.contains('{')) {
            const QString named = DisplayText(TextBefore(TextAfter(link, '{'), '}'));
            address = TLobbyMedia::PlayableMovie(named, MediaFolder());
            if (address.isEmpty()) {
                ChatNote(QStringLiteral("Movie refused: not a web or stream address, nor a file "
                                        "of the media folder: ")
                         + DisplayText(InertChatText(ProtocolBytes(named.left(120)))));
                return true;
            }
        }
        Media->openVideo(address);
        return true;
    }
    if (link.contains(SwitchServerLink)) {
        const QString host = link.contains('{')
                                 ? DisplayText(TextBefore(TextAfter(link, '{'), '}'))
                                 : ComboBox3->currentText();
        if (!mayLeaveFor(host))
            return true;
        ComboBox3->setEditText(host);
        if (link.contains(':'))
            SpinEdit2->setValue(LenientNumber(TextAfter(link, ':')));
        btnApplyClick();
        const QString server = ComboBox3->currentText();
        if (ComboBox3->findText(server, Qt::MatchExactly) < 0)
            ComboBox3->addItem(server);
        return true;
    }
    if (link.contains(QuickLaunchLink)) {
        QuickLaunch(link);
        return true;
    }
    // Only web, mail and news addresses go to the desktop: a chat line
    // must never make the lobby open a file or start a program.
    const QUrl url = ChatPanel::SafeLinkUrl(link);
    return url.isValid() && UrlOpener && UrlOpener(url);
}

void TLobbyMainForm::LookUntil(std::function<bool()> ready, int looksLeft,
                               std::function<void(bool)> next)
{
    if (ready()) {
        next(true);
        return;
    }
    if (looksLeft <= 1) {
        next(false);
        return;
    }
    Waits::after(LookEveryMs, this,
                 [this, ready = std::move(ready), looksLeft, next = std::move(next)]() mutable {
                     LookUntil(std::move(ready), looksLeft - 1, std::move(next));
                 });
}

void TLobbyMainForm::QuickLaunch(const QByteArray &link)
{
    // One quick launch at a time: a second click waits for nothing.
    if (m_quickLaunching)
        return;
    m_quickLaunching = true;
    const QByteArray choice = QByteArrayLiteral(">") + link.right(1);
    TGamesFrame *frame = GamesFrame1;
    AttachMenuFrame(frame);
    SendRaw(LobbyMenuCommand::Games);
    SetStatus(QStringLiteral("Connecting..."));

    auto finish = [this] {
        m_quickLaunching = false;
        GamesFrame1->CloseMenu();
    };
    LookUntil([frame] { return frame->MenuActive; }, MostLooks,
              [this, frame, choice, finish](bool up) {
                  if (!up) {
                      // No menu came: there is nobody to send the choice to.
                      finish();
                      return;
                  }
                  Waits::after(ChoiceDelayMs, this, [this, frame, choice, finish] {
                      frame->SendMenu(choice);
                      LookUntil([frame] { return frame->MenuActed; }, MostLooks,
                                [finish](bool) { finish(); });
                  });
              });
}
