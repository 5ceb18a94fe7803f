#include "FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace td {

QtFileSystem::~QtFileSystem() { letGo(); }

void QtFileSystem::holdFolders(bool on) const
{
    holding_ += on ? 1 : -1;
    if (holding_ == 0)
        letGo();
}

void QtFileSystem::letGo(const QString& folder) const
{
    if (!folder.isEmpty() && QFile::encodeName(folder) != heldFolder_)
        return;
    if (heldFd_ >= 0)
        ::close(heldFd_);
    heldFd_ = -1;
    heldCalls_ = 0;
    heldFolder_.clear();
}

std::pair<int, const char*> QtFileSystem::at(const QByteArray& native) const
{
    const qsizetype slash = native.lastIndexOf('/');
    if (holding_ == 0 || slash <= 0)
        return {AT_FDCWD, native.constData()};
    const QByteArrayView folder(native.constData(), slash);
    if (folder != heldFolder_) {
        letGo();
        heldFolder_ = folder.toByteArray();
    }
    // Opening and closing the folder costs two calls: it pays from a handful of
    // calls in a row into it (a month of days, not a Sunday or four).
    if (heldFd_ < 0 && ++heldCalls_ == kHoldAfterCalls)
        heldFd_ = ::open(heldFolder_.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (heldFd_ < 0)
        return {AT_FDCWD, native.constData()};
    return {heldFd_, native.constData() + slash + 1};
}

bool QtFileSystem::fileExists(const QString& path) const
{
    // One stat call: this runs for every day of a ten-year range.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return path.mid(slash + 1).front() != QLatin1Char('.'); // hidden files count as absent
}

bool QtFileSystem::dirExists(const QString& path) const
{
    return QFileInfo(path).isDir();
}

namespace {

// No file the tool reads comes near this; a larger one is refused, never allocated.
constexpr qint64 kMaxReadBytes = qint64(64) * 1024 * 1024;

QString systemReason(int err) { return QString::fromLocal8Bit(strerror(err)); }
QString notRegular() { return QStringLiteral("not a regular file"); }
QString tooLarge() { return QStringLiteral("larger than 64 MiB"); }
QString symbolicLink() { return QStringLiteral("a symbolic link, left alone"); }

enum class Links {
    Follow, // settings files: the save writes the link's target
    Refuse, // day files: a rename would put a regular file in the link's place
};

// What is on the path now: false when nothing is there. A target that is not a
// regular file, or one the user may not write, is never replaced or deleted.
IoStatus mayReplace(const QString& path, bool* exists, struct stat* st, Links links)
{
    const QByteArray native = QFile::encodeName(path);
    *exists = (links == Links::Follow ? ::stat(native.constData(), st) : ::lstat(native.constData(), st)) == 0;
    if (!*exists) // a dangling link is still a link
        *exists = links == Links::Follow && ::lstat(native.constData(), st) == 0;
    if (!*exists)
        return IoStatus::success();
    if (S_ISLNK(st->st_mode))
        return IoStatus::failure(path, symbolicLink());
    if (!S_ISREG(st->st_mode))
        return IoStatus::failure(path, notRegular());
    if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
        return IoStatus::failure(path, systemReason(errno));
    return IoStatus::success();
}

// Writes every byte straight to the file, past Qt's buffer: a short write is
// retried, so a failure carries the system's reason (a full disk, a size limit).
IoStatus writeWhole(int fd, QByteArrayView bytes, const QString& path)
{
    const char* p = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return IoStatus::failure(path, systemReason(n < 0 ? errno : EIO));
        p += n;
        left -= size_t(n);
    }
    return IoStatus::success();
}

constexpr const char* kAclXattr = "system.posix_acl_access";

// A rewrite hands the new file the old one's group, owner (where the user may give
// it), access ACL and mode, so others sharing the folder keep their access.
IoStatus keepAccess(int fd, const struct stat& old, const QString& path)
{
    struct stat now;
    if (::fstat(fd, &now) != 0)
        return IoStatus::failure(path, systemReason(errno));
    if (now.st_dev == old.st_dev && now.st_ino == old.st_ino)
        return IoStatus::success(); // rewritten in place: the file keeps all it had
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0
        && ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
        // Only matters where the group is granted more than everyone else.
        const mode_t groupOnly = (old.st_mode >> 3) & 07 & ~(old.st_mode & 07);
        if (groupOnly != 0)
            return IoStatus::failure(path, QStringLiteral("cannot keep the file's group"));
    }
    const QByteArray native = QFile::encodeName(path);
    const ssize_t size = ::getxattr(native.constData(), kAclXattr, nullptr, 0);
    if (size < 0 && errno != ENODATA && errno != ENOTSUP)
        return IoStatus::failure(path, systemReason(errno));
    if (size > 0) {
        QByteArray acl(size, '\0');
        const ssize_t n = ::getxattr(native.constData(), kAclXattr, acl.data(), size_t(size));
        if (n < 0 || ::fsetxattr(fd, kAclXattr, acl.constData(), size_t(n), 0) != 0)
            return IoStatus::failure(path, systemReason(errno));
    }
    // After the ACL, whose mask entry the group bits mirror.
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return IoStatus::failure(path, systemReason(errno));
    return IoStatus::success();
}

// Six letters or digits, as a temporary file's name ends.
QByteArray randomLetters()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    quint64 bits = QRandomGenerator::global()->generate64();
    QByteArray out(6, Qt::Uninitialized);
    for (char& c : out) {
        c = letters[bits % 62];
        bits /= 62;
    }
    return out;
}

// Opens a new temporary file beside the file of native path (in folder dir), named
// "." + name + "." + six letters: a name no other file has (O_EXCL). -1 sets err.
int openBeside(int dir, const QByteArrayView native, mode_t mode, QByteArray& tmp, int& err)
{
    const qsizetype slash = native.lastIndexOf('/');
    tmp.clear();
    tmp.append(native.constData(), slash + 1).append('.').append(native.constData() + slash + 1, native.size() - slash - 1).append('.');
    const qsizetype stem = tmp.size();
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp.truncate(stem);
        tmp.append(randomLetters());
        const int fd = ::openat(dir, tmp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            err = errno;
            return fd;
        }
    }
    err = EEXIST;
    return -1;
}

} // namespace

IoStatus QtFileSystem::readAll(const QString& path, QByteArray& bytes) const
{
    FileStamp stamp;
    return QtFileSystem::readStamped(path, bytes, stamp);
}

namespace {

qint64 nanoseconds(const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

// Whether a file last changed at changedNs had settled when it was read: a later
// change stamps a time past the file system's granularity from then, so it cannot
// leave the stamp as it was. Times to the nanosecond tell a fine-grained file
// system (a coarse clock's tick at most); whole seconds may be a FAT stick's two.
bool settledAt(qint64 modifiedNs, qint64 changedNs)
{
    struct timespec now;
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    const qint64 margin = changedNs % 1000000000 != 0 ? qint64(50) * 1000000 : qint64(3) * 1000000000;
    return changedNs < nanoseconds(now) - margin && modifiedNs < nanoseconds(now) - margin;
}

qint64 nanoseconds(const struct statx_timestamp& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

} // namespace

IoStatus QtFileSystem::readStamped(const QString& path, QByteArray& bytes, FileStamp& stamp) const
{
    stamp = {};
    auto failed = [&path](int err) { return IoStatus::failure(path, systemReason(err)); };
    // Non-blocking, so a FIFO in place of a file cannot hang the open. Not through
    // a link at first, so the read tells whether one stands on the path; a link is
    // then read as before, through to what it points at.
    const QByteArray native = QFile::encodeName(path);
    const auto [dir, name] = at(native);
    int fd = ::openat(dir, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    const bool plain = fd >= 0 || errno != ELOOP;
    if (!plain)
        fd = ::openat(dir, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        stamp.plain = plain && err == ENOENT;
        return err == ENOENT || err == ENOTDIR ? IoStatus::absent(path, systemReason(err)) : failed(err);
    }
    // statx rather than fstat: it also tells whether the file is immutable, so a
    // file the user owns and may write needs no access check of its own.
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return failed(err);
    }
    if (!S_ISREG(st.stx_mode) || qint64(st.stx_size) > kMaxReadBytes) {
        ::close(fd);
        return IoStatus::failure(path, S_ISREG(st.stx_mode) ? tooLarge() : notRegular());
    }
    const qint64 modifiedNs = nanoseconds(st.stx_mtime), changedNs = nanoseconds(st.stx_ctime);
    // Taken before the bytes are read: a change while they are read stamps the file anew.
    const bool settled = settledAt(modifiedNs, changedNs);
    QByteArray data(qsizetype(st.stx_size), Qt::Uninitialized);
    const bool sized = st.stx_size > 0;
    qsizetype got = 0;
    char probe[4096];
    for (;;) {
        // The size the file had is all there is to read: whatever grew since leaves
        // the file with another size than its stamp, so a run reads it again before
        // it writes. Past that size (a file that reports none) the read goes to a
        // small buffer first.
        const bool full = got == data.size();
        if (full && sized)
            break;
        if (full && got >= kMaxReadBytes) { // the file grew past the bound while we read
            ::close(fd);
            return IoStatus::failure(path, tooLarge());
        }
        const ssize_t n = full ? ::read(fd, probe, sizeof probe) : ::read(fd, data.data() + got, size_t(data.size() - got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return failed(err);
        }
        if (n == 0)
            break;
        if (full) // the file reports no size
            data.append(probe, n);
        got += n;
    }
    ::close(fd);
    data.truncate(got);
    bytes = std::move(data);
    stamp.known = true;
    stamp.plain = plain;
    stamp.settled = settled;
    stamp.device = makedev(st.stx_dev_major, st.stx_dev_minor);
    stamp.inode = st.stx_ino;
    stamp.size = qint64(st.stx_size);
    stamp.modifiedNs = modifiedNs;
    stamp.changedNs = changedNs;
    stamp.mode = st.stx_mode & 07777;
    stamp.group = st.stx_gid;
    stamp.owner = st.stx_uid;
    stamp.ownerWrites = (st.stx_mode & S_IWUSR) != 0 && (st.stx_attributes_mask & STATX_ATTR_IMMUTABLE) != 0
                        && (st.stx_attributes & STATX_ATTR_IMMUTABLE) == 0;
    return IoStatus::success();
}

bool QtFileSystem::unchangedSince(const QString& path, const FileStamp& stamp) const
{
    // The same inode, size and times: the bytes a settled read saw are still there.
    // A link in the file's place has an inode of its own, so it never matches.
    if (!stamp.known || !stamp.settled)
        return false;
    const QByteArray native = QFile::encodeName(path);
    const auto [dir, name] = at(native);
    struct stat st;
    return ::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0
           && S_ISREG(st.st_mode) && quint64(st.st_dev) == stamp.device && quint64(st.st_ino) == stamp.inode
           && st.st_size == stamp.size && nanoseconds(st.st_mtim) == stamp.modifiedNs
           && nanoseconds(st.st_ctim) == stamp.changedNs;
}

IoStatus QtFileSystem::writeAtomic(const QString& path, const QByteArray& bytes, Durability durability)
{
    bool exists = false;
    struct stat old;
    const Links links = durability == Durability::Synced ? Links::Follow : Links::Refuse;
    if (const IoStatus st = mayReplace(path, &exists, &old, links); !st)
        return st;

    if (durability == Durability::Synced) {
        QSaveFile f(path);
        // A folder that takes no temporary file still lets a writable file be rewritten in place.
        f.setDirectWriteFallback(true);
        if (!f.open(QIODevice::WriteOnly))
            return IoStatus::failure(path, f.errorString());
        // Qt 6.4 commits a small file whose buffered write failed (a full disk) as
        // empty and reports success: write past the buffer, check, and cancel on failure.
        IoStatus written = writeWhole(f.handle(), bytes, path);
        if (written && (!f.flush() || f.error() != QFileDevice::NoError))
            written = IoStatus::failure(path, f.errorString());
        if (written && exists)
            written = keepAccess(f.handle(), old, path);
        if (!written) {
            f.cancelWriting();
            return written;
        }
        if (!f.commit())
            return IoStatus::failure(path, f.errorString());
        return IoStatus::success();
    }

    // Same folder, so the rename is atomic; no fsync per file. A new file is made
    // as open(2) makes it (0666 less the umask); a rewrite keeps what the file had.
    const QByteArray native = QFile::encodeName(path);
    QByteArray tmp;
    int err = 0;
    const int fd = openBeside(AT_FDCWD, native, exists ? 0600 : 0666, tmp, err);
    if (fd < 0)
        return IoStatus::failure(path, systemReason(err));
    IoStatus st = writeWhole(fd, bytes, path);
    if (st && exists)
        st = keepAccess(fd, old, path);
    if (::close(fd) != 0 && st)
        st = IoStatus::failure(path, systemReason(errno));
    if (st && ::rename(tmp.constData(), native.constData()) != 0)
        st = IoStatus::failure(path, systemReason(errno));
    if (!st)
        ::unlink(tmp.constData());
    return st;
}

IoStatus QtFileSystem::writeIfAbsent(const QString& path, const QByteArray& bytes, bool* changed)
{
    *changed = false;
    if (noReplaceUnsupported_) {
        *changed = true;
        return IoStatus::success();
    }
    // Made as open(2) makes a new file (0666 less the umask), then given its name
    // only if nothing took the name since the plan found it free.
    const QByteArray native = QFile::encodeName(path);
    auto [dir, name] = at(native);
    QByteArray tmp;
    int err = 0;
    int fd = openBeside(dir, name, 0666, tmp, err);
    if (fd < 0 && err == ENOENT && dir != AT_FDCWD) { // the held folder went meanwhile: the path's own now
        letGo();
        dir = AT_FDCWD;
        name = native.constData();
        fd = openBeside(dir, name, 0666, tmp, err);
    }
    if (fd < 0)
        return IoStatus::failure(path, systemReason(err));
    IoStatus st = writeWhole(fd, bytes, path);
    if (::close(fd) != 0 && st)
        st = IoStatus::failure(path, systemReason(errno));
    if (st && ::renameat2(dir, tmp.constData(), dir, name, RENAME_NOREPLACE) != 0) {
        const int err = errno;
        if (err == EEXIST) {
            *changed = true;
        } else if (err == EINVAL || err == ENOSYS) { // a file system that only renames over
            noReplaceUnsupported_ = true;
            *changed = true;
        } else {
            st = IoStatus::failure(path, systemReason(err));
        }
    }
    if (!st || *changed)
        ::unlinkat(dir, tmp.constData(), 0);
    return st;
}

IoStatus QtFileSystem::removeSeen(const QString& path, const FileStamp& seen)
{
    // Unchanged since the read: a regular file, no link on the path, and the mode
    // and owner the plan's check saw.
    const QByteArray native = QFile::encodeName(path);
    const auto [dir, name] = at(native);
    if (!seen.writable && ::faccessat(dir, name, W_OK, AT_EACCESS) != 0)
        return IoStatus::failure(path, systemReason(errno));
    if (::unlinkat(dir, name, 0) != 0)
        return IoStatus::failure(path, systemReason(errno));
    return IoStatus::success();
}

namespace {

// What the seam gives a file system without streams of its own: the pieces kept,
// then one atomic write.
class GatheredFile : public AtomicFile {
public:
    GatheredFile(IFileSystem& fs, QString path) : fs_(fs), path_(std::move(path)) {}
    IoStatus append(QByteArrayView bytes) override
    {
        bytes_.append(bytes);
        return IoStatus::success();
    }
    IoStatus commit(Durability durability) override { return fs_.writeAtomic(path_, bytes_, durability); }

private:
    IFileSystem& fs_;
    QString path_;
    QByteArray bytes_;
};

class StreamedFile : public AtomicFile {
public:
    explicit StreamedFile(QString path) : path_(std::move(path))
    {
        const QFileInfo target(path_);
        tmp_ = QFile::encodeName(target.path() + QLatin1String("/.") + target.fileName() + QLatin1String(".tmp"));
        fd_ = ::open(tmp_.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd_ < 0)
            st_ = IoStatus::failure(path_, systemReason(errno));
    }
    ~StreamedFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(tmp_.constData());
    }
    IoStatus append(QByteArrayView bytes) override
    {
        if (st_.ok)
            st_ = writeWhole(fd_, bytes, path_);
        return st_;
    }
    IoStatus commit(Durability durability) override
    {
        if (st_.ok && durability == Durability::Synced && ::fsync(fd_) != 0)
            st_ = IoStatus::failure(path_, systemReason(errno));
        if (fd_ >= 0 && ::close(fd_) != 0 && st_.ok)
            st_ = IoStatus::failure(path_, systemReason(errno));
        fd_ = -1;
        if (st_.ok && ::rename(tmp_.constData(), QFile::encodeName(path_).constData()) != 0)
            st_ = IoStatus::failure(path_, systemReason(errno));
        if (!st_.ok)
            return st_;
        committed_ = true;
        // The name, too, survives a power cut.
        if (durability == Durability::Synced) {
            const QString folder = QFileInfo(path_).path();
            const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dir < 0 || ::fsync(dir) != 0)
                st_ = IoStatus::failure(folder, systemReason(errno));
            if (dir >= 0)
                ::close(dir);
        }
        return st_;
    }

private:
    QString path_;
    QByteArray tmp_;
    int fd_ = -1;
    bool committed_ = false;
    IoStatus st_ = IoStatus::success();
};

} // namespace

std::unique_ptr<AtomicFile> IFileSystem::beginAtomic(const QString& path)
{
    return std::make_unique<GatheredFile>(*this, path);
}

std::unique_ptr<AtomicFile> QtFileSystem::beginAtomic(const QString& path)
{
    return std::make_unique<StreamedFile>(path);
}

IoStatus QtFileSystem::remove(const QString& path)
{
    bool exists = false;
    struct stat old;
    if (const IoStatus st = mayReplace(path, &exists, &old, Links::Refuse); !st)
        return st;
    QFile f(path);
    if (!f.remove())
        return IoStatus::failure(path, f.errorString());
    return IoStatus::success();
}

IoStatus QtFileSystem::mayWrite(const QString& path) const
{
    if (const IoStatus st = mayWriteFile(path); !st)
        return st;
    bool missing = false;
    const IoStatus st = mayWriteIn(QFileInfo(path).path(), &missing);
    return st ? st : IoStatus::failure(path, st.reason);
}

IoStatus QtFileSystem::mayWriteFile(const QString& path, const FileStamp* seen) const
{
    // What a read just found on the path without a link needs no second look:
    // nothing there, or a regular file whose write access is all left to ask.
    if (seen && seen->plain && !seen->known)
        return IoStatus::success();
    if (seen && seen->plain) {
        if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) != 0)
            return IoStatus::failure(path, systemReason(errno));
        return IoStatus::success();
    }
    bool exists = false;
    struct stat old;
    return mayReplace(path, &exists, &old, Links::Refuse);
}

IoStatus QtFileSystem::mayWriteIn(const QString& folder, bool* missing) const
{
    // The new file is made beside the old one and renamed over it.
    *missing = false;
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) == 0)
        return IoStatus::success();
    if (errno == ENOENT) {
        *missing = true;
        return IoStatus::success();
    }
    return IoStatus::failure(folder, systemReason(errno));
}

IoStatus QtFileSystem::makeDir(const QString& path)
{
    letGo(path); // held as not there
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0 || (errno == EEXIST && QFileInfo(path).isDir()))
        return IoStatus::success();
    return IoStatus::failure(path, QStringLiteral("cannot create the folder"));
}

IoStatus QtFileSystem::removeDir(const QString& path)
{
    letGo(path);
    if (::rmdir(QFile::encodeName(path).constData()) != 0)
        return IoStatus::failure(path, systemReason(errno));
    return IoStatus::success();
}

IoStatus QtFileSystem::rename(const QString& from, const QString& to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return IoStatus::failure(to, systemReason(errno));
    return IoStatus::success();
}

IoStatus makePath(IFileSystem& fs, const QString& path)
{
    if (path.isEmpty())
        return IoStatus::failure(path, QStringLiteral("cannot create the folder"));
    if (fs.dirExists(path))
        return IoStatus::success();
    const QString parent = QFileInfo(path).path();
    if (parent != path)
        if (const IoStatus st = makePath(fs, parent); !st)
            return st;
    return fs.makeDir(path);
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
