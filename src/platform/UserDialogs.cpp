#include "UserDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QMessageBox>

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

void QtUserDialogs::message(QWidget *parent, const QString &caption, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? QApplication::applicationName() : caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtUserDialogs::confirm(QWidget *parent, const QString &caption, const QString &text,
                            const QPoint &topLeft)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    if (!topLeft.isNull()) {
        box.adjustSize();
        box.move(topLeft);
    }
    return box.exec() == QMessageBox::Yes;
}

bool QtUserDialogs::askText(QWidget *parent, const QString &caption, const QString &prompt,
                            QString *text, Echo echo)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(
        parent, caption, prompt, echo == Echo::Password ? QLineEdit::Password : QLineEdit::Normal,
        text ? *text : QString(), &ok);
    if (ok && text)
        *text = answer;
    return ok;
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
