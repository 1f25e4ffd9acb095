#pragma once

// The colour and font steps a node client program takes at every
// activation: the chat input's background (the WinColor value) goes to the
// chat view, the list and the list's header too; the chat font to the input
// and the view; the text colour to all four, then the dark test picks the
// list's, view's and input's text colour. Shared by the frame and by the
// programs that compose their own window from the frame's parts.

#include <QColor>
#include <QString>

#include "Colors.h"

class QWidget;
class ChatSession;
class TRichEditURL;

namespace NodeColours {

struct Targets
{
    QWidget *input = nullptr;     // the chat input
    TRichEditURL *view = nullptr; // the chat view
    QWidget *list = nullptr;      // the player or member list
    QWidget *header = nullptr;    // the list's header panel
};

// The red, green and blue bytes of a colour value as stored, a system
// colour included (its index stands in the red byte), all below 100.
bool StoredValueIsDark(TColor value);

// Applies the colours and the font; returns whether the background counts
// as dark (the chat session's DarkView and default font follow).
bool Apply(const Targets &targets, ChatSession &chat, TColor winColor, TColor textColour,
           const QString &fontName, int fontSize);

void setBackground(QWidget *widget, const QColor &colour);
void setTextColour(QWidget *widget, const QColor &colour);

} // namespace NodeColours
