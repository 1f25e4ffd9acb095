#pragma once

// A demonstration node for the card-table client's race deck: the twenty
// pictures of the deck laid out with their names; pressing one describes
// it, and the "Deal" button deals a hand of seven from a full race deck.

#include <QHash>
#include <QList>

#include "GameNode.h"

class RaceDeckTable : public GameNode
{
public:
    static constexpr int FirstCode = 100;
    static constexpr int Pictures = 20;

    RaceDeckTable(NodeHost &host, QByteArray title, quint32 seed);

    // The picture (0 to 19) under a pressed cell, or -1.
    static int PictureAt(int column, int row);
    static QByteArray NameOf(int picture);
    static QByteArray DescriptionOf(int picture);
    // A full race deck: the pictures with their counts.
    static QList<int> FullDeck();

    QByteArray detail() const override;

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    void input(int id, const QByteArray &chunk) override;
    QByteArray captionFor(const NodePlayer &player) const override;

private:
    QByteArray screen() const;
    QByteArray dealt(const QList<int> &hand) const;
    void press(int id, int column, int row);

    QHash<int, QList<int>> m_hands;   // the hand each player was dealt, while shown
};
