#include "Fakes.h"

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
                                 const QString &workingDir)
{
    if (failStarts)
        return false;
    launches.append({program, arguments, workingDir});
    return true;
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
    return confirmAnswers.isEmpty() ? false : confirmAnswers.takeFirst();
}

bool FakeDialogs::askText(QWidget *, const QString &caption, const QString &prompt,
                          QString *text, Echo)
{
    asked.append({QStringLiteral("askText"), caption, prompt, QPoint()});
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
