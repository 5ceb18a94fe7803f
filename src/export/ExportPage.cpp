#include "ExportPage.h"

#include "DayExport.h"
#include "XlsxServer.h"
#include "platform/Controls.h"
#include "platform/PageSize.h"
#include "schedule/DayFiles.h"

#include <QCheckBox>
#include <QComboBox>
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

QLabel* label(QWidget* parent, const QString& name, const QString& caption, int tag = 0)
{
    auto* l = new QLabel(caption, parent);
    nameControl(l, name, tag);
    return l;
}
} // namespace

ExportPage::ExportPage(Services& services, QWidget* parent) : QWidget(parent), s_(services)
{
    setFixedSize(kPageSize);

    Label24 = label(this, QStringLiteral("Label24"), QString(), 1400);
    Label6 = label(this, QStringLiteral("Label6"), QStringLiteral("From"));
    Label7 = label(this, QStringLiteral("Label7"), QStringLiteral("년"), 1401);
    Label5 = label(this, QStringLiteral("Label5"), QStringLiteral("월"), 1402);
    Label14 = label(this, QStringLiteral("Label14"), QStringLiteral("↓"));
    Label13 = label(this, QStringLiteral("Label13"), QStringLiteral("To"));
    Label11 = label(this, QStringLiteral("Label11"), QStringLiteral("년"), 1403);
    Label10 = label(this, QStringLiteral("Label10"), QStringLiteral("월"), 1404);
    Label14->setAlignment(Qt::AlignCenter);

    // Years from 2000 to ten years ahead, as on the generator pages.
    QStringList years;
    for (int y = 2000; y <= s_.today().year() + 10; ++y)
        years << QString::number(y);
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << QString::number(m);
    for (int i = 0; i < 2; ++i) {
        CmbPYear[i] = new QComboBox(this);
        nameControl(CmbPYear[i], QStringLiteral("CmbPYear"), 0, i);
        CmbPYear[i]->addItems(years);
        CmbPYear[i]->setCurrentIndex(-1);
        CmbPYear[i]->setMinimumWidth(90);
        CmbPmonth[i] = new QComboBox(this);
        nameControl(CmbPmonth[i], QStringLiteral("CmbPmonth"), 0, i);
        CmbPmonth[i]->addItems(months);
        CmbPmonth[i]->setCurrentIndex(-1);
        CmbPmonth[i]->setMinimumWidth(70);
    }

    ChkShow = new QCheckBox(this);
    nameControl(ChkShow, QStringLiteral("ChkShow"), 1405);
    LblTarget = new QLabel(this);
    nameControl(LblTarget, QStringLiteral("LblTarget"));
    LblTarget->setFrameStyle(QFrame::Box | QFrame::Plain);
    LblTarget->setLineWidth(1);
    // A long path must not widen the page.
    LblTarget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    LblTarget->setMinimumHeight(24);
    pBar = new QProgressBar(this);
    nameControl(pBar, QStringLiteral("pBar"));
    pBar->setRange(0, 100);
    pBar->setValue(0);
    CmdTitle = new QPushButton(QStringLiteral("XLS"), this);
    nameControl(CmdTitle, QStringLiteral("CmdTitle"), 1406);
    CmdTitle->setMinimumWidth(100);

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
    button->addWidget(CmdTitle);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(24, 20, 24, 20);
    page->setSpacing(12);
    page->addWidget(Label24);
    page->addLayout(range);
    page->addSpacing(8);
    page->addWidget(ChkShow);
    page->addWidget(LblTarget);
    page->addWidget(pBar);
    page->addStretch(1);
    page->addLayout(button);

    locale = QLocale();
    createServer = [this] { return std::make_unique<xl::XlsxServer>(s_.fs, s_.openUrl); };

    connect(CmdTitle, &QPushButton::clicked, this, &ExportPage::CmdTitle_Click);
}

ExportPage::~ExportPage() = default;

bool ExportPage::GetSaveFile()
{
    CommonDialog& dlg = s_.CmDLG;
    dlg.Filter = QStringLiteral("Save as Excel Files(*.xlsx)|*.xlsx|");
    dlg.InitDir = s_.DataFolder;
    s_.refreshDataFolder();
    if (!dlg.ShowSave())
        return false;
    const QString target = workbookFileName(dlg.FileName);
    LblTarget->setText(target);
    LblTarget->setToolTip(target);
    return true;
}

void ExportPage::CmdTitle_Click()
{
    const bool korean = s_.isKorean();
    const auto range = exportRange(selectedText(CmbPYear[0]), selectedText(CmbPmonth[0]),
                                   selectedText(CmbPYear[1]), selectedText(CmbPmonth[1]));
    if (!range) {
        s_.boxes.info(korean ? QStringLiteral("날짜 설정 오류입니다.") : QStringLiteral("Wrong Date Setting."), kTitle);
        return;
    }
    // A cancelled dialog ends the export: there is nowhere to write to.
    if (!GetSaveFile())
        return;

    std::unique_ptr<xl::SpreadsheetServer> server = createServer ? createServer() : nullptr;
    const xl::Application app(server.get());
    const xl::Worksheet sheet = startExportSheet(app);

    // The two fields are hidden and no event is processed during the loop, so
    // they are given the texts of the range's last day once, after it: laying
    // out text in a line edit for every day cost more than writing the sheet.
    QString memo;
    QString done;
    int rows = 0;
    int unreadDays = 0;
    IoStatus firstUnread;
    for (int i = 0; i <= range->span; ++i) {
        const QDate day = range->firstDay.addDays(i);
        memo.clear();
        done.clear();
        const QString dayFile = DayFiles::dayFile(s_.DataFolder, day);
        if (s_.fs.fileExists(dayFile)) {
            // A file that cannot be read still gets its row, with what was read;
            // the day is counted and named at the end.
            IoStatus st = DayFiles::read(s_.fs, dayFile, memo);
            const QString companion = DayFiles::companionFile(s_.DataFolder, day);
            const bool hasDone = s_.fs.fileExists(companion);
            if (hasDone) {
                const IoStatus doneRead = DayFiles::read(s_.fs, companion, done);
                if (st)
                    st = doneRead;
            }
            if (!st && unreadDays++ == 0)
                firstUnread = st;
            writeDayRow(sheet, rows + 3, day, memo, hasDone ? &done : nullptr, locale);
            ++rows;
        }
        pBar->setValue(exportProgress(i, range->span));
    }
    Textmemo->setText(memo);
    textdone->setText(done);

    const bool show = ChkShow->isChecked();
    app.Visible(show);
    const IoStatus saved = app.ActiveWorkbook().SaveAs(LblTarget->text(), xl::xlNormal, QString(), QString(),
                                                       false, false, xl::xlNoChange);
    if (!show)
        app.Quit();

    if (saved && unreadDays > 0) {
        s_.boxes.info((korean ? QStringLiteral("변환한 자료를 저장했으나 %1일의 자료를 읽지 못했습니다.\r첫 실패: %2\r%3")
                              : QStringLiteral("The converted data was saved, but %1 day(s) could not be read.\rFirst failure: %2\r%3"))
                          .arg(unreadDays).arg(firstUnread.path, firstUnread.reason),
                      kTitle);
    } else if (saved) {
        s_.boxes.info(korean ? QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.")
                             : QStringLiteral("Daybrook Data Conversion is completed."),
                      kTitle);
    } else {
        const QString detail = QLatin1Char('\r') + saved.path + QLatin1Char('\r') + saved.reason;
        s_.boxes.info((korean ? QStringLiteral("변환한 자료를 파일에 저장하지 못했습니다.")
                              : QStringLiteral("The converted data could not be saved to the file."))
                          + detail,
                      kTitle);
    }
    server.reset();
}

} // namespace td
