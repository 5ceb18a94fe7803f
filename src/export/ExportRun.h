#pragma once
// The export and the iCalendar import without a window: what the Data page and
// the command line both run.
#include "DayExport.h"
#include "IcsExport.h"
#include "Spreadsheet.h"
#include "days/DayPlan.h"
#include "days/RunJournal.h"
#include "platform/FileSystem.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <functional>
#include <memory>

namespace td {

// A name ending in ".ics" is a calendar; everything else is a workbook.
bool isCalendarFileName(const QString& name);

// How an export went: the file saved or not, and the days that could not be read whole.
struct ExportOutcome {
    IoStatus saved = IoStatus::success();
    int rows = 0;   // exported days
    int unread = 0; // days whose files could not be read whole (exported with what was read)
    IoStatus firstUnread;
    QString lastMemo, lastDone; // the texts of the range's last day (empty without its files)
    QString target;             // the file written to
    int done = 0, days = 0;     // days of the range gone through, of how many
    bool cancelled = false;     // stopped by the user: the target was left as it was
    bool notOpened = false;     // the workbook was to be opened, and no program could
};

// The message an export ends with: completed, saved with unread days, not saved,
// or cancelled; the file's path follows.
// Lines are separated by a lone CR, as in the window's message boxes.
QString exportMessage(bool korean, const ExportOutcome& outcome);

// The exact bytes of a day's two files, null when a file could not be read whole.
struct ExportDayBytes {
    const QByteArray* memo = nullptr;
    const QByteArray* done = nullptr;
};
// The days of the range that have a day file, each with its companion's text
// when there is one; percent follows every day of the range. true from stop
// after a day ends the reading there, cancelled.
using ExportDayTaker = std::function<void(const QDate& day, const QString& memo, const QString* done, ExportDayBytes bytes)>;
using ExportStop = std::function<bool()>;
ExportOutcome readExportDays(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                             const ExportDayTaker& take, const std::function<void(int percent)>& percent,
                             const ExportStop& stop = {});

// The workbook export through a spreadsheet server (null: none could be started,
// nothing is saved). show leaves the workbook open in the spreadsheet program.
ExportOutcome exportWorkbook(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                             const QString& target, const QLocale& locale, xl::SpreadsheetServer* server, bool show,
                             const std::function<void(int percent)>& percent, const ExportStop& stop = {});

// The calendar export: the days as all-day events, with the holiday entries when
// holidays is not null; the file replaces the target whole, synced. A cancelled
// export writes nothing.
ExportOutcome exportCalendarFile(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                                 const QString& target, const QStringList* holidays,
                                 const ics::LunarToSolar& lunarToSolar, const QDateTime& now,
                                 const std::function<void(int percent)>& percent, const ExportStop& stop = {});

// What importing an iCalendar file into the day files would do. A file that
// cannot be read or is refused gives the reason and an empty plan. progress is
// told how much of the file is read; false from it stops the reading.
struct ImportPlan {
    DayPlan plan;
    QString notes; // what the import leaves out or changes, for the preview
    QString error; // for the user; empty when the plan may be applied
    bool cancelled = false;
    bool ok() const { return error.isEmpty() && !cancelled; }
};
ImportPlan planCalendarImport(IFileSystem& fs, const QString& path, const QString& dataFolder, const ExportRange& range,
                              bool korean, const std::function<bool(int percent)>& progress = {});
// The journal's name of an import run.
RunLabel importLabel(const QString& path, const ExportRange& range);

} // namespace td
