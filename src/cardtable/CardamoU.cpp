#include "CardamoU.h"

#include "WindowLister.h"

TfrmCardamo::TfrmCardamo(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TfrmCardamo"));
    setWindowTitle(QStringLiteral("Vantora Game Lobby"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TfrmCardamo::~TfrmCardamo() = default;
