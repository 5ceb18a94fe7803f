#include "schedule/DayEntry.h"
#include "schedule/DayMatching.h"

#include <QTest>

using namespace td;

namespace {

// "2004-03-09" per matched day, and "2004-03-01 D-30" when the count matters.
QStringList dates(const DayRange& r)
{
    QStringList out;
    for (const MatchedDay& d : r.days)
        out << d.date.toString(Qt::ISODate);
    return out;
}

QStringList countdown(const DayRange& r)
{
    QStringList out;
    for (const MatchedDay& d : r.days)
        out << d.date.toString(Qt::ISODate) + QStringLiteral(" D-") + QString::number(d.remaining);
    return out;
}

} // namespace

class TestDayMatching : public QObject {
    Q_OBJECT
private slots:
    void regular_data()
    {
        QTest::addColumn<QString>("from");      // "2004/3"; "" for no choice
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("byWeekday");
        QTest::addColumn<QString>("monthDay");
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<int>("weekday");
        QTest::addColumn<QStringList>("expected");

        const int none = -1, sunday = 0, monday = 1, tuesday = 2;
        QTest::newRow("31st of one month") << "2004/3" << "2004/3" << false << "31" << none << none
                                          << QStringList{"2004-03-31"};
        QTest::newRow("31st over April to June") << "2004/4" << "2004/6" << false << "31" << none << none
                                                << QStringList{"2004-05-31"};
        QTest::newRow("29th in a leap year") << "2004/1" << "2004/3" << false << "29" << none << none
                                            << QStringList{"2004-01-29", "2004-02-29", "2004-03-29"};
        QTest::newRow("29th in a common year") << "2005/1" << "2005/3" << false << "29" << none << none
                                              << QStringList{"2005-01-29", "2005-03-29"};
        QTest::newRow("1st over a year end") << "2004/12" << "2005/1" << false << "1" << none << none
                                            << QStringList{"2004-12-01", "2005-01-01"};
        QTest::newRow("no day chosen") << "2004/1" << "2004/3" << false << "" << none << none << QStringList{};
        QTest::newRow("2nd Tuesday of March 2004") << "2004/3" << "2004/3" << true << "" << 1 << tuesday
                                                  << QStringList{"2004-03-09"};
        QTest::newRow("all Sundays of February 2004") << "2004/2" << "2004/2" << true << "" << 4 << sunday
                                                     << QStringList{"2004-02-01", "2004-02-08", "2004-02-15",
                                                                    "2004-02-22", "2004-02-29"};
        QTest::newRow("no occurrence chosen is every one") << "2004/2" << "2004/2" << true << "" << none << sunday
                                                          << QStringList{"2004-02-01", "2004-02-08", "2004-02-15",
                                                                         "2004-02-22", "2004-02-29"};
        QTest::newRow("4th is the last that can be chosen") << "2004/2" << "2004/2" << true << "" << 3 << sunday
                                                           << QStringList{"2004-02-22"};
        // March 2004 starts on a Monday: the counter restarts every month.
        QTest::newRow("1st Monday in each month") << "2004/3" << "2004/5" << true << "" << 0 << monday
                                                 << QStringList{"2004-03-01", "2004-04-05", "2004-05-03"};
        QTest::newRow("no weekday chosen") << "2004/3" << "2004/5" << true << "" << 4 << none << QStringList{};
        QTest::newRow("day of month ignored under the weekday rule") << "2004/3" << "2004/3" << true << "9" << 0
                                                                    << tuesday << QStringList{"2004-03-02"};
    }
    void regular()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, byWeekday);
        QFETCH(QString, monthDay);
        QFETCH(int, occurrence);
        QFETCH(int, weekday);
        QFETCH(QStringList, expected);

        RegularChoices c;
        c.fromYear = from.section('/', 0, 0);
        c.fromMonth = from.section('/', 1, 1);
        c.toYear = to.section('/', 0, 0);
        c.toMonth = to.section('/', 1, 1);
        c.byWeekday = byWeekday;
        c.monthDay = monthDay;
        c.occurrence = occurrence;
        c.weekday = weekday;
        const auto range = regularDays(c);
        QVERIFY(range);
        QCOMPARE(dates(*range), expected);
        const QDate first(c.fromYear.toInt(), c.fromMonth.toInt(), 1);
        for (const MatchedDay& d : range->days)
            QCOMPARE(d.index, int(first.daysTo(d.date)));
    }

    void regularRangeLength_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("dayCount");   // -1: refused
        QTest::newRow("one 31-day month") << "2004/3" << "2004/3" << 30;
        QTest::newRow("one 30-day month") << "2004/4" << "2004/4" << 29;
        QTest::newRow("leap February") << "2004/2" << "2004/2" << 28;
        QTest::newRow("common February") << "2005/2" << "2005/2" << 27;
        QTest::newRow("ten years") << "2000/1" << "2009/12" << 3652;
        QTest::newRow("To before From") << "2004/5" << "2004/4" << -1;
        QTest::newRow("no From year") << "/5" << "2004/6" << -1;
        QTest::newRow("no From month") << "2004/" << "2004/6" << -1;
        QTest::newRow("no To year") << "2004/5" << "/6" << -1;
        QTest::newRow("no To month") << "2004/5" << "2004/" << -1;
    }
    void regularRangeLength()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, dayCount);
        RegularChoices c;
        c.fromYear = from.section('/', 0, 0);
        c.fromMonth = from.section('/', 1, 1);
        c.toYear = to.section('/', 0, 0);
        c.toMonth = to.section('/', 1, 1);
        c.monthDay = QStringLiteral("1");
        const auto range = regularDays(c);
        if (dayCount < 0) {
            QVERIFY(!range);
            return;
        }
        QVERIFY(range);
        QCOMPARE(range->dayCount, dayCount);
    }

    void dday_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("expected");   // empty list with refused = true
        QTest::addColumn<bool>("refused");

        QTest::newRow("step 10") << "2004/3/1" << "2004/3/31" << "10"
                                 << QStringList{"2004-03-01 D-30", "2004-03-11 D-20", "2004-03-21 D-10", "2004-03-31 D-0"}
                                 << false;
        QTest::newRow("step 7 skips the start") << "2004/3/1" << "2004/3/31" << "7"
                                                << QStringList{"2004-03-03 D-28", "2004-03-10 D-21", "2004-03-17 D-14",
                                                               "2004-03-24 D-7", "2004-03-31 D-0"}
                                                << false;
        QTest::newRow("over a leap day") << "2004/2/28" << "2004/3/1" << "1"
                                         << QStringList{"2004-02-28 D-2", "2004-02-29 D-1", "2004-03-01 D-0"} << false;
        QTest::newRow("over a common February end") << "2005/2/27" << "2005/3/1" << "1"
                                                    << QStringList{"2005-02-27 D-2", "2005-02-28 D-1", "2005-03-01 D-0"}
                                                    << false;
        QTest::newRow("no step chosen is every day") << "2004/2/28" << "2004/3/1" << ""
                                                     << QStringList{"2004-02-28 D-2", "2004-02-29 D-1", "2004-03-01 D-0"}
                                                     << false;
        QTest::newRow("step longer than the range") << "2004/3/1" << "2004/3/31" << "31"
                                                    << QStringList{"2004-03-31 D-0"} << false;
        QTest::newRow("over a year end") << "2004/12/31" << "2005/1/2" << "2"
                                         << QStringList{"2004-12-31 D-2", "2005-01-02 D-0"} << false;
        QTest::newRow("target equal to the start") << "2004/3/1" << "2004/3/1" << "1" << QStringList{} << true;
        QTest::newRow("target before the start") << "2004/3/2" << "2004/3/1" << "1" << QStringList{} << true;
        QTest::newRow("31 April") << "2004/4/31" << "2004/5/31" << "1" << QStringList{} << true;
        QTest::newRow("29 February of a common year") << "2005/2/29" << "2005/3/31" << "1" << QStringList{} << true;
        QTest::newRow("no start day") << "2004/3/" << "2004/3/31" << "1" << QStringList{} << true;
        QTest::newRow("no target year") << "2004/3/1" << "/3/31" << "1" << QStringList{} << true;
    }
    void dday()
    {
        QFETCH(QString, start);
        QFETCH(QString, target);
        QFETCH(QString, step);
        QFETCH(QStringList, expected);
        QFETCH(bool, refused);
        DDayChoices c;
        c.startYear = start.section('/', 0, 0);
        c.startMonth = start.section('/', 1, 1);
        c.startDay = start.section('/', 2, 2);
        c.targetYear = target.section('/', 0, 0);
        c.targetMonth = target.section('/', 1, 1);
        c.targetDay = target.section('/', 2, 2);
        c.step = step;
        const auto range = ddayDays(c);
        QCOMPARE(!range, refused);
        if (!range)
            return;
        QCOMPARE(countdown(*range), expected);
        for (const MatchedDay& d : range->days)
            QCOMPARE(d.index + d.remaining, range->dayCount);
    }

    void widestCountdown()
    {
        const DDayChoices c{"2000", "1", "1", "2009", "12", "31", "1"};
        const auto range = ddayDays(c);
        QVERIFY(range);
        QCOMPARE(range->days.size(), 3653);
        QCOMPARE(range->days.first().remaining, 3652);
        QCOMPARE(range->days.last().date, QDate(2009, 12, 31));
    }

    void entries_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("regular");
        QTest::addColumn<QString>("countdown30");
        QTest::newRow("design markers") << "[" << "Meeting" << "]" << "[Meeting]" << "[Meeting D-30]";
        QTest::newRow("trimmed parts") << " [ " << "  Team meeting " << " ] " << "[Team meeting]"
                                       << "[Team meeting D-30]";
        QTest::newRow("empty plan") << "[" << "" << "]" << "[]" << "[ D-30]";
        QTest::newRow("no markers") << "" << "시험" << "" << "시험" << "시험 D-30";
    }
    void entries()
    {
        QFETCH(QString, left);
        QFETCH(QString, plan);
        QFETCH(QString, right);
        QFETCH(QString, regular);
        QFETCH(QString, countdown30);
        QCOMPARE(DayEntry::regular(left, plan, right), regular);
        QCOMPARE(DayEntry::countdown(left, plan, right, 30), countdown30);
        QCOMPARE(DayEntry::countdown(left, plan, right, 0), QString(countdown30).replace("D-30", "D-0"));
    }

    void entryChecks_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("plan");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("character");
        using P = DayEntry::Problem;
        QTest::newRow("plain") << "[" << "Meeting" << "]" << int(P::None) << "";
        QTest::newRow("markers alone") << "[" << "" << "]" << int(P::None) << "";
        QTest::newRow("extension syllable") << "[" << "똠양꿍" << "]" << int(P::None) << "";
        QTest::newRow("all empty") << "" << "" << "" << int(P::Empty) << "";
        QTest::newRow("only spaces") << " " << "   " << "  " << int(P::Empty) << "";
        QTest::newRow("LF in the plan") << "[" << "a\nb" << "]" << int(P::LineBreak) << "";
        QTest::newRow("CR in a marker") << "[\r" << "a" << "]" << int(P::LineBreak) << "";
        QTest::newRow("trailing LF") << "[" << "a" << "]\n" << int(P::LineBreak) << "";
        QTest::newRow("emoji") << "[" << "party 🎉" << "]" << int(P::NotStorable) << "🎉";
        QTest::newRow("Thai in a marker") << "ก" << "a" << "]" << int(P::NotStorable) << "ก";
        QTest::newRow("byte escape") << "[" << QString(QChar(0xDC81)) << "]" << int(P::NotStorable)
                                     << QString(QChar(0xDC81));
    }
    void entryChecks()
    {
        QFETCH(QString, left);
        QFETCH(QString, plan);
        QFETCH(QString, right);
        QFETCH(int, problem);
        QFETCH(QString, character);
        const DayEntry::Check check = DayEntry::check(left, plan, right, DayEntry::regular(left, plan, right));
        QCOMPARE(int(check.problem), problem);
        QCOMPARE(check.character, character);
        for (bool korean : {true, false}) {
            const QString text = ScheduleMessages::refused(korean, check);
            QCOMPARE(text.isEmpty(), check.ok());
            if (!character.isEmpty())
                QVERIFY(text.contains(character));
        }
    }

    void countdownIsNeverEmpty()
    {
        // " D-n" keeps a countdown entry from matching every day's text.
        const QString entry = DayEntry::countdown("", " ", "", 0);
        QVERIFY(DayEntry::check("", " ", "", entry).ok());
    }

    void messages()
    {
        QCOMPARE(ScheduleMessages::completed(true), QStringLiteral("Daybrook 데이타 처리가 완료 되었습니다."));
        QCOMPARE(ScheduleMessages::completed(false), QStringLiteral("Daybrook Data Processing is completed."));
        QCOMPARE(ScheduleMessages::wrongDate(true), QStringLiteral("날짜 설정 오류입니다."));
        QCOMPARE(ScheduleMessages::wrongDate(false), QStringLiteral("Wrong Date Setting."));
        QCOMPARE(ScheduleMessages::title(), QStringLiteral("Tunedesk"));
        for (bool korean : {true, false}) {
            const QString text = ScheduleMessages::failed(korean, 12, "/data/2004_3/2004_3.9");
            QVERIFY(text.contains("12"));
            QVERIFY(text.contains("/data/2004_3/2004_3.9"));
            QVERIFY(text != ScheduleMessages::completed(korean));
        }
    }
};

QTEST_GUILESS_MAIN(TestDayMatching)
#include "tst_daymatching.moc"
