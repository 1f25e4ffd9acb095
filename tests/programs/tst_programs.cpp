#include <QProcess>
#include <QTest>

#include "CardamoU.h"
#include "DoodlixTableU.h"
#include "GateletU.h"
#include "LobbyMain.h"
#include "ParloraU.h"
#include "PortalisU.h"
#include "TestMain.h"
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

VT_TEST_MAIN(tst_Programs)
#include "tst_programs.moc"
