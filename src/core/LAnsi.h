#pragma once

// The drawing stream of the sketch game: a lighter decoder than the screen
// engine that prints no characters. It understands strokes, clearing in a
// colour, the artist switch, a gauge value, a status text and text labels.
// Stroke coordinates are pixels; label coordinates are in units of 10 pixels.

#include <QByteArray>
#include <QImage>

#include <functional>
#include <memory>

#include "AnsiCanvas.h"
#include "AnsiParams.h"
#include "Colors.h"

struct TAnsiRect;

class TLAnsi
{
public:
    enum class TParseState { Ground, Escape, Sequence };

    TLAnsi();
    ~TLAnsi();
    TLAnsi(const TLAnsi &) = delete;
    TLAnsi &operator=(const TLAnsi &) = delete;

    // Draws on `image` from now on (nullptr: draw nowhere).
    void AttachSurface(QImage *image);
    AnsiCanvas *Surface() const { return m_canvas.get(); }

    // As the screen engine's Write: Idle is false meanwhile, and the rest of
    // the text is skipped once Idle becomes true again.
    void Write(const QByteArray &text);
    void StopWrite() { m_idle = true; }

    // This decoder's colours: always the bright palette, and 30 and 48 are black.
    static TColor ColorOf(int code);

    int Artist() const { return m_artist; }
    bool Idle() const { return m_idle; }
    TParseState ParseState() const { return m_parseState; }
    QByteArray Params() const { return m_params.text(); }
    bool LabelCapture() const { return m_labelCapture; }

    // Events, each skipped when no handler is installed.
    std::function<void(int artist)> OnArtistChange;
    std::function<void(int value)> OnGauge;
    std::function<void(const QByteArray &text)> OnStatusText;
    std::function<void(const TAnsiRect &rect, const QByteArray &text)> OnSurfaceText;
    // Byte 07. The default sounds the desktop's beep.
    std::function<void()> OnBeep;

private:
    void putByte(quint8 byte);
    void groundByte(quint8 byte);
    void escapeByte(quint8 byte);
    void sequenceByte(quint8 byte);
    void labelByte(quint8 byte);
    void reset();
    void beforeHost();

    void setArtist(int artist);
    void clear(int code);
    void stroke();
    void gauge();

    std::unique_ptr<AnsiCanvas> m_canvas;
    TParseState m_parseState = TParseState::Ground;
    AnsiParams m_params;
    int m_artist = 0;
    bool m_labelCapture = false;
    QByteArray m_labelText;
    bool m_idle = true;
};
