// The chat line renderer, driven into an in-memory transcript: what text
// is shown with which attributes, what the user list and the status panel
// receive, what the session's host is asked to play, fetch and log, and
// what each text returns.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ChatAnsi.h"
#include "ChatSession.h"
#include "ChatTranscript.h"
#include "RecordingChatHost.h"
#include "TestMain.h"

namespace {

QByteArray esc(const char *codes)
{
    return QByteArray("\x1b[") + codes;
}

const QByteArray kEnd("\x1b]");

// A run as "text@RRGGBB+b+i+u+link font=.. size=..", runs joined by " | ".
QString describe(const QList<ChatTranscript::Run> &runs)
{
    QStringList parts;
    for (const ChatTranscript::Run &run : runs) {
        const ChatStyle &s = run.style;
        QString part = QString::fromLatin1(run.text)
            + QString::asprintf("@%02X%02X%02X", s.color & 0xFF, (s.color >> 8) & 0xFF,
                                (s.color >> 16) & 0xFF);
        if (s.bold)
            part += QStringLiteral("+b");
        if (s.italic)
            part += QStringLiteral("+i");
        if (s.underline)
            part += QStringLiteral("+u");
        if (s.link)
            part += QStringLiteral("+link");
        if (s.fontName != "Arial")
            part += QStringLiteral(" font=") + QString::fromLatin1(s.fontName);
        if (s.fontSize != 10)
            part += QStringLiteral(" size=%1").arg(s.fontSize);
        parts << part;
    }
    return parts.join(QStringLiteral(" | "));
}

class RecordingList : public UserListOutput
{
public:
    int rowCount() const override { return int(rows.size()); }
    void beginUpdate() override { ++updates; }
    void endUpdate() override {}
    void clearRows() override
    {
        rows.clear();
        ++rebuilds;
    }
    void addRow(const UserListRow &row) override { rows.append(row); }
    void updateRow(int index, const UserListRow &row) override
    {
        if (row.hasSecondColumn)
            rows[index] = row;
        else
            rows[index] = {row.caption, row.image, row.state, row.data,
                           rows[index].hasSecondColumn, rows[index].secondColumn};
        ++inPlace;
    }

    QList<UserListRow> rows;
    int updates = 0;
    int rebuilds = 0;
    int inPlace = 0;
};

class RecordingPanel : public StatusPanelOutput
{
public:
    void setPanelText(const QByteArray &value) override { text = value; }
    QByteArray text = "(untouched)";
};

} // namespace

Q_DECLARE_METATYPE(UserListRow)

char *toString(const UserListRow &row)
{
    return qstrdup(QByteArray(row.caption.toPercentEncoding() + " image " + QByteArray::number(row.image)
                              + " state " + QByteArray::number(row.state) + " data "
                              + QByteArray::number(row.data)
                              + (row.hasSecondColumn ? " second " + row.secondColumn : QByteArray()))
                       .constData());
}

class tst_ChatAnsi : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void renders_codes_data();
    void renders_codes();
    void result_codes_data();
    void result_codes();
    void contrast_data();
    void contrast();
    void caret_clicked_away_comes_back_plain();

    void user_list_block_with_list();
    void user_list_block_without_list_ends_the_text();
    void user_list_refills_in_place_when_counts_match();
    void parses_user_list_lines_data();
    void parses_user_list_lines();
    void splits_block_lines();

    void where_is_for_this_user();
    void where_is_for_someone_else_is_dropped();

    void chat_sounds_data();
    void chat_sounds();
    void sound_name_length_limits();
    void presence_sounds_data();
    void presence_sounds();

    void trims_to_max_lines();
    void logs_plain_text_without_links();
    void unwritable_log_is_reported_and_text_kept();
    void status_panel_follows_the_last_dispatch();
    void renderers_of_two_sessions_do_not_share();

    void long_lines_are_cut_with_a_notice();
    void job_in_slices_shows_what_dispatch_shows_data();
    void job_in_slices_shows_what_dispatch_shows();

private:
    QTemporaryDir m_dir;
    RecordingChatHost m_host;
    ChatSession *m_session = nullptr;
    ChatTranscript *m_view = nullptr;
    RecordingList *m_list = nullptr;
    RecordingPanel *m_panel = nullptr;
    TDispAnsi *m_chat = nullptr;
};

void tst_ChatAnsi::init()
{
    QDir().mkpath(m_dir.path() + "/taunts");
    QDir().mkpath(m_dir.path() + "/media");
    QFile(m_dir.path() + "/taunts/Taunt007.wav").open(QIODevice::WriteOnly);
    QFile(m_dir.path() + "/media/song.wav").open(QIODevice::WriteOnly);
    m_host = RecordingChatHost();
    m_session = new ChatSession(&m_host);
    m_session->TauntFolder = m_dir.path() + "/taunts/";
    m_session->MediaFolder = m_dir.path() + "/media/";
    m_session->UserName = "Ann";

    m_view = new ChatTranscript;
    m_list = new RecordingList;
    m_panel = new RecordingPanel;
    m_chat = new TDispAnsi(*m_session);
    m_chat->Attach(m_view, m_list, m_panel);
}

void tst_ChatAnsi::cleanup()
{
    delete m_chat;
    delete m_panel;
    delete m_list;
    delete m_view;
    delete m_session;
}

void tst_ChatAnsi::renders_codes_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("runs");

    QTest::newRow("plain text as it is") << true << QByteArray("hello there") << "hello there@000000";
    QTest::newRow("red, then a line break in the same attributes")
        << true << esc("4") + esc("BHello") + kEnd + "\r\n" << "Hello\n@FF0000+b";
    QTest::newRow("red on a light view") << false << esc("4Hello") << "Hello@AA0000";
    QTest::newRow("white on a light view is black") << false << esc("1Hi") << "Hi@000000";
    QTest::newRow("unknown code is white even on a light view")
        << false << esc("ZHi") << "Hi@FFFFFF";
    QTest::newRow("bold name in the default colour, then plain text")
        << true << esc("2Bob") + esc("1> hi") << "Bob@00B9B9+b |  @00B9B9 | > hi@FFFFFF";
    QTest::newRow("light view: the reset compares the contrasted default colour")
        << false << esc("2Bob") + esc("1> hi") << "Bob@007B7B+b |  @007B7B | > hi@000000";
    QTest::newRow("no reset for a bold name in another colour")
        << true << esc("4") + esc("BBob") + esc("1> hi") << "Bob@FF0000+b | > hi@FFFFFF+b";
    QTest::newRow("styles on and off")
        << true << esc("3") + esc("I") + esc("Uaa") + esc("ibb") + esc("ucc")
        << "aa@00FFFF+i+u | bb@00FFFF+u | cc@00FFFF";
    QTest::newRow("plain again once the caret stands in column 1")
        << true << esc("3") + esc("Ua") + esc("Bb") << "a@00FFFF+u | b@00FFFF+b";
    QTest::newRow("font and size hold until the next code")
        << true << esc("F{Courier}mono ") + esc("S{14}big ") + esc("8back")
        << "mono @000000 font=Courier | big @000000 size=14 | back@FFFF00";
    QTest::newRow("font code without braces") << true << esc("Fxy") << "xy@000000 font=";
    QTest::newRow("end code before a code stays in the head")
        << true << esc("4a ") + kEnd + " b" + esc("5c") << "a \x1b] b@FF0000 | c@00FF00";
    QTest::newRow("a link, then the former attributes")
        << true << esc("4see http://example.org/a and more")
        << "see @FF0000 | http://example.org/a@0000FF+u+link |  and more@FF0000";
    QTest::newRow("only the first address of a run is a link")
        << true << QByteArray("a http://one.org b http://two.org")
        << "a @000000 | http://one.org@0000FF+u+link |  b http://two.org@000000";
    QTest::newRow("a backslash command is a link")
        << true << QByteArray("click \\join now") << "click @000000 | \\join@0000FF+u+link |  now@000000";
    QTest::newRow("mailto in capitals") << true << QByteArray("MAILTO:bob@example.org")
                                        << "MAILTO:bob@example.org@0000FF+u+link";
}

void tst_ChatAnsi::renders_codes()
{
    QFETCH(bool, dark);
    QFETCH(QByteArray, text);
    QFETCH(QString, runs);
    m_session->DarkView = dark;
    QCOMPARE(m_chat->Show(text), 1);
    QCOMPARE(describe(m_view->runs()), runs);
}

void tst_ChatAnsi::result_codes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("shown");

    QTest::newRow("empty") << QByteArray() << 1 << QByteArray();
    QTest::newRow("ordinary") << esc("1hi") << 1 << QByteArray("hi");
    QTest::newRow("identification prefix") << esc("\xBDname") << 3 << QByteArray();
    QTest::newRow("third byte P") << esc("Pxyz") << 4 << QByteArray();
    QTest::newRow("ready marker") << esc("\xB3") << 7 << QByteArray();
    QTest::newRow("the last segment's code") << QByteArray("hi ") + esc("\xB3") << 7 << QByteArray("hi ");
    QTest::newRow("a user-list block after chat text") << QByteArray("hi ") + esc("LAnn=1;0;5") + kEnd
                                                       << 5 << QByteArray("hi ");
    QTest::newRow("short text with a lone code start") << QByteArray("\x1b[") << 1 << QByteArray();
}

void tst_ChatAnsi::result_codes()
{
    QFETCH(QByteArray, text);
    QFETCH(int, code);
    QFETCH(QByteArray, shown);
    QCOMPARE(m_chat->Show(text), code);
    QCOMPARE(m_view->plainText(), shown);
}

void tst_ChatAnsi::contrast_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<uint>("color");
    QTest::addColumn<uint>("expected");
    QTest::newRow("dark: black becomes white") << true << uint(TColors::Black) << uint(TColors::White);
    QTest::newRow("dark: others stay") << true << uint(RGBToTColor(1, 2, 3)) << uint(RGBToTColor(1, 2, 3));
    QTest::newRow("light: white becomes black") << false << uint(TColors::White) << uint(TColors::Black);
    QTest::newRow("light: two thirds") << false << uint(RGBToTColor(0xFF, 0x80, 0x40))
                                       << uint(RGBToTColor(0xAA, 0x55, 0x2A));
    QTest::newRow("system colour stays") << false << uint(TColors::WindowText) << uint(TColors::WindowText);
}

void tst_ChatAnsi::contrast()
{
    QFETCH(bool, dark);
    QFETCH(uint, color);
    QFETCH(uint, expected);
    m_session->DarkView = dark;
    QCOMPARE(uint(m_session->Contrast(color)), expected);
}

void tst_ChatAnsi::caret_clicked_away_comes_back_plain()
{
    m_chat->Show(esc("B") + esc("Ifirst"));
    m_view->moveCaretAway();
    m_chat->Show("no code keeps the style ");
    m_view->moveCaretAway();
    m_chat->Show(esc("4second"));
    QCOMPARE(describe(m_view->runs()),
             QString("firstno code keeps the style @000000+b+i | second@FF0000"));
}

void tst_ChatAnsi::user_list_block_with_list()
{
    const QByteArray text = esc("LAnn=1;0;5") + "\r\nBob=2;1;7" + kEnd + "welcome";
    QCOMPARE(m_chat->Show(text), 5);
    QCOMPARE(m_list->rows.size(), 2);
    QCOMPARE(m_list->rows[0], (UserListRow{"Ann", 1, 0, 5, false, {}}));
    QCOMPARE(m_list->rows[1], (UserListRow{"Bob", 2, 1, 7, false, {}}));
    QCOMPARE(m_session->UserListLines, (QByteArrayList{"Ann=1;0;5", "Bob=2;1;7"}));
    QCOMPARE(m_view->plainText(), QByteArray("welcome"));

    // The third byte counts even when the text does not begin with ESC "[".
    QCOMPARE(m_chat->Show(QByteArray("xyLCy=3;0;1") + kEnd + esc("1hello")), 5);
    QCOMPARE(m_list->rows.size(), 1);
    QCOMPARE(m_list->rows[0].caption, QByteArray("Cy"));
    QCOMPARE(m_view->plainText(), QByteArray("welcomehello"));
}

void tst_ChatAnsi::user_list_block_without_list_ends_the_text()
{
    QCOMPARE(m_chat->ShowWithoutList(esc("LAnn=1;0;5") + kEnd + "welcome"), 5);
    QCOMPARE(m_session->UserListLines, (QByteArrayList{"Ann=1;0;5"}));
    QVERIFY(m_list->rows.isEmpty());
    QCOMPARE(m_view->plainText(), QByteArray());

    m_chat->UserListView = nullptr;
    QCOMPARE(m_chat->Show(esc("LBob=1;0;5") + kEnd + "welcome"), 5);
    QCOMPARE(m_view->plainText(), QByteArray());
}

void tst_ChatAnsi::user_list_refills_in_place_when_counts_match()
{
    m_chat->Show(esc("LAnn=1;0;5|Lobby|\r\nBob=2;1;7") + kEnd);
    QCOMPARE(m_list->rebuilds, 1);
    m_chat->Show(esc("LAnn=3;0;5\r\n\r\nBob=4;1;8|Den|") + kEnd);   // three lines: rebuilt
    QCOMPARE(m_list->rebuilds, 2);
    QCOMPARE(m_list->rows.size(), 2);   // empty lines add no row
    m_chat->Show(esc("LAnn=1;0;5\r\nBob=2;1;9|Hall|") + kEnd);    // two lines, two rows
    QCOMPARE(m_list->rebuilds, 2);
    QCOMPARE(m_list->inPlace, 2);
    m_chat->Show(esc("LAnn=5;0;5\r\nBob=6;1;1") + kEnd);
    QCOMPARE(m_list->rebuilds, 2);
    QCOMPARE(m_list->inPlace, 4);
    QCOMPARE(m_list->rows[0].image, 5);
    QCOMPARE(m_list->rows[1], (UserListRow{"Bob", 6, 1, 1, true, "Hall"}));   // column kept
}

void tst_ChatAnsi::parses_user_list_lines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<UserListRow>("row");
    QTest::newRow("plain") << QByteArray("\x1b[3*Bob=2;1;7") << UserListRow{"\x1b[3*Bob", 2, 1, 7, false, {}};
    QTest::newRow("second column, data before the brace")
        << QByteArray("Ann=1;0;12{x}|Room 3|") << UserListRow{"Ann", 1, 0, 12, true, "Room 3"};
    QTest::newRow("second column to the end") << QByteArray("Ann=1;0;4|Lobby")
                                              << UserListRow{"Ann", 1, 0, 4, true, "Lobby"};
    QTest::newRow("missing fields read leniently") << QByteArray("Cy=x") << UserListRow{"Cy", 0, 0, 0, false, {}};
}

void tst_ChatAnsi::parses_user_list_lines()
{
    QFETCH(QByteArray, line);
    QFETCH(UserListRow, row);
    QCOMPARE(TDispAnsi::ParseUserListLine(line), row);
}

void tst_ChatAnsi::splits_block_lines()
{
    QCOMPARE(TDispAnsi::SplitLines("a\r\nb\nc\rd"), (QByteArrayList{"a", "b", "c", "d"}));
    QCOMPARE(TDispAnsi::SplitLines("a\r\n"), (QByteArrayList{"a"}));
    QCOMPARE(TDispAnsi::SplitLines("\r\n\r\nb"), (QByteArrayList{"", "", "b"}));
    QVERIFY(TDispAnsi::SplitLines("").isEmpty());
}

void tst_ChatAnsi::where_is_for_this_user()
{
    m_chat->SoundsOn = true;
    const QByteArray query = esc("5Bob ") + kEnd + "\xA4\xAB" "Ann is wanted";
    QCOMPARE(m_chat->Show(query), 6);
    QCOMPARE(describe(m_view->runs()), QString("Bob @00FF00 | Looking For Ann is wanted\n@FFFFFF+b"));
    QCOMPARE(m_host.events, QByteArrayList{"Look"});
}

void tst_ChatAnsi::where_is_for_someone_else_is_dropped()
{
    m_chat->SoundsOn = true;
    QCOMPARE(m_chat->Show(esc("5Bob ") + kEnd + "\xA4\xAB" "Cy"), 1);
    QCOMPARE(m_view->plainText(), QByteArray());
    m_session->UserName.clear();
    QCOMPARE(m_chat->Show(esc("5Bob ") + kEnd + "\xA4\xAB" "Ann"), 1);
    QVERIFY(m_host.events.isEmpty());
}

void tst_ChatAnsi::chat_sounds_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("soundsOn");
    QTest::addColumn<bool>("suppress");
    QTest::addColumn<QString>("played");   // file names, "," joined
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<QByteArray>("fetched");

    const QByteArray taunt = esc("2Bob") + esc("1> #7");
    QTest::newRow("taunt played, line hidden, status panel")
        << taunt << true << true << "Taunt007.wav" << QByteArray() << QByteArray("Bob [#7]") << QByteArray();
    QTest::newRow("sounds off: shown, nothing played")
        << taunt << false << true << "" << QByteArray("Bob> #7") << QByteArray("(untouched)") << QByteArray();
    QTest::newRow("played and shown without suppression")
        << taunt << true << false << "Taunt007.wav" << QByteArray("Bob> #7") << QByteArray("(untouched)")
        << QByteArray();
    QTest::newRow("no sound in the first head")
        << esc("2Bob> #7") << true << true << "" << QByteArray("Bob> #7 ") << QByteArray("(untouched)")
        << QByteArray();
    QTest::newRow("taunt without a file")
        << esc("2Bob") + esc("1> #8") << true << true << "" << QByteArray("Bob > #8")
        << QByteArray("(untouched)") << QByteArray();
    QTest::newRow("taunt number with a separator")
        << esc("2Bob") + esc("1> #/7") << true << true << "" << QByteArray("Bob > #/7")
        << QByteArray("(untouched)") << QByteArray();
    QTest::newRow("media file named after a brace")
        << esc("2Bob") + esc("1{x}song.wav") << true << true << "song.wav" << QByteArray()
        << QByteArray("Bob [song.wav]") << QByteArray();
    QTest::newRow("grave-accent sound fetched when missing")
        << esc("2Bob") + esc("1> `ding.wav") << true << true << "" << QByteArray()
        << QByteArray("Bob [`ding.wav]") << QByteArray("ding.wav");
    QTest::newRow("grave-accent sound on disk is played")
        << esc("2Bob") + esc("1> `song.wav") << true << true << "song.wav" << QByteArray()
        << QByteArray("Bob [`song.wav]") << QByteArray();
    QTest::newRow("a name with a path is shown, never fetched")
        << esc("2Bob") + esc("1> `../song.wav") << true << true << "" << QByteArray("Bob > `../song.wav")
        << QByteArray("(untouched)") << QByteArray();
    QTest::newRow("a folder name is shown")
        << esc("2Bob") + esc("1> `a/b.wav") << true << true << "" << QByteArray("Bob > `a/b.wav")
        << QByteArray("(untouched)") << QByteArray();
}

void tst_ChatAnsi::chat_sounds()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, soundsOn);
    QFETCH(bool, suppress);
    QFETCH(QString, played);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, panel);
    QFETCH(QByteArray, fetched);
    m_chat->SoundsOn = soundsOn;
    m_session->SuppressOnSound = suppress;
    QCOMPARE(m_chat->Dispatch(text), 1);
    QStringList names;
    for (const QString &path : std::as_const(m_host.played))
        names << QFileInfo(path).fileName();
    QCOMPARE(names.join(','), played);
    QCOMPARE(m_view->plainText(), shown);
    QCOMPARE(m_panel->text, panel);
    QCOMPARE(m_host.fetched.join(), fetched);
}

void tst_ChatAnsi::sound_name_length_limits()
{
    // IsChatSound looks at 44 bytes at most, ChatSound at 99.
    const QByteArray grave = "> `";
    QVERIFY(m_session->IsChatSound(grave + QByteArray(41, 'a')));
    QVERIFY(!m_session->IsChatSound(grave + QByteArray(42, 'a')));
    QVERIFY(m_session->ChatSound(grave + QByteArray(96, 'a')));
    QVERIFY(!m_session->ChatSound(grave + QByteArray(97, 'a')));

    // A host that plays media its own way takes the file; otherwise it is played.
    QVERIFY(m_session->ChatSound("{}song.wav"));
    QCOMPARE(m_host.played, QStringList{m_session->MediaFolder + "song.wav"});
    m_host.clear();
    m_host.takesMedia = true;
    QVERIFY(m_session->ChatSound("{}song.wav"));
    QCOMPARE(m_host.media, QStringList{m_session->MediaFolder + "song.wav"});
    QVERIFY(m_host.played.isEmpty());
    QVERIFY(!m_session->IsChatSound("{}"));   // the folder itself is no sound

    // A file that does not start counts as not played, and the line shows.
    m_host.takesMedia = false;
    m_host.playStarts = false;
    QVERIFY(!m_session->ChatSound("> #7"));
    m_chat->SoundsOn = true;
    QCOMPARE(m_chat->Dispatch(esc("2Bob") + esc("1> #7")), 1);
    QCOMPARE(m_view->plainText(), QByteArray("Bob> #7"));
    QCOMPARE(m_panel->text, QByteArray("(untouched)"));
}

void tst_ChatAnsi::presence_sounds_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("withList");
    QTest::addColumn<QByteArrayList>("events");
    QTest::newRow("arrival") << esc("2Bob(Enter)>") + esc("1 hi") << true << QByteArrayList{"NewArrival"};
    QTest::newRow("exit") << esc("2Bob(Exit)>") + esc("1 bye") << true << QByteArrayList{"PersonExits"};
    QTest::newRow("here beats the head") << esc("4Bob(Exit)>") + esc("1I'm Here!") << true
                                         << QByteArrayList{"Here"};
    QTest::newRow("away") << esc("4Bob>") + esc("1I'm Away!") << true << QByteArrayList{"Away"};
    QTest::newRow("not without a list") << esc("2Bob(Enter)>") + esc("1 hi") << false << QByteArrayList{};
}

void tst_ChatAnsi::presence_sounds()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, withList);
    QFETCH(QByteArrayList, events);
    m_chat->SoundsOn = true;
    if (withList)
        m_chat->Show(text);
    else
        m_chat->ShowWithoutList(text);
    QCOMPARE(m_host.events, events);
}

void tst_ChatAnsi::trims_to_max_lines()
{
    for (int i = 1; i <= 150; ++i)
        m_chat->Show(esc("4") + "line " + QByteArray::number(i) + "\r\n");
    QCOMPARE(m_view->lineCount(), 150);
    QVERIFY(m_view->plainText().startsWith("line 1\n"));
    m_chat->Show(esc("4") + "line 151\r\n");
    QCOMPARE(m_view->lineCount(), 150);
    QVERIFY(m_view->plainText().startsWith("line 2\n"));
    QVERIFY(m_view->plainText().endsWith("line 151\n"));
}

void tst_ChatAnsi::long_lines_are_cut_with_a_notice()
{
    const qsizetype most = TDispAnsi::MaxLineLength;
    // One line over several calls, as a server sends it in pieces.
    m_chat->Show("start ");
    for (int i = 0; i < 3; ++i)
        m_chat->Show(QByteArray(30 * 1024, 'x'));
    m_chat->Show(QByteArray(1000, 'x') + "\r\nnext line\r\n" + QByteArray(most, 'z') + "\r\n");
    QList<QByteArray> lines = m_view->plainText().split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.at(0), "start " + QByteArray(most - 6, 'x'));
    QVERIFY2(lines.at(1).contains("longer than 64 KiB"), lines.at(1).constData());
    QCOMPARE(lines.at(2), QByteArray("next line"));
    QCOMPARE(lines.at(3), QByteArray(most, 'z'));   // exactly at the limit: whole
    QCOMPARE(lines.at(4), QByteArray());

    // Codes inside the long line keep their runs; the cut counts shown bytes.
    m_view->deleteFirstLine();
    while (m_view->lineCount() > 0)
        m_view->deleteFirstLine();
    m_chat->Show(esc("4") + QByteArray(most - 2, 'r') + esc("5") + "gggg" + esc("6") + "mmm\r\nok\r\n");
    lines = m_view->plainText().split('\n');
    QCOMPARE(lines.at(0), QByteArray(most - 2, 'r') + "gg");
    QVERIFY(lines.at(1).contains("longer than 64 KiB"));
    QCOMPARE(lines.at(2), QByteArray("ok"));
}

void tst_ChatAnsi::job_in_slices_shows_what_dispatch_shows_data()
{
    QTest::addColumn<QByteArray>("text");
    QByteArray chat;
    for (int i = 0; i < 400; ++i)
        chat += esc("2") + "Bob" + esc("1") + "> line " + QByteArray::number(i) + " " + esc("I")
            + "see http://example.org/" + QByteArray::number(i) + esc("i") + "\r\n";
    QTest::newRow("chat lines") << chat;
    QByteArray list = "\x1b[L";
    for (int i = 0; i < 1500; ++i)
        list += "user" + QByteArray::number(i) + "=1;2;3\r\n";
    QTest::newRow("user list and chat") << list + "\x1b]" + chat;
    QTest::newRow("where-is stops the text") << chat + esc("7") + "Bob \x1b]\xa4\xab" "Ann" + chat;
    QTest::newRow("server ready ends it") << chat + "\x1b[\xb3" + chat;
}

// The same text shown at once and a step at a time (a deadline that has
// always passed) gives the same runs, rows, sounds and result code.
void tst_ChatAnsi::job_in_slices_shows_what_dispatch_shows()
{
    QFETCH(QByteArray, text);
    m_list->rows.append({"old", 0, 0, 0, false, {}});
    const int wholeCode = m_chat->Dispatch(text);
    const QList<ChatTranscript::Run> wholeRuns = m_view->runs();
    const QList<UserListRow> wholeRows = m_list->rows;
    const QByteArrayList wholeEvents = m_host.events;

    ChatTranscript view;
    RecordingList list;
    list.rows.append({"old", 0, 0, 0, false, {}});
    RecordingPanel panel;
    TDispAnsi chat(*m_session);
    chat.Attach(&view, &list, &panel);
    m_host.events.clear();
    int code = 0;
    WorkQueue::Job job = chat.DispatchJob(text, [&](int result) { code = result; });
    int calls = 1;
    while (!job(QDeadlineTimer(0)))
        ++calls;
    QVERIFY(calls > 5);
    QCOMPARE(code, wholeCode);
    QCOMPARE(view.runs(), wholeRuns);
    QCOMPARE(list.rows, wholeRows);
    QCOMPARE(m_host.events, wholeEvents);
}

void tst_ChatAnsi::logs_plain_text_without_links()
{
    m_chat->Show("not logged\r\n");
    QVERIFY(m_host.logFiles.isEmpty());
    m_session->LogFileName = "ChatLog.txt";
    m_chat->Show(esc("4Hi see http://example.org now\r\n"));
    m_chat->Show("bye");
    QCOMPARE(m_host.logged, QByteArray("Hi see  now\r\nbye"));
    QCOMPARE(m_host.logFiles.size(), 3);   // before the link, after it, the last text
    QVERIFY(m_host.logFiles.count(QStringLiteral("ChatLog.txt")) == m_host.logFiles.size());
    QVERIFY(m_chat->LastError().isEmpty());
}

void tst_ChatAnsi::unwritable_log_is_reported_and_text_kept()
{
    m_session->LogFileName = "ChatLog.txt";
    m_host.logError = QStringLiteral("Cannot write the chat log ChatLog.txt: no room");
    QCOMPARE(m_chat->Show(esc("4Hello\r\n") + esc("5again")), 1);
    QCOMPARE(m_view->plainText(), QByteArray("Hello\nagain"));
    // The first failure of the call is the one reported.
    QCOMPARE(m_chat->LastError(), m_host.logError);
    m_host.logError.clear();
    m_chat->Show("fine");
    QVERIFY(m_chat->LastError().isEmpty());
}

// A suppressed sound line's status text goes to the panel of the renderer
// whose Dispatch ran last, also when another renderer shows it; a renderer
// that goes away takes its panel out of the session.
void tst_ChatAnsi::status_panel_follows_the_last_dispatch()
{
    const QByteArray taunt = esc("2Bob") + esc("1> #7");
    m_chat->SoundsOn = true;
    ChatTranscript view;
    RecordingPanel panel;
    {
        TDispAnsi other(*m_session);
        other.Attach(&view, nullptr, &panel);
        other.SoundsOn = true;
        other.Dispatch("hello\r\n");
        QCOMPARE(m_session->CurrentStatusPanel(), &panel);
        m_chat->Show(taunt);
        QCOMPARE(panel.text, QByteArray("Bob [#7]"));
        QCOMPARE(m_panel->text, QByteArray("(untouched)"));
        m_chat->Dispatch(taunt);
        QCOMPARE(m_session->CurrentStatusPanel(), m_panel);
        other.Dispatch("again\r\n");
    }
    QCOMPARE(m_session->CurrentStatusPanel(), nullptr);
    panel.text = "(untouched)";
    m_chat->Show(taunt);   // no panel is current: the text goes nowhere
    QCOMPARE(panel.text, QByteArray("(untouched)"));
    QCOMPARE(m_host.played.size(), 3);
}

// Two programs' worth of chat in one process: user, colours, folders, host
// and user list of one session never reach the other's renderers.
void tst_ChatAnsi::renderers_of_two_sessions_do_not_share()
{
    RecordingChatHost otherHost;
    ChatSession other(&otherHost);
    other.UserName = "Cy";
    other.DarkView = false;
    ChatTranscript view;
    RecordingList list;
    TDispAnsi chat(other);
    chat.Attach(&view, &list, nullptr);
    chat.SoundsOn = true;
    m_chat->SoundsOn = true;

    const QByteArray query = esc("5Bob ") + kEnd + "\xA4\xAB" "Ann";
    QCOMPARE(chat.Show(query), 1);   // Ann is not this session's user
    QCOMPARE(m_chat->Show(query), 6);
    QCOMPARE(otherHost.events, QByteArrayList{});
    QCOMPARE(m_host.events, QByteArrayList{"Look"});

    chat.Show(esc("1white"));
    QCOMPARE(describe(view.runs()), QString("white@000000"));   // light view
    // The taunt folder is only the first session's.
    QCOMPARE(chat.Show(esc("2Bob") + esc("1> #7")), 1);
    QVERIFY(otherHost.played.isEmpty());

    chat.Show(esc("LCy=1;0;1") + kEnd);
    QCOMPARE(other.UserListLines, QByteArrayList{"Cy=1;0;1"});
    QVERIFY(m_session->UserListLines.isEmpty());
}

VT_TEST_MAIN(tst_ChatAnsi)
#include "tst_chatansi.moc"
