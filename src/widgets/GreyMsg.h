#pragma once

// The grey notice window: a small stay-on-top window with a caption, a
// centred read-only text and an "OK" button that closes and frees it.
// Notices are shown without waiting; each one has its own window, at most
// MaxOpen of them at once in a program. A notice beyond that goes to the
// program's chat view instead, and once the burst is over one more line
// there says how many were folded that way.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

class TfrmGreyMsg : public QDialog
{
    Q_OBJECT
public:
    TfrmGreyMsg(const QString &caption, const QString &text, QWidget *parent = nullptr);

    static constexpr int MaxOpen = 3;

    // Opens a new notice and returns at once; the window frees itself when closed.
    static TfrmGreyMsg *ShowNotice(const QString &caption, const QString &text,
                                   QWidget *parent = nullptr);
    // As ShowNotice while fewer than MaxOpen notices are open; otherwise
    // hands the notice to `chatLine` as one line ("Notice: caption: text")
    // and returns nullptr. After the event loop's current turn `chatLine`
    // also gets the line that counts the notices folded.
    static TfrmGreyMsg *ShowBoundedNotice(const QString &caption, const QString &text,
                                          QWidget *parent,
                                          const std::function<void(const QString &)> &chatLine);
    // The notices open now, in this program.
    static int OpenCount();

    QString text() const;

private:
    QLabel *m_text = nullptr;
    QPushButton *m_ok = nullptr;
};
