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
        s.boxes.info(RunMessages::runDone(korean, result), ScheduleMessages::title());
}

void applyPlanAndReport(Services& s, const DayPlan& plan, const RunLabel& label,
                        const std::function<void(double)>& setPercent, QAbstractButton* cancel)
{
    DayRunResult result;
    {
        RunPump pump(cancel);
        setPercent(0);
        pump.pump(true);
        std::optional<RunJournal> journal;
        if (!s.journalFolder.isEmpty())
            journal.emplace(s.journalFolder);
        const qsizetype days = plan.days.size();
        result = executePlan(
            s.fs, s.DataFolder, plan, journal ? &*journal : nullptr, label, [&](int i) {
            if (pump.due() || i + 1 == days) {
                setPercent(double(i + 1) / double(days) * 100.0);
                pump.pump(true);
            } }, [&pump] { return pump.cancelled(); });
        if (!result.cancelled)
            setPercent(100);
        pump.pump(true);
    }
    reportRun(s, result);
}

void undoAndReport(Services& s, PercentBar* bar)
{
    UndoResult result;
    {
        RunPump pump(nullptr, bar);
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
    const QString newest = s.journalFolder.isEmpty() ? QString() : RunJournal(s.journalFolder).newestFor(s.DataFolder);
    undo->setEnabled(!newest.isEmpty());
    if (newest.isEmpty()) {
        undo->setToolTip(RunMessages::nothingToUndo(korean));
        return;
    }
    const std::optional<Journal> j = RunJournal::readHeader(newest, nullptr);
    if (!j)
        undo->setToolTip(RunMessages::undoTipUnreadable(korean, newest));
    else
        undo->setToolTip(RunMessages::undoTip(korean, *j));
}

void refreshDataFolder(Services& s)
{
    const QString before = s.DataFolder;
    s.refreshDataFolder();
    if (s.DataFolder != before)
        emit JournalSignal::instance().changed();
}

JournalSignal& JournalSignal::instance()
{
    static JournalSignal signal;
    return signal;
}

} // namespace td::days
