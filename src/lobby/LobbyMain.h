#pragma once

#include <QMainWindow>

class TLobbyMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TLobbyMainForm(QWidget *parent = nullptr);
    ~TLobbyMainForm() override;
};
