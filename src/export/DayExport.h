#pragma once
#include "Spreadsheet.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <optional>

namespace td {

// The days an export covers: the first day of the start month to the last day
// of the end month.
struct ExportRange {
    QDate firstDay;
    QDate lastDay;
    int span = 0; // lastDay - firstDay in days; the range holds span + 1 days
};

// The range of the four list texts; nothing when a text is not a year or month
// (an empty list) or the end month lies before the start month.
std::optional<ExportRange> exportRange(const QString& startYear, const QString& startMonth,
                                       const QString& endYear, const QString& endMonth);

// Percentage of the range done after day i (0 for the first day, 100 for the last).
int exportProgress(int i, int span);

// "2001/12/5(Wed)", with the short weekday name of the given locale.
QString exportDateText(const QDate& date, const QLocale& locale);
// Palette index of the date's font: 3 (red) on Sundays, 5 (blue) on Saturdays, 0 otherwise.
int weekdayColorIndex(const QDate& date);

// The workbook name for what the save dialog returned: a name without an
// extension gets ".xlsx", and an ".xls" one becomes ".xlsx" (the file is an
// Open XML workbook, which spreadsheet programs refuse under ".xls").
QString workbookFileName(const QString& chosen);

// The sheet of a new export workbook: its name, the title, the header row and
// the formatting of the whole sheet. Returns the sheet that receives the days.
xl::Worksheet startExportSheet(const xl::Application& app);

// One exported day at row r: the notes in B, the finished items in C when the
// day has a companion file (done not null), and the date in A.
void writeDayRow(const xl::Worksheet& sheet, int row, const QDate& date, const QString& memo,
                 const QString* done, const QLocale& locale);

} // namespace td
