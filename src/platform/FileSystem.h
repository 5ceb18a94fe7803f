#pragma once
#include "IoStatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>

namespace td {

// How a whole-file write reaches the disk.
enum class Durability {
    Synced,   // forced to disk before the rename: settings files written at OK
    Deferred, // renamed without a per-file sync; the caller flushes once at the end of a run
};

// What a read saw of the file it read, to tell later, without reading it again,
// that the path still holds that file unchanged.
struct FileStamp {
    bool known = false;   // false: the file system tells nothing of the file
    bool plain = false;   // no symbolic link stood on the path: the file read, or nothing at all
    bool settled = false; // last changed well before the read, so any later change shows in the stamp
    quint64 device = 0, inode = 0;
    qint64 size = 0, modifiedNs = 0, changedNs = 0;
    uint mode = 0;  // the permission bits
    uint group = 0; // and the group
    uint owner = 0;
    bool ownerWrites = false; // its mode lets the owner write it, and it is not immutable
    bool writable = false;    // a plan's check found that the user may replace or delete it
};

// A file written piece by piece that appears under its name only when committed:
// a reader never sees part of it. Dropped uncommitted, it leaves nothing.
class AtomicFile {
public:
    virtual ~AtomicFile() = default;
    // After a failure nothing more is written, and commit fails too.
    virtual IoStatus append(QByteArrayView bytes) = 0;
    // Puts the file in place; Synced forces the file and its name to disk first.
    virtual IoStatus commit(Durability durability) = 0;
};

// The file operations of the tool. Every write replaces the file atomically:
// a reader sees the old file or the new one, never half of one. Only regular
// files are read, and only regular files the user may write are replaced or deleted.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // True for an existing regular file on exactly this path (hidden files count as absent).
    virtual bool fileExists(const QString& path) const = 0;
    virtual bool dirExists(const QString& path) const = 0;
    // Refuses a file over 64 MiB; a failure marks a path with nothing on it as missing.
    virtual IoStatus readAll(const QString& path, QByteArray& bytes) const = 0;
    // readAll, telling what it saw of the file (stamp.known false where it cannot).
    virtual IoStatus readStamped(const QString& path, QByteArray& bytes, FileStamp& stamp) const
    {
        stamp = {};
        return readAll(path, bytes);
    }
    // True when path holds, unchanged, the file a settled stamp was taken of;
    // false when it does not or cannot be told (then read it again).
    virtual bool unchangedSince(const QString& path, const FileStamp& stamp) const
    {
        Q_UNUSED(path);
        Q_UNUSED(stamp);
        return false;
    }
    virtual IoStatus writeAtomic(const QString& path, const QByteArray& bytes, Durability durability) = 0;
    // A Deferred write of a day file its plan found free: done only while nothing
    // stands on the path. Where something does, or that cannot be told, *changed
    // is set and nothing is done: the caller reads the path again.
    virtual IoStatus writeIfAbsent(const QString& path, const QByteArray& bytes, bool* changed)
    {
        Q_UNUSED(path);
        Q_UNUSED(bytes);
        *changed = true;
        return IoStatus::success();
    }
    // Deletes the file a read saw, once the caller has told it unchanged since: its
    // write access is asked again only where the plan's check did not find it.
    virtual IoStatus removeSeen(const QString& path, const FileStamp& seen)
    {
        Q_UNUSED(seen);
        return remove(path);
    }
    // A file of our own too large to hold in memory (a run's journal), its owner's
    // alone. Here: gathered in memory and written whole at commit.
    virtual std::unique_ptr<AtomicFile> beginAtomic(const QString& path);
    virtual IoStatus remove(const QString& path) = 0;
    // Creates the last folder level only; an existing folder is success.
    virtual IoStatus makeDir(const QString& path) = 0;
    // Removes an empty folder; a folder with anything in it stays and is a failure.
    virtual IoStatus removeDir(const QString& path) = 0;
    // Gives a file of our own another name in the same folder, replacing what is there.
    virtual IoStatus rename(const QString& from, const QString& to) = 0;
    // Flushes the file system that holds path (after a run of Deferred writes).
    virtual IoStatus flush(const QString& path) = 0;
    // Whether writeAtomic or remove would be let to replace what is on path (its
    // folder too, when that exists): asked before a run, so a preview tells the truth.
    virtual IoStatus mayWrite(const QString& path) const
    {
        Q_UNUSED(path);
        return IoStatus::success();
    }
    // mayWrite in two halves, for a run over many days of one folder that asks
    // each folder once: what is on the path itself, and the folder (a missing
    // folder is no failure, and sets *missing).
    // seen, when given, is what a read of the path just saw of it.
    virtual IoStatus mayWriteFile(const QString& path, const FileStamp* seen = nullptr) const
    {
        Q_UNUSED(path);
        Q_UNUSED(seen);
        return IoStatus::success();
    }
    virtual IoStatus mayWriteIn(const QString& folder, bool* missing) const
    {
        Q_UNUSED(folder);
        *missing = false;
        return IoStatus::success();
    }
    // See HeldFolders.
    virtual void holdFolders(bool on) const { Q_UNUSED(on); }
};

// A run's calls go month folder by month folder. While this lives, the file system
// may keep the folder of the last call open and name each day file in it (its
// read, stamp, claim and delete) relative to it: the kernel then walks one name
// instead of the whole path. Nests.
class HeldFolders {
public:
    explicit HeldFolders(const IFileSystem& fs) : fs_(fs) { fs_.holdFolders(true); }
    ~HeldFolders() { fs_.holdFolders(false); }
    HeldFolders(const HeldFolders&) = delete;
    HeldFolders& operator=(const HeldFolders&) = delete;

private:
    const IFileSystem& fs_;
};

class QtFileSystem : public IFileSystem {
public:
    QtFileSystem() = default;
    ~QtFileSystem() override;
    QtFileSystem(const QtFileSystem&) = delete;
    QtFileSystem& operator=(const QtFileSystem&) = delete;
    bool fileExists(const QString& path) const override;
    bool dirExists(const QString& path) const override;
    IoStatus readAll(const QString& path, QByteArray& bytes) const override;
    IoStatus readStamped(const QString& path, QByteArray& bytes, FileStamp& stamp) const override;
    bool unchangedSince(const QString& path, const FileStamp& stamp) const override;
    IoStatus writeAtomic(const QString& path, const QByteArray& bytes, Durability durability) override;
    IoStatus writeIfAbsent(const QString& path, const QByteArray& bytes, bool* changed) override;
    IoStatus removeSeen(const QString& path, const FileStamp& seen) override;
    // Streamed into "." + name + ".tmp" beside it (what a killed write leaves), renamed at commit.
    std::unique_ptr<AtomicFile> beginAtomic(const QString& path) override;
    IoStatus remove(const QString& path) override;
    IoStatus makeDir(const QString& path) override;
    IoStatus removeDir(const QString& path) override;
    IoStatus rename(const QString& from, const QString& to) override;
    IoStatus flush(const QString& path) override;
    IoStatus mayWrite(const QString& path) const override;
    IoStatus mayWriteFile(const QString& path, const FileStamp* seen = nullptr) const override;
    IoStatus mayWriteIn(const QString& folder, bool* missing) const override;
    void holdFolders(bool on) const override;

private:
    // The folder of a path held open and the path's name in it, while folders are
    // held; the working folder and the whole path otherwise.
    std::pair<int, const char*> at(const QByteArray& native) const;
    void letGo(const QString& folder = {}) const;

    bool noReplaceUnsupported_ = false; // the file system refused a rename that keeps what is there
    mutable int holding_ = 0;
    static constexpr int kHoldAfterCalls = 6;
    mutable QByteArray heldFolder_; // the folder of the last call while holding
    mutable int heldCalls_ = 0;     // calls in a row into it
    mutable int heldFd_ = -1;       // -1: not open (yet, or not there): whole paths then
};

// Creates path and the folders above it that are missing, one level at a time.
IoStatus makePath(IFileSystem& fs, const QString& path);

// Text lines as Daybrook's files have them: a line ends at CR or CR LF; a lone LF
// stays inside the line. A final line end does not start another (empty) line.
QList<QByteArray> splitCrLines(const QByteArray& bytes);

} // namespace td
