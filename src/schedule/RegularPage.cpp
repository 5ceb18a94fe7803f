#include "RegularPage.h"

#include "ScheduleWidgets.h"
#include "days/DayEntry.h"
#include "i18n/BuiltinCaptions.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace td {

RegularPage::RegularPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setObjectName(QStringLiteral("RegularPage"));
    setFixedSize(kPageSize);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);
    page->setSpacing(10);

    // The range of months.
    Label15 = ui::makeLabel(this, QStringLiteral("Label15"), QString(), 1300);
    page->addWidget(Label15);

    auto* range = new QHBoxLayout;
    range->setSpacing(4);
    auto addMonth = [&](int index, QLabel*& yearLabel, const char* yearName, QLabel*& monthLabel,
                        const char* monthName, int keyYear, int keyMonth) {
        schedule::makeDateLists(this, s_.today(), index, CmbPYear, CmbPmonth);
        const bool from = index == 3;
        ui::speakChoice(CmbPYear[index], from ? ui::spoken::fromYear : ui::spoken::toYear, s_.isKorean());
        ui::speakChoice(CmbPmonth[index], from ? ui::spoken::fromMonth : ui::spoken::toMonth, s_.isKorean());
        yearLabel = ui::makeLabel(this, QString::fromLatin1(yearName), QStringLiteral("년"), keyYear);
        monthLabel = ui::makeLabel(this, QString::fromLatin1(monthName), QStringLiteral("월"), keyMonth);
        range->addWidget(CmbPYear[index]);
        range->addWidget(yearLabel);
        range->addSpacing(6);
        range->addWidget(CmbPmonth[index]);
        range->addWidget(monthLabel);
    };
    addMonth(3, Label21, "Label21", Label23, "Label23", 1301, 1302);
    range->addSpacing(10);
    range->addWidget(new QLabel(QStringLiteral("~"), this));
    range->addSpacing(10);
    addMonth(2, Label18, "Label18", Label19, "Label19", 1303, 1304);
    range->addStretch(1);
    page->addLayout(range);
    page->addSpacing(6);

    // The rule: a fixed day of the month, or an occurrence of a weekday.
    auto* rule = new QGridLayout;
    rule->setHorizontalSpacing(8);
    OptMonth = new QRadioButton(QStringLiteral("날짜기준"), this);
    nameControl(OptMonth, QStringLiteral("OptMonth"), 1306);
    OptMonth->setChecked(true);
    CmbMDay = ui::makeList(this, ui::numberItems(1, 31), QStringLiteral("CmbMDay"));
    OptWeek = new QRadioButton(QStringLiteral("요일기준"), this);
    nameControl(OptWeek, QStringLiteral("OptWeek"), 1307);
    CmbWSel = ui::makeList(this, BuiltinCaptions::weekdayOccurrences(s_.isKorean()), QStringLiteral("CmbWSel"));
    CmbWDay = ui::makeList(this,
                           {QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                            QStringLiteral("Wednesday"), QStringLiteral("Thursday"), QStringLiteral("Friday"),
                            QStringLiteral("Saturday")},
                           QStringLiteral("CmbWDay"));
    Label4 = ui::makeLabel(this, QStringLiteral("Label4"), QStringLiteral("에"), 1308);
    ui::speakChoice(CmbMDay, ui::spoken::monthDay, s_.isKorean());
    ui::speakChoice(CmbWSel, ui::spoken::occurrence, s_.isKorean());
    ui::speakChoice(CmbWDay, ui::spoken::weekday, s_.isKorean());
    auto* group = new QButtonGroup(this);
    group->addButton(OptMonth);
    group->addButton(OptWeek);
    rule->addWidget(OptMonth, 0, 0);
    rule->addWidget(CmbMDay, 0, 1);
    rule->addWidget(OptWeek, 1, 0);
    rule->addWidget(CmbWSel, 1, 1);
    rule->addWidget(CmbWDay, 1, 2);
    rule->addWidget(Label4, 0, 3, 2, 1);
    rule->setColumnStretch(4, 1);
    page->addLayout(rule);
    page->addSpacing(6);

    // The entry: markers around the plan text.
    markers_.build(this, {"Frame10", 1305, "TxtIndexL", "TxtRegPlan", "TxtIndexR", "CmdBasic", 1309}, s_.isKorean());
    Frame10 = markers_.frame;
    TxtIndexL = markers_.left;
    TxtRegPlan = markers_.plan;
    TxtIndexR = markers_.right;
    CmdBasic = markers_.basic;
    page->addWidget(Frame10);

    run_.build(s_, this, page, {QString(), 1380, 1381, 1310}, [this] { return prepare(); });
    CmdPreview = run_.preview;
    CmdUndo = run_.undo;
    CmdDataInput = run_.dataInput;
    PrgBData = run_.bar;
    page->addStretch(1);

    connect(CmdBasic, &QPushButton::clicked, this, &RegularPage::CmdBasic_Click);
}

RegularChoices RegularPage::choices() const
{
    RegularChoices c;
    c.fromYear = ui::chosenText(CmbPYear[3]);
    c.fromMonth = ui::chosenText(CmbPmonth[3]);
    c.toYear = ui::chosenText(CmbPYear[2]);
    c.toMonth = ui::chosenText(CmbPmonth[2]);
    c.byWeekday = OptWeek->isChecked();
    c.monthDay = ui::chosenText(CmbMDay);
    c.occurrence = CmbWSel->currentIndex();
    c.weekday = CmbWDay->currentIndex();
    return c;
}

void RegularPage::CmdBasic_Click()
{
    markers_.reset();
}

std::optional<schedule::PreparedRun> RegularPage::prepare()
{
    const std::optional<DayRange> range = regularDays(choices());
    const QString left = TxtIndexL->text(), plan = TxtRegPlan->text(), right = TxtIndexR->text();
    const QString entry = DayEntry::regular(left, plan, right);
    if (schedule::refuseRun(s_, range, DayEntry::check(left, plan, right, entry)))
        return std::nullopt;
    return schedule::PreparedRun{*range, [entry](const MatchedDay&) { return entry; }, QStringLiteral("regular"), entry};
}

void RegularPage::CmdDataInput_Click(int Index)
{
    run_.run(Index);
}

void RegularPage::CmdPreview_Click()
{
    run_.showPreview();
}

void RegularPage::CmdUndo_Click()
{
    run_.undoLast();
}

} // namespace td
