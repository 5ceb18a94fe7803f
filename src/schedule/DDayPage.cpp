#include "DDayPage.h"

#include "DayEntry.h"
#include "PercentBar.h"
#include "RunMessages.h"
#include "ScheduleWidgets.h"
#include "platform/Controls.h"
#include "platform/PageSize.h"

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

    Label29 = new QLabel(this);
    nameControl(Label29, QStringLiteral("Label29"), 1700);
    page->addWidget(Label29);

    // Start date on the first row, target date on the second.
    const QStringList years = schedule::yearItems(s_.today());
    const QStringList months = schedule::numberItems(1, 12);
    const QStringList days = schedule::numberItems(1, 31);
    auto* dates = new QGridLayout;
    dates->setHorizontalSpacing(4);
    auto label = [this](const char* name, const QString& text, int key) {
        auto* l = new QLabel(text, this);
        nameControl(l, QString::fromLatin1(name), key);
        return l;
    };
    auto addDate = [&](int index, int row, QLabel* y, QLabel* m, QLabel* d) {
        CmbPYear[index] = schedule::makeList(this, years);
        nameControl(CmbPYear[index], QStringLiteral("CmbPYear"), 0, index);
        CmbPmonth[index] = schedule::makeList(this, months);
        nameControl(CmbPmonth[index], QStringLiteral("CmbPmonth"), 0, index);
        CmbPDay[index] = schedule::makeList(this, days);
        nameControl(CmbPDay[index], QStringLiteral("CmbPDay"), 0, index);
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
    CmbMDay2 = schedule::makeList(this, days);
    nameControl(CmbMDay2, QStringLiteral("CmbMDay2"));
    Label16 = label("Label16", QStringLiteral("일 단위로"), 1708);
    step->addSpacing(20);
    step->addWidget(CmbMDay2);
    step->addWidget(Label16);
    step->addStretch(1);
    page->addLayout(step);
    page->addSpacing(6);

    // The entry: markers around the plan text and its countdown.
    Frame15 = new QGroupBox(QStringLiteral("입력내용"), this);
    nameControl(Frame15, QStringLiteral("Frame15"), 1705);
    auto* entry = new QHBoxLayout(Frame15);
    TxtIndexL2 = new QLineEdit(QStringLiteral("["), Frame15);
    nameControl(TxtIndexL2, QStringLiteral("TxtIndexL2"));
    TxtRegPlan2 = new QLineEdit(Frame15);
    nameControl(TxtRegPlan2, QStringLiteral("TxtRegPlan2"));
    Label39 = new QLabel(QStringLiteral("D-xxx"), Frame15);
    nameControl(Label39, QStringLiteral("Label39"), 1707);
    TxtIndexR2 = new QLineEdit(QStringLiteral("]"), Frame15);
    nameControl(TxtIndexR2, QStringLiteral("TxtIndexR2"));
    CmdBasic2 = new QPushButton(Frame15);
    nameControl(CmdBasic2, QStringLiteral("CmdBasic2"), 1709);
    TxtIndexL2->setFixedWidth(36);
    TxtIndexR2->setFixedWidth(36);
    entry->addWidget(TxtIndexL2);
    entry->addWidget(TxtRegPlan2, 1);
    entry->addWidget(Label39);
    entry->addWidget(TxtIndexR2);
    entry->addSpacing(6);
    entry->addWidget(CmdBasic2);
    page->addWidget(Frame15);

    auto* buttons = new QHBoxLayout;
    const bool korean = s_.isKorean();
    CmdPreview2 = new QPushButton(RunMessages::preview(korean), this);
    nameControl(CmdPreview2, QStringLiteral("CmdPreview2"), 1780);
    CmdUndo2 = new QPushButton(RunMessages::undo(korean), this);
    nameControl(CmdUndo2, QStringLiteral("CmdUndo2"), 1781);
    for (QPushButton* b : {CmdPreview2, CmdUndo2}) {
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        CmdDataInput2[i] = new QPushButton(this);
        nameControl(CmdDataInput2[i], QStringLiteral("CmdDataInput2"), 1710 + i, i);
        CmdDataInput2[i]->setMinimumWidth(110);
        buttons->addWidget(CmdDataInput2[i]);
        connect(CmdDataInput2[i], &QPushButton::clicked, this, [this, i] { CmdDataInput2_Click(i); });
    }
    page->addLayout(buttons);

    PrgBData2 = new PercentBar(this);
    nameControl(PrgBData2, QStringLiteral("PrgBData2"));
    page->addWidget(PrgBData2);
    page->addStretch(1);

    connect(CmdBasic2, &QPushButton::clicked, this, &DDayPage::CmdBasic2_Click);
    connect(CmdPreview2, &QPushButton::clicked, this, &DDayPage::CmdPreview2_Click);
    connect(CmdUndo2, &QPushButton::clicked, this, &DDayPage::CmdUndo2_Click);
    connect(&schedule::JournalSignal::instance(), &schedule::JournalSignal::changed, this,
            [this] { schedule::refreshUndo(s_, CmdUndo2); });
    schedule::refreshUndo(s_, CmdUndo2);
}

DDayChoices DDayPage::choices() const
{
    DDayChoices c;
    c.startYear = schedule::chosenText(CmbPYear[5]);
    c.startMonth = schedule::chosenText(CmbPmonth[5]);
    c.startDay = schedule::chosenText(CmbPDay[5]);
    c.targetYear = schedule::chosenText(CmbPYear[4]);
    c.targetMonth = schedule::chosenText(CmbPmonth[4]);
    c.targetDay = schedule::chosenText(CmbPDay[4]);
    c.step = schedule::chosenText(CmbMDay2);
    return c;
}

void DDayPage::CmdBasic2_Click()
{
    TxtIndexL2->setText(QStringLiteral("["));
    TxtIndexR2->setText(QStringLiteral("]"));
}

std::optional<schedule::PreparedRun> DDayPage::prepare()
{
    const bool korean = s_.isKorean();
    const std::optional<DayRange> range = ddayDays(choices());
    if (!range) {
        s_.boxes.info(ScheduleMessages::wrongDate(korean), ScheduleMessages::title());
        return std::nullopt;
    }
    const QString left = TxtIndexL2->text(), plan = TxtRegPlan2->text(), right = TxtIndexR2->text();
    const DayEntry::Check check = DayEntry::check(left, plan, right, DayEntry::countdown(left, plan, right, 0));
    if (!check.ok()) {
        s_.boxes.info(ScheduleMessages::refused(korean, check), ScheduleMessages::title());
        return std::nullopt;
    }
    // The journal names the run by its entry with the count left open, as the page shows it.
    const QString shown = left.trimmed() + plan.trimmed() + QStringLiteral(" D-xxx") + right.trimmed();
    return schedule::PreparedRun{
        *range, [left, plan, right](const MatchedDay& day) { return DayEntry::countdown(left, plan, right, day.remaining); },
        QStringLiteral("dday"), shown};
}

void DDayPage::CmdDataInput2_Click(int Index)
{
    if (const auto run = prepare())
        schedule::runAndReport(s_, PrgBData2, *run, Index == 0 ? DayAction::Register : DayAction::Remove);
}

void DDayPage::CmdPreview2_Click()
{
    if (const auto run = prepare())
        schedule::showPreview(s_, this, *run, CmdDataInput2[0]->text(), CmdDataInput2[1]->text());
}

void DDayPage::CmdUndo2_Click()
{
    schedule::undoAndReport(s_, PrgBData2);
}

} // namespace td
