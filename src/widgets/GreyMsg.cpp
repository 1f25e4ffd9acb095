#include "GreyMsg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmGreyMsg::TfrmGreyMsg(const QString &caption, const QString &text, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmGreyMsg"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setModal(false);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Memo1"));
    // Server text: never interpreted as markup.
    m_text->setTextFormat(Qt::PlainText);
    m_text->setText(text);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setMinimumWidth(260);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("btnOK"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);
    adjustSize();
}

QString TfrmGreyMsg::text() const
{
    return m_text->text();
}

TfrmGreyMsg *TfrmGreyMsg::ShowNotice(const QString &caption, const QString &text, QWidget *parent)
{
    auto *window = new TfrmGreyMsg(caption, text, parent);
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->rect().center());
    window->show();
    return window;
}
