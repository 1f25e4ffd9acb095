#pragma once

// A status-bar panel: a label that the chat renderer writes the status text
// of a suppressed sound line into (for example "Bob [#7]").

#include <QLabel>

#include "ChatOutput.h"

class TStatusPanel : public QLabel, public StatusPanelOutput
{
    Q_OBJECT
public:
    explicit TStatusPanel(QWidget *parent = nullptr);
    ~TStatusPanel() override;

    void setPanelText(const QByteArray &text) override;
};
