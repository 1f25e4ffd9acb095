#include "NodeClientFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include "Ansi.h"
#include "ByteText.h"
#include "Cp1252.h"
#include "DesktopEffects.h"
#include "ChatAnsi.h"
#include "ChatPanelRules.h"
#include "ChatSession.h"
#include "MessageBoxQueue.h"
#include "NodeChatPanel.h"
#include "NodeColours.h"
#include "NodeImageLists.h"
#include "NodePlayerList.h"
#include "NodeSettings.h"
#include "PlatformChatHost.h"
#include "ProtocolMarkers.h"
#include "ReadPause.h"
#include "RegistrySettings.h"
#include "ScreenFeeder.h"
#include "ServerSounds.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "SuitePictures.h"
#include "SurfaceDrawing.h"
#include "SurfaceImage.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "Waits.h"
#include "WinState.h"
#include "WindowActivation.h"
#include "WindowLister.h"
#include "WorkQueue.h"
#include "_Globals.h"
#include "uRichEditWithLinks.h"

namespace {

const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);
const QColor kMaroon(128, 0, 0);

using NodeColours::setBackground;
using NodeColours::setTextColour;

// The frame's chat fetches a missing sound from the node server's sound folder.
class NodeChatHost : public PlatformChatHost
{
public:
    explicit NodeChatHost(ServerSounds *sounds) : m_sounds(sounds) {}
    void fetchMissingSound(const QByteArray &fileName) override
    {
        if (m_sounds)
            m_sounds->FetchSound(fileName);
    }

private:
    QPointer<ServerSounds> m_sounds;
};

} // namespace

// ---------------------------------------------------------------------------
// Start-up

TNodeClientFrame::TNodeClientFrame(const NodeFrameOptions &options, const QStringList &arguments,
                                   QWidget *parent)
    : QMainWindow(parent)
    , m_options(options)
{
    setObjectName(options.windowClassName);
    setWindowTitle(options.initialCaption);
    buildWindow();

    m_dispatcher = std::make_unique<NodeDispatcher>(static_cast<NodeDispatchTarget &>(*this));
    m_feeder = new ScreenFeeder(this);
    m_work = new WorkQueue(this);
    m_sounds = new ServerSounds(this);
    connect(m_sounds, &ServerSounds::fetchRefused, this, &TNodeClientFrame::ChatNote);
    ClientSocket = new QTcpSocket(this);
    ClientSocket->setObjectName(QStringLiteral("ClientSocket"));
    // Bytes wait in the socket while the screen queue is full; this keeps
    // that wait bounded too.
    ReadPause::limitSocket(*ClientSocket, ScreenFeeder::LowWater);

    createEngine();

    // Top of the desktop's work area, 10 from the left.
    const QRect work = screen() ? screen()->availableGeometry() : QRect();
    move(work.left() + 10, work.top());
    resize(options.windowSize);

    m_chatPanel = std::make_unique<NodeChatPanel>(
        this, m_session, NodeChatPanel::Views{Memo5, Memo6, Memo4, Panel6, StatusPanel},
        ClientSocket, m_work, std::make_unique<NodeChatHost>(m_sounds));
    m_chatPanel->Closing = [this] { return m_close.closing(); };

    readStartupSettings(arguments);
    installChatHooks();

    connect(m_feeder, &ScreenFeeder::sliceFed, Image2, qOverload<>(&QWidget::update));
    const auto caughtUp = [this] {
        if (m_readPause.resume())
            ClientSocketRead();
    };
    connect(m_feeder, &ScreenFeeder::drained, this, caughtUp);
    connect(m_work, &WorkQueue::drained, this, caughtUp);
    m_feeder->setSink([this](const QByteArray &bytes) { FeedEngine(bytes); });

    connect(ClientSocket, &QTcpSocket::connected, this, &TNodeClientFrame::ClientSocketConnect);
    connect(ClientSocket, &QTcpSocket::readyRead, this, &TNodeClientFrame::ClientSocketRead);
    connect(ClientSocket, &QTcpSocket::disconnected, this,
            &TNodeClientFrame::ClientSocketDisconnect);
    connect(ClientSocket, &QTcpSocket::errorOccurred, this, &TNodeClientFrame::ClientSocketError);
    connect(ClientSocket, &QTcpSocket::stateChanged, this, [this] { LockUpdate(); });

    m_winState = new TWinState(this);
    m_winState->SectionName = options.placementSection;
    if (options.placementInRegistry)
        m_winState->SetDataStorage(dsRegistry);

    setWindowIcon(SuiteIcon());
    MainWindows::registerWindow(this, options.windowClassName);
}

TNodeClientFrame::~TNodeClientFrame()
{
    // The engine is fed only from the event loop, never from inside its own
    // input, so it is idle here.
    if (ClientSocket)
        ClientSocket->disconnect(this);
    // The list empties itself as it goes; the header is gone by then.
    Memo6->model()->disconnect(this);
    m_work->stop();
    m_feeder->stop();
    m_chatPanel.reset();
    m_engine.reset();
}

void TNodeClientFrame::buildWindow()
{
    auto *central = new QWidget(this);
    auto *columns = new QSplitter(Qt::Horizontal, central);
    columns->setObjectName(QStringLiteral("Splitter2"));
    auto *centralLayout = new QHBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->addWidget(columns);
    setCentralWidget(central);

    // Left: the surface over the chat.
    Splitter1 = new QSplitter(Qt::Vertical, columns);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    Scroller = new QScrollArea(Splitter1);
    Scroller->setObjectName(QStringLiteral("Scroller"));
    Scroller->setWidgetResizable(false);
    Scroller->setMinimumHeight(60);
    Scrollbox1 = new QWidget;
    Scrollbox1->setObjectName(QStringLiteral("Scrollbox1"));
    Scrollbox1->setFixedSize(m_options.scrollRange);
    Scrollbox1->setFocusPolicy(Qt::ClickFocus);
    Scrollbox1->installEventFilter(this);
    Image2 = new TSurfaceImage(m_options.surfaceSize, Scrollbox1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->move(0, 0);
    Scroller->setWidget(Scrollbox1);
    QPalette black = Scroller->palette();
    black.setColor(QPalette::Window, Qt::black);
    Scroller->setPalette(black);
    connect(Image2, &TSurfaceImage::pressed, this, [this](QPoint point, Qt::MouseButton button) {
        Scrollbox1->setFocus(Qt::MouseFocusReason);
        SurfaceMouseDown(point, button);
    });
    connect(Image2, &TSurfaceImage::doubleClicked, this,
            [this](QPoint point) { SurfaceDoubleClick(point); });

    auto *chatArea = new QWidget(Splitter1);
    auto *chatLayout = new QVBoxLayout(chatArea);
    chatLayout->setContentsMargins(0, 0, 0, 0);
    chatLayout->setSpacing(2);
    Memo5 = new TRichEditURL(chatArea);
    Memo5->setObjectName(QStringLiteral("Memo5"));
    Memo5->setReadOnly(true);
    Memo5->SetShowSelectionBar(true);
    Memo5->setTextPointer(Qt::ArrowCursor);
    setBackground(Memo5, Qt::black);
    Memo5->OnHyperlinkClicked = [this](QObject *, int, int, const QByteArray &text) {
        OpenLink(text);
    };
    chatLayout->addWidget(Memo5, 1);
    auto *inputRow = new QHBoxLayout;
    Memo4 = new QPlainTextEdit(chatArea);
    Memo4->setObjectName(QStringLiteral("Memo4"));
    // The chat may be squeezed to almost nothing while it is hidden.
    Memo4->setMinimumHeight(1);
    Memo4->setMaximumHeight(38);
    Memo5->setMinimumHeight(1);
    Memo4->installEventFilter(this);
    bitbtn3 = new QPushButton(QStringLiteral("Send"), chatArea);
    bitbtn3->setObjectName(QStringLiteral("bitbtn3"));
    bitbtn3->setFocusPolicy(Qt::NoFocus);
    bitbtn3->setMinimumHeight(1);
    connect(bitbtn3, &QPushButton::clicked, this, &TNodeClientFrame::SendButtonClick);
    inputRow->addWidget(Memo4, 1);
    inputRow->addWidget(bitbtn3);
    chatLayout->addLayout(inputRow);
    Splitter1->addWidget(Scroller);
    Splitter1->addWidget(chatArea);
    // The game panel keeps its height; the chat takes what the window adds,
    // and with the chat hidden it may shrink to nothing.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setCollapsible(0, false);
    Splitter1->setCollapsible(1, true);

    // Right: the players column.
    auto *column = new QWidget(columns);
    buildPlayersColumn(column);
    columns->addWidget(Splitter1);
    columns->addWidget(column);
    columns->setStretchFactor(0, 1);
    columns->setStretchFactor(1, 0);
}

void TNodeClientFrame::buildPlayersColumn(QWidget *column)
{
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel6 = new QLabel(QStringLiteral("Players"), column);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setAlignment(Qt::AlignCenter);
    Panel6->setFixedHeight(22);
    QFont bold = Panel6->font();
    bold.setBold(true);
    Panel6->setFont(bold);
    setBackground(Panel6, Qt::black);
    setTextColour(Panel6, Qt::white);
    auto *lights = new QHBoxLayout(Panel6);
    lights->setContentsMargins(4, 6, 4, 6);
    lights->setSpacing(3);
    Shape1 = new TShape(QStringLiteral("Shape1"), kGreen, Panel6);
    Shape2 = new TShape(QStringLiteral("Shape2"), kGreen, Panel6);
    Shape1->setFixedSize(5, 10);
    Shape2->setFixedSize(5, 10);
    lights->addWidget(Shape1);
    lights->addWidget(Shape2);
    lights->addStretch(1);
    layout->addWidget(Panel6);

    Memo6 = new TUserListView(column);
    Memo6->setObjectName(QStringLiteral("Memo6"));
    NodePlayerList::Configure(Memo6, QStringLiteral("--------------------"), Qt::black,
                              [this](int row) { return playerTip(row); });
    layout->addWidget(Memo6, 1);
    connect(Memo6->model(), &QAbstractItemModel::rowsInserted, this,
            &TNodeClientFrame::updatePlayerCount);
    connect(Memo6->model(), &QAbstractItemModel::rowsRemoved, this,
            &TNodeClientFrame::updatePlayerCount);
    connect(Memo6->model(), &QAbstractItemModel::modelReset, this,
            &TNodeClientFrame::updatePlayerCount);

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
    MenuItem1 = PopupMenu4->addAction(QStringLiteral("Where is"));
    MenuItem1->setObjectName(QStringLiteral("MenuItem1"));
    MenuItem2 = PopupMenu4->addAction(QStringLiteral("Send Private Msg"));
    MenuItem2->setObjectName(QStringLiteral("MenuItem2"));
    connect(MenuItem1, &QAction::triggered, this, &TNodeClientFrame::whereIsClick);
    connect(MenuItem2, &QAction::triggered, this, &TNodeClientFrame::whisperClick);
    connect(Memo6, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu4Popup();
        PopupMenu4->popup(Memo6->viewport()->mapToGlobal(pos));
    });

    StatusBar1 = new QStatusBar(column);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new TStatusPanel(StatusBar1);
    StatusPanel->setFixedWidth(150);
    StatusBar1->addWidget(StatusPanel);
    layout->addWidget(StatusBar1);

    if (m_options.toolBar)
        buildToolBar(column, layout);
}

void TNodeClientFrame::buildToolBar(QWidget *column, QVBoxLayout *layout)
{
    ToolBar1 = new QToolBar(column);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);

    SpeedButton5 = new QToolButton(ToolBar1);
    SpeedButton5->setObjectName(QStringLiteral("SpeedButton5"));
    SpeedButton5->setText(QStringLiteral("Show Chat"));
    SpeedButton5->setCheckable(true);
    connect(SpeedButton5, &QToolButton::toggled, this, &TNodeClientFrame::ShowChat);
    ToolBar1->addWidget(SpeedButton5);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QAction *refresh = PopupMenu2->addAction(QStringLiteral("Refresh Screen"));
    refresh->setObjectName(QStringLiteral("RefreshScreen1"));
    connect(refresh, &QAction::triggered, this, &TNodeClientFrame::RefreshSurface);
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TNodeClientFrame::PopupMenu2Popup);
    ToolButton1 = new QToolButton(ToolBar1);
    ToolButton1->setObjectName(QStringLiteral("ToolButton1"));
    ToolButton1->setText(QStringLiteral("Options"));
    ToolButton1->setMenu(PopupMenu2);
    ToolButton1->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addWidget(ToolButton1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TNodeClientFrame::PopupMenu1Popup);
    connect(PopupMenu1, &QMenu::triggered, this, [this](QAction *entry) {
        Send(m_session.VoteMessage(entry->data().toByteArray()));
    });
    ToolButton2 = new QToolButton(ToolBar1);
    ToolButton2->setObjectName(QStringLiteral("ToolButton2"));
    ToolButton2->setText(QStringLiteral("Vote"));
    ToolButton2->setMenu(PopupMenu1);
    ToolButton2->setPopupMode(QToolButton::InstantPopup);
    ToolBar1->addWidget(ToolButton2);

    // The lock button shows the action: hidden and disabled until the
    // server offers the lock.
    Lock = new QAction(QStringLiteral("Lock"), this);
    Lock->setObjectName(QStringLiteral("Lock"));
    Lock->setToolTip(QStringLiteral("Lock"));
    Lock->setVisible(false);
    Lock->setEnabled(false);
    connect(Lock, &QAction::triggered, this, &TNodeClientFrame::LockExecute);
    ToolBar1->addAction(Lock);
    SpeedButton1 = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(Lock));
    if (SpeedButton1)
        SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    layout->addWidget(ToolBar1);
}

void TNodeClientFrame::createEngine()
{
    m_engine = std::make_unique<TAnsi>();
    m_engine->AttachSurface(&Image2->image());
    DesktopEffects::Install(*m_engine);
    m_engine->OnResourcePicture = [this](const TAnsiRect &rect, const QByteArray &name) {
        DrawResourcePicture(rect, name);
    };
    m_engine->OnListPicture = [this](const TAnsiRect &rect, int picture) {
        DrawListPicture(rect, picture);
    };
    m_engine->OnSound = [this](const QByteArray &name) { PlayServerSound(name); };
    m_engine->OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
        DrawSurfaceText(rect, text);
    };
    m_engine->OnButton = [this](const TAnsiRect &rect, int image, int color,
                                const QByteArray &text) { PlaceButton(rect, image, color, text); };
    m_engine->OnRefresh = [this] { RefreshSurface(); };
    m_engine->OnReport = [this](const QByteArray &text) { EngineReport(text); };
    // The queue is the program's and may report after this window has gone.
    MessageBoxQueue::instance().OnDropped = [frame = QPointer<TNodeClientFrame>(this)](int dropped) {
        const QString note =
            QString::number(dropped)
            + QStringLiteral(" message boxes from the server were dropped (%1 wait already).")
                  .arg(MessageBoxQueue::MaxWaiting);
        if (frame)
            frame->ChatNote(note);
        else
            qWarning("%s", qPrintable(note));
    };
    m_engine->OnFailure = [](const QString &message) {
        qWarning("Screen data not understood: %s", qPrintable(message));
    };
}

TDispAnsi *TNodeClientFrame::chatRenderer() const
{
    return m_chatPanel->renderer();
}

ChatSession &TNodeClientFrame::chatSession() const
{
    return m_chatPanel->chatSession();
}

bool TNodeClientFrame::smallMode() const
{
    return m_engine && m_engine->FontSize() <= 8;
}

void TNodeClientFrame::ConfigureEngine()
{
    // Small cells on small screens when the user asked for it.
    const bool scale = m_options.readsScaleLowRes && m_scaleLowRes;
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const bool narrow = shown && shown->size().width() < 1024;
    if (scale && narrow)
        m_engine->SetFontSize(8);
    else
        m_engine->SetMeasuredFontSize(9);
}

void TNodeClientFrame::readStartupSettings(const QStringList &arguments)
{
    RegistrySettings store;
    const NodeSettings settings(store);
    m_scaleLowRes = settings.scaleLowRes();
    m_session.ReadStartup(arguments, settings);
}

void TNodeClientFrame::installChatHooks()
{
    m_chatPanel->TakeSession();
    m_sounds->setMediaDir(m_session.MediaDir);
    m_sounds->setBaseUrl(ServerSounds::soundBaseUrl(m_session.NodeHost));
}

// ---------------------------------------------------------------------------
// Activation

void TNodeClientFrame::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    WindowActivation::AfterShow(this, [this] { return m_activated; }, [this] { FormActivate(); });
}

void TNodeClientFrame::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (WindowActivation::BecameActive(this, event))
        FormActivate();
}

void TNodeClientFrame::FormActivate()
{
    if (!m_activated) {
        ConfigureEngine();
        ShowChat(SpeedButton5 && SpeedButton5->isChecked());
        QImage &surface = Image2->image();
        surface.fill(m_options.surfaceStart);
        const QImage splash = ResourcePicture("BITMAPVT");
        if (!splash.isNull()) {
            // Always keyed: the key colour is never part of the picture.
            QPainter p(&surface);
            DrawKeyedPicture(p, QPoint(10, 10), splash);
        }
        Image2->update();
        connectToNode();
    }

    RegistrySettings store;
    m_chatPanel->ApplyAppearance(NodeSettings(store));
    m_activated = true;
}

// ---------------------------------------------------------------------------
// The connection

void TNodeClientFrame::connectToNode()
{
    m_connectionFailed = false;
    ClientSocket->connectToHost(DisplayText(m_session.NodeHost),
                                quint16(qBound(0, m_session.NodePort, 65535)));
}

bool TNodeClientFrame::Send(const QByteArray &bytes)
{
    return m_chatPanel->Send(bytes);
}

void TNodeClientFrame::ClientSocketConnect()
{
    if (!m_session.UserName.isEmpty()) {
        Send(m_session.Identification());
    } else {
        // Nobody to sign in: the run ends once connected. The close goes
        // through the event loop; the steps below still run.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    Memo5->clear();
    ShowChatText("Connecting...\r\n");
    Waits::after(200, this, [this] {
        Send(Marker::ClientReady);
        setLights(kLime, kLime);
    });
}

void TNodeClientFrame::ClientSocketRead()
{
    if (m_close.closing())
        return;
    // The engine or the chat is behind; leave the rest in the connection
    // until the queues have drained.
    if (!m_readPause.mayRead(m_feeder->aboveHighWater() || m_work->aboveHighWater()))
        return;
    const QByteArray chunk = ClientSocket->readAll();
    if (chunk.isEmpty())
        return;
    receive(chunk);
}

void TNodeClientFrame::receive(const QByteArray &chunk)
{
    m_work->enqueue(
        [this, chunk] {
            m_dispatcher->dispatch(chunk);
            m_work->post([this] { ChunkDispatched(); });
        },
        chunk.size());
}

void TNodeClientFrame::dispatch(const QByteArray &chunk)
{
    // From inside a dispatch (a program handing parts back) the part is
    // dispatched right after what was decided so far, at the depth it was
    // handed back from.
    const int depth = m_dispatcher->depth();
    m_work->post([this, chunk, depth] { m_dispatcher->dispatch(chunk, depth); });
}

void TNodeClientFrame::post(std::function<void()> effect)
{
    m_work->post(std::move(effect));
}

WorkQueue *TNodeClientFrame::workQueue() const
{
    return m_work;
}

void TNodeClientFrame::ClientSocketDisconnect()
{
    if (m_connectionFailed || m_close.closing())
        return;
    // What the server sent before it closed is still shown, first.
    m_readPause.resume();
    if (ClientSocket->bytesAvailable() > 0)
        receive(ClientSocket->readAll());
    m_work->enqueue([this] {
        // Shown here and now: the close below drops what is still queued.
        m_chatPanel->renderer()->Dispatch("\033[4\033[BConnection Terminated.\r\n\033]");
        ClientSocket->abort();
        if (Lock)
            Lock->setEnabled(false);
        Shape1->setBrushColor(kLime);
        close();
    });
}

void TNodeClientFrame::ClientSocketError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError || m_close.closing())
        return;   // the disconnect handler reports the end
    m_connectionFailed = true;
    ShowChatText("\033[4\033[BError Connecting to NODE Server: " + m_session.NodeHost
                 + "\033]\r\n");
    ShowChatText("\033[8\033[BTry Again Later.\r\n");
    m_work->enqueue([this] { ClientSocket->abort(); });
}

// ---------------------------------------------------------------------------
// What the dispatcher decided

void TNodeClientFrame::passwordRequested()
{
    post([this] { m_chatPanel->AnswerPasswordRequest(); });
}

void TNodeClientFrame::lockOffered()
{
    post([this] {
        if (!Lock)
            return;
        Lock->setVisible(true);
        Lock->setEnabled(true);
        LockUpdate();
    });
}

void TNodeClientFrame::captionReceived(const QByteArray &caption)
{
    post([this, caption] {
        setWindowTitle(DisplayText(caption));
        Memo5->clear();
    });
}

void TNodeClientFrame::screenData(const QByteArray &bytes)
{
    post([this, bytes] {
        m_feeder->append(bytes);
        setLights(kGreen, kMaroon);
    });
}

void TNodeClientFrame::playerList(const QByteArray &text)
{
    ShowChatText(text);
}

void TNodeClientFrame::chatLine(const QByteArray &lineWithBreak)
{
    ShowChatText(lineWithBreak);
}

void TNodeClientFrame::ShowChatText(const QByteArray &text)
{
    m_chatPanel->Show(text);
}

void TNodeClientFrame::QueueScreenBytes(const QByteArray &bytes)
{
    post([this, bytes] { m_feeder->append(bytes); });
}

void TNodeClientFrame::setLights(const QColor &shape1, const QColor &shape2)
{
    Shape1->setBrushColor(shape1);
    Shape2->setBrushColor(shape2);
}

// ---------------------------------------------------------------------------
// Feeding the engine

bool TNodeClientFrame::Feeding() const
{
    return m_feeder->Feeding();
}

QByteArray TNodeClientFrame::ScreenBuffer() const
{
    return m_feeder->ScreenBuffer();
}

void TNodeClientFrame::FeedEngine(const QByteArray &bytes)
{
    if (m_engine && !m_close.closing())
        m_engine->Write(bytes);
}

// ---------------------------------------------------------------------------
// Operations the engine calls

QImage TNodeClientFrame::ResourcePicture(const QByteArray &name)
{
    return SuitePicture(name);
}

void TNodeClientFrame::DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name)
{
    const QImage picture = ResourcePicture(name);
    if (picture.isNull())
        return;
    SurfaceDrawing::ResourcePicture(Image2->image(), rect, picture);
    Image2->update();
}

void TNodeClientFrame::DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text)
{
    if (!m_engine)
        return;
    SurfaceDrawing::SurfaceText(Image2->image(), *m_engine, rect, text);
    Image2->update();
}

void TNodeClientFrame::PaintSurfaceText(AnsiCanvas *canvas, const TAnsiRect &rect,
                                        const QByteArray &text, bool sizeAsGiven,
                                        const std::function<TColor(int code)> &colourOf)
{
    SurfaceDrawing::SurfaceText(Image2->image(), canvas, rect, text, sizeAsGiven, colourOf);
    Image2->update();
}

void TNodeClientFrame::RefreshSurface()
{
    Image2->repaintNow();
}

void TNodeClientFrame::PlayServerSound(const QByteArray &fileName)
{
    m_sounds->PlayServerSound(fileName);
}

void TNodeClientFrame::FetchSound(const QByteArray &fileName)
{
    m_sounds->FetchSound(fileName);
}

void TNodeClientFrame::DrawListPicture(const TAnsiRect &, int) {}

void TNodeClientFrame::PlaceButton(const TAnsiRect &, int, int, const QByteArray &) {}

void TNodeClientFrame::EngineReport(const QByteArray &) {}

void TNodeClientFrame::SurfaceMouseDown(QPoint, Qt::MouseButton) {}

void TNodeClientFrame::SurfaceDoubleClick(QPoint) {}

bool TNodeClientFrame::SurfaceKeyPress(QKeyEvent *)
{
    return false;
}

// ---------------------------------------------------------------------------
// The chat panel

bool TNodeClientFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo4 && event->type() == QEvent::KeyPress)
        return Memo4KeyDown(static_cast<QKeyEvent *>(event));
    if (watched == Scrollbox1 && event->type() == QEvent::KeyPress)
        return SurfaceKeyPress(static_cast<QKeyEvent *>(event));
    return QMainWindow::eventFilter(watched, event);
}

bool TNodeClientFrame::Memo4KeyDown(QKeyEvent *event)
{
    Shape1->setBrushColor(kLime);
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    SendButtonClick();
    return true;   // Return never makes a new line here
}

void TNodeClientFrame::SendButtonClick()
{
    m_chatPanel->SendTypedLine(m_options.chatLead, true);
}

QList<QByteArray> TNodeClientFrame::playerCaptions() const
{
    return NodePlayerList::Captions(*Memo6);
}

QList<QByteArray> TNodeClientFrame::selectedPlayerCaptions() const
{
    return NodePlayerList::SelectedCaptions(*Memo6);
}

QString TNodeClientFrame::playerTip(int row) const
{
    return ChatPanel::RatingTip(Memo6->rowData(row));
}

void TNodeClientFrame::updatePlayerCount()
{
    Panel6->setText(ChatPanel::PlayerCountCaption(Memo6->rowCount()));
}

void TNodeClientFrame::PopupMenu4Popup()
{
    ChatPanel::PlayerMenu previous;
    previous.whereCaption = ProtocolBytes(MenuItem1->data().toString());
    previous.whisperCaption = ProtocolBytes(MenuItem2->data().toString());
    const ChatPanel::PlayerMenu menu = ChatPanel::PlayerMenuFor(
        selectedPlayerCaptions(), Memo4->toPlainText().isEmpty(), previous);
    MenuItem1->setEnabled(menu.whereEnabled);
    MenuItem2->setEnabled(menu.whisperEnabled);
    if (!menu.whereCaption.isEmpty()) {
        MenuItem1->setData(DisplayText(menu.whereCaption));
        MenuItem1->setText(DisplayText(StripCodes(menu.whereCaption)).replace(
            QLatin1Char('&'), QLatin1String("&&")));
    }
    if (!menu.whisperCaption.isEmpty()) {
        MenuItem2->setData(DisplayText(menu.whisperCaption));
        MenuItem2->setText(DisplayText(StripCodes(menu.whisperCaption)).replace(
            QLatin1Char('&'), QLatin1String("&&")));
    }
}

void TNodeClientFrame::whereIsClick()
{
    m_chatPanel->WhereIs(selectedPlayerCaptions(), ChatPanel::WhereIsMessage);
}

void TNodeClientFrame::whisperClick()
{
    m_chatPanel->Whisper(selectedPlayerCaptions(), true);
}

void TNodeClientFrame::PopupMenu1Popup()
{
    const auto entries =
        ChatPanel::VoteEntries(playerCaptions(), m_session.UserName, windowTitle());
    if (!entries || !PopupMenu1)
        return;
    PopupMenu1->clear();
    for (const QByteArray &entry : *entries) {
        QAction *action = PopupMenu1->addAction(
            DisplayText(StripCodes(entry)).replace(QLatin1Char('&'), QLatin1String("&&")));
        action->setData(entry);
    }
}

void TNodeClientFrame::PopupMenu2Popup() {}

void TNodeClientFrame::LockUpdate()
{
    if (Lock && ClientSocket->state() != QAbstractSocket::ConnectedState)
        Lock->setEnabled(false);
}

void TNodeClientFrame::LockExecute()
{
    // A cancel sends nothing here.
    m_chatPanel->AskLockPassword(false);
}

void TNodeClientFrame::ChatNote(const QString &text)
{
    m_chatPanel->Note(text);
}

void TNodeClientFrame::ShowChat(bool down)
{
    const int height = down ? m_options.scrollerHeightChatShown : m_options.scrollerHeightChatHidden;
    const int total = qMax(Splitter1->height(), height + 80);
    Splitter1->setSizes({height, total - height - Splitter1->handleWidth()});
}

void TNodeClientFrame::OpenLink(const QByteArray &link)
{
    m_chatPanel->OpenLink(link);
}

// ---------------------------------------------------------------------------
// Closing

void TNodeClientFrame::closeEvent(QCloseEvent *event)
{
    m_feeder->stop();
    // The program ends with its main window, whatever dialog is open.
    MessageBoxQueue::instance().clear();
    CloseOwnDialogs(this);
    m_close.closeEvent(*this, *ClientSocket, event);
    // What is still queued is not shown any more.
    if (m_close.closing())
        m_work->stop();
}
