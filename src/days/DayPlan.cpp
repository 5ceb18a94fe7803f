#include "DayPlan.h"

#include "DayFiles.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

#include <unistd.h>

namespace td {

DayChange::Kind DayChange::kind() const
{
    if (!failure.isEmpty())
        return Kind::Failed;
    if (before == after)
        return Kind::Unchanged;
    if (!before)
        return Kind::New;
    return after ? Kind::Changed : Kind::Deleted;
}

int DayPlan::count(DayChange::Kind kind) const
{
    return int(std::count_if(days.cbegin(), days.cend(), [kind](const DayChange& c) { return c.kind() == kind; }));
}

WriteCheck::WriteCheck(const IFileSystem& fs) : fs_(fs), user_(::geteuid()) {}

WriteCheck::Folder& WriteCheck::folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView folder = slash < 0 ? QStringView(u".") : QStringView(path).left(slash);
    // Days come month by month: the folder asked last is mostly the one asked again.
    if (last_ && folder == lastFolder_)
        return *last_;
    lastFolder_ = folder.toString();
    auto it = folders_.find(lastFolder_);
    if (it == folders_.end()) {
        Folder f;
        f.status = fs_.mayWriteIn(lastFolder_, &f.missing);
        it = folders_.insert(lastFolder_, f);
    }
    last_ = &*it;
    return *it;
}

IoStatus WriteCheck::mayWrite(const QString& path, FileStamp& seen)
{
    const Folder& folder = folderOf(path);
    // Nothing can stand on a path in a folder that is not there.
    if (folder.missing)
        return IoStatus::success();
    // A plain file of the user's own that its mode lets the owner write needs no
    // question of its own (the user's access entry is the mode's owner bits).
    const bool own = seen.known && seen.plain && seen.ownerWrites && seen.owner == user_;
    if (!own)
        if (const IoStatus st = fs_.mayWriteFile(path, &seen); !st)
            return st;
    if (!folder.status)
        return IoStatus::failure(path, folder.status.reason);
    seen.writable = seen.known;
    return IoStatus::success();
}

void planDay(const IFileSystem& fs, DayChange& c, const DayOps& ops, DayText reading, WriteCheck* check)
{
    c.before.reset();
    c.after.reset();
    c.failure.clear();
    c.seen = {};
    c.monthMissing = false;
    QString text;
    QByteArray bytes;
    // One read, no stat first: a read that finds nothing there is a day without a
    // file, as is every day of a month whose folder is not there (a future month).
    if (check && check->folderMissing(c.path)) {
        c.seen.plain = true;
        c.monthMissing = true;
    } else if (const IoStatus st = fs.readStamped(c.path, bytes, c.seen); !st.ok && !st.missing) {
        c.failure = st.reason;
        return;
    } else if (st.ok) {
        text = reading == DayText::AllLines ? DayFiles::allLines(bytes) : DayFiles::joinLines(bytes);
        c.before = std::move(bytes);
    }
    const QString after = ops(c.date, text);
    // A day whose text the run leaves as it is keeps its bytes (CR LF and all).
    if (after == text) {
        c.after = c.before;
        return;
    }
    // A text of nothing but spaces holds nothing: the day loses its file.
    if (!trimSpaces(after).isEmpty()) {
        const Cp949::Encoded encoded = Cp949::encode(after);
        if (!encoded.ok()) {
            c.failure = QStringLiteral("the code page cannot hold \"%1\"").arg(encoded.badCharacter);
            return;
        }
        c.after = encoded.bytes + QByteArrayLiteral("\r\n");
    }
    // A day the run would change but may not write shows as failing now, as the run would report it.
    if (c.before != c.after) {
        const IoStatus st = check ? check->mayWrite(c.path, c.seen) : fs.mayWrite(c.path);
        if (!st.ok)
            c.failure = st.reason;
    }
}

DayPlan planDays(const IFileSystem& fs, const QString& dataFolder, const QList<QDate>& dates, const DayOps& ops,
                 DayText reading)
{
    DayPlan plan;
    plan.ops = ops;
    plan.reading = reading;
    plan.days.reserve(dates.size());
    WriteCheck check(fs);
    const HeldFolders held(fs);
    for (const QDate& date : dates) {
        DayChange c;
        c.date = date;
        c.path = DayFiles::dayFile(dataFolder, date);
        planDay(fs, c, ops, reading, &check);
        if (!c.failure.isEmpty() && plan.failedDays++ == 0) {
            plan.firstFailure = c.path;
            plan.firstReason = c.failure;
        }
        plan.days.append(std::move(c));
    }
    return plan;
}

namespace {

// A month folder is made when a write finds it missing: only asked after a
// failure, which keeps a run over thousands of days at one call per day.
template <typename Folder, typename Write>
IoStatus inMonthFolder(IFileSystem& fs, Folder monthFolderPath, Write write)
{
    IoStatus st = write();
    if (st.ok)
        return st;
    const QString folder = monthFolderPath();
    if (fs.dirExists(folder))
        return st;
    st = fs.makeDir(folder);
    return st.ok ? write() : st;
}

} // namespace

IoStatus putDayFile(IFileSystem& fs, const QString& monthFolderPath, const QString& dayFilePath,
                    const std::optional<QByteArray>& bytes)
{
    // A day file that is not there needs no deleting.
    if (!bytes) {
        const IoStatus st = fs.remove(dayFilePath);
        return st.ok || fs.fileExists(dayFilePath) ? st : IoStatus::success();
    }
    return inMonthFolder(
        fs, [&] { return monthFolderPath; }, [&] { return fs.writeAtomic(dayFilePath, *bytes, Durability::Deferred); });
}

IoStatus putPlannedDay(IFileSystem& fs, const DayChange& c, bool* changed, QString* madeFolder)
{
    *changed = true;
    const auto folder = [&c] { return c.path.left(c.path.lastIndexOf(QLatin1Char('/'))); };
    if (!c.before && c.after && c.seen.plain && !c.seen.known) { // found free: made where it still is
        if (c.monthMissing && madeFolder) {
            if (QString month = folder(); month != *madeFolder) {
                if (const IoStatus st = fs.makeDir(month); !st)
                    return st;
                *madeFolder = std::move(month);
            }
        }
        return inMonthFolder(fs, folder, [&] { return fs.writeIfAbsent(c.path, *c.after, changed); });
    }
    // The very file the plan read: the same inode, size and times.
    if (!c.before || !fs.unchangedSince(c.path, c.seen))
        return IoStatus::success();
    *changed = false;
    return c.after ? putDayFile(fs, folder(), c.path, c.after) : fs.removeSeen(c.path, c.seen);
}

} // namespace td
