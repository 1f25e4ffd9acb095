#include "MessageBoxQueue.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <utility>

#include "AppInfo.h"
#include "ByteText.h"

namespace {

QWidget *DefaultBox(const QByteArray &text)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, ApplicationTitle(), DisplayText(text),
                                QMessageBox::Ok);
    // Server text: never markup.
    box->setTextFormat(Qt::PlainText);
    box->setObjectName(QStringLiteral("ServerMessageBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // The box does not hold the program's own windows: the user can still
    // use and close them while it is up.
    box->setWindowModality(Qt::NonModal);
    return box;
}

} // namespace

MessageBoxQueue &MessageBoxQueue::instance()
{
    static MessageBoxQueue queue;
    return queue;
}

void MessageBoxQueue::show(const QByteArray &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qWarning("%s", text.constData());
        return;
    }
    if (!boxOpen()) {
        m_waiting.append(text);
        openNext();
        return;
    }
    if (m_waiting.size() < MaxWaiting) {
        m_waiting.append(text);
        return;
    }
    ++m_dropped;
    if (!m_reportQueued) {
        m_reportQueued = true;
        QTimer::singleShot(0, qApp, [this] { reportDrops(); });
    }
}

void MessageBoxQueue::openNext()
{
    if (boxOpen() || m_waiting.isEmpty())
        return;
    QWidget *box = MakeBox ? MakeBox(m_waiting.takeFirst()) : DefaultBox(m_waiting.takeFirst());
    if (!box)
        return;
    m_open = box;
    // The next text opens once this box is gone.
    QObject::connect(box, &QObject::destroyed, qApp, [this] {
        QTimer::singleShot(0, qApp, [this] { openNext(); });
    });
    box->show();
}

void MessageBoxQueue::reportDrops()
{
    m_reportQueued = false;
    const int dropped = std::exchange(m_dropped, 0);
    if (dropped == 0)
        return;
    if (OnDropped)
        OnDropped(dropped);
    else
        qWarning("%d message boxes from the server were dropped", dropped);
}

void MessageBoxQueue::clear()
{
    m_waiting.clear();
    if (m_open)
        m_open->close();
    delete m_open.data();
}
