#pragma once

// Where the service derives password digests. A digest takes tens of
// milliseconds on purpose; derived on the event thread it would stall every
// other connection, so the server derives them on a small pool of worker
// threads and the login goes on when the result comes back. Tests use the
// inline hasher, which answers at once.

#include <QByteArray>
#include <QObject>
#include <QThreadPool>

#include <functional>

class PasswordHasher
{
public:
    using Done = std::function<void(const QByteArray &digest)>;
    virtual ~PasswordHasher() = default;
    // Derives AccountStore::digest(password, salt, iterations) and calls
    // `done` with it on the thread that asked, later or at once.
    virtual void derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done) = 0;
};

class InlineHasher : public PasswordHasher
{
public:
    void derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done) override;
};

class PooledHasher : public QObject, public PasswordHasher
{
public:
    // `threads` workers (at least one); results are delivered through the
    // event loop of the thread the hasher lives in.
    explicit PooledHasher(int threads, QObject *parent = nullptr);
    // Waits for the digests still being derived; their results are dropped.
    ~PooledHasher() override;
    void derive(const QByteArray &password, const QByteArray &salt, int iterations, Done done) override;
    int waiting() const { return m_waiting; }

private:
    QThreadPool m_pool;
    int m_waiting = 0;
};
