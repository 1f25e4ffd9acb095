#include "AccountStore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <openssl/evp.h>

#include "ClientMessages.h"

namespace {

int g_connectionCounter = 0;

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    QRandomGenerator *rng = QRandomGenerator::system();
    for (int i = 0; i < count; ++i)
        bytes[i] = char(rng->bounded(256));
    return bytes;
}

bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    quint8 diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= quint8(a.at(i) ^ b.at(i));
    return diff == 0;
}

} // namespace

AccountStore::AccountStore(const QString &path, int iterations)
    : m_path(path)
    , m_connection(QStringLiteral("vtserve-accounts-%1").arg(++g_connectionCounter))
    , m_iterations(qMax(1, iterations))
    , m_pepper(randomBytes(32))
{
}

AccountStore::~AccountStore()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

bool AccountStore::open()
{
    if (m_path != QLatin1String(":memory:")) {
        const QFileInfo info(m_path);
        if (!QDir().mkpath(info.absolutePath())) {
            m_error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
            return false;
        }
        QFile::setPermissions(info.absolutePath(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!info.exists()) {
            QFile file(m_path);
            if (!file.open(QIODevice::WriteOnly)) {
                m_error = QStringLiteral("cannot create %1").arg(m_path);
                return false;
            }
        }
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    if (!db.open()) {
        m_error = db.lastError().text();
        return false;
    }
    return exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS accounts ("
               " key TEXT PRIMARY KEY, name TEXT NOT NULL, salt BLOB NOT NULL,"
               " digest BLOB NOT NULL, iterations INTEGER NOT NULL, rank INTEGER NOT NULL,"
               " icon INTEGER NOT NULL, rating INTEGER NOT NULL, email TEXT NOT NULL DEFAULT '',"
               " created TEXT NOT NULL, last_login TEXT)"))
        && exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

bool AccountStore::exec(const QString &sql)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(sql)) {
        m_error = query.lastError().text();
        return false;
    }
    return true;
}

QString AccountStore::keyOf(const QByteArray &name)
{
    return QString::fromLatin1(name).toLower();
}

QByteArray AccountStore::digest(const QByteArray &password, const QByteArray &salt, int iterations)
{
    // OpenSSL's PBKDF2 gives the same bytes as Qt's QPasswordDigestor, about
    // five times faster: logins are bounded by this.
    QByteArray out(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()), reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), qMax(1, iterations), EVP_sha256(), int(out.size()),
                          reinterpret_cast<unsigned char *>(out.data()))
        != 1)
        return {};
    return out;
}

AccountStore::Check AccountStore::login(const QByteArray &name, const QByteArray &password,
                                        Account *account)
{
    return checkPassword(name, password, account, true);
}

AccountStore::Check AccountStore::verify(const QByteArray &name, const QByteArray &password,
                                         Account *account)
{
    return checkPassword(name, password, account, false);
}

AccountStore::Check AccountStore::checkPassword(const QByteArray &name, const QByteArray &password,
                                                Account *account, bool create)
{
    for (int round = 0; round < 2; ++round) {
        const Pending pending = begin(name, password, create);
        if (!pending.needsDigest) {
            if (account && (pending.result == Check::Accepted || pending.result == Check::Created))
                *account = pending.account;
            return pending.result;
        }
        const Check check = finish(pending, digest(pending.password, pending.salt, pending.iterations), account);
        if (check != Check::Retry)
            return check;
    }
    return Check::Failed;
}

QByteArray AccountStore::quickKey(const QString &key, const QByteArray &password) const
{
    return QCryptographicHash::hash(m_pepper + key.toLatin1() + '\0' + password, QCryptographicHash::Sha256);
}

AccountStore::Pending AccountStore::begin(const QByteArray &name, const QByteArray &password, bool create)
{
    Pending pending;
    pending.name = name;
    pending.password = password;
    if (!ClientMessages::ValidUserName(name)) {
        pending.result = Check::BadName;
        return pending;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen())
        return pending;
    const QString key = keyOf(name);
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT name, salt, digest, iterations, rank, icon, rating FROM accounts WHERE key = ?"));
    query.addBindValue(key);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return pending;
    }
    if (query.next()) {
        Account found;
        found.name = query.value(0).toString().toLatin1();
        pending.salt = query.value(1).toByteArray();
        pending.stored = query.value(2).toByteArray();
        pending.iterations = qMax(1, query.value(3).toInt());
        found.rank = query.value(4).toInt();
        found.icon = query.value(5).toInt();
        found.rating = query.value(6).toInt();
        query.finish();
        pending.account = found;
        const auto cached = m_checked.constFind(key);
        if (cached != m_checked.constEnd() && sameBytes(*cached, quickKey(key, password))) {
            // Checked before in this run: no digest needed.
            pending.result = finish(pending, pending.stored, nullptr);
            return pending;
        }
        pending.needsDigest = true;
        return pending;
    }
    query.finish();
    if (!create) {
        pending.result = Check::Unknown;
        return pending;
    }
    if (!ClientMessages::ValidPassword(password)) {
        pending.result = Check::BadPassword;
        return pending;
    }
    pending.create = true;
    pending.salt = randomBytes(16);
    pending.iterations = m_iterations;
    pending.needsDigest = true;
    return pending;
}

AccountStore::Check AccountStore::finish(const Pending &pending, const QByteArray &derived, Account *account)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen() || derived.isEmpty())
        return Check::Failed;
    const QString key = keyOf(pending.name);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    if (!pending.create) {
        if (!sameBytes(derived, pending.stored))
            return Check::WrongPassword;
        m_checked.insert(key, quickKey(key, pending.password));
        QSqlQuery touch(db);
        touch.prepare(QStringLiteral("UPDATE accounts SET last_login = ? WHERE key = ?"));
        touch.addBindValue(now);
        touch.addBindValue(key);
        touch.exec();
        if (account)
            *account = pending.account;
        return Check::Accepted;
    }
    if (find(pending.name))
        return Check::Retry;

    Account created;
    created.name = pending.name;
    created.rank = count() == 0 ? SysopRank : UserRankPlain;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO accounts (key, name, salt, digest, iterations, rank, icon, rating, created,"
        " last_login) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    insert.addBindValue(key);
    insert.addBindValue(QString::fromLatin1(pending.name));
    insert.addBindValue(pending.salt);
    insert.addBindValue(derived);
    insert.addBindValue(pending.iterations);
    insert.addBindValue(created.rank);
    insert.addBindValue(created.icon);
    insert.addBindValue(created.rating);
    insert.addBindValue(now);
    insert.addBindValue(now);
    if (!insert.exec()) {
        m_error = insert.lastError().text();
        return Check::Failed;
    }
    m_checked.insert(key, quickKey(key, pending.password));
    if (account)
        *account = created;
    return Check::Created;
}

std::optional<AccountStore::Account> AccountStore::find(const QByteArray &name) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT name, rank, icon, rating FROM accounts WHERE key = ?"));
    query.addBindValue(keyOf(name));
    if (!query.exec() || !query.next())
        return std::nullopt;
    Account account;
    account.name = query.value(0).toString().toLatin1();
    account.rank = query.value(1).toInt();
    account.icon = query.value(2).toInt();
    account.rating = query.value(3).toInt();
    return account;
}

bool AccountStore::setRank(const QByteArray &name, int rank)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE accounts SET rank = ? WHERE key = ?"));
    query.addBindValue(qBound(2, rank, 13));
    query.addBindValue(keyOf(name));
    return query.exec() && query.numRowsAffected() == 1;
}

bool AccountStore::setIcon(const QByteArray &name, int icon)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE accounts SET icon = ? WHERE key = ?"));
    query.addBindValue(icon);
    query.addBindValue(keyOf(name));
    return query.exec() && query.numRowsAffected() == 1;
}

bool AccountStore::setEmail(const QByteArray &name, const QByteArray &email)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE accounts SET email = ? WHERE key = ?"));
    query.addBindValue(QString::fromLatin1(email.left(200)));
    query.addBindValue(keyOf(name));
    return query.exec() && query.numRowsAffected() == 1;
}

bool AccountStore::setRating(const QByteArray &name, int rating)
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("UPDATE accounts SET rating = ? WHERE key = ?"));
    query.addBindValue(qBound(0, rating, 9999));
    query.addBindValue(keyOf(name));
    return query.exec() && query.numRowsAffected() == 1;
}

int AccountStore::count() const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM accounts")) || !query.next())
        return 0;
    return query.value(0).toInt();
}
