#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>

#include "IAeverButton.h"

#include "Ansi.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "Fakes.h"
#include "LobbyMain.h"
#include "LoginU.h"
#include "LoopbackServer.h"
#include "MessageBoxQueue.h"
#include "Platform.h"
#include "RegistrySettings.h"
#include "ScrollingBanner.h"
#include "StatusPanel.h"
#include "TestMain.h"
#include "TrayIcon.h"
#include "Waits.h"
#include "WinState.h"
#include "uRichEditWithLinks.h"
#include "UserListView.h"

namespace {

// Drags the splitter's handle by `dy` pixels with the left button, as the
// mouse does: press, two moves, release.
void dragHandle(QSplitterHandle *handle, int dy)
{
    // The handle follows the mouse: the places are taken before it moves.
    const QPoint from = handle->rect().center();
    const QPoint globalFrom = handle->mapToGlobal(from);
    auto send = [handle, from, globalFrom](QEvent::Type type, QPoint at, Qt::MouseButton button,
                                           Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(globalFrom + (at - from)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(0, dy / 2), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPoint(0, dy), Qt::LeftButton, Qt::NoButton);
}

} // namespace

class tst_LobbyMain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void window_has_its_regions();
    void menu_engine_beeps_and_queues_message_boxes();
    void empty_tree_gives_the_defaults();
    void settings_written_back_in_order_at_destruction();
    void thirty_servers_come_back_as_twenty_five();
    void command_line_overrides_port_and_server_and_is_saved();
    void event_scheme_registered_once_user_edit_survives();
    void first_activation_logs_in_and_resets_the_chat_prefixes();
    void cancelled_login_leaves_the_lobby_logged_out();
    void banner_moves_while_the_window_shows();
    void appearance_follows_the_window_colour_data();
    void appearance_follows_the_window_colour();
    void slide_panel_opens_and_closes_in_steps();
    void dragging_the_top_border_resizes_the_page();
    void preferences_fields_unclipped_at_the_default_size();
    void defaults_sets_channel_23_and_reconnects();
    void apply_and_return_in_the_connection_boxes();
    void option_box_click_copies_fast_connection();
    void second_close_request_minimises();
    void close_button_disables_itself_and_closes_after_its_wait();
    void hide_marks_away_and_the_tray_brings_the_window_back();
    void resize_repaints_the_splash_and_fits_the_banner();
    void destruction_plays_app_close();
    void window_placement_kept_under_vantora_console();

private:
    LobbyStartup startup(MemorySettings &user, QStringList arguments = {});
    FakeSoundPlayer m_sound;
    MemorySettings m_machine;
};

LobbyStartup tst_LobbyMain::startup(MemorySettings &user, QStringList arguments)
{
    LobbyStartup s;
    s.settings = &user;
    s.machineSettings = &m_machine;
    s.arguments = arguments;
    s.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    return s;
}

void tst_LobbyMain::initTestCase()
{
    Platform::setSound(&m_sound);
    Waits::setTimeScale(0.05);
}

void tst_LobbyMain::cleanupTestCase()
{
    Platform::setSound(nullptr);
}

void tst_LobbyMain::menu_engine_beeps_and_queues_message_boxes()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    RecordedMessageBoxes boxes;
    QVERIFY(form.Engine().OnBeep);
    form.Engine().Write("\x1b[Wfrom the menu}");
    QCOMPARE(boxes.texts, QList<QByteArray>{"from the menu"});
    QVERIFY(MessageBoxQueue::instance().boxOpen());
}

void tst_LobbyMain::window_has_its_regions()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    QCOMPARE(form.windowTitle(), QStringLiteral("Vantora Console"));
    for (const char *name : {"Memo2", "Image1", "Panel6", "Memo3", "Shape1", "Shape2", "Shape3",
                             "TopView", "PanelSlide", "PageControl1", "Memo1", "SendButton",
                             "btnReconnect", "bitbtn11", "btnHide", "btnClose", "btnHere",
                             "btnAway", "btnMyTime", "btnInsert", "btnCry", "Label4", "Gauge1",
                             "ComboBox1", "cbxC", "SpeedButton5", "StatusBar1", "ComboBox3",
                             "SpinEdit2", "btnApply", "btnDefaults", "VTFTP", "Supress", "Edit5",
                             "cbxFontNames", "SpinEdit1", "Memo6", "Edit1", "edEmail"})
        QVERIFY2(form.findChild<QObject *>(QString::fromLatin1(name)), name);
    QCOMPARE(form.PageControl1->count(), 6);
    QCOMPARE(form.PageControl1->widget(3)->objectName(), QStringLiteral("MediaManager"));
    QCOMPARE(form.PageControl1->currentIndex(), 0);
    QCOMPARE(form.TopView->height(), 32);
    QVERIFY(form.PanelSlide->isHidden());
    QCOMPARE(form.SendButton->text(), QStringLiteral("  Send"));
    QCOMPARE(form.PlayersCaption->text(), QStringLiteral(" The Players"));
    const QStringList pageButtons = {"Games", "Parloras", "Preferences", "Browse", "Media", "Video"};
    for (const QString &caption : pageButtons) {
        bool found = false;
        for (QPushButton *b : form.TopView->findChildren<QPushButton *>())
            found |= b->text() == caption;
        QVERIFY2(found, qPrintable(caption));
    }
    QCOMPARE(form.StatusPanel0->width(), 450);
    QCOMPARE(form.StatusPanel1->width(), 175);
    QCOMPARE(form.Label4->lines(), (QStringList{"Welcome to Vantra Chat", "Please, Enjoy Your Visit."}));
}

void tst_LobbyMain::empty_tree_gives_the_defaults()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("localhost"));
    QCOMPARE(form.ComboBox3->count(), 0);
    QCOMPARE(form.SpinEdit2->value(), 1024);
    QCOMPARE(form.SpinEdit1->value(), 10);
    QCOMPARE(form.Edit5->palette().color(QPalette::Base), QColor(0, 0, 0x40));
    QCOMPARE(form.DefaultTextColor(), TColor(0xFFFFFF));
    QCOMPARE(form.cbxC->currentIndex(), 1);
    QCOMPARE(form.ATColor, QByteArray("\033[3"));
    QVERIFY(form.Supress->isChecked());
    QVERIFY(form.VTFTP->isChecked());
    QVERIFY(form.cbFastConnection->isChecked());
    QVERIFY(!form.cbExternalMP3->isChecked());
    QVERIFY(!form.cbScaleLowRes->isChecked());
    QVERIFY(form.SpeedButton5->isChecked());
    QVERIFY(form.SoundOn);
    QCOMPARE(form.Edit1->text(), QStringLiteral("Don't point that thing at me !"));
    QCOMPARE(form.Edit1->maxLength(), 80);
    QCOMPARE(form.edEmail->maxLength(), 80);
    QCOMPARE(form.LobbyDir, QStringLiteral(VANTORA_BIN_DIR "/"));
    // Only the scheme and the text colour prefix were written at creation.
    for (const QString &key : user.writes)
        QVERIFY2(key.startsWith(QLatin1String("AppEvents/")) || key == QLatin1String("Vantora/ATColor"),
                 qPrintable(key));
}

void tst_LobbyMain::settings_written_back_in_order_at_destruction()
{
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/Server0"), QStringLiteral("one.example"));
    user.values.insert(QStringLiteral("Vantora/Server1"), QStringLiteral("two.example"));
    user.values.insert(QStringLiteral("Vantora/MediaPath"), QStringLiteral("/home/me/media"));
    {
        TLobbyMainForm form(startup(user));
        form.Memo6->setPlainText(QStringLiteral("at home\nlistening"));
        form.cbxC->setCurrentIndex(8);
        user.writes.clear();
    }
    const QStringList expected = {
        "Vantora/SuppressTextonSound", "Vantora/ClickSound", "Vantora/ExternalMP3",
        "Vantora/FastConnection", "Vantora/ScaleLowRes", "Vantora/FontName", "Vantora/Server",
        "Vantora/Server0", "Vantora/Server1", "Vantora/FontSize", "Vantora/WinColor",
        "Vantora/DefColor", "Vantora/Port", "Vantora/Version", "Vantora/Cry", "Vantora/Email",
        "Vantora/Information", "Vantora/MediaPath", "Vantora/SoundOn", "Vantora/VTFTPONLY",
        "Vantora/ChatColor"};
    QCOMPARE(user.writes, expected);
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Version")).toString(), QStringLiteral("6.11"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Information")).toString(),
             QStringLiteral("at home\nlistening"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/ChatColor")).toInt(), 8);
    QCOMPARE(user.values.value(QStringLiteral("Vantora/WinColor")).toLongLong(), 0x400000);
    // Closed before any login: the stored media folder is kept.
    QCOMPARE(user.values.value(QStringLiteral("Vantora/MediaPath")).toString(),
             QStringLiteral("/home/me/media"));
    QVERIFY(user.flushes > 0);
}

void tst_LobbyMain::thirty_servers_come_back_as_twenty_five()
{
    MemorySettings user;
    for (int i = 0; i < 30; ++i)
        user.values.insert(QStringLiteral("Vantora/Server%1").arg(i), QStringLiteral("s%1").arg(i));
    {
        TLobbyMainForm form(startup(user));
        QCOMPARE(form.ComboBox3->count(), 25);
        QCOMPARE(form.ComboBox3->itemText(24), QStringLiteral("s24"));
        QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("localhost"));
    }
}

void tst_LobbyMain::command_line_overrides_port_and_server_and_is_saved()
{
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/Port"), 6000);
    user.values.insert(QStringLiteral("Vantora/Server"), QStringLiteral("stored.example"));
    user.values.insert(QStringLiteral("Vantora/Server0"), QStringLiteral("stored.example"));
    {
        TLobbyMainForm form(startup(user, {QStringLiteral("5000"), QStringLiteral("cmd.example")}));
        QCOMPARE(form.SpinEdit2->value(), 5000);
        QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("cmd.example"));
        // The list of offered servers is left as it was.
        QCOMPARE(form.ComboBox3->count(), 1);
    }
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Port")).toInt(), 5000);
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Server")).toString(), QStringLiteral("cmd.example"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/Server0")).toString(),
             QStringLiteral("stored.example"));

    {
        TLobbyMainForm form(startup(user, {QStringLiteral("nonsense")}));
        QCOMPARE(form.SpinEdit2->value(), 0);
        QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("cmd.example"));
    }
}

void tst_LobbyMain::event_scheme_registered_once_user_edit_survives()
{
    MemorySettings user;
    const QString closeKey = QStringLiteral("AppEvents/Schemes/Apps/VTLobby/AppClose/.current");
    { TLobbyMainForm form(startup(user)); }
    QCOMPARE(user.values.value(closeKey).toString(), QStringLiteral(VANTORA_BIN_DIR "/VTClose.wav"));
    user.values.insert(closeKey, QStringLiteral("/home/me/bye.wav"));
    user.writes.clear();
    { TLobbyMainForm form(startup(user)); }
    QCOMPARE(user.values.value(closeKey).toString(), QStringLiteral("/home/me/bye.wav"));
    for (const QString &key : user.writes)
        QVERIFY2(!key.startsWith(QLatin1String("AppEvents/")), qPrintable(key));
}

void tst_LobbyMain::first_activation_logs_in_and_resets_the_chat_prefixes()
{
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/ChatColor"), 2);
    TLobbyMainForm form(startup(user));
    QSignalSpy done(&form, &TLobbyMainForm::firstActivationDone);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY(form.loginDialog());
    TLogin *login = form.loginDialog();
    QCOMPARE(login->windowTitle(), QStringLiteral("Vantora Login"));
    QVERIFY(login->isModal());
    QVERIFY(form.Activated);
    QVERIFY(form.Image1->isVisible());
    QVERIFY(!form.Memo2->isVisible());
    QVERIFY(!form.btnReconnect->isEnabled());
    QVERIFY(form.StatusPanel1->text().endsWith(QStringLiteral("Ver.6.11")));
    QVERIFY(m_sound.played.contains(QStringLiteral(VANTORA_BIN_DIR "/VTOpen.wav")));

    // The splash: the message box colour, the logo at (20, 20).
    const QImage splash = form.Image1->pixmap().toImage();
    QCOMPARE(splash.pixelColor(5, 5), form.Memo1->palette().color(QPalette::Base));
    QVERIFY(splash.pixelColor(20 + 150, 20 + 48) != form.Memo1->palette().color(QPalette::Base));

    QTest::keyClicks(login->Edit1, QStringLiteral("Ann"));
    QTest::keyClicks(login->Edit2, QStringLiteral("pw"));
    user.writes.clear();
    QTest::mouseClick(login->btnOK, Qt::LeftButton);
    QTRY_COMPARE(done.count(), 1);
    QVERIFY(!form.loginDialog());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vantora Lobby - Ann"));
    QCOMPARE(form.UserName(), QStringLiteral("Ann"));
    QCOMPARE(form.Password(), QStringLiteral("pw"));
    QVERIFY(form.MediaFolder().endsWith(QStringLiteral("/Media/")));
    QVERIFY(form.TauntFolder().endsWith(QStringLiteral("/Game/Sound/")));
    QVERIFY(form.Memo2->isVisible());
    QVERIFY(form.btnReconnect->isEnabled());
    // The welcome line: white bold name, then the version in red.
    QCOMPARE(form.Memo2->toPlainText().simplified(), QStringLiteral("Vantora Lobby Version 6.11"));
    QTextCursor cursor = form.Memo2->document()->find(QStringLiteral("Version"));
    QVERIFY(!cursor.isNull());
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(255, 0, 0));
    cursor = form.Memo2->document()->find(QStringLiteral("Lobby"));
    QCOMPARE(cursor.charFormat().foreground().color(), QColor(255, 255, 255));
    QVERIFY(cursor.charFormat().fontWeight() >= QFont::Bold);
    QCOMPARE(form.ComboBox2->count(), 1);
    QCOMPARE(form.ComboBox2->itemText(0), QStringLiteral("Media"));

    // The prefixes are written at once, in this order: white, no style, the box's colour.
    QStringList prefixWrites;
    for (const QString &key : user.writes)
        if (key == QLatin1String("Vantora/ATColor") || key == QLatin1String("Vantora/ATStyle"))
            prefixWrites << key;
    QCOMPARE(prefixWrites.mid(prefixWrites.size() - 3),
             (QStringList{"Vantora/ATColor", "Vantora/ATStyle", "Vantora/ATColor"}));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/ATColor")).toString(), QStringLiteral("\033[8"));
    QCOMPARE(user.values.value(QStringLiteral("Vantora/ATStyle")).toString(), QString());
    QCOMPARE(form.ATColor, QByteArray("\033[8"));
}

void tst_LobbyMain::cancelled_login_leaves_the_lobby_logged_out()
{
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/UserName"), QStringLiteral("Ann"));
    TLobbyMainForm form(startup(user));
    QSignalSpy done(&form, &TLobbyMainForm::firstActivationDone);
    form.show();
    QTRY_VERIFY(form.loginDialog());
    m_sound.played.clear();
    user.writes.clear();
    QTest::mouseClick(form.loginDialog()->IAeverButton1, Qt::LeftButton);
    QTRY_COMPARE(done.count(), 1);
    QVERIFY(form.UserName().isEmpty());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vantora Lobby - "));
    QVERIFY(!form.btnReconnect->isEnabled());
    QVERIFY(form.Image1->isVisible());
    QVERIFY(form.Memo2->toPlainText().contains(QStringLiteral("Not Logged in")));
    QVERIFY(m_sound.played.contains(QStringLiteral(VANTORA_BIN_DIR "/Problem.wav")));
    QVERIFY(!user.writes.contains(QStringLiteral("Vantora/UserName")));
    // The folders are taken whatever the answer.
    QVERIFY(!form.MediaFolder().isEmpty());
}

void tst_LobbyMain::appearance_follows_the_window_colour_data()
{
    QTest::addColumn<qlonglong>("winColor");
    QTest::addColumn<qlonglong>("defColor");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QColor>("listText");
    QTest::addColumn<QColor>("chatText");
    // Dark: the lists and the chat in white.
    QTest::newRow("dark blue") << 0x400000LL << 0xFFFFFFLL << true << QColor(Qt::white)
                               << QColor(Qt::white);
    QTest::newRow("all bytes 99") << 0x636363LL << 0x00FF00LL << true << QColor(Qt::white)
                                  << QColor(Qt::white);
    // Light: white text turns black; other colours are toned down to two thirds.
    QTest::newRow("white") << 0xFFFFFFLL << 0xFFFFFFLL << false << QColor(Qt::black)
                           << QColor(Qt::black);
    QTest::newRow("one byte 100") << 0x000064LL << 0x00FF00LL << false << QColor(0, 170, 0)
                                  << QColor(0, 170, 0);
}

void tst_LobbyMain::appearance_follows_the_window_colour()
{
    QFETCH(qlonglong, winColor);
    QFETCH(qlonglong, defColor);
    QFETCH(bool, dark);
    QFETCH(QColor, listText);
    QFETCH(QColor, chatText);
    MemorySettings user;
    user.values.insert(QStringLiteral("Vantora/WinColor"), winColor);
    user.values.insert(QStringLiteral("Vantora/DefColor"), defColor);
    TLobbyMainForm form(startup(user));
    user.writes.clear();
    form.ApplyAppearance();
    form.DarkTest(TColor(winColor));
    QCOMPARE(form.chatSession().DarkView, dark);
    const QColor window = ToQColor(TColor(winColor));
    QCOMPARE(form.Memo1->palette().color(QPalette::Base), window);
    QCOMPARE(form.Memo2->palette().color(QPalette::Base), window);
    QCOMPARE(form.Memo3->palette().color(QPalette::Base), window);
    QCOMPARE(form.Memo3->palette().color(QPalette::Text), listText);
    QCOMPARE(form.Memo2->palette().color(QPalette::Text), chatText);
    QCOMPARE(form.Memo2->fontColor(), FromQColor(chatText));
    QCOMPARE(form.PlayersCaption->palette().color(QPalette::WindowText),
             ToQColor(form.chatSession().Contrast(TColor(defColor))));
    QCOMPARE(user.writes, (QStringList{"Vantora/ATColor", "Vantora/FontSize", "Vantora/WinColor",
                                       "Vantora/DefColor"}));
}

void tst_LobbyMain::banner_moves_while_the_window_shows()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    QSignalSpy done(&form, &TLobbyMainForm::firstActivationDone);
    form.show();
    QTRY_VERIFY(form.loginDialog());
    // Nothing moves while the login is asked for.
    const int before = form.Label4->textLeft();
    QTest::qWait(150);
    QCOMPARE(form.Label4->textLeft(), before);
    form.loginDialog()->reject();
    QTRY_COMPARE(done.count(), 1);
    QTRY_VERIFY(form.Label4->textLeft() < before);
    // Minimised, it stops; shown again, it goes on.
    form.showMinimized();
    const int minimised = form.Label4->textLeft();
    QTest::qWait(150);
    QCOMPARE(form.Label4->textLeft(), minimised);
    form.showNormal();
    QTRY_VERIFY(form.Label4->textLeft() != minimised);
    // Hidden, it stops.
    form.hide();
    const int hidden = form.Label4->textLeft();
    QTest::qWait(150);
    QCOMPARE(form.Label4->textLeft(), hidden);
}

void tst_LobbyMain::slide_panel_opens_and_closes_in_steps()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;  // no login in this test
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // Every height the top panel passes through.
    struct HeightLog : QObject
    {
        QList<int> heights;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Resize)
                heights << static_cast<QWidget *>(watched)->height();
            return false;
        }
    } log;
    form.TopView->installEventFilter(&log);
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QVERIFY(!form.btnPreferences->isEnabled());
    QCOMPARE(form.PageControl1->currentIndex(), 2);
    QTRY_VERIFY(!form.SlideMoving());
    form.TopView->removeEventFilter(&log);
    const QList<int> heights = QList<int>{32} + log.heights;
    QCOMPARE(form.TopView->height(), 320);
    QVERIFY(form.PanelSlide->isVisible());
    QVERIFY(form.btnPreferences->isEnabled());
    // 28 steps of ten pixels, then the last eight one by one.
    QCOMPARE(heights.size(), 1 + 28 + 8);
    for (int i = 1; i < heights.size(); ++i)
        QCOMPARE(heights[i] - heights[i - 1], i <= 28 ? 10 : 1);

    // The same button again closes it.
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.TopView->height(), 32);
    QVERIFY(form.PanelSlide->isHidden());
    QCOMPARE(form.PageControl1->currentIndex(), 0);

    // Another page opens to three quarters of the chat area.
    const int chatHeight = form.findChild<QWidget *>(QStringLiteral("Panel2"))->height();
    // With an address in its box the Browse page loads nothing when shown
    // (the web engine starts only in the Browse page's own tests).
    form.findChild<QLineEdit *>(QStringLiteral("Edit6"))->setText(QStringLiteral("http://localhost/"));
    QTest::mouseClick(form.btnBrowse, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.PageControl1->currentIndex(), 4);
    QCOMPARE(form.TopView->height(), chatHeight - chatHeight / 4);
    // Switching pages keeps the panel open.
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.PageControl1->currentIndex(), 2);
    QCOMPARE(form.TopView->height(), 320);
}

void tst_LobbyMain::dragging_the_top_border_resizes_the_page()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSplitterHandle *border = form.TopSplitter->handle(1);
    auto *chatRow = form.TopSplitter->widget(1);

    // Closed, the border does not move, nor offers to.
    QCOMPARE(border->cursor().shape(), Qt::ArrowCursor);
    dragHandle(border, 100);
    QTest::qWait(20);
    QCOMPARE(form.TopView->height(), 32);

    const int chatHeight = form.findChild<QWidget *>(QStringLiteral("Panel2"))->height();
    form.findChild<QLineEdit *>(QStringLiteral("Edit6"))->setText(QStringLiteral("http://localhost/"));
    QTest::mouseClick(form.btnBrowse, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    const int opened = chatHeight - chatHeight / 4;
    QCOMPARE(form.TopView->height(), opened);
    QCOMPARE(border->cursor().shape(), Qt::SplitVCursor);
    const int rowHeight = chatRow->height();

    // Up and down: the page and the chat row share the height.
    dragHandle(border, -90);
    QTRY_COMPARE(form.TopView->height(), opened - 90);
    QCOMPARE(chatRow->height(), rowHeight + 90);
    dragHandle(border, 40);
    QTRY_COMPARE(form.TopView->height(), opened - 50);
    const int dragged = opened - 50;

    // Another page of the same kind keeps the dragged height; Preferences
    // has its own, and the dragged height comes back after it.
    QTest::mouseClick(form.btnMedia, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.PageControl1->currentIndex(), 3);
    QCOMPARE(form.TopView->height(), dragged);
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.TopView->height(), 320);
    dragHandle(border, 30);
    QTRY_COMPARE(form.TopView->height(), 350);
    QTest::mouseClick(form.btnBrowse, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.TopView->height(), dragged);

    // Closing and opening again: still the user's heights.
    QTest::mouseClick(form.btnBrowse, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.TopView->height(), 32);
    dragHandle(border, 60);
    QTest::qWait(20);
    QCOMPARE(form.TopView->height(), 32);
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    QCOMPARE(form.TopView->height(), 350);

    // A window resize leaves the page its height and gives the rest to the chat.
    const QSize before = form.size();
    form.resize(before.width(), before.height() + 40);
    QTRY_COMPARE(chatRow->height(), form.TopSplitter->height() - 350 - form.TopSplitter->handleWidth());
    QCOMPARE(form.TopView->height(), 350);

    // The page cannot take the chat row's last lines.
    dragHandle(border, 2000);
    QTRY_VERIFY(chatRow->height() >= chatRow->minimumSizeHint().height());
    QVERIFY(form.TopView->height() < form.TopSplitter->height());
}

void tst_LobbyMain::preferences_fields_unclipped_at_the_default_size()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // The size a first start has (an earlier test's placement is kept).
    form.resize(1000, 660);
    QTest::mouseClick(form.btnPreferences, Qt::LeftButton);
    QTRY_VERIFY(!form.SlideMoving());
    auto *scroll = form.findChild<QScrollArea *>(QStringLiteral("PreferencesScroll"));
    QVERIFY(scroll);
    QWidget *viewport = scroll->viewport();
    // Everything shows at once: nothing to scroll to.
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    QVERIFY(!scroll->verticalScrollBar()->isVisible());

    int fields = 0;
    const QList<QWidget *> widgets = scroll->widget()->findChildren<QWidget *>();
    for (QWidget *field : widgets) {
        const bool isField = qobject_cast<QLineEdit *>(field) || qobject_cast<QComboBox *>(field)
            || qobject_cast<QAbstractSpinBox *>(field) || qobject_cast<QAbstractButton *>(field)
            || qobject_cast<QPlainTextEdit *>(field) || qobject_cast<QLabel *>(field);
        // The line edits inside combo and spin boxes are parts of their box.
        if (!isField || !field->isVisibleTo(viewport)
            || qobject_cast<QComboBox *>(field->parentWidget())
            || qobject_cast<QAbstractSpinBox *>(field->parentWidget()))
            continue;
        ++fields;
        const QString name = field->objectName().isEmpty()
            ? QString::fromLatin1(field->metaObject()->className()) + QLatin1Char(' ')
                + field->property("text").toString()
            : field->objectName();
        // Within its parent's area, and within the part of the page that shows.
        QWidget *parent = field->parentWidget();
        QVERIFY2(parent->rect().contains(field->geometry()), qPrintable(name));
        const QRect shown(field->mapTo(viewport, QPoint(0, 0)), field->size());
        QVERIFY2(viewport->rect().contains(shown), qPrintable(name));
        // As large as it asks to be (or as its maximum allows); a text area
        // scrolls, and its size hint is a default rather than a need.
        const QSize wanted = (qobject_cast<QPlainTextEdit *>(field) ? field->minimumSizeHint()
                                                                    : field->sizeHint())
                                 .boundedTo(field->maximumSize());
        QVERIFY2(field->width() >= wanted.width() && field->height() >= wanted.height(),
                 qPrintable(QStringLiteral("%1: %2x%3, wants %4x%5")
                                .arg(name)
                                .arg(field->width())
                                .arg(field->height())
                                .arg(wanted.width())
                                .arg(wanted.height())));
    }
    // The connection, option, font, about and icon fields and their labels.
    QVERIFY2(fields > 30, qPrintable(QString::number(fields)));
}

void tst_LobbyMain::defaults_sets_channel_23_and_reconnects()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user, {QStringLiteral("5000"), QStringLiteral("far.example")}));
    form.Activated = true;
    form.show();
    form.OpenSlide(TLobbyMainForm::PreferencesPage);
    QTRY_VERIFY(form.PanelSlide->isVisible());
    QSignalSpy reconnect(&form, &TLobbyMainForm::reconnectRequested);
    QTest::mouseClick(form.btnDefaults, Qt::LeftButton);
    QCOMPARE(form.SpinEdit2->value(), 23);
    QCOMPARE(form.ComboBox3->currentText(), QStringLiteral("localhost"));
    QCOMPARE(reconnect.count(), 1);
    QTRY_COMPARE(form.TopView->height(), 32);
    QVERIFY(form.PanelSlide->isHidden());
}

void tst_LobbyMain::apply_and_return_in_the_connection_boxes()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QSignalSpy reconnect(&form, &TLobbyMainForm::reconnectRequested);
    QTest::mouseClick(form.btnApply, Qt::LeftButton);
    QCOMPARE(reconnect.count(), 1);
    QTest::keyClick(form.ComboBox3->lineEdit(), Qt::Key_Return);
    QCOMPARE(reconnect.count(), 2);
    QTest::keyClick(form.SpinEdit2, Qt::Key_Return);
    QCOMPARE(reconnect.count(), 3);
    // Return does not add the name to the offered servers.
    QCOMPARE(form.ComboBox3->count(), 0);
}

void tst_LobbyMain::option_box_click_copies_fast_connection()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    form.cbFastConnection->setChecked(false);
    QVERIFY(form.FastConnection);
    QTest::mouseClick(form.VTFTP, Qt::LeftButton, {}, QPoint(5, form.VTFTP->height() / 2));
    QVERIFY(!form.FastConnection);
}

void tst_LobbyMain::second_close_request_minimises()
{
    LoopbackServer server;
    QVERIFY(server.isListening());
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Somebody is logged in: a blank name would end the lobby on connecting.
    form.chatSession().UserName = "Ann";
    form.ClientSocket->connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE(form.ClientSocket->state(), QAbstractSocket::ConnectedState);
    form.chatSession().UserName.clear();

    // The first request drops the connection and closes after a short wait.
    QVERIFY(!form.close());
    QVERIFY(form.Closing);
    QVERIFY(!form.ConnectionActive());
    QVERIFY(form.isVisible());
    // A second request meanwhile only minimises the window.
    QVERIFY(!form.close());
    QVERIFY(form.windowState() & Qt::WindowMinimized);
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(!form.Closing);
}

void tst_LobbyMain::close_button_disables_itself_and_closes_after_its_wait()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.btnClose, Qt::LeftButton);
    QVERIFY(!form.btnClose->isEnabled());
    QVERIFY(form.isVisible());
    QTRY_VERIFY(!form.isVisible());
}

void tst_LobbyMain::hide_marks_away_and_the_tray_brings_the_window_back()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.ImHere();
    QVERIFY(form.Memo2->isVisible());
    QTest::mouseClick(form.btnHide, Qt::LeftButton);
    // Away: the splash covers the chat; out of sight (minimised where the
    // desktop has no notification area to come back from).
    QVERIFY(form.Image1->isVisibleTo(&form));
    QVERIFY(!form.Memo2->isVisibleTo(&form));
    QVERIFY(form.isHidden() || form.isMinimized());
    form.TrayIcon1->showAction()->trigger();
    QVERIFY(form.isVisible());
    QVERIFY(!form.isMinimized());
    // Not connected: the chat stays covered until "I'm Here".
    QVERIFY(!form.Memo2->isVisibleTo(&form));
}

void tst_LobbyMain::resize_repaints_the_splash_and_fits_the_banner()
{
    MemorySettings user;
    TLobbyMainForm form(startup(user));
    form.Activated = true;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(1100, 760);
    QTRY_COMPARE(form.Image1->pixmap().size(), form.Image1->size());
    const QWidget *bannerPanel = form.findChild<QWidget *>(QStringLiteral("BannerPanel"));
    QVERIFY(bannerPanel);
    QTRY_COMPARE(form.Label4->width(), bannerPanel->width() - 5);
}

void tst_LobbyMain::destruction_plays_app_close()
{
    MemorySettings user;
    m_sound.played.clear();
    {
        TLobbyMainForm form(startup(user));
        QVERIFY(m_sound.played.isEmpty());
    }
    QCOMPARE(m_sound.played, QStringList{QStringLiteral(VANTORA_BIN_DIR "/VTClose.wav")});
}

void tst_LobbyMain::window_placement_kept_under_vantora_console()
{
    MemorySettings user;
    {
        TLobbyMainForm form(startup(user));
        form.Activated = true;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.resize(1001, 705);
    }
    const QString section = TWinState::DefaultIniFileName() + QStringLiteral("/Vantora Console/");
    RegistrySettings tree;
    QCOMPARE(tree.readString(section + QStringLiteral("ClassName")), QStringLiteral("TLobbyMainForm"));
    QCOMPARE(tree.readInteger(section + QStringLiteral("Width"), 0), 1001);
    {
        TLobbyMainForm form(startup(user));
        form.Activated = true;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.width(), 1001);
        QCOMPARE(form.height(), 705);
    }
}

VT_TEST_MAIN(tst_LobbyMain)
#include "tst_lobbymain.moc"
