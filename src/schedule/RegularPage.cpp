#include "RegularPage.h"

#include "DayEntry.h"
#include "PercentBar.h"
#include "RunMessages.h"
#include "ScheduleWidgets.h"
#include "i18n/BuiltinCaptions.h"
#include "platform/Controls.h"
#include "platform/PageSize.h"

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
    Label15 = new QLabel(this);
    nameControl(Label15, QStringLiteral("Label15"), 1300);
    page->addWidget(Label15);

    const QStringList years = schedule::yearItems(s_.today());
    const QStringList months = schedule::numberItems(1, 12);
    auto* range = new QHBoxLayout;
    range->setSpacing(4);
    auto addMonth = [&](int index, QLabel*& yearLabel, const char* yearName, QLabel*& monthLabel,
                        const char* monthName, int keyYear, int keyMonth) {
        CmbPYear[index] = schedule::makeList(this, years);
        nameControl(CmbPYear[index], QStringLiteral("CmbPYear"), 0, index);
        CmbPmonth[index] = schedule::makeList(this, months);
        nameControl(CmbPmonth[index], QStringLiteral("CmbPmonth"), 0, index);
        yearLabel = new QLabel(QStringLiteral("년"), this);
        nameControl(yearLabel, QString::fromLatin1(yearName), keyYear);
        monthLabel = new QLabel(QStringLiteral("월"), this);
        nameControl(monthLabel, QString::fromLatin1(monthName), keyMonth);
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
    CmbMDay = schedule::makeList(this, schedule::numberItems(1, 31));
    nameControl(CmbMDay, QStringLiteral("CmbMDay"));
    OptWeek = new QRadioButton(QStringLiteral("요일기준"), this);
    nameControl(OptWeek, QStringLiteral("OptWeek"), 1307);
    CmbWSel = schedule::makeList(this, BuiltinCaptions::weekdayOccurrences(s_.isKorean()));
    nameControl(CmbWSel, QStringLiteral("CmbWSel"));
    CmbWDay = schedule::makeList(this, {QStringLiteral("Sunday"), QStringLiteral("Monday"), QStringLiteral("Tuesday"),
                                        QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
                                        QStringLiteral("Friday"), QStringLiteral("Saturday")});
    nameControl(CmbWDay, QStringLiteral("CmbWDay"));
    Label4 = new QLabel(QStringLiteral("에"), this);
    nameControl(Label4, QStringLiteral("Label4"), 1308);
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
    Frame10 = new QGroupBox(QStringLiteral("입력내용"), this);
    nameControl(Frame10, QStringLiteral("Frame10"), 1305);
    auto* entry = new QHBoxLayout(Frame10);
    TxtIndexL = new QLineEdit(QStringLiteral("["), Frame10);
    nameControl(TxtIndexL, QStringLiteral("TxtIndexL"));
    TxtRegPlan = new QLineEdit(Frame10);
    nameControl(TxtRegPlan, QStringLiteral("TxtRegPlan"));
    TxtIndexR = new QLineEdit(QStringLiteral("]"), Frame10);
    nameControl(TxtIndexR, QStringLiteral("TxtIndexR"));
    CmdBasic = new QPushButton(Frame10);
    nameControl(CmdBasic, QStringLiteral("CmdBasic"), 1309);
    TxtIndexL->setFixedWidth(36);
    TxtIndexR->setFixedWidth(36);
    entry->addWidget(TxtIndexL);
    entry->addWidget(TxtRegPlan, 1);
    entry->addWidget(TxtIndexR);
    entry->addSpacing(6);
    entry->addWidget(CmdBasic);
    page->addWidget(Frame10);

    auto* buttons = new QHBoxLayout;
    const bool korean = s_.isKorean();
    CmdPreview = new QPushButton(RunMessages::preview(korean), this);
    nameControl(CmdPreview, QStringLiteral("CmdPreview"), 1380);
    CmdUndo = new QPushButton(RunMessages::undo(korean), this);
    nameControl(CmdUndo, QStringLiteral("CmdUndo"), 1381);
    for (QPushButton* b : {CmdPreview, CmdUndo}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        CmdDataInput[i] = new QPushButton(this);
        nameControl(CmdDataInput[i], QStringLiteral("CmdDataInput"), 1310 + i, i);
        CmdDataInput[i]->setMinimumWidth(110);
        buttons->addWidget(CmdDataInput[i]);
        connect(CmdDataInput[i], &QPushButton::clicked, this, [this, i] { CmdDataInput_Click(i); });
    }
    page->addLayout(buttons);

    PrgBData = new PercentBar(this);
    nameControl(PrgBData, QStringLiteral("PrgBData"));
    page->addWidget(PrgBData);
    page->addStretch(1);

    connect(CmdBasic, &QPushButton::clicked, this, &RegularPage::CmdBasic_Click);
    connect(CmdPreview, &QPushButton::clicked, this, &RegularPage::CmdPreview_Click);
    connect(CmdUndo, &QPushButton::clicked, this, &RegularPage::CmdUndo_Click);
    connect(&schedule::JournalSignal::instance(), &schedule::JournalSignal::changed, this,
            [this] { schedule::refreshUndo(s_, CmdUndo); });
    schedule::refreshUndo(s_, CmdUndo);
}

RegularChoices RegularPage::choices() const
{
    RegularChoices c;
    c.fromYear = schedule::chosenText(CmbPYear[3]);
    c.fromMonth = schedule::chosenText(CmbPmonth[3]);
    c.toYear = schedule::chosenText(CmbPYear[2]);
    c.toMonth = schedule::chosenText(CmbPmonth[2]);
    c.byWeekday = OptWeek->isChecked();
    c.monthDay = schedule::chosenText(CmbMDay);
    c.occurrence = CmbWSel->currentIndex();
    c.weekday = CmbWDay->currentIndex();
    return c;
}

void RegularPage::CmdBasic_Click()
{
    TxtIndexL->setText(QStringLiteral("["));
    TxtIndexR->setText(QStringLiteral("]"));
}

std::optional<schedule::PreparedRun> RegularPage::prepare()
{
    const bool korean = s_.isKorean();
    const std::optional<DayRange> range = regularDays(choices());
    if (!range) {
        s_.boxes.info(ScheduleMessages::wrongDate(korean), ScheduleMessages::title());
        return std::nullopt;
    }
    const QString entry = DayEntry::regular(TxtIndexL->text(), TxtRegPlan->text(), TxtIndexR->text());
    const DayEntry::Check check = DayEntry::check(TxtIndexL->text(), TxtRegPlan->text(), TxtIndexR->text(), entry);
    if (!check.ok()) {
        s_.boxes.info(ScheduleMessages::refused(korean, check), ScheduleMessages::title());
        return std::nullopt;
    }
    return schedule::PreparedRun{*range, [entry](const MatchedDay&) { return entry; }, QStringLiteral("regular"), entry};
}

void RegularPage::CmdDataInput_Click(int Index)
{
    if (const auto run = prepare())
        schedule::runAndReport(s_, PrgBData, *run, Index == 0 ? DayAction::Register : DayAction::Remove);
}

void RegularPage::CmdPreview_Click()
{
    if (const auto run = prepare())
        schedule::showPreview(s_, this, *run, CmdDataInput[0]->text(), CmdDataInput[1]->text());
}

void RegularPage::CmdUndo_Click()
{
    schedule::undoAndReport(s_, PrgBData);
}

} // namespace td
