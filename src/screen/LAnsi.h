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
#include "AnsiParser.h"
#include "Colors.h"

struct TAnsiRect;

class TLAnsi : public AnsiByteParser
{
public:
    TLAnsi();
    ~TLAnsi() override;

    // Draws on `image` from now on (nullptr: draw nowhere).
    void AttachSurface(QImage *image);

    // This decoder's colours: always the bright palette, and 30 and 48 are black.
    static TColor ColorOf(int code);

    int Artist() const { return m_artist; }
    bool LabelCapture() const { return m_labelCapture; }

    // Events, each skipped when no handler is installed.
    std::function<void(int artist)> OnArtistChange;
    std::function<void(int value)> OnGauge;
    std::function<void(const QByteArray &text)> OnStatusText;
    std::function<void(const TAnsiRect &rect, const QByteArray &text)> OnSurfaceText;

private:
    void groundByte(quint8 byte) override;
    void sequenceByte(quint8 byte) override;
    void labelByte(quint8 byte);

    void setArtist(int artist);
    void clear(int code);
    void stroke();
    void gauge();

    int m_artist = 0;
    bool m_labelCapture = false;
    QByteArray m_labelText;
};
