#pragma once

// A small filled circle: the activity lamps of the players headers and the
// media strip's playing light.

#include <QColor>
#include <QWidget>

class TShape : public QWidget
{
    Q_OBJECT
public:
    explicit TShape(const QString &name, const QColor &color = Qt::darkGreen,
                    QWidget *parent = nullptr);

    QColor brushColor() const { return m_color; }
    void setBrushColor(const QColor &color);

    QSize sizeHint() const override { return {12, 12}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
