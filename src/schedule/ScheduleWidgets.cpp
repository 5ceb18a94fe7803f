#include "ScheduleWidgets.h"

#include "days/PercentBar.h"
#include "days/PlanPreview.h"
#include "days/RunMessages.h"
#include "days/RunPump.h"
#include "ui/Controls.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace td::schedule {

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

} // namespace

void runAndReport(Services& s, PercentBar* bar, const PreparedRun& run, DayAction action, QPushButton* cancel)
{
    DayRunResult result;
    {
        RunPump pump(cancel, bar);
        bar->setPercent(0);
        pump.startInterval();
        std::optional<RunJournal> journal;
        if (!s.journalFolder.isEmpty())
            journal.emplace(s.journalFolder);
        const RunLabel label = labelFor(run, action);
        // The bar moves when the window is let to paint, every few milliseconds;
        // the last step is painted as the run ends.
        result = runDays(
            s.fs, s.DataFolder, run.range, action, run.entryFor,
            [&](double percent) {
                if (pump.due() || percent >= 100.0)
                    bar->setPercent(percent);
                pump.pump();
            },
            journal ? &*journal : nullptr, &label, [&pump] { return pump.cancelled(); });
    }
    days::reportRun(s, result);
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

bool refuseRun(Services& s, const std::optional<DayRange>& range, const DayEntry::Check& check)
{
    const bool korean = s.isKorean();
    if (!range) {
        s.boxes.info(ScheduleMessages::wrongDate(korean), ScheduleMessages::title());
        return true;
    }
    if (!check.ok()) {
        s.boxes.info(ScheduleMessages::refused(korean, check), ScheduleMessages::title());
        return true;
    }
    return false;
}

void makeDateLists(QWidget* page, const QDate& today, int index, DateArray& years, DateArray& months, DateArray* days)
{
    years[index] = ui::makeList(page, ui::yearItems(today), QStringLiteral("CmbPYear"), index);
    months[index] = ui::makeList(page, ui::numberItems(1, 12), QStringLiteral("CmbPmonth"), index);
    if (days)
        (*days)[index] = ui::makeList(page, ui::numberItems(1, 31), QStringLiteral("CmbPDay"), index);
}

void MarkerRow::build(QWidget* page, const Names& names, bool korean,
                      const std::function<QWidget*(QWidget* frame)>& afterPlan)
{
    frame = ui::makeFrame(page, QString::fromLatin1(names.frame), names.frameTag, QStringLiteral("입력내용"));
    auto* row = new QHBoxLayout(frame);
    left = new QLineEdit(QStringLiteral("["), frame);
    nameControl(left, QString::fromLatin1(names.left));
    plan = new QLineEdit(frame);
    nameControl(plan, QString::fromLatin1(names.plan));
    QWidget* between = afterPlan ? afterPlan(frame) : nullptr;
    right = new QLineEdit(QStringLiteral("]"), frame);
    nameControl(right, QString::fromLatin1(names.right));
    basic = ui::makeButton(frame, QString::fromLatin1(names.basic), names.basicTag);
    ui::speakAs(left, ui::spoken::leftMarker, korean);
    ui::speakAs(plan, ui::spoken::planText, korean);
    ui::speakAs(right, ui::spoken::rightMarker, korean);
    left->setFixedWidth(36);
    right->setFixedWidth(36);
    row->addWidget(left);
    row->addWidget(plan, 1);
    if (between)
        row->addWidget(between);
    row->addWidget(right);
    row->addSpacing(6);
    row->addWidget(basic);
}

void MarkerRow::reset() const
{
    left->setText(QStringLiteral("["));
    right->setText(QStringLiteral("]"));
}

void RunControls::build(Services& s, QWidget* page, QVBoxLayout* layout, const Names& names, Prepare prepare)
{
    s_ = &s;
    page_ = page;
    prepare_ = std::move(prepare);
    auto* buttons = new QHBoxLayout;
    const bool korean = s.isKorean();
    preview = ui::makeButton(page, QStringLiteral("CmdPreview") + names.suffix, names.previewTag, -1,
                             RunMessages::preview(korean));
    undo = ui::makeButton(page, QStringLiteral("CmdUndo") + names.suffix, names.undoTag, -1, RunMessages::undo(korean));
    for (QPushButton* b : {preview, undo}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        dataInput[i] = ui::makeButton(page, QStringLiteral("CmdDataInput") + names.suffix, names.dataTag + i, i);
        dataInput[i]->setMinimumWidth(110);
        buttons->addWidget(dataInput[i]);
        QObject::connect(dataInput[i], &QPushButton::clicked, page, [this, i] { run(i); });
    }
    layout->addLayout(buttons);

    bar = new PercentBar(page);
    nameControl(bar, QStringLiteral("PrgBData") + names.suffix);
    ui::speakAs(bar, ui::spoken::progress, korean);
    cancel = ui::makeButton(page, QStringLiteral("CmdCancelRun") + names.suffix, 1614, -1,
                            korean ? QStringLiteral("취소") : QStringLiteral("Cancel"));
    cancel->setEnabled(false);
    ui::speakAs(cancel, ui::spoken::stopRun, korean);
    auto* progress = new QHBoxLayout;
    progress->addWidget(bar, 1);
    progress->addWidget(cancel);
    layout->addLayout(progress);

    QObject::connect(preview, &QPushButton::clicked, page, [this] { showPreview(); });
    QObject::connect(undo, &QPushButton::clicked, page, [this] { undoLast(); });
    QObject::connect(&days::JournalSignal::instance(), &days::JournalSignal::changed, page,
                     [this] { days::refreshUndo(*s_, undo); });
    days::refreshUndo(s, undo);
}

void RunControls::run(int index)
{
    if (const auto prepared = prepare_())
        runAndReport(*s_, bar, *prepared, index == 0 ? DayAction::Register : DayAction::Remove, cancel);
}

void RunControls::showPreview()
{
    if (const auto prepared = prepare_())
        schedule::showPreview(*s_, page_, *prepared, dataInput[0]->text(), dataInput[1]->text());
}

void RunControls::undoLast()
{
    days::undoAndReport(*s_, bar);
}

} // namespace td::schedule
