// The lobby window's side of the lobby server connection: opening,
// identifying, pausing and re-opening the connection, the lamps and the
// status panel, and the window's answers to what the dispatcher decides.

#include "LobbyMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHostInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTime>

#include <cxxabi.h>
#include <cstdlib>
#include <exception>
#include <typeinfo>

#include "AppInfo.h"
#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "ClientPrograms.h"
#include "GreyMsg.h"
#include "LobbyConnection.h"
#include "LobbyDispatch.h"
#include "WorkQueue.h"
#include "GameMenuFrame.h"
#include "Platform.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "Waits.h"
#include "WhereIsReply.h"
#include "WindowLister.h"
#include "uRichEditWithLinks.h"
#include "_Globals.h"

namespace {

// The window as the dispatcher's host.
class WindowDispatchHost : public LobbyDispatchHost
{
public:
    explicit WindowDispatchHost(TLobbyMainForm &form)
        : m_form(form)
    {
    }

    bool soundOn() const override { return m_form.SoundOn; }
    bool away() const override { return m_form.Away; }
    QByteArray email() const override { return ProtocolBytes(m_form.edEmail->text()); }
    void playEventSound(const QByteArray &label) override { PlayEventSound(label); }
    void blink() override { m_form.Blink(); }
    void receiveLamps() override { m_form.ReceiveLamps(); }
    void sendLamps() override { m_form.SendLamps(); }
    void setStatus(const QString &text) override { m_form.SetStatus(text); }
    void sendRaw(const QByteArray &bytes) override { m_form.SendRaw(bytes); }
    void openMenu(LobbyMenu menu, int port) override
    {
        MenuFrame *frame = menu == LobbyMenu::Games ? m_form.GamesFrame1 : m_form.GamesFrame2;
        if (frame)
            frame->OpenMenu(port);
    }
    void showNotice(const QByteArray &caption, const QByteArray &text) override
    {
        TfrmGreyMsg::ShowBoundedNotice(DisplayText(caption), DisplayText(text), &m_form,
                                       [this](const QString &line) { m_form.ChatNote(line); });
    }
    int renderChunk(const QByteArray &text) override { return m_form.ChatRenderer->Dispatch(text); }
    void renderChunkThen(const QByteArray &text, std::function<void(int code)> then) override
    {
        m_form.workQueue()->post(m_form.ChatRenderer->DispatchJob(text, std::move(then)));
    }
    void selectOwnRow() override { m_form.SelectOwnRow(); }
    void sendWhereIsReply() override { m_form.SendWhereIsReply(); }
    bool acceptInvitation(const QByteArray &inviter) override
    {
        return m_form.AcceptInvitation(inviter);
    }
    void acceptInvitationThen(const QByteArray &inviter, std::function<void(bool yes)> then) override
    {
        m_form.AskInvitation(inviter, [then = std::move(then)] { then(true); });
    }
    void startChatRoom(int port) override { m_form.StartChatRoom(port); }

private:
    TLobbyMainForm &m_form;
};

// The class name of an error, in capitals, as the disconnect notice shows it.
QByteArray ErrorClassName(const std::exception &error)
{
    const char *mangled = typeid(error).name();
    int status = 0;
    char *demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QByteArray name = status == 0 && demangled ? QByteArray(demangled) : QByteArray(mangled);
    std::free(demangled);
    return name.toUpper();
}

QString LongTimeText()
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat);
}

} // namespace

void TLobbyMainForm::buildConnection()
{
    m_dispatchHost = std::make_unique<WindowDispatchHost>(*this);
    m_connection = new LobbyConnection(*m_dispatchHost, {Shape1, Shape2, Shape3}, this);
    ClientSocket = m_connection->socket();
    m_work = m_connection->workQueue();
}

LobbyDispatcher &TLobbyMainForm::Dispatcher() const
{
    return m_connection->dispatcher();
}

void TLobbyMainForm::WireConnection()
{
    connect(ClientSocket, &QTcpSocket::connected, this, &TLobbyMainForm::ClientSocketConnect);
    connect(ClientSocket, &QTcpSocket::disconnected, this, &TLobbyMainForm::ClientSocketDisconnect);
    connect(ClientSocket, &QTcpSocket::errorOccurred, this, &TLobbyMainForm::ClientSocketError);
    connect(bitbtn11, &QPushButton::clicked, this, [this] { BitBtn11Click(); });
    Panel6->installEventFilter(this);
}

// ---------------------------------------------------------------------------
// Opening and identifying

void TLobbyMainForm::FileConnectItemClick()
{
    DeactivateConnection();
    const QString server = ComboBox3->currentText();
    if (!server.isEmpty()) {
        ApplyHostAndPort();
        ConnectSocket();
        SetAway(false);
        Paused = false;
    }
    btnReconnect->setEnabled(true);
    ShowChatView(true);
}

void TLobbyMainForm::ApplyHostAndPort()
{
    DeactivateConnection();
    m_connection->setAddress(ComboBox3->currentText(), SpinEdit2->value());
}

void TLobbyMainForm::ConnectSocket()
{
    m_connection->open();
}

void TLobbyMainForm::ClientSocketConnect()
{
    // The status shows the name the connection was asked for at once, and
    // the name the address resolves to when the lookup answers.
    const QString shown = QStringLiteral("Server: ") + ClientSocket->peerName();
    SetStatus(shown);
    // Counts connections, so a late name lookup never labels a newer one.
    const int number = m_connection->number();
    const QString address = ClientSocket->peerAddress().toString();
    QHostInfo::lookupHost(address, this, [this, number, shown, address](const QHostInfo &info) {
        if (number != m_connection->number() || StatusPanel0->text() != shown)
            return;
        const QString name = info.error() == QHostInfo::NoError && info.hostName() != address
                                 ? info.hostName()
                                 : QString();
        SetStatus(QStringLiteral("Server: ") + name);
    });

    if (m_chatSession->UserName.trimmed().isEmpty()) {
        // Nobody to identify: the lobby ends.
        close();
        return;
    }
    SendRaw(LobbyDispatcher::Identification(m_chatSession->UserName, m_chatSession->Password));
    btnReconnect->setEnabled(true);
    bitbtn11->setEnabled(true);
}

// ---------------------------------------------------------------------------
// Receiving

void TLobbyMainForm::SelectOwnRow()
{
    const QString name = UserName();
    Memo3->clearSelection();
    for (int row = 0; row < Memo3->rowCount(); ++row) {
        if (DisplayText(Memo3->caption(row)).compare(name, Qt::CaseInsensitive) == 0) {
            Memo3->setCurrentItem(Memo3->topLevelItem(row), 0, QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
}

void TLobbyMainForm::SendWhereIsReply()
{
    const bool hidden = cbClickSound->isChecked();
    const WhereIsReply reply = WhereIsReply::Build(
        Memo6->toPlainText(), m_chatSession->UserName, LongTimeText(), hidden,
        hidden ? QList<TopLevelWindow>() : Platform::windowLister().topLevelWindows());
    if (!hidden)
        GameWindowFound = reply.gameWindowFound;
    SendChatText(reply.text);
}

namespace {

QString InvitationRefusal(const QByteArray &inviter)
{
    return DisplayText(inviter.left(80))
           + QStringLiteral(" Invites You To Chat (another invitation is open).");
}

} // namespace

bool TLobbyMainForm::AcceptInvitation(const QByteArray &inviter)
{
    // One invitation dialog at a time; a further invitation meanwhile is
    // only told in the chat.
    if (m_invitationOpen || Closing) {
        ChatNote(InvitationRefusal(inviter));
        return false;
    }
    m_invitationOpen = true;
    QPointer<TLobbyMainForm> self(this);
    const bool yes = UserDialogs::current().confirm(
        this, QStringLiteral("Confirm"),
        DisplayText(inviter) + QStringLiteral(" Invites You To Chat..\nAccept ?"),
        frameGeometry().topLeft() + QPoint(20, 20));
    if (!self)
        return false;
    m_invitationOpen = false;
    return yes && !Closing;
}

void TLobbyMainForm::AskInvitation(const QByteArray &inviter, std::function<void()> then)
{
    if (m_invitationOpen || Closing) {
        ChatNote(InvitationRefusal(inviter));
        return;
    }
    // Taken from now on: invitations that come before the dialog is up are
    // told in the chat too.
    m_invitationOpen = true;
    // Not from inside the read: a socket does not report new bytes while its
    // read handler runs, so a dialog opened there would stop the connection.
    QMetaObject::invokeMethod(
        this,
        [this, inviter, then = std::move(then)] {
            m_invitationOpen = false;
            if (!Closing && AcceptInvitation(inviter))
                then();
        },
        Qt::QueuedConnection);
}

void TLobbyMainForm::StartChatRoom(int port)
{
    StartClientProgram(this, LobbyDir, QStringLiteral("Parlora"),
                       FullCommandLine(ComboBox3->currentText(), port, UserName(), Password()),
                       true, [this](const QString &text) { ChatNote(text); });
}

// ---------------------------------------------------------------------------
// Going down

void TLobbyMainForm::ClientSocketDisconnect()
{
    // What came with the server's goodbye is read, and shown, before the goodbye.
    m_connection->takeTheRest();
    m_work->enqueue([this] { DisconnectedSteps(); });
}

void TLobbyMainForm::DisconnectedSteps()
{
    try {
        Memo3->clearRows();
        if (Paused) {
            SetStatus(QStringLiteral("Connection Paused."));
            ChatRenderer->Show("\033[4Connection Paused, Click Reconnect to Resume.\r\n\033]");
            DeactivateConnection();
            return;
        }
        if (!Memo2->toPlainText().contains(QLatin1String("Invalid"))) {
            ChatRenderer->Show("\033[4Disconnect....\r\n");
            PlayEventSound("Away");
            return;
        }
        // The server turned the login down and said so in the chat.
        DeactivateConnection();
        Waits::after(5000, this, [this] { DisconnectSteps(); });
    } catch (const std::exception &error) {
        ChatRenderer->Show("\033[4" + ErrorClassName(error));
        ChatRenderer->Show("\033[4" + QByteArray(error.what()));
    }
}

void TLobbyMainForm::DisconnectSteps()
{
    try {
        if (Memo2->toPlainText().contains(QLatin1String("Invalid User"))) {
            LoginAndConnect();
            return;
        }
        DeactivateConnection();
        close();
    } catch (const std::exception &error) {
        ChatRenderer->Show("\033[4" + ErrorClassName(error));
        ChatRenderer->Show("\033[4" + QByteArray(error.what()));
    }
}

void TLobbyMainForm::ClientSocketError(QAbstractSocket::SocketError error)
{
    // The server closing the connection is a disconnect, not an error.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    m_work->enqueue([this] { ConnectionErrorSteps(); });
}

void TLobbyMainForm::ConnectionErrorSteps()
{
    ChatRenderer->Show("\033[4\033[BError connecting to Server: "
                       + ProtocolBytes(ComboBox3->currentText()) + "\033]\r\n");
    ChatRenderer->Show("\033[8\033[BTry Again Later.\r\n");
    PlayEventSound("Problem");
    DeactivateConnection();
    btnReconnect->setEnabled(true);
}

// ---------------------------------------------------------------------------
// Re-Connect, Hang-Up, the header

void TLobbyMainForm::btnReconnectClick()
{
    emit reconnectRequested();
    btnReconnect->setEnabled(false);
    if (m_chatSession->UserName.isEmpty())
        LoginAndConnect([this] { ReconnectSteps(); });
    else
        ReconnectSteps();
}

void TLobbyMainForm::ReconnectSteps()
{
    ChatRenderer->Show("\033[3WAIT.\r\n\033]");
    auto reopen = [this] {
        if (ConnectionActive()) {
            ChatRenderer->Show("\033[5Connected.\r\n\033]");
        } else {
            ChatRenderer->Show("\033[5Reconnecting......\r\n\033]");
            const QString server = ComboBox3->currentText();
            if (!server.isEmpty()) {
                m_connection->setHostAndPort(server, SpinEdit2->value());
                ConnectSocket();
            }
        }
        Memo1->setFocus();
        bitbtn11->setEnabled(true);
        Paused = false;
    };
    m_connection->reconnect(reopen);
}

void TLobbyMainForm::BitBtn11Click(std::function<void()> done)
{
    Paused = true;
    bitbtn11->setEnabled(false);
    if (m_chatSession->UserName.isEmpty())
        LoginAndConnect([this, done] { HangUpSteps(done); });
    else
        HangUpSteps(done);
}

void TLobbyMainForm::HangUpSteps(std::function<void()> done)
{
    ChatRenderer->Show("\033[6One Moment....\r\n\033]");
    auto finish = [this, done] {
        btnReconnect->setEnabled(true);
        Paused = false;
        if (done)
            done();
    };
    // The disconnect handler sees Paused and shows the pause notice.
    m_connection->hangUp(finish);
}

void TLobbyMainForm::Panel6Click()
{
    BitBtn11Click([this] {
        LoginAndConnect([this] { setWindowTitle(QStringLiteral("Vantora Lobby - ") + UserName()); });
    });
}

// ---------------------------------------------------------------------------
// Status, lamps, writing

void TLobbyMainForm::SetStatus(const QString &text)
{
    StatusPanel0->setText(text);
    StatusLamp();
    Shape1->repaint();
}

void TLobbyMainForm::SendRaw(const QByteArray &bytes)
{
    m_connection->send(bytes);
}

void TLobbyMainForm::ReceiveLamps()
{
    m_connection->receiveLamps();
}

void TLobbyMainForm::SendLamps()
{
    m_connection->sendLamps();
}

void TLobbyMainForm::StatusLamp()
{
    m_connection->statusLamp();
}

void TLobbyMainForm::Blink()
{
    m_connection->blink();
}
