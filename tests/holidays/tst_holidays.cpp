#include "TestSupport.h"

#include "holidays/HolidayDates.h"
#include "holidays/HolidayEntry.h"
#include "holidays/HolidayFile.h"
#include "holidays/LunarCalendar.h"

#include <QTest>

using namespace td;
using namespace td::test;

namespace {

// A Holiday.dat with the given count line and entries Holi0.. in order.
QByteArray holidayFile(const QByteArray& countLine, const QList<QByteArray>& entries)
{
    QByteArray out("[Holiday Day]\r\n");
    for (int i = 0; i < entries.size(); ++i)
        out += "Holi" + QByteArray::number(i) + "=" + entries[i] + "\r\n";
    return out + "[Holiday Etc]\r\n" + countLine + "\r\n";
}

} // namespace

class TestHolidays : public QObject {
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
                                           "moved to the 29th";
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

    void countRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("loaded");
        const QList<QByteArray> three{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        // clang-format off
        QTest::newRow("3 loads three") << holidayFile("Contents No=3", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        QTest::newRow("2 ignores Holi2") << holidayFile("Contents No=2", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("negative") << holidayFile("Contents No=-3", three) << QStringList{};
        QTest::newRow("not a number") << holidayFile("Contents No=3 entries", three) << QStringList{};
        QTest::newRow("32768 is no count") << holidayFile("Contents No=32768", three) << QStringList{};
        QTest::newRow("overflow is no count") << holidayFile("Contents No=99999999999999999999", three) << QStringList{};
        QTest::newRow("fraction dropped") << holidayFile("Contents No=2.9", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("missing keys skipped")
            << QByteArray("[Holiday Day]\r\nHoli0=a\r\nHoli2=c\r\n[Holiday Etc]\r\nContents No=5\r\n") << QStringList{"a", "c"};
        QTest::newRow("empty values skipped")
            << QByteArray("[Holiday Day]\r\nHoli0=\r\nHoli1=b\r\nHoli2=  \r\n[Holiday Etc]\r\nContents No=3\r\n")
            << QStringList{"b"};
        QTest::newRow("key order, not file order")
            << QByteArray("[Holiday Etc]\r\nContents No=2\r\n[holiday day]\r\nHOLI1=second\r\nholi0=first\r\n")
            << QStringList{"first", "second"};
        QTest::newRow("32767 over three keys")
            << QByteArray("[Holiday Etc]\r\nContents No=32767\r\n[Holiday Day]\r\nHoli0=1/1(S)[A]\r\nHoli9000=2/2(S)[B]\r\n"
                          "Holi32766=3/3(L)[C]\r\nHoli32767=4/4(S)[past the count]\r\n")
            << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        const char zeros[] = "[Holiday Etc]\r\nContents No=3\0 junk\r\n[Holiday Day]\r\nHoli0=1/1(S)[A\0B]\r\nHoli1=\0\r\nHoli2=2/2(L)[C]\r\n";
        QTest::newRow("zero bytes") << QByteArray(zeros, sizeof zeros - 1) << QStringList{"1/1(S)[A", "2/2(L)[C]"};
        // clang-format on
    }
    void countRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, loaded);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), file);
        QCOMPARE(HolidayFile::load(fx.fs, fx.path("Holiday.dat")), loaded);
    }

    void store_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no file
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("after");
        // clang-format off
        QTest::newRow("no file: Holi0 blanked first, then entries, then the count")
            << QByteArray() << QStringList{"1/1(S)[New Year]", "12/25(S)[X-mas]"}
            << QByteArray("[Holiday Day]\r\nHoli0=1/1(S)[New Year]\r\nHoli1=12/25(S)[X-mas]\r\n"
                          "[Holiday Etc]\r\nContents No=2\r\n");
        QTest::newRow("2 over 5: the rest blanked, keys kept")
            << holidayFile("Contents No=5", {"a", "b", "c", "d", "e"}) << QStringList{"x", "y"}
            << holidayFile("Contents No=2", {"x", "y", "", "", ""});
        QTest::newRow("count says 2 of 4: only those blanked")
            << holidayFile("Contents No=2", {"a", "b", "c", "d"}) << QStringList{"x"}
            << holidayFile("Contents No=1", {"x", "", "c", "d"});
        QTest::newRow("negative count blanks nothing")
            << holidayFile("Contents No=-1", {"a", "b"}) << QStringList{"x"} << holidayFile("Contents No=1", {"x", "b"});
        QTest::newRow("count of 3 creates the missing keys it blanks")
            << QByteArray("[Holiday Day]\r\nHoli0=a\r\n[Holiday Etc]\r\nContents No=3\r\n") << QStringList{"x"}
            << QByteArray("[Holiday Day]\r\nHoli0=x\r\nHoli1=\r\nHoli2=\r\n[Holiday Etc]\r\nContents No=1\r\n");
        // A count that is present but unusable: every entry key of the file is blanked.
        QTest::newRow("count not a number")
            << QByteArray("; kept\r\n[Holiday Day]\r\nHoli0=a\r\nholi1=b\r\nHOLI7=h\r\nHoliday=keep\r\nHoli=keep\r\n"
                          "Holi2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=lots\r\n")
            << QStringList{"x"}
            << QByteArray("; kept\r\n[Holiday Day]\r\nHoli0=x\r\nholi1=\r\nHOLI7=\r\nHoliday=keep\r\nHoli=keep\r\n"
                          "Holi2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=1\r\n");
        QTest::newRow("other sections and comments stay")
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=1\r\nNote=n\r\n[Holiday Day]\r\nHoli0=a\r\n")
            << QStringList{"x", "y"}
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=2\r\nNote=n\r\n[Holiday Day]\r\n"
                          "Holi0=x\r\nHoli1=y\r\n");
        // clang-format on
    }
    void store()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, entries);
        QFETCH(QByteArray, after);
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        if (!before.isEmpty())
            writeFile(path, before);
        const int writes = fx.fs.writes;
        QVERIFY(HolidayFile::store(fx.fs, path, entries).ok);
        QCOMPARE(fx.fs.writes, writes + 1); // one rewrite, not one per key
        QCOMPARE(readFile(path), after);
        QCOMPARE(HolidayFile::load(fx.fs, path), entries);
    }

    void longEntrySurvivesLoadAndStore()
    {
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        const QString entry = HolidayEntry::build("12", "31", false, QStringLiteral("아주 긴 기념일 제목을 여기에 적어 봅니다 정말 길게"));
        QVERIFY(cp949(entry).size() > 59);
        const QByteArray before = "[Holiday Day]\r\nHoli0=" + cp949(entry) + "\r\n[Holiday Etc]\r\nContents No=1\r\n";
        writeFile(path, before);
        const QStringList loaded = HolidayFile::load(fx.fs, path);
        QCOMPARE(loaded, QStringList{entry});
        QVERIFY(HolidayFile::store(fx.fs, path, loaded).ok);
        QCOMPARE(readFile(path), before);
    }
};

QTEST_GUILESS_MAIN(TestHolidays)
#include "tst_holidays.moc"
