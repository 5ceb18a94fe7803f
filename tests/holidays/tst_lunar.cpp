#include "holidays/HolidayDates.h"
#include "holidays/LunarCalendar.h"

#include <QTest>

using namespace td;

class TestLunar : public QObject {
    Q_OBJECT
private slots:
    // Published dates of the Korean lunar calendar (KASI), and the months around a leap month.
    void toSolar_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::addColumn<bool>("clamped");

        QTest::newRow("설날 2024") << 2024 << 1 << 1 << "2024-02-10" << false;
        QTest::newRow("설날 2025") << 2025 << 1 << 1 << "2025-01-29" << false;
        QTest::newRow("설날 2026") << 2026 << 1 << 1 << "2026-02-17" << false;
        QTest::newRow("추석 2024") << 2024 << 8 << 15 << "2024-09-17" << false;
        QTest::newRow("추석 2025") << 2025 << 8 << 15 << "2025-10-06" << false;
        QTest::newRow("추석 2026") << 2026 << 8 << 15 << "2026-09-25" << false;
        QTest::newRow("부처님오신날 2024") << 2024 << 4 << 8 << "2024-05-15" << false;
        QTest::newRow("부처님오신날 2025") << 2025 << 4 << 8 << "2025-05-05" << false;
        // The first month of 2024 has 29 days (the second begins on 10 March).
        QTest::newRow("30th of a 29-day month") << 2024 << 1 << 30 << "2024-03-09" << true;
        QTest::newRow("29th of that month") << 2024 << 1 << 29 << "2024-03-09" << false;
        QTest::newRow("30th of a 30-day month") << 2025 << 1 << 30 << "2025-02-27" << false;
        // The twelfth month runs into the next solar year; in 2024 it has 29 days (설날 2025 on 29 January).
        QTest::newRow("섣달그믐 into the next year") << 2024 << 12 << 30 << "2025-01-28" << true;
        // 2023 has a leap second month (22 March to 19 April): an entry means the regular one.
        QTest::newRow("regular month before a leap month") << 2023 << 2 << 15 << "2023-03-06" << false;
        QTest::newRow("its 30th is not the leap month's 1st") << 2023 << 2 << 30 << "2023-03-21" << false;
        QTest::newRow("month after the leap month") << 2023 << 3 << 1 << "2023-04-20" << false;
        // 2020 has a leap fourth month.
        QTest::newRow("부처님오신날 2020") << 2020 << 4 << 8 << "2020-04-30" << false;
        QTest::newRow("month 0") << 2024 << 0 << 1 << "" << false;
        QTest::newRow("month 13") << 2024 << 13 << 1 << "" << false;
        QTest::newRow("day 31") << 2024 << 1 << 31 << "" << false;
        QTest::newRow("year 0") << 0 << 1 << 1 << "" << false;
    }
    void toSolar()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, expected);
        QFETCH(bool, clamped);
        bool wasClamped = !clamped;
        const std::optional<QDate> d = lunarToSolar(year, month, day, &wasClamped);
        QCOMPARE(d ? d->toString(Qt::ISODate) : QString(), expected);
        QCOMPARE(wasClamped, clamped);
    }

    void next_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("today");
        QTest::addColumn<QString>("expected"); // "2025-01-28 clamped"; empty: nothing shown

        // clang-format off
        QTest::newRow("lunar, today counts") << "1/1(L)[설날]" << "2024-02-10" << "2024-02-10";
        QTest::newRow("lunar, passed this year") << "1/1(L)[설날]" << "2024-02-11" << "2025-01-29";
        QTest::newRow("lunar, before new year") << "1/1(L)[설날]" << "2025-01-01" << "2025-01-29";
        QTest::newRow("last year's twelfth month") << "12/30(L)[그믐]" << "2025-01-01" << "2025-01-28 clamped";
        QTest::newRow("solar, passed this year") << "12/25(S)[X-mas]" << "2024-12-26" << "2025-12-25";
        QTest::newRow("29 February") << "2/29(S)[윤일]" << "2025-03-01" << "2028-02-29";
        QTest::newRow("29 February over 2100") << "2/29(S)[윤일]" << "2096-03-01" << "2104-02-29";
        QTest::newRow("leading zero and spaces") << " 03/ 1(S)[x]" << "2024-01-01" << "2024-03-01";
        QTest::newRow("solar 31 April") << "4/31(S)[x]" << "2024-01-01" << "";
        QTest::newRow("lunar 31st") << "1/31(L)[x]" << "2024-01-01" << "";
        QTest::newRow("month 13") << "13/1(S)[x]" << "2024-01-01" << "";
        QTest::newRow("no month") << "/1(S)[x]" << "2024-01-01" << "";
        QTest::newRow("no kind") << "1/1[x]" << "2024-01-01" << "";
        // clang-format on
    }
    void next()
    {
        QFETCH(QString, entry);
        QFETCH(QString, today);
        QFETCH(QString, expected);
        const auto n = HolidayDates::next(entry, QDate::fromString(today, Qt::ISODate));
        QCOMPARE(n ? n->date.toString(Qt::ISODate) + (n->clamped ? " clamped" : "") : QString(), expected);
    }

    void line_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("today");
        QTest::addColumn<bool>("korean");
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("korean") << "1/1(L)[설날]" << "2026-02-18" << true << "다음 양력 날짜: 2027-02-07 (일)";
        QTest::newRow("english") << "1/1(L)[설날]" << "2026-02-18" << false << "Next solar date: 2027-02-07 (Sun)";
        QTest::newRow("korean, moved") << "12/30(L)[그믐]" << "2025-01-01" << true
                                       << "다음 양력 날짜: 2025-01-28 (화)\n그 해 음력 12월은 29일까지: 29일로 옮김";
        QTest::newRow("english, moved") << "12/30(L)[그믐]" << "2025-01-01" << false
                                        << "Next solar date: 2025-01-28 (Tue)\nLunar month 12 has 29 days that year: "
                                           // clang-format on
                                           "moved to the 29th";
        // clang-format off
        QTest::newRow("unreadable") << "x(S)[x]" << "2025-01-01" << true << "";
        // clang-format on
    }
    void line()
    {
        QFETCH(QString, entry);
        QFETCH(QString, today);
        QFETCH(bool, korean);
        QFETCH(QString, expected);
        QCOMPARE(HolidayDates::line(entry, QDate::fromString(today, Qt::ISODate), korean), expected);
    }
};

QTEST_GUILESS_MAIN(TestLunar)
#include "tst_lunar.moc"
