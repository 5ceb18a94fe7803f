#pragma once
#include <QString>

namespace td::sync {

// Where the sync password lives: the desktop's keyring, never a settings file.
class IKeyring {
public:
    enum class Status {
        Ok,
        Missing,     // no password kept for the account
        Unavailable, // no keyring to ask (no Secret Service), or it refused
    };
    virtual ~IKeyring() = default;
    // error gets the keyring's own words when the status is not Ok.
    virtual Status read(const QString& account, QString& password, QString& error) = 0;
    virtual Status write(const QString& account, const QString& password, QString& error) = 0;
};

// The Secret Service through QtKeychain, service "Tunedesk". Its jobs are
// asynchronous: each call waits in a local event loop, so the headless command
// and the window use it alike. QtKeychain's plain-file fallback stays off.
class SystemKeyring : public IKeyring {
public:
    Status read(const QString& account, QString& password, QString& error) override;
    Status write(const QString& account, const QString& password, QString& error) override;
};

// The keyring entry of an account: one password per user and server.
QString keyringAccount(const QString& user, const QString& url);

} // namespace td::sync
