// iCalendar: the widest export (ten years, a day file and a companion every
// day) against bare reads plus libical writing the same events on its own;
// the import of 10,000 events; and a 50 MB file of 100,000 events read in
// bounded memory.
#include "BenchExport.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "export/ExportPage.h"
#include "export/IcsExport.h"
#include "export/IcsImport.h"
#include "platform/Cp949.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <libical/ical.h>
#include <sys/resource.h>

using namespace td;
using namespace bench;

namespace {

long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long currentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

// The same events straight through libical, texts from memory, written with one plain write.
void writeDirectly(const std::vector<Day>& days, const QString& path)
{
    icalcomponent* cal = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal, icalproperty_new_prodid("-//bench//EN"));
    icaltimetype stamp = icaltime_from_timet_with_zone(time(nullptr), 0, icaltimezone_get_utc_timezone());
    for (const Day& d : days) {
        icalcomponent* ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(ev, icalproperty_new_uid(d.date.toString("yyyyMMdd@b").toUtf8().constData()));
        icalcomponent_add_property(ev, icalproperty_new_dtstamp(stamp));
        icaltimetype s = icaltime_null_date();
        s.year = d.date.year();
        s.month = d.date.month();
        s.day = d.date.day();
        icalcomponent_add_property(ev, icalproperty_new_dtstart(s));
        icalcomponent_add_property(ev, icalproperty_new_dtend(icaltime_add(s, icaldurationtype_from_int(86400))));
        icalcomponent_add_property(ev, icalproperty_new_summary(d.memo.section('\n', 0, 0).toUtf8().constData()));
        icalcomponent_add_property(ev, icalproperty_new_description((d.memo + "\n\nEnd List\n" + d.done).toUtf8().constData()));
        icalcomponent_add_component(cal, ev);
    }
    char* text = icalcomponent_as_ical_string_r(cal);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const size_t len = strlen(text);
    if (fd >= 0) {
        if (::write(fd, text, len) != ssize_t(len))
            std::perror("write");
        ::fsync(fd);
        ::close(fd);
    }
    free(text);
    icalcomponent_free(cal);
}

// n events spread over ten years, each with a description of pad bytes.
QByteArray eventsFile(int n, int pad)
{
    QByteArray out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    out.reserve(qsizetype(n) * (pad + 140));
    const QByteArray description = "DESCRIPTION:" + QByteArray(pad, 'x') + "\r\n";
    const QDate first(2000, 1, 1);
    for (int i = 0; i < n; ++i) {
        const QDate d = first.addDays(i % 3653);
        out += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "@bench\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:"
               + d.toString("yyyyMMdd").toLatin1() + "\r\nSUMMARY:Event " + QByteArray::number(i) + " 회의\r\n";
        if (pad > 0)
            out += description;
        out += "END:VEVENT\r\n";
    }
    out += "END:VCALENDAR\r\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QElapsedTimer t;

    // First, while the process is small: 100,000 events, 50 MB. Folded lines
    // stay unfolded here; the description pads each event to about 500 bytes.
    {
        const long before = currentKb();
        QByteArray big = eventsFile(100000, 400);
        const long withFile = currentKb();
        const long peakWithFile = peakKb();
        t.start();
        ics::ImportResult one = ics::readCalendar(big, "big.ics", QDate(2004, 1, 1), QDate(2004, 12, 31), false);
        const double oneYearMs = t.nsecsElapsed() / 1e6;
        const long peakOne = peakKb();
        int entries = 0;
        for (const QStringList& l : std::as_const(one.entriesByDay))
            entries += int(l.size());
        std::printf("big file                               %.1f MB, %d events\n", big.size() / 1e6, one.events);
        std::printf("  resident before / with the file      %ld / %ld KB (peak %ld KB)\n", before, withFile, peakWithFile);
        std::printf("  read, one year (%d entries)        %8.1f ms, peak resident %ld KB\n", entries, oneYearMs, peakOne);
        t.start();
        ics::ImportResult all = ics::readCalendar(big, "big.ics", QDate(2000, 1, 1), QDate(2009, 12, 31), false);
        const double allMs = t.nsecsElapsed() / 1e6;
        entries = 0;
        for (const QStringList& l : std::as_const(all.entriesByDay))
            entries += int(l.size());
        std::printf("  read, ten years (%d entries)     %8.1f ms, peak resident %ld KB\n", entries, allMs, peakKb());
        if (!one.ok() || !all.ok()) {
            std::fprintf(stderr, "the big file was refused: %s\n", qPrintable(one.error + all.error));
            return 1;
        }
    }

    // Files made to hang or exhaust the reader: each is read in seconds, the culprit refused by name.
    {
        const QByteArray head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n", tail = "END:VCALENDAR\r\n";
        auto event = [](const QByteArray& lines) { return "BEGIN:VEVENT\r\n" + lines + "END:VEVENT\r\n"; };
        QByteArray exdates, impossible;
        for (int i = 0; i < 100'000; ++i)
            exdates += "EXDATE;TZID=Asia/Seoul:" + QDate(2000, 1, 1).addDays(i % 3650).toString(QStringLiteral("yyyyMMdd")).toLatin1()
                       + "T090000\r\n";
        for (int i = 0; i < 20'000; ++i)
            impossible += event("UID:i" + QByteArray::number(i) + "\r\nDTSTART;TZID=Asia/Seoul:20000101T090000\r\n"
                                                                  "RRULE:FREQ=MONTHLY;BYDAY=MO;BYMONTHDAY=1;BYSETPOS=3\r\nSUMMARY:Never\r\n");
        const std::vector<std::pair<const char*, QByteArray>> files = {
            {"1,000,000 nested components", event(QByteArray("BEGIN:X\r\n").repeated(1'000'000) + QByteArray("END:X\r\n").repeated(1'000'000))},
            {"daily event, 1 MB title", event("DTSTART;VALUE=DATE:20000101\r\nRRULE:FREQ=DAILY\r\nSUMMARY:" + QByteArray(1'000'000, 'x') + "\r\n")},
            {"one 20 MB line", event("DTSTART;VALUE=DATE:20040101\r\nSUMMARY:" + QByteArray(20'000'000, 'y') + "\r\n")},
            {"4.6 MB of EXDATEs with a zone", event("DTSTART;TZID=Asia/Seoul:20000101T090000\r\nRRULE:FREQ=DAILY\r\n" + exdates + "SUMMARY:E\r\n")},
            {"SECONDLY rule that never matches", event("DTSTART;TZID=Asia/Seoul:20040101T000000\r\nRRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\r\nSUMMARY:S\r\n")},
            {"DAILY from year 1 with COUNT", event("DTSTART:00010101T000000\r\nRRULE:FREQ=DAILY;COUNT=900000\r\nSUMMARY:D\r\n")},
            {"20,000 monthly rules that never match", impossible},
        };
        for (const auto& [what, body] : files) {
            const QByteArray file = head + body + tail;
            t.start();
            const ics::ImportResult r = ics::readCalendar(file, "hostile.ics", QDate(2000, 1, 1), QDate(2009, 12, 31), false);
            std::printf("hostile: %-38s %5.1f MB %8.1f ms, %d refused, peak resident %ld KB\n", what, file.size() / 1e6,
                        t.nsecsElapsed() / 1e6, r.leftOut.refused, peakKb());
        }
    }

    // 10,000 events into an empty data folder, read and written.
    {
        const QByteArray file = eventsFile(10000, 0);
        std::vector<double> reads, applies;
        QtFileSystem fs;
        for (int i = 0; i < runs; ++i) {
            const QString data = dir.path() + QStringLiteral("/import%1/").arg(i);
            QDir().mkpath(data);
            t.start();
            const ics::ImportResult r = ics::readCalendar(file, "events.ics", QDate(2000, 1, 1), QDate(2009, 12, 31), false);
            reads.push_back(t.nsecsElapsed() / 1e6);
            t.start();
            RunJournal journal(dir.path() + QStringLiteral("/journal%1").arg(i));
            const DayRunResult done = executePlan(fs, data, ics::planImport(fs, data, r), &journal, {});
            applies.push_back(t.nsecsElapsed() / 1e6);
            if (!r.ok() || !done.ok() || done.changedDays != 3653) {
                std::fprintf(stderr, "the import failed: %s %s\n", qPrintable(r.error), qPrintable(done.firstFailure));
                return 1;
            }
        }
        std::printf("import of 10,000 events, read         %8.1f ms\n", median(reads));
        std::printf("  planned, journaled, written (3,653)  %8.1f ms\n", median(applies));
        std::printf("  together                             %8.1f ms\n", median(reads) + median(applies));
    }

    const QString data = dir.path() + QStringLiteral("/data/");
    const QDate first(2000, 1, 1), last(2009, 12, 31);
    const std::vector<Day> days = writeTenYears(data, first, last);
    QtFileSystem fs;
    Store store;
    Boxes boxes;
    Dialog dialog;
    dialog.target = dir.path() + QStringLiteral("/export.ics");
    Services services{fs, store, boxes, dialog, data};
    services.today = [] { return QDate(2026, 12, 6); };
    ExportPage page(services, nullptr);
    chooseTenYears(page);

    const std::vector<QByteArray> names = dayFileNames(data, days);
    std::vector<double> full, bare, direct;
    for (int i = 0; i < runs; ++i) {
        timeInto(full, [&] { page.CmdTitle_Click(); });
        timeInto(bare, [&] { readBare(names); });
        timeInto(direct, [&] { writeDirectly(days, dir.path() + QStringLiteral("/direct.ics")); });
    }
    if (!exportsCompleted(boxes, runs))
        return 1;
    const double exportMs = median(full), bareMs = median(bare), directMs = median(direct);
    std::printf("days exported                          %zu (day file and companion on each)\n", days.size());
    std::printf("calendar size                          %lld bytes\n", QFileInfo(dialog.target).size());
    std::printf("export, files to calendar (median of %d) %8.1f ms\n", runs, exportMs);
    std::printf("day files, bare system calls           %8.1f ms\n", bareMs);
    std::printf("libical alone, same events             %8.1f ms\n", directMs);
    std::printf("ratio export / (bare reads + libical)  %8.2f\n", exportMs / (bareMs + directMs));
    return 0;
}
