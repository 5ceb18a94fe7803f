#include "TestSupport.h"

#include "holidays/HolidayEntry.h"
#include "holidays/HolidayFile.h"
#include "platform/ProfileFile.h"

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
    if (!countLine.isEmpty())
        out += countLine + "\r\n";
    return out;
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
        QTest::newRow("3 loads three") << holidayFile("Contents No=3", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
        QTest::newRow("2 ignores Holi2") << holidayFile("Contents No=2", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("0") << holidayFile("Contents No=0", three) << QStringList{};
        QTest::newRow("negative") << holidayFile("Contents No=-3", three) << QStringList{};
        QTest::newRow("not a number") << holidayFile("Contents No=three", three) << QStringList{};
        QTest::newRow("digits then words") << holidayFile("Contents No=3 entries", three) << QStringList{};
        QTest::newRow("32768 is no count") << holidayFile("Contents No=32768", three) << QStringList{};
        QTest::newRow("fraction dropped") << holidayFile("Contents No=2.9", three) << QStringList{"1/1(S)[A]", "2/2(S)[B]"};
        QTest::newRow("count quoted and spaced") << holidayFile("  contents no = \"1\" ", three) << QStringList{"1/1(S)[A]"};
        QTest::newRow("no count key") << holidayFile("", three) << QStringList{};
        QTest::newRow("empty count") << holidayFile("Contents No=", three) << QStringList{};
        QTest::newRow("missing keys skipped")
            << QByteArray("[Holiday Day]\r\nHoli0=a\r\nHoli2=c\r\n[Holiday Etc]\r\nContents No=5\r\n")
            << QStringList{"a", "c"};
        QTest::newRow("empty values skipped")
            << QByteArray("[Holiday Day]\r\nHoli0=\r\nHoli1=b\r\nHoli2=  \r\n[Holiday Etc]\r\nContents No=3\r\n")
            << QStringList{"b"};
        QTest::newRow("key order, not file order")
            << QByteArray("[Holiday Etc]\r\nContents No=2\r\n[holiday day]\r\nHOLI1=second\r\nholi0=first\r\n")
            << QStringList{"first", "second"};
        QTest::newRow("32767 over few keys") << holidayFile("Contents No=32767", three)
                                             << QStringList{"1/1(S)[A]", "2/2(S)[B]", "3/3(L)[C]"};
    }
    void countRules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, loaded);
        Fixture fx;
        writeFile(fx.path("Holiday.dat"), file);
        QCOMPARE(HolidayFile::load(fx.fs, fx.path("Holiday.dat")), loaded);
    }

    void noFileLoadsNothing()
    {
        Fixture fx;
        QCOMPARE(HolidayFile::load(fx.fs, fx.path("Holiday.dat")), QStringList{});
    }

    void store_data()
    {
        QTest::addColumn<QByteArray>("before");   // empty: no file
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("no file: Holi0 blanked first, then entries, then the count")
            << QByteArray() << QStringList{"1/1(S)[New Year]", "12/25(S)[X-mas]"}
            << QByteArray("[Holiday Day]\r\nHoli0=1/1(S)[New Year]\r\nHoli1=12/25(S)[X-mas]\r\n"
                          "[Holiday Etc]\r\nContents No=2\r\n");
        QTest::newRow("no file, empty list")
            << QByteArray() << QStringList{}
            << QByteArray("[Holiday Day]\r\nHoli0=\r\n[Holiday Etc]\r\nContents No=0\r\n");
        QTest::newRow("2 over 5: the rest blanked, keys kept")
            << holidayFile("Contents No=5", {"a", "b", "c", "d", "e"}) << QStringList{"x", "y"}
            << holidayFile("Contents No=2", {"x", "y", "", "", ""});
        QTest::newRow("empty list over 3")
            << holidayFile("Contents No=3", {"a", "b", "c"}) << QStringList{}
            << holidayFile("Contents No=0", {"", "", ""});
        QTest::newRow("longer list over shorter")
            << holidayFile("Contents No=1", {"a"}) << QStringList{"x", "y"}
            << holidayFile("Contents No=2", {"x", "y"});
        QTest::newRow("count says 2 of 4: only those blanked")
            << holidayFile("Contents No=2", {"a", "b", "c", "d"}) << QStringList{"x"}
            << holidayFile("Contents No=1", {"x", "", "c", "d"});
        QTest::newRow("negative count blanks nothing")
            << holidayFile("Contents No=-1", {"a", "b"}) << QStringList{"x"}
            << holidayFile("Contents No=1", {"x", "b"});
        QTest::newRow("count of 3 creates the missing keys it blanks")
            << QByteArray("[Holiday Day]\r\nHoli0=a\r\n[Holiday Etc]\r\nContents No=3\r\n") << QStringList{"x"}
            << QByteArray("[Holiday Day]\r\nHoli0=x\r\nHoli1=\r\nHoli2=\r\n[Holiday Etc]\r\nContents No=1\r\n");
        // A count that is present but unusable: every entry key of the file is blanked.
        const QByteArray odd("; kept\r\n[Holiday Day]\r\nHoli0=a\r\nholi1=b\r\nHOLI7=h\r\nHoliday=keep\r\n"
                             "Holi=keep\r\nHoli2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=%1\r\n");
        const QByteArray oddAfter("; kept\r\n[Holiday Day]\r\nHoli0=x\r\nholi1=\r\nHOLI7=\r\nHoliday=keep\r\n"
                                  "Holi=keep\r\nHoli2x=keep\r\n\r\n[Holiday Etc]\r\nContents No=1\r\n");
        QTest::newRow("count not a number") << QByteArray(odd).replace("%1", "lots") << QStringList{"x"} << oddAfter;
        QTest::newRow("count too large") << QByteArray(odd).replace("%1", "32768") << QStringList{"x"} << oddAfter;
        QTest::newRow("other sections and comments stay")
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=1\r\nNote=n\r\n[Holiday Day]\r\nHoli0=a\r\n")
            << QStringList{"x", "y"}
            << QByteArray("; mine\r\n[Other]\r\nHoli0=z\r\n[Holiday Etc]\r\nContents No=2\r\nNote=n\r\n[Holiday Day]\r\n"
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
        QCOMPARE(fx.fs.writes, writes + 1);   // one rewrite, not one per key
        QCOMPARE(readFile(path), after);
        QCOMPARE(HolidayFile::load(fx.fs, path), entries);
    }

    void storeMatchesKeyByKeyWrites()
    {
        Fixture fx;
        const QByteArray before = holidayFile("Contents No=4", {"a", "b", "c", "d"}) + "; end\r\n";
        writeFile(fx.path("one.dat"), before);
        writeFile(fx.path("batch.dat"), before);
        const QStringList entries{"1/1(S)[x]", QStringLiteral("8/15(L)[추석]")};
        ProfileDocument doc;
        ProfileFile pf(fx.fs);
        QVERIFY(pf.load(fx.path("one.dat"), doc).ok);
        for (const ProfileWrite& w : HolidayFile::storeWrites(doc, entries))
            QVERIFY(pf.write(fx.path("one.dat"), w.section, w.key, w.value).ok);
        QVERIFY(HolidayFile::store(fx.fs, fx.path("batch.dat"), entries).ok);
        QCOMPARE(readFile(fx.path("batch.dat")), readFile(fx.path("one.dat")));
    }

    void longEntrySurvivesLoadAndStore()
    {
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        const QString title = QStringLiteral("아주 긴 기념일 제목을 여기에 적어 봅니다 정말 길게");
        const QString entry = HolidayEntry::build("12", "31", false, title);
        QVERIFY(cp949(entry).size() > 59);
        writeFile(path, "[Holiday Day]\r\nHoli0=" + cp949(entry) + "\r\n[Holiday Etc]\r\nContents No=1\r\n");
        const QByteArray before = readFile(path);
        const QStringList loaded = HolidayFile::load(fx.fs, path);
        QCOMPARE(loaded, QStringList{entry});
        QVERIFY(HolidayFile::store(fx.fs, path, loaded).ok);
        QCOMPARE(readFile(path), before);
    }

    void failedStoreLeavesTheFile()
    {
        Fixture fx;
        const QString path = fx.path("Holiday.dat");
        const QByteArray before = holidayFile("Contents No=1", {"a"});
        writeFile(path, before);
        fx.fs.failPathPart = QStringLiteral("Holiday.dat");
        const IoStatus st = HolidayFile::store(fx.fs, path, {"x"});
        QVERIFY(!st.ok);
        QCOMPARE(st.path, path);
        fx.fs.failPathPart.clear();
        QCOMPARE(readFile(path), before);
    }

    void entryRoundTrip_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QVariant>("month");   // invalid: step left its field alone
        QTest::addColumn<QVariant>("day");
        QTest::addColumn<QVariant>("solar");
        QTest::addColumn<QVariant>("title");
        const QVariant none;
        QTest::newRow("solar") << "12/25(S)[X-mas]" << QVariant(12) << QVariant(25) << QVariant(true) << QVariant("X-mas");
        QTest::newRow("lunar") << "8/15(L)[Harvest]" << QVariant(8) << QVariant(15) << QVariant(false) << QVariant("Harvest");
        QTest::newRow("spaces around the title") << "1/1(S)[ Party ]" << QVariant(1) << QVariant(1) << QVariant(true)
                                                 << QVariant("Party ");
        QTest::newRow("] inside") << "3/1(S)[a]b]" << QVariant(3) << QVariant(1) << QVariant(true) << QVariant("a]b");
        QTest::newRow(") inside") << "3/1(S)[a)(b)]" << QVariant(3) << QVariant(1) << QVariant(true) << QVariant("a)(b)");
        QTest::newRow("lowercase s is lunar") << "5/5(s)[x]" << QVariant(5) << QVariant(5) << QVariant(false) << QVariant("x");
        QTest::newRow("leading zeros and spaces") << " 08/ 05(S)[x]" << QVariant(8) << QVariant(5) << QVariant(true)
                                                  << QVariant("x");
        QTest::newRow("korean title") << QStringLiteral("1/15(L)[정월 대보름]") << QVariant(1) << QVariant(15)
                                      << QVariant(false) << QVariant(QStringLiteral("정월 대보름"));
        QTest::newRow("no /") << "12(S)[x]" << none << QVariant(12) << QVariant(true) << QVariant("x");
        QTest::newRow("no (") << "1/2S)[x]" << QVariant(1) << none << none << QVariant("x");
        QTest::newRow("no )") << "1/2(S[x]" << QVariant(1) << QVariant(2) << QVariant(true) << none;
        QTest::newRow("empty month") << "/2(L)[x]" << none << QVariant(2) << QVariant(false) << QVariant("x");
        QTest::newRow("nothing after (") << "1/2(" << QVariant(1) << QVariant(2) << QVariant(false) << none;
        QTest::newRow("empty title") << "1/2(S)[]" << QVariant(1) << QVariant(2) << QVariant(true) << QVariant("");
        QTest::newRow("no title at all") << "1/2(S)" << QVariant(1) << QVariant(2) << QVariant(true) << none;
        QTest::newRow("words for numbers") << "Jan/first(S)[x]" << none << none << QVariant(true) << QVariant("x");
    }
    void entryRoundTrip()
    {
        QFETCH(QString, entry);
        QFETCH(QVariant, month);
        QFETCH(QVariant, day);
        QFETCH(QVariant, solar);
        QFETCH(QVariant, title);
        const HolidayEntry::Fields f = HolidayEntry::parse(entry);
        QCOMPARE(f.month.has_value(), month.isValid());
        if (f.month) QCOMPARE(*f.month, month.toInt());
        QCOMPARE(f.day.has_value(), day.isValid());
        if (f.day) QCOMPARE(*f.day, day.toInt());
        QCOMPARE(f.solar.has_value(), solar.isValid());
        if (f.solar) QCOMPARE(*f.solar, solar.toBool());
        QCOMPARE(f.title.has_value(), title.isValid());
        if (f.title) QCOMPARE(*f.title, title.toString());
    }

    void buildWritesTheFieldsAsTyped()
    {
        QCOMPARE(HolidayEntry::build("12", "25", true, "X-mas"), QStringLiteral("12/25(S)[X-mas]"));
        QCOMPARE(HolidayEntry::build("", "", false, " t "), QStringLiteral("/(L)[ t ]"));
    }

    void wholeNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("plain") << "42" << QVariant(42);
        QTest::newRow("sign") << "-7" << QVariant(-7);
        QTest::newRow("fraction dropped") << "3.99" << QVariant(3);
        QTest::newRow("negative fraction") << "-3.99" << QVariant(-3);
        QTest::newRow("32767") << "32767" << QVariant(32767);
        QTest::newRow("-32768") << "-32768" << QVariant(-32768);
        QTest::newRow("32768") << "32768" << QVariant();
        QTest::newRow("huge") << "99999999999999999999" << QVariant();
        QTest::newRow("empty") << "" << QVariant();
        QTest::newRow("word") << "abc" << QVariant();
        QTest::newRow("trailing word") << "3x" << QVariant();
    }
    void wholeNumber()
    {
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        const std::optional<int> n = HolidayEntry::wholeNumber(text);
        QCOMPARE(n.has_value(), value.isValid());
        if (n) QCOMPARE(*n, value.toInt());
    }

    void sortedByCharacters()
    {
        QStringList list;
        for (const QString& e : {QStringLiteral("2/14(S)[V]"), QStringLiteral("12/25(S)[X]"), QStringLiteral("10/3(S)[K]"),
                                 QStringLiteral("1/1(S)[N]"), QStringLiteral("10/3(S)[K]")})
            list.insert(HolidayEntry::sortedPosition(list, e), e);
        QCOMPARE(list, (QStringList{"1/1(S)[N]", "10/3(S)[K]", "10/3(S)[K]", "12/25(S)[X]", "2/14(S)[V]"}));
    }

    void refusal_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("reasonPart");   // empty: accepted
        const QString at59 = HolidayEntry::build("12", "25", true, QString(24, QChar(0xAC00)) + "x");   // 10 + 48 + 1
        QTest::newRow("59 bytes accepted") << at59 << QString();
        QTest::newRow("60 bytes refused") << HolidayEntry::build("12", "25", true, QString(25, QChar(0xAC00)))
                                          << QStringLiteral("60바이트");
        QTest::newRow("line feed") << "1/1(S)[a\nb]" << QStringLiteral("줄바꿈");
        QTest::newRow("carriage return") << "1/1(S)[a\rb]" << QStringLiteral("줄바꿈");
        QTest::newRow("emoji") << QStringLiteral("1/1(S)[파티🎉]") << QStringLiteral("\"🎉\"");
        QTest::newRow("thai") << QStringLiteral("1/1(S)[ก]") << QStringLiteral("\"ก\"");
        QTest::newRow("byte escape") << QStringLiteral("1/1(S)[") + QChar(0xDC81) + "]" << QString(QChar(0xDC81));
        QTest::newRow("extension syllable fine") << QStringLiteral("1/1(S)[똠햏]") << QString();
    }
    void refusal()
    {
        QFETCH(QString, entry);
        QFETCH(QString, reasonPart);
        const QString why = HolidayEntry::refusal(entry, true);
        if (reasonPart.isEmpty()) {
            QVERIFY2(why.isEmpty(), qPrintable(why));
        } else {
            QVERIFY2(why.contains(reasonPart), qPrintable(why));
            QVERIFY(!HolidayEntry::refusal(entry, false).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestHolidayFile)
#include "tst_holidayfile.moc"
