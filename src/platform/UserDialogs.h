#pragma once

// The modal questions and messages the programs put to the user. Windows ask
// through UserDialogs::current(), so that tests can answer in their place.

#include <QColor>
#include <QPoint>
#include <QString>

class QWidget;

class UserDialogs
{
public:
    enum class Echo { Normal, Password };

    virtual ~UserDialogs() = default;

    // A message with an "OK" button.
    virtual void message(QWidget *parent, const QString &caption, const QString &text) = 0;
    // A Yes/No confirmation; `topLeft` (global coordinates) places it when not null.
    virtual bool confirm(QWidget *parent, const QString &caption, const QString &text,
                         const QPoint &topLeft = QPoint()) = 0;
    // A one-field input; false when cancelled. `text` holds the initial value
    // and receives the answer.
    virtual bool askText(QWidget *parent, const QString &caption, const QString &prompt,
                         QString *text, Echo echo = Echo::Normal) = 0;
    // A colour picker; false when cancelled. `color` holds the initial colour
    // and receives the choice.
    virtual bool chooseColor(QWidget *parent, const QString &caption, QColor *color) = 0;

    static UserDialogs &current();
    // Tests install their own; nullptr restores the real dialogs.
    static void setCurrent(UserDialogs *dialogs);
};

// Closes every other visible top-level window of the program (dialogs
// answered "Cancel"), so that closing the main window ends the program
// even while one of its dialogs, notices or message boxes is open. Another
// main window in the same process is left open unless it is owned.
void CloseOwnDialogs(QWidget *mainWindow);

// The real dialogs: QMessageBox and QInputDialog. They do not block the
// program's other windows (a close of the main window closes them).
class QtUserDialogs : public UserDialogs
{
public:
    void message(QWidget *parent, const QString &caption, const QString &text) override;
    bool confirm(QWidget *parent, const QString &caption, const QString &text,
                 const QPoint &topLeft) override;
    bool askText(QWidget *parent, const QString &caption, const QString &prompt, QString *text,
                 Echo echo) override;
    bool chooseColor(QWidget *parent, const QString &caption, QColor *color) override;
};
