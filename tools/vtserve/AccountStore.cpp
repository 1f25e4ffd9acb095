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

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

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

namespace {

// The contexts of one digest; their key material is wiped when they go.
struct HmacContexts {
    EVP_MD_CTX *inner = EVP_MD_CTX_new();   // the key ^ ipad block taken in
    EVP_MD_CTX *outer = EVP_MD_CTX_new();   // the key ^ opad block taken in
    EVP_MD_CTX *work = EVP_MD_CTX_new();
    ~HmacContexts()
    {
        EVP_MD_CTX_free(inner);
        EVP_MD_CTX_free(outer);
        EVP_MD_CTX_free(work);
    }
    bool ok() const { return inner && outer && work; }
    // HMAC of the parts: the inner hash of them, the outer hash of that.
    bool mac(const unsigned char *a, size_t aSize, const unsigned char *b, size_t bSize, unsigned char *out)
    {
        unsigned int size = 0;
        return EVP_MD_CTX_copy_ex(work, inner) && EVP_DigestUpdate(work, a, aSize)
            && (bSize == 0 || EVP_DigestUpdate(work, b, bSize)) && EVP_DigestFinal_ex(work, out, &size)
            && EVP_MD_CTX_copy_ex(work, outer) && EVP_DigestUpdate(work, out, 32)
            && EVP_DigestFinal_ex(work, out, &size);
    }
};

} // namespace

QByteArray AccountStore::digest(const QByteArray &password, const QByteArray &salt, int iterations)
{
    // PBKDF2-HMAC-SHA256, one block of 32 bytes. The HMAC key's two padded
    // blocks are hashed once and their states copied for each of the
    // iterations: OpenSSL's PKCS5_PBKDF2_HMAC sets up a whole HMAC each
    // time and takes about half as long again, and logins are bounded by
    // this.
    const EVP_MD *sha256 = EVP_sha256();
    HmacContexts hmac;
    if (!hmac.ok())
        return {};
    unsigned char key[64] = {};
    bool ok = true;
    if (password.size() > 64) {
        unsigned int size = 0;
        ok = EVP_Digest(password.constData(), size_t(password.size()), key, &size, sha256, nullptr);
    } else {
        memcpy(key, password.constData(), size_t(password.size()));
    }
    unsigned char pad[64];
    for (int i = 0; i < 64; ++i)
        pad[i] = key[i] ^ 0x36;
    ok = ok && EVP_DigestInit_ex(hmac.inner, sha256, nullptr) && EVP_DigestUpdate(hmac.inner, pad, 64);
    for (int i = 0; i < 64; ++i)
        pad[i] = key[i] ^ 0x5c;
    ok = ok && EVP_DigestInit_ex(hmac.outer, sha256, nullptr) && EVP_DigestUpdate(hmac.outer, pad, 64);
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(pad, sizeof pad);

    const unsigned char block[4] = {0, 0, 0, 1};
    unsigned char u[32];
    QByteArray out(32, '\0');
    auto *sum = reinterpret_cast<unsigned char *>(out.data());
    ok = ok && hmac.mac(reinterpret_cast<const unsigned char *>(salt.constData()), size_t(salt.size()), block, 4, u);
    if (ok)
        memcpy(sum, u, 32);
    for (int k = 1; ok && k < iterations; ++k) {
        ok = hmac.mac(u, 32, nullptr, 0, u);
        for (int i = 0; i < 32; ++i)
            sum[i] ^= u[i];
    }
    OPENSSL_cleanse(u, sizeof u);
    return ok ? out : QByteArray();
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
