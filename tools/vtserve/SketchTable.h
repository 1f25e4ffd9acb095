#pragma once

// A sketch-and-guess node. The players take turns as the artist: the artist
// presses "Ready", gets a word and draws it; the others type guesses, which
// everybody sees in the guess list, and the artist marks them with hints.
// A right guess scores the more the earlier it comes; the artist scores for
// every player who guessed. The gauge counts the round down, and after each
// round the score table is shown. A game is two turns for everybody present
// when it starts, then a new game begins.

#include <QHash>
#include <QSet>

#include "GameNode.h"
#include "SketchRules.h"

struct SketchTiming {
    int readyMs = 20000;      // the artist has this long to press Ready
    int roundMs = 90000;      // drawing and guessing
    int betweenMs = 7000;     // the word and the scores stay this long
    int turnsPerPlayer = 2;
    int maxRounds = 12;
};

class SketchTable : public GameNode
{
public:
    enum class Stage { Waiting, Ready, Drawing, RoundOver, GameOver };

    SketchTable(NodeHost &host, QByteArray title, quint32 seed, QList<SketchWord> words, SketchTiming timing = {});

    void tick() override;
    QByteArray detail() const override;

    Stage stage() const { return m_stage; }
    int artist() const { return m_artist; }
    SketchWord word() const { return m_word; }
    int scoreOf(int id) const { return m_scores.value(id, 0); }
    int round() const { return m_round; }
    int rounds() const { return m_rounds; }

    // The screen commands the sketch client's drawing understands.
    static QByteArray Status(const QByteArray &text);
    static QByteArray Label(int x, int y, int size, int code, const QByteArray &text);
    static QByteArray Gauge(int percent);
    static QByteArray WordValue(int value);
    static QByteArray GuessLine(const QByteArray &text);
    static QByteArray HintMark(int row, int icon);
    static const QByteArray ClearDrawing;
    static const QByteArray ArtistOn;
    static const QByteArray ArtistOff;

protected:
    void arrived(const NodePlayer &player) override;
    void departed(const NodePlayer &player) override;
    void input(int id, const QByteArray &chunk) override;

private:
    QByteArray nameOf(int id) const;
    QByteArray screenFor(int id) const;
    void toAll(const QByteArray &bytes, int except = -1, bool alone = false);
    void newGame();
    void nextRound();
    void startDrawing();
    void endRound(const QByteArray &why);
    void finishGame();
    void wait();
    void guess(int id, const QByteArray &text);
    void drawing(int id, const SketchRules::Piece &piece);
    void hint(int id, int row, int icon);
    bool hidesWord(int id, const QByteArray &message);
    void sendScores();
    int percentLeft() const;

    QList<SketchWord> m_words;
    SketchTiming m_timing;
    QList<int> m_order;            // connection ids in drawing order
    QHash<int, int> m_scores;
    QSet<int> m_right;             // guessed this round
    int m_artist = -1;
    int m_turn = -1;               // index in m_order of the last artist
    SketchWord m_word;
    QList<QByteArray> m_recent;    // words drawn lately, not chosen again soon
    Stage m_stage = Stage::Waiting;
    qint64 m_dueAt = 0;
    qint64 m_startedAt = 0;
    int m_round = 0;
    int m_rounds = 0;
    int m_gauge = -1;
    QByteArray m_drawing;          // the round's strokes, for latecomers
};
