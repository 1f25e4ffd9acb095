#pragma once

// The sketch game's icon list (ImageList2): 43 pictures of 16 x 16, drawn by
// code. The artist's hint marks are at the codes below; the guess list
// draws the icon a hint mark names at the start of its row, and the hint
// tool bar and menu show the same pictures. The other slots hold simple
// pictures (the node frame's state icons, and plain tiles).

#include <QImage>
#include <QList>

namespace HintIcons {

inline constexpr int Count = 43;
inline constexpr int Size = 16;

inline constexpr int WayOff = 41;
inline constexpr int Colder = 35;
inline constexpr int Warmer = 39;
inline constexpr int GettingHot = 40;
inline constexpr int VeryClose = 38;
inline constexpr int Spelling = 42;

const QList<QImage> &ImageList2();
// The picture at `index`; a null image outside the list.
QImage Icon(int index);

} // namespace HintIcons
