#include "LastTrickWinU.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "CardPictures.h"

TLastTrick::TLastTrick(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , m_picture(PictureSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("TLastTrick"));
    setWindowTitle(QStringLiteral("Last Trick"));
    setFixedSize(InnerSize);
    m_picture.fill(Qt::black);

    auto *panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setAutoFillBackground(true);
    QPalette black = panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    panel1->setPalette(black);
    auto *panelLayout = new QVBoxLayout(panel1);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    Image1 = new QLabel(panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(PictureSize);
    panelLayout->addWidget(Image1);

    Panel2 = new QLabel(QStringLiteral("Game Table"), this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(22);
    Panel2->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    Panel2->setFont(font);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel1);
    layout->addWidget(Panel2);

    Image1->setPixmap(QPixmap::fromImage(m_picture));
}

TLastTrick::~TLastTrick() = default;

void TLastTrick::CardPlayed(int top, int code)
{
    if (m_record.CardPlayed(top, code))
        Redraw();
}

void TLastTrick::TrickCleared()
{
    m_record.TrickCleared();
}

void TLastTrick::Redraw()
{
    QPainter p(&m_picture);
    const QList<int> shown = m_record.shownCodes();
    for (int i = 0; i < shown.size(); ++i) {
        const QImage card = CardPictures::CardPicture(shown.at(i));
        if (!card.isNull())
            p.drawImage(QPoint(20 + 30 * i, 10), card);
    }
    p.end();
    Image1->setPixmap(QPixmap::fromImage(m_picture));
}

void TLastTrick::ShowWindow()
{
    m_picture.fill(Qt::black);
    {
        QPainter p(&m_picture);
        p.fillRect(m_picture.rect().adjusted(1, 1, -1, -1), QColor(0, 128, 0));
    }
    Redraw();
    if (!m_placed) {
        m_placed = true;
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
}

void TLastTrick::setTableCaption(const QString &caption)
{
    Panel2->setText(caption);
}

QString TLastTrick::tableCaption() const
{
    return Panel2->text();
}

void TLastTrick::closeEvent(QCloseEvent *event)
{
    event->ignore();
    hide();
}
