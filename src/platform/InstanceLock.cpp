#include "InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace td {

QtInstanceLock::QtInstanceLock(const QString& lockPath) : lock_(std::make_unique<QLockFile>(lockPath))
{
    // Never expire a live holder's lock by age; a dead holder's lock is removed by pid check.
    lock_->setStaleLockTime(0);
}

QtInstanceLock::~QtInstanceLock() = default;

bool QtInstanceLock::tryAcquire()
{
    if (lock_->tryLock(0))
        return true;
    // A lock whose owner process has gone is stale: take it over.
    if (lock_->error() == QLockFile::LockFailedError && lock_->removeStaleLockFile())
        return lock_->tryLock(0);
    return false;
}

QString QtInstanceLock::defaultPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1String("/tunedesk.lock");
}

} // namespace td
