#pragma once

// The service's accounts, kept in an SQLite database through Qt SQL. A name
// is created by its first login; later logins must give the same password.
// Passwords are never stored: each account keeps a random salt and a
// PBKDF2-HMAC-SHA256 digest of the password with that salt.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

class AccountStore
{
public:
    // Ranks as the user list shows them ("$" is 9, "+" 5, no mark 2).
    static constexpr int SysopRank = 9;
    static constexpr int UserRankPlain = 2;
    static constexpr int DefaultIterations = 60000;
    static constexpr int DefaultIcon = 13;
    static constexpr int DefaultRating = 1500;

    struct Account {
        QByteArray name;   // as the account was created
        int rank = UserRankPlain;
        int icon = DefaultIcon;
        int rating = DefaultRating;
    };

    // Retry: the name was created by another login while this one's digest
    // was being derived; check again.
    enum class Check { Created, Accepted, WrongPassword, Unknown, BadName, BadPassword, Failed, Retry };

    // A login in two steps, so that the digest can be derived away from the
    // caller's thread: begin() looks the name up; when `needsDigest`, derive
    // AccountStore::digest(password, salt, iterations) anywhere and hand it
    // to finish(). Otherwise `result` (and `account`) already tell.
    struct Pending {
        bool needsDigest = false;
        Check result = Check::Failed;
        Account account;
        QByteArray name;
        QByteArray password;
        QByteArray salt;
        int iterations = 0;
        bool create = false;         // no account yet: finish() creates it
        QByteArray stored;           // the digest to compare with
    };
    Pending begin(const QByteArray &name, const QByteArray &password, bool create);
    Check finish(const Pending &pending, const QByteArray &digest, Account *account);

    // `path` is the database file (":memory:" for a private in-memory one).
    explicit AccountStore(const QString &path, int iterations = DefaultIterations);
    ~AccountStore();
    AccountStore(const AccountStore &) = delete;
    AccountStore &operator=(const AccountStore &) = delete;

    bool open();
    QString errorText() const { return m_error; }

    // Logs in, creating the account on the first login of a name (the very
    // first account of the database becomes the sysop).
    Check login(const QByteArray &name, const QByteArray &password, Account *account);
    // Checks the password of an existing account; creates nothing.
    Check verify(const QByteArray &name, const QByteArray &password, Account *account);

    std::optional<Account> find(const QByteArray &name) const;
    bool setRank(const QByteArray &name, int rank);
    bool setIcon(const QByteArray &name, int icon);
    bool setEmail(const QByteArray &name, const QByteArray &email);
    bool setRating(const QByteArray &name, int rating);
    int count() const;

    // Names compare without regard to letter case.
    static QString keyOf(const QByteArray &name);
    // PBKDF2-HMAC-SHA256 of the password with the salt.
    static QByteArray digest(const QByteArray &password, const QByteArray &salt, int iterations);

private:
    Check checkPassword(const QByteArray &name, const QByteArray &password, Account *account,
                        bool create);
    QByteArray quickKey(const QString &key, const QByteArray &password) const;
    bool exec(const QString &sql);

    QString m_path;
    QString m_connection;
    QString m_error;
    int m_iterations;
    // Logins already checked in this run, so that the menu and room
    // connections that follow a lobby login need not derive the digest again.
    QByteArray m_pepper;
    QHash<QString, QByteArray> m_checked;
};
