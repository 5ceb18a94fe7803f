#include "DayRun.h"

#include "days/DayFiles.h"
#include "days/RunJournal.h"

#include <QHash>

namespace td {

IoStatus processDay(IFileSystem& fs, const QString& dataFolder, const QDate& date, const QString& entry,
                    DayAction action, bool* changed)
{
    if (changed)
        *changed = false;
    const QString folder = DayFiles::monthFolder(dataFolder, date);
    const QString path = DayFiles::dayFile(dataFolder, date);
    const bool exists = fs.fileExists(path);

    QString buffer;
    if (action == DayAction::Register) {
        if (exists) {
            const IoStatus st = DayFiles::MergeDayEntry(fs, path, entry, buffer);
            if (!st.ok)
                return st;
        } else {
            buffer = entry;
        }
    } else {
        if (!exists)
            return IoStatus::success(); // nothing to take out
        const IoStatus st = DayFiles::RemoveDayEntry(fs, path, entry, buffer);
        if (!st.ok)
            return st;
    }
    const IoStatus st = DayFiles::WriteDayFile(fs, folder, path, buffer);
    if (changed)
        *changed = st.ok;
    return st;
}

DayPlan planRun(const IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                const std::function<QString(const MatchedDay&)>& entryFor)
{
    QList<QDate> dates;
    dates.reserve(range.days.size());
    QHash<qint64, qsizetype> byDay;
    for (qsizetype i = 0; i < range.days.size(); ++i) {
        dates.append(range.days[i].date);
        byDay.insert(range.days[i].date.toJulianDay(), i);
    }
    const bool add = action == DayAction::Register;
    const auto change = [&](const QDate& date, const QString& text) {
        const QString entry = entryFor(range.days[byDay.value(date.toJulianDay())]);
        return add ? DayFiles::mergeEntry(text, entry) : DayFiles::removeEntry(text, entry);
    };
    return planDays(fs, dataFolder, dates, change, add ? DayText::AllLines : DayText::ReadingRule);
}

DayRunResult runDays(IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                     const std::function<QString(const MatchedDay&)>& entryFor,
                     const std::function<void(double)>& progress, RunJournal* journal, const RunLabel* label,
                     const std::function<bool()>& stop)
{
    const DayPlan plan = planRun(fs, dataFolder, range, action, entryFor);
    const QDate first = range.days.isEmpty() ? QDate() : range.days.first().date.addDays(-range.days.first().index);
    DayRunResult result = executePlan(
        fs, dataFolder, plan, journal, label ? *label : RunLabel{}, [&](int i) {
            if (progress && range.dayCount > 0)
                progress(double(first.daysTo(plan.days[i].date)) / range.dayCount * 100.0);
        },
        stop);
    if (progress && result.journalFailure.ok && !result.cancelled)
        progress(100.0);
    return result;
}

} // namespace td
