#include "Keyring.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace td::sync {

namespace {

const QString kService = QStringLiteral("Tunedesk");

IKeyring::Status waitFor(QKeychain::Job& job, QString& error)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    switch (job.error()) {
    case QKeychain::NoError: return IKeyring::Status::Ok;
    case QKeychain::EntryNotFound: return IKeyring::Status::Missing;
    default: break;
    }
    error = job.errorString();
    return IKeyring::Status::Unavailable;
}

} // namespace

QString keyringAccount(const QString& user, const QString& url)
{
    return user + QLatin1Char('@') + url;
}

IKeyring::Status SystemKeyring::read(const QString& account, QString& password, QString& error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(account);
    const Status status = waitFor(job, error);
    if (status == Status::Ok)
        password = job.textData();
    return status;
}

IKeyring::Status SystemKeyring::write(const QString& account, const QString& password, QString& error)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(account);
    job.setTextData(password);
    return waitFor(job, error);
}

} // namespace td::sync
