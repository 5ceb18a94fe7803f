#include "TestSupport.h"
#include "export/DayExport.h"
#include "export/XlsxServer.h"

#include <QFile>
#include <QTest>

using namespace td;
using namespace td::xl;

class TestExportCore : public QObject {
    Q_OBJECT
private slots:
    void range_data()
    {
        QTest::addColumn<QStringList>("lists"); // start year, start month, end year, end month
        QTest::addColumn<QDate>("last");        // invalid: no range
        QTest::addColumn<int>("days");
        QTest::newRow("february of a leap year") << QStringList{"2004", "2", "2004", "2"} << QDate(2004, 2, 29) << 29;
        QTest::newRow("end year before start") << QStringList{"2003", "1", "2002", "12"} << QDate() << 0;
    }

    void range()
    {
        QFETCH(QStringList, lists);
        QFETCH(QDate, last);
        QFETCH(int, days);
        const auto r = exportRange(lists[0], lists[1], lists[2], lists[3]);
        QCOMPARE(r.has_value(), days > 0);
        if (r) {
            QCOMPARE(r->firstDay, QDate(lists[0].toInt(), lists[1].toInt(), 1));
            QCOMPARE(r->lastDay, last);
            QCOMPARE(r->span + 1, days);
        }
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("target");
        // clang-format off
        QTest::newRow("trailing dot") << "/home/u/report." << "/home/u/report.xlsx";
        QTest::newRow("dotted folder") << "/home/u/my.files/report" << "/home/u/my.files/report.xlsx";
        QTest::newRow("xlsx upper case") << "/home/u/REPORT.XLSX" << "/home/u/REPORT.XLSX";
        QTest::newRow("old extension upper case") << "/home/u/REPORT.XLS" << "/home/u/REPORT.xlsx";
        QTest::newRow("other extension kept") << "/home/u/report.dat" << "/home/u/report.dat";
        // clang-format on
    }

    void fileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, target);
        QCOMPARE(workbookFileName(chosen), target);
    }

    void longTextIsCut()
    {
        test::Fixture f;
        XlsxServer server(f.fs, {});
        server.addWorkbook();
        // A surrogate pair across the limit is not split.
        const QString kept(XlsxServer::kMaxCellText - 1, QLatin1Char('a'));
        QVERIFY(Worksheet(&server).Cells(3, 2).Value(kept + QStringLiteral("😀tail")));
        QCOMPARE(server.sheet()->cell(3, 2)->value, kept);
        SaveAsArgs a;
        a.fileName = f.path(QStringLiteral("long.xlsx"));
        QVERIFY(server.saveAs(a).ok);
        QVERIFY(QFile::exists(a.fileName));
    }
};

QTEST_GUILESS_MAIN(TestExportCore)
#include "tst_export_core.moc"
