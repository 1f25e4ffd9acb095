#include "StatusPanel.h"

#include "ByteText.h"

TStatusPanel::TStatusPanel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TStatusPanel::setPanelText(const QByteArray &text)
{
    setText(DisplayText(text));
}
