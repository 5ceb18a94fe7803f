#include "ScheduleWidgets.h"

#include "DayEntry.h"
#include "PercentBar.h"
#include "PlanPreview.h"
#include "RunJournal.h"
#include "RunMessages.h"
#include "RunPump.h"

#include <QComboBox>
#include <QPushButton>

namespace td::schedule {

QComboBox* makeList(QWidget* parent, const QStringList& items)
{
    auto* list = new QComboBox(parent);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setMaxVisibleItems(12);
    return list;
}

QStringList yearItems(const QDate& today)
{
    const int last = std::max(2000, today.year() + 10);
    return numberItems(2000, last);
}

QStringList numberItems(int first, int last)
{
    QStringList items;
    for (int n = first; n <= last; ++n)
        items << QString::number(n);
    return items;
}

QString chosenText(const QComboBox* list)
{
    return list->currentIndex() < 0 ? QString() : list->currentText();
}

namespace {

RunLabel labelFor(const PreparedRun& run, DayAction action)
{
    RunLabel label;
    label.kind = run.page + (action == DayAction::Register ? QStringLiteral("-register") : QStringLiteral("-remove"));
    if (!run.range.days.isEmpty()) {
        const MatchedDay& first = run.range.days.first();
        label.first = first.date.addDays(-first.index);
        label.last = label.first.addDays(run.range.dayCount);
    }
    label.entry = run.entry;
    return label;
}

// Every page's Undo follows the journals; then the run's one message.
void reportRun(Services& s, const DayRunResult& result)
{
    emit JournalSignal::instance().changed();
    const bool korean = s.isKorean();
    if (!result.journalFailure.ok)
        s.boxes.info(RunMessages::journalNotWritten(korean, result.journalFailure), ScheduleMessages::title());
    else
        s.boxes.info(result.ok() ? ScheduleMessages::completed(korean)
                                 : ScheduleMessages::failed(korean, result.failedDays, result.firstFailure, result.firstReason),
                     ScheduleMessages::title());
}

} // namespace

void runAndReport(Services& s, PercentBar* bar, const PreparedRun& run, DayAction action)
{
    DayRunResult result;
    {
        RunPump pump;
        bar->setPercent(0);
        pump.pump(true);
        std::optional<RunJournal> journal;
        if (!s.journalFolder.isEmpty())
            journal.emplace(s.journalFolder);
        const RunLabel label = labelFor(run, action);
        // The bar moves when the window is let to paint: a progress bar repaints
        // at once on every visible step, which would cost more than the files.
        result = runDays(
            s.fs, s.DataFolder, run.range, action, run.entryFor,
            [&](double percent) {
                if (pump.due() || percent >= 100.0) {
                    bar->setPercent(percent);
                    pump.pump(true);
                }
            },
            journal ? &*journal : nullptr, &label);
        pump.pump(true);
    }
    reportRun(s, result);
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

PlanPreview* showPreview(Services& s, QWidget* page, const PreparedRun& run, const QString& registerCaption,
                         const QString& removeCaption)
{
    auto planFor = [&s, run](DayAction action) {
        return [&s, run, action] { return planRun(s.fs, s.DataFolder, run.range, action, run.entryFor); };
    };
    auto* preview = new PlanPreview({{registerCaption, planFor(DayAction::Register)}, {removeCaption, planFor(DayAction::Remove)}},
                                    s.isKorean(), page->window());
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->open();
    return preview;
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

} // namespace td::schedule
