#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QtEndian>

#include "ChatAnsi.h"
#include "ChatHost.h"
#include "ChatSession.h"
#include "FBVUMeter.h"
#include "Fakes.h"
#include "LobbyMain.h"
#include "LobbyMedia.h"
#include "LoopbackHttpServer.h"
#include "Platform.h"
#include "ScrollingBanner.h"
#include "Shape.h"
#include "TestMain.h"
#include "UserDialogs.h"
#include "Waits.h"

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A 16-bit stereo buffer whose words at byte offsets 0, 4, 8 ... are given
// in turn; every other word is full scale, which the lobby must not read.
QByteArray stereoWords(const QList<qint16> &everySecond, int size = 1024)
{
    QByteArray bytes(size, '\0');
    for (int offset = 0, i = 0; offset + 4 <= size; offset += 4, ++i) {
        qToLittleEndian<qint16>(everySecond.at(i % everySecond.size()), bytes.data() + offset);
        qToLittleEndian<qint16>(32767, bytes.data() + offset + 2);
    }
    return bytes;
}

} // namespace

class tst_MediaPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void page_and_strip_have_their_controls();
    void login_fills_the_lists_and_takes_over_the_chat_media();
    void checking_an_item_saves_the_play_list();
    void filter_label_cycles();
    void only_one_of_the_two_toggles();
    void play_sends_the_selected_name();
    void avi_opens_the_video_page();
    void meter_moves_while_a_song_plays();
    void handler_reads_every_second_word();
    void nothing_plays_with_the_sound_button_up();
    void announced_missing_wave_is_fetched_and_played();
    void close_stops_sound_input_and_transfers();
    void browse_page_offers_the_transfer_host();

private:
    struct Lobby
    {
        MemorySettings user;
        FakeMediaPlayer player;
        FakeSoundInput input;
        std::unique_ptr<TLobbyMainForm> form;
        QList<QByteArray> chat;
    };
    void open(Lobby &lobby);

    FakeSoundPlayer m_sound;
    FakeDialogs m_dialogs;
    MemorySettings m_machine;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_MediaPage::initTestCase()
{
    Platform::setSound(&m_sound);
    UserDialogs::setCurrent(&m_dialogs);
    Waits::setTimeScale(0.05);
}

void tst_MediaPage::cleanupTestCase()
{
    Platform::setSound(nullptr);
    UserDialogs::setCurrent(nullptr);
}

void tst_MediaPage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_folder = m_dir->path() + QStringLiteral("/Media/");
    QDir().mkpath(m_folder);
    m_sound.played.clear();
    m_dialogs.asked.clear();
}

void tst_MediaPage::cleanup() {}

void tst_MediaPage::open(Lobby &lobby)
{
    LobbyStartup s;
    s.settings = &lobby.user;
    s.machineSettings = &m_machine;
    s.arguments = QStringList();
    s.lobbyDir = QStringLiteral(VANTORA_BIN_DIR "/");
    s.mediaPlayer = &lobby.player;
    s.soundInput = &lobby.input;
    lobby.form = std::make_unique<TLobbyMainForm>(s);
    lobby.form->Media->ChatSender = [&lobby](const QByteArray &text) { lobby.chat << text; };
    // What the login dialog hands over.
    lobby.form->chatSession().MediaFolder = m_folder;
    lobby.form->Media->LoginDone();
}

void tst_MediaPage::page_and_strip_have_their_controls()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    for (const char *name : {"Playlist", "Edit2", "LocalMediaLabel", "ListView1", "Label10", "Gauge3",
                             "ComboBox2", "MovieURL", "btnLoad", "VideoView", "Edit6", "FBVUMeter1",
                             "EnableFTP", "StopFTP", "AutoPlayDL", "Gauge2", "Label9"})
        QVERIFY2(form.findChild<QObject *>(QString::fromLatin1(name)), name);
    QCOMPARE(form.Media->Playlist->toolTip(), QStringLiteral("Double Click to Play Item"));
    QCOMPARE(form.Media->ListView1->toolTip(), QStringLiteral("Double Click to Download Item"));
    QCOMPARE(form.ComboBox2->count(), 1);
    QCOMPARE(form.ComboBox2->itemText(0), QStringLiteral("Media"));
    QStringList actions;
    for (QAction *a : form.Media->Playlist->actions())
        actions << a->text();
    QCOMPARE(actions, (QStringList{"Check ALL", "UnCheck All", "Delete Highlighted"}));
    QCOMPARE(form.FBVUMeter1->size(), QSize(22, 41));
    QCOMPARE(form.FBVUMeter1->scale().S, 12);
    QVERIFY(!form.StopFTP->isEnabled());
    QVERIFY(form.Gauge2->isHidden());
}

void tst_MediaPage::login_fills_the_lists_and_takes_over_the_chat_media()
{
    touch(m_folder + "a.wav");
    touch(m_folder + "b.mp3");
    touch(m_folder + "c.mp3");
    touch(m_folder + "Playlist.cfg", "c.mp3\ngone.mp3\n");
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    QCOMPARE(form.Media->Edit2->text(), m_folder);
    QCOMPARE(form.ComboBox1->count(), 3);
    QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("a.wav"));
    QListWidget *list = form.Media->Playlist;
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("b.mp3"));
    QCOMPARE(list->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(list->item(1)->checkState(), Qt::Checked);
    // A media file the chat names now plays on the media side.
    ChatHost *host = form.chatSession().host();
    QVERIFY(host);
    QVERIFY(host->takeMedia(m_folder + "b.mp3"));
}

void tst_MediaPage::checking_an_item_saves_the_play_list()
{
    touch(m_folder + "b.mp3");
    touch(m_folder + "c.mp3");
    Lobby lobby;
    open(lobby);
    QListWidget *list = lobby.form->Media->Playlist;
    list->item(1)->setCheckState(Qt::Checked);
    QCOMPARE(readAll(m_folder + "Playlist.cfg"), QByteArray("c.mp3\n"));
    list->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(readAll(m_folder + "Playlist.cfg"), QByteArray("b.mp3\nc.mp3\n"));
    // "Delete Highlighted" removes the first highlighted file and reloads.
    list->clearSelection();
    list->item(0)->setSelected(true);
    list->actions().at(2)->trigger();
    QVERIFY(!QFile::exists(m_folder + "b.mp3"));
    QCOMPARE(list->count(), 1);
}

void tst_MediaPage::filter_label_cycles()
{
    touch(m_folder + "b.mp3");
    touch(m_folder + "w.wav");
    Lobby lobby;
    open(lobby);
    TLobbyMedia &media = *lobby.form->Media;
    QTest::mouseClick(media.LocalMediaLabel, Qt::LeftButton);
    QCOMPARE(media.LocalMediaLabel->text(), QStringLiteral(" Local Media *.Wav"));
    QCOMPARE(media.Playlist->count(), 1);
    QCOMPARE(media.Playlist->item(0)->text(), QStringLiteral("w.wav"));
}

void tst_MediaPage::only_one_of_the_two_toggles()
{
    touch(m_folder + "a.wav");
    touch(m_folder + "b.mid");
    touch(m_folder + "c.mp3");
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.btnMIDOnly->click();
    QCOMPARE(form.ComboBox1->count(), 1);
    QCOMPARE(form.ComboBox1->itemText(0), QStringLiteral("b.mid"));
    form.btnMP3Only->click();
    QVERIFY(!form.btnMIDOnly->isChecked());
    QCOMPARE(form.ComboBox1->count(), 1);
    QCOMPARE(form.ComboBox1->itemText(0), QStringLiteral("c.mp3"));
}

void tst_MediaPage::play_sends_the_selected_name()
{
    touch(m_folder + "c.mp3");
    Lobby lobby;
    open(lobby);
    lobby.form->btnPlay->click();
    QCOMPARE(lobby.chat, QList<QByteArray>{"}c.mp3"});
}

void tst_MediaPage::avi_opens_the_video_page()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.Media->Media->PlayMediaFile(m_folder + "clip.AVI");
    QCOMPARE(form.PageControl1->currentIndex(), int(TLobbyMainForm::VideoPage));
    QCOMPARE(form.Media->MovieURL->text(), m_folder + "clip.AVI");
    QVERIFY(lobby.player.opened.isEmpty());
    QTRY_VERIFY(form.Media->videoPlayer() != nullptr);
}

void tst_MediaPage::meter_moves_while_a_song_plays()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.Media->Media->PlayMediaFile(m_folder + "song.mp3");
    QVERIFY(lobby.input.isOpen);
    QCOMPARE(lobby.input.format.frameRate, 10000);
    QCOMPARE(lobby.input.queue.first()->length, 1024);
    QCOMPARE(form.MediaStrip->palette().color(QPalette::Window), QColor(128, 255, 128));
    QCOMPARE(form.Shape5->brushColor(), QColor(0, 255, 0));
    QVERIFY(form.Gauge1->isVisibleTo(&form));
    QCOMPARE(form.Label4->lines(), QStringList{"Now Playing song"});

    QVERIFY(lobby.input.fill(stereoWords({16000, 3200})));
    QCOMPARE(form.FBVUMeter1->litCount(0), 10);
    QCOMPARE(form.FBVUMeter1->litCount(1), 4);

    // The idle pass follows the player's position.
    lobby.player.positionMs = lobby.player.lengthMs / 2;
    form.IdleStep();
    QCOMPARE(form.Gauge1->value(), 50);

    // The song ends: the input closes, the bars drop, the strip goes black.
    lobby.player.finishPlaying();
    QVERIFY(!lobby.input.isOpen);
    QCOMPARE(form.FBVUMeter1->litCount(0), 0);
    QCOMPARE(form.FBVUMeter1->litCount(1), 0);
    QVERIFY(form.Gauge1->isHidden());
    QCOMPARE(form.MediaStrip->palette().color(QPalette::Window), QColor(Qt::black));
}

void tst_MediaPage::handler_reads_every_second_word()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    // A: the words at 0, 8, 16 ... (max 16000, so 500); B: those at 4, 12,
    // 20 ... (full scale, so 1023). The words between are full scale too and
    // must not count.
    const QByteArray loud = stereoWords({-20000, 32767, 16000, -5});
    QVERIFY(form.Media->AudioIn1BufferFilled(loud.constData(), loud.size()));
    QCOMPARE(form.FBVUMeter1->litCount(0), 10);
    QCOMPARE(form.FBVUMeter1->litCount(1), 12);   // segments 0 to 11
    // Only negative samples: both maxima stay 0.
    const QByteArray quiet = stereoWords({-20000, -1});
    QVERIFY(form.Media->AudioIn1BufferFilled(quiet.constData(), quiet.size()));
    QCOMPARE(form.FBVUMeter1->litCount(0), 0);
    QCOMPARE(form.FBVUMeter1->litCount(1), 0);
}

void tst_MediaPage::nothing_plays_with_the_sound_button_up()
{
    touch(m_folder + "ding.wav");
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.SpeedButton5->setChecked(false);
    form.Media->Media->PlayMediaFile(m_folder + "ding.wav");
    form.Media->Media->PlayMediaFile(m_folder + "song.mp3");
    QVERIFY(m_sound.played.isEmpty());
    QVERIFY(lobby.player.opened.isEmpty());
    QVERIFY(!lobby.input.isOpen);
}

void tst_MediaPage::announced_missing_wave_is_fetched_and_played()
{
    QTemporaryDir web;
    touch(web.path() + "/Sound/ding.wav", "RIFF-ding");
    LoopbackHttpServer server(web.path());
    Lobby lobby;
    lobby.user.values.insert(QStringLiteral("Vantora/HttpPort"), server.port());
    lobby.user.values.insert(QStringLiteral("Vantora/VTFTPONLY"), 0);
    lobby.user.values.insert(QStringLiteral("Vantora/Server"), QStringLiteral("127.0.0.1"));
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.ChatRenderer->SoundsOn = true;
    form.ChatRenderer->Show("\033[2Bob\033[1> `ding.wav");
    QTRY_COMPARE_WITH_TIMEOUT(m_sound.played, QStringList{m_folder + "ding.wav"}, 10000);
    QCOMPARE(readAll(m_folder + "ding.wav"), QByteArray("RIFF-ding"));
    QCOMPARE(server.requests, QStringList{"/Sound/ding.wav"});
    QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("ding.wav"));
    // Names that leave the media folder are never asked for.
    form.ChatRenderer->Show("\033[2Bob\033[1> `../x.wav");
    QTest::qWait(100);
    QCOMPARE(server.requests.size(), 1);
}

void tst_MediaPage::close_stops_sound_input_and_transfers()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    form.Media->Media->PlayMediaFile(m_folder + "song.mp3");
    QVERIFY(lobby.input.isOpen);
    form.EnableFTP->setChecked(true);
    form.Media->Transfers->RefreshServerList();
    QVERIFY(form.Media->Transfers->ListerBusy());
    form.close();
    QVERIFY(!lobby.input.isOpen);
    QVERIFY(!form.Media->Transfers->ListerBusy());
}

void tst_MediaPage::browse_page_offers_the_transfer_host()
{
    Lobby lobby;
    open(lobby);
    TLobbyMainForm &form = *lobby.form;
    QCOMPARE(form.Media->homeAddress(), QStringLiteral("http://localhost/games.htm"));
    // Shown, the page goes home; with a web view that starts the web engine,
    // which only the Browse page's own tests do.
    if (TBrowsePage::HasWebView())
        return;
    form.PageControl1->setCurrentIndex(TLobbyMainForm::BrowsePage);
    QCOMPARE(form.Media->Browse->Edit6->text(), QStringLiteral("http://localhost/games.htm"));
    QVERIFY(form.Media->Browse->BrowseNotice->text().contains(QStringLiteral("not available in this build")));
}

VT_TEST_MAIN(tst_MediaPage)
#include "tst_mediapage.moc"
