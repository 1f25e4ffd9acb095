#pragma once

// What fetched sounds and media may take of the disk in one program run:
// every fetch (HTTP or FTP) counts its bytes against one total, and no fetch
// may leave the disk with less than a reserve free. A fetch that would pass
// either is refused before it starts, or ends (its partial file removed)
// when its bytes pass them. Safe to use from the FTP worker threads.

#include <QString>

namespace FetchBudget {

constexpr qint64 DefaultTotal = 256LL * 1024 * 1024;
constexpr qint64 DefaultReserve = 1024LL * 1024 * 1024;

// Empty when a fetch into `folder` may start; otherwise why not, for a
// chat line.
QString refusal(const QString &folder);
// Counts `bytes` more written into `folder`; false (nothing counted) when
// they would pass the total or the reserve.
bool take(qint64 bytes, const QString &folder);

qint64 spent();
// Tests only: a total and reserve of their own, and nothing spent.
void reset(qint64 total = DefaultTotal, qint64 reserve = DefaultReserve);

} // namespace FetchBudget
