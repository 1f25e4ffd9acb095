#pragma once

// Remembers a main window's position, size and state between runs. The
// component is created by the window; it restores the placement when the
// window is first shown (or when Restore() is called earlier) and saves it
// once when it goes away with the window.
//
// Storage: dsRegistry keeps a group named IniFileName in the suite's
// settings tree (~/.config/Vantora/registry.ini) with one sub-group per
// section; dsIniFile keeps an INI file of that name in ~/.config/Vantora/
// with one group per section. A section holds "state" (0 normal,
// 1 minimised, 2 maximised), "Left", "Top", "Width", "Height", "ClassName",
// "Module", "OwnerCreate" and "TextHeight"; with AutoCreate the section
// "WinList" lists the section under its own name.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;
class SettingsStore;

enum TWinstateDataStorage { dsIniFile, dsRegistry };

class TWinState : public QObject
{
    Q_OBJECT
public:
    using TWinRestoreEvent = std::function<void(TWinState *Sender)>;
    using TWinScaleEvent = std::function<void(TWinState *Sender)>;

    // The section defaults to the owner's caption at this moment.
    explicit TWinState(QWidget *owner);
    ~TWinState() override;

    QString SectionName;
    bool AutoCreate = true;
    bool OwnerCreate = false;
    int ScaleFactor = 100;
    TWinRestoreEvent OnRestore;
    TWinRestoreEvent OnSave;
    // Raised before the store is opened, so that the owner can set IniFileName.
    TWinRestoreEvent OnRunTimeDependentFileName;
    TWinScaleEvent OnScale;   // kept for the owner; the suite never scales

    TWinstateDataStorage DataStorage() const { return m_dataStorage; }
    // Fails while a store is open; the reason is in LastError().
    bool SetDataStorage(TWinstateDataStorage storage);
    QString IniFileName() const { return m_iniFileName; }
    // Closes the open store and opens one of the kind DataStorage names.
    void SetIniFileName(const QString &name);
    QString LastError() const { return m_lastError; }

    // The pixel height of "0" in the owner's font when the component was made.
    int SavedTextHeight() const { return m_savedTextHeight; }
    bool IsSaved() const { return m_saved; }

    // The running program's file name without folder and extension + ".INI".
    static QString DefaultIniFileName();

    void Restore();
    // Writes the values; only the first call (or the destruction) does.
    void Save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool openStore();
    void closeStore();
    QString key(const QString &name) const;
    QString winListKey() const;

    QPointer<QWidget> m_owner;
    std::unique_ptr<SettingsStore> m_store;
    TWinstateDataStorage m_dataStorage = dsIniFile;
    QString m_iniFileName;
    QString m_className;
    QString m_lastError;
    int m_savedTextHeight = 0;
    bool m_restored = false;
    bool m_saved = false;
};
