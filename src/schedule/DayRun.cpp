#include "DayRun.h"

#include "days/DayFiles.h"
#include "days/RunJournal.h"

#include <QHash>

#include <memory>

namespace td {

DayPlan planRun(const IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                const std::function<QString(const MatchedDay&)>& entryFor)
{
    QList<QDate> dates;
    dates.reserve(range.days.size());
    for (const MatchedDay& d : range.days)
        dates.append(d.date);
    // Kept with the plan (a day changed since is planned again by it), so it holds
    // what it needs by value. The plan asks for the days in order; a day planned
    // again alone is found by its date.
    struct Days {
        QList<MatchedDay> days;
        qsizetype next = 0;
        QHash<qint64, qsizetype> byDay;
        const MatchedDay& of(const QDate& date)
        {
            if (next < days.size() && days.at(next).date == date)
                return days.at(next++);
            if (byDay.isEmpty()) {
                for (qsizetype i = 0; i < days.size(); ++i)
                    byDay.insert(days.at(i).date.toJulianDay(), i);
            }
            return days.at(byDay.value(date.toJulianDay()));
        }
    };
    const auto days = std::make_shared<Days>(Days{range.days, 0, {}});
    const bool add = action == DayAction::Register;
    const auto change = [days, entryFor, add](const QDate& date, const QString& text) {
        const QString entry = entryFor(days->of(date));
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
