#include "UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QEventLoop>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

#include <functional>

namespace {
UserDialogs *g_current = nullptr;
}

UserDialogs &UserDialogs::current()
{
    static QtUserDialogs real;
    return g_current ? *g_current : real;
}

void UserDialogs::setCurrent(UserDialogs *dialogs)
{
    g_current = dialogs;
}

namespace {

// Runs a dialog until it is answered, without holding the program's other
// windows: they stay usable, and above all closable, while it is up; the
// main window's close then closes it (CloseOwnDialogs). The dialog lives on
// the heap so that a parent going away while it runs takes it along safely.
// Returns the dialog's result, or QDialog::Rejected when it went away.
int RunDialog(QDialog *dialog, const std::function<void(QDialog *)> &answered = {})
{
    QPointer<QDialog> guard = dialog;
    dialog->setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    // A nested loop: the caller needs the answer before it goes on, and the
    // connection's reads keep being handled meanwhile.
    loop.exec();
    if (!guard)
        return QDialog::Rejected;
    const int result = guard->result();
    if (answered && result == QDialog::Accepted)
        answered(guard);
    delete guard.data();
    return result;
}

} // namespace

void QtUserDialogs::message(QWidget *parent, const QString &caption, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon,
                                caption.isEmpty() ? QApplication::applicationName() : caption,
                                text, QMessageBox::Ok, parent);
    RunDialog(box);
}

bool QtUserDialogs::confirm(QWidget *parent, const QString &caption, const QString &text,
                            const QPoint &topLeft)
{
    auto *box = new QMessageBox(QMessageBox::Question, caption, text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    if (!topLeft.isNull()) {
        box->adjustSize();
        box->move(topLeft);
    }
    bool yes = false;
    QObject::connect(box, &QMessageBox::buttonClicked, box, [&yes, box](QAbstractButton *button) {
        yes = box->standardButton(button) == QMessageBox::Yes;
    });
    RunDialog(box);
    return yes;
}

bool QtUserDialogs::askText(QWidget *parent, const QString &caption, const QString &prompt,
                            QString *text, Echo echo)
{
    auto *dialog = new QInputDialog(parent);
    dialog->setWindowTitle(caption);
    dialog->setLabelText(prompt);
    dialog->setTextEchoMode(echo == Echo::Password ? QLineEdit::Password : QLineEdit::Normal);
    dialog->setTextValue(text ? *text : QString());
    QString answer;
    const bool ok = RunDialog(dialog, [&answer](QDialog *d) {
                        answer = static_cast<QInputDialog *>(d)->textValue();
                    }) == QDialog::Accepted;
    if (ok && text)
        *text = answer;
    return ok;
}

namespace {

bool OwnedBy(const QWidget *window, const QWidget *mainWindow)
{
    for (const QWidget *up = window->parentWidget(); up; up = up->parentWidget())
        if (up == mainWindow)
            return true;
    return false;
}

} // namespace

void CloseOwnDialogs(QWidget *mainWindow)
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window == mainWindow || !window->isVisible())
            continue;
        // Another main window in the same process (a second room or table)
        // is not this one's to close.
        if (qobject_cast<QMainWindow *>(window) && !OwnedBy(window, mainWindow))
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(window))
            dialog->reject();
        window->close();
    }
}

bool QtUserDialogs::chooseColor(QWidget *parent, const QString &caption, QColor *color)
{
    const QColor chosen = QColorDialog::getColor(color ? *color : QColor(Qt::white), parent, caption);
    if (!chosen.isValid())
        return false;
    if (color)
        *color = chosen;
    return true;
}
