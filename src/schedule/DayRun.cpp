#include "DayRun.h"

#include "DayFiles.h"

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
            return IoStatus::success();   // nothing to take out
        const IoStatus st = DayFiles::RemoveDayEntry(fs, path, entry, buffer);
        if (!st.ok)
            return st;
    }
    const IoStatus st = DayFiles::WriteDayFile(fs, folder, path, buffer);
    if (changed)
        *changed = st.ok;
    return st;
}

DayRunResult runDays(IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                     const std::function<QString(const MatchedDay&)>& entryFor,
                     const std::function<void(double)>& progress)
{
    DayRunResult result;
    QString flushPath;
    for (const MatchedDay& day : range.days) {
        bool changed = false;
        const IoStatus st = processDay(fs, dataFolder, day.date, entryFor(day), action, &changed);
        if (!st.ok) {
            if (result.failedDays++ == 0) {
                result.firstFailure = st.path;
                result.firstReason = st.reason;
            }
        } else if (changed) {
            ++result.changedDays;
            if (flushPath.isEmpty())
                flushPath = DayFiles::monthFolder(dataFolder, day.date);
        }
        if (progress && range.dayCount > 0)
            progress(double(day.index) / range.dayCount * 100.0);
    }
    if (progress)
        progress(100.0);

    // The files were replaced without a sync each; one flush makes the run durable.
    if (!flushPath.isEmpty()) {
        const IoStatus st = fs.flush(flushPath);
        if (!st.ok) {
            // Nothing written in this run is known to be on disk.
            result.failedDays += result.changedDays;
            if (result.firstFailure.isEmpty()) {
                result.firstFailure = st.path;
                result.firstReason = st.reason;
            }
        }
    }
    return result;
}

} // namespace td
