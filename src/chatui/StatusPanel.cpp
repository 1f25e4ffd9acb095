#include "StatusPanel.h"

#include "ByteText.h"
#include "ChatAnsi.h"

TStatusPanel::TStatusPanel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

TStatusPanel::~TStatusPanel()
{
    TDispAnsi::ForgetStatusPanel(this);
}

void TStatusPanel::setPanelText(const QByteArray &text)
{
    setText(DisplayText(text));
}
