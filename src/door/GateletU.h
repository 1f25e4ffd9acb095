#pragma once

#include <QMainWindow>

class TfrmGatelet : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmGatelet(QWidget *parent = nullptr);
    ~TfrmGatelet() override;
};
