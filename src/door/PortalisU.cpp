#include "PortalisU.h"

#include "WindowLister.h"

TfrmPortalis::TfrmPortalis(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfrmPortalis"));
    setWindowTitle(QStringLiteral("Vantora Door Game"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TfrmPortalis::~TfrmPortalis() = default;
