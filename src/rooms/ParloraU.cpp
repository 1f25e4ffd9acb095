#include "ParloraU.h"

#include "WindowLister.h"

TParloras::TParloras(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TParloras"));
    setWindowTitle(QStringLiteral("Theatre Chat"));
    resize(640, 480);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));
}

TParloras::~TParloras() = default;
