#include "PasswordVault.h"

#ifdef VANTORA_HAVE_QTKEYCHAIN
#include <qt6keychain/keychain.h>
#endif

namespace {

#ifdef VANTORA_HAVE_QTKEYCHAIN
const QString ServiceName = QStringLiteral("Vantora");

PasswordVault::Answer answerOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return PasswordVault::Answer::Done;
    case QKeychain::EntryNotFound:
        return PasswordVault::Answer::NotFound;
    default:
        // No Secret Service on the bus, access denied, a locked keyring the
        // user would not open: the settings file keeps the password.
        return PasswordVault::Answer::NoKeyring;
    }
}
#endif

} // namespace

bool DesktopKeyring::built()
{
#ifdef VANTORA_HAVE_QTKEYCHAIN
    return true;
#else
    return false;
#endif
}

void DesktopKeyring::read(const QString &account, ReadDone done)
{
#ifdef VANTORA_HAVE_QTKEYCHAIN
    auto *job = new QKeychain::ReadPasswordJob(ServiceName);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    QObject::connect(job, &QKeychain::Job::finished, job, [done](QKeychain::Job *finished) {
        const auto *reader = static_cast<QKeychain::ReadPasswordJob *>(finished);
        done(answerOf(reader->error()), reader->textData());
    });
    job->start();
#else
    Q_UNUSED(account);
    done(Answer::NoKeyring, QString());
#endif
}

void DesktopKeyring::write(const QString &account, const QString &password, WriteDone done)
{
#ifdef VANTORA_HAVE_QTKEYCHAIN
    auto *job = new QKeychain::WritePasswordJob(ServiceName);
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(account);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, job, [done](QKeychain::Job *finished) {
        done(answerOf(finished->error()));
    });
    job->start();
#else
    Q_UNUSED(account);
    Q_UNUSED(password);
    done(Answer::NoKeyring);
#endif
}
