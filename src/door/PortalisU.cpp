#include "PortalisU.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

#include "Ansi.h"
#include "DoorTerminal.h"
#include "ProtocolMarkers.h"
#include "RegistrySettings.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "SurfaceButtons.h"
#include "SurfaceImage.h"
#include "UserListView.h"
#include "Waits.h"
#include "uRichEditWithLinks.h"

namespace {

const QColor kLime(0, 255, 0);
const QString kLargeFontKey = QStringLiteral("LargeFont");
constexpr int kChatHeight = 120;
constexpr int kPlayersWidth = 112;

} // namespace

NodeFrameOptions TfrmPortalis::Options()
{
    NodeFrameOptions options;
    options.programFile = QStringLiteral("Portalis");
    options.placementSection = QStringLiteral("Vantora Door Game");
    options.placementInRegistry = true;
    options.initialCaption = QStringLiteral("Vantora Door Game");
    options.windowClassName = QStringLiteral("TfrmPortalis");
    options.windowSize = QSize(800, 563);
    options.surfaceSize = QSize(891, 500);
    options.scrollRange = QSize(891, 500);
    options.surfaceStart = Qt::black;
    options.readsScaleLowRes = true;
    options.toolBar = false;
    // Chat and screen share the connection: typed lines go behind the marker.
    options.chatLead = Marker::ChatMarker;
    return options;
}

TfrmPortalis::TfrmPortalis(const QStringList &arguments, QWidget *parent)
    : TNodeClientFrame(Options(), arguments, parent)
    , m_argumentCount(int(arguments.size()))
{
    layOutWindow();
    m_buttons = new TSurfaceButtons(
        Scrollbox1, [this](const QByteArray &name) { Send(Marker::ButtonPress + name); }, this);

    {
        RegistrySettings store;
        m_largeFontAtStart = store.readBool(VantoraKey(kLargeFontKey), false);
    }
    SpeedButton1->setChecked(m_largeFontAtStart);
    connect(SpeedButton1, &QToolButton::toggled, this, &TfrmPortalis::SpeedButton1Click);

    DoorTerminal::PaceFeeding(*screenFeeder(), *ClientSocket);
    // The busy pointer of a press ends at the next movement too.
    Image2->setMouseTracking(true);
    Image2->installEventFilter(this);
}

TfrmPortalis::~TfrmPortalis()
{
    RegistrySettings store;
    store.writeBool(VantoraKey(kLargeFontKey), SpeedButton1->isChecked());
    store.flush();
}

void TfrmPortalis::layOutWindow()
{
    setMinimumSize(500, 562);
    setMaximumSize(1050, 750);

    QPalette darkRed = Scrollbox1->palette();
    darkRed.setColor(QPalette::Window, QColor(64, 0, 0));
    Scrollbox1->setPalette(darkRed);
    Scrollbox1->setAutoFillBackground(true);
    Scroller->setMinimumHeight(100);
    Scroller->setMaximumHeight(600);
    Scroller->setMaximumWidth(1000);

    Panel10 = Memo5->parentWidget();
    Panel10->setObjectName(QStringLiteral("Panel10"));
    Panel10->setMinimumHeight(kChatHeight);
    Panel10->setMaximumHeight(500);

    Panel3 = Panel6->parentWidget();
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumWidth(100);
    Panel3->setMaximumWidth(152);

    // The input's look until the first activation applies the settings.
    QPalette input = Memo4->palette();
    input.setColor(QPalette::Base, Qt::black);
    input.setColor(QPalette::Text, QColor(215, 253, 217));
    Memo4->setPalette(input);
    QFont bold(QStringLiteral("Arial"));
    bold.setBold(true);
    Memo4->setFont(bold);

    // No context menus on the list, the chat view or the surface.
    Memo5->setContextMenuPolicy(Qt::NoContextMenu);
    Memo6->setContextMenuPolicy(Qt::NoContextMenu);
    Scrollbox1->setContextMenuPolicy(Qt::NoContextMenu);

    StatusPanel->setMinimumWidth(0);
    StatusPanel->setMaximumWidth(QWIDGETSIZE_MAX);
    StatusPanel->setText(QStringLiteral("   Door 1.4"));
    SpeedButton1 = new QToolButton(StatusBar1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("X"));
    SpeedButton1->setToolTip(QStringLiteral("Large Fonts"));
    SpeedButton1->setCheckable(true);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    StatusBar1->addPermanentWidget(SpeedButton1);
}

// The chat 120 high under the surface, the players column 112 wide.
void TfrmPortalis::layOutChat()
{
    const int surfaceHeight = Splitter1->height() - kChatHeight - Splitter1->handleWidth();
    if (surfaceHeight > 0)
        Splitter1->setSizes({surfaceHeight, kChatHeight});
    if (auto *columns = qobject_cast<QSplitter *>(Panel3->parentWidget())) {
        const int left = columns->width() - kPlayersWidth - columns->handleWidth();
        if (left > 0)
            columns->setSizes({left, kPlayersWidth});
    }
}

bool TfrmPortalis::LargeFont() const
{
    return SpeedButton1->isChecked();
}

QAbstractButton *TfrmPortalis::surfaceButton(const QByteArray &name) const
{
    return m_buttons->button(name);
}

int TfrmPortalis::surfaceButtonCount() const
{
    return m_buttons->count();
}

// ---------------------------------------------------------------------------
// Activation and the connection

void TfrmPortalis::FormActivate()
{
    const bool first = !Activated();
    TNodeClientFrame::FormActivate();
    if (first)
        layOutChat();
    // Typing reaches the door game at once.
    Scrollbox1->setFocus(Qt::ActiveWindowFocusReason);
}

void TfrmPortalis::ConfigureEngine()
{
    TNodeClientFrame::ConfigureEngine();
    if (LargeFont())
        DoorTerminal::SetLargeFont(*engine(), true);
    engine()->SetRowCount(DoorTerminal::RowCount);
}

void TfrmPortalis::SpeedButton1Click(bool down)
{
    if (engine()) {
        DoorTerminal::ToggleLargeFont(*engine(), down);
        Image2->update();
    }
}

void TfrmPortalis::ClientSocketConnect()
{
    // Single key strokes go out at once, not held back to be sent together.
    ClientSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // The notice is followed by the outcome, so that it is not left as the
    // last word of a door that is in fact connected.
    const auto connecting = [this] {
        ShowChatText("Connecting...\r\n");
        ShowChatText("\033[5Connected to " + session().NodeHost + ':'
                     + QByteArray::number(session().NodePort) + ".\033]\r\n");
        setLights(kLime, kLime);
    };
    if (!session().UserName.isEmpty()) {
        Send(session().Identification());
        Memo5->clear();
        Waits::after(200, this, [this, connecting] {
            Send(Marker::ClientReady);
            connecting();
        });
        return;
    }
    // Without a user name: a plain terminal to a door server, unless nothing
    // at all was on the command line.
    if (m_argumentCount == 0)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    connecting();
}

void TfrmPortalis::lockOffered()
{
    // Doors cannot be locked: the offer is taken out and nothing is shown.
}

void TfrmPortalis::ChunkDispatched()
{
    Image2->setCursor(Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------
// Operations the engine calls

void TfrmPortalis::PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text)
{
    m_buttons->Place(engine(), rect, image, color, text);
}

void TfrmPortalis::EngineReport(const QByteArray &text)
{
    SendEngineReply(text);
}

void TfrmPortalis::SendEngineReply(const QByteArray &text)
{
    Shape1->setBrushColor(kLime);
    Waits::after(200, this, [this, text] { Send(text); });
}

// ---------------------------------------------------------------------------
// What the user does on the surface

void TfrmPortalis::SurfaceMouseDown(QPoint point, Qt::MouseButton)
{
    LastClickX = point.x();
    LastClickY = point.y();
    Shape1->setBrushColor(kLime);
    Send(engine()->CellTextAt(point.x(), point.y()));
    Image2->setCursor(Qt::BusyCursor);
}

void TfrmPortalis::SurfaceDoubleClick(QPoint)
{
    Shape1->setBrushColor(kLime);
    Waits::after(200, this, [this] {
        Send(engine()->CellTextAt(LastClickX, LastClickY - 150));
    });
}

bool TfrmPortalis::SurfaceKeyPress(QKeyEvent *event)
{
    return DoorTerminal::SurfaceKey(*event, [this](const QByteArray &bytes) { Send(bytes); });
}

bool TfrmPortalis::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Scrollbox1 && event->type() == QEvent::KeyRelease)
        return SurfaceKeyPress(static_cast<QKeyEvent *>(event));
    if (watched == Image2 && event->type() == QEvent::MouseMove)
        Image2->setCursor(Qt::ArrowCursor);
    return TNodeClientFrame::eventFilter(watched, event);
}
