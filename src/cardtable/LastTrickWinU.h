#pragma once

// The "Last Trick" window of the card table: a small tool window above the
// others that shows the last complete trick as four overlapping cards on
// green baize, with the table's caption underneath. It is created with the
// table window and only hidden when closed.

#include <QImage>
#include <QWidget>

#include "LastTrickRecord.h"

class QLabel;

class TLastTrick : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize InnerSize{200, 133};
    static constexpr QSize PictureSize{198, 109};

    explicit TLastTrick(QWidget *parent = nullptr);
    ~TLastTrick() override;

    // Record operations (called as the table draws cards).
    void CardPlayed(int top, int code);
    void TrickCleared();
    // Draws the shown cards into the picture and repaints it.
    void Redraw();

    // Fills the picture black, then green inside a one-pixel black border,
    // redraws the cards and shows the window (centred the first time).
    void ShowWindow();

    void setTableCaption(const QString &caption);
    QString tableCaption() const;

    const LastTrickRecord &record() const { return m_record; }
    const QImage &picture() const { return m_picture; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    LastTrickRecord m_record;
    QImage m_picture;
    QLabel *Image1 = nullptr;
    QLabel *Panel2 = nullptr;
    bool m_placed = false;
};
