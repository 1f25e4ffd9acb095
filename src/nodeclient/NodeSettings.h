#pragma once

// The per-user values a node client program reads from the suite's settings
// tree (the `Vantora` key the lobby writes), with their names and defaults
// in one place. The frame opens the store, reads what it needs and lets it
// go again, at start-up and at every activation, so that changes the lobby
// made in between are seen.

#include <QByteArray>
#include <QString>

#include "Colors.h"

class SettingsStore;

class NodeSettings
{
public:
    explicit NodeSettings(const SettingsStore &store)
        : m_store(store)
    {
    }

    // The host when the command line names none: this value, else the
    // service's default host.
    QByteArray server() const;
    bool scaleLowRes() const;              // default false
    QByteArray atColor() const;            // ChatColorPrefix, default empty
    QByteArray atStyle() const;            // ChatStylePrefix, default empty
    QString mediaPath() const;             // default empty
    TColor winColor() const;               // default the system window colour
    TColor defColor() const;               // default the system window-text colour
    QString fontName() const;              // default "Arial"
    int fontSize() const;                  // default 10

    // The folder server-named sounds live in, ending in "/". An empty
    // MediaPath means the suite's own media folder, never the file system's root.
    static QString mediaDir(const QString &mediaPath);

private:
    const SettingsStore &m_store;
};
