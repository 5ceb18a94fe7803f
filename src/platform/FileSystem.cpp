#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace td {

bool QtFileSystem::fileExists(const QString& path) const
{
    // One stat call: this runs for every day of a ten-year range.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.mid(slash + 1).front() != QLatin1Char('.');   // hidden files count as absent
}

bool QtFileSystem::dirExists(const QString& path) const
{
    return QFileInfo(path).isDir();
}

IoStatus QtFileSystem::readAll(const QString& path, QByteArray& bytes) const
{
    auto failed = [&path](int err) { return IoStatus::failure(path, QString::fromLocal8Bit(strerror(err))); };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return failed(err);
    }
    QByteArray data;
    data.resize(qsizetype(st.st_size));
    qsizetype got = 0;
    for (;;) {
        if (got == data.size())
            data.resize(data.size() + 4096);   // the file grew, or reports no size
        const ssize_t n = ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return failed(err);
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    data.truncate(got);
    bytes = std::move(data);
    return IoStatus::success();
}

IoStatus QtFileSystem::writeAtomic(const QString& path, const QByteArray& bytes, Durability durability)
{
    if (durability == Durability::Synced) {
        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return IoStatus::failure(path, f.errorString());
        if (f.write(bytes) != bytes.size()) {
            const QString why = f.errorString();
            f.cancelWriting();
            return IoStatus::failure(path, why);
        }
        if (!f.commit())
            return IoStatus::failure(path, f.errorString());
        return IoStatus::success();
    }

    // Same folder, so the rename is atomic; no fsync per file.
    const QFileInfo target(path);
    QTemporaryFile tmp(target.absolutePath() + QLatin1String("/.") + target.fileName() + QLatin1String(".XXXXXX"));
    if (!tmp.open())
        return IoStatus::failure(path, tmp.errorString());
    if (tmp.write(bytes) != bytes.size() || !tmp.flush())
        return IoStatus::failure(path, tmp.errorString());
    // Keep the permissions of the file we replace, as QSaveFile does.
    if (target.exists())
        tmp.setPermissions(QFile(path).permissions());
    else
        tmp.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    tmp.close();
    if (::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return IoStatus::failure(path, QString::fromLocal8Bit(strerror(errno)));
    tmp.setAutoRemove(false);
    return IoStatus::success();
}

IoStatus QtFileSystem::remove(const QString& path)
{
    QFile f(path);
    if (!f.remove())
        return IoStatus::failure(path, f.errorString());
    return IoStatus::success();
}

IoStatus QtFileSystem::makeDir(const QString& path)
{
    if (QFileInfo(path).isDir())
        return IoStatus::success();
    QDir d;
    if (!d.mkdir(path))
        return IoStatus::failure(path, QStringLiteral("cannot create the folder"));
    return IoStatus::success();
}

IoStatus QtFileSystem::flush(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return IoStatus::failure(path, QString::fromLocal8Bit(strerror(errno)));
    const int rc = ::syncfs(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        return IoStatus::failure(path, QString::fromLocal8Bit(strerror(err)));
    return IoStatus::success();
}

QList<QByteArray> splitCrLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] == '\r') {
            lines.append(bytes.mid(start, i - start));
            if (i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

} // namespace td
