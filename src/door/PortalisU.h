#pragma once

#include <QMainWindow>

class TfrmPortalis : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmPortalis(QWidget *parent = nullptr);
    ~TfrmPortalis() override;
};
