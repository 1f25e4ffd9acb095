#pragma once

// The rules and the messages of the sketch-and-guess game, as plain
// functions: the word list, what counts as a right guess, the points, and
// the pieces a sketch client sends cut out of a received chunk.

#include <QByteArray>
#include <QList>
#include <QString>

struct SketchWord {
    QByteArray word;
    int value = 10;
    bool operator==(const SketchWord &o) const { return word == o.word && value == o.value; }
};

namespace WordList {

// Lines "word;value"; "#" starts a comment line. Lines that are not of that
// form, words with characters other than letters and blanks, and values
// outside 1 to 100 are skipped.
QList<SketchWord> Parse(const QByteArray &text);
// The list shipped with the service.
QList<SketchWord> BuiltIn();
bool Load(const QString &path, QList<SketchWord> *words, QString *error);

} // namespace WordList

namespace SketchRules {

// Lower case, letters only, words separated by one blank.
QByteArray Normalize(const QByteArray &text);
bool IsRight(const QByteArray &guess, const QByteArray &word);
// One letter away (added, dropped or changed) from a word of four letters or more.
bool IsClose(const QByteArray &guess, const QByteArray &word);
// A guesser's points: half the word's value for a right guess at the last
// moment up to the whole value at once, and half the value more for the
// first right guess of the round.
int GuesserPoints(int value, qint64 msLeft, qint64 roundMs, bool first);
// The artist earns half the value for each player who guessed right.
int ArtistPoints(int value, int rightGuesses);
// "5 letters", "3 + 5 letters".
QByteArray LetterHint(const QByteArray &word);

struct Score {
    QByteArray name;
    int points = 0;
};
// The score table for the client's score window: "name=points" lines,
// highest first, the table ended by its closing word.
QByteArray ScoreTable(QList<Score> scores);
QByteArray RoundTitle(const QByteArray &title);
// A line for the client's guess list: no ":" (the client would cut the line
// there), no hint byte, no codes.
QByteArray GuessListText(const QByteArray &text);

// What a sketch client sends.
struct Piece {
    enum Kind { Stroke, Clear, Guess, Ready, Hint, Other };
    Kind kind = Other;
    QByteArray bytes;   // Stroke, Clear: the command as it is relayed; Guess: the text; Ready: the name; Other: a message
    int row = 0;        // Hint
    int icon = 0;       // Hint
};
QList<Piece> Parse(const QByteArray &chunk);
// The icons of the artist's hint marks.
bool IsHintIcon(int icon);

} // namespace SketchRules
