#include "DayPlan.h"

#include "DayFiles.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

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

IoStatus WriteCheck::mayWrite(const QString& path, const FileStamp& seen)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash);
    auto it = folders_.find(folder);
    if (it == folders_.end()) {
        Folder f;
        f.status = fs_.mayWriteIn(folder, &f.missing);
        it = folders_.insert(folder, f);
    }
    // Nothing can stand on a path in a folder that is not there.
    if (it->missing)
        return IoStatus::success();
    if (const IoStatus st = fs_.mayWriteFile(path, &seen); !st)
        return st;
    return it->status ? it->status : IoStatus::failure(path, it->status.reason);
}

void planDay(const IFileSystem& fs, DayChange& c, const DayOps& ops, DayText reading, WriteCheck* check)
{
    c.before.reset();
    c.after.reset();
    c.failure.clear();
    c.seen = {};
    QString text;
    QByteArray bytes;
    // One read, no stat first: a read that finds nothing there is a day without a file.
    if (const IoStatus st = fs.readStamped(c.path, bytes, c.seen); !st.ok && !st.missing) {
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

IoStatus putDayFile(IFileSystem& fs, const QString& monthFolderPath, const QString& dayFilePath,
                    const std::optional<QByteArray>& bytes)
{
    // A day file that is not there needs no deleting, and a month folder is made
    // when a write finds it missing: both are only asked after a failure, which
    // keeps a run over thousands of days at one call per day.
    if (!bytes) {
        const IoStatus st = fs.remove(dayFilePath);
        return st.ok || fs.fileExists(dayFilePath) ? st : IoStatus::success();
    }
    IoStatus st = fs.writeAtomic(dayFilePath, *bytes, Durability::Deferred);
    if (st.ok || fs.dirExists(monthFolderPath))
        return st;
    st = fs.makeDir(monthFolderPath);
    if (!st.ok)
        return st;
    return fs.writeAtomic(dayFilePath, *bytes, Durability::Deferred);
}

} // namespace td
