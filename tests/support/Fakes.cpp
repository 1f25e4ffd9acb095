#include "Fakes.h"

#include <QTimer>
#include <QWidget>

#include "MessageBoxQueue.h"
#include "Platform.h"

bool FakeSoundPlayer::play(const QString &path)
{
    if (deviceMissing)
        return false;
    if (m_playing)
        ++stops;
    played.append(path);
    m_playing = true;
    return true;
}

void FakeSoundPlayer::stop()
{
    if (m_playing)
        ++stops;
    m_playing = false;
}

bool FakeLauncher::fileExists(const QString &path) const
{
    return !onlyListedFilesExist || existingFiles.contains(path);
}

bool FakeLauncher::startDetached(const QString &program, const QStringList &arguments,
                                 const QString &workingDir, const LaunchEnvironment &environment,
                                 qint64 *pid)
{
    if (failStarts)
        return false;
    const qint64 id = 1000 + launches.size();
    launches.append({program, arguments, workingDir, environment, id});
    running.insert(id);
    if (pid)
        *pid = id;
    return true;
}

bool FakeLauncher::isRunning(qint64 pid) const
{
    return running.contains(pid);
}

void FakeDialogs::message(QWidget *, const QString &caption, const QString &text)
{
    asked.append({QStringLiteral("message"), caption, text, QPoint()});
    if (onMessage)
        onMessage();
}

bool FakeDialogs::confirm(QWidget *, const QString &caption, const QString &text,
                          const QPoint &topLeft)
{
    asked.append({QStringLiteral("confirm"), caption, text, topLeft});
    // A copy: the hook may replace itself while it runs.
    if (const auto run = whileOpen)
        run();
    return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
}

bool FakeDialogs::askText(QWidget *, const QString &caption, const QString &prompt,
                          QString *text, Echo)
{
    asked.append({QStringLiteral("askText"), caption, prompt, QPoint()});
    // A copy: the hook may replace itself while it runs.
    if (const auto run = whileOpen)
        run();
    const QString answer = textAnswers.isEmpty() ? QString() : textAnswers.takeFirst();
    if (answer.isNull())
        return false;
    if (text)
        *text = answer;
    return true;
}

bool FakeDialogs::chooseColor(QWidget *, const QString &caption, QColor *color)
{
    asked.append({QStringLiteral("chooseColor"), caption, QString(), QPoint()});
    const QColor answer = colorAnswers.isEmpty() ? QColor() : colorAnswers.takeFirst();
    if (!answer.isValid())
        return false;
    if (color)
        *color = answer;
    return true;
}

bool MemorySettings::hasKey(const QString &path) const
{
    if (values.contains(path))
        return true;
    const QString prefix = path + QLatin1Char('/');
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.key().startsWith(prefix))
            return true;
    }
    return false;
}

void MemorySettings::writeValue(const QString &key, const QVariant &value)
{
    values.insert(key, value);
    writes.append(key);
}

void MemorySettings::removeKey(const QString &path)
{
    values.remove(path);
    const QString prefix = path + QLatin1Char('/');
    values.removeIf([&prefix](const auto &it) { return it.key().startsWith(prefix); });
}

// ---------------------------------------------------------------------------

int FakeSoundInput::open(int dev, const SoundFormat &f, SoundInputListener *listener)
{
    calls << QStringLiteral("open");
    if (failOpen != NoError)
        return failOpen;
    if (isOpen)
        return AlreadyAllocated;
    isOpen = true;
    device = dev;
    format = f;
    m_listener = listener;
    listener->inputOpened();
    return NoError;
}

int FakeSoundInput::prepare(SoundBuffer *buffer)
{
    calls << QStringLiteral("prepare");
    buffer->flags |= SoundBuffer::Prepared;
    return isOpen ? NoError : InvalidHandle;
}

int FakeSoundInput::unprepare(SoundBuffer *buffer)
{
    calls << QStringLiteral("unprepare");
    if (buffer->flags & SoundBuffer::InQueue)
        return StillPlaying;
    buffer->flags &= ~SoundBuffer::Prepared;
    return NoError;
}

int FakeSoundInput::addBuffer(SoundBuffer *buffer)
{
    calls << QStringLiteral("add");
    if (!isOpen)
        return InvalidHandle;
    buffer->flags |= SoundBuffer::InQueue;
    queue << buffer;
    return NoError;
}

int FakeSoundInput::start()
{
    calls << QStringLiteral("start");
    if (failStart != NoError)
        return failStart;
    started = true;
    return NoError;
}

int FakeSoundInput::reset()
{
    calls << QStringLiteral("reset");
    started = false;
    const QList<SoundBuffer *> back = queue;
    queue.clear();
    for (SoundBuffer *buffer : back) {
        buffer->flags = (buffer->flags & ~SoundBuffer::InQueue) | SoundBuffer::Done;
        if (m_listener)
            m_listener->bufferReturned(buffer);
    }
    return NoError;
}

int FakeSoundInput::close()
{
    calls << QStringLiteral("close");
    if (!isOpen)
        return InvalidHandle;
    isOpen = false;
    SoundInputListener *listener = m_listener;
    m_listener = nullptr;
    if (listener)
        listener->inputClosed();
    return NoError;
}

bool FakeSoundInput::fill(const QByteArray &bytes)
{
    if (queue.isEmpty() || !m_listener || bytes.isEmpty())
        return false;
    SoundBuffer *buffer = queue.takeFirst();
    for (int i = 0; i < buffer->length; ++i)
        buffer->data[i] = bytes.at(i % bytes.size());
    buffer->bytesRecorded = buffer->length;
    buffer->flags = (buffer->flags & ~SoundBuffer::InQueue) | SoundBuffer::Done;
    m_listener->bufferReturned(buffer);
    return true;
}

// ---------------------------------------------------------------------------

bool FakeMediaPlayer::open(const QString &path)
{
    opened << path;
    ++m_generation;
    if (refuse) {
        m_mode = NotReady;
        return false;
    }
    m_mode = Stopped;
    positionMs = 0;
    return true;
}

void FakeMediaPlayer::play()
{
    calls << QStringLiteral("play");
    if (m_mode != NotReady)
        m_mode = Playing;
}

void FakeMediaPlayer::pause()
{
    calls << QStringLiteral("pause");
    if (m_mode == Playing)
        m_mode = Paused;
}

void FakeMediaPlayer::resume()
{
    calls << QStringLiteral("resume");
    if (m_mode == Paused || m_mode == Stopped)
        m_mode = Playing;
}

void FakeMediaPlayer::stop()
{
    calls << QStringLiteral("stop");
    const bool running = m_mode == Playing || m_mode == Paused;
    if (m_mode != NotReady)
        m_mode = Stopped;
    // As the real player: the stopped command reports from the event loop.
    if (running)
        QTimer::singleShot(0, &m_context, [this, generation = m_generation] {
            if (generation == m_generation)
                completed();
        });
}

void FakeMediaPlayer::finishPlaying()
{
    m_mode = Stopped;
    positionMs = lengthMs;
    completed();
}

void FakeMediaPlayer::failPlaying()
{
    m_mode = NotReady;
    failed();
}

RecordedMessageBoxes::RecordedMessageBoxes()
{
    MessageBoxQueue::instance().MakeBox = [this](const QByteArray &text) {
        texts << text;
        return new QWidget;
    };
}

RecordedMessageBoxes::~RecordedMessageBoxes()
{
    MessageBoxQueue::instance().clear();
    MessageBoxQueue::instance().MakeBox = nullptr;
}

InstalledFakes::InstalledFakes()
{
    UserDialogs::setCurrent(&dialogs);
    Platform::setSound(&sound);
    Platform::setLauncher(&launcher);
}

InstalledFakes::~InstalledFakes()
{
    UserDialogs::setCurrent(nullptr);
    Platform::setSound(nullptr);
    Platform::setLauncher(nullptr);
}
