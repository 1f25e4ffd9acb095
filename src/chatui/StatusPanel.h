#pragma once

// A status-bar panel: a label that the chat renderer writes the status text
// of a suppressed sound line into (for example "Bob [#7]"). The renderer
// that writes into it lets its session forget it when it goes away; the
// window keeps the panel for at least as long as that renderer.

#include <QLabel>

#include "ChatOutput.h"

class TStatusPanel : public QLabel, public StatusPanelOutput
{
    Q_OBJECT
public:
    explicit TStatusPanel(QWidget *parent = nullptr);

    void setPanelText(const QByteArray &text) override;
};
