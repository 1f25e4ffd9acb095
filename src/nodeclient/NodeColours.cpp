#include "NodeColours.h"

#include <QWidget>

#include "ByteText.h"
#include "ChatSession.h"
#include "uRichEditWithLinks.h"

namespace NodeColours {

bool StoredValueIsDark(TColor value)
{
    return (value & 0xFF) < 100 && ((value >> 8) & 0xFF) < 100 && ((value >> 16) & 0xFF) < 100;
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

bool Apply(const Targets &targets, ChatSession &chat, TColor winColor, TColor textColour,
           const QString &fontName, int fontSize)
{
    const QList<QWidget *> all = {targets.input, targets.view, targets.list, targets.header};
    const QColor background = ToQColor(winColor);
    for (QWidget *w : all)
        setBackground(w, background);
    QFont chatFont(fontName);
    chatFont.setPointSize(qMax(1, fontSize));
    targets.input->setFont(chatFont);
    targets.view->setFont(chatFont);
    chat.DefaultFontName = ProtocolBytes(fontName);
    chat.DefaultFontSize = fontSize;

    const QColor text = ToQColor(textColour);
    for (QWidget *w : all)
        setTextColour(w, text);

    // The dark test looks at the value as stored: the default system colour
    // counts as dark.
    const bool dark = StoredValueIsDark(winColor);
    chat.DarkView = dark;
    const TColor listColour = dark ? textColour : chat.Contrast(textColour);
    for (QWidget *w : {targets.input, static_cast<QWidget *>(targets.view), targets.list})
        setTextColour(w, ToQColor(listColour));
    targets.view->setFontColor(listColour);
    return dark;
}

} // namespace NodeColours
