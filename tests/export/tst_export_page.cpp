#include "RecordingServer.h"
#include "TestSupport.h"
#include "export/ExportPage.h"
#include "i18n/LanguageApplier.h"
#include "platform/PageSize.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSet>
#include <QTest>
#include <algorithm>

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

    void select(const QString& y0, const QString& m0, const QString& y1, const QString& m1)
    {
        page.CmbPYear[0]->setCurrentIndex(page.CmbPYear[0]->findText(y0));
        page.CmbPmonth[0]->setCurrentIndex(page.CmbPmonth[0]->findText(m0));
        page.CmbPYear[1]->setCurrentIndex(page.CmbPYear[1]->findText(y1));
        page.CmbPmonth[1]->setCurrentIndex(page.CmbPmonth[1]->findText(m1));
    }
    // Day files under the program folder, the data folder when "DataSaveDir" is empty.
    void day(const QDate& d, const QByteArray& bytes) const { test::writeFile(dayPath(d), bytes); }
    void done(const QDate& d, const QByteArray& bytes) const { test::writeFile(dayPath(d) + "_D", bytes); }
    QString dayPath(const QDate& d) const
    {
        const QString folder = QStringLiteral("%1_%2").arg(d.year()).arg(d.month());
        return f.path(folder + QLatin1Char('/') + folder + QLatin1Char('.') + QString::number(d.day()));
    }
    // The next save dialog confirms this path.
    void saveTo(const QString& path)
    {
        f.dialog.confirmWith([path](CommonDialog& d) { d.FileName = path; });
    }
    QStringList dateValues() const { return rec.calls.filter(QRegularExpression(QStringLiteral("^A([3-9]|\\d\\d+)\\.Value = "))); }
};

QStringList headerCalls()
{
    return {
        "Visible = False",
        "DisplayAlerts = False",
        "Workbooks.Add",
        "Name = Daybrook",
        "A2.BorderAround 1, 2, -4105, 20",
        "A2.Value = Date",
        "A2.Interior.ColorIndex = 15",
        "A2.HorizontalAlignment = -4108",
        "B2.BorderAround 1, 2, -4105, 20",
        "B2.Value = ToDo List",
        "B2.Interior.ColorIndex = 24",
        "B2.Font.Bold = True",
        "B2.HorizontalAlignment = -4108",
        "C2.BorderAround 1, 2, -4105, 20",
        "C2.Value = End List",
        "C2.Interior.ColorIndex = 36",
        "C2.Font.Bold = True",
        "C2.HorizontalAlignment = -4108",
        "A:A.Font.Bold = True",
        "A:A.ColumnWidth = 18",
        "B:B.ColumnWidth = 36",
        "C:C.ColumnWidth = 36",
        "Cells.Font.Size = 8",
        "Cells.Font.Name = 굴림",
        "Cells.Font.Name = Arial",
        "Cells.VerticalAlignment = -4160",
        "A1.Value = Daybrook Data List",
        "A1.Font.Size = 14",
        "A1.Font.Name = Arial",
        "ActiveWindow.DisplayGridlines = False",
    };
}

} // namespace

class TestExportPage : public QObject {
    Q_OBJECT
private slots:
    void designState();
    void captionsFromTheLanguageFile();
    void controlsFitThePage();

    void recordedOperations_data();
    void recordedOperations();
    void wholeRange_data();
    void wholeRange();
    void wrongRange_data();
    void wrongRange();
    void cancelledDialogEndsQuietly();
    void dataFolder_data();
    void dataFolder();
    void unreadableDayFileStillGetsItsRow();
    void textFieldsKeepTheLastDay();

    void savedWorkbook_data();
    void savedWorkbook();
    void failedSave_data();
    void failedSave();
};

void TestExportPage::designState()
{
    Rig r;
    ExportPage& p = r.page;
    QCOMPARE(p.size(), kPageSize);
    QStringList years;
    for (int y = 2000; y <= 2036; ++y)   // the fixture's today is in 2026
        years << QString::number(y);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(p.CmbPYear[i]->objectName(), QStringLiteral("CmbPYear(%1)").arg(i));
        QCOMPARE(p.CmbPmonth[i]->objectName(), QStringLiteral("CmbPmonth(%1)").arg(i));
        QCOMPARE(p.CmbPYear[i]->property("index").toInt(), i);
        QStringList listed;
        for (int k = 0; k < p.CmbPYear[i]->count(); ++k)
            listed << p.CmbPYear[i]->itemText(k);
        QCOMPARE(listed, years);
        QCOMPARE(p.CmbPmonth[i]->count(), 12);
        QCOMPARE(p.CmbPmonth[i]->itemText(0), QStringLiteral("1"));
        QCOMPARE(p.CmbPmonth[i]->itemText(11), QStringLiteral("12"));
        QCOMPARE(p.CmbPYear[i]->currentIndex(), -1);
        QCOMPARE(p.CmbPmonth[i]->currentIndex(), -1);
    }
    const QList<std::tuple<QWidget*, QString, QString>> tagged = {
        {p.Label24, "Label24", "1400"}, {p.Label7, "Label7", "1401"},   {p.Label5, "Label5", "1402"},
        {p.Label11, "Label11", "1403"}, {p.Label10, "Label10", "1404"}, {p.ChkShow, "ChkShow", "1405"},
        {p.CmdTitle, "CmdTitle", "1406"}, {p.Label6, "Label6", ""},     {p.Label13, "Label13", ""},
        {p.Label14, "Label14", ""},     {p.LblTarget, "LblTarget", ""}, {p.pBar, "pBar", ""},
        {p.Textmemo, "Textmemo", ""},   {p.textdone, "textdone", ""},
    };
    for (const auto& [w, name, tag] : tagged) {
        QCOMPARE(w->objectName(), name);
        QCOMPARE(w->property("tag").toString(), tag);
    }
    QCOMPARE(p.Label6->text(), QStringLiteral("From"));
    QCOMPARE(p.Label13->text(), QStringLiteral("To"));
    QCOMPARE(p.Label7->text(), QStringLiteral("년"));
    QCOMPARE(p.Label5->text(), QStringLiteral("월"));
    QCOMPARE(p.Label11->text(), QStringLiteral("년"));
    QCOMPARE(p.Label10->text(), QStringLiteral("월"));
    QCOMPARE(p.CmdTitle->text(), QStringLiteral("XLS"));
    QVERIFY(!p.ChkShow->isChecked());
    QVERIFY(p.LblTarget->text().isEmpty());
    QVERIFY(p.LblTarget->frameShape() == QFrame::Box);
    QCOMPARE(p.pBar->minimum(), 0);
    QCOMPARE(p.pBar->maximum(), 100);
    QCOMPARE(p.pBar->value(), 0);
    QVERIFY(p.Textmemo->text().isEmpty());
    QVERIFY(p.textdone->text().isEmpty());
}

void TestExportPage::captionsFromTheLanguageFile()
{
    Rig r;
    r.f.installLanguageFile();
    LanguageFile lng(r.f.fs, r.f.boxes, r.f.services.programFolder, r.f.services.currentLanguage);
    ApplyLngFile(&r.page, QStringLiteral("tuneKorean.lng"), lng, true);
    QCOMPARE(r.page.Label24->text(), QStringLiteral("변환할 기간"));
    QCOMPARE(r.page.ChkShow->text(), QStringLiteral("변환 후 엑셀로 열기"));
    QCOMPARE(r.page.CmdTitle->text(), QStringLiteral("XLS"));
    QCOMPARE(r.page.Label7->text(), QStringLiteral("년"));
    QCOMPARE(r.page.Label10->text(), QStringLiteral("월"));
    QCOMPARE(r.page.Label6->text(), QStringLiteral("From"));
    QVERIFY(r.f.boxes.shown.isEmpty());
}

void TestExportPage::controlsFitThePage()
{
    Rig r;
    r.f.installLanguageFile();
    LanguageFile lng(r.f.fs, r.f.boxes, r.f.services.programFolder, r.f.services.currentLanguage);
    ApplyLngFile(&r.page, QStringLiteral("tuneKorean.lng"), lng, true);
    for (QWidget* w : r.page.findChildren<QWidget*>())
        w->setFont(QFont(w->font().family(), 9));
    r.page.show();
    r.page.layout()->activate();
    QList<QWidget*> shown;
    for (QWidget* w : r.page.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->isVisible())
            continue;
        QVERIFY2(r.page.rect().contains(w->geometry()), qPrintable(w->objectName()));
        QVERIFY2(w->width() >= w->minimumSizeHint().width() || w == r.page.LblTarget, qPrintable(w->objectName()));
        for (QWidget* other : shown)
            QVERIFY2(!w->geometry().intersects(other->geometry()),
                     qPrintable(w->objectName() + " overlaps " + other->objectName()));
        shown << w;
    }
    QCOMPARE(shown.size(), 16);   // all but the two hidden text fields
    if (!qEnvironmentVariableIsEmpty("TD_EXPORT_SHOT"))
        r.page.grab().save(qEnvironmentVariable("TD_EXPORT_SHOT"));
}

void TestExportPage::recordedOperations_data()
{
    QTest::addColumn<bool>("show");
    QTest::newRow("closed after saving") << false;
    QTest::newRow("left open") << true;
}

void TestExportPage::recordedOperations()
{
    QFETCH(bool, show);
    Rig r;
    r.day(QDate(2001, 12, 1), "first\r\n");
    r.done(QDate(2001, 12, 1), "finished\r\n");
    r.day(QDate(2001, 12, 3), "a\r\n\r\nb\r\n");
    r.done(QDate(2001, 12, 6), "companion without a day file\r\n");
    r.select("2001", "12", "2001", "12");
    r.page.ChkShow->setChecked(show);
    const QString target = r.f.path(QStringLiteral("book.xlsx"));
    r.saveTo(target);

    r.page.CmdTitle->click();

    QStringList expected = headerCalls();
    expected << "B3.Value = first"
             << "B3.Interior.ColorIndex = 24"
             << "B3.BorderAround 1, 2, , 24"
             << "C3.Value = finished"
             << "C3.Interior.ColorIndex = 36"
             << "C3.BorderAround 1, 2, -4105, 36"
             << "A3.Value = 2001/12/1(Sat)"
             << "A3.BorderAround 1, 2, -4105, 20"
             << "A3.Font.ColorIndex = 5"
             << "B4.Value = a\n\nb"
             << "B4.Interior.ColorIndex = 24"
             << "B4.BorderAround 1, 2, , 24"
             << "A4.Value = 2001/12/3(Mon)"
             << "A4.BorderAround 1, 2, -4105, 20"
             << "A4.Font.ColorIndex = 0"
             << (show ? "Visible = True" : "Visible = False")
             << "ActiveWorkbook.SaveAs " + target + ", -4143, \"\", \"\", False, False, 1";
    if (!show)
        expected << "Quit";
    expected << "(released)";
    QCOMPARE(r.rec.calls, expected);
    QCOMPARE(r.rec.started, 1);
    QCOMPARE(r.f.boxes.shown.size(), 1);
    QCOMPARE(r.f.boxes.shown[0].text, kDone);
    QCOMPARE(r.f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
    QVERIFY(r.f.boxes.shown[0].icon == MsgIcon::Information);
    QCOMPARE(r.f.dialog.Filter, QStringLiteral("Save as Excel Files(*.xlsx)|*.xlsx|"));
    QCOMPARE(r.page.LblTarget->text(), target);
}

void TestExportPage::wholeRange_data()
{
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("lastDate");
    QTest::newRow("one month") << QStringList{"2001", "12", "2001", "12"} << 31 << "2001/12/31(Mon)";
    QTest::newRow("into the next year") << QStringList{"2001", "12", "2002", "1"} << 62 << "2002/1/31(Thu)";
    QTest::newRow("february") << QStringList{"2001", "2", "2001", "2"} << 28 << "2001/2/28(Wed)";
}

void TestExportPage::wholeRange()
{
    QFETCH(QStringList, lists);
    QFETCH(int, days);
    QFETCH(QString, lastDate);
    Rig r;
    const QDate first(lists[0].toInt(), lists[1].toInt(), 1);
    // Every day but the second, and a few days past the range.
    for (int i = 0; i < days + 3; ++i) {
        if (i != 1)
            r.day(first.addDays(i), QByteArray::number(i) + "\r\n");
    }
    r.select(lists[0], lists[1], lists[2], lists[3]);
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));
    r.page.pBar->setValue(55);
    QSignalSpy progress(r.page.pBar, &QProgressBar::valueChanged);

    r.page.CmdTitle->click();

    const QStringList dates = r.dateValues();
    QCOMPARE(dates.size(), days - 1);
    QCOMPARE(dates.first(), QStringLiteral("A3.Value = %1/%2/1(%3)").arg(lists[0], lists[1], r.page.locale.dayName(first.dayOfWeek(), QLocale::ShortFormat)));
    QCOMPARE(dates.last(), QStringLiteral("A%1.Value = %2").arg(days + 1).arg(lastDate));
    // One step of the bar per day (fewer than 101 days: every step is a new
    // percentage): 0 for the first day, 100 for the last.
    QList<int> values;
    for (const auto& args : progress)
        values << args.at(0).toInt();
    QCOMPARE(values.size(), days);
    QCOMPARE(values.first(), 0);
    QCOMPARE(values.last(), 100);
    QVERIFY(std::is_sorted(values.begin(), values.end()));
    QCOMPARE(QSet<int>(values.begin(), values.end()).size(), days);
}

void TestExportPage::wrongRange_data()
{
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("message");
    const QString en = QStringLiteral("Wrong Date Setting.");
    QTest::newRow("end before start") << QStringList{"2002", "3", "2002", "2"} << "Korean" << kWrongDate;
    QTest::newRow("end before start, English") << QStringList{"2002", "3", "2002", "2"} << "English" << en;
    QTest::newRow("end year before start") << QStringList{"2005", "1", "2004", "12"} << "Korean" << kWrongDate;
    QTest::newRow("no start year") << QStringList{"", "3", "2002", "4"} << "Korean" << kWrongDate;
    QTest::newRow("no start month") << QStringList{"2002", "", "2002", "4"} << "Korean" << kWrongDate;
    QTest::newRow("no end year") << QStringList{"2002", "3", "", "4"} << "English" << en;
    QTest::newRow("no end month") << QStringList{"2002", "3", "2002", ""} << "Korean" << kWrongDate;
    QTest::newRow("nothing selected") << QStringList{"", "", "", ""} << "Korean" << kWrongDate;
}

void TestExportPage::wrongRange()
{
    QFETCH(QStringList, lists);
    QFETCH(QString, language);
    QFETCH(QString, message);
    Rig r(language);
    r.day(QDate(2002, 3, 1), "x\r\n");
    r.select(lists[0], lists[1], lists[2], lists[3]);
    r.page.LblTarget->setText(QStringLiteral("/earlier/book.xlsx"));
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));

    r.page.CmdTitle_Click();

    QCOMPARE(r.f.boxes.shown.size(), 1);
    QCOMPARE(r.f.boxes.shown[0].text, message);
    QCOMPARE(r.f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
    QVERIFY(r.f.boxes.shown[0].icon == MsgIcon::Information);
    QVERIFY(r.f.dialog.calls.isEmpty());
    QCOMPARE(r.rec.started, 0);
    QCOMPARE(r.page.LblTarget->text(), QStringLiteral("/earlier/book.xlsx"));
    QCOMPARE(r.page.pBar->value(), 0);
}

void TestExportPage::cancelledDialogEndsQuietly()
{
    Rig r(QStringLiteral("Korean"), false);
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.select("2001", "12", "2001", "12");
    r.page.LblTarget->setText(QStringLiteral("/earlier/book.xlsx"));
    r.f.dialog.cancelNext();

    r.page.CmdTitle->click();

    QCOMPARE(r.f.dialog.calls, QStringList{QStringLiteral("ShowSave")});
    QVERIFY(r.f.boxes.shown.isEmpty());
    QCOMPARE(r.page.LblTarget->text(), QStringLiteral("/earlier/book.xlsx"));
    QCOMPARE(r.page.pBar->value(), 0);
    QVERIFY(QDir(r.f.dir.path()).entryList({QStringLiteral("*.xls*")}, QDir::Files).isEmpty());
    QVERIFY(r.opened.isEmpty());
}

void TestExportPage::dataFolder_data()
{
    QTest::addColumn<QString>("stored");      // relative to the fixture folder; "-" for none
    QTest::addColumn<QString>("program");     // relative to the fixture folder
    QTest::addColumn<QString>("folder");      // the data folder the export uses
    QTest::newRow("stored without separator") << "data" << "" << "data";
    QTest::newRow("stored with separator") << "data/" << "" << "data/";
    QTest::newRow("program folder") << "-" << "" << "/";
    QTest::newRow("program folder with separator") << "-" << "/" << "/";
}

void TestExportPage::dataFolder()
{
    QFETCH(QString, stored);
    QFETCH(QString, program);
    QFETCH(QString, folder);
    Rig r;
    const QString base = r.f.dir.path();
    if (stored != QLatin1String("-"))
        r.f.store.values.insert(QStringLiteral("DataSaveDir"), base + QLatin1Char('/') + stored);
    r.f.services.programFolder = base + program;
    r.f.services.DataFolder = QStringLiteral("/previous/");
    const QString dataFolder = folder.startsWith(QLatin1Char('/')) ? base + folder : base + QLatin1Char('/') + folder;
    // The folder text is followed directly by the month folder, whatever it ends with.
    test::writeFile(dataFolder + "2001_12/2001_12.5", "found\r\n");
    if (!dataFolder.endsWith(QLatin1Char('/')))
        test::writeFile(dataFolder + "/2001_12/2001_12.6", "not here\r\n");
    QString initDir;
    r.f.dialog.confirmWith([&](CommonDialog& d) {
        initDir = d.InitDir;
        d.FileName = base + QStringLiteral("/book.xlsx");
    });
    r.select("2001", "12", "2001", "12");

    r.page.CmdTitle->click();

    QCOMPARE(initDir, QStringLiteral("/previous/"));
    QCOMPARE(r.f.services.DataFolder, dataFolder);
    QCOMPARE(r.dateValues(), QStringList{QStringLiteral("A3.Value = 2001/12/5(Wed)")});
    QVERIFY(r.rec.calls.contains(QStringLiteral("B3.Value = found")));
}

void TestExportPage::unreadableDayFileStillGetsItsRow()
{
    Rig r;
    r.day(QDate(2001, 12, 3), "unreadable\r\n");
    r.day(QDate(2001, 12, 4), "fine\r\n");
    r.f.fs.failPathPart = QStringLiteral("2001_12.3");
    r.select("2001", "12", "2001", "12");
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));

    r.page.CmdTitle->click();

    QCOMPARE(r.dateValues(), (QStringList{"A3.Value = 2001/12/3(Mon)", "A4.Value = 2001/12/4(Tue)"}));
    QVERIFY(r.rec.calls.contains(QStringLiteral("B3.Value = ")));
    QVERIFY(r.rec.calls.contains(QStringLiteral("B4.Value = fine")));
    QCOMPARE(r.f.boxes.shown.size(), 1);
    QCOMPARE(r.f.boxes.shown[0].text, kDone);
}

void TestExportPage::textFieldsKeepTheLastDay()
{
    Rig r;
    r.day(QDate(2001, 12, 31), "last day\r\n");
    r.done(QDate(2001, 12, 31), "its finished items\r\n");
    r.select("2001", "12", "2001", "12");
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));
    r.page.CmdTitle->click();
    QCOMPARE(r.page.Textmemo->text(), QStringLiteral("last day"));
    QCOMPARE(r.page.textdone->text(), QStringLiteral("its finished items"));

    // A range whose last day has no file leaves both empty.
    r.select("2001", "11", "2001", "11");
    r.day(QDate(2001, 11, 29), "not the last\r\n");
    r.saveTo(r.f.path(QStringLiteral("book.xlsx")));
    r.page.CmdTitle->click();
    QVERIFY(r.page.Textmemo->text().isEmpty());
    QVERIFY(r.page.textdone->text().isEmpty());
    QCOMPARE(r.rec.started, 2);
}

void TestExportPage::savedWorkbook_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("message");
    QTest::newRow("no extension") << "Korean" << false << "book" << "book.xlsx" << kDone;
    QTest::newRow("old extension") << "Korean" << false << "book.xls" << "book.xlsx" << kDone;
    QTest::newRow("shown") << "Korean" << true << "book.xlsx" << "book.xlsx" << kDone;
    QTest::newRow("English") << "English" << true << "book" << "book.xlsx"
                             << "Daybrook Data Conversion is completed.";
}

void TestExportPage::savedWorkbook()
{
    QFETCH(QString, language);
    QFETCH(bool, show);
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(QString, message);
    Rig r(language, false);
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.select("2001", "12", "2001", "12");
    r.page.ChkShow->setChecked(show);
    r.saveTo(r.f.path(chosen));
    test::writeFile(r.f.path(written), "an older file of the same name");

    r.page.CmdTitle->click();

    // Replaced without a question.
    const QString path = r.f.path(written);
    QCOMPARE(r.page.LblTarget->text(), path);
    QVERIFY(test::readFile(path).startsWith("PK"));
    QCOMPARE(QDir(r.f.dir.path()).entryList({QStringLiteral("*.xls*")}, QDir::Files), QStringList{written});
    QCOMPARE(r.f.boxes.shown.size(), 1);
    QCOMPARE(r.f.boxes.shown[0].text, message);
    QCOMPARE(r.f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
    QVERIFY(r.f.boxes.shown[0].icon == MsgIcon::Information);
    QCOMPARE(r.opened, show ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
}

void TestExportPage::failedSave_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such folder") << "Korean" << "missing/book.xlsx" << false
                                    << "변환한 자료를 파일에 저장하지 못했습니다.";
    QTest::newRow("disk full") << "Korean" << "book.xlsx" << true << "변환한 자료를 파일에 저장하지 못했습니다.";
    QTest::newRow("English") << "English" << "missing/book.xlsx" << false
                             << "The converted data could not be saved to the file.";
}

void TestExportPage::failedSave()
{
    QFETCH(QString, language);
    QFETCH(QString, chosen);
    QFETCH(bool, diskFull);
    QFETCH(QString, message);
    Rig r(language, false);
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.select("2001", "12", "2001", "12");
    r.page.ChkShow->setChecked(true);
    if (diskFull)
        r.f.fs.failWriteAt = 1;
    const QString path = r.f.path(chosen);
    r.saveTo(path);

    r.page.CmdTitle->click();

    QVERIFY(!QFile::exists(path));
    QCOMPARE(r.f.boxes.shown.size(), 1);
    const Message& m = r.f.boxes.shown[0];
    QVERIFY2(m.text.startsWith(message + QLatin1Char('\r') + path + QLatin1Char('\r')), qPrintable(m.text));
    QVERIFY(m.text.size() > message.size() + path.size() + 2);   // and why
    QCOMPARE(m.title, QStringLiteral("Tunedesk"));
    QVERIFY(r.opened.isEmpty());
}

QTEST_MAIN(TestExportPage)
#include "tst_export_page.moc"
