#pragma once
#include "DayPlan.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

namespace td {

// How a run over day files went.
struct DayRunResult {
    int changedDays = 0;                           // day files written or deleted
    int unchangedDays = 0;                         // days the run leaves as they are
    int failedDays = 0;                            // days that could not be read, written, deleted or given their folder
    QString firstFailure;                          // the path of the first failure
    QString firstReason;                           // and why it failed
    IoStatus journalFailure = IoStatus::success(); // the journal could not be written: no day was touched
    bool busy = false;                             // because another run or undo holds it
    QStringList replanned;                         // changed on disk after the plan was made: planned again from what was there
    QStringList leftAlone;                         // changed on disk while the run went on: not written
    int doneDays = 0;                              // days of the plan gone through
    int totalDays = 0;                             // days of the plan
    bool cancelled = false;
    bool ok() const { return failedDays == 0 && journalFailure.ok && leftAlone.isEmpty(); }
};

// What a run was, as its journal and the Undo button name it.
struct RunLabel {
    QString kind;      // "regular-register", "regular-remove", "dday-register", "dday-remove", ...
    QDate first, last; // the range
    QString entry;     // the entry as the page shows it
};

// One day of a journal: the bytes before the run and a digest of the bytes after.
struct JournalDay {
    QDate date;
    std::optional<QByteArray> before;      // nullopt: there was no file
    std::optional<QByteArray> afterDigest; // SHA-256 of the bytes after; nullopt: no file after
    bool companion = false;                // the day's companion "_D" file, not its day file
    std::optional<uint> mode;              // the file's permission bits before, where it had a file
    uint group = 0;                        // and its group
};

// What a journal's header tells of its run, read without its days.
struct Journal {
    RunLabel label;
    QString dataFolder;
    QDateTime made; // UTC
    qint64 dayCount = 0;
    QStringList createdFolders; // month folders ("2004_3") the run found missing: Undo removes them when left empty
};

// Why a journal is not applied.
enum class JournalProblem {
    None,
    Unreadable,
    NotAJournal,
    CutShort,
    Damaged,
    OtherDataFolder,
};

// The journals of the last runs, one file per run, in a folder of their own
// (never the data folder). A journal is complete and synced before the run
// touches its first day file, so a killed run leaves one that undoes it.
class RunJournal {
public:
    static constexpr int kKeep = 10;

    explicit RunJournal(QString folder) : folder_(std::move(folder)) {}
    // $XDG_STATE_HOME/tunedesk/journal, else ~/.local/state/tunedesk/journal.
    static QString defaultFolder();
    const QString& folder() const { return folder_; }

    // The journal files, newest first.
    QStringList files() const;
    // The newest journal Undo acts on for this data folder: the newest made for
    // it, or a newer one whose folder cannot be told (to be refused). Journals of
    // other data folders are passed over and kept for them. Empty when none.
    QString newestFor(const QString& dataFolder) const;
    // The data folder a journal names in its first bytes, unchecked; nullopt
    // when it cannot be told.
    static std::optional<QString> folderOf(const QString& path);
    // Writes the journal of a run about to apply plan (the days it changes),
    // synced before returning; then drops the oldest beyond kKeep of that data folder.
    IoStatus write(IFileSystem& fs, const QString& dataFolder, const RunLabel& label, const DayPlan& plan,
                   QString* path = nullptr);
    // Undone: the journal leaves the list. A journal that cannot be removed is
    // passed over by newestFor for the rest of the session.
    IoStatus retire(IFileSystem& fs, const QString& path);
    // Refused: kept beside the list as "<file>.refused" for a look by hand; when
    // the rename fails it is passed over for the rest of the session all the same.
    IoStatus setAside(IFileSystem& fs, const QString& path);

    // The file format: a magic line, a header (length, fields, its own SHA-256),
    // one record a day with the bytes before streamed in, then "END" and a
    // SHA-256 of everything before it. The header alone, checked by its digest,
    // without reading the days; *detail gets the system's reason when the file
    // cannot be read. A journal of the first format (no header of its own) is
    // told by its first bytes, unchecked.
    static std::optional<Journal> readHeader(const QString& path, JournalProblem* problem, QString* detail = nullptr);
    static QByteArray digest(const QByteArray& bytes);
    // The envelope every journal of ours shares: magic line, body, "END" and a
    // SHA-256 of what comes before it. The body, or nullopt with *problem set.
    static std::optional<QByteArray> openEnvelope(const QByteArray& bytes, const QByteArray& magic, JournalProblem* problem);
    static QByteArray sealEnvelope(const QByteArray& magic, const QByteArray& body);

private:
    QString folder_;
};

// Reads a journal for Undo: open() checks the whole file first (its digest
// computed while streaming through it, every record's shape), then next() gives
// one day at a time, so no more than one day's bytes are held.
class JournalReader {
public:
    explicit JournalReader(QString path) : path_(std::move(path)) {}
    bool open(JournalProblem* problem, QString* detail = nullptr);
    const Journal& journal() const { return journal_; }
    // The next day in the order of the run; false after the last (or when the
    // file changed under us since open(), then *problem is set).
    bool next(JournalDay& day, JournalProblem* problem = nullptr);

private:
    QString path_;
    QFile file_;
    Journal journal_;
    qint64 daysStart_ = 0, daysEnd_ = 0, left_ = 0;
    std::optional<QList<JournalDay>> firstFormat_; // a journal of the first format, read whole
    qsizetype firstFormatAt_ = 0;
};

// Held while a run or an undo writes day files and its journal: one at a time,
// whichever copy of the tool, whatever its runtime folder. An exclusive flock on a
// file in the journal folder, released by the system when its holder dies. Within
// one process a second holder of the same folder shares the lock (a sync holds it
// over its whole work, and its day files go through a run that takes it again).
class JournalLock {
public:
    explicit JournalLock(const QString& journalFolder);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    bool held() const { return fd_ >= 0; }
    // Not held because another run or undo has it (not because of the file system).
    bool inUse() const { return inUse_; }
    // Why it is not held: who holds it, or the system's reason.
    const IoStatus& status() const { return status_; }

private:
    int fd_ = -1;
    bool inUse_ = false;
    QString folder_;
    IoStatus status_ = IoStatus::success();
};

// Applies a plan: the journal first (when one is given) and synced once, then
// every day that changes, replaced atomically without a sync each, then one
// flush. A journal that cannot be written stops the run before any day file
// is touched. progress gets the index of each plan day once it is done; when
// stop then says so, the run ends after that day, journaled as a whole run.
// Each day is read again first: one that changed since the plan read it is
// planned again from what is there (and journaled so); one that changes while
// the run goes on is not written, and named.
DayRunResult executePlan(IFileSystem& fs, const QString& dataFolder, const DayPlan& plan, RunJournal* journal,
                         const RunLabel& label, const std::function<void(int)>& progress = {},
                         const std::function<bool()>& stop = {});

struct UndoResult {
    enum class Status {
        Done,
        NothingToUndo,
        Refused,
        Busy, // another run or undo holds the journal: nothing was touched
    };
    Status status = Status::NothingToUndo;
    QString journalPath;
    IoStatus busy = IoStatus::success();           // who holds the journal, with Busy
    JournalProblem problem = JournalProblem::None; // why the journal was refused
    QString detail;                                // the system's reason, or the journal's data folder
    IoStatus setAside = IoStatus::success();       // with Refused: how renaming it to ".refused" went
    RunLabel label;
    int restoredDays = 0;                   // day files put back as they were
    QStringList changedSince;               // day files changed since the run: left alone
    QList<IoStatus> unreadable;             // day files that cannot be read now, so not known to be as the run left them: left alone
    QList<IoStatus> failed;                 // day files that could not be put back (a full disk, say): Undo can try again
    QStringList removedFolders;             // month folders the run created, left empty, removed
    bool journalKept = false;               // kept for another try, because of the failed ones
    IoStatus retired = IoStatus::success(); // how removing the undone journal went
    // Day files of the run not as they were before it.
    qsizetype notBack() const { return changedSince.size() + unreadable.size() + failed.size(); }
};

// Undoes the newest run of this data folder: every day file it touched back to
// its bytes before (atomic writes, one flush), unless the file changed since the
// run or cannot be read (then it is named and left). The journal is retired
// unless a day could not be written back (a full disk): then it stays, so Undo
// can try again. A journal that is damaged is refused and set aside; no day
// file is touched. Journals of other data folders are left for them.
UndoResult undoLast(IFileSystem& fs, RunJournal& journal, const QString& dataFolder);

} // namespace td
