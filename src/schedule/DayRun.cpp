#include "DayRun.h"

#include "days/DayFiles.h"
#include "days/RunJournal.h"

#include <QHash>

namespace td {

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
    DayPlan plan = planRun(fs, dataFolder, range, action, entryFor);
    plan.fresh = true;
    const QDate first = range.days.isEmpty() ? QDate() : range.days.first().date.addDays(-range.days.first().index);
    DayRunResult result = executePlan(
        fs, dataFolder, plan, journal, label ? *label : RunLabel{}, [&](int i) {
            if (progress && range.dayCount > 0)
                progress(double(first.daysTo(plan.days.at(i).date)) / range.dayCount * 100.0);
        },
        stop);
    if (progress && result.journalFailure.ok && !result.cancelled)
        progress(100.0);
    return result;
}

} // namespace td
