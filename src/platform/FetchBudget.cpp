#include "FetchBudget.h"

#include <QDir>
#include <QStorageInfo>

#include <atomic>

namespace FetchBudget {

namespace {

std::atomic<qint64> g_spent{0};
std::atomic<qint64> g_total{DefaultTotal};
std::atomic<qint64> g_reserve{DefaultReserve};

qint64 freeBytes(const QString &folder)
{
    // The folder may not exist yet: ask about the nearest one that does.
    QDir dir(folder);
    while (!dir.exists() && dir.cdUp()) {
    }
    const QStorageInfo storage(dir.absolutePath());
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

} // namespace

QString refusal(const QString &folder)
{
    if (g_spent.load() >= g_total.load())
        return QStringLiteral("Fetch refused: this run has already fetched %1 MiB.")
            .arg(g_total.load() / (1024 * 1024));
    const qint64 free = freeBytes(folder);
    if (free >= 0 && free < g_reserve.load())
        return QStringLiteral("Fetch refused: less than %1 MiB would stay free on the disk.")
            .arg(g_reserve.load() / (1024 * 1024));
    return {};
}

bool take(qint64 bytes, const QString &folder)
{
    qint64 before = g_spent.load();
    do {
        if (before + bytes > g_total.load())
            return false;
    } while (!g_spent.compare_exchange_weak(before, before + bytes));
    const qint64 free = freeBytes(folder);
    if (free >= 0 && free - bytes < g_reserve.load()) {
        g_spent -= bytes;
        return false;
    }
    return true;
}

qint64 spent()
{
    return g_spent.load();
}

void reset(qint64 total, qint64 reserve)
{
    g_spent = 0;
    g_total = total;
    g_reserve = reserve;
}

} // namespace FetchBudget
