// The node programs' command line: host, port, name and password, and the
// password the lobby hands over in the environment.

#include <QtTest>

#include "NodeCommandLine.h"
#include "TestMain.h"

class TestNodeCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void commandLine_data();
    void commandLine();
    void passwordFromEnvironment();
};

void TestNodeCommandLine::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");

    QTest::newRow("none") << QStringList{} << QByteArray() << 1030 << QByteArray() << QByteArray();
    QTest::newRow("all four") << QStringList{"node.example", "5001", "Ann", "pw"}
                              << QByteArray("node.example") << 5001 << QByteArray("Ann")
                              << QByteArray("pw");
    QTest::newRow("host only") << QStringList{"h"} << QByteArray("h") << 1030 << QByteArray()
                               << QByteArray();
    QTest::newRow("port with letters") << QStringList{"h", "1030abc"} << QByteArray("h") << 1030
                                       << QByteArray() << QByteArray();
    QTest::newRow("port with a fraction") << QStringList{"h", "12.5"} << QByteArray("h") << 12
                                          << QByteArray() << QByteArray();
    QTest::newRow("port without digits") << QStringList{"h", "abc"} << QByteArray("h") << 0
                                         << QByteArray() << QByteArray();
    QTest::newRow("extra arguments ignored")
        << QStringList{"h", "7", "u", "p", "more", "still"} << QByteArray("h") << 7
        << QByteArray("u") << QByteArray("p");
    QTest::newRow("latin-1 name") << QStringList{"h", "7", QString::fromLatin1("J\xf6rg"), ""}
                                  << QByteArray("h") << 7 << QByteArray("J\xf6rg") << QByteArray();
}

void TestNodeCommandLine::commandLine()
{
    QFETCH(QStringList, args);
    const NodeCommandLine line = NodeCommandLine::read(args);
    QTEST(line.NodeHost, "host");
    QTEST(line.NodePort, "port");
    QTEST(line.UserName, "user");
    QTEST(line.Password, "password");
}

void TestNodeCommandLine::passwordFromEnvironment()
{
    // The lobby leaves the password off the command line and sets the
    // variable; the environment holds text, so a Latin-1 byte arrives as
    // the character it stands for.
    qputenv("VANTORA_PASSWORD", QString::fromLatin1("s\xe9" "cret").toUtf8());
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann"}).Password, QByteArray("s\xe9" "cret"));
    // A fourth argument still counts.
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann", "pw"}).Password, QByteArray("pw"));
    // Host and port alone (a door on another server): no name, no password.
    QCOMPARE(NodeCommandLine::read({"h", "7"}).Password, QByteArray());
    qunsetenv("VANTORA_PASSWORD");
    QCOMPARE(NodeCommandLine::read({"h", "7", "Ann"}).Password, QByteArray());
}

VT_TEST_MAIN(TestNodeCommandLine)
#include "tst_nodecommandline.moc"
