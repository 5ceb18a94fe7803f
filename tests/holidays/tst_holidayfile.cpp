#include "TestSupport.h"

#include "holidays/HolidayEntry.h"
#include "holidays/HolidayFile.h"

#include <QTest>

using namespace td;
using namespace td::test;

namespace {

// A Holiday.dat with the given count line (none when empty) and entries Holi0.. in order.
QByteArray holidayFile(const QByteArray& countLine, const QList<QByteArray>& entries)
{
    QByteArray out("[Holiday Day]\r\n");
    for (int i = 0; i < entries.size(); ++i)
        out += "Holi" + QByteArray::number(i) + "=" + entries[i] + "\r\n";
    out += "[Holiday Etc]\r\n";
    return countLine.isEmpty() ? out : out + countLine + "\r\n";
}

} // namespace

class TestHolidayFile : public QObject {
    Q_OBJECT
private slots:
    void countRules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("loaded");
        const QList<QByteArray> three{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        // clang-format off
        QTest::newRow("3 loads three") << holidayFile("Contents No=3", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        QTest::newRow("2 ignores Holi2") << holidayFile("Contents No=2", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("0") << holidayFile("Contents No=0", three) << QStringList{};
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
                          // clang-format on
                          "Holi32766=3/3(L)[C]\r\nHoli32767=4/4(S)[past the count]\r\n")
            << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        const char zeros[] = "[Holiday Etc]\r\nContents No=3\0 junk\r\n[Holiday Day]\r\nHoli0=1/1(S)[A\0B]\r\nHoli1=\0\r\nHoli2=2/2(L)[C]\r\n";
        QTest::newRow("zero bytes") << QByteArray(zeros, sizeof zeros - 1) << QStringList{"1/1(S)[A", "2/2(L)[C]"};
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
                          // clang-format on
                          "[Holiday Etc]\r\nContents No=2\r\n");
        // clang-format off
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
        // clang-format on
        // A count that is present but unusable: every entry key of the file is blanked.
        // clang-format off
        QTest::newRow("count not a number")
            << QByteArray("; kept\r\n[Holiday Day]\r\nHoli0=a\r\nholi1=b\r\nHOLI7=h\r\nHoliday=keep\r\nHoli=keep\r\n"
                          // clang-format on
                          "Holi2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=lots\r\n")
            << QStringList{"x"}
            << QByteArray("; kept\r\n[Holiday Day]\r\nHoli0=x\r\nholi1=\r\nHOLI7=\r\nHoliday=keep\r\nHoli=keep\r\n"
                          "Holi2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=1\r\n");
        // clang-format off
        QTest::newRow("other sections and comments stay")
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=1\r\nNote=n\r\n[Holiday Day]\r\nHoli0=a\r\n")
            << QStringList{"x", "y"}
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=2\r\nNote=n\r\n[Holiday Day]\r\n"
                          // clang-format on
                          "Holi0=x\r\nHoli1=y\r\n");
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

QTEST_GUILESS_MAIN(TestHolidayFile)
#include "tst_holidayfile.moc"
