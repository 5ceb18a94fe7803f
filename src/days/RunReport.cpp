#include "RunReport.h"

#include "DayEntry.h"
#include "PercentBar.h"
#include "RunMessages.h"
#include "RunPump.h"

#include <QPushButton>

namespace td::days {

// Every page's Undo follows the journals; then the run's one message.
void reportRun(Services& s, const DayRunResult& result)
{
    emit JournalSignal::instance().changed();
    const bool korean = s.isKorean();
    if (result.busy)
        s.boxes.info(RunMessages::journalBusy(korean, result.journalFailure), ScheduleMessages::title());
    else if (!result.journalFailure.ok)
        s.boxes.info(RunMessages::journalNotWritten(korean, result.journalFailure), ScheduleMessages::title());
    else
        s.boxes.info(result.ok() ? ScheduleMessages::completed(korean)
                                 : ScheduleMessages::failed(korean, result.failedDays, result.firstFailure, result.firstReason),
                     ScheduleMessages::title());
}

void applyPlanAndReport(Services& s, const DayPlan& plan, const RunLabel& label,
                        const std::function<void(double)>& setPercent)
{
    DayRunResult result;
    {
        RunPump pump;
        setPercent(0);
        pump.pump(true);
        std::optional<RunJournal> journal;
        if (!s.journalFolder.isEmpty())
            journal.emplace(s.journalFolder);
        const qsizetype days = plan.days.size();
        result = executePlan(s.fs, s.DataFolder, plan, journal ? &*journal : nullptr, label, [&](int i) {
            if (pump.due() || i + 1 == days) {
                setPercent(double(i + 1) / double(days) * 100.0);
                pump.pump(true);
            }
        });
        setPercent(100);
        pump.pump(true);
    }
    reportRun(s, result);
}

void undoAndReport(Services& s, PercentBar* bar)
{
    UndoResult result;
    {
        RunPump pump;
        bar->setPercent(0);
        pump.pump(true);
        RunJournal journal(s.journalFolder);
        result = undoLast(s.fs, journal, s.DataFolder);
        bar->setPercent(100);
        pump.pump(true);
    }
    emit JournalSignal::instance().changed();
    const bool korean = s.isKorean();
    switch (result.status) {
    case UndoResult::Status::NothingToUndo:
        s.boxes.info(RunMessages::nothingToUndo(korean), ScheduleMessages::title());
        break;
    case UndoResult::Status::Refused:
        s.boxes.info(RunMessages::journalRefused(korean, result), ScheduleMessages::title());
        break;
    case UndoResult::Status::Busy:
        s.boxes.info(RunMessages::journalBusy(korean, result.busy), ScheduleMessages::title());
        break;
    case UndoResult::Status::Done:
        s.boxes.info(RunMessages::undone(korean, result), ScheduleMessages::title());
        break;
    }
}

void refreshUndo(const Services& s, QPushButton* undo)
{
    const bool korean = s.isKorean();
    const QStringList files = s.journalFolder.isEmpty() ? QStringList() : RunJournal(s.journalFolder).files();
    undo->setEnabled(!files.isEmpty());
    if (files.isEmpty()) {
        undo->setToolTip(RunMessages::nothingToUndo(korean));
        return;
    }
    const std::optional<Journal> j = RunJournal::read(files.first(), nullptr);
    if (!j)
        undo->setToolTip(RunMessages::undoTipUnreadable(korean, files.first()));
    else if (j->dataFolder != s.DataFolder)
        undo->setToolTip(RunMessages::undoTipOtherFolder(korean, files.first(), j->dataFolder));
    else
        undo->setToolTip(RunMessages::undoTip(korean, *j));
}

JournalSignal& JournalSignal::instance()
{
    static JournalSignal signal;
    return signal;
}

} // namespace td::days
