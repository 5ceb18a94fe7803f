// Calendars in the shapes other programs write them (tests/export/calendars), each
// with the day files it must give; this program's own export of ten years back in;
// and files made to hang or exhaust the reader.
#include "TestSupport.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "export/IcsExport.h"
#include "export/IcsImport.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>
#include <ctime>

using namespace td;

namespace {

QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p.mid(folder.size()), test::readFile(p));
    }
    return files;
}

// Reads, plans and writes; the plan is returned for a look at what it did.
DayPlan importInto(IFileSystem& fs, const QString& data, const ics::ImportResult& read)
{
    const DayPlan plan = ics::planImport(fs, data, read);
    const DayRunResult done = executePlan(fs, data, plan, nullptr, {});
    if (!done.ok())
        qWarning("import failed at %s: %s", qPrintable(done.firstFailure), qPrintable(done.firstReason));
    return plan;
}

const char kControls[] = "tab\there; comma, back\\slash\r\nNUL \0 and \x01 kept\r\n";

bool changesNothing(const DayPlan& plan)
{
    return plan.failedDays == 0 && plan.count(DayChange::Kind::Unchanged) == plan.days.size();
}

} // namespace

class TestIcsImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Timed events land on their local date and time in this zone.
        qputenv("TZ", "Asia/Seoul");
        tzset();
    }

    void calendars_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList names = QDir(QStringLiteral(CALENDARS)).entryList({QStringLiteral("*.ics")}, QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 15);
        for (const QString& n : names)
            QTest::newRow(qPrintable(n)) << n.chopped(4);
    }

    // Into an empty data folder the calendar gives exactly its day files ("== path" and
    // its lines), the preview names what it left out ("! text"); imported a second
    // time it changes nothing. A refused file ("X message") gives no day at all.
    void calendars()
    {
        QFETCH(QString, name);
        const QDir dir(QStringLiteral(CALENDARS));
        QMap<QString, QByteArray> expected;
        QStringList notes;
        QString refusal;
        {
            QString path;
            QStringList lines;
            auto flush = [&] {
                if (!path.isEmpty())
                    expected.insert(path, test::cp949(lines.join(QLatin1Char('\n')) + QStringLiteral("\r\n")));
                path.clear();
                lines.clear();
            };
            const QString text = QString::fromUtf8(test::readFile(dir.filePath(name + QStringLiteral(".expected"))));
            for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                if (line.startsWith(QLatin1String("# ")))
                    continue;
                if (line.startsWith(QLatin1String("== "))) {
                    flush();
                    path = line.mid(3);
                } else if (line.startsWith(QLatin1String("! "))) {
                    notes << line.mid(2);
                } else if (line.startsWith(QLatin1String("X "))) {
                    refusal = line.mid(2).replace(QLatin1String("\\r"), QLatin1String("\r"));
                } else {
                    lines << line;
                }
            }
            flush();
        }

        const ics::ImportResult read = ics::readCalendar(test::readFile(dir.filePath(name + QStringLiteral(".ics"))),
                                                         QStringLiteral("in.ics"), QDate(2024, 3, 1), QDate(2024, 3, 31), false);
        QCOMPARE(read.error, refusal);
        if (!refusal.isEmpty()) {
            QVERIFY(read.entriesByDay.isEmpty() && read.ownDays.isEmpty());
            return;
        }
        const QString shown = ics::importNotes(false, read);
        for (const QString& n : std::as_const(notes))
            QVERIFY2(shown.contains(n), qPrintable(shown));

        test::Fixture f;
        const QString data = f.path(QStringLiteral("data/"));
        QDir().mkpath(data);
        importInto(f.fs, data, read);
        QCOMPARE(snapshot(data), expected);
        QVERIFY(changesNothing(ics::planImport(f.fs, data, read)));
    }

    // Ten years of notes in the shapes Daybrook and this program write them, exported and
    // imported into an empty folder: every day file and companion byte for byte. Into the
    // folder it came from, and a second time, it changes nothing; a day that moved on
    // since keeps its lines and gains the exported ones it lacks.
    void ownExportRoundTrip()
    {
        test::Fixture f;
        const QString from = f.path(QStringLiteral("from/"));
        const QDate first(2000, 1, 1), last(2009, 12, 31);
        const QList<QByteArray> shapes = {
            test::cp949(QStringLiteral("[팀 회의]\n[시험 D-30]\r\n")),
            test::cp949(QStringLiteral("\r\n\r\n첫 줄\r\n\r\n셋째 줄 똠방각하\r\n")),
            QByteArray("stray \xFF\x80 bytes\r\nlone LF\ninside\r\n"),
            QByteArray(kControls, sizeof(kControls) - 1),
            QByteArray("no line end at all"),
            test::cp949(QStringLiteral("[이미 괄호]\r\n")),
        };
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            // Notes on every fourth day keep the disk work small; the shapes go round.
            const int i = int(first.daysTo(d));
            if (i % 4 != 0)
                continue;
            test::writeFile(from + DayFiles::dayFile(QString(), d), shapes[i / 4 % shapes.size()]);
            if (i % 12 == 0)
                test::writeFile(from + DayFiles::companionFile(QString(), d), test::cp949(QStringLiteral("끝난 일\r\n둘째\r\n")));
        }
        const QMap<QString, QByteArray> before = snapshot(from);

        ics::CalendarWriter writer(QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3), Qt::UTC));
        for (QDate d = first; d <= last; d = d.addDays(1)) {
            const QString day = from + DayFiles::dayFile(QString(), d);
            if (!QFile::exists(day))
                continue;
            const QByteArray bytes = test::readFile(day);
            const QString done = from + DayFiles::companionFile(QString(), d);
            const QByteArray doneBytes = QFile::exists(done) ? test::readFile(done) : QByteArray();
            const QString doneText = DayFiles::joinLines(doneBytes);
            writer.addDay(d, DayFiles::joinLines(bytes), QFile::exists(done) ? &doneText : nullptr, &bytes,
                          QFile::exists(done) ? &doneBytes : nullptr);
        }
        writer.addHolidays({QStringLiteral("3/1(S)[삼일절]"), QStringLiteral("3/1(S)[삼일절]")}, first, last, {});
        const ics::ImportResult read = ics::readCalendar(writer.serialize(), QStringLiteral("own.ics"), first, last, true);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(read.leftOut.holidays, 1); // the repeated holiday entry gave one event
        QVERIFY2(read.lossy.isEmpty() && read.skipped.isEmpty(), qPrintable(ics::importNotes(false, read)));

        const QString empty = f.path(QStringLiteral("empty/"));
        QDir().mkpath(empty);
        importInto(f.fs, empty, read);
        QCOMPARE(snapshot(empty), before);
        QVERIFY(changesNothing(ics::planImport(f.fs, empty, read)));
        QVERIFY(changesNothing(ics::planImport(f.fs, from, read)));

        // A day written since: the user's lines stay, the exported ones come on top once.
        const QString moved = from + DayFiles::dayFile(QString(), first);
        test::writeFile(moved, test::cp949(QStringLiteral("[시험 D-30]\r\n새 메모\r\n")));
        importInto(f.fs, from, read);
        QCOMPARE(test::readFile(moved), test::cp949(QStringLiteral("[팀 회의]\n[시험 D-30]\n새 메모\r\n")));
        QVERIFY(changesNothing(ics::planImport(f.fs, from, read)));
    }

    // Escapes compared on the bytes: a reader would undo the same mistake.
    void escapesLiterally()
    {
        ics::CalendarWriter writer(QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3), Qt::UTC));
        QVERIFY(writer.addDay(QDate(2004, 3, 5), QStringLiteral("a,b;c\\d\n둘째"), nullptr));
        const QByteArray file = writer.serialize();
        QVERIFY2(file.contains("\r\nSUMMARY:a\\,b\\;c\\\\d\r\n"), file.constData());
        QVERIFY2(file.contains("\r\nDESCRIPTION:a\\,b\\;c\\\\d\\n" + QStringLiteral("둘째").toUtf8() + "\r\n"),
                 file.constData());
    }

    // A few MB made to hang or exhaust the reader: each ends with the rest imported and
    // the culprit named, or with the file refused, never a crash.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("named");
        const QByteArray survivor = "BEGIN:VEVENT\r\nUID:s\r\nDTSTART;VALUE=DATE:20240311\r\nSUMMARY:Survivor\r\nEND:VEVENT\r\n";
        QTest::newRow("a million nested components")
            << QByteArray("BEGIN:VEVENT\r\n" + QByteArray("BEGIN:X\r\n").repeated(1'000'000) + QByteArray("END:X\r\n").repeated(1'000'000)
                          + "END:VEVENT\r\n" + survivor)
            << "nests components deeper than 8 levels";
        QTest::newRow("a daily event with a 1 MB title")
            << QByteArray("BEGIN:VEVENT\r\nUID:t\r\nDTSTART;VALUE=DATE:20000101\r\nRRULE:FREQ=DAILY\r\nSUMMARY:" + QByteArray(1'000'000, 'x')
                          + "\r\nEND:VEVENT\r\n" + survivor)
            << "its title is longer than 1000 characters";
        QTest::newRow("one 20 MB line")
            << QByteArray("BEGIN:VEVENT\r\nUID:l\r\nDTSTART;VALUE=DATE:20240312\r\nDESCRIPTION:" + QByteArray(20'000'000, 'y')
                          + "\r\nSUMMARY:Long\r\nEND:VEVENT\r\n" + survivor)
            << "holds a line longer than 1 MiB";
        QByteArray exdates;
        for (int i = 0; i < 100'000; ++i)
            exdates += "EXDATE;TZID=Asia/Seoul:" + QDate(2000, 1, 1).addDays(i % 3650).toString(QStringLiteral("yyyyMMdd")).toLatin1() + "T090000\r\n";
        QTest::newRow("4 MB of EXDATEs with a zone")
            << QByteArray("BEGIN:VEVENT\r\nUID:e\r\nDTSTART;TZID=Asia/Seoul:20000101T090000\r\nRRULE:FREQ=DAILY\r\n" + exdates
                          + "SUMMARY:Excluded\r\nEND:VEVENT\r\n" + survivor)
            << "";
        QByteArray impossible;
        for (int i = 0; i < 2000; ++i)
            impossible += "BEGIN:VEVENT\r\nUID:i" + QByteArray::number(i) + "\r\nDTSTART;TZID=Asia/Seoul:20000101T090000\r\n"
                                                                            "RRULE:FREQ=DAILY;BYMONTH=4;BYMONTHDAY=31\r\nSUMMARY:Never\r\nEND:VEVENT\r\n";
        QTest::newRow("two thousand rules that never match") << QByteArray(impossible + survivor) << "";
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, named);
        const ics::ImportResult read = ics::readCalendar("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + body + "END:VCALENDAR\r\n",
                                                         QStringLiteral("in.ics"), QDate(2024, 3, 1), QDate(2024, 3, 31), false);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(read.entriesByDay.value(QDate(2024, 3, 11)).contains(QStringLiteral("[Survivor]")));
        QCOMPARE(read.skipped.size(), named.isEmpty() ? 0 : 1);
        if (!named.isEmpty())
            QVERIFY2(read.skipped.first().contains(named), qPrintable(read.skipped.first()));
        // The excluded days are all before the range: March 2024 keeps every day of the rule.
        if (QByteArray(QTest::currentDataTag()).startsWith("4 MB"))
            QCOMPARE(read.entriesByDay.size(), 31);
    }

    // Reading tells its progress and stops when told to: nothing is given then.
    void cancelled()
    {
        QByteArray body;
        for (int i = 0; i < 3000; ++i)
            body += "BEGIN:VEVENT\r\nUID:" + QByteArray::number(i) + "\r\nDTSTART;VALUE=DATE:20240305\r\nSUMMARY:E"
                    + QByteArray::number(i) + "\r\nEND:VEVENT\r\n";
        QList<int> seen;
        ics::ImportOptions o{QDate(2024, 3, 1), QDate(2024, 3, 31), false, [&](int percent) {
                                 seen << percent;
                                 return percent < 50;
                             }};
        const ics::ImportResult read = ics::readCalendar("BEGIN:VCALENDAR\r\n" + body + "END:VCALENDAR\r\n", "in.ics", o);
        QVERIFY(read.cancelled && !read.ok());
        QVERIFY(seen.size() >= 2 && seen.last() >= 50);
        QVERIFY(std::is_sorted(seen.cbegin(), seen.cend()));
    }
};

QTEST_GUILESS_MAIN(TestIcsImport)
#include "tst_ics_import.moc"
