#pragma once

// The grey notice window: a small stay-on-top window with a caption, a
// centred read-only text and an "OK" button that closes and frees it.
// Notices are shown without waiting; each one has its own window.

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmGreyMsg : public QDialog
{
    Q_OBJECT
public:
    TfrmGreyMsg(const QString &caption, const QString &text, QWidget *parent = nullptr);

    // Opens a new notice and returns at once; the window frees itself when closed.
    static TfrmGreyMsg *ShowNotice(const QString &caption, const QString &text,
                                   QWidget *parent = nullptr);

    QString text() const;

private:
    QLabel *m_text = nullptr;
    QPushButton *m_ok = nullptr;
};
