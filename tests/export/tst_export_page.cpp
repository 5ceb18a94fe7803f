// The export page through the real file system: workbooks and calendars are read
// back by readers of their own (openpyxl, python3-icalendar).
#include "TestSupport.h"
#include "days/DayFiles.h"
#include "days/RunJournal.h"
#include "export/ExportPage.h"
#include "export/IcsImport.h"
#include "days/PlanPreview.h"
#include "holidays/HolidayFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <unistd.h>

using namespace td;

namespace {

const QString kDone = QStringLiteral("Daybrook 데이타 변환이 완료 되었습니다.");
const QString kLong = QStringLiteral("가나다라마바사아자차카타파하; 쉼표, 역빗금\\ ").repeated(4).trimmed();

// The lines a reader script prints for a file we wrote; false when it could not read the file.
bool readBack(const char* script, const QString& path, QStringList& lines)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QString::fromUtf8(script), path});
    const bool ok = p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        qWarning("reader failed: %s%s", p.readAllStandardError().constData(), qPrintable(p.errorString()));
    lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return ok;
}

// The page on a temporary program folder; the data folder is the program folder.
struct Rig {
    test::Fixture f;
    ExportPage page;
    QList<QUrl> opened;
    QString initDir;         // where the last save dialog opened
    QList<DayPlan> previews; // what each import showed before writing
    QStringList importNotes; // and what it said it left out
    bool goOn = true;        // the answer to the preview
    bool canOpen = true;     // a program opens the saved workbook
    decltype(page.confirmImport) realPreview;

    explicit Rig(const QString& language = QStringLiteral("Korean")) : f(language), page(f.services, nullptr)
    {
        realPreview = page.confirmImport;
        page.locale = QLocale(QLocale::English, QLocale::UnitedStates);
        page.now = [] { return QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC); };
        page.confirmImport = [this](const DayPlan& plan, const QString& notes) {
            previews << plan;
            importNotes << notes;
            return goOn;
        };
        f.services.openUrl = [this](const QUrl& u) {
            opened << u;
            return canOpen;
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
    void exportTo(const QString& name, int filterIndex = 1)
    {
        f.dialog.confirmWith([=, this](CommonDialog& d) {
            initDir = d.InitDir;
            d.FileName = name;
            d.FilterIndex = filterIndex;
        });
        test::control<QPushButton>(page, "CmdTitle")->click();
    }
    void importFrom(const QString& name)
    {
        f.dialog.confirmWith([=](CommonDialog& d) { d.FileName = name; });
        test::control<QPushButton>(page, "CmdImport")->click();
    }
    QStringList messages() const
    {
        QStringList m;
        for (const Message& b : f.boxes.shown)
            m << b.text;
        return m;
    }
    void expectOneMessage(const QString& text) const
    {
        QCOMPARE(f.boxes.shown.size(), 1);
        QCOMPARE(f.boxes.shown[0].text, text);
        QCOMPARE(f.boxes.shown[0].title, QStringLiteral("Tunedesk"));
        QVERIFY(f.boxes.shown[0].icon == MsgIcon::Information);
    }
};

const QList<std::tuple<QString, QByteArray>> kWorkbookDays = {
    {"2001_12/2001_12.1", "first\r\n"},
    {"2001_12/2001_12.1_D", "finished\r\n"},
    {"2001_12/2001_12.2", test::cp949(QStringLiteral("일요일 모임\r\n똠방각하\r\n"))},
    {"2001_12/2001_12.2_D", test::cp949(QStringLiteral("끝난 일\r\n"))},
    {"2001_12/2001_12.3", "a\r\n\r\nb\r\n"},
    {"2001_12/2001_12.4", "_x0041_ and _x0041_x0042_ stay\r\n"},
    {"2001_12/2001_12.4_D", QByteArray("before\0after\r\n", 14)},
    {"2001_12/2001_12.5", ""},
    {"2001_12/2001_12.6_D", "companion without a day file\r\n"},
    {"2001_12/2001_12.7", "\r\na\r\n"},
    {"2002_1/2002_1.15", "[Team meeting]\n[Exam D-30]\r\n"},
};

// Every file under a folder with its bytes, to see that nothing changed.
QMap<QString, QByteArray> snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p, test::readFile(p));
    }
    return files;
}

// March and April 2004, and the holidays, exported only when asked for.
void writeDays(test::Fixture& f)
{
    QVERIFY(HolidayFile::store(f.fs, f.path("Holiday.dat"), {"3/1(S)[삼일절]", "2/29(S)[Leap]", "3/3(L)[삼짇날]", "2/31(S)[never]", "3/1(S)[삼일절]"}).ok);
    test::writeFile(f.path("2004_3/2004_3.1"), test::cp949(QStringLiteral("\r\n[팀 회의]\r\n둘째 줄\r\n")));
    test::writeFile(f.path("2004_3/2004_3.1_D"), test::cp949(QStringLiteral("끝난 일\r\n")));
    test::writeFile(f.path("2004_3/2004_3.15"), test::cp949(kLong + QStringLiteral("\r\n")));
    test::writeFile(f.path("2004_3/2004_3.20_D"), "companion without a day file\r\n");
    test::writeFile(f.path("2004_4/2004_4.2"), "");
    test::writeFile(f.path("2004_4/2004_4.30"), "x\r\nNUL " + QByteArray(1, '\0') + ", \x01 and \x7F\r\n");
    test::writeFile(f.path("2004_5/2004_5.1"), "after the range\r\n");
}

} // namespace

class TestExportPage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Timed calendar events land on their date in this zone.
        qputenv("TZ", "Asia/Seoul");
        tzset();
    }

    void save_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("month");  // the first month of the range
        QTest::addColumn<QString>("chosen"); // empty: the save dialog is cancelled
        QTest::addColumn<bool>("show");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("no start month, English") << "English" << "" << "book.xlsx" << true << false << "Wrong Date Setting.";
        QTest::newRow("save dialog cancelled") << "Korean" << "12" << "" << true << false << "";
        QTest::newRow("old extension, shown, English") << "English" << "12" << "book.xls" << true << true
                                                       << "Daybrook Data Conversion is completed.\r{path}";
        QTest::newRow("no extension, not shown") << "Korean" << "12" << "book" << false << true << kDone + "\r{path}";
        QTest::newRow("cancelled at half") << "Korean" << "12" << "book.xlsx" << true << false
            << "변환을 취소했습니다. 31일 중 16일을 읽었고, 파일은 바꾸지 않았습니다.\r{path}";
        QTest::newRow("shown, no program opens it") << "Korean" << "12" << "book.xlsx" << true << true
            << kDone + "\r{path}\r이 파일을 열 수 있는 프로그램이 없어 파일을 열지 못했습니다.";
        QTest::newRow("no such folder, English") << "English" << "12" << "missing/book.xlsx" << true << false
                                                 << "The converted data could not be saved to the file.";
        // clang-format on
    }

    // A wrong range is refused before the save dialog; a cancelled dialog ends the export quietly.
    // An older workbook of the same name is replaced without a question, and survives a failed
    // or cancelled save, with nothing left beside it; the user learns which file failed and why.
    void save()
    {
        QFETCH(QString, language);
        QFETCH(QString, month);
        QFETCH(QString, chosen);
        QFETCH(bool, show);
        QFETCH(bool, saved);
        QFETCH(QString, message);
        Rig r(language);
        r.canOpen = !message.contains("열지 못했습니다");
        test::writeFile(r.f.path("2001_12/2001_12.5"), "x\r\n");
        r.select({"2001", month, "2001", "12"});
        test::control<QCheckBox>(r.page, "ChkShow")->setChecked(show);
        auto* label = test::control<QLabel>(r.page, "LblTarget");
        label->setText(QStringLiteral("/earlier/book.xlsx"));
        const QString older = r.f.path(QStringLiteral("book.xlsx"));
        test::writeFile(older, "an older workbook");
        if (chosen.isEmpty())
            r.f.dialog.cancelNext();
        const bool cancelled = message.contains("취소했습니다");
        r.page.setVisible(cancelled);
        auto* cancel = test::control<QPushButton>(r.page, "CmdCancelExport");
        QObject::connect(test::control<QProgressBar>(r.page, "pBar"), &QProgressBar::valueChanged, [&](int value) {
            if (cancelled && value >= 50 && cancel->isEnabled())
                QTest::mouseClick(cancel, Qt::LeftButton);
        });

        r.exportTo(r.f.path(chosen));

        QCOMPARE(QDir(r.f.dir.path()).entryList({QStringLiteral("*.xls*")}, QDir::Files), QStringList{"book.xlsx"});
        QCOMPARE(r.opened, saved && show ? QList<QUrl>{QUrl::fromLocalFile(older)} : QList<QUrl>{});
        if (saved)
            QVERIFY(test::readFile(older).startsWith("PK"));
        else
            QCOMPARE(test::readFile(older), QByteArray("an older workbook"));
        if (chosen.startsWith(QLatin1String("missing/"))) {
            const QString path = r.f.path(chosen);
            QCOMPARE(r.f.boxes.shown.size(), 1);
            const Message& m = r.f.boxes.shown[0];
            QVERIFY2(m.text.startsWith(message + QLatin1Char('\r') + path + QLatin1Char('\r')), qPrintable(m.text));
            QVERIFY(m.text.size() > message.size() + path.size() + 2); // and why
            QCOMPARE(m.title, QStringLiteral("Tunedesk"));
            return;
        }
        QCOMPARE(label->text(), saved || cancelled ? older : QStringLiteral("/earlier/book.xlsx"));
        if (message.isEmpty())
            QVERIFY(r.f.boxes.shown.isEmpty());
        else
            r.expectOneMessage(message.replace("{path}", older));
        if (!saved)
            QCOMPARE(test::control<QProgressBar>(r.page, "pBar")->value(), cancelled ? 50 : 0);
        if (month.isEmpty())
            QVERIFY(r.f.dialog.calls.isEmpty()); // refused before the save dialog
    }

    // 2001/12 to 2002/1 exported and read back, every cell with its formatting. The
    // weekend colours go by the date, whatever the weekday name reads. The stored data
    // folder text is followed directly by the month folder, without a separator. A day
    // file too large to read gets its row, and the export says which day it could not read.
    void workbookReadBack()
    {
        Rig r;
        r.page.locale = QLocale(QLocale::Korean, QLocale::SouthKorea);
        const QString data = r.f.path(QStringLiteral("data"));
        r.f.store.values.insert(QStringLiteral("DataSaveDir"), data);
        r.f.services.DataFolder = QStringLiteral("/previous/");
        for (const auto& [name, bytes] : kWorkbookDays)
            test::writeFile(data + name, bytes);
        test::writeFile(data + "/2001_12/2001_12.6", "not here\r\n");
        const QString huge = data + "2001_12/2001_12.8";
        test::writeFile(huge, {});
        QVERIFY(::truncate(QFile::encodeName(huge).constData(), qint64(30) << 30) == 0);
        r.select({"2001", "12", "2002", "1"});
        auto* bar = test::control<QProgressBar>(r.page, "pBar");
        bar->setValue(55);
        QSignalSpy progress(bar, &QProgressBar::valueChanged);
        const QString target = r.f.path(QStringLiteral("export"));

        r.exportTo(target);

        r.expectOneMessage(QStringLiteral("변환한 자료를 저장했으나 1일의 자료를 읽지 못했습니다.\r첫 실패: ") + huge
                           + QStringLiteral("\rlarger than 64 MiB\r") + target + ".xlsx");
        QCOMPARE(r.initDir, QStringLiteral("/previous/"));
        QCOMPARE(r.f.services.DataFolder, data);
        // One step of the bar per day of the range (fewer than 101 days: every step is a
        // new percentage): 0 for the first day, 100 for the last.
        QList<int> values;
        for (const auto& args : progress)
            values << args.at(0).toInt();
        QCOMPARE(values.size(), 62);
        QCOMPARE(values.first(), 0);
        QCOMPARE(values.last(), 100);
        QVERIFY(std::adjacent_find(values.begin(), values.end(), std::greater_equal<>()) == values.end()); // up at every step
        QStringList book;
        QVERIFY(readBack(READ_WORKBOOK_SCRIPT, target + QStringLiteral(".xlsx"), book));
        // Rows from 3 without gaps; C only with a companion file; widths with the
        // padding the file format adds (18 -> 18.71).
        QCOMPARE(book, (QStringList{
                           "sheets Daybrook; gridlines False; 10 rows, 3 columns; widths A=18.7109 B=36.7109 C=36.7109",
                           "A1 \"Daybrook Data List\" Arial 14 bold - fill - border - align -/top",
                           "A2 \"Date\" Arial 8 bold - fill FFC0C0C0 border thin FF140000 align center/top",
                           "B2 \"ToDo List\" Arial 8 bold - fill FFCCCCFF border thin FF140000 align center/top wrap",
                           "C2 \"End List\" Arial 8 bold - fill FFFFFF99 border thin FF140000 align center/top wrap",
                           "A3 \"2001/12/1(토)\" Arial 8 bold FF0000FF fill - border thin FF140000 align -/top",
                           "B3 \"first\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "C3 \"finished\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                           "A4 \"2001/12/2(일)\" Arial 8 bold FFFF0000 fill - border thin FF140000 align -/top",
                           "B4 \"일요일 모임\\n똠방각하\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "C4 \"끝난 일\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                           "A5 \"2001/12/3(월)\" Arial 8 bold - fill - border thin FF140000 align -/top",
                           "B5 \"a\\n\\nb\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "A6 \"2001/12/4(화)\" Arial 8 bold - fill - border thin FF140000 align -/top", // literal text, NUL dropped
                           "B6 \"_x0041_ and _x0041_x0042_ stay\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "C6 \"beforeafter\" Arial 8 - fill FFFFFF99 border thin FF240000 align -/top wrap",
                           "A7 \"2001/12/5(수)\" Arial 8 bold - fill - border thin FF140000 align -/top", // an empty day file
                           "B7 null Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "A8 \"2001/12/7(금)\" Arial 8 bold - fill - border thin FF140000 align -/top", // leading empty line dropped
                           "B8 \"a\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "A9 \"2001/12/8(토)\" Arial 8 bold FF0000FF fill - border thin FF140000 align -/top", // unread
                           "B9 null Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                           "A10 \"2002/1/15(화)\" Arial 8 bold - fill - border thin FF140000 align -/top",
                           "B10 \"[Team meeting]\\n[Exam D-30]\" Arial 8 - fill FFCCCCFF border thin FF180000 align -/top wrap",
                       }));
    }

    // The workbook as LibreOffice lays it out and prints it: a note of several lines, or one
    // line wrapped in its column, gets the row height its lines need, and every printed page
    // repeats the header row and the date column.
    void workbookPrinted()
    {
        Rig r;
        for (QDate d(2001, 12, 1); d <= QDate(2002, 3, 31); d = d.addDays(1))
            test::writeFile(r.f.path(DayFiles::dayFile(QString(), d)), "one line\r\n");
        test::writeFile(r.f.path("2001_12/2001_12.2"), "a\r\nb\r\nc\r\nd\r\n");
        test::writeFile(r.f.path("2001_12/2001_12.3"), QByteArray(200, 'w') + "\r\n");
        r.select({"2001", "12", "2002", "3"});
        const QString target = r.f.path("print.xlsx");
        r.exportTo(target);

        QStringList lines;
        QVERIFY(readBack(PRINT_WORKBOOK_SCRIPT, target, lines));
        const QJsonObject laid = QJsonDocument::fromJson(lines.value(0).toUtf8()).object();
        const QJsonArray rows = laid.value("rows").toArray();
        QVERIFY(rows.size() >= 121);
        QVERIFY2(rows[1].toDouble() >= 4 * 10.5 - 0.5, qPrintable(lines.value(0))); // four lines of 8 points
        QVERIFY2(rows[2].toDouble() >= 5 * 10.5 - 0.5, qPrintable(lines.value(0))); // 200 characters in a width of 36
        QVERIFY2(rows[0].toDouble() < 2 * 10.5, qPrintable(lines.value(0)));
        QCOMPARE(laid.value("headerRows").toInt(), 1);
        QCOMPARE(laid.value("headerColumns").toInt(), 1);
        const QJsonArray pages = laid.value("pagesWithDates").toArray();
        QVERIFY(pages.size() > 1);
        for (const QJsonValue& page : pages)
            QVERIFY2(page.toBool(), qPrintable(lines.value(0)));
    }

    // March and April 2004: one all-day event per day with a file, then the holidays.
    void calendarReadBack()
    {
        Rig r;
        writeDays(r.f);
        test::control<QCheckBox>(r.page, "ChkHoliday")->setChecked(true);
        r.select({"2004", "3", "2004", "4"});

        r.exportTo(r.f.path("notes.backup"), 2); // the calendar type chosen, another extension typed

        const QString target = r.f.path("notes.backup");
        QCOMPARE(test::control<QLabel>(r.page, "LblTarget")->text(), target);
        QCOMPARE(r.messages(), QStringList{kDone + "\r" + target});
        QStringList lines;
        QVERIFY(readBack(READ_ICS_SCRIPT, target, lines));
        // uid, start, end, rule, summary, description; a holiday has a name of its own, per year for a lunar one
        QList<QStringList> events;
        for (const QString& line : lines) {
            QStringList fields;
            for (const QJsonValue& v : QJsonDocument::fromJson(line.toUtf8()).array())
                fields << v.toString();
            events << fields.replaceInStrings(QRegularExpression(QStringLiteral("^holiday-.+?(-2004)?@")), QStringLiteral("holiday-*\\1@"));
        }
        // A blank day gives no event, control characters are marked, a repeated holiday gives one
        // event, and solar holidays end with the range as lunar ones do (29 February is not in it).
        const QList<QStringList> expected = {
            {"20040301@tunedesk", "2004-03-01", "2004-03-02", "", "[팀 회의]", "[팀 회의]\n둘째 줄\n\nEnd List\n끝난 일"},
            {"20040315@tunedesk", "2004-03-15", "2004-03-16", "", kLong, kLong},
            {"20040430@tunedesk", "2004-04-30", "2004-05-01", "", "x", "x\nNUL �, � and �"},
            {"holiday-*@tunedesk", "2004-03-01", "2004-03-02", "FREQ=YEARLY;UNTIL=20040430", "삼일절", ""},
            {"holiday-*-2004@tunedesk", "2004-04-21", "2004-04-22", "", "삼짇날", ""}, // lunar 3/3 of 2004
        };
        QCOMPARE(events, expected);
    }

    // Exported without the holidays, then imported into another data folder: the day files
    // and companions come back byte for byte, and a day that holds notes of its own keeps them
    // below the exported lines. Imported again, nothing changes. A cut-short or declined import
    // writes nothing; the import is undone byte for byte, companions too.
    // A day saved while the preview is open keeps what was saved.
    void calendarRoundTrip()
    {
        Rig r;
        writeDays(r.f);
        r.select({"2004", "3", "2004", "4"});
        const QString target = r.f.path("notes.ics");
        r.exportTo(target);
        // Some programs put a byte order mark in front.
        test::writeFile(target, "\xEF\xBB\xBF" + test::readFile(target));
        const QString cut = r.f.path("cut.ics");
        test::writeFile(cut, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040301\r\nSUMMARY:A\r\n"
                             "END:VEVENT\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20040302\r\nSUMMARY:B");
        const QString other = r.f.path("other/");
        test::writeFile(other + "2004_3/2004_3.1", test::cp949(QStringLiteral("[기존]\r\n메모\r\n")));
        r.f.store.values.insert("DataSaveDir", other);
        r.f.services.journalFolder = r.f.path("journal");
        QMap<QString, QByteArray> before = snapshot(other);

        r.importFrom(cut);
        r.goOn = false;
        r.importFrom(target);
        QCOMPARE(snapshot(other), before);
        // The real preview, answered by hand once the calendar has saved a day meanwhile.
        const QString saved = other + "2004_3/2004_3.1";
        QMap<QString, QByteArray> previewed;
        r.page.confirmImport = r.realPreview;
        QTimer poll; // the calendar is read first, with the window kept painted
        poll.start(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* preview = qobject_cast<PlanPreview*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            poll.stop();
            for (const DayChange& c : preview->model(0)->plan().days)
                previewed.insert(c.path, c.after.value_or("absent"));
            test::writeFile(saved, test::cp949(QStringLiteral("[기존]\r\n새 메모\r\n")));
            for (QPushButton* b : preview->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("ICS 가져오기"))
                    b->click();
        });
        r.importFrom(target);

        const QStringList m = r.messages();
        QCOMPARE(m.mid(0, 2), (QStringList{kDone + "\r" + target, cut + ", 7번째 줄\r여기서 시작한 VEVENT이(가) 끝나지 않습니다. 파일이 잘렸을 수 있습니다."}));
        // The import's plan is not made day by day: the day saved meanwhile is left alone and named.
        QVERIFY2(m.size() == 3 && m[2].contains("첫 실패: " + saved + "\rchanged since the plan was made"), qPrintable(m.value(2)));
        QCOMPARE(r.importNotes.last(), QStringLiteral("파일에서 일정 3개를 읽었습니다."));
        QMap<QString, QByteArray> expected = {
            {saved, test::cp949(QStringLiteral("[팀 회의]\n둘째 줄\n[기존]\n메모\r\n"))},
            {other + "2004_3/2004_3.1_D", test::readFile(r.f.path("2004_3/2004_3.1_D"))},
            {other + "2004_3/2004_3.15", test::readFile(r.f.path("2004_3/2004_3.15"))},
            {other + "2004_4/2004_4.30", test::readFile(r.f.path("2004_4/2004_4.30"))},
        };
        QCOMPARE(previewed, expected); // what the preview showed
        expected[saved] = before[saved] = test::cp949(QStringLiteral("[기존]\r\n새 메모\r\n"));
        QCOMPARE(snapshot(other), expected);
        r.page.confirmImport = [&r](const DayPlan& plan, const QString&) {
            r.previews << plan;
            return true;
        };
        // Imported again, only the day left alone changes.
        r.importFrom(target);
        expected[saved] = test::cp949(QStringLiteral("[팀 회의]\n둘째 줄\n[기존]\n새 메모\r\n"));
        QCOMPARE(snapshot(other), expected);
        QCOMPARE(r.previews.last().count(DayChange::Kind::Unchanged), expected.size() - 1);

        // Both imports are undone like generator runs.
        RunJournal journal(r.f.services.journalFolder);
        for (int i = 0; i < 2; ++i) {
            const UndoResult undone = undoLast(r.f.fs, journal, other);
            QCOMPARE(undone.status, UndoResult::Status::Done);
            QCOMPARE(undone.label.kind, QStringLiteral("ics-import"));
        }
        QCOMPARE(snapshot(other), before);
    }
};

QTEST_MAIN(TestExportPage)
#include "tst_export_page.moc"
