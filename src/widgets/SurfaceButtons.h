#pragma once

// The buttons a node server places on the game surface: each is a shaped
// button known by a unique name, created the first time the name comes,
// updated when it comes again and removed when it comes with a left edge of
// 0. Pressing one tells the owner its name (the window sends ButtonPress and
// the name).

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QWidget;
class TAnsi;
struct TAnsiRect;

// A button's text: name "|" caption ";" hint. Without "|" the name and the
// caption are the whole text; without ";" the hint is the caption.
struct SurfaceButtonText
{
    QByteArray name;
    QByteArray caption;
    QByteArray hint;

    friend bool operator==(const SurfaceButtonText &, const SurfaceButtonText &) = default;
};
SurfaceButtonText ParseSurfaceButtonText(const QByteArray &text);

class TSurfaceButtons : public QObject
{
    Q_OBJECT
public:
    // A surface holds at most this many; a server's further new names are
    // ignored (updates and removals of placed ones still apply).
    static constexpr int MaxButtons = 256;

    // The glyph of an icon index below 100; a null pixmap for none.
    using GlyphSource = std::function<QPixmap(int image)>;

    // Buttons are made on `panel` (the surface panel). Glyphs come from
    // `glyphOf`, or from the node image list when it is empty.
    TSurfaceButtons(QWidget *panel, std::function<void(const QByteArray &name)> pressed,
                    QObject *parent = nullptr, GlyphSource glyphOf = {});

    // The engine's button request: rectangle, icon index (below 100: an icon
    // of the node image list), colour code of the engine's table, text.
    void Place(const TAnsi *engine, const TAnsiRect &rect, int image, int color,
               const QByteArray &text);

    // Removes every button (the surface shows something else now).
    void Clear();

    QAbstractButton *button(const QByteArray &name) const;
    int count() const;

private:
    QWidget *m_panel;
    std::function<void(const QByteArray &name)> m_pressed;
    GlyphSource m_glyphOf;
    QHash<QByteArray, QPointer<QAbstractButton>> m_buttons;
};
