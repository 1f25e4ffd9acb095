#include "GateletU.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Ansi.h"
#include "AppInfo.h"
#include "ByteText.h"
#include "DesktopEffects.h"
#include "DoorTerminal.h"
#include "NodeCommandLine.h"
#include "NodeSettings.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "ScreenFeeder.h"
#include "ServerSounds.h"
#include "SuitePictures.h"
#include "SurfaceDrawing.h"
#include "SurfaceImage.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "WinState.h"
#include "WindowActivation.h"
#include "WindowLister.h"

namespace {

const QString kLargeFontKey = QStringLiteral("LargeFont");
constexpr int kIdentifyAfterMs = 1200;
constexpr int kReadyAfterMs = 500;

} // namespace

// ---------------------------------------------------------------------------
// Start-up

TfrmGatelet::TfrmGatelet(const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent)
    , m_dispatcher(static_cast<GateletDispatchTarget &>(*this))
    , m_argumentCount(int(arguments.size()))
{
    setObjectName(QStringLiteral("TfrmGatelet"));
    setWindowTitle(QStringLiteral("Vantora Door Game"));
    buildWindow();

    m_feeder = new ScreenFeeder(this);
    m_sounds = new ServerSounds(this);
    ClientSocket = new QTcpSocket(this);
    ClientSocket->setObjectName(QStringLiteral("ClientSocket"));
    DoorTerminal::PaceFeeding(*m_feeder, *ClientSocket);
    createEngine();

    const QRect work = screen() ? screen()->availableGeometry() : QRect();
    move(work.left() + 10, work.top());
    resize(680, 480);
    setMinimumSize(500, 400);
    setMaximumSize(850, 600);

    readStartupSettings(arguments);
    m_sounds->setMediaDir(m_session.MediaDir);
    m_sounds->setBaseUrl(ServerSounds::soundBaseUrl(m_session.NodeHost));

    connect(m_feeder, &ScreenFeeder::sliceFed, Image2, qOverload<>(&QWidget::update));
    connect(m_feeder, &ScreenFeeder::drained, this, [this] {
        if (m_readPaused) {
            m_readPaused = false;
            ClientSocketRead();
        }
    });
    m_feeder->setSink([this](const QByteArray &bytes) {
        if (m_engine && !m_close.closing())
            m_engine->Write(bytes);
    });

    connect(ClientSocket, &QTcpSocket::connected, this, &TfrmGatelet::ClientSocketConnect);
    connect(ClientSocket, &QTcpSocket::readyRead, this, &TfrmGatelet::ClientSocketRead);
    connect(ClientSocket, &QTcpSocket::disconnected, this, &TfrmGatelet::ClientSocketDisconnect);
    connect(ClientSocket, &QTcpSocket::errorOccurred, this, &TfrmGatelet::ClientSocketError);

    m_winState = new TWinState(this);
    m_winState->SectionName = QStringLiteral("Vantora Door Game");
    m_winState->SetDataStorage(dsRegistry);
    setWindowIcon(SuiteIcon());
    MainWindows::registerWindow(this, QStringLiteral("TfrmGatelet"));
}

TfrmGatelet::~TfrmGatelet()
{
    // The engine is fed only from the event loop, never from inside its own
    // input, so it is idle here.
    ClientSocket->disconnect(this);
    m_feeder->stop();
    m_engine.reset();
    RegistrySettings store;
    store.writeBool(VantoraKey(kLargeFontKey), SpeedButton1->isChecked());
    store.flush();
}

void TfrmGatelet::buildWindow()
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    Scroller = new QScrollArea(central);
    Scroller->setObjectName(QStringLiteral("Scroller"));
    Scroller->setWidgetResizable(false);
    Scrollbox1 = new QWidget;
    Scrollbox1->setObjectName(QStringLiteral("Scrollbox1"));
    Scrollbox1->setFixedSize(891, 500);
    Scrollbox1->setFocusPolicy(Qt::ClickFocus);
    Scrollbox1->installEventFilter(this);
    QPalette darkRed = Scrollbox1->palette();
    darkRed.setColor(QPalette::Window, QColor(64, 0, 0));
    Scrollbox1->setPalette(darkRed);
    Scrollbox1->setAutoFillBackground(true);
    Image2 = new TSurfaceImage(QSize(891, 500), Scrollbox1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->move(0, 0);
    // The busy pointer of a press ends at the next movement.
    Image2->setMouseTracking(true);
    Image2->installEventFilter(this);
    Scroller->setWidget(Scrollbox1);
    QPalette black = Scroller->palette();
    black.setColor(QPalette::Window, Qt::black);
    Scroller->setPalette(black);
    connect(Image2, &TSurfaceImage::pressed, this, [this](QPoint point, Qt::MouseButton) {
        Scrollbox1->setFocus(Qt::MouseFocusReason);
        SurfaceMouseDown(point);
    });
    connect(Image2, &TSurfaceImage::doubleClicked, this, [this] { SurfaceDoubleClick(); });
    layout->addWidget(Scroller, 1);

    Panel4 = new QWidget(central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(35);
    Panel4->setMinimumHeight(32);
    auto *bar = new QHBoxLayout(Panel4);
    bar->setContentsMargins(2, 2, 2, 2);
    StatusBar1 = new QStatusBar(Panel4);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedWidth(80);
    StatusPanel = new QLabel(QStringLiteral("   Door 1.5"), StatusBar1);
    StatusBar1->addWidget(StatusPanel, 1);
    Button1 = new QPushButton(QStringLiteral("Connect"), Panel4);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFixedSize(75, 25);
    Button1->setFocusPolicy(Qt::NoFocus);
    connect(Button1, &QPushButton::clicked, this, &TfrmGatelet::Button1Click);
    SpeedButton1 = new QToolButton(Panel4);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("Large Fonts"));
    SpeedButton1->setToolTip(QStringLiteral("Large Fonts"));
    SpeedButton1->setCheckable(true);
    SpeedButton1->setFixedSize(107, 25);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(StatusBar1);
    bar->addWidget(Button1);
    bar->addWidget(SpeedButton1);
    bar->addStretch(1);
    layout->addWidget(Panel4);
}

void TfrmGatelet::createEngine()
{
    m_engine = std::make_unique<TAnsi>();
    m_engine->AttachSurface(&Image2->image());
    DesktopEffects::Install(*m_engine);
    // No buttons and no list pictures: those requests draw nothing.
    m_engine->OnResourcePicture = [this](const TAnsiRect &rect, const QByteArray &name) {
        DrawResourcePicture(rect, name);
    };
    m_engine->OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
        DrawSurfaceText(rect, text);
    };
    m_engine->OnSound = [this](const QByteArray &name) { PlayServerSound(name); };
    m_engine->OnRefresh = [this] { RefreshSurface(); };
    m_engine->OnReport = [this](const QByteArray &text) { SendEngineReply(text); };
    m_engine->OnFailure = [](const QString &message) {
        qWarning("Screen data not understood: %s", qPrintable(message));
    };
}

void TfrmGatelet::readStartupSettings(const QStringList &arguments)
{
    RegistrySettings store;
    const NodeSettings settings(store);
    m_scaleLowRes = settings.scaleLowRes();
    SpeedButton1->setChecked(store.readBool(VantoraKey(kLargeFontKey), false));
    connect(SpeedButton1, &QToolButton::toggled, this, &TfrmGatelet::SpeedButton1Click);
    m_session.MediaDir = NodeSettings::mediaDir(settings.mediaPath());
    m_session.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');

    // The local machine on port 2112 unless the command line says otherwise;
    // the host is never empty, so no setting names it.
    m_session.NodeHost = ProtocolBytes(DefaultServiceHost());
    m_session.NodePort = DefaultPort;
    const NodeCommandLine line = NodeCommandLine::read(arguments);
    m_session.UserName = line.UserName;
    m_session.Password = line.Password;
    if (!line.NodeHost.isEmpty())
        m_session.NodeHost = line.NodeHost;
    if (arguments.size() > 1)
        m_session.NodePort = line.NodePort;
}

void TfrmGatelet::configureEngine()
{
    const QScreen *shown = screen() ? screen() : QGuiApplication::primaryScreen();
    const bool narrow = shown && shown->size().width() < 1024;
    DoorTerminal::SetEngineFont(*m_engine, m_scaleLowRes && narrow, LargeFont());
}

bool TfrmGatelet::LargeFont() const
{
    return SpeedButton1->isChecked();
}

void TfrmGatelet::SpeedButton1Click(bool down)
{
    // What is on the screen stays as it is; new output uses the new cells.
    DoorTerminal::SetLargeFont(*m_engine, down);
}

// ---------------------------------------------------------------------------
// Activation

void TfrmGatelet::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    WindowActivation::AfterShow(this, [this] { return m_activated; }, [this] { FormActivate(); });
}

void TfrmGatelet::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (WindowActivation::BecameActive(this, event))
        FormActivate();
}

void TfrmGatelet::FormActivate()
{
    if (!m_activated) {
        configureEngine();
        QImage &surface = Image2->image();
        surface.fill(Qt::black);
        const QImage splash = SuitePicture("BITMAPVT");
        if (!splash.isNull()) {
            QPainter p(&surface);
            DrawKeyedPicture(p, QPoint(10, 10), splash);
        }
        Image2->update();
        connectToNode();
    }
    m_activated = true;
    // Typing reaches the door game at once.
    Scrollbox1->setFocus(Qt::ActiveWindowFocusReason);
}

// ---------------------------------------------------------------------------
// The connection

void TfrmGatelet::connectToNode()
{
    m_connectionFailed = false;
    ClientSocket->connectToHost(DisplayText(m_session.NodeHost),
                                quint16(qBound(0, m_session.NodePort, 65535)));
}

bool TfrmGatelet::Send(const QByteArray &bytes)
{
    if (ClientSocket->state() != QAbstractSocket::ConnectedState || bytes.isEmpty())
        return false;
    return ClientSocket->write(bytes) == bytes.size();
}

// The identification 1200 ms from now, ClientReady 500 ms after it.
void TfrmGatelet::identifyLater()
{
    Waits::after(kIdentifyAfterMs, this, [this] {
        Send(m_session.Identification());
        Waits::after(kReadyAfterMs, this, [this] { Send(Marker::ClientReady); });
    });
}

void TfrmGatelet::ClientSocketConnect()
{
    // Single key strokes go out at once, not held back to be sent together.
    ClientSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (!m_session.UserName.isEmpty()) {
        identifyLater();
        return;
    }
    // Without a user name it stays a plain terminal, unless nothing at all
    // was on the command line.
    if (m_argumentCount == 0)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void TfrmGatelet::Button1Click()
{
    if (ClientSocket->state() == QAbstractSocket::UnconnectedState)
        connectToNode();
    // Identifies even without a user name, and again on an open connection.
    identifyLater();
}

void TfrmGatelet::ClientSocketRead()
{
    if (m_close.closing())
        return;
    if (m_feeder->aboveHighWater()) {
        // The screen is behind; the rest waits in the connection.
        m_readPaused = true;
        return;
    }
    const QByteArray chunk = ClientSocket->readAll();
    if (chunk.isEmpty())
        return;
    dispatch(chunk);
    Image2->setCursor(Qt::ArrowCursor);
}

void TfrmGatelet::dispatch(const QByteArray &chunk)
{
    m_dispatcher.dispatch(chunk);
}

void TfrmGatelet::ClientSocketDisconnect()
{
    if (m_connectionFailed || m_close.closing())
        return;
    ClientSocket->abort();
    close();
}

void TfrmGatelet::ClientSocketError(QAbstractSocket::SocketError error)
{
    if (error == QAbstractSocket::RemoteHostClosedError || m_close.closing())
        return;   // the disconnect handler closes the window
    // Nothing is shown; "Connect" tries again.
    m_connectionFailed = true;
    ClientSocket->abort();
}

// ---------------------------------------------------------------------------
// What the dispatcher decided

void TfrmGatelet::passwordRequested()
{
    // One password dialog at a time, and none for a while after a cancel:
    // the dialog's own event loop goes on reading the connection, and a
    // server must not pile dialogs up or bring one straight back.
    if (m_close.closing() || !m_passwordGate.tryOpen())
        return;
    QString typed;
    const bool ok = UserDialogs::current().askText(this, QStringLiteral("Security"),
                                                   QStringLiteral(" Enter Password :"), &typed,
                                                   UserDialogs::Echo::Password);
    m_passwordGate.done(!ok);
    // A window that closed meanwhile sends nothing.
    if (!m_close.closing())
        Send(Marker::PasswordMarker + (ok ? ProtocolBytes(typed) : QByteArray()));
}

void TfrmGatelet::captionReceived(const QByteArray &caption)
{
    setWindowTitle(DisplayText(caption));
}

void TfrmGatelet::screenData(const QByteArray &bytes)
{
    m_feeder->append(bytes);
}

bool TfrmGatelet::Feeding() const
{
    return m_feeder->Feeding();
}

QByteArray TfrmGatelet::ScreenBuffer() const
{
    return m_feeder->ScreenBuffer();
}

// ---------------------------------------------------------------------------
// Operations the engine calls

void TfrmGatelet::DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name)
{
    SurfaceDrawing::ResourcePicture(Image2->image(), rect, SuitePicture(name));
    Image2->update();
}

void TfrmGatelet::DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text)
{
    SurfaceDrawing::SurfaceText(Image2->image(), *m_engine, rect, text);
    Image2->update();
}

void TfrmGatelet::RefreshSurface()
{
    Image2->repaintNow();
}

void TfrmGatelet::PlayServerSound(const QByteArray &fileName)
{
    m_sounds->PlayServerSound(fileName);
}

void TfrmGatelet::SendEngineReply(const QByteArray &text)
{
    Waits::after(200, this, [this, text] { Send(text); });
}

// ---------------------------------------------------------------------------
// What the user does on the surface

void TfrmGatelet::SurfaceMouseDown(QPoint point)
{
    LastClickX = point.x();
    LastClickY = point.y();
    Send(m_engine->CellTextAt(point.x(), point.y()));
    Image2->setCursor(Qt::BusyCursor);
}

void TfrmGatelet::SurfaceDoubleClick()
{
    Waits::after(200, this, [this] {
        Send(m_engine->CellTextAt(LastClickX, LastClickY - 150));
    });
}

bool TfrmGatelet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Scrollbox1
        && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return DoorTerminal::SurfaceKey(*static_cast<QKeyEvent *>(event),
                                        [this](const QByteArray &bytes) { Send(bytes); });
    if (watched == Image2 && event->type() == QEvent::MouseMove)
        Image2->setCursor(Qt::ArrowCursor);
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Closing

void TfrmGatelet::closeEvent(QCloseEvent *event)
{
    m_feeder->stop();
    m_close.closeEvent(*this, *ClientSocket, event);
}
