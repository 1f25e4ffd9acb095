#pragma once

// Recording stand-ins for the platform seams.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

#include "MediaPlayer.h"
#include "ProgramLauncher.h"
#include "SettingsStore.h"
#include "SoundInput.h"
#include "SoundPlayer.h"
#include "UserDialogs.h"
#include "WindowLister.h"

// Plays nothing; remembers what it was asked to play. A sound "plays" until
// finish() or stop() is called.
class FakeSoundPlayer : public SoundPlayer
{
public:
    bool play(const QString &path) override;
    bool isPlaying() const override { return m_playing; }
    void stop() override;
    void finish() { m_playing = false; }

    QStringList played;   // every file started, in order
    int stops = 0;        // sounds cut off by stop() or by a new sound
    bool deviceMissing = false;

private:
    bool m_playing = false;
};

struct LaunchRecord
{
    QString program;
    QStringList arguments;
    QString workingDir;
    LaunchEnvironment environment;   // variables set on top of the launcher's own
    qint64 pid = 0;
};

class FakeLauncher : public ProgramLauncher
{
public:
    bool fileExists(const QString &path) const override;
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDir, const LaunchEnvironment &environment,
                       qint64 *pid) override;
    bool isRunning(qint64 pid) const override;

    QSet<QString> existingFiles;   // when empty, every file exists
    bool onlyListedFilesExist = false;
    bool failStarts = false;
    QList<LaunchRecord> launches;
    QSet<qint64> running;   // the started programs that have not ended
};

class FakeWindowLister : public WindowLister
{
public:
    QList<TopLevelWindow> topLevelWindows() const override { return windows; }
    QList<TopLevelWindow> windows;
};

// Answers dialogs from queues; records every question.
class FakeDialogs : public UserDialogs
{
public:
    void message(QWidget *parent, const QString &caption, const QString &text) override;
    bool confirm(QWidget *parent, const QString &caption, const QString &text,
                 const QPoint &topLeft) override;
    bool askText(QWidget *parent, const QString &caption, const QString &prompt, QString *text,
                 Echo echo) override;
    bool chooseColor(QWidget *parent, const QString &caption, QColor *color) override;

    struct Asked
    {
        QString kind; // "message", "confirm", "askText", "chooseColor"
        QString caption;
        QString text;
        QPoint topLeft;
    };
    QList<Asked> asked;
    QList<bool> confirmAnswers;        // default answer: false (No)
    QList<QString> textAnswers;        // a null QString cancels
    QList<QColor> colorAnswers;        // an invalid colour (the default) cancels
    std::function<void()> onMessage;   // runs inside message(), e.g. to check state
    // Runs inside confirm() and askText() before they answer, as the user
    // would take time: a test lets the event loop run there (the real
    // dialogs keep reading the connection while they are open).
    std::function<void()> whileOpen;
};

// An in-memory settings tree that records the order of writes.
class MemorySettings : public SettingsStore
{
public:
    bool hasValue(const QString &key) const override { return values.contains(key); }
    bool hasKey(const QString &path) const override;
    QVariant readValue(const QString &key) const override { return values.value(key); }
    void writeValue(const QString &key, const QVariant &value) override;
    void removeKey(const QString &path) override;
    void flush() override { ++flushes; }

    QMap<QString, QVariant> values;
    QStringList writes;   // keys in the order they were written
    int flushes = 0;
};

// A sound-input device that records every call and gives buffers back, in
// the order they were queued, when the test fills them.
class FakeSoundInput : public SoundInput
{
public:
    int open(int device, const SoundFormat &format, SoundInputListener *listener) override;
    int prepare(SoundBuffer *buffer) override;
    int unprepare(SoundBuffer *buffer) override;
    int addBuffer(SoundBuffer *buffer) override;
    int start() override;
    int reset() override;
    int close() override;
    QString errorText(int code) const override { return standardErrorText(code); }

    // Fills the oldest queued buffer from `bytes` (repeated as needed) and
    // gives it back. False when nothing is queued.
    bool fill(const QByteArray &bytes);

    bool isOpen = false;
    bool started = false;
    SoundFormat format;
    int device = -2;
    QList<SoundBuffer *> queue;
    QStringList calls;          // "open", "prepare", "start", "add", "reset", "close", ...
    int failOpen = NoError;     // an error code the next open answers
    int failStart = NoError;

private:
    SoundInputListener *m_listener = nullptr;
};

// A media player that plays nothing: the test ends a play command with
// finishPlaying(), which reports like the real player does.
class FakeMediaPlayer : public MediaPlayer
{
public:
    bool open(const QString &path) override;
    void play() override;
    void pause() override;
    void resume() override;
    void stop() override;
    Mode mode() const override { return m_mode; }
    qint64 length() const override { return lengthMs; }
    qint64 position() const override { return positionMs; }

    // The song ends.
    void finishPlaying();
    // The file opened but does not play (the decoder gives up).
    void failPlaying();

    QStringList opened;
    QStringList calls;          // "play", "pause", "resume", "stop"
    bool refuse = false;        // open fails
    qint64 lengthMs = 200000;
    qint64 positionMs = 0;

private:
    Mode m_mode = NotReady;
    int m_generation = 0;
    QObject m_context;
};

// The program's message box queue opens no real boxes while this lives: it
// records each text it shows and makes a plain widget for it. At the end
// the queue is emptied and makes its own boxes again.
struct RecordedMessageBoxes
{
    RecordedMessageBoxes();
    ~RecordedMessageBoxes();
    RecordedMessageBoxes(const RecordedMessageBoxes &) = delete;
    RecordedMessageBoxes &operator=(const RecordedMessageBoxes &) = delete;

    QList<QByteArray> texts;   // in the order the boxes opened
};

// The dialog, sound and launcher fakes, in place for as long as this lives:
// a program window under test asks nobody and starts nothing real.
struct InstalledFakes
{
    InstalledFakes();
    ~InstalledFakes();
    InstalledFakes(const InstalledFakes &) = delete;
    InstalledFakes &operator=(const InstalledFakes &) = delete;

    FakeDialogs dialogs;
    FakeSoundPlayer sound;
    FakeLauncher launcher;
};
