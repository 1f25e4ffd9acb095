#pragma once

#include <QMainWindow>

class TfrmDoodlixTable : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmDoodlixTable(QWidget *parent = nullptr);
    ~TfrmDoodlixTable() override;
};
