#include "WinState.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

#include "AppInfo.h"
#include "RegistrySettings.h"

namespace {

// a × b ÷ c, rounded to the nearest (halves away from zero).
int mulDiv(int a, int b, int c)
{
    const qint64 product = qint64(a) * b;
    const qint64 half = c / 2;
    return int(product >= 0 ? (product + half) / c : (product - half) / c);
}

int stateNumber(Qt::WindowStates states)
{
    if (states & Qt::WindowMinimized)
        return 1;
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return 2;
    return 0;
}

} // namespace

TWinState::TWinState(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
    SectionName = owner->windowTitle();
    m_className = QString::fromLatin1(owner->metaObject()->className());
    m_savedTextHeight = QFontMetrics(owner->font()).height();
    owner->installEventFilter(this);
}

TWinState::~TWinState()
{
    // The window is being destroyed with its components: save now, once.
    Save();
}

bool TWinState::SetDataStorage(TWinstateDataStorage storage)
{
    if (m_store) {
        m_lastError =
            QStringLiteral("You cannot change DataStorage at runtime once the IniFileName has been set");
        qWarning("%s", qPrintable(m_lastError));
        return false;
    }
    m_dataStorage = storage;
    return true;
}

void TWinState::SetIniFileName(const QString &name)
{
    closeStore();
    m_iniFileName = name;
    if (name.isEmpty())
        return;
    if (m_dataStorage == dsRegistry) {
        m_store = std::make_unique<RegistrySettings>();
    } else {
        // A bare name: the file lives in the suite's settings folder.
        const QString file = RegistrySettings::userFolder() + QLatin1Char('/')
            + QFileInfo(name).fileName();
        m_store = std::make_unique<RegistrySettings>(file, false);
    }
}

QString TWinState::DefaultIniFileName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
        + QStringLiteral(".INI");
}

bool TWinState::openStore()
{
    if (OnRunTimeDependentFileName)
        OnRunTimeDependentFileName(this);
    if (!m_store)
        SetIniFileName(DefaultIniFileName());
    return m_store != nullptr;
}

void TWinState::closeStore()
{
    if (m_store)
        m_store->flush();
    m_store.reset();
}

QString TWinState::key(const QString &name) const
{
    const QString section = SectionName + QLatin1Char('/') + name;
    return m_dataStorage == dsRegistry ? m_iniFileName + QLatin1Char('/') + section : section;
}

QString TWinState::winListKey() const
{
    const QString entry = QStringLiteral("WinList/") + SectionName;
    return m_dataStorage == dsRegistry ? m_iniFileName + QLatin1Char('/') + entry : entry;
}

void TWinState::Restore()
{
    m_restored = true;
    if (!m_owner || !openStore())
        return;
    QWidget *window = m_owner;
    m_className = QString::fromLatin1(window->metaObject()->className());
    const int state = m_store->readInteger(key(QStringLiteral("state")), 0);
    if (state == 1) {
        window->setWindowState(Qt::WindowMinimized);
    } else if (state == 2) {
        window->setWindowState(Qt::WindowMaximized);
    } else {
        const int savedHeight = m_store->readInteger(key(QStringLiteral("TextHeight")), 0);
        int width = m_store->readInteger(key(QStringLiteral("Width")), window->width());
        int height = m_store->readInteger(key(QStringLiteral("Height")), window->height());
        // The user's font changed since: keep the layout's proportions.
        if (savedHeight != 0 && savedHeight != m_savedTextHeight) {
            width = mulDiv(width, m_savedTextHeight, savedHeight);
            height = mulDiv(height, m_savedTextHeight, savedHeight);
        }
        const QScreen *screen = window->screen();
        const QSize screenSize = screen ? screen->geometry().size() : QSize(width, height);
        int left = m_store->readInteger(key(QStringLiteral("Left")), (screenSize.width() - width) / 2);
        int top = m_store->readInteger(key(QStringLiteral("Top")), (screenSize.height() - height) / 2);
        if (left + width > screenSize.width())
            left = std::max(0, screenSize.width() - width);
        if (top + height > screenSize.height())
            top = std::max(0, screenSize.height() - height);
        window->setWindowState(Qt::WindowNoState);
        window->move(left, top);
        window->resize(width, height);
    }
    if (OnRestore)
        OnRestore(this);
    // The registry is opened again for saving.
    if (m_dataStorage == dsRegistry)
        closeStore();
}

void TWinState::Save()
{
    if (m_saved)
        return;
    m_saved = true;
    if (!m_owner || !openStore())
        return;
    const QWidget *window = m_owner;
    m_store->writeInteger(key(QStringLiteral("state")), stateNumber(window->windowState()));
    m_store->writeInteger(key(QStringLiteral("Left")), window->x());
    m_store->writeInteger(key(QStringLiteral("Top")), window->y());
    m_store->writeInteger(key(QStringLiteral("Width")), window->width());
    m_store->writeInteger(key(QStringLiteral("Height")), window->height());
    m_store->writeString(key(QStringLiteral("ClassName")), m_className);
    m_store->writeString(key(QStringLiteral("Module")), ApplicationTitle());
    m_store->writeBool(key(QStringLiteral("OwnerCreate")), OwnerCreate);
    m_store->writeInteger(key(QStringLiteral("TextHeight")), m_savedTextHeight);
    if (AutoCreate)
        m_store->writeString(winListKey(), SectionName);
    m_store->flush();
    if (OnSave)
        OnSave(this);
}

bool TWinState::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && event->type() == QEvent::Show && !m_restored)
        Restore();
    return QObject::eventFilter(watched, event);
}
