// The widest export: ten years with a day file and a companion file on every
// day, against libxlsxwriter writing the same cells on its own.
#include "BenchExport.h"
#include "days/DayFiles.h"
#include "export/DayExport.h"
#include "export/ExportPage.h"
#include "export/XlsxServer.h"
#include "platform/Cp949.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <xlsxwriter.h>

using namespace td;
using namespace bench;

namespace {

// What the export writes, straight through libxlsxwriter: one format per kind of cell.
void writeDirectly(const std::vector<Day>& days, const QLocale& locale, const QString& path)
{
    lxw_workbook* wb = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Daybrook");
    auto format = [&](bool bold, double size, lxw_color_t fill, lxw_color_t border, lxw_color_t font, bool centre) {
        lxw_format* f = workbook_add_format(wb);
        format_set_font_name(f, "Arial");
        format_set_font_size(f, size);
        format_set_align(f, LXW_ALIGN_VERTICAL_TOP);
        if (bold)
            format_set_bold(f);
        if (fill) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, fill);
        }
        if (border) {
            format_set_border(f, LXW_BORDER_THIN);
            format_set_border_color(f, border);
        }
        if (font)
            format_set_font_color(f, font);
        if (centre)
            format_set_align(f, LXW_ALIGN_CENTER);
        return f;
    };
    lxw_format* title = format(true, 14, 0, 0, 0, false);
    lxw_format* headA = format(true, 8, 0xC0C0C0, 0x140000, 0, true);
    lxw_format* headB = format(true, 8, 0xCCCCFF, 0x140000, 0, true);
    lxw_format* headC = format(true, 8, 0xFFFF99, 0x140000, 0, true);
    lxw_format* date = format(true, 8, 0, 0x140000, 0, false);
    lxw_format* sunday = format(true, 8, 0, 0x140000, 0xFF0000, false);
    lxw_format* saturday = format(true, 8, 0, 0x140000, 0x0000FF, false);
    lxw_format* memo = format(false, 8, 0xCCCCFF, 0x180000, 0, false);
    lxw_format* done = format(false, 8, 0xFFFF99, 0x240000, 0, false);
    lxw_format* column = format(false, 8, 0, 0, 0, false);
    lxw_format* columnA = format(true, 8, 0, 0, 0, false);
    worksheet_set_column(ws, 0, 0, 18, columnA);
    worksheet_set_column(ws, 1, 2, 36, column);
    worksheet_set_row(ws, 0, 18, nullptr);
    worksheet_write_string(ws, 0, 0, "Daybrook Data List", title);
    worksheet_write_string(ws, 1, 0, "Date", headA);
    worksheet_write_string(ws, 1, 1, "ToDo List", headB);
    worksheet_write_string(ws, 1, 2, "End List", headC);
    lxw_row_t row = 2;
    for (const Day& d : days) {
        const int colour = weekdayColorIndex(d.date);
        lxw_format* format = colour == 3 ? sunday : date;
        if (colour == 5)
            format = saturday;
        worksheet_write_string(ws, row, 0, exportDateText(d.date, locale).toUtf8().constData(), format);
        worksheet_write_string(ws, row, 1, d.memo.toUtf8().constData(), memo);
        worksheet_write_string(ws, row, 2, d.done.toUtf8().constData(), done);
        ++row;
    }
    worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
    workbook_close(wb);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const QString data = dir.path() + QLatin1Char('/');
    const QDate first(2000, 1, 1), last(2009, 12, 31);
    const std::vector<Day> days = writeTenYears(data, first, last);

    QtFileSystem fs;
    Store store;
    Boxes boxes;
    Dialog dialog;
    dialog.target = dir.path() + QStringLiteral("/export.xlsx");
    Services services{fs, store, boxes, dialog, dir.path()};
    services.today = [] { return QDate(2026, 12, 6); };
    ExportPage page(services, nullptr);
    page.locale = QLocale(QLocale::English, QLocale::UnitedStates);
    chooseTenYears(page);

    std::vector<double> full, sheetOnly, direct, reading, bare;
    const std::vector<QByteArray> names = dayFileNames(data, days);
    for (int i = 0; i < runs; ++i) {
        timeInto(full, [&] { page.CmdTitle_Click(); });

        // The workbook component alone, fed from memory.
        timeInto(sheetOnly, [&] {
            xl::XlsxServer server(fs, {});
            const xl::Application a(&server);
            const xl::Worksheet sheet = startExportSheet(a);
            int row = 3;
            for (const Day& d : days)
                writeDayRow(sheet, row++, d.date, d.memo, &d.done, page.locale);
            a.ActiveWorkbook().SaveAs(dir.path() + QStringLiteral("/component.xlsx"), xl::xlNormal, {}, {}, false,
                                      false, xl::xlNoChange);
            a.Quit();
        });

        // The day files alone, by the reading rule.
        timeInto(reading, [&] {
            for (const Day& d : days) {
                QString memo, done;
                const QString path = DayFiles::dayFile(data, d.date);
                if (fs.fileExists(path))
                    DayFiles::read(fs, path, memo);
                const QString companion = DayFiles::companionFile(data, d.date);
                if (fs.fileExists(companion))
                    DayFiles::read(fs, companion, done);
            }
        });

        // The floor: the same files with bare system calls (stat, open, read, close).
        timeInto(bare, [&] { readBare(names); });
        timeInto(direct, [&] { writeDirectly(days, page.locale, dir.path() + QStringLiteral("/direct.xlsx")); });
    }

    if (!exportsCompleted(boxes, runs))
        return 1;
    const double exportMs = median(full), componentMs = median(sheetOnly), directMs = median(direct);
    std::printf("days exported                          %zu (day file and companion on each)\n", days.size());
    std::printf("workbook size                          %lld bytes\n", QFileInfo(dialog.target).size());
    std::printf("export, files to workbook (median of %d) %8.1f ms\n", runs, exportMs);
    std::printf("component alone, texts from memory     %8.1f ms\n", componentMs);
    std::printf("day files alone, read by the rule      %8.1f ms\n", median(reading));
    std::printf("day files, bare system calls           %8.1f ms\n", median(bare));
    std::printf("libxlsxwriter alone, same cells        %8.1f ms\n", directMs);
    std::printf("ratio export / libxlsxwriter           %8.2f\n", exportMs / directMs);
    std::printf("ratio component / libxlsxwriter        %8.2f\n", componentMs / directMs);
    std::printf("ratio export / (bare reads + libxlsxwriter) %5.2f\n", exportMs / (median(bare) + directMs));
    return 0;
}
