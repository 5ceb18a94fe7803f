#include "DayPlan.h"

#include "DayFiles.h"
#include "platform/Cp949.h"
#include "platform/Spaces.h"

namespace td {

DayChange::Kind DayChange::kind() const
{
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

DayPlan planDays(const IFileSystem& fs, const QString& dataFolder, const QList<QDate>& dates, const DayOps& ops,
                 DayText reading)
{
    DayPlan plan;
    plan.days.reserve(dates.size());
    auto fail = [&plan](const QString& path, const QString& reason) {
        if (plan.failedDays++ == 0) {
            plan.firstFailure = path;
            plan.firstReason = reason;
        }
    };
    for (const QDate& date : dates) {
        DayChange c;
        c.date = date;
        c.path = DayFiles::dayFile(dataFolder, date);
        QString text;
        if (fs.fileExists(c.path)) {
            QByteArray bytes;
            const IoStatus st = fs.readAll(c.path, bytes);
            if (!st.ok) {
                fail(c.path, st.reason);
                continue;
            }
            text = reading == DayText::AllLines ? DayFiles::allLines(bytes) : DayFiles::joinLines(bytes);
            c.before = std::move(bytes);
        }
        const QString after = ops(date, text);
        // A day whose text the run leaves as it is keeps its bytes (CR LF and all).
        if (after == text) {
            c.after = c.before;
            plan.days.append(std::move(c));
            continue;
        }
        // A text of nothing but spaces holds nothing: the day loses its file.
        if (!trimSpaces(after).isEmpty()) {
            const Cp949::Encoded encoded = Cp949::encode(after);
            if (!encoded.ok()) {
                fail(c.path, QStringLiteral("the code page cannot hold \"%1\"").arg(encoded.badCharacter));
                continue;
            }
            c.after = encoded.bytes + QByteArrayLiteral("\r\n");
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
