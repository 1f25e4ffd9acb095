#include "ParloraU.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QSplitter>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ByteText.h"
#include "Cp1252.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "GreyMsg.h"
#include "MemberRowDelegate.h"
#include "NodeChatPanel.h"
#include "NodeColours.h"
#include "NodePlayerList.h"
#include "NodeSettings.h"
#include "ParloraProtocol.h"
#include "Platform.h"
#include "PlatformChatHost.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "WorkQueue.h"
#include "Shape.h"
#include "SoundPlayer.h"
#include "SuitePictures.h"
#include "WinState.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "Waits.h"
#include "WindowActivation.h"
#include "WindowLister.h"
#include "_Globals.h"
#include "uRichEditWithLinks.h"

using NodeColours::setBackground;
using NodeColours::setTextColour;

namespace {

const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kNavy(0, 0, 64);

const QByteArray kConnectionTerminated = "\033[4\033[BConnection Terminated.\r\n\033]";

// The most a single read hands on as one chunk.
constexpr qint64 kReadLimit = 1024 * 1024;

} // namespace

// ---------------------------------------------------------------------------
// Start-up

TParloras::TParloras(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TParloras"));
    setWindowTitle(QStringLiteral("Theatre Chat"));
    setMinimumSize(500, 300);
    resize(524, 371);
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());

    buildWindow();
    buildMenus();

    ClientSocket = new QTcpSocket(this);
    ClientSocket->setObjectName(QStringLiteral("ClientSocket"));
    ReadPause::limitSocket(*ClientSocket, kReadLimit);
    m_work = new WorkQueue(this);
    connect(m_work, &WorkQueue::drained, this, [this] {
        if (m_readPause.resume())
            ClientSocketRead();
    });

    m_chatPanel = std::make_unique<NodeChatPanel>(
        this, m_session, NodeChatPanel::Views{Memo5, Memo6, Memo4, Panel9, nullptr}, ClientSocket,
        m_work, std::make_unique<PlatformChatHost>());
    m_chatPanel->Closing = [this] { return m_closing; };

    LockGranted = false;
    m_closing = false;
    readStartupSettings(arguments);
    m_chatPanel->TakeSession();

    connect(ClientSocket, &QTcpSocket::connected, this, &TParloras::ClientSocketConnect);
    connect(ClientSocket, &QTcpSocket::readyRead, this, &TParloras::ClientSocketRead);
    connect(ClientSocket, &QTcpSocket::disconnected, this, &TParloras::ClientSocketDisconnect);
    connect(ClientSocket, &QTcpSocket::errorOccurred, this, &TParloras::ClientSocketError);
    connect(ClientSocket, &QTcpSocket::stateChanged, this, [this] { LockUpdate(); });

    // The window comes back where the user left it, like the other programs.
    m_winState = new TWinState(this);
    m_winState->SectionName = QStringLiteral("Theatre Chat");
    m_winState->SetDataStorage(dsRegistry);

    setWindowIcon(SuiteIcon());
    MainWindows::registerWindow(this, QStringLiteral("TParloras"));
}

TParloras::~TParloras()
{
    m_work->stop();
    ClientSocket->disconnect(this);
    // The list empties itself as it goes; the header is gone by then.
    Memo6->model()->disconnect(this);
    Memo6->disconnect(this);
    m_chatPanel.reset();
}

void TParloras::buildWindow()
{
    // The black tool bar with the light and the lock button. A click on the
    // bar itself runs the activation steps again.
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    setBackground(ToolBar1, Qt::black);
    setTextColour(ToolBar1, Qt::white);
    ToolBar1->installEventFilter(this);
    Shape1 = new TShape(QStringLiteral("Shape1"), QColor(255, 255, 128), ToolBar1);
    Shape1->setFixedSize(5, 23);
    ToolBar1->addWidget(Shape1);
    Lock = new QAction(QStringLiteral("&Lock"), this);
    Lock->setObjectName(QStringLiteral("Lock"));
    Lock->setToolTip(QStringLiteral("Lock"));
    Lock->setEnabled(false);
    connect(Lock, &QAction::triggered, this, &TParloras::LockExecute);
    ToolBar1->addAction(Lock);
    btnAway = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(Lock));
    if (btnAway)
        btnAway->setObjectName(QStringLiteral("btnAway"));
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    // The room panel with the room picture and the "Refresh Colors" button.
    Panel6 = new QWidget(central);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setMinimumHeight(40);
    Panel6->setMaximumHeight(70);
    Panel6->resize(width(), 70);
    // The panel asks for its 70 pixels and gives way down to 40 only when
    // the window is short; the picture keeps its proportions as it does.
    auto *panelHeight = new QVBoxLayout(Panel6);
    panelHeight->setContentsMargins(0, 0, 0, 0);
    panelHeight->addSpacerItem(new QSpacerItem(0, 70, QSizePolicy::Minimum, QSizePolicy::Preferred));
    Panel6->installEventFilter(this);
    setRoomPanelColour(RGBToTColor(63, 63, 63));
    SpeedButton2 = new QToolButton(Panel6);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setToolTip(QStringLiteral("Refresh Colors"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setIcon(SuiteIcon());
    SpeedButton2->setIconSize(QSize(22, 22));
    SpeedButton2->setGeometry(4, 17, 28, 28);
    connect(SpeedButton2, &QToolButton::clicked, this, &TParloras::FormActivate);
    Image3 = new QLabel(Panel6);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setGeometry(34, 2, 219, 58);
    Image3->setScaledContents(true);
    Image3->setAttribute(Qt::WA_TranslucentBackground);
    m_roomPicture = QImage(219, 58, QImage::Format_ARGB32_Premultiplied);
    m_roomPicture.fill(Qt::transparent);
    Image3->setPixmap(QPixmap::fromImage(m_roomPicture));
    layout->addWidget(Panel6);

    // The chat view at the left, the member column behind a splitter.
    Splitter1 = new QSplitter(Qt::Horizontal, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Memo5 = new TRichEditURL(Splitter1);
    Memo5->setObjectName(QStringLiteral("Memo5"));
    Memo5->setReadOnly(true);
    Memo5->SetShowSelectionBar(true);
    Memo5->setTextPointer(Qt::ArrowCursor);
    Memo5->setFont(QFont(QStringLiteral("Verdana")));
    setBackground(Memo5, kNavy);
    Memo5->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo5->OnHyperlinkClicked = [this](QObject *, int, int, const QByteArray &text) {
        OpenLink(text);
    };
    auto *column = new QWidget(Splitter1);
    buildMemberColumn(column);
    Splitter1->addWidget(Memo5);
    Splitter1->addWidget(column);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({524 - 125, 125});
    layout->addWidget(Splitter1, 1);

    // The chat input and "Send".
    auto *inputRow = new QHBoxLayout;
    inputRow->setContentsMargins(0, 2, 0, 0);
    Memo4 = new QPlainTextEdit(central);
    Memo4->setObjectName(QStringLiteral("Memo4"));
    Memo4->setMaximumHeight(38);
    QFont inputFont(QStringLiteral("Arial"));
    inputFont.setBold(true);
    Memo4->setFont(inputFont);
    setBackground(Memo4, kNavy);
    setTextColour(Memo4, QColor(215, 253, 217));
    Memo4->installEventFilter(this);
    bitbtn3 = new QPushButton(QStringLiteral("Send"), central);
    bitbtn3->setObjectName(QStringLiteral("bitbtn3"));
    bitbtn3->setFocusPolicy(Qt::NoFocus);
    connect(bitbtn3, &QPushButton::clicked, this, &TParloras::SendButtonClick);
    inputRow->addWidget(Memo4, 1);
    inputRow->addWidget(bitbtn3);
    layout->addLayout(inputRow);
}

void TParloras::buildMemberColumn(QWidget *column)
{
    column->setMinimumWidth(100);
    column->setMaximumWidth(200);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel9 = new QLabel(QStringLiteral("Clients logged in"), column);
    Panel9->setObjectName(QStringLiteral("Panel9"));
    Panel9->setAlignment(Qt::AlignCenter);
    Panel9->setFixedHeight(22);
    QFont bold = Panel9->font();
    bold.setBold(true);
    Panel9->setFont(bold);
    setBackground(Panel9, Qt::black);
    setTextColour(Panel9, QColor(225, 240, 255));
    layout->addWidget(Panel9);

    Memo6 = new TUserListView(column);
    Memo6->setObjectName(QStringLiteral("Memo6"));
    NodePlayerList::Configure(Memo6, QStringLiteral("Moderator"), kNavy, [this](int row) {
        return Memo6->topLevelItem(row)->text(0);
    });
    Memo6->setColumnHidden(1, true);
    Memo6->setItemDelegate(new MemberRowDelegate(Memo6));
    layout->addWidget(Memo6, 1);

    QAbstractItemModel *model = Memo6->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TParloras::updateMemberCount);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TParloras::updateMemberCount);
    connect(model, &QAbstractItemModel::modelReset, this, &TParloras::updateMemberCount);
    // Only the rows that changed can have become headings: looking at every
    // row for each change made filling a long list take the square of its
    // length.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to) {
                for (int row = from.row(); row <= to.row() && row >= 0; ++row)
                    dropHeadingSelectionAt(row);
            });
    connect(Memo6, &QTreeWidget::itemSelectionChanged, this, &TParloras::dropHeadingSelection);
}

void TParloras::buildMenus()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Copy1 = PopupMenu1->addAction(QStringLiteral("Copy"), this, &TParloras::CopyClick);
    Copy1->setObjectName(QStringLiteral("Copy1"));
    CopyName1 = PopupMenu1->addAction(QStringLiteral("Copy Name"), this, &TParloras::CopyNameClick);
    CopyName1->setObjectName(QStringLiteral("CopyName1"));
    SelectAll1 = PopupMenu1->addAction(QStringLiteral("Select all"), this,
                                       &TParloras::SelectAllClick);
    SelectAll1->setObjectName(QStringLiteral("SelectAll1"));
    AutoLogChat1 = PopupMenu1->addAction(QStringLiteral("AutoLog Chat"));
    AutoLogChat1->setObjectName(QStringLiteral("AutoLogChat1"));
    AutoLogChat1->setCheckable(true);
    AutoLogChat1->setChecked(false);
    connect(AutoLogChat1, &QAction::triggered, this, &TParloras::AutoLogChatClick);
    connect(Memo5, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1->popup(Memo5->viewport()->mapToGlobal(pos));
    });

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(PopupMenu2, &QMenu::triggered, this, [this](QAction *action) {
        MemberCommand(RoomMembers::Entry(action->data().toInt()));
    });
    connect(Memo6, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu2Popup();
        if (!PopupMenu2->isEmpty())
            PopupMenu2->popup(Memo6->viewport()->mapToGlobal(pos));
    });
}

void TParloras::readStartupSettings(const QStringList &arguments)
{
    RegistrySettings store;
    m_session.ReadStartup(arguments, NodeSettings(store));
}

// ---------------------------------------------------------------------------
// Activation

void TParloras::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    WindowActivation::AfterShow(this, [this] { return m_activated; }, [this] { FormActivate(); });
}

void TParloras::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (WindowActivation::BecameActive(this, event))
        FormActivate();
}

void TParloras::FormActivate()
{
    if (m_closing)
        return;
    RegistrySettings store;
    m_chatPanel->ApplyAppearance(NodeSettings(store));

    if (!m_activated) {
        m_activated = true;
        drawRoomPicture();
        connectToNode();
    }
}

void TParloras::drawRoomPicture()
{
    m_roomPicture.fill(QColor(0, 0, 64));
    // The logo goes in whole, keyed, and as large as the picture allows.
    QPainter p(&m_roomPicture);
    DrawKeyedPictureFitted(p, m_roomPicture.rect(), SuitePicture("BITMAPVT"));
    p.end();
    Image3->setPixmap(QPixmap::fromImage(m_roomPicture));
}

void TParloras::setRoomPanelColour(TColor colour)
{
    setBackground(Panel6, ToQColor(colour));
}

// ---------------------------------------------------------------------------
// The connection

void TParloras::connectToNode()
{
    m_errorReported = false;
    ClientSocket->connectToHost(DisplayText(m_session.NodeHost),
                                quint16(qBound(0, m_session.NodePort, 65535)));
    Memo5->clear();
    ShowChatText("Connecting...");
    // The dots stand for a connection under way: once it has failed they
    // would trail the error notice.
    Waits::after(250, this, [this] {
        if (m_errorReported)
            return;
        ShowChatText("...");
        Waits::after(150, this, [this] {
            if (!m_errorReported)
                ShowChatText("....");
        });
    });
}

bool TParloras::Send(const QByteArray &bytes)
{
    return m_chatPanel->Send(bytes);
}

void TParloras::ClientSocketConnect()
{
    m_wasConnected = true;
    if (m_session.UserName.isEmpty()) {
        // Nobody to sign in: the run ends once connected, and nothing is sent.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    Waits::after(150, this, [this] {
        Send(m_session.Identification());
        Waits::after(750, this, [this] {
            // A server that turned the user away has said why and gone; its
            // words stay in view.
            if (ClientSocket->state() != QAbstractSocket::ConnectedState)
                return;
            Memo5->clear();
            Send(Marker::ClientReady);
        });
    });
}

void TParloras::ClientSocketRead()
{
    if (m_closing)
        return;
    while (ClientSocket->bytesAvailable() > 0) {
        // Behind with showing what came: the rest waits in the connection.
        if (!m_readPause.mayRead(m_work->aboveHighWater()))
            return;
        const QByteArray chunk = ClientSocket->read(kReadLimit);
        if (chunk.isEmpty())
            return;
        m_work->enqueue([this, chunk] { decide(chunk); }, chunk.size());
    }
}

void TParloras::ClientSocketDisconnect()
{
    if (m_errorReported || m_closing)
        return;
    // What the server sent before it closed is still shown.
    m_readPause.resume();
    while (ClientSocket->bytesAvailable() > 0) {
        const QByteArray chunk = ClientSocket->read(kReadLimit);
        m_work->enqueue([this, chunk] { decide(chunk); }, chunk.size());
    }
    ShowChatText(kConnectionTerminated);
    m_work->enqueue([this] { LockUpdate(); });
}

void TParloras::ClientSocketError(QAbstractSocket::SocketError error)
{
    // The server closing the connection is the disconnect handler's.
    if (error == QAbstractSocket::RemoteHostClosedError || m_closing || m_errorReported)
        return;
    // Only the first error is reported.
    m_errorReported = true;
    if (!m_wasConnected) {
        ShowChatText("\033[4\033[BError Connecting to NODE Server: " + m_session.NodeHost
                     + "\033]\r\n");
        ShowChatText("\033[8\033[BTry Again Later.\r\n");
    } else {
        ShowChatText("\033[4\033[BCommunications Error\033]\r\n");
    }
    m_work->enqueue([this] { ClientSocket->abort(); });
    Waits::after(3000, this, [this] {
        if (EndProgram) {
            EndProgram();
            return;
        }
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
}

void TParloras::LockUpdate()
{
    if (ClientSocket->state() != QAbstractSocket::ConnectedState)
        Lock->setEnabled(false);
}

void TParloras::ShowChatText(const QByteArray &text)
{
    m_chatPanel->Show(text);
}

// ---------------------------------------------------------------------------
// What arrives

void TParloras::dispatch(const QByteArray &chunk)
{
    m_work->post([this, chunk] { decide(chunk); });
}

void TParloras::decide(const QByteArray &chunk)
{
    const Parlora::RoomMessage message = Parlora::Decode(chunk);
    switch (message.kind) {
    case Parlora::RoomMessage::KeepAlive: keepAlive(); break;
    case Parlora::RoomMessage::PasswordRequest: passwordRequested(); break;
    case Parlora::RoomMessage::LockOffer: lockOffered(); break;
    case Parlora::RoomMessage::RoomTitle: roomNamed(message.text, message.lockInTitle); break;
    case Parlora::RoomMessage::Notice: noticeArrived(message.caption, message.text); break;
    case Parlora::RoomMessage::Chat: chatArrived(message.text, message.marked); break;
    }
}

void TParloras::keepAlive()
{
    Shape1->setBrushColor(Shape1->brushColor() == kLime ? kGreen : kLime);
}

void TParloras::passwordRequested()
{
    m_chatPanel->AnswerPasswordRequest();
}

void TParloras::ChatNote(const QString &text)
{
    m_chatPanel->Note(text);
}

void TParloras::lockOffered()
{
    Lock->setEnabled(true);
    LockGranted = true;
    LockUpdate();
}

void TParloras::roomNamed(const QByteArray &title, bool lockInTitle)
{
    if (lockInTitle) {
        Lock->setEnabled(true);
        LockUpdate();
    }
    setWindowTitle(DisplayText(title));
    ShowChatText(Parlora::WelcomeText(title));
    m_work->post([this, title] {
        setRoomPanelColour(Parlora::RoomColour(title));
        Send(Parlora::BuffRequest);
        updateMemberCount();
    });
}

void TParloras::noticeArrived(const QByteArray &caption, const QByteArray &message)
{
    playNoticeSound();
    TfrmGreyMsg *notice = TfrmGreyMsg::ShowBoundedNotice(
        DisplayText(caption), DisplayText(message), this,
        [this](const QString &line) { ChatNote(line); });
    // Centred on the room's window.
    if (notice)
        notice->move(frameGeometry().center() - notice->rect().center());
}

void TParloras::playNoticeSound()
{
    SoundPlayer &player = Platform::sound();
    // A sound that still plays is not cut off.
    if (player.isPlaying())
        return;
    // The file lies in the working folder; its name's letter case may differ there.
    QString path = NoticeSound;
    const QStringList found = QDir::current().entryList({NoticeSound}, QDir::Files);
    if (!found.isEmpty())
        path = QDir::current().filePath(found.first());
    player.play(path);
}

void TParloras::chatArrived(const QByteArray &text, bool marked)
{
    if (!marked)
        Shape1->setBrushColor(Shape1->brushColor() == kRed ? kMaroon : kRed);
    ShowChatText(text);
}

// ---------------------------------------------------------------------------
// Sending chat

bool TParloras::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo4 && event->type() == QEvent::KeyPress)
        return Memo4KeyDown(static_cast<QKeyEvent *>(event));
    if (watched == Memo4 && event->type() == QEvent::KeyRelease) {
        Shape1->setBrushColor(kGreen);
        return false;
    }
    if (watched == Panel6 && event->type() == QEvent::Resize) {
        const int height = qBound(1, Panel6->height() - 4, 58);
        Image3->setGeometry(34, 2, 219 * height / 58, height);
        return false;
    }
    if (watched == ToolBar1 && event->type() == QEvent::MouseButtonPress) {
        FormActivate();
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TParloras::Memo4KeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    SendButtonClick();
    return true;   // Return never makes a new line here
}

void TParloras::SendButtonClick()
{
    // An audience member's line is dropped unsent.
    if (m_chatPanel->SendTypedLine({}, OwnLevel() > RoomMembers::Audience))
        Shape1->setBrushColor(kLime);
}

void TParloras::LockExecute()
{
    // A cancel sends the password marker alone.
    m_chatPanel->AskLockPassword(true);
}

// ---------------------------------------------------------------------------
// The member list

QList<RoomMembers::Row> TParloras::memberRows() const
{
    QList<RoomMembers::Row> rows;
    for (int row = 0; row < Memo6->rowCount(); ++row)
        rows.append({Memo6->caption(row), Memo6->rowData(row)});
    return rows;
}

QList<QByteArray> TParloras::selectedMemberCaptions() const
{
    return NodePlayerList::SelectedCaptions(*Memo6);
}

int TParloras::OwnLevel() const
{
    return RoomMembers::OwnLevel(memberRows(), m_session.UserName, LockGranted);
}

bool TParloras::ModeratedRoom() const
{
    return RoomMembers::ModeratedRoom(ProtocolBytes(windowTitle()));
}

void TParloras::updateMemberCount()
{
    if (m_closing)
        return;
    Panel9->setText(RoomMembers::ClientsCaption(Memo6->rowCount(), ModeratedRoom()));
}

void TParloras::dropHeadingSelection()
{
    // Heading rows cannot stay selected.
    const QList<QTreeWidgetItem *> selected = Memo6->selectedItems();
    for (QTreeWidgetItem *item : selected)
        dropHeadingSelectionAt(Memo6->indexOfTopLevelItem(item));
}

void TParloras::dropHeadingSelectionAt(int row)
{
    QTreeWidgetItem *item = Memo6->topLevelItem(row);
    if (item && item->isSelected() && RoomMembers::IsHeading(Memo6->rowData(row)))
        item->setSelected(false);
}

void TParloras::PopupMenu2Popup()
{
    PopupMenu2->clear();
    RoomMembers::MenuState state;
    state.selected = selectedMemberCaptions();
    if (state.selected.isEmpty())
        return;
    state.ownLevel = OwnLevel();
    state.lockGranted = LockGranted;
    state.caption = ProtocolBytes(windowTitle());
    state.inputEmpty = Memo4->toPlainText().isEmpty();
    for (const RoomMembers::MenuEntry &entry : RoomMembers::MenuFor(state)) {
        // A row's caption may carry colour codes; the menu shows it without.
        const QByteArray shown =
            entry.caption.contains('\x1b') ? StripCodes(entry.caption) : entry.caption;
        QAction *action = PopupMenu2->addAction(
            DisplayText(shown).replace(QLatin1Char('&'), QLatin1String("&&")));
        action->setData(int(entry.entry));
        action->setEnabled(entry.enabled);
    }
}

void TParloras::MemberCommand(RoomMembers::Entry entry)
{
    using RoomMembers::Entry;
    switch (entry) {
    case Entry::WhereIs: whereIsClick(); break;
    case Entry::Whisper: whisperClick(); break;
    case Entry::MakeSpeaker:
    case Entry::MakeGuest:
    case Entry::MakeAudience:
    case Entry::Boot: sendRoleCommands(RoomMembers::RoleDigit(entry), selectedMemberCaptions()); break;
    case Entry::BootName: bootNameClick(); break;
    case Entry::CopyName: copyMemberNameClick(); break;
    case Entry::GreyBox: greyBoxClick(); break;
    }
}

void TParloras::whereIsClick()
{
    m_chatPanel->WhereIs(selectedMemberCaptions(), RoomMembers::WhereIsMessage);
}

void TParloras::whisperClick()
{
    m_chatPanel->Whisper(selectedMemberCaptions(), OwnLevel() > RoomMembers::Audience);
}

void TParloras::sendRoleCommands(char digit, QList<QByteArray> captions)
{
    if (captions.isEmpty()) {
        Memo4->clear();
        return;
    }
    Send(RoomMembers::RoleCommand(digit, captions.takeFirst()));
    Waits::after(100, this, [this, digit, captions] { sendRoleCommands(digit, captions); });
}

void TParloras::bootNameClick()
{
    const QList<QByteArray> selected = selectedMemberCaptions();
    if (!selected.isEmpty())
        Send(RoomMembers::BootMessage(selected.first()));
}

void TParloras::copyMemberNameClick()
{
    const QList<QByteArray> selected = selectedMemberCaptions();
    if (selected.isEmpty())
        return;
    QTextCursor cursor = Memo4->textCursor();
    cursor.insertText(DisplayText(selected.first()) + QLatin1Char(' '));
    Memo4->setTextCursor(cursor);
}

void TParloras::greyBoxClick()
{
    const QList<QByteArray> selected = selectedMemberCaptions();
    if (selected.isEmpty())
        return;
    const QByteArray caption = selected.first();
    QString typed;
    if (!UserDialogs::current().askText(this, RoomMembers::GreyBoxTitle(caption),
                                        QStringLiteral("And You Say.."), &typed))
        return;
    Send(RoomMembers::GreyBoxMessage(caption, ProtocolBytes(typed)));
}

// ---------------------------------------------------------------------------
// The chat view's menu and links

void TParloras::CopyClick()
{
    Memo5->copy();
}

void TParloras::CopyNameClick()
{
    const QTextCursor cursor = Memo5->textCursor();
    if (!cursor.hasSelection())
        return;
    // A chat line shows its speaker's name and ">": selecting the line copies the name.
    QString selection = cursor.selectedText();
    selection.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    QApplication::clipboard()->setText(DisplayText(TextBefore(ProtocolBytes(selection), '>')));
}

void TParloras::SelectAllClick()
{
    Memo5->selectAll();
}

void TParloras::AutoLogChatClick()
{
    chatSession().LogFileName =
        AutoLogChat1->isChecked() ? QStringLiteral("ChatLog.txt") : QString();
}

QString TParloras::LogFileName() const
{
    return chatSession().LogFileName;
}

TDispAnsi *TParloras::chatRenderer() const
{
    return m_chatPanel->renderer();
}

ChatSession &TParloras::chatSession() const
{
    return m_chatPanel->chatSession();
}

void TParloras::OpenLink(const QByteArray &link)
{
    m_chatPanel->OpenLink(link);
}

// ---------------------------------------------------------------------------
// Closing

void TParloras::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        // A close is under way: a second request only minimises.
        event->ignore();
        showMinimized();
        return;
    }
    m_closing = true;
    m_work->stop();
    // The program ends with its main window, whatever dialog is open.
    CloseOwnDialogs(this);
    ClientSocket->disconnect(this);
    if (ClientSocket->state() != QAbstractSocket::UnconnectedState) {
        // The connection is closed without waiting for the server; what was
        // written last still goes out first.
        ClientSocket->flush();
        ClientSocket->abort();
    }
    event->accept();
}
