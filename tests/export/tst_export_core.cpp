#include "TestSupport.h"
#include "export/DayExport.h"
#include "export/XlsxServer.h"

#include <QFile>
#include <QTest>

using namespace td;
using namespace td::xl;

namespace {
SaveAsArgs target(const QString& path)
{
    SaveAsArgs a;
    a.fileName = path;
    return a;
}
} // namespace

class TestExportCore : public QObject {
    Q_OBJECT
private slots:
    void range_data();
    void range();
    void progress_data();
    void progress();
    void dateText_data();
    void dateText();
    void fileName_data();
    void fileName();
    void palette_data();
    void palette();
    void colorValue_data();
    void colorValue();
    void columnReference_data();
    void columnReference();

    void operationsNeedAWorkbook();
    void rangeFormatsReachExistingAndLaterCells();
    void fontAndFillColours();
    void borderColour_data();
    void borderColour();
    void refusedValuesChangeNothing();
    void longTextIsCut();
    void saveOpensOnlyAVisibleWorkbook();
    void failedSaveKeepsTheOldFile();
};

void TestExportCore::range_data()
{
    QTest::addColumn<QStringList>("lists");   // start year, start month, end year, end month
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<int>("days");

    QTest::newRow("one month") << QStringList{"2001", "12", "2001", "12"} << QDate(2001, 12, 1) << QDate(2001, 12, 31) << 31;
    QTest::newRow("across a year") << QStringList{"2001", "12", "2002", "1"} << QDate(2001, 12, 1) << QDate(2002, 1, 31) << 62;
    QTest::newRow("february of a leap year") << QStringList{"2004", "2", "2004", "2"} << QDate(2004, 2, 1) << QDate(2004, 2, 29) << 29;
    QTest::newRow("shortest month") << QStringList{"2001", "2", "2001", "2"} << QDate(2001, 2, 1) << QDate(2001, 2, 28) << 28;
    QTest::newRow("ten years") << QStringList{"2000", "1", "2009", "12"} << QDate(2000, 1, 1) << QDate(2009, 12, 31) << 3653;
    QTest::newRow("end before start") << QStringList{"2002", "3", "2002", "2"} << QDate() << QDate() << 0;
    QTest::newRow("end year before start") << QStringList{"2003", "1", "2002", "12"} << QDate() << QDate() << 0;
    QTest::newRow("no start year") << QStringList{"", "12", "2001", "12"} << QDate() << QDate() << 0;
    QTest::newRow("no end month") << QStringList{"2001", "12", "2001", ""} << QDate() << QDate() << 0;
    QTest::newRow("month out of range") << QStringList{"2001", "13", "2002", "1"} << QDate() << QDate() << 0;
}

void TestExportCore::range()
{
    QFETCH(QStringList, lists);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(int, days);
    const auto r = exportRange(lists[0], lists[1], lists[2], lists[3]);
    QCOMPARE(r.has_value(), days > 0);
    if (r) {
        QCOMPARE(r->firstDay, first);
        QCOMPARE(r->lastDay, last);
        QCOMPARE(r->span + 1, days);
    }
}

void TestExportCore::progress_data()
{
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("percent");
    QTest::newRow("first day") << 0 << 30 << 0;
    QTest::newRow("last day") << 30 << 30 << 100;
    QTest::newRow("half") << 15 << 30 << 50;
    QTest::newRow("rounded down") << 1 << 3 << 33;
    QTest::newRow("rounded up") << 2 << 3 << 67;
    QTest::newRow("last of ten years") << 3652 << 3652 << 100;
}

void TestExportCore::progress()
{
    QFETCH(int, i);
    QFETCH(int, span);
    QFETCH(int, percent);
    QCOMPARE(exportProgress(i, span), percent);
}

void TestExportCore::dateText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale ko(QLocale::Korean, QLocale::SouthKorea);
    QTest::newRow("saturday") << en << QDate(2001, 12, 1) << "2001/12/1(Sat)" << 5;
    QTest::newRow("sunday") << en << QDate(2001, 12, 2) << "2001/12/2(Sun)" << 3;
    QTest::newRow("monday") << en << QDate(2001, 12, 3) << "2001/12/3(Mon)" << 0;
    QTest::newRow("no leading zeros") << en << QDate(2002, 1, 5) << "2002/1/5(Sat)" << 5;
    QTest::newRow("korean saturday") << ko << QDate(2001, 12, 1) << "2001/12/1(토)" << 5;
    QTest::newRow("korean sunday") << ko << QDate(2001, 12, 2) << "2001/12/2(일)" << 3;
    QTest::newRow("korean friday") << ko << QDate(2001, 12, 7) << "2001/12/7(금)" << 0;
}

void TestExportCore::dateText()
{
    QFETCH(QLocale, locale);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(int, colour);
    QCOMPARE(exportDateText(date, locale), text);
    QCOMPARE(weekdayColorIndex(date), colour);
}

void TestExportCore::fileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("target");
    QTest::newRow("no extension") << "/home/u/report" << "/home/u/report.xlsx";
    QTest::newRow("trailing dot") << "/home/u/report." << "/home/u/report.xlsx";
    QTest::newRow("dotted folder") << "/home/u/my.files/report" << "/home/u/my.files/report.xlsx";
    QTest::newRow("xlsx") << "/home/u/report.xlsx" << "/home/u/report.xlsx";
    QTest::newRow("xlsx upper case") << "/home/u/REPORT.XLSX" << "/home/u/REPORT.XLSX";
    QTest::newRow("old extension") << "/home/u/report.xls" << "/home/u/report.xlsx";
    QTest::newRow("old extension upper case") << "/home/u/REPORT.XLS" << "/home/u/REPORT.xlsx";
    QTest::newRow("other extension kept") << "/home/u/report.dat" << "/home/u/report.dat";
}

void TestExportCore::fileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, target);
    QCOMPARE(workbookFileName(chosen), target);
}

void TestExportCore::palette_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<qint64>("rgb");   // -1: not a palette entry
    QTest::newRow("1 black") << 1 << qint64(0x000000);
    QTest::newRow("3 red") << 3 << qint64(0xFF0000);
    QTest::newRow("5 blue") << 5 << qint64(0x0000FF);
    QTest::newRow("15 silver") << 15 << qint64(0xC0C0C0);
    QTest::newRow("24 lavender") << 24 << qint64(0xCCCCFF);
    QTest::newRow("36 light yellow") << 36 << qint64(0xFFFF99);
    QTest::newRow("56") << 56 << qint64(0x333333);
    QTest::newRow("0") << 0 << qint64(-1);
    QTest::newRow("57") << 57 << qint64(-1);
    QTest::newRow("automatic") << xlColorIndexAutomatic << qint64(-1);
}

void TestExportCore::palette()
{
    QFETCH(int, index);
    QFETCH(qint64, rgb);
    const auto p = paletteRgb(index);
    QCOMPARE(p ? qint64(*p) : -1, rgb);
}

void TestExportCore::colorValue_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<uint>("rgb");
    QTest::newRow("20 is a dark red") << 20 << 0x140000u;
    QTest::newRow("red") << 255 << 0xFF0000u;
    QTest::newRow("blue") << 0xFF0000 << 0x0000FFu;
    QTest::newRow("mixed") << 0x123456 << 0x563412u;
}

void TestExportCore::colorValue()
{
    QFETCH(int, value);
    QFETCH(uint, rgb);
    QCOMPARE(rgbFromColorValue(value), rgb);
}

void TestExportCore::columnReference_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("first");   // 0: refused
    QTest::addColumn<int>("last");
    QTest::addColumn<QString>("address");
    QTest::newRow("A:A") << "A:A" << 1 << 1 << "A:A";
    QTest::newRow("C:C") << "C:C" << 3 << 3 << "C:C";
    QTest::newRow("two columns") << "B:D" << 2 << 4 << "B:D";
    QTest::newRow("reversed") << "D:B" << 2 << 4 << "B:D";
    QTest::newRow("lower case") << "aa:ab" << 27 << 28 << "AA:AB";
    QTest::newRow("last column") << "XFD:XFD" << 16384 << 16384 << "XFD:XFD";
    QTest::newRow("past the last column") << "XFE:XFE" << 0 << 0 << "";
    QTest::newRow("a cell") << "A1" << 0 << 0 << "";
    QTest::newRow("empty") << "" << 0 << 0 << "";
    QTest::newRow("three parts") << "A:B:C" << 0 << 0 << "";
}

void TestExportCore::columnReference()
{
    QFETCH(QString, reference);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QString, address);
    const auto r = RangeRef::columns(reference);
    QCOMPARE(r.has_value(), first > 0);
    if (r) {
        QCOMPARE(r->column, first);
        QCOMPARE(r->lastColumn, last);
        QCOMPARE(r->address(), address);
    }
}

void TestExportCore::operationsNeedAWorkbook()
{
    test::Fixture f;
    XlsxServer server(f.fs, {});
    QVERIFY(!server.setValue(RangeRef::cell(1, 1), QStringLiteral("x")));
    QVERIFY(!server.setSheetName(QStringLiteral("Daybrook")));
    QVERIFY(!server.setDisplayGridlines(false));
    QVERIFY(!server.saveAs(target(f.path(QStringLiteral("a.xlsx")))).ok);
    QVERIFY(server.addWorkbook());
    QVERIFY(server.setValue(RangeRef::cell(1, 1), QStringLiteral("x")));
    server.quit();
    QVERIFY(!server.sheet());
    QVERIFY(!server.addWorkbook());
    QVERIFY(!server.setVisible(true));
    QVERIFY(!QFile::exists(f.path(QStringLiteral("a.xlsx"))));
}

void TestExportCore::rangeFormatsReachExistingAndLaterCells()
{
    test::Fixture f;
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    const Worksheet sheet = Application(&server).ActiveWorkbook().ActiveSheet();
    sheet.Cells(2, 1).Value(QStringLiteral("before"));
    sheet.Cells(2, 2).Value(QStringLiteral("other column"));
    QVERIFY(sheet.Columns(QStringLiteral("A:A")).Font().Bold(true));
    QVERIFY(sheet.Cells().Font().Size(8));
    QVERIFY(sheet.Cells().VerticalAlignment(xlTop));
    sheet.Cells(5, 1).Value(QStringLiteral("after"));
    sheet.Cells(5, 4).Value(QStringLiteral("elsewhere"));
    QVERIFY(sheet.Cells(1, 1).Font().Size(14));

    const Sheet& s = *server.sheet();
    QVERIFY(s.cell(2, 1)->style.bold);
    QVERIFY(!s.cell(2, 2)->style.bold);
    QVERIFY(s.cell(5, 1)->style.bold);
    QVERIFY(!s.cell(5, 4)->style.bold);
    for (auto [r, c] : {std::pair{2, 1}, {2, 2}, {5, 1}, {5, 4}}) {
        QCOMPARE(s.cell(r, c)->style.fontSize, 8.0);
        QCOMPARE(s.cell(r, c)->style.verticalAlignment, xlTop);
    }
    QCOMPARE(s.cell(1, 1)->style.fontSize, 14.0);
    QVERIFY(s.cell(1, 1)->style.bold);
    QCOMPARE(s.cell(1, 1)->value, QString());
    QVERIFY(!s.cell(3, 1));
}

void TestExportCore::fontAndFillColours()
{
    test::Fixture f;
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    const Range a3 = Worksheet(&server).Cells(3, 1);
    QVERIFY(a3.Font().ColorIndex(3));
    QCOMPARE(server.sheet()->cell(3, 1)->style.fontColorIndex, 3);
    QVERIFY(a3.Font().ColorIndex(0));
    QCOMPARE(server.sheet()->cell(3, 1)->style.fontColorIndex, 0);
    QVERIFY(a3.Interior().ColorIndex(36));
    QCOMPARE(server.sheet()->cell(3, 1)->style.interiorColorIndex, 36);
    QVERIFY(a3.Interior().ColorIndex(xlColorIndexNone));
    QCOMPARE(server.sheet()->cell(3, 1)->style.interiorColorIndex, 0);
}

void TestExportCore::borderColour_data()
{
    QTest::addColumn<QVariant>("colorIndex");
    QTest::addColumn<QVariant>("color");
    QTest::addColumn<qint64>("rgb");
    QTest::newRow("colour value wins over automatic") << QVariant(xlColorIndexAutomatic) << QVariant(20) << qint64(0x140000);
    QTest::newRow("colour value alone") << QVariant() << QVariant(24) << qint64(0x180000);
    QTest::newRow("palette index") << QVariant(3) << QVariant() << qint64(0xFF0000);
    QTest::newRow("automatic") << QVariant(xlColorIndexAutomatic) << QVariant() << qint64(-1);
    QTest::newRow("nothing given") << QVariant() << QVariant() << qint64(-1);
}

void TestExportCore::borderColour()
{
    QFETCH(QVariant, colorIndex);
    QFETCH(QVariant, color);
    QFETCH(qint64, rgb);
    test::Fixture f;
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    const Range b3 = Worksheet(&server).Cells(3, 2);
    QVERIFY(b3.BorderAround(xlContinuous, xlThin,
                            colorIndex.isValid() ? std::optional<int>(colorIndex.toInt()) : std::nullopt,
                            color.isValid() ? std::optional<qint32>(color.toInt()) : std::nullopt));
    const CellStyle& s = server.sheet()->cell(3, 2)->style;
    QCOMPARE(s.borderLineStyle, xlContinuous);
    QCOMPARE(s.borderWeight, xlThin);
    QCOMPARE(s.borderRgb, rgb);
}

void TestExportCore::refusedValuesChangeNothing()
{
    test::Fixture f;
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    const Worksheet sheet(&server);
    const Range a1 = sheet.Cells(1, 1);
    a1.Value(QStringLiteral("x"));
    const CellStyle before = server.sheet()->cell(1, 1)->style;
    QVERIFY(!a1.Font().ColorIndex(57));
    QVERIFY(!a1.Interior().ColorIndex(-1));
    QVERIFY(!a1.Font().Size(0));
    QVERIFY(!a1.Font().Name(QString()));
    QVERIFY(!a1.HorizontalAlignment(12345));
    QVERIFY(!a1.BorderAround(xlContinuous, 99));
    QVERIFY(!a1.BorderAround(xlContinuous, xlThin, 77));
    QVERIFY(!sheet.Columns(QStringLiteral("A:A")).BorderAround(xlContinuous, xlThin));
    QVERIFY(!sheet.Columns(QStringLiteral("A:A")).ColumnWidth(300));
    QVERIFY(!sheet.Columns(QStringLiteral("A1")).ColumnWidth(10));
    QVERIFY(!sheet.Cells(0, 1).Value(QStringLiteral("row 0")));
    QVERIFY(server.sheet()->cell(1, 1)->style == before);
    QVERIFY(server.sheet()->columns.empty());

    QVERIFY(!sheet.Name(QStringLiteral("a/b")));
    QVERIFY(!sheet.Name(QString(32, QLatin1Char('x'))));
    QVERIFY(!sheet.Name(QString()));
    QCOMPARE(server.sheet()->name, QStringLiteral("Sheet1"));
    QVERIFY(sheet.Name(QStringLiteral("Daybrook")));
    QCOMPARE(server.sheet()->name, QStringLiteral("Daybrook"));
}

void TestExportCore::longTextIsCut()
{
    test::Fixture f;
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    // A surrogate pair across the limit is not split.
    const QString emoji = QStringLiteral("😀");
    const QString text = QString(XlsxServer::kMaxCellText - 1, QLatin1Char('a')) + emoji + QStringLiteral("tail");
    QVERIFY(Worksheet(&server).Cells(3, 2).Value(text));
    QCOMPARE(server.sheet()->cell(3, 2)->value, QString(XlsxServer::kMaxCellText - 1, QLatin1Char('a')));
    const QString path = f.path(QStringLiteral("long.xlsx"));
    QVERIFY(server.saveAs(target(path)).ok);
    QVERIFY(QFile::exists(path));
}

void TestExportCore::saveOpensOnlyAVisibleWorkbook()
{
    test::Fixture f;
    QList<QUrl> opened;
    XlsxServer server(f.fs, [&](const QUrl& u) {
        opened << u;
        return true;
    });
    server.addWorkbook();
    const QString hidden = f.path(QStringLiteral("hidden.xlsx"));
    QVERIFY(server.saveAs(target(hidden)).ok);
    QVERIFY(opened.isEmpty());
    QVERIFY(test::readFile(hidden).startsWith("PK"));

    server.setVisible(true);
    const QString shown = f.path(QStringLiteral("shown.xlsx"));
    QVERIFY(server.saveAs(target(shown)).ok);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(shown)});

    opened.clear();
    const IoStatus st = server.saveAs(target(f.path(QStringLiteral("no such folder/x.xlsx"))));
    QVERIFY(!st.ok);
    QCOMPARE(st.path, f.path(QStringLiteral("no such folder/x.xlsx")));
    QVERIFY(!st.reason.isEmpty());
    QVERIFY(opened.isEmpty());
    QVERIFY(!server.saveAs(target(QString())).ok);
}

void TestExportCore::failedSaveKeepsTheOldFile()
{
    test::Fixture f;
    const QString path = f.path(QStringLiteral("book.xlsx"));
    test::writeFile(path, "old workbook");
    f.fs.failWriteAt = 1;   // the disk is full
    XlsxServer server(f.fs, {});
    server.addWorkbook();
    server.setValue(RangeRef::cell(1, 1), QStringLiteral("new"));
    const IoStatus st = server.saveAs(target(path));
    QVERIFY(!st.ok);
    QCOMPARE(st.path, path);
    QCOMPARE(test::readFile(path), QByteArray("old workbook"));
}

QTEST_GUILESS_MAIN(TestExportCore)
#include "tst_export_core.moc"
