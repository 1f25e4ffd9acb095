// The chat renderer over arbitrary server text, into a shown chat view with
// a user list and a status panel, sounds on, a host that checks every
// effect and a temporary media folder. Besides not crashing, the renderer must keep its
// promises: a known result code, no more than MaxLines lines in the view,
// and no file named from chat outside the taunt and media folders.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ChatAnsi.h"
#include "ChatHost.h"
#include "ChatSession.h"
#include "ChatTranscript.h"
#include "FuzzCheck.h"
#include "StatusPanel.h"
#include "UserListView.h"
#include "uRichEditWithLinks.h"

namespace {

// Every effect the renderer asks for is checked: files only from the two
// folders, fetches only of plain names, known event labels, the one log.
class CheckingHost : public ChatHost
{
public:
    explicit CheckingHost(const ChatSession &session) : m_session(session) {}
    bool playFile(const QString &path) override
    {
        FUZZ_CHECK(inFolder(path));
        return true;
    }
    bool takeMedia(const QString &path) override
    {
        FUZZ_CHECK(inFolder(path));
        return true;
    }
    void playEventSound(const QByteArray &label) override
    {
        static const QByteArrayList labels = {"Look", "Here", "Away", "NewArrival", "PersonExits"};
        FUZZ_CHECK(labels.contains(label));
    }
    void fetchMissingSound(const QByteArray &name) override
    {
        FUZZ_CHECK(TDispAnsi::IsPlainFileName(name));
    }
    QString appendToLog(const QString &fileName, const QByteArray &text) override
    {
        FUZZ_CHECK(fileName == m_session.LogFileName);
        FUZZ_CHECK(!text.isEmpty());
        return {};
    }

private:
    // A file the chat may play: directly inside one of the two folders.
    bool inFolder(const QString &path) const
    {
        const QFileInfo info(path);
        const QString folder = info.absolutePath() + QLatin1Char('/');
        return (folder == m_session.TauntFolder || folder == m_session.MediaFolder)
            && info.isFile();
    }

    const ChatSession &m_session;
};

struct Fixture
{
    QTemporaryDir dir;
    ChatSession session;
    CheckingHost host{session};
    TRichEditURL view;
    TUserListView list;
    TStatusPanel panel;
    TDispAnsi chat{session};
    ChatTranscript transcript;
    TDispAnsi headless{session};
};

Fixture *g_fixture = nullptr;

bool knownResult(int code)
{
    return code == 1 || (code >= 3 && code <= 7);
}

} // namespace

// Fontconfig keeps its caches for the life of the process; they are not
// the renderer's leaks.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// Qt and fontconfig fill caches while text is laid out, so nearly every
// input allocates more than it frees and the per-input leak scan would take
// most of the time. Under libFuzzer (given flags) it is switched off; the
// scan at exit still runs.
static void turnOffPerInputLeakScan(int *argc, char ***argv)
{
    bool underLibFuzzer = false;
    for (int i = 1; i < *argc; ++i)
        underLibFuzzer = underLibFuzzer || (*argv)[i][0] == '-';
    if (!underLibFuzzer)
        return;
    static char flag[] = "-detect_leaks=0";
    static std::vector<char *> args;
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, flag);
    *argc = int(args.size());
    args.push_back(nullptr);
    *argv = args.data();
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    turnOffPerInputLeakScan(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the window system may go before the widgets at exit.
    static QApplication *app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    g_fixture = new Fixture;
    Fixture &f = *g_fixture;
    const QString root = QDir(f.dir.path()).canonicalPath();
    QDir().mkpath(root + QStringLiteral("/taunts"));
    QDir().mkpath(root + QStringLiteral("/media"));
    for (const QString &name : {QStringLiteral("/taunts/Taunt007.wav"), QStringLiteral("/media/song.wav"),
                                QStringLiteral("/media/ding.wav")})
        QFile(root + name).open(QIODevice::WriteOnly);
    ChatSession &session = f.session;
    session.setHost(&f.host);
    session.TauntFolder = root + QStringLiteral("/taunts/");
    session.MediaFolder = root + QStringLiteral("/media/");
    session.UserName = "Ann";
    session.MaxLines = 40;
    session.LogFileName = root + QStringLiteral("/ChatLog.txt");
    f.view.SetShowSelectionBar(true);
    f.view.resize(400, 300);
    f.view.show();
    f.chat.Attach(&f.view, &f.list, &f.panel);
    f.chat.SoundsOn = true;
    f.headless.Attach(&f.transcript, nullptr, nullptr);
    f.headless.SoundsOn = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fixture &f = *g_fixture;
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    ChatSession &session = f.session;
    session.DarkView = size % 2 == 0;
    session.SuppressOnSound = size % 3 != 0;

    FUZZ_CHECK(knownResult(f.chat.Show(text)));
    const int code = f.chat.Dispatch(text);
    FUZZ_CHECK(knownResult(code));
    // After a user-list block the list holds one row per non-empty line of
    // the last block (or keeps its rows when the counts matched).
    FUZZ_CHECK(code != TDispAnsi::UserListBlock || f.list.rowCount() <= session.UserListLines.size());
    FUZZ_CHECK(knownResult(f.chat.ShowWithoutList(text)));
    FUZZ_CHECK(knownResult(f.headless.Show(text)));
    FUZZ_CHECK(f.view.lineCount() <= session.MaxLines);
    FUZZ_CHECK(f.transcript.lineCount() <= session.MaxLines);
    FUZZ_CHECK(f.chat.LastError().isEmpty());
    // Done a step at a time (as a window does it over several turns of its
    // event loop), a text shows as it does at once; no line is longer than
    // the cut.
    {
        ChatTranscript once;
        ChatTranscript stepped;
        TDispAnsi whole(session);
        TDispAnsi steps(session);
        whole.Attach(&once, nullptr, nullptr);
        steps.Attach(&stepped, nullptr, nullptr);
        const int wholeCode = whole.Dispatch(text);
        int stepCode = -1;
        WorkQueue::Job job = steps.DispatchJob(text, [&](int result) { stepCode = result; });
        while (!job(QDeadlineTimer(0))) {
        }
        FUZZ_CHECK(stepCode == wholeCode);
        FUZZ_CHECK(stepped.runs() == once.runs());
        for (const QByteArray &line : once.plainText().split('\n'))
            FUZZ_CHECK(line.size() <= TDispAnsi::MaxLineLength);
    }
    // A program returns to its event loop between chunks; Qt trims its
    // caches and paints there.
    static int inputs = 0;
    if (++inputs % 64 == 0)
        QApplication::processEvents();
    return 0;
}
