#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "Fakes.h"
#include "MediaManager.h"
#include "MediaRecorder.h"
#include "TestMain.h"

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_Media : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void local_files_follow_the_toggles_data();
    void local_files_follow_the_toggles();
    void play_list_reload_checks_the_saved_names();
    void play_list_save_writes_checked_names_in_order();
    void filter_cycle();
    void delete_highlighted_removes_the_file();
    void banner_lines_drop_the_first_mp3();

    void play_media_file_branches_data();
    void play_media_file_branches();
    void nothing_plays_with_sounds_off();
    void unopenable_file_reports_the_player();
    void a_file_that_will_not_play_is_reported_and_the_meter_stops();
    void external_player_failure_is_reported();
    void play_announces_the_selected_name();
    void checked_items_play_one_after_another();
    void list_mode_ends_without_checked_items();
    void list_mode_with_auto_play_waits_for_the_announcement();
    void play_next_while_playing_advances_through_completion();
    void stop_media_player_ends_list_mode();
    void pause_and_resume();
    void play_downloaded_rules_data();
    void play_downloaded_rules();
    void play_progress();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void tst_Media::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_folder = m_dir->path() + QLatin1Char('/');
}

void tst_Media::local_files_follow_the_toggles_data()
{
    QTest::addColumn<bool>("mp3Only");
    QTest::addColumn<bool>("midOnly");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("neither") << false << false
                             << QStringList{"a.wav", "b.mid", "c.mp3", "D.MP3", "e.mpg", "f.avi", "g.asf"};
    QTest::newRow("MP3's only") << true << false
                                << QStringList{"c.mp3", "D.MP3", "e.mpg", "f.avi", "g.asf"};
    QTest::newRow("MID's only") << false << true << QStringList{"b.mid"};
}

void tst_Media::local_files_follow_the_toggles()
{
    QFETCH(bool, mp3Only);
    QFETCH(bool, midOnly);
    for (const char *name : {"g.asf", "f.avi", "e.mpg", "D.MP3", "c.mp3", "b.mid", "a.wav", "h.txt",
                             "Playlist.cfg"})
        touch(m_folder + QLatin1String(name));
    QTEST(LocalMediaFiles(m_folder, mp3Only, midOnly), "files");
}

void tst_Media::play_list_reload_checks_the_saved_names()
{
    for (const char *name : {"one.mp3", "two.mp3", "three.MP3", "four.wav"})
        touch(m_folder + QLatin1String(name));
    // "gone.mp3" is named but no longer there; "TWO.MP3" differs in case only.
    touch(m_folder + "Playlist.cfg", "gone.mp3\r\nTWO.MP3\none.mp3\n");
    TPlayList list;
    list.Folder = m_folder;
    list.Reload();
    QCOMPARE(list.Items, (QList<TPlayList::Item>{{"one.mp3", true}, {"three.MP3", false},
                                                 {"two.mp3", true}}));

    QFile::remove(m_folder + "Playlist.cfg");
    list.Reload();
    for (const auto &item : list.Items)
        QVERIFY(!item.checked);
}

void tst_Media::play_list_save_writes_checked_names_in_order()
{
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
        touch(m_folder + QLatin1String(name));
    TPlayList list;
    list.Folder = m_folder;
    list.Reload();
    list.Items[2].checked = true;
    list.Items[0].checked = true;
    QVERIFY(list.Save());
    QCOMPARE(readAll(m_folder + "Playlist.cfg"), QByteArray("a.mp3\nc.mp3\n"));
    list.CheckAll(false);
    list.Items[1].checked = true;
    QVERIFY(list.Save());
    list.Reload();
    QCOMPARE(list.Items, (QList<TPlayList::Item>{{"a.mp3", false}, {"b.mp3", true}, {"c.mp3", false}}));
    list.CheckAll(true);
    QVERIFY(list.Save());
    QCOMPARE(readAll(m_folder + "Playlist.cfg"), QByteArray("a.mp3\nb.mp3\nc.mp3\n"));
}

void tst_Media::filter_cycle()
{
    for (const char *name : {"a.mp3", "b.wav", "c.avi", "d.asf", "e.mpg"})
        touch(m_folder + QLatin1String(name));
    TPlayList list;
    list.Folder = m_folder;
    list.Reload();
    QCOMPARE(list.Names(), QStringList{"a.mp3"});
    const QStringList expected = {"b.wav", "c.avi", "d.asf", "e.mpg", "a.mp3"};
    const QStringList labels = {" Local Media *.Wav", " Local Media *.AVI", " Local Media *.ASF",
                                " Local Media *.MPG", " Local Media *.MP3"};
    for (int i = 0; i < 5; ++i) {
        list.NextFilter();
        QCOMPARE(list.Names(), QStringList{expected[i]});
        QCOMPARE(list.FilterLabel(), labels[i]);
        QCOMPARE(list.FilterStep, (i + 1) % 5 + 1);
    }
}

void tst_Media::delete_highlighted_removes_the_file()
{
    touch(m_folder + "a.mp3");
    touch(m_folder + "b.mp3");
    TPlayList list;
    list.Folder = m_folder;
    list.Reload();
    list.DeleteItem(0);
    QVERIFY(!QFile::exists(m_folder + "a.mp3"));
    QCOMPARE(list.Names(), QStringList{"b.mp3"});
    list.DeleteItem(5);
    QCOMPARE(list.Names(), QStringList{"b.mp3"});
}

void tst_Media::banner_lines_drop_the_first_mp3()
{
    QCOMPARE(WithoutMp3("song.mp3"), QStringLiteral("song"));
    QCOMPARE(WithoutMp3("a.mp3.mp3"), QStringLiteral("a.mp3"));
    QCOMPARE(WithoutMp3("LOUD.MP3"), QStringLiteral("LOUD.MP3"));
    TPlayList list;
    list.Items = {{"x.mp3", false}, {"y.MP3", true}};
    QCOMPARE(list.BannerLines(), (QStringList{"Your Local MP3 files", "x", "y.MP3"}));
}

// ---------------------------------------------------------------------------

void tst_Media::play_media_file_branches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("where");   // wave, video, player
    QTest::newRow("wave") << "ding.WAV" << "wave";
    QTest::newRow("avi") << "clip.AVI" << "video";
    QTest::newRow("asf") << "clip.asf" << "video";
    QTest::newRow("mpg") << "clip.mpg" << "video";
    QTest::newRow("mp3") << "song.mp3" << "player";
    QTest::newRow("mid") << "tune.mid" << "player";
}

void tst_Media::play_media_file_branches()
{
    QFETCH(QString, name);
    QFETCH(QString, where);
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    const QString path = m_folder + name;
    media.PlayMediaFile(path);
    QCOMPARE(host.waves, where == "wave" ? QStringList{path} : QStringList());
    QCOMPARE(host.videos, where == "video" ? QStringList{path} : QStringList());
    QCOMPARE(player.opened, where == "player" ? QStringList{path} : QStringList());
    if (where == "player") {
        QCOMPARE(player.mode(), MediaPlayer::Playing);
        QVERIFY(player.notifyOn());
        QCOMPARE(host.events, (QStringList{"playing:" + name, "meter on", "running"}));
    }
    if (where != "wave")
        QCOMPARE(host.banner, QStringList{"Now Playing " + WithoutMp3(name)});
}

void tst_Media::nothing_plays_with_sounds_off()
{
    RecordingMediaHost host;
    host.sound = false;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    for (const char *name : {"a.wav", "b.mp3", "c.avi"})
        media.PlayMediaFile(m_folder + QLatin1String(name));
    QVERIFY(host.waves.isEmpty());
    QVERIFY(host.videos.isEmpty());
    QVERIFY(player.opened.isEmpty());
    QVERIFY(host.events.isEmpty());
}

void tst_Media::unopenable_file_reports_the_player()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    player.refuse = true;
    TMediaManager media(host, player);
    media.PlayMediaFile(m_folder + "bad.mp3");
    QCOMPARE(host.messages, QStringList{"Unable to open Mediaplayer"});
    QVERIFY(!host.events.contains("meter on"));
}

void tst_Media::a_file_that_will_not_play_is_reported_and_the_meter_stops()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.PlayMediaFile(m_folder + "broken.mp3");
    QVERIFY(host.events.contains("meter on"));
    QVERIFY(host.messages.isEmpty());
    host.events.clear();
    player.failPlaying();
    QCOMPARE(host.messages, QStringList{"Unable to open Mediaplayer"});
    QCOMPARE(host.events, (QStringList{"reset", "meter off", "idle"}));
    QVERIFY(!media.PlayerBusy());
}

void tst_Media::external_player_failure_is_reported()
{
    RecordingMediaHost host;
    host.external = true;
    host.externalOpens = false;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.PlayMediaFile(m_folder + "song.mp3");
    QCOMPARE(host.externals, QStringList{m_folder + "song.mp3"});
    QCOMPARE(host.messages, QStringList{"Sorry !  Unable to Execute " + m_folder + "song.mp3"});
    QVERIFY(player.opened.isEmpty());
}

void tst_Media::play_announces_the_selected_name()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.ListMode = true;
    media.PlaySelected("song.mp3");
    media.PlaySelected(QString());
    QCOMPARE(host.chat, QList<QByteArray>{"}song.mp3"});
    QVERIFY(!media.ListMode);
}

void tst_Media::checked_items_play_one_after_another()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.Playlist.Folder = m_folder;
    media.Playlist.Items = {{"a.mp3", true}, {"b.mp3", false}, {"c.mp3", true}};
    media.PlayCheckedItems();
    QVERIFY(media.ListMode);
    QCOMPARE(media.ListIndex, 0);
    QCOMPARE(host.chat, QList<QByteArray>{"`a.mp3"});
    QCOMPARE(player.opened, QStringList{m_folder + "a.mp3"});

    player.finishPlaying();
    QCOMPARE(media.ListIndex, 2);
    QCOMPARE(host.chat.last(), QByteArray("`c.mp3"));
    QCOMPARE(player.opened.last(), m_folder + "c.mp3");
    QCOMPARE(host.events.last(), QStringLiteral("meter on"));

    host.events.clear();
    player.finishPlaying();
    QVERIFY(!media.ListMode);
    QCOMPARE(media.ListIndex, -1);
    QCOMPARE(player.opened.size(), 2);
    QCOMPARE(host.events, (QStringList{"reset", "meter off", "idle"}));
    QCOMPARE(host.banner.first(), QStringLiteral("Your Local MP3 files"));
}

void tst_Media::list_mode_ends_without_checked_items()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.Playlist.Items = {{"a.mp3", false}, {"b.mp3", false}};
    media.PlayCheckedItems();
    QVERIFY(!media.ListMode);
    QCOMPARE(media.ListIndex, -1);
    QVERIFY(host.chat.isEmpty());
    QVERIFY(player.opened.isEmpty());
}

void tst_Media::list_mode_with_auto_play_waits_for_the_announcement()
{
    RecordingMediaHost host;
    host.autoPlay = true;
    host.ftp = true;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.Playlist.Folder = m_folder;
    media.Playlist.Items = {{"a.mp3", true}};
    media.PlayCheckedItems();
    QCOMPARE(host.chat, QList<QByteArray>{"`a.mp3"});
    QVERIFY(player.opened.isEmpty());
    // The announcement comes back and the renderer finds the file.
    media.PlayDownloaded(m_folder + "a.mp3");
    QCOMPARE(player.opened, QStringList{m_folder + "a.mp3"});
}

void tst_Media::play_next_while_playing_advances_through_completion()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.Playlist.Folder = m_folder;
    media.Playlist.Items = {{"a.mp3", true}, {"b.mp3", true}};
    media.PlayNext();   // not in list mode: starts the checked items
    QCOMPARE(player.opened, QStringList{m_folder + "a.mp3"});
    media.PlayNext();
    QVERIFY(media.ListMode);
    QCOMPARE(player.calls.last(), QStringLiteral("stop"));
    QTRY_COMPARE(player.opened.size(), 2);
    QCOMPARE(player.opened.last(), m_folder + "b.mp3");
    QCOMPARE(media.ListIndex, 1);
}

void tst_Media::stop_media_player_ends_list_mode()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.Playlist.Folder = m_folder;
    media.Playlist.Items = {{"a.mp3", true}, {"b.mp3", true}};
    media.PlayCheckedItems();
    host.events.clear();
    media.StopMediaPlayer();
    QVERIFY(!media.ListMode);
    QCOMPARE(host.banner, (QStringList{"Your Local MP3 files", "a", "b"}));
    QTRY_VERIFY(host.events.contains("idle"));
    QVERIFY(host.events.contains("meter off"));
    QCOMPARE(player.opened.size(), 1);
}

void tst_Media::pause_and_resume()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    media.PlayMediaFile(m_folder + "a.mp3");
    QCOMPARE(media.PauseOrResume(), QStringLiteral("Resume"));
    QCOMPARE(player.mode(), MediaPlayer::Paused);
    QCOMPARE(media.PauseOrResume(), QStringLiteral("Pause"));
    QCOMPARE(player.mode(), MediaPlayer::Playing);
    // A paused song is stopped by "Stop Media Player" too.
    media.PauseOrResume();
    media.StopMediaPlayer();
    QCOMPARE(player.mode(), MediaPlayer::Stopped);
}

void tst_Media::play_downloaded_rules_data()
{
    QTest::addColumn<bool>("autoPlay");
    QTest::addColumn<bool>("ftp");
    QTest::addColumn<bool>("listMode");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<bool>("plays");
    QTest::newRow("both down, list mode, playing") << true << true << true << true << true;
    QTest::newRow("idle") << false << false << false << false << true;
    QTest::newRow("list mode") << true << false << true << false << false;
    QTest::newRow("playing") << false << true << false << true << false;
}

void tst_Media::play_downloaded_rules()
{
    QFETCH(bool, autoPlay);
    QFETCH(bool, ftp);
    QFETCH(bool, listMode);
    QFETCH(bool, playing);
    RecordingMediaHost host;
    host.autoPlay = autoPlay;
    host.ftp = ftp;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    if (playing)
        media.PlayMediaFile(m_folder + "old.mp3");
    media.ListMode = listMode;
    media.PlayDownloaded(m_folder + "new.mp3");
    QTEST(player.opened.contains(m_folder + "new.mp3"), "plays");
}

void tst_Media::play_progress()
{
    RecordingMediaHost host;
    FakeMediaPlayer player;
    TMediaManager media(host, player);
    QCOMPARE(media.PlayProgress(), -1);
    media.PlayMediaFile(m_folder + "a.mp3");
    player.lengthMs = 200000;
    player.positionMs = 50000;
    QCOMPARE(media.PlayProgress(), 25);
    player.positionMs = 199999;
    QCOMPARE(media.PlayProgress(), 100);
}

VT_TEST_MAIN(tst_Media)
#include "tst_media.moc"
