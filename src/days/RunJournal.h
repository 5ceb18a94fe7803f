#pragma once
#include "DayPlan.h"

#include <QDateTime>
#include <QStringList>

namespace td {

// How a run over day files went.
struct DayRunResult {
    int changedDays = 0;                           // day files written or deleted
    int failedDays = 0;                            // days that could not be read, written, deleted or given their folder
    QString firstFailure;                          // the path of the first failure
    QString firstReason;                           // and why it failed
    IoStatus journalFailure = IoStatus::success(); // the journal could not be written: no day was touched
    bool busy = false;                             // because another run or undo holds it
    bool ok() const { return failedDays == 0 && journalFailure.ok; }
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
};

struct Journal {
    RunLabel label;
    QString dataFolder;
    QDateTime made; // UTC
    QList<JournalDay> days;
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
    // Writes the journal of a run about to apply plan (the days it changes),
    // synced before returning; then drops the oldest beyond kKeep.
    IoStatus write(const QString& dataFolder, const RunLabel& label, const DayPlan& plan, QString* path = nullptr);
    // Undone: the journal leaves the list.
    bool retire(const QString& path);
    // Refused: kept beside the list as "<file>.refused" for a look by hand.
    bool setAside(const QString& path);

    // The file format: a magic line, length-prefixed fields and day records,
    // then "END" and a SHA-256 of everything before it.
    static QByteArray encode(const Journal& journal);
    // Refuses a file cut short, damaged or edited; *problem says which.
    static std::optional<Journal> decode(const QByteArray& bytes, JournalProblem* problem);
    // *detail gets the system's reason when the file cannot be read.
    static std::optional<Journal> read(const QString& path, JournalProblem* problem, QString* detail = nullptr);
    static QByteArray digest(const QByteArray& bytes);

private:
    QString folder_;
};

// Held while a run or an undo writes day files and its journal: one at a time,
// whichever copy of the tool, whatever its runtime folder. An exclusive flock on a
// file in the journal folder, released by the system when its holder dies.
class JournalLock {
public:
    explicit JournalLock(const QString& journalFolder);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    bool held() const { return fd_ >= 0; }
    // Why it is not held: who holds it, or the system's reason.
    const IoStatus& status() const { return status_; }

private:
    int fd_ = -1;
    IoStatus status_ = IoStatus::success();
};

// Applies a plan: the journal first (when one is given) and synced once, then
// every day that changes, replaced atomically without a sync each, then one
// flush. A journal that cannot be written stops the run before any day file
// is touched. progress gets the index of each plan day once it is done.
DayRunResult executePlan(IFileSystem& fs, const QString& dataFolder, const DayPlan& plan, RunJournal* journal,
                         const RunLabel& label, const std::function<void(int)>& progress = {});

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
    RunLabel label;
    int restoredDays = 0;
    QStringList changedSince; // day files changed since the run: left alone
    int failedDays = 0;
    QString firstFailure;
};

// Undoes the newest run of the journal: every day file it touched back to its
// bytes before (atomic writes, one flush), unless the file changed since the
// run. A journal that is damaged or made for another data folder is refused
// and set aside; no day file is touched.
UndoResult undoLast(IFileSystem& fs, RunJournal& journal, const QString& dataFolder);

} // namespace td
