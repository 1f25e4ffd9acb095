#include "PasswordHasher.h"

#include <QPointer>

#include "AccountStore.h"

void InlineHasher::derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done)
{
    done(AccountStore::digest(password, salt, iterations));
}

PooledHasher::PooledHasher(int threads, QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(qMax(1, threads));
}

PooledHasher::~PooledHasher()
{
    m_pool.waitForDone();
}

void PooledHasher::derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done)
{
    ++m_waiting;
    QPointer<PooledHasher> self(this);
    m_pool.start([self, password, salt, iterations, done = std::move(done)] {
        const QByteArray digest = AccountStore::digest(password, salt, iterations);
        // Back on the hasher's thread; a hasher already gone drops the result.
        QMetaObject::invokeMethod(
            self.data(),
            [self, digest, done] {
                if (!self)
                    return;
                --self->m_waiting;
                done(digest);
            },
            Qt::QueuedConnection);
    });
}
