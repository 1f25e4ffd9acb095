#include "DoodlixScore.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "ByteText.h"
#include "ChatAnsi.h"
#include "ScoreTableText.h"
#include "uRichEditWithLinks.h"

TfrmDoodlixScore::TfrmDoodlixScore(ChatSession &chat, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TfrmDoodlixScore"));
    setWindowTitle(QStringLiteral("Score"));
    resize(290, 177);
    if (const QScreen *shown = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(shown->geometry().center());
        move(frame.topLeft());
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ScoreMemo = new TRichEditURL(this);
    ScoreMemo->setObjectName(QStringLiteral("ScoreMemo"));
    ScoreMemo->setReadOnly(true);
    ScoreMemo->SetShowSelectionBar(true);
    ScoreMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette black = ScoreMemo->palette();
    black.setColor(QPalette::Base, Qt::black);
    ScoreMemo->setPalette(black);
    layout->addWidget(ScoreMemo);

    m_renderer = std::make_unique<TDispAnsi>(chat);
    m_renderer->Attach(ScoreMemo, nullptr, nullptr);
}

TfrmDoodlixScore::~TfrmDoodlixScore() = default;

void TfrmDoodlixScore::ShowScoreTable(const QByteArray &table)
{
    ScoreMemo->clear();
    m_renderer->Show(ScoreTableText::Format(table));
}

void TfrmDoodlixScore::SetRoundTitle(const QByteArray &title)
{
    setWindowTitle(DisplayText(title));
}

void TfrmDoodlixScore::ShowHide()
{
    setVisible(!isVisible());
}

void TfrmDoodlixScore::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfrmDoodlixScore::FormActivate()
{
    if (!BackgroundSource)
        return;
    QPalette palette = ScoreMemo->palette();
    palette.setColor(QPalette::Base, BackgroundSource());
    ScoreMemo->setPalette(palette);
}
