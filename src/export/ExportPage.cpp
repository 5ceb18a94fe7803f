#include "ExportPage.h"

#include "ExportRun.h"
#include "XlsxServer.h"
#include "days/PlanPreview.h"
#include "days/RunPump.h"
#include "days/RunReport.h"
#include "holidays/HolidayFile.h"
#include "holidays/LunarCalendar.h"
#include "ui/Controls.h"
#include "ui/PageSize.h"
#include "ui/Spoken.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace td {

namespace {
const QString kTitle = QStringLiteral("Tunedesk");

QString selectedText(const QComboBox* list)
{
    return list->currentIndex() >= 0 ? list->itemText(list->currentIndex()) : QString();
}

// A name ending in ".ics" is a calendar; with the calendar type chosen in the
// dialog every name is one ("mycal.backup" stays as typed), and a name without
// an extension gets ".ics". Everything else is a workbook.
QString exportFileName(const QString& chosen, bool calendarType)
{
    if (chosen.isEmpty() || isCalendarFileName(chosen))
        return chosen;
    if (calendarType)
        return QFileInfo(chosen).suffix().isEmpty()
                   ? (chosen.endsWith(QLatin1Char('.')) ? chosen + QLatin1String("ics") : chosen + QLatin1String(".ics"))
                   : chosen;
    return workbookFileName(chosen);
}
} // namespace

ExportPage::ExportPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Label24 = ui::makeLabel(this, QStringLiteral("Label24"), QString(), 1400);
    Label6 = ui::makeLabel(this, QStringLiteral("Label6"), QStringLiteral("From"));
    Label7 = ui::makeLabel(this, QStringLiteral("Label7"), QStringLiteral("년"), 1401);
    Label5 = ui::makeLabel(this, QStringLiteral("Label5"), QStringLiteral("월"), 1402);
    Label14 = ui::makeLabel(this, QStringLiteral("Label14"), QStringLiteral("↓"));
    Label13 = ui::makeLabel(this, QStringLiteral("Label13"), QStringLiteral("To"));
    Label11 = ui::makeLabel(this, QStringLiteral("Label11"), QStringLiteral("년"), 1403);
    Label10 = ui::makeLabel(this, QStringLiteral("Label10"), QStringLiteral("월"), 1404);
    Label14->setAlignment(Qt::AlignCenter);

    // Years from 2000 to ten years ahead, as on the generator pages.
    const QStringList years = ui::yearItems(s_.today());
    const QStringList months = ui::numberItems(1, 12);
    for (int i = 0; i < 2; ++i) {
        CmbPYear[i] = ui::makeList(this, years, QStringLiteral("CmbPYear"), i);
        CmbPYear[i]->setMinimumWidth(90);
        CmbPmonth[i] = ui::makeList(this, months, QStringLiteral("CmbPmonth"), i);
        CmbPmonth[i]->setMinimumWidth(70);
        ui::speakChoice(CmbPYear[i], i == 0 ? ui::spoken::fromYear : ui::spoken::toYear, s_.isKorean());
        ui::speakChoice(CmbPmonth[i], i == 0 ? ui::spoken::fromMonth : ui::spoken::toMonth, s_.isKorean());
    }

    ChkShow = new QCheckBox(this);
    nameControl(ChkShow, QStringLiteral("ChkShow"), 1405);
    LblTarget = ui::makeLabel(this, QStringLiteral("LblTarget"), QString());
    LblTarget->setFrameStyle(QFrame::Box | QFrame::Plain);
    LblTarget->setLineWidth(1);
    // A long path must not widen the page.
    LblTarget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LblTarget->setMinimumHeight(24);
    pBar = new QProgressBar(this);
    nameControl(pBar, QStringLiteral("pBar"));
    pBar->setRange(0, 100);
    pBar->setValue(0);
    ui::speakAs(pBar, ui::spoken::progress, s_.isKorean());
    CmdCancelExport = ui::makeButton(this, QStringLiteral("CmdCancelExport"), 1614, -1,
                                     s_.isKorean() ? QStringLiteral("취소") : QStringLiteral("Cancel"));
    CmdCancelExport->setEnabled(false);
    ui::speakAs(CmdCancelExport, ui::spoken::stopRun, s_.isKorean());
    CmdTitle = ui::makeButton(this, QStringLiteral("CmdTitle"), 1406, -1, QStringLiteral("XLS"));
    CmdTitle->setMinimumWidth(100);
    const bool korean = s_.isKorean();
    ChkHoliday = new QCheckBox(korean ? QStringLiteral("iCalendar에 공휴일과 기념일 포함") : QStringLiteral("Holidays into the iCalendar file"), this);
    nameControl(ChkHoliday, QStringLiteral("ChkHoliday"), 1680);
    CmdImport = ui::makeButton(this, QStringLiteral("CmdImport"), 1681, -1,
                               korean ? QStringLiteral("ICS 가져오기") : QStringLiteral("Import ICS"));
    CmdImport->setMinimumWidth(100);

    Textmemo = new QLineEdit(this);
    nameControl(Textmemo, QStringLiteral("Textmemo"));
    textdone = new QLineEdit(this);
    nameControl(textdone, QStringLiteral("textdone"));
    for (QLineEdit* field : {Textmemo, textdone}) {
        field->setMaxLength(xl::XlsxServer::kMaxCellText);
        field->setVisible(false);
    }

    auto* range = new QGridLayout;
    range->setHorizontalSpacing(8);
    range->addWidget(Label6, 0, 0);
    range->addWidget(CmbPYear[0], 0, 1);
    range->addWidget(Label7, 0, 2);
    range->addWidget(CmbPmonth[0], 0, 3);
    range->addWidget(Label5, 0, 4);
    range->addWidget(Label14, 1, 1);
    range->addWidget(Label13, 2, 0);
    range->addWidget(CmbPYear[1], 2, 1);
    range->addWidget(Label11, 2, 2);
    range->addWidget(CmbPmonth[1], 2, 3);
    range->addWidget(Label10, 2, 4);
    range->setColumnStretch(5, 1);

    auto* button = new QHBoxLayout;
    button->addStretch(1);
    button->addWidget(CmdImport);
    button->addWidget(CmdTitle);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(12);
    page->addWidget(Label24);
    page->addLayout(range);
    page->addSpacing(8);
    page->addWidget(ChkShow);
    page->addWidget(ChkHoliday);
    page->addWidget(LblTarget);
    auto* progress = new QHBoxLayout;
    progress->addWidget(pBar, 1);
    progress->addWidget(CmdCancelExport);
    page->addLayout(progress);
    page->addStretch(1);
    page->addLayout(button);

    locale = QLocale();
    createServer = [this] {
        return std::make_unique<xl::XlsxServer>(s_.fs, [this](const QUrl& url) {
            const bool opened = s_.openUrl(url);
            notOpened_ = !opened;
            return opened;
        });
    };

    holidays = [this] { return HolidayFile::load(s_.fs, s_.programFile(QStringLiteral("Holiday.dat"))); };
    lunarToSolar = [](int year, int month, int day) { return td::lunarToSolar(year, month, day); };
    confirmImport = [this](const DayPlan& plan, const QString& notes) {
        PlanPreview preview({{CmdImport->text(), [&plan] { return plan; }, notes}}, s_.isKorean(), window(), CmdImport->text());
        return preview.exec() == QDialog::Accepted;
    };

    connect(CmdTitle, &QPushButton::clicked, this, &ExportPage::CmdTitle_Click);
    connect(CmdImport, &QPushButton::clicked, this, &ExportPage::CmdImport_Click);
}

ExportPage::~ExportPage() = default;

bool ExportPage::GetSaveFile()
{
    CommonDialog& dlg = s_.CmDLG;
    dlg.Filter = QStringLiteral("Save as Excel Files(*.xlsx)|*.xlsx|iCalendar Files(*.ics)|*.ics|");
    dlg.InitDir = s_.DataFolder;
    days::refreshDataFolder(s_);
    if (!dlg.ShowSave())
        return false;
    calendarTarget_ = dlg.FilterIndex == 2 || isCalendarFileName(dlg.FileName);
    const QString target = exportFileName(dlg.FileName, calendarTarget_);
    LblTarget->setText(target);
    LblTarget->setToolTip(target);
    return true;
}

std::optional<ExportRange> ExportPage::chosenRange()
{
    const auto range = exportRange(selectedText(CmbPYear[0]), selectedText(CmbPmonth[0]),
                                   selectedText(CmbPYear[1]), selectedText(CmbPmonth[1]));
    if (!range)
        s_.boxes.info(s_.isKorean() ? QStringLiteral("날짜 설정 오류입니다.") : QStringLiteral("Wrong Date Setting."), kTitle);
    return range;
}

void ExportPage::CmdTitle_Click()
{
    const std::optional<ExportRange> range = chosenRange();
    if (!range)
        return;
    // A cancelled dialog ends the export: there is nowhere to write to.
    if (!GetSaveFile())
        return;
    notOpened_ = false;
    RunPump pump(CmdCancelExport);
    const auto percent = [&](int value) {
        pBar->setValue(value);
        pump.pump();
    };
    const auto stop = [&pump] { return pump.cancelled(); };
    ExportOutcome outcome;
    if (calendarTarget_) {
        // The days as all-day events, with the same progress and messages as the workbook.
        const bool withHolidays = ChkHoliday->isChecked() && holidays;
        const QStringList entries = withHolidays ? holidays() : QStringList();
        outcome = exportCalendarFile(s_.fs, s_.DataFolder, *range, LblTarget->text(), withHolidays ? &entries : nullptr,
                                     lunarToSolar, now(), percent, stop);
    } else {
        std::unique_ptr<xl::SpreadsheetServer> server = createServer ? createServer() : nullptr;
        outcome = exportWorkbook(s_.fs, s_.DataFolder, *range, LblTarget->text(), locale, server.get(),
                                 ChkShow->isChecked(), percent, stop);
        outcome.notOpened = notOpened_;
    }
    // The two hidden fields get the texts of the range's last day once, after
    // it: laying out text in a line edit for every day cost more than the file.
    Textmemo->setText(outcome.lastMemo);
    textdone->setText(outcome.lastDone);
    s_.boxes.info(exportMessage(s_.isKorean(), outcome), kTitle);
}

// Merges the events of an iCalendar file that fall in the page's range of
// months into the day files, as a register run does. Nothing is written when
// the file cannot be read whole.
void ExportPage::CmdImport_Click()
{
    const std::optional<ExportRange> range = chosenRange();
    if (!range)
        return;
    CommonDialog& dlg = s_.CmDLG;
    dlg.Filter = QStringLiteral("iCalendar Files(*.ics)|*.ics|");
    dlg.InitDir = s_.DataFolder;
    days::refreshDataFolder(s_);
    if (!dlg.ShowOpen())
        return;
    const QString path = dlg.FileName;
    ImportPlan planned;
    {
        // A large file is read with the progress bar moving and the window painted.
        RunPump pump(CmdCancelExport);
        planned = planCalendarImport(s_.fs, path, s_.DataFolder, *range, s_.isKorean(), [&](int percent) {
            if (pump.due()) {
                pBar->setValue(percent);
                pump.pump(true);
            }
            return !pump.cancelled() && !(importCancelled && importCancelled());
        });
        pBar->setValue(0);
    }
    if (planned.cancelled)
        return;
    if (!planned.ok()) {
        s_.boxes.info(planned.error, kTitle);
        return;
    }
    // A generator run like the others: seen first, journaled, undone from the Undo buttons.
    if (!confirmImport || !confirmImport(planned.plan, planned.notes))
        return;
    days::applyPlanAndReport(
        s_, planned.plan, importLabel(path, *range), [this](double percent) { pBar->setValue(int(percent)); }, CmdCancelExport);
}

} // namespace td
