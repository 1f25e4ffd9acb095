#pragma once

// The program's application-event sounds ("AppOpen", "ChatTick", "Problem",
// ...). The user's scheme in the settings tree binds each event label to a
// wave file: AppEvents/Schemes/Apps/<program>/<label>/.current.

#include <QByteArray>
#include <QString>

class SettingsStore;
class SoundPlayer;

class EventSounds
{
public:
    EventSounds(SettingsStore &settings, SoundPlayer &player,
                const QString &program = QStringLiteral("VTLobby"));
    ~EventSounds();

    // The file bound to `label`, empty when the scheme has none.
    QString soundFile(const QByteArray &label) const;

    // "ChatTick" is skipped while another sound plays and never cuts one off;
    // every other label cuts off what plays. Unbound labels and missing
    // files play nothing; there is no default sound.
    void play(const QByteArray &label);

    // Makes PlayEventSound() play through this object until it is destroyed.
    void install();

    static QString schemeKey(const QString &program);

private:
    SettingsStore &m_settings;
    SoundPlayer &m_player;
    QString m_program;
    bool m_installed = false;
};
