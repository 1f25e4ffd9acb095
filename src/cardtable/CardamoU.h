#pragma once

#include <QMainWindow>

class TfrmCardamo : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmCardamo(QWidget *parent = nullptr);
    ~TfrmCardamo() override;
};
