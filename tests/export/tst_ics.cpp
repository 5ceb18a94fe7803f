// iCalendar export and import through the page and the real file system; the
// exported file is read back by python3-icalendar, a reader of its own.
#include "TestSupport.h"
#include "days/RunJournal.h"
#include "export/ExportPage.h"
#include "export/IcsImport.h"
#include "holidays/HolidayFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <ctime>

using namespace td;

namespace {

const QString kDone = QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.");
const QString kLong = QStringLiteral("가나다라마바사아자차카타파하; 쉼표, 역빗금\\ ").repeated(4).trimmed();

struct Rig {
    test::Fixture f;
    ExportPage page;

    QList<DayPlan> previews; // what each import showed before writing
    bool goOn = true;        // the answer to the preview

    Rig() : page(f.services, nullptr)
    {
        page.now = [] { return QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC); };
        page.confirmImport = [this](const DayPlan& plan) {
            previews << plan;
            return goOn;
        };
    }
    void select(const QStringList& lists)
    {
        for (int i = 0; i < 2; ++i) {
            auto* year = test::control<QComboBox>(page, "CmbPYear", i);
            auto* month = test::control<QComboBox>(page, "CmbPmonth", i);
            year->setCurrentIndex(year->findText(lists[2 * i]));
            month->setCurrentIndex(month->findText(lists[2 * i + 1]));
        }
    }
    void exportTo(const QString& name, int filterIndex = 1)
    {
        f.dialog.confirmWith([=](CommonDialog& d) {
            d.FileName = name;
            d.FilterIndex = filterIndex;
        });
        test::control<QPushButton>(page, "CmdTitle")->click();
    }
    void importFrom(const QString& name)
    {
        f.dialog.confirmWith([=](CommonDialog& d) { d.FileName = name; });
        test::control<QPushButton>(page, "CmdImport")->click();
    }
    QStringList messages() const
    {
        QStringList m;
        for (const Message& b : f.boxes.shown)
            m << b.text;
        return m;
    }
};

// Every file under a folder with its bytes, to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p, test::readFile(p));
    }
    return files;
}

// The reader's events: uid, start, end, rule, summary, description.
QList<QStringList> readBack(const QString& path, QString& error)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_ICS_SCRIPT), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        error = QStringLiteral("reader failed: ") + QString::fromUtf8(p.readAllStandardError()) + p.errorString();
    QList<QStringList> events;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList fields;
        for (const QJsonValue& v : QJsonDocument::fromJson(line).array())
            fields << v.toString();
        events << fields;
    }
    return events;
}

void writeDays(const test::Fixture& f)
{
    test::writeFile(f.path("2004_3/2004_3.1"), test::cp949(QStringLiteral("\r\n[팀 회의]\r\n둘째 줄\r\n")));
    test::writeFile(f.path("2004_3/2004_3.1_D"), test::cp949(QStringLiteral("끝난 일\r\n")));
    test::writeFile(f.path("2004_3/2004_3.15"), test::cp949(kLong + QStringLiteral("\r\n")));
    test::writeFile(f.path("2004_3/2004_3.20_D"), "companion without a day file\r\n");
    test::writeFile(f.path("2004_4/2004_4.2"), "");
    test::writeFile(f.path("2004_4/2004_4.30"), "x\r\n");
    test::writeFile(f.path("2004_5/2004_5.1"), "after the range\r\n");
}

QMap<QDate, QStringList> entries(const QStringList& lines) // "2004-03-01 [a] [b]"
{
    QMap<QDate, QStringList> m;
    for (const QString& l : lines) {
        const QString date = l.section(QLatin1Char(' '), 0, 0);
        m.insert(QDate::fromString(date, Qt::ISODate), l.mid(date.size() + 1).split(QStringLiteral(" | ")));
    }
    return m;
}

QByteArray calendar(const QByteArray& body)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + body + "END:VCALENDAR\r\n";
}

} // namespace

class TestIcs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exportReadBack_data();
    void exportReadBack();
    void exportFailureKeepsTheOldFile();
    void roundTrip();
    void importExpands_data();
    void importExpands();
    void importRefused_data();
    void importRefused();
    void importThroughThePage_data();
    void importThroughThePage();
};

void TestIcs::initTestCase()
{
    // Timed events land on their date in this zone.
    qputenv("TZ", "Asia/Seoul");
    tzset();
}

void TestIcs::exportReadBack_data()
{
    QTest::addColumn<bool>("holidays");
    QTest::addColumn<bool>("lunar");
    QTest::newRow("days only") << false << true;
    QTest::newRow("holidays, lunar dates converted") << true << true; // lunar 3/3 of 2004 fell on 21 April
    QTest::newRow("holidays, no lunar date: left out") << true << false;
}

// March and April 2004: one all-day event per day with a file, then the holidays.
void TestIcs::exportReadBack()
{
    QFETCH(bool, holidays);
    QFETCH(bool, lunar);
    Rig r;
    writeDays(r.f);
    QVERIFY(HolidayFile::store(r.f.fs, r.f.path("Holiday.dat"),
                               {"3/1(S)[삼일절]", "2/29(S)[Leap]", "3/3(L)[삼짇날]", "2/31(S)[never]"}));
    test::control<QCheckBox>(r.page, "ChkHoliday")->setChecked(holidays);
    if (!lunar)
        r.page.lunarToSolar = nullptr;
    r.select({"2004", "3", "2004", "4"});

    r.exportTo(r.f.path("notes"), 2); // the calendar type chosen, no extension typed

    const QString target = r.f.path("notes.ics");
    QCOMPARE(test::control<QLabel>(r.page, "LblTarget")->text(), target);
    QCOMPARE(r.messages(), QStringList{kDone});
    QString error;
    const QList<QStringList> events = readBack(target, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QList<QStringList> expected = {
        {"20040301@tunedesk", "2004-03-01", "2004-03-02", "", "[팀 회의]", "[팀 회의]\n둘째 줄\n\nEnd List\n끝난 일"},
        {"20040315@tunedesk", "2004-03-15", "2004-03-16", "", kLong, kLong},
        {"20040402@tunedesk", "2004-04-02", "2004-04-03", "", "", ""},
        {"20040430@tunedesk", "2004-04-30", "2004-05-01", "", "x", "x"},
    };
    if (holidays)
        expected << QStringList{"", "2004-03-01", "2004-03-02", "FREQ=YEARLY", "삼일절", ""}
                 << QStringList{"", "2008-02-29", "2008-03-01", "FREQ=YEARLY", "Leap", ""};
    if (holidays && lunar)
        expected << QStringList{"", "2004-04-21", "2004-04-22", "", "삼짇날", ""};
    QCOMPARE(events.size(), expected.size());
    for (qsizetype i = 0; i < events.size(); ++i) {
        QStringList got = events[i];
        if (expected[i][0].isEmpty()) {
            // Holidays: a name of their own, per year for a lunar one.
            QVERIFY2(got[0].startsWith("holiday-") && got[0].endsWith(expected[i][3].isEmpty() ? "-2004@tunedesk" : "@tunedesk"),
                     qPrintable(got[0]));
            got[0].clear();
        }
        QCOMPARE(got, expected[i]);
    }
}

// A full disk leaves the earlier calendar whole and says which file failed.
void TestIcs::exportFailureKeepsTheOldFile()
{
    Rig r;
    writeDays(r.f);
    const QString target = r.f.path("notes.ics");
    test::writeFile(target, "an older calendar");
    r.f.fs.failWriteAt = 1;
    r.select({"2004", "3", "2004", "4"});

    r.exportTo(target);

    QCOMPARE(test::readFile(target), QByteArray("an older calendar"));
    QCOMPARE(r.f.boxes.shown.size(), 1);
    QVERIFY2(r.f.boxes.shown[0].text.startsWith(QStringLiteral("변환한 자료를 파일에 저장하지 못했습니다.\r") + target + "\r"),
             qPrintable(r.f.boxes.shown[0].text));
}

// Exported, then imported into an empty data folder: each day holds its first line as an entry.
void TestIcs::roundTrip()
{
    Rig r;
    writeDays(r.f);
    r.select({"2004", "3", "2004", "4"});
    const QString target = r.f.path("notes.ics");
    r.exportTo(target);
    const QString empty = r.f.path("empty/");
    QVERIFY(QDir().mkpath(empty));
    r.f.store.values.insert("DataSaveDir", empty);
    r.f.services.journalFolder = r.f.path("journal");

    // Seen first and declined: nothing is written.
    r.goOn = false;
    r.importFrom(target);
    QVERIFY(snapshot(empty).isEmpty());
    r.goOn = true;
    r.importFrom(target);

    QCOMPARE(r.messages(), (QStringList{kDone, "Daybrook 데이타 처리가 완료 되었습니다."}));
    const QMap<QString, QByteArray> expected = {
        {empty + "2004_3/2004_3.1", test::cp949(QStringLiteral("[팀 회의]\r\n"))},
        {empty + "2004_3/2004_3.15", test::cp949("[" + kLong + "]\r\n")},
        {empty + "2004_4/2004_4.30", "[x]\r\n"},
    };
    QCOMPARE(snapshot(empty), expected);
    // The preview showed exactly the files the run then wrote.
    QCOMPARE(r.previews.size(), 2);
    QMap<QString, QByteArray> previewed;
    for (const DayChange& c : r.previews.last().days)
        previewed.insert(c.path, c.after.value_or("absent"));
    QCOMPARE(previewed, expected);

    // The import is undone like a generator run.
    RunJournal journal(r.f.services.journalFolder);
    const UndoResult undone = undoLast(r.f.fs, journal, empty);
    QCOMPARE(undone.status, UndoResult::Status::Done);
    QCOMPARE(undone.label.kind, QStringLiteral("ics-import"));
    QVERIFY(snapshot(empty).isEmpty());
}

void TestIcs::importExpands_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("range"); // first and last day
    QTest::addColumn<QStringList>("days");

    // Mondays from January on, without end; the range is March to May. One
    // Monday is excluded, one moved to the Tuesday under another name.
    // clang-format off
    QTest::newRow("weekly over three months")
        << QByteArray("BEGIN:VEVENT\r\nUID:w1\r\nDTSTART;VALUE=DATE:20040105\r\nRRULE:FREQ=WEEKLY\r\n"
                      // clang-format on
                      "EXDATE;VALUE=DATE:20040412\r\nSUMMARY:Weekly\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nUID:w1\r\nRECURRENCE-ID;VALUE=DATE:20040315\r\n"
                      "DTSTART;VALUE=DATE:20040316\r\nSUMMARY:Moved\r\nEND:VEVENT\r\n")
        << QStringList{"2004-03-01", "2004-05-31"}
        << QStringList{"2004-03-01 [Weekly]", "2004-03-08 [Weekly]", "2004-03-16 [Moved]", "2004-03-22 [Weekly]",
                       "2004-03-29 [Weekly]", "2004-04-05 [Weekly]", "2004-04-19 [Weekly]", "2004-04-26 [Weekly]",
                       "2004-05-03 [Weekly]", "2004-05-10 [Weekly]", "2004-05-17 [Weekly]", "2004-05-24 [Weekly]",
                       "2004-05-31 [Weekly]"};
    // A huge COUNT from long ago still stops at the end of the range; so does an endless daily rule.
    // clang-format off
    QTest::newRow("rules bounded by the range")
        << QByteArray("BEGIN:VEVENT\r\nDTSTART:19000101T090000\r\nRRULE:FREQ=DAILY;COUNT=2000000000\r\nSUMMARY:Counted\r\nEND:VEVENT\r\n"
                      // clang-format on
                      "BEGIN:VEVENT\r\nDTSTART:19500101T090000Z\r\nRRULE:FREQ=DAILY;INTERVAL=2\r\nSUMMARY:Endless\r\nEND:VEVENT\r\n")
        << QStringList{"2004-03-01", "2004-03-03"}
        << QStringList{"2004-03-01 [Counted]", "2004-03-02 [Counted] | [Endless]", "2004-03-03 [Counted]"};
    // Seoul is 14 hours ahead of New York in March and 9 ahead of UTC.
    // clang-format off
    QTest::newRow("timed events near midnight")
        << QByteArray("BEGIN:VTIMEZONE\r\nTZID:Far West\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                      // clang-format on
                      "TZOFFSETFROM:-1000\r\nTZOFFSETTO:-1000\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;TZID=America/New_York:20040310T103000\r\nSUMMARY:NY late\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;TZID=America/New_York:20040310T095959\r\nSUMMARY:NY early\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20040310T150000Z\r\nSUMMARY:UTC late\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20040310T145959Z\r\nSUMMARY:UTC early\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;TZID=Far West:20040310T050000\r\nSUMMARY:Own zone\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20040310T233000\r\nSUMMARY:Floating\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART:20040311T235959Z\r\nSUMMARY:After the range\r\nEND:VEVENT\r\n")
        << QStringList{"2004-03-10", "2004-03-11"}
        << QStringList{"2004-03-10 [NY early] | [UTC early] | [Floating]", "2004-03-11 [NY late] | [UTC late] | [Own zone]"};
    // clang-format off
    QTest::newRow("what carries no entry")
        << QByteArray("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSTATUS:CANCELLED\r\nSUMMARY:Off\r\nEND:VEVENT\r\n"
                      // clang-format on
                      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nDESCRIPTION:no summary\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:\r\nLOCATION:\r\nEND:VEVENT\r\n"
                      "BEGIN:VTODO\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:To do\r\nEND:VTODO\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:[Kept] as it is\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:[Bracketed]\r\nEND:VEVENT\r\n"
                      "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:Two\\nlines\r\nEND:VEVENT\r\n")
        << QStringList{"2004-03-10", "2004-03-10"}
        << QStringList{"2004-03-10 [[Kept] as it is] | [Bracketed] | [Two lines]"};
}

void TestIcs::importExpands()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, range);
    QFETCH(QStringList, days);
    const ics::ImportResult r = ics::readCalendar(calendar(body), "in.ics", QDate::fromString(range[0], Qt::ISODate),
                                                  QDate::fromString(range[1], Qt::ISODate), false);
    QVERIFY2(r.ok(), qPrintable(r.error));
    QCOMPARE(r.entriesByDay, entries(days));
}

void TestIcs::importRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("korean");
    QTest::addColumn<QString>("error");
    const QByteArray event = "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:A\r\n";
    // clang-format off
    QTest::newRow("not iCalendar") << QByteArray("Date,Subject\r\n2004-03-10,A\r\n") << false
                                   << "in.ics, line 1\rThis is not an iCalendar file.";
    QTest::newRow("empty") << QByteArray() << false << "in.ics\rThis is not an iCalendar file.";
    QTest::newRow("cut short") << QByteArray("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + event + "DESCRIPTION:half a li")
                               << true << "in.ics, 3번째 줄\r여기서 시작한 VEVENT이(가) 끝나지 않습니다. 파일이 잘렸을 수 있습니다.";
    QTest::newRow("unterminated event") << calendar(event) << false
                                        << "in.ics, line 7\rEND:VCALENDAR does not close the open VEVENT.";
    QTest::newRow("line without a name") << calendar(event + "just words\r\nEND:VEVENT\r\n") << false
                                         << "in.ics, line 7\rUnreadable content: just words";
    QTest::newRow("libical refuses a value")
        << calendar("BEGIN:VEVENT\r\nDTSTART:2004xx\r\nSUMMARY:A\r\nEND:VEVENT\r\n") << false
        << "in.ics, line 4\rUnreadable content: Can't parse as DATE-TIME value in DTSTART property. Removing entire property: 2004xx";
    QTest::newRow("summary the code page cannot hold")
        << calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040310\r\nSUMMARY:Party \xF0\x9F\x8E\x89\r\nEND:VEVENT\r\n") << true
        << "in.ics, 4번째 줄\r일정 \"Party 🎉\"(2004/3/10)에 한국어 코드 페이지에 없는 문자 \"🎉\"이(가) 있습니다.";
    QTest::newRow("every minute")
        << calendar("BEGIN:VEVENT\r\nDTSTART:20040310T000000\r\nRRULE:FREQ=MINUTELY\r\nSUMMARY:Tick\r\nEND:VEVENT\r\n") << false
        << "in.ics, line 4\rThe event \"Tick\" repeats too often to be imported.";
    // clang-format on
}

// One message naming the file and where; no entries at all.
void TestIcs::importRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, korean);
    QFETCH(QString, error);
    const ics::ImportResult r = ics::readCalendar(bytes, "in.ics", QDate(2004, 3, 1), QDate(2004, 3, 31), korean);
    QCOMPARE(r.error, error);
    QVERIFY(r.entriesByDay.isEmpty());
}

void TestIcs::importThroughThePage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("march1");
    const QByteArray good = calendar("BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040301\r\nSUMMARY:새 일정\r\nEND:VEVENT\r\n"
                                     "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040302\r\nSUMMARY:둘째 날\r\nEND:VEVENT\r\n");
    // clang-format off
    QTest::newRow("merged on top") << good << QStringList{"Daybrook 데이타 처리가 완료 되었습니다."}
                                   << test::cp949(QStringLiteral("[새 일정]\n[기존]\n메모\r\n"));
    QTest::newRow("after a byte order mark") << "\xEF\xBB\xBF" + good << QStringList{"Daybrook 데이타 처리가 완료 되었습니다."}
                                             << test::cp949(QStringLiteral("[새 일정]\n[기존]\n메모\r\n"));
    // clang-format on
    QByteArray cut = good;
    cut.chop(40);
    // clang-format off
    QTest::newRow("cut short: nothing written") << cut << QStringList{}
                                               << test::cp949(QStringLiteral("[기존]\r\n메모\r\n"));
    // clang-format on
}

// The page's range, the open dialog, and the day files: merged by the register rule, or left alone.
void TestIcs::importThroughThePage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, march1);
    Rig r;
    const QString data = r.f.path("data/");
    r.f.store.values.insert("DataSaveDir", data);
    test::writeFile(data + "2004_3/2004_3.1", test::cp949(QStringLiteral("[기존]\r\n메모\r\n")));
    const QString file = r.f.path("in.ics");
    test::writeFile(file, bytes);
    r.select({"2004", "3", "2004", "3"});

    r.importFrom(file);

    QCOMPARE(test::readFile(data + "2004_3/2004_3.1"), march1);
    if (messages.isEmpty()) {
        QCOMPARE(r.messages(), QStringList{file + ", 8번째 줄\r여기서 시작한 VEVENT이(가) 끝나지 않습니다. 파일이 잘렸을 수 있습니다."});
        QCOMPARE(snapshot(data).size(), 1);
    } else {
        QCOMPARE(r.messages(), messages);
        QCOMPARE(test::readFile(data + "2004_3/2004_3.2"), test::cp949(QStringLiteral("[둘째 날]\r\n")));
    }
}

QTEST_MAIN(TestIcs)
#include "tst_ics.moc"
