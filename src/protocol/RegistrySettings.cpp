#include "RegistrySettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RegistrySettings::RegistrySettings(Scope scope)
{
    if (scope == Scope::Machine) {
        m_readOnly = true;
        m_file = machineFile();
        m_settings = std::make_unique<QSettings>(m_file, QSettings::IniFormat);
        return;
    }
    m_private = true;
    m_file = userFile();
    ensurePrivateFile();
    m_settings = std::make_unique<QSettings>(m_file, QSettings::IniFormat);
}

RegistrySettings::RegistrySettings(const QString &fileName, bool privateFile)
    : m_file(fileName)
    , m_private(privateFile)
{
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    if (m_private)
        ensurePrivateFile();
    m_settings = std::make_unique<QSettings>(m_file, QSettings::IniFormat);
}

RegistrySettings::~RegistrySettings()
{
    flush();
}

QString RegistrySettings::userFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Vantora");
}

QString RegistrySettings::userFile()
{
    return userFolder() + QStringLiteral("/registry.ini");
}

QString RegistrySettings::machineFile()
{
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    const QStringList list = dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : list) {
        const QString candidate = dir + QStringLiteral("/Vantora/registry.ini");
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return (list.isEmpty() ? QStringLiteral("/etc/xdg") : list.first())
        + QStringLiteral("/Vantora/registry.ini");
}

QString RegistrySettings::fileName() const
{
    return m_file;
}

void RegistrySettings::ensurePrivateFile()
{
    const QString &file = m_file;
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().exists(folder)) {
        QDir().mkpath(folder);
        ::chmod(QFile::encodeName(folder).constData(), 0700);
    }
    // Create the file owner-only before anything is written into it; later
    // writes replace it with the same permissions.
    const QByteArray path = QFile::encodeName(file);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    restrictFile();
}

void RegistrySettings::restrictFile()
{
    if (!m_private)
        return;
    ::chmod(QFile::encodeName(m_file).constData(), 0600);
}

bool RegistrySettings::hasValue(const QString &key) const
{
    return m_settings->contains(key);
}

bool RegistrySettings::hasKey(const QString &path) const
{
    if (m_settings->contains(path))
        return true;
    m_settings->beginGroup(path);
    const bool any = !m_settings->allKeys().isEmpty();
    m_settings->endGroup();
    return any;
}

QVariant RegistrySettings::readValue(const QString &key) const
{
    return m_settings->value(key);
}

void RegistrySettings::writeValue(const QString &key, const QVariant &value)
{
    if (m_readOnly)
        return;
    m_settings->setValue(key, value);
}

void RegistrySettings::removeKey(const QString &path)
{
    if (m_readOnly)
        return;
    m_settings->remove(path);
}

void RegistrySettings::flush()
{
    if (m_readOnly)
        return;
    m_settings->sync();
    restrictFile();
}
