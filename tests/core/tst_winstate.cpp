// Window placement kept between runs, in both storages: where a window
// comes back, how it is fitted to the screen and scaled to the font, and
// that it is saved once.

#include <QDir>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "AppInfo.h"
#include "RegistrySettings.h"
#include "TestMain.h"
#include "WinState.h"

Q_DECLARE_METATYPE(TWinstateDataStorage)

namespace {

QSize screenSize()
{
    return QGuiApplication::primaryScreen()->geometry().size();
}

// The store a TWinState of this test program uses for `storage`, and the
// key prefix of a section in it.
std::unique_ptr<RegistrySettings> openStore(TWinstateDataStorage storage)
{
    if (storage == dsRegistry)
        return std::make_unique<RegistrySettings>();
    return std::make_unique<RegistrySettings>(
        RegistrySettings::userFolder() + "/" + TWinState::DefaultIniFileName(), false);
}

QString prefix(TWinstateDataStorage storage, const QString &section)
{
    return (storage == dsRegistry ? TWinState::DefaultIniFileName() + "/" : QString()) + section + "/";
}

void store(const QString &section, const QMap<QString, int> &values)
{
    auto settings = openStore(dsIniFile);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings->writeInteger(section + "/" + it.key(), it.value());
}

} // namespace

class tst_WinState : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void first_run_is_centred();
    void round_trip_data();
    void round_trip();
    void clamps_to_the_screen_data();
    void clamps_to_the_screen();
    void maximised_keeps_the_designed_bounds();
    void scales_to_the_text_height_data();
    void scales_to_the_text_height();
    void restores_when_first_shown();
    void saves_once();
    void never_stores_minimised_data();
    void never_stores_minimised();
    void a_stored_minimised_state_comes_back_normal();
    void storage_cannot_change_once_open();
};

void tst_WinState::init()
{
    QDir(RegistrySettings::userFolder()).removeRecursively();
    SetApplicationTitle("Vantora Test");
}

void tst_WinState::first_run_is_centred()
{
    QWidget window;
    window.resize(300, 200);
    TWinState state(&window);
    state.SectionName = "Fresh";
    state.Restore();
    QCOMPARE(window.size(), QSize(300, 200));
    QCOMPARE(window.pos(),
             QPoint((screenSize().width() - 300) / 2, (screenSize().height() - 200) / 2));
}

void tst_WinState::round_trip_data()
{
    QTest::addColumn<TWinstateDataStorage>("storage");
    QTest::newRow("ini file") << dsIniFile;
    QTest::newRow("registry") << dsRegistry;
}

void tst_WinState::round_trip()
{
    QFETCH(TWinstateDataStorage, storage);
    {
        QWidget window;
        window.setWindowTitle("Vantora Games");
        window.resize(300, 200);
        TWinState state(&window);
        QCOMPARE(state.SectionName, QString("Vantora Games"));
        QVERIFY(state.SetDataStorage(storage));
        state.Restore();
        window.move(40, 50);
        window.resize(320, 210);
    }
    {
        auto settings = openStore(storage);
        const QString section = prefix(storage, "Vantora Games");
        QCOMPARE(settings->readInteger(section + "state", -1), 0);
        QCOMPARE(settings->readInteger(section + "Left", -1), 40);
        QCOMPARE(settings->readInteger(section + "Height", -1), 210);
        QCOMPARE(settings->readString(section + "ClassName"), QString("QWidget"));
        QCOMPARE(settings->readString(section + "Module"), QString("Vantora Test"));
        QCOMPARE(settings->readInteger(section + "OwnerCreate", -1), 0);
        QVERIFY(settings->readInteger(section + "TextHeight", 0) > 0);
        const QString list = prefix(storage, "WinList") + "Vantora Games";
        QCOMPARE(settings->readString(list), QString("Vantora Games"));
    }
    QWidget again;
    again.setWindowTitle("Vantora Games");
    again.resize(100, 100);
    TWinState state(&again);
    state.SetDataStorage(storage);
    state.Restore();
    QCOMPARE(again.geometry().topLeft(), QPoint(40, 50));
    QCOMPARE(again.size(), QSize(320, 210));
}

void tst_WinState::clamps_to_the_screen_data()
{
    const int width = screenSize().width();
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("storedWidth");
    QTest::addColumn<int>("expectedLeft");
    QTest::newRow("fits") << 10 << 300 << 10;
    QTest::newRow("past the right edge") << width - 100 << 300 << width - 300;
    QTest::newRow("wider than the screen") << 10 << width + 100 << 0;
}

void tst_WinState::clamps_to_the_screen()
{
    QFETCH(int, left);
    QFETCH(int, storedWidth);
    QFETCH(int, expectedLeft);
    QWidget window;
    TWinState state(&window);
    state.SectionName = "Clamp";
    store("Clamp", {{"Left", left}, {"Width", storedWidth}, {"Top", screenSize().height() - 10},
                    {"Height", 100}, {"TextHeight", state.SavedTextHeight()}});
    state.Restore();
    QCOMPARE(window.pos(), QPoint(expectedLeft, screenSize().height() - 100));
    QCOMPARE(window.width(), storedWidth);
}

void tst_WinState::maximised_keeps_the_designed_bounds()
{
    QWidget window;
    window.resize(300, 200);
    TWinState state(&window);
    state.SectionName = "Max";
    store("Max", {{"state", 2}, {"Left", 5}, {"Width", 999}});
    state.Restore();
    QVERIFY(window.windowState() & Qt::WindowMaximized);
    QCOMPARE(window.size(), QSize(300, 200));
}

void tst_WinState::scales_to_the_text_height_data()
{
    QTest::addColumn<int>("factor");   // stored height = current × factor / 2
    QTest::addColumn<QSize>("expected");
    QTest::newRow("same font") << 2 << QSize(400, 300);
    QTest::newRow("font was twice as tall") << 4 << QSize(200, 150);
    QTest::newRow("font was half as tall") << 1 << QSize(800, 600);
    QTest::newRow("nothing stored") << 0 << QSize(400, 300);
}

void tst_WinState::scales_to_the_text_height()
{
    QFETCH(int, factor);
    QFETCH(QSize, expected);
    QWidget window;
    TWinState state(&window);
    state.SectionName = "Scale";
    const int height = state.SavedTextHeight() * factor / 2;
    store("Scale", {{"Left", 0}, {"Top", 0}, {"Width", 400}, {"Height", 300}, {"TextHeight", height}});
    state.Restore();
    QCOMPARE(window.size(), expected);
}

void tst_WinState::restores_when_first_shown()
{
    store("Shown", {{"Left", 20}, {"Top", 30}, {"Width", 250}, {"Height", 150}});
    QWidget window;
    TWinState state(&window);
    state.SectionName = "Shown";
    int restores = 0;
    state.OnRestore = [&restores](TWinState *) { ++restores; };
    window.show();
    window.hide();
    window.show();
    QCOMPARE(restores, 1);
    QCOMPARE(window.size(), QSize(250, 150));
    QCOMPARE(window.pos(), QPoint(20, 30));
}

void tst_WinState::saves_once()
{
    auto *window = new QWidget;
    window->setWindowTitle("Once");
    for (int i = 0; i < 5; ++i)
        new QLabel(window);
    auto *state = new TWinState(window);
    for (int i = 0; i < 5; ++i)
        new QLabel(window);
    int saves = 0;
    state->OnSave = [&saves](TWinState *) { ++saves; };
    window->move(33, 44);
    delete window;
    QCOMPARE(saves, 1);
    QCOMPARE(openStore(dsIniFile)->readInteger("Once/Left", -1), 33);

    auto *other = new QWidget;
    auto *early = new TWinState(other);
    int otherSaves = 0;
    early->OnSave = [&otherSaves](TWinState *) { ++otherSaves; };
    early->Save();
    delete other;
    QCOMPARE(otherSaves, 1);
}

void tst_WinState::never_stores_minimised_data()
{
    // What happens to the window after it was placed at (40, 50), 320 × 210.
    QTest::addColumn<QList<Qt::WindowState>>("states");
    QTest::addColumn<int>("storedState");
    QTest::newRow("minimised") << QList<Qt::WindowState>{Qt::WindowMinimized} << 0;
    QTest::newRow("maximised") << QList<Qt::WindowState>{Qt::WindowMaximized} << 2;
    QTest::newRow("maximised, then minimised")
        << QList<Qt::WindowState>{Qt::WindowMaximized, Qt::WindowMinimized} << 2;
    QTest::newRow("minimised, maximised, back to normal, minimised")
        << QList<Qt::WindowState>{Qt::WindowMinimized, Qt::WindowMaximized, Qt::WindowNoState,
                                  Qt::WindowMinimized}
        << 0;
}

void tst_WinState::never_stores_minimised()
{
    QFETCH(QList<Qt::WindowState>, states);
    QFETCH(int, storedState);
    {
        QWidget window;
        window.setWindowTitle("Placed");
        TWinState state(&window);
        // Placed after the first show, which restores (centres) it.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.move(40, 50);
        window.resize(320, 210);
        QTest::qWait(20);
        for (Qt::WindowState next : states) {
            window.setWindowState(next);
            // The platform's geometry changes arrive as events.
            QTest::qWait(20);
        }
    }
    auto settings = openStore(dsIniFile);
    QCOMPARE(settings->readInteger("Placed/state", -1), storedState);
    QCOMPARE(settings->readInteger("Placed/Left", -1), 40);
    QCOMPARE(settings->readInteger("Placed/Top", -1), 50);
    QCOMPARE(settings->readInteger("Placed/Width", -1), 320);
    QCOMPARE(settings->readInteger("Placed/Height", -1), 210);
}

void tst_WinState::a_stored_minimised_state_comes_back_normal()
{
    QWidget window;
    TWinState state(&window);
    state.SectionName = "Iconic";
    store("Iconic", {{"state", 1}, {"Left", 20}, {"Top", 30}, {"Width", 250}, {"Height", 150},
                     {"TextHeight", state.SavedTextHeight()}});
    state.Restore();
    QCOMPARE(window.windowState(), Qt::WindowNoState);
    QCOMPARE(window.pos(), QPoint(20, 30));
    QCOMPARE(window.size(), QSize(250, 150));
}

void tst_WinState::storage_cannot_change_once_open()
{
    QWidget window;
    TWinState state(&window);
    state.SectionName = "Open";
    state.Restore();   // the INI file stays open for saving
    QTest::ignoreMessage(QtWarningMsg,
                         "You cannot change DataStorage at runtime once the IniFileName has been set");
    QVERIFY(!state.SetDataStorage(dsRegistry));
    QCOMPARE(state.LastError(),
             QString("You cannot change DataStorage at runtime once the IniFileName has been set"));
    QCOMPARE(state.DataStorage(), dsIniFile);
}

VT_TEST_MAIN(tst_WinState)
#include "tst_winstate.moc"
