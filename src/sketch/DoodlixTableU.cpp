#include "DoodlixTableU.h"

#include "WindowLister.h"

TfrmDoodlixTable::TfrmDoodlixTable(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfrmDoodlixTable"));
    setWindowTitle(QStringLiteral("Vantora Games"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TfrmDoodlixTable::~TfrmDoodlixTable() = default;
