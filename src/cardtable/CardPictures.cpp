#include "CardPictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cmath>

namespace CardPictures {

namespace {

QPainterPath heartPath()
{
    QPainterPath heart;
    heart.moveTo(0.5, 0.22);
    heart.cubicTo(0.5, 0.08, 0.38, 0.0, 0.26, 0.0);
    heart.cubicTo(0.1, 0.0, 0.0, 0.13, 0.0, 0.3);
    heart.cubicTo(0.0, 0.58, 0.3, 0.72, 0.5, 1.0);
    heart.cubicTo(0.7, 0.72, 1.0, 0.58, 1.0, 0.3);
    heart.cubicTo(1.0, 0.13, 0.9, 0.0, 0.74, 0.0);
    heart.cubicTo(0.62, 0.0, 0.5, 0.08, 0.5, 0.22);
    heart.closeSubpath();
    return heart;
}

// The suit marks in a unit square, filled with the winding rule so that
// their overlapping parts join.
QPainterPath suitPath(Suit suit)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    switch (suit) {
    case Suit::Diamonds:
        path.addPolygon(QPolygonF({{0.5, 0.0}, {0.92, 0.5}, {0.5, 1.0}, {0.08, 0.5}, {0.5, 0.0}}));
        break;
    case Suit::Hearts:
        path.addPath(heartPath());
        break;
    case Suit::Spades:
        // A heart upside down over a flared stem.
        path.addPath(QTransform(1, 0, 0, -0.8, 0, 0.8).map(heartPath()));
        path.addPolygon(QPolygonF({{0.5, 0.55}, {0.74, 1.0}, {0.26, 1.0}, {0.5, 0.55}}));
        break;
    case Suit::Clubs:
        path.addEllipse(QRectF(0.28, 0.0, 0.44, 0.44));
        path.addEllipse(QRectF(0.02, 0.34, 0.44, 0.44));
        path.addEllipse(QRectF(0.54, 0.34, 0.44, 0.44));
        path.addPolygon(QPolygonF({{0.5, 0.45}, {0.7, 1.0}, {0.3, 1.0}, {0.5, 0.45}}));
        break;
    }
    return path;
}

QColor suitColor(Suit suit)
{
    return IsRed(suit) ? RedSuitColor : BlackSuitColor;
}

// A suit mark of `size` pixels centred on `centre`, upside down when asked.
void drawPip(QPainter &p, Suit suit, QPointF centre, qreal size, bool upsideDown = false)
{
    p.save();
    p.translate(centre);
    if (upsideDown)
        p.rotate(180);
    p.translate(-size / 2, -size / 2);
    p.scale(size, size);
    p.setPen(Qt::NoPen);
    p.setBrush(suitColor(suit));
    p.drawPath(suitPath(suit));
    p.restore();
}

QString rankText(int rank)
{
    switch (rank) {
    case 1:
        return QStringLiteral("A");
    case 11:
        return QStringLiteral("J");
    case 12:
        return QStringLiteral("Q");
    case 13:
        return QStringLiteral("K");
    default:
        return QString::number(rank);
    }
}

QFont boldFont(int pixels)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

QImage blankCard(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void drawCardEdge(QPainter &p, QSize size)
{
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 4, 4);
}

QImage drawBack()
{
    QImage image = blankCard(CardSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF inner(4, 4, CardSize.width() - 8, CardSize.height() - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(BackColor);
    p.drawRoundedRect(inner, 3, 3);
    // A lattice of light diagonals over the blue.
    p.setClipRect(inner.adjusted(2, 2, -2, -2));
    p.setPen(QPen(QColor(90, 130, 220), 1));
    for (int k = -CardSize.height(); k < CardSize.width() + CardSize.height(); k += 8) {
        p.drawLine(QPointF(k, 0), QPointF(k + CardSize.height(), CardSize.height()));
        p.drawLine(QPointF(k, CardSize.height()), QPointF(k + CardSize.height(), 0));
    }
    p.setClipping(false);
    // A white medallion in the middle.
    const QPointF centre(CardSize.width() / 2.0, CardSize.height() / 2.0);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(BackColor);
    p.drawEllipse(centre, 14, 14);
    p.setFont(boldFont(16));
    p.setPen(Qt::white);
    p.drawText(QRectF(centre.x() - 14, centre.y() - 14, 28, 28), Qt::AlignCenter,
               QStringLiteral("V"));
    drawCardEdge(p, CardSize);
    return image;
}

// Pip positions for 2 to 10 in the card's middle area, as fractions of it.
QList<QPointF> pipLayout(int rank)
{
    const qreal L = 0.12, C = 0.5, R = 0.88;
    switch (rank) {
    case 2:
        return {{C, 0.0}, {C, 1.0}};
    case 3:
        return {{C, 0.0}, {C, 0.5}, {C, 1.0}};
    case 4:
        return {{L, 0.0}, {R, 0.0}, {L, 1.0}, {R, 1.0}};
    case 5:
        return {{L, 0.0}, {R, 0.0}, {C, 0.5}, {L, 1.0}, {R, 1.0}};
    case 6:
        return {{L, 0.0}, {R, 0.0}, {L, 0.5}, {R, 0.5}, {L, 1.0}, {R, 1.0}};
    case 7:
        return {{L, 0.0}, {R, 0.0}, {C, 0.25}, {L, 0.5}, {R, 0.5}, {L, 1.0}, {R, 1.0}};
    case 8:
        return {{L, 0.0}, {R, 0.0}, {C, 0.25}, {L, 0.5}, {R, 0.5}, {C, 0.75}, {L, 1.0}, {R, 1.0}};
    case 9:
        return {{L, 0.0},  {R, 0.0},  {L, 1.0 / 3}, {R, 1.0 / 3}, {C, 0.5},
                {L, 2.0 / 3}, {R, 2.0 / 3}, {L, 1.0}, {R, 1.0}};
    case 10:
        return {{L, 0.0},     {R, 0.0},     {C, 1.0 / 6}, {L, 1.0 / 3}, {R, 1.0 / 3},
                {L, 2.0 / 3}, {R, 2.0 / 3}, {C, 5.0 / 6}, {L, 1.0},     {R, 1.0}};
    default:
        return {};
    }
}

QImage drawFace(int code)
{
    const Suit suit = SuitOf(code);
    const int rank = RankOf(code);
    const QColor ink = suitColor(suit);
    QImage image = blankCard(CardSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Corner indices: the rank over a small suit mark, top left and, turned
    // round, bottom right.
    const QString text = rankText(rank);
    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(CardSize.width(), CardSize.height());
            p.rotate(180);
        }
        p.setFont(boldFont(rank == 10 ? 12 : 14));
        p.setPen(ink);
        p.drawText(QRectF(1, 1, 18, 16), Qt::AlignCenter, text);
        drawPip(p, suit, QPointF(10, 23), 10);
        p.restore();
    }

    const QRectF middle(17, 12, CardSize.width() - 34, CardSize.height() - 24);
    if (rank == 1) {
        drawPip(p, suit, middle.center(), 34);
    } else if (rank <= 10) {
        const qreal pip = rank >= 9 ? 10 : 12;
        const QRectF area = middle.adjusted(pip / 2 - 2, pip / 2, -pip / 2 + 2, -pip / 2);
        const QList<QPointF> layout = pipLayout(rank);
        for (const QPointF &f : layout) {
            const QPointF at(area.left() + f.x() * area.width(), area.top() + f.y() * area.height());
            drawPip(p, suit, at, pip, f.y() > 0.5);
        }
    } else {
        // Court cards: a framed panel with a large letter between two marks.
        const QRectF panel = middle.adjusted(-1, 0, 1, 0);
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(255, 236, 150));
        p.drawRect(panel);
        p.setFont(boldFont(30));
        p.setPen(ink);
        p.drawText(panel, Qt::AlignCenter, text);
        drawPip(p, suit, QPointF(panel.left() + 9, panel.top() + 9), 11);
        drawPip(p, suit, QPointF(panel.right() - 9, panel.bottom() - 9), 11, true);
    }
    drawCardEdge(p, CardSize);
    return image;
}

// ---- The race deck ----

struct RaceCard
{
    const char *title;
    const char *subtitle;
};

const RaceCard kRaceCards[RaceCardCount] = {
    {"", ""},                 // back
    {"OUT OF", "GAS"},        // 1
    {"FLAT", "TIRE"},         // 2
    {"ACCI-", "DENT"},        // 3
    {"SPEED", "LIMIT"},       // 4
    {"STOP", ""},             // 5
    {"GASO-", "LINE"},        // 6
    {"SPARE", "TIRE"},        // 7
    {"REPAIRS", ""},          // 8
    {"END OF", "LIMIT"},      // 9
    {"ROLL", ""},             // 10
    {"EXTRA", "TANK"},        // 11
    {"PUNCTURE", "PROOF"},    // 12
    {"DRIVING", "ACE"},       // 13
    {"RIGHT OF", "WAY"},      // 14
    {"25", "KM"},             // 15
    {"50", "KM"},             // 16
    {"75", "KM"},             // 17
    {"100", "KM"},            // 18
    {"200", "KM"},            // 19
};

void drawPump(QPainter &p, QPointF c, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(c.x() - 10, c.y() - 14, 16, 28), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(c.x() - 7, c.y() - 10, 10, 7));
    p.setPen(QPen(color, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c.x() + 6, c.y() - 8), QPointF(c.x() + 12, c.y() - 2));
    p.drawLine(QPointF(c.x() + 12, c.y() - 2), QPointF(c.x() + 12, c.y() + 10));
}

void drawTire(QPainter &p, QPointF c, bool flat)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    if (flat)
        p.drawEllipse(QRectF(c.x() - 15, c.y() - 10, 30, 24));
    else
        p.drawEllipse(c, 15, 15);
    p.setBrush(QColor(180, 180, 180));
    p.drawEllipse(c + QPointF(0, flat ? 2 : 0), 6, 6);
}

void drawLight(QPainter &p, QPointF c, bool stop)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(c.x() - 9, c.y() - 17, 18, 34), 4, 4);
    p.setBrush(stop ? QColor(230, 0, 0) : QColor(90, 40, 40));
    p.drawEllipse(QPointF(c.x(), c.y() - 9), 6, 6);
    p.setBrush(stop ? QColor(40, 90, 40) : QColor(0, 220, 0));
    p.drawEllipse(QPointF(c.x(), c.y() + 9), 6, 6);
}

void drawLimitSign(QPainter &p, QPointF c, bool ended)
{
    p.setPen(QPen(QColor(210, 0, 0), 4));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 15, 15);
    p.setPen(Qt::black);
    p.setFont(boldFont(13));
    p.drawText(QRectF(c.x() - 15, c.y() - 15, 30, 30), Qt::AlignCenter, QStringLiteral("50"));
    if (ended) {
        p.setPen(QPen(QColor(0, 140, 0), 3));
        p.drawLine(c + QPointF(-12, 12), c + QPointF(12, -12));
    }
}

void drawCrash(QPainter &p, QPointF c)
{
    QPolygonF star;
    for (int i = 0; i < 16; ++i) {
        const qreal r = (i % 2) ? 7 : 16;
        const qreal a = i * M_PI / 8;
        star << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(255, 150, 0));
    p.drawPolygon(star);
}

void drawWrench(QPainter &p, QPointF c)
{
    p.setPen(QPen(QColor(60, 60, 60), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-10, 10), c + QPointF(7, -7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(c + QPointF(9, -9), 7, 7);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(c.x() + 8, c.y() - 17, 4, 8));
}

void drawShield(QPainter &p, QPointF c, const QColor &color, const QString &mark)
{
    QPainterPath shield;
    shield.moveTo(c + QPointF(-14, -15));
    shield.lineTo(c + QPointF(14, -15));
    shield.lineTo(c + QPointF(14, 0));
    shield.quadTo(c + QPointF(14, 12), c + QPointF(0, 17));
    shield.quadTo(c + QPointF(-14, 12), c + QPointF(-14, 0));
    shield.closeSubpath();
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(color);
    p.drawPath(shield);
    p.setPen(Qt::white);
    p.setFont(boldFont(14));
    p.drawText(QRectF(c.x() - 14, c.y() - 15, 28, 28), Qt::AlignCenter, mark);
}

QImage drawRaceBack()
{
    QImage image = blankCard(RaceCardSize);
    QPainter p(&image);
    // Chequered flags: a board of black and white squares inside a red edge.
    const QRect inner(4, 4, RaceCardSize.width() - 8, RaceCardSize.height() - 8);
    p.fillRect(inner, QColor(190, 0, 0));
    const QRect board = inner.adjusted(4, 4, -4, -4);
    const int cell = 6;
    for (int y = board.top(); y < board.bottom(); y += cell) {
        for (int x = board.left(); x < board.right(); x += cell) {
            const bool dark = (((x - board.left()) / cell) + ((y - board.top()) / cell)) % 2;
            p.fillRect(QRect(x, y, cell, cell).intersected(board), dark ? Qt::black : Qt::white);
        }
    }
    p.setRenderHint(QPainter::Antialiasing);
    drawCardEdge(p, RaceCardSize);
    return image;
}

QImage drawRaceCard(int index)
{
    if (index == 0)
        return drawRaceBack();
    QImage image = blankCard(RaceCardSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QColor frame = RaceFrameColor(index);
    const bool distance = index >= 15;
    const QRectF outer(2, 2, RaceCardSize.width() - 4, RaceCardSize.height() - 4);

    // The frame: a broad band of the card's colour (a thin grey line on the
    // white distance cards).
    if (distance) {
        p.setPen(QPen(QColor(150, 150, 150), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(outer.adjusted(2, 2, -2, -2), 3, 3);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(frame);
        p.drawRoundedRect(outer, 3, 3);
        p.setBrush(Qt::white);
        p.drawRect(outer.adjusted(6, 6, -6, -6));
    }

    const RaceCard &card = kRaceCards[index];
    const QRectF inside = outer.adjusted(6, 6, -6, -6);
    const QPointF symbol(inside.center().x(), inside.top() + 56);
    const QColor titleColor = distance ? QColor(0, 0, 0) : frame.darker(130);

    if (distance) {
        p.setPen(Qt::black);
        p.setFont(boldFont(index == 19 ? 22 : 24));
        p.drawText(QRectF(inside.left(), inside.top() + 20, inside.width(), 36), Qt::AlignCenter,
                   QString::fromLatin1(card.title));
        p.setFont(boldFont(10));
        p.drawText(QRectF(inside.left(), inside.top() + 56, inside.width(), 14), Qt::AlignCenter,
                   QString::fromLatin1(card.subtitle));
        // Small numbers in the corners as on the standard deck.
        p.setFont(boldFont(9));
        p.drawText(QRectF(inside.left() + 1, inside.top() + 1, 24, 11), Qt::AlignLeft,
                   QString::fromLatin1(card.title));
        p.drawText(QRectF(inside.right() - 25, inside.bottom() - 12, 24, 11), Qt::AlignRight,
                   QString::fromLatin1(card.title));
        return image;
    }

    p.setPen(titleColor);
    p.setFont(boldFont(8));
    p.drawText(QRectF(inside.left(), inside.top() + 2, inside.width(), 10), Qt::AlignCenter,
               QString::fromLatin1(card.title));
    p.drawText(QRectF(inside.left(), inside.top() + 12, inside.width(), 10), Qt::AlignCenter,
               QString::fromLatin1(card.subtitle));

    switch (index) {
    case 1:
        drawPump(p, symbol, QColor(120, 120, 120));
        p.setPen(QPen(QColor(210, 0, 0), 3));
        p.drawLine(symbol + QPointF(-14, 14), symbol + QPointF(14, -14));
        break;
    case 2:
        drawTire(p, symbol, true);
        break;
    case 3:
        drawCrash(p, symbol);
        break;
    case 4:
        drawLimitSign(p, symbol, false);
        break;
    case 5:
        drawLight(p, symbol, true);
        break;
    case 6:
        drawPump(p, symbol, QColor(0, 130, 0));
        break;
    case 7:
        drawTire(p, symbol, false);
        break;
    case 8:
        drawWrench(p, symbol);
        break;
    case 9:
        drawLimitSign(p, symbol, true);
        break;
    case 10:
        drawLight(p, symbol, false);
        break;
    case 11:
        drawShield(p, symbol, frame, QStringLiteral("G"));
        break;
    case 12:
        drawShield(p, symbol, frame, QStringLiteral("P"));
        break;
    case 13:
        drawShield(p, symbol, frame, QStringLiteral("A"));
        break;
    case 14:
        drawShield(p, symbol, frame, QStringLiteral("W"));
        break;
    default:
        break;
    }
    return image;
}

} // namespace

Suit SuitOf(int code)
{
    return Suit(qBound(0, (code - 1) / 13, 3));
}

int RankOf(int code)
{
    return (code - 1) % 13 + 1;
}

bool IsRed(Suit suit)
{
    return suit == Suit::Diamonds || suit == Suit::Hearts;
}

QColor RaceFrameColor(int index)
{
    if (index >= 1 && index <= 5)
        return QColor(200, 0, 0);
    if (index >= 6 && index <= 10)
        return QColor(0, 140, 0);
    if (index >= 11 && index <= 14)
        return QColor(0, 70, 200);
    return Qt::white;
}

const QList<QImage> &Cards()
{
    static const QList<QImage> cards = [] {
        QList<QImage> list;
        list.reserve(CardCount);
        const QImage back = drawBack();
        list.append(back);
        for (int code = 1; code <= 52; ++code)
            list.append(drawFace(code));
        list.append(back);
        return list;
    }();
    return cards;
}

const QList<QImage> &MilleB()
{
    static const QList<QImage> cards = [] {
        QList<QImage> list;
        list.reserve(RaceCardCount);
        for (int i = 0; i < RaceCardCount; ++i)
            list.append(drawRaceCard(i));
        return list;
    }();
    return cards;
}

QImage CardPicture(int code)
{
    if (code >= 0 && code < CardCount)
        return Cards().at(code);
    if (code >= 100 && code < 100 + RaceCardCount)
        return MilleB().at(code - 100);
    return {};
}

} // namespace CardPictures
