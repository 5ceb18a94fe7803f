#include "DayExport.h"

#include <QFileInfo>
#include <charconv>
#include <cmath>
#include <utility>

namespace td {

using namespace xl;

namespace {
std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}
} // namespace

std::optional<ExportRange> exportRange(const QString& startYear, const QString& startMonth,
                                       const QString& endYear, const QString& endMonth)
{
    const auto y0 = number(startYear), m0 = number(startMonth), y1 = number(endYear), m1 = number(endMonth);
    if (!y0 || !m0 || !y1 || !m1)
        return std::nullopt;
    const QDate first(*y0, *m0, 1);
    const QDate endMonthFirst(*y1, *m1, 1);
    if (!first.isValid() || !endMonthFirst.isValid())
        return std::nullopt;
    const QDate last(*y1, *m1, endMonthFirst.daysInMonth());
    const int span = int(first.daysTo(last));
    // A single month spans at least 27 days, so this only refuses an end before the start.
    if (span < 1)
        return std::nullopt;
    return ExportRange{first, last, span};
}

int exportProgress(int i, int span)
{
    if (span <= 0)
        return 100;
    return int(std::lrint(float(i) / float(span) * 100.0f));
}

QString exportDateText(const QDate& date, const QLocale& locale)
{
    // Built in one buffer: an export makes one of these for every day of the range.
    int y = 0, m = 0, d = 0;
    date.getDate(&y, &m, &d);
    char digits[40];
    char* p = digits;
    for (const auto& [n, after] : {std::pair(y, '/'), std::pair(m, '/'), std::pair(d, '(')}) {
        p = std::to_chars(p, digits + sizeof digits, n).ptr;
        *p++ = after;
    }
    const QString weekday = locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    QString text;
    text.reserve(qsizetype(p - digits) + weekday.size() + 1);
    text += QLatin1StringView(digits, qsizetype(p - digits));
    text += weekday;
    text += QLatin1Char(')');
    return text;
}

int weekdayColorIndex(const QDate& date)
{
    switch (date.dayOfWeek()) {
    case Qt::Sunday:
        return 3;
    case Qt::Saturday:
        return 5;
    default:
        return 0;
    }
}

QString workbookFileName(const QString& chosen)
{
    if (chosen.isEmpty())
        return chosen;
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.isEmpty())
        return chosen.endsWith(QLatin1Char('.')) ? chosen + QLatin1String("xlsx") : chosen + QLatin1String(".xlsx");
    if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return chosen.left(chosen.size() - 3) + QLatin1String("xlsx");
    return chosen;
}

Worksheet startExportSheet(const Application& app)
{
    app.Visible(false);
    app.DisplayAlerts(false);
    const Worksheet sheet = app.Workbooks().Add().ActiveSheet();
    sheet.Name(QStringLiteral("Daybrook"));

    sheet.Cells(2, 1).BorderAround(xlContinuous, xlThin, xlColorIndexAutomatic, 20);
    sheet.Cells(2, 1).Value(QStringLiteral("Date"));
    sheet.Cells(2, 1).Interior().ColorIndex(15);
    sheet.Cells(2, 1).HorizontalAlignment(xlCenter);
    sheet.Cells(2, 2).BorderAround(xlContinuous, xlThin, xlColorIndexAutomatic, 20);
    sheet.Cells(2, 2).Value(QStringLiteral("ToDo List"));
    sheet.Cells(2, 2).Interior().ColorIndex(24);
    sheet.Cells(2, 2).Font().Bold(true);
    sheet.Cells(2, 2).HorizontalAlignment(xlCenter);
    sheet.Cells(2, 3).BorderAround(xlContinuous, xlThin, xlColorIndexAutomatic, 20);
    sheet.Cells(2, 3).Value(QStringLiteral("End List"));
    sheet.Cells(2, 3).Interior().ColorIndex(36);
    sheet.Cells(2, 3).Font().Bold(true);
    sheet.Cells(2, 3).HorizontalAlignment(xlCenter);
    sheet.Columns(QStringLiteral("A:A")).Font().Bold(true);
    sheet.Columns(QStringLiteral("A:A")).ColumnWidth(18);
    sheet.Columns(QStringLiteral("B:B")).ColumnWidth(36);
    sheet.Columns(QStringLiteral("C:C")).ColumnWidth(36);
    // A note of several lines shows each of them in its own row height.
    sheet.Columns(QStringLiteral("B:C")).WrapText(true);
    sheet.Cells().Font().Size(8);
    sheet.Cells().Font().Name(QStringLiteral("굴림"));
    sheet.Cells().Font().Name(QStringLiteral("Arial"));
    sheet.Cells().VerticalAlignment(xlTop);
    sheet.Cells(1, 1).Value(QStringLiteral("Daybrook Data List"));
    sheet.Cells(1, 1).Font().Size(14);
    sheet.Cells(1, 1).Font().Name(QStringLiteral("Arial"));
    app.ActiveWindow().DisplayGridlines(false);
    // Every printed page shows the header row and the dates.
    sheet.PageSetup().PrintTitleRows(QStringLiteral("$2:$2"));
    sheet.PageSetup().PrintTitleColumns(QStringLiteral("$A:$A"));
    return sheet;
}

void writeDayRow(const Worksheet& sheet, int row, const QDate& date, const QString& memo, const QString* done,
                 const QLocale& locale)
{
    sheet.Cells(row, 2).Value(memo);
    sheet.Cells(row, 2).Interior().ColorIndex(24);
    sheet.Cells(row, 2).BorderAround(xlContinuous, xlThin, std::nullopt, 24);
    if (done) {
        sheet.Cells(row, 3).Value(*done);
        sheet.Cells(row, 3).Interior().ColorIndex(36);
        sheet.Cells(row, 3).BorderAround(xlContinuous, xlThin, xlColorIndexAutomatic, 36);
    }
    sheet.Cells(row, 1).Value(exportDateText(date, locale));
    sheet.Cells(row, 1).BorderAround(xlContinuous, xlThin, xlColorIndexAutomatic, 20);
    // The real weekday decides, so localised names (일, 토) are coloured too.
    sheet.Cells(row, 1).Font().ColorIndex(weekdayColorIndex(date));
}

} // namespace td
