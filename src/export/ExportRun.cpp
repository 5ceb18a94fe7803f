#include "ExportRun.h"

#include "IcsImport.h"
#include "days/DayFiles.h"

#include <QFileInfo>

namespace td {

bool isCalendarFileName(const QString& name)
{
    return name.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive);
}

QString exportMessage(bool korean, const ExportOutcome& outcome)
{
    if (outcome.cancelled)
        return (korean ? QStringLiteral("변환을 취소했습니다. %1일 중 %2일을 읽었고, 파일은 바꾸지 않았습니다.\r%3")
                       : QStringLiteral("The export was cancelled after %2 of %1 days; the file was not changed.\r%3"))
            .arg(outcome.days)
            .arg(outcome.done)
            .arg(outcome.target);
    if (!outcome.saved)
        return (korean ? QStringLiteral("변환한 자료를 파일에 저장하지 못했습니다.") : QStringLiteral("The converted data could not be saved to the file."))
               + QLatin1Char('\r') + outcome.saved.path + QLatin1Char('\r') + outcome.saved.reason;
    QString text = outcome.unread > 0
                       ? (korean ? QStringLiteral("변환한 자료를 저장했으나 %1일의 자료를 읽지 못했습니다.\r첫 실패: %2\r%3")
                                 : QStringLiteral("The converted data was saved, but %1 day(s) could not be read.\rFirst failure: %2\r%3"))
                             .arg(outcome.unread)
                             .arg(outcome.firstUnread.path, outcome.firstUnread.reason)
                       : (korean ? QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.") : QStringLiteral("Daybrook Data Conversion is completed."));
    // Where the file went, and whether it could be opened when that was asked for.
    text += QLatin1Char('\r') + outcome.target;
    if (outcome.notOpened)
        text += QLatin1Char('\r')
                + (korean ? QStringLiteral("이 파일을 열 수 있는 프로그램이 없어 파일을 열지 못했습니다.")
                          : QStringLiteral("No program could open the file, so it was not opened."));
    return text;
}

namespace {

// Whether a read found a file of the day on path: read whole, or a regular file
// it could not read. Asked of the read itself, so a day costs no stat besides.
bool there(const IFileSystem& fs, const QString& path, const IoStatus& read)
{
    return read.ok || (!read.missing && fs.fileExists(path));
}

} // namespace

ExportOutcome readExportDays(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                             const ExportDayTaker& take, const std::function<void(int)>& percent, const ExportStop& stop)
{
    ExportOutcome out;
    out.days = range.span + 1;
    QString& memo = out.lastMemo;
    QString& done = out.lastDone;
    for (int i = 0; i <= range.span; ++i) {
        const QDate day = range.firstDay.addDays(i);
        memo.clear();
        done.clear();
        const QString dayFile = DayFiles::dayFile(dataFolder, day);
        QByteArray memoBytes, doneBytes;
        IoStatus st = fs.readAll(dayFile, memoBytes);
        if (there(fs, dayFile, st)) {
            // A file that cannot be read still gets its day, with what was read;
            // the day is counted and named at the end.
            const bool memoRead = st.ok;
            if (memoRead)
                memo = DayFiles::joinLines(memoBytes);
            const QString companion = DayFiles::companionOf(dayFile);
            const IoStatus ds = fs.readAll(companion, doneBytes);
            const bool hasDone = there(fs, companion, ds);
            bool doneRead = false;
            if (hasDone) {
                doneRead = ds.ok;
                if (doneRead)
                    done = DayFiles::joinLines(doneBytes);
                if (st)
                    st = ds;
            }
            if (!st && out.unread++ == 0)
                out.firstUnread = st;
            take(day, memo, hasDone ? &done : nullptr,
                 ExportDayBytes{memoRead ? &memoBytes : nullptr, doneRead ? &doneBytes : nullptr});
            ++out.rows;
        }
        if (percent)
            percent(exportProgress(i, range.span));
        out.done = i + 1;
        if (stop && i < range.span && stop()) {
            out.cancelled = true;
            break;
        }
    }
    return out;
}

ExportOutcome exportWorkbook(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                             const QString& target, const QLocale& locale, xl::SpreadsheetServer* server, bool show,
                             const std::function<void(int)>& percent, const ExportStop& stop)
{
    const xl::Application app(server);
    const xl::Worksheet sheet = startExportSheet(app);
    int rows = 0;
    ExportOutcome out = readExportDays(
        fs, dataFolder, range, [&](const QDate& day, const QString& memo, const QString* done, ExportDayBytes) {
            writeDayRow(sheet, rows + 3, day, memo, done, locale);
            ++rows;
        },
        percent, stop);
    out.target = target;
    if (out.cancelled) {
        app.Quit();
        return out;
    }
    app.Visible(show);
    out.saved = app.ActiveWorkbook().SaveAs(target, xl::xlNormal, QString(), QString(), false, false, xl::xlNoChange);
    if (!show)
        app.Quit();
    return out;
}

ExportOutcome exportCalendarFile(IFileSystem& fs, const QString& dataFolder, const ExportRange& range,
                                 const QString& target, const QStringList* holidays,
                                 const ics::LunarToSolar& lunarToSolar, const QDateTime& now,
                                 const std::function<void(int)>& percent, const ExportStop& stop)
{
    ics::CalendarWriter calendar(now);
    int events = 0; // a blank day gives no event
    ExportOutcome out = readExportDays(
        fs, dataFolder, range, [&](const QDate& day, const QString& memo, const QString* done, ExportDayBytes bytes) {
            if (calendar.addDay(day, memo, done, bytes.memo, bytes.done))
                ++events;
        },
        percent, stop);
    out.target = target;
    if (out.cancelled)
        return out;
    out.rows = events;
    if (holidays)
        calendar.addHolidays(*holidays, range.firstDay, range.lastDay, lunarToSolar);
    out.saved = fs.writeAtomic(target, calendar.serialize(), Durability::Synced);
    return out;
}

ImportPlan planCalendarImport(IFileSystem& fs, const QString& path, const QString& dataFolder, const ExportRange& range,
                              bool korean, const std::function<bool(int)>& progress)
{
    ImportPlan out;
    ics::ImportResult read;
    {
        QByteArray bytes;
        const IoStatus st = fs.readAll(path, bytes);
        if (!st) {
            out.error = path + QLatin1Char('\r') + st.reason;
            return out;
        }
        read = ics::readCalendar(bytes, path, ics::ImportOptions{range.firstDay, range.lastDay, korean, progress});
    }
    out.cancelled = read.cancelled;
    if (!read.ok()) {
        out.error = read.error;
        return out;
    }
    out.plan = ics::planImport(fs, dataFolder, read);
    out.notes = ics::importNotes(korean, read);
    return out;
}

RunLabel importLabel(const QString& path, const ExportRange& range)
{
    return {QStringLiteral("ics-import"), range.firstDay, range.lastDay, QFileInfo(path).fileName()};
}

} // namespace td
