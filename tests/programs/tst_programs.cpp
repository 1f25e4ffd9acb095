#include <QFile>
#include <QProcess>
#include <QRgb>
#include <QTest>

#include "CardamoU.h"
#include "DoodlixTableU.h"
#include "GateletU.h"
#include "LobbyMain.h"
#include "LoopbackServer.h"
#include "ParloraU.h"
#include "PortalisU.h"
#include "ProgramMain.h"
#include "RegistrySettings.h"
#include "TestMain.h"
#include "WinState.h"
#include "WindowLister.h"

#include <csignal>
#include <memory>

class tst_Programs : public QObject
{
    Q_OBJECT
private slots:
    void main_windows_data();
    void main_windows();
    void programs_start_and_stop_cleanly_data();
    void programs_start_and_stop_cleanly();
    void splash_without_key_colour_data();
    void splash_without_key_colour();
    void door_placement_in_the_settings_tree_data();
    void door_placement_in_the_settings_tree();
    void client_windows_carry_the_suite_icon();
    void termination_stores_the_placement_before_minimising();
};

using Factory = std::function<QWidget *()>;
Q_DECLARE_METATYPE(Factory)

void tst_Programs::main_windows_data()
{
    QTest::addColumn<Factory>("create");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");
    QTest::newRow("VTLobby") << Factory([] { return new TLobbyMainForm; })
                             << QStringLiteral("TLobbyMainForm") << QStringLiteral("Vantora Console");
    QTest::newRow("Cardamo") << Factory([] { return new TfrmCardamo; })
                             << QStringLiteral("TfrmCardamo") << QStringLiteral("Vantora Game Lobby");
    QTest::newRow("Doodlixf") << Factory([] { return new TfrmDoodlixTable; })
                              << QStringLiteral("TfrmDoodlixTable") << QStringLiteral("Vantora Games");
    QTest::newRow("Portalis") << Factory([] { return new TfrmPortalis; })
                              << QStringLiteral("TfrmPortalis") << QStringLiteral("Vantora Door Game");
    QTest::newRow("Gatelet") << Factory([] { return new TfrmGatelet; })
                             << QStringLiteral("TfrmGatelet") << QStringLiteral("Vantora Door Game");
    QTest::newRow("Parlora") << Factory([] { return new TParloras; })
                             << QStringLiteral("TParloras") << QStringLiteral("Theatre Chat");
}

void tst_Programs::main_windows()
{
    QFETCH(Factory, create);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    std::unique_ptr<QWidget> window(create());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(QString::fromLatin1(window->metaObject()->className()), className);
    QCOMPARE(window->windowTitle(), caption);
    QVERIFY(MainWindows::ownWindows().contains(TopLevelWindow{caption, className}));
    QVERIFY(window->close());
}

void tst_Programs::programs_start_and_stop_cleanly_data()
{
    QTest::addColumn<QString>("program");
    for (const char *name : {"VTLobby", "Cardamo", "Doodlixf", "Portalis", "Gatelet", "Parlora"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_Programs::programs_start_and_stop_cleanly()
{
    QFETCH(QString, program);
    QProcess process;
    process.setProgram(QStringLiteral(VANTORA_BIN_DIR "/") + program);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    QVERIFY2(process.waitForStarted(5000), qPrintable(process.errorString()));
    // Still running after a moment: it did not exit on its own.
    QVERIFY(!process.waitForFinished(1500));
    ::kill(pid_t(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
}

namespace {

// The arguments of a program that finds no server: the splash stays.
QStringList nowhere()
{
    return {QStringLiteral("127.0.0.1"), QString::number(LoopbackServer::unusedPort()), QStringLiteral("Ann")};
}

int keyColourPixels(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            count += (line[x] & 0xFFFFFF) == 0xFF00FF;
    }
    return count;
}

} // namespace

void tst_Programs::splash_without_key_colour_data()
{
    QTest::addColumn<Factory>("create");
    QTest::newRow("Cardamo") << Factory([] { return new TfrmCardamo(nowhere()); });
    QTest::newRow("Doodlixf") << Factory([] { return new TfrmDoodlixTable(nowhere()); });
    QTest::newRow("Portalis") << Factory([] { return new TfrmPortalis(nowhere()); });
    QTest::newRow("Gatelet") << Factory([] { return new TfrmGatelet(nowhere()); });
    QTest::newRow("Parlora") << Factory([] { return new TParloras(nowhere()); });
}

void tst_Programs::splash_without_key_colour()
{
    QFETCH(Factory, create);
    std::unique_ptr<QWidget> window(create());
    // The room client ends the program a while after a refused connection.
    if (auto *room = qobject_cast<TParloras *>(window.get()))
        room->EndProgram = [] {};
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The splash is drawn at the first activation; the gold of the logo's
    // rim shows it is there.
    const auto hasLogo = [&] {
        const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); y += 1)
            for (int x = 0; x < shot.width(); x += 1) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 200 && c.green() > 150 && c.green() < 200 && c.blue() < 70)
                    return true;
            }
        return false;
    };
    QTRY_VERIFY(hasLogo());
    QCOMPARE(keyColourPixels(window->grab().toImage()), 0);
    // It stays so once the connection has failed.
    QTest::qWait(300);
    QCOMPARE(keyColourPixels(window->grab().toImage()), 0);
    window->close();
}

void tst_Programs::door_placement_in_the_settings_tree_data()
{
    QTest::addColumn<Factory>("create");
    QTest::addColumn<QString>("section");
    QTest::newRow("Portalis") << Factory([] { return new TfrmPortalis(nowhere()); })
                              << QStringLiteral("Vantora Door Game");
    QTest::newRow("Gatelet") << Factory([] { return new TfrmGatelet(nowhere()); })
                             << QStringLiteral("Vantora Door Game");
}

void tst_Programs::door_placement_in_the_settings_tree()
{
    QFETCH(Factory, create);
    QFETCH(QString, section);
    TestEnvironment::forgetSuiteSettings();
    QRect placed;
    {
        std::unique_ptr<QWidget> window(create());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        // Small enough to lie wholly on the screen, which placement keeps.
        window->resize(640, 400);
        window->move(7, 9);
        placed = window->geometry();
        window->close();
    }
    RegistrySettings store;
    QCOMPARE(store.readInteger(TWinState::DefaultIniFileName() + '/' + section + "/Width", -1),
             placed.width());
    // Not in an INI file of its own (the card table keeps one; the doors do not).
    QFile own(RegistrySettings::userFolder() + '/' + TWinState::DefaultIniFileName());
    if (own.open(QIODevice::ReadOnly))
        QVERIFY(!own.readAll().contains("Door%20Game"));
    std::unique_ptr<QWidget> again(create());
    again->show();
    QVERIFY(QTest::qWaitForWindowExposed(again.get()));
    QCOMPARE(again->geometry(), placed);
    again->close();
}

void tst_Programs::client_windows_carry_the_suite_icon()
{
    const QList<Factory> factories{
        [] { return new TfrmCardamo(nowhere()); }, [] { return new TfrmDoodlixTable(nowhere()); },
        [] { return new TfrmPortalis(nowhere()); }, [] { return new TfrmGatelet(nowhere()); },
        [] { return new TParloras(nowhere()); }};
    for (const Factory &create : factories) {
        std::unique_ptr<QWidget> window(create());
        QVERIFY2(!window->windowIcon().isNull(), window->metaObject()->className());
    }
}

void tst_Programs::termination_stores_the_placement_before_minimising()
{
    // SIGTERM closes the windows as a user would; a window minimised then
    // (as a second close request during a close does to the lobby) is
    // stored as it was before, so that the next start shows it.
    InstallTerminationHandler();
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Terminated"));
    new TWinState(window.get());
    // Placed after the first show, which restores (centres) it.
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->move(60, 70);
    window->resize(330, 220);
    QTest::qWait(20);
    window->showMinimized();
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_VERIFY(!window->isVisible());
    window.reset();
    RegistrySettings settings(RegistrySettings::userFolder() + QStringLiteral("/")
                                  + TWinState::DefaultIniFileName(),
                              false);
    QCOMPARE(settings.readInteger(QStringLiteral("Terminated/state"), -1), 0);
    QCOMPARE(settings.readInteger(QStringLiteral("Terminated/Left"), -1), 60);
    QCOMPARE(settings.readInteger(QStringLiteral("Terminated/Width"), -1), 330);
}

VT_TEST_MAIN(tst_Programs)
#include "tst_programs.moc"
