#include "RecordingServer.h"
#include "TestSupport.h"
#include "export/ExportPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <unistd.h>

using namespace td;

namespace {

const QString kDone = QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.");
const QString kWrongDate = QStringLiteral("날짜 설정 오류입니다.");

// The page on a temporary program folder, exporting into a recorder unless told otherwise.
struct Rig {
    test::Fixture f;
    ExportPage page;
    test::Recording rec;
    QList<QUrl> opened;

    explicit Rig(const QString& language = QStringLiteral("Korean"), bool recording = true)
        : f(language), page(f.services, nullptr)
    {
        page.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        if (recording)
            page.createServer = [this] { return std::make_unique<test::RecordingServer>(rec); };
        f.services.openUrl = [this](const QUrl& u) {
            opened << u;
            return true;
        };
    }
    void select(const QStringList& lists)   // start year, start month, end year, end month
    {
        for (int i = 0; i < 2; ++i) {
            auto* year = test::control<QComboBox>(page, "CmbPYear", i);
            auto* month = test::control<QComboBox>(page, "CmbPmonth", i);
            year->setCurrentIndex(year->findText(lists[2 * i]));
            month->setCurrentIndex(month->findText(lists[2 * i + 1]));
        }
    }
    // Day files under the program folder, the data folder when "DataSaveDir" is empty.
    void day(const QDate& d, const QByteArray& bytes, const char* suffix = "") const
    {
        const QString folder = QStringLiteral("%1_%2").arg(d.year()).arg(d.month());
        test::writeFile(f.path(folder + '/' + folder + '.' + QString::number(d.day()) + suffix), bytes);
    }
    // The next save dialog confirms this path.
    void saveTo(const QString& path) { f.dialog.confirmWith([path](CommonDialog& d) { d.FileName = path; }); }
    QStringList dateValues() const { return rec.calls.filter(QRegularExpression(QStringLiteral("^A([3-9]|\\d\\d+)\\.Value = "))); }
    void expectOneMessage(const QString& text) const
    {
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, text);
        QCOMPARE(f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QVERIFY(f.boxes.shown[0].icon == MsgIcon::Information);
    }
};

// The sheet's opening operations, a line per cell or column.
QStringList headerCalls()
{
    return {
        "Visible = False", "DisplayAlerts = False", "Workbooks.Add", "Name = Daybrook",
        "A2.BorderAround 1, 2, -4105, 20", "A2.Value = Date", "A2.Interior.ColorIndex = 15", "A2.HorizontalAlignment = -4108",
        "B2.BorderAround 1, 2, -4105, 20", "B2.Value = ToDo List", "B2.Interior.ColorIndex = 24", "B2.Font.Bold = True",
        "B2.HorizontalAlignment = -4108",
        "C2.BorderAround 1, 2, -4105, 20", "C2.Value = End List", "C2.Interior.ColorIndex = 36", "C2.Font.Bold = True",
        "C2.HorizontalAlignment = -4108",
        "A:A.Font.Bold = True", "A:A.ColumnWidth = 18", "B:B.ColumnWidth = 36", "C:C.ColumnWidth = 36", "B:C.WrapText = True",
        "Cells.Font.Size = 8", "Cells.Font.Name = 굴림", "Cells.Font.Name = Arial", "Cells.VerticalAlignment = -4160",
        "A1.Value = Daybrook Data List", "A1.Font.Size = 14", "A1.Font.Name = Arial",
        "ActiveWindow.DisplayGridlines = False",
    };
}

} // namespace

class TestExportPage : public QObject {
    Q_OBJECT
private slots:
    void designState();
    void recordedOperations_data();
    void recordedOperations();
    void wholeRange();
    void nothingExported_data();
    void nothingExported();
    void dataFolderWithoutSeparator();
    void save_data();
    void save();
    void unreadableDaysAreCountedAndNamed();
};

// The year lists run to ten years ahead; nothing is selected before the user chooses.
void TestExportPage::designState()
{
    Rig r;
    for (int i = 0; i < 2; ++i) {
        // The fixture's today is in 2026.
        QCOMPARE(test::control<QComboBox>(r.page, "CmbPYear", i)->count(), 37);
        QCOMPARE(test::control<QComboBox>(r.page, "CmbPYear", i)->itemText(0), QStringLiteral("2000"));
        QCOMPARE(test::control<QComboBox>(r.page, "CmbPYear", i)->itemText(36), QStringLiteral("2036"));
        QCOMPARE(test::control<QComboBox>(r.page, "CmbPYear", i)->currentIndex(), -1);
        QCOMPARE(test::control<QComboBox>(r.page, "CmbPmonth", i)->currentIndex(), -1);
    }
}

void TestExportPage::recordedOperations_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("dates");
    QTest::newRow("closed after saving") << false << QLocale(QLocale::English, QLocale::UnitedStates)
                                         << QStringList{"2001/12/1(Sat)", "2001/12/3(Mon)"};
    // The Saturday is blue by its date, whatever the weekday name reads.
    QTest::newRow("left open, Korean weekdays") << true << QLocale(QLocale::Korean, QLocale::SouthKorea)
                                                << QStringList{"2001/12/1(토)", "2001/12/3(월)"};
}

void TestExportPage::recordedOperations()
{
    QFETCH(bool, show);
    QFETCH(QLocale, locale);
    QFETCH(QStringList, dates);
    Rig r;
    r.page.locale = locale;
    r.day(QDate(2001, 12, 1), "first\r\n");
    r.day(QDate(2001, 12, 1), "finished\r\n", "_D");
    r.day(QDate(2001, 12, 3), "a\r\n\r\nb\r\n");
    r.day(QDate(2001, 12, 6), "companion without a day file\r\n", "_D");
    r.select({"2001", "12", "2001", "12"});
    test::control<QCheckBox>(r.page, "ChkShow")->setChecked(show);
    const QString target = r.f.path(QStringLiteral("book.xlsx"));
    r.saveTo(target);

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    QStringList expected = headerCalls();
    expected << "B3.Value = first" << "B3.Interior.ColorIndex = 24" << "B3.BorderAround 1, 2, , 24"
             << "C3.Value = finished" << "C3.Interior.ColorIndex = 36" << "C3.BorderAround 1, 2, -4105, 36"
             << "A3.Value = " + dates[0] << "A3.BorderAround 1, 2, -4105, 20" << "A3.Font.ColorIndex = 5"
             << "B4.Value = a\n\nb" << "B4.Interior.ColorIndex = 24" << "B4.BorderAround 1, 2, , 24"
             << "A4.Value = " + dates[1] << "A4.BorderAround 1, 2, -4105, 20" << "A4.Font.ColorIndex = 0"
             << (show ? "Visible = True" : "Visible = False")
             << "ActiveWorkbook.SaveAs " + target + ", -4143, \"\", \"\", False, False, 1";
    if (!show)
        expected << "Quit";
    expected << "(released)";
    QCOMPARE(r.rec.calls, expected);
    QCOMPARE(r.rec.started, 1);
    r.expectOneMessage(kDone);
    QCOMPARE(r.f.dialog.Filter, QStringLiteral("Save as Excel Files(*.xlsx)|*.xlsx|iCalendar Files(*.ics)|*.ics|"));
    QCOMPARE(test::control<QLabel>(r.page, "LblTarget")->text(), target);
}

void TestExportPage::wholeRange()
{
    Rig r;
    // Every day but the second, and a few days past the range.
    const QDate first(2001, 12, 1);
    for (int i = 0; i < 65; ++i) {
        if (i != 1)
            r.day(first.addDays(i), QByteArray::number(i) + "\r\n");
    }
    r.select({"2001", "12", "2002", "1"});
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));
    test::control<QProgressBar>(r.page, "pBar")->setValue(55);
    QSignalSpy progress(test::control<QProgressBar>(r.page, "pBar"), &QProgressBar::valueChanged);

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    const QStringList dates = r.dateValues();
    QCOMPARE(dates.size(), 61);
    QCOMPARE(dates.first(), QStringLiteral("A3.Value = 2001/12/1(Sat)"));
    QCOMPARE(dates.last(), QStringLiteral("A63.Value = 2002/1/31(Thu)"));
    // One step of the bar per day (fewer than 101 days: every step is a new
    // percentage): 0 for the first day, 100 for the last.
    QList<int> values;
    for (const auto& args : progress)
        values << args.at(0).toInt();
    QCOMPARE(values.size(), 62);
    QCOMPARE(values.first(), 0);
    QCOMPARE(values.last(), 100);
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    QCOMPARE(QSet<int>(values.begin(), values.end()).size(), 62);
}

void TestExportPage::nothingExported_data()
{
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("message");   // empty: the save dialog is cancelled
    QTest::newRow("end before start") << QStringList{"2002", "3", "2002", "2"} << "Korean" << kWrongDate;
    QTest::newRow("no start month, English") << QStringList{"2002", "", "2002", "4"} << "English" << "Wrong Date Setting.";
    QTest::newRow("no end year") << QStringList{"2002", "3", "", "4"} << "Korean" << kWrongDate;
    QTest::newRow("save dialog cancelled") << QStringList{"2002", "3", "2002", "3"} << "Korean" << "";
}

// A wrong range is refused before the save dialog; a cancelled dialog ends the export quietly.
void TestExportPage::nothingExported()
{
    QFETCH(QStringList, lists);
    QFETCH(QString, language);
    QFETCH(QString, message);
    Rig r(language);
    r.day(QDate(2002, 3, 1), "x\r\n");
    r.select(lists);
    test::control<QCheckBox>(r.page, "ChkShow")->setChecked(true);
    test::control<QLabel>(r.page, "LblTarget")->setText(QStringLiteral("/earlier/book.xlsx"));
    if (message.isEmpty())
        r.f.dialog.cancelNext();
    else
        r.saveTo(r.f.path(QStringLiteral("book.xlsx")));

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    if (message.isEmpty()) {
        QCOMPARE(r.f.dialog.calls, QStringList{QStringLiteral("ShowSave")});
        QVERIFY(r.f.boxes.shown.isEmpty());
    } else {
        r.expectOneMessage(message);
        QVERIFY(r.f.dialog.calls.isEmpty());
    }
    QCOMPARE(r.rec.started, 0);
    QCOMPARE(test::control<QLabel>(r.page, "LblTarget")->text(), QStringLiteral("/earlier/book.xlsx"));
    QCOMPARE(test::control<QProgressBar>(r.page, "pBar")->value(), 0);
    QVERIFY(r.opened.isEmpty());
}

// The stored folder text is followed directly by the month folder.
void TestExportPage::dataFolderWithoutSeparator()
{
    Rig r;
    const QString data = r.f.path(QStringLiteral("data"));
    r.f.store.values.insert(QStringLiteral("DataSaveDir"), data);
    r.f.services.DataFolder = QStringLiteral("/previous/");
    test::writeFile(data + "2001_12/2001_12.5", "found\r\n");
    test::writeFile(data + "/2001_12/2001_12.6", "not here\r\n");
    QString initDir;
    r.f.dialog.confirmWith([&](CommonDialog& d) {
        initDir = d.InitDir;
        d.FileName = r.f.path(QStringLiteral("book.xlsx"));
    });
    r.select({"2001", "12", "2001", "12"});

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    QCOMPARE(initDir, QStringLiteral("/previous/"));
    QCOMPARE(r.f.services.DataFolder, data);
    QCOMPARE(r.dateValues(), QStringList{QStringLiteral("A3.Value = 2001/12/5(Wed)")});
    QVERIFY(r.rec.calls.contains(QStringLiteral("B3.Value = found")));
}

void TestExportPage::save_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no extension") << "Korean" << "book" << false << "" << kDone;
    QTest::newRow("old extension, shown, English") << "English" << "book.xls" << true << ""
                                                   << "Daybrook Data Conversion is completed.";
    QTest::newRow("no such folder, English") << "English" << "missing/book.xlsx" << true << "no folder"
                                             << "The converted data could not be saved to the file.";
    QTest::newRow("disk full") << "Korean" << "book.xlsx" << true << "disk full" << "변환한 자료를 파일에 저장하지 못했습니다.";
}

// Through the real workbook component. An older workbook of the same name is replaced
// without a question, and survives a failed save; the user learns which file failed and why.
void TestExportPage::save()
{
    QFETCH(QString, language);
    QFETCH(QString, chosen);
    QFETCH(bool, show);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Rig r(language, false);
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.select({"2001", "12", "2001", "12"});
    test::control<QCheckBox>(r.page, "ChkShow")->setChecked(show);
    const QString older = r.f.path(QStringLiteral("book.xlsx"));
    test::writeFile(older, "an older workbook");
    r.f.fs.failWriteAt = fault == QLatin1String("disk full") ? 1 : 0;
    r.saveTo(r.f.path(chosen));

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    if (fault.isEmpty()) {
        QCOMPARE(test::control<QLabel>(r.page, "LblTarget")->text(), older);
        QVERIFY(test::readFile(older).startsWith("PK"));
        QCOMPARE(QDir(r.f.dir.path()).entryList({QStringLiteral("*.xls*")}, QDir::Files), QStringList{"book.xlsx"});
        r.expectOneMessage(message);
        QCOMPARE(r.opened, show ? QList<QUrl>{QUrl::fromLocalFile(older)} : QList<QUrl>{});
        return;
    }
    const QString path = r.f.path(chosen);
    QCOMPARE(test::readFile(older), QByteArray("an older workbook"));
    QVERIFY(fault == QLatin1String("disk full") || !QFile::exists(path));
    QCOMPARE(r.f.boxes.shown.size(), 1);
    const Message& m = r.f.boxes.shown[0];
    QVERIFY2(m.text.startsWith(message + QLatin1Char('\r') + path + QLatin1Char('\r')), qPrintable(m.text));
    QVERIFY(m.text.size() > message.size() + path.size() + 2);   // and why
    QCOMPARE(m.title, QStringLiteral("Tunedesk"));
    QVERIFY(r.opened.isEmpty());
}

// A day file too large to read gets its row, and the export says which day it could not read.
void TestExportPage::unreadableDaysAreCountedAndNamed()
{
    Rig r;
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.day(QDate(2001, 12, 6), "y\r\n");
    const QString huge = r.f.path(QStringLiteral("2001_12/2001_12.6"));
    QVERIFY(::truncate(QFile::encodeName(huge).constData(), qint64(30) << 30) == 0);
    r.select({"2001", "12", "2001", "12"});
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));

    test::control<QPushButton>(r.page, "CmdTitle")->click();

    r.expectOneMessage(QStringLiteral("변환한 자료를 저장했으나 1일의 자료를 읽지 못했습니다.\r첫 실패: ") + huge
                       + QStringLiteral("\rlarger than 64 MiB"));
    QCOMPARE(r.dateValues().size(), 2);   // the unread day keeps its row
}

QTEST_MAIN(TestExportPage)
#include "tst_export_page.moc"
