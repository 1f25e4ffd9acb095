#include "TestMain.h"

#include <QDir>

#include "RegistrySettings.h"

namespace TestEnvironment {

namespace {
QTemporaryDir *g_root = nullptr;
}

QString root()
{
    return g_root ? g_root->path() : QString();
}

void prepare()
{
    if (g_root)
        return;
    g_root = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/vantora-test-XXXXXX"));
    const QString base = g_root->path();
    const auto setDir = [&base](const char *name, const char *sub) {
        const QString dir = base + QLatin1Char('/') + QLatin1String(sub);
        QDir().mkpath(dir);
        qputenv(name, QFile::encodeName(dir));
    };
    setDir("XDG_CONFIG_HOME", "config");
    setDir("XDG_DATA_HOME", "data");
    setDir("XDG_CONFIG_DIRS", "etc-xdg");
    setDir("XDG_CACHE_HOME", "cache");
    setDir("XDG_RUNTIME_DIR", "runtime");
    QFile::setPermissions(base + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setDir("HOME", "home");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test reaches the desktop's keyring, nor do the programs it starts.
    qputenv("VANTORA_KEYRING", "none");
}

void forgetSuiteSettings()
{
    RegistrySettings store;
    store.removeKey(QStringLiteral("Vantora"));
    store.flush();
}

} // namespace TestEnvironment
