#pragma once
#include "DayMatching.h"
#include "days/DayPlan.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"

#include <QString>
#include <functional>

namespace td {

enum class DayAction {
    Register,
    Remove,
};

// The plan of one generator run over the matched days of a range: what
// register or remove does to each day, nothing written.
DayPlan planRun(const IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                const std::function<QString(const MatchedDay&)>& entryFor);

// One generator run over the matched days of a range: the plan, then its
// journal (when one is given), then the day writes. A failing day does not
// stop the run; stop, asked after each day, ends it there. progress gets the percentage of the range done after each
// matched day, and 100 at the end; then the file system is flushed once.
DayRunResult runDays(IFileSystem& fs, const QString& dataFolder, const DayRange& range, DayAction action,
                     const std::function<QString(const MatchedDay&)>& entryFor,
                     const std::function<void(double)>& progress = {}, RunJournal* journal = nullptr,
                     const RunLabel* label = nullptr, const std::function<bool()>& stop = {});

} // namespace td
