#include "CardamoU.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "Ansi.h"
#include "ByteText.h"
#include "CardPictures.h"
#include "CardamoProtocol.h"
#include "MarkerSearch.h"
#include "LastTrickWinU.h"
#include "NodeCommandLine.h"
#include "Platform.h"
#include "ProgramLauncher.h"
#include "ProtocolMarkers.h"
#include "Shape.h"
#include "StartLimits.h"
#include "SurfaceButtons.h"
#include "SurfaceImage.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "Waits.h"

namespace {

// Cards drawn this high up (their top less than this) show at once; lower
// ones wait for the next repaint of the surface.
constexpr int kShownAtOnceAbove = 233;

const QSize kSmallCard(56, 72);
const QSize kSmallRaceCard(55, 74);

} // namespace

NodeFrameOptions TfrmCardamo::Options()
{
    NodeFrameOptions options;
    options.programFile = QStringLiteral("Cardamo");
    options.placementSection = QStringLiteral("Vantora Game Lobby");
    options.initialCaption = QStringLiteral("Vantora Game Lobby");
    options.windowClassName = QStringLiteral("TfrmCardamo");
    options.windowSize = QSize(760, 563);
    options.surfaceSize = QSize(820, 504);
    options.scrollRange = QSize(820, 500);
    options.surfaceStart = Qt::black;
    return options;
}

TfrmCardamo::TfrmCardamo(const QStringList &arguments, QWidget *parent)
    : TNodeClientFrame(Options(), arguments, parent)
    , m_starts(Cardamo::SpawnRules())
{
    LastTrick = new TLastTrick(this);
    m_buttons = new TSurfaceButtons(
        Scrollbox1, [this](const QByteArray &name) { Send(Marker::ButtonPress + name); }, this);
}

TfrmCardamo::~TfrmCardamo() = default;

// ---------------------------------------------------------------------------
// What the server sends

bool TfrmCardamo::screenCommand(QByteArrayView text, MarkerSearch &search)
{
    if (search.in(text, Cardamo::SpawnNodeCommand) < 0)
        return false;
    post([this, chunk = text.toByteArray()] { SpawnNode(chunk); });
    return true;
}

void TfrmCardamo::SpawnNode(const QByteArray &chunk)
{
    const int port = Cardamo::SpawnNodePort(chunk);
    if (port <= 0)
        return;
    ProgramLauncher &launcher = Platform::launcher();
    // A table opened by another table opens none itself, so a chain of
    // tables telling each other to open more ends at the first.
    if (qEnvironmentVariableIsSet(Cardamo::StartedByTableVariable)) {
        ChatNote(QStringLiteral("Start refused: a table opened by another table opens no more."));
        return;
    }
    if (const QString refusal = m_starts.refusal(launcher); !refusal.isEmpty()) {
        ChatNote(refusal);
        return;
    }
    const NodeSession &own = session();
    const QString program = own.ProgramDir + options().programFile;
    if (!launcher.fileExists(program)) {
        UserDialogs::current().message(this, QString(),
                                       QStringLiteral("Unable to load ") + options().programFile);
        return;
    }
    qint64 pid = 0;
    if (StartWithPassword(launcher, program,
                          NodeCommandLine::arguments(own.NodeHost, port, own.UserName, own.Password),
                          own.ProgramDir,
                          {{QString::fromLatin1(Cardamo::StartedByTableVariable), QStringLiteral("1")}},
                          &pid))
        m_starts.started(launcher, pid);
}

void TfrmCardamo::ChunkDispatched()
{
    Image2->setCursor(Qt::ArrowCursor);
}

void TfrmCardamo::drawCard(const TAnsiRect &rect, int code, QSize smallSize)
{
    const QImage card = CardPictures::CardPicture(code);
    if (card.isNull())
        return;   // a code no list has a picture for draws nothing
    QPainter p(&Image2->image());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (smallMode())
        p.drawImage(QRect(QPoint(rect.Left, rect.Top), smallSize), card);
    else
        p.drawImage(QPoint(rect.Left, rect.Top), card);
}

void TfrmCardamo::DrawListPicture(const TAnsiRect &rect, int code)
{
    if (code >= 100) {
        drawCard(rect, code, kSmallRaceCard);
        if (rect.Top < kShownAtOnceAbove || code == 100)
            RefreshSurface();
        return;
    }
    if (code < 0) {
        LastTrick->TrickCleared();
        return;
    }
    LastTrick->CardPlayed(rect.Top, code);
    drawCard(rect, code, kSmallCard);
    if (rect.Top < kShownAtOnceAbove || code == 0)
        RefreshSurface();
}

// ---------------------------------------------------------------------------
// Surface buttons

QAbstractButton *TfrmCardamo::surfaceButton(const QByteArray &name) const
{
    return m_buttons->button(name);
}

int TfrmCardamo::surfaceButtonCount() const
{
    return m_buttons->count();
}

void TfrmCardamo::PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text)
{
    m_buttons->Place(engine(), rect, image, color, text);
}

// ---------------------------------------------------------------------------
// What the user does on the surface

void TfrmCardamo::SurfaceMouseDown(QPoint point, Qt::MouseButton)
{
    LastClickX = point.x();
    LastClickY = point.y();
    Shape1->setBrushColor(QColor(0, 255, 0));
    if (engine())
        Send(engine()->CellTextAt(point.x(), point.y()));
    Image2->setCursor(Qt::BusyCursor);
}

void TfrmCardamo::SurfaceDoubleClick(QPoint)
{
    Shape1->setBrushColor(QColor(0, 255, 0));
    Waits::after(200, this, [this] {
        // 150 pixels above the last press: the row may come out as 0 or
        // negative near the top; it is sent as it is.
        if (engine())
            Send(engine()->CellTextAt(LastClickX, LastClickY - 150));
    });
}

bool TfrmCardamo::SurfaceKeyPress(QKeyEvent *event)
{
    const QByteArray typed = ProtocolBytes(event->text());
    if (typed.isEmpty())
        return false;
    for (char ch : typed)
        Send(QByteArray(1, ch));
    return true;
}

// ---------------------------------------------------------------------------
// The options menu

void TfrmCardamo::PopupMenu2Popup()
{
    if (Memo6->rowCount() == 0)
        return;
    PopupMenu2->clear();
    if (!windowTitle().contains(QLatin1String("Table")))
        return;
    QAction *refresh = PopupMenu2->addAction(QStringLiteral("Refresh Screen"));
    refresh->setObjectName(QStringLiteral("RefreshScreen1"));
    connect(refresh, &QAction::triggered, this, &TfrmCardamo::RefreshSurface);
    QAction *lastTrick = PopupMenu2->addAction(QStringLiteral("Show Last Trick"));
    lastTrick->setObjectName(QStringLiteral("ShowLastTrick1"));
    lastTrick->setCheckable(true);
    lastTrick->setChecked(LastTrick->isVisible());
    connect(lastTrick, &QAction::triggered, this, &TfrmCardamo::ShowLastTrickClick);
}

void TfrmCardamo::ShowLastTrickClick()
{
    if (LastTrick->isVisible()) {
        LastTrick->close();
        return;
    }
    LastTrick->setTableCaption(windowTitle());
    LastTrick->ShowWindow();
}
