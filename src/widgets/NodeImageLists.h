#pragma once

// The two 16 x 16 icon lists of the node client programs, drawn by code:
// ImageList1 holds the icons of the server's surface buttons and the small
// icons of the player list, ImageList2 the player list's state icons. The
// server names icons by their index; both lists hold 35.

#include <QIcon>
#include <QImage>
#include <QList>

namespace NodeImageLists {

inline constexpr int IconCount = 35;
inline constexpr int IconSize = 16;

const QList<QImage> &ImageList1();
const QList<QImage> &ImageList2();

QList<QIcon> Icons(const QList<QImage> &images);

} // namespace NodeImageLists
