// Takes the pictures that README shows: the local service starts in this
// process on free ports, and the suite's windows connect to it as they do
// for a user, are driven to a typical screen (the lobby with its games menu
// open, a card table in play, a sketch round, the door game, a chat room)
// and grabbed into PNG files. Runs on the offscreen platform unless another
// is named; the settings and data live in a temporary folder.
//
//   vantora-screenshots <folder>

#include <QApplication>
#include <QLabel>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "Ansi.h"
#include "CardamoU.h"
#include "ChatSession.h"
#include "DoodlixTableU.h"
#include "GameMenuFrame.h"
#include "LobbyMain.h"
#include "ParloraU.h"
#include "Platform.h"
#include "PortalisU.h"
#include "ProtocolMarkers.h"
#include "SoundPlayer.h"
#include "SurfaceImage.h"
#include "VtServer.h"
#include "uRichEditWithLinks.h"

namespace {

// The games menu's entries as the service lists them.
constexpr int CardTableEntry = 0;
constexpr int SketchEntry = 2;
constexpr int MinefieldEntry = 3;

// Pictures are taken without sound.
class Silence : public SoundPlayer
{
public:
    bool play(const QString &) override { return true; }
    bool isPlaying() const override { return false; }
    void stop() override {}
};

bool waitFor(const std::function<bool()> &done, int ms = 10000)
{
    return QTest::qWaitFor(done, ms);
}

// Logs a name in through the lobby, which creates its account.
bool logIn(const VtServer &server, const QByteArray &name)
{
    QTcpSocket lobby;
    lobby.connectToHost(QHostAddress::LocalHost, quint16(server.lobbyPort()));
    if (!waitFor([&] { return lobby.state() == QAbstractSocket::ConnectedState; }, 5000))
        return false;
    lobby.write(Marker::IdentifyOpen + name + Marker::IdentifyClose + "pw");
    QByteArray got;
    return waitFor([&] {
        got += lobby.readAll();
        return got.contains(Marker::ReadyMarker);
    });
}

QStringList node(int port, const char *user)
{
    return {QStringLiteral("127.0.0.1"), QString::number(port), QString::fromLatin1(user),
            QStringLiteral("pw")};
}

template <class Window>
std::unique_ptr<Window> open(const QStringList &arguments, const QPoint &at = {0, 0})
{
    auto window = std::make_unique<Window>(arguments);
    window->move(at);
    window->show();
    window->FormActivate();
    return window;
}

bool save(QWidget &window, const QString &file)
{
    QTest::qWait(400);   // the last repaints
    const bool ok = window.grab().save(file, "PNG");
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
                 qPrintable(file));
    return ok;
}

void mouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A stroke through the points, as the artist's mouse draws it.
void stroke(QWidget *drawing, const QList<QPoint> &points)
{
    mouse(drawing, QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (const QPoint &p : points)
        mouse(drawing, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    mouse(drawing, QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, Qt::NoButton);
}

bool lobby(const VtServer &server, const QString &folder)
{
    LobbyStartup startup;
    startup.arguments = QStringList{QString::number(server.lobbyPort()), QStringLiteral("127.0.0.1")};
    startup.lobbyDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    TLobbyMainForm form(startup);
    form.Activated = true;
    form.resize(900, 640);
    form.show();
    form.chatSession().UserName = "Ann";
    form.chatSession().Password = "pw";
    form.FileConnectItemClick();
    if (!waitFor([&] { return form.Memo2->toPlainText().contains(QLatin1String("Welcome")); }))
        return false;
    // Bob comes in and says hello.
    QTcpSocket bob;
    bob.connectToHost(QHostAddress::LocalHost, quint16(server.lobbyPort()));
    bob.waitForConnected(5000);
    bob.write(Marker::IdentifyOpen + "Bob" + Marker::IdentifyClose + "pw");
    waitFor([&] { return form.Memo2->toPlainText().contains(QLatin1String("Bob")); });
    bob.write("\x1b[3Hi Ann \x96 a game of Hearts later?");
    waitFor([&] { return form.Memo2->toPlainText().contains(QLatin1String("Hearts")); });
    form.btnGames->click();
    waitFor([&] { return form.GamesFrame1->MenuActive && form.GamesFrame1->MenuConnected(); });
    QTest::qWait(1500);   // the panel slides open and the menu is painted
    return save(form, folder + QStringLiteral("/lobby.png"));
}

bool cardTable(const VtServer &server, const QString &folder)
{
    auto table = open<TfrmCardamo>(node(server.gamePort(CardTableEntry), "Ann"));
    // Three cards to pass: the first three of the hand.
    if (!waitFor([&] { return table->findChild<QAbstractButton *>(QStringLiteral("pass")); }))
        return false;
    QTest::qWait(500);
    const int cw = table->engine()->CellWidth();
    const int ch = table->engine()->CellHeight();
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(table->Image2, Qt::LeftButton, {},
                          QPoint((3 + 4 * i) * cw, 27 * ch));
        QTest::qWait(300);
    }
    if (QAbstractButton *pass = table->findChild<QAbstractButton *>(QStringLiteral("pass")))
        pass->click();
    QTest::qWait(1500);   // the computers lead and follow
    return save(*table, folder + QStringLiteral("/cards.png"));
}

bool sketch(const VtServer &server, const QString &folder)
{
    auto ann = open<TfrmDoodlixTable>(node(server.gamePort(SketchEntry), "Ann"));
    auto bob = open<TfrmDoodlixTable>(node(server.gamePort(SketchEntry), "Bob"), {40, 40});
    if (!waitFor([&] { return ann->isArtist(); }))
        return false;
    ann->Button2->click();
    waitFor([&] { return ann->Label1->text().startsWith(QLatin1String("* Draw")); });
    // A house with a sun.
    QWidget *drawing = ann->Image2;
    stroke(drawing, {{120, 220}, {120, 140}, {260, 140}, {260, 220}, {120, 220}});
    stroke(drawing, {{110, 145}, {190, 80}, {270, 145}});
    stroke(drawing, {{175, 220}, {175, 180}, {205, 180}, {205, 220}});
    if (ann->ColourButtons.size() > 1)
        ann->ColourButtons.at(1)->click();
    QList<QPoint> sun;
    for (int a = 0; a <= 360; a += 20)
        sun.append(QPoint(330 + int(22 * std::cos(a * M_PI / 180)),
                          60 + int(22 * std::sin(a * M_PI / 180))));
    stroke(drawing, sun);
    bob->Edit1->setText(QStringLiteral("barn"));
    bob->Button1->click();
    QTest::qWait(800);
    return save(*bob, folder + QStringLiteral("/sketch.png"));
}

bool door(const VtServer &server, const QString &folder)
{
    auto door = open<TfrmPortalis>(node(server.gamePort(MinefieldEntry), "Ann"));
    if (!waitFor([&] { return door->ScreenBuffer().isEmpty() && door->engine()->CharAtCell(2, 2); }))
        return false;
    QTest::qWait(800);
    // A few squares opened: right, down and Space as a player types them.
    QWidget *surface = door->focusWidget() ? door->focusWidget() : door.get();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down,
                              Qt::Key_Space, Qt::Key_Down, Qt::Key_Right, Qt::Key_Space}) {
        QTest::keyClick(surface, key);
        QTest::qWait(150);
    }
    return save(*door, folder + QStringLiteral("/door.png"));
}

bool chatRoom(const VtServer &server, const QString &folder)
{
    auto ann = open<TParloras>(node(server.roomPort(0), "Ann"));
    auto bob = open<TParloras>(node(server.roomPort(0), "Bob"), {40, 40});
    if (!waitFor([&] { return ann->windowTitle() == QLatin1String("Public Lobby")
                              && bob->windowTitle() == QLatin1String("Public Lobby"); }))
        return false;
    QTest::qWait(1200);
    const auto say = [](TParloras &who, const QString &text) {
        auto *input = who.findChild<QPlainTextEdit *>(QStringLiteral("Memo4"));
        if (!input)
            return;
        input->setPlainText(text);
        QTest::keyClick(input, Qt::Key_Return);
        QTest::qWait(400);
    };
    say(*ann, QStringLiteral("Good evening, everyone!"));
    say(*bob, QStringLiteral("Hello Ann \u2013 the card table is open, see http://localhost/games.htm"));
    say(*ann, QStringLiteral("On my way."));
    return save(*ann, folder + QStringLiteral("/chatroom.png"));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi, true);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: vantora-screenshots <folder>\n");
        return 2;
    }
    const QString folder = arguments.at(1);
    QDir().mkpath(folder);

    Silence silence;
    Platform::setSound(&silence);

    ServerOptions options;
    options.lobbyPort = options.gamesMenuPort = options.roomsMenuPort = 0;
    options.roomBasePort = options.tableBasePort = 0;
    options.httpPort = -1;
    options.dataFolder = home.filePath(QStringLiteral("service"));
    options.logger = [](const QString &) {};
    options.tune = [](ServiceConfig &config) {
        config.seed = 20261209;
        config.words = {{"house", 20}};
    };
    VtServer server(options);
    QString error;
    if (!server.start(&error)) {
        std::fprintf(stderr, "the service did not start: %s\n", qPrintable(error));
        return 1;
    }
    if (!logIn(server, "Ann") || !logIn(server, "Bob")) {
        std::fprintf(stderr, "the service did not log Ann and Bob in\n");
        return 1;
    }

    int failed = 0;
    for (const auto &take : {lobby, cardTable, sketch, door, chatRoom}) {
        if (!take(server, folder))
            ++failed;
    }
    server.stop();
    Platform::setSound(nullptr);
    return failed == 0 ? 0 : 1;
}
