#include "EventSounds.h"

#include <QFileInfo>

#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "_Globals.h"

EventSounds::EventSounds(SettingsStore &settings, SoundPlayer &player, const QString &program)
    : m_settings(settings)
    , m_player(player)
    , m_program(program)
{
}

EventSounds::~EventSounds()
{
    if (m_installed)
        SetEventSoundHandler({});
}

QString EventSounds::schemeKey(const QString &program)
{
    return QStringLiteral("AppEvents/Schemes/Apps/") + program;
}

QString EventSounds::soundFile(const QByteArray &label) const
{
    if (label.isEmpty())
        return {};
    return m_settings.readString(schemeKey(m_program) + QLatin1Char('/')
                                 + QString::fromLatin1(label) + QStringLiteral("/.current"));
}

void EventSounds::play(const QByteArray &label)
{
    const QString file = soundFile(label);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    if (label == "ChatTick" && m_player.isPlaying())
        return;
    m_player.play(file);
}

void EventSounds::install()
{
    m_installed = true;
    SetEventSoundHandler([this](const QByteArray &label) { play(label); });
}
