#include "GateletU.h"

#include "WindowLister.h"

TfrmGatelet::TfrmGatelet(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfrmGatelet"));
    setWindowTitle(QStringLiteral("Vantora Door Game"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TfrmGatelet::~TfrmGatelet() = default;
