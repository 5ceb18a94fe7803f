#pragma once
#include "DayExport.h"
#include "IcsExport.h"
#include "Spreadsheet.h"
#include "days/DayPlan.h"
#include "platform/Services.h"

#include <QLocale>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace td {

// Page 4: a range of months of day notes exported to a workbook.
class ExportPage : public QWidget {
    Q_OBJECT
public:
    ExportPage(Services& services, QWidget* parent);
    ~ExportPage() override;

    // Supplies the short weekday names of the date column.
    QLocale locale;
    // Starts the spreadsheet server for one export; null when it cannot be started.
    std::function<std::unique_ptr<xl::SpreadsheetServer>()> createServer;

    // The holiday entries an iCalendar export takes along: Holiday.dat as stored.
    std::function<QStringList()> holidays;
    // Solar dates of the lunar holidays (the Korean lunar calendar); without it they are left out.
    ics::LunarToSolar lunarToSolar;
    // The time stamped on exported events.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    // Shows what an import would do, with what it leaves out, and asks to go on; true applies the plan.
    std::function<bool(const DayPlan& plan, const QString& notes)> confirmImport;
    // Asked while a calendar file is read: true stops the reading, and nothing is written.
    std::function<bool()> importCancelled;

    // Asks for the target workbook or calendar. False when the user cancelled the dialog.
    bool GetSaveFile();

public slots:
    void CmdTitle_Click();
    void CmdImport_Click();

private:
    // The range of the four lists; a wrong one is told to the user and gives nothing.
    std::optional<ExportRange> chosenRange();

    Services& s_;
    bool notOpened_ = false; // the saved workbook was to be opened, and no program could

    std::array<QComboBox*, 2> CmbPYear{}; // start, end
    std::array<QComboBox*, 2> CmbPmonth{};
    QLabel* Label24; // the page's heading line
    QLabel* Label6;  // "From"
    QLabel* Label7;  // "년" behind the start year
    QLabel* Label5;  // "월" behind the start month
    QLabel* Label14; // the arrow between the two rows
    QLabel* Label13; // "To"
    QLabel* Label11; // "년" behind the end year
    QLabel* Label10; // "월" behind the end month
    QCheckBox* ChkShow;
    QLabel* LblTarget;
    QProgressBar* pBar;
    QPushButton* CmdCancelExport; // live only while an export or import goes on
    QPushButton* CmdTitle;
    QCheckBox* ChkHoliday;        // an iCalendar export takes the holiday list along
    QPushButton* CmdImport;       // brings the events of an iCalendar file into the day files
    QLineEdit* Textmemo;          // the notes of the day being exported
    QLineEdit* textdone;          // its finished items
    bool calendarTarget_ = false; // the save dialog's calendar type was chosen
};

} // namespace td
