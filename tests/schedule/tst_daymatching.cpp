#include "schedule/DayMatching.h"

#include <QTest>

using namespace td;

class TestDayMatching : public QObject {
    Q_OBJECT
private slots:
    void regular_data()
    {
        QTest::addColumn<QString>("from"); // "2004/3"; "2004/" for no month chosen
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("monthDay"); // "" chooses by weekday
        QTest::addColumn<int>("occurrence");
        QTest::addColumn<int>("weekday");
        QTest::addColumn<int>("dayCount"); // -1: refused
        QTest::addColumn<QStringList>("expected");
        const int none = -1, first = 0, all = 4, fifth = 5, last = 6, sunday = 0, monday = 1, friday = 5;
        // clang-format off
        QTest::newRow("29th in a common year") << "2005/1" << "2005/3" << "29" << none << none << 89
            << QStringList{"2005-01-29", "2005-03-29"};
        QTest::newRow("all Sundays of February 2004") << "2004/2" << "2004/2" << "" << all << sunday << 28
            << QStringList{"2004-02-01", "2004-02-08", "2004-02-15", "2004-02-22", "2004-02-29"};
        QTest::newRow("1st Monday in each month") << "2004/3" << "2004/5" << "" << first << monday << 91
            << QStringList{"2004-03-01", "2004-04-05", "2004-05-03"};
        QTest::newRow("last Friday, on the last day of the year") << "2004/10" << "2004/12" << "" << last << friday << 91
            << QStringList{"2004-10-29", "2004-11-26", "2004-12-31"};
        // The counter of weekdays restarts every month.
        QTest::newRow("5th Monday over 2004") << "2004/1" << "2004/12" << "" << fifth << monday << 365
            << QStringList{"2004-03-29", "2004-05-31", "2004-08-30", "2004-11-29"};
        QTest::newRow("To before From") << "2004/5" << "2004/4" << "1" << none << none << -1 << QStringList{};
        QTest::newRow("no From month") << "2004/" << "2004/6" << "1" << none << none << -1 << QStringList{};
        // clang-format on
    }
    void regular()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, monthDay);
        QFETCH(int, occurrence);
        QFETCH(int, weekday);
        QFETCH(int, dayCount);
        QFETCH(QStringList, expected);
        const RegularChoices c{from.section('/', 0, 0), from.section('/', 1, 1), to.section('/', 0, 0), to.section('/', 1, 1),
                               monthDay.isEmpty(), monthDay, occurrence, weekday};
        const auto range = regularDays(c);
        QCOMPARE(bool(range), dayCount >= 0);
        if (!range)
            return;
        QCOMPARE(range->dayCount, dayCount);
        QStringList dates;
        const QDate firstDay(c.fromYear.toInt(), c.fromMonth.toInt(), 1);
        for (const MatchedDay& d : range->days) {
            dates << d.date.toString(Qt::ISODate);
            QCOMPARE(d.index, int(firstDay.daysTo(d.date)));
        }
        QCOMPARE(dates, expected);
    }

    void dday_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("expected"); // "2004-03-01 D-30"; empty: refused
        // clang-format off
        QTest::newRow("step 7 skips the start") << "2004/3/1" << "2004/3/31" << "7"
            << QStringList{"2004-03-03 D-28", "2004-03-10 D-21", "2004-03-17 D-14", "2004-03-24 D-7", "2004-03-31 D-0"};
        QTest::newRow("no step chosen is every day, over a leap day") << "2004/2/28" << "2004/3/1" << ""
            << QStringList{"2004-02-28 D-2", "2004-02-29 D-1", "2004-03-01 D-0"};
        QTest::newRow("target equal to the start") << "2004/3/1" << "2004/3/1" << "1" << QStringList{};
        QTest::newRow("31 April") << "2004/4/31" << "2004/5/31" << "1" << QStringList{};
        // clang-format on
    }
    void dday()
    {
        QFETCH(QString, start);
        QFETCH(QString, target);
        QFETCH(QString, step);
        QFETCH(QStringList, expected);
        const DDayChoices c{start.section('/', 0, 0), start.section('/', 1, 1), start.section('/', 2, 2),
                            target.section('/', 0, 0), target.section('/', 1, 1), target.section('/', 2, 2), step};
        const auto range = ddayDays(c);
        QCOMPARE(bool(range), !expected.isEmpty());
        if (!range)
            return;
        QStringList got;
        for (const MatchedDay& d : range->days) {
            got << d.date.toString(Qt::ISODate) + " D-" + QString::number(d.remaining);
            QCOMPARE(d.index + d.remaining, range->dayCount);
        }
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestDayMatching)
#include "tst_daymatching.moc"
