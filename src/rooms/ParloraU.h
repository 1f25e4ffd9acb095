#pragma once

#include <QMainWindow>

class TParloras : public QMainWindow
{
    Q_OBJECT
public:
    explicit TParloras(QWidget *parent = nullptr);
    ~TParloras() override;
};
