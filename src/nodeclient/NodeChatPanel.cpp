#include "NodeChatPanel.h"

#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <QUrl>

#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatPanelRules.h"
#include "ChatSession.h"
#include "Cp1252.h"
#include "NodeColours.h"
#include "NodeSession.h"
#include "NodeSettings.h"
#include "PlatformChatHost.h"
#include "ProtocolMarkers.h"
#include "ServerNames.h"
#include "StatusPanel.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "WorkQueue.h"
#include "uRichEditWithLinks.h"

NodeChatPanel::NodeChatPanel(QWidget *window, NodeSession &session, const Views &views,
                             QTcpSocket *socket, WorkQueue *work,
                             std::unique_ptr<PlatformChatHost> host)
    : UrlOpener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
    , m_window(window)
    , m_session(session)
    , m_views(views)
    , m_socket(socket)
    , m_work(work)
    , m_host(std::move(host))
    , m_chatSession(std::make_unique<ChatSession>(m_host.get()))
    , m_chat(std::make_unique<TDispAnsi>(*m_chatSession))
{
    m_chat->Attach(views.view, views.list, views.status);
    m_chat->SoundsOn = true;
}

NodeChatPanel::~NodeChatPanel() = default;

void NodeChatPanel::TakeSession()
{
    m_chatSession->UserName = m_session.UserName;
    m_chatSession->Password = m_session.Password;
    m_chatSession->MediaFolder = m_session.MediaDir;
}

void NodeChatPanel::ApplyAppearance(const NodeSettings &settings)
{
    const TColor winColor = m_session.ReadAppearance(settings);
    m_session.DarkBackground = NodeColours::Apply(
        {m_views.input, m_views.view, m_views.list, m_views.listHeader}, *m_chatSession, winColor,
        m_session.TextColour, m_session.ChatFontName, m_session.ChatFontSize);
}

bool NodeChatPanel::Send(const QByteArray &bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState || bytes.isEmpty())
        return false;
    return m_socket->write(bytes) == bytes.size();
}

void NodeChatPanel::Show(const QByteArray &text)
{
    // A log that cannot be written fails the call after the text is shown;
    // the window goes on.
    if (m_work)
        m_work->post(m_chat->DispatchJob(text));
}

void NodeChatPanel::Note(const QString &text)
{
    Show("\033[4" + InertChatText(ProtocolBytes(text)) + "\r\n\033]");
}

bool NodeChatPanel::SendTypedLine(const QByteArray &lead, bool mayChat)
{
    const QByteArray text = ChatPanel::ChatText(m_views.input->toPlainText());
    const bool goes = !text.isEmpty() && mayChat;
    if (goes)
        Send(m_session.ChatMessage(text, lead));
    m_views.input->clear();
    return goes;
}

void NodeChatPanel::WhereIs(const QList<QByteArray> &selected,
                            const std::function<QByteArray(const QByteArray &caption)> &request)
{
    if (!selected.isEmpty())
        Send(request(selected.first()));
    m_views.input->setFocus();
}

void NodeChatPanel::Whisper(const QList<QByteArray> &selected, bool mayChat)
{
    if (!selected.isEmpty()) {
        const QByteArray text = ChatBytes(m_views.input->toPlainText()).replace("\n", "\r\n");
        if (mayChat) {
            for (const QByteArray &message : m_session.WhisperMessages(selected, text))
                Send(message);
        }
        m_views.input->clear();
    }
    m_views.input->setFocus();
}

bool NodeChatPanel::askPassword(const QString &title, QString *typed)
{
    return UserDialogs::current().askText(m_window, title, QStringLiteral(" Enter Password :"),
                                          typed, UserDialogs::Echo::Password);
}

void NodeChatPanel::AnswerPasswordRequest()
{
    // One password dialog at a time, and none for a while after a cancel.
    if (closing() || !m_passwordGate.tryOpen())
        return;
    QString typed;
    const bool ok = askPassword(QStringLiteral("Security"), &typed);
    m_passwordGate.done(!ok);
    // A window that closed meanwhile sends nothing.
    if (!closing())
        Send(Marker::PasswordMarker + (ok ? ProtocolBytes(typed) : QByteArray()));
}

void NodeChatPanel::AskLockPassword(bool cancelSendsMarker)
{
    if (closing() || !m_passwordGate.tryOpen(false))
        return;
    QString typed;
    const bool ok = askPassword(QStringLiteral("Room Security"), &typed);
    // The user's own cancel keeps no server request away.
    m_passwordGate.done(false);
    if (closing() || (!ok && !cancelSendsMarker))
        return;
    Send(Marker::PasswordMarker + (ok ? ProtocolBytes(typed) : QByteArray()));
}

void NodeChatPanel::OpenLink(const QByteArray &link)
{
    const QUrl url = ChatPanel::SafeLinkUrl(link);
    if (url.isValid() && UrlOpener && UrlOpener(url))
        return;
    UserDialogs::current().message(m_window, QString(), ChatPanel::LinkFailureText(link));
}
