#pragma once

// The suite's settings tree ("the registry"). Keys are paths with "/" as the
// separator: "Vantora/Port", "AppEvents/Schemes/Apps/VTLobby/AppOpen/.current".
// Booleans are kept as 0/1 and colours as integers in the TColor encoding.

#include <QString>
#include <QStringList>
#include <QVariant>

#include "Colors.h"

class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    // True when a value is stored under exactly this key.
    virtual bool hasValue(const QString &key) const = 0;
    // True when the key holds a value or anything below it.
    virtual bool hasKey(const QString &path) const = 0;
    // An invalid QVariant when nothing is stored.
    virtual QVariant readValue(const QString &key) const = 0;
    virtual void writeValue(const QString &key, const QVariant &value) = 0;
    virtual void removeKey(const QString &path) = 0;
    // Writes pending changes to permanent storage.
    virtual void flush() = 0;

    QString readString(const QString &key, const QString &fallback = {}) const;
    int readInteger(const QString &key, int fallback) const;
    bool readBool(const QString &key, bool fallback) const;
    TColor readColor(const QString &key, TColor fallback) const;

    void writeString(const QString &key, const QString &value);
    void writeInteger(const QString &key, int value);
    void writeBool(const QString &key, bool value);
    void writeColor(const QString &key, TColor value);
};

// The per-user value `name` of the suite's own key.
inline QString VantoraKey(const QString &name) { return QStringLiteral("Vantora/") + name; }
