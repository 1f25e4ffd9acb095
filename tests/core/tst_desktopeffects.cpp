// The screen engine's desktop effects: the engine alone opens no message box
// (it stays free of widgets); a window's engine, with the effects installed,
// hands each widget capture to the program's message box queue.

#include <QImage>
#include <QTest>

#include <memory>

#include "Ansi.h"
#include "DesktopEffects.h"
#include "Fakes.h"
#include "LAnsi.h"
#include "MessageBoxQueue.h"
#include "TestMain.h"

namespace {

// An engine on a surface with its screen cleared, as the windows start it.
void clearScreen(TAnsi &engine, QImage &surface)
{
    surface = QImage(800, 600, QImage::Format_RGB32);
    engine.AttachSurface(&surface);
    engine.SetRowCount(25);
    engine.Write("\v");
}

} // namespace

class tst_DesktopEffects : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void engine_alone_opens_no_box();
    void installed_engine_queues_each_capture();
    void beep_is_installed_for_both_decoders();

private:
    std::unique_ptr<RecordedMessageBoxes> m_boxes;
};

void tst_DesktopEffects::init()
{
    m_boxes = std::make_unique<RecordedMessageBoxes>();
}

void tst_DesktopEffects::cleanup()
{
    m_boxes.reset();
}

void tst_DesktopEffects::engine_alone_opens_no_box()
{
    TAnsi engine;
    QImage surface;
    clearScreen(engine, surface);
    engine.Write("\x1b[5;5H\x1b[Whello there}\x07" "A");
    QVERIFY(!MessageBoxQueue::instance().boxOpen());
    QCOMPARE(MessageBoxQueue::instance().waiting(), 0);
    QVERIFY(m_boxes->texts.isEmpty());
    // The capture ended and the parser went on with the text after it.
    QCOMPARE(engine.CharAtCell(5, 5), quint8('A'));
}

void tst_DesktopEffects::installed_engine_queues_each_capture()
{
    TAnsi engine;
    DesktopEffects::Install(engine);
    engine.Write("\x1b[Whello there}\x1b[Wsecond}");
    QVERIFY(MessageBoxQueue::instance().boxOpen());
    QCOMPARE(m_boxes->texts, QList<QByteArray>{"hello there"});
    QCOMPARE(MessageBoxQueue::instance().waiting(), 1);
    // Closing the first box opens the one that waited.
    delete MessageBoxQueue::instance().openBox();
    QTRY_COMPARE(m_boxes->texts, (QList<QByteArray>{"hello there", "second"}));
}

void tst_DesktopEffects::beep_is_installed_for_both_decoders()
{
    TAnsi engine;
    TLAnsi drawing;
    QVERIFY(!engine.OnBeep);
    QVERIFY(!drawing.OnBeep);
    DesktopEffects::Install(engine);
    DesktopEffects::InstallBeep(drawing);
    QVERIFY(engine.OnBeep);
    QVERIFY(drawing.OnBeep);
    QImage surface;
    clearScreen(engine, surface);
    // Byte 07 sounds the beep and is not drawn.
    engine.Write("\x1b[5;5H\x07" "B");
    QCOMPARE(engine.CharAtCell(5, 5), quint8('B'));
}

VT_TEST_MAIN(tst_DesktopEffects)
#include "tst_desktopeffects.moc"
