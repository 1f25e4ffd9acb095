#pragma once

// What the screen engine and the drawing decoder share: feeding bytes one at
// a time through the states Ground, Escape and Sequence, the parameter run of
// the open sequence, and the Idle flag that hosts wait for.

#include <QByteArray>

#include <functional>
#include <memory>

#include "AnsiCanvas.h"
#include "AnsiParams.h"
#include "Colors.h"

class AnsiByteParser
{
public:
    enum class TParseState { Ground, Escape, Sequence };

    AnsiByteParser();
    virtual ~AnsiByteParser();
    AnsiByteParser(const AnsiByteParser &) = delete;
    AnsiByteParser &operator=(const AnsiByteParser &) = delete;

    // Feeds the bytes in order. Idle is false meanwhile; the rest of the text
    // is skipped when Idle becomes true before the end (a Write from an event
    // handler ran to its end, StopWrite was called, or a step failed).
    void Write(const QByteArray &text);
    // Makes the running Write stop after the current byte.
    void StopWrite() { m_idle = true; }
    bool Idle() const { return m_idle; }

    TParseState ParseState() const { return m_parseState; }
    QByteArray Params() const { return m_params.text(); }
    // The Surface with its drawing state; nullptr when none is attached.
    AnsiCanvas *Surface() const { return m_canvas.get(); }

    // Byte 07. The default sounds the desktop's beep.
    std::function<void()> OnBeep;

protected:
    void putByte(quint8 byte);
    virtual void groundByte(quint8 byte) = 0;
    virtual void sequenceByte(quint8 byte) = 0;

    bool insideWrite() const { return m_writeDepth > 0; }
    // Brings the Surface up to date; done before the host gets control.
    void flushSurface();
    // Ground, with no parameters.
    void reset();
    // State Escape: "[" opens a sequence, ESC stays, anything else is dropped.
    void escapeByte(quint8 byte);
    void beep();
    // The line command: x1, y1, x2, y2, width, colour code and style (2 is
    // dotted) are read and the sequence ends; then a solid pen of that width
    // and colour draws from (x1, y1) to (x2, y2). A start of 0 continues from
    // the pen, which stays at the end point.
    void drawLineCommand(const std::function<TColor(int code)> &colourOf);

    TParseState m_parseState = TParseState::Ground;
    AnsiParams m_params;
    std::unique_ptr<AnsiCanvas> m_canvas;

private:
    bool m_idle = true;
    int m_writeDepth = 0;
};

inline constexpr quint8 kAnsiEsc = 0x1B;

// ".", ";" and the digits collect in the parameter run.
inline bool IsAnsiParameterByte(quint8 byte)
{
    return byte == '.' || byte == ';' || (byte >= '0' && byte <= '9');
}

// The colours both decoders agree on: 31 to 39 and 40 to 47; every other
// code is black.
TColor AnsiBrightColor(int code);
