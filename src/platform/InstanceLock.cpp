#include "InstanceLock.h"

#include "Paths.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

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
    // Only a lock held by a live copy keeps this one from starting. A lock that
    // cannot be made at all (a folder in its place, a read-only runtime folder)
    // says nothing about other copies: start anyway.
    if (lock_->error() != QLockFile::LockFailedError)
        return true;
    // A lock whose owner process has gone is stale: take it over.
    if (lock_->removeStaleLockFile() && lock_->tryLock(0))
        return true;
    qint64 pid = 0;
    QString host, application;
    if (!lock_->getLockInfo(&pid, &host, &application) || pid <= 0)
        return true; // no copy named in it
    return !(::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString QtInstanceLock::defaultPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return joinPath(dir, QStringLiteral("tunedesk.lock"));
}

} // namespace td
