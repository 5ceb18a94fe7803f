// Exports through the real workbook component and reads the workbook back with
// openpyxl, a reader that knows nothing of how it was written.
#include "TestSupport.h"
#include "export/ExportPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace td;

namespace {

const QString kThinBorder = QStringLiteral("thin");

struct Export {
    QJsonObject book;
    QString error;
};

QJsonObject readBack(const QString& path, QString& error)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(READ_WORKBOOK_SCRIPT), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = QStringLiteral("reader failed: ") + QString::fromUtf8(p.readAllStandardError()) + p.errorString();
        return {};
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &pe);
    if (pe.error != QJsonParseError::NoError)
        error = pe.errorString();
    return doc.object();
}

// One export of 2001/12 to 2002/1 with the given day files, read back.
Export exportDays(const QLocale& locale, const QList<std::tuple<QString, QByteArray>>& files)
{
    test::Fixture f;
    ExportPage page(f.services, nullptr);
    page.locale = locale;
    for (const auto& [name, bytes] : files)
        test::writeFile(f.path(name), bytes);
    page.CmbPYear[0]->setCurrentIndex(page.CmbPYear[0]->findText(QStringLiteral("2001")));
    page.CmbPmonth[0]->setCurrentIndex(page.CmbPmonth[0]->findText(QStringLiteral("12")));
    page.CmbPYear[1]->setCurrentIndex(page.CmbPYear[1]->findText(QStringLiteral("2002")));
    page.CmbPmonth[1]->setCurrentIndex(page.CmbPmonth[1]->findText(QStringLiteral("1")));
    const QString target = f.path(QStringLiteral("export"));
    f.dialog.confirmWith([target](CommonDialog& d) { d.FileName = target; });
    page.CmdTitle->click();

    Export e;
    if (f.boxes.shown.size() != 1 || !f.boxes.shown[0].text.contains(QStringLiteral("완료"))) {
        e.error = QStringLiteral("the export did not complete");
        return e;
    }
    e.book = readBack(target + QStringLiteral(".xlsx"), e.error);
    return e;
}

const QList<std::tuple<QString, QByteArray>> kDays = {
    {"2001_12/2001_12.1", "first\r\n"},
    {"2001_12/2001_12.1_D", "finished\r\n"},
    {"2001_12/2001_12.2", test::cp949(QStringLiteral("일요일 모임\r\n똠방각하\r\n"))},
    {"2001_12/2001_12.2_D", test::cp949(QStringLiteral("끝난 일\r\n"))},
    {"2001_12/2001_12.3", "a\r\n\r\nb\r\n"},
    {"2001_12/2001_12.5", ""},
    {"2001_12/2001_12.6_D", "companion without a day file\r\n"},
    {"2001_12/2001_12.7", "\r\na\r\n"},
    {"2002_1/2002_1.15", "[Team meeting]\n[Exam D-30]\r\n"},
};

} // namespace

class TestExportWorkbook : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void sheet();
    void titleAndHeader_data();
    void titleAndHeader();
    void dayRows_data();
    void dayRows();
    void noCompanionLeavesColumnCUntouched();
    void koreanWeekdaysAreColoured_data();
    void koreanWeekdaysAreColoured();
    void rangeWithoutDayFiles();

private:
    QJsonObject english_;
    QJsonObject korean_;
    QJsonObject cell(const QString& ref) const { return english_[QStringLiteral("cells")][ref].toObject(); }
};

void TestExportWorkbook::initTestCase()
{
    const Export en = exportDays(QLocale(QLocale::English, QLocale::UnitedStates), kDays);
    QVERIFY2(en.error.isEmpty(), qPrintable(en.error));
    english_ = en.book;
    const Export ko = exportDays(QLocale(QLocale::Korean, QLocale::SouthKorea), kDays);
    QVERIFY2(ko.error.isEmpty(), qPrintable(ko.error));
    korean_ = ko.book;
}

void TestExportWorkbook::sheet()
{
    QCOMPARE(english_[QStringLiteral("sheets")].toArray(), QJsonArray{QStringLiteral("Daybrook")});
    QCOMPARE(english_[QStringLiteral("gridlines")].toBool(true), false);
    const QJsonObject widths = english_[QStringLiteral("widths")].toObject();
    // The file holds the width with the reader's padding (18 -> 18.71).
    QVERIFY(qAbs(widths[QStringLiteral("A")].toDouble() - 18) < 1);
    QVERIFY(qAbs(widths[QStringLiteral("B")].toDouble() - 36) < 1);
    QVERIFY(qAbs(widths[QStringLiteral("C")].toDouble() - 36) < 1);
    // Rows from 3 without gaps: six days have day files.
    QCOMPARE(english_[QStringLiteral("maxRow")].toInt(), 8);
    // The used range ends at column C, not at the sheet's last column.
    QCOMPARE(english_[QStringLiteral("maxColumn")].toInt(), 3);
}

void TestExportWorkbook::titleAndHeader_data()
{
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("value");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("fill");
    QTest::addColumn<bool>("border");
    QTest::newRow("title") << "A1" << "Daybrook Data List" << 14.0 << true << "" << false;
    QTest::newRow("date header") << "A2" << "Date" << 8.0 << true << "FFC0C0C0" << true;
    QTest::newRow("to-do header") << "B2" << "ToDo List" << 8.0 << true << "FFCCCCFF" << true;
    QTest::newRow("finished header") << "C2" << "End List" << 8.0 << true << "FFFFFF99" << true;
}

void TestExportWorkbook::titleAndHeader()
{
    QFETCH(QString, ref);
    QFETCH(QString, value);
    QFETCH(double, size);
    QFETCH(bool, bold);
    QFETCH(QString, fill);
    QFETCH(bool, border);
    const QJsonObject c = cell(ref);
    QCOMPARE(c[QStringLiteral("value")].toString(), value);
    const QJsonObject font = c[QStringLiteral("font")].toObject();
    QCOMPARE(font[QStringLiteral("name")].toString(), QStringLiteral("Arial"));
    QCOMPARE(font[QStringLiteral("size")].toDouble(), size);
    QCOMPARE(font[QStringLiteral("bold")].toBool(), bold);
    QVERIFY(font[QStringLiteral("color")].isNull());
    QCOMPARE(c[QStringLiteral("fill")].toString(), fill);
    QCOMPARE(c[QStringLiteral("vertical")].toString(), QStringLiteral("top"));
    QCOMPARE(c[QStringLiteral("horizontal")].toString(), ref == QLatin1String("A1") ? QString() : QStringLiteral("center"));
    const QJsonObject borders = c[QStringLiteral("border")].toObject();
    for (const QString side : {"left", "right", "top", "bottom"}) {
        const QJsonObject s = borders[side].toObject();
        QCOMPARE(s[QStringLiteral("style")].toString(), border ? kThinBorder : QString());
        QCOMPARE(s[QStringLiteral("color")].toString(), border ? QStringLiteral("FF140000") : QString());
    }
}

void TestExportWorkbook::dayRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("dateColour");   // empty: the default colour
    QTest::addColumn<QString>("memo");         // "-": an empty cell
    QTest::addColumn<QString>("done");         // "-": no C cell at all
    QTest::newRow("saturday with finished items") << 3 << "2001/12/1(Sat)" << "FF0000FF" << "first" << "finished";
    QTest::newRow("sunday in Korean") << 4 << "2001/12/2(Sun)" << "FFFF0000" << "일요일 모임\n똠방각하" << "끝난 일";
    QTest::newRow("empty line kept") << 5 << "2001/12/3(Mon)" << "" << "a\n\nb" << "-";
    QTest::newRow("empty day file") << 6 << "2001/12/5(Wed)" << "" << "-" << "-";
    QTest::newRow("leading empty line dropped") << 7 << "2001/12/7(Fri)" << "" << "a" << "-";
    QTest::newRow("next month folder") << 8 << "2002/1/15(Tue)" << "" << "[Team meeting]\n[Exam D-30]" << "-";
}

void TestExportWorkbook::dayRows()
{
    QFETCH(int, row);
    QFETCH(QString, date);
    QFETCH(QString, dateColour);
    QFETCH(QString, memo);
    QFETCH(QString, done);
    const QString r = QString::number(row);

    const QJsonObject a = cell(QLatin1Char('A') + r);
    QCOMPARE(a[QStringLiteral("value")].toString(), date);
    const QJsonObject aFont = a[QStringLiteral("font")].toObject();
    QCOMPARE(aFont[QStringLiteral("bold")].toBool(), true);
    QCOMPARE(aFont[QStringLiteral("name")].toString(), QStringLiteral("Arial"));
    QCOMPARE(aFont[QStringLiteral("size")].toDouble(), 8.0);
    QCOMPARE(aFont[QStringLiteral("color")].toString(), dateColour);
    QVERIFY(a[QStringLiteral("fill")].isNull());
    QCOMPARE(a[QStringLiteral("vertical")].toString(), QStringLiteral("top"));

    const QJsonObject b = cell(QLatin1Char('B') + r);
    if (memo == QLatin1String("-"))
        QVERIFY(b[QStringLiteral("value")].isNull());
    else
        QCOMPARE(b[QStringLiteral("value")].toString(), memo);
    QCOMPARE(b[QStringLiteral("fill")].toString(), QStringLiteral("FFCCCCFF"));
    QCOMPARE(b[QStringLiteral("font")][QStringLiteral("bold")].toBool(), false);
    QCOMPARE(b[QStringLiteral("font")][QStringLiteral("name")].toString(), QStringLiteral("Arial"));

    const QJsonObject c = cell(QLatin1Char('C') + r);
    QCOMPARE(c.isEmpty(), done == QLatin1String("-"));
    if (!c.isEmpty()) {
        QCOMPARE(c[QStringLiteral("value")].toString(), done);
        QCOMPARE(c[QStringLiteral("fill")].toString(), QStringLiteral("FFFFFF99"));
    }

    // Thin borders round each written cell, each in its own near-black colour.
    const QList<std::pair<QJsonObject, QString>> bordered = {{a, "FF140000"}, {b, "FF180000"}, {c, "FF240000"}};
    for (const auto& [cellObject, colour] : bordered) {
        if (cellObject.isEmpty())
            continue;
        for (const QString side : {"left", "right", "top", "bottom"}) {
            const QJsonObject s = cellObject[QStringLiteral("border")][side].toObject();
            QCOMPARE(s[QStringLiteral("style")].toString(), kThinBorder);
            QCOMPARE(s[QStringLiteral("color")].toString(), colour);
        }
    }
}

void TestExportWorkbook::noCompanionLeavesColumnCUntouched()
{
    const QJsonObject cells = english_[QStringLiteral("cells")].toObject();
    QStringList inColumnC;
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('C')))
            inColumnC << it.key();
    }
    inColumnC.sort();
    QCOMPARE(inColumnC, (QStringList{"C2", "C3", "C4"}));
    QVERIFY(!cells.contains(QStringLiteral("A9")));
}

void TestExportWorkbook::koreanWeekdaysAreColoured_data()
{
    QTest::addColumn<QString>("ref");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("colour");
    QTest::newRow("saturday") << "A3" << "2001/12/1(토)" << "FF0000FF";
    QTest::newRow("sunday") << "A4" << "2001/12/2(일)" << "FFFF0000";
    QTest::newRow("monday") << "A5" << "2001/12/3(월)" << "";
}

void TestExportWorkbook::koreanWeekdaysAreColoured()
{
    QFETCH(QString, ref);
    QFETCH(QString, date);
    QFETCH(QString, colour);
    const QJsonObject c = korean_[QStringLiteral("cells")][ref].toObject();
    QCOMPARE(c[QStringLiteral("value")].toString(), date);
    QCOMPARE(c[QStringLiteral("font")][QStringLiteral("color")].toString(), colour);
}

void TestExportWorkbook::rangeWithoutDayFiles()
{
    const Export e = exportDays(QLocale(QLocale::English, QLocale::UnitedStates), {});
    QVERIFY2(e.error.isEmpty(), qPrintable(e.error));
    QStringList refs = e.book[QStringLiteral("cells")].toObject().keys();
    refs.sort();
    QCOMPARE(refs, (QStringList{"A1", "A2", "B2", "C2"}));
    QCOMPARE(e.book[QStringLiteral("sheets")].toArray(), QJsonArray{QStringLiteral("Daybrook")});
}

QTEST_MAIN(TestExportWorkbook)
#include "tst_export_workbook.moc"
