#include "GameMenuFrame.h"

#include <QPainter>
#include <QScrollArea>
#include <QTcpSocket>
#include <QVBoxLayout>

#include "Ansi.h"
#include "AppInfo.h"
#include "ByteText.h"
#include "ClientPrograms.h"
#include "Platform.h"
#include "ProgramLauncher.h"
#include "ProtocolMarkers.h"
#include "ReadPause.h"
#include "SuitePictures.h"
#include "SurfaceButtons.h"
#include "SurfaceDrawing.h"
#include "SurfaceImage.h"
#include "UserDialogs.h"
#include "Waits.h"

namespace {

// After a press the picture takes no other for this long.
constexpr int PressPauseMs = 200;

} // namespace

TGamesFrame::TGamesFrame(GamesFrameLobby &lobby, QWidget *parent)
    : QFrame(parent)
    , m_lobby(lobby)
    , m_dispatcher(*this)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Scroller = new QScrollArea(this);
    Scroller->setObjectName(QStringLiteral("Scroller"));
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setBackgroundRole(QPalette::Dark);
    // The picture lies on a panel of its size, the scroller's content.
    Scrollbox1 = new QWidget;
    Scrollbox1->setObjectName(QStringLiteral("Scrollbox1"));
    Scrollbox1->setFixedSize(PictureWidth, PictureHeight);
    Image2 = new TSurfaceImage(QSize(PictureWidth, PictureHeight), Scrollbox1);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setMouseTracking(true);
    Image2->move(0, 0);
    Scroller->setWidget(Scrollbox1);
    layout->addWidget(Scroller);

    MenuSocket = new QTcpSocket(this);
    MenuSocket->setObjectName(QStringLiteral("MenuSocket"));
    // The menu's screen data is drawn as it is read; what the engine has not
    // got to waits in the connection, so the server waits too.
    ReadPause::limitSocket(*MenuSocket, MenuReadLimit);
    connect(MenuSocket, &QTcpSocket::connected, this, &TGamesFrame::MenuSocketConnect);
    connect(MenuSocket, &QTcpSocket::disconnected, this, &TGamesFrame::MenuSocketDisconnect);
    connect(MenuSocket, &QTcpSocket::readyRead, this, &TGamesFrame::MenuSocketRead);
    // Errors are silent: the logo shows again when the connection drops.
    connect(MenuSocket, &QTcpSocket::errorOccurred, this, [](QAbstractSocket::SocketError) {});

    m_buttons = std::make_unique<TSurfaceButtons>(
        Image2, [this](const QByteArray &name) { SendMenu(Marker::ButtonPress + name); }, nullptr,
        [this](int image) { return m_lobby.buttonGlyph(image); });

    connect(Image2, &TSurfaceImage::moved, this,
            [this](QPoint point, Qt::MouseButtons) { Image2MouseMove(point); });
    connect(Image2, &TSurfaceImage::pressed, this,
            [this](QPoint point, Qt::MouseButton) { Image2MouseDown(point); });
    connect(Image2, &TSurfaceImage::released, this, [this](QPoint, Qt::MouseButton) { Image2MouseUp(); });
    connect(Image2, &TSurfaceImage::doubleClicked, this, [this](QPoint) { Image2MouseUp(); });

    showLogo();
}

TGamesFrame::~TGamesFrame()
{
    // The buttons' owner goes before the picture that holds them.
    m_buttons.reset();
    MenuSocket->disconnect(this);
    MenuSocket->abort();
    DetachEngine();
}

// ---------------------------------------------------------------------------
// Operations

void TGamesFrame::OpenMenu(int port)
{
    if (port == 0)
        return;
    // A menu replaced by a new one is not a menu the server dropped.
    if (MenuSocket->state() != QAbstractSocket::UnconnectedState) {
        MenuActive = false;
        MenuSocket->abort();
    }
    const QString server = m_lobby.serverName();
    if (server.isEmpty() || port < 0 || port > 65535)
        return;
    MenuSocket->connectToHost(server, quint16(port));
}

void TGamesFrame::showLogo()
{
    QImage &picture = Image2->image();
    picture.fill(Qt::black);
    const QImage logo = SuitePicture("BITMAPVT");
    if (!logo.isNull()) {
        QPainter p(&picture);
        DrawKeyedPicture(p, QPoint(10, 10), logo);
    }
    Image2->update();
}

void TGamesFrame::ClearMenu()
{
    showLogo();
    MenuActive = false;
}

void TGamesFrame::AttachEngine(TAnsi *engine)
{
    Engine = engine;
    if (!engine)
        return;
    engine->AttachSurface(&Image2->image());
    engine->OnResourcePicture = [this](const TAnsiRect &rect, const QByteArray &name) {
        DrawResourcePicture(rect, name);
    };
    engine->OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
        DrawSurfaceText(rect, text);
    };
    engine->OnButton = [this](const TAnsiRect &rect, int image, int color,
                              const QByteArray &text) { PlaceButton(rect, image, color, text); };
    engine->OnRefresh = [this] { Image2->repaintNow(); };
    // Cells measured from the font, so the cell a press sends is the one
    // the text under the pointer was printed in.
    engine->SetMeasuredFontSize(m_lobby.smallScreen() ? 8 : 10);
}

void TGamesFrame::DetachEngine()
{
    if (!Engine)
        return;
    // The engine keeps no way back into a frame that no longer owns it.
    if (Engine->Surface() && Engine->Surface()->image() == &Image2->image()) {
        Engine->AttachSurface(nullptr);
        Engine->OnResourcePicture = nullptr;
        Engine->OnSurfaceText = nullptr;
        Engine->OnButton = nullptr;
        Engine->OnRefresh = nullptr;
    }
    Engine = nullptr;
}

void TGamesFrame::CloseMenu()
{
    MenuActive = false;
    MenuSocket->abort();
}

bool TGamesFrame::MenuConnected() const
{
    return MenuSocket->state() == QAbstractSocket::ConnectedState;
}

void TGamesFrame::SendMenu(const QByteArray &bytes)
{
    if (MenuConnected())
        MenuSocket->write(bytes);
}

// ---------------------------------------------------------------------------
// The connection

void TGamesFrame::MenuSocketConnect()
{
    SendMenu(Marker::IdentifyOpen + ProtocolBytes(m_lobby.userName()) + Marker::IdentifyClose
             + ProtocolBytes(m_lobby.password()));
    m_lobby.setStatus(QString());
    MenuActive = true;
    MenuActed = false;
}

void TGamesFrame::MenuSocketDisconnect()
{
    // What came with the server's goodbye is read before the goodbye.
    if (MenuSocket->bytesAvailable() > 0)
        MenuSocketRead();
    showLogo();
    m_buttons->Clear();
    const bool wasActive = MenuActive;
    MenuActive = false;
    if (wasActive)
        m_lobby.menuDropped();
}

void TGamesFrame::MenuSocketRead()
{
    const QByteArray chunk = MenuSocket->readAll();
    if (!chunk.isEmpty() && m_dispatcher.Dispatch(chunk))
        MenuActed = true;
}

// ---------------------------------------------------------------------------
// The picture and the mouse

void TGamesFrame::Image2MouseMove(QPoint point)
{
    m_busy = false;
    const bool overText = Engine && Engine->CharAtPoint(point.x(), point.y()) != 0;
    Image2->setCursor(overText ? Qt::PointingHandCursor : Qt::ArrowCursor);
    MenuActive = true;
}

void TGamesFrame::Image2MouseDown(QPoint point)
{
    if (m_busy || m_pressPause || !Engine)
        return;
    SendMenu(Engine->CellTextAt(point.x(), point.y()));
    m_pressPause = true;
    Waits::after(PressPauseMs, this, [this] { m_pressPause = false; });
}

void TGamesFrame::Image2MouseUp()
{
    m_busy = true;
    Image2->setCursor(Qt::BusyCursor);
}

// ---------------------------------------------------------------------------
// Drawing operations

void TGamesFrame::DrawResourcePicture(const TAnsiRect &rect, const QByteArray &name)
{
    SurfaceDrawing::ResourcePicture(Image2->image(), rect, SuitePicture(name));
    Image2->update();
}

void TGamesFrame::DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text)
{
    if (!Engine)
        return;
    // Labels keep their size from font size 10 up and are 2 smaller below.
    SurfaceDrawing::SurfaceText(Image2->image(), *Engine, rect, text, 9);
    Image2->update();
}

void TGamesFrame::PlaceButton(const TAnsiRect &rect, int image, int color, const QByteArray &text)
{
    m_buttons->Place(Engine, rect, image, color, text);
}

// ---------------------------------------------------------------------------
// The dispatcher's host

QString TGamesFrame::serverName() const
{
    return m_lobby.serverName();
}

QString TGamesFrame::userName() const
{
    return m_lobby.userName();
}

QString TGamesFrame::password() const
{
    return m_lobby.password();
}

bool TGamesFrame::programExists(const QString &program) const
{
    return Platform::launcher().fileExists(m_lobby.lobbyDir() + program);
}

QString TGamesFrame::askPassword()
{
    QString typed;
    if (!UserDialogs::current().askText(window(), QStringLiteral("Security"),
                                        QStringLiteral(" Enter Password :"), &typed,
                                        UserDialogs::Echo::Password))
        return QString();
    return typed;
}

void TGamesFrame::sendRaw(const QByteArray &bytes)
{
    SendMenu(bytes);
}

void TGamesFrame::switchServer(const QString &host, int port)
{
    m_lobby.switchServer(host, port);
}

bool TGamesFrame::startProgram(const QString &program, const QStringList &arguments,
                               bool reportMissing)
{
    return StartClientProgram(window(), m_lobby.lobbyDir(), program, arguments, reportMissing);
}

void TGamesFrame::showMessage(const QString &text)
{
    UserDialogs::current().message(window(), ApplicationTitle(), text);
}

void TGamesFrame::writeScreen(const QByteArray &text)
{
    if (!Engine)
        return;
    Engine->Write(text);
    Image2->update();
}
