#pragma once

// The card pictures of the card table, drawn by code the first time they are
// asked for: the standard deck `Cards` (54 pictures of 71 x 96: backs at 0
// and 53, then clubs, diamonds, hearts and spades from ace to king) and the
// touring-race deck `MilleB` (20 pictures of 70 x 102). Ranks and suits are
// large and plain, so a card stays readable when it is drawn smaller.

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>

namespace CardPictures {

inline constexpr QSize CardSize{71, 96};
inline constexpr QSize RaceCardSize{70, 102};
inline constexpr int CardCount = 54;
inline constexpr int RaceCardCount = 20;

enum class Suit { Clubs, Diamonds, Hearts, Spades };

// Codes 1 to 52: suit (code - 1) div 13, rank (code - 1) mod 13 + 1 (1 ace,
// 11 jack, 12 queen, 13 king).
Suit SuitOf(int code);
int RankOf(int code);
bool IsRed(Suit suit);

const QList<QImage> &Cards();
const QList<QImage> &MilleB();

// The picture a card code names: 0 to 53 from Cards, 100 to 119 from
// MilleB; a null image for every other code.
QImage CardPicture(int code);

// The frame colour of a race card: red for hazards (1 to 5), green for
// remedies (6 to 10), blue for safeties (11 to 14), white otherwise.
QColor RaceFrameColor(int index);

// The colours the pictures are painted in, for tests and for the icons.
inline const QColor RedSuitColor{200, 0, 0};
inline const QColor BlackSuitColor{0, 0, 0};
inline const QColor BackColor{0, 40, 140};

} // namespace CardPictures
