// iCalendar import: libical's parse, the recurrence expansion and the plan over
// day files that already hold notes. The plan touches only days of the chosen
// months, never gives a day a line twice that it did not hold twice before, and
// a second import of the same file changes nothing. Time and memory per input
// are bounded by libFuzzer's -timeout and -rss_limit_mb (scripts/fuzz).
#include "FuzzSupport.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "export/IcsImport.h"
#include "platform/Spaces.h"

#include <QHash>

namespace {
QHash<QString, int> lineCounts(const std::optional<QByteArray>& bytes)
{
    QHash<QString, int> counts;
    if (bytes) {
        const QString text = DayFiles::joinLines(*bytes);
        for (const QString& l : text.split(QLatin1Char('\n')))
            ++counts[trimSpaces(l)];
    }
    return counts;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const QDate first = QDate(2000, 1, 1).addMonths(in.number(120));
    const QDate lastMonth = first.addMonths(in.number(24));
    const QDate last(lastMonth.year(), lastMonth.month(), lastMonth.daysInMonth());
    // Days that hold notes already, around the start of the range.
    MemoryFileSystem fs;
    const QString folder = QStringLiteral("/data/");
    for (int i = in.number(4); i > 0; --i)
        fs.files.insert(DayFiles::dayFile(folder, first.addDays(in.number(40) - 5)), in.bytes(40));
    QByteArray file = in.rest();
    if (!file.startsWith("BEGIN:VCALENDAR"))
        file = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + file + "\r\nEND:VCALENDAR\r\n";

    const ics::ImportResult read = ics::readCalendar(file, QStringLiteral("in.ics"), first, last, false);
    const std::string what = "range " + first.toString(Qt::ISODate).toStdString() + " file " + shown(file.left(2000));
    if (!read.ok()) {
        require(read.entriesByDay.isEmpty() && read.ownDays.isEmpty(), "a refused file still gave days: " + what);
        return 0;
    }
    for (auto it = read.entriesByDay.cbegin(); it != read.entriesByDay.cend(); ++it) {
        require(it.key() >= first && it.key() <= last, "an entry outside the chosen months: " + what);
        require(QSet<QString>(it->cbegin(), it->cend()).size() == it->size(), "a day got one entry twice: " + what);
    }
    const DayPlan plan = ics::planImport(fs, folder, read);
    for (const DayChange& c : plan.days) {
        require(c.date >= first && c.date <= last, "the plan touches a day outside the chosen months: " + what);
        if (c.kind() == DayChange::Kind::Unchanged)
            continue;
        require(c.after.has_value(), "the import deleted a day: " + what);
        const QHash<QString, int> before = lineCounts(c.before);
        const QHash<QString, int> after = lineCounts(c.after);
        // A day of an own export comes back as it was, repeated lines and all.
        const auto own = read.ownDays.constFind(c.date);
        const QHash<QString, int> restored =
            own == read.ownDays.cend() ? QHash<QString, int>() : lineCounts(c.companion ? own->done : std::optional(own->day));
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            require(it.key().isEmpty() || it.value() <= std::max({1, before.value(it.key()), restored.value(it.key())}),
                    "a line added twice to " + c.path.toStdString() + ": " + what);
    }
    executePlan(fs, folder, plan, nullptr, {});
    const DayPlan again = ics::planImport(fs, folder, read);
    require(again.count(DayChange::Kind::Unchanged) == again.days.size(), "a second import changed a day: " + what);
    return 0;
}
