#include "TestSupport.h"
#include "export/ExportPage.h"
#include "export/XlsxServer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <unistd.h>

using namespace td;

namespace {

const QString kDone = QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.");
const QString kWrongDate = QStringLiteral("날짜 설정 오류입니다.");

// The real workbook, noting the values and font colours the export sets.
struct Written {
    QStringList calls;
    int started = 0;
};
class WatchedServer : public xl::XlsxServer {
public:
    WatchedServer(Written& w, IFileSystem& fs, std::function<bool(const QUrl&)> open) : XlsxServer(fs, std::move(open)), w_(w)
    {
        ++w_.started;
    }
    bool setValue(const xl::RangeRef& r, const QString& v) override
    {
        w_.calls << r.address() + QStringLiteral(".Value = ") + v;
        return XlsxServer::setValue(r, v);
    }
    bool setFontColorIndex(const xl::RangeRef& r, int i) override
    {
        w_.calls << r.address() + QStringLiteral(".Font.ColorIndex = %1").arg(i);
        return XlsxServer::setFontColorIndex(r, i);
    }

private:
    Written& w_;
};

// The page on a temporary program folder; the data folder is the program folder.
struct Rig {
    test::Fixture f;
    ExportPage page;
    Written rec;
    QList<QUrl> opened;

    explicit Rig(const QString& language = QStringLiteral("Korean")) : f(language), page(f.services, nullptr)
    {
        page.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        page.createServer = [this] { return std::make_unique<WatchedServer>(rec, f.fs, f.services.openUrl); };
        f.services.openUrl = [this](const QUrl& u) {
            opened << u;
            return true;
        };
    }
    void select(const QStringList& lists) // start year, start month, end year, end month
    {
        for (int i = 0; i < 2; ++i) {
            auto* year = test::control<QComboBox>(page, "CmbPYear", i);
            auto* month = test::control<QComboBox>(page, "CmbPmonth", i);
            year->setCurrentIndex(year->findText(lists[2 * i]));
            month->setCurrentIndex(month->findText(lists[2 * i + 1]));
        }
    }
    void day(const QDate& d, const QByteArray& bytes) const
    {
        const QString folder = QStringLiteral("%1_%2").arg(d.year()).arg(d.month());
        test::writeFile(f.path(folder + '/' + folder + '.' + QString::number(d.day())), bytes);
    }
    void exportTo(const QString& path)
    {
        f.dialog.confirmWith([path](CommonDialog& d) { d.FileName = path; });
        test::control<QPushButton>(page, "CmdTitle")->click();
    }
    QStringList dateValues() const { return rec.calls.filter(QRegularExpression(QStringLiteral("^A([3-9]|\\d\\d+)\\.Value = "))); }
    void expectOneMessage(const QString& text) const
    {
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, text);
        QCOMPARE(f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QVERIFY(f.boxes.shown[0].icon == MsgIcon::Information);
    }
};

} // namespace

class TestExportPage : public QObject {
    Q_OBJECT
private slots:
    void wholeRange();
    void nothingExported_data();
    void nothingExported();
    void dataFolderWithoutSeparator();
    void save_data();
    void save();
    void unreadableDaysAreCountedAndNamed();
};

// Every day with a file gets a row, across the year's end; the Saturday is blue by its
// date, whatever the weekday name reads.
void TestExportPage::wholeRange()
{
    Rig r;
    r.page.locale = QLocale(QLocale::Korean, QLocale::SouthKorea);
    // Every day but the second, and a few days past the range.
    const QDate first(2001, 12, 1);
    for (int i = 0; i < 65; ++i) {
        if (i != 1)
            r.day(first.addDays(i), QByteArray::number(i) + "\r\n");
    }
    r.select({"2001", "12", "2002", "1"});
    test::control<QProgressBar>(r.page, "pBar")->setValue(55);
    QSignalSpy progress(test::control<QProgressBar>(r.page, "pBar"), &QProgressBar::valueChanged);

    r.exportTo(r.f.path(QStringLiteral("book.xlsx")));

    const QStringList dates = r.dateValues();
    QCOMPARE(dates.size(), 61);
    QCOMPARE(dates.first(), QStringLiteral("A3.Value = 2001/12/1(토)"));
    QCOMPARE(dates.last(), QStringLiteral("A63.Value = 2002/1/31(목)"));
    QVERIFY(r.rec.calls.contains(QStringLiteral("A3.Font.ColorIndex = 5")));
    r.expectOneMessage(kDone);
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
    QTest::addColumn<QString>("message"); // empty: the save dialog is cancelled
    // clang-format off
    QTest::newRow("end before start") << QStringList{"2002", "3", "2002", "2"} << "Korean" << kWrongDate;
    QTest::newRow("no start month, English") << QStringList{"2002", "", "2002", "4"} << "English" << "Wrong Date Setting.";
    QTest::newRow("save dialog cancelled") << QStringList{"2002", "3", "2002", "3"} << "Korean" << "";
    // clang-format on
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

    r.exportTo(r.f.path(QStringLiteral("book.xlsx")));

    if (message.isEmpty()) {
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
    // clang-format off
    QTest::newRow("no extension") << "Korean" << "book" << false << "" << kDone;
    QTest::newRow("old extension, shown, English") << "English" << "book.xls" << true << ""
                                                   << "Daybrook Data Conversion is completed.";
    QTest::newRow("no such folder, English") << "English" << "missing/book.xlsx" << true << "no folder"
                                             << "The converted data could not be saved to the file.";
    QTest::newRow("disk full") << "Korean" << "book.xlsx" << true << "disk full" << "변환한 자료를 파일에 저장하지 못했습니다.";
    // clang-format on
}

// An older workbook of the same name is replaced without a question, and survives a
// failed save; the user learns which file failed and why.
void TestExportPage::save()
{
    QFETCH(QString, language);
    QFETCH(QString, chosen);
    QFETCH(bool, show);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    Rig r(language);
    r.day(QDate(2001, 12, 5), "x\r\n");
    r.select({"2001", "12", "2001", "12"});
    test::control<QCheckBox>(r.page, "ChkShow")->setChecked(show);
    const QString older = r.f.path(QStringLiteral("book.xlsx"));
    test::writeFile(older, "an older workbook");
    r.f.fs.failWriteAt = fault == QLatin1String("disk full") ? 1 : 0;

    r.exportTo(r.f.path(chosen));

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
    QVERIFY(m.text.size() > message.size() + path.size() + 2); // and why
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

    r.exportTo(r.f.path(QStringLiteral("book.xlsx")));

    r.expectOneMessage(QStringLiteral("변환한 자료를 저장했으나 1일의 자료를 읽지 못했습니다.\r첫 실패: ") + huge
                       + QStringLiteral("\rlarger than 64 MiB"));
    QCOMPARE(r.dateValues().size(), 2); // the unread day keeps its row
}

QTEST_MAIN(TestExportPage)
#include "tst_export_page.moc"
