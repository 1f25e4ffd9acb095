#pragma once

// Turns the output of a text-mode program, written for an ANSI terminal,
// into what the door clients' screen engine draws the same way, and keeps
// track of the cursor as that engine moves it.
//
// The engine speaks only part of the terminal dialect, and some of its
// letters mean something else there (G, W and Z capture pictures and
// buttons, L and M draw lines and play music, p and l leave a sequence
// open). So nothing the program writes is passed on as it stands: every
// sequence is read, and what it means is written again in the engine's
// words, or dropped when the engine cannot do it. Relative moves become
// absolute ones; erasing leaves the cursor where a terminal leaves it;
// colours are set again after a clear (which switches the engine to its
// bright palette); text beyond column 79 is dropped instead of wrapping;
// UTF-8 becomes the engine's character set (code page 437); the program's
// status and cursor-position questions are answered here; and no run of
// bytes that the clients take for one of the service's markers can form.
//
// The program is told it runs on the terminal type "vantora", whose
// description (TerminfoSource) lists just what is translated well.

#include <QByteArray>

class TermFilter
{
public:
    static constexpr int Columns = 79;
    static constexpr int Rows = 26;
    static constexpr const char *TermName = "vantora";

    // The terminal description for tic.
    static QByteArray TerminfoSource();

    // Program output in, engine bytes out; answers for the program (cursor
    // reports, device attributes) are appended to `reply`.
    QByteArray translate(const QByteArray &output, QByteArray *reply);

    // A press on the screen as the program wants it: a mouse report when it
    // asked for them, otherwise nothing.
    QByteArray mouseReport(int column, int row) const;
    bool mouseWanted() const { return m_mouse; }

    int row() const { return m_row; }
    int column() const { return m_column; }

    // Unicode to code page 437; 0 when the character has no glyph there.
    static char ToCp437(uint codePoint);

private:
    enum class State { Ground, Escape, Csi, Osc, String, StringEscape, Skip, Utf8 };

    void ground(char byte);
    void escape(char byte);
    void csi(char byte);
    void dispatch(char final);
    void sgr();
    void mode(bool set);
    void print(char byte);
    void out(const QByteArray &bytes);
    void moveTo(int row, int column);
    void applyColours();
    void primeBrush(int row, int column);
    void eraseLine(int from);
    void eraseRows(int first, int last);
    void clearAll();
    void lineFeed();
    void flushUtf8();
    int param(int index, int fallback) const;

    State m_state = State::Ground;
    QByteArray m_params;
    char m_private = 0;
    QByteArray m_intermediates;
    bool m_overflow = false;
    int m_stringLength = 0;
    uint m_codePoint = 0;
    int m_utf8Need = 0;
    QByteArray m_utf8Bytes;

    int m_row = 1;
    int m_column = 1;
    int m_savedRow = 1;
    int m_savedColumn = 1;
    int m_fore = 37;
    int m_back = 40;
    bool m_bold = false;
    bool m_reverse = false;
    bool m_coloursSet = false;    // the engine has the colours above
    char m_lastPrinted = ' ';
    bool m_mouse = false;
    bool m_sgrMouse = false;

    QByteArray *m_out = nullptr;
    QByteArray *m_reply = nullptr;
    QByteArray m_tail;            // the last two bytes written
};
