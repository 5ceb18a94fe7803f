#include "DDayPage.h"

#include "ScheduleWidgets.h"
#include "days/DayEntry.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace td {

DDayPage::DDayPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setObjectName(QStringLiteral("DDayPage"));
    setFixedSize(kPageSize);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(10);

    Label29 = ui::makeLabel(this, QStringLiteral("Label29"), QString(), 1700);
    page->addWidget(Label29);

    // Start date on the first row, target date on the second.
    auto* dates = new QGridLayout;
    dates->setHorizontalSpacing(4);
    auto label = [this](const char* name, const QString& text, int key) {
        return ui::makeLabel(this, QString::fromLatin1(name), text, key);
    };
    auto addDate = [&](int index, int row, QLabel* y, QLabel* m, QLabel* d) {
        schedule::makeDateLists(this, s_.today(), index, CmbPYear, CmbPmonth, &CmbPDay);
        const bool start = index == 5;
        const bool korean = s_.isKorean();
        ui::speakChoice(CmbPYear[index], start ? ui::spoken::fromYear : ui::spoken::targetYear, korean);
        ui::speakChoice(CmbPmonth[index], start ? ui::spoken::fromMonth : ui::spoken::targetMonth, korean);
        ui::speakChoice(CmbPDay[index], start ? ui::spoken::fromDay : ui::spoken::targetDay, korean);
        dates->addWidget(CmbPYear[index], row, 1);
        dates->addWidget(y, row, 2);
        dates->addWidget(CmbPmonth[index], row, 4);
        dates->addWidget(m, row, 5);
        dates->addWidget(CmbPDay[index], row, 7);
        dates->addWidget(d, row, 8);
    };
    Label32 = label("Label32", QStringLiteral("년"), 1301);
    Label34 = label("Label34", QStringLiteral("월"), 1302);
    Label37 = label("Label37", QStringLiteral("일"), 1706);
    addDate(5, 0, Label32, Label34, Label37);
    dates->addWidget(new QLabel(QStringLiteral("~"), this), 1, 0);
    Label31 = label("Label31", QStringLiteral("년"), 1303);
    Label28 = label("Label28", QStringLiteral("월"), 1304);
    Label38 = label("Label38", QStringLiteral("일"), 1706);
    addDate(4, 1, Label31, Label28, Label38);
    dates->setColumnMinimumWidth(0, 16);
    dates->setColumnMinimumWidth(3, 6);
    dates->setColumnMinimumWidth(6, 6);
    dates->setColumnStretch(9, 1);
    page->addLayout(dates);

    auto* step = new QHBoxLayout;
    CmbMDay2 = ui::makeList(this, ui::numberItems(1, 31), QStringLiteral("CmbMDay2"));
    Label16 = label("Label16", QStringLiteral("일 단위로"), 1708);
    ui::speakChoice(CmbMDay2, ui::spoken::step, s_.isKorean());
    step->addSpacing(20);
    step->addWidget(CmbMDay2);
    step->addWidget(Label16);
    step->addStretch(1);
    page->addLayout(step);
    page->addSpacing(6);

    // The entry: markers around the plan text and its countdown.
    markers_.build(this, {"Frame15", 1705, "TxtIndexL2", "TxtRegPlan2", "TxtIndexR2", "CmdBasic2", 1709}, s_.isKorean(),
                   [this](QWidget* frame) {
                       Label39 = ui::makeLabel(frame, QStringLiteral("Label39"), QStringLiteral("D-xxx"), 1707);
                       return Label39;
                   });
    Frame15 = markers_.frame;
    TxtIndexL2 = markers_.left;
    TxtRegPlan2 = markers_.plan;
    TxtIndexR2 = markers_.right;
    CmdBasic2 = markers_.basic;
    page->addWidget(Frame15);

    run_.build(s_, this, page, {QStringLiteral("2"), 1780, 1781, 1710}, [this] { return prepare(); });
    CmdPreview2 = run_.preview;
    CmdUndo2 = run_.undo;
    CmdDataInput2 = run_.dataInput;
    PrgBData2 = run_.bar;
    page->addStretch(1);

    connect(CmdBasic2, &QPushButton::clicked, this, &DDayPage::CmdBasic2_Click);
}

DDayChoices DDayPage::choices() const
{
    DDayChoices c;
    c.startYear = ui::chosenText(CmbPYear[5]);
    c.startMonth = ui::chosenText(CmbPmonth[5]);
    c.startDay = ui::chosenText(CmbPDay[5]);
    c.targetYear = ui::chosenText(CmbPYear[4]);
    c.targetMonth = ui::chosenText(CmbPmonth[4]);
    c.targetDay = ui::chosenText(CmbPDay[4]);
    c.step = ui::chosenText(CmbMDay2);
    return c;
}

void DDayPage::CmdBasic2_Click()
{
    markers_.reset();
}

std::optional<schedule::PreparedRun> DDayPage::prepare()
{
    const std::optional<DayRange> range = ddayDays(choices());
    const QString left = TxtIndexL2->text(), plan = TxtRegPlan2->text(), right = TxtIndexR2->text();
    if (schedule::refuseRun(s_, range, DayEntry::check(left, plan, right, DayEntry::countdown(left, plan, right, 0))))
        return std::nullopt;
    // The journal names the run by its entry with the count left open, as the page shows it.
    const QString shown = left.trimmed() + plan.trimmed() + QStringLiteral(" D-xxx") + right.trimmed();
    return schedule::PreparedRun{
        *range, [left, plan, right](const MatchedDay& day) { return DayEntry::countdown(left, plan, right, day.remaining); },
        QStringLiteral("dday"), shown};
}

void DDayPage::CmdDataInput2_Click(int Index)
{
    run_.run(Index);
}

void DDayPage::CmdPreview2_Click()
{
    run_.showPreview();
}

void DDayPage::CmdUndo2_Click()
{
    run_.undoLast();
}

} // namespace td
