#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "Fakes.h"
#include "IAeverButton.h"
#include "LoginU.h"
#include "PasswordVault.h"
#include "Platform.h"
#include "TestMain.h"
#include "_Globals.h"

class tst_Login : public QObject
{
    Q_OBJECT
private slots:
    void dialog_is_modal_stay_on_top_without_system_buttons();
    void remembered_values_fill_the_fields();
    void remember_off_gives_empty_fields_and_the_machine_media_folder();
    void folders_fall_back_to_the_defaults();
    void fields_refuse_overlong_input();
    void ok_writes_name_password_and_remember_data();
    void ok_writes_name_password_and_remember();
    void cancel_writes_nothing();
    void a_keyring_that_answers_keeps_the_password();
};

namespace {

MemorySettings storedUser()
{
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/UserName"), QStringLiteral("Ann"));
    user.values.insert(QStringLiteral("Vantora/Password"), QStringLiteral("secret"));
    user.values.insert(QStringLiteral("Vantora/MediaPath"), QStringLiteral("/home/ann/Music"));
    return user;
}

MemorySettings machineTree()
{
    MemorySettings machine;
    machine.values.insert(TLogin::mediaPathKey(), QStringLiteral("/usr/share/sounds"));
    machine.values.insert(TLogin::gamePathKey(), QStringLiteral("/opt/aoe"));
    return machine;
}

// A keyring in memory that answers on the event loop, as a real one does.
class MemoryKeyring : public PasswordVault
{
public:
    void read(const QString &account, ReadDone done) override
    {
        const bool found = kept.contains(account);
        const QString password = kept.value(account);
        QMetaObject::invokeMethod(qApp, [done, found, password] {
            done(found ? Answer::Done : Answer::NotFound, password);
        }, Qt::QueuedConnection);
    }
    void write(const QString &account, const QString &password, WriteDone done) override
    {
        kept.insert(account, password);
        QMetaObject::invokeMethod(qApp, [done] { done(Answer::Done); }, Qt::QueuedConnection);
    }
    QHash<QString, QString> kept;
};

} // namespace

void tst_Login::dialog_is_modal_stay_on_top_without_system_buttons()
{
    MemorySettings user, machine;
    TLogin login(user, machine);
    QVERIFY(login.isModal());
    const Qt::WindowFlags flags = login.windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QCOMPARE(login.findChild<QLineEdit *>(QStringLiteral("Edit2"))->echoMode(), QLineEdit::Password);
    QVERIFY(login.findChild<QCheckBox *>(QStringLiteral("CheckBox1"))->isChecked());
    QCOMPARE(login.findChild<TIAeverButton *>(QStringLiteral("btnOK"))->caption(), QStringLiteral("OK"));
    QCOMPARE(login.findChild<TIAeverButton *>(QStringLiteral("IAeverButton1"))->caption(),
             QStringLiteral("Cancel"));
}

void tst_Login::remembered_values_fill_the_fields()
{
    MemorySettings user = storedUser();
    MemorySettings machine = machineTree();
    TLogin login(user, machine);
    QCOMPARE(login.Edit1->text(), QStringLiteral("Ann"));
    QCOMPARE(login.Edit2->text(), QStringLiteral("secret"));
    QVERIFY(login.CheckBox1->isChecked());
    QCOMPARE(login.MediaFolder, QStringLiteral("/home/ann/Music/"));
    QCOMPARE(login.GameSoundFolder, QStringLiteral("/opt/aoe/Sound/"));
    QVERIFY(user.writes.isEmpty());
}

void tst_Login::remember_off_gives_empty_fields_and_the_machine_media_folder()
{
    MemorySettings user = storedUser();
    user.values.insert(QStringLiteral("Vantora/Remember"), 0);
    MemorySettings machine = machineTree();
    TLogin login(user, machine);
    QVERIFY(!login.CheckBox1->isChecked());
    QVERIFY(login.Edit1->text().isEmpty());
    QVERIFY(login.Edit2->text().isEmpty());
    QCOMPARE(login.MediaFolder, QStringLiteral("/usr/share/sounds/"));
}

void tst_Login::folders_fall_back_to_the_defaults()
{
    MemorySettings user, machine;
    TLogin login(user, machine);
    QCOMPARE(login.MediaFolder, WindowsFolder() + QStringLiteral("/Media/"));
    QCOMPARE(login.GameSoundFolder, WindowsFolder() + QStringLiteral("/Game/Sound/"));
    QVERIFY(login.Edit1->text().isEmpty());
}

void tst_Login::fields_refuse_overlong_input()
{
    MemorySettings user, machine;
    TLogin login(user, machine);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    QTest::keyClicks(login.Edit1, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    QCOMPARE(login.Edit1->text(), QStringLiteral("abcdefghijklmnopqrst"));
    QTest::keyClicks(login.Edit2, QStringLiteral("0123456789abc"));
    QCOMPARE(login.Edit2->text(), QStringLiteral("0123456789"));
    QVERIFY(login.Edit2->displayText() != login.Edit2->text());
}

void tst_Login::ok_writes_name_password_and_remember_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("remember");
    QTest::newRow("button") << QStringLiteral("button") << true;
    QTest::newRow("button, remember off") << QStringLiteral("button") << false;
    QTest::newRow("Return in name") << QStringLiteral("name") << true;
    QTest::newRow("Return in password") << QStringLiteral("password") << false;
}

void tst_Login::ok_writes_name_password_and_remember()
{
    QFETCH(QString, how);
    QFETCH(bool, remember);
    MemorySettings user = storedUser();
    MemorySettings machine;
    TLogin login(user, machine);
    login.open();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    login.Edit1->clear();
    QTest::keyClicks(login.Edit1, QStringLiteral("Bob"));
    login.Edit2->clear();
    QTest::keyClicks(login.Edit2, QStringLiteral("pw"));
    if (login.CheckBox1->isChecked() != remember)
        QTest::mouseClick(login.CheckBox1, Qt::LeftButton, {}, QPoint(5, login.CheckBox1->height() / 2));
    QCOMPARE(login.CheckBox1->isChecked(), remember);
    QVERIFY(user.writes.isEmpty());

    QSignalSpy finished(&login, &QDialog::finished);
    if (how == QLatin1String("button"))
        QTest::mouseClick(login.btnOK, Qt::LeftButton);
    else
        QTest::keyRelease(how == QLatin1String("name") ? login.Edit1 : login.Edit2, Qt::Key_Return);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(login.result(), int(QDialog::Accepted));
    QCOMPARE(user.writes,
             (QStringList{"Vantora/UserName", "Vantora/Password", "Vantora/Remember"}));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/UserName")).toString(), QStringLiteral("Bob"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Password")).toString(), QStringLiteral("pw"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Remember")).toInt(), remember ? 1 : 0);
}

void tst_Login::cancel_writes_nothing()
{
    MemorySettings user = storedUser();
    MemorySettings machine;
    TLogin login(user, machine);
    login.open();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    QTest::keyClicks(login.Edit1, QStringLiteral("X"));
    QTest::mouseClick(login.IAeverButton1, Qt::LeftButton);
    QCOMPARE(login.result(), int(QDialog::Rejected));
    QVERIFY(user.writes.isEmpty());
    QCOMPARE(user.values.value(QStringLiteral("Vantora/UserName")).toString(), QStringLiteral("Ann"));
}

void tst_Login::a_keyring_that_answers_keeps_the_password()
{
    MemoryKeyring keyring;
    Platform::setVault(&keyring);
    MemorySettings user;
    MemorySettings machine;
    {
        TLogin login(user, machine);
        login.Edit1->setText(QStringLiteral("Ann"));
        login.Edit2->setText(QStringLiteral("s3cret"));
        login.btnOK->click();
        // The keyring has it; the settings file no longer does.
        QTRY_COMPARE(keyring.kept.value(QStringLiteral("Ann")), QStringLiteral("s3cret"));
        QTRY_VERIFY(user.values.value(QStringLiteral("Vantora/Password")).toString().isEmpty());
        QCOMPARE(user.values.value(QStringLiteral("Vantora/UserName")).toString(), QStringLiteral("Ann"));
    }
    // The next dialog fills the field from the keyring.
    TLogin again(user, machine);
    QCOMPARE(again.Edit1->text(), QStringLiteral("Ann"));
    QTRY_COMPARE(again.Edit2->text(), QStringLiteral("s3cret"));
    Platform::setVault(nullptr);

    // Without a keyring (as every test program has) the file keeps it.
    MemorySettings plain;
    TLogin login(plain, machine);
    login.Edit1->setText(QStringLiteral("Bob"));
    login.Edit2->setText(QStringLiteral("pw"));
    login.btnOK->click();
    QTest::qWait(50);
    QCOMPARE(plain.values.value(QStringLiteral("Vantora/Password")).toString(), QStringLiteral("pw"));
}

VT_TEST_MAIN(tst_Login)
#include "tst_login.moc"
