#pragma once

// The settings tree kept in an INI file: the user's tree is
// $XDG_CONFIG_HOME/Vantora/registry.ini (one file for all six programs), the
// machine-wide tree is Vantora/registry.ini in the first folder of
// $XDG_CONFIG_DIRS that has one (usually /etc/xdg).
//
// The user's file holds the password, so it and its folder are kept
// readable by their owner only.

#include <QSettings>

#include <memory>

#include "SettingsStore.h"

class RegistrySettings : public SettingsStore
{
public:
    enum class Scope { User, Machine };

    explicit RegistrySettings(Scope scope = Scope::User);
    // A tree in a file of its own (window placement with an INI file).
    explicit RegistrySettings(const QString &fileName, bool privateFile);
    ~RegistrySettings() override;

    static QString userFile();
    static QString machineFile();
    static QString userFolder();

    bool hasValue(const QString &key) const override;
    bool hasKey(const QString &path) const override;
    QVariant readValue(const QString &key) const override;
    void writeValue(const QString &key, const QVariant &value) override;
    void removeKey(const QString &path) override;
    void flush() override;

    QString fileName() const;
    bool isReadOnly() const { return m_readOnly; }

private:
    void ensurePrivateFile();
    void restrictFile();

    QString m_file;
    std::unique_ptr<QSettings> m_settings;
    bool m_readOnly = false;
    bool m_private = false;
};
