#pragma once
#include "platform/FileSystem.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace td {

// What a run does to one day file, known before anything is written.
struct DayChange {
    QDate date;
    QString path;                     // the day file, or its companion
    std::optional<QByteArray> before; // bytes on disk before, nullopt = absent
    std::optional<QByteArray> after;  // bytes after, nullopt = deleted / stays absent
    bool companion = false;           // the companion "_D" file of the day (an import puts it back)
    QString failure = {};             // why the day cannot be read or written; empty when it can
    FileStamp seen = {};              // what the read of before saw of the file (mode and group for the journal)
    bool monthMissing = false;        // the plan found the day's month folder not there

    enum class Kind {
        New,
        Changed,
        Deleted,
        Unchanged,
        Failed,
    };
    Kind kind() const;
};

// The day text's operation: the text after, from the date and the text before
// ("" for a day without a file).
using DayOps = std::function<QString(const QDate&, const QString& dayText)>;
// How a day file's bytes become the text ops work on: the reading rule, or every
// line (a merge keeps empty leading lines).
enum class DayText {
    ReadingRule,
    AllLines,
};

struct DayPlan {
    QList<DayChange> days; // in the order of the dates given; failed days too
    int failedDays = 0;    // days that cannot be read, written, or whose text the code page cannot hold
    QString firstFailure;  // the path of the first of them
    QString firstReason;   // and why
    // The day operation the plan was made with: a day that changed on disk
    // since is planned again from what is there then.
    DayOps ops;
    DayText reading = DayText::ReadingRule;
    // Made a moment before the run, never shown: the run need not read every day
    // again before its journal (each day is still read right before it is written).
    bool fresh = false;

    // How many days of each kind.
    int count(DayChange::Kind kind) const;
};

// Computes what a run would do by the very text rules the run uses: reads each
// day file once, applies ops, and stores the result as the run would write it
// (CP949 + CR LF; a text of spaces only deletes the file). Writes nothing. A day
// that cannot be read, or that would change but may not be written, is counted
// as failed and kept in the plan as Failed.
DayPlan planDays(const IFileSystem& fs, const QString& dataFolder, const QList<QDate>& dates, const DayOps& ops,
                 DayText reading = DayText::ReadingRule);

// Whether day files may be written, each month folder asked once (a plan
// touches up to 31 days of each); what is on each day's path is asked each time.
class WriteCheck {
public:
    explicit WriteCheck(const IFileSystem& fs);
    WriteCheck(const WriteCheck&) = delete;
    WriteCheck& operator=(const WriteCheck&) = delete;
    // seen: what the plan's read of the path saw; marked writable when it is.
    IoStatus mayWrite(const QString& path, FileStamp& seen);
    // Whether the path's folder is not there: then no day in it has a file to read.
    bool folderMissing(const QString& path) { return folderOf(path).missing; }

private:
    struct Folder {
        IoStatus status;
        bool missing = false;
    };
    Folder& folderOf(const QString& path);
    const IFileSystem& fs_;
    uint user_; // whose files need no access check of their own
    QHash<QString, Folder> folders_;
    QString lastFolder_;     // the folder asked last
    Folder* last_ = nullptr; // its answer: a new folder's insert is the only change to folders_
};

// Plans one day (c.date and c.path set) from what is on disk now; check, when
// given, answers for the folders of a whole plan.
void planDay(const IFileSystem& fs, DayChange& c, const DayOps& ops, DayText reading, WriteCheck* check = nullptr);

// Puts bytes in place of a day file, or deletes it for nullopt (a file that is
// not there is no failure). The month folder is created (one level) when the
// write finds it missing. Atomic, not synced: the caller flushes once.
IoStatus putDayFile(IFileSystem& fs, const QString& monthFolderPath, const QString& dayFilePath,
                    const std::optional<QByteArray>& bytes);

// putDayFile for a run's day, done only while the path holds what the plan read
// (c.seen), told without reading it again; *changed when it cannot be told so.
// madeFolder: the month folder the run made last, so a month the plan found
// missing is made once, before its first day, instead of after a failed write.
IoStatus putPlannedDay(IFileSystem& fs, const DayChange& c, bool* changed, QString* madeFolder = nullptr);

} // namespace td
