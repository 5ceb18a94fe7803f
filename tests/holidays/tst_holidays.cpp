#include "TestSupport.h"

#include "holidays/HolidayDates.h"
#include "holidays/HolidayFile.h"

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
    // The line under the holiday list: the next solar date on or after today, and a note when
    // the lunar day does not exist that year. Lunar dates as the Korean calendar (KASI) publishes them.
    void nextDate_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("today");
        QTest::addColumn<bool>("korean");
        QTest::addColumn<QString>("expected"); // empty: nothing shown
        // clang-format off
        QTest::newRow("lunar, today counts") << "1/1(L)[설날]" << "2024-02-10" << true << "다음 양력 날짜: 2024-02-10 (토)";
        QTest::newRow("lunar, passed this year") << "1/1(L)[설날]" << "2024-02-11" << false << "Next solar date: 2025-01-29 (Wed)";
        // The twelfth month of 2024 runs into 2025 and has 29 days (설날 2025 on 29 January).
        QTest::newRow("last year's twelfth month, moved") << "12/30(L)[그믐]" << "2025-01-01" << true
                                                          << "다음 양력 날짜: 2025-01-28 (화)\n그 해 음력 12월은 29일까지: 29일로 옮김";
        QTest::newRow("english, moved") << "12/30(L)[그믐]" << "2025-01-01" << false
                                        << "Next solar date: 2025-01-28 (Tue)\nLunar month 12 has 29 days that year: "
                                           "moved to the 29th";
        QTest::newRow("30th of a 30-day month") << "1/30(L)[x]" << "2025-01-01" << true << "다음 양력 날짜: 2025-02-27 (목)";
        // 2023 has a leap second month (22 March to 19 April): an entry means the regular one.
        QTest::newRow("its 30th is not the leap month's 1st") << "2/30(L)[x]" << "2023-01-01" << false << "Next solar date: 2023-03-21 (Tue)";
        QTest::newRow("month after the leap month") << "3/1(L)[x]" << "2023-01-01" << false << "Next solar date: 2023-04-20 (Thu)";
        // Lunar 2017: the published first month has 29 days (ICU's astronomy gives 30).
        QTest::newRow("2017 second month") << "2/1(L)[x]" << "2017-01-01" << true << "다음 양력 날짜: 2017-02-26 (일)";
        QTest::newRow("2017 first month, 30th") << "1/30(L)[x]" << "2017-01-01" << false
                                                << "Next solar date: 2017-02-25 (Sat)\nLunar month 1 has 29 days that year: "
                                                   "moved to the 29th";
        QTest::newRow("2017 second month, 30th") << "2/30(L)[x]" << "2017-01-01" << false << "Next solar date: 2017-03-27 (Mon)";
        QTest::newRow("추석 2017") << "8/15(L)[x]" << "2017-01-01" << false << "Next solar date: 2017-10-04 (Wed)";
        // 2020 has a leap fourth month.
        QTest::newRow("부처님오신날 2020") << "4/8(L)[x]" << "2020-01-01" << true << "다음 양력 날짜: 2020-04-30 (목)";
        QTest::newRow("lunar month 13") << "13/1(L)[x]" << "2024-01-01" << true << "";
        QTest::newRow("solar, passed this year") << "12/25(S)[X-mas]" << "2024-12-26" << false << "Next solar date: 2025-12-25 (Thu)";
        QTest::newRow("29 February over 2100") << "2/29(S)[윤일]" << "2096-03-01" << false << "Next solar date: 2104-02-29 (Fri)";
        QTest::newRow("leading zero and spaces") << " 03/ 1(S)[x]" << "2024-01-01" << false << "Next solar date: 2024-03-01 (Fri)";
        QTest::newRow("solar 31 April") << "4/31(S)[x]" << "2024-01-01" << true << "";
        QTest::newRow("no kind") << "1/1[x]" << "2024-01-01" << true << "";
        // clang-format on
    }
    void nextDate()
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
        QTest::newRow("not a number") << holidayFile("Contents No=3 entries", three) << QStringList{};
        QTest::newRow("32768 is no count") << holidayFile("Contents No=32768", three) << QStringList{};
        QTest::newRow("fraction dropped") << holidayFile("Contents No=2.9", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("negative count") << holidayFile("Contents No=-2", three) << QStringList{};
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
        // Longer than the page lets the user type, as another program may have written it.
        const QString long60 = QStringLiteral("12/31(L)[아주 긴 기념일 제목을 여기에 적어 봅니다 정말 길게]");
        QVERIFY(cp949(long60).size() == 60);
        QTest::newRow("a long entry kept whole") << holidayFile("Contents No=1", {cp949(long60)}) << QStringList{long60}
                                                 << holidayFile("Contents No=1", {cp949(long60)});
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
        QVERIFY(HolidayFile::store(fx.fs, path, entries).ok);
        QCOMPARE(readFile(path), after);
        QCOMPARE(HolidayFile::load(fx.fs, path), entries);
    }
};

QTEST_GUILESS_MAIN(TestHolidays)
#include "tst_holidays.moc"
