#include "DesktopEffects.h"

#include <QApplication>

#include "Ansi.h"
#include "MessageBoxQueue.h"

namespace DesktopEffects {

void InstallBeep(AnsiByteParser &decoder)
{
    decoder.OnBeep = [] {
        if (qobject_cast<QApplication *>(QCoreApplication::instance()))
            QApplication::beep();
    };
}

void Install(TAnsi &engine)
{
    InstallBeep(engine);
    engine.ShowMessage = [](const QByteArray &text) { MessageBoxQueue::instance().show(text); };
}

} // namespace DesktopEffects
