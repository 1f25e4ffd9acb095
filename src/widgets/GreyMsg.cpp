#include "GreyMsg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {

QList<QPointer<TfrmGreyMsg>> &OpenNotices()
{
    static QList<QPointer<TfrmGreyMsg>> open;
    return open;
}

int g_folded = 0;
bool g_foldReportQueued = false;

} // namespace

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

int TfrmGreyMsg::OpenCount()
{
    QList<QPointer<TfrmGreyMsg>> &open = OpenNotices();
    open.removeIf([](const QPointer<TfrmGreyMsg> &notice) {
        return notice.isNull() || !notice->isVisible();
    });
    return int(open.size());
}

TfrmGreyMsg *TfrmGreyMsg::ShowBoundedNotice(const QString &caption, const QString &text,
                                            QWidget *parent,
                                            const std::function<void(const QString &)> &chatLine)
{
    if (OpenCount() < MaxOpen || !chatLine) {
        TfrmGreyMsg *notice = ShowNotice(caption, text, parent);
        OpenNotices().append(notice);
        return notice;
    }
    chatLine(QStringLiteral("Notice: ") + caption + QStringLiteral(": ") + text);
    ++g_folded;
    if (!g_foldReportQueued) {
        g_foldReportQueued = true;
        // The line goes to the window that folded the notices, while it lives.
        QPointer<QWidget> window = parent;
        QTimer::singleShot(0, qApp, [chatLine, window, hadWindow = parent != nullptr] {
            g_foldReportQueued = false;
            const int folded = std::exchange(g_folded, 0);
            if (hadWindow && !window)
                return;
            chatLine(QString::number(folded)
                     + (folded == 1 ? QStringLiteral(" notice was") : QStringLiteral(" notices were"))
                     + QStringLiteral(" shown here: %1 notice windows are open.").arg(MaxOpen));
        });
    }
    return nullptr;
}
