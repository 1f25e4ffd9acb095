#pragma once

// Where "Remember Password" keeps the password: the desktop's keyring (the
// Secret Service, through QtKeychain) when the build has it and one
// answers. The caller keeps the password in its owner-only settings file
// when the vault answers NoKeyring. Answers come later, on the event loop.

#include <QString>

#include <functional>

class PasswordVault
{
public:
    enum class Answer { Done, NotFound, NoKeyring };
    using ReadDone = std::function<void(Answer answer, const QString &password)>;
    using WriteDone = std::function<void(Answer answer)>;

    virtual ~PasswordVault() = default;

    virtual void read(const QString &account, ReadDone done) = 0;
    virtual void write(const QString &account, const QString &password, WriteDone done) = 0;
};

// A vault that never answers but NoKeyring (at once): builds without
// QtKeychain, and every test program unless it installs a vault of its own.
class NoKeyring : public PasswordVault
{
public:
    void read(const QString &, ReadDone done) override { done(Answer::NoKeyring, QString()); }
    void write(const QString &, const QString &, WriteDone done) override
    {
        done(Answer::NoKeyring);
    }
};

// The desktop's keyring under the service name "Vantora".
class DesktopKeyring : public PasswordVault
{
public:
    // False in builds without QtKeychain.
    static bool built();
    void read(const QString &account, ReadDone done) override;
    void write(const QString &account, const QString &password, WriteDone done) override;
};
