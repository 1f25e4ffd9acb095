// The node programs' settings: their defaults, what the settings tree
// overrides, and the media folder.

#include <QtTest>

#include "_Globals.h"
#include "Fakes.h"
#include "NodeSettings.h"
#include "TestMain.h"

class TestNodeSettings : public QObject
{
    Q_OBJECT
private slots:
    void settingsDefaults();
    void mediaDirNeverRoot();
};

void TestNodeSettings::settingsDefaults()
{
    MemorySettings store;
    NodeSettings settings(store);
    QCOMPARE(settings.server(), QByteArray("localhost"));
    QCOMPARE(settings.winColor(), TColor(0x80000005));
    QCOMPARE(settings.defColor(), TColor(0x80000008));
    QCOMPARE(settings.fontName(), QStringLiteral("Arial"));
    QCOMPARE(settings.fontSize(), 10);
    QCOMPARE(settings.scaleLowRes(), false);
    QVERIFY(settings.atColor().isEmpty());

    store.writeString(VantoraKey("Server"), "chat.example");
    store.writeString(VantoraKey("ATColor"), QString::fromLatin1("\x1b[4"));
    store.writeColor(VantoraKey("WinColor"), 0x400000);
    store.writeInteger(VantoraKey("FontSize"), 12);
    QCOMPARE(settings.server(), QByteArray("chat.example"));
    QCOMPARE(settings.atColor(), QByteArray("\x1b[4"));
    QCOMPARE(settings.winColor(), TColor(0x400000));
    QCOMPARE(settings.fontSize(), 12);
}

void TestNodeSettings::mediaDirNeverRoot()
{
    QCOMPARE(NodeSettings::mediaDir(QStringLiteral("/srv/media")), QStringLiteral("/srv/media/"));
    QCOMPARE(NodeSettings::mediaDir(QStringLiteral("/srv/media/")), QStringLiteral("/srv/media/"));
    QCOMPARE(NodeSettings::mediaDir(QString()), WindowsFolder() + QStringLiteral("/Media/"));
}

VT_TEST_MAIN(TestNodeSettings)
#include "tst_nodesettings.moc"
