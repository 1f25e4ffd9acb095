#pragma once

// The game surface (`Image2`): a picture the screen engine draws into,
// shown at its natural size. Presses, double-clicks, moves and releases are
// reported with the point in picture pixels; both presses of a double-click
// are reported as presses too. While a button is held the picture keeps the
// mouse, so moves and the release may lie outside it.

#include <QImage>
#include <QWidget>

class TSurfaceImage : public QWidget
{
    Q_OBJECT
public:
    explicit TSurfaceImage(QSize size, QWidget *parent = nullptr);

    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

    // Repaints now (not at the next paint event).
    void repaintNow();
    int repaints() const { return m_repaints; }

    QSize sizeHint() const override { return m_image.size(); }

signals:
    void pressed(QPoint point, Qt::MouseButton button);
    void doubleClicked(QPoint point);
    void moved(QPoint point, Qt::MouseButtons buttons);
    void released(QPoint point, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    int m_repaints = 0;
    quint64 m_lastPressTime = 0;
};
